#pragma once
// How the plot names a chosen flight wherever it shows or writes one: "Flight 26",
// or, when another chosen flight has the same number, with its raw file's
// creation time as well ("Flight 26 · 2026.12.08 13:44:05"), so two downloads of
// one engine stay apart. Files use " - " in place of the " · ".

#include "flights/FlightRecord.h"

#include <QString>

// "26", or "26 · 2026.12.08 13:44:05" when the number is not unique in `flights`.
QString flightNumberText(const FlightRecordList& flights, int index);
// "Flight " and the number text.
QString flightName(const FlightRecordList& flights, int index);
// A text shown on screen as it is written to a file: the names' " · " becomes " - ".
QString inFileForm(const QString& screenText);
