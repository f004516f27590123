#pragma once
// Where one download session files its raw file and reports: the engine
// directory <data root>/<registration>_data/engine_<n>, and names carrying the
// engine serial number and the session's stamp, its date-time, e.g.
// ESN123456-fd-20110305-1425.raw and ESN123456-ss-20110305-1425.txt. The stamp
// is reserved (core/FileSetStamp.h) before the first file is written and held
// until the session ends, so a session never replaces or mixes with another
// one's files, whether that one ran earlier or runs right now: the later of two
// sessions of the same minute gets the next suffix for all its files
// (ESN123456-fd-20110305-1425-2.raw).

#include "core/AircraftInfo.h"
#include "core/FileSetStamp.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

QString engineDirectoryPath(const AircraftInfo& aircraft, int engineNumber);

class SessionFiles {
public:
    // Creates the directory when missing and reserves the session's stamp in
    // it. Returns nothing when either fails, and failure then says why.
    static std::optional<SessionFiles> reserve(const QString& directory, const QString& serialNumber,
                                               const QDateTime& sessionTime, QString& failure);

    const QString& directory() const { return directory_; }
    QString rawFile() const { return name(QStringLiteral("fd"), QStringLiteral(".raw")); }
    // "cb", "ss", "tr" or "fh".
    QString report(const QString& tag) const { return name(tag, QStringLiteral(".txt")); }
    // Every file a session may write: the raw file, then the cb, ss, tr and fh reports.
    QStringList all() const;
    // The session is over: the names stay, the reservation goes.
    void release() { stamp_.release(); }

private:
    SessionFiles(const QString& directory, const QString& serialNumber, FileSetStamp stamp);
    QString name(const QString& tag, const QString& extension) const;

    QString directory_;
    QString serialNumber_;
    FileSetStamp stamp_;
};
