#include "trend/EngineKey.h"

QString engineKey(const IndexedFlight& flight)
{
    if (!flight.engineSerial.isEmpty())
        return flight.engineSerial;
    return QStringLiteral("(no ESN) ") + flight.registration + QLatin1Char('/')
           + QString::number(flight.enginePosition);
}
