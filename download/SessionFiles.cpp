#include "download/SessionFiles.h"

#include "core/DataDirectories.h"

#include <QFile>

#include <algorithm>

QString engineDirectoryPath(const AircraftInfo& aircraft, int engineNumber)
{
    return QStringLiteral("%1/%2_data/engine_%3")
        .arg(dataRootPath(), textOf(aircraft.registration))
        .arg(engineNumber);
}

SessionFiles::SessionFiles(const QString& directory, const QString& serialNumber, const QDateTime& sessionTime)
    : directory_(directory), serialNumber_(serialNumber)
{
    const QString minute = sessionTime.toString(QStringLiteral("yyyyMMdd-hhmm"));
    stamp_ = minute;
    for (int suffix = 2; anyExists(); ++suffix)
        stamp_ = QStringLiteral("%1-%2").arg(minute).arg(suffix);
}

QString SessionFiles::name(const QString& tag, const QString& extension) const
{
    return QStringLiteral("%1/ESN%2-%3-%4%5").arg(directory_, serialNumber_, tag, stamp_, extension);
}

QStringList SessionFiles::all() const
{
    return {rawFile(), report(QStringLiteral("cb")), report(QStringLiteral("ss")), report(QStringLiteral("tr")),
            report(QStringLiteral("fh"))};
}

bool SessionFiles::anyExists() const
{
    const QStringList paths = all();
    return std::any_of(paths.begin(), paths.end(), [](const QString& path) { return QFile::exists(path); });
}
