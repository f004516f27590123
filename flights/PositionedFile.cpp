#include "flights/PositionedFile.h"

#include <algorithm>

#ifdef Q_OS_UNIX
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

PositionedFile::PositionedFile(const QString& path)
    : descriptor_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC))
{
    struct stat status;
    if (descriptor_ >= 0 && ::fstat(descriptor_, &status) == 0 && !S_ISDIR(status.st_mode))
        size_ = status.st_size;
}

PositionedFile::~PositionedFile()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
}

qint64 PositionedFile::read(qint64 offset, void* data, qint64 count)
{
    qint64 done = 0;
    while (done < count) {
        const ssize_t got = ::pread(descriptor_, static_cast<char*>(data) + done, count - done, offset + done);
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR)
            return -1;
        done += std::max<ssize_t>(got, 0);
    }
    return done;
}
#else
PositionedFile::PositionedFile(const QString& path) : file_(path)
{
    // Unbuffered: a read needs a few bytes, not the 16 kB a buffered read would fetch.
    if (file_.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        size_ = file_.size();
}

PositionedFile::~PositionedFile() = default;

qint64 PositionedFile::read(qint64 offset, void* data, qint64 count)
{
    return file_.seek(offset) ? file_.read(static_cast<char*>(data), count) : -1;
}
#endif
