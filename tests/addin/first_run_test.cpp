// The first run without a window, over a real Maildir with vCard contacts and
// sent e-mails, a real registry folder and the engine's real state.
#include "addin/first_run.h"

#include "lists/list_records.h"
#include "tests/addin/first_run_fixture.h"

#include <filesystem>
#include <future>
#include <gmock/gmock.h>
#include <mutex>

namespace kvn {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

// Whether no thread holds the lock, asked from another thread.
bool isFree(std::mutex& lock)
{
    return std::async(std::launch::async, [&lock] {
        if (!lock.try_lock())
            return false;
        lock.unlock();
        return true;
    }).get();
}

// A scripted Ui that notes at each call whether the engine lock was free.
class LockNotingUi final : public Ui {
public:
    LockNotingUi(Ui& real, std::mutex& lock) : real_(real), lock_(lock) { }
    std::vector<bool> lockFreeAtCalls;

    MessageAnswer showMessage(const MessageRequest& request) override
    {
        lockFreeAtCalls.push_back(isFree(lock_));
        return real_.showMessage(request);
    }
    std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) override
    {
        lockFreeAtCalls.push_back(isFree(lock_));
        return real_.chooseFileToOpen(request);
    }
    void showProgress(const std::string& caption, int position) override
    {
        lockFreeAtCalls.push_back(isFree(lock_));
        real_.showProgress(caption, position);
    }
    bool openWithShell(const std::string& file, const std::string& folder) override
    {
        return real_.openWithShell(file, folder);
    }
    void showBalloon(const BalloonRequest& request) override
    {
        lockFreeAtCalls.push_back(isFree(lock_));
        real_.showBalloon(request);
    }
    std::optional<double> chooseDateTime(const std::string& caption, const std::string& text, double initial) override
    {
        lockFreeAtCalls.push_back(isFree(lock_));
        return real_.chooseDateTime(caption, text, initial);
    }

private:
    Ui& real_;
    std::mutex& lock_;
};

// The real object model with some of its answers made to fail.
class FailingApplication final : public outlook::Application {
public:
    explicit FailingApplication(outlook::ApplicationPtr real) : real_(std::move(real)) { }

    bool contactsFail = false;
    bool cleanUpFails = false;
    // When set, each call notes whether this lock was free.
    std::mutex* engineLock = nullptr;
    std::vector<bool> lockFreeAtCalls;

    outlook::NamespacePtr getNamespace(std::string_view type) override
    {
        noteLock();
        outlook::NamespacePtr mapi = real_->getNamespace(type);
        return mapi ? std::make_shared<FailingNamespace>(std::move(mapi), *this) : nullptr;
    }
    outlook::ItemPtr createItem(int type) override { return real_->createItem(type); }
    std::shared_ptr<outlook::SafeMailItem> createSafeMailItem() override
    {
        noteLock();
        return real_->createSafeMailItem();
    }
    std::shared_ptr<outlook::SafeContactItem> createSafeContactItem() override
    {
        noteLock();
        return real_->createSafeContactItem();
    }
    std::shared_ptr<outlook::MapiUtils> createMapiUtils() override
    {
        noteLock();
        return cleanUpFails ? nullptr : real_->createMapiUtils();
    }
    std::shared_ptr<outlook::CdoSession> createCdoSession() override { return real_->createCdoSession(); }
    outlook::ExplorerPtr activeExplorer() override { return real_->activeExplorer(); }

private:
    void noteLock()
    {
        if (engineLock)
            lockFreeAtCalls.push_back(isFree(*engineLock));
    }

    class FailingNamespace final : public outlook::Namespace {
    public:
        FailingNamespace(outlook::NamespacePtr real, FailingApplication& owner) : real_(std::move(real)), owner_(owner)
        {
        }
        outlook::FoldersPtr folders() override { return real_->folders(); }
        outlook::FolderPtr getDefaultFolder(int which) override
        {
            owner_.noteLock();
            if (which == outlook::olFolderContacts && owner_.contactsFail)
                return nullptr;
            return real_->getDefaultFolder(which);
        }

    private:
        outlook::NamespacePtr real_;
        FailingApplication& owner_;
    };

    outlook::ApplicationPtr real_;
};

// A real folder whose items cannot be had.
class ItemsFail final : public outlook::Folder {
public:
    explicit ItemsFail(outlook::FolderPtr real) : real_(std::move(real)) { }
    std::string name() override { return real_->name(); }
    outlook::FolderPtr parent() override { return real_->parent(); }
    outlook::FoldersPtr folders() override { return real_->folders(); }
    outlook::ItemsPtr items() override { return nullptr; }
    std::optional<int> defaultItemType() override { return real_->defaultItemType(); }
    std::string entryId() override { return real_->entryId(); }

private:
    outlook::FolderPtr real_;
};

class FirstRunTest : public testing::FirstRunFixture {
protected:
    // Two contacts sharing an address in other letter case, and three sent
    // e-mails: one to a new address and a known one in Cc, one to an address
    // without a name, one naming that address.
    void putUsualMail()
    {
        putCard("a.vcf", "Ann Smith", {"ANN@Example.org", "ann.work@example.org"});
        putCard("b.vcf", "Ann S.", {"ann@example.org"});
        putSent("1710406800.M1P1.host", "Carl <carl@example.net>", "ann@example.org");
        putSent("1710406801.M2P1.host", "dora@example.net");
        putSent("1710406802.M3P1.host", "Dora Diaz <Dora@Example.net>");
    }
};

TEST_F(FirstRunTest, WithoutAWindowTheContactsAndSentMailMakeTheWhiteList)
{
    putUsualMail();
    const outlook::ApplicationPtr application = open();
    ui.expect("Configuring KVN", MessageAnswer::Ok);

    EXPECT_TRUE(runFirstRun(state, services(*application)));

    EXPECT_THAT(whiteList(),
        ElementsAre("Ann Smith <ann.work@example.org>", "Ann Smith <ann@example.org>", "Carl <carl@example.net>",
            "Dora Diaz <dora@example.net>"))
        << "one entry per address whatever its letter case; a name that was an address replaced";
    for (const ListEntry& entry : whiteAddresses()) {
        EXPECT_EQ(entry.kind, listKindCode(ListKind::Address));
        EXPECT_EQ(entry.dateAdded, "2024.03.15");
        EXPECT_EQ(entry.lastReceived, "");
        EXPECT_EQ(entry.receivedCount, 0);
        EXPECT_TRUE(entry.isWhite);
    }
    EXPECT_EQ(state.data.lists().firstCharIndex(true), "aacd");
    EXPECT_EQ(state.data.lists().firstCharIndex(false), "");
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/.KVN Quarantined/cur"));

    EXPECT_THAT(ui.progress(),
        ElementsAre(Pair("Creating KVN folders", 100), Pair("Building white list", 10), Pair("Building white list", 23),
            Pair("Building white list", 36), Pair("Building white list", 50), Pair("Building white list", 100)));
    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, "Korvane was succesfully configured.\nThank you for your pacience.");
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Information);
    EXPECT_EQ(storedRun(), "03.15.2024");
    EXPECT_EQ(state.firstRunDate, "03.15.2024");
    EXPECT_TRUE(ui.fileOpenRequests().empty()) << "no import without a window";
}

TEST_F(FirstRunTest, WithEverySourceOffTheFoldersAreMadeAndTheEmptyListIsASuccess)
{
    putUsualMail();
    const outlook::ApplicationPtr application = open();
    FirstRunDialog dialog(state, services(*application));
    dialog.setContacts(false);
    dialog.setSentItems(false);
    dialog.next();

    EXPECT_TRUE(dialog.succeeded());
    EXPECT_EQ(dialog.progress(FirstRunBar::Folders), 100);
    EXPECT_EQ(dialog.progress(FirstRunBar::WhiteList), 100);
    EXPECT_THAT(whiteList(), IsEmpty()) << "the guard never survives";
    EXPECT_TRUE(std::filesystem::is_directory(root() + "/.KVN Quarantined/cur"));
    EXPECT_TRUE(dialog.doneEnabled());
    EXPECT_EQ(dialog.doneCaption(), "Done");
    EXPECT_TRUE(dialog.autoCloseTimerStarted());
    EXPECT_TRUE(dialog.done());
}

TEST_F(FirstRunTest, WhenContactsAreUnavailableItIsAnErrorButRunIsWrittenAndIndexesAgree)
{
    putUsualMail();
    FailingApplication application(open());
    application.contactsFail = true; // the folder creation goes through Contacts too
    ui.expect("Configuring KVN", MessageAnswer::Ok);

    EXPECT_FALSE(runFirstRun(state, services(application)));

    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text,
        "An error occured while configuring KVN.\nPlease restart Outlook.\nIf you encounter further problems, "
        "please consult our tech support.");
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Error);
    EXPECT_EQ(storedRun(), "03.15.2024");
    EXPECT_EQ(state.firstRunDate, "03.15.2024");
    // What the steps built stays, and the index agrees with it.
    EXPECT_THAT(whiteList(),
        ElementsAre("ann@example.org <ann@example.org>", "Carl <carl@example.net>", "Dora Diaz <dora@example.net>"));
    expectListsAndIndexesAgree();
    EXPECT_EQ(state.data.lists().findAddress(ListEntry(2, "", "carl@example.net", 0, "", ""), true).result,
        LookupResult::InAskedList);
    EXPECT_FALSE(std::filesystem::exists(root() + "/.KVN Quarantined"));
    EXPECT_THAT(ui.progress(),
        ElementsAre(Pair("Building white list", 23), Pair("Building white list", 36), Pair("Building white list", 50),
            Pair("Building white list", 100)))
        << "neither the folder bar nor the contacts' 10; the sent e-mails move the bar on";
}

TEST_F(FirstRunTest, AFailedStepCountsOnlyWhenNoLaterStepBringsTheBarTo100)
{
    putUsualMail();
    testing::makeMaildir(root() + "/.Friends");
    putReceived(root() + "/.Friends", "1710406900.M9P1.host", "Fred <fred@example.org>");
    FailingApplication application(open());
    application.cleanUpFails = true; // the sent-items step fails at its end
    std::vector<int> bar;
    const auto listen = [&](FirstRunDialog& dialog) {
        bar.clear();
        dialog.setProgressListener([&](FirstRunBar which, int position) {
            if (which == FirstRunBar::WhiteList)
                bar.push_back(position);
        });
    };

    FirstRunDialog covered(state, services(application));
    listen(covered);
    covered.next();
    EXPECT_THAT(bar, ElementsAre(10, 23, 36, 50, 100)) << "no other folders: the bar goes to 100";
    EXPECT_TRUE(covered.succeeded());

    state.data.lists().clear();
    const outlook::ApplicationPtr real = open();
    FirstRunDialog uncovered(state, services(*real));
    listen(uncovered);
    uncovered.setOtherFolders(true);
    testing::makeMaildir(root() + "/.Unreadable");
    const outlook::FoldersPtr folders = real->getNamespace("MAPI")->folders()->getFirst()->folders();
    uncovered.addFolder({false, folders->item("Friends")});
    uncovered.addFolder({false, std::make_shared<ItemsFail>(folders->item("Unreadable"))});
    uncovered.next();
    EXPECT_THAT(bar, ElementsAre(10, 23, 36, 50)) << "a chosen folder that cannot be read leaves it short";
    EXPECT_FALSE(uncovered.succeeded());
    EXPECT_EQ(uncovered.doneCaption(), "Error");
    EXPECT_TRUE(uncovered.doneEnabled());
    EXPECT_FALSE(uncovered.done());
    EXPECT_FALSE(uncovered.autoCloseTimerStarted());
    EXPECT_THAT(whiteList(),
        ElementsAre("Ann Smith <ann.work@example.org>", "Ann Smith <ann@example.org>", "Carl <carl@example.net>",
            "Dora Diaz <dora@example.net>"))
        << "what the earlier steps added stays";
}

TEST_F(FirstRunTest, AClosedDialogLeavesEmptyListsWithEmptyIndexesAndWritesRun)
{
    putUsualMail();
    const outlook::ApplicationPtr application = open();
    EXPECT_FALSE(runFirstRun(state, services(*application), [](FirstRunDialog& dialog) { return dialog.done(); }));
    EXPECT_THAT(whiteList(), IsEmpty());
    expectListsAndIndexesAgree();
    EXPECT_EQ(storedRun(), "03.15.2024");
}

TEST_F(FirstRunTest, ImportedListsStartTheListsAndAreNotAddedTwice)
{
    RecordWriter writer;
    const auto record = [&](std::int32_t kind, std::string value, std::string extra, bool white) {
        ListEntry entry(kind, std::move(value), std::move(extra), 4, "2020.01.02", "2021.02.03");
        entry.isWhite = white;
        writeListEntryRecord(writer, entry);
    };
    record(2, "zed@example.org", "zed@example.org", true);
    record(2, "ann@example.org", "ann@example.org", true); // a name that is an address
    record(2, "carl@example.net", "carl@example.net", true);
    record(9, "unknown kind", "", true);
    record(2, "Spammer", "spam@bad.example", false);
    record(3, "example.com", "", true);
    testing::writeWholeFile(temp / "old.lst", writer.bytes());
    putCard("a.vcf", "Ann Smith", {"Ann@Example.org"});
    putSent("1710406800.M1P1.host", "Carl Clark <carl@example.net>");

    const outlook::ApplicationPtr application = open();
    ui.expect("Import Lists", MessageAnswer::Ok).expectFileOpen(temp / "old.lst");
    FirstRunDialog dialog(state, services(*application));
    dialog.setImportFile(true);
    dialog.next();

    ASSERT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(ui.shown()[0].text, "Please select a file that contains older White & Black Lists");
    EXPECT_EQ(ui.shown()[0].icon, MessageIcon::Warning);
    ASSERT_EQ(ui.fileOpenRequests().size(), 1u);
    EXPECT_EQ(ui.fileOpenRequests()[0].filter, "KVN List (*.lst)|*.lst||");
    EXPECT_EQ(ui.fileOpenRequests()[0].fileName, "lists");
    EXPECT_TRUE(dialog.succeeded());
    EXPECT_THAT(whiteList(),
        ElementsAre(
            "ann@example.org <ann@example.org>", "Carl Clark <carl@example.net>", "zed@example.org <zed@example.org>"))
        << "sorted on import; the contact leaves the entry alone, the sent e-mail names it";
    EXPECT_EQ(whiteAddresses()[0].receivedCount, 4) << "imported entries keep their counters";
    ASSERT_EQ(state.data.lists().sequence(ListKind::Address, false).size(), 1u);
    EXPECT_EQ(state.data.lists().sequence(ListKind::Address, false)[0].extra, "spam@bad.example");
    ASSERT_EQ(state.data.lists().sequence(ListKind::Domain, true).size(), 1u);

    finishFirstRun(state, clock);
    EXPECT_EQ(state.data.lists().firstCharIndex(true), "acz");
    EXPECT_EQ(state.data.lists().firstCharIndex(false), "s");
}

TEST_F(FirstRunTest, AnImportCancelledOrUnreadableAddsNothingAndTheStepsGoOn)
{
    putCard("a.vcf", "Ann Smith", {"ann@example.org"});
    const outlook::ApplicationPtr application = open();
    ui.expect("Import Lists", MessageAnswer::Ok).expectFileOpen(std::nullopt);
    FirstRunDialog cancelled(state, services(*application));
    cancelled.setImportFile(true);
    cancelled.next();
    EXPECT_TRUE(cancelled.succeeded());
    EXPECT_THAT(whiteList(), ElementsAre("Ann Smith <ann@example.org>"));

    state.data.lists().clear();
    ui.expect("Import Lists", MessageAnswer::Ok).expectFileOpen(temp / "missing.lst");
    FirstRunDialog missing(state, services(*application));
    missing.setImportFile(true);
    missing.next();
    EXPECT_TRUE(missing.succeeded());
    EXPECT_THAT(whiteList(), ElementsAre("Ann Smith <ann@example.org>"));
}

TEST_F(FirstRunTest, TheEngineLockIsFreeAtEveryMessageProgressReportAndMailStoreCall)
{
    putUsualMail();
    testing::writeWholeFile(temp / "empty.lst", "");
    FailingApplication application(open());
    application.engineLock = &state.lock;
    LockNotingUi noting(ui, state.lock);
    ui.expect("Import Lists", MessageAnswer::Ok).expectFileOpen(temp / "empty.lst");
    ui.expect("Configuring KVN", MessageAnswer::Ok);
    FirstRunDialog dialog(state, FirstRunServices{application, noting, realFileSystem(), clock});
    dialog.setImportFile(true);
    EXPECT_TRUE(runWithoutWindow(dialog, noting));

    EXPECT_EQ(noting.lockFreeAtCalls.size(), 2u + 1u + 6u) << "two boxes, one file-open box, six bar positions";
    EXPECT_THAT(noting.lockFreeAtCalls, ::testing::Each(true));
    EXPECT_GE(application.lockFreeAtCalls.size(), 5u);
    EXPECT_THAT(application.lockFreeAtCalls, ::testing::Each(true));
}

} // namespace
} // namespace kvn
