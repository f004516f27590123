#include "repository/RepositoryFlights.h"

#include "repository/PgConnection.h"
#include "trend/TrendSeries.h"

#include <algorithm>
#include <cstring>

namespace repository {
namespace {

const char kFlights[] =
    "SELECT d.raw_name, f.slot, d.created, e.serial, d.unit_engine_serial, d.registration, d.engine_position,"
    " f.flight_number, f.second_word, f.memory_type, f.date_word, f.time_word, array_to_string(d.alarm_codes, ','),"
    " f.flight_values,"
    " (SELECT n.name FROM station_name n WHERE n.station_id = d.station_id ORDER BY n.named DESC LIMIT 1)"
    " FROM flight f JOIN download d ON d.id = f.download_id JOIN engine e ON e.id = f.engine_id";
const char kOfEngine[] = " WHERE e.engine_key = $1";

constexpr qsizetype kSteadyBytes = sizeof(IndexedFlight::steady);
constexpr qsizetype kCaptureBytes = sizeof(IndexedFlight::captureAverages);

IndexedFlight flightOf(const PgResult& rows, int row)
{
    IndexedFlight flight;
    flight.rawPath = rows.text(row, 0);
    flight.slot = qint32(rows.number(row, 1));
    flight.rawCreationTime = rows.number(row, 2);
    flight.engineSerial = rows.text(row, 3);
    flight.unitEngineSerial = rows.text(row, 4);
    flight.registration = rows.text(row, 5);
    flight.enginePosition = qint32(rows.number(row, 6));
    flight.flightNumber = qint32(rows.number(row, 7));
    flight.secondFlightWord = qint32(rows.number(row, 8));
    flight.memoryType = qint32(rows.number(row, 9));
    flight.dateWord = quint16(rows.number(row, 10));
    flight.timeWord = quint16(rows.number(row, 11));
    const QStringList alarms = rows.text(row, 12).split(QLatin1Char(','));
    for (int alarm = 0; alarm < 6 && alarm < alarms.size(); ++alarm)
        flight.alarmCodes[alarm] = alarms[alarm].toInt();
    const QByteArray values = rows.bytes(row, 13);
    if (values.size() == kSteadyBytes + kCaptureBytes) {
        std::memcpy(flight.steady.data(), values.constData(), kSteadyBytes);
        std::memcpy(flight.captureAverages.data(), values.constData() + kSteadyBytes, kCaptureBytes);
    }
    return flight;
}

// As the flight index orders them: flight end (to the minute), flight number, then file and slot.
void sortInFlightOrder(QList<IndexedFlight>& flights)
{
    std::stable_sort(flights.begin(), flights.end(), [](const IndexedFlight& a, const IndexedFlight& b) {
        return std::tuple(a.dateWord, a.timeWord >> 5, a.flightNumber, a.rawPath, a.slot)
               < std::tuple(b.dateWord, b.timeWord >> 5, b.flightNumber, b.rawPath, b.slot);
    });
}

}  // namespace

FleetFlights fleetFlights(PgConnection& connection, const QString& engineKey)
{
    FleetFlights read;
    const auto rows = engineKey.isEmpty()
                          ? connection.execBinary(kFlights)
                          : connection.execBinary(QByteArray(kFlights).append(kOfEngine).constData(),
                                                  {PgParam::text(engineKey)});
    if (!rows) {
        read.failure = connection.failure();
        return read;
    }
    read.flights.reserve(rows->rows());
    for (int row = 0; row < rows->rows(); ++row) {
        read.flights << flightOf(*rows, row);
        read.stationOfRaw.insert(read.flights.last().rawPath, rows->text(row, 14));
    }
    sortInFlightOrder(read.flights);
    return read;
}

}  // namespace repository
