// tolm-cli trend: one engine's health indicator across every flight the
// flight index holds, as the engine trend window saves it.

#include "cli/CliCommand.h"
#include "cli/CliIndex.h"
#include "cli/CliIndicator.h"
#include "cli/CliJson.h"
#include "cli/CliRepository.h"
#include "cli/Commands.h"
#include "core/MessageText.h"
#include "trend/TrendOutput.h"

#include <cstdio>

namespace {

const QString kEsn = QStringLiteral("esn");
const QString kMemory = QStringLiteral("memory");
const QString kCsv = QStringLiteral("csv");
const QString kJson = QStringLiteral("json");
// In the order of trend::Memory.
const QStringList kMemoryTypes = {QStringLiteral("pre"), QStringLiteral("post"), QStringLiteral("all")};

trend::TrendChoice chosenTrend(const cli::CommandLine& line)
{
    cli::require(!line.value(kEsn).isEmpty(), QStringLiteral("--esn is required."));
    cli::require(line.isSet(QStringLiteral("parameter")), QStringLiteral("--parameter is required."));
    cli::require(!(line.isSet(kCsv) && line.isSet(kJson)), QStringLiteral("Give either --csv or --json."));
    trend::TrendChoice choice = cli::chosenIndicator(line);
    if (line.isSet(kMemory))
        choice.memory = trend::Memory(line.choice(kMemory, kMemoryTypes));
    return choice;
}

void printCsv(const QByteArray& csv)
{
    std::fwrite(csv.constData(), 1, size_t(csv.size()), stdout);
    std::fflush(stdout);
}

}  // namespace

int runTrend(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("trend"),
                          QStringLiteral("Prints one engine's indicator across every distinct flight of the flight "
                                         "index, in order of flight end, then flight number: an aligned table, CSV "
                                         "(the engine trend window's) or JSON. The index is brought up to date "
                                         "first; raw files it cannot read are named on standard error and the exit "
                                         "status is then 1. With --repository: every station's flights from the "
                                         "fleet repository, without a data tree."),
                          cli::CommandLine::ReadsDataOrRepository,
                          {QStringLiteral("tolm-cli trend --esn 123456 --parameter A4R --highest"),
                           QStringLiteral("tolm-cli trend --esn 123456 --parameter 7 --bin 12 --memory post --csv")});
    line.add({kEsn, QStringLiteral("The engine: its serial number, or \"(no ESN) F-GABC/2\" for downloads made "
                                   "without one (tolm-cli fleet lists them)."),
              QStringLiteral("S")});
    cli::addIndicatorOptions(line);
    line.add({kMemory, QStringLiteral("Memory type: pre, post or all (default)."), QStringLiteral("M")});
    line.add({kCsv, QStringLiteral("Print CSV.")});
    line.add({kJson, QStringLiteral("Print one JSON array.")});
    cli::addRepositoryOption(line);
    line.parse(arguments);
    cli::require(line.positional().isEmpty(), QStringLiteral("trend takes no arguments."));
    const trend::TrendChoice choice = chosenTrend(line);
    const QString engine = line.value(kEsn);

    const bool fleet = cli::repositoryGiven(line);
    const cli::IndexedFlights read = fleet ? cli::IndexedFlights{cli::repositoryFlights(line, engine).flights}
                                           : cli::indexedFlights(engine);
    cli::require(!read.flights.isEmpty(),
                 QStringLiteral("No engine \"") + messageText(engine)
                     + (fleet ? QStringLiteral("\" in the fleet repository; tolm-cli fleet --repository lists them.")
                              : QStringLiteral("\" in the flight index; tolm-cli fleet lists them.")));
    const trend::TrendSeries series = trend::engineTrend(read.flights, engine, choice);
    if (line.isSet(kCsv))
        printCsv(trend::trendCsv(series));
    else if (line.isSet(kJson))
        cli::printJson(trend::trendJson(series));
    else
        cli::printLine(trend::trendTable(series).chopped(1));
    return read.allRead ? cli::Success : cli::StepFailed;
}
