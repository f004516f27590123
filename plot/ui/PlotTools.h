#pragma once

#include "plot/PlotModel.h"
#include "plot/ui/ChartAnnotations.h"

#include <QObject>
#include <QPointer>
#include <optional>

class PeakTableDialog;
class PlotMainWindow;
class QAction;
class QPoint;
class XYPlot;

// The analysis tools of a plot window, between its model and its chart:
// "Peaks" and "Shaft Orders" on the spectrum (Data menu and context menu),
// the chart's view actions in the Zoom menu, the hover readout, two cursors
// with their differences, and legend clicks that show or hide a flight.
class PlotTools : public QObject {
    Q_OBJECT
public:
    explicit PlotTools(PlotMainWindow* window);

    QAction* peaksAction() const { return peaks_; }
    QAction* shaftOrdersAction() const { return orders_; }
    // The open peak table, if any.
    PeakTableDialog* peakTable() const;

public slots:
    // The marks and the peak table for the plot and view now shown.
    void refresh();

private:
    void plotRebuilt();
    void peaksToggled(bool on);
    void pointClicked(QPoint position);
    void legendClicked(int series);
    QList<Annotation> peakMarks(const QList<SpectrumPeak>& peaks) const;
    QList<Annotation> orderMarks() const;

    PlotMainWindow* window_;
    XYPlot* chart_;
    QAction* peaks_;
    QAction* orders_;
    QPointer<PeakTableDialog> table_;
    std::optional<std::pair<int, int>> firstCursor_;  // series and point of cursor 1 while cursor 2 is awaited
};
