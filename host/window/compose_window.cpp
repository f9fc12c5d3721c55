#include "host/window/compose_window.h"

#include <QApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTextDocument>
#include <QThread>
#include <QVBoxLayout>

namespace kvn::host {
namespace {

constexpr const char* caption = "KVN Host";

QString qText(const std::optional<std::string>& text)
{
    return text ? QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size())) : QString();
}

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

} // namespace

ComposeWindow::ComposeWindow(outlook::MailItemPtr item, MailSending& sending, Ui& ui, QWidget* parent)
    : QWidget(parent, Qt::Window),
      item_(std::move(item)),
      sending_(sending),
      ui_(ui),
      to_(new QLineEdit(this)),
      subject_(new QLineEdit(this)),
      body_(new QPlainTextEdit(this)),
      send_(new QPushButton(tr("&Send"), this))
{
    to_->setObjectName("to");
    subject_->setObjectName("subject");
    body_->setObjectName("body");
    send_->setObjectName("send");
    to_->setPlaceholderText(tr("name@example.org; another@example.org"));

    auto* fields = new QFormLayout;
    fields->addRow(tr("&To:"), to_);
    fields->addRow(tr("S&ubject:"), subject_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(send_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(fields);
    layout->addWidget(body_, 1);
    resize(640, 480);

    if (item_) {
        to_->setText(qText(item_->to()));
        subject_->setText(qText(item_->subject()));
        const std::optional<std::string> html = item_->htmlBody();
        keepsHtml_ = html && !html->empty();
        body_->setPlainText(qText(item_->body()));
    }
    body_->document()->setModified(false);
    showTitle();
    connect(subject_, &QLineEdit::textChanged, this, [this] { showTitle(); });
    connect(send_, &QPushButton::clicked, this, [this] { (void)send(); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    connect(shortcut, &QShortcut::activated, this, [this] { (void)send(); });
}

void ComposeWindow::showTitle()
{
    const QString subject = subject_->text().trimmed();
    setWindowTitle((subject.isEmpty() ? tr("Untitled") : subject) + tr(" - Message"));
}

void ComposeWindow::takeFields()
{
    (void)item_->setTo(utf8(to_->text()));
    (void)item_->setSubject(utf8(subject_->text()));
    if (!keepsHtml_ || body_->document()->isModified()) {
        (void)item_->setBody(utf8(body_->toPlainText()));
        keepsHtml_ = false;
    }
}

bool ComposeWindow::send()
{
    if (!item_)
        return false;
    if (to_->text().trimmed().isEmpty()) {
        (void)ui_.showMessage({"There must be at least one address in the To box.", caption, MessageIcon::Error});
        return false;
    }
    takeFields();
    const SendOutcome outcome = sending_.send(item_);
    switch (outcome.result) {
    case SendResult::Cancelled:
        return false;
    case SendResult::Failed:
        (void)ui_.showMessage({"The e-mail was not sent. " + outcome.problem, caption, MessageIcon::Error});
        return false;
    case SendResult::Sent:
        if (!outcome.problem.empty())
            (void)ui_.showMessage({outcome.problem, caption, MessageIcon::Warning});
        close();
        return true;
    }
    return false;
}

ComposeWindow* openComposeWindow(const outlook::MailItemPtr& item, MailSending& sending, Ui& ui)
{
    if (!item || !item->entryId().empty() || !qApp)
        return nullptr;
    if (QThread::currentThread() != qApp->thread()) {
        ComposeWindow* opened = nullptr;
        QMetaObject::invokeMethod(
            qApp, [&] { opened = openComposeWindow(item, sending, ui); }, Qt::BlockingQueuedConnection);
        return opened;
    }
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* compose = dynamic_cast<ComposeWindow*>(window); compose && compose->item() == item) {
            compose->show();
            compose->raise();
            compose->activateWindow();
            return compose;
        }
    auto* window = new ComposeWindow(item, sending, ui);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    return window;
}

void installComposeWindows(HostApplication& application, MailSending& sending, Ui& ui)
{
    application.setDisplayHandler(
        [&sending, &ui](const outlook::MailItemPtr& item) { return openComposeWindow(item, sending, ui) != nullptr; });
}

} // namespace kvn::host
