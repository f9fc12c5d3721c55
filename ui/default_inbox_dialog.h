// The default-inbox dialog (dialog 244, "Default Inbox folder"): the user
// picks the inbox folder trusted e-mails are moved to. List 243 holds one row
// per folder name in the order given, a picture in the first column (the mail
// store for "Personal Folders" exactly, the inbox tray for any other name) and
// the name in "Folder"; the row of the current default is selected. OK gives
// the selected row's name; it is offered only while a row is selected.
//
// Controls by object name: control_243 (the list), control_1 (OK),
// control_2 (Cancel). GUI thread only.
#pragma once

#include <QDialog>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace Ui {
class DefaultInboxDialogForm;
}

namespace kvn {

class DefaultInboxDialog final : public QDialog {
public:
    DefaultInboxDialog(
        const std::vector<std::string>& folderNames, const std::string& currentName, QWidget* parent = nullptr);
    ~DefaultInboxDialog() override;

    // The name of the selected row; none when no row is selected.
    std::optional<std::string> selectedName() const;

private:
    void fill(const std::vector<std::string>& folderNames, const std::string& currentName);

    std::unique_ptr<::Ui::DefaultInboxDialogForm> form_;
};

// Shows the dialog modally; the chosen name, or none when it was cancelled.
std::optional<std::string> runDefaultInboxDialog(
    const std::vector<std::string>& folderNames, const std::string& currentName, QWidget* parent = nullptr);

} // namespace kvn
