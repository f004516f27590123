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
