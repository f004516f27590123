#pragma once
// The real mirvak-sim on 127.0.0.1 with an ephemeral port, for end-to-end tests.

#include <QProcess>
#include <QStringList>

class SimulatorProcess {
public:
    // Extra options such as "--erase-delay-ms", "0". Starts at once; port() is
    // 0 when the simulator did not come up.
    explicit SimulatorProcess(const QStringList& options = {});
    ~SimulatorProcess();

    quint16 port() const { return port_; }
    qint64 pid() const { return process_.processId(); }
    // Command names the simulator printed ("CMD_PN", ...), in order.
    QStringList commands();
    // Connections the simulator has seen so far.
    int connectionCount();
    void kill();
    // Drops what the simulator printed so far; long runs call it so its pipes never fill.
    void discardOutput();

private:
    QProcess process_;
    quint16 port_ = 0;
    QByteArray stdout_;
    QByteArray stderr_;
};
