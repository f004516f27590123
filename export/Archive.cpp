#include "export/Archive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <archive.h>
#include <archive_entry.h>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Writer = std::unique_ptr<archive, decltype(&archive_write_free)>;
using Entry = std::unique_ptr<archive_entry, decltype(&archive_entry_free)>;

constexpr qint64 kChunk = 1 << 16;

// One entry of the tree. Names stay the bytes the file system gave: a name
// that is not valid in the locale's encoding must not be lost or changed.
struct Node {
    QByteArray path;  // on disk
    QByteArray name;  // in the archive: starts with the archived directory's own name
    struct stat status;
};

QString reasonOf(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

QString specialFileKind(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QStringLiteral("named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("socket");
    return QStringLiteral("device");
}

class TreeWalk {
public:
    QList<Node> nodes;
    QList<SkippedEntry> skipped;

    // Pre-order, each directory's entries sorted by their bytes. Nothing is
    // opened but directories: a FIFO or device is only looked at with lstat.
    void visit(const QByteArray& path, const QByteArray& name)
    {
        Node node{path, name, {}};
        if (::lstat(path.constData(), &node.status) != 0)
            return skip(path, reasonOf(errno));
        add(node);
    }

    void add(const Node& node)
    {
        const mode_t mode = node.status.st_mode;
        if (!S_ISDIR(mode) && !S_ISREG(mode) && !S_ISLNK(mode))
            return skip(node.path, QStringLiteral("a %1 is not archived").arg(specialFileKind(mode)));
        nodes << node;
        if (S_ISDIR(mode))
            visitChildren(node.path, node.name);
    }

private:
    void skip(const QByteArray& path, const QString& reason) { skipped << SkippedEntry{QFile::decodeName(path), reason}; }

    void visitChildren(const QByteArray& path, const QByteArray& name)
    {
        DIR* directory = ::opendir(path.constData());
        if (!directory)
            return skip(path, reasonOf(errno));
        QByteArrayList children;
        while (const dirent* child = ::readdir(directory)) {
            const QByteArray childName(child->d_name);
            if (childName != "." && childName != "..")
                children << childName;
        }
        ::closedir(directory);
        std::sort(children.begin(), children.end());
        for (const QByteArray& child : children)
            visit(path + '/' + child, name + '/' + child);
    }
};

class Packer {
public:
    Packer(archive* tar, const ArchiveJob::Progress& progress, qint64 total)
        : tar_(tar), progress_(progress), total_(total)
    {
    }

    bool cancelled = false;
    QList<SkippedEntry> skipped;

    bool write(const Node& node)
    {
        Entry entry(archive_entry_new(), &archive_entry_free);
        archive_entry_copy_pathname(entry.get(), node.name.constData());
        archive_entry_copy_stat(entry.get(), &node.status);
        if (S_ISREG(node.status.st_mode))
            return writeFile(node, entry.get());
        archive_entry_set_size(entry.get(), 0);
        if (S_ISLNK(node.status.st_mode)) {
            const QByteArray target = linkTarget(node);
            if (target.isNull())
                return true;
            archive_entry_copy_symlink(entry.get(), target.constData());
        }
        return writeHeader(entry.get());
    }

private:
    // A name that is not UTF-8 is a warning only: it is stored as its bytes.
    bool writeHeader(archive_entry* entry) { return archive_write_header(tar_, entry) >= ARCHIVE_WARN; }

    // The target as the link holds it: a relative link stays relative.
    QByteArray linkTarget(const Node& node)
    {
        // Some file systems give links the size 0.
        QByteArray target(node.status.st_size > 0 ? qsizetype(node.status.st_size) + 1 : PATH_MAX, '\0');
        const ssize_t length = ::readlink(node.path.constData(), target.data(), size_t(target.size()));
        if (length < 0 || length >= target.size()) {
            skipped << SkippedEntry{QFile::decodeName(node.path), length < 0 ? reasonOf(errno)
                                                                              : QStringLiteral("changed while archiving")};
            return {};
        }
        target.truncate(length);
        return target;
    }

    bool writeFile(const Node& node, archive_entry* entry)
    {
        // O_NONBLOCK: a file replaced by a FIFO since it was listed must not block the open.
        const int fd = ::open(node.path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            skipped << SkippedEntry{QFile::decodeName(node.path), reasonOf(errno)};
            return true;
        }
        struct stat status;
        bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
        if (ok) {
            archive_entry_copy_stat(entry, &status);
            ok = writeHeader(entry) && copyData(fd, status.st_size);
        } else {
            skipped << SkippedEntry{QFile::decodeName(node.path), QStringLiteral("changed while archiving")};
            ok = true;
        }
        ::close(fd);
        return ok;
    }

    // Exactly `size` bytes: the header already promised them.
    bool copyData(int fd, qint64 size)
    {
        QByteArray buffer(kChunk, Qt::Uninitialized);
        for (qint64 left = size; left > 0;) {
            const ssize_t got = ::read(fd, buffer.data(), size_t(std::min(left, kChunk)));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0 || archive_write_data(tar_, buffer.constData(), size_t(got)) != got)
                return false;
            left -= got;
            packed_ += got;
            if (progress_ && !progress_(packed_, total_)) {
                cancelled = true;
                return false;
            }
        }
        return true;
    }

    archive* tar_;
    const ArchiveJob::Progress& progress_;
    qint64 total_;
    qint64 packed_ = 0;
};

}  // namespace

ArchiveJob::ArchiveJob(const QString& directory, const QString& archiveDirectory, Clock now)
    : directory_(QDir(directory).absolutePath()), archiveDirectory_(archiveDirectory), now_(std::move(now))
{
}

QString ArchiveJob::tarPath() const
{
    return QDir::tempPath() + QLatin1Char('/') + QFileInfo(directory_).fileName() + QStringLiteral(".tar");
}

bool ArchiveJob::pack(const Progress& progress, ArchiveOutcome& outcome) const
{
    // The chosen directory itself is followed when it is a link.
    Node root{QFile::encodeName(directory_), QFile::encodeName(QFileInfo(directory_).fileName()), {}};
    if (::stat(root.path.constData(), &root.status) != 0 || !S_ISDIR(root.status.st_mode))
        return false;
    TreeWalk walk;
    walk.add(root);
    qint64 total = 0;
    for (const Node& node : walk.nodes)
        if (S_ISREG(node.status.st_mode))
            total += node.status.st_size;

    Writer tar(archive_write_new(), &archive_write_free);
    archive_write_set_format_pax_restricted(tar.get());
    if (archive_write_open_filename(tar.get(), QFile::encodeName(tarPath()).constData()) != ARCHIVE_OK)
        return false;
    Packer packer(tar.get(), progress, total);
    const bool packed = std::all_of(walk.nodes.begin(), walk.nodes.end(),
                                    [&](const Node& node) { return packer.write(node); });
    outcome.cancelled = packer.cancelled;
    outcome.skipped = walk.skipped + packer.skipped;
    std::sort(outcome.skipped.begin(), outcome.skipped.end(),
              [](const SkippedEntry& a, const SkippedEntry& b) { return a.path < b.path; });
    return packed && archive_write_close(tar.get()) == ARCHIVE_OK;
}

bool ArchiveJob::compress() const
{
    QFile input(tarPath());
    if (!input.open(QIODevice::ReadOnly))
        return false;
    Writer gzip(archive_write_new(), &archive_write_free);
    archive_write_add_filter_gzip(gzip.get());
    archive_write_set_format_raw(gzip.get());
    if (archive_write_open_filename(gzip.get(), QFile::encodeName(gzipPath()).constData()) != ARCHIVE_OK)
        return false;
    Entry entry(archive_entry_new(), &archive_entry_free);
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    if (archive_write_header(gzip.get(), entry.get()) != ARCHIVE_OK)
        return false;
    while (!input.atEnd()) {
        const QByteArray chunk = input.read(kChunk);
        if (chunk.isEmpty() || archive_write_data(gzip.get(), chunk.constData(), size_t(chunk.size())) != chunk.size())
            return false;
    }
    return archive_write_close(gzip.get()) == ARCHIVE_OK;
}

ArchiveOutcome ArchiveJob::run(const Progress& progress)
{
    const auto cleanUp = [this] {
        QFile::remove(tarPath());
        QFile::remove(gzipPath());
    };
    const auto failed = [&](const QString& failure) {
        cleanUp();
        ArchiveOutcome outcome;
        outcome.failure = failure;
        return outcome;
    };
    cleanUp();
    ArchiveOutcome outcome;
    if (!pack(progress, outcome)) {
        ArchiveOutcome result = failed(outcome.cancelled ? QString() : QStringLiteral("Failed to create archive file"));
        result.cancelled = outcome.cancelled;
        return result;
    }
    if (!compress())
        return failed(QStringLiteral("Failed to compress archive file"));
    QFile::remove(tarPath());
    outcome.archive = QStringLiteral("%1/%2-%3.tar.gz")
                          .arg(archiveDirectory_, QFileInfo(directory_).fileName(),
                               now_().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    // QFile::rename never replaces an existing file.
    if (!QFile::rename(gzipPath(), outcome.archive))
        return failed(QStringLiteral("Failed to rename archive file"));
    return outcome;
}
