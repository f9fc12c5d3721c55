#include "host/window/folder_tree.h"

#include <QHeaderView>

namespace kvn::host {
namespace {

constexpr int folderIndexRole = Qt::UserRole;
constexpr int unreadRole = Qt::UserRole + 1;
constexpr int nameRole = Qt::UserRole + 2;
// Maildir++ folders nest only a few levels; a deeper tree would be a loop.
constexpr int deepestLevel = 32;

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

int unreadIn(const outlook::FolderPtr& folder)
{
    if (folder->defaultItemType() != outlook::olMailItem)
        return 0;
    const outlook::ItemsPtr items = folder->items();
    const auto unread = items ? items->restrict("[UnRead]=true") : nullptr;
    const auto count = unread ? unread->count() : std::nullopt;
    return count ? static_cast<int>(*count) : 0;
}

} // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName("folderTree");
    setHeaderHidden(true);
    setColumnCount(1);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* row) {
        if (drawing_ || row == nullptr)
            return;
        const int index = row->data(0, folderIndexRole).toInt();
        if (index >= 0 && index < static_cast<int>(folders_.size()))
            emit folderClicked(folders_[static_cast<std::size_t>(index)]);
    });
}

void FolderTree::load(const outlook::NamespacePtr& mapi)
{
    drawing_ = true;
    clear();
    folders_.clear();
    if (const outlook::FoldersPtr tops = mapi ? mapi->folders() : nullptr)
        for (outlook::FolderPtr top = tops->getFirst(); top; top = tops->getNext())
            addFolder(nullptr, top, 0);
    expandAll();
    drawing_ = false;
}

void FolderTree::addFolder(QTreeWidgetItem* parent, const outlook::FolderPtr& folder, int depth)
{
    auto* row = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    row->setData(0, folderIndexRole, static_cast<int>(folders_.size()));
    row->setData(0, nameRole, fromUtf8(folder->name()));
    folders_.push_back(folder);
    row->setData(0, unreadRole, parent ? unreadIn(folder) : 0);
    drawCount(row);
    if (depth >= deepestLevel)
        return;
    if (const outlook::FoldersPtr children = folder->folders())
        for (outlook::FolderPtr child = children->getFirst(); child; child = children->getNext())
            addFolder(row, child, depth + 1);
}

void FolderTree::drawCount(QTreeWidgetItem* row)
{
    const int unread = row->data(0, unreadRole).toInt();
    const QString name = row->data(0, nameRole).toString();
    row->setText(0, unread > 0 ? QString("%1 (%2)").arg(name).arg(unread) : name);
    QFont font = row->font(0);
    font.setBold(unread > 0);
    row->setFont(0, font);
}

QTreeWidgetItem* FolderTree::rowOf(const std::string& entryId) const
{
    for (QTreeWidgetItemIterator it(const_cast<FolderTree*>(this)); *it; ++it) {
        const int index = (*it)->data(0, folderIndexRole).toInt();
        if (folders_[static_cast<std::size_t>(index)]->entryId() == entryId)
            return *it;
    }
    return nullptr;
}

void FolderTree::refreshCount(const std::string& entryId)
{
    if (QTreeWidgetItem* row = rowOf(entryId)) {
        row->setData(
            0, unreadRole, unreadIn(folders_[static_cast<std::size_t>(row->data(0, folderIndexRole).toInt())]));
        drawCount(row);
    }
}

void FolderTree::refreshAllCounts()
{
    for (QTreeWidgetItemIterator it(this); *it; ++it) {
        if ((*it)->parent() == nullptr)
            continue;
        (*it)->setData(
            0, unreadRole, unreadIn(folders_[static_cast<std::size_t>((*it)->data(0, folderIndexRole).toInt())]));
        drawCount(*it);
    }
}

void FolderTree::showCurrent(const outlook::FolderPtr& folder)
{
    drawing_ = true;
    setCurrentItem(folder ? rowOf(folder->entryId()) : nullptr);
    drawing_ = false;
}

int FolderTree::unreadShown(const std::string& entryId) const
{
    const QTreeWidgetItem* row = rowOf(entryId);
    return row ? row->data(0, unreadRole).toInt() : -1;
}

} // namespace kvn::host
