#pragma once
// The text of a PDF as a reader finds it: the words of its first page as
// `pdftotext -bbox` (poppler-utils) reads them, each with its box in points
// from the page's top left.

#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

struct PdfWord {
    QString text;
    QRectF box;
};

struct PdfText {
    QSizeF page;           // empty when the file could not be read
    QList<PdfWord> words;  // in the order the file draws them

    // Runs of words that follow each other along one line, left to right or
    // (turned) bottom to top, at most a blank apart: one per title, label or
    // legend name, with the box around all of it.
    QList<PdfWord> phrases() const;
    QStringList phraseTexts() const;
    // The phrases that are numbers alone, such as tick labels.
    QList<PdfWord> numbers() const;
};

PdfText readPdfText(const QString& path);
