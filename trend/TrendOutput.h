#pragma once
// An engine trend as the command line writes it and the trend window saves
// it: CSV, a JSON array in the command line's key style, an aligned table.

#include "trend/TrendSeries.h"

#include <QByteArray>
#include <QJsonArray>
#include <QString>

namespace trend {

// The value as printf "%.9g" writes it: "nan", "-nan", "inf", "-inf" included.
QString valueText(double value);

// Header "flight_end_utc,flight,memory_type,registration,engine,raw_file,slot,value",
// one line per point, '\n' line ends, UTF-8.
QByteArray trendCsv(const TrendSeries& series);
// Objects with the CSV's fields: flightEndUtc, flight, memoryType, registration,
// engine, rawFile, slot, value (null where the value is not a finite number).
QJsonArray trendJson(const TrendSeries& series);
// The same columns under headings, for the terminal.
QString trendTable(const TrendSeries& series);

}  // namespace trend
