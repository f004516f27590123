// Starting the real program: one instance per user, overrides of the unit address,
// answers to --help and --version without a window.

#include <QDir>
#include <QProcess>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

class StartupTest : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    QTcpServer unit;  // stands in for the unit: the program must connect here, nowhere else

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        env.insert(QStringLiteral("TMPDIR"), home.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    void start(QProcess& process) const
    {
        process.setProcessEnvironment(environment());
        process.start(QStringLiteral(TOLM_MIRVAK_PATH),
                      {QStringLiteral("--address"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("--port"), QString::number(unit.serverPort())});
    }

    void forgetConnections()
    {
        while (unit.hasPendingConnections())
            delete unit.nextPendingConnection();
    }

    // A desktop platform with no display to reach: a window would abort the program.
    QProcessEnvironment withoutDisplay() const
    {
        QProcessEnvironment env = environment();
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return env;
    }

private slots:
    void initTestCase() { QVERIFY(unit.listen(QHostAddress::LocalHost, 0)); }

    void secondStartEndsAtOnceWithStatusZero()
    {
        QProcess first;
        start(first);
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(unit.hasPendingConnections(), 20000);  // the window is up

        QProcess second;
        start(second);
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);

        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        first.waitForFinished(10000);

        // The command-line address was for that run only.
        const QString store = home.path() + QStringLiteral("/config/Quellwerk/Mirvak.conf");
        QFile conf(store);
        QVERIFY(conf.open(QIODevice::ReadOnly));
        const QByteArray text = conf.readAll();
        QVERIFY2(text.contains("IP%20Address=192.168.0.1"), text.constData());
        QVERIFY(!text.contains("127.0.0.1"));
    }

    // The store holds the access password: only its owner may read it.
    void settingsFileIsTheOwnersOnly_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<bool>("existing");  // a store readable by all before the start
        QTest::newRow("window, new store") << QStringLiteral(TOLM_MIRVAK_PATH) << false;
        QTest::newRow("window, existing store") << QStringLiteral(TOLM_MIRVAK_PATH) << true;
        QTest::newRow("command line, existing store") << QStringLiteral(TOLM_CLI_PATH) << true;
    }
    void settingsFileIsTheOwnersOnly()
    {
        QFETCH(QString, program);
        QFETCH(bool, existing);
        forgetConnections();
        const QString store = home.path() + QStringLiteral("/config/Quellwerk/Mirvak.conf");
        QFile::remove(store);
        if (existing) {
            QDir().mkpath(QFileInfo(store).path());
            QFile file(store);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[General]\nPassword=tulip\n");
            file.close();
            QVERIFY(file.setPermissions(file.permissions() | QFile::ReadOther | QFile::ReadGroup));
        }
        QProcess process;
        process.setProcessEnvironment(environment());
        if (program == QLatin1String(TOLM_CLI_PATH)) {
            process.start(program, {QStringLiteral("flights"), QStringLiteral("--data-dir"), home.path()});
            QVERIFY(process.waitForFinished(20000));
        } else {
            start(process);
            QTRY_VERIFY_WITH_TIMEOUT(unit.hasPendingConnections(), 20000);  // seeded and connecting
            process.terminate();
            process.waitForFinished(10000);
        }
        QVERIFY(QFileInfo::exists(store));
        QCOMPARE(QFile::permissions(store).toInt() & 0x7077, (QFile::ReadOwner | QFile::WriteOwner).toInt());
    }

    void helpAndVersionNeedNoWindow_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<bool>("anotherCopyRuns");
        QTest::addColumn<QString>("expected");
        QTest::newRow("--version, no display") << "--version" << false << "tolm-mirvak 2.2.0";
        QTest::newRow("--help, no display") << "--help" << false << "--address <HOST>";
        QTest::newRow("-v, another copy runs") << "-v" << true << "tolm-mirvak 2.2.0";
        QTest::newRow("--help, another copy runs") << "--help" << true << "--port <N>";
    }

    void helpAndVersionNeedNoWindow()
    {
        QFETCH(QString, option);
        QFETCH(bool, anotherCopyRuns);
        QFETCH(QString, expected);
        forgetConnections();
        QProcess first;
        const auto stopFirst = qScopeGuard([&] {
            first.terminate();
            first.waitForFinished(10000);
        });
        if (anotherCopyRuns) {
            start(first);
            QVERIFY(first.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(unit.hasPendingConnections(), 20000);
        }

        QProcess asked;
        asked.setProcessEnvironment(anotherCopyRuns ? environment() : withoutDisplay());
        asked.start(QStringLiteral(TOLM_MIRVAK_PATH), {option});
        QVERIFY(asked.waitForFinished(20000));
        const QString output = QString::fromLocal8Bit(asked.readAllStandardOutput());
        QVERIFY2(output.contains(expected), qPrintable(output + asked.readAllStandardError()));
        QCOMPARE(asked.exitStatus(), QProcess::NormalExit);
        QCOMPARE(asked.exitCode(), 0);

        if (anotherCopyRuns)
            QCOMPARE(first.state(), QProcess::Running);
    }
};

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
