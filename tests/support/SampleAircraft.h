#pragma once
// The aircraft the download tests and benchmarks file their data under:
// F-GABC, its engine 4 a CFM56-5 with serial number 123456.

#include "core/AircraftInfo.h"

AircraftInfo sampleAircraft();
