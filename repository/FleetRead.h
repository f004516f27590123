#pragma once
// What a window reads from the fleet repository on a worker thread, each read
// with a connection of its own: connect, check the schema, read.

#include "repository/RepositoryFleet.h"
#include "repository/RepositoryFlights.h"

namespace repository {

// Each with its failure (why nothing was read) and whether the server asked
// for a password nobody gave.
struct OverviewRead : FleetOverviewRead {
    bool needsPassword = false;
};

struct EngineFlightsRead : FleetFlights {
    bool needsPassword = false;
};

// The fleet overview with that indicator, worked out by the server.
OverviewRead readOverview(const QString& conninfo, const trend::TrendChoice& indicator);
// The engines alone (no indicator values): a light listing to choose from.
OverviewRead readEngines(const QString& conninfo);
// The flights of one engine (its engineKey()).
EngineFlightsRead readEngineFlights(const QString& conninfo, const QString& engineKey);

}  // namespace repository
