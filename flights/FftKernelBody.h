// The vector kernels' code, included once by the source file of each
// instruction set and compiled with that set's options. Everything here has
// internal linkage and stays away from library templates and inline functions:
// the linker could otherwise keep one set's copy for every caller. GCC's
// vector types turn the arithmetic into the set's instructions.
//
// The transform is the radix-2 decimation in frequency of complexFft, stage
// by stage with the same twiddles; it differs only in where values sit. Every
// value goes through the same operations in the same order on every lane
// width, and the build never fuses them, so every kernel gives the same bits.
// Stages whose butterflies span at least a vector run along the arrays. The
// last log2(lanes) stages stay inside groups of lanes neighbours: lanes such
// groups at a time are transposed into columns, finished with vertical
// butterflies, and stored where the bit reversal puts them, so the result
// comes out in natural order without a separate permutation.

#include "flights/FftKernels.h"

namespace {

template <int L>
struct Lanes {
    typedef float Vec __attribute__((vector_size(L * sizeof(float))));
    typedef int Mask __attribute__((vector_size(L * sizeof(int))));
};

template <int L>
using Vec = typename Lanes<L>::Vec;
template <int L>
using Mask = typename Lanes<L>::Mask;

template <int L>
constexpr int log2Of()
{
    return L == 4 ? 2 : 3;
}

template <int L>
Vec<L> load(const float* p)
{
    Vec<L> v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

template <int L>
void store(float* p, Vec<L> v)
{
    __builtin_memcpy(p, &v, sizeof v);
}

template <int L>
Vec<L> reversed(Vec<L> v)
{
    if constexpr (L == 4)
        return __builtin_shuffle(v, Mask<L>{3, 2, 1, 0});
    else
        return __builtin_shuffle(v, Mask<L>{7, 6, 5, 4, 3, 2, 1, 0});
}

// a0 b0 a1 b1 ... of the first halves, and of the second halves.
template <int L>
Vec<L> interleavedLow(Vec<L> a, Vec<L> b)
{
    if constexpr (L == 4)
        return __builtin_shuffle(a, b, Mask<L>{0, 4, 1, 5});
    else
        return __builtin_shuffle(a, b, Mask<L>{0, 8, 1, 9, 2, 10, 3, 11});
}

template <int L>
Vec<L> interleavedHigh(Vec<L> a, Vec<L> b)
{
    if constexpr (L == 4)
        return __builtin_shuffle(a, b, Mask<L>{2, 6, 3, 7});
    else
        return __builtin_shuffle(a, b, Mask<L>{4, 12, 5, 13, 6, 14, 7, 15});
}

// The even and the odd lanes of a followed by b.
template <int L>
Vec<L> evens(Vec<L> a, Vec<L> b)
{
    if constexpr (L == 4)
        return __builtin_shuffle(a, b, Mask<L>{0, 2, 4, 6});
    else
        return __builtin_shuffle(a, b, Mask<L>{0, 2, 4, 6, 8, 10, 12, 14});
}

template <int L>
Vec<L> odds(Vec<L> a, Vec<L> b)
{
    if constexpr (L == 4)
        return __builtin_shuffle(a, b, Mask<L>{1, 3, 5, 7});
    else
        return __builtin_shuffle(a, b, Mask<L>{1, 3, 5, 7, 9, 11, 13, 15});
}

template <int L>
Vec<L> squareRoot(Vec<L> v)
{
    for (int lane = 0; lane < L; ++lane)
        v[lane] = __builtin_sqrtf(v[lane]);  // one vector instruction without errno
    return v;
}

// Rows become columns: afterwards lane e of v[t] holds what lane t of v[e] held.
template <int L>
void transpose(Vec<L> (&v)[L])
{
    using M = Mask<L>;
    if constexpr (L == 4) {
        const Vec<L> t0 = __builtin_shuffle(v[0], v[1], M{0, 4, 1, 5});
        const Vec<L> t1 = __builtin_shuffle(v[0], v[1], M{2, 6, 3, 7});
        const Vec<L> t2 = __builtin_shuffle(v[2], v[3], M{0, 4, 1, 5});
        const Vec<L> t3 = __builtin_shuffle(v[2], v[3], M{2, 6, 3, 7});
        v[0] = __builtin_shuffle(t0, t2, M{0, 1, 4, 5});
        v[1] = __builtin_shuffle(t0, t2, M{2, 3, 6, 7});
        v[2] = __builtin_shuffle(t1, t3, M{0, 1, 4, 5});
        v[3] = __builtin_shuffle(t1, t3, M{2, 3, 6, 7});
    } else {
        // Pairs within each 128-bit half, then quadruples, then the halves.
        Vec<L> t[8], u[8];
        for (int i = 0; i < 8; i += 2) {
            t[i] = __builtin_shuffle(v[i], v[i + 1], M{0, 8, 1, 9, 4, 12, 5, 13});
            t[i + 1] = __builtin_shuffle(v[i], v[i + 1], M{2, 10, 3, 11, 6, 14, 7, 15});
        }
        for (int i = 0; i < 8; i += 4) {
            for (int k = 0; k < 2; ++k) {
                u[i + 2 * k] = __builtin_shuffle(t[i + k], t[i + k + 2], M{0, 1, 8, 9, 4, 5, 12, 13});
                u[i + 2 * k + 1] = __builtin_shuffle(t[i + k], t[i + k + 2], M{2, 3, 10, 11, 6, 7, 14, 15});
            }
        }
        for (int i = 0; i < 4; ++i) {
            v[i] = __builtin_shuffle(u[i], u[i + 4], M{0, 1, 2, 3, 8, 9, 10, 11});
            v[i + 4] = __builtin_shuffle(u[i], u[i + 4], M{4, 5, 6, 7, 12, 13, 14, 15});
        }
    }
}

template <int L>
void split(const float* interleaved, float* re, float* im, int n)
{
    for (int i = 0; i < n; i += L) {
        const Vec<L> a = load<L>(interleaved + 2 * i);
        const Vec<L> b = load<L>(interleaved + 2 * i + L);
        store<L>(re + i, evens<L>(a, b));
        store<L>(im + i, odds<L>(a, b));
    }
}

template <int L>
void merge(const float* re, const float* im, float* interleaved, int n)
{
    for (int i = 0; i < n; i += L) {
        const Vec<L> r = load<L>(re + i);
        const Vec<L> m = load<L>(im + i);
        store<L>(interleaved + 2 * i, interleavedLow<L>(r, m));
        store<L>(interleaved + 2 * i + L, interleavedHigh<L>(r, m));
    }
}

// One stage whose butterflies span le >= L points.
template <int L>
void wideStage(float* re, float* im, int n, int le, const float* wr, const float* wi)
{
    for (int group = 0; group < n; group += 2 * le) {
        float* ar = re + group;
        float* ai = im + group;
        float* br = ar + le;
        float* bi = ai + le;
        for (int j = 0; j < le; j += L) {
            const Vec<L> xr = load<L>(ar + j), xi = load<L>(ai + j);
            const Vec<L> yr = load<L>(br + j), yi = load<L>(bi + j);
            const Vec<L> ur = load<L>(wr + j), ui = load<L>(wi + j);
            const Vec<L> dr = xr - yr, di = xi - yi;
            store<L>(ar + j, xr + yr);
            store<L>(ai + j, xi + yi);
            store<L>(br + j, dr * ur - di * ui);
            store<L>(bi + j, dr * ui + di * ur);
        }
    }
}

// The last log2(L) stages on L transposed groups: vector t holds point t of each group.
template <int L>
void columnStages(Vec<L> (&re)[L], Vec<L> (&im)[L], const FftPlan& plan)
{
    for (int span = L / 2, stage = plan.order - log2Of<L>(); span >= 1; span /= 2, ++stage) {
        const float* wr = plan.twiddleRe + plan.stageStart[stage];
        const float* wi = plan.twiddleIm + plan.stageStart[stage];
        for (int first = 0; first < L; first += 2 * span) {
            for (int j = 0; j < span; ++j) {
                const int a = first + j;
                const int b = a + span;
                const Vec<L> dr = re[a] - re[b], di = im[a] - im[b];
                re[a] += re[b];
                im[a] += im[b];
                if (j == 0) {  // W^0 = 1: no multiply
                    re[b] = dr;
                    im[b] = di;
                } else {
                    re[b] = dr * wr[j] - di * wi[j];
                    im[b] = dr * wi[j] + di * wr[j];
                }
            }
        }
    }
}

template <int L>
void lastStages(const float* re, const float* im, float* outRe, float* outIm, const FftPlan& plan)
{
    const int groups = (1 << plan.order) / L;
    const int lineShift = plan.order - log2Of<L>();
    for (int block = 0; block < groups; block += L) {
        // Group e of the block is the one whose results belong at block + e.
        Vec<L> r[L], m[L];
        for (int e = 0; e < L; ++e) {
            const int start = plan.bitReversed[block + e];
            r[e] = load<L>(re + start);
            m[e] = load<L>(im + start);
        }
        transpose<L>(r);
        transpose<L>(m);
        columnStages<L>(r, m, plan);
        for (int t = 0; t < L; ++t) {
            const int at = (plan.bitReversed[t] >> lineShift) * groups + block;
            store<L>(outRe + at, r[t]);
            store<L>(outIm + at, m[t]);
        }
    }
}

template <int L>
void transform(float* re, float* im, float* outRe, float* outIm, const FftPlan& plan)
{
    const int n = 1 << plan.order;
    for (int stage = 0, le = n / 2; le >= L; ++stage, le /= 2) {
        const int first = plan.stageStart[stage];
        wideStage<L>(re, im, n, le, plan.twiddleRe + first, plan.twiddleIm + first);
    }
    lastStages<L>(re, im, outRe, outIm, plan);
}

// Y[k] from c[k] and c[num - k], L lines at a time; k = 0 needs no special
// case since c[num] = c[0] and its factor is (1, 0).
template <int L, typename Use>
void forEachRecombined(const float* cRe, const float* cIm, const RecombinationPlan& plan, Use use)
{
    const int num = plan.count;
    for (int k = 0; k < num; k += L) {
        const Vec<L> ar = load<L>(cRe + k), ai = load<L>(cIm + k);
        const Vec<L> br = reversed<L>(load<L>(cRe + num - k - L + 1));
        const Vec<L> bi = reversed<L>(load<L>(cIm + num - k - L + 1));
        const Vec<L> cr = load<L>(plan.cosine + k), ci = load<L>(plan.sine + k);
        const Vec<L> rs = (ar + br) * 0.5f, is = (ai + bi) * 0.5f;
        const Vec<L> rd = (ar - br) * 0.5f, id = (ai - bi) * 0.5f;
        use(k, rs + cr * is - ci * rd, id - ci * is - cr * rd);
    }
}

template <int L>
void recombine(const float* cRe, const float* cIm, const RecombinationPlan& plan, float* lines)
{
    forEachRecombined<L>(cRe, cIm, plan, [lines](int k, Vec<L> yr, Vec<L> yi) {
        store<L>(lines + 2 * k, interleavedLow<L>(yr, yi));
        store<L>(lines + 2 * k + L, interleavedHigh<L>(yr, yi));
    });
}

template <int L>
void recombineMagnitudes(const float* cRe, const float* cIm, const RecombinationPlan& plan, float* magnitudes)
{
    forEachRecombined<L>(cRe, cIm, plan, [magnitudes](int k, Vec<L> yr, Vec<L> yi) {
        store<L>(magnitudes + k, squareRoot<L>(yr * yr + yi * yi));
    });
}

template <int L>
constexpr FftKernel kernelOf()
{
    return {L, split<L>, merge<L>, transform<L>, recombine<L>, recombineMagnitudes<L>};
}

}  // namespace
