#pragma once
// Reading recorded flights back from raw files.

#include "flights/FlightRecord.h"

#include <QStringList>

class PositionedFile;
class QFile;

// Reads the header into a current-format header: an older 340-byte header
// gets the current magic and empty identification fields. An unknown magic is
// left in the header for the caller to judge. Returns the failure text, empty
// on success; the file is then positioned at slot 0.
QString readRawHeader(QFile& file, RawFileHeader& header);

// Where the flight blocks of a raw file lie, or why the file is not read.
struct RawFileLayout {
    QString failure;           // the header could not be read
    bool unsupported = false;  // unknown magic
    QString refusal;           // longer than a complete raw file of its format
    qint64 headerSize = 0;
    int completeBlocks = 0;    // the blocks wholly in the file, at most 21; a cut file holds fewer

    qint64 blockOffset(int slot) const { return headerSize + slot * qint64(sizeof(FlightBlock)); }
    // Empty when the file is read.
    QString whyNotRead() const;
};

// Reads the header (as readRawHeader does) and judges the file's size.
RawFileLayout readRawLayout(PositionedFile& file, RawFileHeader& header);

// End of flight from the date and time words, each field clamped into its range.
QDateTime flightDateTime(quint16 dateWord, quint16 timeWord);

// The aircraft registration the header names.
QString registrationOf(const RawFileHeader& header);

struct ListingOutcome {
    bool unsupported = false;  // unknown magic: the file is ignored
    QString failure;           // why listing stopped early; the flights before stay listed
    QString refusal;           // why the file's size fits no raw file of its format: it is ignored
};

// Appends a FlightInfo for every non-empty slot of the file. Reads only the
// header and each slot's date and time words. A file that cannot be opened is
// skipped without a word.
ListingOutcome extractFlightInfo(const QString& path, QList<FlightInfo>& flights);

struct RawFileScan {
    QList<FlightInfo> flights;
    QStringList unsupportedFiles;  // absolute paths of the files with an unknown magic
    QStringList truncatedFiles;    // absolute paths of the files whose listing stopped early
    QStringList refusedFiles;      // absolute paths of the files longer than a complete one of their format
};

// Lists every raw file of the data tree (<root>/*_data/engine_*/*.raw),
// reporting broken files one by one, and unsupported and refused ones once
// at the end, each refused one with its size and the size of its format.
RawFileScan scanRawFiles(const QString& dataRoot);

struct SlotReading {
    int slot = -1;    // the first slot holding the flight; -1 when none does or the file failed
    QString failure;  // why the file could not be read; empty when no slot holds the flight
};

// Reads the header and the block of the first slot of the file holding the
// flight number.
SlotReading readFlightSlot(const QString& path, qint32 flightNumber, RawFileHeader& header, FlightBlock& block);
// Reads the header and the block of slot 0..20 when it holds a flight.
SlotReading readSlot(const QString& path, int slot, RawFileHeader& header, FlightBlock& block);

// Reads the header and the flight block of one listed flight. Returns the
// failure text, empty on success.
QString extractFlightData(const FlightInfo& flight, RawFileHeader& header, FlightBlock& block);
