#pragma once
// One download/erase session with the unit over the borrowed connection.
//
//   0 download algorithm status -> 1 post-process -> 2 download engine data
//   -> 3 post-process (raw file, reports) -> 4 download flight history
//   -> 5 post-process (report) -> 6 erase -> 7 complete
//
// Steps not requested read "Not requested". A download or post-processing
// that fails reads "Failed", and no further step runs ("Not run"): the erase
// is sent only when every requested step before it succeeded and the details
// its files are filed under are in the database, so nothing is erased that is
// not safely stored ("Skipped" otherwise). Cancel never erases. While a
// question is open the session stands still: no tick moves it on. The view
// only shows what this signals.
//
// The heavy work (normalising the engine-data answer, writing the raw file and
// the reports) runs on a worker thread, so the window never stalls; the
// session waits for it before it goes on, and the erase is still sent only
// after the files are closed.

#include "download/PostProcessing.h"
#include "download/RequestSet.h"

#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QObject>
#include <array>

struct LinkContext;
class QObject;

class DownloadSession : public QObject {
    Q_OBJECT
public:
    // Time limits; tests shorten them.
    struct Timing {
        int tickMs = 100;              // the session's watch over the link
        int eraseTicks = 3000;         // ticks the unit may take to erase (300 s)
        int answerTimeoutMs = 60000;   // a download that receives nothing for this long fails
    };
    static Timing& timing();

    // The row title of a step in the progress dialog ("Downloading Bearing Data:").
    static QString stepTitle(int step);

    // The questions asked before the erase, titled kEraseQuestionTitle, Yes
    // and No with No the default; any answer but Yes skips the erase.
    inline static const QString kEraseQuestionTitle = QStringLiteral("Erase Tessel Data");
    // Asked when the erase is requested without the engine data.
    inline static const QString kEraseWithoutDownloadQuestion = QStringLiteral(
        "Erase the unit's memory without downloading it first? Its recorded data will be lost.");
    // Asked when the algorithm status reads any algorithm as deactivated.
    inline static const QString kDeactivatedAlgorithmQuestion = QStringLiteral(
        "At least one of the Tessel algorithms is currently deactivated.\nDo you really want to erase the Tessel data?");

    DownloadSession(LinkContext& link, const PartNumberRecord& partNumbers, const AircraftInfo& aircraft,
                    int engineNumber, RequestSet requests, QObject* owner);
    ~DownloadSession() override;

    // The aircraft and engine details of the request could not be stored (the
    // database's failure): the session still downloads, but never erases.
    // Call before start().
    void setDetailsNotStored(const QString& failure) { detailsFailure_ = failure; }
    // The same for details still being stored on a worker thread (the result
    // is the failure, empty when they were stored): the session goes on
    // meanwhile and waits for them only before the erase and its end.
    void setDetailsStored(const QFuture<QString>& stored);

    void start();
    // Stops the session at the technician's request and says so; an answer
    // still in flight is cut off with the connection.
    void cancel();

    bool isFinished() const { return finished_; }
    bool cancelled() const { return cancelled_; }
    bool succeeded() const { return finished_ && failures_.isEmpty() && detailsFailure_.isEmpty() && !cancelled_; }
    QString status(int step) const { return statuses_[step]; }
    // The raw file and reports this session wrote, in the order written.
    QStringList filesWritten() const;

signals:
    void statusChanged(int step, const QString& status);
    void progressLabelChanged(const QString& text);
    void progressRangeChanged(int maximum);
    void progressChanged(int value);
    void transferChanged(const QString& text);  // "1.2 of 5.9 MB, 4.8 MB/s"
    void finished();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void readyReadSlot();
    void connectionLost();
    void startState();
    bool runStep();
    bool postProcess(const QString& label, QString (*work)(LinkContext&, SessionRecord&));
    void answerComplete();
    void normaliseInBackground();
    // Runs work on a worker thread and done with its failure text (empty: none) on this one.
    void runInBackground(std::function<QString()> work, std::function<void(const QString&)> done);
    void waitForBackgroundWork();
    bool confirmErase();
    void stop();
    bool sendCommand(quint32 command, std::initializer_list<quint32> arguments);
    void watchDownload();
    void watchErase();
    void endErase(const QString& status, const QString& failure);
    void failExchange(const QString& reason);
    void showTransfer(qint64 elapsedMs);
    void setStatus(int step, const QString& status);
    void finish();
    QString summary() const;
    QString detailsNotStoredText() const;
    void keepRawCopy(const QString& rawFile) const;

    LinkContext& link_;
    RequestSet requests_;
    SessionRecord record_;
    int step_ = DownloadAlgoStatus;
    int timerId_ = 0;
    int eraseTicksLeft_;
    bool waiting_ = false;        // a command was sent and its answer is awaited
    bool exchangeEnded_ = false;  // a step failed: no further step runs
    bool finished_ = false;
    bool cancelled_ = false;
    bool asking_ = false;  // a question to the technician is open
    std::unique_ptr<QFutureWatcher<QString>> background_;  // work on a worker thread, while it runs
    QObject* owner_;
    QList<int> failures_;
    std::array<QString, kRequestableSteps> reasons_;  // why each failed step failed
    QString notErasedReason_;   // why the erase was not sent or was refused
    QString eraseAnswerLost_;   // why the answer to an erase that was sent is unknown
    bool eraseSent_ = false;
    QString detailsFailure_;
    std::unique_ptr<QFutureWatcher<QString>> detailsStoring_;  // while the details are being stored
    bool awaitingDetails_ = false;  // a step waits for them
    std::array<QString, kRequestableSteps> statuses_;
    QElapsedTimer sinceSent_;
    qint64 lastByteAt_ = 0;
    quint32 lastReceived_ = 0;
};
