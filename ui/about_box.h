// The About box (dialog 252, "About Korvane"): the product's icon (225), its
// name, version and build, the maker line, the maker's and the product's web
// pages (247 and 248) opened with the desktop's browser when clicked, and the
// support e-mail address in a read-only, centred edit (350) to copy from.
// The texts and addresses are settings of the build (ui/about_settings.h).
// GUI thread only; modal.
#pragma once

#include "platform/core/ui.h"

#include <QDialog>

#include <memory>

namespace Ui {
class AboutBoxForm;
}

namespace kvn {

inline constexpr const char* aboutVersionLine = "Korvane v.1.03 ( build 04.09.13 )";

class AboutBoxDialog final : public QDialog {
public:
    // ui opens the web pages.
    explicit AboutBoxDialog(Ui& ui, QWidget* parent = nullptr);
    ~AboutBoxDialog() override;

private:
    std::unique_ptr<::Ui::AboutBoxForm> form_;
};

// Shows the About box modally.
void AboutBox(Ui& ui, QWidget* parent = nullptr);

} // namespace kvn
