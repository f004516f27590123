#include "plot/PlotFiles.h"

#include "core/CheckedSaveFile.h"
#include "core/NumberFormat.h"
#include "plot/FlightNames.h"

#include <algorithm>

namespace {

struct NamedFormat {
    const char* word;
    ImageFormat format;
};
constexpr NamedFormat kFilterWords[] = {
    {"PNG", ImageFormat::Png}, {"JPG", ImageFormat::Jpg}, {"SVG", ImageFormat::Svg}, {"PDF", ImageFormat::Pdf}};

// Writes text under a temporary name and renames it to path; the failure text, empty on success.
QString saveText(const QString& path, const QString& text)
{
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    file.write(text.toUtf8());
    return file.commitWhole();
}

QString lines(const QStringList& list)
{
    QString text;
    for (const QString& line : list)
        text += inFileForm(line) + QLatin1Char('\n');
    return text;
}

}  // namespace

QString withSuffix(const QString& name, const QString& suffix, Qt::CaseSensitivity sensitivity)
{
    return name.endsWith(suffix, sensitivity) ? name : name + suffix;
}

QString imageFilters()
{
    return QStringLiteral("Bitmap (*.bmp);;PNG (*.png);;JPG (*.jpg);;SVG (*.svg);;PDF (*.pdf)");
}

ImageFormat imageFormatForFilter(const QString& filter)
{
    for (const NamedFormat& named : kFilterWords) {
        if (filter.contains(QLatin1String(named.word), Qt::CaseSensitive))
            return named.format;
    }
    return ImageFormat::Bmp;
}

QString imageSuffix(ImageFormat format)
{
    switch (format) {
    case ImageFormat::Png: return QStringLiteral(".png");
    case ImageFormat::Jpg: return QStringLiteral(".jpg");
    case ImageFormat::Svg: return QStringLiteral(".svg");
    case ImageFormat::Pdf: return QStringLiteral(".pdf");
    case ImageFormat::Bmp: break;
    }
    return QStringLiteral(".bmp");
}

bool writeStackedCsv(const QString& path, const QString& flight, const PlotData& data, XRange shown)
{
    QString text = lines({QStringLiteral("Flight # ") + flight}) + lines(data.header) + lines(data.footer);
    for (int i = 0; i < data.pointCount(); ++i) {
        if (!shown.contains(data.x[i]))
            continue;
        text += formatG(data.x[i], 5);
        for (int s = 0; s < data.seriesCount(); ++s)
            text += QLatin1Char(',') + formatG(data.y[s][i] - s - 1, 5);
        text += QLatin1Char('\n');
    }
    return saveText(path, text).isEmpty();
}

Tabulation tabulate(const TabulationSource& source)
{
    Tabulation table;
    table.tag = QStringLiteral("Selected Flight: %1").arg(source.seriesName);
    table.header1 = source.header.join(QStringLiteral(", "));
    table.header2 = source.footer.join(QStringLiteral(", "));
    table.header3 = QStringLiteral("Parameter: %1").arg(source.yTitle);
    table.columnTitles = {QStringLiteral("Index"), source.xTitle, source.yTitle};
    const std::size_t points = std::min(source.x.size(), source.y.size());
    for (std::size_t i = 0; i < points; ++i) {
        table.rows.append({QString::number(i), formatFixed(source.x[i], 2), formatFixed(source.y[i], 4),
                           !source.shown.contains(source.x[i])});
    }
    return table;
}

bool writeTabulation(const QString& path, const Tabulation& table)
{
    QString text = lines({table.tag, table.header1, table.header2, table.header3, QString()});
    for (const Tabulation::Row& row : table.rows) {
        if (!row.hidden)
            text += QStringList{row.index.simplified(), row.x.simplified(), row.y.simplified()}.join(QLatin1Char(','))
                    + QLatin1Char('\n');
    }
    return saveText(path, text).isEmpty();
}

QString writeDataTable(const QString& path, const QStringList& seriesNames, const std::vector<double>& x,
                       const std::vector<std::vector<double>>& y)
{
    QStringList columns{QStringLiteral("X")};
    columns += seriesNames;
    QString text = inFileForm(columns.join(QLatin1Char('\t'))) + QLatin1Char('\n');
    for (std::size_t i = 0; i < x.size(); ++i) {
        text += formatG(x[i]);
        for (const std::vector<double>& series : y)
            text += QLatin1Char('\t') + formatG(i < series.size() ? series[i] : 0.0);
        text += QLatin1Char('\n');
    }
    return saveText(path, text);
}
