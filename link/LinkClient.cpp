#include "link/LinkClient.h"

#include "core/AircraftInfo.h"
#include "core/AppIdentity.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "core/Settings.h"

#include <QDebug>
#include <QFile>
#include <QTcpSocket>
#include <cstring>

namespace {

const QString kIncompatibleSoftware = QStringLiteral(
    "Compatibility problem detected.\n\nThe Configuration Table currently loaded in the Korvel\n"
    "is not compatible with the DSP software, or vice-versa.\nPlease update the firmware");

const QString kUploadMode = QStringLiteral(
    "The Korvel has powered-up with the Tolm cable plugged on its front connector, which is a "
    "special mode reserved for uploading a new MAIN software. In this mode, it is not possible to "
    "download flight data.\n\nTo download flight data, disconnect the cable from the Korvel and "
    "power it OFF. Then power-ON again the Korvel, connect the Tolm cable to the unit and start the "
    "Tolm.");

const QString kUnexpectedSoftware = QStringLiteral(
    "This version of Tolm is not compatible with the software currently loaded in the unit.\n\n"
    "Main Software PNR: %1\nDSP Software PNR: %2\nDSP Config. Table PNR: %3\n\n"
    "Do you want to continue?");

QString openFailure(const QFile& file)
{
    return QStringLiteral("Failed to open %1 (error = %2)").arg(messageText(file.fileName()), QString::number(int(file.error())));
}

// File offsets of the nine built-in test results in the normalised answer.
constexpr int kBiteOffsets[] = {20, 24, 36, 40, 44, 56, 60, 64, 68};

QString unitIdentity(const PartNumberRecord& record)
{
    return fieldText(record.unitPartNumber) + QLatin1Char('/') + fieldText(record.unitSerialNumber);
}

}  // namespace

QString unexpectedSoftwareQuestion(const PartNumberRecord& record)
{
    return kUnexpectedSoftware.arg(messageText(fieldText(record.mainProgPartNumber)),
                                   messageText(fieldText(record.dspProgPartNumber)),
                                   messageText(fieldText(record.dspConfigTablePartNumber)));
}

LinkClient::Timing& LinkClient::timing()
{
    static Timing instance;
    return instance;
}

LinkClient::LinkClient(QObject* owner) : owner_(owner), socket_(std::make_unique<QTcpSocket>())
{
    reconnectTimer_.setSingleShot(true);
    partNumberAnswerTimer_.setSingleShot(true);
    connect(&reconnectTimer_, &QTimer::timeout, this, &LinkClient::reconnectAutomatically);
    connect(&partNumberAnswerTimer_, &QTimer::timeout, this, &LinkClient::partNumberAnswerMissing);
    connect(socket_.get(), &QTcpSocket::connected, this, &LinkClient::tesselConnected);
    connect(socket_.get(), &QTcpSocket::disconnected, this, &LinkClient::tesselDisconnected);
    connect(socket_.get(), &QTcpSocket::readyRead, this, &LinkClient::readyReadSlot);
    connect(socket_.get(), &QTcpSocket::errorOccurred, this, &LinkClient::error);
    context_.socket = socket_.get();
}

LinkClient::~LinkClient()
{
    reconnectTimer_.stop();
    socket_->disconnect(this);
    socket_->abort();
    context_.responseFile.clear();
}

void LinkClient::connectToUnit()
{
    address_ = settings::unitAddress();
    port_ = settings::unitPort();
    quietFailure_ = false;
    startConnection();
}

void LinkClient::reconnectTo(const QString& address, int port)
{
    address_ = address;
    port_ = port;
    closeConnection();
    quietFailure_ = false;
    startConnection();
}

void LinkClient::startConnection()
{
    reconnectTimer_.stop();
    if (socket_->state() != QAbstractSocket::UnconnectedState)
        socket_->abort();
    context_.requestBuffer.fill(0xFF);
    context_.exchangeStatus = ExchangeStatus::Connecting;
    emit endpointChanged(messageText(address_) + QLatin1Char(':') + QString::number(port_));
    emit linkStatusChanged(QStringLiteral("Connecting to server..."));
    socket_->connectToHost(address_, quint16(port_), QIODevice::ReadWrite);
}

void LinkClient::reconnectAutomatically()
{
    if (lent_ || socket_->state() != QAbstractSocket::UnconnectedState)
        return;
    quietFailure_ = true;
    startConnection();
}

void LinkClient::scheduleReconnect()
{
    if (!lent_ && !reconnectTimer_.isActive())
        reconnectTimer_.start(timing().reconnectMs);
}

void LinkClient::partNumberAnswerMissing()
{
    if (lent_ || context_.pendingCommand != PendingQuery::PartNumbers)
        return;
    context_.pendingCommand = PendingQuery::None;
    closeConnection();
    emit linkStatusChanged(QStringLiteral("The unit did not answer the part-number query within %1 s.")
                               .arg(timing().partNumberAnswerMs / 1000.0));
}

void LinkClient::tesselConnected()
{
    emit linkStatusChanged(QStringLiteral("Connected!"));
    requestPartNumbers();
}

void LinkClient::tesselDisconnected()
{
    emit linkStatusChanged(QStringLiteral("Disconnected!"));
    closeConnection();
}

void LinkClient::error(QAbstractSocket::SocketError socketError)
{
    const QString text = messageText(socket_->errorString());  // may name the address typed in the settings
    closeConnection();
    // A unit that closes the connection is told in the status alone; a borrower
    // reports its own failures; automatic attempts retry quietly.
    if (socketError != QAbstractSocket::RemoteHostClosedError && !lent_ && !quietFailure_)
        prompts().critical(owner_, QStringLiteral("Error"), text);
    quietFailure_ = true;
}

// What was read from the unit belongs to the connection that read it.
void LinkClient::endConnection()
{
    ++connectionNumber_;
    biteResults_.reset();
}

void LinkClient::closeConnection()
{
    endConnection();
    emit unitCommandsEnabled(false);
    emit unitLabelChanged(QStringLiteral("PNR: ???"));
    emit serialLabelChanged(QStringLiteral("SER: ???"));
    emit linkStatusChanged(messageText(socket_->errorString()));
    // A partly received answer must not be taken for the start of the next one.
    context_.framer.reset();
    partNumberAnswerTimer_.stop();
    socket_->close();
    scheduleReconnect();
}

void LinkClient::sendQuery(PendingQuery query, quint32 command, quint32 argument,
                           const QString& status)
{
    if (lent_)
        return;  // one exchange with the unit at a time
    emit linkStatusChanged(status);
    context_.pendingCommand = query;
    context_.framer.expectLength(0);  // the answers' sizes are checked when they are decoded
    const int size = mirvak::buildRequest(context_.requestBuffer.data(), &argument, 4, command);
    // On a socket that is not connected nothing is sent.
    if (socket_->state() == QAbstractSocket::ConnectedState)
        socket_->write(reinterpret_cast<const char*>(context_.requestBuffer.data()), size);
}

void LinkClient::requestPartNumbers()
{
    sendQuery(PendingQuery::PartNumbers, mirvak::CMD_PN, 0,
              QStringLiteral("Requesting Part Numbers..."));
    if (socket_->state() == QAbstractSocket::ConnectedState)
        partNumberAnswerTimer_.start(timing().partNumberAnswerMs);
}

void LinkClient::requestBiteResults()
{
    sendQuery(PendingQuery::BiteResults, mirvak::CMD_STATUS_REQ, 1,
              QStringLiteral("Requesting BITE results..."));
}

void LinkClient::checkComm()
{
    if (lent_)
        return;
    if (socket_->state() == QAbstractSocket::ConnectedState)
        requestPartNumbers();
    else
        connectToUnit();
}

void LinkClient::showPartNumbers()
{
    context_.showPartNumbers = true;
    requestPartNumbers();
}

void LinkClient::readyReadSlot()
{
    for (;;) {
        const ResponseFramer::Outcome outcome = context_.framer.next(*socket_);
        if (outcome == ResponseFramer::Outcome::NeedMore)
            return;
        if (outcome != ResponseFramer::Outcome::Response) {
            context_.pendingCommand = PendingQuery::None;
            closeConnection();
            emit linkStatusChanged(QStringLiteral("Invalid block size"));
            return;
        }
        context_.responseFile = context_.framer.normalisedFile();
        const PendingQuery answered = context_.pendingCommand;
        context_.pendingCommand = PendingQuery::None;
        if (answered == PendingQuery::PartNumbers)
            partNumberAnswerTimer_.stop();
        if (context_.responseFile.isEmpty()) {
            const QString failure = context_.framer.failure();
            qDebug().noquote() << failure;
            if (answered == PendingQuery::PartNumbers)
                partNumberExchangeFailed(QStringLiteral("UnsetRsp"), failure);
            else
                prompts().critical(nullptr, QStringLiteral("UnsetRsp"), failure);
        } else if (answered == PendingQuery::PartNumbers) {
            handlePartNumberAnswer();
        } else if (answered == PendingQuery::BiteResults) {
            handleBiteAnswer();
        }
        context_.responseFile.clear();
    }
}

// A unit whose part-number answer is refused is treated like a silent one: the
// connection is left and tried again. The box is shown once per run of such
// failures; the later ones show in the status alone.
void LinkClient::partNumberExchangeFailed(const QString& title, const QString& reason)
{
    closeConnection();
    emit linkStatusChanged(QStringLiteral("Communication error! ") + reason);
    emit partNumbersFailed(reason);
    if (!partNumberFailureShown_) {
        partNumberFailureShown_ = true;
        prompts().critical(owner_, title, reason);
    }
}

void LinkClient::handlePartNumberAnswer()
{
    const QString unitBefore = unitIdentity(record_);
    QString failure;
    if (!decodePartNumbers(failure)) {
        partNumberExchangeFailed(QStringLiteral("MainWindow::decodePN"), failure);
        return;
    }
    if (unitIdentity(record_) != unitBefore)
        endConnection();
    partNumberFailureShown_ = false;

    emit linkStatusChanged(QStringLiteral("Communication OK!"));
    emit unitLabelChanged(QStringLiteral("PNR: ") + messageText(fieldText(record_.unitPartNumber)));
    emit serialLabelChanged(QStringLiteral("SER: ") + messageText(fieldText(record_.unitSerialNumber)));

    if (!partNumbersCompatible(fieldText(record_.dspProgPartNumber),
                               fieldText(record_.dspConfigTablePartNumber)))
        prompts().warning(owner_, app::kLongTitle, kIncompatibleSoftware);

    const bool show = context_.showPartNumbers;
    context_.showPartNumbers = false;
    emit partNumbersReceived(record_, show);
    emit unitCommandsEnabled(true);
}

bool LinkClient::decodePartNumbers(QString& failure)
{
    failure = readPartNumberFile(context_.responseFile, record_);
    if (!failure.isEmpty())
        return false;
    context_.responseFile.clear();
    return true;
}

void LinkClient::handleBiteAnswer()
{
    emit linkStatusChanged(QStringLiteral("Communication OK!"));
    QFile file(context_.responseFile);
    if (!file.open(QIODevice::ReadOnly)) {
        prompts().warning(owner_, QStringLiteral("Error"), openFailure(file));
        return;
    }
    const QByteArray answer = file.readAll();
    if (answer.size() != kBiteAnswerSize) {
        prompts().warning(owner_, QStringLiteral("Error"),
                          QStringLiteral("Error decoding BITE message"));
        return;
    }
    BiteResults results{};
    for (std::size_t i = 0; i < results.size(); ++i)
        std::memcpy(&results[i], answer.constData() + kBiteOffsets[i], sizeof(quint32));
    biteResults_ = results;
    emit biteResultsReceived(results);
}

bool LinkClient::checkDownloadAllowed()
{
    if (unitInUploadMode(record_)) {
        prompts().warning(owner_, app::kShortTitle, kUploadMode);
        return false;
    }
    if (unitSoftwareExpected(record_))
        return true;
    return prompts().question(owner_, app::kShortTitle, unexpectedSoftwareQuestion(record_),
                              Prompts::Yes | Prompts::No, Prompts::No)
           == Prompts::Yes;
}

int LinkClient::lend(const std::function<int(LinkContext&, PartNumberRecord&)>& borrower)
{
    if (lent_)
        return 0;
    if (context_.pendingCommand != PendingQuery::None && socket_->state() == QAbstractSocket::ConnectedState) {
        // Its answer would be taken for the borrower's.
        prompts().information(owner_, app::kShortTitle,
                              QStringLiteral("The unit is still answering a query. Please try again in a moment."));
        return 0;
    }
    disconnect(socket_.get(), &QTcpSocket::readyRead, this, &LinkClient::readyReadSlot);
    context_.socket = socket_.get();
    lent_ = true;
    reconnectTimer_.stop();
    partNumberAnswerTimer_.stop();
    const int result = borrower(context_, record_);
    lent_ = false;
    context_.framer.expectLength(0);
    connect(socket_.get(), &QTcpSocket::readyRead, this, &LinkClient::readyReadSlot);
    context_.responseFile.clear();
    // A borrower that ended with the connection closed hands back a link that
    // must come back by itself.
    if (socket_->state() != QAbstractSocket::ConnectedState) {
        closeConnection();
        reconnectTimer_.stop();
        reconnectAutomatically();
    }
    return result;
}
