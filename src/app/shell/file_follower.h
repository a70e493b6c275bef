// Follows one file on disk for the window: when the file changes, whether
// written in place or replaced by a new file under its name (as exporters
// and editors save), and its writes have paused for a quarter second, it
// says so once. Writers touch a file several times in a row; the pause lets
// the last write land before anyone reads it.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class FileFollower : public QObject {
    Q_OBJECT
public:
    explicit FileFollower(QObject* parent = nullptr);

    // Follows path (made absolute), or nothing for an empty path. Returns
    // false, changing nothing, when that file is followed already.
    bool Follow(const QString& path);
    // The file followed, absolute; empty when none.
    const QString& File() const { return file_; }
    // Watches the file again when a change dropped it from the watch (a
    // file replaced by rename is a new file); the followed file's folder is
    // always watched, which tells when it is back.
    void Rewatch();

signals:
    // The file changed and its writes have paused.
    void changed();

private:
    QString file_;
    QFileSystemWatcher watcher_;
    QTimer settle_;
};
