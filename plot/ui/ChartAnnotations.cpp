#include "plot/ui/ChartAnnotations.h"

#include "plot/ChartContrast.h"

#include <QFontMetricsF>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <optional>
#include <qcustomplot.h>

namespace {

// The series' own colour where it stands out from the background, else its readable variant.
QColor readableOn(const QColor& color, const QColor& background)
{
    const Rgb drawn = seriesColorOn({color.red(), color.green(), color.blue()},
                                    {background.red(), background.green(), background.blue()});
    return QColor(drawn.red, drawn.green, drawn.blue);
}

const QString kLayer = QStringLiteral("annotations");
constexpr double kLabelGap = 6;   // pixels between a mark and its label
constexpr double kMarkRadius = 4;
constexpr int kFrequencyRows = 4;  // rows of frequency labels below the top of the plotting area
constexpr double kStripPadding = 2;  // above the first row of frequency labels

// Where a label may go, in order of preference: its top left corner relative
// to its anchor pixel (a frequency's: the top of its row area).
QList<QPointF> placementsOf(Annotation::Kind kind, QSizeF size, int rows)
{
    if (kind == Annotation::Kind::Point) {
        return {{-size.width() / 2, -kLabelGap - size.height()},
                {kLabelGap, -size.height() / 2},
                {-kLabelGap - size.width(), -size.height() / 2},
                {-size.width() / 2, kLabelGap}};
    }
    QList<QPointF> places;
    for (int row = 0; row < rows; ++row)
        places.append({3, kStripPadding + row * size.height()});
    return places;
}

QSizeF labelSize(const QFontMetricsF& metrics, const QString& label)
{
    return metrics.boundingRect(QRectF(), Qt::AlignCenter, label).size() + QSizeF(2, 2);
}

// Of a one-line label.
double labelHeight(const QFont& font) { return labelSize(QFontMetricsF(font), QStringLiteral("X")).height(); }

QPixmap transparentPixmap(QSizeF size, qreal ratio)
{
    QPixmap pixmap((size * ratio).toSize());
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

}  // namespace

// Draws every mark itself: a full replot costs one pass over the marks, and
// on screen each label and circle is a pixmap made once. Printers and vector
// files get them as text and curves.
class AnnotationLayerable : public QCPLayerable {
public:
    struct Mark {
        Annotation annotation;
        QSizeF size;
        QPixmap pixmap;  // the label
        QPixmap circle;  // points only
        bool labelShown = false;
        QRectF labelRect;
    };

    explicit AnnotationLayerable(QCustomPlot* canvas) : QCPLayerable(canvas, kLayer) {}

    QList<Mark> marks;
    int frequencyRows = kFrequencyRows;
    double stripHeight = 0;  // above the plotting area, for the frequency labels' rows

protected:
    // The circles come antialiased in their pixmaps; the lines are vertical.
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override
    {
        applyAntialiasingHint(painter, painter->modes().testFlag(QCPPainter::pmVectorized), QCP::aeItems);
    }

    QRect clipRect() const override { return mParentPlot->axisRect()->rect().adjusted(0, -int(stripHeight), 0, 0); }

    void draw(QCPPainter* painter) override
    {
        const QRectF area = mParentPlot->axisRect()->rect();
        const QRectF strip(area.left(), area.top() - stripHeight, area.width(), stripHeight);
        const QRectF frequencyLabels = stripHeight > 0 ? strip : area;
        QList<QRectF> taken;
        for (Mark& mark : marks) {
            const Annotation& a = mark.annotation;
            const bool point = a.kind == Annotation::Kind::Point;
            const double x = mParentPlot->xAxis->coordToPixel(a.x);
            const QPointF anchor(x, point ? mParentPlot->yAxis->coordToPixel(a.y) : frequencyLabels.top());
            mark.labelShown = false;
            if (x < area.left() || x > area.right())
                continue;
            drawMark(painter, mark, anchor, area.united(frequencyLabels));
            if (a.label.isEmpty())
                continue;
            // Clear of the axes' lines and of the ticks they draw inwards.
            const double margin = std::max(mParentPlot->xAxis->tickLengthIn(), mParentPlot->yAxis->tickLengthIn()) + 1;
            const QRectF labelArea = point ? area.adjusted(margin, margin, -margin, -margin)
                                           : frequencyLabels.adjusted(margin, 0, -margin, 0);
            const QRectF ownMark = point ? QRectF(anchor - QPointF(kMarkRadius, kMarkRadius), QSizeF(2, 2) * kMarkRadius)
                                         : QRectF();
            if (const std::optional<QRectF> rect =
                    freePlace(a.kind, anchor, mark.size, labelArea, taken, ownMark, frequencyRows)) {
                drawLabel(painter, mark, *rect);
                taken << *rect;
                mark.labelShown = true;
                mark.labelRect = *rect;
            }
        }
    }

private:
    // The first place beside the anchor inside the area that covers no label
    // taken; then the same places pushed into the area (a peak at its edge),
    // first those that leave the label's own mark uncovered.
    static std::optional<QRectF> freePlace(Annotation::Kind kind, QPointF anchor, QSizeF size, const QRectF& area,
                                           const QList<QRectF>& taken, const QRectF& ownMark, int frequencyRows)
    {
        const auto free = [&](const QRectF& rect) {
            return std::none_of(taken.begin(), taken.end(), [&](const QRectF& t) { return t.intersects(rect); });
        };
        enum class Pass { AsPlaced, PushedBesideMark, Pushed };
        for (Pass pass : {Pass::AsPlaced, Pass::PushedBesideMark, Pass::Pushed}) {
            for (const QPointF& corner : placementsOf(kind, size, frequencyRows)) {
                QRectF rect(anchor + corner, size);
                if (pass != Pass::AsPlaced && rect.width() <= area.width() && rect.height() <= area.height()) {
                    rect.moveLeft(std::clamp(rect.left(), area.left(), area.right() - rect.width()));
                    rect.moveTop(std::clamp(rect.top(), area.top(), area.bottom() - rect.height()));
                }
                if (area.contains(rect) && free(rect) && (pass == Pass::Pushed || !rect.intersects(ownMark)))
                    return rect;
            }
        }
        return std::nullopt;
    }

    // A frequency's line runs from the top of its labels' rows to the bottom of the plotting area.
    static void drawMark(QCPPainter* painter, const Mark& mark, QPointF anchor, const QRectF& area)
    {
        if (mark.annotation.kind == Annotation::Kind::Point && !painter->modes().testFlag(QCPPainter::pmVectorized)) {
            const double half = mark.circle.width() / mark.circle.devicePixelRatio() / 2;
            painter->drawPixmap(anchor - QPointF(half, half), mark.circle);
        } else if (mark.annotation.kind == Annotation::Kind::Point) {
            painter->setPen(QPen(mark.annotation.color, 1.5));
            painter->setBrush(Qt::NoBrush);
            painter->drawEllipse(anchor, kMarkRadius, kMarkRadius);
        } else {
            painter->setPen(QPen(mark.annotation.color, 1, Qt::DashLine));
            painter->drawLine(QPointF(anchor.x(), area.top()), QPointF(anchor.x(), area.bottom()));
        }
    }

    void drawLabel(QCPPainter* painter, const Mark& mark, const QRectF& rect) const
    {
        if (painter->modes().testFlag(QCPPainter::pmVectorized)) {
            painter->setFont(mParentPlot->font());
            painter->setPen(mark.annotation.color);
            painter->drawText(rect, Qt::AlignCenter, mark.annotation.label);
        } else {
            painter->drawPixmap(rect.topLeft(), mark.pixmap);
        }
    }
};

ChartAnnotations::ChartAnnotations(QCustomPlot* canvas) : QObject(canvas), canvas_(canvas)
{
    canvas_->addLayer(kLayer, canvas_->layer(QStringLiteral("main")), QCustomPlot::limAbove);
    layerable_ = new AnnotationLayerable(canvas_);  // the chart owns it
}

void ChartAnnotations::set(const QList<Annotation>& annotations)
{
    annotations_ = annotations;
    rebuild();
}

void ChartAnnotations::setBackground(const QColor& background)
{
    background_ = background;
    rebuild();
}

void ChartAnnotations::rebuild()
{
    const QFont font = canvas_->font();
    const QFontMetricsF metrics(font);
    const qreal ratio = canvas_->devicePixelRatioF();
    layerable_->marks.clear();
    for (Annotation annotation : annotations_) {
        annotation.color = readableOn(annotation.color, background_);
        AnnotationLayerable::Mark mark{annotation, {}, {}, {}, false};
        mark.size = labelSize(metrics, annotation.label);
        mark.pixmap = transparentPixmap(mark.size, ratio);
        QPainter painter(&mark.pixmap);
        painter.setFont(font);
        painter.setPen(annotation.color);
        painter.drawText(QRectF(QPointF(), mark.size), Qt::AlignCenter, annotation.label);
        painter.end();
        if (annotation.kind == Annotation::Kind::Point) {
            const double side = 2 * kMarkRadius + 3;
            mark.circle = transparentPixmap(QSizeF(side, side), ratio);
            QPainter circle(&mark.circle);
            circle.setRenderHint(QPainter::Antialiasing);
            circle.setPen(QPen(annotation.color, 1.5));
            circle.drawEllipse(QPointF(side / 2, side / 2), kMarkRadius, kMarkRadius);
        }
        layerable_->marks.append(std::move(mark));
    }
}

void ChartAnnotations::setLabelStrip(int rows)
{
    stripRows_ = rows;
    layerable_->frequencyRows = rows > 0 ? rows : kFrequencyRows;
    layerable_->stripHeight = labelStripHeight();
}

int ChartAnnotations::labelStripHeight() const
{
    return stripRows_ > 0 ? int(std::ceil(stripRows_ * labelHeight(canvas_->font()) + kStripPadding)) : 0;
}

QList<QRectF> ChartAnnotations::labelRectsShown() const
{
    QList<QRectF> shown;
    for (const AnnotationLayerable::Mark& mark : layerable_->marks) {
        if (mark.labelShown)
            shown << mark.labelRect;
    }
    return shown;
}

QStringList ChartAnnotations::labelsShown() const
{
    QStringList shown;
    for (const AnnotationLayerable::Mark& mark : layerable_->marks) {
        if (mark.labelShown)
            shown << mark.annotation.label;
    }
    return shown;
}
