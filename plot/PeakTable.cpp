#include "plot/PeakTable.h"

#include "core/CheckedSaveFile.h"
#include "core/NumberFormat.h"

namespace {

// A field with a comma, a quote or a line break is quoted, its quotes doubled.
QString csvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')))
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString csvLine(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted << csvField(field);
    return quoted.join(QLatin1Char(',')) + QLatin1Char('\n');
}

}  // namespace

QStringList peakTableTitles()
{
    return {QStringLiteral("Flight"), QStringLiteral("Rank"), QStringLiteral("Line"), QStringLiteral("Hz"),
            QStringLiteral("G pk")};
}

QStringList peakTableRow(const SpectrumPeak& peak)
{
    return {peak.seriesName, QString::number(peak.rank), QString::number(peak.line), formatG(peak.hz),
            formatG(peak.amplitude)};
}

QString peakTableCsv(const QList<SpectrumPeak>& peaks)
{
    QString text = csvLine(peakTableTitles());
    for (const SpectrumPeak& peak : peaks)
        text += csvLine(peakTableRow(peak));
    return text;
}

QString writePeakTable(const QString& path, const QList<SpectrumPeak>& peaks)
{
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(peakTableCsv(peaks).toUtf8());
    return file.commitWhole();
}
