#pragma once
// Where one download session files its raw file and reports: the engine
// directory <data root>/<registration>_data/engine_<n>, and names carrying the
// engine serial number and the session date-time, e.g.
// ESN123456-fd-20110305-1425.raw and ESN123456-ss-20110305-1425.txt. A session
// never replaces an earlier one's files: when a name of the same minute is
// taken, all its files get the next free suffix (ESN123456-fd-20110305-1425-2.raw).

#include "core/AircraftInfo.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

QString engineDirectoryPath(const AircraftInfo& aircraft, int engineNumber);

class SessionFiles {
public:
    SessionFiles(const QString& directory, const QString& serialNumber, const QDateTime& sessionTime);

    const QString& directory() const { return directory_; }
    QString rawFile() const { return name(QStringLiteral("fd"), QStringLiteral(".raw")); }
    // "cb", "ss", "tr" or "fh".
    QString report(const QString& tag) const { return name(tag, QStringLiteral(".txt")); }
    // Every file a session may write: the raw file, then the cb, ss, tr and fh reports.
    QStringList all() const;

private:
    QString name(const QString& tag, const QString& extension) const;
    bool anyExists() const;

    QString directory_;
    QString serialNumber_;
    QString stamp_;  // session date-time and suffix
};
