// tolm-cli index: brings the flight index up to date with the raw files of
// the data tree and tells what it added, changed and dropped.

#include "cli/CliCommand.h"
#include "cli/CliIndex.h"
#include "cli/CliJson.h"
#include "cli/Commands.h"
#include "core/DataDirectories.h"
#include "trend/FlightIndex.h"

#include <QJsonArray>

namespace {

void printTable(const IndexChanges& changes, int flightCount)
{
    const std::pair<const char*, const QStringList*> lists[] = {
        {"added", &changes.added}, {"changed", &changes.changed}, {"dropped", &changes.dropped}};
    for (const auto& [word, paths] : lists)
        for (const QString& path : *paths)
            cli::printLine(QString::fromLatin1(word).leftJustified(9) + path);
    cli::printLine(QStringLiteral("%1 added, %2 changed, %3 dropped; %4 flights indexed.")
                       .arg(QString::number(changes.added.size()), QString::number(changes.changed.size()),
                            QString::number(changes.dropped.size()), QString::number(flightCount)));
}

void printJson(const IndexChanges& changes, int flightCount)
{
    QJsonArray refused;
    for (const auto& [path, why] : changes.refused)
        refused.append(QJsonObject{{QStringLiteral("rawFile"), path}, {QStringLiteral("reason"), why}});
    cli::printJson(QJsonObject{{QStringLiteral("added"), QJsonArray::fromStringList(changes.added)},
                    {QStringLiteral("changed"), QJsonArray::fromStringList(changes.changed)},
                    {QStringLiteral("dropped"), QJsonArray::fromStringList(changes.dropped)},
                    {QStringLiteral("refused"), refused},
                    {QStringLiteral("flights"), flightCount}});
}

}  // namespace

int runIndex(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("index"),
                          QStringLiteral("Brings the flight index in the data root's database up to date with the "
                                         "raw files of the data tree and lists the raw files it added, changed and "
                                         "dropped. Files it cannot read are named on standard error once, until "
                                         "they change; the exit status is then 1."),
                          cli::CommandLine::ReadsData,
                          {QStringLiteral("tolm-cli index"), QStringLiteral("tolm-cli index --rebuild --json")});
    line.add({QStringLiteral("rebuild"), QStringLiteral("Forget the index and read every raw file again.")});
    line.add({QStringLiteral("json"), QStringLiteral("Print one JSON object.")});
    line.parse(arguments);
    cli::require(line.positional().isEmpty(), QStringLiteral("index takes no arguments."));

    const QString dataRoot = dataRootLocation();
    FlightIndex index(dataRoot + QStringLiteral("/tolm.db"));
    const IndexChanges changes = index.update(dataRoot, line.isSet(QStringLiteral("rebuild")));
    if (!changes.failure.isEmpty())
        throw cli::Exit{cli::StepFailed, changes.failure};
    cli::tellRefusedFiles(changes);
    line.isSet(QStringLiteral("json")) ? printJson(changes, index.slotCount()) : printTable(changes, index.slotCount());
    return changes.refused.isEmpty() ? cli::Success : cli::StepFailed;
}
