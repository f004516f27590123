// The engine report as the specialist receives it: tolm-cli report and the
// windows' File › Engine Report… run on downloads of the real simulator, the
// PDF read back with pdftotext and qpdf.

#include "RawFiles.h"
#include "SimulatorProcess.h"
#include "TestEnvironment.h"
#include "SampleFlights.h"
#include "core/Database.h"
#include "core/Settings.h"
#include "flights/RawFileReader.h"
#include "plot/ui/PlotMainWindow.h"
#include "trend/ui/EngineTrendWindow.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString toolOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString pdfText(const QString& path) { return toolOutput("pdftotext", {"-layout", path, "-"}); }

int pageCount(const QString& path)
{
    const QString info = toolOutput("pdfinfo", {path});
    return QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
}

QStringList outlineTitles(const QString& path)
{
    const QJsonObject json = QJsonDocument::fromJson(toolOutput("qpdf", {"--json", path}).toUtf8()).object();
    QStringList titles;
    std::function<void(const QJsonArray&, const QString&)> walk = [&](const QJsonArray& entries, const QString& indent) {
        for (const QJsonValue& entry : entries) {
            titles.append(indent + entry["title"].toString());
            walk(entry["kids"].toArray(), indent + "  ");
        }
    };
    walk(json["outlines"].toArray(), QString());
    return titles;
}

// The cells of a status row of a text report ("Current Alarm:", then 4R, 3B, 4L).
QStringList statusCells(const QString& reportPath, const QString& label)
{
    for (const QString& line : QString::fromUtf8(contentsOf(reportPath)).split('\n'))
        if (line.startsWith(label))
            return {line.mid(26, 13).trimmed(), line.mid(39, 13).trimmed(), line.mid(52).trimmed()};
    return {};
}

}  // namespace

class TestEngineReport : public QObject {
    Q_OBJECT

    TestEnvironment env;
    QString dataDir;
    QString raw;  // a --varied download with its reports
    QString rawWithoutHistory;

    Run run(const QStringList& arguments, const QString& clock = "2026-12-08T12:00:00Z")
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", env.path() + "/home");
        environment.insert("XDG_CONFIG_HOME", env.path() + "/settings");
        environment.insert("TOLM_FIXED_CLOCK", clock);
        environment.remove("DISPLAY");  // the report needs no display
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(TOLM_CLI_PATH, arguments + QStringList{"--data-dir", dataDir});
        process.waitForFinished(180000);
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString download(SimulatorProcess& sim, const QStringList& more)
    {
        const Run result = run(QStringList{"download", "--address", "127.0.0.1", "--port", QString::number(sim.port()),
                                           "--registration", "F-GREP", "--shop-id", "Shop-7", "--comment",
                                           "borescope due", "--accept-incompatible", "--erase", "--erase-deactivated"}
                               + more);
        return result.out.split('\n').filter(".raw").value(0);
    }

private slots:
    void initTestCase()
    {
        dataDir = env.path() + "/data";
        SimulatorProcess sim({"--varied", "24", "--erase-delay-ms", "0"});
        QVERIFY(sim.port() != 0);
        rawWithoutHistory = download(sim, {"--skip", "flight-history"});
        raw = download(sim, {});
        QVERIFY(QFile::exists(raw) && QFile::exists(rawWithoutHistory));
        QCOMPARE(connectSQLite(), QString());
    }

    void reportHoldsWhatTheSpecialistReads_data()
    {
        QTest::addColumn<QString>("expected");
        RawFileHeader header;
        QFile file(raw);
        QVERIFY(file.open(QIODevice::ReadOnly) && readRawHeader(file, header).isEmpty());
        QTest::newRow("registration") << "F-GREP";
        QTest::newRow("unit part number") << QString::fromLatin1(header.unitPartNumber);
        QTest::newRow("DSP software") << QString::fromLatin1(header.dspProgPartNumber);
        QTest::newRow("download time")
            << QDateTime::fromSecsSinceEpoch(header.creationTime, QTimeZone::utc()).toString("yyyy-MM-dd HH:mm 'UTC'");
        QTest::newRow("shop id") << "Shop-7";
        QTest::newRow("comment") << "borescope due";
        QTest::newRow("version") << "Tolm 2.2.0";
        const QString ss = QString(raw).replace("-fd-", "-ss-").replace(".raw", ".txt");
        for (const QString label : {"Current Alarm:", "Historic Alarm:", "Algorithm Status:"})
            QTest::addRow("%s", qPrintable(label)) << label + ' ' + statusCells(ss, label).join(' ');
        for (int slot = 0; slot < kRawFlightCount; ++slot)
            if (header.flightNumbers[slot] != 0)
                QTest::addRow("flight %d", header.flightNumbers[slot]) << QString::number(header.flightNumbers[slot]);
        QTest::newRow("raw file's SHA-256")
            << QString::fromLatin1(QCryptographicHash::hash(contentsOf(raw), QCryptographicHash::Sha256).toHex());
        QTest::newRow("flight history") << "Last flight status:";
        // The varied unit's second download raises 4R; the trend's label may find no room, the list always does.
        QTest::newRow("alarm change listed") << "4R Current Alarm: No Event -> Level 1";
    }
    void reportHoldsWhatTheSpecialistReads()
    {
        QFETCH(QString, expected);
        static QString text;
        if (text.isEmpty()) {
            const Run result = run({"report", raw, "--out", env.path() + "/report.pdf"});
            QCOMPARE(result.status, 0);
            text = pdfText(env.path() + "/report.pdf").simplified();
        }
        QVERIFY2(text.contains(expected.simplified()), qPrintable(expected));
    }

    void outlineHasAnEntryPerSection()
    {
        const QString pdf = env.path() + "/outline.pdf";
        QCOMPARE(run({"report", rawWithoutHistory, "--out", pdf}).status, 0);
        const QStringList titles = outlineTitles(pdf);
        QCOMPARE(titles.filter(QRegularExpression("^\\S")),
                 QStringList({"Cover", "Status", "Flight history", "Trend", "Flights", "Appendix: files of the download"}));
        QVERIFY(!titles.filter(QRegularExpression("^  Flight \\d+ \\((pre|post)-defect\\)")).isEmpty());
        QVERIFY(pdfText(pdf).contains("Flight history: not recorded."));
    }

    // The plot window's report is of its first visible flight's download, the
    // trend window's of the engine's latest: both are the second download here.
    void windowsWriteTheDownloadsReport_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<bool>("intoEngineDirectory");
        QTest::newRow("plot window") << "plot" << false;
        QTest::newRow("trend window") << "trend" << false;
        QTest::newRow("never into the engine directory") << "trend" << true;
    }
    void windowsWriteTheDownloadsReport()
    {
        QFETCH(QString, window);
        QFETCH(bool, intoEngineDirectory);
        const QString exportPath = env.path() + "/exports";
        QDir().mkpath(exportPath);
        settings::setValue(settings::ExportPath, exportPath);
        const QString pdf = (intoEngineDirectory ? QFileInfo(raw).path() : exportPath) + "/window.pdf";
        QFile::remove(pdf);
        env.prompts().clear();
        env.prompts().fileAnswers.enqueue(pdf);

        std::unique_ptr<QMainWindow> shown;
        if (window == "plot")
            shown = std::make_unique<PlotMainWindow>(nullptr, readFlights(raw));
        else
            shown = std::make_unique<EngineTrendWindow>(nullptr, env.dataRoot(), env.dataRoot() + "/tolm.db");
        shown->findChild<QAction*>("actionEngineReport")->trigger();

        const QString stamp = QFileInfo(raw).completeBaseName().section("-fd-", 1);
        const QString serial = QFileInfo(raw).fileName().section("-fd-", 0, 0).mid(3);
        QCOMPARE(env.prompts().chooserDirs.value(0),
                 exportPath + "/F-GREP-ESN" + serial + "-" + stamp + "-report.pdf");
        if (intoEngineDirectory) {
            QCOMPARE(env.prompts().calls.last().text,
                     "Reports are not saved in the engine directory. Choose another folder.");
            QVERIFY(!QFile::exists(pdf));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pdf) && QApplication::overrideCursor() == nullptr, 60000);
        const QString sha = QCryptographicHash::hash(contentsOf(raw), QCryptographicHash::Sha256).toHex();
        QVERIFY(pdfText(pdf).contains(sha));
    }

    void pageCountFollowsThePostDefectFlights_data()
    {
        QTest::addColumn<int>("postDefect");
        QTest::addColumn<int>("pages");
        // Cover, status, history, trend, a page per chosen flight (the latest pre-defect one included), appendix.
        QTest::newRow("none") << 0 << 6;
        QTest::newRow("three") << 3 << 9;
        QTest::newRow("twelve: ten newest") << 12 << 16;
    }
    void pageCountFollowsThePostDefectFlights()
    {
        QFETCH(int, postDefect);
        QFETCH(int, pages);
        QList<RawSlot> slotList{{100, 0}};
        for (int i = 1; i <= postDefect; ++i)
            slotList.append({100 + i, 1});
        const QString name = QStringLiteral("ESN777-fd-20261208-10%1.raw").arg(postDefect, 2, 10, QLatin1Char('0'));
        const QString path = writeRaw(dataDir + "/Mirvak", "F-GPAG", 1, name, slotList);
        const QString pdf = env.path() + "/pages.pdf";
        QCOMPARE(run({"report", path, "--out", pdf}).status, 0);
        QCOMPARE(pageCount(pdf), pages);
        QCOMPARE(outlineTitles(pdf).filter(QRegularExpression("^  Flight")).size(), pages - 5);
    }

    void sameReportTwiceIsByteIdentical()
    {
        const QString first = env.path() + "/first.pdf";
        const QString second = env.path() + "/second.pdf";
        QCOMPARE(run({"report", raw, "--out", first}).status, 0);
        QCOMPARE(run({"report", raw, "--out", second}).status, 0);
        QVERIFY(!contentsOf(first).isEmpty());
        QVERIFY(contentsOf(first) == contentsOf(second));
        QVERIFY(contentsOf(first).contains("/CreationDate (D:20261208120000"));
        QVERIFY(QFileInfo(first).size() <= 3 * 1024 * 1024);
    }

    void missingOrRefusedRawFileLeavesNoPdf_data()
    {
        QTest::addColumn<QByteArray>("contents");  // empty: no file at all
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << "No such file";
        QByteArray tooLong(kRawFileSize + 1, '\0');
        qToLittleEndian(kRawMagic, tooLong.data());
        QTest::newRow("too long") << tooLong << "more than";
        QTest::newRow("unknown format") << QByteArray(700, 'x') << "unsupported file format";
    }
    void missingOrRefusedRawFileLeavesNoPdf()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        const QString path = env.path() + "/refused/ESN1-fd-20261208-1200.raw";
        QDir(env.path() + "/refused").removeRecursively();
        QDir().mkpath(env.path() + "/refused");
        if (!contents.isEmpty()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
        }
        const Run result = run({"report", path, "--out", env.path() + "/refused/report.pdf"});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains(reason), qPrintable(result.err));
        QCOMPARE(QDir(env.path() + "/refused").entryList({"*.pdf"}, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_MAIN(TestEngineReport)
#include "test_engine_report.moc"
