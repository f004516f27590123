#include "flights/FlightQuery.h"

#include "core/MessageText.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

namespace {

const QString kDateTimeFormat = QStringLiteral("yyyy.MM.dd hh:mm:ss");

bool matches(const FlightInfo& flight, const FlightFilter& filter)
{
    return flight.flightNumber != 0 && flight.registration == filter.registration
        && flight.enginePosition == filter.enginePosition && flight.memoryType == filter.memoryType;
}

QString cannotRead(const QString& flight, const QString& path, const QString& reason)
{
    return flight + QStringLiteral(" of ") + messageText(path) + QStringLiteral(" cannot be read (") + reason + QLatin1Char(')');
}

// Fills the record from the slot read; false when no slot was read.
bool takeSlot(FlightRecord& record, int slot)
{
    if (slot < 0)
        return false;
    record.registration = registrationOf(record.header);
    record.enginePosition = record.header.engineNumber;
    record.flightNumber = record.header.flightNumbers[slot];
    record.memoryType = record.header.memoryTypes[slot];
    return true;
}

}  // namespace

QString memoryTypeName(qint32 memoryType)
{
    switch (memoryType) {
    case 0: return QStringLiteral("Pre-Defect");
    case 1: return QStringLiteral("Post-Defect");
    default: return QString::number(memoryType);
    }
}

QStringList FlightRow::texts() const
{
    return {QStringLiteral("%1").arg(flightNumber, 5, 10, QLatin1Char('0')), flightDateTime.toString(kDateTimeFormat),
            downloadDateTime.toString(kDateTimeFormat)};
}

FlightQuery::FlightQuery(RawFileScan scan) : scan_(std::move(scan)) {}

QStringList FlightQuery::registrations() const
{
    QStringList found;
    QSet<QString> seen;
    for (const FlightInfo& flight : scan_.flights) {
        if (seen.contains(flight.registration))
            continue;
        seen.insert(flight.registration);
        found.append(flight.registration);
    }
    return found;
}

QList<FlightRow> FlightQuery::rows(const FlightFilter& filter) const
{
    return rowsWhere([&](const FlightInfo& flight) { return matches(flight, filter); });
}

QList<FlightRow> FlightQuery::rows() const
{
    return rowsWhere([](const FlightInfo& flight) { return flight.flightNumber != 0; });
}

QList<FlightRow> FlightQuery::rowsWhere(const std::function<bool(const FlightInfo&)>& wanted) const
{
    QList<FlightRow> rows;
    QHash<QString, QDateTime> downloaded;  // each file's time is looked up once
    for (qsizetype k = 0; k < scan_.flights.size(); ++k) {
        const FlightInfo& flight = scan_.flights[k];
        if (!wanted(flight))
            continue;
        auto known = downloaded.constFind(flight.path);
        if (known == downloaded.constEnd())
            known = downloaded.insert(flight.path, QFileInfo(flight.path).lastModified());
        rows.append({k, flight.flightNumber, flight.dateTime, *known});
    }
    return rows;
}

FlightSelection FlightQuery::read(const QList<qsizetype>& chosen) const
{
    FlightSelection selection;
    if (chosen.size() > kFlightLimit)
        selection.limitWarning = QStringLiteral("Too many flights selected. Maximum allowed is %1").arg(kFlightLimit);
    for (qsizetype index : chosen) {
        if (selection.records.size() == kFlightLimit)
            break;
        const FlightInfo& flight = scan_.flights.at(index);
        auto record = std::make_shared<FlightRecord>();
        if (const QString failure = extractFlightData(flight, record->header, record->block); !failure.isEmpty()) {
            const QString name = QStringLiteral("Flight ") + QString::number(flight.flightNumber);
            selection.failures.append(cannotRead(name, flight.path, failure)
                                      + QStringLiteral(" and is left out."));
            continue;
        }
        record->registration = flight.registration;
        record->enginePosition = flight.enginePosition;
        record->flightNumber = flight.flightNumber;
        record->memoryType = flight.memoryType;
        selection.records.append(record);
    }
    return selection;
}

ResolvedFlight resolveFlight(const QString& rawPath, qint32 flightNumber)
{
    auto record = std::make_shared<FlightRecord>();
    const SlotReading reading = readFlightSlot(rawPath, flightNumber, record->header, record->block);
    const QString flight = QStringLiteral("Flight ") + QString::number(flightNumber);
    if (!reading.failure.isEmpty())
        return {nullptr, cannotRead(flight, rawPath, reading.failure) + QLatin1Char('.'), true};
    if (!takeSlot(*record, reading.slot))
        return {nullptr, flight + QStringLiteral(" is not in ") + messageText(rawPath) + QLatin1Char('.')};
    return {record, {}};
}

ResolvedFlight resolveSlot(const QString& rawPath, int slot)
{
    auto record = std::make_shared<FlightRecord>();
    const SlotReading reading = readSlot(rawPath, slot, record->header, record->block);
    const QString slotName = QStringLiteral("Slot ") + QString::number(slot);
    if (!reading.failure.isEmpty())
        return {nullptr, cannotRead(slotName, rawPath, reading.failure) + QLatin1Char('.'), true};
    if (!takeSlot(*record, reading.slot))
        return {nullptr, slotName + QStringLiteral(" of ") + messageText(rawPath) + QStringLiteral(" holds no flight.")};
    return {record, {}};
}

ResolvedFlight resolveFlightReference(const QString& reference)
{
    const qsizetype separator = qMax(reference.lastIndexOf(QLatin1Char(':')), reference.lastIndexOf(QLatin1Char('@')));
    bool isNumber = false;
    const int number = separator > 0 ? reference.mid(separator + 1).toInt(&isNumber) : 0;
    const bool bySlot = isNumber && reference[separator] == QLatin1Char('@');
    // Flight number 0 marks an empty slot, never a flight.
    if (!isNumber || (bySlot ? number < 0 || number >= kRawFlightCount : number <= 0))
        return {nullptr, reference + QStringLiteral(" names no flight: expected RAW:FLIGHT (a raw file and a flight "
                                                    "number) or RAW@SLOT (a slot from 0 to 20).")};
    const QString path = reference.left(separator);
    return bySlot ? resolveSlot(path, number) : resolveFlight(path, number);
}
