// The balloon: a small top-level window with a title, a text and an optional
// icon, whose pointer shows at an anchor point. It serves tips, warnings,
// previews and reminder popups. How it closes is set by its options word
// (balloon_options.h):
//   - a closing rule that fires, the display timer running out, or an
//     ordinary close (requestClose, QWidget::close) is a close request;
//   - with DelayClose a close request only clears DelayClose and the mouse
//     rules (the key rule stays) and starts the display timer; the next close
//     request closes it;
//   - a display time of 0 starts no timer: the balloon stays until a close
//     request;
//   - the close button (ShowCloseButton), and a left click on a balloon that
//     has an address (which is opened first), close it at once.
// The rules watch the mouse and keys in every window of the application.
// With a parent the anchor is in the parent's coordinates, and the balloon
// moves with the parent's window. Everything here is for the GUI thread; a
// worker thread marshals to it.
#pragma once

#include "ui/widgets/address_opener.h"
#include "ui/widgets/balloon_geometry.h"
#include "ui/widgets/balloon_timers.h"

#include <QIcon>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

namespace kvn {
enum class MessageIcon;
struct BalloonRequest;
} // namespace kvn

namespace kvn::ui {

struct BalloonContent {
    QString title;
    QString text;
    // Drawn at the small-icon size; a null icon leaves room for none.
    QIcon icon;
    // Opened by a left click on the balloon; empty: such a click does nothing.
    QString address;
};

// What the balloon reaches outside itself; tests pass their own.
struct BalloonServices {
    // Not owned, must outlive the balloon; null: the balloon's own Qt timers.
    BalloonTimers* timers = nullptr;
    // Null: the desktop's opener.
    AddressOpener openAddress;
    // Where the mouse is, in screen coordinates; null: the cursor's position.
    std::function<QPoint()> pointerPosition;
};

class Balloon final : public QWidget {
    Q_OBJECT

public:
    // How far the mouse may wander, either way, before CloseOnMouseMove fires:
    // the desktop's usual hover rectangle.
    static constexpr int kHoverWidth = 4;
    static constexpr int kHoverHeight = 4;
    static constexpr int kFadeMilliseconds = 200;
    static constexpr int kFadeSteps = 10;

    // Options are taken as given (LaunchBalloon adds its own); the balloon is
    // a child of the parent's window, so it never outlives it.
    Balloon(const BalloonContent& content, QPoint anchor, unsigned options, QWidget* parent, int displayMilliseconds,
        const BalloonServices& services = {});
    ~Balloon() override;

    // Lays out, places and shows the balloon without taking the focus, and
    // starts watching the rules and the display timer.
    void popUp();
    // The ordinary close message.
    void requestClose();

    unsigned options() const { return options_; }
    const BalloonShape& shape() const { return shape_; }
    // In window coordinates; empty without the close button.
    QRect closeButtonRect() const;
    // True from the moment it starts to hide.
    bool isClosing() const { return closing_; }

signals:
    // The balloon has hidden; with DeleteWhenClosed it is deleted next.
    void closed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void place();
    QPoint anchorOnScreen() const;
    QPoint contentOrigin() const;
    void startDisplayTimer();
    void watchRule(unsigned rule);
    void watchMouse(const QEvent* event);
    void closeNow();
    void fadeStep(int direction, std::function<void()> done);
    void finishClose();
    void stopWatching();

    BalloonContent content_;
    QPoint anchor_;
    unsigned options_;
    QPointer<QWidget> anchorParent_;
    int displayMilliseconds_;
    std::unique_ptr<BalloonTimers> ownTimers_;
    BalloonTimers* timers_;
    AddressOpener openAddress_;
    std::function<QPoint()> pointerPosition_;
    BalloonLayout layout_;
    BalloonShape shape_;
    QPoint pointerOrigin_;
    // Tenths of full opacity, kept here: the window system may round what it is given.
    int fadeLevel_ = kFadeSteps;
    bool watching_ = false;
    bool holdsCapture_ = false;
    bool closing_ = false;
    bool closeButtonPressed_ = false;
};

// Creates and shows a balloon that deletes itself when closed (the options
// get DeleteWhenClosed, and both no-fading bits when the desktop does not
// animate tooltips). `parent` may be null: the anchor is then in screen
// coordinates. The returned balloon belongs to itself; hold it in a QPointer.
Balloon* LaunchBalloon(const QString& title, const QString& text, QPoint anchor, const QIcon& icon, unsigned options,
    QWidget* parent, const QString& address, int displayMilliseconds, const BalloonServices& services = {});

// The Ui service's reminder balloon: a topmost balloon with a close button
// whose pointer tips at the bottom-right corner of the primary screen's work
// area (16 pixels in), closing after the request's duration (never by itself
// when that is 0 or less) and deleting itself once closed. Title and text are UTF-8; bytes that are not
// become replacement characters.
Balloon* LaunchCornerBalloon(const BalloonRequest& request, const BalloonServices& services = {});

// The desktop's icon for a message of this kind; a null icon for None.
QIcon balloonIcon(MessageIcon icon);

} // namespace kvn::ui
