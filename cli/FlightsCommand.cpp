// tolm-cli flights: what the flight selection lists, for every aircraft,
// engine and memory type at once.

#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "cli/Commands.h"
#include "core/DataDirectories.h"
#include "flights/FlightQuery.h"

#include <QJsonArray>
#include <QSet>

namespace {

const QStringList kHeadings = {QStringLiteral("Aircraft"),    QStringLiteral("Engine"),
                               QStringLiteral("Raw file"),    QStringLiteral("Slot"),
                               QStringLiteral("Flight #"),    QStringLiteral("Memory Type"),
                               QStringLiteral("Flight Date & Time (UTC)"), QStringLiteral("Download Date & Time")};
const QString kTruncatedMark = QStringLiteral("truncated");

struct Listing {
    FlightQuery query;
    QList<FlightRow> rows;  // by aircraft, engine and raw file; slot order within a file
    QSet<QString> truncatedFiles;  // looked up for every row: thousands of cut files must not slow each one

    const FlightInfo& flight(const FlightRow& row) const { return query.flights().at(row.flight); }
    bool truncated(const FlightRow& row) const { return truncatedFiles.contains(flight(row).path); }
};

// The rows of one raw file follow each other in the listing, in slot order:
// ordering the files keeps them so and compares far fewer keys than ordering the rows.
Listing listFlights()
{
    Listing listing{FlightQuery(scanRawFiles(dataRootLocation())), {}, {}};
    const QStringList& truncated = listing.query.truncatedFiles();
    listing.truncatedFiles = QSet<QString>(truncated.begin(), truncated.end());
    const QList<FlightRow> rows = listing.query.rows();
    QList<std::pair<qsizetype, qsizetype>> files;  // each file's first row and the number of its rows
    for (qsizetype i = 0; i < rows.size(); ++i) {
        if (i == 0 || listing.flight(rows[i]).path != listing.flight(rows[i - 1]).path)
            files.append({i, 0});
        ++files.last().second;
    }
    std::stable_sort(files.begin(), files.end(), [&](const auto& a, const auto& b) {
        const FlightInfo& x = listing.flight(rows[a.first]);
        const FlightInfo& y = listing.flight(rows[b.first]);
        return std::tie(x.registration, x.enginePosition, x.path) < std::tie(y.registration, y.enginePosition, y.path);
    });
    listing.rows.reserve(rows.size());
    for (const auto& [first, count] : files)
        listing.rows.append(rows.mid(first, count));
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

// Each flight is written as it is formed, so the listing of a large tree never
// holds its whole document. The texts its raw file gives every flight are
// formed once per file.
void printJson(const Listing& listing)
{
    using Key = QLatin1StringView;
    cli::JsonArrayStream stream(Key("flights"), {Key("aircraft"), Key("downloadDateTime"), Key("engine"),
                                                 Key("flight"), Key("flightDateTime"), Key("memoryType"),
                                                 Key("rawFile"), Key("reference"), Key("slot"), Key("truncated")});
    QString path;
    QByteArray aircraft, rawFile, downloaded, truncated;
    for (const FlightRow& row : listing.rows) {
        const FlightInfo& flight = listing.flight(row);
        if (flight.path != path) {
            path = flight.path;
            aircraft = cli::jsonText(flight.registration);
            rawFile = cli::jsonText(flight.path);
            downloaded = cli::jsonDateTimeText(row.downloadDateTime);
            truncated = cli::jsonText(listing.truncated(row));
        }
        const QByteArray slot = cli::jsonText(qint64(flight.slot));
        // The slot, not the flight number, is the reference: two slots may hold
        // the same number. '@' and digits are never escaped: the file's text
        // with them before its closing quote.
        const QByteArray reference = rawFile.chopped(1) + '@' + slot + '"';
        stream.append({aircraft, downloaded, cli::jsonText(qint64(flight.enginePosition)),
                       cli::jsonText(qint64(flight.flightNumber)), cli::jsonDateTimeText(row.flightDateTime),
                       cli::jsonText(memoryTypeName(flight.memoryType)), rawFile, reference, slot, truncated});
    }
    stream.finish({{QStringLiteral("truncatedFiles"), QJsonArray::fromStringList(listing.query.truncatedFiles())},
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
