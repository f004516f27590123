// The spectrum of one 2048-sample time history as the plot computes it, next
// to FFTW's single-precision real transform of the same input followed by the
// same magnitude and scaling, so that both produce the same 1024 lines. Also
// the bare transforms: realFft against fftwf_execute.
//
// FFTW is linked into this benchmark only, as the yardstick.

#include "BenchSupport.h"
#include "core/AppIdentity.h"
#include "flights/CorrectionTable.h"
#include "flights/Fft.h"
#include "flights/Spectrum.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kN = sampling::kSamples;
constexpr int kLines = sampling::kBins;
constexpr double kTwoPi = 6.283185307179586;

std::vector<double> input;  // time-history values (inch per second)
const CorrectionTable noCorrections;  // factor 1.0 for every line

// FFTW's plan and its aligned arrays; the plan is made once, with FFTW_MEASURE.
struct Fftw {
    float* in = nullptr;
    fftwf_complex* out = nullptr;
    fftwf_plan plan = nullptr;
} fftw;

// Counts of a vibration signal: a shaft tone with two harmonics, a blade-pass
// tone and broadband noise, converted to time-history values as the plot does.
std::vector<double> makeInput()
{
    std::mt19937 random(20240611);
    std::normal_distribution<double> noise(0.0, 60.0);
    std::vector<qint16> counts(kN);
    const double dt = sampling::kSamplePeriodMs / 1000.0;
    for (int i = 0; i < kN; ++i) {
        const double t = i * dt;
        const double value = 2500.0 * std::sin(kTwoPi * 187.3 * t) + 900.0 * std::sin(kTwoPi * 374.6 * t + 0.4)
                             + 400.0 * std::sin(kTwoPi * 561.9 * t + 1.1) + 1200.0 * std::sin(kTwoPi * 2853.0 * t + 2.0)
                             + noise(random);
        counts[i] = qint16(std::lround(std::clamp(value, -32768.0, 32767.0)));
    }
    return timeHistory(counts.data());
}

// The FFTW counterpart of plotSpectrum without window or corrections: the same
// float input, the same float magnitude, the same scaling to g peak.
std::vector<double> fftwSpectrum(const double* values)
{
    for (int i = 0; i < kN; ++i)
        fftw.in[i] = float(values[i]);
    fftwf_execute(fftw.plan);
    std::vector<double> amplitude(kLines);
    for (int k = 0; k < kLines; ++k) {
        const float re = fftw.out[k][0];
        const float im = fftw.out[k][1];
        const float magnitude = std::sqrt(re * re + im * im);
        amplitude[k] = k * sampling::kVelocityToG * magnitude * sampling::kAmplitudeNormalization;
    }
    return amplitude;
}

// The same spectrum by a direct transform in double precision, for reference.
std::vector<double> referenceSpectrum(const double* values)
{
    std::vector<double> amplitude(kLines);
    for (int k = 0; k < kLines; ++k) {
        double re = 0.0;
        double im = 0.0;
        for (int i = 0; i < kN; ++i) {
            const double x = double(float(values[i]));
            const double angle = kTwoPi * double((qint64(k) * i) % kN) / kN;
            re += x * std::cos(angle);
            im -= x * std::sin(angle);
        }
        amplitude[k] = k * sampling::kVelocityToG * std::hypot(re, im) * sampling::kAmplitudeNormalization;
    }
    return amplitude;
}

// Selects the instruction set the benchmark's argument names; false, with the
// benchmark skipped, when the processor lacks it.
bool useArgumentInstructions(benchmark::State& state)
{
    if (useFftInstructions(FftInstructions(state.range(0))))
        return true;
    state.SkipWithError("the processor lacks these instructions");
    return false;
}

void BM_PlotSpectrum(benchmark::State& state)
{
    if (!useArgumentInstructions(state))
        return;
    for (auto _ : state) {
        std::vector<double> spectrum = plotSpectrum(input.data(), FftWindowNone, noCorrections);
        benchmark::DoNotOptimize(spectrum.data());
    }
}

void BM_FftwSpectrum(benchmark::State& state)
{
    for (auto _ : state) {
        std::vector<double> spectrum = fftwSpectrum(input.data());
        benchmark::DoNotOptimize(spectrum.data());
    }
}

// Both bare transforms start each time from a fresh copy of the float input
// (realFft destroys it); the copy of 8 KB is inside the timing of both.
void BM_RealFft(benchmark::State& state)
{
    if (!useArgumentInstructions(state))
        return;
    const std::vector<float> samples(input.begin(), input.end());
    std::vector<float> work(kN);
    std::vector<ComplexF> lines(kLines);
    for (auto _ : state) {
        std::memcpy(work.data(), samples.data(), kN * sizeof(float));
        realFft(work.data(), lines.data(), sampling::kOrder);
        benchmark::DoNotOptimize(lines.data());
        benchmark::ClobberMemory();
    }
}

void BM_FftwExecute(benchmark::State& state)
{
    const std::vector<float> samples(input.begin(), input.end());
    for (auto _ : state) {
        std::memcpy(fftw.in, samples.data(), kN * sizeof(float));
        fftwf_execute(fftw.plan);
        benchmark::DoNotOptimize(fftw.out);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_PlotSpectrum)->ArgName("instructions")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_FftwSpectrum)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_RealFft)->ArgName("instructions")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_FftwExecute)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly();
static_assert(int(FftInstructions::Baseline) == 0 && int(FftInstructions::Avx2Fma) == 1);

// Largest absolute difference of two spectra relative to the peak of the first.
double relativeDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double peak = 0.0;
    double largest = 0.0;
    for (int k = 0; k < kLines; ++k) {
        peak = std::max(peak, std::abs(a[k]));
        largest = std::max(largest, std::abs(a[k] - b[k]));
    }
    return largest / peak;
}

void printRatio(const MedianKeeper& reporter, const char* name, const char* of, const char* against)
{
    const auto a = reporter.medians.find(of);
    const auto b = reporter.medians.find(against);
    if (a == reporter.medians.end() || b == reporter.medians.end())
        return;
    std::printf("%s: real %.2f us against %.2f us, ratio %.2f; cpu %.2f us against %.2f us, ratio %.2f\n", name,
                a->second.real * 1e6, b->second.real * 1e6, a->second.real / b->second.real, a->second.cpu * 1e6,
                b->second.cpu * 1e6, a->second.cpu / b->second.cpu);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path() + "/settings");
    benchmark::Initialize(&argc, argv);

    input = makeInput();
    fftw.in = fftwf_alloc_real(kN);
    fftw.out = fftwf_alloc_complex(kN / 2 + 1);
    // Planning with FFTW_MEASURE overwrites the arrays; the input is copied in afterwards.
    fftw.plan = fftwf_plan_dft_r2c_1d(kN, fftw.in, fftw.out, FFTW_MEASURE);
    if (!fftw.plan) {
        std::fprintf(stderr, "FFTW could not plan the transform\n");
        return 1;
    }

    const std::vector<double> theirs = fftwSpectrum(input.data());
    const std::vector<double> reference = referenceSpectrum(input.data());
    const FftInstructions best = fftInstructions();
    std::map<FftInstructions, std::vector<double>> ours;
    for (FftInstructions set : {FftInstructions::Baseline, FftInstructions::Avx2Fma})
        if (useFftInstructions(set))
            ours[set] = plotSpectrum(input.data(), FftWindowNone, noCorrections);

    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    useFftInstructions(best);

    std::printf("\nthe program uses %s\n", best == FftInstructions::Avx2Fma ? "AVX2/FMA" : "the baseline");
    for (const auto& [set, spectrum] : ours) {
        const char* name = set == FftInstructions::Avx2Fma ? "AVX2/FMA" : "baseline";
        const std::string arg = "/instructions:" + std::to_string(int(set));
        std::printf("%s:\n", name);
        printRatio(reporter, "  spectrum, plotSpectrum against FFTW", ("BM_PlotSpectrum" + arg).c_str(), "BM_FftwSpectrum");
        printRatio(reporter, "  transform, realFft against fftwf_execute", ("BM_RealFft" + arg).c_str(), "BM_FftwExecute");
        const auto peak = std::max_element(spectrum.begin(), spectrum.end());
        std::printf("  spectrum peak %.6g g at line %d\n", *peak, int(peak - spectrum.begin()));
        std::printf("  largest difference relative to the peak: against FFTW %.3g, against the baseline %.3g\n",
                    relativeDifference(spectrum, theirs), relativeDifference(spectrum, ours.begin()->second));
        std::printf("  against a double-precision direct transform: plotSpectrum %.3g, FFTW %.3g\n",
                    relativeDifference(reference, spectrum), relativeDifference(reference, theirs));
    }

    fftwf_destroy_plan(fftw.plan);
    fftwf_free(fftw.in);
    fftwf_free(fftw.out);
    benchmark::Shutdown();
    return 0;
}
