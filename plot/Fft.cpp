#include "plot/Fft.h"

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

// Builds a table once per order (each call site keeps its own tables); a failed
// allocation ends the program with the given message.
template <typename Build>
const std::vector<ComplexF>& tableFor(int m, const char* allocationFailure, Build build)
{
    static std::array<std::once_flag, kMaxOrder + 1> built;
    static std::array<std::unique_ptr<const std::vector<ComplexF>>, kMaxOrder + 1> tables;
    std::call_once(built[m], [&] {
        try {
            tables[m] = std::make_unique<const std::vector<ComplexF>>(build());
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "%s\n", allocationFailure);
            std::exit(1);
        }
    });
    return *tables[m];
}

// W^j for j = 1..n/2-1, W = e^(-i pi / (n/2)), by recurrence in double precision.
const std::vector<ComplexF>& twiddles(int m)
{
    static const auto build = [](int order) {
        const int le = (1 << order) / 2;
        const double theta = 4.0 * std::atan(1.0) / le;
        const std::complex<double> w(std::cos(theta), -std::sin(theta));
        std::vector<ComplexF> table(le > 0 ? le - 1 : 0);
        std::complex<double> power = w;
        for (int j = 1; j < le; ++j) {
            table[j - 1] = ComplexF(float(power.real()), float(power.imag()));
            power *= w;
        }
        return table;
    };
    return tableFor(m, "Unable to allocate complex W array.", [&] { return build(m); });
}

// (cos(pi k / num), sin(pi k / num)) for k = 1..num-1, num = 2^(m-1).
const std::vector<ComplexF>& recombination(int m)
{
    static const auto build = [](int order) {
        const int num = 1 << (order - 1);
        const double pi = 4.0 * std::atan(1.0);
        std::vector<ComplexF> table(num - 1);
        for (int k = 1; k < num; ++k)
            table[k - 1] = ComplexF(float(std::cos(pi * k / num)), float(std::sin(pi * k / num)));
        return table;
    };
    return tableFor(m, "Unable to allocate trig recomb coefficients.", [&] { return build(m); });
}

// The plain product, without the library's special handling of infinities and
// NaNs, which the transform never meets and which would cost it half its speed.
inline ComplexF multiply(ComplexF a, ComplexF b)
{
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

void bitReverse(ComplexF* x, int n)
{
    int j = 0;
    for (int i = 1; i < n - 1; ++i) {
        int k = n / 2;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
        if (i < j)
            std::swap(x[i], x[j]);
    }
}

}  // namespace

void complexFft(ComplexF* x, int m)
{
    if (m <= 0 || m > kMaxOrder)
        return;
    const int n = 1 << m;
    const std::vector<ComplexF>& w = twiddles(m);
    int le = n;
    int stride = 1;
    for (int stage = 0; stage < m; ++stage) {
        le /= 2;
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
                x[i + le] = multiply(d, u);
                x[i] = t;
            }
        }
        stride *= 2;
    }
    bitReverse(x, n);
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
