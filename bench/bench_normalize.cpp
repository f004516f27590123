// Normalising the 5 874 016-byte engine-data answer, next to a plain copy of a
// file of the same size on the same disk, and the simulator building it.

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
#include <benchmark/benchmark.h>

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
BENCHMARK(BM_SimulatorBuildsEngineData)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    prepare();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
