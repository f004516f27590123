// Bookmarks added to a finished PDF, read back by an independent reader
// (qpdf), and the built user guide's outline and contents as a reader sees them.

#include "core/PdfOutline.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    int exitCode = -1;
    QByteArray output;
};

Run run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput()};
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeSamplePdf(const QString& path, int pages)
{
    QPdfWriter writer(path);
    QPainter painter(&writer);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.drawText(QPointF(500, 500), QStringLiteral("Page ") + QString::number(page));
    }
}

// "level|page|title" rows, pages from 0.
QList<PdfOutlineEntry> entries(const QStringList& rows)
{
    QList<PdfOutlineEntry> list;
    for (const QString& row : rows) {
        const QStringList fields = row.split(QLatin1Char('|'));
        list.append({fields[2], fields[0].toInt(), fields[1].toInt(), fields[1].toInt() * 100.0});
    }
    return list;
}

// "Title@page[Child@page,...]" as qpdf reads the outline, pages from 1.
QString outlineText(const QJsonArray& items)
{
    QStringList texts;
    for (const QJsonValue& value : items) {
        const QJsonObject item = value.toObject();
        QString text = item[QStringLiteral("title")].toString() + QLatin1Char('@') +
                       QString::number(item[QStringLiteral("destpageposfrom1")].toInt());
        const QJsonArray kids = item[QStringLiteral("kids")].toArray();
        if (!kids.isEmpty())
            text += QLatin1Char('[') + outlineText(kids) + QLatin1Char(']');
        texts.append(text);
    }
    return texts.join(QLatin1Char(','));
}

QJsonArray readOutline(const QString& path)
{
    const Run qpdf = run(QStringLiteral("qpdf"), {QStringLiteral("--json"), QStringLiteral("--json-key=outlines"), path});
    return QJsonDocument::fromJson(qpdf.output).object()[QStringLiteral("outlines")].toArray();
}

// Ligatures ("fl" drawn as one glyph) read back as their letters.
QString pageText(const QString& pdf, int page)
{
    const QString number = QString::number(page);
    const Run pdftotext = run(QStringLiteral(PDFTOTEXT_PATH), {QStringLiteral("-layout"), QStringLiteral("-f"), number,
                                                              QStringLiteral("-l"), number, pdf, QStringLiteral("-")});
    return QString::fromUtf8(pdftotext.output).normalized(QString::NormalizationForm_KC);
}

QString lastPageText(const QString& pdf)
{
    const QString text =
        QString::fromUtf8(run(QStringLiteral(PDFTOTEXT_PATH), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}).output);
    QStringList pages = text.split(QLatin1Char('\f'));
    pages.removeAll(QString());
    return pages.isEmpty() ? QString() : pages.last();
}

}  // namespace

class TestPdfOutline : public QObject {
    Q_OBJECT

private slots:
    void outlineReadBack_data();
    void outlineReadBack();
    void refusesWhatItCannotRead_data();
    void refusesWhatItCannotRead();
    void documentTool_data();
    void documentTool();
    void builtGuideHasOutlineAndContents();
};

void TestPdfOutline::outlineReadBack_data()
{
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QString>("expected");
    QTest::newRow("flat") << QStringList{"1|0|One", "1|2|Three"} << "One@1,Three@3";
    QTest::newRow("three levels") << QStringList{"1|0|Guide", "2|0|Start", "3|1|Detail", "2|2|Plot"}
                                  << "Guide@1[Start@1[Detail@2],Plot@3]";
    QTest::newRow("a skipped level nests below") << QStringList{"1|0|Guide", "3|1|Deep", "1|2|Next"}
                                                 << "Guide@1[Deep@2],Next@3";
    QTest::newRow("parentheses and backslash") << QStringList{"1|1|a (b) \\ c)"} << "a (b) \\ c)@2";
    QTest::newRow("beyond ASCII") << QStringList{"1|0|Größe – Ω", "2|1|日本"} << "Größe – Ω@1[日本@2]";
}

void TestPdfOutline::outlineReadBack()
{
    QFETCH(QStringList, rows);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.pdf"));
    writeSamplePdf(path, 3);
    const QByteArray original = fileBytes(path);

    // A second outline replaces the first.
    QCOMPARE(PdfOutline::append(path, entries({"1|1|Old"})), QString());
    QCOMPARE(PdfOutline::append(path, entries(rows)), QString());

    QVERIFY(fileBytes(path).startsWith(original));
    QCOMPARE(run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path}).exitCode, 0);
    QCOMPARE(outlineText(readOutline(path)), expected);
}

void TestPdfOutline::refusesWhatItCannotRead_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::newRow("not a PDF") << "text" << "it is not a PDF file.";
    QTest::newRow("cut short") << "cut" << "it has no cross-reference offset at its end.";
    QTest::newRow("cross-reference stream") << "stream" << "cross-reference streams are not supported";
    QTest::newRow("page beyond the end") << "page" << "the bookmark Late points to page 4 of 3.";
}

void TestPdfOutline::refusesWhatItCannotRead()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sample.pdf"));
    writeSamplePdf(path, 3);
    if (kind == QLatin1String("stream")) {
        const QString packed = dir.filePath(QStringLiteral("packed.pdf"));
        QCOMPARE(run(QStringLiteral("qpdf"), {QStringLiteral("--object-streams=generate"), path, packed}).exitCode, 0);
        QVERIFY(QFile::remove(path) && QFile::rename(packed, path));
    } else if (kind != QLatin1String("page")) {
        const QByteArray bytes = fileBytes(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(kind == QLatin1String("cut") ? bytes.left(bytes.size() / 2) : QByteArray("hello\n"));
    }
    const QByteArray before = fileBytes(path);

    const QString error = PdfOutline::append(path, entries({"1|0|Early", "1|3|Late"}));

    QVERIFY2(error.startsWith(QStringLiteral("Cannot add bookmarks to ") + path), qPrintable(error));
    QVERIFY2(error.endsWith(reason) || error.contains(reason), qPrintable(error));
    QCOMPARE(fileBytes(path), before);
}

void TestPdfOutline::documentTool_data()
{
    QTest::addColumn<QString>("markdown");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("expected");  // on standard error when failing, else on the last page
    QString table = QStringLiteral("| Name | Value |\n|---|---|\n");
    for (int row = 0; row < 80; ++row)
        table += QStringLiteral("| row ") + QString::number(row) + QStringLiteral(" | ") + QString::number(row * 7) +
                 QStringLiteral(" |\n");
    QTest::newRow("included fragment") << "# T\n\n## One\n\n<!-- include: cli/part.md -->\n" << 0
                                       << QStringList{"Words from the fragment."};
    QTest::newRow("figure with caption") << "# T\n\n## One\n\n![The main window](figures/pic.png)\n" << 0
                                         << QStringList{"The main window"};
    QTest::newRow("table heading on the next page") << "# T\n\n## One\n\n" + table << 0
                                                    << QStringList{"Name", "Value", "row 79"};
    QTest::newRow("missing fragment") << "# T\n\n<!-- include: cli/absent.md -->\n" << 1
                                      << QStringList{"cannot read ", "cli/absent.md"};
    QTest::newRow("missing figure") << "# T\n\n![Gone](figures/absent.png)\n" << 1
                                    << QStringList{"cannot read the figure ", "figures/absent.png"};
}

void TestPdfOutline::documentTool()
{
    QFETCH(QString, markdown);
    QFETCH(int, exitCode);
    QFETCH(QStringList, expected);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("cli")) && QDir(dir.path()).mkpath(QStringLiteral("figures")));
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(dir.filePath(QStringLiteral("figures/pic.png"))));
    QFile fragment(dir.filePath(QStringLiteral("cli/part.md")));
    QVERIFY(fragment.open(QIODevice::WriteOnly) && fragment.write("Words from the fragment.\n") > 0);
    fragment.close();
    QFile source(dir.filePath(QStringLiteral("doc.md")));
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write(markdown.toUtf8()) > 0);
    source.close();
    const QString pdf = dir.filePath(QStringLiteral("doc.pdf"));

    QProcess tool;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    tool.setProcessEnvironment(environment);
    tool.start(QStringLiteral(MARKDOWN_TO_PDF_PATH), {source.fileName(), pdf, QStringLiteral("Title")});
    QVERIFY(tool.waitForFinished(-1));
    QCOMPARE(tool.exitCode(), exitCode);

    const QString shown = exitCode == 0 ? lastPageText(pdf) : QString::fromUtf8(tool.readAllStandardError());
    for (const QString& text : expected)
        QVERIFY2(shown.contains(text), qPrintable(shown));
    QCOMPARE(QFile::exists(pdf), exitCode == 0);
}

// Every chapter of the guide's source is a bookmark in order; the contents
// list gives each the page its bookmark opens, and that page shows it with
// its text.
void TestPdfOutline::builtGuideHasOutlineAndContents()
{
    const QString pdf = QStringLiteral(TOLM_GUIDE_PDF);
    QStringList headings;
    const QFileInfo source(QStringLiteral(TOLM_GUIDE_SOURCE));
    QStringList lines;
    const QRegularExpression include(QStringLiteral("^<!-- include: (.+) -->$"));
    for (const QString& line : QString::fromUtf8(fileBytes(source.filePath())).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = include.match(line.trimmed());
        lines += match.hasMatch() ? QString::fromUtf8(fileBytes(source.dir().filePath(match.captured(1)))).split(
                                        QLatin1Char('\n'))
                                  : QStringList{line};
    }
    bool inCode = false;
    for (const QString& line : lines) {
        inCode ^= line.trimmed().startsWith(QLatin1String("```"));
        if (!inCode && line.startsWith(QLatin1String("## ")))
            headings.append(line.mid(3).remove(QRegularExpression(QStringLiteral("[`*]"))).trimmed());
    }
    QVERIFY(headings.size() > 5);

    const QJsonArray top = readOutline(pdf);
    QCOMPARE(top.size(), 1);  // the title, with every chapter below it
    const QJsonArray chapters = top[0].toObject()[QStringLiteral("kids")].toArray();
    QStringList titles;
    const QString contents = pageText(pdf, 1) + pageText(pdf, 2) + pageText(pdf, 3);
    for (const QJsonValue& value : chapters) {
        const QString title = value.toObject()[QStringLiteral("title")].toString();
        const int page = value.toObject()[QStringLiteral("destpageposfrom1")].toInt();
        titles.append(title);
        if (title == QLatin1String("Contents"))
            continue;
        const QRegularExpression entry(QRegularExpression::escape(title) + QStringLiteral("\\s+(\\d+)\\n"));
        QCOMPARE(entry.match(contents).captured(1), QString::number(page));
        // Shown on that page, and not alone at its foot.
        const QString shown = pageText(pdf, page).simplified();
        const qsizetype at = shown.indexOf(title);
        QVERIFY2(at >= 0, qPrintable(title));
        QVERIFY2(shown.mid(at + title.size()).trimmed() != QStringLiteral("Tolm User Guide ") + QString::number(page),
                 qPrintable(title));
    }
    titles.removeAll(QStringLiteral("Contents"));
    QCOMPARE(titles, headings);
}

QTEST_MAIN(TestPdfOutline)
#include "test_pdf_outline.moc"
