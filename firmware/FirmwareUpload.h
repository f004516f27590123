#pragma once
// Uploads an update file into the unit over the borrowed connection.
//
//   idle --start--> packet 1 sent --acknowledged--> packet 2 sent ... packet n sent
//                        |                                              | acknowledged
//                        | refused, no answer in packetWaitMs,          v
//                        | or cancelled and answered             part numbers asked
//                        v                                              | answer or packetWaitMs
//                  idle, finished(false)                                v
//                                         main software: mainSoftwareInstalled, finished(true)
//                                         DSP software: finished(true)
//                                         configuration table: erase sent --answer or eraseWaitMs-->
//                                                              finished(true)
//
// One request is outstanding at a time. The socket's answers and the time
// limit of the request move the upload on; nothing waits in a loop of its own.
// An answer that does not come in its time closes the connection, so that it
// cannot be taken for the next one. Cancel takes effect between packets: the
// packet on the wire gets its answer or its time first. Once the last packet
// is acknowledged the image is complete and the upload runs to its end.

#include "firmware/UpdateFile.h"
#include "link/LinkContext.h"
#include "link/PartNumberRecord.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class FirmwareUpload : public QObject {
    Q_OBJECT
public:
    enum Kind { MainSoftware = 0, DspSoftware = 1, DspConfigTable = 2 };

    // Time limits; tests shorten them.
    struct Timing {
        int packetWaitMs = 60000;   // per packet acknowledgement (and the part numbers)
        int eraseWaitMs = 300000;   // the erase after a configuration table
    };
    static Timing& timing();

    // The status while packet k of n is on its way.
    static QString packetStatus(int packet, int packets);

    FirmwareUpload(LinkContext& link, PartNumberRecord& partNumbers, QObject* owner);
    ~FirmwareUpload() override;

    // Starts an upload of the file; it ends with finished(), at once when the
    // file cannot be used (nothing is sent then). Refused (false, nothing
    // happens) while another upload runs.
    bool start(Kind kind, const QString& path);
    // Stops the running upload once the packet on the wire has its answer (or
    // its time ran out): the status says at once how long that may take, and
    // the end names what became of that packet and that the unit may hold a
    // partial image. Does nothing once every packet is acknowledged.
    void cancel();
    bool busy() const { return phase_ != Phase::Idle; }
    // The unit did not confirm the erase that follows a configuration table
    // (the upload itself still succeeded).
    bool eraseFailed() const { return eraseFailed_; }

signals:
    void statusChanged(int kind, const QString& text);
    void progressChanged(int value, int maximum);
    void rateChanged(const QString& text);  // "12.5 kB/s, 0:42 left"
    void partNumbersChanged();
    void mainSoftwareInstalled();           // the program is to end
    void finished(bool success);            // success: every packet was acknowledged

private:
    // Reporting: a message of the upload is open and no request is outstanding.
    enum class Phase { Idle, SendingPackets, ReadingPartNumbers, Erasing, Reporting };
    enum class Outcome { Refused, NoAnswer, Cancelled };

    void readyReadSlot();
    void connectionLost();
    void checkAnswer();
    void answerTimeUp();
    void send(quint32 command, const quint32* payload, int byteCount, int waitMs);
    void exchangeEnded(ExchangeStatus status);
    void dropResponseFile();

    bool readFile(const QString& path);
    void sendPacket(int packet);
    void packetAnswered(ExchangeStatus status);
    void showRate();
    void stopSending(Outcome outcome);
    QString cancelledOutcome(Outcome outcome) const;
    QString packetName() const;  // "packet 2 of 3"
    static QString seconds(int ms);
    void askPartNumbers();
    void partNumbersAnswered(ExchangeStatus status);
    void takePartNumbers();
    void startErase();
    void eraseAnswered(ExchangeStatus status);
    void finish(bool success);

    LinkContext& link_;
    PartNumberRecord& partNumbers_;
    QObject* owner_;
    QTimer answerTimer_;
    QElapsedTimer uploadClock_;
    UpdateFile file_;
    Kind kind_ = MainSoftware;
    Phase phase_ = Phase::Idle;
    int packet_ = 0;                // the packet on the wire, from 1
    bool waiting_ = false;          // a request was sent and its answer is awaited
    bool cancelRequested_ = false;
    bool eraseFailed_ = false;
};
