// A real Maildir store in a temporary folder, the engine's state over it and
// a debug log, for the tests of the classification passes: messages of
// tests/data/classify delivered into the Inbox, and where each one ended.
#pragma once

#include "addin/engine_state.h"
#include "analysis/new_mail_pass.h"
#include "platform/outlook/maildir_store.h"
#include "tests/outlook/maildir_fixture.h"
#include "tests/support/local_time.h"
#include "tests/support/temp_folder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace kvn::testing {

inline std::string classifyMessage(const std::string& name)
{
    return readWholeFile(std::string(KVN_TEST_DATA_DIR) + "/classify/" + name);
}

// Where a message is, by its unique name: "Inbox", "Trash" or "KVN
// Quarantined" (empty when nowhere), and whether it is marked read.
struct Place {
    std::string folder;
    bool seen = false;
    bool operator==(const Place&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Place& place)
{
    return out << (place.folder.empty() ? "nowhere" : place.folder) << (place.seen ? ", read" : ", unread");
}

class ClassificationTest : public ::testing::Test {
protected:
    ClassificationTest() : state(ProfileData(temp / "install", "Default", realFileSystem(), clock))
    {
        makeMaildir(root());
        application = outlook::openMaildirApplication({storeAt(root())}, "Default");
        const outlook::NamespacePtr mapi = application->getNamespace("MAPI");
        inbox = mapi->getDefaultFolder(outlook::olFolderInbox);
        state.folders.inboxes = {inbox};
        state.folders.deletedItems = mapi->getDefaultFolder(outlook::olFolderDeletedItems);
        state.folders.quarantine = inbox->parent()->folders()->add("KVN Quarantined", outlook::olFolderInbox);
        state.CheckFromTime = clock.nowOleDate() - 7.0;
        log.setEnabled(true);
    }

    std::string root() const { return temp / "mail"; }

    // Puts a message into the Inbox's new/ under a unique name, received
    // `hoursAgo` before the clock's now (so the pass sees them oldest first).
    void deliver(const std::string& uniqueName, const std::string& text, int hoursAgo = 1)
    {
        putMessage(root(), "new", uniqueName, localSeconds(2024, 3, 15, 12, 0) - hoursAgo * 3600, text);
    }

    PassEnd runPass(const std::atomic<bool>* stop = nullptr, Ip2cLookup* countries = nullptr)
    {
        PassContext context = state.passContext(*application, log, clock, countries, stop);
        return AnalizeNewMail(context);
    }

    Place placeOf(const std::string& uniqueName) const
    {
        const std::vector<std::pair<std::string, std::string>> folders
            = {{"Inbox", root()}, {"Trash", root() + "/.Trash"}, {"KVN Quarantined", root() + "/.KVN Quarantined"}};
        for (const auto& [folder, dir] : folders) {
            for (const std::string& file : messageFiles(dir)) {
                const std::string name = file.substr(4);
                if (name.substr(0, name.find(":2,")) != uniqueName)
                    continue;
                const std::size_t flags = name.find(":2,");
                return {folder, flags != std::string::npos && name.find('S', flags) != std::string::npos};
            }
        }
        return {};
    }

    std::vector<std::string> logLines() const
    {
        std::vector<std::string> lines;
        const std::string text = std::filesystem::exists(logPath()) ? readWholeFile(logPath()) : std::string();
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t end = text.find("\r\n", at);
            lines.push_back(text.substr(at, end - at));
            at = end == std::string::npos ? text.size() : end + 2;
        }
        return lines;
    }

    std::string logPath() const { return temp / "KVNLog.txt"; }

    ListEntry& add(ListKind kind, bool white, std::string value, std::string extra = {})
    {
        ListEntry entry(listKindCode(kind), std::move(value), std::move(extra), 0, "2024.03.01", "");
        if (kind == ListKind::Address) {
            const int at = insertAddressEntry(state.data.lists(), white, std::move(entry));
            return state.data.lists().sequence(kind, white)[static_cast<std::size_t>(at)];
        }
        ListSequence& sequence = state.data.lists().sequence(kind, white);
        sequence.push_back(std::move(entry));
        return sequence.back();
    }
    // The entry's counter, found by value (the address, for an address entry).
    const ListEntry& entry(ListKind kind, bool white, const std::string& key) const
    {
        for (const ListEntry& candidate : state.data.lists().sequence(kind, white))
            if (candidate.value == key || (kind == ListKind::Address && candidate.extra == key))
                return candidate;
        throw std::runtime_error("no entry " + key);
    }

    const Statistics& statistics() const { return state.data.statistics(); }
    const std::vector<QuarantineDecision>& decisions() const { return state.data.quarantineDecisions(); }

    TempFolder temp;
    SettableClock clock{oleDateOf(2024, 3, 15, 12, 0)};
    EngineState state;
    outlook::ApplicationPtr application;
    outlook::FolderPtr inbox;
    DebugLog log{openAppendOnlyFile(temp / "KVNLog.txt"), clock};
};

} // namespace kvn::testing
