#pragma once
// Bookmarks for a finished PDF. The toolkit's PDF writer has no outline of
// its own, so this adds one afterwards as an incremental update: the file's
// bytes stay as they are, new objects, a re-written catalog (with the outline
// and "open with bookmarks shown") and a new cross-reference section follow.
// Reads classic cross-reference tables only; anything else is refused and the
// file is left untouched.

#include <QList>
#include <QString>

struct PdfOutlineEntry {
    QString title;
    int level = 1;     // 1 at the top; an entry nests below the nearest earlier entry of a lower level
    int page = 0;      // the target page, counted from 0 in reading order
    double top = -1;   // points from the page's top edge to bring to the window's top; negative: the whole page
};

namespace PdfOutline {

// Gives the PDF at pdfPath these entries as its outline, replacing any it
// had. Entries of the first level show their children, deeper ones are
// closed. Empty on success, otherwise why the file was left as it was.
QString append(const QString& pdfPath, const QList<PdfOutlineEntry>& entries);

}  // namespace PdfOutline
