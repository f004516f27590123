#include "download/DownloadSession.h"

#include "core/DataDirectories.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "link/LinkContext.h"
#include "link/ResponseNormalizer.h"

#include <QDir>
#include <QFile>
#include <QtConcurrent/QtConcurrentRun>
#include <QTcpSocket>
#include <QTimerEvent>

namespace {

const QString kTitle = QStringLiteral("Download / Erase");

// The tag of each download step in kept copies of raw answers.
QString rawCopyTag(int step)
{
    switch (step) {
    case DownloadAlgoStatus: return QStringLiteral("as");
    case DownloadEngineData: return QStringLiteral("n4");
    case DownloadFlightHistory: return QStringLiteral("fh");
    default: return QStringLiteral("??");
    }
}

QString megabytes(double bytes) { return QString::number(bytes / 1e6, 'f', 1); }

// Answers longer than this (the engine data) are normalised on a worker thread.
constexpr quint32 kNormaliseOnWorkerAbove = 1 << 20;

}  // namespace

DownloadSession::Timing& DownloadSession::timing()
{
    static Timing instance;
    return instance;
}

QString DownloadSession::stepTitle(int step)
{
    static const char* const titles[kRequestableSteps] = {
        "Downloading Algorithm Status:",   "Post-Processing Algorithm Status:",
        "Downloading Bearing Data:",       "Post-Processing Bearing Data:",
        "Downloading Flight History Data:", "Post-Processing Flight History Data:",
        "Erasing Bearing Data:"};
    return QString::fromLatin1(titles[step]);
}

DownloadSession::DownloadSession(LinkContext& link, const PartNumberRecord& partNumbers,
                                 const AircraftInfo& aircraft, int engineNumber, RequestSet requests,
                                 QObject* owner)
    : link_(link), requests_(requests), eraseTicksLeft_(timing().eraseTicks)
{
    record_.context.partNumbers = partNumbers;
    record_.context.aircraft = aircraft;
    record_.context.engineNumber = engineNumber;
    owner_ = owner;
    record_.progress = [this](int percent) { emit progressChanged(percent); };
    statuses_.fill(QStringLiteral("-"));
}

DownloadSession::~DownloadSession()
{
    if (!finished_)
        stop();
}

QStringList DownloadSession::filesWritten() const
{
    QStringList written;
    // The names are this session's own: a name already taken gets another suffix.
    if (record_.files)
        for (const QString& path : record_.files->all())
            if (QFile::exists(path))
                written << path;
    return written;
}

void DownloadSession::setDetailsStored(const QFuture<QString>& stored)
{
    const auto takeOutcome = [this](const QFuture<QString>& done) {
        detailsFailure_ = done.resultCount() > 0 ? done.result() : QStringLiteral("storing them was cancelled");
    };
    if (stored.isFinished()) {
        takeOutcome(stored);
        return;
    }
    detailsStoring_ = std::make_unique<QFutureWatcher<QString>>();
    connect(detailsStoring_.get(), &QFutureWatcher<QString>::finished, this, [this, takeOutcome] {
        takeOutcome(detailsStoring_->future());
        detailsStoring_.release()->deleteLater();
        if (std::exchange(awaitingDetails_, false) && !finished_)
            startState();
    });
    detailsStoring_->setFuture(stored);
}

void DownloadSession::start()
{
    connect(link_.socket, &QTcpSocket::readyRead, this, &DownloadSession::readyReadSlot);
    connect(link_.socket, &QTcpSocket::disconnected, this, &DownloadSession::connectionLost);
    link_.framer.deferAbove(kNormaliseOnWorkerAbove);
    if (settings::flag(settings::SaveRawFiles))
        link_.framer.setRawCopyHook([this](const QString& raw) { keepRawCopy(raw); });
    startState();
    if (!finished_)
        timerId_ = startTimer(timing().tickMs);
}

void DownloadSession::cancel()
{
    if (finished_)
        return;
    const bool eraseSent = step_ == EraseData && waiting_;
    stop();
    prompts().information(owner_, kTitle,
                          eraseSent ? QStringLiteral("Download cancelled. The erase had already been sent: "
                                                     "the unit may have erased its memory.")
                                    : QStringLiteral("Download cancelled. The unit's memory was not erased."));
}

void DownloadSession::stop()
{
    cancelled_ = true;
    if (waiting_)
        abandonExchange(link_);  // the answer would otherwise arrive in the middle of the next exchange
    finish();
}

void DownloadSession::setStatus(int step, const QString& status)
{
    Q_ASSERT(step >= 0 && step < kRequestableSteps);
    statuses_[step] = status;
    emit statusChanged(step, status);
}

void DownloadSession::startState()
{
    while (!finished_ && runStep())
        ++step_;
}

// Runs the current step; true when it is over and the next may start.
bool DownloadSession::runStep()
{
    // Whether the details were stored decides the erase and the summary.
    if ((step_ == EraseData || step_ == SessionComplete) && detailsStoring_) {
        awaitingDetails_ = true;
        return false;
    }
    if (step_ == SessionComplete) {
        finish();
        return false;
    }
    if (!requests_.contains(step_)) {
        setStatus(step_, QStringLiteral("Not requested"));
        return true;
    }
    if (exchangeEnded_) {
        setStatus(step_, step_ == EraseData ? QStringLiteral("Skipped") : QStringLiteral("Not run"));
        return true;
    }
    const int n = record_.context.engineNumber;
    switch (step_) {
    case DownloadAlgoStatus:
        record_.context.algorithmStates.fill(0);
        emit progressLabelChanged(QStringLiteral("Downloading Tessel Aglorithm Status Data"));
        sendCommand(mirvak::CMD_GET_ALGORITHM_STATUS, {0});
        return false;
    case PostProcessAlgoStatus:
        return postProcess(QStringLiteral("Post-processing Tessel Aglorithm Status Data"), &extractAlgoStatus);
    case DownloadEngineData:
        emit progressLabelChanged(QStringLiteral("Downloading Tessel Data for Engine %1").arg(n));
        sendCommand(mirvak::CMD_DOWNLOAD_DATA, {quint32(n), 0});
        return false;
    case PostProcessEngineData:
        return postProcess(QStringLiteral("Post-processing Tessel Data for Engine %1").arg(n), &reformatData);
    case DownloadFlightHistory:
        emit progressLabelChanged(QStringLiteral("Downloading Tessel Flight History Data"));
        sendCommand(mirvak::CMD_GET_FLIGHT_HISTORY, {0});
        return false;
    case PostProcessFlightHistory:
        return postProcess(QStringLiteral("Post-processing Tessel Flight History Data"), &extractFlightHistoryData);
    default:
        break;
    }

    // The erase.
    if (!detailsFailure_.isEmpty()) {
        // The files name an aircraft and engine the database does not hold.
        failures_ << step_;
        reasons_[step_] = detailsNotStoredText();
        notErasedReason_ = QStringLiteral("the aircraft and engine details could not be stored in the database");
        setStatus(step_, QStringLiteral("Skipped"));
        return true;
    }
    emit progressLabelChanged(QStringLiteral("Erasing Tessel Data for Engine %1").arg(n));
    emit progressRangeChanged(timing().eraseTicks / 10);
    emit progressChanged(0);
    if (!confirmErase()) {
        if (finished_)
            return false;  // cancelled while the question was open
        setStatus(step_, QStringLiteral("Skipped"));  // the technician declined
        return true;
    }
    eraseSent_ = sendCommand(mirvak::CMD_ERASE_DATA, {quint32(n)});
    return false;
}

bool DownloadSession::postProcess(const QString& label, QString (*work)(LinkContext&, SessionRecord&))
{
    emit progressLabelChanged(label);
    emit progressChanged(0);
    runInBackground([this, work] { return work(link_, record_); },
                    [this](const QString& failure) {
                        if (!failure.isEmpty()) {
                            failures_ << step_;
                            reasons_[step_] = failure;
                            exchangeEnded_ = true;
                        }
                        setStatus(step_, failure.isEmpty() ? QStringLiteral("Done") : QStringLiteral("Failed"));
                        ++step_;
                        startState();
                    });
    return false;
}

void DownloadSession::runInBackground(std::function<QString()> work, std::function<void(const QString&)> done)
{
    background_ = std::make_unique<QFutureWatcher<QString>>();
    connect(background_.get(), &QFutureWatcher<QString>::finished, this, [this, done = std::move(done)] {
        const QString failure = background_->result();
        background_.release()->deleteLater();
        if (!finished_)
            done(failure);
    });
    background_->setFuture(QtConcurrent::run(std::move(work)));
}

void DownloadSession::waitForBackgroundWork()
{
    if (!background_)
        return;
    background_->disconnect(this);
    background_->waitForFinished();
    background_.reset();
}

// Asks what must be asked before the unit's memory is wiped. The session
// stands still meanwhile: the ticks and answers that arrive while the
// question is open move nothing on.
bool DownloadSession::confirmErase()
{
    QStringList questions;
    if (!requests_.contains(DownloadEngineData))
        questions << kEraseWithoutDownloadQuestion;
    const auto& states = record_.context.algorithmStates;
    if (std::find(states.begin(), states.end(), 0) != states.end())
        questions << kDeactivatedAlgorithmQuestion;
    for (const QString& question : questions) {
        asking_ = true;
        const auto answer = prompts().question(owner_, kEraseQuestionTitle, question,
                                               Prompts::Yes | Prompts::No, Prompts::No);
        asking_ = false;
        if (finished_ || answer != Prompts::Yes)
            return false;
    }
    return true;
}

bool DownloadSession::sendCommand(quint32 command, std::initializer_list<quint32> arguments)
{
    emit progressChanged(0);
    lastReceived_ = 0;
    lastByteAt_ = 0;
    sinceSent_.start();
    waiting_ = true;
    const QList<quint32> words(arguments);
    return sendRequest(link_, words.constData(), int(words.size() * 4), command);
}

void DownloadSession::readyReadSlot()
{
    // A complete answer moves the session on at once rather than at the next tick.
    if (background_)
        return;  // the unit owes nothing now; what it sends waits until the work is done
    if (receiveAnswers(link_) && step_ != EraseData)
        QMetaObject::invokeMethod(this, [this] {
            if (!finished_ && !asking_ && waiting_)
                watchDownload();
        }, Qt::QueuedConnection);
}

void DownloadSession::connectionLost()
{
    if (!waiting_ || link_.exchangeStatus != ExchangeStatus::Waiting)
        return;
    link_.exchangeStatus = ExchangeStatus::Failed;
    link_.failure = QStringLiteral("The unit closed the connection before its answer was complete.");
}

void DownloadSession::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != timerId_ || finished_ || asking_ || !waiting_)
        return;
    if (step_ == EraseData)
        watchErase();
    else
        watchDownload();
}

void DownloadSession::watchDownload()
{
    if (link_.exchangeStatus == ExchangeStatus::AnswerReady) {
        waiting_ = false;
        emit progressChanged(100);
        showTransfer(sinceSent_.elapsed());
        if (!link_.message.isEmpty())
            normaliseInBackground();
        else
            answerComplete();
        return;
    }
    if (link_.exchangeStatus == ExchangeStatus::Failed) {
        failExchange(link_.failure);
        return;
    }
    const qint64 now = sinceSent_.elapsed();
    if (link_.received != lastReceived_) {
        lastReceived_ = link_.received;
        lastByteAt_ = now;
    }
    if (now - lastByteAt_ >= timing().answerTimeoutMs) {
        failExchange(QStringLiteral("The unit sent nothing for %1 s while: %2\nThe connection was closed.")
                         .arg(timing().answerTimeoutMs / 1000.0)
                         .arg(stepTitle(step_).chopped(1)));
        return;
    }
    if (link_.expected > 0) {
        emit progressChanged(int(quint64(link_.received) * 100 / link_.expected));
        showTransfer(now);
    }
}

void DownloadSession::answerComplete()
{
    setStatus(step_, QStringLiteral("Done"));
    ++step_;
    startState();
}

void DownloadSession::normaliseInBackground()
{
    // Nothing else touches the answer file while the work runs; the session waits for it.
    runInBackground(
        [this, message = std::exchange(link_.message, RawMessage{}), hook = link_.framer.rawCopyHook()] {
            QString failure;
            link_.responseFile = ResponseFramer::normalise(message, failure, hook);
            return failure;
        },
        [this](const QString& failure) {
            if (link_.responseFile.isEmpty())
                failExchange(failure);
            else
                answerComplete();
        });
}

void DownloadSession::showTransfer(qint64 elapsedMs)
{
    if (link_.expected == 0)
        return;
    const double seconds = qMax<qint64>(elapsedMs, 1) / 1000.0;
    emit transferChanged(QStringLiteral("%1 of %2 MB, %3 MB/s")
                             .arg(megabytes(link_.received), megabytes(link_.expected),
                                  megabytes(link_.received / seconds)));
}

void DownloadSession::watchErase()
{
    if (--eraseTicksLeft_ <= 0) {
        abandonExchange(link_);  // a late answer must not be taken for the next exchange
        endErase(QStringLiteral("Timeout"),
                 QStringLiteral("The unit did not answer within %1 s.")
                     .arg(double(timing().eraseTicks) * timing().tickMs / 1000.0));
        return;
    }
    if (link_.exchangeStatus == ExchangeStatus::Waiting) {
        emit progressChanged(qMin(timing().eraseTicks / 10, timing().eraseTicks - eraseTicksLeft_));
        return;
    }
    link_.responseFile.clear();
    if (link_.exchangeStatus == ExchangeStatus::AnswerReady)
        endErase(QStringLiteral("Done"), QString());
    else
        endErase(QStringLiteral("Failed"), link_.failure);
}

// Ends the erase step; failure is empty when the unit confirmed the erase.
// Only an acknowledgement error says that the unit did not erase: once the
// request went out, a lost, malformed or late answer leaves it unknown.
void DownloadSession::endErase(const QString& status, const QString& failure)
{
    waiting_ = false;
    if (!failure.isEmpty()) {
        failures_ << step_;
        reasons_[step_] = failure;
        if (failure == kDetectedAckError)
            notErasedReason_ = QStringLiteral("the unit refused the erase");
        else if (!eraseSent_)
            notErasedReason_ = QStringLiteral("its request could not be sent");
        else
            eraseAnswerLost_ = failure.endsWith(QLatin1Char('.')) ? failure.chopped(1) : failure;
    }
    setStatus(step_, status);
    ++step_;
    startState();
}

void DownloadSession::failExchange(const QString& reason)
{
    if (link_.exchangeStatus == ExchangeStatus::Waiting)
        abandonExchange(link_);  // whatever still arrives belongs to no request
    waiting_ = false;
    exchangeEnded_ = true;
    failures_ << step_;
    reasons_[step_] = reason;
    setStatus(step_, QStringLiteral("Failed"));
    ++step_;
    startState();
}

void DownloadSession::finish()
{
    finished_ = true;
    waitForBackgroundWork();
    detailsStoring_.reset();  // cancelled: the failures are still shown when the store ends
    link_.framer.deferAbove(0);
    link_.message = RawMessage{};
    if (timerId_)
        killTimer(timerId_);
    timerId_ = 0;
    link_.socket->disconnect(this);
    link_.framer.setRawCopyHook(nullptr);
    if (record_.files)
        record_.files->release();
    if (!cancelled_) {
        emit progressRangeChanged(100);
        emit progressChanged(100);
        if (failures_.isEmpty() && detailsFailure_.isEmpty()) {
            emit progressLabelChanged(QStringLiteral("Processing complete"));
            QString text = QStringLiteral("Processing complete!");
            if (record_.files)
                text += QStringLiteral("\n\nThe files were written to:\n%1")
                            .arg(QDir::toNativeSeparators(record_.files->directory()));
            prompts().information(owner_, kTitle, text);
        } else {
            emit progressLabelChanged(QStringLiteral("Processing ended with errors"));
            prompts().warning(owner_, kTitle, summary());
        }
    }
    emit finished();
}

QString DownloadSession::summary() const
{
    QString text = QStringLiteral("Processing ended with errors:\n");
    for (int step : failures_) {
        text += QStringLiteral("\n%1 %2").arg(stepTitle(step), statuses_[step]);
        if (!reasons_[step].isEmpty())
            text += QStringLiteral("\n    ") + QString(reasons_[step]).replace(QLatin1Char('\n'), QStringLiteral("\n    "));
    }
    if (!detailsFailure_.isEmpty() && !failures_.contains(EraseData))
        text += QLatin1Char('\n') + detailsNotStoredText();
    if (!requests_.contains(EraseData) || statuses_[EraseData] == QLatin1String("Done"))
        return text;
    if (!eraseAnswerLost_.isEmpty())
        return text + QStringLiteral("\n\nThe erase request was sent but its answer was lost or invalid (")
               + eraseAnswerLost_ + QStringLiteral("): the unit's memory may have been erased.");
    return text + QStringLiteral("\n\nThe unit's memory was not erased: ")
           + (notErasedReason_.isEmpty() ? QStringLiteral("not all of its data was safely stored") : notErasedReason_)
           + QLatin1Char('.');
}

QString DownloadSession::detailsNotStoredText() const
{
    return QStringLiteral("The aircraft and engine details could not be stored in the database: ") + detailsFailure_;
}

void DownloadSession::keepRawCopy(const QString& rawFile) const
{
    const QString copy = QStringLiteral("%1/tmp/ESN%2-%3-%4.dat")
                             .arg(dataRootPath(), textOf(record_.context.engine().serialNumber),
                                  rawCopyTag(step_),
                                  QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmm")));
    QFile::copy(rawFile, copy);
}
