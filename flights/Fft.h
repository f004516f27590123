#pragma once
// Radix-2 transforms in single precision. The twiddle and recombination
// tables are built once per order and never change afterwards, so several
// threads may transform at once.

#include <complex>
#include <vector>

using ComplexF = std::complex<float>;

// In-place forward transform of n = 2^m complex values (decimation in frequency,
// result in natural order). m = 0 does nothing.
void complexFft(ComplexF* x, int m);

// Forward transform of 2^m reals (destroyed) into 2^(m-1) spectral lines; the
// Nyquist line is not produced.
void realFft(float* x, ComplexF* y, int m);

// The magnitudes sqrt(re^2 + im^2) of realFft's lines, in single precision.
void realFftMagnitudes(float* x, float* magnitudes, int m);

// The instruction sets the transforms are built for. The best one the
// processor offers is used from the first transform on; every set computes the
// same operations in the same order, so the results are the same bits. Tests
// and benchmarks may choose another.
enum class FftInstructions { Baseline, Avx2Fma };

bool fftInstructionsAvailable(FftInstructions set);
FftInstructions fftInstructions();
// Changes nothing and returns false when the set is not available.
bool useFftInstructions(FftInstructions set);
