#pragma once
// The ground station's side of the one connection to the unit: connecting,
// the part-number and built-in test queries, decoding the unit's identity and
// lending the connection to the download session and the firmware upload.
// The main window owns one and shows what it signals.
//
// The link recovers by itself: whenever the connection is down (refused, lost,
// closed by a borrower, a unit that does not answer the part-number query in
// time or whose answer is refused) it tries again every few seconds until the
// unit answers; only a connection the technician asked for, or the first of a
// run of refused answers, reports its failure in a box.

#include "link/LinkContext.h"
#include "link/PartNumberRecord.h"

#include <QAbstractSocket>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class QTcpSocket;

// The question checkDownloadAllowed asks (Yes and No, No the default) when the
// unit runs other software than this station was made for.
QString unexpectedSoftwareQuestion(const PartNumberRecord& record);

class LinkClient : public QObject {
    Q_OBJECT
public:
    // owner owns the prompts of the link (the main window, when there is one).
    explicit LinkClient(QObject* owner);
    ~LinkClient() override;

    // Time limits; tests shorten them.
    struct Timing {
        int reconnectMs = 5000;          // between automatic connection attempts
        int partNumberAnswerMs = 10000;  // a connected unit must answer the part-number query in this time
    };
    static Timing& timing();

    LinkContext& context() { return context_; }
    PartNumberRecord& partNumbers() { return record_; }
    QTcpSocket& socket() { return *socket_; }
    QString currentAddress() const { return address_; }
    int currentPort() const { return port_; }
    // The connection in use: the number changes whenever the connection ends
    // or a part-number answer names another unit than the one before.
    int connectionNumber() const { return connectionNumber_; }
    // The built-in test results read in the current connection, if any.
    const std::optional<BiteResults>& biteResults() const { return biteResults_; }

    // Connects to the configured address and port; the outcome arrives as a signal.
    void connectToUnit();
    // Drops the connection and connects to another address and port.
    void reconnectTo(const QString& address, int port);
    void requestPartNumbers();
    void checkComm();
    // The "Part Numbers" command: query, and show the dialog with the next answer.
    void showPartNumbers();
    // Reads the normalised part-number answer; false with the reason otherwise.
    bool decodePartNumbers(QString& failure);
    bool checkDownloadAllowed();

    // Runs a borrower (a modal dialog with its own exchanges) on the connection.
    // The link does not see the socket's data meanwhile; afterwards it takes the
    // connection back and deletes any normalised answer left behind.
    int lend(const std::function<int(LinkContext&, PartNumberRecord&)>& borrower);

signals:
    void linkStatusChanged(const QString& text);
    void unitLabelChanged(const QString& text);
    void serialLabelChanged(const QString& text);
    // Download / Clear and Firmware Upload need a decoded part-number answer.
    void unitCommandsEnabled(bool enabled);
    // "address:port" of the connection in use or being tried.
    void endpointChanged(const QString& endpoint);
    // A decoded part-number answer; show is set when the technician asked to
    // see the part numbers ("Part Numbers"). The commands are enabled after it.
    void partNumbersReceived(const PartNumberRecord& record, bool show);
    // The part-number answer was refused (acknowledgement error, malformed
    // blocks, undecodable); the link leaves the connection and tries again.
    void partNumbersFailed(const QString& reason);
    void biteResultsReceived(const BiteResults& results);

public slots:
    void requestBiteResults();
    void tesselConnected();
    void tesselDisconnected();
    void readyReadSlot();
    void error(QAbstractSocket::SocketError socketError);
    void closeConnection();

private:
    void startConnection();
    void reconnectAutomatically();
    void scheduleReconnect();
    void partNumberAnswerMissing();
    void partNumberExchangeFailed(const QString& title, const QString& reason);
    void sendQuery(PendingQuery query, quint32 command, quint32 argument, const QString& status);
    void handlePartNumberAnswer();
    void handleBiteAnswer();
    void endConnection();

    QObject* owner_;
    std::unique_ptr<QTcpSocket> socket_;
    LinkContext context_;
    PartNumberRecord record_{};
    QString address_;
    int port_ = 0;
    QTimer reconnectTimer_;
    QTimer partNumberAnswerTimer_;
    bool lent_ = false;          // a borrower has the connection
    bool quietFailure_ = false;  // an automatic attempt: its failure shows only in the status
    bool partNumberFailureShown_ = false;  // a run of refused part-number answers was reported
    int connectionNumber_ = 0;
    std::optional<BiteResults> biteResults_;
};
