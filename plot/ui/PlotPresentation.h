#pragma once
// How a plot's data look on the chart: the series' colours and markers, the
// legend, titles, texts and the default view.

#include "plot/PlotData.h"
#include "plot/ui/XYPlot.h"

// The default style of series s when drawn in the given way.
XYPlot::SeriesStyle seriesStyle(SeriesStyle style, int series);

// Puts the data on the chart and shows its default view; draws once.
void showPlot(XYPlot& chart, const PlotData& data);
