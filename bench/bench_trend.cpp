// The trend and fleet logic over flights already read from the index: one
// engine's trend of 2000 distinct flights (a tenth downloaded twice), and the
// fleet overview of 500 engines of 20 flights each. As the peer in the same
// run, what the index does at least to hand the fleet's flights over: one
// copy of each.

#include "BenchSupport.h"
#include "trend/FleetOverview.h"
#include "trend/TrendSeries.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

constexpr int kTrendFlights = 2000;
constexpr int kEngines = 500;
constexpr int kFlightsPerEngine = 20;
constexpr int kFlightsPerDownload = 21;
constexpr int kA4R = 7;

quint16 dateWord(int dayCount) { return quint16((10 + dayCount / 336) << 9 | (1 + dayCount / 28 % 12) << 5 | (1 + dayCount % 28)); }

IndexedFlight flightOf(const QString& esn, int number)
{
    IndexedFlight flight;
    flight.engineSerial = esn;
    flight.registration = QStringLiteral("F-GA%1").arg(esn.right(2));
    flight.enginePosition = 1 + number % 4;
    flight.flightNumber = number;
    flight.rawPath = QStringLiteral("/data/ESN%1-fd-%2.raw").arg(esn, QString::number(number / kFlightsPerDownload));
    flight.slot = number % kFlightsPerDownload;
    flight.rawCreationTime = 1'700'000'000 + number / kFlightsPerDownload * 86'400;
    flight.dateWord = dateWord(number);
    flight.timeWord = quint16((number % 24) << 11);
    flight.alarmCodes = {3, 3, 3, 3, 3, number / 500 % 4};
    for (int parameter = 0; parameter < 22; ++parameter)
        for (int bin = 0; bin < 26; ++bin)
            flight.steady[parameter][bin] = float(0.01 * ((number * 7 + bin * 13 + parameter) % 101));
    return flight;
}

QList<IndexedFlight> oneEngine()
{
    QList<IndexedFlight> flights;
    for (int number = 1; number <= kTrendFlights; ++number) {
        flights.append(flightOf(QStringLiteral("700001"), number));
        if (number % 10 == 0) {  // downloaded again before the unit was erased
            flights.append(flights.last());
            flights.last().rawCreationTime += 3600;
            flights.last().rawPath.replace(QStringLiteral(".raw"), QStringLiteral("-2.raw"));
        }
    }
    return flights;
}

QList<IndexedFlight> fleet()
{
    QList<IndexedFlight> flights;
    for (int engine = 0; engine < kEngines; ++engine)
        for (int number = 1; number <= kFlightsPerEngine; ++number)
            flights.append(flightOf(QString::number(800000 + engine), number));
    return flights;
}

const QList<IndexedFlight> engineFlights = oneEngine();
const QList<IndexedFlight> fleetFlights = fleet();

void BM_EngineTrend(benchmark::State& state)
{
    QList<const IndexedFlight*> flights;
    for (const IndexedFlight& flight : engineFlights)
        flights.append(&flight);
    for (auto _ : state) {
        const trend::TrendSeries series = trend::trendOf(flights, {kA4R, trend::kHighestBin, trend::Memory::All});
        benchmark::DoNotOptimize(series.points.size());
    }
}

void BM_FleetOverview(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(trend::fleetOverview(fleetFlights).size());
}

void BM_CopyOfTheFleet(benchmark::State& state)
{
    for (auto _ : state) {
        QList<IndexedFlight> copy;
        copy.reserve(fleetFlights.size());
        for (const IndexedFlight& flight : fleetFlights)
            copy.append(flight);
        benchmark::DoNotOptimize(copy.data());
    }
}

BENCHMARK(BM_EngineTrend)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_FleetOverview)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_CopyOfTheFleet)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(9)->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto median = [&](const char* name) { return reporter.medians[name].real * 1e3; };
    const double fleetTime = median("BM_FleetOverview");
    const double peer = median("BM_CopyOfTheFleet");
    std::printf("\ntrend of %d distinct flights: %.2f ms (goal 20 ms with the index query)\n"
                "fleet overview of %d engines: %.2f ms (goal 200 ms with the index query)\n"
                "one copy of the fleet's flights: %.2f ms; ratio %.1f\n",
                kTrendFlights, median("BM_EngineTrend"), kEngines, fleetTime, peer, fleetTime / peer);
    benchmark::Shutdown();
    return 0;
}
