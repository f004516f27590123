#include "core/AircraftCatalogue.h"

#include "core/DataDirectories.h"
#include "core/DirectoryTree.h"
#include "core/Registration.h"
#include "core/SqlCatalogue.h"
#include "core/SqliteConnection.h"

#include <QDir>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariantList>

namespace catalogue {
namespace {

// Bytes of each fixed field left unused: the download's record keeps two
// free, the flight selection's list only the terminator.
constexpr std::size_t kRecordSpare = 2;
constexpr std::size_t kListSpare = 1;

// The connection of this thread's ThreadConnection; empty: the default one.
thread_local QString threadConnection;

QSqlDatabase connection()
{
    return QSqlDatabase::database(threadConnection.isEmpty() ? QLatin1String(QSqlDatabase::defaultConnection)
                                                             : threadConnection);
}

QString failureText(const QSqlQuery& query) { return sqlite::failureText(query.lastError(), connection()); }

// Runs one statement with its values bound in order. The query holds the
// rows, or lastError() when it returns false.
bool run(QSqlQuery& query, const char* statement, const QVariantList& values = {})
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

// Runs a statement that returns no rows; its failure text, empty when it ran.
QString execute(const char* statement, const QVariantList& values)
{
    QSqlQuery query(connection());
    return run(query, statement, values) ? QString() : failureText(query);
}

template <typename T>
Fetched<T> failedWith(Fetched<T> result, const QSqlQuery& query)
{
    result.failure = failureText(query);
    return result;
}

// The first column of every row.
Fetched<QStringList> column(const char* statement)
{
    Fetched<QStringList> result;
    QSqlQuery query(connection());
    if (!run(query, statement))
        return failedWith(result, query);
    while (query.next())
        result.value << query.value(0).toString();
    return result;
}

template <std::size_t N>
void store(char (&field)[N], const QString& text, std::size_t spare)
{
    copyText(field, text, N - spare);
}

// Rows of (sdi, type, serial number, install date) into the record's engine
// slots; a later row for a slot overwrites an earlier one.
void storeEngines(QSqlQuery& rows, AircraftInfo& record, std::size_t spare)
{
    while (rows.next()) {
        const int sdi = rows.value(0).toInt();
        if (sdi < 0 || sdi > 3)
            continue;  // no engine position of the unit
        EngineInfo& engine = record.engines[engineSlotOfSdi(sdi)];
        store(engine.type, rows.value(1).toString(), spare);
        store(engine.serialNumber, rows.value(2).toString(), spare);
        store(engine.installDate, rows.value(3).toString(), spare);
    }
}

}  // namespace

ThreadConnection::ThreadConnection(const QString& databaseFile)
    : name_(QStringLiteral("catalogue-%1").arg(quintptr(this), 0, 16))
{
    Q_ASSERT(threadConnection.isEmpty());
    QSqlDatabase database = sqlite::addConnection(databaseFile, name_);
    if (!database.open())
        openFailure_ = sqlite::failureText(database.lastError(), database);
    threadConnection = name_;
}

ThreadConnection::~ThreadConnection()
{
    threadConnection.clear();
    QSqlDatabase::database(name_, false).close();
    QSqlDatabase::removeDatabase(name_);
}

Fetched<QStringList> registrations() { return column(sql::kSelectRegistrations); }

Fetched<QList<AircraftInfo>> aircraftWithEngines()
{
    Fetched<QList<AircraftInfo>> result;
    QSqlQuery aircraft(connection());
    if (!run(aircraft, sql::kSelectAircraftList))
        return failedWith(result, aircraft);
    while (aircraft.next()) {
        AircraftInfo info{};
        store(info.registration, aircraft.value(1).toString(), kListSpare);
        store(info.shopId, aircraft.value(2).toString(), kListSpare);
        store(info.comment, aircraft.value(3).toString(), kListSpare);
        QSqlQuery engines(connection());
        if (!run(engines, sql::kSelectEnginesOfAircraft, {aircraft.value(0)}))
            return failedWith(result, engines);
        storeEngines(engines, info, kListSpare);
        result.value.append(info);
    }
    return result;
}

Fetched<ShopDetails> shopDetails(const QString& registration)
{
    Fetched<ShopDetails> result;
    QSqlQuery query(connection());
    if (!run(query, sql::kSelectAircraftDetails, {registration}))
        return failedWith(result, query);
    if (query.next())
        result.value = {query.value(0).toString(), query.value(1).toString()};
    return result;
}

Fetched<AircraftInfo> aircraftInfo(const QString& registration)
{
    Fetched<AircraftInfo> result;
    AircraftInfo& record = result.value;
    store(record.registration, registration, kRecordSpare);

    const Fetched<ShopDetails> details = shopDetails(registration);
    if (!details.failure.isEmpty()) {
        result.failure = details.failure;
        return result;
    }
    store(record.shopId, details.value.shopId, kRecordSpare);
    store(record.comment, details.value.comment, kRecordSpare);

    QSqlQuery engines(connection());
    if (!run(engines, sql::kSelectAircraftEngines, {registration}))
        return failedWith(result, engines);
    storeEngines(engines, record, kRecordSpare);
    return result;
}

QString addAircraft(const QString& registration, const QString& shopId, const QString& comment)
{
    if (registration.isEmpty())
        return QStringLiteral("Invalid aircraft id.");
    return execute(sql::kInsertAircraft, {registration, shopId, comment});
}

QString updateAircraft(const QString& registration, const QString& shopId, const QString& comment)
{
    return execute(sql::kUpdateAircraftByRegistration, {shopId, comment, registration});
}

QString removeAircraft(const QString& registration)
{
    QSqlQuery query(connection());
    if (!run(query, sql::kCountAircraft, {registration}))
        return failureText(query);
    if (!query.next() || query.value(0).toInt() < 1)
        return {};
    // The registration names a directory of the data root: never let it point elsewhere.
    if (fileNameProblem(registration).isEmpty())
        removeDirectoryTree(dataRootPath() + QLatin1Char('/') + registration + QStringLiteral("_data"));
    for (const char* statement : {sql::kDeleteAircraftEngines, sql::kDeleteAircraft})
        if (!run(query, statement, {registration}))
            return failureText(query);
    return {};
}

Fetched<QStringList> engineTypes() { return column(sql::kSelectEngineTypes); }

QString addEngineType(const QString& type) { return execute(sql::kInsertEngineType, {type}); }

QString removeEngineType(const QString& type) { return execute(sql::kDeleteEngineType, {type}); }

QString saveAircraftDetails(const AircraftInfo& record, int positionCode, const EngineDetails& engine)
{
    QSqlQuery query(connection());
    if (!run(query, sql::kSelectAircraftId, {textOf(record.registration)}))
        return failureText(query);
    if (!query.next())
        return QStringLiteral("Aircraft ID not found!");
    const qlonglong aircraftId = query.value(0).toLongLong();

    if (!run(query, sql::kUpdateAircraftById, {textOf(record.shopId), textOf(record.comment), aircraftId}))
        return failureText(query);
    if (!run(query, sql::kSelectEngineId, {aircraftId, positionCode, engine.serialNumber}))
        return failureText(query);
    const qlonglong engineId = query.next() ? query.value(0).toLongLong() : 0;

    const bool stored =
        engineId > 0 ? run(query, sql::kUpdateEngine, {engine.type, engine.installDate, engineId})
                     : run(query, sql::kInsertEngine,
                           {aircraftId, engine.type, engine.serialNumber, positionCode, engine.installDate});
    return stored ? QString() : failureText(query);
}

QStringList importAircraftDirectories()
{
    QStringList failures;
    const QStringList directories = QDir(dataRootPath()).entryList(
        {QStringLiteral("*_data")}, QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
    if (directories.isEmpty())
        return failures;
    // One transaction for every folder: a disk flush for each would keep the
    // first start on a tree of thousands of aircraft waiting for seconds. A
    // refused folder is told and the others are stored; a failed commit
    // stores none, so the next start imports them all again.
    // (Statements, not QSqlDatabase::commit(), whose error would not say that the database is busy.)
    QSqlQuery query(connection());
    const bool batched = query.exec(QStringLiteral("BEGIN"));
    for (QString registration : directories) {
        registration.remove(QStringLiteral("_data"), Qt::CaseSensitive);
        if (!run(query, sql::kImportAircraft, {registration}))
            failures << failureText(query);
    }
    if (batched && !query.exec(QStringLiteral("COMMIT"))) {
        failures << failureText(query);
        query.exec(QStringLiteral("ROLLBACK"));
    }
    return failures;
}

}  // namespace catalogue
