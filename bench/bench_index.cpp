// The flight index over a data tree of 1000 raw files: rebuilding it, next to
// the least any index must do (a pread of the same regions and an SQLite
// insert of the same bytes in one transaction, in the same database); the
// check of an index that is up to date; and the index of one download.
//
// The tree is 1000 hard links to four raw files written by the download
// writer, every slot recorded: no disk, and a warm page cache, as after a
// download. It lives in a temporary directory removed at the end.

#include "BenchSupport.h"
#include "core/AppIdentity.h"
#include "core/SqliteConnection.h"
#include "download/RawFileWriter.h"
#include "flights/PositionedFile.h"
#include "flights/RawFileReader.h"
#include "trend/FlightIndex.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kAircraft = 10;
constexpr int kEngines = 4;
constexpr int kFilesPerEngine = 25;
constexpr int kFiles = kAircraft * kEngines * kFilesPerEngine;
constexpr int kSources = 4;
constexpr qint64 kSteadyBytes = sizeof(FlightBlock::steadyParameters);
constexpr qint64 kCaptureBytes = sizeof(FlightBlock::captureAverages);

QString dataRoot;
QString databaseFile;
QString downloadFile;  // outside the tree: a download indexed on its own
QStringList rawFiles;

QuietPrompts quietPrompts;

template <typename T>
void put(QByteArray& image, qsizetype offset, T value)
{
    std::memcpy(image.data() + offset, &value, sizeof value);
}

// A raw file with every slot recorded and values of its own.
QString writeSource(const QString& path, int source)
{
    QByteArray image(EngineDataImage::kSize, 0);
    for (int slot = 0; slot < kRawFlightCount; ++slot) {
        const qsizetype at = qsizetype(slot) * engine::kSlotSize;
        put(image, at + 24, qint32(source * 100 + slot + 1));
        put(image, at + 32, qint32(slot % 2));
        for (int bin = 0; bin < 26; ++bin)
            for (int parameter = 0; parameter < 22; ++parameter)
                put(image, at + 56 + 4212 * bin + 4 * parameter, float(source + slot + bin * 0.5 + parameter * 0.25));
        put(image, at + 279696, quint16((10 + source) << 9 | (1 + slot % 12) << 5 | 1 + slot));
        put(image, at + 279698, quint16(slot << 11 | source << 5));
    }
    ReportContext context;
    copyText(context.aircraft.registration, QStringLiteral("D-SRC"));
    context.engineNumber = 1;
    return writeRawFile(path, context, EngineDataImage(image));
}

QString makeTree(const QString& base)
{
    QStringList sources;
    for (int source = 0; source < kSources; ++source) {
        sources << base + QStringLiteral("/source-%1.raw").arg(source);
        if (const QString failure = writeSource(sources.last(), source); !failure.isEmpty())
            return failure;
    }
    downloadFile = base + QStringLiteral("/ESN9-fd-20260101-1200.raw");
    if (!QFile::copy(sources[0], downloadFile))
        return QStringLiteral("cannot copy a raw file");
    int index = 0;
    for (int aircraft = 0; aircraft < kAircraft; ++aircraft) {
        for (int engine = 1; engine <= kEngines; ++engine) {
            const QString directory =
                dataRoot + QStringLiteral("/D-AT%1_data/engine_%2").arg(QChar('A' + aircraft)).arg(engine);
            QDir().mkpath(directory);
            for (int file = 0; file < kFilesPerEngine; ++file, ++index) {
                const QString link = directory + QStringLiteral("/ESN%1-fd-20260101-%2.raw").arg(aircraft * 4 + engine).arg(file, 4, 10, QChar('0'));
                if (::link(QFile::encodeName(sources[index % kSources]).constData(), QFile::encodeName(link).constData()) != 0)
                    return QStringLiteral("cannot link %1").arg(link);
                rawFiles << link;
            }
        }
    }
    return {};
}

// The peer: the same reads and the same bytes inserted, one transaction.
bool readAndInsert(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")) || !query.exec(QStringLiteral("DELETE FROM peer")))
        return false;
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO peer VALUES (?, ?, ?, ?)"));
    for (const QString& path : rawFiles) {
        PositionedFile file(path);
        RawFileHeader header;
        const RawFileLayout layout = readRawLayout(file, header);
        for (int slot = 0; slot < layout.completeBlocks; ++slot) {
            if (header.flightNumbers[slot] == 0)
                continue;
            const qint64 block = layout.blockOffset(slot);
            QByteArray values(kSteadyBytes + kCaptureBytes, Qt::Uninitialized);
            quint32 words = 0;
            file.read(block, values.data(), kSteadyBytes);
            file.read(block + offsetof(FlightBlock, captureAverages), values.data() + kSteadyBytes, kCaptureBytes);
            file.read(block + offsetof(FlightBlock, dateWord), &words, sizeof words);
            insert.bindValue(0, path);
            insert.bindValue(1, slot);
            insert.bindValue(2, words);
            insert.bindValue(3, values);
            if (!insert.exec())
                return false;
        }
    }
    return query.exec(QStringLiteral("COMMIT"));
}

void BM_RebuildIndex(benchmark::State& state)
{
    FlightIndex index(databaseFile);
    for (auto _ : state) {
        const IndexChanges changes = index.update(dataRoot, true);
        if (changes.added.size() != kFiles || !changes.failure.isEmpty())
            state.SkipWithError("the index did not take every file");
    }
    state.counters["flights"] = index.slotCount();
}

void BM_PeerReadAndInsert(benchmark::State& state)
{
    QSqlDatabase db = sqlite::addConnection(databaseFile, QStringLiteral("peer"));
    db.open();
    QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = -262144"));  // as the index's connection
    // Kept between runs: each run replaces the rows of the one before, as a rebuild does.
    QSqlQuery(db).exec(QStringLiteral("CREATE TABLE IF NOT EXISTS peer (path TEXT, slot INTEGER, words INTEGER, flight_values BLOB)"));
    for (auto _ : state)
        if (!readAndInsert(db))
            state.SkipWithError(qPrintable(db.lastError().text()));
}

void BM_UpToDateCheck(benchmark::State& state)
{
    FlightIndex index(databaseFile);
    index.update(dataRoot);
    for (auto _ : state) {
        const IndexChanges changes = index.update(dataRoot);
        if (!changes.added.isEmpty() || !changes.changed.isEmpty() || !changes.dropped.isEmpty())
            state.SkipWithError("an unchanged tree changed the index");
    }
}

// What the download adds: a connection to the database and the raw file it wrote indexed.
void BM_IndexOneDownload(benchmark::State& state)
{
    qint64 touch = QFileInfo(downloadFile).lastModified().toMSecsSinceEpoch();
    for (auto _ : state) {
        state.PauseTiming();
        QFile file(downloadFile);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(QDateTime::fromMSecsSinceEpoch(touch += 1000), QFileDevice::FileModificationTime);
        file.close();
        state.ResumeTiming();
        if (FlightIndex(databaseFile).updateFile(downloadFile).changed.size() + 0 > 1)
            state.SkipWithError("indexed twice");
    }
}

BENCHMARK(BM_RebuildIndex)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_PeerReadAndInsert)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_UpToDateCheck)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_IndexOneDownload)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    benchmark::Initialize(&argc, argv);

    BenchHome home;  // removed with everything below it when main returns
    if (!home.prepare(&quietPrompts))
        return 1;
    dataRoot = home.dataRoot();
    databaseFile = dataRoot + "/tolm.db";
    QDir().mkpath(dataRoot);

    int result = 0;
    if (const QString failure = makeTree(home.path()); !failure.isEmpty()) {
        std::fprintf(stderr, "preparation failed: %s\n", qPrintable(failure));
        result = 1;
    } else {
        MedianKeeper reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const auto index = reporter.medians.find("BM_RebuildIndex");
        const auto peer = reporter.medians.find("BM_PeerReadAndInsert");
        if (index != reporter.medians.end() && peer != reporter.medians.end())
            std::printf("\nrebuilding the index of %d files: real %.0f ms; reads and inserts alone: real %.0f ms; "
                        "ratio %.2f\n",
                        kFiles, index->second.real * 1e3, peer->second.real * 1e3, index->second.real / peer->second.real);
    }
    installPrompts(nullptr);
    benchmark::Shutdown();
    return result;
}
