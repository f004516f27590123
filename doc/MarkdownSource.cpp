#include "MarkdownSource.h"

#include "core/MessageText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

const QRegularExpression includeLine(QStringLiteral(R"(^\s*<!--\s*include:\s*(.+?)\s*-->\s*$)"));
const QRegularExpression figureLine(QStringLiteral(R"(^\s*!\[(.*)\]\((.+)\)\s*$)"));

bool readText(const QString& path, QString& text, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(messageText(path), file.errorString());
        return false;
    }
    text = QString::fromUtf8(file.readAll());
    return true;
}

bool isFence(const QString& line) { return line.trimmed().startsWith(QLatin1String("```")); }

// Every line outside code blocks that matches the pattern becomes what
// `replace` makes of it, until `replace` sets an error.
template <typename Replace>
QString replaceLines(const QString& text, const QRegularExpression& pattern, Replace replace, const QString& error)
{
    QStringList out;
    bool inCode = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        inCode ^= isFence(line);
        const QRegularExpressionMatch match = pattern.match(line);
        out.append(inCode || !match.hasMatch() ? line : replace(match));
        if (!error.isEmpty())
            return {};
    }
    return out.join(QLatin1Char('\n'));
}

}  // namespace

MarkdownSource readMarkdownSource(const QString& path)
{
    MarkdownSource source;
    const QDir folder = QFileInfo(path).absoluteDir();
    QString text;
    if (!readText(path, text, source.error))
        return source;
    // Included files are taken as they are: an include inside one is not followed.
    text = replaceLines(
        text, includeLine,
        [&](const QRegularExpressionMatch& include) {
            QString included;
            readText(folder.filePath(include.captured(1)), included, source.error);
            return included;
        },
        source.error);
    source.markdown = replaceLines(
        text, figureLine,
        [&](const QRegularExpressionMatch& figure) {
            const QString figurePath = folder.filePath(figure.captured(2));
            const QImage image(figurePath);
            if (image.isNull())
                source.error = QStringLiteral("cannot read the figure ") + messageText(figurePath);
            const QString placeholder = QStringLiteral("FIGUREPLACEHOLDER") + QString::number(source.figures.size());
            source.figures.append({placeholder, figure.captured(1).trimmed(), image});
            // Blank lines around it make it a paragraph of its own.
            return QLatin1String("\n") + placeholder + QLatin1String("\n");
        },
        source.error);
    return source;
}
