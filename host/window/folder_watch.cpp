#include "host/window/folder_watch.h"

#include <QDir>

namespace kvn::host {
namespace {

// Long enough to take a burst of deliveries or a sweep as one change, short
// enough that the list looks live.
constexpr int quietMilliseconds = 150;

} // namespace

FolderWatch::FolderWatch(QObject* parent) : QObject(parent)
{
    quiet_.setSingleShot(true);
    quiet_.setInterval(quietMilliseconds);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& path) {
        const auto found = folderOfPath_.find(path);
        if (found == folderOfPath_.end())
            return;
        changed_.insert(found->second);
        // A watched folder that was deleted and made again is watched anew.
        if (!watcher_.directories().contains(path) && QDir(path).exists())
            watcher_.addPath(path);
        quiet_.start();
    });
    connect(&quiet_, &QTimer::timeout, this, [this] {
        std::set<std::string> changed;
        changed.swap(changed_);
        emit foldersChanged(std::move(changed));
    });
}

void FolderWatch::watch(const std::string& entryId, const std::string& directory)
{
    for (const char* sub : {"/new", "/cur"}) {
        const QString path = QString::fromStdString(directory + sub);
        if (!QDir(path).exists())
            continue;
        folderOfPath_[path] = entryId;
        watcher_.addPath(path);
    }
}

void FolderWatch::clear()
{
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    folderOfPath_.clear();
    changed_.clear();
    quiet_.stop();
}

} // namespace kvn::host
