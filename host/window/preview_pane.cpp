#include "host/window/preview_pane.h"

#include "platform/core/ole_date.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kvn::host {
namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString senderText(const outlook::MailItemPtr& mail)
{
    const auto entry = mail->senderEntry();
    if (!entry || !*entry)
        return {};
    const outlook::AddressEntry& from = **entry;
    if (from.name.empty())
        return fromUtf8(from.address);
    return fromUtf8(from.name) + " <" + fromUtf8(from.address) + ">";
}

QString received(const outlook::MailItemPtr& mail)
{
    const auto time = mail->receivedTime();
    const auto local = time ? localFromOleDate(*time) : std::nullopt;
    return local ? QString::fromStdString(formatLocalTime(*local, "%Y-%m-%d %H:%M")) : QString();
}

QString attachmentNames(const outlook::MailItemPtr& mail)
{
    QStringList names;
    if (const auto attachments = mail->attachments())
        for (std::size_t i = 1; i <= attachments->count(); ++i)
            if (const auto attachment = attachments->item(i))
                names.push_back(fromUtf8(attachment->fileName()));
    return names.isEmpty() ? QString() : QObject::tr("Attachments: ") + names.join(", ");
}

} // namespace

ClosedTextBrowser::ClosedTextBrowser(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

QVariant ClosedTextBrowser::loadResource(int, const QUrl&)
{
    ++refused_;
    return {};
}

PreviewPane::PreviewPane(QWidget* parent)
    : QWidget(parent), headers_(new QLabel(this)), body_(new ClosedTextBrowser(this)), attachments_(new QLabel(this))
{
    setObjectName("previewPane");
    headers_->setObjectName("previewHeaders");
    headers_->setTextFormat(Qt::PlainText);
    headers_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    body_->setObjectName("previewBody");
    attachments_->setObjectName("previewAttachments");
    attachments_->setTextFormat(Qt::PlainText);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(headers_);
    layout->addWidget(body_, 1);
    layout->addWidget(attachments_);
}

void PreviewPane::showMail(const outlook::MailItemPtr& mail)
{
    if (!mail) {
        headers_->clear();
        body_->clear();
        attachments_->clear();
        return;
    }
    headers_->setText(tr("From: ") + senderText(mail) + "\n" + tr("To: ") + fromUtf8(mail->to().value_or(std::string()))
        + "\n" + tr("Subject: ") + fromUtf8(mail->subject().value_or(std::string())) + "\n" + tr("Received: ")
        + received(mail));
    body_->setHtml(fromUtf8(mail->htmlBody().value_or(std::string())));
    attachments_->setText(attachmentNames(mail));
    attachments_->setVisible(!attachments_->text().isEmpty());
}

QString PreviewPane::headerText() const { return headers_->text(); }

QString PreviewPane::attachmentText() const { return attachments_->text(); }

} // namespace kvn::host
