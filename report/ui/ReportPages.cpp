#include "report/ui/ReportPages.h"

#include "plot/ui/ChartRenderer.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPdfWriter>

namespace {

constexpr double kMarginMm = 18;
constexpr double kFooterMm = 10;
constexpr double kMmPerInch = 25.4;
constexpr double kPointsPerInch = 72;
constexpr double kCellPaddingMm = 1;
constexpr qsizetype kRowsKeptTogether = 8;

}  // namespace

ReportPages::ReportPages(QPdfWriter& writer, const QString& footerTitle)
    : writer_(writer), footerTitle_(footerTitle)
{
    writer_.setPageLayout(pageLayout());
    body_ = QFont(QStringLiteral("Helvetica"));
    body_.setStyleHint(QFont::SansSerif);
    body_.setPointSizeF(9.5);
    // Any letter spacing turns the ligatures off, so "fl" stays two letters a reader can search for.
    body_.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    bold_ = body_;
    bold_.setBold(true);
    mono_ = QFont(QStringLiteral("Courier New"));
    mono_.setStyleHint(QFont::TypeWriter);
    mono_.setPointSizeF(7);
    mono_.setLetterSpacing(QFont::AbsoluteSpacing, 0.05);
    if (!painter_.begin(&writer_))
        return;
    left_ = mm(kMarginMm);
    width_ = writer_.width() - 2 * left_;
    y_ = mm(kMarginMm);
}

QPageLayout ReportPages::pageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
}

double ReportPages::mm(double millimetres, int resolution) { return millimetres * resolution / kMmPerInch; }

double ReportPages::mm(double millimetres) const { return mm(millimetres, writer_.resolution()); }

QSizeF ReportPages::chartSize(int resolution, double heightMm)
{
    return {pageLayout().paintRectPixels(resolution).width() - 2 * mm(kMarginMm, resolution), mm(heightMm, resolution)};
}

double ReportPages::bottom() const { return writer_.height() - mm(kMarginMm); }

void ReportPages::startPage()
{
    drawFooter();
    writer_.newPage();
    ++page_;
    y_ = mm(kMarginMm);
    pageUsed_ = false;
}

void ReportPages::ensureRoom(double height)
{
    if (pageUsed_ && y_ + height > bottom())
        startPage();
    pageUsed_ = true;
    headingOnly_ = false;
}

void ReportPages::drawFooter()
{
    painter_.setFont(body_);
    painter_.setPen(Qt::darkGray);
    const QRectF area(left_, writer_.height() - mm(kMarginMm + kFooterMm) + mm(kFooterMm), width_, mm(kFooterMm));
    painter_.drawText(area, Qt::AlignLeft | Qt::AlignTop, footerTitle_);
    painter_.drawText(area, Qt::AlignRight | Qt::AlignTop, QStringLiteral("Page ") + QString::number(page_ + 1));
    painter_.setPen(Qt::black);
}

void ReportPages::section(const QString& title, int level)
{
    if (pageUsed_ && !headingOnly_)
        startPage();
    outline_.append({title, level, page_, y_ * kPointsPerInch / writer_.resolution()});
    QFont font = bold_;
    font.setPointSizeF(level == 1 ? 15 : 12);
    const double height = QFontMetricsF(font, &writer_).height();
    painter_.setFont(font);
    painter_.drawText(QRectF(left_, y_, width_, height), Qt::AlignLeft | Qt::AlignVCenter, title);
    y_ += height + mm(3);
    pageUsed_ = true;
    headingOnly_ = true;
}

void ReportPages::title(const QString& text)
{
    QFont font = bold_;
    font.setPointSizeF(20);
    const double height = QFontMetricsF(font, &writer_).height();
    ensureRoom(height);
    painter_.setFont(font);
    painter_.drawText(QRectF(left_, y_, width_, height), Qt::AlignLeft | Qt::AlignVCenter, text);
    y_ += height + mm(4);
}

void ReportPages::paragraph(const QString& text, bool italic)
{
    QFont font = body_;
    font.setItalic(italic);
    const QRectF bounds = QFontMetricsF(font, &writer_).boundingRect(QRectF(0, 0, width_, 1e9), Qt::TextWordWrap, text);
    ensureRoom(bounds.height());
    painter_.setFont(font);
    painter_.drawText(QRectF(left_, y_, width_, bounds.height()), Qt::TextWordWrap, text);
    y_ += bounds.height() + mm(2);
}

void ReportPages::fields(const QList<std::pair<QString, QString>>& rows)
{
    for (const auto& [label, value] : rows) {
        const double labelWidth = width_ * 0.38;
        const QRectF bounds = QFontMetricsF(body_, &writer_)
                                  .boundingRect(QRectF(0, 0, width_ - labelWidth, 1e9), Qt::TextWordWrap, value);
        const double height = std::max(bounds.height(), QFontMetricsF(bold_, &writer_).height()) + mm(1.2);
        ensureRoom(height);
        painter_.setFont(bold_);
        painter_.drawText(QRectF(left_, y_, labelWidth, height), Qt::AlignLeft | Qt::AlignTop, label);
        painter_.setFont(body_);
        painter_.drawText(QRectF(left_ + labelWidth, y_, width_ - labelWidth, height), Qt::AlignLeft | Qt::TextWordWrap,
                          value);
        y_ += height;
    }
    y_ += mm(2);
}

double ReportPages::drawRow(const QStringList& cells, const QList<double>& widths, const QFont& font, bool ruled)
{
    const QFontMetricsF metrics(font, &writer_);
    const double height = metrics.height() + 2 * mm(kCellPaddingMm) * 0.6;
    painter_.setFont(font);
    double x = left_;
    for (int i = 0; i < widths.size(); ++i) {
        const double cellWidth = widths[i] * width_;
        const QRectF cell(x + mm(kCellPaddingMm), y_, cellWidth - 2 * mm(kCellPaddingMm), height);
        painter_.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                          metrics.elidedText(cells.value(i), Qt::ElideRight, cell.width()));
        x += cellWidth;
    }
    y_ += height;
    if (ruled) {
        painter_.setPen(QPen(Qt::gray, mm(0.15)));
        painter_.drawLine(QPointF(left_, y_), QPointF(left_ + width_, y_));
        painter_.setPen(Qt::black);
    }
    return height;
}

void ReportPages::table(const QStringList& headings, const QList<QStringList>& rows, const QList<double>& widths,
                        bool monospace)
{
    QFont cellFont = monospace ? mono_ : body_;
    QFont headFont = cellFont;
    headFont.setBold(true);
    const double rowHeight = QFontMetricsF(cellFont, &writer_).height() + 2 * mm(kCellPaddingMm) * 0.6;
    // A short table stays on one page; a long one starts with several rows.
    ensureRoom((qMin<qsizetype>(rows.size(), kRowsKeptTogether) + 1) * rowHeight);
    drawRow(headings, widths, headFont, true);
    for (const QStringList& row : rows) {
        if (y_ + rowHeight > bottom()) {
            startPage();
            ensureRoom(rowHeight);
            drawRow(headings, widths, headFont, true);
        }
        drawRow(row, widths, cellFont, false);
    }
    y_ += mm(3);
}

void ReportPages::chart(const RecordedChart& chart, double heightMm)
{
    const double height = mm(heightMm);
    ensureRoom(height);
    ChartRenderer::play(painter_, QRectF(left_, y_, width_, height), chart);
    y_ += height + mm(3);
}

void ReportPages::space(double millimetres) { y_ += mm(millimetres); }

bool ReportPages::finish()
{
    drawFooter();
    return painter_.end();
}
