#include "plugprobe/message_box_ui.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace kvn::plugprobe {
namespace {

QMessageBox::StandardButtons qtButtonsOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return QMessageBox::Ok;
    case MessageButtons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

// The request's default button among its buttons, counted in the order
// ui.h gives them.
QMessageBox::StandardButton defaultButtonOf(const MessageRequest& request)
{
    QList<QMessageBox::StandardButton> inOrder;
    switch (request.buttons) {
    case MessageButtons::Ok:
        inOrder = {QMessageBox::Ok};
        break;
    case MessageButtons::OkCancel:
        inOrder = {QMessageBox::Ok, QMessageBox::Cancel};
        break;
    case MessageButtons::YesNo:
        inOrder = {QMessageBox::Yes, QMessageBox::No};
        break;
    case MessageButtons::YesNoCancel:
        inOrder = {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel};
        break;
    case MessageButtons::RetryCancel:
        inOrder = {QMessageBox::Retry, QMessageBox::Cancel};
        break;
    }
    const bool known = request.defaultButton >= 0 && request.defaultButton < inOrder.size();
    return known ? inOrder.at(request.defaultButton) : inOrder.front();
}

MessageAnswer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    case QMessageBox::Ok:
        return MessageAnswer::Ok;
    default:
        return MessageAnswer::Cancel;
    }
}

QMessageBox::Icon qtIconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

class MessageBoxUi final : public Ui {
public:
    MessageAnswer showMessage(const MessageRequest& request) override
    {
        QMessageBox box(qtIconOf(request.icon), QString::fromStdString(request.caption),
            QString::fromStdString(request.text), qtButtonsOf(request.buttons));
        box.setDefaultButton(defaultButtonOf(request));
        box.exec();
        return answerOf(box.standardButton(box.clickedButton()));
    }
    std::optional<std::string> chooseFileToOpen(const FileOpenRequest& request) override
    {
        return console_.chooseFileToOpen(request);
    }
    void showProgress(const std::string& caption, int position) override { console_.showProgress(caption, position); }
    bool openWithShell(const std::string& fileOrAddress, const std::string&) override
    {
        return QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(fileOrAddress)));
    }
    void showBalloon(const BalloonRequest& request) override { console_.showBalloon(request); }

private:
    ConsoleUi console_;
};

} // namespace

std::unique_ptr<Ui> makeMessageBoxUi() { return std::make_unique<MessageBoxUi>(); }

} // namespace kvn::plugprobe
