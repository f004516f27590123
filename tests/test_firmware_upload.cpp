// Update files and uploads into the simulator: packets on the wire, questions
// and outcomes.

#include "FakeUnit.h"
#include "LinkHelpers.h"
#include "SimulatorLog.h"
#include "SimulatorProcess.h"
#include "GuiTestEnvironment.h"
#include "core/AppIdentity.h"
#include "core/Settings.h"
#include "firmware/ui/FwUpdateDialog.h"
#include "firmware/UpdateFile.h"
#include "firmware/UploadQuestions.h"
#include "link/LinkClient.h"
#include "simulator/Crc32.h"
#include "simulator/ResponseBuilder.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QMessageBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QWidget>
#include <QtEndian>
#include <QtTest>

namespace {

QByteArray numbers(int count, bool finalLineFeed = true, int first = 1)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += QByteArray::number(first + i) + '\n';
    if (!finalLineFeed)
        text.chop(1);
    return text;
}

// The CRC of a packet as the unit receives it: 1280 big-endian words.
QString packetCrc(const QList<quint32>& words)
{
    QByteArray bytes(kPacketBytes, 0);
    for (int i = 0; i < words.size(); ++i)
        qToBigEndian(words[i], bytes.data() + 4 * i);
    return QString::number(crc32(bytes), 16).rightJustified(8, '0');
}

QList<quint32> sequence(int first, int count)
{
    QList<quint32> words;
    for (int i = 0; i < count; ++i)
        words << quint32(first + i);
    return words;
}

}  // namespace

class FirmwareUploadTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;
    QWidget window;
    SimulatorLog simulatorLog;

    QStringList simulatorOptions(const QStringList& more = {})
    {
        simulatorLog = SimulatorLog(env.path());
        return simulatorLog.quickOptions(more);
    }

    // "code size crc" of every request after the first part-number query.
    QStringList logged() const
    {
        QStringList requests;
        for (const QStringList& f : simulatorLog.requests())
            if (f.size() == 4)
                requests << f[0] + ' ' + f[2] + ' ' + f[3];
        return requests.mid(1);
    }

    // The command codes of logged().
    QStringList loggedCommands() const
    {
        QStringList commands;
        for (const QString& request : logged())
            commands << request.section(' ', 0, 0);
        return commands;
    }

    QString writeFile(const QString& name, const QByteArray& text)
    {
        const QString path = env.path() + '/' + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text);
        return path;
    }

    // Texts of the boxes and questions shown, without the file choosers.
    QStringList shown()
    {
        QStringList texts = env.prompts().texts();
        texts.removeAll(QStringLiteral("<open file>"));
        return texts;
    }

    // Chooses the file for a section, presses its "Update Software" and lets
    // the upload run; false when it has not ended in time.
    bool upload(FwUpdateDialog& dialog, const char* chooser, const char* update, const QString& path)
    {
        env.prompts().fileAnswers << path;
        dialog.findChild<QPushButton*>(chooser)->click();
        dialog.findChild<QPushButton*>(update)->click();
        return waitFor([&] { return !dialog.upload().busy(); });
    }

    void withDialog(LinkClient& link, const std::function<void(FwUpdateDialog&)>& use)
    {
        link.lend([&](LinkContext& context, PartNumberRecord& partNumbers) {
            FwUpdateDialog dialog(&window, context, partNumbers);
            use(dialog);
            return 0;
        });
    }

    void withLink(LinkClient& link, const std::function<void(LinkContext&, PartNumberRecord&)>& use)
    {
        link.lend([&](LinkContext& context, PartNumberRecord& partNumbers) {
            use(context, partNumbers);
            return 0;
        });
    }

private slots:
    void init()
    {
        env.resetSettings();
        env.clearPrompts();
        FirmwareUpload::timing() = FirmwareUpload::Timing{};
    }

    void updateFileWords_data()
    {
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<qlonglong>("value");  // -1: refused
        QTest::newRow("decimal") << QByteArray("4294967295") << 4294967295LL;
        QTest::newRow("hexadecimal") << QByteArray("0xDEADbeef") << 0xDEADBEEFLL;
        QTest::newRow("binary") << QByteArray("0b101") << 5LL;
        QTest::newRow("octal") << QByteArray("017") << 15LL;
        QTest::newRow("zero") << QByteArray("0") << 0LL;
        QTest::newRow("too large") << QByteArray("4294967296") << -1LL;
        QTest::newRow("negative") << QByteArray("-1") << -1LL;
        QTest::newRow("bad octal") << QByteArray("09") << -1LL;
        QTest::newRow("bare prefix") << QByteArray("0x") << -1LL;
        QTest::newRow("word") << QByteArray("abc") << -1LL;
        QTest::newRow("doubled hexadecimal prefix") << QByteArray("0x0x10") << -1LL;
        QTest::newRow("doubled mixed-case prefix") << QByteArray("0X0x1F") << -1LL;
        QTest::newRow("doubled binary prefix") << QByteArray("0b0b11") << -1LL;
        QTest::newRow("octal then hexadecimal prefix") << QByteArray("00x10") << -1LL;
        QTest::newRow("sign after the prefix") << QByteArray("0x+5") << -1LL;
    }
    void updateFileWords()
    {
        QFETCH(QByteArray, token);
        QFETCH(qlonglong, value);
        const auto word = parseUpdateWord(token);
        QCOMPARE(word ? qlonglong(*word) : -1LL, value);
    }

    void updateFilePackets_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("packets");
        QTest::addColumn<int>("words");
        QTest::newRow("1280 lines") << numbers(1280) << 1 << 1280;
        QTest::newRow("1281 lines") << numbers(1281) << 2 << 1281;
        QTest::newRow("1281 numbers, no final line feed") << numbers(1281, false) << 2 << 1281;
        QTest::newRow("blank lines count") << numbers(1280) + QByteArray(5, '\n') << 2 << 1280;
        QTest::newRow("two on a line") << QByteArray("1 2\r\n0x3\n") << 1 << 3;
    }
    void updateFilePackets()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, packets);
        QFETCH(int, words);
        QString failure;
        const auto file = UpdateFile::parse(text, failure);
        QVERIFY(file);
        QCOMPARE(file->packetCount(), packets);
        QCOMPARE(file->wordCount(), words);
        QCOMPARE(file->packet(packets - 1).size(), 1280);
    }

    void sectionsFollowTheUnitsMode()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        withDialog(link, [&](FwUpdateDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral(" Tolm for Advanced Korvel  2.2.0 - FW Update"));
            QVERIFY(!dialog.findChild<QGroupBox*>("mainGroupBox")->isEnabled());
            QVERIFY(dialog.findChild<QGroupBox*>("dspGroupBox")->isEnabled());
            QCOMPARE(dialog.findChild<QLineEdit*>("dspSWPN")->text(), QStringLiteral("QRSTUVWXYZABCDE"));
            dialog.findChild<QPushButton*>("buttonDspSwUpdate")->click();
        });
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Warning|Please select file first."));
    }

    void dspSoftwareInTwoPackets()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString path = writeFile("614_207000-2X.dat", numbers(1281));
        env.prompts().buttonAnswers << Prompts::Yes;  // the simulator's table is not compatible
        QString status;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            QVERIFY(upload(dialog, "buttonDspSwUpdateFile", "buttonDspSwUpdate", path));
            status = dialog.findChild<QLineEdit*>("dspSwStatus")->text();
            QCOMPARE(dialog.findChild<QLineEdit*>("dspSWUpdateFile")->text(), QStringLiteral("614_207000-2X.dat"));
            QCOMPARE(dialog.findChild<QLineEdit*>("dspSWPN")->text(), QStringLiteral(" QRSTUVWXYZABCDE"));
        });
        QCOMPARE(status, QStringLiteral("Upload complete!"));
        QCOMPARE(logged(), (QStringList{"242 5120 " + packetCrc(sequence(1, 1280)),
                                        "242 5120 " + packetCrc(sequence(1281, 1)), "1 4 2144df1c"}));
        QCOMPARE(shown()[0].left(40), QStringLiteral("The DSP SW you are about to upload is no"));
        QCOMPARE(env.prompts().calls.last().title + "|" + env.prompts().calls.last().text,
                 app::kShortTitle + "|Complete!");
        QCOMPARE(settings::text(settings::SwFilesDir), env.path());
    }

    void configurationTableIsFollowedByTheErase()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString path = writeFile("614_208000-2X.dat", "0x10\n\n7\n");
        env.prompts().buttonAnswers << Prompts::Yes << Prompts::Yes;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            QVERIFY(upload(dialog, "buttonDspCfgUpdateFile", "buttonDspCfgUpdate", path));
        });
        QList<quint32> words{16, 7};
        QCOMPARE(logged(), (QStringList{"243 5120 " + packetCrc(words), "1 4 2144df1c", "101 4 2144df1c"}));
        const QStringList texts = shown();
        QVERIFY(texts[0].startsWith("The Configuration Table you are about to upload is not compatible"));
        QCOMPARE(texts[1], QStringLiteral("The Tessel memory will be erased. Do you want to continue?"));
        QCOMPARE(texts[2], QStringLiteral("<note> Erasing Tessel memory. Please wait..."));
        QCOMPARE(texts[3], QStringLiteral("Done!"));
        QVERIFY(!env.prompts().noteShown);
    }

    void refusedFilesSendNothing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        const QString noNumber =
            QStringLiteral("The file holds no number; sending it would reprogram the unit with zeros.");
        QTest::newRow("bad token") << QByteArray("1\n2\n0x1G\n")
                                   << "Line 3: \"0x1G\" is not an unsigned 32-bit number.";
        QTest::newRow("doubled prefix") << QByteArray("1\n0x0x10\n")
                                        << "Line 2: \"0x0x10\" is not an unsigned 32-bit number.";
        QTest::newRow("empty") << QByteArray() << noNumber;
        QTest::newRow("blank lines only") << QByteArray("\n \r\n\t\n") << noNumber;
    }
    void refusedFilesSendNothing()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString path = writeFile("614_207000-2X.dat", text);
        env.prompts().buttonAnswers << Prompts::Yes;
        QString status;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            QVERIFY(upload(dialog, "buttonDspSwUpdateFile", "buttonDspSwUpdate", path));
            status = dialog.findChild<QLineEdit*>("dspSwStatus")->text();
            // Declining the compatibility question sends nothing either.
            env.prompts().buttonAnswers << Prompts::No;
            dialog.findChild<QPushButton*>("buttonDspSwUpdate")->click();
        });
        QCOMPARE(status, QStringLiteral("Upload failed - invalid file"));
        QCOMPARE(env.prompts().calls[2].title, QStringLiteral("Invalid Update File"));
        QVERIFY2(shown()[1].contains(reason), qPrintable(shown()[1]));
        QTest::qWait(100);
        QCOMPARE(logged(), QStringList());
    }

    void fileNameNotMatchingTheSectionAsks_data()
    {
        QTest::addColumn<bool>("uploadMode");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("section");  // the chooser's object name, "Update" replacing "UpdateFile"
        QTest::addColumn<QString>("kindText");
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("queries");  // requests the unit saw, the part-number query included
        QTest::newRow("main software, declined") << true << "614_207000-1A.dat" << "buttonMainSw"
                                                 << "a main processor software file (614_205*.dat)"
                                                 << int(Prompts::No) << 1;
        QTest::newRow("DSP software, declined") << false << "614_208000-2X.dat" << "buttonDspSw"
                                                << "a DSP software file (614_207*.dat)" << int(Prompts::No) << 1;
        QTest::newRow("configuration table, declined") << false << "table.dat" << "buttonDspCfg"
                                                       << "a DSP configuration table (614_208*.dat)"
                                                       << int(Prompts::No) << 1;
        QTest::newRow("DSP software, accepted") << false << "614_208000-2X.dat" << "buttonDspSw"
                                                << "a DSP software file (614_207*.dat)" << int(Prompts::Yes) << 3;
    }
    void fileNameNotMatchingTheSectionAsks()
    {
        QFETCH(bool, uploadMode);
        QFETCH(QString, fileName);
        QFETCH(QString, section);
        QFETCH(QString, kindText);
        QFETCH(int, answer);
        QFETCH(int, queries);
        ResponseBuilder builder;
        QByteArray identity = builder.build(mirvak::CMD_PN);
        if (uploadMode)
            std::memset(identity.data() + 136, 0, 64);  // no DSP part numbers
        FakeUnit unit;
        unit.answers << identity << builder.build(mirvak::CMD_REPROG_PROG_DSP) << identity;
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, unit.serverPort(), env.prompts()));
        const QString path = writeFile(fileName, numbers(10));
        env.prompts().buttonAnswers << Prompts::Button(answer) << Prompts::Yes;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            QVERIFY(upload(dialog, qPrintable(section + "UpdateFile"), qPrintable(section + "Update"), path));
        });
        const PromptCall asked = env.prompts().calls.value(1);
        QCOMPARE(asked.kind, Prompts::Kind::Question);
        QCOMPARE(asked.text, "The file name does not look like " + kindText + ". Upload it anyway?");
        QTest::qWait(100);
        QCOMPARE(unit.queries, queries);
    }

    void failedAcknowledgements_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("ack error") << "ack:242" << "Operation failed!";
        QTest::newRow("no answer") << "stall:242:0" << "Unknown error";
    }
    void failedAcknowledgements()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        FirmwareUpload::timing().packetWaitMs = 300;
        SimulatorProcess sim(simulatorOptions({"--fault", fault}));
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString path = writeFile("614_207000-2X.dat", numbers(3000));
        env.prompts().buttonAnswers << Prompts::Yes;
        QString status;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            QVERIFY(upload(dialog, "buttonDspSwUpdateFile", "buttonDspSwUpdate", path));
            status = dialog.findChild<QLineEdit*>("dspSwStatus")->text();
        });
        QCOMPARE(status, QStringLiteral("Upload failed!"));
        QCOMPARE(env.prompts().calls.last().text, message);
        QCOMPARE(logged().size(), 1);  // sending stopped at the first packet
    }

    void mainSoftwareEndsTheProgram()
    {
        ResponseBuilder builder;
        QByteArray uploadMode = builder.build(mirvak::CMD_PN);
        std::memset(uploadMode.data() + 136, 0, 64);  // no DSP part numbers
        FakeUnit unit;
        unit.answers << uploadMode << builder.build(mirvak::CMD_REPROG_PROG_MAIN) << uploadMode;
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, unit.serverPort(), env.prompts()));
        const QString path = writeFile("614_205000-1A.dat", numbers(10));
        withDialog(link, [&](FwUpdateDialog& dialog) {
            QVERIFY(dialog.findChild<QGroupBox*>("mainGroupBox")->isEnabled());
            QVERIFY(!dialog.findChild<QGroupBox*>("dspGroupBox")->isEnabled());
            QSignalSpy quitting(&dialog.upload(), &FirmwareUpload::mainSoftwareInstalled);
            QVERIFY(upload(dialog, "buttonMainSwUpdateFile", "buttonMainSwUpdate", path));
            QCOMPARE(quitting.count(), 1);
        });
        QCOMPARE(unit.queries, 3);
        QVERIFY(env.prompts().calls.last().text.startsWith("Upload complete!\n\nThe Tolm application will be closed."));
    }

    void packetAnswersMustBeBareAcknowledgements_data()
    {
        QTest::addColumn<QByteArray>("answer");
        ResponseBuilder builder;
        QByteArray withBlock = builder.build(mirvak::CMD_REPROG_PROG_DSP) + QByteArray(8, 0);  // one empty block
        qToBigEndian<quint32>(quint32(withBlock.size()), withBlock.data());
        QTest::newRow("part-number answer") << builder.build(mirvak::CMD_PN);
        QTest::newRow("acknowledgement with a block") << withBlock;
    }
    void packetAnswersMustBeBareAcknowledgements()
    {
        QFETCH(QByteArray, answer);
        FirmwareUpload::timing().packetWaitMs = 500;
        ResponseBuilder builder;
        FakeUnit unit;
        unit.answers << builder.build(mirvak::CMD_PN) << answer;
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, unit.serverPort(), env.prompts()));
        const QString path = writeFile("614_207000-2X.dat", numbers(1281));
        env.prompts().buttonAnswers << Prompts::Yes;
        QString status;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            QVERIFY(upload(dialog, "buttonDspSwUpdateFile", "buttonDspSwUpdate", path));
            status = dialog.findChild<QLineEdit*>("dspSwStatus")->text();
        });
        QCOMPARE(status, QStringLiteral("Upload failed!"));
        QCOMPARE(unit.queries, 2);  // the second packet is not sent
        const QStringList texts = shown();
        QCOMPARE(texts.mid(texts.size() - 2),
                 (QStringList{QStringLiteral("Packet 1 of 2: The unit's answer holds %1 bytes; 12 bytes were "
                                             "expected. The connection was closed.").arg(answer.size()),
                              QStringLiteral("Operation failed!")}));
    }

    // A configuration table is chosen, then a DSP upload runs; during its
    // second packet nothing may start another exchange on the connection.
    void oneUploadAtATime()
    {
        SimulatorProcess sim(simulatorOptions({"--reprog-delay-ms", "300"}));
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString dspPath = writeFile("614_207000-2X.dat", numbers(2561));
        const QString tablePath = writeFile("614_208000-2X.dat", numbers(3));
        env.prompts().answerDelayMs = 100;
        env.prompts().buttonAnswers << Prompts::Yes << Prompts::Yes << Prompts::Yes << Prompts::Yes;
        const QStringList buttons{"buttonMainSwUpdateFile", "buttonMainSwUpdate",    "buttonDspSwUpdateFile",
                                  "buttonDspSwUpdate",      "buttonDspCfgUpdateFile", "buttonDspCfgUpdate"};
        QStringList enabledDuringUpload;
        bool secondUploadStarted = true;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            env.prompts().fileAnswers << tablePath;
            dialog.findChild<QPushButton*>("buttonDspCfgUpdateFile")->click();
            connect(&dialog.upload(), &FirmwareUpload::statusChanged, &dialog, [&](int, const QString& text) {
                if (text != QStringLiteral("Uploading packet 2 of 3"))
                    return;
                QTimer::singleShot(100, &dialog, [&] {
                    for (const QString& name : buttons)
                        if (dialog.findChild<QPushButton*>(name)->isEnabled())
                            enabledDuringUpload << name;
                    dialog.findChild<QPushButton*>("buttonDspCfgUpdate")->click();
                    secondUploadStarted = dialog.upload().start(FirmwareUpload::DspConfigTable, tablePath);
                });
            });
            QVERIFY(upload(dialog, "buttonDspSwUpdateFile", "buttonDspSwUpdate", dspPath));
            QVERIFY(dialog.findChild<QPushButton*>("buttonDspCfgUpdate")->isEnabled());
        });
        QCOMPARE(loggedCommands(), (QStringList{"242", "242", "242", "1"}));
        QCOMPARE(enabledDuringUpload, QStringList());
        QVERIFY(!secondUploadStarted);
    }

    void closingDuringAnUploadCancelsIt_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("packetsSent");
        QTest::addColumn<QString>("outcome");
        const QString answered = "The upload was cancelled after packet 2 of 3.";
        QTest::newRow("Esc") << "Esc" << QString() << 2 << answered;
        QTest::newRow("Close button") << "button" << QString() << 2 << answered;
        QTest::newRow("window close") << "window" << QString() << 2 << answered;
        QTest::newRow("unit silent") << "Esc" << "stall:242:0" << 1
                                     << "The upload was cancelled: the unit did not answer packet 1 of 3 within 1.5 s.";
    }
    void closingDuringAnUploadCancelsIt()
    {
        QFETCH(QString, how);
        QFETCH(QString, fault);
        QFETCH(int, packetsSent);
        QFETCH(QString, outcome);
        FirmwareUpload::timing().packetWaitMs = 1500;
        QStringList options{"--reprog-delay-ms", "300"};
        if (!fault.isEmpty())
            options << "--fault" << fault;
        SimulatorProcess sim(simulatorOptions(options));
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString path = writeFile("614_207000-2X.dat", numbers(2561));
        env.prompts().answerDelayMs = 100;
        env.prompts().buttonAnswers << Prompts::Yes;
        bool visibleAfterClosing = false;
        QString statusAfterClosing;
        bool visibleAtTheEnd = true;
        QString status;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            dialog.show();
            const QString closeAt = QStringLiteral("Uploading packet %1 of 3").arg(packetsSent);
            connect(&dialog.upload(), &FirmwareUpload::statusChanged, &dialog, [&](int, const QString& text) {
                if (text != closeAt)
                    return;
                QTimer::singleShot(100, &dialog, [&] {
                    if (how == "Esc")
                        QTest::keyClick(&dialog, Qt::Key_Escape);
                    else if (how == "button")
                        dialog.findChild<QPushButton*>("cancelButton")->click();
                    else
                        dialog.close();
                    visibleAfterClosing = dialog.isVisible();
                    statusAfterClosing = dialog.findChild<QLineEdit*>("dspSwStatus")->text();
                });
            });
            QVERIFY(upload(dialog, "buttonDspSwUpdateFile", "buttonDspSwUpdate", path));
            visibleAtTheEnd = dialog.isVisible();
            status = dialog.findChild<QLineEdit*>("dspSwStatus")->text();
        });
        QVERIFY(visibleAfterClosing);  // the upload still holds the connection
        // At once: what happens and how long it may take.
        const QRegularExpression cancelling(QStringLiteral("Cancelling: waiting up to [12] s for the unit's answer to "
                                                           "packet %1 of 3").arg(packetsSent));
        QVERIFY2(cancelling.match(statusAfterClosing).hasMatch(), qPrintable(statusAfterClosing));
        QVERIFY(!visibleAtTheEnd);
        QCOMPARE(status, QStringLiteral("Upload cancelled"));
        QCOMPARE(loggedCommands(), QStringList(packetsSent, QStringLiteral("242")));
        QCOMPARE(env.prompts().calls.last().text,
                 outcome + "\n\nThe unit may hold a partial image: upload the file again before using the unit.");
    }

    void questionsBeforeAnUpload_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("unitDspSoftware");
        QTest::addColumn<QString>("unitTable");
        QTest::addColumn<QStringList>("questions");  // "title|text", in the order asked
        const QString mainName = "Tolm for Advanced Korvel|The file name does not look like a main processor "
                                 "software file (614_205*.dat). Upload it anyway?";
        const QString dspName = "Tolm for Advanced Korvel|The file name does not look like a DSP software file "
                                "(614_207*.dat). Upload it anyway?";
        const QString tableName = "Tolm for Advanced Korvel|The file name does not look like a DSP "
                                  "configuration table (614_208*.dat). Upload it anyway?";
        const QString dspNotFitting =
            "Warning|The DSP SW you are about to upload is not compatible with the Configuration Table currently "
            "loaded in the Korvel.\n\nAfter this operation, you shall imperatively load a compatible Configuration "
            "Table version.\n\nDo you want to continue?";
        const QString tableNotFitting =
            "Warning|The Configuration Table you are about to upload is not compatible with the DSP software "
            "currently loaded in the Korvel.\n\nAfter this operation, you shall imperatively load a compatible DSP "
            "software version.\n\nDo you want to continue?";
        const QString erase = "Warning|The Tessel memory will be erased. Do you want to continue?";
        QTest::newRow("main software") << 0 << "614_205000-1A.dat" << "" << "" << QStringList();
        QTest::newRow("main software, other name") << 0 << "614_207000-1A.dat" << "" << ""
                                                   << QStringList{mainName};
        QTest::newRow("DSP software fitting the table") << 1 << "614_207000-2X.dat" << "614_207000-2X"
                                                        << "614_208000-2X" << QStringList();
        QTest::newRow("name in lower case") << 1 << "614_207000-2x.DAT" << "" << "614_208000-2x" << QStringList();
        QTest::newRow("DSP software not fitting") << 1 << "614_207000-2X.dat" << "614_207000-2X"
                                                  << "614_208000-2Y" << QStringList{dspNotFitting};
        QTest::newRow("other name, not fitting") << 1 << "614_208000-2X.dat" << "" << "614_208000-2Y"
                                                 << QStringList{dspName, dspNotFitting};
        QTest::newRow("table fitting the DSP software") << 2 << "614_208000-2X.dat" << "614_207000-2X"
                                                        << "614_208000-2A" << QStringList{erase};
        QTest::newRow("table not fitting") << 2 << "614_208000-2X.dat" << "614_207000-2Z" << ""
                                           << QStringList{tableNotFitting, erase};
        QTest::newRow("table, other name, no DSP software") << 2 << "table.dat" << "" << ""
                                                            << QStringList{tableName, erase};
    }
    void questionsBeforeAnUpload()
    {
        QFETCH(int, kind);
        QFETCH(QString, fileName);
        QFETCH(QString, unitDspSoftware);
        QFETCH(QString, unitTable);
        QFETCH(QStringList, questions);
        PartNumberRecord unit{};
        qstrncpy(unit.dspProgPartNumber, qPrintable(unitDspSoftware), sizeof unit.dspProgPartNumber);
        qstrncpy(unit.dspConfigTablePartNumber, qPrintable(unitTable), sizeof unit.dspConfigTablePartNumber);
        QStringList asked;
        for (const UploadQuestion& question : uploadQuestions(FirmwareUpload::Kind(kind), fileName, unit)) {
            // The file name is a question; whatever may harm the unit is a warning.
            const Prompts::Kind expected = question.title == QLatin1String("Warning") ? Prompts::Kind::Warning
                                                                                      : Prompts::Kind::Question;
            QCOMPARE(question.kind, expected);
            asked << question.title.trimmed() + '|' + question.text;
        }
        QCOMPARE(asked, questions);
    }

    // start() hands the upload to the event loop: it returns before the first
    // packet is answered and refuses a second upload until the first has ended.
    void uploadRunsFromTheEventLoop()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString path = writeFile("614_207000-2X.dat", numbers(1281));
        QStringList statuses;
        withLink(link, [&](LinkContext& context, PartNumberRecord& partNumbers) {
            FirmwareUpload upload(context, partNumbers, &window);
            connect(&upload, &FirmwareUpload::statusChanged, &upload,
                    [&](int, const QString& text) { statuses << text; });
            QSignalSpy finished(&upload, &FirmwareUpload::finished);
            QVERIFY(upload.start(FirmwareUpload::DspSoftware, path));
            QCOMPARE(statuses, (QStringList{"Initiating upload", "Uploading packet 1 of 2"}));
            QVERIFY(!upload.start(FirmwareUpload::DspConfigTable, path));
            QVERIFY(finished.wait(10000));
            QCOMPARE(finished.count(), 1);
            QCOMPARE(finished.first().first().toBool(), true);
            QVERIFY(!upload.busy());
        });
        QCOMPARE(statuses.last(), QStringLiteral("Upload complete!"));
        QCOMPARE(loggedCommands(), (QStringList{"242", "242", "1"}));
    }

    // An upload that goes away with a packet on the wire closes the connection:
    // the late acknowledgement must not reach whoever uses it next.
    void uploadGoneMidPacketClosesTheConnection()
    {
        ResponseBuilder builder;
        FakeUnit unit;
        unit.answers << builder.build(mirvak::CMD_PN);  // the packet stays unanswered
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, unit.serverPort(), env.prompts()));
        const QString path = writeFile("614_207000-2X.dat", numbers(10));
        bool connectedAfterwards = true;
        withLink(link, [&](LinkContext& context, PartNumberRecord& partNumbers) {
            {
                FirmwareUpload upload(context, partNumbers, &window);
                upload.start(FirmwareUpload::DspSoftware, path);
                QVERIFY(waitFor([&] { return unit.queries == 2; }, 10000));
            }
            connectedAfterwards = context.socket->state() == QAbstractSocket::ConnectedState;
        });
        QVERIFY(!connectedAfterwards);
    }

    // Every message of the upload is answered long after the time limit of a
    // request: while one is open no request is outstanding and no time runs.
    void lateAnswersDuringTheUpload_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QStringList>("messages");  // beginnings of the texts after the questions
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QString>("status");
        const QString note = QStringLiteral("<note> Erasing Tessel memory. Please wait...");
        QTest::newRow("table and erase") << 2 << QString() << QStringList{note, "Done!"}
                                         << QStringList{"243", "243", "1", "101"} << "Upload complete!";
        QTest::newRow("erase not answered")
            << 2 << "stall:101:0" << QStringList{note, "The erase was not confirmed: no answer within 0.3 s.", "Failed!"}
            << QStringList{"243", "243", "1", "101"} << "Upload complete!";
        QTest::newRow("erase refused")
            << 2 << "ack:101" << QStringList{note, "The erase was not confirmed: Detected ACK error", "Failed!"}
            << QStringList{"243", "243", "1", "101"} << "Upload complete!";
        QTest::newRow("DSP software") << 1 << QString() << QStringList{"Complete!"}
                                      << QStringList{"242", "242", "1"} << "Upload complete!";
        QTest::newRow("refused packet") << 1 << "ack:242" << QStringList{"Packet 1 of 2: ", "Operation failed!"}
                                        << QStringList{"242"} << "Upload failed!";
        QTest::newRow("silent unit") << 1 << "stall:242:0" << QStringList{"Unknown error"} << QStringList{"242"}
                                     << "Upload failed!";
    }
    void lateAnswersDuringTheUpload()
    {
        QFETCH(int, kind);
        QFETCH(QString, fault);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, commands);
        QFETCH(QString, status);
        FirmwareUpload::timing() = {200, 300};
        QStringList options;
        if (!fault.isEmpty())
            options << "--fault" << fault;
        SimulatorProcess sim(simulatorOptions(options));
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const bool table = kind == FirmwareUpload::DspConfigTable;
        const QString path = writeFile(table ? "614_208000-2X.dat" : "614_207000-2X.dat", numbers(1281));
        env.prompts().answerDelayMs = 600;
        env.prompts().buttonAnswers << Prompts::Yes << Prompts::Yes;
        QString shownStatus;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            if (table)
                QVERIFY(upload(dialog, "buttonDspCfgUpdateFile", "buttonDspCfgUpdate", path));
            else
                QVERIFY(upload(dialog, "buttonDspSwUpdateFile", "buttonDspSwUpdate", path));
            shownStatus = dialog.findChild<QLineEdit*>(table ? "dspConfigStatus" : "dspSwStatus")->text();
        });
        const QStringList texts = shown().mid(table ? 2 : 1);  // after the questions
        QCOMPARE(texts.size(), messages.size());
        for (int i = 0; i < texts.size(); ++i)
            QVERIFY2(texts[i].startsWith(messages[i]), qPrintable(texts[i]));
        QCOMPARE(loggedCommands(), commands);
        QCOMPARE(shownStatus, status);
    }

    // Closing while a question before the upload is open stops there: the
    // next question is not asked and nothing is sent.
    void closingWhileAskingSendsNothing()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString path = writeFile("614_208000-2X.dat", numbers(3));
        env.prompts().answerDelayMs = 300;
        env.prompts().buttonAnswers << Prompts::Yes << Prompts::Yes;
        bool visibleAtTheEnd = true;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            dialog.show();
            QTimer::singleShot(100, &dialog, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
            QVERIFY(upload(dialog, "buttonDspCfgUpdateFile", "buttonDspCfgUpdate", path));
            visibleAtTheEnd = dialog.isVisible();
        });
        QVERIFY(!visibleAtTheEnd);
        QCOMPARE(shown().size(), 1);
        QVERIFY(shown()[0].startsWith("The Configuration Table you are about to upload is not compatible"));
        QTest::qWait(100);
        QCOMPARE(logged(), QStringList());
    }

    // Once every packet is acknowledged the image is whole: closing waits for
    // the part numbers and the erase, and nothing speaks of a partial image.
    void closingAfterTheLastPacketLetsTheUploadEnd()
    {
        SimulatorProcess sim(simulatorOptions({"--erase-delay-ms", "500"}));
        LinkClient link(&window);
        QVERIFY(identifyUnit(link, sim.port(), env.prompts()));
        const QString path = writeFile("614_208000-2X.dat", numbers(3));
        env.prompts().answerDelayMs = 100;
        env.prompts().buttonAnswers << Prompts::Yes << Prompts::Yes;
        bool visibleAfterClosing = false;
        bool visibleAtTheEnd = true;
        withDialog(link, [&](FwUpdateDialog& dialog) {
            dialog.show();
            connect(&dialog.upload(), &FirmwareUpload::statusChanged, &dialog, [&](int, const QString& text) {
                if (text != QStringLiteral("Upload complete!"))
                    return;
                QTimer::singleShot(100, &dialog, [&] {
                    dialog.close();
                    visibleAfterClosing = dialog.isVisible();
                });
            });
            QVERIFY(upload(dialog, "buttonDspCfgUpdateFile", "buttonDspCfgUpdate", path));
            visibleAtTheEnd = dialog.isVisible();
        });
        QVERIFY(visibleAfterClosing);
        QVERIFY(!visibleAtTheEnd);
        QCOMPARE(loggedCommands(), (QStringList{"243", "1", "101"}));
        QCOMPARE(shown().last(), QStringLiteral("Done!"));
        QVERIFY(!shown().join('\n').contains("partial image"));
    }

    void erasingNoteHasNoButton()
    {
        WidgetPrompts widgets;
        widgets.showNote(&window, app::kShortTitle, QStringLiteral("Erasing Tessel memory. Please wait..."));
        const QList<QMessageBox*> notes = window.findChildren<QMessageBox*>();
        QCOMPARE(notes.size(), 1);
        QMessageBox* note = notes.first();
        QVERIFY(note->isVisible());
        for (const QAbstractButton* button : note->findChildren<QAbstractButton*>())
            QVERIFY2(!button->isVisible(), qPrintable(button->text()));
        // The technician cannot dismiss it during the erase.
        QTest::keyClick(note, Qt::Key_Escape);
        note->close();
        QVERIFY(note->isVisible());
        widgets.closeNote();
        QVERIFY(window.findChildren<QMessageBox*>().isEmpty());
    }
};

QTEST_MAIN(FirmwareUploadTest)
#include "test_firmware_upload.moc"
