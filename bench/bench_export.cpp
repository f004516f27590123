// The ASCII export of 10 flights (660 spectra, 150 files) into a directory,
// and its parts: the 660 transforms alone, the 150 file texts built in memory
// (transforms and number formatting), and the floor: the same bytes written
// as plain files of equal size the same way (temporary name, rename).
//
// The flights carry vibration-like signals (tones and broadband noise), so
// that the spectra hold numbers of full length as recorded data does.

#include "BenchSupport.h"
#include "SampleFlight.h"
#include "core/AppIdentity.h"
#include "export/AsciiExport.h"
#include "export/ExportFiles.h"
#include "flights/Spectrum.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr int kFlights = 10;
constexpr double kTwoPi = 6.283185307179586;

FlightRecordList flights;
QString outputDirectory;
std::vector<std::pair<QString, QByteArray>> plainFiles;  // path and bytes of each exported file

void fillSignal(qint16* counts, std::mt19937& random)
{
    std::normal_distribution<double> noise(0.0, 60.0);
    std::uniform_real_distribution<double> shaft(150.0, 250.0);
    const double f = shaft(random);
    const double dt = sampling::kSamplePeriodMs / 1000.0;
    for (int i = 0; i < sampling::kSamples; ++i) {
        const double t = i * dt;
        const double value = 2500.0 * std::sin(kTwoPi * f * t) + 900.0 * std::sin(kTwoPi * 2 * f * t + 0.4)
                             + 1200.0 * std::sin(kTwoPi * 2853.0 * t + 2.0) + noise(random);
        counts[i] = qint16(std::lround(std::clamp(value, -32768.0, 32767.0)));
    }
}

FlightRecordList makeFlights(const QString& dataRoot)
{
    const auto sample = sampleflight::read(sampleflight::writeRawFile(dataRoot));
    std::mt19937 random(20240611);
    std::uniform_real_distribution<float> speed(3000.0f, 16000.0f);
    FlightRecordList list;
    for (int n = 0; n < kFlights; ++n) {
        auto flight = std::make_shared<FlightRecord>(*sample);
        flight->flightNumber = 100 + n;
        for (auto& samples : flight->block.steadySamples)
            fillSignal(samples, random);
        for (auto& capture : flight->block.transientSamples)
            for (auto& samples : capture)
                fillSignal(samples, random);
        for (auto& parameter : flight->block.steadyParameters)
            for (float& value : parameter)
                value = speed(random);
        for (auto& parameter : flight->block.transientParameters)
            for (auto& capture : parameter)
                for (float& value : capture)
                    value = speed(random);
        list << flight;
    }
    return list;
}

void BM_Export(benchmark::State& state)
{
    for (auto _ : state) {
        const ExportOutcome outcome = exportFlights(flights, outputDirectory);
        if (!outcome.complete())
            state.SkipWithError("export incomplete");
    }
}

void BM_Transforms(benchmark::State& state)
{
    std::vector<double> spectra;
    for (auto _ : state) {
        for (const auto& flight : flights) {
            spectra.clear();
            for (const auto& samples : flight->block.steadySamples)
                exportSpectrum(samples, false, spectra);
            for (const auto& capture : flight->block.transientSamples)
                for (const auto& samples : capture)
                    exportSpectrum(samples, false, spectra);
            benchmark::DoNotOptimize(spectra.data());
        }
    }
}

void BM_FileTexts(benchmark::State& state)
{
    for (auto _ : state)
        for (const auto& flight : flights) {
            const QByteArray header = exportHeaderBlock(*flight);
            for (const ExportFile& file : exportFiles()) {
                const QByteArray text = file.content(header, *flight);
                benchmark::DoNotOptimize(text.constData());
            }
        }
}

void BM_PlainBytes(benchmark::State& state)
{
    for (auto _ : state)
        for (const auto& [path, bytes] : plainFiles)
            if (!saveExportText(path, bytes).isEmpty())
                state.SkipWithError("write failed");
}

BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_Transforms)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_FileTexts)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_PlainBytes)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();

// The exported files as plain bytes of the same sizes, in a directory of their own.
void preparePlainFiles(const QString& directory)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<int> digit('0', '9');
    for (const auto& flight : flights) {
        const QString flightDirectory = directory + QLatin1Char('/') + flightDirectoryName(*flight);
        QDir().mkpath(flightDirectory);
        const QByteArray header = exportHeaderBlock(*flight);
        for (const ExportFile& file : exportFiles()) {
            QByteArray bytes(file.content(header, *flight).size(), '0');
            for (char& c : bytes)
                c = char(digit(random));
            plainFiles.emplace_back(flightDirectory + QLatin1Char('/') + file.name, bytes);
        }
    }
}

double median(const MedianKeeper& reporter, const char* name)
{
    const auto found = reporter.medians.find(name);
    return found == reporter.medians.end() ? 0.0 : found->second.real;
}

void printLoad()
{
    QFile load(QStringLiteral("/proc/loadavg"));
    if (load.open(QIODevice::ReadOnly))
        std::printf("load average (1, 5, 15 min): %s", load.readLine().constData());
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    QTemporaryDir workDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, workDir.path() + "/settings");
    QuietPrompts quietPrompts;
    installPrompts(&quietPrompts);
    benchmark::Initialize(&argc, argv);

    flights = makeFlights(workDir.path() + "/data");
    outputDirectory = workDir.path() + "/export";
    preparePlainFiles(workDir.path() + "/plain");
    qint64 bytes = 0;
    for (const auto& file : plainFiles)
        bytes += file.second.size();

    printLoad();
    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printLoad();

    const double total = median(reporter, "BM_Export");
    const double transforms = median(reporter, "BM_Transforms");
    const double texts = median(reporter, "BM_FileTexts");
    const double plain = median(reporter, "BM_PlainBytes");
    std::printf("\n%d flights, %zu files, %.1f MB\n", kFlights, plainFiles.size(), bytes / 1e6);
    if (total > 0.0) {
        std::printf("export: %.0f ms (goal: 1000 ms)\n", total * 1e3);
        std::printf("  transforms:        %6.1f ms, %4.1f %%\n", transforms * 1e3, 100 * transforms / total);
        std::printf("  number formatting: %6.1f ms, %4.1f %% (file texts minus transforms)\n",
                    (texts - transforms) * 1e3, 100 * (texts - transforms) / total);
        std::printf("  floor, plain bytes of equal size: %.1f ms, %.1f %%; export / floor = %.2f\n", plain * 1e3,
                    100 * plain / total, total / plain);
    }
    if (quietPrompts.failures > 0)
        std::printf("messages: %d, last: %s\n", quietPrompts.failures, qPrintable(quietPrompts.lastFailure));
    installPrompts(nullptr);
    benchmark::Shutdown();
    return 0;
}
