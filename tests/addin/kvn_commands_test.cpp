// The bar's commands over a running engine: the busy guard while the start-up
// run goes on, the re-check with its date and tooltip, the folder button,
// Help, the windows still to come; and a click on the real bar's buttons
// through the command-bar store reaching the add-in's commands.
#include "addin/addin_object.h"
#include "addin/kvn_commands.h"
#include "host/host_application.h"
#include "platform/outlook/command_bar_store.h"
#include "tests/addin/engine_fixture.h"
#include "tests/support/environment_guard.h"
#include "tests/support/forwarding_ui.h"

#include <gmock/gmock.h>

namespace kvn::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class KvnCommandsTest : public EngineTest {
protected:
    KvnCommandsTest()
    {
        makeMaildir(root() + "/.Work");
        stores = outlook::openMaildirApplication({storeAt(root())}, "Default");
        const outlook::NamespacePtr mapi = stores->getNamespace("MAPI");
        explorer = std::make_shared<host::HostExplorer>(nullptr, outlook::openCommandBarStore(*registry, "Default"),
            mapi->getDefaultFolder(outlook::olFolderInbox));
        host = com::makeObject<host::HostApplication>(stores, explorer);
        work = mapi->folders()->getFirst()->folders()->item("Work");
    }
    ~KvnCommandsTest() override
    {
        if (checkingUi) {
            EXPECT_EQ(checkingUi->callsWithLockHeld, 0) << "a Ui call came with the engine lock held";
        }
    }

    // The commands over the started engine (or none), with the re-check
    // button of a bar built into the host's command bars.
    KvnCommands& commandsOf(CMain* engine)
    {
        if (!kvnBar.recheck) {
            EXPECT_EQ(buildKvnBar(*explorer->commandBars(), 0, kvnBar), "");
        }
        if (engine)
            checkingUi = std::make_unique<LockCheckingUi>(ui, engine->state().lock);
        Ui& asking = checkingUi ? static_cast<Ui&>(*checkingUi) : ui;
        windows = std::make_unique<ConsoleAddinWindows>(asking);
        commands = std::make_unique<KvnCommands>(engine, host->objectModel(), asking, *windows, clock, kvnBar.recheck);
        return *commands;
    }

    // Whether the Maildir folder holds the e-mail, in new/ or cur/.
    static bool holds(const std::string& dir, const std::string& unique)
    {
        for (const std::string& file : messageFiles(dir))
            if (file.find("/" + unique) != std::string::npos)
                return true;
        return false;
    }

    // A message from Ann in "Work", selected as a row.
    void selectMailInWork()
    {
        putMessage(root() + "/.Work", "new", "1.ann", localSeconds(2024, 3, 14, 10, 0),
            messageText("Hi", "Ann <ann@example.org>"));
        ASSERT_TRUE(explorer->setCurrentFolder(work));
        explorer->select({work->items()->getFirst()});
    }

    std::vector<std::string> captions() const
    {
        std::vector<std::string> shown;
        for (const MessageRequest& request : ui.shown())
            shown.push_back(request.caption);
        return shown;
    }

    outlook::ApplicationPtr stores;
    std::shared_ptr<host::HostExplorer> explorer;
    com::ComPtr<host::HostApplication> host;
    outlook::FolderPtr work;
    std::unique_ptr<LockCheckingUi> checkingUi;
    KvnBar kvnBar;
    std::unique_ptr<ConsoleAddinWindows> windows;
    std::unique_ptr<KvnCommands> commands;
};

TEST_F(KvnCommandsTest, WhileTheStartupRunGoesOnOnlyListsOptionsAndRecheckAreRefused)
{
    ASSERT_TRUE(writeString("Default", setting::Run, "")); // the first run comes, and is held
    firstRun.hold();
    CMain& engine = start(host->objectModel());
    ASSERT_TRUE(firstRun.waitEntered());
    KvnCommands& bar = commandsOf(&engine);
    ui.expect(busyCaption, MessageAnswer::Ok)
        .expect(busyCaption, MessageAnswer::Ok)
        .expect(busyCaption, MessageAnswer::Ok);
    ui.expect("KVN", MessageAnswer::Ok).expect("KVN", MessageAnswer::Ok);

    bar.showLists();
    bar.showOptions();
    bar.recheck();
    bar.showStatistics();
    bar.showAbout();
    bar.showHelp();
    selectMailInWork();
    bar.judgeSenders(true);

    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(
            ui.shown().at(i).text, "KVN is still processing new e-mails. Please allow KVN to finish and then retry.");
        EXPECT_EQ(ui.shown().at(i).icon, MessageIcon::Information);
    }
    EXPECT_EQ(ui.shown().at(3).text, "\"Show statistics\" comes in a later version of KVN.");
    EXPECT_EQ(ui.shown().at(4).text, "\"About\" comes in a later version of KVN.");
    EXPECT_THAT(ui.dateTimeRequests(), IsEmpty());
    EXPECT_THAT(ui.opened(), ElementsAre(installDir() + "/KVN.html"));
    EXPECT_TRUE(holds(root(), "1.ann")) << "Friend works during the start-up run";
    {
        std::lock_guard<std::mutex> hold(engine.state().lock);
        const ListEntry probe(listKindCode(ListKind::Address), "", "ann@example.org", 0, "", "");
        EXPECT_EQ(engine.state().data.lists().findAddress(probe, true).result, LookupResult::InAskedList);
    }
    firstRun.release();
    settle();
}

TEST_F(KvnCommandsTest, RecheckAsksFromCheckFromTimeSetsTheTooltipAndStartsAPass)
{
    CMain& engine = startAndSettle(host->objectModel());
    KvnCommands& bar = commandsOf(&engine);
    double before = 0;
    {
        std::lock_guard<std::mutex> hold(engine.state().lock);
        before = engine.state().CheckFromTime;
        engine.state().deliveredMailIds.append("seen");
    }
    const int passes = gate.started();
    ui.expectDateTime(0.0);

    bar.recheck();

    ASSERT_TRUE(gate.waitStarted(passes + 1));
    settle();
    ASSERT_EQ(ui.dateTimeRequests().size(), 1u);
    EXPECT_EQ(ui.dateTimeRequests()[0].caption, "Re-check unread e-mails");
    EXPECT_EQ(ui.dateTimeRequests()[0].initial, before);
    EXPECT_EQ(kvnBar.recheck->tooltipText(), "Re-check older unread e-mails");
    {
        std::lock_guard<std::mutex> hold(engine.state().lock);
        EXPECT_EQ(engine.state().CheckFromTime, 0.0);
        EXPECT_THAT(engine.state().deliveredMailIds.ids(), IsEmpty());
    }

    ui.expectDateTime(oleDateOf(2024, 3, 1, 9, 30));
    const int beforeSecond = gate.started();
    bar.recheck();
    ASSERT_TRUE(gate.waitStarted(beforeSecond + 1));
    settle();
    const int passesSoFar = gate.started();
    EXPECT_EQ(kvnBar.recheck->tooltipText(), "KVN currently checks e-mails received after 01 Mar 2024  09:30:00");

    ui.expectDateTime(std::nullopt);
    bar.recheck();
    settle();
    EXPECT_EQ(gate.started(), passesSoFar) << "cancelled: no pass";
    EXPECT_EQ(kvnBar.recheck->tooltipText(), "KVN currently checks e-mails received after 01 Mar 2024  09:30:00");
}

TEST_F(KvnCommandsTest, TheFolderButtonShowsTheQuarantineFolderAndHelpSaysWhenItCannotOpen)
{
    CMain& engine = startAndSettle(host->objectModel());
    KvnCommands& bar = commandsOf(&engine);

    bar.goToQuarantineFolder();
    EXPECT_EQ(explorer->currentFolder()->name(), "KVN Quarantined");

    ui.setShellOpenSucceeds(false);
    ui.expect("KVN", MessageAnswer::Ok);
    bar.showHelp();
    EXPECT_EQ(ui.shown().at(0).text, "The help file " + installDir() + "/KVN.html cannot be opened.");
    EXPECT_EQ(ui.shown().at(0).icon, MessageIcon::Error);
}

TEST_F(KvnCommandsTest, WithoutAQuarantineFolderOrAnEngineTheCommandsDoNothingOrSaySo)
{
    std::filesystem::remove_all(quarantineDir());
    CMain& engine = startAndSettle(host->objectModel());
    commandsOf(&engine).goToQuarantineFolder();
    EXPECT_EQ(explorer->currentFolder()->name(), "Inbox");

    KvnCommands& none = commandsOf(nullptr);
    ui.expect("Unexpected error", MessageAnswer::Ok);
    none.recheck();
    selectMailInWork();
    none.judgeSenders(true);
    none.goToQuarantineFolder();
    EXPECT_EQ(ui.shown().at(0).text, "An unexpected error occured. Please re-start Outlook.");
    EXPECT_EQ(ui.shown().at(0).icon, MessageIcon::Error);
    EXPECT_EQ(explorer->currentFolder()->name(), "Work");
    EXPECT_TRUE(holds(root() + "/.Work", "1.ann"));
}

TEST_F(KvnCommandsTest, FriendBeforeTheStoredListsAreLoadedSaysKvnIsBusyAndChangesNothing)
{
    // An engine whose start-up run never comes: its profile name is refused.
    application = outlook::openMaildirApplication({storeAt(root())}, "no/such");
    CMain engine(EngineServices{application, realFileSystem(), clock, ui, odbc::realOdbc(), nullptr,
        openAppendOnlyFile(logPath()), nullptr, nullptr});
    ASSERT_FALSE(engine.storedDataLoaded());
    KvnCommands& bar = commandsOf(&engine);
    selectMailInWork();
    ui.expect(busyCaption, MessageAnswer::Ok).expect(busyCaption, MessageAnswer::Ok);

    bar.judgeSenders(true);
    bar.judgeDomains(false);

    EXPECT_TRUE(holds(root() + "/.Work", "1.ann"));
    std::lock_guard<std::mutex> hold(engine.state().lock);
    EXPECT_TRUE(engine.state().data.lists().sequence(ListKind::Address, true).empty());
}

TEST_F(KvnCommandsTest, FriendAndFoeChangeTheListsWhileAPassClassifiesTheInbox)
{
    setOption(setting::StartUp, 1);
    ASSERT_TRUE(writeString("Default", setting::StopTime, "45366.0"));
    gate.runRealPasses();
    for (int i = 0; i < 30; ++i)
        putMessage(root(), "new", "s" + std::to_string(i), localSeconds(2024, 3, 15, 11, i),
            messageText("Offer", "Cy <cy" + std::to_string(i) + "@else.example>"));
    for (int i = 0; i < 8; ++i)
        putMessage(root() + "/.Work", "new", "w" + std::to_string(i), localSeconds(2024, 3, 14, 10, i),
            messageText("Hi", "Pal <pal" + std::to_string(i) + "@example.net>"));
    CMain& engine = start(host->objectModel());
    // The lists are loaded by the start-up run; its pass then runs beside the commands.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!engine.startupFinished() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    KvnCommands& bar = commandsOf(&engine);
    ASSERT_TRUE(explorer->setCurrentFolder(work));
    for (int i = 0; i < 8; ++i) {
        const outlook::ItemsPtr items = work->items();
        explorer->select({items->getFirst()});
        bar.judgeSenders(i % 2 == 0);
        engine.RequestRun();
    }
    settle();

    EXPECT_EQ(messageFiles(quarantineDir()).size(), 30u) << "every stranger quarantined";
    for (int i = 0; i < 8; ++i)
        EXPECT_TRUE(holds(i % 2 == 0 ? root() : trashDir(), "w" + std::to_string(i))) << i;
    std::lock_guard<std::mutex> hold(engine.state().lock);
    EXPECT_EQ(engine.state().data.lists().sequence(ListKind::Address, true).size(), 4u);
    EXPECT_EQ(engine.state().data.lists().sequence(ListKind::Address, false).size(), 4u);
}

TEST_F(KvnCommandsTest, ClicksOnTheRealBarRunTheAddinsCommands)
{
    EnvironmentGuard state{"XDG_STATE_HOME", temp / "state"};
    const com::ComPtr<Addin> addin = com::makeObject<Addin>(std::make_unique<ForwardingUi>(ui));
    ASSERT_EQ(addin->OnConnection(host.get(), com::ext_cm_Startup, nullptr, nullptr), com::S_OK);
    const outlook::CommandBarPtr kvn = explorer->commandBars()->find("KVN");
    ASSERT_TRUE(kvn);
    const auto controls = kvn->controls();
    const auto friendButton = controls->item(3)->asButton();
    const auto foePopup = controls->item(6)->asPopup();
    const auto mainPopup = controls->item(2)->asPopup();
    ASSERT_TRUE(friendButton && foePopup && mainPopup);
    ASSERT_EQ(friendButton->caption(), "Friend");
    // The stored lists are loaded first: a change made before would be lost.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (addin->IsIdle() != com::S_OK && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    selectMailInWork();

    EXPECT_EQ(friendButton->execute(), 1);
    EXPECT_TRUE(holds(root(), "1.ann"));

    ui.expect("Please confirm!", MessageAnswer::Yes);
    putMessage(root() + "/.Work", "new", "2.spam", localSeconds(2024, 3, 14, 11, 0),
        messageText("Buy", "Spam <spam@bad.example>"));
    explorer->select({work->items()->getFirst()});
    EXPECT_EQ(foePopup->controls()->item(1)->asButton()->execute(), 1);
    EXPECT_TRUE(holds(trashDir(), "2.spam"));

    EXPECT_EQ(mainPopup->controls()->item(4)->asButton()->execute(), 1);
    EXPECT_THAT(ui.opened(), ElementsAre(installDir() + "/KVN.html"));

    ASSERT_EQ(addin->OnDisconnection(com::ext_dm_HostShutdown, nullptr), com::S_OK);
    // The engine saved what the commands put on the lists.
    ProfileData saved(installDir(), "Default", realFileSystem(), clock);
    (void)saved.readAll();
    const ListEntry ann(listKindCode(ListKind::Address), "", "ann@example.org", 0, "", "");
    EXPECT_EQ(saved.lists().findAddress(ann, true).result, LookupResult::InAskedList);
    EXPECT_EQ(saved.lists().findDomain("x@bad.example", false).result, LookupResult::DomainInAskedList);
}

// The help file the installer puts beside the data: whole HTML that loads
// nothing from elsewhere, telling of every button.
TEST(HelpFile, IsSelfContainedAndNamesEveryCommand)
{
    const std::string help = readWholeFile(KVN_HELP_FILE);
    EXPECT_TRUE(help.starts_with("<!DOCTYPE html>"));
    EXPECT_NE(help.find("</html>"), std::string::npos);
    for (const char* remote : {"://", "src=", "@import", "url("})
        EXPECT_EQ(help.find(remote), std::string::npos) << remote;
    for (const char* command : {"Friend", "Foe", "Trust whole domain", "Block whole domain", "Re-check E-Mails",
             "Show lists", "Show statistics", "Options", "Help", "About", "kvnctl", "regsvr32 /u"})
        EXPECT_NE(help.find(command), std::string::npos) << command;
}

} // namespace
} // namespace kvn::testing
