// markdown-to-pdf: turns a Markdown document into a paginated A4 PDF with Qt
// alone, so building the documentation needs no other tool: figures, included
// fragments, a contents list with page numbers, page footers and bookmarks.
// Runs offscreen. Usage: markdown-to-pdf SOURCE.md OUTPUT.pdf TITLE
// With SOURCE_DATE_EPOCH set, the file records that date instead of today's,
// so the same sources give the same bytes.

#include "MarkdownSource.h"
#include "PagedDocument.h"

#include "core/CheckedSaveFile.h"
#include "core/MessageText.h"
#include "core/PdfCreationDate.h"
#include "core/PdfOutline.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHashFunctions>
#include <QPdfWriter>
#include <cstdio>

namespace {

bool fail(const QString& text)
{
    std::fprintf(stderr, "markdown-to-pdf: %s\n", qPrintable(text));
    return false;
}

QByteArray withSourceDate(const QByteArray& pdf)
{
    bool ok = false;
    const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
    return ok ? withCreationDate(pdf, QDateTime::fromSecsSinceEpoch(epoch, Qt::UTC)) : pdf;
}

bool render(const MarkdownSource& source, const QString& title, QByteArray& pdf, QList<PdfOutlineEntry>& outline)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Tolm"));
        PagedDocument document(writer);
        document.load(source);
        if (const QString failure = document.paginate(); !failure.isEmpty())
            return fail(failure);
        for (const Heading& heading : document.headings())
            outline.append({heading.title, heading.level, heading.page, heading.top});
        document.print(title);
    }
    pdf = withSourceDate(buffer.data());
    return true;
}

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return fail(QStringLiteral("cannot create the folder of ") + messageText(path));
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("cannot write %1: %2").arg(messageText(path), file.errorString()));
    file.write(bytes);
    if (const QString failure = file.commitWhole(); !failure.isEmpty())
        return fail(QStringLiteral("cannot write %1: %2").arg(messageText(path), failure));
    return true;
}

bool convert(const QString& sourcePath, const QString& pdfPath, const QString& title)
{
    const MarkdownSource source = readMarkdownSource(sourcePath);
    if (!source.error.isEmpty())
        return fail(source.error);
    QByteArray pdf;
    QList<PdfOutlineEntry> outline;
    if (!render(source, title, pdf, outline) || !writeWhole(pdfPath, pdf))
        return false;
    if (const QString failure = PdfOutline::append(pdfPath, outline); !failure.isEmpty()) {
        QFile::remove(pdfPath);  // a document without bookmarks must not pass for a built one
        return fail(failure);
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    qputenv("TZ", "UTC");  // the writer's time stamp in one form everywhere
    QHashSeed::setDeterministicGlobalSeed();  // the writer lists the fonts in hash order
    QCoreApplication::setAttribute(Qt::AA_Use96Dpi);  // format lengths in 1/96 inch, whatever the screen
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "Usage: markdown-to-pdf SOURCE.md OUTPUT.pdf TITLE\n");
        return 2;
    }
    return convert(args[1], args[2], args[3]) ? 0 : 1;
}
