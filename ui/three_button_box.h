// The three-button message box (dialog 251): a question with a title, a text
// (228), a question-mark icon (32514) and three buttons captioned by the
// caller, 244 (the default), 245 and 246. It gives 1, 2 or 3 for the button
// pressed, and -1 when it was closed any other way (Escape, the title bar).
// GUI thread only; modal.
#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class ThreeButtonBoxForm;
}

namespace kvn {

struct ThreeButtonQuestion {
    std::string text;
    std::string title;
    std::string caption1;
    std::string caption2;
    std::string caption3;
};

class ThreeButtonDialog final : public QDialog {
public:
    explicit ThreeButtonDialog(const ThreeButtonQuestion& question, QWidget* parent = nullptr);
    ~ThreeButtonDialog() override;

    // 1, 2 or 3 once a button ended the box; -1 before and otherwise.
    int answer() const { return answer_; }

private:
    void answerWith(int button);

    std::unique_ptr<::Ui::ThreeButtonBoxForm> form_;
    int answer_ = -1;
};

// Shows the box modally and gives its answer.
int ThreeButtonBox(const std::string& text, const std::string& title, const std::string& caption1,
    const std::string& caption2, const std::string& caption3, QWidget* parent = nullptr);

} // namespace kvn
