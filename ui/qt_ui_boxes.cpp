#include "ui/qt_ui_boxes.h"

#include "platform/core/ole_date.h"
#include "ui/qt_ui.h"

#include <QApplication>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <array>
#include <vector>

namespace kvn {
namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

struct ButtonChoice {
    QMessageBox::StandardButton button;
    MessageAnswer answer;
};

std::vector<ButtonChoice> buttonsOf(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::Ok:
        return {{QMessageBox::Ok, MessageAnswer::Ok}};
    case MessageButtons::OkCancel:
        return {{QMessageBox::Ok, MessageAnswer::Ok}, {QMessageBox::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::YesNo:
        return {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No}};
    case MessageButtons::YesNoCancel:
        return {{QMessageBox::Yes, MessageAnswer::Yes}, {QMessageBox::No, MessageAnswer::No},
            {QMessageBox::Cancel, MessageAnswer::Cancel}};
    case MessageButtons::RetryCancel:
        return {{QMessageBox::Retry, MessageAnswer::Retry}, {QMessageBox::Cancel, MessageAnswer::Cancel}};
    }
    return {{QMessageBox::Ok, MessageAnswer::Ok}};
}

QMessageBox::Icon iconOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The answer of a box closed without a button (Escape, the title bar's
// close): Cancel where there is one, else what Enter gives.
MessageAnswer closedAnswer(const MessageRequest& request, const std::vector<ButtonChoice>& choices)
{
    for (const ButtonChoice& choice : choices)
        if (choice.answer == MessageAnswer::Cancel)
            return MessageAnswer::Cancel;
    return defaultAnswer(request);
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> splitOn(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    for (const char c : text) {
        if (c == separator) {
            parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    parts.push_back(part);
    return parts;
}

} // namespace

std::string qtFileFilter(const std::string& filter)
{
    const std::vector<std::string> fields = splitOn(filter, '|');
    std::string result;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        std::string patterns;
        for (const std::string& pattern : splitOn(fields[i + 1], ';'))
            if (const std::string one = trimmed(pattern); !one.empty())
                patterns += (patterns.empty() ? "" : " ") + one;
        if (patterns.empty())
            continue;
        std::string description = trimmed(fields[i]);
        // Qt takes the patterns from the parentheses; a description that
        // already shows them keeps its own words, any other gets them added.
        if (description.find('(') == std::string::npos)
            description += (description.empty() ? "(" : " (") + patterns + ")";
        result += (result.empty() ? "" : ";;") + description;
    }
    return result.empty() ? "All files (*)" : result;
}

namespace qt_boxes {

QWidget* boxParent() { return QApplication::activeWindow(); }

MessageAnswer runMessageBox(const MessageRequest& request)
{
    QMessageBox box(
        iconOf(request.icon), fromUtf8(request.caption), fromUtf8(request.text), QMessageBox::NoButton, boxParent());
    const std::vector<ButtonChoice> choices = buttonsOf(request.buttons);
    std::vector<QPushButton*> buttons;
    for (const ButtonChoice& choice : choices)
        buttons.push_back(box.addButton(choice.button));
    const auto index = static_cast<std::size_t>(request.defaultButton);
    box.setDefaultButton(index < buttons.size() ? buttons[index] : buttons.front());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return choices[i].answer;
    return closedAnswer(request, choices);
}

std::optional<std::string> runFileOpenBox(const FileOpenRequest& request)
{
    const QString chosen = QFileDialog::getOpenFileName(
        boxParent(), QString(), fromUtf8(request.fileName), QString::fromStdString(qtFileFilter(request.filter)));
    if (chosen.isEmpty())
        return std::nullopt;
    return chosen.toStdString();
}

std::optional<double> runDateTimeBox(const std::string& caption, const std::string& text, double initial)
{
    QDialog dialog(boxParent());
    dialog.setWindowTitle(fromUtf8(caption));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(fromUtf8(text), &dialog));
    auto* edit = new QDateTimeEdit(&dialog);
    edit->setObjectName("dateTime");
    edit->setCalendarPopup(true);
    edit->setDisplayFormat("yyyy-MM-dd HH:mm");
    if (const std::optional<std::tm> local = localFromOleDate(initial))
        edit->setDateTime(QDateTime(QDate(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday),
            QTime(local->tm_hour, local->tm_min, local->tm_sec)));
    else
        edit->setDateTime(QDateTime::currentDateTime());
    layout->addWidget(edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QDateTime chosen = edit->dateTime();
    std::tm local{};
    local.tm_year = chosen.date().year() - 1900;
    local.tm_mon = chosen.date().month() - 1;
    local.tm_mday = chosen.date().day();
    local.tm_hour = chosen.time().hour();
    local.tm_min = chosen.time().minute();
    local.tm_sec = chosen.time().second();
    return oleDateFromLocal(local);
}

} // namespace qt_boxes
} // namespace kvn
