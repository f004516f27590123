#include "report/ReportSet.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace report {

namespace {

const QString kRawTag = QStringLiteral("-fd-");

QString sha256Of(const QString& path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QStringLiteral("(unreadable)");
    return QString::fromLatin1(hash.result().toHex());
}

}  // namespace

QString stampOf(const QString& rawFileName)
{
    const qsizetype at = rawFileName.lastIndexOf(kRawTag);
    if (at < 0 || !rawFileName.endsWith(QLatin1String(".raw")))
        return {};
    return rawFileName.mid(at + kRawTag.size()).chopped(4);
}

QString setReport(const QString& rawPath, const QString& tag)
{
    const QFileInfo raw(rawPath);
    const qsizetype at = raw.fileName().lastIndexOf(kRawTag);
    if (at < 0 || stampOf(raw.fileName()).isEmpty())
        return {};
    const QString name = raw.fileName().left(at) + QLatin1Char('-') + tag + QLatin1Char('-')
                         + stampOf(raw.fileName()) + QStringLiteral(".txt");
    const QString path = raw.dir().filePath(name);
    return QFileInfo(path).isFile() ? path : QString();
}

QList<ReportSetFile> setFiles(const QString& rawPath)
{
    QStringList paths{rawPath};
    for (const char* tag : {"cb", "ss", "tr", "fh"}) {
        const QString report = setReport(rawPath, QLatin1String(tag));
        if (!report.isEmpty())
            paths.append(report);
    }
    QList<ReportSetFile> files;
    for (const QString& path : paths)
        files.append({QFileInfo(path).fileName(), QFileInfo(path).size(), sha256Of(path)});
    return files;
}

}  // namespace report
