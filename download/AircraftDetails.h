#pragma once

#include "core/AircraftInfo.h"

#include <QString>

// The engine details the technician confirms for a download.
struct EngineDetails {
    QString type;
    QString serialNumber;
    QString installDate;
};

// Stores the aircraft's shop id and comment and the engine at the unit's
// position in the database: an engine row with the same position and serial
// number is updated, otherwise one is added. Returns the failure text
// ("Aircraft ID not found!" or the database's), empty on success.
QString saveAircraftDetails(const AircraftInfo& record, int positionCode, const EngineDetails& engine);
