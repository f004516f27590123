#include "firmware/FirmwareUpload.h"

#include "core/AircraftInfo.h"
#include "core/AppIdentity.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "firmware/UploadQuestions.h"

#include <QFile>
#include <QTcpSocket>

namespace {

constexpr quint32 kCommands[] = {mirvak::CMD_REPROG_PROG_MAIN, mirvak::CMD_REPROG_PROG_DSP,
                                 mirvak::CMD_REPROG_CONFIG_DSP};

}  // namespace

FirmwareUpload::Timing& FirmwareUpload::timing()
{
    static Timing instance;
    return instance;
}

QString FirmwareUpload::packetStatus(int packet, int packets)
{
    return QStringLiteral("Uploading packet %1 of %2").arg(packet).arg(packets);
}

FirmwareUpload::FirmwareUpload(LinkContext& link, PartNumberRecord& partNumbers, QObject* owner)
    : link_(link), partNumbers_(partNumbers), owner_(owner)
{
    answerTimer_.setSingleShot(true);
    connect(&answerTimer_, &QTimer::timeout, this, &FirmwareUpload::answerTimeUp);
    connect(link_.socket, &QTcpSocket::readyRead, this, &FirmwareUpload::readyReadSlot);
    connect(link_.socket, &QTcpSocket::disconnected, this, &FirmwareUpload::connectionLost);
}

FirmwareUpload::~FirmwareUpload()
{
    link_.socket->disconnect(this);
    if (waiting_)
        abandonExchange(link_);  // nobody is left to take the answer
    if (phase_ == Phase::Erasing)
        prompts().closeNote();
    dropResponseFile();
}

bool FirmwareUpload::start(Kind kind, const QString& path)
{
    // The connection carries one exchange at a time.
    if (busy())
        return false;
    kind_ = kind;
    cancelRequested_ = false;
    eraseFailed_ = false;
    phase_ = Phase::Reporting;
    if (const QString refusal = uploadModeRefusal(kind, partNumbers_); !refusal.isEmpty()) {
        prompts().critical(owner_, app::kShortTitle, refusal);
        finish(false);
        return true;
    }
    if (!readFile(path)) {
        finish(false);
        return true;
    }
    phase_ = Phase::SendingPackets;
    emit progressChanged(0, file_.packetCount());
    emit statusChanged(kind_, QStringLiteral("Initiating upload"));
    uploadClock_.start();
    sendPacket(1);
    return true;
}

void FirmwareUpload::cancel()
{
    if (phase_ != Phase::SendingPackets || cancelRequested_)
        return;
    cancelRequested_ = true;
    // The packet on the wire keeps its time: say at once how long that may be.
    const int secondsLeft = (qMax(answerTimer_.remainingTime(), 0) + 999) / 1000;
    emit statusChanged(kind_, QStringLiteral("Cancelling: waiting up to %1 s for the unit's answer to %2")
                                  .arg(QString::number(secondsLeft), packetName()));
}

QString FirmwareUpload::packetName() const
{
    return QStringLiteral("packet %1 of %2").arg(QString::number(packet_), QString::number(file_.packetCount()));
}

QString FirmwareUpload::seconds(int ms) { return QString::number(ms / 1000.0); }

// Answers are taken as they arrive but acted on from the event loop, so that
// no message of the upload opens inside the socket's own signal.
void FirmwareUpload::readyReadSlot()
{
    if (receiveAnswers(link_) && waiting_)
        QMetaObject::invokeMethod(this, &FirmwareUpload::checkAnswer, Qt::QueuedConnection);
}

void FirmwareUpload::connectionLost()
{
    if (!waiting_ || link_.exchangeStatus != ExchangeStatus::Waiting)
        return;
    link_.exchangeStatus = ExchangeStatus::Failed;
    link_.failure = QStringLiteral("The unit closed the connection.");
    QMetaObject::invokeMethod(this, &FirmwareUpload::checkAnswer, Qt::QueuedConnection);
}

// Moves on when the request in flight has its answer (or its refusal).
void FirmwareUpload::checkAnswer()
{
    if (waiting_ && link_.exchangeStatus != ExchangeStatus::Waiting)
        exchangeEnded(link_.exchangeStatus);
}

void FirmwareUpload::answerTimeUp()
{
    if (!waiting_)
        return;
    if (link_.exchangeStatus != ExchangeStatus::Waiting) {
        checkAnswer();  // answered in time; its queued check comes too late
        return;
    }
    waiting_ = false;        // the connection closed below is no refusal
    abandonExchange(link_);  // a late answer would be taken for the next one
    exchangeEnded(ExchangeStatus::Waiting);
}

void FirmwareUpload::send(quint32 command, const quint32* payload, int byteCount, int waitMs)
{
    waiting_ = true;
    answerTimer_.start(waitMs);
    if (!sendRequest(link_, payload, byteCount, command))
        QMetaObject::invokeMethod(this, &FirmwareUpload::checkAnswer, Qt::QueuedConnection);
}

// status: the answer's, or Waiting when none came in time.
void FirmwareUpload::exchangeEnded(ExchangeStatus status)
{
    waiting_ = false;
    answerTimer_.stop();
    switch (phase_) {
    case Phase::SendingPackets: packetAnswered(status); break;
    case Phase::ReadingPartNumbers: partNumbersAnswered(status); break;
    case Phase::Erasing: eraseAnswered(status); break;
    case Phase::Idle:
    case Phase::Reporting: break;
    }
}

void FirmwareUpload::dropResponseFile()
{
    if (!link_.responseFile.isEmpty())
        QFile::remove(link_.responseFile);
    link_.responseFile.clear();
}

// Reads and checks the whole file before anything is sent; tells the
// technician why a file cannot be used.
bool FirmwareUpload::readFile(const QString& path)
{
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        prompts().critical(owner_, QStringLiteral("File Open Error"),
                           QStringLiteral("Failed to open ") + messageText(path));
        emit statusChanged(kind_, QStringLiteral("Upload failed - file open error"));
        return false;
    }
    QString failure;
    std::optional<UpdateFile> file = UpdateFile::read(input, failure);
    if (!file) {
        // Nothing is sent from a file that is not entirely numbers.
        prompts().critical(owner_, QStringLiteral("Invalid Update File"),
                           QStringLiteral("%1\n%2\n\nNothing was sent to the unit.").arg(messageText(path), failure));
        emit statusChanged(kind_, QStringLiteral("Upload failed - invalid file"));
        return false;
    }
    file_ = std::move(*file);
    return true;
}

void FirmwareUpload::sendPacket(int packet)
{
    packet_ = packet;
    const int packets = file_.packetCount();
    emit statusChanged(kind_, packetStatus(packet, packets));
    emit progressChanged(packet, packets);
    const QList<quint32> payload = file_.packet(packet - 1);
    send(kCommands[kind_], payload.constData(), kPacketBytes, timing().packetWaitMs);
}

void FirmwareUpload::packetAnswered(ExchangeStatus status)
{
    // Only a bare acknowledgement of the exact length passes for the unit's consent.
    dropResponseFile();
    if (status == ExchangeStatus::Waiting)
        return stopSending(Outcome::NoAnswer);
    if (status != ExchangeStatus::AnswerReady)
        return stopSending(Outcome::Refused);
    showRate();
    if (cancelRequested_)
        return stopSending(Outcome::Cancelled);
    if (packet_ < file_.packetCount())
        return sendPacket(packet_ + 1);
    emit progressChanged(0, 100);
    askPartNumbers();
}

void FirmwareUpload::showRate()
{
    const int packets = file_.packetCount();
    const double seconds = qMax<qint64>(uploadClock_.elapsed(), 1) / 1000.0;
    const double bytesPerSecond = packet_ * kPacketBytes / seconds;
    const int left = int((packets - packet_) * kPacketBytes / bytesPerSecond + 0.5);
    emit rateChanged(QStringLiteral("%1 kB/s, %2:%3 left")
                         .arg(bytesPerSecond / 1000.0, 0, 'f', 1)
                         .arg(left / 60)
                         .arg(left % 60, 2, 10, QLatin1Char('0')));
}

void FirmwareUpload::stopSending(Outcome outcome)
{
    phase_ = Phase::Reporting;
    emit progressChanged(0, 100);
    if (cancelRequested_) {
        // Whether the last packet was answered or not, the image stops short.
        emit statusChanged(kind_, QStringLiteral("Upload cancelled"));
        prompts().warning(owner_, app::kShortTitle,
                          cancelledOutcome(outcome)
                              + QStringLiteral("\n\nThe unit may hold a partial image: upload the file again "
                                               "before using the unit."));
    } else {
        if (outcome == Outcome::Refused && !link_.failure.isEmpty())
            prompts().critical(owner_, app::kShortTitle,
                               QStringLiteral("Packet %1 of %2: %3")
                                   .arg(QString::number(packet_), QString::number(file_.packetCount()),
                                        link_.failure));
        emit statusChanged(kind_, QStringLiteral("Upload failed!"));
        prompts().critical(owner_, app::kShortTitle,
                           outcome == Outcome::Refused ? QStringLiteral("Operation failed!")
                                                       : QStringLiteral("Unknown error"));
    }
    finish(false);
}

// What became of the packet on the wire when the technician cancelled.
QString FirmwareUpload::cancelledOutcome(Outcome outcome) const
{
    switch (outcome) {
    case Outcome::Cancelled: return QStringLiteral("The upload was cancelled after ") + packetName() + '.';
    case Outcome::NoAnswer:
        return QStringLiteral("The upload was cancelled: the unit did not answer %1 within %2 s.")
            .arg(packetName(), seconds(timing().packetWaitMs));
    case Outcome::Refused: break;
    }
    return QStringLiteral("The upload was cancelled: %1 failed (%2).")
        .arg(packetName(), link_.failure.isEmpty() ? QStringLiteral("refused") : link_.failure);
}

// The part numbers are read back over the borrowed connection, so that the
// answer comes here and not to the main window.
void FirmwareUpload::askPartNumbers()
{
    phase_ = Phase::ReadingPartNumbers;
    const quint32 zero = 0;
    send(mirvak::CMD_PN, &zero, 4, timing().packetWaitMs);
}

void FirmwareUpload::partNumbersAnswered(ExchangeStatus status)
{
    phase_ = Phase::Reporting;
    if (status == ExchangeStatus::AnswerReady)
        takePartNumbers();
    dropResponseFile();
    emit statusChanged(kind_, QStringLiteral("Upload complete!"));
    switch (kind_) {
    case MainSoftware:
        prompts().information(owner_, app::kShortTitle,
                              QStringLiteral("Upload complete!\n\nThe Tolm application will be closed.\n\n"
                                             "Please unplug the cable and restart the Advanced Korvel unit."));
        emit mainSoftwareInstalled();
        finish(true);
        break;
    case DspSoftware:
        prompts().information(owner_, app::kShortTitle, QStringLiteral("Complete!"));
        finish(true);
        break;
    case DspConfigTable:
        startErase();
        break;
    }
}

void FirmwareUpload::takePartNumbers()
{
    const QString failure = readPartNumberFile(link_.responseFile, partNumbers_);
    dropResponseFile();
    if (!failure.isEmpty()) {
        prompts().critical(owner_, QStringLiteral("MainWindow::decodePN"), failure);
        return;
    }
    emit partNumbersChanged();
}

void FirmwareUpload::startErase()
{
    phase_ = Phase::Erasing;
    prompts().showNote(owner_, app::kShortTitle, QStringLiteral("Erasing Tessel memory. Please wait..."));
    const quint32 zero = 0;
    send(mirvak::CMD_ERASE_DATA, &zero, 4, timing().eraseWaitMs);
}

void FirmwareUpload::eraseAnswered(ExchangeStatus status)
{
    phase_ = Phase::Reporting;
    dropResponseFile();
    prompts().closeNote();
    eraseFailed_ = status != ExchangeStatus::AnswerReady;
    if (status == ExchangeStatus::AnswerReady) {
        prompts().information(owner_, app::kShortTitle, QStringLiteral("Done!"));
    } else {
        const QString reason = status == ExchangeStatus::Waiting
                                   ? QStringLiteral("no answer within %1 s.").arg(seconds(timing().eraseWaitMs))
                                   : link_.failure;
        prompts().critical(owner_, app::kShortTitle, QStringLiteral("The erase was not confirmed: ") + reason);
        prompts().critical(owner_, app::kShortTitle, QStringLiteral("Failed!"));
    }
    finish(true);
}

void FirmwareUpload::finish(bool success)
{
    phase_ = Phase::Idle;
    emit finished(success);
}
