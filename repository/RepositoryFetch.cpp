#include "repository/RepositoryFetch.h"

#include "core/CheckedSaveFile.h"
#include "core/MessageText.h"
#include "core/Registration.h"
#include "repository/PgConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

namespace repository {
namespace {

const char kDownloads[] =
    "SELECT d.id, d.registration, d.engine_position FROM download d JOIN engine e ON e.id = d.engine_id"
    " WHERE e.engine_key = $1 ORDER BY d.created, d.raw_name";
const char kFiles[] = "SELECT name, content FROM download_file WHERE download_id = $1 ORDER BY name";

using Files = QList<std::pair<QString, QByteArray>>;

enum class Existing { Absent, Same, Different };

Existing existing(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.exists())
        return Existing::Absent;
    if (file.size() != bytes.size() || !file.open(QIODevice::ReadOnly))
        return Existing::Different;
    return file.readAll() == bytes ? Existing::Same : Existing::Different;
}

// The first suffix under which no file of the set differs from what is there.
int freeSuffix(const QDir& directory, const Files& files)
{
    for (int n = 1;; ++n) {
        bool clashes = false;
        for (const auto& [name, bytes] : files)
            clashes = clashes || existing(directory.filePath(withSuffix(name, n)), bytes) == Existing::Different;
        if (!clashes)
            return n;
    }
}

QString writeFile(const QString& path, const QByteArray& bytes)
{
    CheckedSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return messageText(path) + QStringLiteral(": ") + file.errorString();
    file.write(bytes);
    const QString failure = file.commitWhole();
    return failure.isEmpty() ? QString() : messageText(path) + QStringLiteral(" was not written: ") + failure;
}

QString nameProblem(const QString& registration, qint64 position, const Files& files)
{
    if (const QString problem = registrationProblem(registration); !problem.isEmpty())
        return QStringLiteral("registration \"") + messageText(registration) + QStringLiteral("\" ") + problem;
    if (position < 1 || position > 4)
        return QStringLiteral("engine position %1 out of 1 to 4").arg(position);
    for (const auto& file : files)
        if (const QString problem = fileNameProblem(file.first); !problem.isEmpty())
            return QStringLiteral("file name \"") + messageText(file.first) + QStringLiteral("\" ") + problem;
    return {};
}

QString copyDownload(PgConnection& connection, const PgResult& downloads, int row, const QString& dataRoot,
                     FetchOutcome& outcome)
{
    const auto rows = connection.exec(kFiles, {PgParam::number(downloads.number(row, 0))});
    if (!rows)
        return connection.failure();
    Files files;
    for (int i = 0; i < rows->rows(); ++i)
        files << std::pair(rows->text(i, 0), rows->bytes(i, 1));
    const QString registration = downloads.text(row, 1);
    const qint64 position = downloads.number(row, 2);
    if (const QString problem = nameProblem(registration, position, files); !problem.isEmpty())
        return QStringLiteral("A download was not copied: ") + problem + QLatin1Char('.');
    const QString path = dataRoot + QLatin1Char('/') + registration + QStringLiteral("_data/engine_")
                         + QString::number(position);
    if (!QDir().mkpath(path))
        return QStringLiteral("Cannot create the directory \"") + messageText(path) + QStringLiteral("\".");
    const QDir directory(path);
    const int suffix = freeSuffix(directory, files);
    for (const auto& [name, bytes] : files) {
        const QString target = directory.filePath(withSuffix(name, suffix));
        if (existing(target, bytes) == Existing::Same) {
            ++outcome.skipped;
            continue;
        }
        if (const QString failure = writeFile(target, bytes); !failure.isEmpty())
            return failure;
        outcome.written << target;
    }
    return {};
}

}  // namespace

QString withSuffix(const QString& name, int n)
{
    if (n == 1)
        return name;
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const qsizetype cut = dot < 0 ? name.size() : dot;
    return name.left(cut) + QLatin1Char('-') + QString::number(n) + name.mid(cut);
}

FetchOutcome fetchEngine(PgConnection& connection, const QString& engineKey, const QString& dataRoot)
{
    FetchOutcome outcome;
    const auto downloads = connection.exec(kDownloads, {PgParam::text(engineKey)});
    if (!downloads) {
        outcome.failure = connection.failure();
        return outcome;
    }
    if (downloads->rows() == 0)
        outcome.failure = QStringLiteral("No engine \"") + messageText(engineKey)
                          + QStringLiteral("\" in the fleet repository.");
    for (int row = 0; row < downloads->rows() && outcome.failure.isEmpty(); ++row)
        outcome.failure = copyDownload(connection, *downloads, row, dataRoot, outcome);
    return outcome;
}

}  // namespace repository
