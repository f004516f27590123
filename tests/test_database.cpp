// The aircraft database: file, schema, lookups and the directory import.

#include "TestEnvironment.h"
#include "core/Database.h"
#include "core/DataDirectories.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

namespace {

void closeDatabase()
{
    {
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
}

QStringList column(const QString& statement)
{
    QStringList values;
    QSqlQuery query(statement);
    while (query.next())
        values << query.value(0).toString();
    return values;
}

// Runs statements on a database file of its own, outside the default connection.
void prepareFile(const QString& path, const QStringList& statements)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("prep"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& statement : statements)
            QVERIFY2(QSqlQuery(db).exec(statement), qPrintable(statement));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("prep"));
}

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

AircraftInfo lookUp(const QString& registration)
{
    AircraftInfo info{};
    copyText(info.registration, registration);
    GetAircraftInfo(info);
    return info;
}

}  // namespace

class DatabaseTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    QString legacy;

private slots:
    void initTestCase()
    {
        qputenv("HOME", env.path().toLocal8Bit());
        legacy = env.path() + QStringLiteral("/.tolm.db");
        QCOMPARE(legacyDatabasePath(), legacy);
    }

    void init()
    {
        closeDatabase();
        QFile::remove(databasePath());
        QFile::remove(legacy);
        QDir(env.dataRoot()).removeRecursively();
        env.resetSettings();
        env.prompts().clear();
    }

    void firstStartCreatesTheSchema()
    {
        QCOMPARE(connectSQLite(), QString());
        QVERIFY(QFile::exists(env.dataRoot() + QStringLiteral("/tolm.db")));
        QStringList tables = QSqlDatabase::database().tables(QSql::Tables);
        tables.sort();
        QCOMPARE(tables, (QStringList{"aircraft", "engine", "engine_type"}));
        QCOMPARE(QSqlDatabase::database().tables(QSql::Views), QStringList{"v"});
        QCOMPARE(column("SELECT type FROM engine_type"), QStringList{"CFM56-5"});
    }

    void legacyFileIsMovedOnce()
    {
        prepareFile(legacy, {"CREATE TABLE aircraft (id INTEGER PRIMARY KEY,tail_number CHAR(20) NOT "
                             "NULL,shop_id CHAR(20),comment TEXT,UNIQUE (tail_number))",
                             "INSERT INTO aircraft (tail_number) VALUES ('F-OLD')"});
        QCOMPARE(connectSQLite(), QString());
        QVERIFY(!QFile::exists(legacy));
        QCOMPARE(column("SELECT tail_number FROM aircraft"), QStringList{"F-OLD"});
        QCOMPARE(column("SELECT type FROM engine_type"), QStringList{"CFM56-5"});

        // With both files present the new one is used and the old one stays.
        closeDatabase();
        prepareFile(legacy, {"CREATE TABLE other (x)"});
        QCOMPARE(connectSQLite(), QString());
        QVERIFY(QFile::exists(legacy));
        QCOMPARE(column("SELECT tail_number FROM aircraft"), QStringList{"F-OLD"});
        QVERIFY(env.prompts().calls.isEmpty());
    }

    void onlyMissingObjectsAreCreated()
    {
        dataRootPath();
        prepareFile(databasePath(),
                    {"CREATE TABLE aircraft (id INTEGER PRIMARY KEY,tail_number CHAR(20) NOT NULL,"
                     "shop_id CHAR(20),comment TEXT,UNIQUE (tail_number))",
                     "INSERT INTO aircraft (tail_number, shop_id) VALUES ('D-ABCD', 'S1')"});
        QCOMPARE(connectSQLite(), QString());
        QCOMPARE(column("SELECT shop_id FROM aircraft"), QStringList{"S1"});
        QCOMPARE(column("SELECT type FROM engine_type"), QStringList{"CFM56-5"});
        QVERIFY(QSqlDatabase::database().tables().contains("engine"));
        QCOMPARE(QSqlDatabase::database().tables(QSql::Views), QStringList{"v"});
    }

    void unopenableDatabaseIsReported()
    {
        QDir().mkpath(databasePath());  // a directory where the file should be
        connectDB();
        QCOMPARE(env.prompts().calls.size(), 1);
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("connectDB"));
        QCOMPARE(env.prompts().calls[0].kind, Prompts::Kind::Critical);
        QVERIFY(!env.prompts().calls[0].text.isEmpty());
    }

    void lookupFillsTheRecord()
    {
        QCOMPARE(connectSQLite(), QString());
        QCOMPARE(AddAircraft(QStringLiteral("F-GABC"), QStringLiteral("Shop'1"),
                             QStringLiteral("O'Brien's\nsecond line")),
                 0);
        addEngine("F-GABC", 1, "CFM56-5", "ESN-1");
        addEngine("F-GABC", 0, "CFM56-7", "ESN-4");
        addEngine("F-GABC", 7, "CFM56-9", "ESN-X");

        const AircraftInfo info = lookUp(QStringLiteral("F-GABC"));
        QCOMPARE(textOf(info.shopId), QStringLiteral("Shop'1"));
        QCOMPARE(textOf(info.comment), QStringLiteral("O'Brien's\nsecond line"));
        QCOMPARE(textOf(info.engines[0].serialNumber), QStringLiteral("ESN-1"));
        QCOMPARE(textOf(info.engines[0].installDate), QStringLiteral("2011-10-20"));
        QCOMPARE(textOf(info.engines[1].type), QString());
        QCOMPARE(textOf(info.engines[3].type), QStringLiteral("CFM56-7"));
        QCOMPARE(textOf(info.engines[3].serialNumber), QStringLiteral("ESN-4"));

        const AircraftInfo unknown = lookUp(QStringLiteral("N-NONE"));
        QCOMPARE(textOf(unknown.registration), QStringLiteral("N-NONE"));
        QCOMPARE(textOf(unknown.shopId), QString());
        QCOMPARE(textOf(unknown.engines[0].type), QString());

        QCOMPARE(AddAircraft(QStringLiteral("ABCDEFGHIJKLMNOP"), {}, {}), 0);
        QCOMPARE(textOf(lookUp(QStringLiteral("ABCDEFGHIJKLMNOP")).registration),
                 QStringLiteral("ABCDEFGHIJKLMNO"));
        QVERIFY(env.prompts().calls.isEmpty());
        QCOMPARE(offsetof(AircraftInfo, engines[3]) + offsetof(EngineInfo, installDate), size_t(1228));
    }

    void addingKeepsAnExistingAircraft()
    {
        QCOMPARE(connectSQLite(), QString());
        QCOMPARE(AddAircraft(QStringLiteral("F-GABC"), QStringLiteral("first"), QStringLiteral("c1")), 0);
        QCOMPARE(AddAircraft(QStringLiteral("F-GABC"), QStringLiteral("second"), QStringLiteral("c2")), 0);
        QCOMPARE(column("SELECT shop_id || comment FROM aircraft"), QStringList{"firstc1"});

        QCOMPARE(AddAircraft(QString(), QStringLiteral("x"), QStringLiteral("y")), -1);
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Add Aircraft|Invalid aircraft id."));
        QCOMPARE(column("SELECT COUNT(*) FROM aircraft"), QStringList{"1"});
    }

    void aircraftDirectoriesAreImported()
    {
        QCOMPARE(connectSQLite(), QString());
        const QString root = dataRootPath();
        QDir().mkpath(root + QStringLiteral("/AB-CD_data"));
        QDir().mkpath(root + QStringLiteral("/X_data_data"));
        QDir().mkpath(root + QStringLiteral("/O'HARE_data"));
        QFile plain(root + QStringLiteral("/Y_data"));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        checkDataDirectories(nullptr);
        checkDataDirectories(nullptr);
        QCOMPARE(column("SELECT tail_number FROM aircraft ORDER BY tail_number"),
                 (QStringList{"AB-CD", "O'HARE", "X"}));
        QVERIFY(env.prompts().calls.isEmpty());
    }
};

QTEST_MAIN(DatabaseTest)
#include "test_database.moc"
