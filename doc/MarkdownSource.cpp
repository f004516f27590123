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

// Included files are taken as they are: an include inside one is not followed.
QString expandIncludes(const QString& text, const QDir& folder, QString& error)
{
    QStringList out;
    bool inCode = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        inCode ^= isFence(line);
        const QRegularExpressionMatch match = includeLine.match(line);
        if (inCode || !match.hasMatch()) {
            out.append(line);
            continue;
        }
        QString included;
        if (!readText(folder.filePath(match.captured(1)), included, error))
            return {};
        out.append(included);
    }
    return out.join(QLatin1Char('\n'));
}

QString replaceFigures(const QString& text, const QDir& folder, QList<Figure>& figures, QString& error)
{
    QStringList out;
    bool inCode = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        inCode ^= isFence(line);
        const QRegularExpressionMatch match = figureLine.match(line);
        if (inCode || !match.hasMatch()) {
            out.append(line);
            continue;
        }
        const QString path = folder.filePath(match.captured(2));
        QImage image(path);
        if (image.isNull()) {
            error = QStringLiteral("cannot read the figure %1").arg(messageText(path));
            return {};
        }
        const QString placeholder = QStringLiteral("FIGUREPLACEHOLDER") + QString::number(figures.size());
        figures.append({placeholder, match.captured(1).trimmed(), image});
        // Blank lines around it make it a paragraph of its own.
        out.append(QLatin1String("\n") + placeholder + QLatin1String("\n"));
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
    text = expandIncludes(text, folder, source.error);
    if (source.error.isEmpty())
        source.markdown = replaceFigures(text, folder, source.figures, source.error);
    return source;
}
