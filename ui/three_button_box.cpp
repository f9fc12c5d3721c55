#include "ui/three_button_box.h"

#include "ui_251-three-button-box.h"

#include "ui/dialog_units.h"

#include <QStyle>

namespace kvn {
namespace {

QString textOf(const std::string& bytes)
{
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

} // namespace

ThreeButtonDialog::ThreeButtonDialog(const ThreeButtonQuestion& question, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<::Ui::ThreeButtonBoxForm>())
{
    form_->setupUi(this);
    setFixedSize(dialogUnitsToPixels(324, 73));
    setWindowTitle(textOf(question.title));
    form_->control_32514->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
    form_->control_228->setText(textOf(question.text));
    form_->control_228->setTextFormat(Qt::PlainText);
    const std::pair<QPushButton*, const std::string*> buttons[] = {{form_->control_244, &question.caption1},
        {form_->control_245, &question.caption2}, {form_->control_246, &question.caption3}};
    int number = 1;
    for (const auto& [button, caption] : buttons) {
        button->setText(textOf(*caption));
        connect(button, &QPushButton::clicked, this, [this, number] { answerWith(number); });
        ++number;
    }
    form_->control_244->setDefault(true);
    form_->control_244->setFocus();
}

ThreeButtonDialog::~ThreeButtonDialog() = default;

void ThreeButtonDialog::answerWith(int button)
{
    answer_ = button;
    done(button);
}

int ThreeButtonBox(const std::string& text, const std::string& title, const std::string& caption1,
    const std::string& caption2, const std::string& caption3, QWidget* parent)
{
    ThreeButtonDialog box({text, title, caption1, caption2, caption3}, parent);
    box.exec();
    return box.answer();
}

} // namespace kvn
