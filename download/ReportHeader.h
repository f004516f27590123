#pragma once
// The identification block at the top of every text report of a session.

#include "download/ReportContext.h"

#include <QString>

class QTextStream;

QString algorithmStateText(quint16 state);
QString currentAlarmText(quint32 code);
QString historicAlarmText(quint32 code);

// A label padded to 26 columns, then the value.
QString labelLine(const QString& label, const QString& value);

// Writes the header; with an image, the list of its recorded flights follows.
void writeReportHeader(QTextStream& out, const ReportContext& context, const QString& fileName,
                       const EngineDataImage* image);
