#pragma once

#include "flights/FlightRecord.h"

class QWidget;

// "Export (F8)" after the flight selection: asks for the target directory
// (starting at ExportPath), writes the flights with a cancellable progress
// display once the export takes longer than a moment, and tells the outcome.
void exportData(QWidget* parent, const FlightRecordList& flights);

// How long the export runs before its progress dialog shows (500 ms); tests shorten it.
int& exportProgressDelayMs();
