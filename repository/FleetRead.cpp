#include "repository/FleetRead.h"

#include "repository/PgConnection.h"
#include "repository/RepositorySchema.h"

namespace repository {
namespace {

// The failure text, empty when the connection is open on a schema this station knows.
QString openChecked(PgConnection& connection, const QString& conninfo, bool* needsPassword)
{
    if (const QString refusal = connectionStringRefusal(conninfo); !refusal.isEmpty())
        return refusal;
    if (!connection.open(conninfo)) {
        *needsPassword = connection.needsPassword();
        return QStringLiteral("Cannot connect to the fleet repository: ") + connection.failure();
    }
    return schemaRefusal(connection);
}

}  // namespace

OverviewRead readOverview(const QString& conninfo, const trend::TrendChoice& indicator)
{
    OverviewRead read;
    PgConnection connection;
    read.failure = openChecked(connection, conninfo, &read.needsPassword);
    if (read.failure.isEmpty())
        static_cast<FleetOverviewRead&>(read) = fleetOverview(connection, indicator);
    return read;
}

OverviewRead readEngines(const QString& conninfo)
{
    // A parameter that does not exist asks the server for no flight values.
    return readOverview(conninfo, trend::TrendChoice{-1, trend::kHighestBin, trend::Memory::All});
}

EngineFlightsRead readEngineFlights(const QString& conninfo, const QString& engineKey)
{
    EngineFlightsRead read;
    PgConnection connection;
    read.failure = openChecked(connection, conninfo, &read.needsPassword);
    if (read.failure.isEmpty() && !engineKey.isEmpty())  // an empty key would read every engine's flights
        static_cast<FleetFlights&>(read) = fleetFlights(connection, engineKey);
    return read;
}

}  // namespace repository
