// Notices changes to the e-mails of mail folders on disk — mail delivered,
// moved away, flags changed, by this program or another — by watching each
// folder's new/ and cur/, and reports them in one batch once the changes
// have paused for a moment. GUI thread only.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include <map>
#include <set>
#include <string>

namespace kvn::host {

class FolderWatch final : public QObject {
    Q_OBJECT

public:
    explicit FolderWatch(QObject* parent = nullptr);

    // Watches the Maildir folder `directory` as the folder `entryId`.
    // Folders whose new/ and cur/ do not exist are not watched.
    void watch(const std::string& entryId, const std::string& directory);
    void clear();

signals:
    // The folders (EntryIDs) whose e-mails changed since the last report.
    void foldersChanged(std::set<std::string> entryIds);

private:
    QFileSystemWatcher watcher_;
    QTimer quiet_;
    std::map<QString, std::string> folderOfPath_;
    std::set<std::string> changed_;
};

} // namespace kvn::host
