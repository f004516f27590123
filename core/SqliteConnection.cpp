#include "core/SqliteConnection.h"

#include <QDir>
#include <QSqlError>

namespace sqlite {
namespace {

// SQLite's primary result codes for a file locked by another connection.
constexpr int kBusy = 5;
constexpr int kLocked = 6;

bool isBusy(const QSqlError& error)
{
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xff;  // extended codes keep the primary one below
    return numeric && (code == kBusy || code == kLocked);
}

}  // namespace

int& busyTimeoutMs()
{
    static int timeout = 5000;
    return timeout;
}

QSqlDatabase addConnection(const QString& path, const QString& connectionName)
{
    QSqlDatabase db = QSqlDatabase::contains(connectionName)
                          ? QSqlDatabase::database(connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
    db.close();
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=") + QString::number(busyTimeoutMs()));
    return db;
}

QString failureText(const QSqlError& error, const QSqlDatabase& database)
{
    if (!isBusy(error))
        return error.text();
    return QStringLiteral("The database \"") + QDir::toNativeSeparators(database.databaseName())
           + QStringLiteral("\" is busy: another program kept it locked for ")
           + QString::number(busyTimeoutMs() / 1000.0) + QStringLiteral(" s. Try again when it is done.");
}

}  // namespace sqlite
