#pragma once
// The stamp that names one set of files in a directory, reserved against every
// other session on it, of this program or another. A download names its raw
// file and reports <prefix>-<tag>-<stamp> (ESN123456-fd-20110305-1425.raw,
// ESN123456-ss-20110305-1425.txt); reserving creates the lock file
// .<prefix>-<stamp>.lock exclusively (O_EXCL), so two sessions of the same
// minute never share a stamp: the later one takes the next suffix
// (20110305-1425-2, -3, ...). A stamp is passed over while its lock exists or
// files of its set do. The lock goes with the reservation; a lock left behind
// by a program that died only makes later sessions pass its stamp over, and
// listings never see it (it is hidden and names no data file).

#include <QString>
#include <functional>
#include <optional>

class FileSetStamp {
public:
    // Tells whether files of the set with this stamp exist already.
    using SetExists = std::function<bool(const QString& stamp)>;

    // Reserves the first free stamp among base, base-2, base-3, ... in the
    // directory, which must exist. Returns nothing when no lock file can be
    // created, and failure then holds the system's reason.
    static std::optional<FileSetStamp> reserve(const QString& directory, const QString& prefix, const QString& base,
                                               const SetExists& setExists, QString& failure);

    FileSetStamp(FileSetStamp&& other) noexcept;
    FileSetStamp& operator=(FileSetStamp&& other) noexcept;
    ~FileSetStamp();

    const QString& stamp() const { return stamp_; }
    // Lets other sessions take the stamp once its files are gone; the stamp stays readable.
    void release();

private:
    FileSetStamp(QString stamp, QString lockPath) : stamp_(std::move(stamp)), lockPath_(std::move(lockPath)) {}

    QString stamp_;
    QString lockPath_;  // empty once released
};
