#pragma once
// A Markdown document laid out on A4 pages for print: figures fitted to the
// text width with their caption below, ruled tables whose heading row repeats
// after a page break, headings kept with what follows them, a contents list
// with the page of every chapter, and a footer with the page number.

#include "MarkdownSource.h"

#include <QTextDocument>

class QPdfWriter;
class QTextTable;

struct Heading {
    QString title;
    int level = 1;
    int page = 0;    // from 0
    double top = 0;  // points from the page's top edge
};

class PagedDocument {
public:
    // Lays out for this writer; it must outlive the document.
    explicit PagedDocument(QPdfWriter& writer);

    void load(const MarkdownSource& source);
    // Moves what must stay together onto one page and fills in the contents'
    // page numbers until they hold; the error when they do not settle.
    QString paginate();
    QList<Heading> headings() const;
    void print(const QString& title);

private:
    double pageHeight() const;
    double topOf(const QTextBlock& block) const;
    int pageOf(const QTextBlock& block) const;
    void styleTables(QTextFrame* frame);
    void placeFigures(const QList<Figure>& figures);
    void placeFigure(const QTextBlock& block, const Figure& figure);
    void insertContents();
    QList<QTextBlock> contentsHeadings() const;
    QStringList contentsPages() const;
    void writeContentsPages(const QStringList& pages);
    bool keepNextViolation();
    void drawFooter(QPainter& painter, const QString& title, int page) const;

    QPdfWriter& writer_;
    QTextDocument document_;
    double scale_ = 1;                 // device pixels per layout unit
    QTextTable* contents_ = nullptr;  // the contents list, when the document has chapters
};
