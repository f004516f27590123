#include "SimulatorLog.h"

#include <QFile>
#include <QTest>

SimulatorLog::SimulatorLog(const QString& dir)
    : path_(QStringLiteral("%1/sim-%2-%3.log")
                .arg(dir, QString::fromLatin1(QTest::currentTestFunction()),
                     QString::fromLatin1(QTest::currentDataTag())))
{
    QFile::remove(path_);
}

QStringList SimulatorLog::quickOptions(const QStringList& more) const
{
    return QStringList{"--erase-delay-ms", "0", "--reprog-delay-ms", "0", "--log", path_} + more;
}

QList<QStringList> SimulatorLog::requests() const
{
    QFile log(path_);
    log.open(QIODevice::ReadOnly);
    QList<QStringList> requests;
    for (const QByteArray& line : log.readAll().split('\n'))
        if (!line.isEmpty())
            requests << QString::fromLatin1(line).split(QLatin1Char(' ')).mid(1);
    return requests;
}
