#include "repository/RepositoryFetch.h"

#include "core/CheckedSaveFile.h"
#include "core/FileSetStamp.h"
#include "core/MessageText.h"
#include "core/Registration.h"
#include "repository/PgConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>
#include <utility>

namespace repository {
namespace {

const char kDownloads[] =
    "SELECT d.id, d.registration, d.engine_position, d.raw_name FROM download d JOIN engine e ON e.id = d.engine_id"
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

// A download's set is locked as the download session locks it: prefix and
// stamp of "<prefix>-fd-<stamp>.raw". A raw file named otherwise is a set of its own.
struct SetName {
    QString prefix;
    QString base;
};

SetName setNameOf(const QString& rawName)
{
    const QString stem = QFileInfo(rawName).completeBaseName();
    const qsizetype cut = rawName.lastIndexOf(QLatin1String("-fd-"));
    if (cut < 0 || cut + 4 > stem.size())
        return {stem, QStringLiteral("set")};
    return {rawName.left(cut), stem.mid(cut + 4)};
}

// The suffix (withSuffix()) of a stamp FileSetStamp made from base: base, base-2, base-3, ...
int suffixOf(const QString& stamp, const QString& base)
{
    return stamp == base ? 1 : stamp.mid(base.size() + 1).toInt();
}

// Whether a file of the set under a stamp differs from what is there: the
// stamp is passed over, as a stamp a download is writing is.
FileSetStamp::SetExists differsUnder(const QDir& directory, const SetName& set, const Files& files)
{
    return [=](const QString& stamp) {
        const int n = suffixOf(stamp, set.base);
        return std::any_of(files.begin(), files.end(), [&](const auto& file) {
            return existing(directory.filePath(withSuffix(file.first, n)), file.second) == Existing::Different;
        });
    };
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
    const auto rows = connection.execBinary(kFiles, {PgParam::number(downloads.number(row, 0))});
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
    // Held while the files are written, so that a download into the same directory takes another stamp.
    const SetName set = setNameOf(downloads.text(row, 3));
    QString why;
    const std::optional<FileSetStamp> stamp = FileSetStamp::reserve(path, set.prefix, set.base,
                                                                    differsUnder(directory, set, files), why);
    if (!stamp)
        return why;
    const int suffix = suffixOf(stamp->stamp(), set.base);
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
