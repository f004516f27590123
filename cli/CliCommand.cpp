#include "cli/CliCommand.h"

#include "cli/CliPrompts.h"
#include "cli/CliRepository.h"
#include "core/AircraftCatalogue.h"
#include "core/DataDirectories.h"
#include "core/Database.h"
#include "core/Prompts.h"
#include "core/Settings.h"
#include "flights/FlightQuery.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTimer>
#include <cstdio>

namespace cli {
namespace {

const QString kDataDir = QStringLiteral("data-dir");
const QString kAddress = QStringLiteral("address");
const QString kPort = QStringLiteral("port");

// The index of the choice the text names, in any case; -1 for none.
int indexIn(const QStringList& choices, const QString& text)
{
    return int(choices.indexOf(QRegularExpression(QRegularExpression::anchoredPattern(QRegularExpression::escape(text)),
                                                  QRegularExpression::CaseInsensitiveOption)));
}

}  // namespace

CommandLine::CommandLine(const QString& command, const QString& description, Reach reach,
                         const QStringList& examples)
    : command_(command), reach_(reach), examples_(examples)
{
    parser_.setApplicationDescription(description);
    parser_.addHelpOption();
    parser_.addOption({kDataDir, QStringLiteral("Data directory for this run (the data root is DIR/Mirvak); "
                                                    "the stored DataDir stays."),
                           QStringLiteral("DIR")});
    if (reach == ReachesUnit) {
        parser_.addOption({kAddress, QStringLiteral("Unit address for this run (default: the stored one)."),
                           QStringLiteral("HOST")});
        parser_.addOption({kPort, QStringLiteral("Unit TCP port for this run (default: the stored one)."),
                           QStringLiteral("N")});
    }
}

void CommandLine::parse(const QStringList& arguments)
{
    if (!parser_.parse(arguments))
        throw Exit{BadInput, QStringLiteral("%1\nSee: tolm-cli %2 --help").arg(parser_.errorText(), command_)};
    if (parser_.isSet(QStringLiteral("help")) || parser_.isSet(QStringLiteral("help-all"))) {
        printHelp();
        throw Exit{Success, {}};
    }
    applyRunOptions();
}

// The usage line names the program as it is typed, not the path it was started by.
void CommandLine::printHelp() const
{
    QString help = parser_.helpText();
    const QString usage = QStringLiteral("Usage: ");
    const QString started = usage + QCoreApplication::arguments().value(0);
    if (help.startsWith(started))
        help.replace(0, started.size(), usage + QStringLiteral("tolm-cli ") + command_);
    help += QStringLiteral("\nExamples:\n");
    for (const QString& example : examples_)
        help += QStringLiteral("  ") + example + QLatin1Char('\n');
    std::fputs(qPrintable(help), stdout);
}

void CommandLine::applyRunOptions() const
{
    if (parser_.isSet(kDataDir)) {
        require(!parser_.value(kDataDir).isEmpty(), QStringLiteral("--data-dir needs a directory."));
        settings::overrideDataDir(QFileInfo(parser_.value(kDataDir)).absoluteFilePath());
    }
    if (reach_ == ReachesUnit) {
        std::optional<QString> address;
        std::optional<int> port;
        if (parser_.isSet(kAddress))
            address = parser_.value(kAddress);
        if (parser_.isSet(kPort))
            port = number(kPort, 1, 65535);
        settings::overrideUnitEndpoint(address, port);
    }
    // Reading a tree that is not there would create it, and seed the settings on the way.
    const bool readsTree = reach_ == ReadsData || (reach_ == ReadsDataOrRepository && !repositoryGiven(*this));
    if (readsTree && !QFileInfo(dataRootLocation()).isDir())
        throw Exit{StepFailed, QStringLiteral("The data directory \"") + dataRootLocation()
                                   + QStringLiteral("\" does not exist.")};
}

int CommandLine::number(const QString& name, int min, int max) const
{
    bool ok = false;
    const int value = parser_.value(name).toInt(&ok);
    require(ok && value >= min && value <= max,
            QStringLiteral("--%1 takes a whole number from %2 to %3, not \"%4\".")
                .arg(name, QString::number(min), QString::number(max), parser_.value(name)));
    return value;
}

int CommandLine::choice(const QString& name, const QStringList& choices) const
{
    const int index = indexIn(choices, parser_.value(name));
    require(index >= 0, QStringLiteral("--%1 takes one of %2, not \"%3\".")
                            .arg(name, choices.join(QStringLiteral(", ")), parser_.value(name)));
    return index;
}

QList<int> CommandLine::choiceList(const QString& name, const QStringList& choices) const
{
    QList<int> indices;
    for (const QString& value : parser_.value(name).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int index = indexIn(choices, value);
        require(index >= 0,
                QStringLiteral("--%1 takes %2, not \"%3\".").arg(name, choices.join(QStringLiteral(", ")), value));
        indices << index;
    }
    return indices;
}

void require(bool condition, const QString& message)
{
    if (!condition)
        throw Exit{BadInput, message};
}

void endIfDeclined(const QString& notDone)
{
    const std::optional<QString> flag = cliPrompts().takeDeclined();
    if (!flag)
        return;
    throw Exit{BadInput, flag->isEmpty() ? notDone : notDone + QStringLiteral(" Give ") + *flag
                                                         + QStringLiteral(" to answer Yes.")};
}

std::shared_ptr<const FlightRecord> flightNamed(const QString& reference)
{
    const ResolvedFlight flight = resolveFlightReference(reference);
    if (!flight.record)
        throw Exit{flight.fileFailed ? StepFailed : BadInput, flight.failure};
    return flight.record;
}

void openDataTree()
{
    if (!checkDataDirectories())
        throw Exit{StepFailed, {}};
}

void openStation()
{
    openDataTree();
    if (const QString failure = connectSQLite(); !failure.isEmpty())
        throw Exit{StepFailed, failure};
    for (const QString& failure : catalogue::importAircraftDirectories())
        prompts().warning(nullptr, QStringLiteral("Error"), failure);
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    if (done())
        return true;
    const QDeadlineTimer deadline = timeoutMs < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    poll.start(10);
    loop.exec();
    return done();
}

void printLine(const QString& text)
{
    std::fputs(qPrintable(text + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

}  // namespace cli
