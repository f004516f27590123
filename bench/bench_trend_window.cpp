// The engine trend window: from the technician's choice to the chart drawn,
// for an engine of 2000 distinct flights (96 downloads of 21 flights, values
// creeping up). Choosing the engine reads its flights from the index and
// draws; choosing another parameter draws from the flights already read.
//
// The tree is written by the download's writer into a temporary directory
// removed at the end (about 570 MB: every slot of every file is recorded).

#include "BenchSupport.h"
#include "core/AppIdentity.h"
#include "download/RawFileWriter.h"
#include "plot/ui/XYPlot.h"
#include "trend/ui/EngineTrendWindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QSettings>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kDownloads = 96;  // 2016 flights
constexpr int kFlightsPerDownload = 21;

QString dataRoot;
QuietPrompts quietPrompts;
EngineTrendWindow* window = nullptr;

template <typename T>
void put(QByteArray& image, qsizetype offset, T value)
{
    std::memcpy(image.data() + offset, &value, sizeof value);
}

quint16 dateWord(int day) { return quint16((10 + day / 336) << 9 | (1 + day / 28 % 12) << 5 | (1 + day % 28)); }

QString writeDownload(const QString& directory, const QString& esn, int engine, int download, int flights)
{
    QByteArray image(EngineDataImage::kSize, 0);
    for (int slot = 0; slot < flights; ++slot) {
        const int number = download * kFlightsPerDownload + slot + 1;
        const qsizetype at = qsizetype(slot) * engine::kSlotSize;
        put(image, at + 24, qint32(number));
        put(image, at + 32, qint32(number > 1500));
        for (int bin = 0; bin < 26; ++bin)
            for (int parameter = 0; parameter < 22; ++parameter)
                put(image, at + 56 + 4212 * bin + 4 * parameter,
                    float(0.5 + number * 0.0005 + (number * 7 + bin * 13 + parameter) % 11 * 0.01));
        put(image, at + 279696, dateWord(number / 3));
        put(image, at + 279698, quint16((number % 24) << 11));
    }
    ReportContext context;
    copyText(context.aircraft.registration, QStringLiteral("F-GABC"));
    context.engineNumber = engine;
    const QString path = directory + QStringLiteral("/ESN") + esn + QStringLiteral("-fd-20260101-")
                         + QString::number(download).rightJustified(4, QLatin1Char('0')) + QStringLiteral(".raw");
    return writeRawFile(path, context, EngineDataImage(image));
}

QString makeTree()
{
    for (int engine = 1; engine <= 2; ++engine)
        QDir().mkpath(dataRoot + QStringLiteral("/F-GABC_data/engine_") + QString::number(engine));
    for (int download = 0; download < kDownloads; ++download) {
        const QString failure =
            writeDownload(dataRoot + QStringLiteral("/F-GABC_data/engine_1"), QStringLiteral("700001"), 1, download, kFlightsPerDownload);
        if (!failure.isEmpty())
            return failure;
    }
    // A second, small engine to choose away from.
    return writeDownload(dataRoot + QStringLiteral("/F-GABC_data/engine_2"), QStringLiteral("700002"), 2, 0, 5);
}

QComboBox* combo(const char* name) { return window->findChild<QComboBox*>(QLatin1String(name)); }

void chooseAndDraw(QComboBox* box, const QString& data)
{
    box->setCurrentIndex(box->findData(data));
    QApplication::processEvents();
}

void BM_ChooseEngine(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        chooseAndDraw(combo("engineCombo"), QStringLiteral("700002"));
        state.ResumeTiming();
        chooseAndDraw(combo("engineCombo"), QStringLiteral("700001"));
    }
    state.counters["points"] = window->series().points.size();
}

void BM_ChooseParameter(benchmark::State& state)
{
    chooseAndDraw(combo("engineCombo"), QStringLiteral("700001"));
    int parameter = 0;
    for (auto _ : state)
        chooseAndDraw(combo("parameterCombo"), QString::number(parameter++ % 22));
    state.counters["points"] = window->series().points.size();
}

BENCHMARK(BM_ChooseEngine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_ChooseParameter)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    benchmark::Initialize(&argc, argv);

    BenchHome home;  // removed with everything below it when main returns
    if (!home.prepare(&quietPrompts))
        return 1;
    dataRoot = home.dataRoot();
    if (const QString failure = makeTree(); !failure.isEmpty()) {
        std::fprintf(stderr, "preparation failed: %s\n", qPrintable(failure));
        return 1;
    }
    EngineTrendWindow trend(nullptr, dataRoot, dataRoot + "/tolm.db");  // indexes the tree
    trend.resize(1000, 620);
    trend.show();
    window = &trend;
    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    return 0;
}
