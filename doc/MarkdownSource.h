#pragma once
// The Markdown of a document as the typesetter takes it: lines
// "<!-- include: PATH -->" replaced by the named file, and each figure line
// "![Caption](PATH)" replaced by a placeholder paragraph, its picture loaded.
// Paths are relative to the source's folder; a missing file fails the build.

#include <QImage>
#include <QList>
#include <QString>

struct Figure {
    QString placeholder;  // the paragraph text that stands for it in the Markdown
    QString caption;
    QImage image;
};

struct MarkdownSource {
    QString markdown;
    QList<Figure> figures;
    QString error;  // empty when everything was found
};

MarkdownSource readMarkdownSource(const QString& path);
