#pragma once
// The unit's side of the protocol: one client at a time, one request per
// data-ready event, answered with generated data.
//
//   idle --connection--> serving: [await 8-byte head] -> [await rest] -> answer -> [await head]
//   serving --client goes--> idle (the next queued client is taken at once)

#include "simulator/ResponseBuilder.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>

class QTcpSocket;

struct ServerOptions {
    QHostAddress listenAddress = QHostAddress::Any;
    quint16 port = 4242;
    int eraseDelayMs = 10000;   // the unit erasing its memory
    int reprogDelayMs = 250;    // the unit programming one packet
};

class Server : public QTcpServer {
    Q_OBJECT
public:
    explicit Server(const ServerOptions& options, QObject* parent = nullptr);

public slots:
    void newConnectionSlot();
    void disconnectedSlot();
    void processRequest();

private:
    void attachNextClient();
    void dropClient();
    void answer(quint32 command);

    ServerOptions options_;
    ResponseBuilder builder_;
    QTcpSocket* client_ = nullptr;
    quint32 expected_ = 0;  // length word of the request being received, 0 when none
    QByteArray request_;
};
