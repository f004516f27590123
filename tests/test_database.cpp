// The aircraft database: file, legacy move and schema.

#include "SqlRows.h"
#include "TestEnvironment.h"
#include "core/Database.h"
#include "core/DataDirectories.h"
#include "core/Settings.h"
#include "core/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>
#include <future>
#include <thread>

namespace {

void closeDatabase()
{
    {
        QSqlDatabase db = QSqlDatabase::database(QSqlDatabase::defaultConnection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(QSqlDatabase::defaultConnection);
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

    // A data directory given for one run (tolm-cli --data-dir) starts its own database.
    void runOnlyDataTreeLeavesTheLegacyFile()
    {
        prepareFile(legacy, {"CREATE TABLE other (x)"});
        settings::overrideDataDir(env.path() + QStringLiteral("/run-only"));
        const QString failure = connectSQLite();
        const QString path = databasePath();
        settings::overrideDataDir(std::nullopt);
        QCOMPARE(failure, QString());
        QCOMPARE(path, env.path() + QStringLiteral("/run-only/Mirvak/tolm.db"));
        QVERIFY(QFile::exists(legacy));
        QCOMPARE(column("SELECT type FROM engine_type"), QStringList{"CFM56-5"});
        QCOMPARE(settings::text(settings::DataDir), env.dataDir());  // the stored tree stays
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

    // A second program starting on the same new data root creates part of the
    // schema while this one starts: neither may fail, the schema is made once.
    void schemaCreatedMeanwhileByAnotherProgram()
    {
        dataRootPath();
        std::promise<void> holding;
        std::thread other([path = databasePath(), &holding] {
            {
                QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
                db.setDatabaseName(path);
                db.open();
                QSqlQuery query(db);
                query.exec(QStringLiteral("BEGIN IMMEDIATE"));
                query.exec(QStringLiteral("CREATE TABLE aircraft (id INTEGER PRIMARY KEY,tail_number CHAR(20) NOT "
                                          "NULL,shop_id CHAR(20),comment TEXT,UNIQUE (tail_number))"));
                holding.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(500));  // while this program starts
                query.exec(QStringLiteral("COMMIT"));
            }
            QSqlDatabase::removeDatabase(QStringLiteral("other"));
        });
        holding.get_future().wait();
        const QString failure = connectSQLite();
        other.join();
        QCOMPARE(failure, QString());
        QStringList tables = QSqlDatabase::database().tables(QSql::Tables);
        tables.sort();
        QCOMPARE(tables, (QStringList{"aircraft", "engine", "engine_type"}));
        QCOMPARE(column("SELECT type FROM engine_type"), QStringList{"CFM56-5"});
    }

    // A database another program keeps locked at start says so and names its file.
    void busyDatabaseIsNamed()
    {
        QCOMPARE(connectSQLite(), QString());
        closeDatabase();
        const int savedTimeout = std::exchange(sqlite::busyTimeoutMs(), 100);
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(databasePath());
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec(QStringLiteral("BEGIN EXCLUSIVE")));
            connectDB();
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        sqlite::busyTimeoutMs() = savedTimeout;
        QCOMPARE(env.prompts().onlyMessage(),
                 QStringLiteral("connectDB|The database \"") + QDir::toNativeSeparators(databasePath())
                     + QStringLiteral("\" is busy: another program kept it locked for 0.1 s. Try again when it is done."));
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
};

QTEST_MAIN(DatabaseTest)
#include "test_database.moc"
