#include "repository/RepositoryPush.h"

#include "core/MessageText.h"
#include "repository/LocalDownload.h"
#include "repository/RawFileHashes.h"
#include "repository/RepositorySchema.h"

#include <QFileInfo>
#include <QDir>
#include <QSet>
#include <QThread>

namespace repository {
namespace {

const char kHeldOf[] =
    "SELECT encode(raw_sha256, 'hex') FROM download"
    " WHERE raw_sha256 = ANY (SELECT decode(h, 'hex') FROM unnest(string_to_array($1, ',')) AS h)";
const char kInsertEngine[] =
    "INSERT INTO engine (engine_key, serial) VALUES ($1, $2) ON CONFLICT (engine_key) DO NOTHING";
const char kEngineId[] = "SELECT id FROM engine WHERE engine_key = $1";
// File names hold no '/', so the set's names travel as one text.
const char kInsertDownload[] =
    "INSERT INTO download (raw_sha256, station_id, engine_id, raw_name, raw_size, created, registration,"
    " engine_position, unit_engine_serial, alarm_codes, file_names)"
    " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, string_to_array($10, ',')::integer[], string_to_array($11, '/'))"
    " ON CONFLICT (raw_sha256) DO NOTHING RETURNING id";
const char kInsertFile[] = "INSERT INTO download_file (download_id, name, content) VALUES ($1, $2, $3)";
const char kInsertFlight[] =
    "INSERT INTO flight (download_id, slot, engine_id, flight_number, second_word, memory_type, date_word,"
    " time_word, flight_values) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9)";

QString megabytes(qint64 bytes) { return QString::number(bytes / 1e6, 'f', 1) + QStringLiteral(" MB"); }

struct Candidate {
    QString rawPath;
    QByteArray sha256;
    qint64 bytes = 0;  // of the raw file and its reports
};

qint64 setBytes(const QString& rawPath)
{
    const QFileInfo raw(rawPath);
    qint64 bytes = raw.size();
    for (const QString& report : reportNamesOf(raw.fileName()))
        bytes += QFileInfo(raw.dir().filePath(report)).size();
    return bytes;
}

bool registerStation(PgConnection& connection, const Station& station)
{
    if (!connection.run("INSERT INTO station (id) VALUES ($1) ON CONFLICT DO NOTHING", {PgParam::text(station.id)}))
        return false;
    const auto named = connection.exec(
        "SELECT name FROM station_name WHERE station_id = $1 ORDER BY named DESC LIMIT 1", {PgParam::text(station.id)});
    if (!named)
        return false;
    if (named->rows() == 1 && named->text(0, 0) == station.name)
        return true;
    return connection.run("INSERT INTO station_name (station_id, name) VALUES ($1, $2)",
                          {PgParam::text(station.id), PgParam::text(station.name)});
}

std::optional<QSet<QByteArray>> heldOf(PgConnection& connection, const QList<Candidate>& candidates)
{
    QByteArrayList hashes;
    for (const Candidate& candidate : candidates)
        hashes << candidate.sha256.toHex();
    const auto held = connection.exec(kHeldOf, {PgParam{hashes.join(',')}});
    if (!held)
        return std::nullopt;
    QSet<QByteArray> set;
    for (int row = 0; row < held->rows(); ++row)
        set.insert(QByteArray::fromHex(held->text(row, 0).toLatin1()));
    return set;
}

QString joined(const std::array<qint32, 6>& codes)
{
    QStringList texts;
    for (qint32 code : codes)
        texts << QString::number(code);
    return texts.join(QLatin1Char(','));
}

// Inserts the download's rows; false after a failure. stored is false when
// another push stored the same download first.
bool insertDownload(PgConnection& connection, const LocalDownload& download, const Station& station, bool& stored)
{
    if (!connection.run(kInsertEngine, {PgParam::text(download.engineKey), PgParam::text(download.engineSerial)}))
        return false;
    const auto engine = connection.exec(kEngineId, {PgParam::text(download.engineKey)});
    if (!engine)
        return false;
    const qint64 engineId = engine->number(0, 0);
    const auto inserted = connection.exec(
        kInsertDownload,
        {PgParam::bytes(download.sha256), PgParam::text(station.id), PgParam::number(engineId),
         PgParam::text(download.files.first().first), PgParam::number(download.files.first().second.size()),
         PgParam::number(download.created), PgParam::text(download.registration),
         PgParam::number(download.enginePosition), PgParam::text(download.unitEngineSerial),
         PgParam::text(joined(download.alarmCodes)), PgParam::text(download.fileNames().join(QLatin1Char('/')))});
    if (!inserted)
        return false;
    stored = inserted->rows() == 1;
    if (!stored)
        return true;
    const PgParam id = PgParam::number(inserted->number(0, 0));
    for (const auto& [name, bytes] : download.files)
        if (!connection.run(kInsertFile, {id, PgParam::text(name), PgParam::bytes(bytes)}))
            return false;
    for (const DownloadFlight& flight : download.flights)
        if (!connection.run(kInsertFlight, {id, PgParam::number(flight.slot), PgParam::number(engineId),
                                            PgParam::number(flight.flightNumber), PgParam::number(flight.secondWord),
                                            PgParam::number(flight.memoryType), PgParam::number(flight.dateWord),
                                            PgParam::number(flight.timeWord), PgParam::bytes(flight.values)}))
            return false;
    return true;
}

}  // namespace

QString PushOutcome::summary() const
{
    return QStringLiteral("Sent %1 download(s) (%2); %3 already in the fleet repository.")
        .arg(QString::number(sent), megabytes(bytesSent), QString::number(held));
}

RepositoryPush::RepositoryPush(const QString& conninfo, const QString& dataRoot, const Station& station,
                               QObject* parent)
    : QObject(parent), conninfo_(conninfo), dataRoot_(dataRoot), station_(station)
{
}

RepositoryPush::~RepositoryPush()
{
    if (worker_) {
        cancel();
        worker_->wait();
    }
}

void RepositoryPush::start()
{
    worker_.reset(QThread::create([this] { outcome_ = run(); }));
    connect(worker_.get(), &QThread::finished, this, [this] {
        finished_ = true;
        emit finished();
    });
    worker_->start();
}

PushOutcome RepositoryPush::run()
{
    PushOutcome outcome;
    const auto stopped = [&](const QString& prefix) {
        outcome.cancelled = connection_.cancelled();
        outcome.failure = outcome.cancelled ? QStringLiteral("Cancelled.") : prefix + connection_.failure();
        return outcome;
    };
    const QStringList rawFiles = rawFilesBelow(dataRoot_);
    const QHash<QString, QByteArray> hashes = rawFileHashes(rawFiles, dataRoot_ + QStringLiteral("/tolm.db"));
    QList<Candidate> candidates;
    for (const QString& path : rawFiles)
        candidates << Candidate{path, hashes.value(path), 0};
    if (!connection_.open(conninfo_)) {
        outcome.needsPassword = connection_.needsPassword();
        return stopped(QStringLiteral("Cannot connect to the fleet repository: "));
    }
    if (const QString refusal = schemaRefusal(connection_); !refusal.isEmpty()) {
        outcome.failure = refusal;
        return outcome;
    }
    const auto held = registerStation(connection_, station_) ? heldOf(connection_, candidates) : std::nullopt;
    if (!held)
        return stopped(QStringLiteral("The fleet repository refused the station: "));
    QList<Candidate> missing;
    qint64 total = 0;
    for (Candidate& candidate : candidates)
        if (!held->contains(candidate.sha256)) {
            candidate.bytes = setBytes(candidate.rawPath);
            total += candidate.bytes;
            missing << candidate;
        }
    outcome.held = int(candidates.size() - missing.size());
    qint64 done = 0;
    emit progressed(0, int(missing.size()), 0, total);
    for (int i = 0; i < missing.size(); ++i) {
        const LocalDownload download = readDownload(missing[i].rawPath);
        if (!download.failure.isEmpty()) {
            outcome.refused << messageText(download.rawPath) + QStringLiteral(": ") + download.failure;
        } else {
            bool stored = false;
            if (!connection_.run("BEGIN") || !insertDownload(connection_, download, station_, stored)
                || !connection_.run("COMMIT")) {
                const PushOutcome failed = stopped(messageText(download.rawPath) + QStringLiteral(" was not stored: "));
                connection_.run("ROLLBACK");
                return failed;
            }
            if (stored) {
                ++outcome.sent;
                outcome.bytesSent += download.bytes();
            } else {
                ++outcome.held;
            }
        }
        done += missing[i].bytes;
        emit progressed(i + 1, int(missing.size()), done, total);
    }
    return outcome;
}

}  // namespace repository
