// tolm-cli status: the unit's part numbers, built-in test results and
// whether its DSP software and configuration table fit each other.

#include "cli/CliCommand.h"
#include "cli/CliJson.h"
#include "cli/CliUnit.h"
#include "cli/Commands.h"

namespace {

struct UnitStatus {
    QList<PartNumberRow> partNumbers;
    BiteResults bite{};
    bool compatible = false;
};

// The BITE query, once the unit is identified.
BiteResults readBiteResults(CliUnit& unit)
{
    std::optional<BiteResults> results;
    const QMetaObject::Connection watch = QObject::connect(
        &unit.link(), &LinkClient::biteResultsReceived, [&](const BiteResults& received) { results = received; });
    unit.link().requestBiteResults();
    // The link forgets the query once an answer was taken, decoded or not.
    cli::waitUntil([&] { return results || unit.link().context().pendingCommand == PendingQuery::None; },
                   LinkClient::timing().partNumberAnswerMs);
    QObject::disconnect(watch);
    if (!results)
        throw cli::Exit{cli::StepFailed, QStringLiteral("The unit at %1 gave no BITE results.").arg(unit.endpoint())};
    return *results;
}

void printText(const UnitStatus& status)
{
    cli::printLine(QStringLiteral("Part Numbers (CRC)"));
    for (const PartNumberRow& row : status.partNumbers) {
        const QString line = QStringLiteral("%1 %2 %3").arg(QLatin1String(row.label), -22).arg(row.value, -16).arg(row.crcText());
        cli::printLine(QStringLiteral("  ") + line.trimmed());
    }
    cli::printLine(QStringLiteral("BITE Results"));
    for (std::size_t i = 0; i < status.bite.size(); ++i)
        cli::printLine(QStringLiteral("  %1 %2").arg(QLatin1String(kBiteResultLabels[i]), -22).arg(status.bite[i]));
    cli::printLine(QStringLiteral("Compatible: %1").arg(status.compatible ? QStringLiteral("yes") : QStringLiteral("no")));
}

void printJson(const UnitStatus& status)
{
    QJsonObject partNumbers;
    for (const PartNumberRow& row : status.partNumbers) {
        partNumbers.insert(cli::jsonKey(QLatin1String(row.key)), row.value);
        if (row.crc)
            partNumbers.insert(cli::jsonKey(QLatin1String(row.crcKey)), qint64(*row.crc));
    }
    QJsonObject bite;
    for (std::size_t i = 0; i < status.bite.size(); ++i)
        bite.insert(cli::jsonKey(QLatin1String(kBiteResultKeys[i])), qint64(status.bite[i]));
    cli::printJson({{QStringLiteral("partNumbers"), partNumbers},
                    {QStringLiteral("bite"), bite},
                    {QStringLiteral("compatible"), status.compatible}});
}

}  // namespace

int runStatus(const QStringList& arguments)
{
    cli::CommandLine line(QStringLiteral("status"),
                          QStringLiteral("Connects to the unit and prints its part numbers (as the Part Numbers "
                                         "dialog shows them), its BITE results and whether its DSP software and "
                                         "configuration table are compatible."),
                          cli::CommandLine::ReachesUnit,
                          {QStringLiteral("tolm-cli status"),
                           QStringLiteral("tolm-cli status --address 127.0.0.1 --port 4242 --json")});
    line.add({QStringLiteral("json"), QStringLiteral("Print one JSON object.")});
    line.parse(arguments);
    cli::require(line.positional().isEmpty(), QStringLiteral("status takes no arguments."));

    cli::openDataTree();
    CliUnit unit;
    unit.identify();
    UnitStatus status;
    const PartNumberRecord& record = unit.partNumbers();
    status.partNumbers = partNumberRows(record);
    status.compatible = partNumbersCompatible(fieldText(record.dspProgPartNumber),
                                              fieldText(record.dspConfigTablePartNumber));
    status.bite = readBiteResults(unit);
    line.isSet(QStringLiteral("json")) ? printJson(status) : printText(status);
    return cli::Success;
}
