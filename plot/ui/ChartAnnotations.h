#pragma once
// Marks drawn on a chart's plotting area on a layer of their own: points
// (spectrum peaks) as circles with a label beside them, and frequencies
// (shaft orders) as dashed vertical lines labelled at the top. At every
// replot the labels are placed where they fit inside the plotting area
// without covering a label placed before them; one that finds no room is
// left out (its mark stays).

#include <QColor>
#include <QList>
#include <QObject>
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
    // The labels drawn at the last replot.
    QStringList labelsShown() const;
    // Marks and labels take the variant of their colour that reads on it.
    void setBackground(const QColor& background);

private:
    QCustomPlot* canvas_;
    void rebuild();

    QList<Annotation> annotations_;  // in the colours given
    QColor background_ = Qt::white;
    AnnotationLayerable* layerable_;  // owned by the chart
};
