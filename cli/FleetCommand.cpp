// tolm-cli fleet: one row per engine of the flight index, most alarming
// first, as the fleet overview lists them.

#include "cli/CliCommand.h"
#include "cli/CliIndex.h"
#include "cli/CliIndicator.h"
#include "cli/CliJson.h"
#include "cli/CliRepository.h"
#include "cli/Commands.h"
#include "repository/PgConnection.h"
#include "repository/RepositoryFleet.h"
#include "trend/AlignedTable.h"
#include "trend/FleetOutput.h"

#include <QJsonObject>

namespace {

void printWithStations(const QList<trend::FleetRow>& rows, const QHash<QString, QString>& stations, bool json)
{
    if (json) {
        QJsonArray array = trend::fleetJson(rows);
        for (qsizetype i = 0; i < array.size(); ++i) {
            QJsonObject object = array[i].toObject();
            object.insert(QStringLiteral("station"), stations.value(rows[i].engine));
            array[i] = object;
        }
        cli::printJson(array);
        return;
    }
    QList<QStringList> table{trend::fleetTableTitles() << QStringLiteral("Station")};
    for (const trend::FleetRow& row : rows)
        table.append(trend::fleetTableRow(row) << stations.value(row.engine));
    cli::printLine(alignedTable(table, {2, 4, 11, 12, 13}).chopped(1));
}

}  // namespace

int runFleet(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("fleet"),
                          QStringLiteral("Lists every engine of the flight index: the aircraft and position of its "
                                         "latest download, its date, the number of distinct flights, the latest "
                                         "alarm states of 4R, 4L and 3B, and the latest value of an indicator "
                                         "(A4R, highest bin, unless given) with its change against the median of "
                                         "the 10 flights before it. Most alarming first, then largest rise. The "
                                         "index is brought up to date first; raw files it cannot read are named "
                                         "on standard error and the exit status is then 1. With --repository: every "
                                         "engine of the fleet repository, with the station of its latest download, "
                                         "without a data tree."),
                          cli::CommandLine::ReadsDataOrRepository,
                          {QStringLiteral("tolm-cli fleet"),
                           QStringLiteral("tolm-cli fleet --parameter A3B --bin 20 --json")});
    cli::addIndicatorOptions(line);
    line.add({QStringLiteral("json"), QStringLiteral("Print one JSON array.")});
    cli::addRepositoryOption(line);
    line.parse(arguments);
    cli::require(line.positional().isEmpty(), QStringLiteral("fleet takes no arguments."));
    const trend::TrendChoice indicator = cli::chosenIndicator(line);

    if (cli::repositoryGiven(line)) {
        repository::PgConnection connection;
        cli::openRepository(connection, cli::repositoryConnection(line));
        const repository::FleetOverviewRead read = repository::fleetOverview(connection, indicator);
        if (!read.failure.isEmpty())
            throw cli::Exit{cli::StepFailed, QStringLiteral("The fleet repository cannot be read: ") + read.failure};
        printWithStations(read.rows, read.stationOfEngine, line.isSet(QStringLiteral("json")));
        return cli::Success;
    }
    const cli::IndexedFlights read = cli::indexedFlights();
    const QList<trend::FleetRow> rows = trend::fleetOverview(read.flights, indicator);
    if (line.isSet(QStringLiteral("json")))
        cli::printJson(trend::fleetJson(rows));
    else
        cli::printLine(trend::fleetTable(rows).chopped(1));
    return read.allRead ? cli::Success : cli::StepFailed;
}
