#pragma once
// The chart: series of points over one shared X array, drawn by one
// QCustomPlot. Everything the plot window and its dialogs ask of a chart is a
// typed method here, so QCustomPlot stays behind this class.
//
// Gestures (the plot window's "User Interactions" help names them):
//   left drag alone             mouseMove(QPoint) for each move (cursor readout)
//   Shift + both buttons        translate
//   Ctrl + both buttons         scale: moving down zooms in, up zooms out
//   Ctrl + left drag            zoom into the dragged rectangle
//   Shift + left drag           zoom one axis into the dragged span
//   R                           reset(QChar) and back to the default view
//   wheel                       zoom around the cursor
//   right click                 "Save Graph As...", "Save Data to File...", "Copy", "Print", "Reset"

#include "plot/PlotData.h"
#include "plot/PlotFiles.h"

#include <QColor>
#include <QFont>
#include <QWidget>
#include <optional>
#include <vector>

class QCPGraph;
class QCPItemLine;
class QCPItemText;
class QCPLayer;
class QCPLayoutGrid;
class QCPTextElement;
class QCustomPlot;
class QMenu;
class QMouseEvent;
class QRubberBand;

class XYPlot : public QWidget {
    Q_OBJECT
public:
    enum class Marker { None, Circle, Square, Diamond, Triangle, TriangleInverted, Cross, Plus, Star, Disc };
    struct SeriesStyle {
        QColor color;
        Qt::PenStyle line = Qt::SolidLine;  // Qt::NoPen: points only
        Marker marker = Marker::None;
    };
    // What lies under a pixel: whether it is inside the plotting area, the
    // nearest point of a shown series, and whether that point is inside too.
    struct Pick {
        bool inPlotArea = false;
        int series = -1;
        int point = -1;
        bool pointInPlotArea = false;
    };

    explicit XYPlot(QWidget* parent = nullptr);
    ~XYPlot() override;

    // Series × points over one X array; every series has x.size() points.
    void setData(std::vector<double> x, std::vector<std::vector<double>> y);
    int seriesCount() const { return int(y_.size()); }
    int pointCount() const { return int(x_.size()); }
    const std::vector<double>& xValues() const { return x_; }
    const std::vector<double>& yValues(int series) const { return y_.at(series); }

    void setSeriesNames(const QStringList& names);
    QString seriesName(int series) const { return names_.value(series); }
    void setLegendVisible(bool visible);
    void setSeriesVisible(int series, bool visible);
    bool seriesVisible(int series) const;
    void setSeriesStyle(int series, const SeriesStyle& style);
    SeriesStyle seriesStyle(int series) const;

    void setAxisTitles(const QString& x, const QString& y);
    QString xAxisTitle() const;
    QString yAxisTitle() const;
    // Texts in place of numbers at the given X positions; empty: numbers.
    void setXValueLabels(const QList<std::pair<double, QString>>& labels);
    QStringList xTickLabels() const;
    void setHeaderLines(const QStringList& lines);
    QStringList headerLines() const { return header_; }
    void setFooterLines(const QStringList& lines);
    QStringList footerLines() const { return footer_; }

    // The X range of the default view; unset: the data's own.
    void setDefaultXRange(std::optional<XRange> range) { defaultXRange_ = range; }
    void setXRange(double lower, double upper);
    void setYRange(double lower, double upper);
    XRange xRangeShown() const;
    XRange yRangeShown() const;
    void setYLog(bool on);
    bool yLog() const;
    void setXGrid(bool on);
    void setYGrid(bool on);
    bool xGrid() const;
    bool yGrid() const;
    // Text, axes, grid and series too dark or too light for it change with it (ChartContrast.h).
    void setBackground(const QColor& color);
    QColor background() const { return background_; }
    // The colour a series is drawn in on the current background.
    QColor drawnColor(int series) const;

    Pick pick(QPoint position) const;
    // Where a value pair is drawn, in the chart's pixels.
    QPointF pixelOf(double x, double y) const;
    // Dashed lines through a point, across the plotting area.
    void showMarkers(int series, int point);
    void hideMarkers();
    bool markersShown() const;
    // A text box in the upper left corner of the plotting area.
    void showReadout(const QString& text, const QColor& background);
    void hideReadout();
    QString readoutText() const;
    QColor readoutBackground() const;
    void setReadoutFont(const QFont& font);

    // The default view: the default X range (or the data's) and the shown series' values.
    void resetView();
    // While suspended (the calls nest), changes are not drawn; the last
    // resume draws once if anything changed.
    void suspendRedraw();
    void resumeRedraw();
    // Draws now, unless suspended.
    void redraw();
    int redrawCount() const { return redraws_; }

    // Writes the chart as shown; the failure text, empty on success.
    QString saveImage(const QString& path, ImageFormat format);
    QWidget* canvas() const;

    // Where the header, the footer, the legend (with its frame) and the
    // plotting area (with its ticks and axis titles) are drawn, and the size
    // each needs; only those shown.
    struct Box {
        QString name;
        QRect drawn;
        QSize needed;
    };
    QList<Box> layoutBoxes() const;

public slots:
    virtual void saveAs();
    virtual void saveDataToFile();
    virtual void print();
    virtual void reset();
    virtual void copy();

signals:
    void mouseMove(QPoint position);
    void reset(QChar key);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    friend class ChartRenderer;  // lays the chart out again at the size of its target
    enum class Gesture { None, Readout, RectZoom, AxisZoom, Translate, Scale };

    void buildLayout();
    void buildContextMenu();
    void arrangeTexts();
    void ensureGraphs(int count);
    QCPGraph* graph(int series) const;
    bool mousePressed(QMouseEvent* event);
    bool mouseMoved(QMouseEvent* event);
    bool mouseReleased(QMouseEvent* event);
    void startGesture(Gesture gesture, QPoint at);
    void showBand(QPoint to);
    void zoomToBand(QPoint to);
    void translate(QPoint from, QPoint to);
    void scaleAround(double factor, QPoint center);
    void refreshOverlay();
    void refreshLegend();
    void arrangeLegend(QSize size);
    QSize legendSize(int wrap, int fillOrder);
    void applyInk();

    QCustomPlot* canvas_;
    QCPLayoutGrid* body_;  // the plotting area and the legend beside or below it
    QCPLayoutGrid* legendBeside_;  // the legend at the top, room below; out of the layout while not used
    QCPLayoutGrid* legendBelow_;   // the legend centred, room at both sides; out of the layout while not used
    QCPTextElement* headerText_;
    QCPTextElement* footerText_;
    QCPLayer* overlay_;  // markers and readout: redrawn alone while the cursor moves
    QCPItemLine* xMarker_;
    QCPItemLine* yMarker_;
    QCPItemText* readout_;
    QRubberBand* band_;
    QMenu* menu_;

    std::vector<double> x_;
    std::vector<std::vector<double>> y_;
    QStringList names_;
    std::vector<QColor> colors_;  // [series] as set; drawn as drawnColor()
    bool legendVisible_ = true;
    bool legendDirty_ = false;
    QStringList header_;
    QStringList footer_;
    std::optional<XRange> defaultXRange_;
    QColor background_ = Qt::white;

    int suspended_ = 0;
    bool redrawPending_ = false;
    int redraws_ = 0;

    Gesture gesture_ = Gesture::None;
    QPoint pressPosition_;
    QPoint lastPosition_;
};

// Holds the chart's redrawing for the life of a scope.
class RedrawSuspension {
public:
    explicit RedrawSuspension(XYPlot& chart) : chart_(chart) { chart_.suspendRedraw(); }
    ~RedrawSuspension() { chart_.resumeRedraw(); }
    RedrawSuspension(const RedrawSuspension&) = delete;
    RedrawSuspension& operator=(const RedrawSuspension&) = delete;

private:
    XYPlot& chart_;
};
