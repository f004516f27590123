#pragma once
// Writes the engine report of one download as an A4 PDF: cover, status,
// flight history, trend, the chosen flights' values and spectra, and the
// files of the set, each section an outline entry. The charts are drawn by
// the windows' own chart and render path. The file is stamped with the
// clock's time, so the same report written twice has the same bytes.

#include "report/EngineReport.h"

#include <QString>

// Empty on success, else why no file was written (nothing is left at pdfPath then).
QString writeEngineReport(const EngineReport& report, const QString& pdfPath);
