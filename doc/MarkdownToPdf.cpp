// markdown-to-pdf: turns a Markdown document into a paginated A4 PDF with Qt
// alone, so building the documentation needs no other tool. Runs offscreen.
// Usage: markdown-to-pdf SOURCE.md OUTPUT.pdf TITLE

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <cstdio>

namespace {

// Markdown tables arrive without rules; give them thin ones, some air and a
// shaded heading row.
void ruleTable(QTextTable& table)
{
    QTextTableFormat format = table.format();
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(Qt::gray);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(3);
    table.setFormat(format);
    for (int column = 0; column < table.columns(); ++column) {
        QTextTableCell cell = table.cellAt(0, column);
        QTextCharFormat shaded = cell.format();
        shaded.setBackground(QColor(0xe8, 0xe8, 0xe8));
        cell.setFormat(shaded);
    }
}

void ruleTables(QTextFrame* frame)
{
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            ruleTable(*table);
        ruleTables(child);
    }
}

bool fail(const QString& text)
{
    std::fprintf(stderr, "markdown-to-pdf: %s\n", qPrintable(text));
    return false;
}

bool convert(const QString& sourcePath, const QString& pdfPath, const QString& title)
{
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1: %2").arg(sourcePath, source.errorString()));

    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
    // Pictures named in the text are found beside the source.
    document.setBaseUrl(QUrl::fromLocalFile(QFileInfo(sourcePath).absolutePath() + QLatin1Char('/')));
    document.setMarkdown(QString::fromUtf8(source.readAll()));
    ruleTables(document.rootFrame());

    if (!QDir().mkpath(QFileInfo(pdfPath).absolutePath()))
        return fail(QStringLiteral("cannot create the folder of %1").arg(pdfPath));
    {
        QPdfWriter writer(pdfPath);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Tolm"));
        document.print(&writer);  // 2 cm margins and a page number under each page
    }
    if (QFileInfo(pdfPath).size() == 0)
        return fail(QStringLiteral("cannot write %1").arg(pdfPath));
    return true;
}

}  // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "Usage: markdown-to-pdf SOURCE.md OUTPUT.pdf TITLE\n");
        return 2;
    }
    return convert(args[1], args[2], args[3]) ? 0 : 1;
}
