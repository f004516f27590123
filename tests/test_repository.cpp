// The fleet repository against a real PostgreSQL: the throw-away server that
// pg_virtualenv starts for this program (PGHOST, PGPORT, PGUSER and
// PGPASSWORD name its owner). Two stations, each with its own settings store
// and data tree, run the real tolm-cli as their own login roles, their
// passwords in a password file.

#include "LinkHelpers.h"
#include "RawFiles.h"
#include "TestEnvironment.h"
#include "repository/PgConnection.h"

#include <QProcess>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <csignal>
#include <functional>
#include <memory>
#include <QtTest>

using repository::PgConnection;
using repository::PgParam;

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

struct Station {
    QString name;
    QString home;
    QString role;
    QString dataRoot() const { return home + QStringLiteral("/data/Mirvak"); }
};

// Forwards clients to the server. Once more than passBytes came from a
// client it calls whenPassed, or without one holds: nothing more is passed
// either way and the sockets stay open, as on a network gone silent.
class Relay : public QObject {
public:
    explicit Relay(qint64 passBytes, std::function<void()> whenPassed = {})
        : passBytes_(passBytes), whenPassed_(std::move(whenPassed))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* client = server_.nextPendingConnection();
            auto* upstream = new QTcpSocket(client);
            upstream->connectToHost(QHostAddress::LocalHost, quint16(qEnvironmentVariableIntValue("PGPORT")));
            connect(client, &QTcpSocket::readyRead, this, [=, this] { forward(client, upstream, true); });
            connect(upstream, &QTcpSocket::readyRead, this, [=, this] { forward(upstream, client, false); });
            connect(upstream, &QTcpSocket::disconnected, client, [=] { client->disconnectFromHost(); });
            connect(client, &QTcpSocket::disconnected, upstream, [=] { upstream->disconnectFromHost(); });
        });
    }
    quint16 port() const { return server_.serverPort(); }
    bool held() const { return held_; }
    void hold() { held_ = true; }

private:
    void forward(QTcpSocket* from, QTcpSocket* to, bool fromClient)
    {
        if (held_)
            return;
        const QByteArray bytes = from->readAll();
        to->write(bytes);
        if (!fromClient || passed_ > passBytes_ || (passed_ += bytes.size()) <= passBytes_)
            return;
        if (whenPassed_)
            whenPassed_();
        else
            held_ = true;
    }

    QTcpServer server_;
    qint64 passBytes_;
    std::function<void()> whenPassed_;
    qint64 passed_ = 0;
    bool held_ = false;
};

}  // namespace

class TestRepository : public QObject {
    Q_OBJECT

    TestEnvironment env;
    Station a{QStringLiteral("line-a"), {}, QStringLiteral("station_a")};
    Station b{QStringLiteral("base-b"), {}, QStringLiteral("station_b")};

    // The owner's connection: pg_virtualenv's environment names it.
    static QString owner(const QString& database = QStringLiteral("fleet"))
    {
        return QStringLiteral("dbname=") + database;
    }

    static QStringList ownerRows(const char* statement, const QString& database = QStringLiteral("fleet"))
    {
        PgConnection connection;
        if (!connection.open(owner(database)))
            return {connection.failure()};
        const auto result = connection.exec(statement);
        if (!result)
            return {connection.failure()};
        QStringList rows;
        for (int row = 0; row < result->rows(); ++row)
            rows << result->text(row, 0);
        return rows;
    }

    static bool ownerRun(const char* statement, const QString& database = QStringLiteral("fleet"))
    {
        PgConnection connection;
        return connection.open(owner(database)) && connection.run(statement);
    }

    std::unique_ptr<QProcess> start(const Station& station, const QStringList& arguments, const QStringList& changes = {})
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", station.home);
        environment.insert("XDG_CONFIG_HOME", station.home + "/settings");
        environment.insert("PGPASSFILE", env.path() + "/pgpass");
        environment.insert("PGUSER", station.role);
        environment.remove("PGPASSWORD");  // the owner's
        for (const QString& change : changes) {
            const QString name = change.section('=', 0, 0);
            const QString value = change.section('=', 1);
            value.isEmpty() ? environment.remove(name) : environment.insert(name, value);
        }
        process->setProcessEnvironment(environment);
        process->start(QStringLiteral(TOLM_CLI_PATH), arguments + QStringList{"--data-dir", station.home + "/data"});
        return process;
    }

    static Run finish(QProcess& process)
    {
        if (!waitFor([&] { return process.state() == QProcess::NotRunning; }, 120000))
            process.kill();
        process.waitForFinished();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    Run cli(const Station& station, const QStringList& arguments, const QStringList& changes = {})
    {
        return finish(*start(station, arguments, changes));
    }

    // The flight numbers of an engine's trend, as the CSV lists them.
    QStringList trendFlights(const Station& station, const QStringList& source)
    {
        const Run run = cli(station, QStringList{"trend", "--esn", "7001", "--parameter", "7", "--bin", "1", "--csv"} + source);
        QStringList flights;
        for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts).mid(1))
            flights << line.section(',', 1, 1);
        return run.status == 0 ? flights : QStringList{run.err};
    }

    static QString downloads() { return ownerRows("SELECT count(*) FROM download").value(0); }
    // The stations' connections the server still holds.
    static QString sessions()
    {
        return ownerRows("SELECT count(*) FROM pg_stat_activity WHERE application_name = 'tolm' AND pid <> pg_backend_pid()").value(0);
    }
    // Version and name of the cluster pg_virtualenv started, for pg_ctlcluster.
    static QStringList clusterOfServer()
    {
        QProcess list;
        list.start("pg_lsclusters", {"-h"});
        list.waitForFinished();
        for (const QString& line : QString::fromLocal8Bit(list.readAllStandardOutput()).split('\n')) {
            const QStringList fields = line.simplified().split(' ');
            if (fields.value(2) == qEnvironmentVariable("PGPORT"))
                return fields.mid(0, 2);
        }
        return {};
    }

private slots:
    void initTestCase()
    {
        // Only ever the throw-away server on this machine.
        QVERIFY2(qEnvironmentVariable("PGHOST") == "localhost" || qEnvironmentVariable("PGHOST").startsWith('/'),
                 "run under pg_virtualenv");
        for (Station* station : {&a, &b}) {
            station->home = env.path() + '/' + station->name;
            QDir().mkpath(station->dataRoot());
            QSettings store(station->home + "/settings/Quellwerk/Mirvak.conf", QSettings::IniFormat);
            store.setValue("IP Address", "127.0.0.1");
            store.setValue("Station/Name", station->name);
        }
        // Station B connects through its stored setting; A names the repository on each command line.
        QSettings(b.home + "/settings/Quellwerk/Mirvak.conf", QSettings::IniFormat)
            .setValue("Repository/Connection", "dbname=fleet");
        QFile pgpass(env.path() + "/pgpass");
        QVERIFY(pgpass.open(QIODevice::WriteOnly));
        pgpass.write("*:*:*:station_a:secret-a\n*:*:*:station_b:secret-b\n*:*:*:station_c:secret-c\n");
        pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        pgpass.close();

        QVERIFY(ownerRun("CREATE DATABASE fleet", "postgres"));
        QVERIFY(ownerRun("CREATE DATABASE future", "postgres"));
        for (const char* letter : {"a", "b", "c"})
            QVERIFY(ownerRun(qPrintable(QStringLiteral("CREATE ROLE station_%1 LOGIN PASSWORD 'secret-%1'").arg(letter)), "postgres"));
    }

    void migrateCreatesTheSchemaOnce()
    {
        const QStringList args{"repository", "migrate", "--repository", owner()};
        const QStringList ownerEnv{"PGUSER=" + qEnvironmentVariable("PGUSER"), "PGPASSWORD=" + qEnvironmentVariable("PGPASSWORD")};
        Run run = cli(a, args, ownerEnv);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, "Schema version 0 -> 1.\n");
        run = cli(a, args, ownerEnv);
        QCOMPARE(run.out, "The schema is at version 1 already.\n");
        QVERIFY(ownerRun("GRANT tolm_station TO station_a, station_b"));
        QCOMPARE(ownerRows("SELECT rolcanlogin FROM pg_roles WHERE rolname = 'tolm_station'"), QStringList{"f"});
    }

    void stationsOnlyReadAndInsert_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("update") << "UPDATE download SET raw_name = 'x'";
        QTest::newRow("delete") << "DELETE FROM flight";
        QTest::newRow("truncate") << "TRUNCATE download_file";
        QTest::newRow("version") << "INSERT INTO schema_version VALUES (9)";
    }
    void stationsOnlyReadAndInsert()
    {
        QFETCH(QString, statement);
        PgConnection station;
        QVERIFY2(station.open("dbname=fleet user=station_a password=secret-a"), qPrintable(station.failure()));
        QVERIFY(!station.run(statement.toUtf8().constData()));
        QVERIFY2(station.failure().contains("permission denied"), qPrintable(station.failure()));
    }

    void refusesPasswordsOnTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        const QString withPassword = "dbname=fleet password=x";
        QTest::newRow("sync") << QStringList{"sync", "--repository", withPassword};
        QTest::newRow("fetch") << QStringList{"fetch", "--esn", "1", "--repository", withPassword};
        QTest::newRow("trend") << QStringList{"trend", "--esn", "1", "--parameter", "7", "--highest", "--repository", withPassword};
        QTest::newRow("fleet") << QStringList{"fleet", "--repository", "postgresql://u:x@localhost/fleet"};
        QTest::newRow("migrate") << QStringList{"repository", "migrate", "--repository", withPassword};
    }
    void refusesPasswordsOnTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        const Run run = cli(a, arguments);
        QCOMPARE(run.status, 2);
        QVERIFY2(run.err.contains("holds a password; put it in libpq's password file"), qPrintable(run.err));
    }

    void twoStationsShareOneHistory()
    {
        writeRaw(a.dataRoot(), "F-GAAA", 1, "ESN7001-fd-20260301-0800.raw", {{1, 0}, {2, 0}});
        QFile report(a.dataRoot() + "/F-GAAA_data/engine_1/ESN7001-ss-20260301-0800.txt");
        QVERIFY(report.open(QIODevice::WriteOnly) && report.write("steady-state report\n") > 0);
        report.close();
        writeRaw(b.dataRoot(), "F-GBBB", 2, "ESN7001-fd-20260401-0900.raw", {{3, 0}, {4, 1}});
        // The same download on both stations (a copy of A's file).
        QDir().mkpath(b.dataRoot() + "/F-GAAA_data/engine_1");
        QVERIFY(QFile::copy(a.dataRoot() + "/F-GAAA_data/engine_1/ESN7001-fd-20260301-0800.raw",
                            b.dataRoot() + "/F-GAAA_data/engine_1/ESN7001-fd-20260301-0800.raw"));

        const QStringList repository{"--repository", "dbname=fleet"};
        QCOMPARE(cli(a, QStringList{"sync"} + repository).out.section(';', 1), " 0 already in the fleet repository.\n");
        QCOMPARE(cli(a, QStringList{"sync"} + repository).out.section(' ', 0, 2), "Sent 0 download(s)");
        const Run fromB = cli(b, {"sync"});
        QCOMPARE(fromB.status, 0);
        QVERIFY2(fromB.out.startsWith("Sent 1 download(s)") && fromB.out.endsWith("; 1 already in the fleet repository.\n"),
                 qPrintable(fromB.out));
        QCOMPARE(downloads(), "2");

        QCOMPARE(trendFlights(a, {}), (QStringList{"1", "2"}));
        QCOMPARE(trendFlights(a, repository), (QStringList{"1", "2", "3", "4"}));
        QCOMPARE(trendFlights(b, {"--repository="}), (QStringList{"1", "2", "3", "4"}));

        const Run fleet = cli(a, {"fleet", "--json", "--repository", "dbname=fleet"});
        const QJsonArray rows = QJsonDocument::fromJson(fleet.out.toUtf8()).array();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0]["station"].toString(), "base-b");
        QCOMPARE(rows[0]["registration"].toString(), "F-GBBB");
        QCOMPARE(rows[0]["flights"].toInt(), 4);
    }

    // A station that reads only the repository needs no data tree, and gets none.
    void readsTheRepositoryWithoutADataTree_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("shows");
        QTest::newRow("trend") << QStringList{"trend", "--esn", "7001", "--parameter", "7", "--bin", "1"} << "F-GBBB";
        QTest::newRow("fleet") << QStringList{"fleet"} << "base-b";
    }
    void readsTheRepositoryWithoutADataTree()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, shows);
        const Station e{QStringLiteral("remote-e"), env.path() + "/remote-e", QStringLiteral("station_a")};
        const Run run = cli(e, arguments + QStringList{"--repository", "dbname=fleet"});
        QVERIFY2(run.status == 0 && run.out.contains(shows), qPrintable(run.err));
        QVERIFY(!QFileInfo::exists(e.home + "/data"));
    }

    // The overview the server works out equals the station's own overview of the same downloads.
    void repositoryOverviewEqualsLocal_data()
    {
        QTest::addColumn<QStringList>("indicator");
        QTest::newRow("default") << QStringList{};
        QTest::newRow("bin") << QStringList{"--parameter", "0", "--bin", "1"};
        QTest::newRow("highest") << QStringList{"--parameter", "0", "--highest"};
        QTest::newRow("out of range") << QStringList{"--parameter", "21", "--bin", "26"};
    }
    void repositoryOverviewEqualsLocal()
    {
        QFETCH(QStringList, indicator);
        const Station d{QStringLiteral("overview-d"), env.path() + "/overview-d", QStringLiteral("station_a")};
        const QStringList repository{"--repository", "dbname=overview"};
        if (!QFileInfo::exists(d.home)) {
            QVERIFY(ownerRun("CREATE DATABASE overview", "postgres"));
            QSettings(d.home + "/settings/Quellwerk/Mirvak.conf", QSettings::IniFormat).setValue("Station/Name", d.name);
            const QStringList ownerEnv{"PGUSER=" + qEnvironmentVariable("PGUSER"), "PGPASSWORD=" + qEnvironmentVariable("PGPASSWORD")};
            QCOMPARE(cli(d, QStringList{"repository", "migrate"} + repository, ownerEnv).status, 0);
            const auto flights = [](int first, int last) {
                QList<RawSlot> list;
                for (int n = first; n <= last; ++n)
                    list << RawSlot{n, n % 2, dateWord(2026, 1 + n / 28, 1 + n % 28), timeWord(n % 24, 0)};
                return list;
            };
            // Downloaded again before the unit was erased: copies among new flights.
            writeRaw(d.dataRoot(), "F-GDDA", 1, "ESN7101-fd-20260101-0800.raw", flights(1, 14));
            writeRaw(d.dataRoot(), "F-GDDA", 1, "ESN7101-fd-20260102-0800.raw", flights(1, 18));
            writeRaw(d.dataRoot(), "F-GDDA", 1, "ESN7101-fd-20260103-0800.raw", flights(19, 30));
            // Moved to another aircraft and position.
            writeRaw(d.dataRoot(), "F-GDDB", 2, "ESN7102-fd-20260101-0900.raw", flights(1, 5));
            writeRaw(d.dataRoot(), "F-GDDC", 3, "ESN7102-fd-20260201-0900.raw", flights(6, 9));
            // Mostly copies: more rows than the server's window of latest flights.
            for (const char* name : {"ESN7103-fd-20260101-1000.raw", "ESN7103-fd-20260101-1000-2.raw", "ESN7103-fd-20260101-1000-10.raw"})
                writeRaw(d.dataRoot(), "F-GDDD", 4, name, flights(1, 13));
            QCOMPARE(cli(d, QStringList{"sync"} + repository).status, 0);
        }
        const Run local = cli(d, QStringList{"fleet", "--json"} + indicator);
        const Run fleet = cli(d, QStringList{"fleet", "--json"} + indicator + repository);
        QCOMPARE(fleet.status, 0);
        QJsonArray rows = QJsonDocument::fromJson(fleet.out.toUtf8()).array();
        QCOMPARE(rows.size(), 3);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            QJsonObject row = rows[i].toObject();
            QCOMPARE(row.take("station").toString(), d.name);
            rows[i] = row;
        }
        QCOMPARE(QJsonDocument(rows).toJson(), QJsonDocument::fromJson(local.out.toUtf8()).toJson());
        // So does the trend of the engine downloaded again before an erase.
        if (!indicator.isEmpty()) {
            const QStringList trend = QStringList{"trend", "--esn", "7101", "--csv"} + indicator;
            const Run localTrend = cli(d, trend);
            QVERIFY2(localTrend.status == 0, qPrintable(localTrend.err));
            QCOMPARE(cli(d, trend + repository).out, localTrend.out);
        }
    }

    void fetchCopiesWithoutReplacing()
    {
        const Station c{QStringLiteral("laptop-c"), env.path() + "/laptop-c", QStringLiteral("station_a")};
        const QStringList fetch{"fetch", "--esn", "7001", "--repository", "dbname=fleet"};
        QCOMPARE(cli(c, fetch).out.section('\n', -2), "3 file(s) written, 0 already there.\n");
        const QString fetched = c.dataRoot() + "/F-GBBB_data/engine_2/ESN7001-fd-20260401-0900.raw";
        QCOMPARE(sha256(fetched), sha256(b.dataRoot() + "/F-GBBB_data/engine_2/ESN7001-fd-20260401-0900.raw"));
        QCOMPARE(cli(c, fetch).out, "0 file(s) written, 3 already there.\n");
        QCOMPARE(QFile(c.dataRoot() + "/F-GAAA_data/engine_1/ESN7001-ss-20260301-0800.txt").size(), 20);

        QVERIFY(changeLastByte(fetched));
        QCOMPARE(cli(c, fetch).out.section('\n', -2), "1 file(s) written, 2 already there.\n");
        QVERIFY(QFile::exists(c.dataRoot() + "/F-GBBB_data/engine_2/ESN7001-fd-20260401-0900-2.raw"));
        QCOMPARE(trendFlights(c, {}), (QStringList{"1", "2", "3", "4"}));
    }

    // A download writing the set (its lock taken) keeps it: the fetched copy takes the next suffix.
    void fetchPassesOverASetBeingDownloaded()
    {
        const Station f{QStringLiteral("laptop-f"), env.path() + "/laptop-f", QStringLiteral("station_a")};
        const QString engine = f.dataRoot() + "/F-GBBB_data/engine_2/";
        QDir().mkpath(engine);
        QFile lock(engine + ".ESN7001-20260401-0900.lock");
        QVERIFY(lock.open(QIODevice::NewOnly));
        lock.close();
        const Run run = cli(f, {"fetch", "--esn", "7001", "--repository", "dbname=fleet"});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(QFile::exists(engine + "ESN7001-fd-20260401-0900-2.raw"));
        QVERIFY(!QFile::exists(engine + "ESN7001-fd-20260401-0900.raw"));
        QVERIFY(lock.exists());
    }

    void changedRawFileIsANewDownload()
    {
        const QString path = writeRaw(a.dataRoot(), "F-GAAA", 1, "ESN7001-fd-20260501-1000.raw", {{5, 0}});
        QCOMPARE(cli(a, {"sync", "--repository", "dbname=fleet"}).status, 0);
        QVERIFY(changeLastByte(path));
        QVERIFY(cli(a, {"sync", "--repository", "dbname=fleet"}).out.startsWith("Sent 1 download(s)"));
        QCOMPARE(ownerRows("SELECT count(*) FROM download WHERE raw_name = 'ESN7001-fd-20260501-1000.raw'"),
                 QStringList{"2"});
    }

    void connectionFaults_data()
    {
        QTest::addColumn<QString>("conninfo");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("cause");
        QTest::newRow("wrong password") << "dbname=fleet" << QStringList{"PGPASSFILE=none", "PGPASSWORD=wrong"}
                                        << "password authentication failed for user \"station_a\"";
        QTest::newRow("no password") << "dbname=fleet" << QStringList{"PGPASSFILE=none"} << "no password supplied";
        QTest::newRow("missing role") << "dbname=fleet user=nobody" << QStringList{"PGPASSWORD=x"}
                                      << "password authentication failed for user \"nobody\"";
        QTest::newRow("login without the station role") << "dbname=fleet user=station_c" << QStringList{}
                                                        << "permission denied for table schema_version; the administrator grants tolm_station";
        QTest::newRow("no TLS on the server") << "dbname=fleet sslmode=require" << QStringList{}
                                              << "server does not support SSL, but SSL was required";
        QTest::newRow("newer schema") << "dbname=future" << QStringList{}
                                      << "The fleet repository's schema is version 2; this station knows version 1 at most.";
        QTest::newRow("no schema") << "dbname=postgres" << QStringList{}
                                   << "The fleet repository has no tables yet; its owner runs tolm-cli repository migrate.";
    }
    void connectionFaults()
    {
        QFETCH(QString, conninfo);
        QFETCH(QStringList, environment);
        QFETCH(QString, cause);
        if (ownerRows("SELECT count(*) FROM pg_tables WHERE tablename = 'schema_version'", "future") != QStringList{"1"}) {
            QVERIFY(ownerRun("CREATE TABLE schema_version (version integer NOT NULL)", "future"));
            QVERIFY(ownerRun("INSERT INTO schema_version VALUES (2)", "future"));
            QVERIFY(ownerRun("GRANT SELECT ON schema_version TO PUBLIC", "future"));
        }
        const Run run = cli(a, {"sync", "--repository", conninfo}, environment);
        QVERIFY2(run.status == 1, qPrintable(run.err));
        QVERIFY2(run.err.contains(cause), qPrintable(run.err));
        QVERIFY2(!run.err.contains("NOTICE") && !run.err.contains("WARNING"), qPrintable(run.err));
    }

    void silentNetworkEndsThePush()
    {
        writeRaw(a.dataRoot(), "F-GAAA", 1, "ESN7001-fd-20260601-1100.raw", {{6, 0}});
        const QString before = downloads();
        {
            Relay relay(200000);  // past the connection and into the raw file's bytes
            const Run run = cli(a, {"sync", "--repository", "dbname=fleet host=127.0.0.1 port=" + QString::number(relay.port())},
                                {"TOLM_REPOSITORY_SILENCE_MS=1500"});
            QVERIFY(relay.held());
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains("ESN7001-fd-20260601-1100.raw was not stored: The fleet repository did not "
                                      "answer for 1.5 s; the connection was closed."),
                     qPrintable(run.err));
        }
        // The server drops the half-sent transaction once the relay's connection closes.
        QVERIFY(waitFor([] { return sessions() == "0"; }));
        QCOMPARE(downloads(), before);
        QVERIFY(cli(a, {"sync", "--repository", "dbname=fleet"}).out.startsWith("Sent 1 download(s)"));
    }

    void serverStopInTheMiddleOfAPush()
    {
        writeRaw(a.dataRoot(), "F-GAAA", 1, "ESN7001-fd-20260701-1200.raw", {{7, 0}});
        const QString before = downloads();
        Relay relay(200000, [] { QProcess::execute("pg_ctlcluster", clusterOfServer() + QStringList{"stop", "-m", "fast"}); });
        const Run run = cli(a, {"sync", "--repository", "dbname=fleet host=127.0.0.1 port=" + QString::number(relay.port())});
        QVERIFY2(run.status == 1, qPrintable(run.err));
        QVERIFY2(run.err.contains("ESN7001-fd-20260701-1200.raw was not stored: ") && !run.err.contains("did not answer"),
                 qPrintable(run.err));
        QCOMPARE(QProcess::execute("pg_ctlcluster", clusterOfServer() + QStringList{"start"}), 0);
        QCOMPARE(downloads(), before);
        QVERIFY(cli(a, {"sync", "--repository", "dbname=fleet"}).out.startsWith("Sent 1 download(s)"));
        QCOMPARE(downloads().toInt(), before.toInt() + 1);
    }

    // Ctrl+C halfway through the second of three downloads.
    void interruptedSyncStoresOnlyWholeDownloads()
    {
        const Station g{QStringLiteral("station-g"), env.path() + "/station-g", QStringLiteral("station_a")};
        qint64 rawSize = 0;
        for (int day = 1; day <= 3; ++day)
            rawSize = QFileInfo(writeRaw(g.dataRoot(), "F-GGGG", 1, QStringLiteral("ESN7004-fd-2026100%1-0800.raw").arg(day),
                                         {{day, 0}})).size();
        const int before = downloads().toInt();
        std::unique_ptr<QProcess> sync;
        // Held as well, so that the download cannot end before the interrupt is seen.
        Relay relay(rawSize * 3 / 2, [&] {
            relay.hold();
            ::kill(pid_t(sync->processId()), SIGINT);
        });
        sync = start(g, {"sync", "--repository", "dbname=fleet host=127.0.0.1 port=" + QString::number(relay.port())});
        const Run run = finish(*sync);
        QVERIFY2(run.status == 130, qPrintable(run.err));
        QVERIFY2(run.err.contains("Sent 1 download(s)") && run.err.endsWith(" Cancelled; nothing half stored.\n"),
                 qPrintable(run.err));
        QVERIFY(waitFor([] { return sessions() == "0"; }));
        QCOMPARE(downloads().toInt(), before + 1);
        QCOMPARE(ownerRows("SELECT count(*) FROM download d WHERE cardinality(d.file_names) <> "
                           "(SELECT count(*) FROM download_file f WHERE f.download_id = d.id)"),
                 QStringList{"0"});
        QVERIFY(cli(g, {"sync", "--repository", "dbname=fleet"}).out.startsWith("Sent 2 download(s)"));
        QCOMPARE(downloads().toInt(), before + 3);
    }

    void twoStationsPushTheSameDownloadAtOnce()
    {
        const QString path = writeRaw(a.dataRoot(), "F-GCCC", 3, "ESN7002-fd-20260801-1300.raw", {{8, 0}});
        QDir().mkpath(b.dataRoot() + "/F-GCCC_data/engine_3");
        QVERIFY(QFile::copy(path, b.dataRoot() + "/F-GCCC_data/engine_3/ESN7002-fd-20260801-1300.raw"));
        const auto fromA = start(a, {"sync", "--repository", "dbname=fleet"});
        const auto fromB = start(b, {"sync"});
        QCOMPARE(finish(*fromA).status, 0);
        QCOMPARE(finish(*fromB).status, 0);
        QCOMPARE(ownerRows("SELECT count(*) FROM download WHERE raw_name = 'ESN7002-fd-20260801-1300.raw'"),
                 QStringList{"1"});
    }

    // A raw file is read again only when its size or modification time changed.
    void syncHashesChangedFilesOnly_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("changedYear");
        QTest::addColumn<QString>("sent");
        QTest::newRow("same time: not read") << "ESN7003-fd-20260901-1400.raw" << 2020 << "Sent 0 download(s)";
        QTest::newRow("time changed") << "ESN7003-fd-20260902-1400.raw" << 2021 << "Sent 1 download(s)";
    }
    void syncHashesChangedFilesOnly()
    {
        QFETCH(QString, name);
        QFETCH(int, changedYear);
        QFETCH(QString, sent);
        const QString path = writeRaw(a.dataRoot(), "F-GAAA", 1, name, {{changedYear - 2010, 0}});
        QVERIFY(setModified(path, 2020));
        QVERIFY(cli(a, {"sync", "--repository", "dbname=fleet"}).out.startsWith("Sent 1 download(s)"));
        QVERIFY(changeLastByte(path) && setModified(path, changedYear));
        QCOMPARE(cli(a, {"sync", "--repository", "dbname=fleet"}).out.section(';', 0, 0).section(" (", 0, 0), sent);
    }

private:
    static bool setModified(const QString& path, int year)
    {
        QFile file(path);
        return file.open(QIODevice::ReadWrite)
               && file.setFileTime(QDateTime(QDate(year, 1, 1), QTime(0, 0), Qt::UTC), QFileDevice::FileModificationTime);
    }

    static bool changeLastByte(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadWrite) && file.seek(file.size() - 1) && file.write("\x01") == 1;
    }

    static QByteArray sha256(const QString& path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }
};

QTEST_GUILESS_MAIN(TestRepository)
#include "test_repository.moc"
