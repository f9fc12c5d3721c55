#include "ui/about_box.h"

#include "ui_252-about.h"

#include "ui/about_settings.h"
#include "ui/dialog_art.h"
#include "ui/dialog_units.h"

namespace kvn {
namespace {

// A link drawn as a link, whose click goes to the shell rather than to Qt.
void makeLink(QLabel* label, const char* address, Ui& ui)
{
    const QString text = QString::fromUtf8(address);
    label->setTextFormat(Qt::RichText);
    label->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(text.toHtmlEscaped(), text.toHtmlEscaped()));
    label->setOpenExternalLinks(false);
    label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label->setCursor(Qt::PointingHandCursor);
    const std::string target = address;
    QObject::connect(label, &QLabel::linkActivated, label, [&ui, target] { ui.openWithShell(target, ""); });
}

} // namespace

AboutBoxDialog::AboutBoxDialog(Ui& ui, QWidget* parent) : QDialog(parent), form_(std::make_unique<::Ui::AboutBoxForm>())
{
    form_->setupUi(this);
    setFixedSize(dialogUnitsToPixels(204, 102));
    form_->icon_225->setPixmap(dialogPicture(DialogPicture::ProductIcon, 32));
    form_->label_version->setText(QString::fromUtf8(aboutVersionLine));
    form_->label_maker->setText(QString::fromUtf8(about::makerLine));
    makeLink(form_->control_247, about::makerAddress, ui);
    makeLink(form_->control_248, about::productAddress, ui);
    form_->control_350->setText(QString::fromUtf8(about::supportAddress));
    connect(form_->control_1, &QPushButton::clicked, this, &QDialog::accept);
}

AboutBoxDialog::~AboutBoxDialog() = default;

void AboutBox(Ui& ui, QWidget* parent)
{
    AboutBoxDialog box(ui, parent);
    box.exec();
}

} // namespace kvn
