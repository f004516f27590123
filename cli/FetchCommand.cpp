// tolm-cli fetch: copies an engine's downloads from the fleet repository into
// the data tree.

#include "cli/CliCommand.h"
#include "cli/CliRepository.h"
#include "cli/Commands.h"
#include "cli/CliConsole.h"
#include "core/AircraftCatalogue.h"
#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "repository/PgConnection.h"
#include "repository/RepositoryFetch.h"

int runFetch(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("fetch"),
                          QStringLiteral("Copies every download of one engine from the fleet repository into the data "
                                         "tree (the data root unless --data-dir is given), where the plot window "
                                         "and the flight index find them. Files already there with the same bytes "
                                         "are skipped; a different file of the same name, or a download writing "
                                         "that set at the time, makes the set take the next suffix. The aircraft "
                                         "are added to the station's database as at start-up."),
                          cli::CommandLine::ReachesRepository,
                          {QStringLiteral("tolm-cli fetch --esn 123456"),
                           QStringLiteral("tolm-cli fetch --esn 123456 --repository service=fleet --data-dir /tmp/t")});
    line.add({QStringLiteral("esn"), QStringLiteral("The engine: its serial number, or \"(no ESN) F-GABC/2\"."),
              QStringLiteral("S")});
    cli::addRepositoryOption(line);
    line.parse(arguments);
    cli::require(line.positional().isEmpty(), QStringLiteral("fetch takes no arguments."));
    const QString engine = line.value(QStringLiteral("esn"));
    cli::require(!engine.isEmpty(), QStringLiteral("--esn is required."));
    const QString conninfo = cli::repositoryConnection(line);

    repository::PgConnection connection;
    cli::openRepository(connection, conninfo);
    cli::openStation();
    const repository::FetchOutcome outcome = repository::fetchEngine(connection, engine, dataRootPath());
    for (const QString& path : outcome.written)
        cli::printLine(messageText(path));
    // The aircraft directories just made become known aircraft.
    for (const QString& failure : catalogue::importAircraftDirectories())
        console::message(failure);
    if (!outcome.failure.isEmpty())
        throw cli::Exit{cli::StepFailed, outcome.failure};
    cli::printLine(QStringLiteral("%1 file(s) written, %2 already there.")
                       .arg(QString::number(outcome.written.size()), QString::number(outcome.skipped)));
    return cli::Success;
}
