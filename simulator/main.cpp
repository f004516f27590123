// mirvak-sim: plays the unit's side of the protocol with generated data.
// Without options it listens on port 4242 with the unit's own delays.

#include "core/AppIdentity.h"
#include "simulator/Server.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QMap>
#include <optional>
#include <cstdio>
#include <cstdlib>

// "ack:CMD", "drop:CMD:BYTES" or "stall:CMD:BYTES".
static std::optional<Fault> parseFault(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char(':'));
    static const QMap<QString, Fault::Kind> kinds = {
        {QStringLiteral("ack"), Fault::Ack}, {QStringLiteral("drop"), Fault::Drop}, {QStringLiteral("stall"), Fault::Stall}};
    if (parts.isEmpty() || !kinds.contains(parts[0]))
        return std::nullopt;
    const Fault::Kind kind = kinds[parts[0]];
    if (parts.size() != (kind == Fault::Ack ? 2 : 3))
        return std::nullopt;
    bool commandOk = false, bytesOk = true;
    Fault fault{kind, parts[1].toUInt(&commandOk), 0};
    if (kind != Fault::Ack)
        fault.bytes = parts[2].toInt(&bytesOk);
    if (!commandOk || !bytesOk || fault.bytes < 0)
        return std::nullopt;
    return fault;
}

static ServerOptions parseOptions(const QCoreApplication& app)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Advanced Korvel simulator"));
    parser.addHelpOption();
    parser.addVersionOption();
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
    const QCommandLineOption log(QStringLiteral("log"),
                                 QStringLiteral("Append a line per request received to FILE."),
                                 QStringLiteral("FILE"));
    const QCommandLineOption fault(
        QStringLiteral("fault"),
        QStringLiteral("ack:CMD answers CMD with ack 1; drop:CMD:BYTES sends BYTES of the answer "
                       "and closes; stall:CMD:BYTES sends BYTES and then nothing. Repeatable."),
        QStringLiteral("FAULT"));
    const QCommandLineOption uploadMode(QStringLiteral("upload-mode"),
                                        QStringLiteral("Run as a unit started in its main-software upload mode "
                                                       "(no DSP part numbers)."));
    const QCommandLineOption varied(QStringLiteral("varied"),
                                    QStringLiteral("Answer engine data whose flights, values and alarms change "
                                                   "at every erase, the same for the same SEED."),
                                    QStringLiteral("SEED"));
    parser.addOptions({port, eraseDelay, reprogDelay, listen, log, fault, uploadMode, varied});
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
    options.logPath = parser.value(log);
    options.uploadMode = parser.isSet(uploadMode);
    for (const QString& text : parser.values(fault)) {
        const std::optional<Fault> parsed = parseFault(text);
        if (!parsed)
            ok = false;
        else
            options.faults << *parsed;
    }
    if (parser.isSet(varied)) {
        bool valid = false;
        options.variedSeed = parser.value(varied).toULongLong(&valid);
        ok = ok && valid;
    }
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
    QCoreApplication::setApplicationVersion(app::versionString());
    const ServerOptions options = parseOptions(app);
    Server server(options);
    if (!server.listen(options.listenAddress, options.port))
        qFatal("Unable to start the server: %s", qPrintable(server.errorString()));
    qDebug("Advanced Korvel simulator version %d.%d.%d\nListening on port %d.\n", 2, 2, 0,
           int(server.serverPort()));
    return app.exec();
}
