// The news window over a real installation folder and a real registry
// folder: shown when the news are newer than "NewsLastDate", and what
// "show_news" and "hide_news" do.
#include "ui/news_window_dialog.h"

#include "lists/registry_root.h"
#include "lists/settings.h"
#include "lists/settings_table.h"
#include "platform/flash/text_browser_player.h"
#include "tests/support/local_time.h"
#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

namespace kvn {
namespace {

class NewsWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::qtApplication();
        setRegistryRoot(productRegistryRoot(registry_.get()));
    }
    void TearDown() override { setRegistryRoot(productRegistryRoot()); }

    void supplyNews(const std::string& bytes) { testing::writeWholeFile(install_ / "news.html", bytes); }
    std::string lastDate() { return readString("Work", setting::NewsLastDate, "none"); }
    std::unique_ptr<QtNewsWindow> open() { return std::make_unique<QtNewsWindow>("Work", install_.path(), today_); }

    testing::TempFolder registryFolder_;
    testing::TempFolder install_;
    std::unique_ptr<registry::Registry> registry_ = registry::openFileRegistry(registryFolder_.path());
    SettableClock today_{testing::oleDateOf(2026, 12, 9, 18, 0, 0)};
};

TEST_F(NewsWindowTest, ItIsMadeHiddenAndPlaysTheInstallationsNews)
{
    supplyNews("date: 2026.12.01\n<p>Old news</p>");
    ASSERT_TRUE(writeString("Work", setting::NewsLastDate, "2026.12.01"));
    const auto news = open();
    EXPECT_EQ(news->window().windowTitle(), "KVN News");
    EXPECT_EQ(news->window().size(), QSize(146, 379));
    EXPECT_TRUE(news->window().isHidden());
    EXPECT_EQ(news->player().parentWidget()->objectName(), "control_344");
    EXPECT_EQ(news->player().movie(), install_ / "news.html");
    EXPECT_EQ(news->player().variable("last_date"), "2026.12.01");
    EXPECT_TRUE(news->player().toPlainText().contains(QStringLiteral("Old news")));
}

TEST_F(NewsWindowTest, NewerNewsShowThemselvesOnceAndTheirDateIsKept)
{
    supplyNews("date: 2026.12.05\n<p>Fresh</p>");
    {
        const auto news = open(); // "NewsLastDate" unset: "2000.01.02"
        EXPECT_EQ(news->player().variable("last_date"), "2000.01.02");
        EXPECT_TRUE(news->window().isVisible());
        EXPECT_EQ(lastDate(), "2026.12.05");
    }
    const auto again = open();
    EXPECT_TRUE(again->window().isHidden());
    again->ShowNow();
    EXPECT_TRUE(again->window().isVisible());
}

TEST_F(NewsWindowTest, ShowNewsStoresItsArgumentUnchangedOrToday)
{
    const auto news = open(); // no news file: nothing plays
    EXPECT_TRUE(news->window().isHidden());
    EXPECT_EQ(lastDate(), "none");
    news->FSCommand("show_news", "whatever 1.2");
    EXPECT_EQ(lastDate(), "whatever 1.2");
    EXPECT_TRUE(news->window().isVisible());
    news->FSCommand("hide_news", "");
    EXPECT_TRUE(news->window().isHidden());
    news->FSCommand("show_news", "");
    EXPECT_EQ(lastDate(), "2026.12.09");
    EXPECT_TRUE(news->window().isVisible());
}

TEST_F(NewsWindowTest, OtherCommandsAreIgnored)
{
    ASSERT_TRUE(writeString("Work", setting::NewsLastDate, "2026.01.01"));
    const auto news = open();
    for (const char* command : {"SHOW_NEWS", "quit", "", "show_news "})
        news->FSCommand(command, "2027.01.01");
    EXPECT_TRUE(news->window().isHidden());
    EXPECT_EQ(lastDate(), "2026.01.01");
}

TEST_F(NewsWindowTest, ACommandLinkInTheNewsReachesTheWindow)
{
    supplyNews("date: 2026.12.05\n<a href=\"fscommand:hide_news\">Close</a>");
    const auto news = open();
    ASSERT_TRUE(news->window().isVisible());
    emit news->player().anchorClicked(QUrl(QStringLiteral("fscommand:hide_news")));
    EXPECT_TRUE(news->window().isHidden());
}

TEST_F(NewsWindowTest, ANewsFileInPlaceOfAFifoOrTooBigShowsNothing)
{
    ASSERT_EQ(::mkfifo((install_ / "news.html").c_str(), 0600), 0);
    EXPECT_TRUE(open()->window().isHidden());
    ASSERT_EQ(::unlink((install_ / "news.html").c_str()), 0);
    supplyNews("date: 2026.12.05\n" + std::string(300 * 1024, 'x'));
    EXPECT_TRUE(open()->window().isHidden());
    EXPECT_EQ(lastDate(), "none");
}

} // namespace
} // namespace kvn
