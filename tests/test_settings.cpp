// Settings seeding, the data directory tree and the settings dialog.

#include "GuiTestEnvironment.h"
#include "core/DataDirectories.h"
#include "core/Settings.h"
#include "app/SettingsDialog.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

class SettingsTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;

    static QMap<QString, QVariant> storeContents()
    {
        QSettings store;
        QMap<QString, QVariant> contents;
        for (const QString& key : store.allKeys())
            contents[key] = store.value(key);
        return contents;
    }

private slots:
    void init()
    {
        env.resetSettings();
        env.clearPrompts();
    }

    void seedingWritesOnlyMissingKeys()
    {
        QSettings().clear();
        settings::seedMissingKeys();
        QSettings store;
        QCOMPARE(store.value(settings::IpAddress).toString(), QStringLiteral("192.168.0.1"));
        QCOMPARE(store.value(settings::Port).toInt(), 4242);
        QCOMPARE(store.value(settings::Version).toString(), QStringLiteral("2.2.0"));
        QCOMPARE(store.value(settings::LastAircraft).toString(), QString());
        QVERIFY(store.contains(settings::LastAircraft));
        QCOMPARE(store.value(settings::DataDir).toString(), settings::defaultDataDir());
        QCOMPARE(store.value(settings::ConnectTimeout).toInt(), 150);
        QVERIFY(!store.contains(settings::Password));

        env.resetSettings();
        settings::setValue(settings::Port, 5000);
        settings::seedMissingKeys();
        QCOMPARE(settings::integer(settings::Port), 5000);
        QCOMPARE(settings::text(settings::IpAddress), QStringLiteral("127.0.0.1"));

        QCOMPARE(storedPassword(), QStringLiteral("tulip"));
        QCOMPARE(QSettings().value(settings::Password).toString(), QStringLiteral("tulip"));
    }

    void dataTreeFollowsDataDir()
    {
        const QString base = env.path() + QStringLiteral("/D/data");
        settings::setValue(settings::DataDir, base);
        QCOMPARE(dataRootPath(), base + QStringLiteral("/Mirvak"));
        QVERIFY(QDir(base + QStringLiteral("/Mirvak")).exists());
        QVERIFY(checkDataDirectories());
        for (const char* sub : {"/Mirvak/SW_uploads", "/Mirvak/tmp", "/archive"})
            QVERIFY2(QDir(base + QLatin1String(sub)).exists(), sub);
        QVERIFY(env.prompts().calls.isEmpty());

        // The data root comes back whenever it is asked for.
        QDir(base).removeRecursively();
        QCOMPARE(dataRootPath(), base + QStringLiteral("/Mirvak"));
        QVERIFY(QDir(base + QStringLiteral("/Mirvak")).exists());

        // A directory that cannot be made fails the check, so no aircraft are imported from the tree.
        QFile blocker(archiveDirectoryPath());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!checkDataDirectories());
        QCOMPARE(env.prompts().onlyMessage(),
                 QStringLiteral("Error|Unable to create directory \"%1\"").arg(archiveDirectoryPath()));
    }

    void emptyDataDirMeansTheDefault()
    {
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", env.path().toLocal8Bit() + "/home");
        settings::setValue(settings::DataDir, QString());
        const QString base = env.path() + QStringLiteral("/home/tolm-data");
        QCOMPARE(dataRootPath(), base + QStringLiteral("/Mirvak"));
        QVERIFY(checkDataDirectories());
        QVERIFY(QDir(base + QStringLiteral("/archive")).exists());
        QVERIFY(env.prompts().calls.isEmpty());
        qputenv("HOME", home);
    }

    void checkDirectoryMessages()
    {
        const QString missing = env.path() + QStringLiteral("/missing");
        QVERIFY(!checkDirectory(missing, false));
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Error|Directory \"%1\" not found").arg(missing));
        QCOMPARE(env.prompts().calls[0].kind, Prompts::Kind::Critical);
        QVERIFY(env.prompts().calls[0].parent == nullptr);

        env.clearPrompts();
        QFile blocker(env.path() + QStringLiteral("/file"));
        blocker.open(QIODevice::WriteOnly);
        blocker.close();
        const QString impossible = blocker.fileName() + QStringLiteral("/sub");
        QVERIFY(!checkDirectory(impossible, true));
        QCOMPARE(env.prompts().onlyMessage(),
                 QStringLiteral("Error|Unable to create directory \"%1\"").arg(impossible));

        env.clearPrompts();
        const QString locked = env.path() + QStringLiteral("/locked");
        QDir().mkpath(locked);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(locked).isWritable())
            QSKIP("running with permissions that ignore the directory's mode");
        QVERIFY(!checkDirectory(locked, true));
        QCOMPARE(env.prompts().onlyMessage(),
                 QStringLiteral("Error|No read/write access to directory \"%1\"").arg(locked));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void dialogShowsStoredValuesAndStoresAsTyped()
    {
        settings::setValue(settings::Port, 5000);
        settings::setValue(settings::SaveRawFiles, true);
        SettingsDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Tolm Settings"));
        auto* address = dialog.findChild<QLineEdit*>(QStringLiteral("addressLE"));
        auto* port = dialog.findChild<QSpinBox*>(QStringLiteral("portNum"));
        auto* path = dialog.findChild<QLineEdit*>(QStringLiteral("pathname"));
        auto* raw = dialog.findChild<QCheckBox*>(QStringLiteral("saveRawFilesCheckBox"));
        QCOMPARE(address->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(port->value(), 5000);
        QCOMPARE(path->text(), env.dataDir());
        QVERIFY(raw->isChecked());
        QCOMPARE(address->toolTip(), QStringLiteral("Advanced Korvel's host name or IP address"));
        QCOMPARE(port->maximum(), 99999);

        env.prompts().fileAnswers << env.path() + QStringLiteral("/chosen");
        dialog.findChild<QToolButton*>(QStringLiteral("fileSelectionTB"))->click();
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Choose a directory"));
        QCOMPARE(path->text(), env.path() + QStringLiteral("/chosen"));

        address->setText(QStringLiteral("localhost "));
        port->setValue(6000);
        raw->setChecked(false);
        dialog.findChild<QPushButton*>(QStringLiteral("buttonOk"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(settings::text(settings::IpAddress), QStringLiteral("localhost "));
        QCOMPARE(settings::integer(settings::Port), 6000);
        QCOMPARE(settings::text(settings::DataDir), env.path() + QStringLiteral("/chosen"));
        QCOMPARE(settings::flag(settings::SaveRawFiles), false);
    }

    void relativeDataDirectoryIsRefused_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("empty") << QString();
        QTest::newRow("relative") << QStringLiteral("data");
        QTest::newRow("dot") << QStringLiteral("./data");
    }
    void relativeDataDirectoryIsRefused()
    {
        QFETCH(QString, path);
        const auto before = storeContents();
        SettingsDialog dialog;
        dialog.findChild<QLineEdit*>(QStringLiteral("pathname"))->setText(path);
        dialog.findChild<QLineEdit*>(QStringLiteral("addressLE"))->setText(QStringLiteral("localhost"));
        dialog.findChild<QPushButton*>(QStringLiteral("buttonOk"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(env.prompts().onlyMessage(),
                 QStringLiteral("Tolm Settings|The data directory must be an absolute path, such as \"%1\".")
                     .arg(settings::defaultDataDir()));
        QCOMPARE(env.prompts().calls[0].kind, Prompts::Kind::Warning);
        QCOMPARE(storeContents(), before);
    }

    void restoreToDefaultThenCancelStoresNothing()
    {
        const auto before = storeContents();
        SettingsDialog dialog;
        dialog.findChild<QPushButton*>(QStringLiteral("restoreButton"))->click();
        QCOMPARE(dialog.address(), QStringLiteral("192.168.0.1"));
        QCOMPARE(dialog.port(), 4242);
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("pathname"))->text(), env.dataDir());
        dialog.findChild<QPushButton*>(QStringLiteral("buttonClose"))->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(storeContents(), before);
    }
};

QTEST_MAIN(SettingsTest)
#include "test_settings.moc"
