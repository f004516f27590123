#pragma once
// The one way a chart leaves the screen: printed, saved as a bitmap, SVG or
// PDF, copied, or drawn on a report page. The chart is laid out anew at the
// target's physical size, with every font at its point size (to the nearest
// pixel of the screen, the layout's unit, so ticks, paddings and legend
// symbols keep their proportions to the text), and played into the target:
// a page shows the elements of the screen at their own sizes, and vector
// devices get vectors and text they can search, never a bitmap of the chart.

#include "plot/PlotFiles.h"

#include <QImage>
#include <QPicture>
#include <QString>

class QPainter;
class QPrinter;
class QRectF;
class XYPlot;

// A chart recorded for one target, to be played there later, on any thread.
struct RecordedChart {
    QPicture picture;
    QSize layout;  // in the screen's pixels
};

class ChartRenderer {
public:
    explicit ChartRenderer(XYPlot& chart) : chart_(chart) {}

    // Draws the chart into `target`, given in the painter's coordinates;
    // the painter's transform and device tell its physical size.
    void render(QPainter& painter, const QRectF& target) const;
    // The chart for a target of sizeOnDevice pixels on a device of this resolution.
    RecordedChart record(const QSizeF& sizeOnDevice, const QPointF& deviceDpi) const;
    // Plays a chart recorded for target (in the painter's coordinates) on the painter's device.
    static void play(QPainter& painter, const QRectF& target, const RecordedChart& chart);
    // One page: the chart fills the printable area. False when the printer could not start.
    bool print(QPrinter& printer) const;
    // The chart at its size on screen.
    QImage image() const;
    // Writes the chart at its size on screen; the failure text, empty on success.
    QString save(const QString& path, ImageFormat format) const;

private:
    bool writeVector(const QString& path, ImageFormat format) const;

    XYPlot& chart_;
};
