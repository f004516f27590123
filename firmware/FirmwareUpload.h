#pragma once
// Uploads an update file into the unit over the borrowed connection, one
// 1280-word packet at a time, each waiting for the unit's acknowledgement.
// After a successful upload the unit's part numbers are read back; a DSP
// configuration table is followed by an erase of the unit's memory, and main
// software by the end of the program. One request is outstanding at a time.

#include "link/LinkContext.h"
#include "link/PartNumberRecord.h"

#include <QElapsedTimer>
#include <QObject>

class QEventLoop;
class QObject;

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

    FirmwareUpload(LinkContext& link, PartNumberRecord& partNumbers, QObject* owner);
    ~FirmwareUpload() override;

    // Runs one upload and reports its outcome; true when every packet was
    // acknowledged. Refused (false, nothing sent) while another upload runs.
    bool uploadFile(Kind kind, const QString& path);
    bool busy() const { return busy_; }
    // Stops the running upload once the packet on the wire has its answer
    // (or its time ran out); no further packet is sent.
    void cancel();

signals:
    void statusChanged(int kind, const QString& text);
    void progressChanged(int value, int maximum);
    void rateChanged(const QString& text);  // "12.5 kB/s, 0:42 left"
    void partNumbersChanged();
    void mainSoftwareInstalled();           // the program is to end

private:
    void readyReadSlot();
    void connectionLost();
    // Waits for the answer to the request just sent; Waiting when the time ran out.
    ExchangeStatus waitForAnswer(int timeoutMs);
    void dropResponseFile();
    enum class Outcome { Complete, Refused, NoAnswer, Cancelled };
    Outcome sendPackets(Kind kind, const class UpdateFile& file);
    void finishUpload(Kind kind, Outcome outcome);
    void reportSuccess(Kind kind);
    bool refreshPartNumbers();
    void eraseMemory();
    void showRate(int packet, int packets);

    LinkContext& link_;
    PartNumberRecord& partNumbers_;
    QObject* owner_;
    QEventLoop* waiting_ = nullptr;
    QElapsedTimer uploadClock_;
    bool busy_ = false;
    bool cancelRequested_ = false;
};
