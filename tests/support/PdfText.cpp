#include "PdfText.h"

#include <QProcess>
#include <QXmlStreamReader>
#include <cmath>

namespace {

double attribute(const QXmlStreamReader& xml, const char* name)
{
    return xml.attributes().value(QLatin1String(name)).toDouble();
}

// Whether `next` continues the phrase that ends with `last`.
bool follows(const QRectF& last, const QRectF& next)
{
    const bool alongRow = std::abs(next.top() - last.top()) < 0.5 && next.left() >= last.right() - 0.5 &&
                          next.left() - last.right() <= last.height();
    const bool upColumn = std::abs(next.left() - last.left()) < 0.5 && next.bottom() <= last.top() + 0.5 &&
                          last.top() - next.bottom() <= last.width();
    return alongRow || upColumn;
}

}  // namespace

PdfText readPdfText(const QString& path)
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral(PDFTOTEXT_PATH), {QStringLiteral("-bbox"), QStringLiteral("-f"), QStringLiteral("1"),
                                                  QStringLiteral("-l"), QStringLiteral("1"), path, QStringLiteral("-")});
    PdfText text;
    if (!pdftotext.waitForFinished() || pdftotext.exitCode() != 0)
        return text;
    QXmlStreamReader xml(pdftotext.readAllStandardOutput());
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            text.page = QSizeF(attribute(xml, "width"), attribute(xml, "height"));
        } else if (xml.name() == QLatin1String("word")) {
            const QRectF box(QPointF(attribute(xml, "xMin"), attribute(xml, "yMin")),
                             QPointF(attribute(xml, "xMax"), attribute(xml, "yMax")));
            text.words.append({xml.readElementText(), box});
        }
    }
    return text;
}

QList<PdfWord> PdfText::phrases() const
{
    QList<PdfWord> result;
    QRectF last;
    for (const PdfWord& word : words) {
        if (!result.isEmpty() && follows(last, word.box)) {
            result.last().text += QLatin1Char(' ') + word.text;
            result.last().box |= word.box;
        } else {
            result.append(word);
        }
        last = word.box;
    }
    return result;
}

QStringList PdfText::phraseTexts() const
{
    QStringList texts;
    for (const PdfWord& phrase : phrases())
        texts << phrase.text;
    return texts;
}

QList<PdfWord> PdfText::numbers() const
{
    QList<PdfWord> result;
    for (const PdfWord& phrase : phrases()) {
        bool number = false;
        phrase.text.toDouble(&number);
        if (number)
            result << phrase;
    }
    return result;
}
