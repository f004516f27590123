#include "flights/Spectrum.h"

#include "flights/CorrectionTable.h"
#include "flights/Fft.h"
#include "flights/Trigonometry.h"

#include <array>

// The windows take their cosines from correctlyRoundedCos, not from the C
// library, whose results depend on the processor: the same bits everywhere.

namespace {

constexpr double kTwoPi = 6.283185307179586;

double windowWeight(int windowType, int i, int n)
{
    switch (windowType) {
    case FftWindowHanning: return (1.0 - correctlyRoundedCos(kTwoPi * i / n)) * 0.5 * 2.0;
    case FftWindowHamming: return (0.54 - 0.46 * correctlyRoundedCos(kTwoPi * i / n)) / 0.54;
    default: return 1.0;
    }
}

std::vector<double> windowWeights(int windowType, int n)
{
    std::vector<double> weights(n);
    for (int i = 0; i < n; ++i)
        weights[i] = windowWeight(windowType, i, n);
    return weights;
}

// The weights for a time history, computed once per window.
const std::vector<double>& timeHistoryWindow(int windowType)
{
    static const std::vector<double> hanning = windowWeights(FftWindowHanning, sampling::kSamples);
    static const std::vector<double> hamming = windowWeights(FftWindowHamming, sampling::kSamples);
    return windowType == FftWindowHanning ? hanning : hamming;
}

// The export's own Hann window, centred on sample 1024, and its gain 2048 / sum of the weights.
struct ExportHann {
    std::vector<double> weights;
    double gain = 0.0;
};

const ExportHann& exportHann()
{
    static const ExportHann window = [] {
        const double pi = 3.141592653589793;
        ExportHann hann{std::vector<double>(sampling::kSamples)};
        double sum = 0.0;
        for (int i = 0; i < sampling::kSamples; ++i)
            sum += hann.weights[i] = (correctlyRoundedCos((i - 1024) * 2 * 0.00048828125 * pi) + 1) * 0.5;
        hann.gain = 1.0 / (sum * 0.00048828125);
        return hann;
    }();
    return window;
}

void multiply(std::vector<float>& samples, const std::vector<double>& weights)
{
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(samples[i] * weights[i]);
}

// Transforms the samples (destroyed) and hands each spectral line's magnitude to use(k, magnitude).
template <typename Use>
void forEachMagnitude(std::vector<float>& samples, Use use)
{
    std::array<float, sampling::kBins> magnitudes;
    realFftMagnitudes(samples.data(), magnitudes.data(), sampling::kOrder);
    for (int k = 0; k < sampling::kBins; ++k)
        use(k, magnitudes[k]);
}

}  // namespace

void applyFftWindow(std::vector<float>& samples, int windowType)
{
    if (windowType != FftWindowHanning && windowType != FftWindowHamming)
        return;
    if (samples.size() == sampling::kSamples)
        multiply(samples, timeHistoryWindow(windowType));
    else
        multiply(samples, windowWeights(windowType, int(samples.size())));
}

std::vector<double> timeHistory(const qint16* counts)
{
    std::vector<double> values(sampling::kSamples);
    for (int i = 0; i < sampling::kSamples; ++i)
        values[i] = counts[i] * sampling::kCountScale;
    return values;
}

std::vector<double> plotSpectrum(const double* timeHistoryValues, int windowType,
                                 const CorrectionTable& corrections)
{
    std::vector<float> samples(timeHistoryValues, timeHistoryValues + sampling::kSamples);
    applyFftWindow(samples, windowType);
    std::vector<double> amplitude(sampling::kBins);
    const double* factors = corrections.spectrumFactors();
    forEachMagnitude(samples, [&](int k, float magnitude) {
        amplitude[k] = k * sampling::kVelocityToG * magnitude * sampling::kAmplitudeNormalization * factors[k];
    });
    return amplitude;
}

void exportSpectrum(const qint16* counts, bool hann, std::vector<double>& out)
{
    std::vector<float> samples(sampling::kSamples);
    for (int i = 0; i < sampling::kSamples; ++i)
        samples[i] = float(counts[i] * sampling::kCountScale);
    if (hann) {
        const ExportHann& window = exportHann();
        for (int i = 0; i < sampling::kSamples; ++i)
            samples[i] = float(samples[i] * window.gain * window.weights[i]);
    }
    const double* factors = exportCorrectionTable().spectrumFactors();
    const std::size_t first = out.size();
    forEachMagnitude(samples, [&](int k, float magnitude) {
        out.push_back(magnitude * sampling::kAmplitudeNormalization * (k * sampling::kVelocityToG) * factors[k]);
    });
    out[first] = 0.0;
    if (hann)
        out[first + 1] = 0.0;
}
