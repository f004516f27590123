// The fleet overview window of 500 engines, one download of 21 flights each:
// opening it (the index checked, every flight read, the rows made and the
// table filled) and the same without the check, next to the index's query
// alone in the same run.
//
// The tree is 500 hard links to four raw files written by the download
// writer: no disk, and a warm page cache. It lives in a temporary directory.

#include "BenchSupport.h"
#include "core/AppIdentity.h"
#include "core/Settings.h"
#include "download/RawFileWriter.h"
#include "trend/FlightIndex.h"
#include "trend/ui/FleetOverviewWindow.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int kEngines = 500;
constexpr int kSources = 4;

QString dataRoot;
QuietPrompts quietPrompts;

template <typename T>
void put(QByteArray& image, qsizetype offset, T value)
{
    std::memcpy(image.data() + offset, &value, sizeof value);
}

// Every slot recorded, values rising with the flight, alarms of its own.
QString writeSource(const QString& path, int source)
{
    QByteArray image(EngineDataImage::kSize, 0);
    for (int slot = 0; slot < kRawFlightCount; ++slot) {
        const qsizetype at = qsizetype(slot) * engine::kSlotSize;
        put(image, at + 24, qint32(slot + 1));
        for (int bin = 0; bin < 26; ++bin)
            for (int parameter = 0; parameter < 22; ++parameter)
                put(image, at + 56 + 4212 * bin + 4 * parameter, float(source + slot * 0.1 + bin * 0.5 + parameter));
        put(image, at + 279696, quint16(20 << 9 | (1 + slot % 12) << 5 | 1 + slot));
    }
    ReportContext context;
    copyText(context.aircraft.registration, QStringLiteral("D-SRC"));
    context.engineNumber = 1;
    for (int alarm = 5; alarm <= 10; ++alarm)
        context.dataHeader.words[alarm] = 3;  // no alarm
    context.dataHeader.words[5 + source] = 1;  // but one at Level 2, another per source
    return writeRawFile(path, context, EngineDataImage(image));
}

QString makeTree(const QString& base)
{
    QStringList sources;
    for (int source = 0; source < kSources; ++source) {
        sources << base + QStringLiteral("/source-") + QString::number(source) + QStringLiteral(".raw");
        if (const QString failure = writeSource(sources.last(), source); !failure.isEmpty())
            return failure;
    }
    for (int engine = 0; engine < kEngines; ++engine) {
        const QString directory = dataRoot + QStringLiteral("/D-F") + QString::number(engine / 4)
                                  + QStringLiteral("_data/engine_") + QString::number(1 + engine % 4);
        QDir().mkpath(directory);
        const QString link = directory + QStringLiteral("/ESN") + QString::number(500000 + engine)
                             + QStringLiteral("-fd-20260101-1200.raw");
        if (::link(QFile::encodeName(sources[engine % kSources]).constData(), QFile::encodeName(link).constData()) != 0)
            return QStringLiteral("cannot link ") + link;
    }
    return {};
}

void checkRows(benchmark::State& state, const FleetOverviewWindow& window)
{
    if (window.shownRows()->rowCount() != kEngines)
        state.SkipWithError("not every engine shown");
}

void BM_OpenFleetWindow(benchmark::State& state)
{
    FleetOverviewWindow window(nullptr);
    for (auto _ : state) {
        window.reload();
        checkRows(state, window);
    }
}

void BM_QueryAndFill(benchmark::State& state)
{
    FleetOverviewWindow window(nullptr);
    FlightIndex index(dataRoot + QStringLiteral("/tolm.db"));
    for (auto _ : state) {
        window.setFlights(index.flights());
        checkRows(state, window);
    }
}

void BM_QueryAlone(benchmark::State& state)
{
    FlightIndex index(dataRoot + QStringLiteral("/tolm.db"));
    for (auto _ : state)
        benchmark::DoNotOptimize(index.flights().size());
}

BENCHMARK(BM_OpenFleetWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_QueryAndFill)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_QueryAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    benchmark::Initialize(&argc, argv);

    BenchHome home;  // removed with everything below it when main returns
    if (!home.prepare(&quietPrompts))
        return 1;
    settings::setValue(settings::DataDir, home.path());
    dataRoot = home.dataRoot();
    QDir().mkpath(dataRoot);

    int result = 0;
    if (const QString failure = makeTree(home.path()); !failure.isEmpty()) {
        std::fprintf(stderr, "preparation failed: %s\n", qPrintable(failure));
        result = 1;
    } else {
        FlightIndex(dataRoot + QStringLiteral("/tolm.db")).update(dataRoot);
        MedianKeeper reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        const auto median = [&](const char* name) { return reporter.medians[name].real * 1e3; };
        std::printf("\nfleet overview of %d engines opened: %.1f ms (goal 200 ms); query, rows and table: %.1f ms; "
                    "the query alone: %.1f ms; ratio %.2f\n",
                    kEngines, median("BM_OpenFleetWindow"), median("BM_QueryAndFill"), median("BM_QueryAlone"),
                    median("BM_QueryAndFill") / median("BM_QueryAlone"));
    }
    installPrompts(nullptr);
    benchmark::Shutdown();
    return result;
}
