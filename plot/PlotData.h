#pragma once
// What one plot shows, as plain values: the series of points over one shared
// X array, their names and visibility, the axis titles and the text lines
// around the chart. The plot model produces it; the chart shows it.

#include <QList>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

// How the series are drawn. The chart picks the colours.
enum class SeriesStyle {
    Points,  // parameter trends: one marker per point, no line
    Lines,   // time histories and spectra: a line through the points
    Stacked  // stacked spectra: every series in the same plain line, no legend
};

// A value the chart draws, scales to and reads out. NaN, the infinities and a
// float's extremes (a corrupt flight's ±3.4e38) are left out, so the values
// that remain still get a readable scale; files and tables print them all.
// The limit is the float nearest 1e30, so that a flight's 1e30 is still drawn.
constexpr double kPlotLimit = 1e30f;
inline bool plottable(double value) { return std::isfinite(value) && std::abs(value) <= kPlotLimit; }

struct XRange {
    double lower = 0.0;
    double upper = 0.0;
    bool contains(double x) const { return x >= lower && x <= upper; }
};

struct PlotData {
    SeriesStyle style = SeriesStyle::Points;
    std::vector<double> x;               // one X value per point, shared by every series
    std::vector<std::vector<double>> y;  // [series][point]
    QStringList seriesNames;
    std::vector<bool> visible;           // [series]
    bool legend = true;
    QString xTitle;
    QString yTitle;
    QStringList header;
    QStringList footer;
    QList<std::pair<double, QString>> xLabels;  // texts in place of numbers on the X axis; empty: numbers
    bool integerX = false;                      // X counts bins or events: whole-number ticks only
    std::optional<XRange> xRange;               // the X range of the default view; unset: the data's
    bool yLog = false;

    int seriesCount() const { return int(y.size()); }
    int pointCount() const { return int(x.size()); }
    int unplottableCount() const
    {
        qsizetype count = 0;
        for (const std::vector<double>& series : y)
            count += std::count_if(series.begin(), series.end(), [](double value) { return !plottable(value); });
        return int(count);
    }
};
