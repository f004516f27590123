#pragma once
// The recorded flights of a data tree as every front end asks for them (the
// flight selection, the plot window, the ASCII export, the command line):
// listed once, filtered by aircraft, engine position and memory type, and read
// into FlightRecords. Failures to read come back as texts for the caller to
// show; listing failures still go to the technician through prompts().

#include "flights/FlightRecord.h"
#include "flights/RawFileReader.h"

#include <QStringList>
#include <functional>

// "Pre-Defect" or "Post-Defect", as the selection names the memory types; another value as its number.
QString memoryTypeName(qint32 memoryType);

// Which flights to list: those of one aircraft, engine position and memory type.
struct FlightFilter {
    QString registration;
    qint32 enginePosition = 0;
    qint32 memoryType = 0;
};

// One flight as the selection lists it.
struct FlightRow {
    qsizetype flight = -1;      // index into FlightQuery::flights(), so a sorted view keeps the link
    qint32 flightNumber = 0;
    QDateTime flightDateTime;   // end of flight, UTC
    QDateTime downloadDateTime; // the raw file's last-modified time

    // The columns as shown: five-digit flight number, then both times as "yyyy.MM.dd hh:mm:ss".
    QStringList texts() const;
};

// The flights read for a selection, and what the technician is to be told.
struct FlightSelection {
    FlightRecordList records;  // at most FlightQuery::kFlightLimit, in the order chosen
    QString limitWarning;      // set when more flights were chosen than the limit allows
    QStringList failures;      // one text per chosen flight left out because it cannot be read
};

class FlightQuery {
public:
    static constexpr int kFlightLimit = 10;

    FlightQuery() = default;
    explicit FlightQuery(RawFileScan scan);

    const QList<FlightInfo>& flights() const { return scan_.flights; }
    const QStringList& unsupportedFiles() const { return scan_.unsupportedFiles; }

    // The registrations found in the files, each once, in the order found.
    QStringList registrations() const;
    const QStringList& truncatedFiles() const { return scan_.truncatedFiles; }
    const QStringList& refusedFiles() const { return scan_.refusedFiles; }

    // The flights the filter lets through, in list order.
    QList<FlightRow> rows(const FlightFilter& filter) const;
    // Every flight listed, of any aircraft, engine and memory type, in list order.
    QList<FlightRow> rows() const;
    // Reads the chosen flights (indices into flights()) until the limit is reached.
    FlightSelection read(const QList<qsizetype>& chosen) const;

private:
    QList<FlightRow> rowsWhere(const std::function<bool(const FlightInfo&)>& wanted) const;

    RawFileScan scan_;
};

// A flight read straight from a raw file, or why it cannot be.
struct ResolvedFlight {
    std::shared_ptr<const FlightRecord> record;  // null on failure
    QString failure;
    bool fileFailed = false;  // the raw file could not be read or was refused (else the reference names nothing)
};

// Reads the first slot of the raw file holding the flight number, as the selection would.
ResolvedFlight resolveFlight(const QString& rawPath, qint32 flightNumber);
// Reads slot 0..20 of the raw file.
ResolvedFlight resolveSlot(const QString& rawPath, int slot);
// The same for a reference "RAW:FLIGHT" or "RAW@SLOT": the number follows the
// last ':' or '@', so a path with a drive letter stays whole.
ResolvedFlight resolveFlightReference(const QString& reference);
