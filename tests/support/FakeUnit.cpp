#include "FakeUnit.h"

#include <QTcpSocket>
#include <QtEndian>

FakeUnit::FakeUnit()
{
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, [this] {
        QTcpSocket* client = nextPendingConnection();
        connect(client, &QTcpSocket::readyRead, client, [this, client] {
            while (client->bytesAvailable() >= 8) {
                const QByteArray head = client->peek(4);
                const quint32 length = qFromBigEndian<quint32>(head.constData());
                if (client->bytesAvailable() < length)
                    return;
                client->read(length);
                ++queries;
                if (!answers.isEmpty())
                    client->write(answers.dequeue());
            }
        });
    });
}
