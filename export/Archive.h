#pragma once
// Packs one directory of the data tree into <DataDir>/archive/<name>-<yyyyMMdd-hhmmss>.tar.gz,
// holding the directory under its own name with everything below it. The
// archive is built in the system's temporary directory and moved into place
// only when complete; an existing archive is never overwritten. Names are
// archived as their bytes, symbolic links as they read; special files (FIFOs,
// sockets, devices) are never opened but reported as left out.

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// An entry of the tree that is not in the archive, and why.
struct SkippedEntry {
    QString path;
    QString reason;
};

struct ArchiveOutcome {
    QString failure;  // "Failed to create archive file", ...; empty on success
    QString archive;  // the archive written
    QList<SkippedEntry> skipped;  // left out of the archive written
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
    bool pack(const Progress& progress, ArchiveOutcome& outcome) const;
    bool compress() const;

    QString directory_;
    QString archiveDirectory_;
    Clock now_;
};
