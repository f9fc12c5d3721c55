#include "ui/widgets/balloon.h"

#include "platform/core/ui.h"
#include "ui/widgets/balloon_options.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QToolTip>
#include <cstdlib>

namespace kvn::ui {

using namespace balloon;

namespace {

constexpr int kMargin = 8;

Qt::WindowFlags windowFlagsFor(unsigned options)
{
    Qt::WindowFlags flags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    if (options & TopMost)
        flags |= Qt::WindowStaysOnTopHint;
    if (options & NoShadow)
        flags |= Qt::NoDropShadowWindowHint;
    return flags;
}

QRect workAreaAt(QPoint point)
{
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Which rule a mouse button closes on, pressed or released.
unsigned buttonRule(Qt::MouseButton button, bool pressed)
{
    switch (button) {
    case Qt::LeftButton:
        return pressed ? CloseOnLeftDown : CloseOnLeftUp;
    case Qt::MiddleButton:
        return pressed ? CloseOnMiddleDown : CloseOnMiddleUp;
    case Qt::RightButton:
        return pressed ? CloseOnRightDown : CloseOnRightUp;
    default:
        return 0;
    }
}

QColor blend(const QColor& a, const QColor& b)
{
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
}

} // namespace

Balloon::Balloon(const BalloonContent& content, QPoint anchor, unsigned options, QWidget* parent,
    int displayMilliseconds, const BalloonServices& services)
    : QWidget(parent ? parent->window() : nullptr, windowFlagsFor(options)),
      content_(content),
      anchor_(anchor),
      options_(options),
      anchorParent_(parent),
      displayMilliseconds_(displayMilliseconds),
      timers_(services.timers),
      openAddress_(services.openAddress ? services.openAddress : desktopAddressOpener()),
      pointerPosition_(services.pointerPosition ? services.pointerPosition : [] { return QCursor::pos(); })
{
    if (!timers_) {
        ownTimers_ = makeQtBalloonTimers();
        timers_ = ownTimers_.get();
    }
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setPalette(QToolTip::palette());
}

Balloon::~Balloon()
{
    timers_->stop(BalloonTimers::Timer::Display);
    timers_->stop(BalloonTimers::Timer::Fade);
    stopWatching();
}

QPoint Balloon::anchorOnScreen() const { return anchorParent_ ? anchorParent_->mapToGlobal(anchor_) : anchor_; }

void Balloon::place()
{
    QPoint anchor = anchorOnScreen();
    QRect workArea = workAreaAt(anchor);
    QFont bold = font();
    bold.setBold(true);
    int smallIcon = style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, this);
    QSize iconSize = content_.icon.isNull() ? QSize() : QSize(smallIcon, smallIcon);
    int button = std::max(smallIcon, style()->pixelMetric(QStyle::PM_TitleBarButtonSize, nullptr, this));
    QSize closeSize = (options_ & ShowCloseButton) ? QSize(button, button) : QSize();
    layout_ = layOutBalloon(QFontMetrics(bold), fontMetrics(), content_.title, content_.text, iconSize, closeSize,
        workArea.width() / 2, workArea.width() - 16);
    shape_ = placeBalloon(layout_.windowSize(), anchor, workArea);
    setFixedSize(layout_.windowSize());
    setMask(shape_.region());
    move(shape_.topLeft);
}

QPoint Balloon::contentOrigin() const { return shape_.body.topLeft() + QPoint(kMargin, kMargin); }

QRect Balloon::closeButtonRect() const { return layout_.closeButton.translated(contentOrigin()); }

void Balloon::popUp()
{
    place();
    pointerOrigin_ = pointerPosition_();
    bool fadeIn = !(options_ & ShowWithoutFading);
    fadeLevel_ = fadeIn ? 0 : kFadeSteps;
    setWindowOpacity(fadeIn ? 0.0 : 1.0);
    show();
    if (!watching_) {
        qApp->installEventFilter(this);
        watching_ = true;
    }
    if ((options_ & ButtonUpRules) && !QWidget::mouseGrabber()) {
        grabMouse();
        holdsCapture_ = true;
    }
    if (fadeIn)
        fadeStep(+1, [] {});
    if (!(options_ & DelayClose))
        startDisplayTimer();
}

void Balloon::startDisplayTimer()
{
    if (displayMilliseconds_ <= 0)
        return;
    timers_->start(BalloonTimers::Timer::Display, displayMilliseconds_, [this] { requestClose(); });
}

void Balloon::requestClose()
{
    if (closing_)
        return;
    if (options_ & DelayClose) {
        options_ &= ~(DelayClose | MouseRules);
        startDisplayTimer();
        return;
    }
    closeNow();
}

void Balloon::closeNow()
{
    if (closing_)
        return;
    closing_ = true;
    timers_->stop(BalloonTimers::Timer::Display);
    if (options_ & HideWithoutFading) {
        finishClose();
        return;
    }
    fadeStep(-1, [this] { finishClose(); });
}

// One step of a fade: the opacity moves a tenth towards the end every 20 ms
// (to 1 when fading in, 0 when fading out); at the end `done` runs.
void Balloon::fadeStep(int direction, std::function<void()> done)
{
    fadeLevel_ = std::clamp(fadeLevel_ + direction, 0, kFadeSteps);
    setWindowOpacity(static_cast<double>(fadeLevel_) / kFadeSteps);
    if ((direction > 0 && fadeLevel_ == kFadeSteps) || (direction < 0 && fadeLevel_ == 0)) {
        done();
        return;
    }
    timers_->start(BalloonTimers::Timer::Fade, kFadeMilliseconds / kFadeSteps,
        [this, direction, done] { fadeStep(direction, done); });
}

void Balloon::finishClose()
{
    timers_->stop(BalloonTimers::Timer::Fade);
    stopWatching();
    hide();
    emit closed();
    if (options_ & DeleteWhenClosed)
        deleteLater();
}

void Balloon::stopWatching()
{
    if (watching_) {
        qApp->removeEventFilter(this);
        watching_ = false;
    }
    if (holdsCapture_) {
        releaseMouse();
        holdsCapture_ = false;
    }
}

void Balloon::watchRule(unsigned rule)
{
    if (rule && (options_ & rule))
        requestClose();
}

void Balloon::watchMouse(const QEvent* event)
{
    auto* mouse = static_cast<const QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
        watchRule(buttonRule(mouse->button(), true));
        return;
    case QEvent::MouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonRelease:
        watchRule(buttonRule(mouse->button(), false));
        return;
    default:
        break;
    }
    QPoint moved = mouse->globalPosition().toPoint() - pointerOrigin_;
    if (std::abs(moved.x()) > kHoverWidth || std::abs(moved.y()) > kHoverHeight)
        watchRule(CloseOnMouseMove);
}

bool Balloon::eventFilter(QObject* watched, QEvent* event)
{
    if (closing_ || !watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseMove:
        watchMouse(event);
        break;
    case QEvent::KeyPress:
        watchRule(CloseOnKeyDown);
        break;
    case QEvent::Move:
        if (anchorParent_ && watched == anchorParent_->window() && isVisible())
            place();
        break;
    default:
        break;
    }
    return false;
}

void Balloon::mousePressEvent(QMouseEvent* event)
{
    closeButtonPressed_ = event->button() == Qt::LeftButton && closeButtonRect().contains(event->position().toPoint());
}

void Balloon::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || closing_)
        return;
    bool onButton = closeButtonRect().contains(event->position().toPoint());
    if (closeButtonPressed_ && onButton) {
        closeNow();
        return;
    }
    closeButtonPressed_ = false;
    if (!onButton && !content_.address.isEmpty()) {
        openAddress_(content_.address);
        closeNow();
    }
}

void Balloon::closeEvent(QCloseEvent* event)
{
    // A close from outside is a close request like any other; the balloon
    // hides itself when its rules say so.
    if (!closing_) {
        event->ignore();
        requestClose();
        return;
    }
    event->accept();
}

void Balloon::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(shape_.body).adjusted(0.5, 0.5, -0.5, -0.5), 12, 12);
    QPainterPath pointer;
    pointer.addPolygon(QPolygonF(shape_.pointer()));
    pointer.closeSubpath();
    outline = outline.united(pointer);
    QColor background = palette().color(QPalette::ToolTipBase);
    QColor frame = palette().color(QPalette::ToolTipText);
    painter.fillPath(outline, background);
    if (options_ & RaisedEdge) {
        painter.strokePath(outline, QPen(blend(frame, Qt::white), 3));
        painter.strokePath(outline, QPen(blend(frame, background), 1));
    } else {
        painter.strokePath(outline, QPen(frame, 1.5));
    }

    QPoint origin = contentOrigin();
    if (!content_.icon.isNull())
        content_.icon.paint(&painter, layout_.icon.translated(origin));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(
        layout_.title.translated(origin), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, layout_.shownTitle);
    if (options_ & ShowCloseButton)
        style()->standardIcon(QStyle::SP_TitleBarCloseButton, nullptr, this).paint(&painter, closeButtonRect());
    painter.setFont(font());
    painter.drawText(layout_.text.translated(origin), layout_.textFlags, balloonDisplayText(content_.text));
}

Balloon* LaunchBalloon(const QString& title, const QString& text, QPoint anchor, const QIcon& icon, unsigned options,
    QWidget* parent, const QString& address, int displayMilliseconds, const BalloonServices& services)
{
    Q_ASSERT_X(QThread::currentThread() == qApp->thread(), "LaunchBalloon", "called off the GUI thread");
    options |= DeleteWhenClosed;
    if (!QApplication::isEffectEnabled(Qt::UI_AnimateTooltip) || !QApplication::isEffectEnabled(Qt::UI_FadeTooltip))
        options |= ShowWithoutFading | HideWithoutFading;
    auto* balloon = new Balloon({title, text, icon, address}, anchor, options, parent, displayMilliseconds, services);
    balloon->popUp();
    return balloon;
}

Balloon* LaunchCornerBalloon(const BalloonRequest& request, const BalloonServices& services)
{
    constexpr int kCornerInset = 16;
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect workArea = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QPoint corner = workArea.bottomRight() - QPoint(kCornerInset, kCornerInset);
    return LaunchBalloon(QString::fromUtf8(request.title), QString::fromUtf8(request.text), corner,
        balloonIcon(request.icon), TopMost | ShowCloseButton | DeleteWhenClosed, nullptr, {},
        std::max(0, request.durationMilliseconds), services);
}

QIcon balloonIcon(MessageIcon icon)
{
    QStyle* style = QApplication::style();
    switch (icon) {
    case MessageIcon::None:
        return {};
    case MessageIcon::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case MessageIcon::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case MessageIcon::Information:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case MessageIcon::Question:
        return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    }
    return {};
}

} // namespace kvn::ui
