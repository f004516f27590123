#include "plot/ui/PlotPresentation.h"

#include <array>

namespace {

using Marker = XYPlot::Marker;

// Ten flights at most share a chart; their colours and markers stay apart on a light background.
const std::array<QColor, 10> kColors = {QColor(0, 0, 200),   QColor(200, 0, 0),   QColor(0, 140, 0),
                                        QColor(170, 0, 170), QColor(0, 150, 170), QColor(200, 110, 0),
                                        QColor(120, 70, 20), QColor(110, 110, 0), QColor(60, 60, 60),
                                        QColor(230, 60, 140)};
const std::array<Marker, 10> kMarkers = {Marker::Circle, Marker::Square,   Marker::Diamond, Marker::Triangle,
                                         Marker::Cross,  Marker::TriangleInverted, Marker::Plus, Marker::Star,
                                         Marker::Disc,   Marker::Square};
const QColor kStackedColor(255, 0, 0);

}  // namespace

XYPlot::SeriesStyle seriesStyle(SeriesStyle style, int series)
{
    if (style == SeriesStyle::Stacked)
        return {kStackedColor, Qt::SolidLine, Marker::None};
    const std::size_t slot = std::size_t(series) % kColors.size();
    if (style == SeriesStyle::Points)
        return {kColors[slot], Qt::NoPen, kMarkers[slot]};
    // The last two flights are dashed, so ten curves stay apart even where colours are close.
    return {kColors[slot], slot >= 8 ? Qt::DashLine : Qt::SolidLine, Marker::None};
}

void showPlot(XYPlot& chart, const PlotData& data)
{
    RedrawSuspension once(chart);
    chart.setData(data.x, data.y);
    for (int s = 0; s < data.seriesCount(); ++s) {
        chart.setSeriesStyle(s, seriesStyle(data.style, s));
        chart.setSeriesVisible(s, s < int(data.visible.size()) ? bool(data.visible[s]) : true);
    }
    chart.setSeriesNames(data.seriesNames);
    chart.setLegendVisible(data.legend);
    chart.setAxisTitles(data.xTitle, data.yTitle);
    chart.setIntegerXTicks(data.integerX);
    chart.setXValueLabels(data.xLabels);
    chart.setHeaderLines(data.header);
    chart.setFooterLines(data.footer);
    chart.setDefaultXRange(data.xRange);
    chart.setYLog(data.yLog);
    chart.resetView();
}
