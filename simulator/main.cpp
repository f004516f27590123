// mirvak-sim: plays the unit's side of the protocol with generated data.
// Without options it listens on port 4242 with the unit's own delays.

#include "simulator/Server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <cstdio>
#include <cstdlib>

static ServerOptions parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Advanced Korvel simulator"));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("TCP port; 0 binds a free one."),
                                  QStringLiteral("N"), QStringLiteral("4242"));
    const QCommandLineOption eraseDelay(QStringLiteral("erase-delay-ms"),
                                        QStringLiteral("Time an erase takes."),
                                        QStringLiteral("MS"), QStringLiteral("10000"));
    const QCommandLineOption reprogDelay(QStringLiteral("reprog-delay-ms"),
                                         QStringLiteral("Time a reprogramming packet takes."),
                                         QStringLiteral("MS"), QStringLiteral("250"));
    const QCommandLineOption listen(QStringLiteral("listen"),
                                    QStringLiteral("Address to listen on (default: all)."),
                                    QStringLiteral("HOST"));
    parser.addOptions({port, eraseDelay, reprogDelay, listen});
    parser.process(app);

    ServerOptions options;
    bool ok = true;
    const auto number = [&](const QCommandLineOption& option, int max) {
        bool valid = false;
        const int value = parser.value(option).toInt(&valid);
        if (!valid || value < 0 || value > max)
            ok = false;
        return value;
    };
    options.port = quint16(number(port, 65535));
    options.eraseDelayMs = number(eraseDelay, 3600000);
    options.reprogDelayMs = number(reprogDelay, 3600000);
    if (parser.isSet(listen))
        options.listenAddress = QHostAddress(parser.value(listen));
    if (!ok || options.listenAddress.isNull()) {
        std::fprintf(stderr, "Invalid option value\n");
        std::exit(2);
    }
    return options;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const ServerOptions options = parseOptions(app);
    Server server(options);
    if (!server.listen(options.listenAddress, options.port))
        qFatal("Unable to start the server: %s", qPrintable(server.errorString()));
    qDebug("Advanced Korvel simulator version %d.%d.%d\nListening on port %d.\n", 2, 2, 0,
           int(server.serverPort()));
    return app.exec();
}
