#include "simulator/Server.h"

#include "link/Protocol.h"
#include "simulator/Crc32.h"

#include <QDebug>
#include <QFile>
#include <QTime>
#include <QTcpSocket>
#include <QThread>
#include <QtEndian>
#include <algorithm>
#include <cstdio>

namespace {
constexpr quint32 kRequestHeaderSize = 8;
// Above the largest answer (the engine data, 5874016 bytes): a client with
// more than this still unsent is not read until it catches up, so one that
// sends requests without reading the answers cannot make us hold them all.
constexpr qint64 kMaxUnsentBytes = 6 * 1024 * 1024;
// The DSP block of the part-number answer (boot, software, unused, table part numbers).
constexpr int kDspPartNumbersOffset = 136;
}  // namespace

Server::Server(const ServerOptions& options, QObject* parent) : QTcpServer(parent), options_(options), builder_(options.variedSeed)
{
    connect(this, &QTcpServer::newConnection, this, &Server::newConnectionSlot);
}

void Server::newConnectionSlot()
{
    qDebug("Server::newConnectionSlot()");
    if (!client_)
        attachNextClient();
}

void Server::attachNextClient()
{
    client_ = nextPendingConnection();
    if (!client_)
        return;
    // Requests wait in the client's kernel buffer, not ours, while we do not read.
    client_->setReadBufferSize(mirvak::kRequestBufferSize);
    connect(client_, &QTcpSocket::readyRead, this, &Server::processRequest);
    connect(client_, &QTcpSocket::bytesWritten, this, &Server::resumeReading);
    connect(client_, &QTcpSocket::disconnected, this, &Server::disconnectedSlot);
    connect(client_, &QTcpSocket::disconnected, client_, &QObject::deleteLater);
    // A client taken from the queue may have sent its request already.
    if (client_->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &Server::processRequest, Qt::QueuedConnection);
}

void Server::disconnectedSlot()
{
    qDebug("Server::disconnectedSlot()");
    if (client_)
        dropClient();
    // A client that connected meanwhile is served now instead of waiting for another.
    attachNextClient();
}

void Server::dropClient()
{
    QTcpSocket* client = client_;
    client_ = nullptr;
    client->disconnect(this);
    client->disconnectFromHost();
    client->abort();
    client->deleteLater();
    // A request cut off by the disconnection must not be completed by the next client.
    expected_ = 0;
    request_.clear();
    readingPaused_ = false;
}

bool Server::clientIsBehind() const { return client_->bytesToWrite() > kMaxUnsentBytes; }

void Server::resumeReading()
{
    if (readingPaused_ && !clientIsBehind()) {
        readingPaused_ = false;
        processRequest();
    }
}

void Server::processRequest()
{
    qDebug("Server::processRequest");
    while (client_ && client_->state() == QAbstractSocket::ConnectedState) {
        if (clientIsBehind()) {
            readingPaused_ = true;  // resumeReading() goes on once the client has read enough
            return;
        }
        const std::optional<quint32> command = takeRequest();
        if (!command)
            return;
        logRequest(*command);
        std::printf("COMMAND: %s\n", mirvak::commandName(*command));
        std::fflush(stdout);
        answer(*command);
        expected_ = 0;
        request_.clear();
    }
}

std::optional<quint32> Server::takeRequest()
{
    if (expected_ == 0) {
        if (client_->bytesAvailable() < kRequestHeaderSize)
            return std::nullopt;
        request_ = client_->read(kRequestHeaderSize);
        expected_ = qFromBigEndian<quint32>(request_.constData());
        if (expected_ < kRequestHeaderSize || expected_ > quint32(mirvak::kRequestBufferSize)) {
            qDebug("Invalid request length %u: closing the connection", expected_);
            dropClient();
            attachNextClient();
            return std::nullopt;
        }
    }
    if (expected_ > kRequestHeaderSize && client_->bytesAvailable() < expected_ - kRequestHeaderSize)
        return std::nullopt;
    request_ += client_->read(expected_ - kRequestHeaderSize);
    qDebug("Got %d Bytes", int(request_.size()));
    return qFromBigEndian<quint32>(request_.constData() + 4);
}

void Server::answer(quint32 command)
{
    // The unit answers an erase or a programmed packet only once the work is done,
    // and does nothing else meanwhile.
    if (command == mirvak::CMD_ERASE_DATA)
        QThread::msleep(options_.eraseDelayMs);
    else if (command == mirvak::CMD_REPROG_PROG_MAIN || command == mirvak::CMD_REPROG_PROG_DSP
             || command == mirvak::CMD_REPROG_CONFIG_DSP)
        QThread::msleep(options_.reprogDelayMs);

    QByteArray response = builder_.build(command);
    if (options_.uploadMode && command == mirvak::CMD_PN)
        std::fill(response.begin() + kDspPartNumbersOffset, response.begin() + kDspPartNumbersOffset + 64, '\0');
    qDebug("rsp.size() = %d", int(response.size()));
    const Fault* fault = faultFor(command);
    if (!fault) {
        client_->write(response);
        return;
    }
    switch (fault->kind) {
    case Fault::Ack:
        qToBigEndian<quint32>(1, response.data() + 4);
        client_->write(response);
        break;
    case Fault::Drop:
        client_->write(response.left(fault->bytes));
        client_->disconnectFromHost();
        break;
    case Fault::Stall:
        client_->write(response.left(fault->bytes));
        break;
    }
}

const Fault* Server::faultFor(quint32 command) const
{
    for (const Fault& fault : options_.faults)
        if (fault.command == command)
            return &fault;
    return nullptr;
}

void Server::logRequest(quint32 command)
{
    if (options_.logPath.isEmpty())
        return;
    QFile log(options_.logPath);
    if (!log.open(QIODevice::Append | QIODevice::Text))
        return;
    const QByteArray payload = request_.mid(8);
    log.write(QStringLiteral("%1 %2 %3 %4 %5\n")
                  .arg(QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")))
                  .arg(command)
                  .arg(QLatin1String(mirvak::commandName(command)))
                  .arg(payload.size())
                  .arg(crc32(payload), 8, 16, QLatin1Char('0'))
                  .toLatin1());
}
