#include "core/FileSetStamp.h"

#include <QFile>
#include <utility>

namespace {

// Another session removing its lock between our attempt and our look may
// make an attempt fail without a lock to show for it; try that stamp again.
constexpr int kAttemptsPerStamp = 3;

}  // namespace

std::optional<FileSetStamp> FileSetStamp::reserve(const QString& directory, const QString& prefix,
                                                  const QString& base, const SetExists& setExists, QString& failure)
{
    for (int suffix = 1, attempts = 0;;) {
        const QString stamp = suffix == 1 ? base : base + QLatin1Char('-') + QString::number(suffix);
        const QString lockPath = directory + QStringLiteral("/.") + prefix + QLatin1Char('-') + stamp
                                 + QStringLiteral(".lock");
        QFile lock(lockPath);
        if (lock.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            lock.close();
            if (!setExists(stamp))
                return FileSetStamp(stamp, lockPath);
            lock.remove();  // the stamp of an earlier session's set
        } else if (!lock.exists()) {
            if (++attempts < kAttemptsPerStamp)
                continue;
            failure = QStringLiteral("Cannot create '%1': %2").arg(lockPath, lock.errorString());
            return std::nullopt;
        }
        ++suffix;
        attempts = 0;
    }
}

FileSetStamp::FileSetStamp(FileSetStamp&& other) noexcept
    : stamp_(std::move(other.stamp_)), lockPath_(std::exchange(other.lockPath_, QString()))
{
}

FileSetStamp& FileSetStamp::operator=(FileSetStamp&& other) noexcept
{
    if (this != &other) {
        release();
        stamp_ = std::move(other.stamp_);
        lockPath_ = std::exchange(other.lockPath_, QString());
    }
    return *this;
}

FileSetStamp::~FileSetStamp() { release(); }

void FileSetStamp::release()
{
    if (!lockPath_.isEmpty())
        QFile::remove(std::exchange(lockPath_, QString()));
}
