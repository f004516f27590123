#include "report/ReportSet.h"

#include "flights/RawFileReader.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstring>

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

namespace {

// The raw files of the data tree, each with its header; an unreadable one is passed over.
template <typename Visit>
void forEachRawHeader(const QString& dataRoot, const QString& aircraftPattern, Visit visit)
{
    for (const QFileInfo& aircraft : QDir(dataRoot).entryInfoList({aircraftPattern}, QDir::Dirs)) {
        for (const QFileInfo& engine : QDir(aircraft.filePath()).entryInfoList({QStringLiteral("engine_*")}, QDir::Dirs)) {
            for (const QFileInfo& raw : QDir(engine.filePath()).entryInfoList({QStringLiteral("*.raw")}, QDir::Files)) {
                QFile file(raw.filePath());
                RawFileHeader header;
                if (file.open(QIODevice::ReadOnly) && readRawHeader(file, header).isEmpty())
                    visit(raw.absoluteFilePath(), header);
            }
        }
    }
}

}  // namespace

QString rawFileOf(const FlightRecord& flight, const QString& dataRoot)
{
    QString found;
    forEachRawHeader(dataRoot, flight.registration + QStringLiteral("_data"),
                     [&](const QString& path, const RawFileHeader& header) {
                         if (found.isEmpty() && std::memcmp(&header, &flight.header, sizeof header) == 0)
                             found = path;
                     });
    return found;
}

QString latestRawFile(const QString& dataRoot)
{
    QString latest;
    quint32 latestTime = 0;
    forEachRawHeader(dataRoot, QStringLiteral("*_data"), [&](const QString& path, const RawFileHeader& header) {
        if (latest.isEmpty() || header.creationTime > latestTime || (header.creationTime == latestTime && path > latest)) {
            latest = path;
            latestTime = header.creationTime;
        }
    });
    return latest;
}

}  // namespace report
