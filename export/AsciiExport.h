#pragma once
// Exports flights into a directory: for each flight its directory and its
// fifteen files (export/ExportFiles.h). A flight that cannot be written is
// reported and the next one follows; every file is written whole or not at
// all, and a cancelled export stops between two files.

#include "flights/FlightRecord.h"

#include <QStringList>
#include <functional>

struct ExportProgress {
    int flight = 0;  // 1..flightCount
    int flightCount = 0;
    QString file;  // the file about to be written
    int filesDone = 0;
    int fileCount = 0;
};

struct ExportCallbacks {
    // Called before each file; returning false stops the export before it.
    std::function<bool(const ExportProgress&)> progress;
    // A flight of which nothing is written: refused, or its directory could not be created.
    std::function<void(const QString& message)> flightFailed;
};

struct ExportOutcome {
    QStringList notWritten;  // refused flights, directories not created, files not written
    int filesWritten = 0;
    int fileCount = 0;
    bool cancelled = false;

    bool complete() const { return !cancelled && notWritten.isEmpty(); }
};

ExportOutcome exportFlights(const FlightRecordList& flights, const QString& directory,
                            const ExportCallbacks& callbacks = {});

// The closing words: "Done!" only when every file was written; otherwise how
// many were, and what was not.
QString exportSummary(const ExportOutcome& outcome);
