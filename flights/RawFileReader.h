#pragma once
// Reading recorded flights back from raw files.

#include "flights/FlightRecord.h"

#include <QStringList>

class QFile;

// Reads the header into a current-format header: an older 340-byte header
// gets the current magic and empty identification fields. An unknown magic is
// left in the header for the caller to judge. Returns the failure text, empty
// on success; the file is then positioned at slot 0.
QString readRawHeader(QFile& file, RawFileHeader& header);

// End of flight from the date and time words, each field clamped into its range.
QDateTime flightDateTime(quint16 dateWord, quint16 timeWord);

struct ListingOutcome {
    bool unsupported = false;  // unknown magic: the file is ignored
    QString failure;           // why listing stopped early; the flights before stay listed
};

// Appends a FlightInfo for every non-empty slot of the file. Reads only the
// header and each slot's date and time words. A file that cannot be opened is
// skipped without a word.
ListingOutcome extractFlightInfo(const QString& path, QList<FlightInfo>& flights);

// Lists every raw file of the data tree (<root>/*_data/engine_*/*.raw),
// reporting broken files one by one and unsupported ones once at the end.
QList<FlightInfo> scanRawFiles(const QString& dataRoot);

// Reads the header and the flight block of one listed flight. Returns the
// failure text, empty on success.
QString extractFlightData(const FlightInfo& flight, RawFileHeader& header, FlightBlock& block);
