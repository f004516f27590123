// Pushing 100 downloads (about 590 MB of raw files) to a local PostgreSQL,
// next to psql's \copy (text format) of the same bytes into a bytea column,
// same run. Started without a server, it runs itself under pg_virtualenv,
// which gives it a throw-away one. Each side runs three times into a fresh
// database; the medians and their ratio are printed. After each push a
// second one finds everything held: with the raw files' hashes kept by the
// first, and with them forgotten (every raw file read again), same run.

#include "BenchSupport.h"
#include "RawFiles.h"
#include "repository/PgConnection.h"
#include "repository/RepositoryPush.h"
#include "repository/RepositorySchema.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kDownloads = 100;
constexpr int kRuns = 3;

bool ownerRun(const QString& database, const char* statement)
{
    repository::PgConnection connection;
    if (connection.open(QStringLiteral("dbname=") + database) && connection.run(statement))
        return true;
    std::fprintf(stderr, "%s\n", qPrintable(connection.failure()));
    return false;
}

bool freshDatabase()
{
    return ownerRun(QStringLiteral("postgres"), "DROP DATABASE IF EXISTS bench")
           && ownerRun(QStringLiteral("postgres"), "CREATE DATABASE bench");
}

// 100 downloads of 21 flights, each with its own bytes (so its own SHA-256).
QStringList writeDownloads(const QString& dataRoot)
{
    QList<RawSlot> flightSlots;
    for (int flight = 1; flight <= 21; ++flight)
        flightSlots << RawSlot{flight, 0};
    const QString first = writeRaw(dataRoot, QStringLiteral("F-BNCH"), 1, QStringLiteral("ESN9000-fd-20260101-0000.raw"), flightSlots);
    QFile file(first);
    file.open(QIODevice::ReadOnly);
    QByteArray bytes = file.readAll();
    QStringList paths{first};
    for (int i = 1; i < kDownloads; ++i) {
        bytes[bytes.size() - 1] = char(i);
        const QString path = QFileInfo(first).dir().filePath(QStringLiteral("ESN9000-fd-20260101-0000-%1.raw").arg(i + 1));
        QFile copy(path);
        copy.open(QIODevice::WriteOnly);
        copy.write(bytes);
        paths << path;
    }
    return paths;
}

// The same bytes as COPY's text format takes them: one "\\x<hex>" line per file.
QString writeCopyFile(const QStringList& paths, const QString& directory)
{
    const QString path = directory + QStringLiteral("/copy.txt");
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    for (const QString& raw : paths) {
        QFile in(raw);
        in.open(QIODevice::ReadOnly);
        out.write("\\\\x");
        out.write(in.readAll().toHex());
        out.write("\n");
    }
    return path;
}

// Forgets the raw files' hashes the station keeps, as before they were kept.
void forgetHashes(const QString& dataRoot)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("forget"));
        db.setDatabaseName(dataRoot + QStringLiteral("/tolm.db"));
        if (db.open())
            QSqlQuery(db).exec(QStringLiteral("DROP TABLE IF EXISTS raw_file_sha256"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("forget"));
}

// A push into the bench database; -1 when it did not send `expected` downloads.
double pushSeconds(const QString& dataRoot, int expected)
{
    repository::RepositoryPush push(QStringLiteral("dbname=bench"), dataRoot, {QStringLiteral("00000000-0000-4000-8000-000000000001"), QStringLiteral("bench")});
    QElapsedTimer timer;
    timer.start();
    push.start();
    while (!push.isFinished())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (!push.outcome().failure.isEmpty() || push.outcome().sent != expected) {
        std::fprintf(stderr, "push: %s (%d sent)\n", qPrintable(push.outcome().failure), push.outcome().sent);
        return -1;
    }
    return seconds;
}

double firstPushSeconds(const QString& dataRoot)
{
    repository::PgConnection owner;
    if (!freshDatabase() || !owner.open(QStringLiteral("dbname=bench")) || !repository::migrate(owner).failure.isEmpty())
        return -1;
    return pushSeconds(dataRoot, kDownloads);
}

double copySeconds(const QString& copyFile)
{
    if (!freshDatabase() || !ownerRun(QStringLiteral("bench"), "CREATE TABLE peer (content bytea NOT NULL)")
        || !ownerRun(QStringLiteral("bench"), "ALTER TABLE peer ALTER COLUMN content SET STORAGE EXTERNAL"))
        return -1;
    QElapsedTimer timer;
    timer.start();
    const int status = QProcess::execute(QStringLiteral("psql"), {QStringLiteral("-q"), QStringLiteral("-d"), QStringLiteral("bench"),
                                                                  QStringLiteral("-c"), QStringLiteral("\\copy peer FROM '") + copyFile + QLatin1Char('\'')});
    return status == 0 ? timer.nsecsElapsed() / 1e9 : -1;
}

}  // namespace

int main(int argc, char* argv[])
{
    runUnderThrowawayServer(argc, argv);
    QCoreApplication app(argc, argv);
    QuietPrompts prompts;
    BenchHome home;
    if (!home.prepare(&prompts))
        return 1;
    const QStringList paths = writeDownloads(home.dataRoot());
    const QString copyFile = writeCopyFile(paths, home.path());
    qint64 bytes = 0;
    for (const QString& path : paths)
        bytes += QFileInfo(path).size();

    // Hashes are kept only of files written a while before.
    for (const QString& path : paths) {
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime);
    }
    QList<double> push, copy, again, againUnkept;
    for (int run = 0; run < kRuns; ++run) {
        push << firstPushSeconds(home.dataRoot());
        again << pushSeconds(home.dataRoot(), 0);
        forgetHashes(home.dataRoot());
        againUnkept << pushSeconds(home.dataRoot(), 0);
        copy << copySeconds(copyFile);
        std::printf("run %d: push %.2f s, \\copy %.2f s, again %.3f s, again without kept hashes %.3f s\n", run + 1,
                    push.last(), copy.last(), again.last(), againUnkept.last());
        if (push.last() < 0 || copy.last() < 0 || again.last() < 0 || againUnkept.last() < 0)
            return 1;
    }
    std::printf("second sync of %d unchanged downloads: %.3f s with kept hashes, %.3f s reading every raw file\n",
                kDownloads, medianOf(again), medianOf(againUnkept));
    std::printf("%d downloads, %.0f MB: push %.2f s, psql \\copy (text) %.2f s, ratio %.2f (goal <= 4)\n", kDownloads,
                bytes / 1e6, medianOf(push), medianOf(copy), medianOf(push) / medianOf(copy));
    return 0;
}
