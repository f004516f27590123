#include "core/Database.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "core/SqlCatalogue.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace {

// Creates a schema object unless the database already lists it.
QString createIfMissing(QSql::TableType kind, const QString& name,
                        std::initializer_list<const char*> statements)
{
    if (QSqlDatabase::database().tables(kind).contains(name, Qt::CaseSensitive))
        return {};
    for (const char* statement : statements) {
        QSqlQuery query;
        if (!query.exec(QString::fromLatin1(statement)))
            return query.lastError().text();
    }
    return {};
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
                          QStringLiteral("Failed to move file from %1 to %2").arg(legacy, path));

    QSqlDatabase db = QSqlDatabase::contains(QSqlDatabase::defaultConnection)
                          ? QSqlDatabase::database()
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.close();
    db.setDatabaseName(path);
    if (!db.open())
        return db.lastError().text();

    QString failure = createIfMissing(QSql::Tables, QStringLiteral("aircraft"), {sql::kCreateAircraft});
    if (failure.isEmpty())
        failure = createIfMissing(QSql::Tables, QStringLiteral("engine_type"),
                                  {sql::kCreateEngineType, sql::kInsertDefaultEngineType});
    if (failure.isEmpty())
        failure = createIfMissing(QSql::Tables, QStringLiteral("engine"), {sql::kCreateEngine});
    if (failure.isEmpty())
        failure = createIfMissing(QSql::Views, QStringLiteral("v"), {sql::kCreateView});
    return failure;
}

void connectDB()
{
    const QString failure = connectSQLite();
    if (!failure.isEmpty())
        prompts().critical(nullptr, QStringLiteral("connectDB"), failure);
}
