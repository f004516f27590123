// Archiving a directory of the data tree and emptying the temporary directory.

#include "GuiTestEnvironment.h"
#include "core/DataDirectories.h"
#include "core/Settings.h"
#include "export/Archive.h"
#include "export/ui/ArchiveCommand.h"
#include "export/TempCleanup.h"

#include <QScopeGuard>
#include <QtTest>
#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void touch(const QString& path, const QByteArray& content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
}

// Entry names and the sizes of the files in a .tar.gz.
QMap<QString, qint64> entriesOf(const QString& path)
{
    QMap<QString, qint64> entries;
    archive* reader = archive_read_new();
    archive_read_support_filter_gzip(reader);
    archive_read_support_format_tar(reader);
    if (archive_read_open_filename(reader, QFile::encodeName(path).constData(), 1 << 16) == ARCHIVE_OK) {
        archive_entry* entry;
        while (archive_read_next_header(reader, &entry) == ARCHIVE_OK)
            entries[QString::fromUtf8(archive_entry_pathname(entry))] =
                archive_entry_filetype(entry) == AE_IFDIR ? -1 : archive_entry_size(entry);
    }
    archive_read_free(reader);
    return entries;
}

// Every entry of a .tar.gz as "name type" with the bytes of its name: "file",
// "dir", or "link -> target".
QByteArrayList describedEntriesOf(const QString& path)
{
    QByteArrayList entries;
    archive* reader = archive_read_new();
    archive_read_support_filter_gzip(reader);
    archive_read_support_format_tar(reader);
    if (archive_read_open_filename(reader, QFile::encodeName(path).constData(), 1 << 16) == ARCHIVE_OK) {
        archive_entry* entry;
        // A warning: a name not in the locale's encoding, given as its bytes.
        for (int read; (read = archive_read_next_header(reader, &entry)) == ARCHIVE_OK || read == ARCHIVE_WARN;) {
            const QByteArray name = archive_entry_pathname(entry);
            switch (archive_entry_filetype(entry)) {
            case AE_IFDIR: entries << name + " dir"; break;
            case AE_IFLNK: entries << name + " link -> " + archive_entry_symlink(entry); break;
            default: entries << name + " file"; break;
            }
        }
    }
    archive_read_free(reader);
    return entries;
}

const QDateTime kNoon(QDate(2024, 5, 6), QTime(12, 0, 1));

}  // namespace

class ArchiveTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;

    QString archiveDir() const { return env.dataDir() + "/archive"; }

private slots:
    void init()
    {
        env.resetSettings();
        env.clearPrompts();
        QDir(archiveDir()).removeRecursively();
        QDir().mkpath(archiveDir());
    }

    void archiveHoldsTheDirectoryUnderItsOwnName()
    {
        const QString root = dataRootPath();
        touch(root + "/F-GABC_data/engine_1/a.raw", QByteArray(100000, 'r'));
        touch(root + "/F-GABC_data/engine_1/.hidden", "h");
        const QString before = QDir::currentPath();
        ArchiveJob job(root, archiveDir(), [] { return kNoon; });
        const ArchiveOutcome outcome = job.run();
        QCOMPARE(outcome.failure, QString());
        QCOMPARE(outcome.archive, archiveDir() + "/Mirvak-20240506-120001.tar.gz");
        QCOMPARE(QDir::currentPath(), before);
        const QMap<QString, qint64> entries = entriesOf(outcome.archive);
        QCOMPARE(entries.value("Mirvak/F-GABC_data/engine_1/a.raw"), 100000);
        QCOMPARE(entries.value("Mirvak/F-GABC_data/engine_1/.hidden"), 1);
        QVERIFY(entries.contains("Mirvak/"));  // the directory itself
        for (const QString& name : entries.keys())
            QVERIFY2(name == "Mirvak" || name.startsWith("Mirvak/"), qPrintable(name));
        QVERIFY(!QFile::exists(job.tarPath()));
        QVERIFY(!QFile::exists(job.gzipPath()));

        // A second run in the same second keeps the first archive.
        const QByteArray first = [&] { QFile f(outcome.archive); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        touch(root + "/later.txt");
        QCOMPARE(ArchiveJob(root, archiveDir(), [] { return kNoon; }).run().failure,
                 QStringLiteral("Failed to rename archive file"));
        QFile kept(outcome.archive);
        kept.open(QIODevice::ReadOnly);
        QCOMPARE(kept.readAll(), first);
        QVERIFY(!QFile::exists(job.gzipPath()));
    }

    void failuresAndCancel()
    {
        const QString root = dataRootPath();
        touch(root + "/A_data/engine_1/a.raw", QByteArray(300000, 'a'));
        // An archive directory that cannot take the file.
        touch(env.path() + "/blocked");
        QCOMPARE(ArchiveJob(root, env.path() + "/blocked", [] { return kNoon; }).run().failure,
                 QStringLiteral("Failed to rename archive file"));

        ArchiveJob job(root, archiveDir());
        const ArchiveOutcome cancelled = job.run([](qint64 packed, qint64) { return packed < 65536; });
        QVERIFY(cancelled.cancelled);
        QCOMPARE(cancelled.failure, QString());
        QVERIFY(!QFile::exists(job.tarPath()));
        QCOMPARE(QDir(archiveDir()).entryList(QDir::Files), QStringList());

        QCOMPARE(ArchiveJob(env.path() + "/missing", archiveDir()).run().failure,
                 QStringLiteral("Failed to create archive file"));
    }

    void archiveCommandUsesDataDir()
    {
        const QString base = env.path() + "/D/data";
        settings::setValue(settings::DataDir, base);
        QDir().mkpath(base + "/archive");
        touch(dataRootPath() + "/B_data/engine_2/b.raw");
        env.prompts().fileAnswers << dataRootPath() + "/B_data";
        archiveData(nullptr);
        const QStringList archives = QDir(base + "/archive").entryList({"B_data-*.tar.gz"}, QDir::Files);
        QCOMPARE(archives.size(), 1);
        QCOMPARE(env.prompts().calls.last().title, QStringLiteral("Backup finished"));
        QCOMPARE(env.prompts().calls.last().text,
                 QStringLiteral("The Backup was finished successfully.\n\nThe file %1/archive/%2 has been created.")
                     .arg(base, archives[0]));
        QVERIFY(entriesOf(base + "/archive/" + archives[0]).contains("B_data/engine_2/b.raw"));

        env.clearPrompts();
        archiveData(nullptr);  // nothing chosen: nothing happens
        QCOMPARE(env.prompts().texts(), QStringList{"<directory>"});
    }

    // Names that are not UTF-8 keep their bytes, special files are left out
    // without being opened and named in the final box, links keep their targets.
    void archiveKeepsWhatTheTreeHolds_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArrayList>("archived");
        QTest::addColumn<QString>("box");
        QTest::newRow("Latin-1 names")
            << QByteArray("r\xe9p/caf\xe9.raw") << QByteArray("file")
            << QByteArrayList{"T/ dir", "T/a.raw file", "T/r\xe9p/ dir", "T/r\xe9p/caf\xe9.raw file"}
            << "Backup finished|The Backup was finished successfully.\n\nThe file <archive> has been created.";
        QTest::newRow("FIFO") << QByteArray("pipe") << QByteArray("fifo")
                              << QByteArrayList{"T/ dir", "T/a.raw file"}
                              << "Backup incomplete|The file <archive> has been created without these "
                                 "entries:\n<tree>/pipe: a named pipe is not archived";
        QTest::newRow("relative link")
            << QByteArray("sub/link") << QByteArray("link")
            << QByteArrayList{"T/ dir", "T/a.raw file", "T/sub/ dir", "T/sub/link link -> ../a.raw"}
            << "Backup finished|The Backup was finished successfully.\n\nThe file <archive> has been created.";
    }

    void archiveKeepsWhatTheTreeHolds()
    {
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, kind);
        QFETCH(QByteArrayList, archived);
        QFETCH(QString, box);
        // A tree of its own: a name that is not UTF-8 cannot be removed through QString.
        const QString own = env.path() + '/' + QTest::currentDataTag();
        const QString tree = own + "/T";
        const auto removeTree = qScopeGuard([&] { std::filesystem::remove_all(QFile::encodeName(own).toStdString()); });
        touch(tree + "/a.raw");
        const QByteArray path = QFile::encodeName(tree) + '/' + entry;
        if (entry.contains('/'))
            QCOMPARE(::mkdir(path.left(path.lastIndexOf('/')).constData(), 0755), 0);
        if (kind == "fifo")
            QCOMPARE(::mkfifo(path.constData(), 0644), 0);
        else if (kind == "link")
            QCOMPARE(::symlink("../a.raw", path.constData()), 0);
        else
            ::close(::creat(path.constData(), 0644));

        env.prompts().fileAnswers << tree;
        archiveData(nullptr);
        const QStringList archives = QDir(archiveDir()).entryList({"T-*.tar.gz"}, QDir::Files);
        QCOMPARE(archives.size(), 1);
        const QString archive = archiveDir() + '/' + archives[0];
        QCOMPARE(describedEntriesOf(archive), archived);
        QString shown = env.prompts().calls.last().title + '|' + env.prompts().calls.last().text;
        QCOMPARE(shown.replace(archive, "<archive>").replace(tree, "<tree>"), box);
    }

    void emptyingTheTempDirectory()
    {
        const QString tmp = tmpDirectoryPath();
        QDir(tmp).removeRecursively();
        QDir().mkpath(tmp);
        emptyTempDirectory(nullptr);
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Empty Temp Directory|Temp directory is empty!"));

        env.clearPrompts();
        touch(tmp + "/keep.dat");
        emptyTempDirectory(nullptr);
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Empty Temp Directory|Temp directory is empty!"));

        for (const char* name : {"a.tmp", "b.tmp", "locked.tmp"})
            touch(tmp + '/' + name);
        env.clearPrompts();
        env.prompts().buttonAnswers << Prompts::No;
        emptyTempDirectory(nullptr);
        QCOMPARE(QDir(tmp).entryList({"*.tmp"}, QDir::Files).size(), 3);

        env.clearPrompts();
        env.prompts().buttonAnswers << Prompts::Yes;
        emptyTempDirectory(nullptr, [](const QString& path) {
            return !path.endsWith("locked.tmp") && QFile::remove(path);
        });
        QCOMPARE(env.prompts().texts(), (QStringList{"Do you really want to delete all temporary files?",
                                                     "Failed to remove locked.tmp", "Done! Deleted 2 files."}));
        QCOMPARE(env.prompts().calls[1].title, QStringLiteral("Error"));
        QCOMPARE(QDir(tmp).entryList(QDir::Files), (QStringList{"keep.dat", "locked.tmp"}));
    }
};

QTEST_MAIN(ArchiveTest)
#include "test_archive.moc"
