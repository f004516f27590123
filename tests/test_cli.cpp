// tolm-cli as a technician or a script runs it: the real program against the
// real simulator, its settings and data in temporary folders, the unit only
// ever at 127.0.0.1. What it writes is compared with what the window's own
// session and plot computation give for the same input.

#include "LinkHelpers.h"
#include "RawFiles.h"
#include "SampleFlights.h"
#include "SampleAircraft.h"
#include "SimulatorLog.h"
#include "SimulatorProcess.h"
#include "TestEnvironment.h"
#include "core/Clock.h"
#include "core/NumberFormat.h"
#include "core/Settings.h"
#include "download/DownloadSession.h"
#include "export/AsciiExport.h"
#include "export/ExportFiles.h"
#include "firmware/UpdateFile.h"
#include "flights/CorrectionTable.h"
#include "flights/FlightQuery.h"
#include "flights/Spectrum.h"
#include "link/LinkClient.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSocketNotifier>
#include <QTcpServer>
#include <QtTest>
#include <csignal>
#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

namespace {

const QDateTime kSessionTime(QDate(2026, 3, 5), QTime(14, 25));
const QStringList kSampleDetails = {"--registration", "F-GABC", "--engine-type", "CFM56-5", "--engine-sn", "123456"};

struct Run {
    int status = -1;
    QString out;
    QString err;
};

QMap<QString, QByteArray> filesIn(const QString& directory)
{
    QMap<QString, QByteArray> files;
    for (const QFileInfo& info : QDir(directory).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(info.absoluteFilePath());
        file.open(QIODevice::ReadOnly);
        files.insert(info.fileName(), file.readAll());
    }
    return files;
}

// Rows of a query on another program's database, as "a|b|c".
QStringList rowsOf(const QString& databasePath, const QString& statement)
{
    QStringList values;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("cli"));
        db.setDatabaseName(databasePath);
        if (QFile::exists(databasePath) && db.open()) {
            QSqlQuery query(statement, db);
            while (query.next()) {
                QStringList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row << query.value(i).toString();
                values << row.join('|');
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("cli"));
    return values;
}

// Whether standard error shows a title that is a function of the window's code.
bool namesAFunction(const QString& err)
{
    static const QRegularExpression function(
        QStringLiteral("\\w+::\\w+|connectDB|connectSQLite|GetAircraftInfo|UnsetRsp"));
    return err.contains(function);
}

// Standard error of a child on a terminal of its own, read while the child writes.
class Terminal {
public:
    Terminal()
    {
        openpty(&master_, &slave_, nullptr, nullptr, nullptr);
        fcntl(master_, F_SETFL, O_NONBLOCK);
        notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { drain(); });
    }
    ~Terminal()
    {
        notifier_.reset();
        ::close(master_);
        ::close(slave_);
    }
    void attach(QProcess& process) const
    {
        process.setChildProcessModifier([slave = slave_] { ::dup2(slave, STDERR_FILENO); });
    }
    QString written()
    {
        drain();
        return QString::fromLocal8Bit(output_);
    }

private:
    void drain()
    {
        char bytes[4096];
        for (ssize_t n; (n = ::read(master_, bytes, sizeof bytes)) > 0;)
            output_.append(bytes, n);
    }

    int master_ = -1;
    int slave_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    QByteArray output_;
};

// Every key of a JSON value, nested ones included, with its value.
void collectKeys(const QJsonValue& value, QList<std::pair<QString, QJsonValue>>& keys)
{
    if (value.isArray())
        for (const QJsonValue& element : value.toArray())
            collectKeys(element, keys);
    if (!value.isObject())
        return;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        keys.append({it.key(), it.value()});
        collectKeys(it.value(), keys);
    }
}

// Every file below a directory, hidden ones included.
QStringList filesBelow(const QString& directory)
{
    QStringList files;
    QDirIterator it(directory, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

// An update file of numbers, one per line.
QString writeUpdateFile(const QString& path, int lines)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    for (int i = 0; i < lines; ++i)
        file.write(QByteArray::number(i) + '\n');
    return path;
}

}  // namespace

class CliTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    QObject window;  // the owner of the in-process session's prompts
    SimulatorLog simulatorLog;
    QString sharedRaw;  // one download, for the commands that read raw files

    QStringList simulatorOptions(const QStringList& more = {})
    {
        simulatorLog = SimulatorLog(env.path());
        return simulatorLog.quickOptions(more);
    }

    // The names of the commands the simulator received, in order.
    QStringList logged() const
    {
        QStringList commands;
        for (const QStringList& request : simulatorLog.requests())
            commands << request.value(1);
        return commands;
    }

    static QStringList unitArguments(const SimulatorProcess& sim)
    {
        return {"--address", "127.0.0.1", "--port", QString::number(sim.port())};
    }

    QString writeFile(const QString& name, const QByteArray& bytes) const
    {
        const QString path = env.path() + '/' + name;
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(bytes);
        return path;
    }

    // A data directory of the test's own, empty.
    QString freshDataDir(const QString& name) const
    {
        const QString path = env.path() + '/' + name;
        QDir(path).removeRecursively();
        return path;
    }

    // The child shares the test's settings store (unit at 127.0.0.1) and nothing of the user's;
    // changes are "NAME=value", "NAME=" to remove it.
    void prepare(QProcess& process, bool fixedClock, const QStringList& changes = {}) const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", env.path() + "/home");
        environment.insert("XDG_CONFIG_HOME", env.path() + "/settings");
        environment.insert("TMPDIR", env.path());
        if (fixedClock)
            environment.insert("TOLM_FIXED_CLOCK", kSessionTime.toString(Qt::ISODate));
        for (const QString& change : changes) {
            const QString name = change.section('=', 0, 0);
            const QString value = change.section('=', 1);
            value.isEmpty() ? environment.remove(name) : environment.insert(name, value);
        }
        process.setProcessEnvironment(environment);
        process.setProgram(QStringLiteral(TOLM_CLI_PATH));
    }

    Run run(const QStringList& arguments, const QByteArray& input = {}, bool fixedClock = false,
            const QStringList& environment = {}, Terminal* terminal = nullptr)
    {
        QProcess process;
        prepare(process, fixedClock, environment);
        if (terminal)
            terminal->attach(process);
        process.setArguments(arguments);
        process.start();
        process.write(input);
        process.closeWriteChannel();
        if (!waitFor([&] { return process.state() == QProcess::NotRunning; }, 120000))
            process.kill();
        process.waitForFinished();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromLocal8Bit(process.readAllStandardOutput()),
                terminal ? terminal->written() : QString::fromLocal8Bit(process.readAllStandardError())};
    }

    // The window's session for the sample aircraft, in this process, into the test's data root.
    QMap<QString, QByteArray> windowDownload()
    {
        SimulatorProcess sim(simulatorOptions());
        LinkClient link(&window);
        if (!identifyUnit(link, sim.port(), env.prompts()))
            return {};
        link.lend([&](LinkContext& context, PartNumberRecord& partNumbers) {
            DownloadSession session(context, partNumbers, sampleAircraft(), 4, RequestSet::fromChoices(true, false),
                                    &window);
            session.start();
            waitFor([&] { return session.isFinished(); });
            return 0;
        });
        const QString directory = env.dataRoot() + "/F-GABC_data/engine_4";
        const QMap<QString, QByteArray> files = filesIn(directory);
        QDir(directory).removeRecursively();
        return files;
    }

    // A raw file the simulator's data was downloaded into, once for the whole test.
    QString downloadedRaw()
    {
        if (sharedRaw.isEmpty()) {
            SimulatorProcess sim(simulatorOptions());
            const Run result = run(QStringList{"download", "--data-dir", env.path() + "/shared", "--accept-incompatible"}
                                   + kSampleDetails + unitArguments(sim));
            sharedRaw = result.out.split('\n').filter(".raw").value(0);
        }
        return sharedRaw;
    }

private slots:
    void init()
    {
        env.resetSettings();
        env.prompts().clear();
        QDir().mkpath(env.dataRoot());  // the tree the reading commands find without --data-dir
        DownloadSession::timing() = DownloadSession::Timing{};
        DownloadSession::timing().tickMs = 20;
    }

    // The same unit data and details give the window's files, byte for byte, and the request's rows.
    void downloadWritesWhatTheWindowWrites()
    {
        Clock::fix(kSessionTime);
        const QMap<QString, QByteArray> windowFiles = windowDownload();
        Clock::fix(std::nullopt);
        QCOMPARE(windowFiles.size(), 5);

        SimulatorProcess sim(simulatorOptions());  // a fresh unit: its algorithm states start over
        const QString dataDir = freshDataDir("cli-data");
        const Run result = run(QStringList{"download", "--data-dir", dataDir, "--accept-incompatible"} + kSampleDetails
                                   + unitArguments(sim),
                               {}, true);
        QVERIFY2(result.status == 0, qPrintable(result.err));
        const QString directory = dataDir + "/Mirvak/F-GABC_data/engine_4";
        QVERIFY(filesIn(directory) == windowFiles);
        QStringList written;
        for (const QString& name : {"fd", "cb", "ss", "tr", "fh"})
            written << QStringLiteral("%1/ESN123456-%2-20260305-1425.%3").arg(directory, name, name == QLatin1String("fd") ? "raw" : "txt");
        QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts), written);
        QVERIFY(result.err.contains("Processing complete!"));
        QCOMPARE(logged(), (QStringList{"CMD_PN", "CMD_GET_ALGORITHM_STATUS", "CMD_DOWNLOAD_DATA", "CMD_GET_FLIGHT_HISTORY"}));

        const QString database = dataDir + "/Mirvak/tolm.db";
        QCOMPARE(rowsOf(database, "SELECT tail_number, shop_id, comment FROM aircraft"), QStringList{"F-GABC||"});
        QCOMPARE(rowsOf(database, "SELECT type, sn, sdi, install_date FROM engine"), QStringList{"CFM56-5|123456|0|"});
        QCOMPARE(settings::text(settings::LastAircraft), QStringLiteral("F-GABC"));
        QCOMPARE(settings::text(settings::DataDir), env.dataDir());  // --data-dir was for the run only
    }

    // The erase goes out only once every file of the session is closed under its final name.
    void eraseFollowsTheClosedFiles()
    {
        SimulatorProcess sim(simulatorOptions({"--erase-delay-ms", "500"}));
        const QString dataDir = freshDataDir("erase-data");
        QProcess process;
        prepare(process, false);
        process.setArguments(QStringList{"download", "--data-dir", dataDir, "--accept-incompatible", "--erase"}
                             + kSampleDetails + unitArguments(sim));
        process.start();
        QVERIFY(waitFor([&] { return logged().contains("CMD_ERASE_DATA"); }, 60000));
        const QDir engine(dataDir + "/Mirvak/F-GABC_data/engine_4");
        const QStringList atErase = engine.entryList(QDir::Files | QDir::Hidden);
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(process.exitCode(), 0);
        // The five files and the session's lock on their names, which goes with the session.
        QCOMPARE(atErase.size(), 6);
        QCOMPARE(atErase.filter(QRegularExpression("^ESN123456-(fd|cb|ss|tr|fh)-\\d{8}-\\d{4}\\.(raw|txt)$")).size(), 5);
        QCOMPARE(atErase.filter(QRegularExpression("^\\.ESN123456-\\d{8}-\\d{4}\\.lock$")).size(), 1);
        QCOMPARE(engine.entryList(QDir::Files | QDir::Hidden).size(), 5);
        QCOMPARE(logged().last(), QStringLiteral("CMD_ERASE_DATA"));
        QVERIFY(process.readAllStandardError().contains("Erasing Bearing Data: Done"));
    }

    void failedStepExitsOneAndNeverErases_data()
    {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<QString>("failedRow");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("written");
        QTest::newRow("engine data refused") << QStringList{"--fault", "ack:96"} << "Downloading Bearing Data: Failed"
                                             << "Detected ACK error" << 0;
        QTest::newRow("engine data cut off") << QStringList{"--fault", "drop:96:100000"}
                                             << "Downloading Bearing Data: Failed" << "The unit closed the connection before its answer was complete." << 0;
        QTest::newRow("flight history refused") << QStringList{"--fault", "ack:97"}
                                                << "Downloading Flight History Data: Failed" << "Detected ACK error" << 4;
    }
    void failedStepExitsOneAndNeverErases()
    {
        QFETCH(QStringList, fault);
        QFETCH(QString, failedRow);
        QFETCH(QString, message);
        QFETCH(int, written);
        SimulatorProcess sim(simulatorOptions(fault));
        const QString dataDir = freshDataDir("fault-data");
        const Run result = run(QStringList{"download", "--data-dir", dataDir, "--accept-incompatible", "--erase"}
                               + kSampleDetails + unitArguments(sim));
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains(failedRow) && result.err.contains(message)
                     && result.err.contains("The unit's memory was not erased"),
                 qPrintable(result.err));
        QVERIFY(result.err.contains("Erasing Bearing Data: Skipped"));
        QCOMPARE(logged().filter("CMD_ERASE_DATA"), QStringList());
        // What is printed is what is on disk, and nothing half-written is left.
        const QStringList printed = result.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(printed.size(), written);
        QStringList onDisk;
        QDirIterator it(dataDir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            onDisk << it.next();
        QCOMPARE(onDisk.filter("/F-GABC_data/").size(), written);
        for (const QString& path : printed)
            QVERIFY(onDisk.contains(path));
    }

    // Files filed under details the database does not hold: keep them, but keep the unit's copy too.
    void unstoredDetailsKeepDownloadingButNeverErase()
    {
        SimulatorProcess sim(simulatorOptions());
        const QString dataDir = freshDataDir("unstored-data");
        QDir().mkpath(dataDir + "/Mirvak");
        QFile(dataDir + "/Mirvak/tolm.db").open(QIODevice::WriteOnly);  // an empty database
        rowsOf(dataDir + "/Mirvak/tolm.db", "CREATE TABLE engine (id INTEGER PRIMARY KEY, aircraft_id INTEGER, "
                                             "type CHAR(20), sn CHAR(20), sdi TINYINT, install_date TIMESTAMP, comment TEXT)");
        rowsOf(dataDir + "/Mirvak/tolm.db", "CREATE TRIGGER full BEFORE INSERT ON engine "
                                             "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END");
        const Run result = run(QStringList{"download", "--data-dir", dataDir, "--accept-incompatible", "--erase"}
                               + kSampleDetails + unitArguments(sim));
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("Erasing Bearing Data: Skipped\n    The aircraft and engine details could not be "
                                     "stored in the database: database or disk is full")
                     && result.err.contains("The unit's memory was not erased: the aircraft and engine details could "
                                            "not be stored in the database."),
                 qPrintable(result.err));
        QVERIFY2(!namesAFunction(result.err), qPrintable(result.err));
        QCOMPARE(logged(), (QStringList{"CMD_PN", "CMD_GET_ALGORITHM_STATUS", "CMD_DOWNLOAD_DATA", "CMD_GET_FLIGHT_HISTORY"}));
        QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts).size(), 5);
    }

    // Another program keeps the database locked: the download waits, then says so before it asks the unit anything.
    void busyDatabaseIsNamed()
    {
        SimulatorProcess sim(simulatorOptions());
        const QString dataDir = freshDataDir("busy-data");
        const QString database = dataDir + "/Mirvak/tolm.db";
        QDir().mkpath(dataDir + "/Mirvak");
        Run result;
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
            other.setDatabaseName(database);
            QVERIFY(other.open());
            QVERIFY(QSqlQuery(other).exec("CREATE TABLE other (x)"));
            QVERIFY(QSqlQuery(other).exec("BEGIN EXCLUSIVE"));
            result = run(QStringList{"download", "--data-dir", dataDir, "--accept-incompatible"} + kSampleDetails
                         + unitArguments(sim));
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains("The database \"" + database + "\" is busy: another program kept it locked for 5 s.")
                     && !namesAFunction(result.err),
                 qPrintable(result.err));
        QCOMPARE(logged(), QStringList());
    }

    void incompatibleUnitSoftwareStopsTheDownload()
    {
        SimulatorProcess sim(simulatorOptions());
        const QString dataDir = freshDataDir("incompatible-data");
        const Run result = run(QStringList{"download", "--data-dir", dataDir} + kSampleDetails + unitArguments(sim));
        QCOMPARE(result.status, 2);
        QVERIFY2(result.err.contains("This version of Tolm is not compatible with the software currently loaded in the unit.")
                     && result.err.contains("Nothing was downloaded. Give --accept-incompatible to answer Yes."),
                 qPrintable(result.err));
        QCOMPARE(logged(), QStringList{"CMD_PN"});
        QVERIFY(!QDir(dataDir + "/Mirvak/F-GABC_data").exists());
    }

    void refusedDownloadTouchesNothing_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QStringList fgabc{"--registration", "F-GABC"};
        QTest::newRow("blank") << QStringList{"--registration", "F GABC"}
                               << "Invalid registration number: string contains white space(s)";
        QTest::newRow("trailing hyphen") << QStringList{"--registration", "FGABC-"}
                                         << "Invalid registration number: string ends with a '-'";
        QTest::newRow("separator") << QStringList{"--registration", "../x"}
                                   << "Invalid registration number: string contains a path separator";
        QTest::newRow("overlong") << QStringList{"--registration", QString(17, 'A')}
                                  << "The registration is longer than 16 characters.";
        QTest::newRow("missing") << QStringList{"--erase"} << "--registration is required.";
        QTest::newRow("serial number") << fgabc + QStringList{"--engine-sn", "a/b"}
                                       << "Invalid engine serial number: string contains a path separator";
        QTest::newRow("shop id") << fgabc + QStringList{"--shop-id", QString(11, 'S')}
                                 << "The shop ID is longer than 10 characters.";
        QTest::newRow("engine type") << fgabc + QStringList{"--engine-type", "NOPE"}
                                     << "Unknown engine type \"NOPE\"; the database offers: CFM56-5.";
        QTest::newRow("skip") << fgabc + QStringList{"--skip", "engine-data,fuel"}
                              << "--skip takes algorithm-status, engine-data, flight-history, not \"fuel\".";
        QTest::newRow("lone erase answer") << fgabc + QStringList{"--erase-deactivated"}
                                           << "--erase-deactivated only answers the question before an --erase.";
        QTest::newRow("port") << fgabc + QStringList{"--port", "x"}
                              << "--port takes a whole number from 1 to 65535, not \"x\".";
        QTest::newRow("unknown option") << fgabc + QStringList{"--colour"} << "Unknown option 'colour'.";
    }
    void refusedDownloadTouchesNothing()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        SimulatorProcess sim(simulatorOptions());
        const QString dataDir = freshDataDir("refused-data");
        const Run result = run(QStringList{"download", "--data-dir", dataDir} + unitArguments(sim) + arguments);
        QCOMPARE(result.status, 2);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QCOMPARE(result.out, QString());
        QCOMPARE(sim.connectionCount(), 0);
        QCOMPARE(rowsOf(dataDir + "/Mirvak/tolm.db", "SELECT * FROM aircraft"), QStringList());
        QCOMPARE(QDir(dataDir + "/Mirvak").entryList({"*_data"}, QDir::Dirs), QStringList());
        QVERIFY(!settings::contains(settings::LastAircraft));
    }

    void everyCommandHasHelp_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("option");  // one the command takes
        QTest::newRow("status") << "status" << "--address <HOST>";
        QTest::newRow("download") << "download" << "--erase-deactivated";
        QTest::newRow("flights") << "flights" << "--json";
        QTest::newRow("index") << "index" << "--rebuild";
        QTest::newRow("trend") << "trend" << "--highest";
        QTest::newRow("fleet") << "fleet" << "--parameter <P>";
        QTest::newRow("export") << "export" << "--out <DIR>";
        QTest::newRow("spectrum") << "spectrum" << "--transient <T>";
        QTest::newRow("upload") << "upload" << "--password-stdin";
        QTest::newRow("report") << "report" << "--out <FILE.pdf>";
    }
    void everyCommandHasHelp()
    {
        QFETCH(QString, command);
        QFETCH(QString, option);
        const Run result = run({command, "--help"});
        QCOMPARE(result.status, 0);
        QVERIFY2(result.out.contains(" " + command + " [options]") && result.out.contains(option)
                     && result.out.contains("--data-dir <DIR>")
                     && result.out.contains("\nExamples:\n  tolm-cli " + command),
                 qPrintable(result.out));
        QCOMPARE(run({"help", command}).out, result.out);
        const Run overview = run({"--help"});
        QCOMPARE(overview.status, 0);
        QVERIFY(overview.out.contains("  " + command + " "));
        QCOMPARE(run({"help"}).out, overview.out);
    }

    void otherRefusalsExitTwo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        const QString flight = env.path() + "/nowhere.raw:1";
        QTest::newRow("bin") << QStringList{"spectrum", flight, "--bin", "27"}
                             << "--bin takes a whole number from 1 to 26, not \"27\".";
        QTest::newRow("bin and transient") << QStringList{"spectrum", flight, "--bin", "1", "--transient", "TOC"}
                                           << "Give either --bin or --transient with --event.";
        QTest::newRow("transient type") << QStringList{"spectrum", flight, "--transient", "XYZ", "--event", "1"}
                                        << "--transient takes one of TOC, TOD, AOD, AOA, not \"XYZ\".";
        QTest::newRow("event") << QStringList{"spectrum", flight, "--transient", "TOC", "--event", "11"}
                               << "--event takes a whole number from 1 to 10, not \"11\".";
        QTest::newRow("no event") << QStringList{"spectrum", flight, "--transient", "TOC"} << "--transient needs --event.";
        QTest::newRow("window") << QStringList{"spectrum", flight, "--bin", "1", "--window", "blackman"}
                                << "--window takes one of none, hanning, hamming, not \"blackman\".";
        QTest::newRow("flight reference") << QStringList{"spectrum", "file.raw", "--bin", "1"}
                                          << "file.raw names no flight: expected RAW:FLIGHT";
        QTest::newRow("upload kind") << QStringList{"upload", "--kind", "boot", "x.dat"}
                                     << "--kind takes one of main, dsp, config, not \"boot\".";
        QTest::newRow("upload file") << QStringList{"upload", "--kind", "dsp", env.path() + "/none.dat"}
                                     << env.path() + "/none.dat is no file.";
        const QString controls = writeFile("614_207-000-2.dat", QByteArray("1\n0x1\0\x1b[2J\n", 11));
        QTest::newRow("control characters in the update file")
            << QStringList{"upload", "--kind", "dsp", controls}
            << "Line 2: \"0x1\\x00\\x1B[2J\" is not an unsigned 32-bit number.";
        const QString huge = writeFile("614_207-000-3.dat", {});
        QFile(huge).resize(kMaxUpdateFileBytes + 1);  // sparse: refused before it is read
        QTest::newRow("update file too large")
            << QStringList{"upload", "--kind", "dsp", huge}
            << QStringLiteral("The file holds %1 bytes; an update file holds at most %2 bytes")
                   .arg(QString::number(kMaxUpdateFileBytes + 1), QString::number(kMaxUpdateFileBytes));
        QTest::newRow("export without out") << QStringList{"export", flight} << "--out is required.";
        QTest::newRow("export reference") << QStringList{"export", "--out", env.path(), "file.raw:x"}
                                          << "file.raw:x names no flight: expected RAW:FLIGHT";
        QTest::newRow("flights argument") << QStringList{"flights", "extra"} << "flights takes no arguments.";
        const QStringList trend{"trend", "--esn", "123456", "--parameter", "A4R"};
        QTest::newRow("trend: unknown engine") << QStringList{"trend", "--esn", "9\x1b", "--parameter", "7", "--highest"}
                                               << "No engine \"9\\x1B\" in the flight index; tolm-cli fleet lists them.";
        QTest::newRow("trend: parameter") << QStringList{"trend", "--esn", "1", "--parameter", "22", "--bin", "1"}
                                          << "--parameter takes an id from 0 to 21 or a menu entry such as \"A4R (avg)\", not \"22\".";
        QTest::newRow("trend: bin") << trend + QStringList{"--bin", "0"} << "--bin takes a whole number from 1 to 26, not \"0\".";
        QTest::newRow("trend: bin and highest") << trend + QStringList{"--bin", "1", "--highest"}
                                                << "Give either --bin or --highest with --parameter.";
        QTest::newRow("trend: CSV and JSON") << trend + QStringList{"--highest", "--csv", "--json"} << "Give either --csv or --json.";
        QTest::newRow("trend: memory") << trend + QStringList{"--highest", "--memory", "both"}
                                       << "--memory takes one of pre, post, all, not \"both\".";
        QTest::newRow("fleet: bin alone") << QStringList{"fleet", "--bin", "3"} << "--bin and --highest go with --parameter.";
        QTest::newRow("command") << QStringList{"frobnicate"} << "Unknown command \"frobnicate\".";
        QTest::newRow("help of a command") << QStringList{"help", "frobnicate"} << "Unknown command \"frobnicate\".";
    }
    void otherRefusalsExitTwo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const Run result = run(arguments);
        QCOMPARE(result.status, 2);
        QVERIFY2(result.err.contains(message), qPrintable(result.err));
        QVERIFY(!result.err.contains(QChar(0x1B)));
        QCOMPARE(result.out, QString());
    }

    // The rules every command follows, a row per command and rule. In the arguments "<raw>" stands for a
    // downloaded raw file, "<new>" for a directory that does not exist, "<unit>" for the simulator's address.
    void conventionsHoldForEveryCommand_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<bool>("terminal");  // standard error on a terminal
        QTest::addColumn<bool>("fresh");     // an empty home and settings store, where nothing may appear, nor <new>
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("shown");  // a pattern standard output or error matches
        QTest::addColumn<QString>("never");  // a pattern neither matches (empty: none)
        const QStringList none;
        const QString path = QRegularExpression::escape(QStringLiteral(TOLM_CLI_PATH));
        for (const QString command : {"status", "download", "flights", "index", "trend", "fleet", "export", "spectrum", "upload",
                                      "report", "sync", "fetch", "repository"})
            QTest::addRow("help names tolm-cli: %s", qPrintable(command))
                << QStringList{command, "--help"} << none << false << false << 0
                << "^Usage: tolm-cli " + command + " \\[options\\]" << path;

        QTest::newRow("any case: --transient, --window")
            << QStringList{"spectrum", "<raw>:3", "--transient", "aoa", "--event", "1", "--window", "Hamming"} << none
            << false << false << 0 << "^Frequency \\(Hz\\)," << "takes one of";
        QTest::newRow("any case: --kind") << QStringList{"upload", "--kind", "DSP", "<new>/x.dat"} << none << false
                                          << false << 2 << "/x.dat is no file." << "--kind takes";
        QTest::newRow("any case: --skip") << QStringList{"download", "--skip", "Engine-Data,FLIGHT-history"} << none
                                          << false << false << 2 << "--registration is required." << "--skip takes";

        const QString camelCaseKeys = "\"korvelPn\"";
        QTest::newRow("JSON: status") << QStringList{"status", "--json", "<unit>"} << none << false << false << 0
                                      << camelCaseKeys << "korvelPN";
        QTest::newRow("JSON: flights") << QStringList{"flights", "--json", "--data-dir", env.path() + "/shared"} << none
                                       << false << false << 0 << "\"flightDateTime\": \"20\\d\\d-" << "";

        // The download indexed the raw file it wrote: nothing is left to add until the index is rebuilt.
        const QString shared = env.path() + "/shared";
        QTest::newRow("index: the download's flights") << QStringList{"index", "--data-dir", shared} << none << false
                                                       << false << 0 << "^0 added, 0 changed, 0 dropped; 20 flights indexed\\.$" << "";
        QTest::newRow("JSON: index --rebuild") << QStringList{"index", "--rebuild", "--json", "--data-dir", shared}
                                               << none << false << false << 0
                                               << "\"added\": \\[\n +\".*/ESN123456-fd-\\d{8}-\\d{4}\\.raw\"\n" << "";
        QTest::newRow("JSON: trend") << QStringList{"trend", "--esn", "123456", "--parameter", "A4R", "--bin", "1",
                                                    "--json", "--data-dir", shared}
                                     << none << false << false << 0 << "\"flightEndUtc\": \"20\\d\\d-" << "";

        const QString missing = "The data directory \".*/Mirvak\" does not exist.";
        QTest::newRow("no data directory: flights") << QStringList{"flights", "--data-dir", "<new>"} << none << false
                                                    << true << 1 << missing << "";
        QTest::newRow("no data directory: export") << QStringList{"export", "--out", "<new>/out", "<raw>:3", "--data-dir", "<new>"}
                                                   << none << false << true << 1 << missing << "";
        QTest::newRow("no data directory: spectrum") << QStringList{"spectrum", "<raw>:3", "--bin", "1", "--data-dir", "<new>"}
                                                     << none << false << true << 1 << missing << "";
        QTest::newRow("no data directory: trend")
            << QStringList{"trend", "--esn", "1", "--parameter", "7", "--highest", "--data-dir", "<new>"} << none
            << false << true << 1 << missing << "";
        QTest::newRow("no stored data directory: fleet") << QStringList{"fleet"} << none << false << true << 1 << missing << "";
        QTest::newRow("no stored data directory: flights") << QStringList{"flights"} << none << false << true << 1
                                                           << missing << "";

        const QStringList exportOne{"export", "--out", "<new>/out", "<raw>:3"};
        QTest::newRow("terminal: a bar") << exportOne << QStringList{"TERM=xterm", "NO_COLOR="} << true << false << 0
                                         << "\\[#+\\.*\\].*\x1b\\[K" << "";
        QTest::newRow("TERM=dumb: lines") << exportOne << QStringList{"TERM=dumb", "NO_COLOR="} << true << false << 0
                                          << "^Flight 1 of 1: " << "\x1b";
        QTest::newRow("NO_COLOR: a bar") << exportOne << QStringList{"TERM=xterm", "NO_COLOR=1"} << true << false << 0
                                         << "\\[#+\\.*\\]" << "\x1b";
    }
    void conventionsHoldForEveryCommand()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(bool, terminal);
        QFETCH(bool, fresh);
        QFETCH(int, status);
        QFETCH(QString, shown);
        QFETCH(QString, never);
        const QString raw = downloadedRaw();
        QVERIFY(!raw.isEmpty());
        const QString created = freshDataDir("new");
        const QString home = freshDataDir("fresh-home");
        const QString store = freshDataDir("fresh-settings");
        if (fresh) {
            QVERIFY(QDir().mkpath(home) && QDir().mkpath(store));
            environment << "HOME=" + home << "XDG_CONFIG_HOME=" + store;
        }
        std::optional<SimulatorProcess> sim;
        QStringList expanded;
        for (const QString& argument : arguments) {
            if (argument == QLatin1String("<unit>")) {
                sim.emplace(simulatorOptions());
                expanded << unitArguments(*sim);
            } else {
                expanded << QString(argument).replace("<raw>", raw).replace("<new>", created);
            }
        }
        Terminal tty;
        const Run result = run(expanded, {}, false, environment, terminal ? &tty : nullptr);
        const QString seen = result.out + result.err;
        QVERIFY2(result.status == status, qPrintable(seen));
        QVERIFY2(QRegularExpression(shown, QRegularExpression::MultilineOption).match(seen).hasMatch(), qPrintable(seen));
        if (!never.isEmpty())
            QVERIFY2(!QRegularExpression(never).match(seen).hasMatch(), qPrintable(seen));
        if (fresh) {
            QVERIFY(!QFileInfo::exists(created));
            QVERIFY2(QDir(home).isEmpty() && QDir(store).isEmpty(), qPrintable((filesBelow(home) + filesBelow(store)).join(' ')));
        }
        if (arguments.contains("--json")) {
            QList<std::pair<QString, QJsonValue>> keys;
            const QJsonDocument document = QJsonDocument::fromJson(result.out.toUtf8());
            collectKeys(document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object()), keys);
            QVERIFY(!keys.isEmpty());
            const QRegularExpression camelCase("^[a-z]+(?:[0-9]|[A-Z][a-z0-9]+)*$");
            const QRegularExpression isoDateTime("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ?$");
            for (const auto& [key, value] : keys) {
                QVERIFY2(camelCase.match(key).hasMatch(), qPrintable(key));
                if (key.endsWith("DateTime"))
                    QVERIFY2(isoDateTime.match(value.toString()).hasMatch(), qPrintable(value.toString()));
            }
        }
    }

    // RAW:FLIGHT names the first slot holding the number, RAW@SLOT the slot itself, in every command that
    // takes a flight. A raw file that cannot be read or is refused ends it with 1, an argument that names
    // no flight of it with 2.
    void flightArgumentsNameAFlightOrASlot_data()
    {
        QTest::addColumn<QString>("reference");  // <raw>: flight 3 in slot 0 (Pre-Defect) and slot 1 (Post-Defect)
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("shown");  // the end of the directory exported, or the message
        QTest::newRow("first slot holding flight 3") << "<raw>:3" << 0 << "-PRD-F3";
        QTest::newRow("slot 1") << "<raw>@1" << 0 << "-POD-F3";
        QTest::newRow("slot 0") << "<raw>@0" << 0 << "-PRD-F3";
        QTest::newRow("empty slot") << "<raw>@2" << 2 << "Slot 2 of <raw> holds no flight.";
        QTest::newRow("slot out of range") << "<raw>@21" << 2 << "<raw>@21 names no flight";
        QTest::newRow("flight not in the file") << "<raw>:4" << 2 << "Flight 4 is not in <raw>.";
        QTest::newRow("no such file") << "<dir>/nowhere.raw@0" << 1
                                      << "Slot 0 of <dir>/nowhere.raw cannot be read (cannot open the file";
        QTest::newRow("refused file") << "<dir>/foreign.raw:1" << 1
                                      << "Flight 1 of <dir>/foreign.raw cannot be read (unsupported file format).";
    }
    void flightArgumentsNameAFlightOrASlot()
    {
        QFETCH(QString, reference);
        QFETCH(int, status);
        QFETCH(QString, shown);
        const QString dir = env.path() + "/slots";
        const QString raw = writeRaw(dir, "F-GABC", 2, "ESN1-fd-20110305-1425.raw", {{3, 0}, {3, 1}});
        QFile foreign(dir + "/foreign.raw");
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write(QByteArray(700, 'x'));
        foreign.close();
        reference.replace("<raw>", raw).replace("<dir>", dir);
        shown.replace("<raw>", raw).replace("<dir>", dir);

        const QString out = freshDataDir("slots-out");
        for (const QStringList& command : {QStringList{"export", "--out", out, reference},
                                           QStringList{"spectrum", reference, "--bin", "1"}}) {
            const Run result = run(command);
            QVERIFY2(result.status == status, qPrintable(command[0] + ": " + result.err));
            if (status != 0)
                QVERIFY2(result.err.contains(shown), qPrintable(result.err));
            else if (command[0] == QLatin1String("export"))
                QVERIFY2(result.out.trimmed().endsWith(shown), qPrintable(result.out));
        }
    }

    // Ctrl+C cancels as the window's Cancel does: nothing erased, nothing half-written, status 130.
    void ctrlCCancelsLikeTheWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");  // <file>: an update file of three packets
        QTest::addColumn<QStringList>("unit");       // simulator options that keep the job underway
        QTest::addColumn<QString>("underway");       // the request after which Ctrl+C is pressed
        QTest::addColumn<QString>("told");
        QTest::addColumn<QStringList>("kept");       // the files in the data directory afterwards
        QTest::newRow("download") << QStringList{"download", "--accept-incompatible", "--erase"} + kSampleDetails
                                  << QStringList{"--fault", "stall:96:100000"} << "CMD_DOWNLOAD_DATA"
                                  << "Download cancelled. The unit's memory was not erased." << QStringList{"Mirvak/tolm.db"};
        QTest::newRow("upload") << QStringList{"upload", "--kind", "config", "<file>", "--password-stdin",
                                               "--accept-incompatible", "--erase"}
                                << QStringList{"--reprog-delay-ms", "3000"} << "CMD_REPROG_CONFIG_DSP"
                                << "The upload was cancelled" << QStringList();
    }
    void ctrlCCancelsLikeTheWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, unit);
        QFETCH(QString, underway);
        QFETCH(QString, told);
        QFETCH(QStringList, kept);
        SimulatorProcess sim(simulatorOptions(unit));
        const QString dataDir = freshDataDir("interrupted-data");
        arguments.replaceInStrings("<file>", writeUpdateFile(env.path() + "/614_208-000-2.dat", 2 * 1280 + 1));
        QProcess process;
        prepare(process, false);
        process.setArguments(arguments + QStringList{"--data-dir", dataDir} + unitArguments(sim));
        process.start();
        process.write("tulip\n");
        process.closeWriteChannel();
        QVERIFY(waitFor([&] { return logged().contains(underway); }, 60000));
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(waitFor([&] { return process.state() == QProcess::NotRunning; }, 60000));
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QVERIFY2(process.exitCode() == 130 && err.contains(told), qPrintable(err));
        QCOMPARE(logged().filter("CMD_ERASE_DATA"), QStringList());
        QVERIFY(logged().count(underway) < 3);  // the upload stopped before its last packet
        kept.replaceInStrings(QRegularExpression("^"), dataDir + '/');
        QCOMPARE(filesBelow(dataDir), kept);
    }

    void statusShowsWhatTheDialogsShow()
    {
        SimulatorProcess sim(simulatorOptions());
        const Run json = run(QStringList{"status", "--json"} + unitArguments(sim));
        QCOMPARE(json.status, 0);
        const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
        const QJsonObject partNumbers = object["partNumbers"].toObject();
        QCOMPARE(partNumbers["korvelPn"].toString(), QStringLiteral("ABCDEFGHIJKLMNO"));
        QCOMPARE(partNumbers["korvelSn"].toString(), QStringLiteral("QRSTUVW"));
        QCOMPARE(partNumbers["dspConfigTablePn"].toString(), QStringLiteral("WXYZABCDEFGHIJK"));
        QCOMPARE(partNumbers["dspConfigTableCrc"].toInt(), 3);
        QVERIFY(!partNumbers.contains("korvelSnCrc"));
        QCOMPARE(object["bite"].toObject().size(), 9);
        QCOMPARE(object["bite"].toObject()["dspAnalogItv"].toInt(), 2);
        QCOMPARE(object["compatible"].toBool(true), false);

        const Run text = run(QStringList{"status"} + unitArguments(sim));
        QCOMPARE(text.status, 0);
        const QStringList lines = text.out.split('\n');
        for (const char* line : {"Part Numbers (CRC)", "  Korvel PNR:            ABCDEFGHIJKLMNO",
                                 "  Main Prog PNR:         QRSTUVWXYZABCDE  (0x1)", "BITE Results",
                                 "  DSP Analog:            2", "Compatible: no"})
            QVERIFY2(lines.contains(QLatin1String(line)), line);
        QCOMPARE(logged(), (QStringList{"CMD_PN", "CMD_STATUS_REQ", "CMD_PN", "CMD_STATUS_REQ"}));
    }

    void unreachableUnitExitsOne()
    {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
        const quint16 port = closed.serverPort();
        closed.close();  // nothing listens there any more
        const Run result = run({"status", "--address", "127.0.0.1", "--port", QString::number(port)});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains(QStringLiteral("The unit at 127.0.0.1:%1 could not be identified").arg(port)),
                 qPrintable(result.err));
    }

    // The window retries a refused part-number answer; a command stops at the first.
    void refusedPartNumbersEndTheCommand()
    {
        SimulatorProcess sim(simulatorOptions({"--fault", "ack:1"}));
        const Run result = run(QStringList{"status"} + unitArguments(sim));
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.contains(QStringLiteral("The unit at 127.0.0.1:%1 could not be identified: Detected ACK error")
                                         .arg(sim.port())),
                 qPrintable(result.err));
        QCOMPARE(logged(), QStringList{"CMD_PN"});
    }

    void flightsListWhatTheSelectionLists()
    {
        const QString raw = downloadedRaw();
        QVERIFY(!raw.isEmpty());
        // Quote, backslash and a letter beyond ASCII: each path is escaped as Qt's JSON writer does it.
        const QString dataDir = freshDataDir(QStringLiteral("flights \"d\u00e4ta\\"));
        const QString root = dataDir + "/Mirvak";
        const QString engine = root + "/F-GABC_data/engine_4";
        QDir().mkpath(engine);
        QVERIFY(QFile::copy(raw, engine + "/ESN123456-fd-20260305-1425.raw"));
        // A file cut inside slot 5 lists the flights of slots 1 to 4 only.
        QFile whole(raw);
        QVERIFY(whole.open(QIODevice::ReadOnly));
        QFile cut(engine + "/ESN123456-fd-20260305-1426.raw");
        QVERIFY(cut.open(QIODevice::WriteOnly));
        cut.write(whole.read(sizeof(RawFileHeader) + 5 * sizeof(FlightBlock) + 100));
        cut.close();
        writeRaw(root, "HB-XYZ", 2, "ESN9-fd-20110305-1425.raw", {{0, 0}, {7, 1, dateWord(2011, 3, 5), timeWord(14, 25)}});
        // A file with a byte more than a raw file holds is none: refused, and the listing fails.
        const QString longer = engine + "/ESN123456-fd-20260305-1427.raw";
        QVERIFY(QFile::copy(raw, longer));
        QVERIFY(QFile::resize(longer, kRawFileSize + 1));
        // A file of another format is refused: the others are listed, and the command tells it by its status.
        QFile foreign(engine + "/foreign.raw");
        QVERIFY(foreign.open(QIODevice::WriteOnly));
        foreign.write(QByteArray(700, 'x'));
        foreign.close();

        const Run json = run({"flights", "--json", "--data-dir", dataDir});
        QCOMPARE(json.status, 1);
        QVERIFY(json.err.contains(cut.fileName() + ": Failed to read data block"));
        QVERIFY2(json.err.contains(longer + ": 5842757 bytes, more than the 5842756 bytes of a complete raw file of "
                                            "its format."),
                 qPrintable(json.err));
        QVERIFY(json.err.contains("Found raw data files with an unsupported format."));
        const QJsonObject listing = QJsonDocument::fromJson(json.out.toUtf8()).object();
        // Written flight by flight, in the bytes of the document written whole.
        QCOMPARE(json.out, QString::fromUtf8(QJsonDocument(listing).toJson()));
        const QJsonArray flights = listing["flights"].toArray();
        QCOMPARE(flights.size(), 20 + 4 + 1);
        QCOMPARE(listing["truncatedFiles"].toArray(), QJsonArray{cut.fileName()});
        QCOMPARE(listing["refusedFiles"].toArray(), QJsonArray{longer});
        QCOMPARE(listing["unsupportedFiles"].toArray(), QJsonArray{foreign.fileName()});
        const QJsonObject first = flights[0].toObject();
        QCOMPARE(first["aircraft"].toString(), QStringLiteral("F-GABC"));
        QCOMPARE(first["engine"].toInt(), 4);
        QCOMPARE(first["rawFile"].toString(), engine + "/ESN123456-fd-20260305-1425.raw");
        QCOMPARE(first["flight"].toInt(), 1);
        QCOMPARE(first["slot"].toInt(), 1);  // the unit's slot 0 is empty
        QCOMPARE(first["reference"].toString(), engine + "/ESN123456-fd-20260305-1425.raw@1");
        QCOMPARE(flights[5].toObject()["memoryType"].toString(), QStringLiteral("Post-Defect"));  // slot 5 on
        QCOMPARE(flights[20].toObject()["truncated"].toBool(), true);
        QCOMPARE(flights[19].toObject()["truncated"].toBool(), false);
        const QJsonObject other = flights[24].toObject();
        QCOMPARE(other["aircraft"].toString(), QStringLiteral("HB-XYZ"));
        QCOMPARE(other["engine"].toInt(), 2);
        QCOMPARE(other["flight"].toInt(), 7);
        QCOMPARE(other["reference"].toString(), other["rawFile"].toString() + "@1");
        QCOMPARE(other["memoryType"].toString(), QStringLiteral("Post-Defect"));
        QCOMPARE(other["flightDateTime"].toString(), QStringLiteral("2011-03-05T14:25:00Z"));
        const QDateTime written = QFileInfo(other["rawFile"].toString()).lastModified();
        QCOMPARE(other["downloadDateTime"].toString(), written.toUTC().toString("yyyy-MM-dd'T'HH:mm:ss'Z'"));

        const Run table = run({"flights", "--data-dir", dataDir});
        QCOMPARE(table.status, 1);
        const QStringList rows = table.out.split('\n').filter(QRegularExpression("^(F-GABC|HB-XYZ) "));
        QCOMPARE(rows.size(), 25);
        QCOMPARE(rows.filter(QRegularExpression("truncated$")).size(), 4);
        QVERIFY(rows.last().contains(QRegularExpression(
            "^HB-XYZ +2 +.+ESN9-fd-20110305-1425\\.raw +1 +00007 +Post-Defect +2011\\.03\\.05 14:25:00 +")));
    }

    // Engine 77 moved from F-GABC/2 to F-HXYZ/1; its flight 6, downloaded twice, counts once, from the later
    // download. A file the index refuses is named and the command fails, but the others' flights are used.
    void trendAndFleetReadTheIndex()
    {
        const QString dataDir = freshDataDir("trend-data");
        const QString root = dataDir + "/Mirvak";
        Clock::fix(QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC));
        writeSampleRawFile(root, "F-GABC", 2, "ESN77-fd-20260101-1200.raw", {{5, 0}, {6, 1}});
        Clock::fix(QDateTime(QDate(2026, 2, 1), QTime(12, 0), Qt::UTC));
        writeSampleRawFile(root, "F-HXYZ", 1, "ESN77-fd-20260201-1200.raw", {{6, 1}, {7, 1}});
        Clock::fix(std::nullopt);
        const QString foreign = writeFile("trend-data/Mirvak/F-GABC_data/engine_2/foreign.raw", QByteArray(700, 'x'));
        const QStringList trend{"trend", "--esn", "77", "--parameter", "a&4r", "--bin", "3", "--data-dir", dataDir};

        const Run csv = run(trend + QStringList{"--csv"});
        QCOMPARE(csv.status, 1);
        QVERIFY2(csv.err.startsWith(foreign + ": "), qPrintable(csv.err));
        // Parameter 7 of bin 3 of flight f reads 702 + f / 4.
        QCOMPARE(csv.out, QStringLiteral("flight_end_utc,flight,memory_type,registration,engine,raw_file,slot,value\n"
                                         "2011-03-05T14:25:00Z,5,pre,F-GABC,2,ESN77-fd-20260101-1200.raw,0,703.25\n"
                                         "2011-03-05T14:25:00Z,6,post,F-HXYZ,1,ESN77-fd-20260201-1200.raw,0,703.5\n"
                                         "2011-03-05T14:25:00Z,7,post,F-HXYZ,1,ESN77-fd-20260201-1200.raw,1,703.75\n"));

        const Run json = run(trend + QStringList{"--json", "--memory", "PRE"});
        QCOMPARE(json.status, 0);
        const QJsonArray points = QJsonDocument::fromJson(json.out.toUtf8()).array();
        QCOMPARE(points.size(), 1);
        QCOMPARE(points[0].toObject(), (QJsonObject{{"flightEndUtc", "2011-03-05T14:25:00Z"}, {"flight", 5},
                                                    {"memoryType", "pre"}, {"registration", "F-GABC"}, {"engine", 2},
                                                    {"rawFile", "ESN77-fd-20260101-1200.raw"}, {"slot", 0},
                                                    {"value", 703.25}}));

        const Run fleet = run({"fleet", "--json", "--parameter", "7", "--highest", "--data-dir", dataDir});
        QCOMPARE(fleet.status, 0);
        const QJsonArray engines = QJsonDocument::fromJson(fleet.out.toUtf8()).array();
        QCOMPARE(engines.size(), 1);
        const QJsonObject engine = engines[0].toObject();
        for (const QString key : {"esn", "registration", "engine", "lastDownloadUtc", "flights", "alarms", "value", "changePercent"})
            QVERIFY2(engine.contains(key), qPrintable(key));
        QCOMPARE(engine["esn"].toString(), QStringLiteral("77"));
        QCOMPARE(engine["registration"].toString(), QStringLiteral("F-HXYZ"));
        QCOMPARE(engine["lastDownloadUtc"].toString(), QStringLiteral("2026-02-01T12:00:00Z"));
        QCOMPARE(engine["flights"].toInt(), 3);
        QCOMPARE(engine["alarms"].toObject().keys(), (QStringList{"3B", "4L", "4R"}));
        QCOMPARE(engine["alarms"]["4R"].toObject().keys(), (QStringList{"current", "historic"}));
        QCOMPARE(engine["value"].toDouble(), 726.75);  // flight 7's bin 26: 700 + 25 + 7 / 4

        const Run table = run({"fleet", "--data-dir", dataDir});
        QCOMPARE(table.status, 0);
        QVERIFY2(table.out.contains(QRegularExpression("\\n77 +F-HXYZ +1 +2026-02-01T12:00:00Z +3 ")), qPrintable(table.out));
    }

    // The flights listed, exported by their references: the files of the station's own export.
    void exportWritesWhatTheExportWrites()
    {
        QVERIFY(!downloadedRaw().isEmpty());
        const Run listed = run({"flights", "--json", "--data-dir", env.path() + "/shared"});
        const QJsonArray flights = QJsonDocument::fromJson(listed.out.toUtf8()).object()["flights"].toArray();
        QCOMPARE(flights.size(), 20);
        const QStringList references{flights[2].toObject()["reference"].toString(),
                                     flights[11].toObject()["reference"].toString()};
        const QString out = freshDataDir("export-cli");
        const Run result = run(QStringList{"export", "--out", out} + references, {}, true);
        QVERIFY2(result.status == 0, qPrintable(result.err));
        QVERIFY(result.err.contains("Export Data: Done!"));

        FlightRecordList records;
        for (const QString& reference : references)
            records << resolveFlightReference(reference).record;
        QCOMPARE(records[1]->flightNumber, 12);
        const QString windowOut = freshDataDir("export-window");
        Clock::fix(kSessionTime);
        const bool complete = exportFlights(records, windowOut).complete();
        Clock::fix(std::nullopt);
        QVERIFY(complete);
        QStringList directories;
        for (const auto& record : records) {
            const QString name = flightDirectoryName(*record);
            directories << out + '/' + name;
            const QMap<QString, QByteArray> files = filesIn(out + '/' + name);
            QCOMPARE(files.size(), 15);
            QVERIFY2(files == filesIn(windowOut + '/' + name), qPrintable(name));
        }
        QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts), directories);
    }

    void spectrumIsThePlottedOne_data()
    {
        QTest::addColumn<QStringList>("source");
        QTest::addColumn<QString>("window");  // empty: the plot window's stored choice, Hanning
        QTest::addColumn<int>("steadyBin");   // 0..25, or -1 for a transient
        QTest::addColumn<int>("transient");
        QTest::addColumn<int>("event");
        QTest::addColumn<int>("windowType");
        QTest::newRow("bin 1") << QStringList{"--bin", "1"} << "none" << 0 << 0 << 0 << 0;
        QTest::newRow("bin 26 Hanning") << QStringList{"--bin", "26"} << "hanning" << 25 << 0 << 0 << 1;
        QTest::newRow("bin 3 stored Hanning") << QStringList{"--bin", "3"} << "" << 2 << 0 << 0 << 1;
        QTest::newRow("TOC 1 Hamming") << QStringList{"--transient", "TOC", "--event", "1"} << "hamming" << -1 << 0 << 0 << 2;
        QTest::newRow("AOA 10 Hanning") << QStringList{"--transient", "AOA", "--event", "10"} << "hanning" << -1 << 3 << 9 << 1;
    }
    void spectrumIsThePlottedOne()
    {
        QFETCH(QStringList, source);
        QFETCH(QString, window);
        QFETCH(int, steadyBin);
        QFETCH(int, transient);
        QFETCH(int, event);
        QFETCH(int, windowType);
        const QString reference = downloadedRaw() + ":3";
        settings::setValue(settings::Plot2D_FFT_WINDOW_TYPE, 1);
        const Run result = run(QStringList{"spectrum", reference} + source
                               + (window.isEmpty() ? QStringList() : QStringList{"--window", window}));
        QCOMPARE(result.status, 0);

        // The plot's spectrum of the same record: line 0 shows 0, and line 1 too for a steady-state bin under Hanning.
        const ResolvedFlight flight = resolveFlightReference(reference);
        QVERIFY(flight.record);
        const qint16* counts = steadyBin >= 0 ? flight.record->block.steadySamples[steadyBin]
                                              : flight.record->block.transientSamples[transient][event];
        std::vector<double> expected = plotSpectrum(timeHistory(counts).data(), windowType,
                                                    CorrectionTable(CorrectionTable::defaultPath()));
        const bool lineOneForced = steadyBin >= 0 && windowType == FftWindowHanning;
        if (windowType == FftWindowHanning)
            QVERIFY(expected[1] != 0.0);  // so whether it is forced shows
        expected[0] = 0.0;
        if (lineOneForced)
            expected[1] = 0.0;
        QStringList lines{"Frequency (Hz),G pk (compensated)"};
        for (int k = 0; k < 1024; ++k)
            lines << formatG(k * 4.76837158203125) + ',' + formatG(expected[k]);
        QCOMPARE(result.out.split('\n', Qt::SkipEmptyParts), lines);
    }

    void uploadAsksAsTheDialogDoes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("asked");
        const QString dsp = "The DSP SW you are about to upload is not compatible";
        QTest::newRow("DSP declined") << "dsp" << "614_207-000-2.dat" << QStringList() << 2 << QStringList{"CMD_PN"}
                                      << "Nothing was sent to the unit. Give --accept-incompatible to answer Yes.";
        QTest::newRow("DSP accepted") << "dsp" << "614_207-000-2.dat" << QStringList{"--accept-incompatible"} << 0
                                      << QStringList{"CMD_PN", "CMD_REPROG_PROG_DSP", "CMD_REPROG_PROG_DSP", "CMD_PN"} << dsp;
        QTest::newRow("table without erase") << "config" << "614_208-000-2.dat" << QStringList{"--accept-incompatible"} << 2
                                             << QStringList{"CMD_PN"} << "Nothing was sent to the unit. Give --erase to answer Yes.";
        QTest::newRow("table") << "config" << "614_208-000-2.dat" << QStringList{"--accept-incompatible", "--erase"} << 0
                               << QStringList{"CMD_PN", "CMD_REPROG_CONFIG_DSP", "CMD_REPROG_CONFIG_DSP", "CMD_PN",
                                              "CMD_ERASE_DATA"}
                               << "The Tessel memory will be erased.";
        QTest::newRow("odd name") << "dsp" << "update.dat" << QStringList() << 2 << QStringList{"CMD_PN"}
                                  << "The file name does not look like a DSP software file";
    }
    void uploadAsksAsTheDialogDoes()
    {
        QFETCH(QString, kind);
        QFETCH(QString, file);
        QFETCH(QStringList, flags);
        QFETCH(int, status);
        QFETCH(QStringList, sent);
        QFETCH(QString, asked);
        SimulatorProcess sim(simulatorOptions());
        const QString path = writeUpdateFile(env.path() + '/' + file, 1281);  // two packets
        const Run result = run(QStringList{"upload", "--kind", kind, path, "--password-stdin"} + flags + unitArguments(sim),
                               "tulip\n");
        QVERIFY2(result.status == status, qPrintable(result.err));
        QVERIFY2(result.err.contains(asked), qPrintable(result.err));
        QCOMPARE(logged(), sent);
        if (status == 0)
            QVERIFY(result.err.contains("Upload complete!"));
    }

    void uploadFollowsTheUnitsMode_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("uploadMode");
        QTest::addColumn<QString>("refusal");  // empty: the upload runs
        const QString onlyMain = "The unit runs its main-software upload mode: only main software can be uploaded.";
        const QString notMain = "The unit runs its normal software: main software can be uploaded only in its upload mode.";
        QTest::newRow("main, upload mode") << "main" << true << QString();
        QTest::newRow("main, normal") << "main" << false << notMain;
        QTest::newRow("dsp, upload mode") << "dsp" << true << onlyMain;
        QTest::newRow("dsp, normal") << "dsp" << false << QString();
        QTest::newRow("config, upload mode") << "config" << true << onlyMain;
        QTest::newRow("config, normal") << "config" << false << QString();
    }
    void uploadFollowsTheUnitsMode()
    {
        QFETCH(QString, kind);
        QFETCH(bool, uploadMode);
        QFETCH(QString, refusal);
        SimulatorProcess sim(simulatorOptions(uploadMode ? QStringList{"--upload-mode"} : QStringList()));
        const QString file = QStringLiteral("614_20%1-000-2.dat").arg(kind == "main" ? 5 : kind == "dsp" ? 7 : 8);
        const QString path = writeUpdateFile(env.path() + '/' + file, 10);
        const Run result = run(QStringList{"upload", "--kind", kind, path, "--password-stdin", "--accept-incompatible",
                                           "--erase"} + unitArguments(sim),
                               "tulip\n");
        if (refusal.isEmpty()) {
            QVERIFY2(result.status == 0, qPrintable(result.err));
            QVERIFY(logged().size() > 1);
        } else {
            QCOMPARE(result.status, 2);
            QCOMPARE(result.err.trimmed().split('\n').last(), refusal);
            QCOMPARE(logged(), QStringList{"CMD_PN"});  // nothing was sent after the identification
        }
    }

    void wrongPasswordSendsNothing_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("message");
        QTest::newRow("wrong") << QByteArray("tulipe\n") << "Invalid password.";
        QTest::newRow("empty") << QByteArray("\n") << "Invalid password.";
        QTest::newRow("none") << QByteArray() << "No password: standard input ended.";
    }
    void wrongPasswordSendsNothing()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, message);
        SimulatorProcess sim(simulatorOptions());
        const QString path = writeUpdateFile(env.path() + "/614_207-000-2.dat", 10);
        const Run result = run(QStringList{"upload", "--kind", "dsp", path, "--password-stdin"} + unitArguments(sim), input);
        QCOMPARE(result.status, 2);
        QVERIFY2(result.err.contains(message) && !namesAFunction(result.err), qPrintable(result.err));
        QCOMPARE(sim.connectionCount(), 0);
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
