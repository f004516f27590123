// Rebuilding a plot as the plot window does on every change: the model
// computes every series, the chart takes the data and draws once, at
// 1000 x 700 offscreen. Next to each, the same chart drawn again without a
// data change, measured in the same run.
//
//   stacked spectra of one flight: 26 transforms with correction, 26 x 1024 points
//   time histories of 10 flights:  10 x 2048 points, once of the test flights
//     (full-scale tones of 3-pixel period: every pixel column spans most of the
//     chart's height) and once of the simulator's signal

#include "BenchSupport.h"
#include "SampleFlights.h"
#include "TestEnvironment.h"
#include "plot/PlotModel.h"
#include "plot/ui/PlotPresentation.h"
#include "plot/ui/XYPlot.h"
#include "simulator/ResponseBuilder.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

struct Scene {
    std::unique_ptr<PlotModel> model;
    std::unique_ptr<XYPlot> chart;
};

Scene stacked;
Scene histories;
Scene simulatorHistories;

// The flights with the simulator's signal in place of every steady-state time history.
FlightRecordList withSimulatorSignal(const FlightRecordList& flights)
{
    FlightRecordList result;
    for (const auto& flight : flights) {
        auto copy = std::make_shared<FlightRecord>(*flight);
        for (auto& samples : copy->block.steadySamples) {
            for (int i = 0; i < 2048; ++i)
                samples[i] = signalSample(i, 2048);
        }
        result << copy;
    }
    return result;
}

Scene makeScene(const FlightRecordList& flights, int parameter)
{
    Scene scene;
    scene.model = std::make_unique<PlotModel>(flights, CorrectionTable(QStringLiteral(SHIPPED_CORRECTION_TABLE)));
    scene.model->loadSettings();
    scene.model->setParameter(parameter);
    scene.model->updateBinButtons();
    scene.chart = std::make_unique<XYPlot>();
    scene.chart->resize(1000, 700);
    scene.chart->show();
    showPlot(*scene.chart, scene.model->build());
    QCoreApplication::processEvents();
    return scene;
}

// Everything a plot window change costs, the repaint of the widget included.
void rebuild(benchmark::State& state, Scene& scene)
{
    for (auto _ : state) {
        const PlotData data = scene.model->build();
        showPlot(*scene.chart, data);
        QCoreApplication::processEvents();
    }
}

void redraw(benchmark::State& state, Scene& scene)
{
    for (auto _ : state) {
        scene.chart->redraw();
        QCoreApplication::processEvents();
    }
}

void BM_StackedRebuild(benchmark::State& state) { rebuild(state, stacked); }
void BM_StackedRedraw(benchmark::State& state) { redraw(state, stacked); }
void BM_TimeHistoryRebuild(benchmark::State& state) { rebuild(state, histories); }
void BM_TimeHistoryRedraw(benchmark::State& state) { redraw(state, histories); }
void BM_SimulatorHistoryRebuild(benchmark::State& state) { rebuild(state, simulatorHistories); }
void BM_SimulatorHistoryRedraw(benchmark::State& state) { redraw(state, simulatorHistories); }

BENCHMARK(BM_StackedRebuild)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_StackedRedraw)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_TimeHistoryRebuild)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_TimeHistoryRedraw)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_SimulatorHistoryRebuild)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_SimulatorHistoryRedraw)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();

void printMedian(const MedianKeeper& reporter, const char* name, const char* rebuilt, const char* redrawn,
                 double goalMs)
{
    const auto a = reporter.medians.find(rebuilt);
    const auto b = reporter.medians.find(redrawn);
    if (a == reporter.medians.end() || b == reporter.medians.end())
        return;
    std::printf("%s: rebuild %.2f ms (goal %.0f ms), redraw alone %.2f ms, ratio %.2f; cpu %.2f ms and %.2f ms\n",
                name, a->second.real * 1e3, goalMs, b->second.real * 1e3, a->second.real / b->second.real,
                a->second.cpu * 1e3, b->second.cpu * 1e3);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestEnvironment env;  // settings and data in a temporary folder
    benchmark::Initialize(&argc, argv);

    QList<SampleSlot> slotList;
    for (qint32 flight = 1; flight <= 10; ++flight)
        slotList.append({flight, 0});
    const FlightRecordList flights = readFlights(writeSampleRawFile(env.dataRoot(), "F-GABC", 1, "bench.raw", slotList));
    stacked = makeScene(flights.mid(0, 1), plot::kStackedSpectrum);
    histories = makeScene(flights, plot::kTimeHistory);
    simulatorHistories = makeScene(withSimulatorSignal(flights), plot::kTimeHistory);

    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    printMedian(reporter, "stacked spectra, 1 flight", "BM_StackedRebuild", "BM_StackedRedraw", 16);
    printMedian(reporter, "time histories, 10 flights", "BM_TimeHistoryRebuild", "BM_TimeHistoryRedraw", 10);
    printMedian(reporter, "time histories, 10 flights, simulator's signal", "BM_SimulatorHistoryRebuild",
                "BM_SimulatorHistoryRedraw", 10);
    stacked = {};
    histories = {};
    simulatorHistories = {};
    benchmark::Shutdown();
    return 0;
}
