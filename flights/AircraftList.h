#pragma once

#include "core/AircraftInfo.h"

#include <QList>

// Every aircraft of the database with its engines. A failing query is
// reported; the aircraft read before it stay in the list.
QList<AircraftInfo> BuildAircraftInfoList();
