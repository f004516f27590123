#include "report/ui/ReportCharts.h"

#include "core/NumberFormat.h"
#include "plot/PlotModel.h"
#include "plot/ui/PlotPresentation.h"
#include "trend/ui/TrendChartStyle.h"

#include <cmath>
#include <ranges>

namespace {

// The chart is laid out at its size on the page; this is only its size off the page.
const QSize kChartSize(900, 480);
using namespace trend_style;
const QColor kThisDownloadColor(0x10, 0x90, 0x30);
constexpr int kA3B = 18;

int highestA4RBin(const FlightRecord& flight)
{
    const float* a4r = flight.block.steadyParameters[plot::kDefaultParameter];
    int best = 0;
    for (int bin = 1; bin < plot::kBins; ++bin) {
        if (std::isfinite(a4r[bin]) && (!std::isfinite(a4r[best]) || a4r[bin] > a4r[best]))
            best = bin;
    }
    return best;
}

}  // namespace

ReportCharts::ReportCharts(const EngineReport& report)
    : report_(report), corrections_(CorrectionTable::defaultPath())
{
    chart_.resize(kChartSize);
}

void ReportCharts::showTrend(int index)
{
    enum { Pre, Post, ThisDownload, Threshold, Count };
    const ReportTrend& t = report_.trends.at(index);
    const int n = int(t.series.points.size());
    const double nan = std::nan("");
    std::vector<double> x(n);
    std::vector<std::vector<double>> y(Count, std::vector<double>(n, nan));
    for (int i = 0; i < n; ++i) {
        const trend::TrendPoint& p = t.series.points[i];
        x[i] = p.sequence;
        y[p.memoryType == 1 ? Post : Pre][i] = p.value;
        if (p.rawPath == report_.rawPath)
            y[ThisDownload][i] = p.value;
        if (t.threshold)
            y[Threshold][i] = *t.threshold;
    }
    RedrawSuspension once(chart_);
    chart_.setData(x, std::move(y));
    chart_.setSeriesNames({QStringLiteral("Pre-defect"), QStringLiteral("Post-defect"), QStringLiteral("This download"),
                           t.threshold ? QStringLiteral("Threshold") : QStringLiteral("No threshold set")});
    chart_.setSeriesStyle(Pre, {kPreColor, Qt::NoPen, XYPlot::Marker::Disc});
    chart_.setSeriesStyle(Post, {kPostColor, Qt::NoPen, XYPlot::Marker::Triangle});
    chart_.setSeriesStyle(ThisDownload, {kThisDownloadColor, Qt::NoPen, XYPlot::Marker::Circle});
    chart_.setSeriesStyle(Threshold, {kThresholdColor, Qt::DashLine, XYPlot::Marker::None});
    for (int s = 0; s < Count; ++s)
        chart_.setSeriesVisible(s, s != Threshold || t.threshold.has_value());
    chart_.setLegendVisible(true);
    const QString name = plot::parameter(t.parameter).axisTitle;
    chart_.setAxisTitles(QStringLiteral("Flight sequence"), name);
    chart_.setIntegerXTicks(true);
    chart_.setXValueLabels({});
    chart_.setHeaderLines({QStringLiteral("Engine ") + report_.engineSerial + QStringLiteral(": ") + name
                           + QStringLiteral(", highest bin, all flights")});
    chart_.setFooterLines({});
    chart_.setYLog(false);
    // As in the trend window: labels in a strip above the values, the latest change placed first.
    QList<Annotation> marks;
    for (const trend::AlarmChange& change : std::views::reverse(t.series.alarmChanges))
        marks.append({Annotation::Kind::Frequency, x[change.point], 0.0, change.label(), kAlarmColor});
    chart_.setAnnotationLabelStrip(kAlarmLabelRows);
    chart_.setAnnotations(marks);
    chart_.setDefaultXRange(std::nullopt);
    chart_.resetView();
}

void ReportCharts::showFlight(int flight, FlightChart which)
{
    const std::shared_ptr<const FlightRecord>& record = report_.flights.at(flight);
    PlotModel model({record}, corrections_);
    model.loadSettings();  // the technician's FFT window
    model.setMemoryType(record->memoryType);
    model.setMode(plot::SteadyState);
    chart_.setAnnotationLabelStrip(0);
    if (which != Spectrum) {
        model.setParameter(which == A4RPerBin ? plot::kDefaultParameter : kA3B);
        showPlot(chart_, model.build());
        chart_.setAnnotations({});
        return;
    }
    model.setParameter(plot::kSpectrum);
    model.chooseBin(highestA4RBin(*record));
    const PlotData spectrum = model.build();
    showPlot(chart_, spectrum);
    chart_.setAnnotations(spectrumMarks(model, spectrum));
}

QList<Annotation> ReportCharts::spectrumMarks(const PlotModel& model, const PlotData& data) const
{
    const XRange all = data.xRange.value_or(XRange{data.x.empty() ? 0 : data.x.front(), data.x.empty() ? 0 : data.x.back()});
    const QColor color = chart_.seriesStyle(0).color;
    QList<Annotation> marks;
    for (const SpectrumPeak& peak : model.peaks(data, all)) {
        marks.append({Annotation::Kind::Point, peak.hz, peak.amplitude,
                      formatG(peak.hz, 5) + QStringLiteral(" Hz\n") + formatG(peak.amplitude, 3) + QStringLiteral(" g"),
                      color});
    }
    for (const ShaftOrder& order : model.shaftOrderMarks(data).orders)
        marks.append({Annotation::Kind::Frequency, order.hz, 0.0, order.label, color});
    return marks;
}
