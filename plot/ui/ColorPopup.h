#pragma once

#include <QColor>
#include <QFrame>
#include <QList>
#include <utility>

class QAbstractButton;
class QGridLayout;

// A popup grid of colour cells: the seventeen standard colours, the custom
// colours taken so far in this run, and a small button that opens the
// platform's colour dialog. Clicking a cell closes the popup and emits the
// colour; closing it any other way emits nothing.
class ColorPopup : public QFrame {
    Q_OBJECT
public:
    static const QList<std::pair<QString, QColor>>& standardColors();

    explicit ColorPopup(QWidget* parent);

    void popup(QPoint globalPosition);
    // The first cell with that name ("Dark blue", "Custom"), nullptr if none.
    QAbstractButton* cell(const QString& name) const;
    QAbstractButton* customColorButton() const { return more_; }

signals:
    void colorChosen(const QColor& color);

private:
    void addCell(const QString& name, const QColor& color);
    void chooseCustomColor();

    QGridLayout* grid_;
    QAbstractButton* more_;
    int cells_ = 0;
};
