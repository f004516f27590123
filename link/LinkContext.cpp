#include "link/LinkContext.h"

#include <QFile>
#include <QTcpSocket>

bool sendRequest(LinkContext& link, const quint32* payload, int byteCount, quint32 command)
{
    link.exchangeStatus = ExchangeStatus::Waiting;
    link.received = 0;
    link.expected = 0;
    const int size = mirvak::buildRequest(link.requestBuffer.data(), payload, byteCount, command);
    const bool sent = link.socket->state() == QAbstractSocket::ConnectedState
                      && link.socket->write(reinterpret_cast<const char*>(link.requestBuffer.data()), size) == size;
    if (!sent)
        link.exchangeStatus = ExchangeStatus::Failed;
    return sent;
}

bool receiveAnswers(LinkContext& link)
{
    bool ended = false;
    for (;;) {
        const ResponseFramer::Outcome outcome = link.framer.next(*link.socket);
        if (outcome == ResponseFramer::Outcome::NeedMore) {
            if (link.framer.pendingLength() > 0) {
                link.expected = link.framer.pendingLength();
                link.received = quint32(link.socket->bytesAvailable());
            }
            return ended;
        }
        ended = true;
        if (outcome == ResponseFramer::Outcome::InvalidLength) {
            link.exchangeStatus = ExchangeStatus::Failed;
            return ended;
        }
        if (!link.responseFile.isEmpty())
            QFile::remove(link.responseFile);
        link.responseFile = link.framer.normalisedFile();
        link.exchangeStatus = link.responseFile.isEmpty() ? ExchangeStatus::Failed : ExchangeStatus::AnswerReady;
        link.received = link.expected;
    }
}
