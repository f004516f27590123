#pragma once
// Passes on the latest of a stream of values at most once per interval, and
// the last one always: a view fed by a fast worker repaints a few dozen times
// a second instead of once per value, and still ends on the final figure.

#include <QObject>
#include <QTimer>

class LatestValueRelay : public QObject {
    Q_OBJECT
public:
    static constexpr int kIntervalMs = 33;  // about 30 a second

    explicit LatestValueRelay(QObject* parent = nullptr);

    // Passed on at once when nothing was passed on within the interval, else when it ends.
    void post(int value);
    // Passes on a value still held back now, so that what follows is shown in order.
    void flush();

signals:
    void passedOn(int value);

private:
    QTimer interval_;
    int held_ = 0;
    bool holding_ = false;
};
