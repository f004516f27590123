#include "flights/Trigonometry.h"

#include <cmath>

// Everything is carried as an unevaluated sum of two doubles (about 106 bits)
// and rounded once at the end; the error left is far below half a unit in the
// last place of a double, so the result is the correctly rounded value. Each
// step is an IEEE operation, which every processor rounds alike; this file is
// compiled without contraction into fused multiply-adds.

namespace {

struct DoubleDouble {
    double hi;
    double lo;
};

DoubleDouble negated(DoubleDouble a) { return {-a.hi, -a.lo}; }

// a + b exactly, for |a| >= |b|.
DoubleDouble quickTwoSum(double a, double b)
{
    const double s = a + b;
    return {s, b - (s - a)};
}

// a + b exactly.
DoubleDouble twoSum(double a, double b)
{
    const double s = a + b;
    const double v = s - a;
    return {s, (a - (s - v)) + (b - v)};
}

// a * b exactly, by Dekker's splitting into 26-bit halves.
DoubleDouble twoProduct(double a, double b)
{
    const auto split = [](double v, double& high, double& low) {
        const double t = 134217729.0 * v;  // 2^27 + 1
        high = t - (t - v);
        low = v - high;
    };
    double ah, al, bh, bl;
    split(a, ah, al);
    split(b, bh, bl);
    const double p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

// Keeps its accuracy relative to the sum when a and b nearly cancel.
DoubleDouble plus(DoubleDouble a, DoubleDouble b)
{
    DoubleDouble s = twoSum(a.hi, b.hi);
    const DoubleDouble t = twoSum(a.lo, b.lo);
    s = quickTwoSum(s.hi, s.lo + t.hi);
    return quickTwoSum(s.hi, s.lo + t.lo);
}

DoubleDouble times(DoubleDouble a, DoubleDouble b)
{
    const DoubleDouble p = twoProduct(a.hi, b.hi);
    return quickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

DoubleDouble dividedBy(DoubleDouble a, double b)
{
    const double q1 = a.hi / b;
    const DoubleDouble p = twoProduct(q1, b);
    const DoubleDouble r = twoSum(a.hi, -p.hi);
    const double q2 = (r.hi + (r.lo - p.lo + a.lo)) / b;
    return quickTwoSum(q1, q2);
}

// pi/2 in three pieces of 53 bits: about 160 bits.
constexpr double kHalfPi[3] = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54, -0x1.f1976b7ed8fbcp-110};
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// x = quadrant * pi/2 + r with |r| <= pi/4 (about).
struct Reduced {
    int quadrant;  // 0..3
    DoubleDouble r;
};

Reduced reduced(double x)
{
    const double n = std::nearbyint(x * kTwoOverPi);
    DoubleDouble r = plus({x, 0.0}, negated(twoProduct(n, kHalfPi[0])));
    r = plus(r, negated(twoProduct(n, kHalfPi[1])));
    r = plus(r, {-(n * kHalfPi[2]), 0.0});
    return {int(std::fmod(n, 4.0) + 4) % 4, r};
}

// The Taylor series from its first term on: each term is the one before times
// -r^2 / ((k + 1)(k + 2)); stops once a term no longer reaches the sum's 110th bit.
DoubleDouble series(DoubleDouble first, int firstPower, DoubleDouble r)
{
    const DoubleDouble minusSquare = negated(times(r, r));
    DoubleDouble sum = first;
    DoubleDouble term = first;
    for (int k = firstPower; std::abs(term.hi) > 0x1p-110 * std::abs(sum.hi); k += 2) {
        term = dividedBy(times(term, minusSquare), double(k + 1) * double(k + 2));
        sum = plus(sum, term);
    }
    return sum;
}

DoubleDouble sineOf(DoubleDouble r) { return series(r, 1, r); }
DoubleDouble cosineOf(DoubleDouble r) { return series({1.0, 0.0}, 0, r); }

}  // namespace

double correctlyRoundedSin(double x)
{
    const Reduced a = reduced(x);
    switch (a.quadrant) {
    case 0: return sineOf(a.r).hi;
    case 1: return cosineOf(a.r).hi;
    case 2: return -sineOf(a.r).hi;
    default: return -cosineOf(a.r).hi;
    }
}

double correctlyRoundedCos(double x)
{
    const Reduced a = reduced(x);
    switch (a.quadrant) {
    case 0: return cosineOf(a.r).hi;
    case 1: return -sineOf(a.r).hi;
    case 2: return -cosineOf(a.r).hi;
    default: return sineOf(a.r).hi;
    }
}
