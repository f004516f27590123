#include "repository/FleetRead.h"

#include "repository/PgConnection.h"
#include "repository/RepositorySchema.h"
#include "trend/EngineKey.h"
#include "trend/FleetOverview.h"

namespace repository {

FleetRead readFleet(const QString& conninfo, const QString& engineKey)
{
    FleetRead read;
    if (const QString refusal = connectionStringRefusal(conninfo); !refusal.isEmpty()) {
        read.fleet.failure = refusal;
        return read;
    }
    PgConnection connection;
    if (!connection.open(conninfo)) {
        read.fleet.failure = QStringLiteral("Cannot connect to the fleet repository: ") + connection.failure();
        read.needsPassword = connection.needsPassword();
        return read;
    }
    if (const QString refusal = schemaRefusal(connection); !refusal.isEmpty()) {
        read.fleet.failure = refusal;
        return read;
    }
    read.fleet = fleetFlights(connection, engineKey);
    return read;
}

QHash<QString, QString> latestStations(const FleetFlights& fleet)
{
    QHash<QString, const IndexedFlight*> latest;
    for (const IndexedFlight& flight : fleet.flights) {
        const IndexedFlight*& kept = latest[engineKey(flight)];
        if (!kept || trend::downloadedAfter(flight, *kept))
            kept = &flight;
    }
    QHash<QString, QString> stations;
    for (auto it = latest.cbegin(); it != latest.cend(); ++it)
        stations.insert(it.key(), fleet.stationOfRaw.value(it.value()->rawPath));
    return stations;
}

}  // namespace repository
