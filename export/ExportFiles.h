#pragma once
// The ASCII files of one exported flight: a directory named after the flight
// holding fifteen text files (steady-state and transient values of the two
// shaft speeds measured at 4R, and the spectra of every recorded time
// history), each opening with the same commented header block.

#include "flights/FlightRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

class QTextStream;

// The unit and its software: the first lines of the header block, stamped with Clock::now().
void writeExportHeader(QTextStream& out, const RawFileHeader& header);
// The aircraft, engine and flight: the rest of the header block.
void writeFlightHeader(const FlightRecord& flight, QTextStream& out);
// Both, as the 8-bit text every file of the flight begins with.
QByteArray exportHeaderBlock(const FlightRecord& flight);

// Why the flight cannot name a directory (its registration or engine serial
// number is no safe file name), naming the flight; empty when it can.
QString flightRefusal(const FlightRecord& flight);
// "<registration>-engine<n>-[ESN<serial>-]<yyyyMMdd-hhmmss>-<PRD|POD>-F<flight>".
QString flightDirectoryName(const FlightRecord& flight);

// One file of a flight: its name and its text after the header block.
struct ExportFile {
    QString name;
    std::function<QByteArray(const QByteArray& header, const FlightRecord& flight)> content;
};
// The fifteen files of a flight, in the order they are written.
const QList<ExportFile>& exportFiles();

// Writes one file of the flight into directory: under a temporary name,
// renamed when complete, so a failure leaves any earlier file of that name as
// it was. Returns "<path>: <reason>" on failure, empty on success.
QString writeExportFile(const ExportFile& file, const QByteArray& header, const FlightRecord& flight,
                        const QString& directory);
// The same for prepared text.
QString saveExportText(const QString& path, const QByteArray& text);
