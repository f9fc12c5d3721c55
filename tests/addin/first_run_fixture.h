// A profile on its first run over real things: a Maildir store in a
// temporary folder with a vCard Contacts folder and a Sent folder of sent
// e-mails, a real registry folder holding the options and the Outlook bar,
// and the engine's state over a real data folder.
#pragma once

#include "addin/first_run.h"
#include "lists/list_kind.h"
#include "lists/registry_root.h"
#include "tests/outlook/maildir_fixture.h"
#include "tests/support/local_time.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kvn::testing {

class FirstRunFixture : public ::testing::Test {
protected:
    FirstRunFixture() : state(ProfileData(temp / "install", "Default", realFileSystem(), clock))
    {
        setRegistryRoot(productRegistryRoot(registry.get()));
        makeMaildir(root());
        makeMaildir(root() + "/.Sent");
        std::filesystem::create_directories(cards());
    }
    ~FirstRunFixture() override { setRegistryRoot(productRegistryRoot()); }

    std::string root() const { return temp / "mail"; }
    std::string cards() const { return temp / "contacts"; }

    outlook::ApplicationPtr open()
    {
        outlook::StoreConfig store = storeAt(root());
        store.contactsFolder = cards();
        return outlook::openMaildirApplication({store}, "Default", *registry);
    }

    void putCard(const std::string& file, const std::string& name, const std::vector<std::string>& emails)
    {
        std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:" + name + "\r\n";
        for (const std::string& email : emails)
            card += "EMAIL;TYPE=INTERNET:" + email + "\r\n";
        writeWholeFile(cards() + "/" + file, card + "END:VCARD\r\n");
    }

    // A sent e-mail as a mail program keeps it: From the user, the recipients
    // in To, Cc and Bcc.
    void putSent(
        const std::string& unique, const std::string& to, const std::string& cc = "", const std::string& bcc = "")
    {
        std::string text = "From: Me <me@example.com>\r\nTo: " + to + "\r\n";
        if (!cc.empty())
            text += "Cc: " + cc + "\r\n";
        if (!bcc.empty())
            text += "Bcc: " + bcc + "\r\n";
        text += "Subject: Hello\r\nDate: Thu, 14 Mar 2024 10:00:00 +0100\r\nMessage-ID: <" + unique
            + "@example.com>\r\n\r\nHello.\r\n";
        putMessage(root() + "/.Sent", "cur", unique + ":2,S", localSeconds(2024, 3, 14, 10, 0), text);
    }

    void putReceived(const std::string& folder, const std::string& unique, const std::string& from)
    {
        putMessage(folder, "cur", unique + ":2,S", localSeconds(2024, 3, 14, 10, 0), messageText("Hi", from));
    }

    const ListSequence& whiteAddresses() { return state.data.lists().sequence(ListKind::Address, true); }

    // The white addresses as "name <address>", in list order.
    std::vector<std::string> whiteList()
    {
        std::vector<std::string> shown;
        for (const ListEntry& entry : whiteAddresses())
            shown.push_back(entry.value + " <" + entry.extra + ">");
        return shown;
    }

    // The index each polarity's Address sequence calls for.
    std::string expectedIndex(bool white)
    {
        std::string index;
        for (const ListEntry& entry : state.data.lists().sequence(ListKind::Address, white))
            index += FilterLists::indexByteOf(entry.extra);
        return index;
    }

    void expectListsAndIndexesAgree()
    {
        EXPECT_EQ(state.data.lists().firstCharIndex(true), expectedIndex(true));
        EXPECT_EQ(state.data.lists().firstCharIndex(false), expectedIndex(false));
    }

    std::string storedRun() { return readString("Default", "Run", "<none>"); }

    FirstRunServices services(outlook::Application& application)
    {
        return FirstRunServices{application, ui, realFileSystem(), clock};
    }

    TempFolder temp;
    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    SettableClock clock{oleDateOf(2024, 3, 15, 9, 0)};
    EngineState state;
    ScriptedUi ui;
};

} // namespace kvn::testing
