#pragma once
// One recorded flight with known values, filed the way a download files it:
// the sample aircraft's engine 4, flight 42, post-defect, in slot 3 of a raw
// file written by the download's raw file writer at kWritten.

#include "flights/FlightRecord.h"

#include <QDateTime>
#include <QString>

namespace sampleflight {

constexpr int kFlightNumber = 42;
constexpr int kSlot = 3;
constexpr int kEngine = 4;
inline const QDateTime kWritten(QDate(2011, 3, 5), QTime(14, 25), Qt::UTC);

// Parameter j of steady-state bin r; N1_4R (9) holds values that test the number format.
float steadyValue(int parameter, int bin);
// Parameter j of time history m of transient capture k.
float transientValue(int parameter, int capture, int sample);
// Steady-state bin r and transient time history (k, m) each record a sine at a line of its own.
int steadyLine(int bin);
int transientLine(int capture, int sample);

// Writes the raw file into the engine directory below dataRoot and returns
// its path. An empty engineSerial leaves the unit's engine serial number empty.
QString writeRawFile(const QString& dataRoot, const QString& engineSerial = QStringLiteral("123456"),
                     int flightNumber = kFlightNumber);
// The same file in the older format (340-byte header, no identification).
QString writeOlderRawFile(const QString& dataRoot);
// Reads the flight back as the flight selection does.
std::shared_ptr<FlightRecord> read(const QString& path, int flightNumber = kFlightNumber);

}  // namespace sampleflight
