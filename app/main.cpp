// tolm-mirvak: the ground support station of the Advanced Korvel unit.

#include "core/AppIdentity.h"
#include "core/Database.h"
#include "app/MainWindow.h"
#include "ui/WidgetPrompts.h"
#include "core/Settings.h"
#include "app/SingleInstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFont>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

struct UnitOptions {
    QCommandLineOption address{QStringLiteral("address"), QStringLiteral("Unit address for this run only."),
                               QStringLiteral("HOST")};
    QCommandLineOption port{QStringLiteral("port"), QStringLiteral("Unit TCP port for this run only."),
                            QStringLiteral("N")};
};

void defineOptions(QCommandLineParser& parser, const UnitOptions& unit)
{
    // "-platform" and the toolkit's other one-dash options must not read as "-p -l -a ...".
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("The ground support station of the Advanced Korvel engine vibration unit: checks the link,\n"
                       "downloads, reports, plots and exports recorded flights and uploads the unit's software."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({unit.address, unit.port});
}

// --help and --version are answered before the window system is touched and
// before the single-instance check, so they work without a display and while
// another copy runs. Other options wait for the window system's own to be removed.
void answerHelpAndVersion(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    defineOptions(parser, UnitOptions{});
    parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp();
    // Named after the program, not the settings' application name, as the
    // other programs and the manual pages made from this answer are.
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("tolm-mirvak %s\n", qPrintable(app::versionString()));
        std::exit(0);
    }
}

// --address and --port point this run at another unit (or a simulator)
// without touching the stored settings.
void applyCommandLine(const QApplication& app)
{
    QCommandLineParser parser;
    const UnitOptions unit;
    defineOptions(parser, unit);
    parser.process(app);

    std::optional<QString> addressOverride;
    std::optional<int> portOverride;
    if (parser.isSet(unit.address))
        addressOverride = parser.value(unit.address);
    if (parser.isSet(unit.port)) {
        bool ok = false;
        const int value = parser.value(unit.port).toInt(&ok);
        if (!ok || value < 0 || value > 65535) {
            std::fprintf(stderr, "Invalid port: %s\n", qPrintable(parser.value(unit.port)));
            std::exit(2);
        }
        portOverride = value;
    }
    settings::overrideUnitEndpoint(addressOverride, portOverride);
}

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    QCoreApplication::setApplicationVersion(app::versionString());
    answerHelpAndVersion(argc, argv);

    QApplication app(argc, argv);

    SingleInstance instance(app::kOrganisation + QLatin1Char('-') + app::kApplication + QLatin1Char('-')
                            + qEnvironmentVariable("USER", QStringLiteral("user")));
    if (instance.anotherIsRunning())
        return 0;
    applyCommandLine(app);
    settings::protectStoreFile();

    QFont messageFont(QStringLiteral("Helvetica [Cronyx]"), 11, QFont::Bold, true);
    QApplication::setFont(messageFont, "QMessageBox");
    WidgetPrompts widgetPrompts;
    installPrompts(&widgetPrompts);

    connectDB();

    auto window = std::make_unique<MainWindow>();
    window->show();
    instance.setActivationWindow(window.get());
    const int status = app.exec();
    window.reset();
    return status;
}
