#include "host/window/message_list_model.h"

#include "platform/core/ole_date.h"

#include <QFont>

#include <algorithm>

namespace kvn::host {
namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString senderOf(const outlook::MailItemPtr& mail)
{
    const auto sender = mail->senderEntry();
    if (!sender || !*sender)
        return {};
    return fromUtf8((*sender)->name.empty() ? (*sender)->address : (*sender)->name);
}

QString formatReceived(double received)
{
    const std::optional<std::tm> local = localFromOleDate(received);
    return local ? QString::fromStdString(formatLocalTime(*local, "%Y-%m-%d %H:%M")) : QString();
}

} // namespace

MessageListModel::MessageListModel(QObject* parent) : QAbstractTableModel(parent) { }

MessageListModel::Row MessageListModel::rowOf(const outlook::MailItemPtr& mail)
{
    Row row;
    row.mail = mail;
    row.entryId = mail->entryId();
    row.from = senderOf(mail);
    row.subject = fromUtf8(mail->subject().value_or(std::string()));
    row.received = mail->receivedTime().value_or(0);
    row.unread = mail->unRead().value_or(false);
    return row;
}

void MessageListModel::showFolder(outlook::FolderPtr folder)
{
    folder_ = std::move(folder);
    reload();
}

void MessageListModel::reload()
{
    std::vector<Row> rows;
    if (const outlook::ItemsPtr items = folder_ ? folder_->items() : nullptr)
        for (outlook::ItemPtr item = items->getFirst(); item; item = items->getNext())
            if (const outlook::MailItemPtr mail = item->asMailItem())
                rows.push_back(rowOf(mail));
    beginResetModel();
    rows_ = std::move(rows);
    sortRows();
    endResetModel();
}

outlook::MailItemPtr MessageListModel::mailAt(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].mail : nullptr;
}

std::string MessageListModel::entryIdAt(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].entryId : std::string();
}

int MessageListModel::rowOf(const std::string& entryId) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].entryId == entryId)
            return static_cast<int>(i);
    return -1;
}

bool MessageListModel::markRead(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    Row& at = rows_[static_cast<std::size_t>(row)];
    if (!at.unread)
        return true;
    if (!at.mail->setUnRead(false))
        return false;
    at.unread = false;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1), {Qt::FontRole});
    return true;
}

int MessageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant MessageListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        switch (index.column()) {
        case FromColumn:
            return row.from;
        case SubjectColumn:
            return row.subject;
        case ReceivedColumn:
            return formatReceived(row.received);
        default:
            return {};
        }
    }
    if (role == Qt::FontRole && row.unread) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return {};
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case FromColumn:
        return tr("From");
    case SubjectColumn:
        return tr("Subject");
    case ReceivedColumn:
        return tr("Received");
    default:
        return {};
    }
}

void MessageListModel::sort(int column, Qt::SortOrder order)
{
    sortColumn_ = column;
    sortOrder_ = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The selection and the current row follow their e-mails to their new rows.
    const QModelIndexList before = persistentIndexList();
    std::vector<std::string> entryIds;
    for (const QModelIndex& at : before)
        entryIds.push_back(entryIdAt(at.row()));
    sortRows();
    QModelIndexList after;
    for (std::size_t i = 0; i < entryIds.size(); ++i)
        after.push_back(index(rowOf(entryIds[i]), before[static_cast<qsizetype>(i)].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void MessageListModel::sortRows()
{
    const auto less = [this](const Row& a, const Row& b) {
        switch (sortColumn_) {
        case FromColumn:
            return a.from.localeAwareCompare(b.from) < 0;
        case SubjectColumn:
            return a.subject.localeAwareCompare(b.subject) < 0;
        default:
            return a.received < b.received;
        }
    };
    if (sortOrder_ == Qt::AscendingOrder)
        std::stable_sort(rows_.begin(), rows_.end(), less);
    else
        std::stable_sort(rows_.begin(), rows_.end(), [&less](const Row& a, const Row& b) { return less(b, a); });
}

} // namespace kvn::host
