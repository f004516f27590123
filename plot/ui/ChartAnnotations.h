#pragma once
// Marks drawn on a chart's plotting area on a layer of their own: points
// (spectrum peaks) as circles with a label beside them, and frequencies
// (shaft orders, alarm changes) as dashed vertical lines labelled at the top.
// At every replot the labels are placed where they fit inside the plotting
// area (or, for frequencies, in a strip of rows above it when the chart keeps
// one free) without covering a label placed before them; one that finds no
// room is left out (its mark stays).

#include <QColor>
#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QStringList>

class AnnotationLayerable;
class QCustomPlot;

struct Annotation {
    enum class Kind { Point, Frequency };
    Kind kind = Kind::Point;
    double x = 0.0;
    double y = 0.0;  // points only
    QString label;
    QColor color;
};

class ChartAnnotations : public QObject {
    Q_OBJECT
public:
    explicit ChartAnnotations(QCustomPlot* canvas);

    // In order of importance: an earlier label keeps its place.
    void set(const QList<Annotation>& annotations);
    const QList<Annotation>& annotations() const { return annotations_; }
    // The labels drawn at the last replot, and where.
    QStringList labelsShown() const;
    QList<QRectF> labelRectsShown() const;
    // Frequency labels in this many rows above the plotting area, where no
    // value is drawn; 0: in rows below its top edge, over the values.
    void setLabelStrip(int rows);
    // The strip's height in pixels.
    int labelStripHeight() const;
    // Marks and labels take the variant of their colour that reads on it.
    void setBackground(const QColor& background);

private:
    QCustomPlot* canvas_;
    void rebuild();

    QList<Annotation> annotations_;  // in the colours given
    QColor background_ = Qt::white;
    int stripRows_ = 0;
    AnnotationLayerable* layerable_;  // owned by the chart
};
