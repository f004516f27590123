// The link client against the real simulator and against a scripted unit.

#include "FakeUnit.h"
#include "LinkHelpers.h"
#include "SimulatorProcess.h"
#include "TestEnvironment.h"
#include "core/AircraftInfo.h"
#include "core/AppIdentity.h"
#include "core/Settings.h"
#include "link/LinkClient.h"
#include "simulator/ResponseBuilder.h"

#include <QQueue>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>
#include <cstring>

namespace {

// What the main window's status bar and buttons would show.
struct Shown {
    QString unit = QStringLiteral("PNR: ???");
    QString serial = QStringLiteral("SER: ???");
    QString status;
    bool enabled = false;

    void watch(LinkClient& link)
    {
        QObject::connect(&link, &LinkClient::unitLabelChanged, [this](const QString& t) { unit = t; });
        QObject::connect(&link, &LinkClient::serialLabelChanged, [this](const QString& t) { serial = t; });
        QObject::connect(&link, &LinkClient::linkStatusChanged, [this](const QString& t) { status = t; });
        QObject::connect(&link, &LinkClient::unitCommandsEnabled, [this](bool e) { enabled = e; });
    }
};

// A link client with what the main window would show of it.
struct WatchedLink {
    LinkClient link;
    Shown shown;

    explicit WatchedLink(QObject* owner) : link(owner) { shown.watch(link); }
};

void putText(QByteArray& answer, int offset, const char* text)
{
    std::memset(answer.data() + offset, 0, 16);
    std::memcpy(answer.data() + offset, text, std::strlen(text));
}

// A part-number answer with the given main, DSP and configuration table part numbers.
QByteArray partNumberAnswer(const char* main, const char* dsp, const char* table, quint32 sdi = 2)
{
    ResponseBuilder builder;
    QByteArray answer = builder.build(mirvak::CMD_PN);
    putText(answer, 96, main);
    putText(answer, 152, dsp);
    putText(answer, 184, table);
    qToBigEndian(sdi, answer.data() + 68);
    return answer;
}

const char* kMain = "614-205-000-1A";
const char* kDsp = "614-207-000-2B";
const char* kTable = "614-208-000-2C";

}  // namespace

class LinkClientTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    QObject window;  // the owner of the prompts, as the main window would be

    void pointAt(quint16 port) { settings::setValue(settings::Port, port); }

    // Connects to the unit at port and waits until its part numbers are decoded.
    bool connectAndWait(LinkClient& link, const Shown& shown, quint16 port)
    {
        pointAt(port);
        link.connectToUnit();
        return waitFor([&] { return shown.enabled; }, 10000);
    }

private slots:
    void init()
    {
        env.resetSettings();
        env.prompts().clear();
        LinkClient::timing() = LinkClient::Timing{};
    }

    // A borrower that hands the link back closed (a cancelled download, an
    // upload that timed out) leaves a link that comes back by itself.
    void linkComesBackAfterABorrowerClosedIt()
    {
        LinkClient::timing().reconnectMs = 200;
        ResponseBuilder builder;
        FakeUnit unit;
        unit.answers << builder.build(mirvak::CMD_PN) << builder.build(mirvak::CMD_PN);
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        QVERIFY(identifyUnit(link, unit.serverPort(), env.prompts()));
        link.lend([](LinkContext& context, PartNumberRecord&) {
            context.socket->abort();
            return 0;
        });
        QVERIFY(!shown.enabled);
        QVERIFY(waitFor([&] { return shown.enabled; }, 5000));
        QCOMPARE(unit.queries, 2);
        QCOMPARE(shown.status, QStringLiteral("Communication OK!"));
        for (const PromptCall& call : env.prompts().calls)  // the recovery reports no error
            QVERIFY2(call.kind != Prompts::Kind::Critical, qPrintable(call.text));
    }

    void silentUnitIsLeftAndTriedAgain()
    {
        LinkClient::timing().reconnectMs = 100;
        LinkClient::timing().partNumberAnswerMs = 300;
        FakeUnit unit;  // accepts, but answers nothing yet
        pointAt(unit.serverPort());
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        QStringList statuses;
        connect(&link, &LinkClient::linkStatusChanged, this, [&](const QString& text) { statuses << text; });
        link.connectToUnit();
        QVERIFY(waitFor([&] { return unit.queries == 1; }, 5000));
        unit.answers << ResponseBuilder().build(mirvak::CMD_PN);
        QVERIFY(waitFor([&] { return shown.enabled; }, 5000));
        QCOMPARE(unit.queries, 2);
        QVERIFY2(statuses.contains(QStringLiteral("The unit did not answer the part-number query within 0.3 s.")),
                 qPrintable(statuses.join(" | ")));
    }

    void refusedConnectionIsToldOnceAndRetried()
    {
        LinkClient::timing().reconnectMs = 100;
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();
        pointAt(port);
        LinkClient link(&window);
        QString endpoint;
        int attempts = 0;
        connect(&link, &LinkClient::endpointChanged, this, [&](const QString& text) { endpoint = text; ++attempts; });
        link.connectToUnit();
        QVERIFY(waitFor([&] { return attempts >= 4; }, 5000));
        QCOMPARE(env.prompts().calls.size(), 1);
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Error"));
        QCOMPARE(endpoint, QStringLiteral("127.0.0.1:%1").arg(port));
    }

    void checkCommConnectsThenQueriesTheSimulator()
    {
        SimulatorProcess sim;
        pointAt(sim.port());
        WatchedLink watched(&window);
        auto& [link, shown] = watched;

        link.checkComm();
        QTRY_COMPARE(shown.status, QStringLiteral("Communication OK!"));
        QCOMPARE(shown.unit, QStringLiteral("PNR: ABCDEFGHIJKLMNO"));
        QCOMPARE(shown.serial, QStringLiteral("SER: QRSTUVW"));
        QVERIFY(shown.enabled);
        QCOMPARE(link.partNumbers().enginePositionCode, 0u);
        QCOMPARE(engineNumberOfPositionCode(int(link.partNumbers().enginePositionCode)), 4);
        // The simulator's letters are no compatible software.
        QCOMPARE(env.prompts().calls.size(), 1);
        QCOMPARE(env.prompts().calls[0].kind, Prompts::Kind::Warning);
        QCOMPARE(env.prompts().calls[0].title, app::kLongTitle);
        QVERIFY(env.prompts().calls[0].text.startsWith(QStringLiteral("Compatibility problem detected.")));
        QCOMPARE(sim.commands(), QStringList{QStringLiteral("CMD_PN")});

        // Connected: only the query is sent again, on the same connection.
        link.checkComm();
        QTRY_COMPARE(sim.commands().size(), 2);
        QCOMPARE(sim.connectionCount(), 1);
        QVERIFY(QDir(env.dataRoot() + QStringLiteral("/tmp")).entryList(QDir::Files).isEmpty());
    }

    void partNumbersWhileUnconnectedWaitsForTheNextAnswer()
    {
        SimulatorProcess sim;
        pointAt(sim.port());
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        QStringList shownPartNumbers;
        connect(&link, &LinkClient::partNumbersReceived, this, [&](const PartNumberRecord& record, bool show) {
            if (show)
                shownPartNumbers << fieldText(record.unitPartNumber);
        });

        link.showPartNumbers();
        QCOMPARE(shown.status, QStringLiteral("Requesting Part Numbers..."));
        QTest::qWait(200);
        QCOMPARE(sim.connectionCount(), 0);
        QVERIFY(shownPartNumbers.isEmpty());

        link.checkComm();
        QTRY_COMPARE(shownPartNumbers, QStringList{QStringLiteral("ABCDEFGHIJKLMNO")});
        QVERIFY(shown.enabled);
    }

    void biteResultsAreShownInOrder()
    {
        SimulatorProcess sim;
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        QVERIFY(connectAndWait(link, shown, sim.port()));

        QList<BiteResults> received;
        connect(&link, &LinkClient::biteResultsReceived, this, [&](const BiteResults& results) { received << results; });
        link.requestBiteResults();
        QCOMPARE(shown.status, QStringLiteral("Requesting BITE results..."));
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(received[0], (BiteResults{0, 1, 0, 1, 2, 0, 1, 2, 3}));
        QCOMPARE(shown.status, QStringLiteral("Communication OK!"));
    }

    void lostUnitDisablesTheCommands()
    {
        SimulatorProcess sim;
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        QVERIFY(connectAndWait(link, shown, sim.port()));
        env.prompts().clear();

        sim.kill();
        QTRY_VERIFY(!shown.enabled);
        QCOMPARE(shown.unit, QStringLiteral("PNR: ???"));
        QCOMPARE(shown.serial, QStringLiteral("SER: ???"));
        QCOMPARE(shown.status, link.socket().errorString());
        QVERIFY(!shown.status.isEmpty());
        // The status tells it; no box interrupts the technician, since the link comes back by itself.
        QCOMPARE(env.prompts().calls.size(), 0);
    }

    void refusedConnectionIsReported()
    {
        quint16 closedPort;
        {
            QTcpServer probe;
            probe.listen(QHostAddress::LocalHost, 0);
            closedPort = probe.serverPort();
        }
        pointAt(closedPort);
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        link.connectToUnit();
        QCOMPARE(shown.status, QStringLiteral("Connecting to server..."));
        QTRY_COMPARE(env.prompts().calls.size(), 1);
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Error"));
        QCOMPARE(shown.status, env.prompts().calls[0].text);
        QVERIFY(!shown.enabled);
    }

    void malformedAnswers_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("bite");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("status");
        ResponseBuilder builder;
        QByteArray shortBite = builder.build(mirvak::CMD_STATUS_REQ).left(60);
        qToBigEndian<quint32>(60, shortBite.data());
        QTest::newRow("short test answer") << shortBite << true
                                           << "Error|Error decoding BITE message"
                                           << "Communication OK!";
        QByteArray longPn = builder.build(mirvak::CMD_PN) + QByteArray(8, 0);
        qToBigEndian<quint32>(quint32(longPn.size()), longPn.data());
        QTest::newRow("long part-number answer")
            << longPn << false << "MainWindow::decodePN|Error decoding Part Number message"
            << "Communication error! Error decoding Part Number message";
        QByteArray nack = builder.build(mirvak::CMD_PN);
        nack[7] = 2;
        QTest::newRow("acknowledgement error") << nack << false << "UnsetRsp|Detected ACK error"
                                               << "Communication error! Detected ACK error";
    }
    void malformedAnswers()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, bite);
        QFETCH(QString, message);
        QFETCH(QString, status);
        FakeUnit unit;
        pointAt(unit.serverPort());
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        if (bite) {
            unit.answers << partNumberAnswer(kMain, kDsp, kTable);
            link.connectToUnit();
            QTRY_VERIFY(shown.enabled);
            unit.answers << answer;
            link.requestBiteResults();
        } else {
            unit.answers << answer;
            link.connectToUnit();
        }
        QTRY_COMPARE(env.prompts().onlyMessage(), message);
        QCOMPARE(shown.status, status);
        QCOMPARE(shown.enabled, bite);
    }

    // A refused part-number answer is met like silence: the link leaves the
    // connection and tries again, with one box for the whole run of failures.
    void refusedPartNumberAnswersAreRetried_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("reason");
        const QByteArray good = ResponseBuilder().build(mirvak::CMD_PN);
        QByteArray nack = good;
        qToBigEndian<quint32>(1, nack.data() + 4);
        QByteArray badType = good;
        qToBigEndian<quint32>(7, badType.data() + 12);
        QByteArray hugeBlock = good;
        qToBigEndian<quint32>(16 * 1024 * 1024, hugeBlock.data() + 16);
        QTest::newRow("acknowledgement error") << nack << "Detected ACK error";
        QTest::newRow("block type") << badType << "Invalid block type detected - block # 1";
        QTest::newRow("16 MiB block") << hugeBlock << "Invalid byte count detected - block # 1";
    }
    void refusedPartNumberAnswersAreRetried()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, reason);
        LinkClient::timing().reconnectMs = 100;
        env.prompts().answerDelayMs = 300;  // the box stays open while the link goes on
        FakeUnit unit;
        unit.answers << answer << answer << answer << partNumberAnswer(kMain, kDsp, kTable);
        pointAt(unit.serverPort());
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        QStringList statuses;
        connect(&link, &LinkClient::linkStatusChanged, this, [&](const QString& text) { statuses << text; });
        link.connectToUnit();
        QVERIFY(waitFor([&] { return shown.enabled && env.prompts().openPrompts == 0; }, 10000));
        QCOMPARE(unit.queries, 4);
        QCOMPARE(env.prompts().onlyMessage(), "UnsetRsp|" + reason);
        QCOMPARE(statuses.count("Communication error! " + reason), 3);
        QCOMPARE(shown.status, QStringLiteral("Communication OK!"));
    }

    void invalidLengthWordClosesAndReconnectStartsClean()
    {
        FakeUnit unit;
        pointAt(unit.serverPort());
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        unit.answers << QByteArray("\x00\x00\x00\x02", 4);
        link.connectToUnit();
        QTRY_COMPARE(shown.status, QStringLiteral("Invalid block size"));
        QVERIFY(!shown.enabled);

        unit.answers << partNumberAnswer(kMain, kDsp, kTable, 2);
        link.checkComm();
        QTRY_COMPARE(shown.status, QStringLiteral("Communication OK!"));
        QCOMPARE(link.partNumbers().enginePositionCode, 2u);
        QCOMPARE(engineNumberOfPositionCode(int(link.partNumbers().enginePositionCode)), 2);
        QVERIFY(env.prompts().calls.isEmpty());
    }

    void downloadGate_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QList<Prompts::Button>>("replies");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<QString>("asked");
        QTest::newRow("expected software") << partNumberAnswer(kMain, kDsp, kTable)
                                           << QList<Prompts::Button>{} << true << "";
        QTest::newRow("upload mode") << partNumberAnswer(kMain, kDsp, "")
                                     << QList<Prompts::Button>{} << false
                                     << "The Korvel has powered-up with the Tolm cable";
        QTest::newRow("other software, No")
            << partNumberAnswer("614-205-000-3", kDsp, kTable)
            << QList<Prompts::Button>{Prompts::No} << false
            << "This version of Tolm is not compatible with the software currently loaded in the "
               "unit.\n\nMain Software PNR: 614-205-000-3\nDSP Software PNR: 614-207-000-2B\nDSP "
               "Config. Table PNR: 614-208-000-2C\n\nDo you want to continue?";
        QTest::newRow("other software, Yes")
            << partNumberAnswer("614-205-000-2", kDsp, kTable)
            << QList<Prompts::Button>{Prompts::Yes} << true
            << "This version of Tolm is not compatible";
    }
    void downloadGate()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QList<Prompts::Button>, replies);
        QFETCH(bool, allowed);
        QFETCH(QString, asked);
        FakeUnit unit;
        pointAt(unit.serverPort());
        WatchedLink watched(&window);
        auto& [link, shown] = watched;
        unit.answers << answer;
        link.connectToUnit();
        QTRY_VERIFY(shown.enabled);
        // An empty table part number is no compatibility problem by itself.
        QVERIFY(env.prompts().calls.isEmpty());

        for (auto reply : replies)
            env.prompts().buttonAnswers.enqueue(reply);
        QCOMPARE(link.checkDownloadAllowed(), allowed);
        if (asked.isEmpty()) {
            QVERIFY(env.prompts().calls.isEmpty());
        } else {
            QCOMPARE(env.prompts().calls.size(), 1);
            QCOMPARE(env.prompts().calls[0].title, app::kShortTitle);
            QVERIFY2(env.prompts().calls[0].text.startsWith(asked), qPrintable(env.prompts().calls[0].text));
        }
    }

    void compatibilityRule_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<bool>("compatible");
        QTest::newRow("same family") << "614-207-000-2" << "614-208-000-2" << true;
        QTest::newRow("13th differs") << "614-207-000-2" << "614-208-000-3" << false;
        QTest::newRow("not 20") << "614-307-000-2" << "614-208-000-2" << false;
        QTest::newRow("not 20, second") << "614-207-000-2" << "614-307-000-2" << false;
        QTest::newRow("longer") << "614-207-000-2A" << "614-208-000-2" << true;
        QTest::newRow("empty") << "" << "anything" << true;
        QTest::newRow("too short") << "614-207-000-" << "614-208-000-2" << false;
        QTest::newRow("dot matches dot") << "614-207-000-." << "614-208-000-." << true;
        QTest::newRow("dot against letter") << "614-207-000-." << "614-208-000-A" << false;
        QTest::newRow("plus") << "614-207-000-+" << "614-208-000-+" << true;
        QTest::newRow("paren against letter") << "614-207-000-(" << "614-208-000-B" << false;
    }
    void compatibilityRule()
    {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(bool, compatible);
        QCOMPARE(partNumbersCompatible(first, second), compatible);
    }
};

QTEST_MAIN(LinkClientTest)
#include "test_link_client.moc"
