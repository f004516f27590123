#pragma once
// What the engine report reads back from the download's text reports: the
// status table of their header and the flight history's summary lines. The
// reports are fixed-column text, so cells are cut at their columns.

#include "report/EngineReport.h"

namespace report {

// The status table of the first of the set's reports that holds one; else
// the raw header's alarm codes, with the algorithm states not recorded.
ReportAlarmStatus alarmStatus(const QString& rawPath, const RawFileHeader& header);
// The summary line of each flight of the set's flight history report; not recorded when it has none.
ReportFlightHistory flightHistory(const QString& rawPath);

}  // namespace report
