// tolm-cli export: the ASCII export of the flights named, with the window's writers.

#include "cli/CliCommand.h"
#include "cli/CliConsole.h"
#include "cli/Commands.h"
#include "core/MessageText.h"
#include "core/Prompts.h"
#include "export/AsciiExport.h"
#include "export/ExportFiles.h"

#include <QDir>

namespace {

const QString kOut = QStringLiteral("out");
const QString kTitle = QStringLiteral("Export Data");

FlightRecordList namedFlights(const QStringList& references)
{
    FlightRecordList flights;
    for (const QString& reference : references)
        flights << cli::flightNamed(reference);
    return flights;
}

// A bar over the files on a terminal; otherwise a line as each flight starts.
bool showProgress(const ExportProgress& step, const FlightRecordList& flights)
{
    const QString flight = flightDirectoryName(*flights[step.flight - 1]);
    if (console::drawsBar())
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
                          cli::CommandLine::ReadsData,
                          {QStringLiteral("tolm-cli export --out ~/export ESN123456-fd-20261208-1344.raw:3")});
    line.add({kOut, QStringLiteral("Directory to export into (created when missing)."), QStringLiteral("DIR")});
    line.parser().addPositionalArgument(QStringLiteral("RAW:FLIGHT|RAW@SLOT..."),
                                        QStringLiteral("The flights: each the first slot of the raw file holding "
                                                       "the flight number, or the slot (0 to 20) named."));
    line.parse(arguments);
    cli::require(line.isSet(kOut) && !line.value(kOut).isEmpty(), QStringLiteral("--out is required."));
    cli::require(!line.positional().isEmpty(), QStringLiteral("export takes at least one RAW:FLIGHT or RAW@SLOT."));
    const FlightRecordList flights = namedFlights(line.positional());
    const QString directory = QDir(line.value(kOut)).absolutePath();
    if (!QDir().mkpath(directory))
        throw cli::Exit{cli::StepFailed, QStringLiteral("Failed to create directory \"%1\"").arg(messageText(directory))};

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
