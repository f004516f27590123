#include "core/Database.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "core/SqlCatalogue.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>

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
    if (QFile::exists(legacy) && !QFile::exists(path) && !QFile::rename(legacy, path))
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

bool runStatement(QSqlQuery& query, const char* statement, const QVariantList& values)
{
    if (!query.prepare(QString::fromLatin1(statement)))
        return false;
    for (const QVariant& value : values) {
        // An empty text is stored as '', as typed, never as NULL.
        if (value.typeId() == QMetaType::QString && value.toString().isNull())
            query.addBindValue(QStringLiteral(""));
        else
            query.addBindValue(value);
    }
    return query.exec();
}

void GetAircraftInfo(AircraftInfo& record)
{
    const QString registration = textOf(record.registration);
    std::memset(&record, 0, sizeof record);
    copyText(record.registration, registration, sizeof record.registration - 2);

    QSqlQuery query;
    if (!runStatement(query, sql::kSelectAircraftDetails, {registration})) {
        prompts().critical(nullptr, QStringLiteral("GetAircraftInfo"), query.lastError().text());
        return;
    }
    if (query.next()) {
        copyText(record.shopId, query.value(0).toString(), sizeof record.shopId - 2);
        copyText(record.comment, query.value(1).toString(), sizeof record.comment - 2);
    }
    if (!runStatement(query, sql::kSelectAircraftEngines, {registration})) {
        prompts().critical(nullptr, QStringLiteral("GetAircraftInfo"), query.lastError().text());
        return;
    }
    while (query.next()) {
        const int sdi = query.value(0).toInt();
        if (sdi < 0 || sdi > 3)
            continue;  // no engine position of the unit
        EngineInfo& engine = record.engines[sdi == 0 ? 3 : sdi - 1];
        copyText(engine.type, query.value(1).toString(), sizeof engine.type - 2);
        copyText(engine.serialNumber, query.value(2).toString(), sizeof engine.serialNumber - 2);
        copyText(engine.installDate, query.value(3).toString(), sizeof engine.installDate - 2);
    }
}

int AddAircraft(const QString& registration, const QString& shopId, const QString& comment)
{
    if (registration.isEmpty()) {
        prompts().critical(nullptr, QStringLiteral("Add Aircraft"), QStringLiteral("Invalid aircraft id."));
        return -1;
    }
    QSqlQuery query;
    if (!runStatement(query, sql::kInsertAircraft, {registration, shopId, comment})) {
        prompts().critical(nullptr, QStringLiteral("Add Aircraft"), query.lastError().text());
        return -1;
    }
    return 0;
}

void importAircraftDirectories(QObject* owner)
{
    const QStringList directories =
        QDir(dataRootPath()).entryList({QStringLiteral("*_data")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (QString registration : directories) {
        registration.remove(QStringLiteral("_data"), Qt::CaseSensitive);
        QSqlQuery query;
        if (!runStatement(query, sql::kImportAircraft, {registration}))
            prompts().warning(owner, QStringLiteral("Error"), query.lastError().text());
    }
}
