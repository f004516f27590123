#include "plot/ui/PlotTools.h"

#include "core/NumberFormat.h"
#include "plot/ui/PeakTableDialog.h"
#include "plot/ui/PlotMainWindow.h"
#include "plot/ui/XYPlot.h"

#include <QAction>
#include <QMenu>
#include <algorithm>

PlotTools::PlotTools(PlotMainWindow* window)
    : QObject(window),
      window_(window),
      chart_(window->chart()),
      peaks_(new QAction(QStringLiteral("Pea&ks"), this)),
      orders_(new QAction(QStringLiteral("Shaft &Orders"), this))
{
    peaks_->setCheckable(true);
    orders_->setCheckable(true);
    if (auto* data = window->findChild<QMenu*>(QStringLiteral("menuData")))
        data->addActions({peaks_, orders_});
    if (auto* zoom = window->findChild<QMenu*>(QStringLiteral("menuZoom")))
        zoom->addActions(chart_->viewActions());
    chart_->addContextActions({peaks_, orders_});

    connect(peaks_, &QAction::toggled, this, &PlotTools::peaksToggled);
    connect(orders_, &QAction::toggled, this, &PlotTools::refresh);
    connect(window, &PlotMainWindow::plotRebuilt, this, &PlotTools::plotRebuilt);
    connect(window, &PlotMainWindow::flightVisibilityChanged, this, &PlotTools::refresh);
    connect(chart_, &XYPlot::viewChanged, this, &PlotTools::refresh);
    connect(chart_, &XYPlot::mouseHover, window, &PlotMainWindow::mouseMove);
    connect(chart_, &XYPlot::pointClicked, this, &PlotTools::pointClicked);
    connect(chart_, &XYPlot::legendClicked, this, &PlotTools::legendClicked);
}

PeakTableDialog* PlotTools::peakTable() const { return table_; }

void PlotTools::plotRebuilt()
{
    const bool spectrum = window_->model().spectrumToolsEnabled();
    peaks_->setEnabled(spectrum);
    orders_->setEnabled(spectrum);
    firstCursor_.reset();
    refresh();
}

void PlotTools::refresh()
{
    const PlotData& data = window_->plotData();
    const QList<SpectrumPeak> peaks =
        peaks_->isChecked() ? window_->model().peaks(data, chart_->xRangeShown()) : QList<SpectrumPeak>();
    // Peak labels first: an order's label can take another row.
    QList<Annotation> marks = peakMarks(peaks);
    if (orders_->isChecked())
        marks += orderMarks();
    if (!marks.isEmpty() || !chart_->annotations().isEmpty())
        chart_->setAnnotations(marks);
    if (table_)
        table_->setPeaks(peaks);
}

void PlotTools::peaksToggled(bool on)
{
    if (on && !table_) {
        table_ = new PeakTableDialog(window_);
        table_->setAttribute(Qt::WA_DeleteOnClose);
    }
    refresh();
    if (on) {
        table_->show();
        table_->raise();
    } else if (table_) {
        table_->close();
    }
}

// The largest peak of every flight first, so that its label keeps its place.
QList<Annotation> PlotTools::peakMarks(const QList<SpectrumPeak>& peaks) const
{
    QList<SpectrumPeak> byRank = peaks;
    std::stable_sort(byRank.begin(), byRank.end(),
                     [](const SpectrumPeak& a, const SpectrumPeak& b) { return a.rank < b.rank; });
    QList<Annotation> marks;
    for (const SpectrumPeak& peak : byRank) {
        marks.append({Annotation::Kind::Point, peak.hz, peak.amplitude,
                      formatG(peak.hz, 5) + QStringLiteral(" Hz\n") + formatG(peak.amplitude, 3) + QStringLiteral(" g"),
                      chart_->seriesStyle(peak.series).color});
    }
    return marks;
}

QList<Annotation> PlotTools::orderMarks() const
{
    const OrderMarks orders = window_->model().shaftOrderMarks(window_->plotData());
    QList<Annotation> marks;
    for (const ShaftOrder& order : orders.orders)
        marks.append({Annotation::Kind::Frequency, order.hz, 0.0, order.label, chart_->seriesStyle(orders.series).color});
    return marks;
}

// The first click places cursor 1, the second cursor 2 and shows the differences; a third starts again.
void PlotTools::pointClicked(QPoint position)
{
    const XYPlot::Pick pick = chart_->pick(position);
    if (pick.series < 0 || !pick.pointInPlotArea)
        return;
    if (!firstCursor_) {
        chart_->hideCursors();
        chart_->showCursor(0, pick.series, pick.point);
        firstCursor_ = {pick.series, pick.point};
        return;
    }
    chart_->showCursor(1, pick.series, pick.point);
    const CursorPair pair{firstCursor_->first, firstCursor_->second, pick.series, pick.point};
    chart_->showDelta(window_->model().deltaReadout(window_->plotData(), pair));
    firstCursor_.reset();
}

// As the display setup's check boxes; stacked spectra have no legend.
void PlotTools::legendClicked(int series)
{
    if (!window_->model().isStacked())
        window_->setFlightVisible(series, !window_->model().flightVisible(series));
}
