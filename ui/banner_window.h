// The progress banner on screen (dialog 221, no caption): a text that scrolls
// like a marquee and the product's icon blinking with its yellow twin, at the
// bottom right of the primary screen's work area (375 × 55 pixels, 375 from
// its right and 75 from its bottom edge). It takes no input and never takes
// the focus.
//
// While shown, the marquee timer (150 ms) moves the text's first character to
// its end and the blink timer (1500 ms) swaps the two icons; both stop when
// it is hidden. Controls by object name: control_228 (the text), control_229
// (the blue icon), control_230 (the yellow one).
#pragma once

#include "addin/banner.h"
#include "ui/repeating_timer.h"

#include <QDialog>

#include <memory>
#include <mutex>
#include <optional>

namespace Ui {
class BannerForm;
}

namespace kvn {

inline constexpr int bannerMarqueeMilliseconds = 150;
inline constexpr int bannerBlinkMilliseconds = 1500;

// The window itself; GUI thread only.
class BannerWindow final : public QDialog {
public:
    explicit BannerWindow(const TimerFactory& timers, QWidget* parent = nullptr);
    ~BannerWindow() override;

    // Shows the window without activating it and starts both timers.
    void start();
    // Hides the window and stops both timers.
    void stop();
    void setText(const QString& text);
    QString text() const;

    // One tick of each timer.
    void scrollOneCharacter();
    void swapIcons();

private:
    void placeAtWorkAreaCorner();

    std::unique_ptr<::Ui::BannerForm> form_;
    std::unique_ptr<RepeatingTimer> marquee_;
    std::unique_ptr<RepeatingTimer> blink_;
};

// The engine's banner on the window. Made and destroyed on the GUI thread;
// Show, Hide and SetText may come from any thread: what they ask is kept and
// the window follows the latest request on the GUI thread (at once when
// called there, else through its event loop), so a request from a worker
// never waits for the GUI thread.
class QtBanner final : public Banner {
public:
    explicit QtBanner(const TimerFactory& timers = qtTimers());
    ~QtBanner() override;

    BannerWindow& window() { return *window_; }

protected:
    void showWindow() override;
    void hideWindow() override;
    void setWindowText(const std::string& text) override;

private:
    void request(std::optional<bool> visible, std::optional<std::string> text);
    void followRequests();

    std::mutex requestLock_;
    bool wantVisible_ = false;
    std::optional<std::string> newText_;
    std::unique_ptr<BannerWindow> window_;
};

// A QtBanner with Qt's timers, for the engine's services.
std::unique_ptr<Banner> makeQtBanner();

} // namespace kvn
