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
//   wheel                       zoom around the cursor (along X while the values follow it)
//   right click                 "Save Graph As...", "Save Data to File...", "Copy", "Print", "Reset",
//                               then the view and cursor tools below
//   A                           "Fit All": every point of the data
//   Backspace, Shift+Backspace  back and forward through the last views
//   mouse over, "Hover Readout" mouseHover(QPoint) for each move without a button
//   click, "Two Cursors"        pointClicked(QPoint)
//   click on a legend entry     legendClicked(series)
//
// "Auto Y", on by default, makes the values shown follow the X range: they
// span the shown series' values within it. A gesture that zooms or moves the
// Y axis on its own turns it off; Reset and Fit All turn it on.

#include "plot/PlotData.h"
#include "plot/PlotFiles.h"
#include "plot/ViewHistory.h"
#include "plot/ui/ChartAnnotations.h"

#include <QColor>
#include <QFont>
#include <QWidget>
#include <optional>
#include <vector>

class QAction;
struct ChartInk;
class QCPGraph;
class QKeySequence;
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
    // A series of one value (a threshold) drawn as a line across the whole X
    // axis, whatever part of it is shown; its points still count for Auto Y.
    void setSeriesSpansXAxis(int series, bool spans);

    void setAxisTitles(const QString& x, const QString& y);
    QString xAxisTitle() const;
    QString yAxisTitle() const;
    // Texts in place of numbers at the given X positions; empty: numbers.
    void setXValueLabels(const QList<std::pair<double, QString>>& labels);
    QStringList xTickLabels() const;
    // Whole numbers only on a numbered X axis (bins, events): a zoom never shows 7.5.
    void setIntegerXTicks(bool on);
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
    // Both axes to every point of the data; the values follow the X range again.
    void fitAll();
    bool autoY() const;
    void setAutoY(bool on);
    // Back and forward through the views shown since the data was set; false when there is none.
    bool back();
    bool forward();
    // "Fit All", "Auto Y", "Back", "Forward": in the context menu, for the window's menus too.
    QList<QAction*> viewActions() const;
    // More entries for the context menu, after the chart's own.
    void addContextActions(const QList<QAction*>& actions);

    bool hoverReadout() const;
    void setHoverReadout(bool on);
    bool twoCursors() const;
    void setTwoCursors(bool on);
    // Cursor 0 or 1 at a point, a dashed line through it labelled with its number.
    void showCursor(int cursor, int series, int point);
    // The cursors and the delta box go.
    void hideCursors();
    bool cursorShown(int cursor) const;
    // A text box at the bottom left of the plotting area with the two cursors' differences.
    void showDelta(const QString& text);
    QString deltaText() const;

    // Marks of points and frequencies; they follow zooms and go with the next data.
    void setAnnotations(const QList<Annotation>& annotations);
    const QList<Annotation>& annotations() const;
    QStringList annotationLabelsShown() const;
    QList<QRectF> annotationLabelRectsShown() const;
    // Frequency labels in this many rows of a strip kept free above the
    // plotting area, so they never cover a value; 0 (the default): over the values.
    void setAnnotationLabelStrip(int rows);
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
    void mouseHover(QPoint position);  // outside the chart when the mouse left it
    void pointClicked(QPoint position);
    void legendClicked(int series);
    // The X range shown changed.
    void viewChanged();
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
    void placeAxisSpans();
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
    void buildTools();
    QAction* addMenuAction(const QString& text, const QKeySequence& key, bool checkable);
    void followValues();
    ChartView currentView() const;
    void showView(const ChartView& view);
    void recordView(bool wheelStep = false);
    std::vector<bool> shownSeries() const;
    int legendSeriesAt(QPoint position) const;
    QCPItemText* makeOverlayText(Qt::Alignment corner);
    void arrangeLegend(QSize size);
    QSize legendSize(int wrap, int fillOrder);
    void applyInk();
    void colorLegendNames(const ChartInk& colors);

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
    QCPItemText* delta_;
    QCPItemLine* cursors_[2];
    QCPItemText* cursorLabels_[2];
    QRubberBand* band_;
    QMenu* menu_;
    ChartAnnotations* annotations_;
    QAction* fitAllAction_;
    QAction* autoYAction_;
    QAction* backAction_;
    QAction* forwardAction_;
    QAction* hoverAction_;
    QAction* twoCursorsAction_;
    ViewHistory history_;
    bool lastRecordWasWheel_ = false;
    bool settingView_ = false;  // the Y range is being set with the X range

    std::vector<double> x_;
    std::vector<std::vector<double>> y_;
    QStringList names_;
    std::vector<QColor> colors_;  // [series] as set; drawn as drawnColor()
    std::vector<bool> spansXAxis_;  // [series]
    bool legendVisible_ = true;
    bool integerXTicks_ = false;
    bool legendDirty_ = false;
    QStringList header_;
    QStringList footer_;
    std::optional<XRange> defaultXRange_;
    QColor background_ = Qt::white;

    int suspended_ = 0;
    bool redrawPending_ = false;
    bool overlayPending_ = false;  // only the cursor layer changed
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
