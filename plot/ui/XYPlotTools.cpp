// The chart's view and cursor tools: Fit All, Auto Y, the view history, the
// hover readout, two cursors and the marks of points and frequencies.

#include "plot/AutoscaleRange.h"
#include "plot/ui/XYPlot.h"

#include <QAction>
#include <QMenu>
#include <qcustomplot.h>

namespace {

const QColor kCursorColor(90, 90, 90);
const QColor kDeltaBackground(255, 255, 225);

}  // namespace

QAction* XYPlot::addMenuAction(const QString& text, const QKeySequence& key, bool checkable)
{
    auto* action = new QAction(text, this);
    action->setShortcut(key);
    action->setCheckable(checkable);
    addAction(action);  // the key works wherever the chart's window has the focus
    menu_->addAction(action);
    return action;
}

void XYPlot::buildTools()
{
    annotations_ = new ChartAnnotations(canvas_);
    menu_->addSeparator();
    fitAllAction_ = addMenuAction(QStringLiteral("Fit &All"), QKeySequence(Qt::Key_A), false);
    autoYAction_ = addMenuAction(QStringLiteral("Auto &Y"), QKeySequence(), true);
    autoYAction_->setChecked(true);
    backAction_ = addMenuAction(QStringLiteral("&Back"), QKeySequence(Qt::Key_Backspace), false);
    forwardAction_ = addMenuAction(QStringLiteral("For&ward"), QKeySequence(Qt::SHIFT | Qt::Key_Backspace), false);
    menu_->addSeparator();
    hoverAction_ = addMenuAction(QStringLiteral("&Hover Readout"), QKeySequence(), true);
    twoCursorsAction_ = addMenuAction(QStringLiteral("&Two Cursors"), QKeySequence(), true);
    connect(fitAllAction_, &QAction::triggered, this, &XYPlot::fitAll);
    connect(autoYAction_, &QAction::toggled, this, [this](bool on) {
        if (on)
            followValues();
        recordView();
        redraw();
    });
    connect(backAction_, &QAction::triggered, this, &XYPlot::back);
    connect(forwardAction_, &QAction::triggered, this, &XYPlot::forward);
    connect(hoverAction_, &QAction::toggled, canvas_, &QWidget::setMouseTracking);
    connect(twoCursorsAction_, &QAction::toggled, this, [this](bool on) {
        if (!on)
            hideCursors();
    });
    connect(canvas_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this, [this] {
        placeAxisSpans();
        followValues();
        emit viewChanged();
    });

    delta_ = makeOverlayText(Qt::AlignLeft | Qt::AlignBottom);
    delta_->setBrush(QBrush(kDeltaBackground));
    for (int cursor = 0; cursor < 2; ++cursor) {
        auto* line = new QCPItemLine(canvas_);
        line->setLayer(overlay_);
        line->start->setTypeY(QCPItemPosition::ptAxisRectRatio);
        line->end->setTypeY(QCPItemPosition::ptAxisRectRatio);
        line->setPen(QPen(kCursorColor, 1, Qt::DashDotLine));
        line->setVisible(false);
        cursors_[cursor] = line;
        auto* label = new QCPItemText(canvas_);
        label->setLayer(overlay_);
        label->setText(QString::number(cursor + 1));
        label->setColor(kCursorColor);
        label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setVisible(false);
        cursorLabels_[cursor] = label;
    }
}

QCPItemText* XYPlot::makeOverlayText(Qt::Alignment corner)
{
    auto* text = new QCPItemText(canvas_);
    text->setLayer(overlay_);
    text->position->setType(QCPItemPosition::ptAxisRectRatio);
    text->position->setCoords(corner & Qt::AlignLeft ? 0.01 : 0.99, corner & Qt::AlignTop ? 0.02 : 0.98);
    text->setPositionAlignment(corner);
    text->setPadding(QMargins(5, 3, 5, 3));
    text->setPen(QPen(Qt::black));
    text->setColor(Qt::black);
    text->setFont(readout_->font());
    text->setVisible(false);
    return text;
}

QList<QAction*> XYPlot::viewActions() const { return {fitAllAction_, autoYAction_, backAction_, forwardAction_}; }

void XYPlot::addContextActions(const QList<QAction*>& actions)
{
    menu_->addSeparator();
    menu_->addActions(actions);
}

// ---- views

std::vector<bool> XYPlot::shownSeries() const
{
    std::vector<bool> shown(y_.size());
    for (int s = 0; s < seriesCount(); ++s)
        shown[s] = seriesVisible(s);
    return shown;
}

void XYPlot::followValues()
{
    if (!autoY() || settingView_)
        return;
    const XRange span = valueSpan(x_, y_, shownSeries(), xRangeShown(), yLog());
    canvas_->yAxis->setRange(span.lower, span.upper);
}

bool XYPlot::autoY() const { return autoYAction_->isChecked(); }

// Quietly: the caller records and draws the view it makes.
void XYPlot::setAutoY(bool on)
{
    const QSignalBlocker quiet(autoYAction_);
    autoYAction_->setChecked(on);
    followValues();
}

ChartView XYPlot::currentView() const { return {xRangeShown(), yRangeShown(), autoY()}; }

void XYPlot::showView(const ChartView& view)
{
    {
        const QSignalBlocker quiet(autoYAction_);
        autoYAction_->setChecked(view.autoY);
    }
    settingView_ = true;
    canvas_->xAxis->setRange(view.x.lower, view.x.upper);
    settingView_ = false;
    if (view.autoY)
        followValues();
    else
        canvas_->yAxis->setRange(view.y.lower, view.y.upper);
    emit viewChanged();
    redraw();
}

// The steps of one wheel turn make one view.
void XYPlot::recordView(bool wheelStep)
{
    if (wheelStep && lastRecordWasWheel_)
        history_.replaceCurrent(currentView());
    else
        history_.record(currentView());
    lastRecordWasWheel_ = wheelStep;
}

void XYPlot::fitAll()
{
    showView({dataXRange(x_), {}, true});
    recordView();
}

bool XYPlot::back()
{
    lastRecordWasWheel_ = false;
    const std::optional<ChartView> view = history_.back();
    if (view)
        showView(*view);
    return view.has_value();
}

bool XYPlot::forward()
{
    lastRecordWasWheel_ = false;
    const std::optional<ChartView> view = history_.forward();
    if (view)
        showView(*view);
    return view.has_value();
}

// ---- cursors

bool XYPlot::hoverReadout() const { return hoverAction_->isChecked(); }
void XYPlot::setHoverReadout(bool on) { hoverAction_->setChecked(on); }
bool XYPlot::twoCursors() const { return twoCursorsAction_->isChecked(); }
void XYPlot::setTwoCursors(bool on) { twoCursorsAction_->setChecked(on); }

void XYPlot::showCursor(int cursor, int series, int point)
{
    const double x = x_.at(point);
    cursors_[cursor]->start->setCoords(x, 0.0);
    cursors_[cursor]->end->setCoords(x, 1.0);
    cursors_[cursor]->setVisible(true);
    cursorLabels_[cursor]->position->setCoords(x, y_.at(series).at(point));
    cursorLabels_[cursor]->setVisible(true);
    refreshOverlay();
}

void XYPlot::hideCursors()
{
    for (int cursor = 0; cursor < 2; ++cursor) {
        cursors_[cursor]->setVisible(false);
        cursorLabels_[cursor]->setVisible(false);
    }
    delta_->setVisible(false);
    refreshOverlay();
}

bool XYPlot::cursorShown(int cursor) const { return cursors_[cursor]->visible(); }

void XYPlot::showDelta(const QString& text)
{
    delta_->setFont(readout_->font());
    delta_->setText(text);
    delta_->setVisible(true);
    refreshOverlay();
}

QString XYPlot::deltaText() const { return delta_->visible() ? delta_->text() : QString(); }

// ---- marks and legend

void XYPlot::setAnnotations(const QList<Annotation>& annotations)
{
    annotations_->set(annotations);
    redraw();
}

const QList<Annotation>& XYPlot::annotations() const { return annotations_->annotations(); }
QStringList XYPlot::annotationLabelsShown() const { return annotations_->labelsShown(); }
QList<QRectF> XYPlot::annotationLabelRectsShown() const { return annotations_->labelRectsShown(); }

void XYPlot::setAnnotationLabelStrip(int rows)
{
    annotations_->setLabelStrip(rows);
    canvas_->axisRect()->setMinimumMargins(QMargins(0, annotations_->labelStripHeight(), 0, 0));
    redraw();
}

int XYPlot::legendSeriesAt(QPoint position) const
{
    const QCPLegend* legend = canvas_->legend;
    if (!legend->visible())
        return -1;
    for (int s = 0; s < canvas_->graphCount(); ++s) {
        const QCPPlottableLegendItem* item = legend->itemWithPlottable(graph(s));
        if (item && item->outerRect().contains(position))
            return s;
    }
    return -1;
}
