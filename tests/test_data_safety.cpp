// Data lands where it belongs, whole and once: a '%' in a name or a path is
// text in every path built from it, a file cut by a full disk is never
// committed, and sessions of the same minute never share the names of a set.

#include "FileSizeLimit.h"
#include "SampleAircraft.h"
#include "SampleFlight.h"
#include "TestEnvironment.h"
#include "core/AircraftCatalogue.h"
#include "core/CheckedSaveFile.h"
#include "core/Database.h"
#include "core/Settings.h"
#include "download/SessionFiles.h"
#include "export/AsciiExport.h"

#include <QtTest>
#include <latch>
#include <thread>

namespace {

const QDateTime kSessionTime(QDate(2026, 3, 5), QTime(14, 25));
const QString kStamp = QStringLiteral("20260305-1425");

// Names in a directory, hidden ones included, sorted.
QStringList entriesOf(const QString& directory)
{
    QStringList entries = QDir(directory).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    entries.sort();
    return entries;
}

}  // namespace

class DataSafetyTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    std::shared_ptr<FlightRecord> sample;

private slots:
    void initTestCase()
    {
        QCOMPARE(connectSQLite(), QString());
        sample = sampleflight::read(sampleflight::writeRawFile(env.path() + "/sample"));
    }

    // The session's files, deleting an aircraft's data and the export's flight directories.
    void percentSignsStayText_data()
    {
        QTest::addColumn<QString>("dataDir");
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("exportDir");
        for (const char* text : {"%1", "%2", "%%", "%L1"}) {
            const QString t = QLatin1String(text);
            QTest::addRow("data root %s", text) << "d" + t + "x" << "F-GABC" << "123456" << "out";
            QTest::addRow("registration %s", text) << "d" << t << "123456" << "out";
            QTest::addRow("engine serial %s", text) << "d" << "F-GABC" << "S" + t << "out";
            QTest::addRow("export directory %s", text) << "d" << "F-GABC" << "123456" << "o" + t + "ut";
        }
    }
    void percentSignsStayText()
    {
        QFETCH(QString, dataDir);
        QFETCH(QString, registration);
        QFETCH(QString, serial);
        QFETCH(QString, exportDir);
        const QString base = env.path() + "/paths";
        QDir(base).removeRecursively();
        settings::setValue(settings::DataDir, base + '/' + dataDir);
        const QString engineDirectory = base + '/' + dataDir + "/Mirvak/" + registration + "_data/engine_2";

        AircraftInfo aircraft = sampleAircraft();
        copyText(aircraft.registration, registration);
        QString failure;
        std::optional<SessionFiles> files =
            SessionFiles::reserve(engineDirectoryPath(aircraft, 2), serial, kSessionTime, failure);
        QVERIFY2(files, qPrintable(failure));
        QCOMPARE(files->rawFile(), engineDirectory + "/ESN" + serial + "-fd-" + kStamp + ".raw");
        QCOMPARE(files->report("fh"), engineDirectory + "/ESN" + serial + "-fh-" + kStamp + ".txt");
        QVERIFY(QFileInfo(engineDirectory).isDir());
        files.reset();

        QCOMPARE(catalogue::addAircraft(registration, {}, {}), QString());
        QCOMPARE(catalogue::removeAircraft(registration), QString());
        QCOMPARE(entriesOf(base + '/' + dataDir + "/Mirvak"), QStringList());

        auto flight = std::make_shared<FlightRecord>(*sample);
        copyText(flight->header.registration, registration);
        copyText(flight->header.unitEngineSerialNumber, serial);
        QVERIFY(exportFlights({flight}, base + '/' + exportDir).complete());
        const QStringList exported = entriesOf(base + '/' + exportDir);
        QCOMPARE(exported.size(), 1);
        QVERIFY2(exported[0].startsWith(registration + "-engine4-ESN" + serial + "-"), qPrintable(exported[0]));
        QCOMPARE(entriesOf(base + '/' + exportDir + '/' + exported[0]).size(), 15);
    }

    void cutFileIsNeverCommitted_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("limit");  // 0: none
        QTest::addColumn<QString>("failure");
        QTest::newRow("room for all") << 12000 << 0 << "";
        // Held in the file's buffer until the commit flushes it.
        QTest::newRow("cut inside the last buffer") << 12000 << 8192 << "File too large";
        // Written at once, and taken in part without an error.
        QTest::newRow("cut inside a write past the buffer") << 40000 << 20000 << "File too large";
    }
    void cutFileIsNeverCommitted()
    {
        QFETCH(int, size);
        QFETCH(int, limit);
        QFETCH(QString, failure);
        const QString directory = env.path() + "/commit";
        QDir(directory).removeRecursively();
        QDir().mkpath(directory);
        QString reason;
        {
            std::optional<FileSizeLimit> cut;
            if (limit > 0)
                cut.emplace(limit);
            CheckedSaveFile file(directory + "/file.txt");
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(size, 'x'));
            reason = file.commitWhole();
        }
        QCOMPARE(reason, failure);
        QCOMPARE(entriesOf(directory), failure.isEmpty() ? QStringList{"file.txt"} : QStringList());
    }

    // Sessions of the same engine serial number and minute, reserving at the
    // same moment: each gets a set of names of its own, and its lock goes with it.
    void sameMinuteSessionsNeverShareNames_data()
    {
        QTest::addColumn<QStringList>("present");  // in the engine directory before
        QTest::addColumn<QStringList>("rawFiles");  // the sessions' raw files
        const auto raws = [](int first) {
            QStringList names;
            for (int suffix = first; suffix < first + 4; ++suffix)
                names << "ESN123456-fd-" + kStamp + (suffix == 1 ? QString() : '-' + QString::number(suffix)) + ".raw";
            return names;
        };
        QTest::newRow("empty directory") << QStringList{} << raws(1);
        QTest::newRow("lock left by a program that died") << QStringList{".ESN123456-" + kStamp + ".lock"} << raws(2);
        QTest::newRow("an earlier session's set") << QStringList{"ESN123456-fh-" + kStamp + ".txt"} << raws(2);
    }
    void sameMinuteSessionsNeverShareNames()
    {
        QFETCH(QStringList, present);
        QFETCH(QStringList, rawFiles);
        const QString directory = env.path() + "/engine";
        QDir(directory).removeRecursively();
        QDir().mkpath(directory);
        for (const QString& name : present)
            QVERIFY(QFile(directory + '/' + name).open(QIODevice::WriteOnly));

        std::vector<std::optional<SessionFiles>> sessions(rawFiles.size());
        {
            std::latch ready(qsizetype(sessions.size()));
            std::vector<std::jthread> threads;
            for (auto& session : sessions)
                threads.emplace_back([&] {
                    ready.arrive_and_wait();
                    QString failure;
                    session = SessionFiles::reserve(directory, "123456", kSessionTime, failure);
                });
        }
        QStringList got;
        for (const auto& session : sessions) {
            QVERIFY(session);
            got << QFileInfo(session->rawFile()).fileName();
        }
        got.sort();
        rawFiles.sort();
        QCOMPARE(got, rawFiles);
        QCOMPARE(entriesOf(directory).filter(".lock").size(), present.filter(".lock").size() + qsizetype(sessions.size()));
        sessions.clear();
        QCOMPARE(entriesOf(directory), present);
    }
};

QTEST_GUILESS_MAIN(DataSafetyTest)
#include "test_data_safety.moc"
