#include "trend/TrendOutput.h"

#include "core/NumberFormat.h"
#include "trend/AlignedTable.h"

#include <QFileInfo>
#include <QJsonObject>
#include <cmath>

namespace trend {

namespace {

constexpr int kValueDigits = 9;  // a float's every digit

// The point's fields in CSV order.
QStringList fields(const TrendPoint& point)
{
    return {point.flightEndUtc,
            QString::number(point.flightNumber),
            memoryTypeText(point.memoryType),
            point.registration,
            QString::number(point.enginePosition),
            QFileInfo(point.rawPath).fileName(),
            QString::number(point.slot),
            valueText(point.value)};
}

// Quoted when it holds a separator, a quote or a line end (a serial number may hold a comma).
QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

}  // namespace

QString valueText(double value) { return formatG(value, kValueDigits); }

QByteArray trendCsv(const TrendSeries& series)
{
    QByteArray csv("flight_end_utc,flight,memory_type,registration,engine,raw_file,slot,value\n");
    for (const TrendPoint& point : series.points) {
        QStringList cells = fields(point);
        for (QString& cell : cells)
            cell = csvField(cell);
        csv += cells.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    return csv;
}

QJsonArray trendJson(const TrendSeries& series)
{
    QJsonArray points;
    for (const TrendPoint& point : series.points)
        points.append(QJsonObject{
            {QStringLiteral("flightEndUtc"), point.flightEndUtc},
            {QStringLiteral("flight"), point.flightNumber},
            {QStringLiteral("memoryType"), memoryTypeText(point.memoryType)},
            {QStringLiteral("registration"), point.registration},
            {QStringLiteral("engine"), point.enginePosition},
            {QStringLiteral("rawFile"), QFileInfo(point.rawPath).fileName()},
            {QStringLiteral("slot"), point.slot},
            {QStringLiteral("value"), std::isfinite(point.value) ? QJsonValue(point.value) : QJsonValue()},
        });
    return points;
}

QString trendTable(const TrendSeries& series)
{
    QList<QStringList> rows{{QStringLiteral("Flight end (UTC)"), QStringLiteral("Flight #"), QStringLiteral("Memory"),
                             QStringLiteral("Aircraft"), QStringLiteral("Engine"), QStringLiteral("Raw file"),
                             QStringLiteral("Slot"), QStringLiteral("Value")}};
    for (const TrendPoint& point : series.points)
        rows.append(fields(point));
    return alignedTable(rows, {1, 4, 6, 7});
}

}  // namespace trend
