#pragma once
// What a simulator started with --log tells about the requests it received:
// one line each, "<time> <code> <name> <payload size> <payload CRC>".

#include <QList>
#include <QString>
#include <QStringList>

class SimulatorLog {
public:
    SimulatorLog() = default;
    // A fresh log in dir for the running test function and data row.
    explicit SimulatorLog(const QString& dir);

    // The options of a simulator without erase or reprogramming delays that logs here.
    QStringList quickOptions(const QStringList& more = {}) const;
    // Code, name, payload size and CRC of every request logged, in order.
    QList<QStringList> requests() const;

private:
    QString path_;
};
