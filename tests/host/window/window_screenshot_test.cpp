// The main window on a demo mailbox, drawn on a real display (run under
// xvfb-run) and saved as a picture in the build folder, so that a person can
// look at what the window shows; checked not to be blank, with the add-in's
// bar "KVN" drawn among its toolbars.
#include "addin/kvn_bar.h"
#include "host/window/command_bar_toolbars.h"
#include "host/window/main_window.h"
#include "host/window/message_list_model.h"
#include "host/window/outlook_bar_view.h"
#include "host/window/preview_pane.h"
#include "tests/host/window/window_fixture.h"

#include <QImage>
#include <QItemSelectionModel>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>
#include <set>

namespace kvn::host::testing {
namespace {

class WindowScreenshot : public WindowFixture {
protected:
    void deliverDemoMail()
    {
        for (const char* folder : {".KVN Quarantined/cur", ".KVN Quarantined/new", ".KVN Quarantined/tmp", ".Sent/cur",
                 ".Sent/new", ".Sent/tmp", ".Trash/cur", ".Trash/new", ".Trash/tmp"})
            std::filesystem::create_directories(root + "/" + folder);
        deliver("", "101.anna", "Anna Berg <anna.berg@friends.example>", "Re: Dinner on Friday?", false,
            "<p>Friday suits me. Shall we say <b>seven</b> at the usual place?</p><p>Anna</p>", "text/html");
        deliver("", "102.boss", "Chris Lind <chris.lind@work.example>", "Quarterly figures", false,
            "Please look at the attached figures before Monday.");
        deliver("", "105.stranger", "Dana Holm <dana@unknown.example>", "Hello from a stranger", true,
            "We met at the conference.");
        deliver(".KVN Quarantined", "103.pills", "Best Offers <offers@cheap-pills.example>", "Cheap pills, 90% off",
            false, "Buy now.");
        deliver(".KVN Quarantined", "104.lottery", "Prize Office <claims@prize-office.example>",
            "You are our lottery winner", false, "Send your bank details.");
        deliver(".Sent", "1.sent", "Demo User <me@home.example>", "Dinner on Friday?", true, "Are you free?");
    }
};

TEST_F(WindowScreenshot, TheMainWindowOnTheDemoMailboxIsDrawn)
{
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform == nullptr || std::string(platform) != "xcb" || std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs a display: run it under xvfb-run with QT_QPA_PLATFORM=xcb";
    deliverDemoMail();
    openApplication();
    const auto shortcuts = application->explorer()
                               ->panes()
                               ->item(outlook::outlookBarPaneName)
                               ->asOutlookBarPane()
                               ->contents()
                               ->groups()
                               ->item(1)
                               ->shortcuts();
    ASSERT_TRUE(shortcuts->add(folderNamed("KVN Quarantined"), "KVN Quarantined", 99));

    KvnBar bar;
    ASSERT_EQ(buildKvnBar(*application->explorer()->commandBars(), 0, bar), "");

    MainWindow window(*application.get(), *registry, stores, "Default");
    CommandBarToolbars toolbars(window, application->explorer()->commandBars());
    window.resize(1200, 720);
    window.show();
    ASSERT_TRUE(processUntil([&] { return window.isVisible() && window.messages()->rowCount() == 3; }));
    window.messageList()->selectionModel()->select(
        window.messages()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    window.messageList()->setFocus();
    EXPECT_TRUE(window.outlookBar()->shortcutNames().contains("KVN Quarantined"));
    processUntil([] { return false; }, 300);

    // The bar's buttons are in the window, with their captions.
    QToolBar* kvn = toolbars.toolbar(kvnBarName);
    ASSERT_NE(kvn, nullptr);
    EXPECT_TRUE(kvn->isVisible());
    std::set<std::string> captions;
    for (const QToolButton* button : window.findChildren<QToolButton*>())
        if (button->isVisible())
            captions.insert(button->text().toStdString());
    for (const char* caption : {"Friend", "Foe", "Re-check E-Mails", "KVN"})
        EXPECT_TRUE(captions.count(caption)) << caption;

    const QImage picture = window.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    std::set<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 2)
        for (int x = 0; x < picture.width(); x += 2)
            colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 64u) << "the picture looks blank";
    EXPECT_TRUE(picture.save(KVN_SCREENSHOT_FILE));
    EXPECT_TRUE(std::filesystem::exists(KVN_SCREENSHOT_FILE));
}

} // namespace
} // namespace kvn::host::testing
