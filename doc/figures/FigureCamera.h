#pragma once
// Grabs windows into the figures' folder as PNG files and keeps the list of
// what could not be made.

#include <QStringList>

class QWidget;

class FigureCamera {
public:
    explicit FigureCamera(const QString& folder) : folder_(folder) {}

    // Lays the widget out as shown, grabs it and writes <folder>/<name>.png.
    void take(QWidget& widget, const QString& name);
    void fail(const QString& name, const QString& reason) { failures_ << name + QStringLiteral(": ") + reason; }

    const QStringList& taken() const { return taken_; }
    const QStringList& failures() const { return failures_; }

private:
    QString folder_;
    QStringList taken_;
    QStringList failures_;
};
