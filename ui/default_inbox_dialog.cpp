#include "ui/default_inbox_dialog.h"

#include "ui_244-default-inbox.h"

#include "ui/dialog_art.h"
#include "ui/dialog_units.h"

#include <QHeaderView>

namespace kvn {
namespace {

constexpr int pictureColumn = 0;
constexpr int folderColumn = 1;
constexpr int pictureColumnWidth = 16;

QIcon pictureOf(const std::string& folderName)
{
    const bool store = folderName == "Personal Folders";
    return QIcon(dialogPicture(store ? DialogPicture::MailStore : DialogPicture::InboxTray, 16));
}

} // namespace

DefaultInboxDialog::DefaultInboxDialog(
    const std::vector<std::string>& folderNames, const std::string& currentName, QWidget* parent)
    : QDialog(parent), form_(std::make_unique<::Ui::DefaultInboxDialogForm>())
{
    form_->setupUi(this);
    setFixedSize(dialogUnitsToPixels(195, 164));
    QTreeWidget* list = form_->control_243;
    list->setHeaderLabels({QString(), QStringLiteral("Folder")});
    list->setIconSize(QSize(16, 16));
    list->header()->setStretchLastSection(false);
    list->header()->setMinimumSectionSize(pictureColumnWidth);
    list->header()->setSectionResizeMode(QHeaderView::Fixed);
    list->setColumnWidth(pictureColumn, pictureColumnWidth);
    list->setColumnWidth(folderColumn, list->contentsRect().width() - 20);
    fill(folderNames, currentName);

    auto followSelection = [this] { form_->control_1->setEnabled(selectedName().has_value()); };
    connect(list, &QTreeWidget::itemSelectionChanged, this, followSelection);
    followSelection();
    connect(form_->control_1, &QPushButton::clicked, this, &QDialog::accept);
    connect(form_->control_2, &QPushButton::clicked, this, &QDialog::reject);
}

DefaultInboxDialog::~DefaultInboxDialog() = default;

void DefaultInboxDialog::fill(const std::vector<std::string>& folderNames, const std::string& currentName)
{
    QTreeWidget* list = form_->control_243;
    for (const std::string& name : folderNames) {
        auto* row = new QTreeWidgetItem(list);
        row->setIcon(pictureColumn, pictureOf(name));
        row->setText(folderColumn, QString::fromStdString(name));
        row->setData(folderColumn, Qt::UserRole, QByteArray::fromStdString(name));
        if (name == currentName && list->selectedItems().isEmpty())
            list->setCurrentItem(row);
    }
}

std::optional<std::string> DefaultInboxDialog::selectedName() const
{
    const QList<QTreeWidgetItem*> selected = form_->control_243->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    // The name's own bytes, also when they are not valid UTF-8.
    return selected.front()->data(folderColumn, Qt::UserRole).toByteArray().toStdString();
}

std::optional<std::string> runDefaultInboxDialog(
    const std::vector<std::string>& folderNames, const std::string& currentName, QWidget* parent)
{
    DefaultInboxDialog dialog(folderNames, currentName, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedName();
}

} // namespace kvn
