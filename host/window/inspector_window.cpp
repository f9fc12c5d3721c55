#include "host/window/inspector_window.h"

#include "host/window/preview_pane.h"

#include <QVBoxLayout>

namespace kvn::host {

InspectorWindow::InspectorWindow(const outlook::MailItemPtr& mail, QWidget* parent)
    : QWidget(parent, Qt::Window), pane_(new PreviewPane(this))
{
    setObjectName("inspector");
    setAttribute(Qt::WA_DeleteOnClose);
    const std::string subject = mail ? mail->subject().value_or(std::string()) : std::string();
    setWindowTitle(subject.empty() ? tr("(no subject)") : QString::fromUtf8(subject.c_str()));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pane_);
    pane_->showMail(mail);
    resize(720, 560);
}

} // namespace kvn::host
