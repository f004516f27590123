#pragma once
// Cuts the unit's byte stream into responses. Each complete response is
// spooled to a temporary file and normalised (host byte order); the consumer
// reads the normalised file and deletes it.
//
//   idle --4 bytes--> length known --length-4 bytes--> response --> idle
//                          \--remainder >= 0xFFFFFF--> invalid (close the link)

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <utility>

class QIODevice;

// One complete message as received: its length word and the bytes after it.
struct RawMessage {
    quint32 length = 0;
    QByteArray body;

    bool isEmpty() const { return length == 0; }
};

class ResponseFramer {
public:
    enum class Outcome {
        NeedMore,       // wait for the next data-ready signal
        Response,       // one response taken; see normalisedFile()
        InvalidLength,     // the length word is out of range; the connection must be closed
        UnexpectedLength,  // not the length the awaited answer has; the connection must be closed
    };

    Outcome next(QIODevice& device);

    // After Outcome::Response: the normalised file, empty when normalisation
    // refused the response; failure() then says why.
    const QString& normalisedFile() const { return normalised_; }
    // Why the last response was refused (any outcome but NeedMore).
    const QString& failure() const { return failure_; }
    // The exact message length of the awaited answer; 0 accepts any valid length.
    void expectLength(quint32 length) { expectedLength_ = length; }
    // Bytes still expected of the current response after its length word; 0 when idle.
    quint32 pendingLength() const { return pending_; }
    // Forget a partly received response, e.g. when the connection closes.
    void reset() { pending_ = 0; }
    // Called with the raw copy of each complete response before it is normalised.
    void setRawCopyHook(std::function<void(const QString& rawFile)> hook) { rawCopyHook_ = std::move(hook); }
    const std::function<void(const QString&)>& rawCopyHook() const { return rawCopyHook_; }

    // Responses longer than this are not normalised here: after Outcome::Response
    // takeMessage() hands them over, so the consumer can normalise them off the
    // GUI thread. 0 normalises every response here.
    void deferAbove(quint32 length) { deferAbove_ = length; }
    RawMessage takeMessage() { return std::exchange(message_, RawMessage{}); }

    // Spools a message to a temporary file and normalises it; the normalised
    // file, or an empty name with failure set. Safe on any thread.
    static QString normalise(const RawMessage& message, QString& failure,
                             const std::function<void(const QString&)>& rawCopyHook = {});

private:
    quint32 pending_ = 0;
    quint32 expectedLength_ = 0;
    quint32 deferAbove_ = 0;
    RawMessage message_;
    QString normalised_;
    QString failure_;
    std::function<void(const QString&)> rawCopyHook_;
};
