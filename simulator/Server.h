#pragma once
// The unit's side of the protocol: one client at a time, every complete
// request answered in turn with generated data.
//
//   idle --connection--> serving: [await 8-byte head] -> [await rest] -> answer -> [await head]
//   serving --client goes--> idle (the next queued client is taken at once)
//   serving: a client that does not read its answers is not read either until it catches up

#include "simulator/ResponseBuilder.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <optional>

class QTcpSocket;

// A misbehaviour the simulator shows on one command, for tests of the ground station.
struct Fault {
    enum Kind { Ack, Drop, Stall } kind;
    quint32 command;
    int bytes = 0;  // Drop, Stall: bytes of the answer sent before closing or going quiet
};

struct ServerOptions {
    QHostAddress listenAddress = QHostAddress::Any;
    quint16 port = 4242;
    int eraseDelayMs = 10000;   // the unit erasing its memory
    int reprogDelayMs = 250;    // the unit programming one packet
    QString logPath;            // one line per request received, when set
    QList<Fault> faults;
    bool uploadMode = false;    // started in the main-software upload mode: no DSP part numbers
    std::optional<quint64> variedSeed;  // engine data that changes at every erase, from this seed
};

class Server : public QTcpServer {
    Q_OBJECT
public:
    explicit Server(const ServerOptions& options, QObject* parent = nullptr);

public slots:
    void newConnectionSlot();
    void disconnectedSlot();
    void processRequest();

private slots:
    void resumeReading();

private:
    // The command of the next complete request, or none while it is incomplete
    // (or its length word was invalid and the client has been dropped).
    std::optional<quint32> takeRequest();
    bool clientIsBehind() const;
    void attachNextClient();
    void dropClient();
    void answer(quint32 command);
    void logRequest(quint32 command);
    const Fault* faultFor(quint32 command) const;

    ServerOptions options_;
    ResponseBuilder builder_;
    QTcpSocket* client_ = nullptr;
    quint32 expected_ = 0;  // length word of the request being received, 0 when none
    QByteArray request_;
    bool readingPaused_ = false;  // requests left unread while the client was behind
};
