#include "flights/Fft.h"

#include "flights/FftKernels.h"
#include "flights/Trigonometry.h"

#include <array>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#if defined(TOLM_FFT_AVX2) && __has_include(<sys/platform/x86.h>)
#include <sys/platform/x86.h>
#define TOLM_CPU_FEATURES_OF_LIBC
#endif

namespace {

constexpr int kMaxOrder = 30;
constexpr double kPi = 3.141592653589793;  // 4 atan(1), rounded

// Builds a table once per order and keeps it unchanged for the rest of the
// run; each call site keeps its own tables.
template <typename Build>
const auto& builtOnce(int m, Build build)
{
    using Table = decltype(build());
    static std::array<std::once_flag, kMaxOrder + 1> built;
    static std::array<std::unique_ptr<const Table>, kMaxOrder + 1> tables;
    std::call_once(built[m], [&] { tables[m] = std::make_unique<const Table>(build()); });
    return *tables[m];
}

// A table that cannot be allocated ends the program with the given message.
template <typename Build>
auto orExit(const char* allocationFailure, Build build)
{
    try {
        return build();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s\n", allocationFailure);
        std::exit(1);
    }
}

// The tables take their sines and cosines from correctlyRounded*, not from the
// C library, whose results depend on the processor: the same bits everywhere.

// W^j for j = 1..n/2-1, W = e^(-i pi / (n/2)), by recurrence in double precision.
std::vector<ComplexF> twiddles(int m)
{
    const int le = (1 << m) / 2;
    const double theta = kPi / le;
    const std::complex<double> w(correctlyRoundedCos(theta), -correctlyRoundedSin(theta));
    std::vector<ComplexF> table(le > 0 ? le - 1 : 0);
    std::complex<double> power = w;
    for (int j = 1; j < le; ++j) {
        table[j - 1] = ComplexF(float(power.real()), float(power.imag()));
        power *= w;
    }
    return table;
}

// The twiddles laid out stage by stage (see FftPlan) and the bit reversal of
// every index, for a complex transform of order m.
struct TransformTables {
    std::vector<float> re, im;
    std::vector<int> stageStart;
    std::vector<int> bitReversed;
};

std::vector<int> bitReversal(int m)
{
    std::vector<int> reversed(std::size_t(1) << m);
    for (std::size_t i = 1; i < reversed.size(); ++i)
        reversed[i] = (reversed[i >> 1] >> 1) | (i & 1 ? 1 << (m - 1) : 0);
    return reversed;
}

const TransformTables& transformTables(int m)
{
    return builtOnce(m, [m] {
        return orExit("Unable to allocate complex W array.", [m] {
            const std::vector<ComplexF> w = twiddles(m);
            TransformTables tables;
            for (int stage = 0, le = (1 << m) / 2; stage < m; ++stage, le /= 2) {
                tables.stageStart.push_back(int(tables.re.size()));
                tables.re.push_back(1.0f);
                tables.im.push_back(0.0f);
                for (int j = 1; j < le; ++j) {
                    tables.re.push_back(w[(j << stage) - 1].real());
                    tables.im.push_back(w[(j << stage) - 1].imag());
                }
            }
            tables.bitReversed = bitReversal(m);
            return tables;
        });
    });
}

FftPlan planOf(int m)
{
    const TransformTables& tables = transformTables(m);
    return {m, tables.re.data(), tables.im.data(), tables.stageStart.data(), tables.bitReversed.data()};
}

// (cos(pi k / num), sin(pi k / num)) for k = 0..num-1, num = 2^(m-1).
struct RecombinationTables {
    std::vector<float> cosine, sine;
};

RecombinationPlan recombinationOf(int m)
{
    const RecombinationTables& tables = builtOnce(m, [m] {
        return orExit("Unable to allocate trig recomb coefficients.", [m] {
            const int num = 1 << (m - 1);
            RecombinationTables table{std::vector<float>(num), std::vector<float>(num)};
            for (int k = 0; k < num; ++k) {
                table.cosine[k] = float(correctlyRoundedCos(kPi * k / num));
                table.sine[k] = float(correctlyRoundedSin(kPi * k / num));
            }
            return table;
        });
    });
    return {int(tables.cosine.size()), tables.cosine.data(), tables.sine.data()};
}

// complexFft step by step on interleaved values, for transforms too small for
// a vector kernel (and compilers without one).
void plainComplexFft(ComplexF* x, int m)
{
    const int n = 1 << m;
    const FftPlan plan = planOf(m);
    for (int stage = 0, le = n / 2; stage < m; ++stage, le /= 2) {
        const float* wr = plan.twiddleRe + plan.stageStart[stage];
        const float* wi = plan.twiddleIm + plan.stageStart[stage];
        for (int j = 0; j < le; ++j) {
            for (int i = j; i < n; i += 2 * le) {
                const ComplexF t = x[i] + x[i + le];
                const ComplexF d = x[i] - x[i + le];
                x[i + le] = j == 0 ? d
                                   : ComplexF(d.real() * wr[j] - d.imag() * wi[j], d.real() * wi[j] + d.imag() * wr[j]);
                x[i] = t;
            }
        }
    }
    for (int i = 0; i < n; ++i) {
        if (i < plan.bitReversed[i])
            std::swap(x[i], x[plan.bitReversed[i]]);
    }
}

void plainRealFft(float* x, ComplexF* y, int m)
{
    const RecombinationPlan table = recombinationOf(m);
    const int num = table.count;
    // Reinterpreting the reals as interleaved complex values is what std::complex allows.
    ComplexF* c = reinterpret_cast<ComplexF*>(x);
    if (m > 1)
        plainComplexFft(c, m - 1);
    y[0] = ComplexF(c[0].real() + c[0].imag(), 0.0f);
    for (int k = 1; k < num; ++k) {
        const ComplexF a = c[k];
        const ComplexF b = c[num - k];
        const float cr = table.cosine[k];
        const float ci = table.sine[k];
        const float rs = (a.real() + b.real()) / 2;
        const float is = (a.imag() + b.imag()) / 2;
        const float rd = (a.real() - b.real()) / 2;
        const float id = (a.imag() - b.imag()) / 2;
        y[k] = ComplexF(rs + cr * is - ci * rd, id - ci * is - cr * rd);
    }
}

// As the C library sees the processor where it can tell, so that
// GLIBC_TUNABLES=glibc.cpu.hwcaps=-AVX2,-FMA selects the baseline kernel too.
bool processorHasAvx2Fma()
{
#if defined(TOLM_CPU_FEATURES_OF_LIBC)
    return CPU_FEATURE_ACTIVE(AVX2) && CPU_FEATURE_ACTIVE(FMA);
#elif defined(TOLM_FFT_AVX2)
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
#else
    return false;
#endif
}

// The kernel of each set; null where the plain code runs.
const FftKernel* kernelOf(FftInstructions set)
{
#if defined(TOLM_FFT_KERNELS)
    if (set == FftInstructions::Baseline)
        return &kBaselineFftKernel;
#endif
#if defined(TOLM_FFT_AVX2)
    if (set == FftInstructions::Avx2Fma)
        return &kAvx2FmaFftKernel;
#endif
    return nullptr;
}

FftInstructions bestInstructions()
{
    return fftInstructionsAvailable(FftInstructions::Avx2Fma) ? FftInstructions::Avx2Fma : FftInstructions::Baseline;
}

std::atomic<FftInstructions>& chosenInstructions()
{
    static std::atomic<FftInstructions> chosen{bestInstructions()};
    return chosen;
}

// The kernel for a transform of n points, or null where the plain code runs.
const FftKernel* kernelFor(int n)
{
    const FftKernel* kernel = kernelOf(chosenInstructions().load(std::memory_order_relaxed));
    return kernel && n >= kernel->lanes * kernel->lanes ? kernel : nullptr;
}

// A thread's four working arrays of n points and one more, kept between transforms.
struct WorkArrays {
    float* re;
    float* im;
    float* outRe;
    float* outIm;
};

WorkArrays workArrays(int n)
{
    constexpr std::size_t kAlignment = 16;  // floats: 64 bytes
    const std::size_t stride = (std::size_t(n) + kAlignment) & ~(kAlignment - 1);
    thread_local std::vector<float> storage;
    if (storage.size() < 4 * stride + kAlignment)
        storage.resize(4 * stride + kAlignment);
    const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(storage.data());
    float* base = storage.data() + ((64 - address % 64) % 64) / sizeof(float);
    return {base, base + stride, base + 2 * stride, base + 3 * stride};
}

// realFft's half-length transform of x on the kernel, with c[num] = c[0] appended.
WorkArrays halfTransform(const FftKernel& kernel, const float* x, int m)
{
    const int num = 1 << (m - 1);
    const WorkArrays c = workArrays(num);
    kernel.split(x, c.re, c.im, num);
    kernel.transform(c.re, c.im, c.outRe, c.outIm, planOf(m - 1));
    c.outRe[num] = c.outRe[0];
    c.outIm[num] = c.outIm[0];
    return c;
}

}  // namespace

void complexFft(ComplexF* x, int m)
{
    if (m <= 0 || m > kMaxOrder)
        return;
    const int n = 1 << m;
    const FftKernel* kernel = kernelFor(n);
    if (!kernel) {
        plainComplexFft(x, m);
        return;
    }
    float* values = reinterpret_cast<float*>(x);
    const WorkArrays a = workArrays(n);
    kernel->split(values, a.re, a.im, n);
    kernel->transform(a.re, a.im, a.outRe, a.outIm, planOf(m));
    kernel->merge(a.outRe, a.outIm, values, n);
}

void realFft(float* x, ComplexF* y, int m)
{
    const FftKernel* kernel = kernelFor(1 << (m - 1));
    if (!kernel) {
        plainRealFft(x, y, m);
        return;
    }
    const WorkArrays c = halfTransform(*kernel, x, m);
    kernel->recombine(c.outRe, c.outIm, recombinationOf(m), reinterpret_cast<float*>(y));
}

void realFftMagnitudes(float* x, float* magnitudes, int m)
{
    const int num = 1 << (m - 1);
    const FftKernel* kernel = kernelFor(num);
    if (!kernel) {
        std::vector<ComplexF> lines(num);
        plainRealFft(x, lines.data(), m);
        for (int k = 0; k < num; ++k)
            magnitudes[k] = std::sqrt(lines[k].real() * lines[k].real() + lines[k].imag() * lines[k].imag());
        return;
    }
    const WorkArrays c = halfTransform(*kernel, x, m);
    kernel->recombineMagnitudes(c.outRe, c.outIm, recombinationOf(m), magnitudes);
}

bool fftInstructionsAvailable(FftInstructions set)
{
    return set == FftInstructions::Baseline || (kernelOf(set) && processorHasAvx2Fma());
}

FftInstructions fftInstructions() { return chosenInstructions().load(); }

bool useFftInstructions(FftInstructions set)
{
    if (!fftInstructionsAvailable(set))
        return false;
    chosenInstructions().store(set);
    return true;
}
