// Friend as a person uses it: Korvhub connected in this process to the host's
// application, the host's window over the profile with the add-in's bar drawn
// as a toolbar, a quarantined e-mail selected in the message list and the
// toolbar's Friend button clicked. The e-mail and its sender's other
// quarantined mail go to the Inbox and the sender is on the white list.
#include "host/addin_catalog.h"
#include "host/host_application.h"
#include "host/loaded_addin.h"
#include "host/window/command_bar_toolbars.h"
#include "host/window/main_window.h"
#include "host/window/message_list_model.h"
#include "platform/outlook/maildir_store.h"
#include "tests/host/korvhub_fixture.h"
#include "ui/about_box.h"
#include "ui/recheck_dialog.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <cstdlib>
#include <memory>

namespace kvn::testing {
namespace {

// The process's QApplication, made on first use and destroyed when the
// tests end: among the exit handlers, after the toolkit's own statics, its
// destructor would crash.
class QtApplicationEnvironment final : public ::testing::Environment {
public:
    QApplication& application()
    {
        static int argc = 1;
        static char name[] = "kvn_korvhub_window_tests";
        static char* argv[] = {name, nullptr};
        if (!application_) {
            setenv("QT_QPA_PLATFORM", "offscreen", 0);
            application_ = std::make_unique<QApplication>(argc, argv);
        }
        return *application_;
    }
    void TearDown() override { application_.reset(); }

private:
    std::unique_ptr<QApplication> application_;
};

QtApplicationEnvironment* const qtEnvironment
    = static_cast<QtApplicationEnvironment*>(::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment));

QApplication& qtApplication() { return qtEnvironment->application(); }

class KorvhubWindow : public KorvhubEndToEnd {
protected:
    KorvhubWindow() { (void)qtApplication(); }

    // Lets the window and the add-in's questions from its workers be handled
    // while waiting on the file system or the engine.
    static bool processUntil(const std::function<bool()>& condition)
    {
        return waitUntil([&] {
            QApplication::processEvents();
            return condition();
        });
    }

    void openApplication()
    {
        store.root = inbox();
        model = outlook::openMaildirApplication({store}, "Default", *registry);
        application = host::openHostApplication(model, *registry, "Default");
    }

    // Opens the application and connects the registered Korvhub to it, as
    // the host does, once its start-up run is over.
    host::LoadedAddin::Loaded connectKorvhub()
    {
        openApplication();
        const std::vector<host::AddinEntry> entries = host::registeredAddins(*registry);
        EXPECT_EQ(entries.size(), 1u);
        if (entries.empty())
            return {};
        host::LoadedAddin::Loaded loaded = host::LoadedAddin::load(*registry, entries.front());
        if (loaded.addin && loaded.addin->connect(application.get(), com::ext_cm_Startup) == com::S_OK) {
            EXPECT_TRUE(processUntil([&] { return loaded.addin->isIdle(); }));
        }
        return loaded;
    }

    outlook::FolderPtr quarantineFolder()
    {
        const outlook::FolderPtr top = model->getNamespace("MAPI")->getDefaultFolder(outlook::olFolderInbox)->parent();
        return top ? top->folders()->item("KVN Quarantined") : nullptr;
    }

    std::unique_ptr<registry::Registry> registry = registry::openFileRegistry(temp / "registry");
    outlook::StoreConfig store;
    outlook::ApplicationPtr model;
    com::ComPtr<host::HostApplication> application;
};

TEST_F(KorvhubWindow, FriendOnARowSelectedInTheWindowTrustsTheSenderAndBringsHisMailBack)
{
    prepare();
    arrive("1.first", "Stranger <someone@unknown.example>");
    arrive("2.second", "Stranger <someone@unknown.example>");
    arrive("3.other", "Other <other@unknown.example>");
    host::LoadedAddin::Loaded loaded = connectKorvhub();
    ASSERT_TRUE(loaded.addin && loaded.addin->connected()) << loaded.error;
    (void)application->raiseNewMail();
    ASSERT_TRUE(processUntil([&] {
        return loaded.addin->isIdle() && whereIs("1.first") == ".KVN Quarantined"
            && whereIs("2.second") == ".KVN Quarantined" && whereIs("3.other") == ".KVN Quarantined";
    }));

    {
        host::MainWindow window(*application.get(), *registry, {store}, "Default");
        host::CommandBarToolbars toolbars(window, application->explorer()->commandBars());
        window.show();
        ASSERT_TRUE(application->explorer()->setCurrentFolder(quarantineFolder()));
        ASSERT_TRUE(processUntil([&] { return window.messages()->rowCount() == 3; }));

        // The user selects the first stranger's row.
        int row = -1;
        for (int r = 0; r < window.messages()->rowCount(); ++r)
            if (window.messages()->index(r, 1).data().toString().contains("someone@unknown.example")
                && window.messages()->index(r, 0).data().toString() == "Stranger" && row < 0)
                row = r;
        ASSERT_GE(row, 0);
        window.messageList()->selectionModel()->select(
            window.messages()->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        ASSERT_EQ(application->explorer()->selection()->count(), 1u);

        QToolBar* bar = toolbars.toolbar("KVN");
        ASSERT_NE(bar, nullptr);
        QToolButton* friendButton = nullptr;
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            if (button->text() == "Friend")
                friendButton = button;
        ASSERT_NE(friendButton, nullptr);
        friendButton->click();
        // Both of the stranger's e-mails are back; the other one stays.
        EXPECT_TRUE(processUntil([&] { return whereIs("1.first").empty() && whereIs("2.second").empty(); }));
        EXPECT_EQ(whereIs("3.other"), ".KVN Quarantined");
    }
    EXPECT_EQ(loaded.addin->disconnect(com::ext_dm_HostShutdown), com::S_OK);
    EXPECT_THAT(listsShown(), ::testing::ContainsRegex("white +e-mail address +Stranger +someone@unknown.example"));
}

// The modal window a click opened, closed again: its class name, or empty
// when none opened.
template <typename Dialog> std::string closesAfterClick(const std::function<void()>& click)
{
    std::string seen;
    QTimer::singleShot(50, [&seen] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            seen = dynamic_cast<Dialog*>(modal) ? "opened" : modal->metaObject()->className();
            modal->close();
        }
    });
    click();
    return seen;
}

QAction* menuItem(QToolBar& bar, const QString& caption)
{
    for (QMenu* menu : bar.findChildren<QMenu*>())
        for (QAction* action : menu->actions())
            if (action->text() == caption)
                return action;
    return nullptr;
}

TEST_F(KorvhubWindow, TheBarOpensTheAboutBoxAndTheRecheckDialog)
{
    prepare();
    host::LoadedAddin::Loaded loaded = connectKorvhub();
    ASSERT_TRUE(loaded.addin && loaded.addin->connected()) << loaded.error;
    {
        host::MainWindow window(*application.get(), *registry, {store}, "Default");
        host::CommandBarToolbars toolbars(window, application->explorer()->commandBars());
        window.show();
        QToolBar* bar = toolbars.toolbar("KVN");
        ASSERT_NE(bar, nullptr);
        QAction* about = menuItem(*bar, "About");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(closesAfterClick<AboutBoxDialog>([about] { about->trigger(); }), "opened");
        QToolButton* recheck = nullptr;
        for (QToolButton* button : bar->findChildren<QToolButton*>())
            if (button->text() == "Re-check E-Mails")
                recheck = button;
        ASSERT_NE(recheck, nullptr);
        EXPECT_EQ(closesAfterClick<RecheckDialog>([recheck] { recheck->click(); }), "opened");
    }
    EXPECT_EQ(loaded.addin->disconnect(com::ext_dm_HostShutdown), com::S_OK);
}

} // namespace
} // namespace kvn::testing
