#pragma once
// The vector kernels behind complexFft and realFft, one per instruction set.
// They work on separate real and imaginary arrays and take every table from
// the caller, so that nothing built for one instruction set is shared with the
// code of another (Fft.cpp builds the tables and picks the kernel).

// The tables of a complex transform of n = 2^order points.
struct FftPlan {
    int order = 0;
    // The twiddles of each stage s (span le = n / 2^(s+1)): W^(j * 2^s) for
    // j = 0..le-1, W^0 = 1 included, stage after stage.
    const float* twiddleRe = nullptr;
    const float* twiddleIm = nullptr;
    const int* stageStart = nullptr;  // first twiddle of each stage
    const int* bitReversed = nullptr; // the order-bit reversal of each index
};

// realFft's recombination factors (cos, sin)(pi k / num), k = 0..num-1.
struct RecombinationPlan {
    int count = 0;  // num
    const float* cosine = nullptr;
    const float* sine = nullptr;
};

struct FftKernel {
    int lanes;  // floats per vector; a transform needs at least lanes^2 points

    // Separates interleaved complex values into real and imaginary parts, and back.
    void (*split)(const float* interleaved, float* re, float* im, int n);
    void (*merge)(const float* re, const float* im, float* interleaved, int n);

    // Forward transform of the plan's n points held in re/im (destroyed) into
    // outRe/outIm in natural order.
    void (*transform)(float* re, float* im, float* outRe, float* outIm, const FftPlan& plan);

    // realFft's last step from the half-length transform c (natural order,
    // with c[num] = c[0] appended): the interleaved spectral lines, or only
    // their magnitudes.
    void (*recombine)(const float* cRe, const float* cIm, const RecombinationPlan& plan, float* lines);
    void (*recombineMagnitudes)(const float* cRe, const float* cIm, const RecombinationPlan& plan,
                                float* magnitudes);
};

extern const FftKernel kBaselineFftKernel;  // SSE2 on x86-64: runs everywhere
extern const FftKernel kAvx2FmaFftKernel;   // only where the build has it and the processor checks out
