// tolm-cli flights: what the flight selection lists, for every aircraft,
// engine and memory type at once.

#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "cli/Commands.h"
#include "core/DataDirectories.h"
#include "flights/FlightQuery.h"

#include <QJsonArray>

namespace {

const QStringList kHeadings = {QStringLiteral("Aircraft"),    QStringLiteral("Engine"),
                               QStringLiteral("Raw file"),    QStringLiteral("Slot"),
                               QStringLiteral("Flight #"),    QStringLiteral("Memory Type"),
                               QStringLiteral("Flight Date & Time (UTC)"), QStringLiteral("Download Date & Time")};
const QString kTruncatedMark = QStringLiteral("truncated");

struct Listing {
    FlightQuery query;
    QList<FlightRow> rows;  // by aircraft, engine and raw file; slot order within a file

    const FlightInfo& flight(const FlightRow& row) const { return query.flights().at(row.flight); }
    bool truncated(const FlightRow& row) const { return query.truncatedFiles().contains(flight(row).path); }
};

Listing listFlights()
{
    Listing listing{FlightQuery(scanRawFiles(dataRootLocation())), {}};
    listing.rows = listing.query.rows();
    std::stable_sort(listing.rows.begin(), listing.rows.end(), [&](const FlightRow& a, const FlightRow& b) {
        const FlightInfo& x = listing.flight(a);
        const FlightInfo& y = listing.flight(b);
        return std::tie(x.registration, x.enginePosition, x.path) < std::tie(y.registration, y.enginePosition, y.path);
    });
    return listing;
}

QStringList columns(const Listing& listing, const FlightRow& row)
{
    const FlightInfo& flight = listing.flight(row);
    const QStringList shown = row.texts();  // flight number, flight and download date-times
    return {flight.registration, QString::number(flight.enginePosition), flight.path, QString::number(flight.slot),
            shown[0], memoryTypeName(flight.memoryType), shown[1], shown[2],
            listing.truncated(row) ? kTruncatedMark : QString()};
}

void printTable(const Listing& listing)
{
    QList<QStringList> table{kHeadings + QStringList{QString()}};
    for (const FlightRow& row : listing.rows)
        table << columns(listing, row);
    QList<qsizetype> widths(table[0].size(), 0);
    for (const QStringList& cells : table)
        for (qsizetype i = 0; i < cells.size(); ++i)
            widths[i] = qMax(widths[i], cells[i].size());
    for (const QStringList& cells : table) {
        QString text;
        for (qsizetype i = 0; i < cells.size(); ++i)
            text += cells[i].leftJustified(widths[i] + 2);
        cli::printLine(text.trimmed());
    }
    if (!listing.query.truncatedFiles().isEmpty())
        cli::printLine(QStringLiteral("\n\"%1\": the raw file ends early; flights after the last listed are missing.")
                           .arg(kTruncatedMark));
}

void printJson(const Listing& listing)
{
    QJsonArray flights;
    for (const FlightRow& row : listing.rows) {
        const FlightInfo& flight = listing.flight(row);
        flights.append(QJsonObject{
            {QStringLiteral("aircraft"), flight.registration},
            {QStringLiteral("engine"), flight.enginePosition},
            {QStringLiteral("rawFile"), flight.path},
            {QStringLiteral("slot"), flight.slot},
            {QStringLiteral("flight"), flight.flightNumber},
            // The slot, not the flight number: two slots may hold the same number.
            {QStringLiteral("reference"), flight.path + QLatin1Char('@') + QString::number(flight.slot)},
            {QStringLiteral("memoryType"), memoryTypeName(flight.memoryType)},
            {QStringLiteral("flightDateTime"), cli::jsonDateTime(row.flightDateTime)},
            {QStringLiteral("downloadDateTime"), cli::jsonDateTime(row.downloadDateTime)},
            {QStringLiteral("truncated"), listing.truncated(row)},
        });
    }
    cli::printJson({{QStringLiteral("flights"), flights},
                    {QStringLiteral("truncatedFiles"), QJsonArray::fromStringList(listing.query.truncatedFiles())},
                    {QStringLiteral("unsupportedFiles"), QJsonArray::fromStringList(listing.query.unsupportedFiles())},
                    {QStringLiteral("refusedFiles"), QJsonArray::fromStringList(listing.query.refusedFiles())}});
}

}  // namespace

int runFlights(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("flights"),
                          QStringLiteral("Lists the recorded flights of the data tree as the flight selection does "
                                         "(aircraft, engine, raw file, flight number, memory type, flight date and "
                                         "time, download date and time). RAW@SLOT, or RAW:FLIGHT for the first "
                                         "slot holding the flight number, names one of them in the other commands."),
                          cli::CommandLine::ReadsData,
                          {QStringLiteral("tolm-cli flights"),
                           QStringLiteral("tolm-cli flights --json --data-dir /media/usb/tolm-data")});
    line.add({QStringLiteral("json"), QStringLiteral("Print one JSON object.")});
    line.parse(arguments);
    cli::require(line.positional().isEmpty(), QStringLiteral("flights takes no arguments."));

    const Listing listing = listFlights();
    line.isSet(QStringLiteral("json")) ? printJson(listing) : printTable(listing);
    // The warning named each refused file; the flights of the other files are listed all the same.
    const bool allRead = listing.query.refusedFiles().isEmpty() && listing.query.unsupportedFiles().isEmpty();
    return allRead ? cli::Success : cli::StepFailed;
}
