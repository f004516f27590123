#pragma once
// A4 pages of a report, filled from top to bottom: headings that become the
// outline's entries, lines of text, ruled tables and charts drawn through the
// charts' one render path. Every page gets its number at the foot.

#include "core/PdfOutline.h"
#include "plot/ui/ChartRenderer.h"

#include <QFont>
#include <QList>
#include <QPainter>
#include <QString>
#include <QStringList>

class QPageLayout;
class QPdfWriter;

class ReportPages {
public:
    // Sets the writer's page to A4 and starts painting; begun() tells whether it did.
    ReportPages(QPdfWriter& writer, const QString& footerTitle);

    bool begun() const { return painter_.isActive(); }

    // A heading at the top of a new page (the first page keeps its own), with an outline entry.
    void section(const QString& title, int level = 1);
    void title(const QString& text);
    void paragraph(const QString& text, bool italic = false);
    // Label and value, two columns.
    void fields(const QList<std::pair<QString, QString>>& rows);
    // Column widths as parts of the text width; the heading row repeats after a page break.
    void table(const QStringList& headings, const QList<QStringList>& rows, const QList<double>& widths,
               bool monospace = false);
    // The size, in the pixels of a writer of this resolution, of a chart at the text width and this height.
    static QSizeF chartSize(int resolution, double heightMm);
    // A chart recorded for that size; on the next page when it does not fit.
    void chart(const RecordedChart& chart, double heightMm);
    void space(double mm);

    // Ends the last page; false when the writer failed.
    bool finish();
    const QList<PdfOutlineEntry>& outline() const { return outline_; }

private:
    static QPageLayout pageLayout();
    static double mm(double millimetres, int resolution);
    double mm(double millimetres) const;
    double bottom() const;
    void startPage();
    void ensureRoom(double height);
    void drawFooter();
    double drawRow(const QStringList& cells, const QList<double>& widths, const QFont& font, bool ruled);

    QPdfWriter& writer_;
    QPainter painter_;
    QString footerTitle_;
    QFont body_;
    QFont bold_;
    QFont mono_;
    double left_ = 0;
    double width_ = 0;
    double y_ = 0;
    int page_ = 0;  // from 0
    bool pageUsed_ = false;
    bool headingOnly_ = false;  // nothing below the page's heading yet: a sub-section stays on the page
    QList<PdfOutlineEntry> outline_;
};
