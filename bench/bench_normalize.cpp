// Normalising the 5 874 016-byte engine-data answer, next to two plain copies
// of the same file on the same disk: QFile::copy (which ends with fdatasync, so
// it waits for the disk) and reading and writing the bytes through one buffer
// of the normaliser's piece size (what any conversion must at least do); and
// the simulator building the answer.

#include "BenchSupport.h"
#include "core/AppIdentity.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "link/Protocol.h"
#include "link/ResponseNormalizer.h"
#include "simulator/ResponseBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QTemporaryDir* workDir;
QString rawPath;

void prepare()
{
    static QTemporaryDir dir;
    workDir = &dir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path() + "/settings");
    settings::setValue(settings::DataDir, dir.path() + "/data");
    QDir().mkpath(dir.path() + "/data/Mirvak/tmp");
    ResponseBuilder builder;
    const QByteArray answer = builder.build(mirvak::CMD_DOWNLOAD_DATA);
    rawPath = dir.path() + "/engine-data.raw";
    QFile raw(rawPath);
    raw.open(QIODevice::WriteOnly);
    raw.write(answer);
}

void BM_NormalizeEngineData(benchmark::State& state)
{
    for (auto _ : state) {
        QString output;
        if (normalizeResponse(output, rawPath, 5874016) != 0)
            state.SkipWithError("normalisation failed");
        state.PauseTiming();
        QFile::remove(output);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * 5874016);
}

void BM_PlainFileCopy(benchmark::State& state)
{
    const QString copy = workDir->path() + "/copy.raw";
    for (auto _ : state) {
        QFile::copy(rawPath, copy);
        state.PauseTiming();
        QFile::remove(copy);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * 5874016);
}

void BM_ReadWriteCopy(benchmark::State& state)
{
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    for (auto _ : state) {
        QFile in(rawPath);
        QTemporaryFile out(workDir->path() + "/copy-XXXXXX.tmp");
        if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered) || !out.open()) {
            state.SkipWithError("cannot open the copy's files");
            break;
        }
        for (qint64 got; (got = in.read(piece.data(), piece.size())) > 0;)
            out.write(piece.constData(), got);
        out.flush();
        state.PauseTiming();
        out.remove();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * 5874016);
}

void BM_SimulatorBuildsEngineData(benchmark::State& state)
{
    ResponseBuilder builder;
    for (auto _ : state)
        benchmark::DoNotOptimize(builder.build(mirvak::CMD_DOWNLOAD_DATA));
    state.SetBytesProcessed(state.iterations() * 5874016);
}

// Build the answer and deliver it over loopback to a reader that takes it all.
void BM_SimulatorBuildsAndSendsEngineData(benchmark::State& state)
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    QTcpSocket reader;
    reader.connectToHost(QHostAddress::LocalHost, server.serverPort());
    server.waitForNewConnection(5000);
    reader.waitForConnected(5000);
    QTcpSocket* sender = server.nextPendingConnection();
    ResponseBuilder builder;
    for (auto _ : state) {
        sender->write(builder.build(mirvak::CMD_DOWNLOAD_DATA));
        qint64 received = 0;
        while (received < 5874016) {
            sender->flush();
            if (reader.waitForReadyRead(10))
                received += reader.readAll().size();
        }
    }
    state.SetBytesProcessed(state.iterations() * 5874016);
}

}  // namespace

BENCHMARK(BM_SimulatorBuildsAndSendsEngineData)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_NormalizeEngineData)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_PlainFileCopy)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_ReadWriteCopy)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();
BENCHMARK(BM_SimulatorBuildsEngineData)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    prepare();
    benchmark::Initialize(&argc, argv);
    MedianKeeper reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto normalise = reporter.medians.find("BM_NormalizeEngineData");
    if (normalise != reporter.medians.end()) {
        std::printf("\n");
        for (const char* peer : {"BM_PlainFileCopy", "BM_ReadWriteCopy"}) {
            const auto copy = reporter.medians.find(peer);
            if (copy == reporter.medians.end())
                continue;
            std::printf("normalising against %s: real %.2f ms against %.2f ms, ratio %.2f; cpu %.2f ms against %.2f ms, "
                        "ratio %.2f\n",
                        peer, normalise->second.real * 1e3, copy->second.real * 1e3,
                        normalise->second.real / copy->second.real, normalise->second.cpu * 1e3,
                        copy->second.cpu * 1e3, normalise->second.cpu / copy->second.cpu);
        }
    }
    return 0;
}
