#include "core/DirectoryTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Unlinks a link without following it. A link to a directory on Windows is
// removed as a directory entry.
bool removeLink(const QString& path) { return QFile::remove(path) || QDir().rmdir(path); }

}  // namespace

bool removeDirectoryTree(const QString& path)
{
    const QFileInfo top(path);
    if (top.isSymLink())
        return !removeLink(path);
    QDir dir(path);
    if (!dir.exists())
        return false;
    bool failed = false;
    // System lists dangling links too, so they do not keep their directory alive.
    const QFileInfoList entries = dir.entryInfoList(
        QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        if (failed)
            break;
        if (entry.isSymLink())
            failed = !removeLink(entry.absoluteFilePath());
        else if (entry.isDir())
            failed = removeDirectoryTree(entry.absoluteFilePath());
        else if (!QFile::remove(entry.absoluteFilePath()))
            failed = true;
    }
    if (!dir.rmdir(dir.absolutePath()))
        failed = true;
    return failed;
}
