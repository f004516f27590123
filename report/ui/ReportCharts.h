#pragma once
// The charts of an engine report, each set up in turn on one chart of the
// windows' kind: the two trends, and for each chosen flight its A4R and A3B
// per bin and the spectrum of its highest A4R bin with the five largest peaks
// and the shaft orders marked.

#include "flights/CorrectionTable.h"
#include "plot/ui/XYPlot.h"
#include "report/EngineReport.h"

class PlotModel;

class ReportCharts {
public:
    enum FlightChart { A4RPerBin, A3BPerBin, Spectrum, FlightChartCount };

    explicit ReportCharts(const EngineReport& report);

    XYPlot& chart() { return chart_; }
    // Trend 0 (A4R) or 1 (A3B) of the report.
    void showTrend(int index);
    // One chart of the report's flight `flight` (an index into its flights).
    void showFlight(int flight, FlightChart which);

private:
    QList<Annotation> spectrumMarks(const PlotModel& model, const PlotData& data) const;

    const EngineReport& report_;
    CorrectionTable corrections_;
    XYPlot chart_;
};
