#include "flights/AircraftList.h"

#include "core/AircraftCatalogue.h"
#include "core/Prompts.h"

QList<AircraftInfo> BuildAircraftInfoList()
{
    const catalogue::Fetched<QList<AircraftInfo>> aircraft = catalogue::aircraftWithEngines();
    if (!aircraft.failure.isEmpty())
        prompts().critical(nullptr, QStringLiteral("DataSelectionDialog::BuildAircraftInfoList"), aircraft.failure);
    return aircraft.value;
}
