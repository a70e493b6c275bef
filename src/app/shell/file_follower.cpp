#include "app/shell/file_follower.h"

#include <QFileInfo>

namespace {
// Writers touch a file several times in a row: the change counts once they pause.
constexpr int kSettleMs = 250;
}  // namespace

FileFollower::FileFollower(QObject* parent) : QObject(parent) {
    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        Rewatch();
        emit changed();
    });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this] { settle_.start(); });
    // A file replaced by rename drops out of the watch; its folder tells when it is back.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!watcher_.files().contains(file_) && QFileInfo::exists(file_)) settle_.start();
    });
}

bool FileFollower::Follow(const QString& path) {
    const QString file = path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
    if (file == file_) return false;
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    settle_.stop();
    file_ = file;
    Rewatch();
    return true;
}

void FileFollower::Rewatch() {
    if (file_.isEmpty()) return;
    const QString folder = QFileInfo(file_).absolutePath();
    if (!watcher_.directories().contains(folder)) watcher_.addPath(folder);
    if (!watcher_.files().contains(file_) && QFileInfo::exists(file_)) watcher_.addPath(file_);
}
