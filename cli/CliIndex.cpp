#include "cli/CliIndex.h"

#include "cli/CliCommand.h"
#include "cli/CliConsole.h"
#include "core/DataDirectories.h"
#include "core/MessageText.h"
#include "trend/FlightIndex.h"

namespace cli {

IndexedFlights indexedFlights(const QString& engine)
{
    const QString dataRoot = dataRootLocation();
    FlightIndex index(dataRoot + QStringLiteral("/tolm.db"));
    const IndexChanges changes = index.update(dataRoot);
    if (!changes.failure.isEmpty())
        throw Exit{StepFailed, changes.failure};
    // The files refused are named; the flights of the others are used all the same.
    tellRefusedFiles(changes);
    QString failure;
    IndexedFlights read{index.flights(engine, &failure), changes.refused.isEmpty()};
    if (!failure.isEmpty())
        throw Exit{StepFailed, failure};
    return read;
}

void tellRefusedFiles(const IndexChanges& changes)
{
    for (const auto& [path, why] : changes.refused)
        console::message(messageText(path) + QStringLiteral(": ") + why + QLatin1Char('.'));
}

}  // namespace cli
