// The plot window's analysis tools at the sizes the station meets, 1000 x 700
// offscreen, each next to its peer in the same run:
//
//   peak finding: the 5 largest peaks of each of 10 spectra of 1024 lines (goal 0.5 ms)
//   a spectrum of 10 flights redrawn with peak and shaft-order marks, against
//     the same redraw without them (goal: at most 1.2 times)
//   the hover readout over 10 time histories of 2048 samples: one mouse move,
//     the nearest point, the readout and markers drawn on the overlay, the
//     window repainted (goal: 60 per second, 16.7 ms), against the whole chart redrawn

#include "BenchSupport.h"
#include "SampleFlights.h"
#include "TestEnvironment.h"
#include "plot/PlotModel.h"
#include "plot/ui/PlotMainWindow.h"
#include "plot/ui/PlotTools.h"
#include "plot/ui/XYPlot.h"
#include "simulator/ResponseBuilder.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

std::unique_ptr<PlotMainWindow> spectra;
std::unique_ptr<PlotMainWindow> histories;

// Each flight's own tone on the simulator's signal, and shaft speeds whose orders lie in the spectrum.
FlightRecordList withSimulatorSignal(const FlightRecordList& flights)
{
    FlightRecordList result;
    for (const auto& flight : flights) {
        auto copy = std::make_shared<FlightRecord>(*flight);
        for (auto& samples : copy->block.steadySamples) {
            for (int i = 0; i < 2048; ++i)
                samples[i] = qint16(samples[i] / 2 + signalSample(i, 2048) / 2);
        }
        for (int bin = 0; bin < 26; ++bin) {
            copy->block.steadyParameters[9][bin] = 40000;
            copy->block.steadyParameters[10][bin] = 75000;
        }
        result << copy;
    }
    return result;
}

std::unique_ptr<PlotMainWindow> openWindow(const FlightRecordList& flights, int parameter)
{
    auto window = std::make_unique<PlotMainWindow>(nullptr, flights);
    window->resize(1000, 700);
    window->show();
    window->findChild<QMenu*>(QStringLiteral("menuParameter"))->actions()[parameter]->trigger();
    window->chart()->fitAll();
    QCoreApplication::processEvents();
    return window;
}

void setMarks(bool on)
{
    PlotTools* tools = spectra->tools();
    tools->peaksAction()->setChecked(on);
    tools->shaftOrdersAction()->setChecked(on);
    QCoreApplication::processEvents();
}

void BM_PeakFinding(benchmark::State& state)
{
    const PlotData& data = spectra->plotData();
    const XRange all{0.0, 5000.0};
    for (auto _ : state)
        benchmark::DoNotOptimize(spectra->model().peaks(data, all));
}

void redrawSpectra(benchmark::State& state, bool marks)
{
    setMarks(marks);
    for (auto _ : state) {
        spectra->chart()->redraw();
        QCoreApplication::processEvents();
    }
    state.counters["marks"] = double(spectra->chart()->annotations().size());
}

void BM_SpectrumRedraw(benchmark::State& state) { redrawSpectra(state, false); }
void BM_SpectrumRedrawWithMarks(benchmark::State& state) { redrawSpectra(state, true); }

// Sweeps the cursor across the plotting area, one pixel column per update.
void BM_HoverReadout(benchmark::State& state)
{
    XYPlot* chart = histories->chart();
    chart->setHoverReadout(true);
    QWidget* canvas = chart->canvas();
    const int left = int(chart->pixelOf(chart->xRangeShown().lower, 0).x()) + 2;
    const int right = int(chart->pixelOf(chart->xRangeShown().upper, 0).x()) - 2;
    const int y = canvas->height() / 2;
    int x = left;
    for (auto _ : state) {
        const QPoint at(x, y);
        QMouseEvent move(QEvent::MouseMove, at, canvas->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(canvas, &move);
        QCoreApplication::processEvents();
        x = x >= right ? left : x + 1;
    }
    if (chart->readoutText().isEmpty())
        state.SkipWithError("no readout shown");
}

void BM_HistoryRedraw(benchmark::State& state)
{
    for (auto _ : state) {
        histories->chart()->redraw();
        QCoreApplication::processEvents();
    }
}

BENCHMARK(BM_PeakFinding)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_SpectrumRedraw)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_SpectrumRedrawWithMarks)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_HoverReadout)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_HistoryRedraw)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();

double medianMs(const MedianKeeper& reporter, const char* name, bool cpu = false)
{
    const auto found = reporter.medians.find(name);
    if (found == reporter.medians.end())
        return 0.0;
    return (cpu ? found->second.cpu : found->second.real) * 1e3;
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
    const FlightRecordList flights =
        withSimulatorSignal(readFlights(writeSampleRawFile(env.dataRoot(), "F-GABC", 1, "bench.raw", slotList)));
    spectra = openWindow(flights, plot::kSpectrum);
    histories = openWindow(flights, plot::kTimeHistory);

    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double peaks = medianMs(reporter, "BM_PeakFinding");
    const double plain = medianMs(reporter, "BM_SpectrumRedraw");
    const double marked = medianMs(reporter, "BM_SpectrumRedrawWithMarks");
    const double hover = medianMs(reporter, "BM_HoverReadout");
    const double whole = medianMs(reporter, "BM_HistoryRedraw");
    std::printf("\npeak finding, 10 x 1024 lines: %.3f ms (goal 0.5 ms)\n", peaks);
    const double plainCpu = medianMs(reporter, "BM_SpectrumRedraw", true);
    const double markedCpu = medianMs(reporter, "BM_SpectrumRedrawWithMarks", true);
    std::printf("spectra of 10 flights redrawn: %.2f ms without marks, %.2f ms with, ratio %.2f (goal 1.2); "
                "cpu %.2f ms and %.2f ms, ratio %.2f\n",
                plain, marked, plain > 0 ? marked / plain : 0.0, plainCpu, markedCpu,
                plainCpu > 0 ? markedCpu / plainCpu : 0.0);
    std::printf("hover readout, 10 x 2048 samples: %.2f ms, %.0f updates/s (goal 60); whole chart redrawn %.2f ms\n",
                hover, hover > 0 ? 1e3 / hover : 0.0, whole);
    spectra.reset();
    histories.reset();
    benchmark::Shutdown();
    return 0;
}
