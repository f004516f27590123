#include "SimulatorProcess.h"

#include <QDeadlineTimer>
#include <QRegularExpression>

SimulatorProcess::SimulatorProcess(const QStringList& options)
{
    process_.start(QStringLiteral(MIRVAK_SIM_PATH),
                   QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1"),
                               QStringLiteral("--port"), QStringLiteral("0")}
                       + options);
    if (!process_.waitForStarted(5000))
        return;
    const QRegularExpression listening(QStringLiteral("Listening on port (\\d+)\\."));
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        process_.waitForReadyRead(100);
        stderr_ += process_.readAllStandardError();
        const auto match = listening.match(QString::fromLatin1(stderr_));
        if (match.hasMatch()) {
            port_ = quint16(match.captured(1).toUInt());
            return;
        }
    }
}

SimulatorProcess::~SimulatorProcess() { kill(); }

QStringList SimulatorProcess::commands()
{
    stdout_ += process_.readAllStandardOutput();
    QStringList result;
    for (const QByteArray& line : stdout_.split('\n'))
        if (line.startsWith("COMMAND: "))
            result << QString::fromLatin1(line.mid(9));
    return result;
}

int SimulatorProcess::connectionCount()
{
    stderr_ += process_.readAllStandardError();
    return int(stderr_.count("Server::newConnectionSlot()"));
}

void SimulatorProcess::kill()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void SimulatorProcess::discardOutput()
{
    process_.readAllStandardOutput();
    process_.readAllStandardError();
    stdout_.clear();
    stderr_.clear();
}
