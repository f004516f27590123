#include "trend/FleetOutput.h"

#include "core/NumberFormat.h"
#include "download/ReportHeader.h"
#include "trend/AlignedTable.h"

#include <QDateTime>
#include <QJsonObject>
#include <cmath>

namespace trend {

namespace {

QJsonValue numberOrNull(const std::optional<double>& value)
{
    return value && std::isfinite(*value) ? QJsonValue(*value) : QJsonValue();
}

QString plusSign(double value) { return value > 0 ? QStringLiteral("+") : QString(); }
QString signedText(double value) { return plusSign(value) + formatG(value); }
QString percentText(double value) { return plusSign(value) + formatFixed(value, 1) + QLatin1Char('%'); }

QJsonObject alarmsJson(const std::array<qint32, 6>& codes)
{
    QJsonObject alarms;
    for (int current : kFleetAlarmColumns)
        alarms.insert(alarmPointName(current),
                      QJsonObject{{QStringLiteral("current"), currentAlarmText(quint32(codes[current]))},
                                  {QStringLiteral("historic"), historicAlarmText(quint32(codes[current + 1]))}});
    return alarms;
}

}  // namespace

QString downloadTimeText(qint64 secondsSince1970)
{
    return QDateTime::fromSecsSinceEpoch(secondsSince1970, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss'Z'"));
}

QStringList fleetTableTitles()
{
    return {QStringLiteral("ESN"), QStringLiteral("Aircraft"), QStringLiteral("Engine"),
            QStringLiteral("Last download (UTC)"), QStringLiteral("Flights"), QStringLiteral("4R current"),
            QStringLiteral("4R historic"), QStringLiteral("3B current"), QStringLiteral("3B historic"),
            QStringLiteral("4L current"), QStringLiteral("4L historic"), QStringLiteral("Value"),
            QStringLiteral("Change"), QStringLiteral("Change %")};
}

QStringList fleetTableRow(const FleetRow& row)
{
    QStringList cells{engineText(row), row.registration, QString::number(row.enginePosition),
                      downloadTimeText(row.lastDownload), QString::number(row.flights)};
    for (int current : kFleetAlarmColumns)
        cells << currentAlarmText(quint32(row.alarmCodes[current]))
              << historicAlarmText(quint32(row.alarmCodes[current + 1]));
    cells << (row.value ? formatG(*row.value) : QString()) << (row.change ? signedText(*row.change) : QString())
          << (row.changePercent ? percentText(*row.changePercent) : QString());
    return cells;
}

QJsonArray fleetJson(const QList<FleetRow>& rows)
{
    QJsonArray engines;
    for (const FleetRow& row : rows)
        engines.append(QJsonObject{
            {QStringLiteral("esn"), row.engine},
            {QStringLiteral("unitEsn"), row.unitEngineSerial.isEmpty() ? QJsonValue() : QJsonValue(row.unitEngineSerial)},
            {QStringLiteral("registration"), row.registration},
            {QStringLiteral("engine"), row.enginePosition},
            {QStringLiteral("lastDownloadUtc"), downloadTimeText(row.lastDownload)},
            {QStringLiteral("flights"), row.flights},
            {QStringLiteral("alarms"), alarmsJson(row.alarmCodes)},
            {QStringLiteral("alarmRank"), row.alarmRank},
            {QStringLiteral("value"), numberOrNull(row.value)},
            {QStringLiteral("change"), numberOrNull(row.change)},
            {QStringLiteral("changePercent"), numberOrNull(row.changePercent)},
        });
    return engines;
}

QString fleetTable(const QList<FleetRow>& rows)
{
    QList<QStringList> table{fleetTableTitles()};
    for (const FleetRow& row : rows)
        table.append(fleetTableRow(row));
    return alignedTable(table, {2, 4, 11, 12, 13});
}

}  // namespace trend
