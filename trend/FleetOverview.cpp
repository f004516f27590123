#include "trend/FleetOverview.h"

#include "trend/EngineKey.h"

#include <QHash>
#include <algorithm>
#include <cmath>
#include <tuple>

namespace trend {

namespace {

constexpr qint32 kNoAlarm = 3;

const IndexedFlight& latestDownload(const QList<const IndexedFlight*>& flights)
{
    return **std::max_element(flights.begin(), flights.end(),
                              [](const IndexedFlight* a, const IndexedFlight* b) { return downloadedAfter(*b, *a); });
}

FleetRow rowOf(const QString& engine, const QList<const IndexedFlight*>& flights, const TrendChoice& indicator)
{
    const IndexedFlight& latest = latestDownload(flights);
    FleetRow row;
    row.engine = engine;
    if (latest.unitEngineSerial != latest.engineSerial)
        row.unitEngineSerial = latest.unitEngineSerial;
    row.registration = latest.registration;
    row.enginePosition = latest.enginePosition;
    row.lastDownload = latest.rawCreationTime;
    const QList<const IndexedFlight*> distinct = distinctFlights(flights);
    row.flights = int(distinct.size());
    row.alarmCodes = latest.alarmCodes;
    for (qint32 code : row.alarmCodes)
        row.alarmRank = qMax(row.alarmRank, alarmRank(code));
    QList<double> values;
    for (const TrendPoint& point : trendOf(distinct, indicator).points)
        values.append(point.value);
    setIndicator(row, values);
    return row;
}

// Alarm rank, then largest rise (rows without a change after those with one), then engine.
bool comesFirst(const FleetRow& a, const FleetRow& b)
{
    const auto rise = [](const FleetRow& row) { return std::tuple(row.changePercent.has_value(), row.changePercent.value_or(0)); };
    if (a.alarmRank != b.alarmRank)
        return a.alarmRank > b.alarmRank;
    if (rise(a) != rise(b))
        return rise(a) > rise(b);
    return a.engine < b.engine;
}

}  // namespace

// The latest value against the median of the finite values of up to ten flights before it.
void setIndicator(FleetRow& row, const QList<double>& values)
{
    if (values.isEmpty())
        return;
    const double latest = values.last();
    row.value = latest;
    QList<double> before;
    for (qsizetype i = qMax<qsizetype>(0, values.size() - 1 - kMedianFlights); i < values.size() - 1; ++i)
        if (std::isfinite(values[i]))
            before.append(values[i]);
    const std::optional<double> middle = median(before);
    if (!std::isfinite(latest) || !middle || *middle == 0)
        return;
    row.change = latest - *middle;
    row.changePercent = *row.change / std::abs(*middle) * 100;
}

void sortFleetRows(QList<FleetRow>& rows) { std::sort(rows.begin(), rows.end(), comesFirst); }

int alarmRank(qint32 code)
{
    if (code == kNoAlarm)
        return 0;
    return code >= 0 && code <= 2 ? code + 2 : 1;
}

std::optional<double> median(QList<double> values)
{
    if (values.isEmpty())
        return std::nullopt;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QList<FleetRow> fleetOverview(const QList<IndexedFlight>& flights, const TrendChoice& indicator)
{
    QHash<QString, QList<const IndexedFlight*>> engines;
    for (const IndexedFlight& flight : flights)
        engines[engineKey(flight)].append(&flight);
    TrendChoice everyFlight = indicator;
    everyFlight.memory = Memory::All;
    QList<FleetRow> rows;
    for (auto engine = engines.cbegin(); engine != engines.cend(); ++engine)
        rows.append(rowOf(engine.key(), engine.value(), everyFlight));
    sortFleetRows(rows);
    return rows;
}

QString engineText(const FleetRow& row)
{
    if (row.unitEngineSerial.isEmpty())
        return row.engine;
    return row.engine + QStringLiteral(" (unit: ") + row.unitEngineSerial + QLatin1Char(')');
}

}  // namespace trend
