#pragma once
// The fleet overview as the command line writes it: a JSON array in the
// command line's key style, or an aligned table.

#include "trend/FleetOverview.h"

#include <QJsonArray>
#include <QString>
#include <QStringList>
#include <array>

namespace trend {

// The reports' order of the measuring points: 4R, 3B, 4L, as indices of their current alarm in the header.
constexpr std::array<int, 3> kFleetAlarmColumns = {0, 4, 2};

// "2026-12-08T13:44:00Z"
QString downloadTimeText(qint64 secondsSince1970);

// Objects with esn, registration, engine, lastDownloadUtc, flights,
// alarms ({"4R": {"current": "Level 1", "historic": "No Fault"}, "4L": …, "3B": …}),
// alarmRank, value, change and changePercent (null where none is shown).
QJsonArray fleetJson(const QList<FleetRow>& rows);
QString fleetTable(const QList<FleetRow>& rows);
// The table's column titles and one row's cells, as the table and the fleet window show them.
QStringList fleetTableTitles();
QStringList fleetTableRow(const FleetRow& row);

}  // namespace trend
