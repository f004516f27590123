#pragma once
// The fleet's flights as the engine trend and the fleet overview read them
// from the repository: the flights of every station's downloads, in the
// flight index's form, so that the same rules (one flight once, the latest
// download's copy) give the same trend as a station's own index. A flight's
// raw path is the raw file's name; its station is the one that pushed it.

#include "trend/IndexedFlight.h"

#include <QHash>
#include <QList>
#include <QString>

namespace repository {

class PgConnection;

struct FleetFlights {
    QList<IndexedFlight> flights;  // in order of flight end, then flight number
    QHash<QString, QString> stationOfRaw;  // raw file name -> the pushing station's latest name
    QString failure;  // empty when read
};

// The flights of one engine (its engineKey()), or every engine's when empty.
FleetFlights fleetFlights(PgConnection& connection, const QString& engineKey = {});

}  // namespace repository
