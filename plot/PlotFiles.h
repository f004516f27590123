#pragma once
// The files a plot is saved to: the stacked-spectrum CSV, the tabulation of
// one curve, the chart's data table, and the naming rules of the chart
// images. Each file is written under a temporary name and renamed when
// complete, so a failed write leaves no half file.

#include "plot/PlotData.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

// name, with suffix appended unless it already ends with it.
QString withSuffix(const QString& name, const QString& suffix, Qt::CaseSensitivity sensitivity);

enum class ImageFormat { Bmp, Png, Jpg, Svg, Pdf };

// The filters of the "Save Graph As..." chooser, in the order offered.
QString imageFilters();
// The format of a chooser filter: the first of "PNG", "JPG", "SVG", "PDF"
// that the filter names; anything else is a bitmap.
ImageFormat imageFormatForFilter(const QString& filter);
QString imageSuffix(ImageFormat format);

// The stacked spectra as CSV: "Flight # " and the flight's number text, the header and
// footer lines, then one line per point whose X lies in `shown`: X and each
// series' value less its stacking offset (series s is lifted by s + 1), with
// five significant digits. False when the file could not be written.
bool writeStackedCsv(const QString& path, const QString& flight, const PlotData& data, XRange shown);

// One curve as the tabulation window lists it.
struct Tabulation {
    struct Row {
        QString index;
        QString x;  // 2 decimals
        QString y;  // 4 decimals
        bool hidden = false;  // X outside the range shown
    };
    QString tag;      // "Selected Flight: ..."
    QString header1;  // the header lines
    QString header2;  // the footer lines
    QString header3;  // "Parameter: ..."
    QStringList columnTitles;
    QList<Row> rows;
};

struct TabulationSource {
    QString seriesName;
    QStringList header;
    QStringList footer;
    QString xTitle;
    QString yTitle;
    std::vector<double> x;
    std::vector<double> y;
    XRange shown;
};

Tabulation tabulate(const TabulationSource& source);
// The four label lines (flight names in their file form), an empty line, then the rows that are not hidden as
// "index,x,y". False when the file could not be written.
bool writeTabulation(const QString& path, const Tabulation& table);

// The chart's data as a text table: a line naming the columns (X, then each
// series, flight names in their file form), then one line per point, tab-separated, numbers as printf "%g".
// Returns the failure text, empty on success.
QString writeDataTable(const QString& path, const QStringList& seriesNames, const std::vector<double>& x,
                       const std::vector<std::vector<double>>& y);
