// tolm-cli export: the ASCII export of the flights named, with the window's writers.

#include "cli/CliCommand.h"
#include "cli/CliConsole.h"
#include "cli/Commands.h"
#include "core/Prompts.h"
#include "export/AsciiExport.h"
#include "export/ExportFiles.h"
#include "flights/FlightQuery.h"

#include <QDir>

namespace {

const QString kOut = QStringLiteral("out");
const QString kTitle = QStringLiteral("Export Data");

FlightRecordList resolvedFlights(const QStringList& references)
{
    FlightRecordList flights;
    for (const QString& reference : references) {
        const ResolvedFlight flight = resolveFlightReference(reference);
        cli::require(flight.record != nullptr, flight.failure);
        flights << flight.record;
    }
    return flights;
}

// A bar over the files on a terminal; otherwise a line as each flight starts.
bool showProgress(const ExportProgress& step, const FlightRecordList& flights)
{
    const QString flight = flightDirectoryName(*flights[step.flight - 1]);
    if (console::errorIsTerminal())
        console::showBar(QStringLiteral("%1  Flight %2 of %3: %4")
                             .arg(console::bar(step.filesDone, step.fileCount), QString::number(step.flight),
                                  QString::number(step.flightCount), step.file));
    else if (step.filesDone % exportFiles().size() == 0)
        console::message(QStringLiteral("Flight %1 of %2: %3")
                             .arg(QString::number(step.flight), QString::number(step.flightCount), flight));
    return true;
}

}  // namespace

int runExport(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("export"),
                          QStringLiteral("Exports the flights as ASCII files, as Export does: one directory per "
                                         "flight in DIR, fifteen files in each. Prints the flight directories."),
                          cli::CommandLine::DataOnly);
    line.add({kOut, QStringLiteral("Directory to export into (created when missing)."), QStringLiteral("DIR")});
    line.parser().addPositionalArgument(QStringLiteral("RAW:FLIGHT..."),
                                        QStringLiteral("The flights: each the first slot of the raw file holding "
                                                       "the flight number."));
    line.parse(arguments);
    cli::require(line.isSet(kOut) && !line.value(kOut).isEmpty(), QStringLiteral("--out is required."));
    cli::require(!line.positional().isEmpty(), QStringLiteral("export takes at least one RAW:FLIGHT."));
    const FlightRecordList flights = resolvedFlights(line.positional());
    const QString directory = QDir(line.value(kOut)).absolutePath();
    if (!QDir().mkpath(directory))
        throw cli::Exit{cli::StepFailed, QStringLiteral("Failed to create directory \"%1\"").arg(directory)};

    ExportCallbacks callbacks;
    callbacks.progress = [&](const ExportProgress& step) { return showProgress(step, flights); };
    callbacks.flightFailed = [](const QString& message) { prompts().warning(nullptr, kTitle, message); };
    const ExportOutcome outcome = exportFlights(flights, directory, callbacks);
    console::clearBar();
    if (outcome.complete())
        prompts().information(nullptr, kTitle, exportSummary(outcome));
    else
        prompts().warning(nullptr, kTitle, exportSummary(outcome));
    QStringList written;
    for (const auto& flight : flights)
        if (const QString path = directory + QLatin1Char('/') + flightDirectoryName(*flight); QDir(path).exists())
            written << path;
    written.removeDuplicates();
    for (const QString& path : written)
        cli::printLine(path);
    return outcome.complete() ? cli::Success : cli::StepFailed;
}
