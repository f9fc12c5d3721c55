// The news player on real news files: what it shows, the commands it sends
// back, and that it loads nothing the news names.
#include "platform/flash/text_browser_player.h"

#include "tests/support/qt_application.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTextDocument>

#include <utility>
#include <vector>

namespace kvn {
namespace {

using Commands = std::vector<std::pair<std::string, std::string>>;

class NewsPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::qtApplication();
        player_.setCommandHandler([this](const std::string& command, const std::string& argument) {
            commands_.emplace_back(command, argument);
        });
    }
    void playNews(const std::string& bytes, const std::string& lastDate)
    {
        testing::writeWholeFile(folder_ / "news.html", bytes);
        player_.setMovie(folder_ / "news.html");
        player_.SetVariable("last_date", lastDate);
        player_.Play();
    }

    QApplication& application_ = testing::qtApplication(); // before any widget
    testing::TempFolder folder_;
    TextBrowserPlayer player_;
    Commands commands_;
};

TEST_F(NewsPlayerTest, NewerNewsAreShownAndAskToBeShownWithTheirDate)
{
    playNews("date: 2026.12.09\n<h3>Winter news</h3>", "2026.11.30");
    EXPECT_TRUE(player_.toPlainText().contains(QStringLiteral("Winter news")));
    EXPECT_EQ(commands_, (Commands{{"show_news", "2026.12.09"}}));
    EXPECT_EQ(player_.movie(), folder_ / "news.html");
}

TEST_F(NewsPlayerTest, NewsNotNewerThanTheLastDateStayQuiet)
{
    playNews("date: 2026.12.09\n<p>Seen</p>", "2026.12.09");
    playNews("date: 2026.12.09\n<p>Seen</p>", "2027.01.01");
    playNews("<p>No date</p>", "2000.01.02");
    EXPECT_TRUE(commands_.empty());
    EXPECT_TRUE(player_.toPlainText().contains(QStringLiteral("No date")));
}

TEST_F(NewsPlayerTest, AMissingOrBrokenMovieShowsNothing)
{
    playNews("date: 2026.12.09\n<p>Before</p>", "2026.12.10");
    player_.setMovie(folder_ / "missing.html");
    player_.Play();
    EXPECT_TRUE(player_.toPlainText().isEmpty());
    playNews(std::string("date: 2026.12.09\n<p>\xc3\x28 \xff</p>"), "2000.01.02");
    EXPECT_TRUE(player_.toPlainText().contains(QChar(0xFFFD)));
    EXPECT_EQ(commands_, (Commands{{"show_news", "2026.12.09"}}));
}

TEST_F(NewsPlayerTest, NothingTheNewsNamesIsLoaded)
{
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(folder_ / "picture.png")));
    const QUrl local = QUrl::fromLocalFile(QString::fromStdString(folder_ / "picture.png"));
    playNews("date: 2026.12.09\n<img src=\"" + local.toString().toStdString()
            + "\"><img src=\"http://news.example/track.png\"><link rel=stylesheet href=\"http://news.example/s.css\">",
        "2000.01.02");
    const auto bytesOf = [this](const QUrl& name) {
        return player_.document()->resource(QTextDocument::ImageResource, name).toByteArray();
    };
    EXPECT_TRUE(bytesOf(local).isEmpty());
    EXPECT_TRUE(bytesOf(QUrl(QStringLiteral("http://news.example/track.png"))).isEmpty());
}

TEST_F(NewsPlayerTest, CommandLinksSendTheirCommandAndOtherLinksAreNotFollowed)
{
    playNews("date: 2026.12.09\n<a href=\"fscommand:hide_news\">Close</a>", "2026.12.09");
    emit player_.anchorClicked(QUrl(QStringLiteral("fscommand:hide_news")));
    emit player_.anchorClicked(QUrl(QStringLiteral("fscommand:show_news?2026.12.24")));
    emit player_.anchorClicked(QUrl(QStringLiteral("https://news.example/more")));
    EXPECT_EQ(commands_, (Commands{{"hide_news", ""}, {"show_news", "2026.12.24"}}));
    EXPECT_TRUE(player_.source().isEmpty());
    EXPECT_TRUE(player_.toPlainText().contains(QStringLiteral("Close")));
}

} // namespace
} // namespace kvn
