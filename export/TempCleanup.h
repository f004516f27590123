#pragma once

#include <QFile>
#include <QString>
#include <functional>

class QObject;

// "Empty Temp Directory...": removes the "*.tmp" files of the data root's tmp
// directory after asking. remove deletes one file and says whether it went.
void emptyTempDirectory(QObject* owner,
                        const std::function<bool(const QString&)>& remove = [](const QString& path) {
                            return QFile::remove(path);
                        });
