#include "report/ReportTexts.h"

#include "download/ReportHeader.h"
#include "report/ReportSet.h"

#include <QFile>
#include <QFileInfo>

namespace report {

namespace {

constexpr int kLabelWidth = 26;
constexpr int kStatusCellWidth = 13;
// The flight history summary line: flight, six alarm indices, twelve values, three event sources.
constexpr int kFlightWidth = 5;
constexpr int kValueWidth = 11;
constexpr int kValueCells = 18;
constexpr int kEventWidth = 14;
constexpr int kEventCells = 3;

QStringList linesOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
}

std::array<QString, 3> statusCells(const QString& line)
{
    return {line.mid(kLabelWidth, kStatusCellWidth).trimmed(),
            line.mid(kLabelWidth + kStatusCellWidth, kStatusCellWidth).trimmed(),
            line.mid(kLabelWidth + 2 * kStatusCellWidth).trimmed()};
}

std::optional<ReportAlarmStatus> statusOfReport(const QString& path)
{
    ReportAlarmStatus status;
    int found = 0;
    for (const QString& line : linesOf(path)) {
        if (line.startsWith(QLatin1String("Current Alarm:")))
            status.current = statusCells(line), ++found;
        else if (line.startsWith(QLatin1String("Historic Alarm:")))
            status.historic = statusCells(line), ++found;
        else if (line.startsWith(QLatin1String("Algorithm Status:")))
            status.algorithms = statusCells(line), ++found;
        if (found == 3) {
            status.source = QFileInfo(path).fileName();
            return status;
        }
    }
    return std::nullopt;
}

// The header's codes run 4R, 4L, 3B, each current then historic.
ReportAlarmStatus statusOfCodes(const RawFileHeader& header)
{
    ReportAlarmStatus status;
    status.source = QStringLiteral("the raw file's alarm codes");
    constexpr int kUnitIndexInReportOrder[3] = {0, 2, 1};
    for (int i = 0; i < 3; ++i) {
        const int point = kUnitIndexInReportOrder[i];
        status.current[i] = currentAlarmText(quint32(header.dataHeaderWords[3 + 2 * point]));
        status.historic[i] = historicAlarmText(quint32(header.dataHeaderWords[4 + 2 * point]));
        status.algorithms[i] = kNotRecorded;
    }
    return status;
}

QStringList summaryCells(const QString& line)
{
    QStringList cells{line.left(kFlightWidth).trimmed()};
    qsizetype at = kFlightWidth;
    for (int i = 0; i < kValueCells; ++i, at += kValueWidth)
        cells.append(line.mid(at, kValueWidth).trimmed());
    for (int i = 0; i < kEventCells; ++i, at += kEventWidth)
        cells.append(line.mid(at, kEventWidth).trimmed());
    return cells;
}

}  // namespace

ReportAlarmStatus alarmStatus(const QString& rawPath, const RawFileHeader& header)
{
    for (const char* tag : {"ss", "tr", "cb", "fh"}) {
        const QString path = setReport(rawPath, QLatin1String(tag));
        if (path.isEmpty())
            continue;
        if (const std::optional<ReportAlarmStatus> status = statusOfReport(path))
            return *status;
    }
    return statusOfCodes(header);
}

// A summary line follows the dash line under a column line "Flt-#  MMC4R ...".
ReportFlightHistory flightHistory(const QString& rawPath)
{
    ReportFlightHistory history;
    const QString path = setReport(rawPath, QStringLiteral("fh"));
    if (path.isEmpty())
        return history;
    const QStringList lines = linesOf(path);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(QLatin1String("Last flight status:")))
            history.lastFlightStatus = line.mid(kLabelWidth).trimmed();
        if (line.startsWith(QLatin1String("Flt-#")) && line.contains(QLatin1String("MMC4R")) && i + 2 < lines.size()) {
            if (history.columns.isEmpty())
                history.columns = summaryCells(line);
            history.rows.append(summaryCells(lines[i + 2]));
        }
    }
    history.recorded = !history.rows.isEmpty();
    return history;
}

}  // namespace report
