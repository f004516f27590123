// tolm-mirvak: the ground support station of the Advanced Korvel unit.

#include "core/AppIdentity.h"
#include "core/Database.h"
#include "app/MainWindow.h"
#include "app/WidgetPrompts.h"
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

// --address and --port point this run at another unit (or a simulator)
// without touching the stored settings.
void applyCommandLine(const QApplication& app)
{
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("Unit address for this run only."),
                                     QStringLiteral("HOST"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Unit TCP port for this run only."),
                                  QStringLiteral("N"));
    parser.addOptions({address, port});
    parser.process(app);

    std::optional<QString> addressOverride;
    std::optional<int> portOverride;
    if (parser.isSet(address))
        addressOverride = parser.value(address);
    if (parser.isSet(port)) {
        bool ok = false;
        const int value = parser.value(port).toInt(&ok);
        if (!ok || value < 0 || value > 65535) {
            std::fprintf(stderr, "Invalid port: %s\n", qPrintable(parser.value(port)));
            std::exit(2);
        }
        portOverride = value;
    }
    settings::overrideUnitEndpoint(addressOverride, portOverride);
}

}  // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(app::kOrganisation);
    QCoreApplication::setApplicationName(app::kApplication);
    QCoreApplication::setApplicationVersion(app::versionString());

    SingleInstance instance(app::kOrganisation + QLatin1Char('-') + app::kApplication + QLatin1Char('-')
                            + qEnvironmentVariable("USER", QStringLiteral("user")));
    if (instance.anotherIsRunning())
        return 0;
    applyCommandLine(app);

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
