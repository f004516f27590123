// Maintaining aircraft and engine types, and removing an aircraft's data.

#include "GuiTestEnvironment.h"
#include "SqlRows.h"
#include "app/AircraftDialog.h"
#include "core/AircraftCatalogue.h"
#include "core/DataDirectories.h"
#include "core/Database.h"
#include "core/DirectoryTree.h"
#include "app/EngineDialog.h"
#include "core/Settings.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSqlQuery>
#include <QTextEdit>
#include <QtTest>

namespace {

QStringList items(QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

void touch(const QString& path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("x");
}

}  // namespace

class AircraftDialogsTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;

    template <typename T>
    T* child(QWidget& dialog, const char* name) { return dialog.findChild<T*>(QLatin1String(name)); }

    void add(AircraftDialog& dialog, const QString& registration)
    {
        child<QLineEdit>(dialog, "aircraftId")->setText(registration);
        child<QPushButton>(dialog, "buttonAdd")->click();
    }

private slots:
    void initTestCase() { connectDB(); }

    void init()
    {
        env.resetSettings();
        env.clearPrompts();
        QSqlQuery().exec(QStringLiteral("DROP TRIGGER IF EXISTS refuse"));
        for (const char* table : {"engine", "aircraft", "engine_type"})
            QSqlQuery().exec(QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)));
    }

    void addingAircraft()
    {
        AircraftDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add/Remove Aircraft"));
        QVERIFY(!child<QPushButton>(dialog, "buttonDel")->isEnabled());
        QVERIFY(!child<QPushButton>(dialog, "buttonUpdate")->isEnabled());

        child<QLineEdit>(dialog, "aircraftId")->setText("HB/ABC");
        QCOMPARE(child<QLineEdit>(dialog, "aircraftId")->text(), QStringLiteral("HB_ABC"));

        child<QLineEdit>(dialog, "shopId")->setText("Shop");
        add(dialog, "F-GABC");
        add(dialog, "f-gabc");  // differs in case only: another aircraft
        QVERIFY(env.prompts().calls.isEmpty());
        add(dialog, "F-GABC");
        add(dialog, "");
        add(dialog, "-ABC");
        add(dialog, "CON:");
        QCOMPARE(env.prompts().texts(),
                 (QStringList{"Aircraft ID \"F-GABC\" already exists", "No aircraft ID specified",
                              "Invalid registration number: string start with a '-'",
                              "Invalid registration number: string contains ':', which a file name cannot hold"}));
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Add/Remove Aircraft"));
        QCOMPARE(column("SELECT tail_number FROM aircraft ORDER BY tail_number"), (QStringList{"F-GABC", "f-gabc"}));
        QCOMPARE(column("SELECT shop_id FROM aircraft WHERE tail_number = 'F-GABC'"), QStringList{"Shop"});
        QCOMPARE(settings::text(settings::LastAircraft), QStringLiteral("f-gabc"));
        QVERIFY(child<QPushButton>(dialog, "buttonDel")->isEnabled());
    }

    void overlongTextsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("registration") << QByteArray("buttonAdd") << QByteArray("aircraftId") << 17
                                      << "The registration is longer than 16 characters.";
        QTest::newRow("shop id") << QByteArray("buttonAdd") << QByteArray("shopId") << 11
                                 << "The shop ID is longer than 10 characters.";
        QTest::newRow("comment") << QByteArray("buttonAdd") << QByteArray("comment") << 1025
                                 << "The comment is longer than 1024 characters.";
        QTest::newRow("updated shop id") << QByteArray("buttonUpdate") << QByteArray("shopId") << 11
                                         << "The shop ID is longer than 10 characters.";
    }
    void overlongTextsAreRefused()
    {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, field);
        QFETCH(int, length);
        QFETCH(QString, refusal);
        catalogue::addAircraft("F-GABC", "Shop", {});
        AircraftDialog dialog;
        if (button == "buttonAdd")
            child<QLineEdit>(dialog, "aircraftId")->setText("NEW");
        const QString text(length, QLatin1Char('A'));
        if (auto* line = child<QLineEdit>(dialog, field.constData()))
            line->setText(text);
        else
            child<QTextEdit>(dialog, field.constData())->setPlainText(text);
        child<QPushButton>(dialog, button.constData())->click();
        QCOMPARE(env.prompts().onlyMessage(), "Add/Remove Aircraft|" + refusal);
        QCOMPARE(column("SELECT tail_number || shop_id FROM aircraft"), QStringList{"F-GABCShop"});
        QCOMPARE(items(child<QListWidget>(dialog, "aircraftList")), QStringList{"F-GABC"});
    }

    void tabInTheCommentMovesOn()
    {
        AircraftDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* comment = child<QTextEdit>(dialog, "comment");
        comment->setFocus();
        QTest::keyClick(comment, Qt::Key_Tab);
        QCOMPARE(comment->toPlainText(), QString());
        QVERIFY(!comment->hasFocus());
    }

    void updatingAndSelecting()
    {
        catalogue::addAircraft("B-ONE", "S1", "first");
        catalogue::addAircraft("A-TWO", "S2", "it's second");
        AircraftDialog dialog;
        QCOMPARE(items(child<QListWidget>(dialog, "aircraftList")), (QStringList{"A-TWO", "B-ONE"}));
        QCOMPARE(child<QLineEdit>(dialog, "aircraftId")->text(), QStringLiteral("A-TWO"));
        QCOMPARE(child<QTextEdit>(dialog, "comment")->toPlainText(), QStringLiteral("it's second"));
        child<QListWidget>(dialog, "aircraftList")->setCurrentRow(1);
        QCOMPARE(child<QLineEdit>(dialog, "shopId")->text(), QStringLiteral("S1"));
        child<QLineEdit>(dialog, "shopId")->setText("O'Shop");
        child<QPushButton>(dialog, "buttonUpdate")->click();
        QCOMPARE(column("SELECT shop_id FROM aircraft WHERE tail_number = 'B-ONE'"), QStringList{"O'Shop"});
    }

    void deletingRemovesRowsAndData()
    {
        catalogue::addAircraft("F-GABC", {}, {});
        QSqlQuery().exec("INSERT INTO engine (aircraft_id, type, sn, sdi, install_date) VALUES (1, 'T', 'E', 1, '')");
        const QString data = dataRootPath() + "/F-GABC_data";
        touch(data + "/engine_1/a.raw");
        touch(data + "/engine_2/b.txt");

        AircraftDialog dialog;
        env.prompts().buttonAnswers << Prompts::Cancel;
        child<QPushButton>(dialog, "buttonDel")->click();
        QVERIFY(QDir(data).exists());
        QCOMPARE(env.prompts().calls[0].text,
                 QStringLiteral("Are you sure you want to delete the aircraft 'F-GABC' from the database?\nThis "
                                "will also delete all associated data file!"));

        env.prompts().buttonAnswers << Prompts::Ok;
        child<QPushButton>(dialog, "buttonDel")->click();
        QVERIFY(!QDir(data).exists());
        QCOMPARE(column("SELECT COUNT(*) FROM aircraft"), QStringList{"0"});
        QCOMPARE(column("SELECT COUNT(*) FROM engine"), QStringList{"0"});
        QCOMPARE(child<QLineEdit>(dialog, "aircraftId")->text(), QString());
        QVERIFY(!child<QPushButton>(dialog, "buttonDel")->isEnabled());
        QVERIFY(!child<QPushButton>(dialog, "buttonUpdate")->isEnabled());
    }

    void removalKeepsHiddenEntriesAndUnknownAircraft()
    {
        const QString data = dataRootPath() + "/HIDDEN_data";
        touch(data + "/engine_1/a.raw");
        touch(data + "/engine_1/.keep");
        QVERIFY(removeDirectoryTree(data));  // the hidden file keeps its directory
        QVERIFY(QFile::exists(data + "/engine_1/.keep"));
        QVERIFY(!QFile::exists(data + "/engine_1/a.raw"));
        QVERIFY(!removeDirectoryTree(dataRootPath() + "/NONE_data"));

        // A registration the database does not know deletes nothing.
        const QString other = dataRootPath() + "/GHOST_data";
        touch(other + "/engine_1/a.raw");
        AircraftDialog dialog;
        dialog.removeAircraft("GHOST");
        QVERIFY(QFile::exists(other + "/engine_1/a.raw"));
    }

    void removalUnlinksSymbolicLinks()
    {
        const QString outside = env.path() + "/outside";
        touch(outside + "/linked/engine_1/a.raw");
        touch(outside + "/directory/b.raw");
        touch(outside + "/file.txt");
        const QString root = dataRootPath();
        QVERIFY(QFile::link(outside + "/linked", root + "/LINKED_data"));
        touch(root + "/INNER_data/engine_1/c.raw");
        QVERIFY(QFile::link(outside + "/directory", root + "/INNER_data/engine_2"));
        QVERIFY(QFile::link(outside + "/file.txt", root + "/INNER_data/engine_1/d.raw"));
        QVERIFY(QFile::link(outside + "/missing", root + "/INNER_data/dangling"));
        catalogue::addAircraft("LINKED", {}, {});
        catalogue::addAircraft("INNER", {}, {});

        AircraftDialog dialog;
        dialog.removeAircraft("LINKED");
        dialog.removeAircraft("INNER");
        QVERIFY(!QFileInfo::exists(root + "/LINKED_data") && !QFileInfo(root + "/LINKED_data").isSymLink());
        QVERIFY(!QFileInfo::exists(root + "/INNER_data"));
        for (const char* kept : {"/linked/engine_1/a.raw", "/directory/b.raw", "/file.txt"})
            QVERIFY2(QFile::exists(outside + kept), kept);
        QCOMPARE(column("SELECT COUNT(*) FROM aircraft"), QStringList{"0"});
    }

    void engineTypes()
    {
        QSqlQuery().exec("INSERT INTO engine_type (type) VALUES ('CFM56-7')");
        QSqlQuery().exec("INSERT INTO engine_type (type) VALUES ('CFM56-5')");
        EngineDialog dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Add/Remove Engine Type"));
        auto* list = child<QListWidget>(dialog, "engineLW");
        QCOMPARE(items(list), (QStringList{"CFM56-5", "CFM56-7"}));
        QCOMPARE(child<QLineEdit>(dialog, "engineType")->text(), QStringLiteral("CFM56-5"));

        child<QLineEdit>(dialog, "engineType")->setText("LEAP-1A");
        child<QPushButton>(dialog, "buttonAdd")->click();
        QCOMPARE(list->currentItem()->text(), QStringLiteral("LEAP-1A"));
        child<QLineEdit>(dialog, "engineType")->setText("CFM56-7");
        child<QPushButton>(dialog, "buttonAdd")->click();
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Add/Remove Engine Type|Engine type \"CFM56-7\" already exists"));
        env.clearPrompts();
        child<QLineEdit>(dialog, "engineType")->setText(QString(17, QLatin1Char('T')));
        child<QPushButton>(dialog, "buttonAdd")->click();
        QCOMPARE(env.prompts().onlyMessage(),
                 QStringLiteral("Add/Remove Engine Type|The engine type is longer than 16 characters."));
        QCOMPARE(column("SELECT type FROM engine_type ORDER BY type"), (QStringList{"CFM56-5", "CFM56-7", "LEAP-1A"}));

        env.clearPrompts();
        list->setCurrentRow(0);
        env.prompts().buttonAnswers << Prompts::Ok;
        child<QPushButton>(dialog, "buttonDel")->click();
        QCOMPARE(env.prompts().calls[0].text,
                 QStringLiteral("Are you sure you want to delete the engine 'CFM56-5' from the database?\n"));
        QCOMPARE(column("SELECT type FROM engine_type ORDER BY type"), (QStringList{"CFM56-7", "LEAP-1A"}));
        QCOMPARE(items(list), (QStringList{"CFM56-7", "LEAP-1A"}));
    }

    void refusedStatementsAreShownOnce_data()
    {
        QTest::addColumn<bool>("engineDialog");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("title");
        QTest::newRow("add aircraft") << false << QByteArray("buttonAdd") << "INSERT ON aircraft" << "Add Aircraft";
        QTest::newRow("update aircraft") << false << QByteArray("buttonUpdate") << "UPDATE ON aircraft"
                                         << "AircraftDialog::on_buttonUpdate_clicked";
        QTest::newRow("delete aircraft") << false << QByteArray("buttonDel") << "DELETE ON engine"
                                         << "Add/Remove Aircraft";
        QTest::newRow("add engine type") << true << QByteArray("buttonAdd") << "INSERT ON engine_type"
                                         << "Add/Remove Engine Type";
        QTest::newRow("delete engine type") << true << QByteArray("buttonDel") << "DELETE ON engine_type"
                                            << "Add/Remove Engine Type";
    }
    void refusedStatementsAreShownOnce()
    {
        QFETCH(bool, engineDialog);
        QFETCH(QByteArray, button);
        QFETCH(QString, refused);
        QFETCH(QString, title);
        catalogue::addAircraft("F-GABC", {}, {});
        QSqlQuery().exec("INSERT INTO engine (aircraft_id, type, sn, sdi, install_date) "
                         "VALUES ((SELECT id FROM aircraft), 'T', 'E', 1, '')");
        QSqlQuery().exec("INSERT INTO engine_type (type) VALUES ('CFM56-5')");
        QVERIFY(QSqlQuery().exec(
            QStringLiteral("CREATE TRIGGER refuse BEFORE %1 BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")
                .arg(refused)));

        std::unique_ptr<QDialog> dialog;
        if (engineDialog)
            dialog = std::make_unique<EngineDialog>();
        else
            dialog = std::make_unique<AircraftDialog>();
        for (const char* field : {"aircraftId", "engineType"})
            if (auto* line = child<QLineEdit>(*dialog, field))
                line->setText("NEW");
        env.prompts().buttonAnswers << Prompts::Ok;  // a deletion asks first
        child<QPushButton>(*dialog, button.constData())->click();

        QStringList failures;
        for (const PromptCall& call : env.prompts().calls)
            if (call.kind == Prompts::Kind::Critical)
                failures << call.title + "|" + call.text;
        QCOMPARE(failures.size(), 1);
        QVERIFY2(failures[0].startsWith(title + "|refused by the test"), qPrintable(failures[0]));
    }
};

QTEST_MAIN(AircraftDialogsTest)
#include "test_aircraft_dialogs.moc"
