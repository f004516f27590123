#pragma once
// The files one download left in its engine directory: the raw file
// ESN<sn>-fd-<stamp>.raw and the text reports of the same stamp.

#include "report/EngineReport.h"

#include <QString>

namespace report {

// "20261208-1344" of "ESN123-fd-20261208-1344.raw"; empty for a name of another form.
QString stampOf(const QString& rawFileName);
// The path of the set's report with that tag ("cb", "ss", "tr", "fh"); empty when it does not exist.
QString setReport(const QString& rawPath, const QString& tag);
// The raw file, then each report that exists, with its size and SHA-256.
QList<ReportSetFile> setFiles(const QString& rawPath);
// The raw file below the data root whose header is the flight's; empty when none is.
QString rawFileOf(const FlightRecord& flight, const QString& dataRoot);
// The raw file below the data root written last (by its header's creation time); empty when none is.
QString latestRawFile(const QString& dataRoot);

}  // namespace report
