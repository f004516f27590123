#include "plot/ChartContrast.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kDarkBelow = 0.5;
constexpr int kMixSteps = 10;
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

double linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

int mixChannel(int from, int to, int step) { return (from * (kMixSteps - step) + to * step + kMixSteps / 2) / kMixSteps; }

Rgb mix(Rgb from, Rgb to, int step)
{
    return {mixChannel(from.red, to.red, step), mixChannel(from.green, to.green, step),
            mixChannel(from.blue, to.blue, step)};
}

}  // namespace

double relativeLuminance(Rgb color)
{
    return 0.2126 * linear(color.red) + 0.7152 * linear(color.green) + 0.0722 * linear(color.blue);
}

double contrastRatio(Rgb a, Rgb b)
{
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkBackground(Rgb background) { return relativeLuminance(background) < kDarkBelow; }

ChartInk inkFor(Rgb background)
{
    const Rgb ink = isDarkBackground(background) ? kWhite : kBlack;
    return {ink, mix(background, ink, 3), mix(background, ink, 5)};
}

Rgb seriesColorOn(Rgb color, Rgb background)
{
    const Rgb ink = isDarkBackground(background) ? kWhite : kBlack;
    for (int step = 0; step < kMixSteps; ++step) {
        const Rgb candidate = mix(color, ink, step);
        if (contrastRatio(candidate, background) >= kMinSeriesContrast)
            return candidate;
    }
    return ink;
}
