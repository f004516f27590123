#include "PagedDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>

namespace {

// Format lengths (margins, padding, picture sizes) are in units of 1/96 inch;
// the layout scales them to the writer's pixels, and lays out text in those.
constexpr double UnitsPerInch = 96;
constexpr double SideMarginMm = 20;
constexpr double TopMarginMm = 20;
constexpr double BottomMarginMm = 25;  // room for the footer
constexpr double FooterBaselineMm = 13;
constexpr double CaptionRoomMm = 15;
constexpr int MaxSettlingRounds = 8;
constexpr int MaxMovesPerRound = 2000;
const QString Font = QStringLiteral("DejaVu Sans");

// Marks a figure's picture block, which stays with its caption.
constexpr int FigureProperty = QTextFormat::UserProperty + 1;
// Marks the heading of the contents list, which lists no page of its own.
constexpr int ContentsProperty = QTextFormat::UserProperty + 2;

// Of a block or of a table.
bool startsPage(const QTextFormat& format)
{
    return format.intProperty(QTextFormat::PageBreakPolicy) & QTextFormat::PageBreak_AlwaysBefore;
}

double layoutUnits(double millimetres) { return millimetres / 25.4 * UnitsPerInch; }

QTextBlock firstBlockOf(QTextTable* table, int row)
{
    return table->cellAt(row, 0).firstCursorPosition().block();
}

QList<QTextTable*> tablesIn(QTextFrame* frame)
{
    QList<QTextTable*> tables;
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            tables.append(table);
        tables += tablesIn(child);
    }
    return tables;
}

}  // namespace

PagedDocument::PagedDocument(QPdfWriter& writer)
    : writer_(writer)
{
    writer_.setPageSize(QPageSize(QPageSize::A4));
    writer_.setPageMargins(QMarginsF(0, 0, 0, 0));
    scale_ = writer_.logicalDpiY() / UnitsPerInch;
    document_.documentLayout()->setPaintDevice(&writer_);
    document_.setPageSize(QSizeF(writer_.width(), writer_.height()));
}

double PagedDocument::pageHeight() const { return document_.pageSize().height(); }

// A line that does not fit at a page's foot is moved down within its block,
// so where a block shows is where its first line is.
double PagedDocument::topOf(const QTextBlock& block) const
{
    const double top = document_.documentLayout()->blockBoundingRect(block).top();
    return block.layout()->lineCount() > 0 ? top + block.layout()->lineAt(0).y() : top;
}

int PagedDocument::pageOf(const QTextBlock& block) const { return int(topOf(block) / pageHeight()); }

void PagedDocument::load(const MarkdownSource& source)
{
    document_.setDefaultFont(QFont(Font, 10));
    document_.setMarkdown(source.markdown);
    // Setting the Markdown resets the page frame, so its margins come after.
    QTextFrameFormat page = document_.rootFrame()->frameFormat();
    page.setLeftMargin(layoutUnits(SideMarginMm));
    page.setRightMargin(layoutUnits(SideMarginMm));
    page.setTopMargin(layoutUnits(TopMarginMm));
    page.setBottomMargin(layoutUnits(BottomMarginMm));
    // One edit block: the layout follows once, not after every change.
    QTextCursor edit(&document_);
    edit.beginEditBlock();
    document_.rootFrame()->setFrameFormat(page);
    styleTables(document_.rootFrame());
    placeFigures(source.figures);
    insertContents();
    edit.endEditBlock();
}

// Markdown tables arrive without rules; give them thin ones, some air and a
// shaded heading row that repeats on every page the table runs onto.
void PagedDocument::styleTables(QTextFrame* frame)
{
    for (QTextTable* table : tablesIn(frame)) {
        QTextTableFormat format = table->format();
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(Qt::gray);
        format.setBorderCollapse(true);
        format.setCellSpacing(0);
        format.setCellPadding(3);
        format.setHeaderRowCount(1);
        table->setFormat(format);
        for (int column = 0; column < table->columns(); ++column) {
            QTextTableCell cell = table->cellAt(0, column);
            QTextCharFormat shaded = cell.format();
            shaded.setBackground(QColor(0xe8, 0xe8, 0xe8));
            cell.setFormat(shaded);
        }
    }
}

void PagedDocument::placeFigures(const QList<Figure>& figures)
{
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        const auto figure = std::find_if(figures.begin(), figures.end(),
                                         [&](const Figure& f) { return f.placeholder == block.text(); });
        if (figure != figures.end())
            placeFigure(block, *figure);
    }
}

// Fitted to the text width and to a page with its caption; a picture never
// grows beyond its own size.
void PagedDocument::placeFigure(const QTextBlock& block, const Figure& figure)
{
    const QUrl name(QStringLiteral("figure:") + figure.placeholder);
    document_.addResource(QTextDocument::ImageResource, name, figure.image);
    const QSizeF page = document_.pageSize() / scale_;
    const QSizeF room(page.width() - 2 * layoutUnits(SideMarginMm),
                      page.height() - layoutUnits(TopMarginMm + BottomMarginMm + CaptionRoomMm));
    const QSizeF size = QSizeF(figure.image.size()).scaled(room.boundedTo(figure.image.size()), Qt::KeepAspectRatio);

    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    QTextBlockFormat pictureFormat = block.blockFormat();
    pictureFormat.setAlignment(Qt::AlignHCenter);
    pictureFormat.setProperty(FigureProperty, true);
    pictureFormat.setTopMargin(6);
    cursor.setBlockFormat(pictureFormat);
    QTextImageFormat image;
    image.setName(name.toString());
    image.setWidth(size.width());
    image.setHeight(size.height());
    cursor.insertImage(image);

    QTextBlockFormat captionFormat;
    captionFormat.setAlignment(Qt::AlignHCenter);
    captionFormat.setTopMargin(4);
    captionFormat.setBottomMargin(10);
    QTextCharFormat captionText;
    captionText.setFont(QFont(Font, 9));
    captionText.setFontItalic(true);
    cursor.insertBlock(captionFormat, captionText);
    cursor.insertText(figure.caption);
}

// The list of chapters goes before the first one, after the title and its
// introduction; its page numbers are filled in by paginate().
void PagedDocument::insertContents()
{
    QTextBlock first = document_.begin();
    while (first.isValid() && first.blockFormat().headingLevel() != 2)
        first = first.next();
    if (!first.isValid())
        return;
    QTextCursor cursor(first);
    cursor.insertBlock();  // the chapter moves on; its old place, still a heading, becomes ours
    cursor.movePosition(QTextCursor::PreviousBlock);
    cursor.insertText(QStringLiteral("Contents"));
    QTextBlockFormat marked;
    marked.setProperty(ContentsProperty, true);
    cursor.mergeBlockFormat(marked);

    QTextTableFormat format;
    format.setBorder(0);
    format.setCellPadding(1);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setColumnWidthConstraints({QTextLength(QTextLength::PercentageLength, 90),
                                      QTextLength(QTextLength::PercentageLength, 10)});
    cursor.movePosition(QTextCursor::EndOfBlock);
    const QList<QTextBlock> chapters = contentsHeadings();
    const bool partsAndChapters = std::any_of(chapters.begin(), chapters.end(), [](const QTextBlock& chapter) {
        return chapter.blockFormat().headingLevel() == 1;
    });
    contents_ = cursor.insertTable(int(chapters.size()), 2, format);
    for (int row = 0; row < chapters.size(); ++row) {
        QTextCursor cell = contents_->cellAt(row, 0).firstCursorPosition();
        QTextBlockFormat indent;
        indent.setIndent(partsAndChapters && chapters[row].blockFormat().headingLevel() == 2 ? 1 : 0);
        cell.setBlockFormat(indent);
        QTextCharFormat text;
        text.setFontWeight(chapters[row].blockFormat().headingLevel() == 1 ? QFont::Bold : QFont::Normal);
        cell.insertText(chapters[row].text(), text);
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        contents_->cellAt(row, 1).firstCursorPosition().setBlockFormat(right);
    }
}

// The headings of the first two levels after the contents list.
QList<QTextBlock> PagedDocument::contentsHeadings() const
{
    QList<QTextBlock> chapters;
    const int start = contents_ ? contents_->lastPosition() : 0;
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level > 0 && level <= 2 && block.position() > start &&
            !block.blockFormat().boolProperty(ContentsProperty))
            chapters.append(block);
    }
    // Before the list exists: the headings from the first chapter on.
    if (!contents_)
        chapters.erase(chapters.begin(), std::find_if(chapters.begin(), chapters.end(), [](const QTextBlock& b) {
                           return b.blockFormat().headingLevel() == 2;
                       }));
    return chapters;
}

QStringList PagedDocument::contentsPages() const
{
    QStringList pages;
    for (const QTextBlock& chapter : contentsHeadings())
        pages.append(QString::number(pageOf(chapter) + 1));
    return pages;
}

void PagedDocument::writeContentsPages(const QStringList& pages)
{
    QTextCursor edit(&document_);
    edit.beginEditBlock();
    for (int row = 0; row < pages.size(); ++row) {
        QTextCursor cell = contents_->cellAt(row, 1).firstCursorPosition();
        cell.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cell.insertText(pages[row]);
    }
    edit.endEditBlock();
}

QString PagedDocument::paginate()
{
    QStringList written;
    for (int round = 0; round < MaxSettlingRounds; ++round) {
        for (int move = 0; keepNextViolation(); ++move)
            if (move == MaxMovesPerRound)
                return QStringLiteral("headings and figures cannot be kept with what follows them");
        if (!contents_)
            return {};
        const QStringList pages = contentsPages();
        if (pages == written)
            return {};
        writeContentsPages(pages);
        written = pages;
    }
    return QStringLiteral("the page numbers of the contents do not settle");
}

// Finds the first heading, figure or table heading row left at a page's foot
// without what follows it, and starts a page before it. Only moving things
// down, the first one is always right to move; the layout is only asked as
// far as that one.
bool PagedDocument::keepNextViolation()
{
    QHash<int, QTextTable*> tableAt;  // by the position of its first cell
    for (QTextTable* table : tablesIn(document_.rootFrame()))
        if (table != contents_ && table->rows() > 1)
            tableAt.insert(table->firstPosition(), table);
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat format = block.blockFormat();
        const bool sticky = format.headingLevel() > 0 || format.boolProperty(FigureProperty);
        if (sticky && !startsPage(format) && block.next().isValid() && pageOf(block) != pageOf(block.next())) {
            QTextBlockFormat newPage;
            newPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).mergeBlockFormat(newPage);
            return true;
        }
        QTextTable* table = tableAt.value(block.position());
        if (table && !startsPage(table->format()) &&
            pageOf(block) != pageOf(firstBlockOf(table, 1))) {
            QTextTableFormat newPage = table->format();
            newPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            table->setFormat(newPage);
            return true;
        }
    }
    return false;
}

QList<Heading> PagedDocument::headings() const
{
    QList<Heading> list;
    const double pointsPerPixel = 72.0 / writer_.logicalDpiY();
    for (QTextBlock block = document_.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level == 0)
            continue;
        const double top = topOf(block);
        const int page = int(top / pageHeight());
        list.append({block.text(), level, page, (top - page * pageHeight()) * pointsPerPixel});
    }
    return list;
}

void PagedDocument::print(const QString& title)
{
    QPainter painter(&writer_);
    const int pages = document_.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer_.newPage();
        const QRectF view(QPointF(0, page * pageHeight()), document_.pageSize());
        painter.save();
        painter.translate(0, -view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        context.palette.setColor(QPalette::Text, Qt::black);
        document_.documentLayout()->draw(&painter, context);
        painter.restore();
        drawFooter(painter, title, page + 1);
    }
}

// The document's title on the left, the page number on the right.
void PagedDocument::drawFooter(QPainter& painter, const QString& title, int page) const
{
    const double left = layoutUnits(SideMarginMm) * scale_;
    const double width = document_.pageSize().width() - 2 * left;
    const double baseline = pageHeight() - layoutUnits(FooterBaselineMm) * scale_;
    painter.setFont(QFont(Font, 8));
    painter.setPen(Qt::darkGray);
    painter.drawLine(QPointF(left, baseline - 3 * painter.fontMetrics().height() / 2.0),
                     QPointF(left + width, baseline - 3 * painter.fontMetrics().height() / 2.0));
    const QRectF line(left, baseline - painter.fontMetrics().ascent(), width, painter.fontMetrics().height());
    painter.drawText(line, Qt::AlignLeft, title);
    painter.drawText(line, Qt::AlignRight, QString::number(page));
}
