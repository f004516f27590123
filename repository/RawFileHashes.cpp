#include "repository/RawFileHashes.h"

#include "core/SqliteConnection.h"
#include "repository/LocalDownload.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QThread>

namespace repository {
namespace {

constexpr qint64 kSettledMs = 2000;  // a file's time must lie this far before its hashing to be trusted

struct Kept {
    qint64 size = -1;
    qint64 modified = 0;  // ms since 1970
    QByteArray sha256;
};

Kept stateOf(const QString& path)
{
    const QFileInfo file(path);
    return {file.size(), file.lastModified().toMSecsSinceEpoch(), {}};
}

QHash<QString, Kept> keptHashes(QSqlDatabase& db)
{
    QHash<QString, Kept> kept;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT path, size, modified, sha256 FROM raw_file_sha256")))
        return kept;
    while (query.next())
        kept.insert(query.value(0).toString(),
                    {query.value(1).toLongLong(), query.value(2).toLongLong(), query.value(3).toByteArray()});
    return kept;
}

// Replaces what is kept with the settled files' hashes (vanished files go).
void keep(QSqlDatabase& db, const QHash<QString, Kept>& hashes)
{
    QSqlQuery query(db);
    if (!db.transaction())
        return;
    query.exec(QStringLiteral("DELETE FROM raw_file_sha256"));
    query.prepare(QStringLiteral("INSERT INTO raw_file_sha256 (path, size, modified, sha256) VALUES (?, ?, ?, ?)"));
    for (auto file = hashes.cbegin(); file != hashes.cend(); ++file) {
        query.addBindValue(file.key());
        query.addBindValue(file->size);
        query.addBindValue(file->modified);
        query.addBindValue(file->sha256);
        if (!query.exec())
            return void(db.rollback());
    }
    db.commit();
}

QHash<QString, QByteArray> hashesWith(QSqlDatabase& db, const QStringList& paths)
{
    const QHash<QString, Kept> kept = keptHashes(db);
    const qint64 settledBefore = QDateTime::currentMSecsSinceEpoch() - kSettledMs;
    QHash<QString, QByteArray> hashes;
    QHash<QString, Kept> toKeep;
    for (const QString& path : paths) {
        Kept now = stateOf(path);
        const Kept before = kept.value(path);
        now.sha256 = before.size == now.size && before.modified == now.modified ? before.sha256 : sha256Of(path);
        hashes.insert(path, now.sha256);
        if (!now.sha256.isEmpty() && now.modified < settledBefore)
            toKeep.insert(path, now);
    }
    keep(db, toKeep);
    return hashes;
}

}  // namespace

QHash<QString, QByteArray> rawFileHashes(const QStringList& paths, const QString& databasePath)
{
    const QString name = QStringLiteral("raw-file-hashes-") + QString::number(quintptr(QThread::currentThreadId()));
    QHash<QString, QByteArray> hashes;
    {
        QSqlDatabase db = sqlite::addConnection(databasePath, name);
        if (db.open()
            && QSqlQuery(db).exec(QStringLiteral("CREATE TABLE IF NOT EXISTS raw_file_sha256 (path TEXT PRIMARY KEY,"
                                                 " size INTEGER NOT NULL, modified INTEGER NOT NULL,"
                                                 " sha256 BLOB NOT NULL)"))) {
            hashes = hashesWith(db, paths);
        } else {
            for (const QString& path : paths)
                hashes.insert(path, sha256Of(path));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return hashes;
}

}  // namespace repository
