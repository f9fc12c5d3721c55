#include "ui/banner_window.h"

#include "ui_221-banner.h"

#include "ui/dialog_art.h"

#include <QGuiApplication>
#include <QScreen>
#include <QThread>

namespace kvn {
namespace {

constexpr int bannerWidth = 375;
constexpr int bannerHeight = 55;
constexpr int bannerTopFromBottom = 75;

// The length of the text's first character: two UTF-16 units for a
// character outside the basic plane, so that none is ever split.
qsizetype firstCharacterLength(const QString& text)
{
    return text.size() >= 2 && text.at(0).isHighSurrogate() && text.at(1).isLowSurrogate() ? 2 : 1;
}

} // namespace

BannerWindow::BannerWindow(const TimerFactory& timers, QWidget* parent)
    : QDialog(parent,
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus
            | Qt::WindowTransparentForInput),
      form_(std::make_unique<::Ui::BannerForm>()),
      marquee_(timers([this] { scrollOneCharacter(); })),
      blink_(timers([this] { swapIcons(); }))
{
    form_->setupUi(this);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("QDialog#dialog_221 { background: #f4f8ff; border: 1px solid #3a6ab0; }"));
    form_->control_229->setPixmap(dialogPicture(DialogPicture::ProductIcon, 32));
    form_->control_230->setPixmap(dialogPicture(DialogPicture::BlinkIcon, 32));
    form_->control_230->hide();
    placeAtWorkAreaCorner();
}

BannerWindow::~BannerWindow() = default;

void BannerWindow::placeAtWorkAreaCorner()
{
    setFixedSize(bannerWidth, bannerHeight);
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect workArea = screen->availableGeometry();
    move(workArea.x() + workArea.width() - bannerWidth, workArea.y() + workArea.height() - bannerTopFromBottom);
}

void BannerWindow::start()
{
    marquee_->start(bannerMarqueeMilliseconds);
    blink_->start(bannerBlinkMilliseconds);
    show();
}

void BannerWindow::stop()
{
    hide();
    marquee_->stop();
    blink_->stop();
}

void BannerWindow::setText(const QString& text) { form_->control_228->setText(text); }

QString BannerWindow::text() const { return form_->control_228->text(); }

void BannerWindow::scrollOneCharacter()
{
    const QString text = form_->control_228->text();
    const qsizetype first = firstCharacterLength(text);
    if (text.size() <= first)
        return;
    form_->control_228->setText(text.mid(first) + text.left(first));
}

void BannerWindow::swapIcons()
{
    const bool blueShown = !form_->control_229->isHidden();
    form_->control_229->setHidden(blueShown);
    form_->control_230->setHidden(!blueShown);
}

QtBanner::QtBanner(const TimerFactory& timers) : window_(std::make_unique<BannerWindow>(timers)) { }

QtBanner::~QtBanner()
{
    // Requests still queued for the window go with it.
    window_.reset();
}

void QtBanner::showWindow() { request(true, std::nullopt); }

void QtBanner::hideWindow() { request(false, std::nullopt); }

void QtBanner::setWindowText(const std::string& text) { request(std::nullopt, text); }

void QtBanner::request(std::optional<bool> visible, std::optional<std::string> text)
{
    {
        std::lock_guard<std::mutex> hold(requestLock_);
        if (visible)
            wantVisible_ = *visible;
        if (text)
            newText_ = std::move(text);
    }
    if (QThread::currentThread() == window_->thread()) {
        followRequests();
        return;
    }
    QMetaObject::invokeMethod(
        window_.get(), [this] { followRequests(); }, Qt::QueuedConnection);
}

void QtBanner::followRequests()
{
    bool visible = false;
    std::optional<std::string> text;
    {
        std::lock_guard<std::mutex> hold(requestLock_);
        visible = wantVisible_;
        text.swap(newText_);
    }
    if (text)
        window_->setText(QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())));
    if (visible && window_->isHidden())
        window_->start();
    if (!visible && !window_->isHidden())
        window_->stop();
}

std::unique_ptr<Banner> makeQtBanner() { return std::make_unique<QtBanner>(); }

} // namespace kvn
