#pragma once
// The one connection to the unit and its exchange state. The main window owns
// it; the download session and the firmware upload borrow it (see
// LinkClient::lend) for the life of their dialog.

#include "link/AnswerFile.h"
#include "link/Protocol.h"
#include "link/ResponseFramer.h"

#include <QString>
#include <array>

class QTcpSocket;

enum class ExchangeStatus {
    AnswerReady = 0,  // the answer was normalised into responseFile
    Failed = 1,       // the answer was refused or the connection went
    Waiting = 2,      // a borrower waits for an answer
    Connecting = 3,   // the main window started a connection
};

enum class PendingQuery { None = 0, PartNumbers = 1, BiteResults = 2 };

struct LinkContext {
    quint32 received = 0;  // bytes of the current answer available so far
    quint32 expected = 0;  // length of the current answer minus 4
    ExchangeStatus exchangeStatus = ExchangeStatus::Connecting;
    std::array<unsigned char, mirvak::kRequestBufferSize> requestBuffer{};
    AnswerFile responseFile;  // current normalised answer, empty when none
    QTcpSocket* socket = nullptr;
    PendingQuery pendingCommand = PendingQuery::None;
    bool showPartNumbers = false;
    ResponseFramer framer;  // shared by every consumer of the connection
    QString failure;        // why the last exchange of a borrower failed, empty when unknown
    RawMessage message;     // a large answer taken but left to its consumer to normalise
};

// Abandons the exchange in progress: closes the connection, so that a late
// answer can never be taken for the next one, and forgets a partial answer.
void abandonExchange(LinkContext& link);

// Sends one request for a borrower of the connection and marks the exchange as
// waiting (received and expected start from 0); only an answer of exactly the
// command's length is taken. A request that cannot be written marks it failed
// at once.
bool sendRequest(LinkContext& link, const quint32* payload, int byteCount, quint32 command);

// Takes what the unit sent to a borrower of the connection: the progress of the
// answer in received and expected, each complete answer in responseFile (a
// file left there is replaced) with exchangeStatus AnswerReady, or Failed with
// the reason in failure when the answer was refused (an answer of the wrong
// length also closes the connection). Returns true when an exchange ended.
bool receiveAnswers(LinkContext& link);

