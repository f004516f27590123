#pragma once
// The SHA-256 of the raw files a push considers, kept in the station's
// database by path, size and modification time, so that a push over an
// unchanged tree reads no raw file. A file modified within the last seconds
// before it was hashed is not kept: a write in the same clock tick would
// leave its time unchanged.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

namespace repository {

// The hashes of the files (empty for a file that cannot be read), from the
// database file where they are kept and still match; the others are read and
// kept. Without the database every file is read.
QHash<QString, QByteArray> rawFileHashes(const QStringList& paths, const QString& databasePath);

}  // namespace repository
