#include "export/Archive.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <archive.h>
#include <archive_entry.h>
#include <memory>

namespace {

using Writer = std::unique_ptr<archive, decltype(&archive_write_free)>;
using Entry = std::unique_ptr<archive_entry, decltype(&archive_entry_free)>;

constexpr qint64 kChunk = 1 << 16;

// Every entry below the directory, hidden ones included, in a stable order.
QList<QFileInfo> treeOf(const QString& directory)
{
    QList<QFileInfo> entries{QFileInfo(directory)};
    QDirIterator it(directory, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << QFileInfo(it.next());
    std::sort(entries.begin() + 1, entries.end(),
              [](const QFileInfo& a, const QFileInfo& b) { return a.absoluteFilePath() < b.absoluteFilePath(); });
    return entries;
}

bool writeEntry(archive* tar, const QFileInfo& info, const QString& name, qint64& packed,
                const ArchiveJob::Progress& progress, qint64 total, bool& cancelled)
{
    Entry entry(archive_entry_new(), &archive_entry_free);
    const QByteArray path = name.toUtf8();
    archive_entry_set_pathname(entry.get(), path.constData());
    archive_entry_set_mtime(entry.get(), info.lastModified().toSecsSinceEpoch(), 0);
    archive_entry_set_perm(entry.get(), info.isDir() ? 0755 : 0644);
    if (info.isSymLink()) {
        archive_entry_set_filetype(entry.get(), AE_IFLNK);
        archive_entry_set_symlink(entry.get(), info.symLinkTarget().toUtf8().constData());
        return archive_write_header(tar, entry.get()) == ARCHIVE_OK;
    }
    if (info.isDir()) {
        archive_entry_set_filetype(entry.get(), AE_IFDIR);
        return archive_write_header(tar, entry.get()) == ARCHIVE_OK;
    }
    QFile file(info.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    archive_entry_set_filetype(entry.get(), AE_IFREG);
    archive_entry_set_size(entry.get(), file.size());
    if (archive_write_header(tar, entry.get()) != ARCHIVE_OK)
        return false;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(kChunk);
        if (chunk.isEmpty() || archive_write_data(tar, chunk.constData(), size_t(chunk.size())) != chunk.size())
            return false;
        packed += chunk.size();
        if (progress && !progress(packed, total)) {
            cancelled = true;
            return false;
        }
    }
    return true;
}

}  // namespace

ArchiveJob::ArchiveJob(const QString& directory, const QString& archiveDirectory, Clock now)
    : directory_(QDir(directory).absolutePath()), archiveDirectory_(archiveDirectory), now_(std::move(now))
{
}

QString ArchiveJob::tarPath() const
{
    return QDir::tempPath() + QLatin1Char('/') + QFileInfo(directory_).fileName() + QStringLiteral(".tar");
}

bool ArchiveJob::pack(const Progress& progress, bool& cancelled) const
{
    const QList<QFileInfo> entries = treeOf(directory_);
    qint64 total = 0;
    for (const QFileInfo& info : entries)
        if (info.isFile() && !info.isSymLink())
            total += info.size();

    Writer tar(archive_write_new(), &archive_write_free);
    archive_write_set_format_pax_restricted(tar.get());
    if (archive_write_open_filename(tar.get(), QFile::encodeName(tarPath()).constData()) != ARCHIVE_OK)
        return false;
    // Entry names start with the directory's own name.
    const QDir parent = QFileInfo(directory_).dir();
    qint64 packed = 0;
    for (const QFileInfo& info : entries)
        if (!writeEntry(tar.get(), info, parent.relativeFilePath(info.absoluteFilePath()), packed, progress, total,
                        cancelled))
            return false;
    return archive_write_close(tar.get()) == ARCHIVE_OK;
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
    ArchiveOutcome outcome;
    const auto cleanUp = [this] {
        QFile::remove(tarPath());
        QFile::remove(gzipPath());
    };
    cleanUp();
    if (!pack(progress, outcome.cancelled)) {
        cleanUp();
        if (!outcome.cancelled)
            outcome.failure = QStringLiteral("Failed to create archive file");
        return outcome;
    }
    if (!compress()) {
        cleanUp();
        outcome.failure = QStringLiteral("Failed to compress archive file");
        return outcome;
    }
    QFile::remove(tarPath());
    outcome.archive = QStringLiteral("%1/%2-%3.tar.gz")
                          .arg(archiveDirectory_, QFileInfo(directory_).fileName(),
                               now_().toString(QStringLiteral("yyyyMMdd-hhmmss")));
    // QFile::rename never replaces an existing file.
    if (!QFile::rename(gzipPath(), outcome.archive)) {
        cleanUp();
        outcome.failure = QStringLiteral("Failed to rename archive file");
        outcome.archive.clear();
    }
    return outcome;
}
