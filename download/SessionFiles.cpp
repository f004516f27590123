#include "download/SessionFiles.h"

#include "core/DataDirectories.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace {

QString fileName(const QString& directory, const QString& serialNumber, const QString& tag, const QString& stamp,
                 const QString& extension)
{
    return QStringLiteral("%1/ESN%2-%3-%4%5").arg(directory, serialNumber, tag, stamp, extension);
}

QStringList fileSet(const QString& directory, const QString& serialNumber, const QString& stamp)
{
    QStringList files{fileName(directory, serialNumber, QStringLiteral("fd"), stamp, QStringLiteral(".raw"))};
    for (const char* tag : {"cb", "ss", "tr", "fh"})
        files << fileName(directory, serialNumber, QLatin1String(tag), stamp, QStringLiteral(".txt"));
    return files;
}

}  // namespace

QString engineDirectoryPath(const AircraftInfo& aircraft, int engineNumber)
{
    return dataRootPath() + QLatin1Char('/') + textOf(aircraft.registration) + QStringLiteral("_data/engine_")
           + QString::number(engineNumber);
}

std::optional<SessionFiles> SessionFiles::reserve(const QString& directory, const QString& serialNumber,
                                                  const QDateTime& sessionTime, QString& failure)
{
    if (!QDir().mkpath(directory)) {
        failure = QStringLiteral("Failed to create data directory path.");
        return std::nullopt;
    }
    const auto setExists = [&](const QString& stamp) {
        const QStringList files = fileSet(directory, serialNumber, stamp);
        return std::any_of(files.begin(), files.end(), [](const QString& path) { return QFile::exists(path); });
    };
    std::optional<FileSetStamp> stamp =
        FileSetStamp::reserve(directory, QStringLiteral("ESN") + serialNumber,
                              sessionTime.toString(QStringLiteral("yyyyMMdd-hhmm")), setExists, failure);
    if (!stamp)
        return std::nullopt;
    return SessionFiles(directory, serialNumber, std::move(*stamp));
}

SessionFiles::SessionFiles(const QString& directory, const QString& serialNumber, FileSetStamp stamp)
    : directory_(directory), serialNumber_(serialNumber), stamp_(std::move(stamp))
{
}

QString SessionFiles::name(const QString& tag, const QString& extension) const
{
    return fileName(directory_, serialNumber_, tag, stamp_.stamp(), extension);
}

QStringList SessionFiles::all() const { return fileSet(directory_, serialNumber_, stamp_.stamp()); }
