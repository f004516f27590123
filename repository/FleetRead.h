#pragma once
// The fleet's flights read with a connection of their own, as a window asks
// for them from a worker thread: connect, check the schema, read.

#include "repository/RepositoryFlights.h"

namespace repository {

struct FleetRead {
    FleetFlights fleet;  // its failure says why nothing was read
    bool needsPassword = false;  // the server asked for a password nobody gave
};

// The flights of one engine (its engineKey()), or every engine's when empty.
FleetRead readFleet(const QString& conninfo, const QString& engineKey = {});

// Each engine's station of its latest download (greatest creation time, then raw file name).
QHash<QString, QString> latestStations(const FleetFlights& fleet);

}  // namespace repository
