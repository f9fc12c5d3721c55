// The news window (dialog 274, "KVN News") on Qt: made hidden, it holds the
// news player (control 344) playing the installation's news file with the
// profile's "NewsLastDate" (default "2000.01.02") as "last_date". The
// player's "show_news" stores its argument as "NewsLastDate" (today,
// "%Y.%m.%d", when the argument is empty) and shows the window; "hide_news"
// hides it; other commands are ignored. ShowNow shows it. GUI thread only.
#pragma once

#include "addin/news_window.h"
#include "platform/core/clock.h"

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class NewsWindowForm;
}

namespace kvn {

class TextBrowserPlayer;

class QtNewsWindow final : public NewsWindow {
public:
    // today gives the date "show_news" stores when the movie names none.
    QtNewsWindow(const std::string& profileName, const std::string& installDir, const Clock& today);
    ~QtNewsWindow() override;

    void ShowNow() override;
    // A command the movie sends.
    void FSCommand(const std::string& command, const std::string& argument);

    QDialog& window() { return *window_; }
    TextBrowserPlayer& player() { return *player_; }

private:
    std::string optionKey_;
    const Clock& today_;
    std::unique_ptr<QDialog> window_;
    std::unique_ptr<::Ui::NewsWindowForm> form_;
    TextBrowserPlayer* player_ = nullptr; // a child of window_
};

// Makes QtNewsWindows on the machine's clock, for the engine's services.
NewsWindowFactory qtNewsWindowFactory();

} // namespace kvn
