// Starting the real program: one instance per user, overrides of the unit address.

#include <QProcess>
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
};

QTEST_GUILESS_MAIN(StartupTest)
#include "test_startup.moc"
