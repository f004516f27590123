// The engine report of a download with ten post-defect flights (and one
// pre-defect) on an engine of five downloads: gathered, its pages drawn and
// the PDF written, as File › Engine Report… does it; next to it, in the same
// run, the same 35 charts drawn to PNG files, and the part of the report's
// work left on the GUI thread (recording the charts). Goals: at most 2 s, at
// most 1.5 times the PNG charts, at most 3 MB.

#include "SampleFlights.h"
#include "TestEnvironment.h"
#include "plot/ui/ChartRenderer.h"
#include "report/EngineReport.h"
#include "report/ui/EngineReportWriter.h"
#include "report/ui/ReportCharts.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QFileInfo>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

QString dataRoot;
QString rawPath;
QString outDir;

void BM_Report(benchmark::State& state)
{
    for (auto _ : state) {
        QString failure;
        const std::optional<EngineReport> report = gatherEngineReport(rawPath, dataRoot, failure);
        if (!report || !writeEngineReport(*report, outDir + "/report.pdf").isEmpty())
            state.SkipWithError("the report was not written");
    }
    state.counters["bytes"] = double(QFileInfo(outDir + "/report.pdf").size());
}

// What File › Engine Report… still does on the GUI thread: recording the charts.
void BM_ReportGuiThread(benchmark::State& state)
{
    QString failure;
    const std::optional<EngineReport> report = gatherEngineReport(rawPath, dataRoot, failure);
    for (auto _ : state)
        benchmark::DoNotOptimize(recordEngineReportCharts(*report));
}

void BM_ChartsToPng(benchmark::State& state)
{
    QString failure;
    const std::optional<EngineReport> report = gatherEngineReport(rawPath, dataRoot, failure);
    ReportCharts charts(*report);
    int written = 0;
    auto save = [&] { ChartRenderer(charts.chart()).save(outDir + "/" + QString::number(written++) + ".png", ImageFormat::Png); };
    for (auto _ : state) {
        written = 0;
        for (int trend = 0; trend < 2; ++trend) {
            charts.showTrend(trend);
            save();
        }
        for (int flight = 0; flight < report->flights.size(); ++flight) {
            for (auto chart : {ReportCharts::A4RPerBin, ReportCharts::A3BPerBin, ReportCharts::Spectrum}) {
                charts.showFlight(flight, chart);
                save();
            }
        }
    }
    state.counters["charts"] = written;
}

BENCHMARK(BM_Report)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_ReportGuiThread)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_ChartsToPng)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestEnvironment env;  // settings and data in a temporary folder
    benchmark::Initialize(&argc, argv);

    dataRoot = env.dataRoot();
    outDir = env.path();
    qint32 flight = 1;
    for (int download = 1; download <= 5; ++download) {
        QList<SampleSlot> slotList;
        const int post = download == 5 ? 10 : 0;
        for (int i = 0; i < (download == 5 ? 11 : 21); ++i)
            slotList.append({flight++, i < post ? 1 : 0});
        rawPath = writeSampleRawFile(dataRoot, "F-GBEN", 1,
                                     QStringLiteral("ESN900001-fd-20261208-120%1.raw").arg(download), slotList);
    }

    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto report = reporter.medians.find("BM_Report");
    const auto png = reporter.medians.find("BM_ChartsToPng");
    const auto gui = reporter.medians.find("BM_ReportGuiThread");
    if (report != reporter.medians.end() && png != reporter.medians.end() && gui != reporter.medians.end()) {
        std::printf("\nengine report: %.0f ms (goal 2000 ms), the same charts as PNG %.0f ms, ratio %.2f (goal 1.5); "
                    "%.2f MB (goal 3 MB); of it on the GUI thread (charts recorded) %.0f ms\n",
                    report->second.real * 1e3, png->second.real * 1e3, report->second.real / png->second.real,
                    QFileInfo(outDir + "/report.pdf").size() / 1e6, gui->second.real * 1e3);
    }
    return 0;
}
