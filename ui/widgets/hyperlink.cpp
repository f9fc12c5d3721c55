#include "ui/widgets/hyperlink.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace kvn::ui {

namespace {

constexpr const char* kOriginalProc = "_Hyperlink_Original_Proc_";
constexpr const char* kOriginalFont = "_Hyperlink_Original_Font_";
constexpr const char* kUnderlineFont = "_Hyperlink_Underline_Font_";
constexpr const char* kFromStatic = "_Hyperlink_From_Static_";

} // namespace

Hyperlink::Hyperlink(QLabel* label)
    : label_(label),
      watched_(label),
      originalFont_(label->font()),
      underlineFont_(label->font()),
      originalPalette_(label->palette())
{
    underlineFont_.setUnderline(true);
    label->setProperty(kOriginalProc, QVariant::fromValue(static_cast<QObject*>(this)));
    label->setProperty(kOriginalFont, originalFont_);
    label->setProperty(kUnderlineFont, underlineFont_);
    label->setProperty(kFromStatic, true);
    QPalette link = originalPalette_;
    link.setColor(QPalette::WindowText, linkColour());
    label->setPalette(link);
    label->setCursor(Qt::ArrowCursor);
    label->setAttribute(Qt::WA_Hover);
    label->installEventFilter(this);
    // It goes with its label; the label is then past saving, so nothing is
    // restored.
    connect(label, &QObject::destroyed, this, [this] {
        labelGone_ = true;
        delete this;
    });
}

Hyperlink::~Hyperlink()
{
    if (labelGone_)
        return;
    label_->removeEventFilter(this);
    label_->setFont(originalFont_);
    label_->setPalette(originalPalette_);
    for (const char* mark : {kOriginalProc, kOriginalFont, kUnderlineFont, kFromStatic})
        label_->setProperty(mark, QVariant());
}

void Hyperlink::setHot(bool hot)
{
    if (hot == hot_ || labelGone_)
        return;
    hot_ = hot;
    label_->setFont(hot ? underlineFont_ : originalFont_);
}

bool Hyperlink::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != watched_ || labelGone_)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        setHot(true);
        break;
    case QEvent::Leave:
        setHot(false);
        pressed_ = false;
        break;
    case QEvent::MouseButtonPress:
        pressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
        break;
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        bool inside = label_->rect().contains(mouse->position().toPoint());
        if (pressed_ && mouse->button() == Qt::LeftButton && inside)
            emit clicked();
        pressed_ = false;
        break;
    }
    default:
        break;
    }
    return false;
}

Hyperlink* MakeHyperlink(QLabel* control)
{
    if (auto* existing = qobject_cast<Hyperlink*>(control->property(kOriginalProc).value<QObject*>()))
        return existing;
    return new Hyperlink(control);
}

Hyperlink* MakeHyperlink(QLabel* control, const QString& address, AddressOpener opener)
{
    Hyperlink* link = MakeHyperlink(control);
    QObject::connect(link, &Hyperlink::clicked, link, [address, opener = std::move(opener)] { opener(address); });
    return link;
}

} // namespace kvn::ui
