#pragma once

#include "download/ReportContext.h"

#include <QByteArray>
#include <QString>

// Size of the normalised flight-history answer.
constexpr qint64 kFlightHistoryAnswerSize = 52892;

// Writes the flight history report of the last 15 flights, oldest first, from
// the normalised answer (at least kFlightHistoryAnswerSize bytes). The report
// is written under a temporary name and renamed to path when complete.
// Returns the failure text, empty on success.
QString writeFlightHistoryReport(const QString& path, const ReportContext& context,
                                 const QByteArray& answer);
