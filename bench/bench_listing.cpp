// Listing the recorded flights of a data tree of 1000 raw files, the way the
// flight selection does it (header and the date and time words of each slot,
// completeness from the file size), next to the naive way of reading every
// flight block of every file in full. Both run on a warm page cache.
//
// The tree (about 5.8 GB) is written with the download writer into a temporary
// directory that is removed at the end, also when a benchmark fails or the run
// is interrupted.

#include "BenchSupport.h"
#include "core/AppIdentity.h"
#include "core/Prompts.h"
#include "download/RawFileWriter.h"
#include "flights/RawFileReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStorageInfo>
#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <map>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kAircraft = 10;
constexpr int kEngines = 4;
constexpr int kFilesPerEngine = 25;
constexpr int kFiles = kAircraft * kEngines * kFilesPerEngine;
constexpr qint64 kBlockSize = sizeof(FlightBlock);
constexpr qint64 kTreeBytes = kFiles * kRawFileSize;

QString dataRoot;
QStringList rawFiles;  // every raw file of the tree, in the order the listing walks it
qsizetype expectedFlights = 0;

QuietPrompts quietPrompts;

// An interrupted run still removes the tree: the handler only uses calls that
// are safe in a signal handler (fork, execv, waitpid, _exit).
char removalPath[4096];

extern "C" void removeTreeAndExit(int signalNumber)
{
    const pid_t child = fork();
    if (child == 0) {
        char rm[] = "/bin/rm";
        char flags[] = "-rf";
        char* const arguments[] = {rm, flags, removalPath, nullptr};
        execv(rm, arguments);
        _exit(127);
    }
    if (child > 0) {
        int status = 0;
        waitpid(child, &status, 0);
    }
    _exit(128 + signalNumber);
}

void removeTreeOnSignals(const QString& path)
{
    const QByteArray bytes = QFile::encodeName(path);
    if (bytes.size() >= qsizetype(sizeof removalPath))
        return;
    std::memcpy(removalPath, bytes.constData(), bytes.size() + 1);
    for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        std::signal(signalNumber, removeTreeAndExit);
}

quint16 dateWord(int year, int month, int day) { return quint16((year - 2000) << 9 | month << 5 | day); }
quint16 timeWord(int hour, int minute) { return quint16(hour << 11 | minute << 5); }

template <typename T>
void put(QByteArray& image, qsizetype offset, T value)
{
    std::memcpy(image.data() + offset, &value, sizeof value);
}

// <root>/<REG>_data/engine_<n>/*.raw: every file complete, about three slots in
// four recorded, each with a valid end-of-flight date and time.
QString writeTree(const QString& root)
{
    QByteArray image(EngineDataImage::kSize, 0);
    int fileIndex = 0;
    for (int aircraft = 0; aircraft < kAircraft; ++aircraft) {
        const QString registration = QStringLiteral("D-AT%1").arg(QChar('A' + aircraft));
        for (int engine = 1; engine <= kEngines; ++engine) {
            const QString directory = QStringLiteral("%1/%2_data/engine_%3").arg(root, registration).arg(engine);
            if (!QDir().mkpath(directory))
                return QStringLiteral("cannot create %1").arg(directory);
            for (int file = 0; file < kFilesPerEngine; ++file, ++fileIndex) {
                for (int slot = 0; slot < kRawFlightCount; ++slot) {
                    const qsizetype at = qsizetype(slot) * engine::kSlotSize;
                    const bool recorded = (slot + fileIndex) % 4 != 3;
                    const qint32 flight = recorded ? fileIndex * kRawFlightCount + slot + 1 : 0;
                    put(image, at + 24, flight);
                    put(image, at + 32, qint32(slot % 2));
                    put(image, at + 152, qint16(1000 + slot));  // first steady-state sample
                    put(image, at + 279696, dateWord(2010 + fileIndex % 15, 1 + slot % 12, 1 + fileIndex % 28));
                    put(image, at + 279698, timeWord(slot, fileIndex % 60));
                    expectedFlights += recorded ? 1 : 0;
                }
                ReportContext context;
                copyText(context.aircraft.registration, registration);
                copyText(context.partNumbers.unitPartNumber, QStringLiteral("PN"));
                context.engineNumber = engine;
                const QString path = QStringLiteral("%1/%2_%3.raw").arg(directory, registration).arg(file, 3, 10, QChar('0'));
                if (const QString failure = writeRawFile(path, context, EngineDataImage(image)); !failure.isEmpty())
                    return failure;
            }
        }
    }
    return {};
}

// The raw files in the order scanRawFiles visits them.
QStringList listRawFiles(const QString& root)
{
    QStringList files;
    const QDir::Filters directories = QDir::Dirs | QDir::NoDotAndDotDot;
    for (const QFileInfo& aircraft : QDir(root).entryInfoList({QStringLiteral("*_data")}, directories, QDir::Unsorted))
        for (const QFileInfo& engine : QDir(aircraft.absoluteFilePath()).entryInfoList({QStringLiteral("engine_*")}, directories, QDir::Unsorted))
            for (const QFileInfo& raw : QDir(engine.absoluteFilePath()).entryInfoList({QStringLiteral("*.raw")}, QDir::Files, QDir::Unsorted))
                files << raw.absoluteFilePath();
    return files;
}

// The naive listing of one file: the header, then every flight block read in
// full into the buffer, keeping the date and time words of the recorded slots.
bool readEveryBlock(const QString& path, std::vector<char>& buffer, QList<FlightInfo>& flights)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    RawFileHeader header;
    if (!readRawHeader(file, header).isEmpty() || header.magic != kRawMagic)
        return false;
    const QString absolutePath = QFileInfo(path).absoluteFilePath();
    const QString registration = QString::fromLocal8Bit(header.registration, qstrnlen(header.registration, 17));
    for (int slot = 0; slot < kRawFlightCount; ++slot) {
        if (file.read(buffer.data(), kBlockSize) != kBlockSize)
            return false;
        if (header.flightNumbers[slot] == 0)
            continue;
        quint16 words[2];
        std::memcpy(words, buffer.data() + offsetof(FlightBlock, dateWord), sizeof words);
        flights.append({flightDateTime(words[0], words[1]), absolutePath, registration, header.engineNumber,
                        header.flightNumbers[slot], header.memoryTypes[slot]});
    }
    return true;
}

// The whole tree the naive way, walking it as the program does.
QList<FlightInfo> listByReadingEverything(const QString& root, std::vector<char>& buffer, bool& complete)
{
    QList<FlightInfo> flights;
    complete = true;
    for (const QString& path : listRawFiles(root))
        complete &= readEveryBlock(path, buffer, flights);
    return flights;
}

bool sameFlights(const QList<FlightInfo>& a, const QList<FlightInfo>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a[i].dateTime != b[i].dateTime || a[i].path != b[i].path || a[i].registration != b[i].registration
            || a[i].enginePosition != b[i].enginePosition || a[i].flightNumber != b[i].flightNumber
            || a[i].memoryType != b[i].memoryType)
            return false;
    }
    return true;
}

// What the flight selection does: walk the tree and list every file.
void BM_ListingAsProgram(benchmark::State& state)
{
    const int messagesBefore = quietPrompts.messages;
    for (auto _ : state) {
        const QList<FlightInfo> flights = scanRawFiles(dataRoot).flights;
        if (flights.size() != expectedFlights) {
            state.SkipWithError("wrong number of flights listed");
            break;
        }
        benchmark::DoNotOptimize(flights.constData());
    }
    if (quietPrompts.messages != messagesBefore)
        state.SkipWithError("the listing reported broken files");
    state.counters["files"] = kFiles;
    state.counters["flights"] = double(expectedFlights);
}

// extractFlightInfo alone over the files already found, without the directory walk.
void BM_ExtractFlightInfoOnly(benchmark::State& state)
{
    for (auto _ : state) {
        QList<FlightInfo> flights;
        for (const QString& path : rawFiles) {
            const ListingOutcome outcome = extractFlightInfo(path, flights);
            if (outcome.unsupported || !outcome.failure.isEmpty())
                state.SkipWithError("a file could not be listed");
        }
        if (flights.size() != expectedFlights)
            state.SkipWithError("wrong number of flights listed");
        benchmark::DoNotOptimize(flights.constData());
    }
}

// The naive way: every block of every file read in full.
void BM_ListingByReadingEveryBlock(benchmark::State& state)
{
    std::vector<char> buffer(kBlockSize);
    for (auto _ : state) {
        bool complete = false;
        const QList<FlightInfo> flights = listByReadingEverything(dataRoot, buffer, complete);
        if (!complete || flights.size() != expectedFlights)
            state.SkipWithError("reading every block failed");
        benchmark::DoNotOptimize(flights.constData());
    }
    state.SetBytesProcessed(state.iterations() * kTreeBytes);
}

BENCHMARK(BM_ListingAsProgram)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_ExtractFlightInfoOnly)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_ListingByReadingEveryBlock)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

// Writes the tree, checks that both ways list the same flights, and warms the
// page cache with one pass of each. Returns the failure text, empty on success.
QString prepare(const QString& root)
{
    const qint64 available = QStorageInfo(QFileInfo(root).absolutePath()).bytesAvailable();
    if (available < kTreeBytes + (qint64(2) << 30))
        return QStringLiteral("only %1 MB free for a %2 MB tree").arg(available >> 20).arg(kTreeBytes >> 20);
    std::fprintf(stderr, "writing %d raw files (%lld MB) to %s ...\n", kFiles, kTreeBytes >> 20, qPrintable(root));
    if (const QString failure = writeTree(root); !failure.isEmpty())
        return failure;
    rawFiles = listRawFiles(root);
    if (rawFiles.size() != kFiles)
        return QStringLiteral("%1 raw files found instead of %2").arg(rawFiles.size()).arg(kFiles);

    const QList<FlightInfo> listed = scanRawFiles(root).flights;
    std::vector<char> buffer(kBlockSize);
    bool complete = false;
    const QList<FlightInfo> naive = listByReadingEverything(root, buffer, complete);
    if (quietPrompts.messages != 0 || !complete || listed.size() != expectedFlights || !sameFlights(listed, naive))
        return QStringLiteral("the two ways list different flights (%1, %2, expected %3)")
            .arg(listed.size()).arg(naive.size()).arg(expectedFlights);
    std::fprintf(stderr, "%d files, %lld flights listed; page cache warmed\n", kFiles, qlonglong(expectedFlights));
    return {};
}

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
    removeTreeOnSignals(home.path());
    dataRoot = home.dataRoot();

    int result = 0;
    if (const QString failure = prepare(dataRoot); !failure.isEmpty()) {
        std::fprintf(stderr, "preparation failed: %s\n", qPrintable(failure));
        result = 1;
    } else {
        MedianKeeper reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const auto program = reporter.medians.find("BM_ListingAsProgram");
        const auto naive = reporter.medians.find("BM_ListingByReadingEveryBlock");
        if (program != reporter.medians.end() && naive != reporter.medians.end()) {
            const MedianKeeper::Median a = program->second;
            const MedianKeeper::Median b = naive->second;
            std::printf("\nlisting %d files as the program does it: real %.1f ms, cpu %.1f ms\n"
                        "reading every block of every file:       real %.1f ms, cpu %.1f ms\n"
                        "ratio: real %.1f, cpu %.1f\n",
                        kFiles, a.real * 1e3, a.cpu * 1e3, b.real * 1e3, b.cpu * 1e3, b.real / a.real, b.cpu / a.cpu);
        }
    }
    installPrompts(nullptr);
    benchmark::Shutdown();
    return result;
}
