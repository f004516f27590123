#include "plot/ui/XYPlot.h"

#include "ui/WidgetPrompts.h"
#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "plot/AutoscaleRange.h"
#include "plot/ChartContrast.h"
#include "plot/ui/ChartRenderer.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QRubberBand>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <qcustomplot.h>

namespace {

const QString kTextFont = QStringLiteral("Times");
constexpr int kTextPointSize = 10;
constexpr int kTickPointSize = 9;
constexpr double kWheelZoomPerStep = 0.85;   // range factor per wheel notch towards the user
constexpr double kScalePerPixel = 0.99;      // range factor per pixel moved down with Ctrl + both buttons
constexpr int kMinBand = 3;                  // a smaller dragged band is taken as a slip, not a zoom
constexpr int kEdge = 4;                     // room around the whole chart, so no frame or text touches its edge
constexpr int kLegendGap = 12;               // between the plotting area (and its last tick label) and the legend
constexpr double kLegendShare = 0.4;         // the most of the chart's width a legend beside the plot may take
constexpr double kNoStretch = 0.001;         // a layout cell that keeps to the size it needs
// The chart shrinks to what its window allows and arranges its legend to fit; a
// minimum drawn from its current arrangement would hold the window at that size.
const QSize kMinimumSize(320, 200);

QCPScatterStyle::ScatterShape shapeOf(XYPlot::Marker marker)
{
    switch (marker) {
    case XYPlot::Marker::Circle: return QCPScatterStyle::ssCircle;
    case XYPlot::Marker::Square: return QCPScatterStyle::ssSquare;
    case XYPlot::Marker::Diamond: return QCPScatterStyle::ssDiamond;
    case XYPlot::Marker::Triangle: return QCPScatterStyle::ssTriangle;
    case XYPlot::Marker::TriangleInverted: return QCPScatterStyle::ssTriangleInverted;
    case XYPlot::Marker::Cross: return QCPScatterStyle::ssCross;
    case XYPlot::Marker::Plus: return QCPScatterStyle::ssPlus;
    case XYPlot::Marker::Star: return QCPScatterStyle::ssStar;
    case XYPlot::Marker::Disc: return QCPScatterStyle::ssDisc;
    case XYPlot::Marker::None: break;
    }
    return QCPScatterStyle::ssNone;
}

QFont textFont(int pointSize) { return QFont(kTextFont, pointSize); }

int rowsFor(int entries, int columns) { return (entries + columns - 1) / columns; }

Rgb rgbOf(const QColor& color) { return {color.red(), color.green(), color.blue()}; }
QColor colorOf(Rgb rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// A line through far more points than pixel columns (a time history of 2048
// samples) is drawn as one vertical run per column, from the end nearer the
// previous column's: the same pixels light up, but without the full-height
// zig-zags that cost most of a redraw. A dash pattern along such runs shows
// no dashes, only noise, so they are drawn solid.
class DenseLineGraph : public QCPGraph {
public:
    using QCPGraph::QCPGraph;

protected:
    void drawLinePlot(QCPPainter* painter, const QVector<QPointF>& lines) const override
    {
        const bool dense = lines.size() > 2 && lines.size() > 2 * (lines.last().x() - lines.first().x());
        if (!dense) {
            QCPGraph::drawLinePlot(painter, lines);
            return;
        }
        QPen solid = painter->pen();
        solid.setStyle(Qt::SolidLine);
        painter->setPen(solid);
        QCPGraph::drawLinePlot(painter, columnRuns(lines));
    }

private:
    static QVector<QPointF> columnRuns(const QVector<QPointF>& lines)
    {
        QVector<QPointF> runs;
        runs.reserve(2 * int(lines.last().x() - lines.first().x()) + 4);
        double end = lines.first().y();
        for (qsizetype i = 0; i < lines.size();) {
            const double x = lines[i].x();
            const double column = std::floor(x);
            double low = lines[i].y();
            double high = low;
            for (++i; i < lines.size() && std::floor(lines[i].x()) == column; ++i) {
                low = std::min(low, lines[i].y());
                high = std::max(high, lines[i].y());
            }
            const bool upwards = std::abs(end - low) <= std::abs(end - high);
            runs.append(QPointF(x, upwards ? low : high));
            end = upwards ? high : low;
            if (high != low)
                runs.append(QPointF(x, end));
        }
        return runs;
    }
};

// The position of an item in plot coordinates along one axis and as a share of the plotting area along the other.
void placeAcross(QCPItemPosition* position, bool xInPlotCoords)
{
    position->setTypeX(xInPlotCoords ? QCPItemPosition::ptPlotCoords : QCPItemPosition::ptAxisRectRatio);
    position->setTypeY(xInPlotCoords ? QCPItemPosition::ptAxisRectRatio : QCPItemPosition::ptPlotCoords);
}

QCPItemLine* makeMarker(QCustomPlot* canvas, QCPLayer* layer, bool vertical)
{
    auto* line = new QCPItemLine(canvas);
    line->setLayer(layer);
    placeAcross(line->start, vertical);
    placeAcross(line->end, vertical);
    line->setPen(QPen(Qt::darkGray, 1, Qt::DashLine));
    line->setVisible(false);
    return line;
}

}  // namespace

XYPlot::XYPlot(QWidget* parent)
    : QWidget(parent),
      canvas_(new QCustomPlot(this)),
      body_(new QCPLayoutGrid),
      headerText_(new QCPTextElement(canvas_, QString(), textFont(kTextPointSize))),
      footerText_(new QCPTextElement(canvas_, QString(), textFont(kTextPointSize))),
      overlay_(canvas_->layer(QStringLiteral("overlay"))),
      xMarker_(makeMarker(canvas_, overlay_, true)),
      yMarker_(makeMarker(canvas_, overlay_, false)),
      readout_(new QCPItemText(canvas_)),
      band_(new QRubberBand(QRubberBand::Rectangle, canvas_)),
      menu_(new QMenu(this))
{
    setObjectName(QStringLiteral("XYPlot"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(canvas_);
    canvas_->setMinimumSize(kMinimumSize);
    canvas_->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(canvas_);
    canvas_->installEventFilter(this);
    // One polyline per series is drawn much faster than segment by segment.
    canvas_->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    canvas_->setAutoAddPlottableToLegend(false);
    canvas_->setNotAntialiasedElements(QCP::aePlottables);
    buildLayout();
    buildContextMenu();

    readout_->setLayer(overlay_);
    readout_->position->setType(QCPItemPosition::ptAxisRectRatio);
    readout_->position->setCoords(0.01, 0.02);
    readout_->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
    readout_->setPadding(QMargins(5, 3, 5, 3));
    readout_->setPen(QPen(Qt::black));
    readout_->setColor(Qt::black);
    readout_->setVisible(false);
    buildTools();
    setBackground(background_);
}

XYPlot::~XYPlot() = default;

void XYPlot::buildLayout()
{
    QCPAxisRect* area = canvas_->axisRect();
    QCPLayoutGrid* top = canvas_->plotLayout();
    top->take(area);
    top->simplify();
    top->setMargins(QMargins(kEdge, kEdge, kEdge, kEdge));
    top->addElement(0, 0, body_);
    body_->addElement(0, 0, area);
    // The legend never hides a curve: it sits beside the plotting area, at its
    // top, or below it, centred. Each place is a grid with empty room around it.
    area->insetLayout()->take(canvas_->legend);
    // Placed while they are filled, so the chart owns both from now on; out of the layout they stay its children.
    legendBeside_ = new QCPLayoutGrid;
    body_->addElement(0, 1, legendBeside_);
    legendBeside_->setMargins(QMargins(kLegendGap, 0, 0, 0));
    legendBeside_->addElement(1, 0, new QCPLayoutElement(canvas_));
    legendBeside_->setRowStretchFactors({kNoStretch, 1.0});
    legendBelow_ = new QCPLayoutGrid;
    body_->addElement(1, 0, legendBelow_);
    legendBelow_->setMargins(QMargins(0, kLegendGap / 2, 0, 0));
    legendBelow_->addElement(0, 0, new QCPLayoutElement(canvas_));
    legendBelow_->addElement(0, 2, new QCPLayoutElement(canvas_));
    legendBelow_->setColumnStretchFactors({1.0, kNoStretch, 1.0});
    body_->take(legendBeside_);
    body_->take(legendBelow_);
    body_->simplify();
    canvas_->legend->setFont(textFont(kTextPointSize));
    canvas_->legend->setVisible(false);

    area->setupFullAxesBox(true);
    for (QCPAxis* axis : area->axes()) {
        axis->setLabelFont(textFont(kTextPointSize));
        axis->setTickLabelFont(textFont(kTickPointSize));
        axis->grid()->setVisible(false);
    }
}

void XYPlot::buildContextMenu()
{
    menu_->addAction(QStringLiteral("Save Graph As..."), this, &XYPlot::saveAs);
    menu_->addAction(QStringLiteral("Save Data to File..."), this, &XYPlot::saveDataToFile);
    menu_->addAction(QStringLiteral("Copy"), this, &XYPlot::copy);
    menu_->addAction(QStringLiteral("Print"), this, &XYPlot::print);
    menu_->addAction(QStringLiteral("Reset"), this, [this] { reset(); });
}

QWidget* XYPlot::canvas() const { return canvas_; }

QCPGraph* XYPlot::graph(int series) const { return canvas_->graph(series); }

void XYPlot::ensureGraphs(int count)
{
    while (canvas_->graphCount() < count)
        colors_.push_back((new DenseLineGraph(canvas_->xAxis, canvas_->yAxis))->pen().color());  // the chart takes it
    while (canvas_->graphCount() > count) {
        canvas_->removeGraph(canvas_->graphCount() - 1);
        colors_.pop_back();
    }
    spansXAxis_.resize(count, false);
}

void XYPlot::setData(std::vector<double> x, std::vector<std::vector<double>> y)
{
    x_ = std::move(x);
    y_ = std::move(y);
    ensureGraphs(int(y_.size()));
    QVector<QCPGraphData> points(int(x_.size()));
    for (int s = 0; s < seriesCount(); ++s) {
        for (int i = 0; i < pointCount(); ++i)
            points[i] = QCPGraphData(x_[i], plottable(y_[s][i]) ? y_[s][i] : qQNaN());  // NaN: a gap
        graph(s)->data()->set(points, true);
    }
    placeAxisSpans();
    legendDirty_ = true;
    history_ = {};
    annotations_->set({});
    hideCursors();
    redraw();
}

void XYPlot::setSeriesSpansXAxis(int series, bool spans)
{
    if (series < 0 || series >= int(spansXAxis_.size()))
        return;
    spansXAxis_[series] = spans;
    placeAxisSpans();
    redraw();
}

// A spanning series is drawn from its first drawable value, at both ends of the X axis.
void XYPlot::placeAxisSpans()
{
    const QCPRange shown = canvas_->xAxis->range();
    for (int s = 0; s < int(spansXAxis_.size()); ++s) {
        if (!spansXAxis_[s])
            continue;
        const auto value = std::find_if(y_[s].begin(), y_[s].end(), [](double v) { return plottable(v); });
        QVector<QCPGraphData> ends;
        if (value != y_[s].end())
            ends = {QCPGraphData(shown.lower, *value), QCPGraphData(shown.upper, *value)};
        graph(s)->data()->set(ends, true);
    }
}

void XYPlot::setSeriesNames(const QStringList& names)
{
    names_ = names;
    for (int s = 0; s < canvas_->graphCount(); ++s)
        graph(s)->setName(names_.value(s));
    legendDirty_ = true;
    redraw();
}

void XYPlot::setLegendVisible(bool visible)
{
    legendVisible_ = visible;
    legendDirty_ = true;
    redraw();
}

// The legend names every series, in order, the hidden ones greyed, so that a
// click on an entry can show its series again; without one its column gives its room to the plot.
void XYPlot::refreshLegend()
{
    QCPLegend* legend = canvas_->legend;
    legend->clearItems();
    for (int s = 0; s < canvas_->graphCount() && legendVisible_; ++s)
        graph(s)->addToLegend(legend);
    colorLegendNames(inkFor(rgbOf(background_)));
    legend->setVisible(legend->itemCount() > 0);
    arrangeLegend(canvas_->size());
    legendDirty_ = false;
}

// The legend goes beside the plotting area, in as many columns as the height
// asks for, while it leaves the plot most of the width; otherwise below it, in
// as many columns as the width takes, unless beside leaves the larger plot.
// `size` is the whole chart's.
void XYPlot::arrangeLegend(QSize size)
{
    for (QCPLayoutGrid* place : {legendBeside_, legendBelow_}) {
        if (body_->elements(false).contains(place))
            body_->take(place);
        if (place->elements(false).contains(canvas_->legend))
            place->take(canvas_->legend);
    }
    body_->simplify();
    const int entries = canvas_->legend->itemCount();
    if (!canvas_->legend->visible() || entries == 0)
        return;

    QCPLayoutGrid* top = canvas_->plotLayout();
    const QMargins edge = top->margins();
    int textHeight = 0;
    for (QCPLayoutElement* element : top->elements(false)) {
        if (element != body_)
            textHeight += element->minimumOuterSizeHint().height() + top->rowSpacing();
    }
    const int height = size.height() - edge.top() - edge.bottom() - textHeight;
    const int width = size.width() - edge.left() - edge.right();

    int columns = 1;
    while (columns < entries && legendSize(rowsFor(entries, columns), QCPLayoutGrid::foRowsFirst).height() > height)
        ++columns;
    const int besideRows = rowsFor(entries, columns);
    const QSize beside = legendSize(besideRows, QCPLayoutGrid::foRowsFirst);
    columns = entries;
    while (columns > 1 && legendSize(columns, QCPLayoutGrid::foColumnsFirst).width() > width)
        --columns;
    const QSize below = legendSize(columns, QCPLayoutGrid::foColumnsFirst);

    // Beside while it takes little of the width; otherwise where it leaves the larger plot.
    const bool besideFits = beside.height() <= height;
    const double besidePlot = double(width - beside.width() - kLegendGap) * height;
    const double belowPlot = double(width) * (height - below.height() - kLegendGap / 2);
    if (besideFits && (beside.width() + kLegendGap <= kLegendShare * width || besidePlot >= belowPlot)) {
        legendSize(besideRows, QCPLayoutGrid::foRowsFirst);
        legendBeside_->addElement(0, 0, canvas_->legend);
        body_->addElement(0, 1, legendBeside_);
        body_->setColumnStretchFactor(1, kNoStretch);
    } else {
        legendBelow_->addElement(0, 1, canvas_->legend);
        body_->addElement(1, 0, legendBelow_);
        body_->setRowStretchFactor(1, kNoStretch);
    }
}

// The legend's size when it wraps after `wrap` entries, down the columns or along the rows.
QSize XYPlot::legendSize(int wrap, int fillOrder)
{
    QCPLegend* legend = canvas_->legend;
    legend->setWrap(wrap);
    legend->setFillOrder(QCPLayoutGrid::FillOrder(fillOrder), true);
    return legend->minimumOuterSizeHint();
}

void XYPlot::setSeriesVisible(int series, bool visible)
{
    if (series < 0 || series >= canvas_->graphCount())
        return;
    graph(series)->setVisible(visible);
    legendDirty_ = true;
    followValues();
    redraw();
}

bool XYPlot::seriesVisible(int series) const
{
    return series >= 0 && series < canvas_->graphCount() && graph(series)->visible();
}

void XYPlot::setSeriesStyle(int series, const SeriesStyle& style)
{
    QCPGraph* target = graph(series);
    if (!target)
        return;
    colors_[series] = style.color;
    const QColor drawn = drawnColor(series);
    QPen pen(drawn);
    pen.setStyle(style.line == Qt::NoPen ? Qt::SolidLine : style.line);
    target->setPen(pen);
    target->setLineStyle(style.line == Qt::NoPen ? QCPGraph::lsNone : QCPGraph::lsLine);
    target->setScatterStyle(style.marker == Marker::None ? QCPScatterStyle()
                                                         : QCPScatterStyle(shapeOf(style.marker), drawn, 7));
    redraw();
}

XYPlot::SeriesStyle XYPlot::seriesStyle(int series) const
{
    const QCPGraph* source = graph(series);
    if (!source)
        return {};
    SeriesStyle style;
    style.color = colors_[series];
    style.line = source->lineStyle() == QCPGraph::lsNone ? Qt::NoPen : source->pen().style();
    const QCPScatterStyle::ScatterShape shape = source->scatterStyle().shape();
    for (Marker marker : {Marker::Circle, Marker::Square, Marker::Diamond, Marker::Triangle, Marker::TriangleInverted,
                          Marker::Cross, Marker::Plus, Marker::Star, Marker::Disc}) {
        if (shapeOf(marker) == shape)
            style.marker = marker;
    }
    return style;
}

void XYPlot::setAxisTitles(const QString& x, const QString& y)
{
    canvas_->xAxis->setLabel(x);
    canvas_->yAxis->setLabel(y);
    redraw();
}

QString XYPlot::xAxisTitle() const { return canvas_->xAxis->label(); }
QString XYPlot::yAxisTitle() const { return canvas_->yAxis->label(); }

void XYPlot::setXValueLabels(const QList<std::pair<double, QString>>& labels)
{
    QSharedPointer<QCPAxisTicker> ticker;
    if (labels.isEmpty() && integerXTicks_) {
        auto* whole = new QCPAxisTickerFixed;
        whole->setTickStep(1.0);
        whole->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
        ticker.reset(whole);
    } else if (labels.isEmpty()) {
        ticker.reset(new QCPAxisTicker);
    } else {
        auto* texts = new QCPAxisTickerText;
        for (const auto& [position, text] : labels)
            texts->addTick(position, text);
        ticker.reset(texts);
    }
    canvas_->xAxis->setTicker(ticker);
    canvas_->xAxis2->setTicker(ticker);
    redraw();
}

void XYPlot::setIntegerXTicks(bool on)
{
    integerXTicks_ = on;
    if (xTickLabels().isEmpty())
        setXValueLabels({});
}

QStringList XYPlot::xTickLabels() const
{
    const auto texts = qSharedPointerDynamicCast<QCPAxisTickerText>(canvas_->xAxis->ticker());
    return texts ? QStringList(texts->ticks().values()) : QStringList();
}

void XYPlot::setHeaderLines(const QStringList& lines)
{
    header_ = lines;
    headerText_->setText(lines.join(QLatin1Char('\n')));
    arrangeTexts();
}

void XYPlot::setFooterLines(const QStringList& lines)
{
    footer_ = lines;
    footerText_->setText(lines.join(QLatin1Char('\n')));
    arrangeTexts();
}

// Header above, footer below the plotting area; an empty one takes no room.
void XYPlot::arrangeTexts()
{
    QCPLayoutGrid* top = canvas_->plotLayout();
    for (QCPTextElement* text : {headerText_, footerText_}) {
        if (top->elements(false).contains(text))
            top->take(text);
    }
    top->simplify();
    if (!header_.isEmpty()) {
        top->insertRow(0);
        top->addElement(0, 0, headerText_);
    }
    if (!footer_.isEmpty())
        top->addElement(top->rowCount(), 0, footerText_);
    for (int row = 0; row < top->rowCount(); ++row)
        top->setRowStretchFactor(row, top->element(row, 0) == body_ ? 1.0 : kNoStretch);
    legendDirty_ = true;  // the legend's room changed
    redraw();
}

void XYPlot::setXRange(double lower, double upper)
{
    canvas_->xAxis->setRange(lower, upper);
    redraw();
}

void XYPlot::setYRange(double lower, double upper)
{
    setAutoY(false);
    canvas_->yAxis->setRange(lower, upper);
    redraw();
}

XRange XYPlot::xRangeShown() const { return {canvas_->xAxis->range().lower, canvas_->xAxis->range().upper}; }
XRange XYPlot::yRangeShown() const { return {canvas_->yAxis->range().lower, canvas_->yAxis->range().upper}; }

void XYPlot::setYLog(bool on)
{
    const auto scale = on ? QCPAxis::stLogarithmic : QCPAxis::stLinear;
    QSharedPointer<QCPAxisTicker> ticker(on ? new QCPAxisTickerLog : new QCPAxisTicker);
    for (QCPAxis* axis : {canvas_->yAxis, canvas_->yAxis2}) {
        axis->setScaleType(scale);
        axis->setTicker(ticker);
    }
    followValues();
    redraw();
}

bool XYPlot::yLog() const { return canvas_->yAxis->scaleType() == QCPAxis::stLogarithmic; }

void XYPlot::setXGrid(bool on)
{
    canvas_->xAxis->grid()->setVisible(on);
    redraw();
}

void XYPlot::setYGrid(bool on)
{
    canvas_->yAxis->grid()->setVisible(on);
    redraw();
}

bool XYPlot::xGrid() const { return canvas_->xAxis->grid()->visible(); }
bool XYPlot::yGrid() const { return canvas_->yAxis->grid()->visible(); }

void XYPlot::setBackground(const QColor& color)
{
    RedrawSuspension once(*this);
    background_ = color;
    canvas_->setBackground(QBrush(color));
    canvas_->legend->setBrush(QBrush(color));
    annotations_->setBackground(color);
    applyInk();
    for (int s = 0; s < canvas_->graphCount(); ++s)
        setSeriesStyle(s, seriesStyle(s));
    redraw();
}

QColor XYPlot::drawnColor(int series) const
{
    return colorOf(seriesColorOn(rgbOf(colors_.at(series)), rgbOf(background_)));
}

// Texts, axes, ticks, grid, the legend's frame and the cursor's lines in the background's ink.
void XYPlot::applyInk()
{
    const ChartInk colors = inkFor(rgbOf(background_));
    const QColor ink = colorOf(colors.ink);
    for (QCPAxis* axis : canvas_->axisRect()->axes()) {
        axis->setBasePen(QPen(ink));
        axis->setTickPen(QPen(ink));
        axis->setSubTickPen(QPen(ink));
        axis->setLabelColor(ink);
        axis->setTickLabelColor(ink);
        axis->grid()->setPen(QPen(colorOf(colors.grid), 0, Qt::DotLine));
    }
    headerText_->setTextColor(ink);
    footerText_->setTextColor(ink);
    QCPLegend* legend = canvas_->legend;
    legend->setBorderPen(QPen(ink));
    legend->setTextColor(ink);
    colorLegendNames(colors);
    for (QCPItemLine* marker : {xMarker_, yMarker_})
        marker->setPen(QPen(colorOf(colors.cursor), 1, Qt::DashLine));
}

// Shown series are named in the ink, hidden ones half way to the background.
void XYPlot::colorLegendNames(const ChartInk& colors)
{
    for (int s = 0; s < canvas_->graphCount(); ++s)
        if (QCPAbstractLegendItem* item = canvas_->legend->itemWithPlottable(graph(s)))
            item->setTextColor(colorOf(graph(s)->visible() ? colors.ink : colors.cursor));
}

QPointF XYPlot::pixelOf(double x, double y) const
{
    return {canvas_->xAxis->coordToPixel(x), canvas_->yAxis->coordToPixel(y)};
}

XYPlot::Pick XYPlot::pick(QPoint position) const
{
    Pick result;
    const QRect area = canvas_->axisRect()->rect();
    result.inPlotArea = area.contains(position);
    if (!result.inPlotArea)
        return result;
    double best = std::numeric_limits<double>::infinity();
    QPointF bestPixel;
    for (int s = 0; s < seriesCount(); ++s) {
        if (!seriesVisible(s))
            continue;
        for (int i = 0; i < pointCount(); ++i) {
            if (!plottable(y_[s][i]))
                continue;
            const QPointF pixel = pixelOf(x_[i], y_[s][i]);
            const double dx = pixel.x() - position.x();
            const double dy = pixel.y() - position.y();
            if (dx * dx + dy * dy < best) {
                best = dx * dx + dy * dy;
                bestPixel = pixel;
                result.series = s;
                result.point = i;
            }
        }
    }
    result.pointInPlotArea = result.series >= 0 && QRectF(area).contains(bestPixel);
    return result;
}

void XYPlot::showMarkers(int series, int point)
{
    const double x = x_.at(point);
    const double y = y_.at(series).at(point);
    xMarker_->start->setCoords(x, 0.0);
    xMarker_->end->setCoords(x, 1.0);
    yMarker_->start->setCoords(0.0, y);
    yMarker_->end->setCoords(1.0, y);
    xMarker_->setVisible(true);
    yMarker_->setVisible(true);
    refreshOverlay();
}

void XYPlot::hideMarkers()
{
    xMarker_->setVisible(false);
    yMarker_->setVisible(false);
    refreshOverlay();
}

bool XYPlot::markersShown() const { return xMarker_->visible(); }

void XYPlot::showReadout(const QString& text, const QColor& background)
{
    readout_->setText(text);
    readout_->setBrush(QBrush(background));
    readout_->setVisible(true);
    refreshOverlay();
}

void XYPlot::hideReadout()
{
    readout_->setVisible(false);
    refreshOverlay();
}

QString XYPlot::readoutText() const { return readout_->visible() ? readout_->text() : QString(); }
QColor XYPlot::readoutBackground() const { return readout_->brush().color(); }
void XYPlot::setReadoutFont(const QFont& font) { readout_->setFont(font); }

// Only the overlay is drawn again while the cursor moves over a finished chart.
void XYPlot::refreshOverlay()
{
    if (suspended_ > 0)
        overlayPending_ = true;
    else
        overlay_->replot();
}

void XYPlot::resetView()
{
    showView({defaultXRange_ ? *defaultXRange_ : dataXRange(x_), {}, true});
    recordView();
}

void XYPlot::suspendRedraw() { ++suspended_; }

void XYPlot::resumeRedraw()
{
    if (--suspended_ > 0)
        return;
    if (redrawPending_) {
        redrawPending_ = overlayPending_ = false;
        redraw();
    } else if (overlayPending_) {
        overlayPending_ = false;
        overlay_->replot();
    }
}

void XYPlot::redraw()
{
    if (suspended_ > 0) {
        redrawPending_ = true;
        return;
    }
    if (legendDirty_)
        refreshLegend();
    ++redraws_;
    canvas_->replot(QCustomPlot::rpQueuedRefresh);
}

QString XYPlot::saveImage(const QString& path, ImageFormat format) { return ChartRenderer(*this).save(path, format); }

QList<XYPlot::Box> XYPlot::layoutBoxes() const
{
    QList<Box> boxes;
    const auto add = [&](const QString& name, QCPLayoutElement* element, int frame) {
        if (element->layout() && element->visible())
            boxes.append({name, element->outerRect().adjusted(0, 0, frame, frame), element->minimumOuterSizeHint()});
    };
    add(QStringLiteral("header"), headerText_, 0);
    add(QStringLiteral("footer"), footerText_, 0);
    add(QStringLiteral("legend"), canvas_->legend, canvas_->legend->borderPen().width());  // the frame's line lies just outside
    add(QStringLiteral("plot"), canvas_->axisRect(), 0);
    return boxes;
}

void XYPlot::saveAs()
{
    const Prompts::SaveChoice choice =
        prompts().saveFileNameAndFilter(this, QStringLiteral("Save Graph As..."), dataDirPath(), imageFilters());
    if (choice.fileName.isEmpty())
        return;
    const ImageFormat format = imageFormatForFilter(choice.filter);
    const QString failure = saveImage(withSuffix(choice.fileName, imageSuffix(format), Qt::CaseInsensitive), format);
    if (!failure.isEmpty())
        prompts().warning(this, QStringLiteral("Save As..."), failure);
}

void XYPlot::saveDataToFile()
{
    const QString chosen =
        prompts().saveFileName(this, QStringLiteral("Save Data to File..."), dataDirPath(), QStringLiteral("*.dat"));
    if (chosen.isEmpty())
        return;
    const QString path = withSuffix(chosen, QStringLiteral(".dat"), Qt::CaseInsensitive);
    const QString failure = writeDataTable(path, names_, x_, y_);
    if (!failure.isEmpty())
        prompts().warning(this, QStringLiteral("Save Data to File..."), QStringLiteral("%1: %2").arg(messageText(path), failure));
}

void XYPlot::print()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    QPrintDialog dialog(&printer, this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    if (!ChartRenderer(*this).print(printer))
        prompts().warning(this, QStringLiteral("Print"), QStringLiteral("Failed to print!"));
}

void XYPlot::reset()
{
    resetView();
}

void XYPlot::copy() { QGuiApplication::clipboard()->setImage(ChartRenderer(*this).image()); }

// ---- gestures

namespace {

Qt::KeyboardModifiers gestureModifiers(Qt::KeyboardModifiers modifiers)
{
    return modifiers & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
}

}  // namespace

bool XYPlot::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != canvas_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Resize:  // before the chart lays itself out at the new size
        arrangeLegend(static_cast<QResizeEvent*>(event)->size());
        return false;
    case QEvent::MouseButtonPress: return mousePressed(static_cast<QMouseEvent*>(event));
    case QEvent::MouseMove: return mouseMoved(static_cast<QMouseEvent*>(event));
    case QEvent::MouseButtonRelease: return mouseReleased(static_cast<QMouseEvent*>(event));
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        scaleAround(std::pow(kWheelZoomPerStep, wheel->angleDelta().y() / 120.0), wheel->position().toPoint());
        recordView(true);
        return true;
    }
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() != Qt::Key_R)
            return false;
        emit reset(QLatin1Char('r'));
        reset();
        return true;
    case QEvent::Leave:
        if (hoverReadout())
            emit mouseHover(QPoint(-1, -1));
        return false;
    case QEvent::ContextMenu: {
        // Not while a button gesture is under way (a right press with Shift or Ctrl).
        const auto* request = static_cast<QContextMenuEvent*>(event);
        if (!(QGuiApplication::mouseButtons() & Qt::LeftButton) && gestureModifiers(request->modifiers()) == Qt::NoModifier)
            menu_->popup(request->globalPos());
        return true;
    }
    default: return false;
    }
}

void XYPlot::startGesture(Gesture gesture, QPoint at)
{
    gesture_ = gesture;
    pressPosition_ = lastPosition_ = at;
    band_->hide();
}

bool XYPlot::mousePressed(QMouseEvent* event)
{
    const Qt::MouseButtons buttons = event->buttons();
    const Qt::KeyboardModifiers modifiers = gestureModifiers(event->modifiers());
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    const bool control = modifiers.testFlag(Qt::ControlModifier);
    const int legendSeries = legendSeriesAt(event->position().toPoint());
    if (buttons == Qt::LeftButton && modifiers == Qt::NoModifier && legendSeries >= 0) {
        startGesture(Gesture::None, event->position().toPoint());
        emit legendClicked(legendSeries);
        return true;
    }
    Gesture gesture = Gesture::None;
    if (buttons == (Qt::LeftButton | Qt::RightButton))
        gesture = shift ? Gesture::Translate : control ? Gesture::Scale : Gesture::None;
    else if (buttons == Qt::LeftButton)
        gesture = control ? Gesture::RectZoom : shift ? Gesture::AxisZoom
                                                      : modifiers == Qt::NoModifier ? Gesture::Readout : Gesture::None;
    startGesture(gesture, event->position().toPoint());
    return true;
}

bool XYPlot::mouseMoved(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    switch (gesture_) {
    case Gesture::None:
    case Gesture::Readout:
        if (event->buttons() == Qt::LeftButton && gestureModifiers(event->modifiers()) == Qt::NoModifier)
            emit mouseMove(at);
        else if (event->buttons() == Qt::NoButton && hoverReadout())
            emit mouseHover(at);
        break;
    case Gesture::RectZoom:
    case Gesture::AxisZoom: showBand(at); break;
    case Gesture::Translate: translate(lastPosition_, at); break;
    case Gesture::Scale: scaleAround(std::pow(kScalePerPixel, at.y() - lastPosition_.y()), pressPosition_); break;
    }
    lastPosition_ = at;
    return event->buttons() != Qt::NoButton;
}

bool XYPlot::mouseReleased(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if ((gesture_ == Gesture::RectZoom || gesture_ == Gesture::AxisZoom) && event->button() == Qt::LeftButton)
        zoomToBand(at);
    const bool click = (at - pressPosition_).manhattanLength() < kMinBand;
    if (gesture_ == Gesture::Readout && click && twoCursors())
        emit pointClicked(at);
    if (gesture_ != Gesture::None && gesture_ != Gesture::Readout)
        recordView();
    startGesture(Gesture::None, at);
    return true;
}

// For an axis zoom the band spans the plotting area across the drag's main direction.
void XYPlot::showBand(QPoint to)
{
    QRect band = QRect(pressPosition_, to).normalized();
    const QRect area = canvas_->axisRect()->rect();
    if (gesture_ == Gesture::AxisZoom) {
        const QPoint drag = to - pressPosition_;
        if (std::abs(drag.x()) >= std::abs(drag.y()))
            band = QRect(band.left(), area.top(), band.width(), area.height());
        else
            band = QRect(area.left(), band.top(), area.width(), band.height());
    }
    band_->setGeometry(band);
    band_->show();
}

void XYPlot::zoomToBand(QPoint to)
{
    const QRect band = QRect(pressPosition_, to).normalized();
    const QPoint drag = to - pressPosition_;
    const bool alongX = std::abs(drag.x()) >= std::abs(drag.y());
    const bool zoomX = gesture_ == Gesture::RectZoom || alongX;
    const bool zoomY = gesture_ == Gesture::RectZoom || !alongX;
    QCPAxis* xAxis = canvas_->xAxis;
    QCPAxis* yAxis = canvas_->yAxis;
    if (zoomY && std::abs(drag.y()) >= kMinBand)
        setAutoY(false);
    if (zoomX && std::abs(drag.x()) >= kMinBand)
        xAxis->setRange(xAxis->pixelToCoord(band.left()), xAxis->pixelToCoord(band.right()));
    if (zoomY && std::abs(drag.y()) >= kMinBand)
        yAxis->setRange(yAxis->pixelToCoord(band.bottom()), yAxis->pixelToCoord(band.top()));
    redraw();
}

// The chart follows the cursor; along X alone while the values follow the X
// range, until the cursor has moved up or down by more than a slip.
void XYPlot::translate(QPoint from, QPoint to)
{
    if (autoY() && std::abs(to.y() - pressPosition_.y()) >= kMinBand)
        setAutoY(false);
    for (QCPAxis* axis : {canvas_->xAxis, canvas_->yAxis}) {
        if (axis == canvas_->yAxis && autoY())
            continue;
        const bool horizontal = axis->orientation() == Qt::Horizontal;
        const double start = axis->pixelToCoord(horizontal ? from.x() : from.y());
        const double end = axis->pixelToCoord(horizontal ? to.x() : to.y());
        if (axis->scaleType() == QCPAxis::stLinear)
            axis->moveRange(start - end);
        else if (start > 0.0 && end > 0.0)
            axis->setRange(axis->range().lower * start / end, axis->range().upper * start / end);
    }
    redraw();
}

// While the values follow the X range, only X is scaled.
void XYPlot::scaleAround(double factor, QPoint center)
{
    canvas_->xAxis->scaleRange(factor, canvas_->xAxis->pixelToCoord(center.x()));
    if (!autoY())
        canvas_->yAxis->scaleRange(factor, canvas_->yAxis->pixelToCoord(center.y()));
    redraw();
}
