// Whole download sessions against the real simulator and a scripted unit:
// rows, files on disk, and what the unit was asked.

#include "FakeUnit.h"
#include "LinkHelpers.h"
#include "SampleAircraft.h"
#include "SimulatorLog.h"
#include "SimulatorProcess.h"
#include "TestEnvironment.h"
#include "core/AircraftInfo.h"
#include "core/Clock.h"
#include "core/Database.h"
#include "core/Settings.h"
#include "download/DownloadSession.h"
#include "flights/RawFileFormat.h"
#include "link/LinkClient.h"
#include "simulator/Crc32.h"
#include "simulator/ResponseBuilder.h"

#include <QDirIterator>
#include <QPromise>
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>

namespace {

const QStringList kAllDone(7, QStringLiteral("Done"));

}  // namespace

class DownloadSessionTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    QObject window;  // the owner of the prompts, as the main window would be
    SimulatorLog simulatorLog;

    // The simulator without delays, logging what it receives.
    QStringList simulatorOptions(const QStringList& more = {})
    {
        simulatorLog = SimulatorLog(env.path());
        return simulatorLog.quickOptions(more);
    }

    // "code name size crc" of every request the simulator received.
    QStringList logged() const
    {
        QStringList commands;
        for (const QStringList& request : simulatorLog.requests())
            commands << request.join(QLatin1Char(' '));
        return commands;
    }

    QStringList runSession(LinkClient& link, RequestSet requests,
                           const std::function<void(DownloadSession&)>& meanwhile = {})
    {
        QStringList statuses;
        link.lend([&](LinkContext& context, PartNumberRecord& partNumbers) {
            DownloadSession session(context, partNumbers, sampleAircraft(), 4, requests, &window);
            session.start();
            if (meanwhile)
                meanwhile(session);
            waitFor([&] { return session.isFinished(); });
            for (int step = 0; step < kRequestableSteps; ++step)
                statuses << session.status(step);
            return 0;
        });
        return statuses;
    }

    QString engineDirectory() const { return env.dataRoot() + QStringLiteral("/F-GABC_data/engine_4"); }

    QStringList filesUnderDataRoot(const QStringList& patterns) const
    {
        QStringList found;
        QDirIterator it(env.dataRoot(), patterns, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            found << QFileInfo(it.next()).fileName();
        found.sort();
        return found;
    }

    QStringList leftoversInEngineDirectory() const
    {
        return QDir(engineDirectory()).entryList(QDir::Files | QDir::Hidden);
    }

private slots:
    void initTestCase() { connectDB(); }

    void init()
    {
        env.resetSettings();
        env.prompts().clear();
        QDir(env.dataRoot() + QStringLiteral("/F-GABC_data")).removeRecursively();
        DownloadSession::timing() = DownloadSession::Timing{};
        DownloadSession::timing().tickMs = 20;
    }

    void wholeSessionFilesEverything()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        QCOMPARE(runSession(link, RequestSet::fromChoices(true, true)), kAllDone);
        QCOMPARE(env.prompts().onlyMessage(),
                 QStringLiteral("Download / Erase|Processing complete!\n\nThe files were written to:\n")
                     + QDir::toNativeSeparators(engineDirectory()));

        QByteArray eraseArgument(4, 0);
        qToBigEndian<quint32>(4, eraseArgument.data());
        QCOMPARE(logged(), (QStringList{"1 CMD_PN 4 2144df1c", "100 CMD_GET_ALGORITHM_STATUS 4 2144df1c",
                                        "96 CMD_DOWNLOAD_DATA 8 " + QString::number(crc32(QByteArray("\0\0\0\4\0\0\0\0", 8)), 16).rightJustified(8, '0'),
                                        "97 CMD_GET_FLIGHT_HISTORY 4 2144df1c",
                                        "101 CMD_ERASE_DATA 4 " + QString::number(crc32(eraseArgument), 16).rightJustified(8, '0')}));

        const QStringList files = leftoversInEngineDirectory();
        QCOMPARE(files.size(), 5);
        for (const char* tag : {"-fd-", "-cb-", "-ss-", "-tr-", "-fh-"})
            QVERIFY2(files.filter(QLatin1String("ESN123456") + QLatin1String(tag)).size() == 1, tag);
        QVERIFY(QDir(env.dataRoot() + QStringLiteral("/tmp")).entryList(QDir::Files).isEmpty());

        QFile raw(engineDirectory() + QLatin1Char('/') + files.filter(".raw").first());
        QVERIFY(raw.open(QIODevice::ReadOnly));
        const QByteArray bytes = raw.readAll();
        QCOMPARE(bytes.size(), 5842756);
        RawFileHeader header;
        std::memcpy(&header, bytes.constData(), sizeof header);
        QCOMPARE(header.magic, kRawMagic);
        QCOMPARE(QByteArray(header.registration), QByteArray("F-GABC"));
        QCOMPARE(QByteArray(header.engineType), QByteArray("CFM56-5"));
        QCOMPARE(header.engineNumber, 4);
        QCOMPARE(header.totalFlights, 21);
        for (int i = 0; i < 9; ++i)
            QCOMPARE(header.dataHeaderWords[i], i + 2);  // alarm words 5..10 at 3..8
        for (int k = 0; k < 21; ++k) {
            QCOMPARE(header.flightNumbers[k], k);
            QCOMPARE(header.memoryTypes[k], k >= 5 ? 1 : 0);
        }
        QCOMPARE(QByteArray(header.unitPartNumber), QByteArray("ABCDEFGHIJKLMNO"));
        QCOMPARE(QByteArray(header.unitSerialNumber), QByteArray("QRSTUVW"));
        QCOMPARE(QByteArray(header.dspConfigTablePartNumber), QByteArray("WXYZABCDEFGHIJK"));
        QVERIFY(qAbs(qint64(header.creationTime) - QDateTime::currentSecsSinceEpoch()) < 60);

        auto block = std::make_unique<FlightBlock>();
        std::memcpy(block.get(), bytes.constData() + sizeof header + 3 * sizeof(FlightBlock), sizeof *block);
        QCOMPARE(block->steadyParameters[7][25], 7.0f);   // parameter 7 of bin 26
        QCOMPARE(block->steadySamples[3][100], signalSample(100, 2048));
        QCOMPARE(block->transientParameters[10][3][9], 10.0f);
        QCOMPARE(block->captureAverages[9][2], 9.0f);
        QCOMPARE(block->transientSamples[2][9][2047], signalSample(2047, 2048));
        QCOMPARE(block->campbellSelector, 0);
        QCOMPARE(block->campbellSets[4][165], float(80 + 4 * 166 + 165));
    }

    // With the clock fixed, the same unit data and details give the same files, byte for byte.
    void sameDownloadWritesTheSameBytes()
    {
        Clock::fix(QDateTime(QDate(2026, 3, 5), QTime(14, 25)));
        const auto download = [&] {
            SimulatorProcess sim(simulatorOptions());  // a fresh unit: its algorithm states start over
            LinkClient link(&window);
            if (!identifyUnit(link, sim.port(), env.prompts()))
                return QMap<QString, QByteArray>();
            runSession(link, RequestSet::fromChoices(true, false));
            QMap<QString, QByteArray> files;
            for (const QString& name : leftoversInEngineDirectory()) {
                QFile file(engineDirectory() + '/' + name);
                file.open(QIODevice::ReadOnly);
                files.insert(name, file.readAll());
            }
            QDir(engineDirectory()).removeRecursively();
            return files;
        };
        const QMap<QString, QByteArray> first = download();
        const QMap<QString, QByteArray> second = download();
        Clock::fix(std::nullopt);
        QCOMPARE(first.keys(), (QStringList{"ESN123456-cb-20260305-1425.txt", "ESN123456-fd-20260305-1425.raw",
                                            "ESN123456-fh-20260305-1425.txt", "ESN123456-ss-20260305-1425.txt",
                                            "ESN123456-tr-20260305-1425.txt"}));
        QVERIFY(first == second);
    }

    void eraseOnlyAsksFirst_data()
    {
        QTest::addColumn<Prompts::Button>("answer");
        QTest::addColumn<QString>("erase");
        QTest::newRow("No") << Prompts::No << "Skipped";
        QTest::newRow("Yes") << Prompts::Yes << "Done";
    }
    void eraseOnlyAsksFirst()
    {
        QFETCH(Prompts::Button, answer);
        QFETCH(QString, erase);
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        env.prompts().answerDelayMs = 300;  // many ticks pass while the technician reads
        env.prompts().buttonAnswers << answer;
        QCOMPARE(runSession(link, RequestSet::fromChoices(false, true)),
                 (QStringList{"Done", "Done", "Not requested", "Not requested", "Not requested", "Not requested", erase}));
        QCOMPARE(env.prompts().texts(),
                 (QStringList{"Erase the unit's memory without downloading it first? Its recorded data will be lost.",
                              "Processing complete!"}));
        QCOMPARE(logged().filter("CMD_ERASE_DATA").size(), answer == Prompts::Yes ? 1 : 0);
        QVERIFY(leftoversInEngineDirectory().isEmpty());
    }

    void deactivatedAlgorithmAsksBeforeErasing_data()
    {
        QTest::addColumn<Prompts::Button>("answer");
        QTest::addColumn<QString>("erase");
        QTest::newRow("No") << Prompts::No << "Skipped";
        QTest::newRow("Yes") << Prompts::Yes << "Done";
    }
    void deactivatedAlgorithmAsksBeforeErasing()
    {
        QFETCH(Prompts::Button, answer);
        QFETCH(QString, erase);
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        // The simulator's third algorithm-status answer reports every algorithm deactivated.
        for (int i = 0; i < 2; ++i) {
            unsigned char request[12];
            const quint32 zero = 0;
            mirvak::buildRequest(request, &zero, 4, mirvak::CMD_GET_ALGORITHM_STATUS);
            link.socket().write(reinterpret_cast<char*>(request), 12);
            QVERIFY(waitFor([&] { return logged().size() == 2 + i; }));
            QTest::qWait(100);
        }

        // Answered late, as a person does: the session must stand still meanwhile.
        env.prompts().answerDelayMs = 300;
        env.prompts().buttonAnswers << answer;
        QStringList changesWhileAsking;
        const QStringList rows = runSession(link, RequestSet::fromChoices(true, true), [&](DownloadSession& session) {
            connect(&session, &DownloadSession::statusChanged, this, [&](int, const QString& status) {
                if (env.prompts().openPrompts > 0)
                    changesWhileAsking << status;
            });
        });
        QCOMPARE(changesWhileAsking, QStringList());
        QCOMPARE(rows, kAllDone.mid(0, 6) << erase);
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Erase Tessel Data"));
        QCOMPARE(env.prompts().calls[0].text,
                 QStringLiteral("At least one of the Tessel algorithms is currently deactivated.\nDo you "
                                "really want to erase the Tessel data?"));
        QCOMPARE(env.prompts().calls.size(), 2);
        QVERIFY(env.prompts().calls.last().text.startsWith(QStringLiteral("Processing complete!")));
        QCOMPARE(logged().filter("CMD_ERASE_DATA").size(), answer == Prompts::Yes ? 1 : 0);
    }

    void failedEngineDataAnswerNeverErases_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("message");
        const QStringList failedDownload{"Done", "Done", "Failed", "Not run", "Not run", "Not run", "Skipped"};
        QTest::newRow("ack error") << QStringList{"--fault", "ack:96"} << failedDownload << "Detected ACK error";
        QTest::newRow("dropped") << QStringList{"--fault", "drop:96:100000"} << failedDownload
                                 << "Downloading Bearing Data: Failed\n    The unit closed the connection before its answer was complete.";
        QTest::newRow("stalled") << QStringList{"--fault", "stall:96:100000"} << failedDownload
                                 << "The unit sent nothing for 0.3 s while: Downloading Bearing Data";
    }
    void failedEngineDataAnswerNeverErases()
    {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, rows);
        QFETCH(QString, message);
        DownloadSession::timing().answerTimeoutMs = 300;
        SimulatorProcess sim(simulatorOptions(faults));
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        QCOMPARE(runSession(link, RequestSet::fromChoices(true, true)), rows);
        QVERIFY2(env.prompts().texts().join('\n').contains(message), qPrintable(env.prompts().texts().join('\n')));
        const QString summary = env.prompts().calls.last().text;
        QVERIFY2(summary.contains("Downloading Bearing Data: Failed"), qPrintable(summary));
        QVERIFY(summary.contains("The unit's memory was not erased"));
        QCOMPARE(filesUnderDataRoot({"*.raw", "*.txt", "ESN*"}), QStringList());
        QVERIFY(leftoversInEngineDirectory().isEmpty());
        QCOMPARE(logged().filter("CMD_ERASE_DATA"), QStringList());
    }

    // Details still being stored when the erase is due: the session waits for
    // them, and erases only when they were stored.
    void eraseWaitsForTheDetails_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::addColumn<QString>("erase");
        QTest::newRow("stored") << QString() << "Done";
        QTest::newRow("not stored") << "refused by the test" << "Skipped";
    }
    void eraseWaitsForTheDetails()
    {
        QFETCH(QString, failure);
        QFETCH(QString, erase);
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        QPromise<QString> storing;
        storing.start();
        const QStringList rows = runSession(link, RequestSet::fromChoices(true, true), [&](DownloadSession& session) {
            session.setDetailsStored(storing.future());
            waitFor([&] { return session.status(PostProcessFlightHistory) == QLatin1String("Done"); });
            QTest::qWait(5 * DownloadSession::timing().tickMs);
            QCOMPARE(session.status(EraseData), QStringLiteral("-"));
            QCOMPARE(logged().filter("CMD_ERASE_DATA"), QStringList());
            storing.addResult(failure);
            storing.finish();
        });
        QCOMPARE(rows, kAllDone.mid(0, 6) + QStringList{erase});
        QCOMPARE(logged().filter("CMD_ERASE_DATA").size(), failure.isEmpty() ? 1 : 0);
        QVERIFY(env.prompts().calls.last().text.contains(failure));
    }

    void shortEngineDataAnswerIsRefused()
    {
        ResponseBuilder builder;
        QByteArray shortAnswer = builder.build(mirvak::CMD_DOWNLOAD_DATA).left(5874016 - 279712);
        qToBigEndian<quint32>(quint32(shortAnswer.size()), shortAnswer.data());
        FakeUnit unit;
        unit.answers << builder.build(mirvak::CMD_PN) << builder.build(mirvak::CMD_GET_ALGORITHM_STATUS)
                     << shortAnswer;
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, unit.serverPort(), env.prompts()));
        QCOMPARE(runSession(link, RequestSet::fromChoices(true, true)),
                 (QStringList{"Done", "Done", "Failed", "Not run", "Not run", "Not run", "Skipped"}));
        QVERIFY2(env.prompts().onlyMessage().contains(
                     "Downloading Bearing Data: Failed\n    The unit's answer holds 5594304 bytes; 5874016 bytes "
                     "were expected. The connection was closed."),
                 qPrintable(env.prompts().onlyMessage()));
        QCOMPARE(filesUnderDataRoot({"*.raw", "*.txt", "ESN*"}), QStringList());
        QCOMPARE(unit.queries, 3);  // part numbers, algorithm status, engine data: no erase
    }

    // Every answer must have exactly the length its layout gives; anything else
    // fails its step, closes the connection and never leads to an erase.
    void answersOfTheWrongLengthNeverErase_data()
    {
        QTest::addColumn<int>("wrongAnswer");  // index among the session's answers
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QStringList>("rows");
        ResponseBuilder builder;
        const auto tooLong = [&](quint32 command) {
            QByteArray answer = builder.build(command) + QByteArray(1000, '\0');
            qToBigEndian<quint32>(quint32(answer.size()), answer.data());
            return answer;
        };
        QTest::newRow("algorithm status") << 0 << tooLong(mirvak::CMD_GET_ALGORITHM_STATUS)
                                          << QStringList{"Failed", "Not run", "Not run", "Not run", "Not run", "Not run", "Skipped"};
        QTest::newRow("flight history") << 2 << tooLong(mirvak::CMD_GET_FLIGHT_HISTORY)
                                        << QStringList{"Done", "Done", "Done", "Done", "Failed", "Not run", "Skipped"};
        QTest::newRow("engine data again") << 2 << builder.build(mirvak::CMD_DOWNLOAD_DATA)
                                           << QStringList{"Done", "Done", "Done", "Done", "Failed", "Not run", "Skipped"};
        QByteArray emptyLength = builder.build(mirvak::CMD_GET_FLIGHT_HISTORY);
        qToBigEndian<quint32>(0, emptyLength.data());
        QTest::newRow("length word 0") << 2 << emptyLength
                                       << QStringList{"Done", "Done", "Done", "Done", "Failed", "Not run", "Skipped"};
        QTest::newRow("erase acknowledgement") << 3 << tooLong(mirvak::CMD_ERASE_DATA) << kAllDone.mid(0, 6) + QStringList{"Failed"};
    }
    void answersOfTheWrongLengthNeverErase()
    {
        QFETCH(int, wrongAnswer);
        QFETCH(QByteArray, answer);
        QFETCH(QStringList, rows);
        ResponseBuilder builder;
        QList<QByteArray> answers{builder.build(mirvak::CMD_GET_ALGORITHM_STATUS), builder.build(mirvak::CMD_DOWNLOAD_DATA),
                                  builder.build(mirvak::CMD_GET_FLIGHT_HISTORY), builder.build(mirvak::CMD_ERASE_DATA)};
        answers[wrongAnswer] = answer;
        FakeUnit unit;
        unit.answers << builder.build(mirvak::CMD_PN) << answers;
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, unit.serverPort(), env.prompts()));
        env.prompts().buttonAnswers << Prompts::Yes;  // should an algorithm read as deactivated
        QCOMPARE(runSession(link, RequestSet::fromChoices(true, true)), rows);
        if (wrongAnswer < 3)
            QCOMPARE(filesUnderDataRoot({"*-fh-*"}), QStringList());
        QCOMPARE(unit.queries, 1 + qMin(wrongAnswer + 1, 4));  // nothing is asked after the wrong answer
        QCOMPARE(filesUnderDataRoot({"*.lock"}), QStringList());  // the session's names are free again
        const QString summary = env.prompts().calls.last().text;
        if (wrongAnswer < 3)
            QVERIFY(summary.contains(QStringLiteral("The unit's memory was not erased")));
        else  // the erase went out: whether the unit erased is unknown
            QVERIFY2(summary.endsWith("The erase request was sent but its answer was lost or invalid (The unit's "
                                      "answer holds 1012 bytes; 12 bytes were expected. The connection was closed): "
                                      "the unit's memory may have been erased."),
                     qPrintable(summary));
    }

    // Only a refusal by the unit means that nothing was erased; once the
    // request went out, a lost or late answer leaves it open.
    void eraseOutcomeSaysWhatIsKnown_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<QString>("row");
        QTest::addColumn<QString>("ending");
        const QString lost = QStringLiteral("The erase request was sent but its answer was lost or invalid (%1): "
                                            "the unit's memory may have been erased.");
        const QString closed = lost.arg("The unit closed the connection before its answer was complete");
        QTest::newRow("refused") << QStringList{"--fault", "ack:101"} << "Failed"
                                 << "Detected ACK error\n\nThe unit's memory was not erased: the unit refused the erase.";
        QTest::newRow("closed without answer") << QStringList{"--fault", "drop:101:0"} << "Failed" << closed;
        QTest::newRow("answer cut off") << QStringList{"--fault", "drop:101:6"} << "Failed" << closed;
        QTest::newRow("no answer") << QStringList{"--fault", "stall:101:4"} << "Timeout"
                                   << lost.arg("The unit did not answer within 0.2 s");
        QTest::newRow("late answer") << QStringList{"--erase-delay-ms", "3000"} << "Timeout"
                                     << lost.arg("The unit did not answer within 0.2 s");
    }
    void eraseOutcomeSaysWhatIsKnown()
    {
        QFETCH(QStringList, fault);
        QFETCH(QString, row);
        QFETCH(QString, ending);
        DownloadSession::timing().eraseTicks = 10;
        SimulatorProcess sim(simulatorOptions(fault));
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        env.prompts().buttonAnswers << Prompts::Yes;  // erase without downloading
        QCOMPARE(runSession(link, RequestSet::fromChoices(false, true)).last(), row);
        const QString summary = env.prompts().calls.last().text;
        QVERIFY2(summary.endsWith(ending), qPrintable(summary));
        QCOMPARE(summary.contains("not erased"), fault.contains("ack:101"));
        QCOMPARE(logged().filter("CMD_ERASE_DATA").size(), 1);
    }

    void sameMinuteSessionsKeepBothRawFiles()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        QCOMPARE(runSession(link, RequestSet::fromChoices(true, false)).mid(0, 6), kAllDone.mid(0, 6));
        QCOMPARE(runSession(link, RequestSet::fromChoices(true, false)).mid(0, 6), kAllDone.mid(0, 6));
        const QStringList raws = filesUnderDataRoot({"*.raw"});
        QCOMPARE(raws.size(), 2);
        if (raws[0].left(29) == raws[1].left(29)) {  // the same minute
            QVERIFY(raws[1].endsWith("-2.raw"));
            QCOMPARE(filesUnderDataRoot({"*-2.txt"}).size(), 4);
        }
        for (const QString& name : raws)
            QCOMPARE(QFileInfo(engineDirectory() + '/' + name).size(), 5842756);
    }

    void rawAnswersAreKeptOnlyWhenAsked()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        runSession(link, RequestSet::fromChoices(true, false));
        QCOMPARE(QDir(env.dataRoot() + "/tmp").entryList(QDir::Files), QStringList());

        settings::setValue(settings::SaveRawFiles, true);
        runSession(link, RequestSet::fromChoices(true, false));
        const QStringList kept = QDir(env.dataRoot() + "/tmp").entryList(QDir::Files);
        QCOMPARE(kept.size(), 3);
        for (const char* tag : {"ESN123456-as-", "ESN123456-n4-", "ESN123456-fh-"})
            QCOMPARE(kept.filter(QLatin1String(tag)).size(), 1);
        QCOMPARE(QFileInfo(env.dataRoot() + "/tmp/" + kept.filter("-n4-").first()).size(), 5874016);
        for (const QString& name : kept)
            QFile::remove(env.dataRoot() + "/tmp/" + name);
    }

    void cancelCutsOffTheAnswerAndNeverErases()
    {
        SimulatorProcess sim(simulatorOptions({"--fault", "stall:96:100000"}));
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        bool disconnected = false;
        connect(&link.socket(), &QTcpSocket::disconnected, this, [&] { disconnected = true; });
        runSession(link, RequestSet::fromChoices(true, true), [&](DownloadSession& session) {
            QVERIFY(waitFor([&] { return session.status(PostProcessAlgoStatus) == "Done"; }));
            QTest::qWait(100);
            session.cancel();
        });
        QVERIFY(disconnected);
        QCOMPARE(env.prompts().onlyMessage(),
                 QStringLiteral("Download / Erase|Download cancelled. The unit's memory was not erased."));
        QCOMPARE(logged().filter("CMD_ERASE_DATA"), QStringList());
    }

    void eraseThatNeverEndsTimesOut()
    {
        DownloadSession::timing().eraseTicks = 10;
        SimulatorProcess sim({"--erase-delay-ms", "2000"});
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        env.prompts().buttonAnswers << Prompts::Yes;  // erase without downloading
        const QStringList rows = runSession(link, RequestSet::fromChoices(false, true));
        QCOMPARE(rows.last(), QStringLiteral("Timeout"));
        QVERIFY(env.prompts().calls.last().text.contains("Erasing Bearing Data: Timeout"));
    }
};

QTEST_MAIN(DownloadSessionTest)
#include "test_download_session.moc"
