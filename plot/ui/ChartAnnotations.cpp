#include "plot/ui/ChartAnnotations.h"

#include <QFontMetrics>
#include <algorithm>
#include <qcustomplot.h>

namespace {

const QString kLayer = QStringLiteral("annotations");
constexpr int kLabelGap = 6;  // pixels between a mark and its label

// Where a label may go, in order of preference, relative to its anchor pixel.
struct Placement {
    Qt::Alignment alignment;
    QPointF offset;
};

QList<Placement> placementsOf(Annotation::Kind kind, double lineHeight)
{
    if (kind == Annotation::Kind::Point) {
        return {{Qt::AlignHCenter | Qt::AlignBottom, {0, -kLabelGap}},
                {Qt::AlignLeft | Qt::AlignVCenter, {kLabelGap, 0}},
                {Qt::AlignRight | Qt::AlignVCenter, {-kLabelGap, 0}},
                {Qt::AlignHCenter | Qt::AlignTop, {0, kLabelGap}}};
    }
    QList<Placement> rows;
    for (int row = 0; row < 4; ++row)
        rows.append({Qt::AlignLeft | Qt::AlignTop, {3, 2 + row * lineHeight}});
    return rows;
}

QRectF alignedRect(QPointF anchor, QSizeF size, Qt::Alignment alignment)
{
    QPointF topLeft = anchor;
    if (alignment & Qt::AlignHCenter)
        topLeft.rx() -= size.width() / 2;
    else if (alignment & Qt::AlignRight)
        topLeft.rx() -= size.width();
    if (alignment & Qt::AlignVCenter)
        topLeft.ry() -= size.height() / 2;
    else if (alignment & Qt::AlignBottom)
        topLeft.ry() -= size.height();
    return QRectF(topLeft, size);
}

}  // namespace

ChartAnnotations::ChartAnnotations(QCustomPlot* canvas) : QObject(canvas), canvas_(canvas)
{
    canvas_->addLayer(kLayer, canvas_->layer(QStringLiteral("main")), QCustomPlot::limAbove);
    connect(canvas_, &QCustomPlot::beforeReplot, this, &ChartAnnotations::placeLabels);
}

void ChartAnnotations::clearItems()
{
    for (QCPAbstractItem* item : items_)
        canvas_->removeItem(item);
    items_.clear();
    labels_.clear();
}

void ChartAnnotations::set(const QList<Annotation>& annotations)
{
    clearItems();
    annotations_ = annotations;
    QCPLayer* layer = canvas_->layer(kLayer);
    for (const Annotation& annotation : annotations_) {
        if (annotation.kind == Annotation::Kind::Point) {
            auto* mark = new QCPItemTracer(canvas_);
            mark->setStyle(QCPItemTracer::tsCircle);
            mark->setSize(8);
            mark->setPen(QPen(annotation.color, 1.5));
            mark->position->setCoords(annotation.x, annotation.y);
            items_ << mark;
        } else {
            auto* line = new QCPItemLine(canvas_);
            line->start->setTypeY(QCPItemPosition::ptAxisRectRatio);
            line->end->setTypeY(QCPItemPosition::ptAxisRectRatio);
            line->start->setCoords(annotation.x, 0.0);
            line->end->setCoords(annotation.x, 1.0);
            line->setPen(QPen(annotation.color, 1, Qt::DashLine));
            items_ << line;
        }
        auto* label = new QCPItemText(canvas_);
        label->setText(annotation.label);
        label->setColor(annotation.color);
        label->position->setType(QCPItemPosition::ptAbsolute);
        items_ << label;
        labels_ << label;
    }
    for (QCPAbstractItem* item : items_)
        item->setLayer(layer);
}

// Anchors are computed from the axes as they are now, so labels follow every zoom.
void ChartAnnotations::placeLabels()
{
    const QRectF area = canvas_->axisRect()->rect();
    QList<QRectF> taken;
    for (int i = 0; i < labels_.size(); ++i) {
        const Annotation& annotation = annotations_[i];
        QCPItemText* label = labels_[i];
        const QFontMetricsF metrics(label->font());
        const QSizeF size = metrics.boundingRect(QRectF(), Qt::AlignCenter, label->text()).size()
                            + QSizeF(label->padding().left() + label->padding().right(),
                                     label->padding().top() + label->padding().bottom());
        const double x = canvas_->xAxis->coordToPixel(annotation.x);
        const QPointF anchor = annotation.kind == Annotation::Kind::Point
                                   ? QPointF(x, canvas_->yAxis->coordToPixel(annotation.y))
                                   : QPointF(x, area.top());
        label->setVisible(false);
        if (!area.contains(anchor))
            continue;
        for (const Placement& placement : placementsOf(annotation.kind, size.height())) {
            const QRectF rect = alignedRect(anchor + placement.offset, size, placement.alignment);
            const bool free = std::none_of(taken.begin(), taken.end(), [&](const QRectF& t) { return t.intersects(rect); });
            if (area.contains(rect) && free) {
                label->setPositionAlignment(placement.alignment);
                label->position->setCoords(anchor + placement.offset);
                label->setVisible(true);
                taken << rect;
                break;
            }
        }
    }
}

QStringList ChartAnnotations::labelsShown() const
{
    QStringList shown;
    for (const QCPItemText* label : labels_) {
        if (label->visible())
            shown << label->text();
    }
    return shown;
}
