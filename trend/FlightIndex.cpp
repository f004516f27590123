#include "trend/FlightIndex.h"

#include "core/SqliteConnection.h"
#include "flights/PositionedFile.h"
#include "flights/RawFileReader.h"
#include "trend/EngineKey.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThreadPool>
#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

constexpr qint64 kSteadyBytes = sizeof(IndexedFlight::steady);
constexpr qint64 kCaptureBytes = sizeof(IndexedFlight::captureAverages);
static_assert(kSteadyBytes == sizeof(FlightBlock::steadyParameters));
static_assert(kCaptureBytes == sizeof(FlightBlock::captureAverages));

const char* const kCreateTables[] = {
    "CREATE TABLE IF NOT EXISTS flight_index_file_v2 ("
    " id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, size INTEGER NOT NULL, modified INTEGER NOT NULL,"
    " refusal TEXT, raw_name TEXT, created INTEGER, registration TEXT, engine INTEGER, engine_serial TEXT,"
    " unit_engine_serial TEXT, engine_key TEXT, alarm_4r_current INTEGER, alarm_4r_historic INTEGER,"
    " alarm_4l_current INTEGER, alarm_4l_historic INTEGER, alarm_3b_current INTEGER, alarm_3b_historic INTEGER)",
    "CREATE INDEX IF NOT EXISTS flight_index_file_v2_engine ON flight_index_file_v2 (engine_key)",
    "CREATE INDEX IF NOT EXISTS flight_index_file_v2_aircraft ON flight_index_file_v2 (registration, engine)",
    "CREATE TABLE IF NOT EXISTS flight_index_flight_v2 ("
    " file_id INTEGER NOT NULL, slot INTEGER NOT NULL, flight INTEGER NOT NULL, second_word INTEGER NOT NULL,"
    " memory_type INTEGER NOT NULL, date_word INTEGER NOT NULL, time_word INTEGER NOT NULL,"
    " flight_values BLOB NOT NULL, values_hash INTEGER NOT NULL, PRIMARY KEY (file_id, slot))",
};

const char kCacheSize[] = "PRAGMA cache_size = -262144";  // KiB

const QString kCannotOpen = QStringLiteral("cannot open the file");
const QString kCutShort = QStringLiteral("Failed to read data block");

// Files read at once: their reads wait on the disk together rather than one
// after another. A batch bounds what is held before it is written.
constexpr int kReaders = 8;
constexpr int kBatch = 64;

const char kInsertFile[] = "INSERT INTO flight_index_file_v2 VALUES (NULL, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
const char kInsertFlight[] = "INSERT INTO flight_index_flight_v2 VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";

// Copies of one flight share the engine, the flight number, the date and
// time words and the steady-state bytes (told apart by their 64-bit hash, so
// the copies are found without sorting the values themselves); the latest
// download's is kept (on equal creation times the later session's name: "-2"
// after none, "-10" after "-9"). Only the kept rows' values are read, and they
// are put in order afterwards (inFlightOrder), since the query's own sorter
// would carry every flight's values.
const char kDistinctFlights[] =
    "SELECT path, slot, created, engine_serial, unit_engine_serial, registration, engine, flight, second_word,"
    " memory_type, date_word, time_word, alarm_4r_current, alarm_4r_historic, alarm_4l_current,"
    " alarm_4l_historic, alarm_3b_current, alarm_3b_historic, flight_values"
    " FROM (SELECT l.rowid AS kept_row, ROW_NUMBER() OVER ("
    "   PARTITION BY f.engine_key, l.flight, l.date_word, l.time_word, l.values_hash"
    "   ORDER BY f.created DESC, length(f.raw_name) DESC, f.raw_name DESC, f.path DESC, l.slot) AS copy"
    "  FROM flight_index_flight_v2 AS l JOIN flight_index_file_v2 AS f ON f.id = l.file_id %1) AS d"
    " JOIN flight_index_flight_v2 AS l ON l.rowid = d.kept_row JOIN flight_index_file_v2 AS f ON f.id = l.file_id"
    " WHERE d.copy = 1";

const char kListedFlights[] =
    "SELECT f.path, l.slot, f.registration, f.engine, l.flight, l.memory_type, l.date_word, l.time_word"
    " FROM flight_index_file_v2 AS f JOIN flight_index_flight_v2 AS l ON l.file_id = f.id %1"
    " ORDER BY f.path, l.slot";

// FNV-1a over the steady-state bytes: the same on every machine.
qint64 valuesHash(const char* bytes, qint64 size)
{
    quint64 hash = 14695981039346656037ULL;
    for (qint64 i = 0; i < size; ++i)
        hash = (hash ^ quint8(bytes[i])) * 1099511628211ULL;
    return qint64(hash);
}

struct FileState {
    qint64 size = -1;
    qint64 modified = 0;  // ns since 1970 where the system tells it, else ms
    bool operator==(const FileState&) const = default;
};

// Straight from the system: a check of 1000 files must not pay a time-zone
// conversion per file.
FileState stateOf(const QString& path)
{
#ifdef Q_OS_UNIX
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
#else
    const QFileInfo file(path);
    return {file.size(), file.lastModified().toMSecsSinceEpoch()};
#endif
}

// Stops early, with what it found so far, once the watch is cancelled.
QHash<QString, FileState> rawFilesBelow(const QString& dataRoot, const std::atomic<bool>* cancelled)
{
    QHash<QString, FileState> files;
    const QDir::Filters directories = QDir::Dirs | QDir::NoDotAndDotDot;
    for (const QFileInfo& aircraft : QDir(dataRoot).entryInfoList({QStringLiteral("*_data")}, directories, QDir::Unsorted))
        for (const QFileInfo& engine : QDir(aircraft.absoluteFilePath()).entryInfoList({QStringLiteral("engine_*")}, directories, QDir::Unsorted)) {
            if (cancelled && cancelled->load())
                return files;
            const QString directory = engine.absoluteFilePath() + QLatin1Char('/');
            for (const QString& raw : QDir(directory).entryList({QStringLiteral("*.raw")}, QDir::Files, QDir::Unsorted))
                files.insert(directory + raw, stateOf(directory + raw));
        }
    return files;
}

struct StoredFile {
    qint64 id = 0;
    FileState state;
};

QString text(const char* field, qsizetype size) { return QString::fromLocal8Bit(field, qstrnlen(field, size)); }

// What one raw file gives the index, read without the database, so that
// several files can be read at once.
struct RawFileContent {
    struct Slot {
        qint32 slot = 0;
        quint16 words[2] = {};  // date, time
        QByteArray values;  // steady-state parameters, then capture averages
    };
    QString refusal;  // why the file is not indexed; empty when it is
    bool cut = false;  // fewer than 21 complete blocks: only those are indexed
    RawFileHeader header{};
    QList<Slot> recorded;  // the complete non-empty slots
};

// One read for the header, then per complete non-empty slot one for each
// region it needs. A file cut since it was sized keeps what was read; the next
// update sees its new size.
RawFileContent readForIndex(const QString& path)
{
    RawFileContent content;
    PositionedFile file(path);
    const RawFileLayout layout = file.isOpen() ? readRawLayout(file, content.header) : RawFileLayout{};
    content.refusal = file.isOpen() ? layout.whyNotRead() : kCannotOpen;
    if (!content.refusal.isEmpty())
        return content;
    content.cut = layout.completeBlocks < kRawFlightCount;
    for (int slot = 0; slot < layout.completeBlocks; ++slot) {
        if (content.header.flightNumbers[slot] == 0)
            continue;
        const qint64 block = layout.blockOffset(slot);
        RawFileContent::Slot read{slot, {}, QByteArray(kSteadyBytes + kCaptureBytes, Qt::Uninitialized)};
        if (file.read(block + offsetof(FlightBlock, steadyParameters), read.values.data(), kSteadyBytes) != kSteadyBytes
            || file.read(block + offsetof(FlightBlock, captureAverages), read.values.data() + kSteadyBytes, kCaptureBytes) != kCaptureBytes
            || file.read(block + offsetof(FlightBlock, dateWord), read.words, sizeof read.words) != qint64(sizeof read.words))
            break;
        content.recorded.append(std::move(read));
    }
    return content;
}

// The statements of one update, prepared once for every file it indexes.
class IndexWriter {
public:
    explicit IndexWriter(const QSqlDatabase& db) : file_(db), flight_(db), dropFile_(db), dropFlights_(db)
    {
        file_.prepare(QLatin1String(kInsertFile));
        flight_.prepare(QLatin1String(kInsertFlight));
        dropFile_.prepare(QStringLiteral("DELETE FROM flight_index_file_v2 WHERE id = ?"));
        dropFlights_.prepare(QStringLiteral("DELETE FROM flight_index_flight_v2 WHERE file_id = ?"));
    }

    QSqlError error() const { return error_; }

    bool drop(qint64 id)
    {
        dropFlights_.bindValue(0, id);
        dropFile_.bindValue(0, id);
        return run(dropFlights_) && run(dropFile_);
    }

    bool add(const QString& path, FileState state, const RawFileContent& content)
    {
        const QString& refusal = content.refusal;
        bindAll(file_, {path, state.size, state.modified, refusal.isEmpty() ? QVariant() : QVariant(refusal)});
        bindHeader(QFileInfo(path).fileName(), content.header);
        if (!run(file_))
            return false;
        flight_.bindValue(0, file_.lastInsertId());
        for (const RawFileContent::Slot& slot : content.recorded)
            if (!addSlot(content.header, slot))
                return false;
        return true;
    }

private:
    static void bindAll(QSqlQuery& query, std::initializer_list<QVariant> values)
    {
        int position = 0;
        for (const QVariant& value : values)
            query.bindValue(position++, value);
    }

    bool run(QSqlQuery& query)
    {
        if (query.exec())
            return true;
        error_ = query.lastError();
        return false;
    }

    // The header's fields, the same for each slot of the file.
    void bindHeader(const QString& fileName, const RawFileHeader& header)
    {
        IndexedFlight owner;
        owner.engineSerial = engineSerialOfFileName(fileName);
        owner.registration = registrationOf(header);
        owner.enginePosition = header.engineNumber;
        const QString unitSerial = text(header.unitEngineSerialNumber, sizeof header.unitEngineSerialNumber);
        int position = 4;
        for (const QVariant& value : {QVariant(fileName), QVariant(qint64(header.creationTime)),
                                      QVariant(owner.registration), QVariant(owner.enginePosition),
                                      QVariant(owner.engineSerial), QVariant(unitSerial), QVariant(engineKey(owner))})
            file_.bindValue(position++, value);
        for (int alarm = 0; alarm < 6; ++alarm)
            file_.bindValue(position++, header.dataHeaderWords[3 + alarm]);
    }

    bool addSlot(const RawFileHeader& header, const RawFileContent::Slot& slot)
    {
        flight_.bindValue(1, slot.slot);
        flight_.bindValue(2, header.flightNumbers[slot.slot]);
        flight_.bindValue(3, header.secondFlightWords[slot.slot]);
        flight_.bindValue(4, header.memoryTypes[slot.slot]);
        flight_.bindValue(5, slot.words[0]);
        flight_.bindValue(6, slot.words[1]);
        flight_.bindValue(7, slot.values);
        flight_.bindValue(8, valuesHash(slot.values.constData(), kSteadyBytes));
        return run(flight_);
    }

    QSqlQuery file_;
    QSqlQuery flight_;
    QSqlQuery dropFile_;
    QSqlQuery dropFlights_;
    QSqlError error_;
};

// Flight end (to the minute), flight number, then engine, file and slot, so
// the order never depends on how the database returned the rows.
QList<IndexedFlight> inFlightOrder(QList<IndexedFlight>&& flights)
{
    const auto key = [&flights](qsizetype i) {
        const IndexedFlight& f = flights[i];
        return std::tuple(f.dateWord, f.timeWord >> 5, f.flightNumber, engineKey(f), f.rawPath, f.slot);
    };
    std::vector<std::pair<decltype(key(0)), qsizetype>> keyed;
    keyed.reserve(flights.size());
    for (qsizetype i = 0; i < flights.size(); ++i)
        keyed.emplace_back(key(i), i);
    std::sort(keyed.begin(), keyed.end());
    QList<IndexedFlight> ordered;
    ordered.reserve(flights.size());
    for (const auto& entry : keyed)
        ordered.append(std::move(flights[entry.second]));
    return ordered;
}

IndexedFlight flightOf(const QSqlQuery& row)
{
    IndexedFlight flight;
    flight.rawPath = row.value(0).toString();
    flight.slot = row.value(1).toInt();
    flight.rawCreationTime = row.value(2).toLongLong();
    flight.engineSerial = row.value(3).toString();
    flight.unitEngineSerial = row.value(4).toString();
    flight.registration = row.value(5).toString();
    flight.enginePosition = row.value(6).toInt();
    flight.flightNumber = row.value(7).toInt();
    flight.secondFlightWord = row.value(8).toInt();
    flight.memoryType = row.value(9).toInt();
    flight.dateWord = quint16(row.value(10).toUInt());
    flight.timeWord = quint16(row.value(11).toUInt());
    for (int alarm = 0; alarm < 6; ++alarm)
        flight.alarmCodes[alarm] = row.value(12 + alarm).toInt();
    const QByteArray values = row.value(18).toByteArray();
    if (values.size() == kSteadyBytes + kCaptureBytes) {
        std::memcpy(flight.steady.data(), values.constData(), kSteadyBytes);
        std::memcpy(flight.captureAverages.data(), values.constData() + kSteadyBytes, kCaptureBytes);
    }
    return flight;
}

}  // namespace

RefusalKind refusalKind(const QString& why)
{
    RawFileLayout unsupported;
    unsupported.unsupported = true;
    if (why == kCannotOpen)
        return RefusalKind::Unopened;
    if (why == unsupported.whyNotRead())
        return RefusalKind::Unsupported;
    return why.startsWith(QLatin1String("Failed to read")) ? RefusalKind::Broken : RefusalKind::Oversized;
}

QString engineSerialOfFileName(const QString& fileName)
{
    const qsizetype cut = fileName.lastIndexOf(QLatin1String("-fd-"));
    if (cut < 0 || !fileName.startsWith(QLatin1String("ESN")))
        return {};
    return fileName.mid(3, cut - 3);
}

namespace {

using FileStates = QHash<QString, FileState>;
using StoredFiles = QHash<QString, StoredFile>;

// The raw files the index holds; only the one path when it is given.
StoredFiles storedFiles(const QSqlDatabase& db, const QString& onlyPath, QSqlError& error)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT id, path, size, modified FROM flight_index_file_v2")
                  + (onlyPath.isEmpty() ? QString() : QStringLiteral(" WHERE path = ?")));
    if (!onlyPath.isEmpty())
        query.bindValue(0, onlyPath);
    StoredFiles files;
    if (!query.exec())
        error = query.lastError();
    while (query.next())
        files.insert(query.value(1).toString(),
                     {query.value(0).toLongLong(), {query.value(2).toLongLong(), query.value(3).toLongLong()}});
    return files;
}

bool upToDate(const FileStates& onDisk, const StoredFiles& stored)
{
    if (onDisk.size() != stored.size())
        return false;
    for (auto file = onDisk.cbegin(); file != onDisk.cend(); ++file) {
        const auto held = stored.constFind(file.key());
        if (held == stored.cend() || !(held->state == file.value()))
            return false;
    }
    return true;
}

bool exec(QSqlDatabase& db, const QString& statement, QSqlError& error)
{
    QSqlQuery query(db);
    if (query.exec(statement))
        return true;
    error = query.lastError();
    return false;
}

bool isCancelled(const UpdateWatch& watch) { return watch.cancelled && watch.cancelled->load(); }

IndexChanges failed(const QString& failure)
{
    IndexChanges changes;
    changes.failure = failure;
    return changes;
}

IndexChanges cancelledUpdate()
{
    IndexChanges changes = failed(QStringLiteral("The update of the flight index was cancelled."));
    changes.cancelled = true;
    return changes;
}

std::vector<RawFileContent> readAll(QThreadPool& readers, const QStringList& paths)
{
    std::vector<RawFileContent> contents(paths.size());
    for (qsizetype i = 0; i < paths.size(); ++i)
        readers.start([&contents, &paths, i] { contents[i] = readForIndex(paths[i]); });
    readers.waitForDone();
    return contents;
}

// Drops what vanished and indexes what is new or changed, reading a batch of
// files at once; false on a database failure or when cancelled.
bool applyChanges(IndexWriter& writer, const FileStates& onDisk, const StoredFiles& stored, const UpdateWatch& watch,
                  IndexChanges& changes)
{
    QStringList toRead;
    for (auto held = stored.cbegin(); held != stored.cend(); ++held) {
        if (onDisk.contains(held.key()))
            continue;
        if (!writer.drop(held->id))
            return false;
        changes.dropped << held.key();
    }
    for (auto file = onDisk.cbegin(); file != onDisk.cend(); ++file) {
        const auto held = stored.constFind(file.key());
        if (held == stored.cend() || !(held->state == file.value()))
            toRead << file.key();
    }
    if (watch.progress && !toRead.isEmpty())
        watch.progress(0, int(toRead.size()));
    QThreadPool readers;
    readers.setMaxThreadCount(kReaders);
    for (qsizetype first = 0; first < toRead.size(); first += kBatch) {
        if (isCancelled(watch))
            return false;
        const QStringList batch = toRead.mid(first, kBatch);
        const std::vector<RawFileContent> contents = readAll(readers, batch);
        for (qsizetype i = 0; i < batch.size(); ++i) {
            const QString& path = batch[i];
            const RawFileContent& content = contents[i];
            const auto held = stored.constFind(path);
            const bool known = held != stored.cend();
            if ((known && !writer.drop(held->id)) || !writer.add(path, onDisk.value(path), content))
                return false;
            if (!content.refusal.isEmpty()) {
                changes.refused.append({path, content.refusal});
                continue;
            }
            (known ? changes.changed : changes.added) << path;
            if (content.cut)
                changes.cut.append({path, kCutShort});
        }
        if (watch.progress)
            watch.progress(int(first + batch.size()), int(toRead.size()));
    }
    return true;
}

IndexChanges bringUpToDate(QSqlDatabase db, const FileStates& onDisk, const QString& onlyPath, bool rebuild,
                           const UpdateWatch& watch = {})
{
    if (isCancelled(watch))
        return cancelledUpdate();  // the files on disk may not all have been seen
    IndexChanges changes;
    QSqlError error;
    StoredFiles stored = storedFiles(db, onlyPath, error);
    if (!error.isValid() && !rebuild && upToDate(onDisk, stored))
        return changes;
    // Another program may have brought it up to date while this one waited for the file.
    bool done = !error.isValid() && exec(db, QStringLiteral("BEGIN IMMEDIATE"), error);
    if (done)
        stored = storedFiles(db, onlyPath, error);
    if (done && rebuild) {
        done = exec(db, QStringLiteral("DELETE FROM flight_index_flight_v2"), error)
               && exec(db, QStringLiteral("DELETE FROM flight_index_file_v2"), error);
        stored.clear();
    }
    if (done && !error.isValid()) {
        IndexWriter writer(db);
        done = applyChanges(writer, onDisk, stored, watch, changes);
        error = writer.error();
    }
    const bool cancelled = isCancelled(watch);
    done = done && !cancelled && !error.isValid() && exec(db, QStringLiteral("COMMIT"), error);
    if (!done) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return cancelled ? cancelledUpdate() : failed(sqlite::failureText(error, db));
    }
    for (QStringList* list : {&changes.added, &changes.changed, &changes.dropped})
        list->sort();
    std::sort(changes.refused.begin(), changes.refused.end());
    std::sort(changes.cut.begin(), changes.cut.end());
    return changes;
}

QString nextConnectionName()
{
    static QAtomicInt count;
    return QStringLiteral("flight-index-") + QString::number(count.fetchAndAddRelaxed(1));
}

}  // namespace

FlightIndex::FlightIndex(const QString& databasePath) : connection_(nextConnectionName())
{
    QSqlDatabase db = sqlite::addConnection(databasePath, connection_);
    QSqlError error;
    if (!db.open()) {
        openFailure_ = sqlite::failureText(db.lastError(), db);
        return;
    }
    // A rebuild writes some 2.5 kB per flight in one transaction: a cache that
    // holds it spares writing pages out (and syncing the journal) midway.
    exec(db, QLatin1String(kCacheSize), error);
    for (const char* statement : kCreateTables)
        if (!exec(db, QLatin1String(statement), error)) {
            openFailure_ = sqlite::failureText(error, db);
            return;
        }
}

FlightIndex::~FlightIndex()
{
    QSqlDatabase::database(connection_, false).close();
    QSqlDatabase::removeDatabase(connection_);
}

IndexChanges FlightIndex::update(const QString& dataRoot, bool rebuild, const UpdateWatch& watch)
{
    if (!openFailure_.isEmpty())
        return failed(openFailure_);
    return bringUpToDate(QSqlDatabase::database(connection_, false), rawFilesBelow(dataRoot, watch.cancelled), {}, rebuild, watch);
}

IndexChanges FlightIndex::updateFile(const QString& rawPath)
{
    if (!openFailure_.isEmpty())
        return failed(openFailure_);
    const QFileInfo file(rawPath);
    FileStates onDisk;
    if (file.isFile())
        onDisk.insert(file.absoluteFilePath(), stateOf(file.absoluteFilePath()));
    return bringUpToDate(QSqlDatabase::database(connection_, false), onDisk, file.absoluteFilePath(), false);
}

QList<IndexedFlight> FlightIndex::flights(const QString& engineKey, QString* failure) const
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QString::fromLatin1(kDistinctFlights)
                      .arg(engineKey.isEmpty() ? QString() : QStringLiteral("WHERE f.engine_key = ?")));
    if (!engineKey.isEmpty())
        query.bindValue(0, engineKey);
    QList<IndexedFlight> flights;
    if (!query.exec()) {
        if (failure)
            *failure = sqlite::failureText(query.lastError(), db);
        return flights;
    }
    while (query.next())
        flights.append(flightOf(query));
    return inFlightOrder(std::move(flights));
}

QList<FlightInfo> FlightIndex::listedFlights(const FlightFilter* filter, QString* failure) const
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QString::fromLatin1(kListedFlights)
                      .arg(filter ? QStringLiteral("WHERE f.registration = ? AND f.engine = ? AND l.memory_type = ?")
                                  : QString()));
    if (filter) {
        query.bindValue(0, filter->registration);
        query.bindValue(1, filter->enginePosition);
        query.bindValue(2, filter->memoryType);
    }
    QList<FlightInfo> flights;
    if (!query.exec()) {
        if (failure)
            *failure = sqlite::failureText(query.lastError(), db);
        return flights;
    }
    while (query.next()) {
        const quint16 dateWord = quint16(query.value(6).toUInt());
        const quint16 timeWord = quint16(query.value(7).toUInt());
        flights.append({flightDateTime(dateWord, timeWord), query.value(0).toString(), query.value(2).toString(),
                        query.value(3).toInt(), query.value(4).toInt(), query.value(5).toInt(), query.value(1).toInt()});
    }
    return flights;
}

QStringList FlightIndex::registrations(QString* failure) const
{
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    query.setForwardOnly(true);
    QStringList found;
    if (!query.exec(QStringLiteral("SELECT registration FROM flight_index_file_v2 AS f WHERE EXISTS"
                                   " (SELECT 1 FROM flight_index_flight_v2 AS l WHERE l.file_id = f.id)"
                                   " GROUP BY registration ORDER BY registration"))) {
        if (failure)
            *failure = sqlite::failureText(query.lastError(), db);
        return found;
    }
    while (query.next())
        found << query.value(0).toString();
    return found;
}

int FlightIndex::slotCount() const
{
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    return query.exec(QStringLiteral("SELECT COUNT(*) FROM flight_index_flight_v2")) && query.next()
               ? query.value(0).toInt()
               : 0;
}
