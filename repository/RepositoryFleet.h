#pragma once
// The fleet overview of the repository, worked out mostly by the server: per
// engine its distinct flights counted from the flight index, its latest
// download, and only its latest flights' bytes of the chosen parameter. The
// rows follow the same rules as a station's own overview of the same flights.

#include "trend/FleetOverview.h"

#include <QHash>
#include <QList>
#include <QString>

namespace repository {

class PgConnection;

struct FleetOverviewRead {
    QList<trend::FleetRow> rows;  // in their first order
    QHash<QString, QString> stationOfEngine;  // engine key -> the station of its latest download
    QString failure;  // empty when read
};

FleetOverviewRead fleetOverview(PgConnection& connection, const trend::TrendChoice& indicator = {});

}  // namespace repository
