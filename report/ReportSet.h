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

}  // namespace report
