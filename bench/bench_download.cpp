// The download path: post-processing of the engine-data and flight-history
// answers (raw file and reports), whole sessions against the real simulator
// on loopback, and the peak memory of a session above the idle program.
//
// Peers measured in the same run: a plain copy of a file of the same size for
// post-processing, and the simulator building its answers for the session.
//
// Peak memory is measured in fresh child processes of this program (started
// with --memory-child=idle or --memory-child=session), each with its own
// settings store and simulator: both connect and identify the unit, only the
// second then runs a session. The session's peak above the idle program is
// the difference of their VmHWM. The session child also resets its own
// high-water mark through /proc/self/clear_refs before the session and reports
// the rise above its resident set at that moment.

#include "BenchSupport.h"
#include "SampleAircraft.h"
#include "SimulatorProcess.h"
#include "core/AppIdentity.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "download/DownloadSession.h"
#include "download/EngineReports.h"
#include "download/FlightHistoryReport.h"
#include "download/PostProcessing.h"
#include "download/RawFileWriter.h"
#include "link/LinkClient.h"
#include "link/Protocol.h"
#include "link/ResponseNormalizer.h"
#include "simulator/ResponseBuilder.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <memory>

namespace {

constexpr qint64 kEngineAnswerSize = 5874016;

QuietPrompts quietPrompts;

// A private settings store and data tree; the unit address is loopback before
// anything can connect.
class Environment {
public:
    Environment()
    {
        for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
            QSettings::setPath(format, QSettings::UserScope, dir_.path() + QStringLiteral("/settings"));
        QSettings store;
        store.clear();
        store.setValue(settings::IpAddress, QStringLiteral("127.0.0.1"));
        store.setValue(settings::DataDir, dir_.path() + QStringLiteral("/data"));
        store.sync();
        QDir().mkpath(dataRoot() + QStringLiteral("/tmp"));
        installPrompts(&quietPrompts);
    }
    ~Environment() { installPrompts(nullptr); }

    QString path() const { return dir_.path(); }
    QString dataRoot() const { return dir_.path() + QStringLiteral("/data/Mirvak"); }
    QString aircraftDirectory() const { return dataRoot() + QStringLiteral("/F-GABC_data"); }

private:
    QTemporaryDir dir_;
};

Environment* environment = nullptr;

// The simulator's answer to command, normalised as the link would store it;
// the file is moved to path.
bool normalisedAnswer(quint32 command, const QString& path)
{
    ResponseBuilder builder;
    const QByteArray answer = builder.build(command);
    const QString rawPath = environment->path() + QStringLiteral("/answer.raw");
    QFile raw(rawPath);
    if (!raw.open(QIODevice::WriteOnly) || raw.write(answer) != answer.size())
        return false;
    raw.close();
    QString output;
    const bool ok = normalizeResponse(output, rawPath, quint32(answer.size())) == 0;
    QFile::remove(rawPath);
    QFile::remove(path);
    return ok && QFile::rename(output, path);
}

qint64 fileSize(const QString& path) { return QFileInfo(path).size(); }

// ---------------------------------------------------------------------------
// Post-processing inputs, built once.

struct Inputs {
    QString engineAnswer;   // normalised engine-data answer (kept, copied per iteration)
    QString historyAnswer;  // normalised flight-history answer
    ReportContext context;  // as a session has it before reading the engine data
    ReportContext engineContext;  // with the data header of the engine-data answer
    EngineDataImage image;
    QByteArray history;
    bool ok = false;
};

Inputs& inputs()
{
    static Inputs in = [] {
        Inputs made;
        made.engineAnswer = environment->path() + QStringLiteral("/engine-data.norm");
        made.historyAnswer = environment->path() + QStringLiteral("/flight-history.norm");
        const QString partNumbers = environment->path() + QStringLiteral("/part-numbers.norm");
        if (!normalisedAnswer(mirvak::CMD_DOWNLOAD_DATA, made.engineAnswer)
            || !normalisedAnswer(mirvak::CMD_GET_FLIGHT_HISTORY, made.historyAnswer)
            || !normalisedAnswer(mirvak::CMD_PN, partNumbers))
            return made;

        made.context.aircraft = sampleAircraft();
        made.context.engineNumber = 4;
        made.context.algorithmStates = {1, 1, 1};
        QFile pn(partNumbers);
        if (!pn.open(QIODevice::ReadOnly) || !pn.seek(mirvak::kResponseHeaderSize)
            || pn.read(reinterpret_cast<char*>(&made.context.partNumbers), sizeof(PartNumberRecord))
                   != sizeof(PartNumberRecord))
            return made;
        terminateTextFields(made.context.partNumbers);

        QFile engine(made.engineAnswer);
        if (!engine.open(QIODevice::ReadOnly) || engine.size() != kEngineAnswerSize)
            return made;
        const QByteArray bytes = engine.readAll();
        made.engineContext = made.context;
        made.engineContext.sessionTime = QDateTime::currentDateTime();
        std::memcpy(&made.engineContext.dataHeader, bytes.constData() + engine::kMessageHeaderSize,
                    sizeof(DataHeader));
        made.image = EngineDataImage(bytes.mid(engine::kMessageHeaderSize + sizeof(DataHeader)));

        QFile history(made.historyAnswer);
        if (!history.open(QIODevice::ReadOnly))
            return made;
        made.history = history.readAll();
        made.ok = made.history.size() == kFlightHistoryAnswerSize;
        return made;
    }();
    return in;
}

bool inputsReady(benchmark::State& state)
{
    if (inputs().ok)
        return true;
    state.SkipWithError("the simulator's answers could not be prepared");
    return false;
}

// One post-processing step on a fresh copy of a normalised answer, as the
// session runs it; only the step itself is timed.
template <typename Step>
void postProcessingStep(benchmark::State& state, const QString& answer, Step step)
{
    if (!inputsReady(state))
        return;
    const QString copy = environment->dataRoot() + QStringLiteral("/tmp/answer.norm");
    qint64 written = 0;
    int files = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(copy);
        QFile::copy(answer, copy);
        LinkContext link;
        link.responseFile = copy;
        SessionRecord record;
        record.context = inputs().context;
        record.progress = [](int) {};
        quietPrompts.failures = 0;
        state.ResumeTiming();

        const QString failure = step(link, record);

        state.PauseTiming();
        if (!failure.isEmpty() || quietPrompts.failures > 0) {
            state.SkipWithError(qPrintable(failure.isEmpty() ? quietPrompts.lastFailure : failure));
            break;
        }
        written = 0;
        const QFileInfoList list = QDir(record.files->directory()).entryInfoList(QDir::Files);
        files = int(list.size());
        for (const QFileInfo& file : list)
            written += file.size();
        QDir(environment->aircraftDirectory()).removeRecursively();
        state.ResumeTiming();
    }
    state.counters["written_MB"] = double(written) / 1e6;
    state.counters["files"] = files;
}

void BM_PostProcessEngineData(benchmark::State& state)
{
    postProcessingStep(state, inputs().engineAnswer, reformatData);
    state.SetBytesProcessed(state.iterations() * kEngineAnswerSize);
}

void BM_PostProcessFlightHistory(benchmark::State& state)
{
    postProcessingStep(state, inputs().historyAnswer, extractFlightHistoryData);
    state.SetBytesProcessed(state.iterations() * kFlightHistoryAnswerSize);
}

// One writer alone, from the answer already in memory.
template <typename Write>
void writerAlone(benchmark::State& state, const QString& name, Write write)
{
    if (!inputsReady(state))
        return;
    const QString path = environment->path() + QLatin1Char('/') + name;
    qint64 written = 0;
    for (auto _ : state) {
        const QString error = write(path);
        state.PauseTiming();
        if (!error.isEmpty()) {
            state.SkipWithError(qPrintable(error));
            break;
        }
        written = fileSize(path);
        QFile::remove(path);
        state.ResumeTiming();
    }
    state.counters["written_MB"] = double(written) / 1e6;
}

void BM_RawFileAlone(benchmark::State& state)
{
    writerAlone(state, QStringLiteral("fd.raw"), [](const QString& path) {
        return writeRawFile(path, inputs().engineContext, inputs().image);
    });
}

void BM_CampbellReportAlone(benchmark::State& state)
{
    writerAlone(state, QStringLiteral("cb.txt"), [](const QString& path) {
        return writeCampbellReport(path, inputs().engineContext, inputs().image);
    });
}

void BM_SteadyStateReportAlone(benchmark::State& state)
{
    writerAlone(state, QStringLiteral("ss.txt"), [](const QString& path) {
        return writeSteadyStateReport(path, inputs().engineContext, inputs().image, [](int) {});
    });
}

void BM_TransientReportAlone(benchmark::State& state)
{
    writerAlone(state, QStringLiteral("tr.txt"), [](const QString& path) {
        return writeTransientReport(path, inputs().engineContext, inputs().image, [](int) {});
    });
}

void BM_FlightHistoryReportAlone(benchmark::State& state)
{
    writerAlone(state, QStringLiteral("fh.txt"), [](const QString& path) {
        return writeFlightHistoryReport(path, inputs().engineContext, inputs().history);
    });
}

// The peer: a plain copy of a normalised answer on the same disk.
void plainCopy(benchmark::State& state, const QString& source, qint64 size)
{
    if (!inputsReady(state))
        return;
    const QString copy = environment->path() + QStringLiteral("/copy.norm");
    for (auto _ : state) {
        QFile::copy(source, copy);
        state.PauseTiming();
        QFile::remove(copy);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * size);
}

void BM_PlainCopyOfEngineAnswer(benchmark::State& state)
{
    plainCopy(state, inputs().engineAnswer, kEngineAnswerSize);
}

void BM_PlainCopyOfHistoryAnswer(benchmark::State& state)
{
    plainCopy(state, inputs().historyAnswer, kFlightHistoryAnswerSize);
}

// What the simulator spends building each answer of a session.
void BM_SimulatorBuilds(benchmark::State& state)
{
    ResponseBuilder builder;
    const quint32 command = quint32(state.range(0));
    qint64 size = 0;
    for (auto _ : state) {
        const QByteArray answer = builder.build(command);
        size = answer.size();
        benchmark::DoNotOptimize(answer.constData());
    }
    state.SetBytesProcessed(state.iterations() * size);
}

// ---------------------------------------------------------------------------
// Whole sessions against the real simulator.

// Runs the event loop until done() holds or the time is up.
bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// The simulator and a link that has identified the unit.
struct Rig {
    SimulatorProcess simulator;
    LinkClient link{nullptr};
    bool ready = false;

    Rig()
    {
        if (simulator.port() == 0)
            return;
        bool identified = false;
        const QMetaObject::Connection watch =
            QObject::connect(&link, &LinkClient::unitCommandsEnabled, [&](bool on) { identified = on; });
        settings::setValue(settings::Port, simulator.port());
        link.connectToUnit();
        ready = waitUntil([&] { return identified; }, 10000);
        QObject::disconnect(watch);
    }
};

std::unique_ptr<Rig> rig;

// When each part of one session ended, in ms from its start.
struct SessionFigures {
    bool succeeded = false;
    QString failure;
    double totalMs = 0;
    double answerWaitMs = 0;    // request sent until the answer is normalised, all downloads
    double tickWaitMs = 0;      // answer normalised until the session's watch notices it
    double postProcessMs = 0;   // all post-processing steps
    double engineAnswerMs = 0;  // the engine-data download alone (answer wait)
    double enginePostMs = 0;    // the engine-data post-processing alone
    double longestStallMs = 0;  // the longest time the event loop did not come round
};

// One session, download without erase, from the first request to the
// finished signal that follows the last file closed.
SessionFigures runSession(LinkClient& link)
{
    SessionFigures figures;
    quietPrompts.failures = 0;
    link.lend([&](LinkContext& context, PartNumberRecord& partNumbers) {
        DownloadSession session(context, partNumbers, sampleAircraft(), 4, RequestSet::fromChoices(true, false),
                                nullptr);
        QElapsedTimer clock;
        std::array<qint64, kRequestableSteps> done;
        std::array<qint64, kRequestableSteps> ready;
        done.fill(-1);
        ready.fill(-1);
        int awaited = DownloadAlgoStatus;
        qint64 end = -1;
        QEventLoop loop;
        QObject::connect(&session, &DownloadSession::statusChanged, &loop, [&](int step, const QString& status) {
            done[step] = clock.nsecsElapsed();
            if (status == QLatin1String("Done") && (step == DownloadAlgoStatus || step == DownloadEngineData
                                                    || step == DownloadFlightHistory))
                awaited = step + 2;
        });
        QObject::connect(&session, &DownloadSession::finished, &loop, [&] {
            end = clock.nsecsElapsed();
            loop.quit();
        });
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        // A probe that should fire every millisecond: its longest gap is how long the window would freeze.
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        qint64 lastTick = 0;
        QObject::connect(&probe, &QTimer::timeout, &loop, [&] {
            const qint64 now = clock.nsecsElapsed();
            figures.longestStallMs = std::max(figures.longestStallMs, double(now - lastTick) / 1e6);
            lastTick = now;
        });
        probe.start(1);

        clock.start();
        session.start();
        // Connected after the session's own slot, so it sees the answer once normalised.
        QObject::connect(context.socket, &QTcpSocket::readyRead, &loop, [&] {
            if (context.exchangeStatus == ExchangeStatus::AnswerReady && awaited < kRequestableSteps
                && ready[awaited] < 0)
                ready[awaited] = clock.nsecsElapsed();
        });
        if (!session.isFinished())
            loop.exec();

        figures.succeeded = session.succeeded() && end >= 0 && quietPrompts.failures == 0;
        figures.failure = quietPrompts.lastFailure;
        const auto ms = [](qint64 ns) { return double(ns) / 1e6; };
        figures.totalMs = ms(end);
        qint64 previousDone = 0;
        for (int step : {DownloadAlgoStatus, DownloadEngineData, DownloadFlightHistory}) {
            figures.answerWaitMs += ms(ready[step] - previousDone);
            figures.tickWaitMs += ms(done[step] - ready[step]);
            figures.postProcessMs += ms(done[step + 1] - done[step]);
            if (step == DownloadEngineData) {
                figures.engineAnswerMs = ms(ready[step] - previousDone);
                figures.enginePostMs = ms(done[step + 1] - done[step]);
            }
            previousDone = done[step + 1];
        }
        return 0;
    });
    return figures;
}

void BM_WholeSession(benchmark::State& state)
{
    if (!rig)
        rig = std::make_unique<Rig>();
    if (!rig->ready) {
        state.SkipWithError("the simulator did not come up or did not identify");
        return;
    }
    DownloadSession::timing() = DownloadSession::Timing{};
    DownloadSession::timing().tickMs = int(state.range(0));
    SessionFigures sum;
    for (auto _ : state) {
        const SessionFigures figures = runSession(rig->link);
        if (!figures.succeeded) {
            state.SkipWithError(qPrintable(QStringLiteral("session failed: ") + figures.failure));
            break;
        }
        state.SetIterationTime(figures.totalMs / 1e3);
        sum.answerWaitMs += figures.answerWaitMs;
        sum.tickWaitMs += figures.tickWaitMs;
        sum.postProcessMs += figures.postProcessMs;
        sum.engineAnswerMs += figures.engineAnswerMs;
        sum.enginePostMs += figures.enginePostMs;
        sum.longestStallMs = std::max(sum.longestStallMs, figures.longestStallMs);
        QDir(environment->aircraftDirectory()).removeRecursively();
        rig->simulator.discardOutput();
    }
    const auto average = [](double v) { return benchmark::Counter(v, benchmark::Counter::kAvgIterations); };
    state.counters["answer_wait_ms"] = average(sum.answerWaitMs);
    state.counters["tick_wait_ms"] = average(sum.tickWaitMs);
    state.counters["postproc_ms"] = average(sum.postProcessMs);
    state.counters["engine_answer_ms"] = average(sum.engineAnswerMs);
    state.counters["engine_postproc_ms"] = average(sum.enginePostMs);
    state.counters["longest_stall_ms"] = sum.longestStallMs;  // over all sessions of the run
    DownloadSession::timing() = DownloadSession::Timing{};
}

// ---------------------------------------------------------------------------
// Peak memory, in child processes.

qint64 statusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    return -1;
}

bool resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// The child's side: connect and identify; in "session" mode, then one session.
// Prints "hwm=<kB> rss_before=<kB> reset=<0|1> hwm_after_reset=<kB> session_ms=<ms>".
int memoryChild(const QString& mode)
{
    Rig child;
    if (!child.ready)
        return 3;
    const qint64 rssBefore = statusKb("VmRSS:");
    bool reset = false;
    qint64 afterReset = -1;
    double sessionMs = 0;
    if (mode == QLatin1String("session")) {
        reset = resetPeak();
        const SessionFigures figures = runSession(child.link);
        if (!figures.succeeded)
            return 4;
        sessionMs = figures.totalMs;
        if (reset)
            afterReset = statusKb("VmHWM:");
    }
    std::printf("hwm=%lld rss_before=%lld reset=%d hwm_after_reset=%lld session_ms=%.1f\n",
                statusKb("VmHWM:"), rssBefore, int(reset), afterReset, sessionMs);
    return 0;
}

struct ChildFigures {
    bool ok = false;
    double hwmMb = 0, rssBeforeMb = 0, afterResetMb = -1, sessionMs = 0;
};

ChildFigures runMemoryChild(const QString& mode)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory-child=") + mode});
    ChildFigures figures;
    if (!child.waitForFinished(120000) || child.exitCode() != 0)
        return figures;
    const QRegularExpression line(
        QStringLiteral("hwm=(\\d+) rss_before=(\\d+) reset=(\\d) hwm_after_reset=(-?\\d+) session_ms=([\\d.]+)"));
    const auto match = line.match(QString::fromLatin1(child.readAllStandardOutput()));
    if (!match.hasMatch())
        return figures;
    figures.ok = true;
    figures.hwmMb = match.captured(1).toDouble() / 1024;
    figures.rssBeforeMb = match.captured(2).toDouble() / 1024;
    if (match.captured(3) == QLatin1String("1"))
        figures.afterResetMb = match.captured(4).toDouble() / 1024;
    figures.sessionMs = match.captured(5).toDouble();
    return figures;
}

// One idle child and one session child per iteration; the reported time is
// the session's own duration in its child.
void BM_SessionPeakMemory(benchmark::State& state)
{
    double idle = 0, session = 0, aboveIdle = 0, aboveRss = 0;
    for (auto _ : state) {
        const ChildFigures idleRun = runMemoryChild(QStringLiteral("idle"));
        const ChildFigures sessionRun = runMemoryChild(QStringLiteral("session"));
        if (!idleRun.ok || !sessionRun.ok) {
            state.SkipWithError("a memory child failed");
            break;
        }
        state.SetIterationTime(sessionRun.sessionMs / 1e3);
        idle += idleRun.hwmMb;
        session += sessionRun.hwmMb;
        aboveIdle += sessionRun.hwmMb - idleRun.hwmMb;
        aboveRss += sessionRun.afterResetMb < 0 ? 0 : sessionRun.afterResetMb - sessionRun.rssBeforeMb;
    }
    const auto average = [](double v) { return benchmark::Counter(v, benchmark::Counter::kAvgIterations); };
    state.counters["idle_peak_MB"] = average(idle);
    state.counters["session_peak_MB"] = average(session);
    state.counters["above_idle_MB"] = average(aboveIdle);
    state.counters["above_rss_after_reset_MB"] = average(aboveRss);
}

}  // namespace

BENCHMARK(BM_PostProcessEngineData)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_PlainCopyOfEngineAnswer)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_RawFileAlone)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_CampbellReportAlone)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_SteadyStateReportAlone)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_TransientReportAlone)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_PostProcessFlightHistory)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_FlightHistoryReportAlone)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_PlainCopyOfHistoryAnswer)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_SimulatorBuilds)
    ->Arg(mirvak::CMD_GET_ALGORITHM_STATUS)
    ->Arg(mirvak::CMD_DOWNLOAD_DATA)
    ->Arg(mirvak::CMD_GET_FLIGHT_HISTORY)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly();
// The argument is the session's tick in ms: the default 100 and a 10 ms watch.
BENCHMARK(BM_WholeSession)
    ->Arg(100)
    ->Arg(10)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(9)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly();
BENCHMARK(BM_SessionPeakMemory)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond)
    ->ReportAggregatesOnly();

int main(int argc, char** argv)
{
    QString childMode;
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]).startsWith("--memory-child="))
            childMode = QString::fromLatin1(QByteArray(argv[i]).mid(15));

    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    Environment env;
    environment = &env;
    if (!childMode.isEmpty())
        return memoryChild(childMode);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    rig.reset();
    return 0;
}
