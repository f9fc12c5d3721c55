#include "tools/kvnctl/explain_sandbox.h"

#include "addin/engine_state.h"
#include "analysis/new_mail_pass.h"
#include "platform/core/descriptor_io.h"
#include "platform/core/file_descriptor.h"
#include "platform/core/regular_file.h"
#include "platform/outlook/maildir_store.h"
#include "tools/kvnctl/mail_session.h"
#include "tools/kvnctl/message_check.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace kvn::kvnctl {
namespace {

// A private folder made with mkdtemp (0700), removed with everything in it
// when the object goes, whichever way the explanation ended.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& base)
    {
        std::string pattern = base + "/kvnctl-explain.XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
        else
            error_ = "cannot make a temporary folder in " + base + ": " + std::strerror(errno);
    }
    ~TemporaryFolder()
    {
        std::error_code ignored; // nothing of the user's is in it
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::string& path() const { return path_; }
    const std::string& error() const { return error_; }

private:
    std::string path_;
    std::string error_;
};

ExplainOutcome failed(std::string why)
{
    ExplainOutcome outcome;
    outcome.error = std::move(why);
    return outcome;
}

std::string systemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// The Maildir unique name of a message file (its name up to the first ":"),
// so that the entry ID the pass records is the one the real pass would; a
// name a Maildir could not hold as a message gives a made-up one.
std::string uniqueNameFor(const std::string& path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    const std::string unique = name.substr(0, name.find(':'));
    if (unique.empty() || unique.front() == '.')
        return "explained-message";
    return unique;
}

bool makeMaildir(const std::string& root)
{
    for (const char* sub : {"", "/cur", "/new", "/tmp"})
        if (::mkdir((root + sub).c_str(), 0700) != 0)
            return false;
    return true;
}

// Copies the rest of `source` after the bytes already read into
// root/new/unique, through root/tmp as a delivery does. The copy is written
// now, so it is received now; a file in new/ has no flags, so it is unread.
std::string copyIntoNew(int source, std::string_view start, const std::string& root, const std::string& unique,
    const std::string& sourcePath)
{
    const std::string tmpPath = root + "/tmp/" + unique;
    FileDescriptor copy(::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (copy.get() < 0)
        return systemError("cannot copy the message into the temporary folder");
    if (!writeAll(copy.get(), start))
        return systemError("cannot copy the message into the temporary folder");
    std::string buffer(64 * 1024, '\0');
    std::size_t total = start.size();
    for (;;) {
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return systemError("cannot read " + sourcePath);
        if (got == 0)
            break;
        total += static_cast<std::size_t>(got);
        if (total > maxExplainedBytes)
            return "cannot explain " + sourcePath + ": it grew past " + std::to_string(maxExplainedBytes >> 20)
                + " MiB while it was read";
        if (!writeAll(copy.get(), std::string_view(buffer.data(), static_cast<std::size_t>(got))))
            return systemError("cannot copy the message into the temporary folder");
    }
    if (!copy.close() || ::rename(tmpPath.c_str(), (root + "/new/" + unique).c_str()) != 0)
        return systemError("cannot copy the message into the temporary folder");
    return {};
}

// Hears the pass's verdict on the one e-mail of the temporary Inbox.
class VerdictWatcher final : public PassObserver {
public:
    void decided(const PassDecision& decision) override { decision_ = decision; }
    void failedSameSender(const std::string&) override { failedSameSender_ = true; }

    const std::optional<PassDecision>& decision() const { return decision_; }
    bool sameSenderFailed() const { return failedSameSender_; }

private:
    std::optional<PassDecision> decision_;
    bool failedSameSender_ = false;
};

// Where the e-mail ended among the folders the pass may put it in.
void findEnd(const std::vector<outlook::FolderPtr>& folders, const std::string& unique, MailExplanation& explanation)
{
    for (const outlook::FolderPtr& folder : folders) {
        const outlook::ItemsPtr items = folder ? folder->items() : nullptr;
        for (auto item = items ? items->getFirst() : nullptr; item; item = items->getNext()) {
            const outlook::MailItemPtr mail = item->asMailItem();
            if (!mail || mail->entryId() != unique)
                continue;
            explanation.folder = pathOfFolder(folder);
            explanation.markedRead = !mail->unRead().value_or(true);
            return;
        }
    }
}

template <typename Record> std::optional<Record> addedRecord(const std::vector<Record>& records, std::size_t before)
{
    return records.size() > before ? std::optional<Record>(records.back()) : std::nullopt;
}

// What the pass wrote into the copy of the data: at most one statistics
// record or decision, and a calibration text it learned.
void collectWrites(const ProfileData& before, const ProfileData& after, MailExplanation& explanation)
{
    for (std::int32_t category = 0; category < 3 && !explanation.statRecord; ++category)
        explanation.statRecord
            = addedRecord(*after.statistics().listOf(category), before.statistics().listOf(category)->size());
    explanation.decision = addedRecord(after.quarantineDecisions(), before.quarantineDecisions().size());
    const auto& own = after.ownAddresses();
    for (std::size_t i = 0; i < own.size() && i < before.ownAddresses().size(); ++i)
        if (own[i].calibration != before.ownAddresses()[i].calibration)
            explanation.calibrationLearned = own[i];
}

// A store like `model` (its names) kept at `root`, without contacts.
outlook::StoreConfig storeLike(outlook::StoreConfig model, const std::string& root)
{
    model.root = root;
    model.contactsFolder.clear();
    return model;
}

outlook::FolderPtr inboxOfStore(const outlook::NamespacePtr& mapi, const std::string& storeName)
{
    const outlook::FoldersPtr stores = mapi->folders();
    const outlook::FolderPtr store = stores ? stores->item(storeName) : nullptr;
    const outlook::FoldersPtr folders = store ? store->folders() : nullptr;
    return folders ? folders->item("Inbox") : nullptr;
}

class Sandbox {
public:
    Sandbox(const ExplainProfile& profile, const std::string& folder) : profile_(profile), folder_(folder) { }

    std::string prepare()
    {
        if (!makeMaildir(mailRoot()) || (needsInboxStore() && !makeMaildir(inboxStoreRoot())))
            return systemError("cannot make the temporary Maildir");
        std::vector<outlook::StoreConfig> stores = {storeLike(profile_.defaultStore, mailRoot())};
        if (needsInboxStore()) {
            outlook::StoreConfig inboxStore;
            inboxStore.displayName = profile_.defaultInboxStore;
            stores.push_back(storeLike(inboxStore, inboxStoreRoot()));
        }
        application_ = outlook::openMaildirApplication(std::move(stores), profile_.data.profileName());
        return {};
    }

    std::string mailRoot() const { return folder_ + "/mail"; }

    ExplainOutcome run(const std::string& unique)
    {
        EngineState state(profile_.data);
        if (!findFolders(state))
            return failed("cannot open the temporary Maildir");
        state.settings = profile_.settings;
        state.CheckFromTime = systemClock().nowOleDate() - 1.0;
        state.CalibrationPending = profile_.data.calibrationNeeded();
        // Never enabled: the explanation writes no log line anywhere, and
        // would write into the temporary folder if it did.
        DebugLog log(openAppendOnlyFile(folder_ + "/KVNLog.txt"), systemClock());
        VerdictWatcher watcher;
        PassContext context = state.passContext(*application_, log, systemClock(), profile_.countries);
        context.observer = &watcher;
        const PassEnd end = AnalizeNewMail(context);
        if (!watcher.decision() && end != PassEnd::Finished)
            return failed("the mail store could not read the copied message");

        MailExplanation explanation;
        explanation.failedSameSender = watcher.sameSenderFailed();
        if (const auto& decision = watcher.decision()) {
            explanation.verdict = decision->verdict;
            explanation.rule = decision->rule;
            explanation.entry = decision->entry;
            explanation.entryWhite = decision->white;
        } else {
            explanation.passedOver = true;
        }
        findEnd({state.folders.inboxes.front(), state.folders.defaultInbox, state.folders.deletedItems,
                    state.folders.quarantine},
            unique, explanation);
        collectWrites(profile_.data, state.data, explanation);
        ExplainOutcome outcome;
        outcome.explanation = std::move(explanation);
        return outcome;
    }

private:
    bool needsInboxStore() const
    {
        return !profile_.defaultInboxStore.empty() && profile_.defaultInboxStore != profile_.defaultStore.displayName;
    }
    std::string inboxStoreRoot() const { return folder_ + "/default-inbox"; }

    bool findFolders(EngineState& state)
    {
        const outlook::NamespacePtr mapi = application_ ? application_->getNamespace("MAPI") : nullptr;
        const outlook::FolderPtr inbox = mapi ? mapi->getDefaultFolder(outlook::olFolderInbox) : nullptr;
        const outlook::FolderPtr top = inbox ? inbox->parent() : nullptr;
        const outlook::FoldersPtr folders = top ? top->folders() : nullptr;
        if (!folders)
            return false;
        state.folders.inboxes = {inbox};
        state.folders.deletedItems = mapi->getDefaultFolder(outlook::olFolderDeletedItems);
        state.folders.quarantine = folders->add("KVN Quarantined", outlook::olFolderInbox);
        if (!profile_.defaultInboxStore.empty())
            state.folders.defaultInbox = needsInboxStore() ? inboxOfStore(mapi, profile_.defaultInboxStore) : inbox;
        return state.folders.deletedItems && state.folders.quarantine;
    }

    const ExplainProfile& profile_;
    std::string folder_;
    outlook::ApplicationPtr application_;
};

ExplainOutcome explainMessage(
    int source, const std::string& name, const std::string& unique, const ExplainProfile& profile)
{
    const std::optional<std::string> start = readAtMost(source, messageCheckBytes);
    if (!start)
        return failed(systemError("cannot read " + name));
    const MessageCheck check = checkMessageStart(*start, start->size() < messageCheckBytes);
    if (!check.refusal.empty())
        return failed("cannot explain " + name + ": " + check.refusal);

    const TemporaryFolder temporary(profile.temporaryBase);
    if (temporary.path().empty())
        return failed(temporary.error());
    Sandbox sandbox(profile, temporary.path());
    if (std::string error = sandbox.prepare(); !error.empty())
        return failed(std::move(error));
    if (std::string error = copyIntoNew(source, *start, sandbox.mailRoot(), unique, name); !error.empty())
        return failed(std::move(error));
    ExplainOutcome outcome = sandbox.run(unique);
    outcome.warning = check.warning;
    return outcome;
}

} // namespace

ExplainOutcome explainMessageFile(const std::string& path, const ExplainProfile& profile)
{
    if (path == "-")
        return explainMessage(STDIN_FILENO, "standard input", "explained-message", profile);
    struct stat info { };
    const OpenedRegularFile opened = openRegularFile(path, O_RDONLY, info);
    if (opened.fd < 0)
        return failed(opened.error);
    const FileDescriptor source(opened.fd);
    if (static_cast<std::uintmax_t>(info.st_size) > maxExplainedBytes)
        return failed("cannot explain " + path + ": it holds " + std::to_string(info.st_size) + " bytes, more than the "
            + std::to_string(maxExplainedBytes >> 20) + " MiB an explanation copies");
    return explainMessage(source.get(), path, uniqueNameFor(path), profile);
}

} // namespace kvn::kvnctl
