#pragma once
// The fleet at a glance: one row per engine of the index with its latest
// download's aircraft, position and alarm states and the latest value of one
// indicator against the flights before it, most alarming first.

#include "trend/IndexedFlight.h"
#include "trend/TrendSeries.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

namespace trend {

constexpr int kMedianFlights = 10;  // the indicator's latest value is measured against this many flights before it

struct FleetRow {
    QString engine;  // engineKey()
    QString unitEngineSerial;  // as the unit reported it in the latest download, where that differs from the name's
    QString registration;  // of the latest download
    qint32 enginePosition = 0;
    qint64 lastDownload = 0;  // its creation time, seconds since 1970 UTC
    int flights = 0;  // distinct flights, all memory types
    std::array<qint32, 6> alarmCodes{};  // of the latest download, in the header's order
    int alarmRank = 0;  // the highest rank of the six
    std::optional<double> value;  // the indicator's latest value
    std::optional<double> change;  // against the median of the flights before it; none where not shown
    std::optional<double> changePercent;
};

// The engine as people read it: its key, and beside it the serial number
// the unit reported where that differs: "7001 (unit: 7010)".
QString engineText(const FleetRow& row);

// Level 3 (4) > Level 2 (3) > Level 1 (2) > an unknown code (1) > no alarm (0).
int alarmRank(qint32 code);
// The middle value, or the mean of the middle two; none of no values.
std::optional<double> median(QList<double> values);

// Sets the row's latest value and its change from the indicator's values in
// flight order (the flights without a value left out).
void setIndicator(FleetRow& row, const QList<double>& values);
// Puts rows in their first order: alarm rank, then largest rise.
void sortFleetRows(QList<FleetRow>& rows);

// The rows in their first order: alarm rank, then largest rise. The
// indicator's memory type is ignored: every flight counts.
QList<FleetRow> fleetOverview(const QList<IndexedFlight>& flights, const TrendChoice& indicator = {});

}  // namespace trend
