#include "firmware/FirmwareUpload.h"

#include "core/AircraftInfo.h"
#include "core/AppIdentity.h"
#include "core/Prompts.h"
#include "firmware/UpdateFile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QTcpSocket>
#include <QTimer>

namespace {

constexpr quint32 kCommands[] = {mirvak::CMD_REPROG_PROG_MAIN, mirvak::CMD_REPROG_PROG_DSP,
                                 mirvak::CMD_REPROG_CONFIG_DSP};

}  // namespace

FirmwareUpload::Timing& FirmwareUpload::timing()
{
    static Timing instance;
    return instance;
}

FirmwareUpload::FirmwareUpload(LinkContext& link, PartNumberRecord& partNumbers, QObject* owner)
    : link_(link), partNumbers_(partNumbers), owner_(owner)
{
    connect(link_.socket, &QTcpSocket::readyRead, this, &FirmwareUpload::readyReadSlot);
    connect(link_.socket, &QTcpSocket::disconnected, this, &FirmwareUpload::connectionLost);
}

FirmwareUpload::~FirmwareUpload()
{
    link_.socket->disconnect(this);
    dropResponseFile();
}

void FirmwareUpload::readyReadSlot()
{
    if (receiveAnswers(link_) && waiting_)
        waiting_->quit();
}

void FirmwareUpload::connectionLost()
{
    if (link_.exchangeStatus == ExchangeStatus::Waiting)
        link_.exchangeStatus = ExchangeStatus::Failed;
    if (waiting_)
        waiting_->quit();
}

ExchangeStatus FirmwareUpload::waitForAnswer(int timeoutMs)
{
    if (link_.exchangeStatus == ExchangeStatus::Waiting) {
        // The window stays responsive meanwhile; the answer or the time limit ends the wait.
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        waiting_ = &loop;
        loop.exec();
        waiting_ = nullptr;
    }
    if (link_.exchangeStatus == ExchangeStatus::Waiting) {
        // A late answer would be taken for the next one: drop the connection.
        link_.socket->abort();
        link_.framer.reset();
        return ExchangeStatus::Waiting;
    }
    return link_.exchangeStatus;
}

void FirmwareUpload::dropResponseFile()
{
    if (!link_.responseFile.isEmpty())
        QFile::remove(link_.responseFile);
    link_.responseFile.clear();
}

bool FirmwareUpload::uploadFile(Kind kind, const QString& path)
{
    // The connection carries one exchange at a time.
    if (busy_)
        return false;
    const QScopedValueRollback busy(busy_, true);
    cancelRequested_ = false;
    QFile input(path);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text)) {
        prompts().critical(owner_, QStringLiteral("File Open Error"), QStringLiteral("Failed to open %1").arg(path));
        emit statusChanged(kind, QStringLiteral("Upload failed - file open error"));
        return false;
    }
    QString failure;
    const std::optional<UpdateFile> file = UpdateFile::parse(input.readAll(), failure);
    input.close();
    if (!file) {
        // Nothing is sent from a file that is not entirely numbers.
        prompts().critical(owner_, QStringLiteral("Invalid Update File"),
                           QStringLiteral("%1\n%2\n\nNothing was sent to the unit.").arg(path, failure));
        emit statusChanged(kind, QStringLiteral("Upload failed - invalid file"));
        return false;
    }
    const Outcome outcome = sendPackets(kind, *file);
    finishUpload(kind, outcome);
    return outcome == Outcome::Complete;
}

void FirmwareUpload::cancel()
{
    if (busy_)
        cancelRequested_ = true;
}

FirmwareUpload::Outcome FirmwareUpload::sendPackets(Kind kind, const UpdateFile& file)
{
    const int packets = file.packetCount();
    emit progressChanged(0, packets);
    emit statusChanged(kind, QStringLiteral("Initiating upload"));
    uploadClock_.start();
    for (int k = 1; k <= packets; ++k) {
        emit statusChanged(kind, QStringLiteral("Uploading packet %1 of %2").arg(k).arg(packets));
        emit progressChanged(k, packets);
        QCoreApplication::processEvents();
        if (cancelRequested_)
            return Outcome::Cancelled;
        const QList<quint32> payload = file.packet(k - 1);
        sendRequest(link_, payload.constData(), kPacketBytes, kCommands[kind]);
        // Only a bare acknowledgement of the exact length passes for the unit's consent.
        const ExchangeStatus status = waitForAnswer(timing().packetWaitMs);
        dropResponseFile();
        if (status == ExchangeStatus::Waiting)
            return Outcome::NoAnswer;
        if (status != ExchangeStatus::AnswerReady) {
            if (!link_.failure.isEmpty())
                prompts().critical(owner_, app::kShortTitle,
                                   QStringLiteral("Packet %1 of %2: %3").arg(k).arg(packets).arg(link_.failure));
            return Outcome::Refused;
        }
        showRate(k, packets);
    }
    return Outcome::Complete;
}

void FirmwareUpload::showRate(int packet, int packets)
{
    const double seconds = qMax<qint64>(uploadClock_.elapsed(), 1) / 1000.0;
    const double bytesPerSecond = packet * kPacketBytes / seconds;
    const int left = int((packets - packet) * kPacketBytes / bytesPerSecond + 0.5);
    emit rateChanged(QStringLiteral("%1 kB/s, %2:%3 left")
                         .arg(bytesPerSecond / 1000.0, 0, 'f', 1)
                         .arg(left / 60)
                         .arg(left % 60, 2, 10, QLatin1Char('0')));
}

void FirmwareUpload::finishUpload(Kind kind, Outcome outcome)
{
    emit progressChanged(0, 100);
    if (outcome == Outcome::Complete) {
        reportSuccess(kind);
    } else if (cancelRequested_) {
        // Whether the last packet was answered or not, the image stops short.
        emit statusChanged(kind, QStringLiteral("Upload cancelled"));
        prompts().warning(owner_, app::kShortTitle,
                          QStringLiteral("The upload was cancelled: the unit may hold a partial image.\n\n"
                                         "Upload the file again before using the unit."));
    } else {
        emit statusChanged(kind, QStringLiteral("Upload failed!"));
        prompts().critical(owner_, app::kShortTitle,
                           outcome == Outcome::Refused ? QStringLiteral("Operation failed!")
                                                       : QStringLiteral("Unknown error"));
    }
}

void FirmwareUpload::reportSuccess(Kind kind)
{
    refreshPartNumbers();
    emit statusChanged(kind, QStringLiteral("Upload complete!"));
    switch (kind) {
    case MainSoftware:
        prompts().information(owner_, app::kShortTitle,
                              QStringLiteral("Upload complete!\n\nThe Tolm application will be closed.\n\n"
                                             "Please unplug the cable and restart the Advanced Korvel unit."));
        emit mainSoftwareInstalled();
        break;
    case DspSoftware:
        prompts().information(owner_, app::kShortTitle, QStringLiteral("Complete!"));
        break;
    case DspConfigTable:
        eraseMemory();
        break;
    }
}

// Asks the unit for its part numbers over the borrowed connection and waits
// for the answer like a packet acknowledgement.
bool FirmwareUpload::refreshPartNumbers()
{
    const quint32 zero = 0;
    unit::enginePositionCode = -1;
    unit::engineNumber = -1;
    sendRequest(link_, &zero, 4, mirvak::CMD_PN);
    if (waitForAnswer(timing().packetWaitMs) != ExchangeStatus::AnswerReady)
        return false;
    const QString failure = readPartNumberFile(link_.responseFile, partNumbers_);
    dropResponseFile();
    if (!failure.isEmpty()) {
        prompts().critical(owner_, QStringLiteral("MainWindow::decodePN"), failure);
        return false;
    }
    unit::enginePositionCode = int(partNumbers_.enginePositionCode);
    unit::engineNumber = engineNumberOfPositionCode(unit::enginePositionCode);
    emit partNumbersChanged();
    return true;
}

void FirmwareUpload::eraseMemory()
{
    prompts().showNote(owner_, app::kShortTitle, QStringLiteral("Erasing Tessel memory. Please wait..."));
    const quint32 zero = 0;
    sendRequest(link_, &zero, 4, mirvak::CMD_ERASE_DATA);
    const ExchangeStatus status = waitForAnswer(timing().eraseWaitMs);
    dropResponseFile();
    prompts().closeNote();
    if (status == ExchangeStatus::AnswerReady)
        prompts().information(owner_, app::kShortTitle, QStringLiteral("Done!"));
    else
        prompts().critical(owner_, app::kShortTitle, QStringLiteral("Failed!"));
}
