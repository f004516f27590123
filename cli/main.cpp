// tolm-cli: the station's jobs without a window, on the same core as tolm-mirvak.

#include "cli/CliCommand.h"
#include "cli/CliConsole.h"
#include "cli/CliPrompts.h"
#include "cli/Commands.h"
#include "core/AppIdentity.h"
#include "core/Clock.h"
#include "core/Settings.h"

#include <QApplication>
#include <QHashSeed>
#include <cstdio>
#include <memory>

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
};

const Command kCommands[] = {
    {"status", "Connect, print the part numbers, BITE results and compatibility.", runStatus},
    {"download", "Download (and erase) the unit's data into the data tree.", runDownload},
    {"flights", "List the recorded flights of the data tree.", runFlights},
    {"index", "Bring the flight index up to date and tell what changed.", runIndex},
    {"trend", "Print one engine's indicator across its flights.", runTrend},
    {"fleet", "List every engine of the index, most alarming first.", runFleet},
    {"export", "Export flights as ASCII files.", runExport},
    {"spectrum", "Print the plotted spectrum of one time history as CSV.", runSpectrum},
    {"upload", "Upload main software, DSP software or a configuration table.", runUpload},
    {"sync", "Push the downloads the fleet repository lacks.", runSync},
    {"fetch", "Copy an engine's downloads from the fleet repository.", runFetch},
    {"repository", "Create or update the fleet repository's schema (migrate).", runRepository},
    {"report", "Write the engine report PDF of one download.", runReport},
};

QString usage()
{
    QString text = QStringLiteral("Usage: tolm-cli <command> [options]\n\nCommands:\n");
    for (const Command& command : kCommands)
        text += QStringLiteral("  %1%2\n").arg(QLatin1String(command.name), -12).arg(QLatin1String(command.summary));
    text += QStringLiteral("  help        Print the help of a command.\n");
    text += QStringLiteral("\nSee tolm-cli help <command>. Exit status: 0 done, 1 a step failed, 2 bad arguments or refused input,\n130 cancelled by Ctrl+C.\n");
    return text;
}

// Tests stamp what they compare with a fixed time, as the window's tests fix the core's clock.
void fixClockFromEnvironment()
{
    const QString fixed = qEnvironmentVariable("TOLM_FIXED_CLOCK");
    if (!fixed.isEmpty())
        Clock::fix(QDateTime::fromString(fixed, Qt::ISODate));
}

int run(const QStringList& arguments)
{
    const QString name = arguments.value(1);
    const bool helpOfCommand = name == QLatin1String("help") && arguments.size() > 2;
    if (helpOfCommand)
        return run({arguments.value(0), arguments.value(2), QStringLiteral("--help")});
    if (name == QLatin1String("help") || name == QLatin1String("--help") || name == QLatin1String("-h")) {
        std::fputs(qPrintable(usage()), stdout);
        return cli::Success;
    }
    if (name == QLatin1String("--version")) {
        cli::printLine(QStringLiteral("tolm-cli %1").arg(app::versionString()));
        return cli::Success;
    }
    for (const Command& command : kCommands)
        if (name == QLatin1String(command.name))
            return command.run(QStringList{arguments.value(0)} + arguments.mid(2));
    throw cli::Exit{cli::BadInput, name.isEmpty() ? usage().trimmed()
                                                  : QStringLiteral("Unknown command \"%1\".\n%2").arg(name, usage().trimmed())};
}

// The report draws charts, which need the widget application; without a
// display it runs on the offscreen platform. Every other command keeps to the core.
std::unique_ptr<QCoreApplication> application(int& argc, char* argv[])
{
    const bool drawsCharts = argc > 1 && qstrcmp(argv[1], "report") == 0;
    if (!drawsCharts)
        return std::make_unique<QCoreApplication>(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return std::make_unique<QApplication>(argc, argv);
}

}  // namespace

int main(int argc, char* argv[])
{
    QHashSeed::setDeterministicGlobalSeed();  // the PDF writer lists fonts in hash order: same report, same bytes
    const std::unique_ptr<QCoreApplication> qtApplication = application(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    QCoreApplication::setApplicationVersion(app::versionString());
    settings::protectStoreFile();
    installPrompts(&cliPrompts());
    fixClockFromEnvironment();
    try {
        return run(QCoreApplication::arguments());
    } catch (const cli::Exit& exit) {
        if (!exit.message.isEmpty())
            console::message(exit.message);
        return exit.status;
    }
}
