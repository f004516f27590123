#include "plot/AutoscaleRange.h"

#include <cmath>
#include <limits>

namespace {

constexpr std::size_t kPaddedPointCount = 32;  // point plots up to this size get half a step of room at each end
constexpr double kValueMargin = 0.05;         // room above and below the values

}  // namespace

XRange dataXRange(const std::vector<double>& x)
{
    if (x.empty())
        return {0.0, 1.0};
    XRange range{x.front(), x.back()};
    if (x.size() <= kPaddedPointCount) {
        const double step = x.size() > 1 ? x[1] - x[0] : 1.0;
        range.lower -= step / 2;
        range.upper += step / 2;
    }
    return range;
}

XRange valueSpan(const std::vector<double>& x, const std::vector<std::vector<double>>& y,
                 const std::vector<bool>& shown, XRange xRange, bool log)
{
    double lower = std::numeric_limits<double>::infinity();
    double upper = -lower;
    for (std::size_t s = 0; s < y.size(); ++s) {
        if (s < shown.size() && !shown[s])
            continue;
        for (std::size_t i = 0; i < x.size() && i < y[s].size(); ++i) {
            const double value = y[s][i];
            if (!xRange.contains(x[i]) || !plottable(value) || (log && value <= 0.0))
                continue;
            lower = std::min(lower, value);
            upper = std::max(upper, value);
        }
    }
    if (lower > upper)  // nothing shown
        return log ? XRange{0.1, 10.0} : XRange{0.0, 1.0};
    if (log) {
        const double factor = lower == upper ? 2.0 : std::pow(upper / lower, kValueMargin);
        return {lower / factor, upper * factor};
    }
    const double margin = lower == upper ? 1.0 : (upper - lower) * kValueMargin;
    return {lower - margin, upper + margin};
}
