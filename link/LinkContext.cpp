#include "link/LinkContext.h"

#include <QFile>
#include <QTcpSocket>

bool sendRequest(LinkContext& link, const quint32* payload, int byteCount, quint32 command)
{
    link.exchangeStatus = ExchangeStatus::Waiting;
    link.received = 0;
    link.expected = 0;
    link.failure.clear();
    link.framer.expectLength(mirvak::responseLength(command));
    const int size = mirvak::buildRequest(link.requestBuffer.data(), payload, byteCount, command);
    const bool sent = link.socket->state() == QAbstractSocket::ConnectedState
                      && link.socket->write(reinterpret_cast<const char*>(link.requestBuffer.data()), size) == size;
    if (!sent) {
        link.exchangeStatus = ExchangeStatus::Failed;
        link.failure = QStringLiteral("The request could not be sent: %1").arg(link.socket->errorString());
    }
    return sent;
}

void abandonExchange(LinkContext& link)
{
    link.socket->abort();
    link.framer.reset();
}

bool receiveAnswers(LinkContext& link)
{
    bool ended = false;
    for (;;) {
        if (link.exchangeStatus != ExchangeStatus::Waiting && link.framer.pendingLength() == 0
            && link.socket->bytesAvailable() > 0) {
            // The unit owes no answer: whatever this is must not be taken for the next one.
            link.exchangeStatus = ExchangeStatus::Failed;
            link.failure = QStringLiteral("The unit sent data that answers no request. The connection was closed.");
            abandonExchange(link);
            return true;
        }
        const ResponseFramer::Outcome outcome = link.framer.next(*link.socket);
        if (outcome == ResponseFramer::Outcome::NeedMore) {
            if (link.framer.pendingLength() > 0) {
                link.expected = link.framer.pendingLength();
                link.received = quint32(link.socket->bytesAvailable());
            }
            return ended;
        }
        ended = true;
        if (outcome != ResponseFramer::Outcome::Response) {
            link.exchangeStatus = ExchangeStatus::Failed;
            link.failure = link.framer.failure() + QStringLiteral(" The connection was closed.");
            abandonExchange(link);
            return ended;
        }
        link.message = link.framer.takeMessage();
        link.responseFile = link.framer.normalisedFile();
        const bool taken = !link.responseFile.isEmpty() || !link.message.isEmpty();
        link.exchangeStatus = taken ? ExchangeStatus::AnswerReady : ExchangeStatus::Failed;
        link.failure = link.framer.failure();
        link.received = link.expected;
    }
}
