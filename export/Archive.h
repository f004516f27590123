#pragma once
// Packs one directory of the data tree into <DataDir>/archive/<name>-<yyyyMMdd-hhmmss>.tar.gz,
// holding the directory under its own name with everything below it. The
// archive is built in the system's temporary directory and moved into place
// only when complete; an existing archive is never overwritten.

#include <QDateTime>
#include <QString>
#include <functional>

struct ArchiveOutcome {
    QString failure;  // "Failed to create archive file", ...; empty on success
    QString archive;  // the archive written
    bool cancelled = false;
};

class ArchiveJob {
public:
    // Reports the bytes packed so far of the total; returns false to cancel.
    using Progress = std::function<bool(qint64 packed, qint64 total)>;
    using Clock = std::function<QDateTime()>;

    ArchiveJob(const QString& directory, const QString& archiveDirectory, Clock now = &QDateTime::currentDateTime);

    ArchiveOutcome run(const Progress& progress = {});

    QString tarPath() const;  // the intermediate files in the system's temporary directory
    QString gzipPath() const { return tarPath() + QStringLiteral(".gz"); }

private:
    bool pack(const Progress& progress, bool& cancelled) const;
    bool compress() const;

    QString directory_;
    QString archiveDirectory_;
    Clock now_;
};
