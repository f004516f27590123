#include "plot/PeakFinder.h"

#include <algorithm>
#include <cstdlib>

std::vector<LinePeak> findPeaks(const std::vector<double>& amplitudes, int first, int last, int count)
{
    const int size = int(amplitudes.size());
    std::vector<LinePeak> maxima;
    for (int k = std::max(first, 1); k <= std::min(last, size - 2); ++k) {
        const double a = amplitudes[k];
        if (plottable(a) && a > amplitudes[k - 1] && a >= amplitudes[k + 1])
            maxima.push_back({k, a});
    }
    // Maxima come in line order; a stable sort keeps the lower line first among equals.
    std::stable_sort(maxima.begin(), maxima.end(),
                     [](const LinePeak& a, const LinePeak& b) { return a.amplitude > b.amplitude; });
    std::vector<LinePeak> chosen;
    for (const LinePeak& peak : maxima) {
        if (int(chosen.size()) == count)
            break;
        const bool apart = std::all_of(chosen.begin(), chosen.end(), [&](const LinePeak& taken) {
            return std::abs(taken.line - peak.line) > kLinesBetweenPeaks;
        });
        if (apart)
            chosen.push_back(peak);
    }
    return chosen;
}

QList<SpectrumPeak> spectrumPeaks(const PlotData& data, XRange shown, int firstLine)
{
    const auto from = std::lower_bound(data.x.begin(), data.x.end(), shown.lower);
    const auto to = std::upper_bound(data.x.begin(), data.x.end(), shown.upper);
    const int first = std::max(firstLine, int(from - data.x.begin()));
    const int last = int(to - data.x.begin()) - 1;
    QList<SpectrumPeak> rows;
    for (int s = 0; s < data.seriesCount(); ++s) {
        if (s < int(data.visible.size()) && !data.visible[s])
            continue;
        int rank = 0;
        for (const LinePeak& peak : findPeaks(data.y[s], first, last))
            rows.append({s, data.seriesNames.value(s), ++rank, peak.line, data.x[peak.line], peak.amplitude});
    }
    return rows;
}
