// The aircraft catalogue: lookups, the directory import, and failures handed
// back as text instead of being shown.

#include "SqlRows.h"
#include "TestEnvironment.h"
#include "core/AircraftCatalogue.h"
#include "core/DataDirectories.h"
#include "core/Database.h"
#include "core/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QtTest>

#include <functional>
#include <map>

namespace {

const QString kRefusal = QStringLiteral("refused by the test");

void addEngine(const QString& registration, int sdi, const QString& type, const QString& sn)
{
    QSqlQuery query;
    query.prepare(QStringLiteral("INSERT INTO engine (aircraft_id, type, sn, sdi, install_date) "
                                 "VALUES ((SELECT id FROM aircraft WHERE tail_number = ?), ?, ?, ?, '2011-10-20')"));
    query.addBindValue(registration);
    query.addBindValue(type);
    query.addBindValue(sn);
    query.addBindValue(sdi);
    QVERIFY(query.exec());
}

// Makes the database refuse every statement of one kind on one table ("UPDATE ON engine").
void refuse(const QString& event)
{
    QVERIFY(QSqlQuery().exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 BEGIN SELECT RAISE(ABORT, '%2'); END")
                                 .arg(event, kRefusal)));
}

AircraftInfo requestRecord(const QString& registration)
{
    AircraftInfo record{};
    copyText(record.registration, registration);
    copyText(record.shopId, QStringLiteral("Shop"));
    return record;
}

// Every write of the catalogue, on the aircraft F-GABC with engine ESN-1 at SDI 1.
const std::map<QByteArray, std::function<QString()>>& writes()
{
    using namespace catalogue;
    static const std::map<QByteArray, std::function<QString()>> operations = {
        {"add aircraft", [] { return addAircraft("N-NEW", {}, {}); }},
        {"import", [] { return importAircraftDirectories().join('\n'); }},
        {"update aircraft", [] { return updateAircraft("F-GABC", "S", "C"); }},
        {"remove aircraft", [] { return removeAircraft("F-GABC"); }},
        {"add engine type", [] { return addEngineType("LEAP-1A"); }},
        {"remove engine type", [] { return removeEngineType("CFM56-5"); }},
        {"save details", [] { return saveAircraftDetails(requestRecord("F-GABC"), 1, {"T", "ESN-1", "2024"}); }},
        {"save new engine", [] { return saveAircraftDetails(requestRecord("F-GABC"), 1, {"T", "ESN-2", "2024"}); }},
    };
    return operations;
}

}  // namespace

class AircraftCatalogueTest : public QObject {
    Q_OBJECT
    TestEnvironment env;

private slots:
    void initTestCase() { QCOMPARE(connectSQLite(), QString()); }

    void init()
    {
        QSqlQuery().exec(QStringLiteral("DROP TRIGGER IF EXISTS refuse"));
        QSqlQuery().exec(QStringLiteral("ALTER TABLE engine_gone RENAME TO engine"));
        for (const char* table : {"engine", "aircraft"})
            QSqlQuery().exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
        QDir root(dataRootPath());
        for (const QString& directory : root.entryList({QStringLiteral("*_data")}, QDir::Dirs))
            QDir(root.filePath(directory)).removeRecursively();
        env.prompts().clear();
    }

    void lookupFillsTheRecord()
    {
        QCOMPARE(catalogue::addAircraft(QStringLiteral("F-GABC"), QStringLiteral("Shop'1"),
                                        QStringLiteral("O'Brien's\nsecond line")),
                 QString());
        addEngine("F-GABC", 1, "CFM56-5", "ESN-1");
        addEngine("F-GABC", 0, "CFM56-7", "ESN-4");
        addEngine("F-GABC", 7, "CFM56-9", "ESN-X");

        const AircraftInfo info = catalogue::aircraftInfo(QStringLiteral("F-GABC")).value;
        QCOMPARE(textOf(info.shopId), QStringLiteral("Shop'1"));
        QCOMPARE(textOf(info.comment), QStringLiteral("O'Brien's\nsecond line"));
        QCOMPARE(textOf(info.engines[0].serialNumber), QStringLiteral("ESN-1"));
        QCOMPARE(textOf(info.engines[0].installDate), QStringLiteral("2011-10-20"));
        QCOMPARE(textOf(info.engines[1].type), QString());
        QCOMPARE(textOf(info.engines[3].type), QStringLiteral("CFM56-7"));
        QCOMPARE(textOf(info.engines[3].serialNumber), QStringLiteral("ESN-4"));

        const AircraftInfo unknown = catalogue::aircraftInfo(QStringLiteral("N-NONE")).value;
        QCOMPARE(textOf(unknown.registration), QStringLiteral("N-NONE"));
        QCOMPARE(textOf(unknown.shopId), QString());
        QCOMPARE(textOf(unknown.engines[0].type), QString());

        // The download's record keeps two bytes of a field free, the flight selection's list one.
        QCOMPARE(catalogue::addAircraft(QStringLiteral("ABCDEFGHIJKLMNOP"), {}, {}), QString());
        QCOMPARE(textOf(catalogue::aircraftInfo(QStringLiteral("ABCDEFGHIJKLMNOP")).value.registration),
                 QStringLiteral("ABCDEFGHIJKLMNO"));
        const QList<AircraftInfo> list = catalogue::aircraftWithEngines().value;
        QCOMPARE(list.size(), 2);
        QCOMPARE(textOf(list[0].registration), QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(textOf(list[1].engines[3].serialNumber), QStringLiteral("ESN-4"));
        QVERIFY(env.prompts().calls.isEmpty());
        QCOMPARE(offsetof(AircraftInfo, engines[3]) + offsetof(EngineInfo, installDate), size_t(1228));
    }

    void addingKeepsAnExistingAircraft()
    {
        QCOMPARE(catalogue::addAircraft(QStringLiteral("F-GABC"), QStringLiteral("first"), QStringLiteral("c1")),
                 QString());
        QCOMPARE(catalogue::addAircraft(QStringLiteral("F-GABC"), QStringLiteral("second"), QStringLiteral("c2")),
                 QString());
        QCOMPARE(column("SELECT shop_id || comment FROM aircraft"), QStringList{"firstc1"});

        QCOMPARE(catalogue::addAircraft(QString(), QStringLiteral("x"), QStringLiteral("y")),
                 QStringLiteral("Invalid aircraft id."));
        QCOMPARE(column("SELECT COUNT(*) FROM aircraft"), QStringList{"1"});
        QVERIFY(env.prompts().calls.isEmpty());
    }

    void aircraftDirectoriesAreImported()
    {
        const QString root = dataRootPath();
        QDir().mkpath(root + QStringLiteral("/AB-CD_data"));
        QDir().mkpath(root + QStringLiteral("/X_data_data"));
        QDir().mkpath(root + QStringLiteral("/O'HARE_data"));
        QFile plain(root + QStringLiteral("/Y_data"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        QCOMPARE(catalogue::importAircraftDirectories(), QStringList());
        QCOMPARE(catalogue::importAircraftDirectories(), QStringList());
        QCOMPARE(column("SELECT tail_number FROM aircraft ORDER BY tail_number"),
                 (QStringList{"AB-CD", "O'HARE", "X"}));
        QFile::remove(plain.fileName());
        QVERIFY(env.prompts().calls.isEmpty());
    }

    // The folders are stored together: a database another program keeps busy
    // is told once, and no folder is stored until all can be.
    void aBusyDatabaseImportsNoFolder()
    {
        for (const char* registration : {"AB-CD", "EF-GH", "IJ-KL"})
            QVERIFY(QDir().mkpath(dataRootPath() + '/' + registration + "_data"));
        const int timeout = std::exchange(sqlite::busyTimeoutMs(), 50);
        QCOMPARE(connectSQLite(), QString());
        QStringList failures;
        {
            QSqlDatabase reader = sqlite::addConnection(databasePath(), QStringLiteral("reader"));
            QSqlQuery reading(reader.open() ? reader : QSqlDatabase());
            reading.exec(QStringLiteral("BEGIN"));
            reading.exec(QStringLiteral("SELECT * FROM aircraft"));
            failures = catalogue::importAircraftDirectories();
            reading.exec(QStringLiteral("COMMIT"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("reader"));
        sqlite::busyTimeoutMs() = timeout;
        QCOMPARE(connectSQLite(), QString());
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].contains(QStringLiteral("is busy")), qPrintable(failures[0]));
        QCOMPARE(column("SELECT COUNT(*) FROM aircraft"), QStringList{"0"});
        QCOMPARE(catalogue::importAircraftDirectories(), QStringList());
        QCOMPARE(column("SELECT COUNT(*) FROM aircraft"), QStringList{"3"});
    }

    void refusedWritesReturnTheDatabaseText_data()
    {
        QTest::addColumn<QByteArray>("operation");
        QTest::addColumn<QString>("refused");
        QTest::newRow("add aircraft") << QByteArray("add aircraft") << "INSERT ON aircraft";
        QTest::newRow("import") << QByteArray("import") << "INSERT ON aircraft";
        QTest::newRow("update aircraft") << QByteArray("update aircraft") << "UPDATE ON aircraft";
        QTest::newRow("remove engines") << QByteArray("remove aircraft") << "DELETE ON engine";
        QTest::newRow("remove aircraft") << QByteArray("remove aircraft") << "DELETE ON aircraft";
        QTest::newRow("add engine type") << QByteArray("add engine type") << "INSERT ON engine_type";
        QTest::newRow("remove engine type") << QByteArray("remove engine type") << "DELETE ON engine_type";
        QTest::newRow("save shop id") << QByteArray("save details") << "UPDATE ON aircraft";
        QTest::newRow("save known engine") << QByteArray("save details") << "UPDATE ON engine";
        QTest::newRow("save new engine") << QByteArray("save new engine") << "INSERT ON engine";
    }
    void refusedWritesReturnTheDatabaseText()
    {
        QFETCH(QByteArray, operation);
        QFETCH(QString, refused);
        QCOMPARE(catalogue::addAircraft("F-GABC", {}, {}), QString());
        addEngine("F-GABC", 1, "T", "ESN-1");
        QVERIFY(QDir().mkpath(dataRootPath() + QStringLiteral("/N-NEW_data")));
        refuse(refused);

        const QString failure = writes().at(operation)();
        QVERIFY2(failure.startsWith(kRefusal), qPrintable(failure));
        QVERIFY(!failure.contains('\n'));
        QVERIFY(env.prompts().calls.isEmpty());
    }

    void removalStopsAtTheRefusedStatement()
    {
        QCOMPARE(catalogue::addAircraft("F-GABC", {}, {}), QString());
        addEngine("F-GABC", 1, "T", "ESN-1");
        refuse(QStringLiteral("DELETE ON engine"));
        QVERIFY(!catalogue::removeAircraft("F-GABC").isEmpty());
        QCOMPARE(column("SELECT tail_number FROM aircraft"), QStringList{"F-GABC"});
    }

    void detailsOfAnUnknownAircraftAreRefused()
    {
        QCOMPARE(catalogue::saveAircraftDetails(requestRecord("N-NONE"), 1, {"T", "ESN-1", "2024"}),
                 QStringLiteral("Aircraft ID not found!"));
        QCOMPARE(column("SELECT COUNT(*) FROM engine"), QStringList{"0"});
    }

    void failedReadsKeepWhatWasRead()
    {
        QCOMPARE(catalogue::addAircraft("F-GABC", "Shop", {}), QString());
        QVERIFY(QSqlQuery().exec(QStringLiteral("ALTER TABLE engine RENAME TO engine_gone")));

        const catalogue::Fetched<AircraftInfo> record = catalogue::aircraftInfo("F-GABC");
        QVERIFY(record.failure.contains(QStringLiteral("engine")));
        QCOMPARE(textOf(record.value.shopId), QStringLiteral("Shop"));
        const catalogue::Fetched<QList<AircraftInfo>> list = catalogue::aircraftWithEngines();
        QVERIFY(list.failure.contains(QStringLiteral("engine")));
        QVERIFY(list.value.isEmpty());
        QCOMPARE(catalogue::registrations().value, QStringList{"F-GABC"});
        QVERIFY(env.prompts().calls.isEmpty());
    }
};

QTEST_MAIN(AircraftCatalogueTest)
#include "test_aircraft_catalogue.moc"
