#include "flights/Fft.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

namespace {

constexpr int kMaxOrder = 30;

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

// W^j for j = 1..n/2-1, W = e^(-i pi / (n/2)), by recurrence in double precision.
const std::vector<ComplexF>& twiddles(int m)
{
    return builtOnce(m, [m] {
        return orExit("Unable to allocate complex W array.", [m] {
            const int le = (1 << m) / 2;
            const double theta = 4.0 * std::atan(1.0) / le;
            const std::complex<double> w(std::cos(theta), -std::sin(theta));
            std::vector<ComplexF> table(le > 0 ? le - 1 : 0);
            std::complex<double> power = w;
            for (int j = 1; j < le; ++j) {
                table[j - 1] = ComplexF(float(power.real()), float(power.imag()));
                power *= w;
            }
            return table;
        });
    });
}

// (cos(pi k / num), sin(pi k / num)) for k = 1..num-1, num = 2^(m-1).
const std::vector<ComplexF>& recombination(int m)
{
    return builtOnce(m, [m] {
        return orExit("Unable to allocate trig recomb coefficients.", [m] {
            const int num = 1 << (m - 1);
            const double pi = 4.0 * std::atan(1.0);
            std::vector<ComplexF> table(num - 1);
            for (int k = 1; k < num; ++k)
                table[k - 1] = ComplexF(float(std::cos(pi * k / num)), float(std::sin(pi * k / num)));
            return table;
        });
    });
}

// The twiddles each stage uses, W^(j * 2^stage) for j = 1..le-1, laid out in
// order as separate real and imaginary parts: the same values as the twiddle
// table, so that the early stages can run through them without striding.
struct StageTwiddles {
    std::vector<float> re, im;
    std::vector<int> start;  // first twiddle of each stage
};

const StageTwiddles& stageTwiddles(int m)
{
    return builtOnce(m, [m] {
        const std::vector<ComplexF>& w = twiddles(m);
        StageTwiddles table;
        for (int stage = 0, le = (1 << m) / 2; stage < m; ++stage, le /= 2) {
            table.start.push_back(int(table.re.size()));
            for (int j = 1; j < le; ++j) {
                table.re.push_back(w[(j << stage) - 1].real());
                table.im.push_back(w[(j << stage) - 1].imag());
            }
        }
        return table;
    });
}

// One stage with wide groups, group by group: the butterflies of a group read
// their operands and twiddles in order, which the compiler turns into vector code.
void wideStage(float* v, int n, int le, const float* wr, const float* wi)
{
    for (int group = 0; group < n; group += 2 * le) {
        float* a = v + 2 * group;
        float* b = a + 2 * le;
        const float t0r = a[0] + b[0], t0i = a[1] + b[1];
        b[0] = a[0] - b[0];
        b[1] = a[1] - b[1];
        a[0] = t0r;
        a[1] = t0i;
        for (int j = 1; j < le; ++j) {
            const float ar = a[2 * j], ai = a[2 * j + 1], br = b[2 * j], bi = b[2 * j + 1];
            const float dr = ar - br, di = ai - bi;
            const float ur = wr[j - 1], ui = wi[j - 1];
            a[2 * j] = ar + br;
            a[2 * j + 1] = ai + bi;
            b[2 * j] = dr * ur - di * ui;
            b[2 * j + 1] = dr * ui + di * ur;
        }
    }
}

// The pairs that the bit-reversal permutation swaps, found once per order.
const std::vector<std::pair<int, int>>& bitReversalSwaps(int m)
{
    return builtOnce(m, [m] {
        const int n = 1 << m;
        std::vector<std::pair<int, int>> swaps;
        int j = 0;
        for (int i = 1; i < n - 1; ++i) {
            int k = n / 2;
            while (k <= j) {
                j -= k;
                k /= 2;
            }
            j += k;
            if (i < j)
                swaps.emplace_back(i, j);
        }
        return swaps;
    });
}

}  // namespace

void complexFft(ComplexF* x, int m)
{
    if (m <= 0 || m > kMaxOrder)
        return;
    const int n = 1 << m;
    const std::vector<ComplexF>& w = twiddles(m);
    const StageTwiddles& stages = stageTwiddles(m);
    int le = n;
    int stride = 1;
    for (int stage = 0; stage < m; ++stage) {
        le /= 2;
        if (le >= 8) {
            const int first = stages.start[stage];
            wideStage(reinterpret_cast<float*>(x), n, le, stages.re.data() + first, stages.im.data() + first);
            stride *= 2;
            continue;
        }
        for (int i = 0; i < n; i += 2 * le) {
            const ComplexF t = x[i] + x[i + le];
            x[i + le] = x[i] - x[i + le];
            x[i] = t;
        }
        for (int j = 1; j < le; ++j) {
            const ComplexF u = w[j * stride - 1];
            for (int i = j; i < n; i += 2 * le) {
                const ComplexF t = x[i] + x[i + le];
                const ComplexF d = x[i] - x[i + le];
                x[i + le] = d * u;
                x[i] = t;
            }
        }
        stride *= 2;
    }
    for (const auto& [i, j] : bitReversalSwaps(m))
        std::swap(x[i], x[j]);
}

void realFft(float* x, ComplexF* y, int m)
{
    const int num = 1 << (m - 1);
    // Reinterpreting the reals as interleaved complex values is what std::complex allows.
    ComplexF* c = reinterpret_cast<ComplexF*>(x);
    complexFft(c, m - 1);
    const std::vector<ComplexF>& table = recombination(m);
    y[0] = ComplexF(c[0].real() + c[0].imag(), 0.0f);
    for (int k = 1; k < num; ++k) {
        const ComplexF a = c[k];
        const ComplexF b = c[num - k];
        const float cr = table[k - 1].real();
        const float ci = table[k - 1].imag();
        const float rs = (a.real() + b.real()) / 2;
        const float is = (a.imag() + b.imag()) / 2;
        const float rd = (a.real() - b.real()) / 2;
        const float id = (a.imag() - b.imag()) / 2;
        y[k] = ComplexF(rs + cr * is - ci * rd, id - ci * is - cr * rd);
    }
}
