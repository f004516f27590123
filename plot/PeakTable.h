#pragma once
// The peak table as the technician reads, copies and saves it.

#include "plot/PeakFinder.h"

#include <QList>
#include <QString>
#include <QStringList>

// "Flight", "Rank", "Line", "Hz", "G pk".
QStringList peakTableTitles();
// One row's texts, in the order of the titles; numbers as printf "%g".
QStringList peakTableRow(const SpectrumPeak& peak);
// The titles and every row as CSV, one line each.
QString peakTableCsv(const QList<SpectrumPeak>& peaks);
// Writes the CSV whole or not at all; the failure text, empty on success.
QString writePeakTable(const QString& path, const QList<SpectrumPeak>& peaks);
