#include "app/DirectoryTree.h"

#include <QDir>
#include <QFile>

bool removeDirectoryTree(const QString& path)
{
    QDir dir(path);
    if (!dir.exists())
        return false;
    bool failed = false;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        if (failed)
            break;
        if (entry.isDir() && !entry.isSymLink())
            failed = removeDirectoryTree(entry.absoluteFilePath());
        else if (!QFile::remove(entry.absoluteFilePath()))
            failed = true;
    }
    if (!dir.rmdir(dir.absolutePath()))
        failed = true;
    return failed;
}
