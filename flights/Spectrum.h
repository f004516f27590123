#pragma once
// From recorded 16-bit time histories to calibrated amplitude spectra.

#include <QtGlobal>
#include <vector>

class CorrectionTable;

namespace sampling {
constexpr int kSamples = 2048;          // per time history; transform order 11
constexpr int kOrder = 11;
constexpr int kBins = 1024;             // spectral lines 0..1023
constexpr double kSamplePeriodMs = 0.1024;
constexpr double kBinSpacingHz = 4.76837158203125;
constexpr double kCountScale = 0.00008087468761925458;   // count -> inch per second
constexpr double kAmplitudeNormalization = 0.0009765625; // FFT magnitude -> peak amplitude (2/N)
constexpr double kVelocityToG = 0.0775737290000145;      // per bin index: velocity amplitude -> g peak
}  // namespace sampling

// The FFT window; the setting Plot2D_FFT_WINDOW_TYPE holds it. Any other value means None.
enum FftWindowType { FftWindowNone = 0, FftWindowHanning = 1, FftWindowHamming = 2 };

// Multiplies each sample by the window's weight (normalised to a mean of 1).
void applyFftWindow(std::vector<float>& samples, int windowType);

// The time-history values of 2048 counts.
std::vector<double> timeHistory(const qint16* counts);

// The spectrum the plot shows of 2048 time-history values: 1024 lines in g peak.
std::vector<double> plotSpectrum(const double* timeHistoryValues, int windowType,
                                 const CorrectionTable& corrections);

// The spectrum the export writes of 2048 counts, appended to out (1024 lines).
// Bin 0, and with the Hann window bin 1, are written as 0.
void exportSpectrum(const qint16* counts, bool hann, std::vector<double>& out);
