#include "repository/RepositoryFleet.h"

#include "repository/PgConnection.h"
#include "repository/RepositoryFlights.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace repository {
namespace {

// Each engine with flights: its distinct flights (counted as they arrived),
// its latest download holding flights and that download's station.
const char kEngines[] =
    "SELECT e.engine_key, e.serial, l.registration, l.engine_position, l.created, l.unit_engine_serial,"
    " array_to_string(l.alarm_codes, ','),"
    " (SELECT n.name FROM station_name n WHERE n.station_id = l.station_id ORDER BY n.named DESC LIMIT 1),"
    " c.flights"
    " FROM engine_flights c JOIN engine e ON e.id = c.engine_id"
    " CROSS JOIN LATERAL (SELECT d.* FROM download d WHERE d.engine_id = e.id"
    " AND EXISTS (SELECT FROM flight f WHERE f.download_id = d.id)"
    // The latest download: creation time, then the name without its extension, longer first ("-2" after none).
    " ORDER BY d.created DESC, length(regexp_replace(d.raw_name, '\\.[^.]*$', '')) DESC,"
    " regexp_replace(d.raw_name, '\\.[^.]*$', '') COLLATE \"C\" DESC LIMIT 1) l";

// Each engine's latest flight rows (copies included) with the chosen
// parameter's 26 floats; copies of one flight follow each other, the latest
// download's first.
const char kLatestFlights[] =
    "SELECT e.engine_key, w.date_word, w.time_word, w.flight_number, w.steady_sha256, d.created, d.raw_name,"
    " w.slot, substring(w.flight_values from $1 for $2)"
    " FROM engine e CROSS JOIN LATERAL (SELECT f.* FROM flight f WHERE f.engine_id = e.id"
    " ORDER BY f.date_word DESC, f.time_word >> 5 DESC, f.flight_number DESC LIMIT $3) w"
    " JOIN download d ON d.id = w.download_id"
    " ORDER BY e.engine_key, w.date_word, w.time_word, w.flight_number, w.steady_sha256, d.created DESC,"
    " length(regexp_replace(d.raw_name, '\\.[^.]*$', '')) DESC, regexp_replace(d.raw_name, '\\.[^.]*$', '')"
    " COLLATE \"C\" DESC";

// Flight rows read per engine: the latest flight and the ones its change is
// measured against, with room for copies.
constexpr int kWindow = trend::kMedianFlights + 1 + 4;
constexpr int kParameterBytes = trend::kBins * sizeof(float);

struct WindowFlight {
    quint16 dateWord = 0;
    quint16 timeWord = 0;
    qint32 flightNumber = 0;
    qint64 created = 0;
    QString rawName;
    qint32 slot = 0;
    std::array<float, trend::kBins> bins{};

    // Flight end to the minute, then flight number, then where it lies, as the station orders flights.
    auto order() const
    {
        return std::tuple<quint16, int, qint32, qint64, const QString&, qint32>(dateWord, minute(), flightNumber,
                                                                                created, rawName, slot);
    }
    int minute() const { return timeWord >> 5; }
};

struct EngineWindow {
    QList<WindowFlight> flights;  // each flight once
    int rowsRead = 0;
};

bool validIndicator(const trend::TrendChoice& indicator)
{
    return indicator.parameter >= 0 && indicator.parameter < trend::kParameters && indicator.bin >= trend::kHighestBin
           && indicator.bin <= trend::kBins;
}

trend::FleetRow rowOf(const PgResult& rows, int row)
{
    trend::FleetRow fleetRow;
    fleetRow.engine = rows.text(row, 0);
    const QString unitSerial = rows.text(row, 5);
    if (unitSerial != rows.text(row, 1))
        fleetRow.unitEngineSerial = unitSerial;
    fleetRow.registration = rows.text(row, 2);
    fleetRow.enginePosition = qint32(rows.number(row, 3));
    fleetRow.lastDownload = rows.number(row, 4);
    const QStringList alarms = rows.text(row, 6).split(QLatin1Char(','));
    for (int alarm = 0; alarm < 6 && alarm < alarms.size(); ++alarm) {
        fleetRow.alarmCodes[alarm] = alarms[alarm].toInt();
        fleetRow.alarmRank = qMax(fleetRow.alarmRank, trend::alarmRank(fleetRow.alarmCodes[alarm]));
    }
    fleetRow.flights = int(rows.number(row, 8));
    return fleetRow;
}

std::optional<QHash<QString, EngineWindow>> latestFlights(PgConnection& connection, int parameter)
{
    const auto rows = connection.execBinary(kLatestFlights, {PgParam::number(1 + parameter * kParameterBytes),
                                                       PgParam::number(kParameterBytes), PgParam::number(kWindow)});
    if (!rows)
        return std::nullopt;
    QHash<QString, EngineWindow> windows;
    std::tuple<QString, qint64, qint64, qint64, QByteArray> previous;
    for (int row = 0; row < rows->rows(); ++row) {
        EngineWindow& window = windows[rows->text(row, 0)];
        ++window.rowsRead;
        auto flightWords = std::tuple(rows->text(row, 0), rows->number(row, 1), rows->number(row, 2),
                                      rows->number(row, 3), rows->bytes(row, 4));
        if (flightWords == std::exchange(previous, flightWords))
            continue;  // a copy of the flight before
        WindowFlight flight{quint16(rows->number(row, 1)), quint16(rows->number(row, 2)),
                            qint32(rows->number(row, 3)), rows->number(row, 5), rows->text(row, 6),
                            qint32(rows->number(row, 7))};
        const QByteArray bins = rows->bytes(row, 8);
        if (bins.size() == kParameterBytes)
            std::memcpy(flight.bins.data(), bins.constData(), kParameterBytes);
        window.flights.append(flight);
    }
    return windows;
}

// The indicator's values in flight order, or none when the window may lack
// flights that count: copies of its oldest flight may be cut, so that flight is left out.
std::optional<QList<double>> windowValues(EngineWindow window, int bin)
{
    std::sort(window.flights.begin(), window.flights.end(),
              [](const WindowFlight& a, const WindowFlight& b) { return a.order() < b.order(); });
    const bool cut = window.rowsRead == kWindow;
    const auto isOldest = [&](const WindowFlight& flight) {
        const WindowFlight& oldest = window.flights.constFirst();
        return std::tuple(flight.dateWord, flight.minute(), flight.flightNumber)
               == std::tuple(oldest.dateWord, oldest.minute(), oldest.flightNumber);
    };
    QList<double> values;
    for (const WindowFlight& flight : window.flights) {
        if (cut && isOldest(flight))
            continue;
        if (const auto value = trend::binValue(flight.bins, bin))
            values.append(*value);
    }
    if (cut && values.size() <= trend::kMedianFlights)
        return std::nullopt;
    return values;
}

// The indicator of one engine read whole, for the rare engine whose latest rows are mostly copies.
bool setFromEveryFlight(PgConnection& connection, trend::FleetRow& row, const trend::TrendChoice& indicator)
{
    const FleetFlights read = fleetFlights(connection, row.engine);
    if (!read.failure.isEmpty())
        return false;
    const QList<trend::FleetRow> whole = trend::fleetOverview(read.flights, indicator);
    if (!whole.isEmpty()) {
        row.value = whole.first().value;
        row.change = whole.first().change;
        row.changePercent = whole.first().changePercent;
    }
    return true;
}

}  // namespace

FleetOverviewRead fleetOverview(PgConnection& connection, const trend::TrendChoice& indicator)
{
    FleetOverviewRead read;
    const auto fail = [&] {
        read.rows.clear();
        read.failure = connection.failure();
        return read;
    };
    const auto engines = connection.execBinary(kEngines);
    if (!engines)
        return fail();
    const auto windows = validIndicator(indicator) ? latestFlights(connection, indicator.parameter)
                                                   : QHash<QString, EngineWindow>();
    if (!windows)
        return fail();
    for (int row = 0; row < engines->rows(); ++row) {
        trend::FleetRow fleetRow = rowOf(*engines, row);
        read.stationOfEngine.insert(fleetRow.engine, engines->text(row, 7));
        if (const auto values = windowValues(windows->value(fleetRow.engine), indicator.bin))
            trend::setIndicator(fleetRow, *values);
        else if (!setFromEveryFlight(connection, fleetRow, indicator))
            return fail();
        read.rows.append(fleetRow);
    }
    trend::sortFleetRows(read.rows);
    return read;
}

}  // namespace repository
