#include "trend/AlignedTable.h"

namespace {

constexpr int kColumnGap = 2;

}  // namespace

QString alignedTable(const QList<QStringList>& rows, const QList<int>& rightAligned)
{
    QList<qsizetype> widths;
    for (const QStringList& cells : rows) {
        widths.resize(qMax(widths.size(), cells.size()), 0);
        for (qsizetype i = 0; i < cells.size(); ++i)
            widths[i] = qMax(widths[i], cells[i].size());
    }
    QString text;
    for (const QStringList& cells : rows) {
        QString line;
        for (qsizetype i = 0; i < cells.size(); ++i) {
            const bool right = rightAligned.contains(int(i));
            line += (right ? cells[i].rightJustified(widths[i]) : cells[i].leftJustified(widths[i]))
                    + QString(kColumnGap, QLatin1Char(' '));
        }
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
        text += line + QLatin1Char('\n');
    }
    return text;
}
