#include "core/Database.h"

#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "core/SqlCatalogue.h"
#include "core/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Creates a schema object unless the database already lists it.
bool createIfMissing(QSqlDatabase& db, QSql::TableType kind, const QString& name,
                     std::initializer_list<const char*> statements, QSqlError& error)
{
    if (db.tables(kind).contains(name, Qt::CaseSensitive))
        return true;
    for (const char* statement : statements) {
        QSqlQuery query(db);
        if (!query.exec(QString::fromLatin1(statement))) {
            error = query.lastError();
            return false;
        }
    }
    return true;
}

// Creates the missing schema objects in one write transaction: a second
// program starting on the same new data root waits for it (busy time-out)
// and then finds every object in place.
QSqlError createSchema(QSqlDatabase& db)
{
    QSqlQuery begin(db);
    if (!begin.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return begin.lastError();
    QSqlError error;
    const bool created =
        createIfMissing(db, QSql::Tables, QStringLiteral("aircraft"), {sql::kCreateAircraft}, error)
        && createIfMissing(db, QSql::Tables, QStringLiteral("engine_type"),
                           {sql::kCreateEngineType, sql::kInsertDefaultEngineType}, error)
        && createIfMissing(db, QSql::Tables, QStringLiteral("engine"), {sql::kCreateEngine}, error)
        && createIfMissing(db, QSql::Views, QStringLiteral("v"), {sql::kCreateView}, error);
    QSqlQuery end(db);
    if (!created) {
        end.exec(QStringLiteral("ROLLBACK"));
        return error;
    }
    if (!end.exec(QStringLiteral("COMMIT"))) {
        error = end.lastError();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    }
    return error;
}

}  // namespace

QString databasePath() { return dataRootPath() + QStringLiteral("/tolm.db"); }

QString legacyDatabasePath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:/.tolm.db");
#else
    return QDir::homePath() + QStringLiteral("/.tolm.db");
#endif
}

QString connectSQLite()
{
    const QString path = databasePath();
    const QString legacy = legacyDatabasePath();
    // A tree chosen for one run only never takes the station's legacy database away.
    const bool runOnlyTree = settings::dataDirOverride().has_value();
    if (!runOnlyTree && QFile::exists(legacy) && !QFile::exists(path) && !QFile::rename(legacy, path))
        prompts().warning(nullptr, QStringLiteral("connectSQLite"),
                          QStringLiteral("Failed to move file from %1 to %2").arg(messageText(legacy), messageText(path)));

    QSqlDatabase db = sqlite::addConnection(path);
    if (!db.open())
        return sqlite::failureText(db.lastError(), db);
    const QSqlError error = createSchema(db);
    return error.isValid() ? sqlite::failureText(error, db) : QString();
}

void connectDB()
{
    const QString failure = connectSQLite();
    if (!failure.isEmpty())
        prompts().critical(nullptr, QStringLiteral("connectDB"), failure);
}
