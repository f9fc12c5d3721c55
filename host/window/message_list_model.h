// The rows of the message list: the e-mails of one folder with their
// sender, subject, time received and whether they are unread (drawn bold).
// Sortable by any column; read again whole when the folder changed on disk.
// GUI thread only.
#pragma once

#include "platform/outlook/outlook.h"

#include <QAbstractTableModel>
#include <QString>

#include <string>
#include <vector>

namespace kvn::host {

class MessageListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { FromColumn, SubjectColumn, ReceivedColumn, ColumnCount };

    explicit MessageListModel(QObject* parent = nullptr);

    // Shows the folder's e-mails (none for no folder, or one that cannot be
    // read), sorted as last asked.
    void showFolder(outlook::FolderPtr folder);
    // Reads the folder shown again, as it is on disk now.
    void reload();

    const outlook::FolderPtr& folder() const { return folder_; }
    // nullptr outside the rows.
    outlook::MailItemPtr mailAt(int row) const;
    std::string entryIdAt(int row) const;
    // The row of the e-mail with this EntryID; -1 when none.
    int rowOf(const std::string& entryId) const;
    // Marks the row's e-mail read, on disk and in the list; false when the
    // mail store refused.
    bool markRead(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    struct Row {
        outlook::MailItemPtr mail;
        std::string entryId;
        QString from;
        QString subject;
        double received = 0;
        bool unread = false;
    };
    static Row rowOf(const outlook::MailItemPtr& mail);
    void sortRows();

    outlook::FolderPtr folder_;
    std::vector<Row> rows_;
    int sortColumn_ = ReceivedColumn;
    Qt::SortOrder sortOrder_ = Qt::DescendingOrder;
};

} // namespace kvn::host
