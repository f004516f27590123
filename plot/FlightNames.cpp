#include "plot/FlightNames.h"

#include <QDateTime>
#include <algorithm>

namespace {

const QString kScreenSeparator = QStringLiteral(" \u00b7 ");
const QString kFileSeparator = QStringLiteral(" - ");

bool numberShared(const FlightRecordList& flights, int index)
{
    const qint32 number = flights[index]->flightNumber;
    return std::count_if(flights.begin(), flights.end(), [&](const auto& f) { return f->flightNumber == number; })
           > 1;
}

}  // namespace

QString flightNumberText(const FlightRecordList& flights, int index)
{
    if (index < 0 || index >= flights.size())
        return {};
    const QString number = QString::number(flights[index]->flightNumber);
    if (!numberShared(flights, index))
        return number;
    // The raw file's creation time, in the technician's local time.
    const QDateTime written = QDateTime::fromSecsSinceEpoch(flights[index]->header.creationTime);
    return number + kScreenSeparator + written.toString(QStringLiteral("yyyy.MM.dd hh:mm:ss"));
}

QString flightName(const FlightRecordList& flights, int index)
{
    return QStringLiteral("Flight ") + flightNumberText(flights, index);
}

QString inFileForm(const QString& screenText)
{
    QString text = screenText;
    return text.replace(kScreenSeparator, kFileSeparator);
}
