#pragma once
// Ten recorded flights of one engine for the plot and export figures, written
// by the station's own raw file writer and read back through the flight
// selection. The simulated unit's flights are all alike; these differ as a
// real engine's do: speeds rise with the speed bin, and a vibration at the
// high-pressure shaft speed grows from flight to flight.

#include <QString>

namespace figureflights {

inline const QString kRegistration = QStringLiteral("F-GKTA");
constexpr int kEngine = 2;
inline const QString kSerialNumber = QStringLiteral("874512");
constexpr int kFlights = 10;

// Writes the raw file into the data tree below dataRoot; the failure, empty on success.
QString write(const QString& dataRoot);

}  // namespace figureflights
