#pragma once
// Writes the engine report of one download as an A4 PDF: cover, status,
// flight history, trend, the chosen flights' values and spectra, and the
// files of the set, each section an outline entry. The charts are drawn by
// the windows' own chart and render path. The file is stamped with the
// clock's time, so the same report written twice has the same bytes.

#include "plot/ui/ChartRenderer.h"
#include "report/EngineReport.h"

#include <QList>
#include <QString>

// The report's charts, in page order, recorded for their places on the
// pages. The charts are widgets: on the GUI thread.
QList<RecordedChart> recordEngineReportCharts(const EngineReport& report);
// Writes the report with the charts recorded for it; on any thread. Empty on
// success, else why no file was written (nothing is left at pdfPath then).
QString writeEngineReport(const EngineReport& report, const QList<RecordedChart>& charts, const QString& pdfPath);
// Both in turn, on the GUI thread.
QString writeEngineReport(const EngineReport& report, const QString& pdfPath);
