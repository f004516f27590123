// The download/erase request: registration rule, the registration input and
// what the request dialog stores.

#include "GuiTestEnvironment.h"
#include "ui/AcIdInputDialog.h"
#include "core/AircraftCatalogue.h"
#include "core/Database.h"
#include "core/Registration.h"
#include "core/Settings.h"
#include "core/SqliteConnection.h"
#include "download/ui/DownloadClearDialog.h"
#include "link/LinkContext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextEdit>
#include <QtTest>

namespace {

constexpr int kPositionCode = 0;  // the unit sits on engine 4

QStringList rows(const QString& statement)
{
    QStringList values;
    QSqlQuery query(statement);
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << query.value(i).toString();
        values << row.join('|');
    }
    return values;
}

template <typename T>
T* child(QWidget& parent, const char* name)
{
    return parent.findChild<T*>(QLatin1String(name));
}

// Presses OK and waits until the details, stored off the GUI thread, are in the database.
void pressOk(QDialog& dialog)
{
    child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
    if (auto* request = qobject_cast<DownloadClearDialog*>(&dialog))
        QTRY_VERIFY(request->detailsStored().isFinished());
}

// Types the text into the named line edit, text edit or (non-editable) combo box.
void enter(QWidget& dialog, const char* name, const QString& text)
{
    QWidget* widget = child<QWidget>(dialog, name);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        line->setText(text);
    } else if (auto* edit = qobject_cast<QTextEdit*>(widget)) {
        edit->setPlainText(text);
    } else if (auto* box = qobject_cast<QComboBox*>(widget)) {
        box->addItem(text);
        box->setCurrentText(text);
    }
}

}  // namespace

class DownloadRequestTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;

private slots:
    void initTestCase() { connectDB(); }

    void init()
    {
        env.resetSettings();
        env.clearPrompts();
        QSqlQuery().exec("DROP TRIGGER IF EXISTS refuse");
        QSqlQuery().exec("DELETE FROM engine");
        QSqlQuery().exec("DELETE FROM aircraft");
        QSqlQuery().exec("INSERT OR IGNORE INTO engine_type (type) VALUES ('CFM56-7')");
    }

    void registrationRule_data()
    {
        QTest::addColumn<QString>("registration");
        QTest::addColumn<QString>("problem");
        QTest::newRow("valid") << "F-GABC" << "";
        QTest::newRow("empty") << "" << "is empty";
        QTest::newRow("leading blank") << " FGABC" << "contains white space(s)";
        QTest::newRow("embedded blank") << "F GABC" << "contains white space(s)";
        QTest::newRow("leading hyphen") << "-FGABC" << "start with a '-'";
        QTest::newRow("trailing hyphen") << "FGABC-" << "ends with a '-'";
        QTest::newRow("tab") << "F\tGABC" << "contains a control character";
        QTest::newRow("parent directory") << "../x" << "contains a path separator";
        QTest::newRow("dots") << "x..y" << "contains \"..\"";
        QTest::newRow("slash") << "a/b" << "contains a path separator";
        QTest::newRow("backslash") << "a\\b" << "contains a path separator";
        QTest::newRow("colon") << "con:" << "contains ':', which a file name cannot hold";
        QTest::newRow("star") << "AB*" << "contains '*', which a file name cannot hold";
    }
    void registrationRule()
    {
        QFETCH(QString, registration);
        QFETCH(QString, problem);
        QCOMPARE(registrationProblem(registration), problem);
    }

    void registrationInput()
    {
        // OK with an invalid text warns and keeps the dialog open; Help explains the rule.
        QStringList shown;
        env.dialogs().onDialog = [&](QDialog& dialog) {
            auto& input = static_cast<AcIdInputDialog&>(dialog);
            shown << dialog.objectName() << dialog.windowTitle() << child<QLabel>(dialog, "label")->text()
                  << input.lineEdit()->selectedText();
            input.lineEdit()->setText("-ABC");
            pressOk(dialog);
            child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Help)->click();
            input.lineEdit()->setText("F-ABC");
            pressOk(dialog);
            return dialog.result();
        };
        bool accepted = false;
        QCOMPARE(AcIdInputDialog::getRegistration(nullptr, "Title", "Prompt", QLineEdit::Normal, "x y", &accepted),
                 QStringLiteral("F-ABC"));
        QVERIFY(accepted);
        QCOMPARE(shown, (QStringList{"AcIdInputDialog", "Title", "Prompt", "x y"}));
        QCOMPARE(env.prompts().calls.size(), 2);
        QCOMPARE(env.prompts().calls[0].title + "|" + env.prompts().calls[0].text,
                 QStringLiteral("Error|Invalid registration number: string start with a '-'"));
        QCOMPARE(env.prompts().calls[1].title, QString());
        QVERIFY(env.prompts().calls[1].text.startsWith("A valid aircraft registration number is one that:"));

        env.dialogs().onDialog = [](QDialog&) { return int(QDialog::Rejected); };
        QCOMPARE(AcIdInputDialog::getRegistration(nullptr, "T", "P", QLineEdit::Normal, "F-ABC", &accepted), QString());
        QVERIFY(!accepted);
    }

    void dialogShowsStoredDetails()
    {
        QCOMPARE(catalogue::addAircraft("F-GABC", "Shop 9", "Comment"), QString());
        QSqlQuery().exec("INSERT INTO engine (aircraft_id, type, sn, sdi, install_date) VALUES "
                         "((SELECT id FROM aircraft WHERE tail_number='F-GABC'), 'CFM56-7', '777', 0, '2011-10-20')");
        AircraftInfo record{};
        copyText(record.registration, QStringLiteral("F-GABC"));
        DownloadClearDialog dialog(record, kPositionCode);
        QCOMPARE(dialog.windowTitle(), QStringLiteral(" Tolm for Advanced Korvel  2.2.0 - Download/Erase"));
        QCOMPARE(child<QGroupBox>(dialog, "engineGroupBox")->title(), QStringLiteral("Engine #4"));
        QCOMPARE(child<QLineEdit>(dialog, "shopIdLineEdit")->text(), QStringLiteral("Shop 9"));
        QCOMPARE(child<QTextEdit>(dialog, "commentTextEdit")->toPlainText(), QStringLiteral("Comment"));
        auto* types = child<QComboBox>(dialog, "engineTypeComboBox");
        QCOMPARE(types->count(), 2);
        QCOMPARE(types->itemText(0), QStringLiteral("CFM56-5"));
        QCOMPARE(types->currentText(), QStringLiteral("CFM56-7"));
        QCOMPARE(child<QLineEdit>(dialog, "installDateLineEdit")->text(), QStringLiteral("2011-10-20"));
        QVERIFY(child<QCheckBox>(dialog, "downloadCheckBox")->isChecked());
        QVERIFY(!child<QCheckBox>(dialog, "eraseCheckBox")->isChecked());

        // A stored type no longer offered leaves the box without a selection.
        QSqlQuery().exec("UPDATE engine SET type='GONE'");
        DownloadClearDialog again(record, kPositionCode);
        QCOMPARE(child<QComboBox>(again, "engineTypeComboBox")->currentIndex(), -1);
    }

    void requestSetFollowsTheCheckBoxes_data()
    {
        QTest::addColumn<bool>("download");
        QTest::addColumn<bool>("erase");
        QTest::addColumn<unsigned long>("bits");
        QTest::newRow("download") << true << false << 0x3Ful;
        QTest::newRow("both") << true << true << 0x7Ful;
        QTest::newRow("erase only") << false << true << 0x43ul;
        QTest::newRow("neither") << false << false << 0x03ul;
    }
    void requestSetFollowsTheCheckBoxes()
    {
        QFETCH(bool, download);
        QFETCH(bool, erase);
        QFETCH(unsigned long, bits);
        AircraftInfo record{};
        copyText(record.registration, QStringLiteral("F-GABC"));
        DownloadClearDialog dialog(record, kPositionCode);
        child<QCheckBox>(dialog, "downloadCheckBox")->setChecked(download);
        child<QCheckBox>(dialog, "eraseCheckBox")->setChecked(erase);
        pressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.requestSet().bits(), bits);
        // Without a download nothing is validated or stored.
        QCOMPARE(rows("SELECT tail_number FROM aircraft").size(), download ? 1 : 0);
        QCOMPARE(settings::text(settings::LastAircraft), download ? QStringLiteral("F-GABC") : QString());
        QVERIFY_EXCEPTION_THROWN(dialog.requestSet().contains(7), std::out_of_range);
    }

    void acceptingStoresTheDetails()
    {
        const auto request = [&](const QString& registration, const QString& serial, const QString& shop) {
            AircraftInfo record{};
            copyText(record.registration, registration);
            DownloadClearDialog dialog(record, kPositionCode);
            dialog.setEngineSerialNumber(serial);
            child<QLineEdit>(dialog, "shopIdLineEdit")->setText(shop);
            child<QTextEdit>(dialog, "commentTextEdit")->setPlainText("O'Brien's");
            child<QComboBox>(dialog, "engineTypeComboBox")->setCurrentText("CFM56-7");
            child<QLineEdit>(dialog, "installDateLineEdit")->setText("2024-01-02");
            pressOk(dialog);
            return std::make_pair(dialog.result(), record);
        };
        auto [result, record] = request("F-GABC", "ESN1", "Shop'A");
        QCOMPARE(result, int(QDialog::Accepted));
        QCOMPARE(textOf(record.engines[3].serialNumber), QStringLiteral("ESN1"));
        QCOMPARE(rows("SELECT tail_number, shop_id, comment FROM aircraft"),
                 QStringList{"F-GABC|Shop'A|O'Brien's"});
        QCOMPARE(rows("SELECT type, sn, sdi, install_date FROM engine"), QStringList{"CFM56-7|ESN1|0|2024-01-02"});

        request("F-GABC", "ESN1", "Shop'B");  // same position and serial: updated
        QCOMPARE(rows("SELECT COUNT(*) FROM engine"), QStringList{"1"});
        QCOMPARE(rows("SELECT shop_id FROM aircraft"), QStringList{"Shop'B"});
        request("F-GABC", "ESN2", "Shop'B");  // another serial at the same position: added
        QCOMPARE(rows("SELECT sn FROM engine ORDER BY sn"), (QStringList{"ESN1", "ESN2"}));
        QVERIFY(env.prompts().calls.isEmpty());
    }

    // The details are written off the GUI thread: a database another program
    // holds keeps OK waiting no longer, and they are stored once it lets go.
    void busyDatabaseKeepsOkWaitingNot()
    {
        AircraftInfo record{};
        copyText(record.registration, QStringLiteral("F-GABC"));
        DownloadClearDialog dialog(record, kPositionCode);
        dialog.setEngineSerialNumber("E1");
        {
            QSqlDatabase other = sqlite::addConnection(databasePath(), QStringLiteral("other"));
            QSqlQuery writing(other.open() ? other : QSqlDatabase());
            QVERIFY(writing.exec(QStringLiteral("BEGIN IMMEDIATE")));
            child<QDialogButtonBox>(dialog, "buttonBox")->button(QDialogButtonBox::Ok)->click();
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(!dialog.detailsStored().isFinished());
            QVERIFY(writing.exec(QStringLiteral("COMMIT")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        QTRY_VERIFY(dialog.detailsStored().isFinished());
        QCOMPARE(dialog.detailsStored().result(), QString());
        QCOMPARE(rows("SELECT sn FROM engine"), QStringList{"E1"});
        QCOMPARE(settings::text(settings::LastAircraft), QStringLiteral("F-GABC"));
        QVERIFY(env.prompts().calls.isEmpty());
    }

    void refusedStoresAreShownOnce_data()
    {
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QStringList>("boxes");  // title and the start of the text
        QTest::newRow("engine") << "INSERT ON engine"
                                << QStringList{"DownloadClearDialog::aircraftInfoSave|refused by the test"};
        QTest::newRow("aircraft") << "INSERT ON aircraft"
                                  << QStringList{"Add Aircraft|refused by the test",
                                                 "DownloadClearDialog::aircraftInfoSave|Aircraft ID not found!"};
    }
    void refusedStoresAreShownOnce()
    {
        QFETCH(QString, refused);
        QFETCH(QStringList, boxes);
        QVERIFY(QSqlQuery().exec(
            QStringLiteral("CREATE TRIGGER refuse BEFORE %1 BEGIN SELECT RAISE(ABORT, 'refused by the test'); END")
                .arg(refused)));
        AircraftInfo record{};
        copyText(record.registration, QStringLiteral("F-GABC"));
        DownloadClearDialog dialog(record, kPositionCode);
        dialog.setEngineSerialNumber("E1");
        pressOk(dialog);
        QSqlQuery().exec("DROP TRIGGER refuse");
        // The session still goes ahead with what was typed.
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(env.prompts().calls.size(), boxes.size());
        for (int i = 0; i < boxes.size(); ++i) {
            const QString shown = env.prompts().calls[i].title + "|" + env.prompts().calls[i].text;
            QVERIFY2(shown.startsWith(boxes[i]), qPrintable(shown));
        }
    }

    void overlongTextsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("refusal");
        const auto chars = [](int n) { return QString(n, QLatin1Char('A')); };
        QTest::newRow("registration of 16") << QByteArray("aircraftRegNum") << chars(16) << "";
        QTest::newRow("registration of 17") << QByteArray("aircraftRegNum") << chars(17)
                                            << "The registration is longer than 16 characters.";
        QTest::newRow("registration of 300") << QByteArray("aircraftRegNum") << chars(300)
                                             << "The registration is longer than 16 characters.";
        QTest::newRow("registration of 18 bytes")
            << QByteArray("aircraftRegNum") << QString(9, QChar(0xC9))
            << "The registration is longer than 16 characters once stored: accented and other non-ASCII "
               "characters count as two or more.";
        QTest::newRow("registration not storable") << QByteArray("aircraftRegNum") << QString(QChar(0xD800)) + "AB"
                                                   << "The registration contains characters that cannot be stored.";
        QTest::newRow("shop id") << QByteArray("shopIdLineEdit") << chars(11)
                                 << "The shop ID is longer than 10 characters.";
        QTest::newRow("comment of 1024") << QByteArray("commentTextEdit") << chars(1024) << "";
        QTest::newRow("comment") << QByteArray("commentTextEdit") << chars(1025)
                                 << "The comment is longer than 1024 characters.";
        QTest::newRow("engine type") << QByteArray("engineTypeComboBox") << chars(17)
                                     << "The engine type is longer than 16 characters.";
        QTest::newRow("serial number") << QByteArray("engineSerialNumber") << chars(11)
                                       << "The engine serial number is longer than 10 characters.";
        QTest::newRow("install date") << QByteArray("installDateLineEdit") << chars(21)
                                      << "The install date is longer than 20 characters.";
    }
    void overlongTextsAreRefused()
    {
        QFETCH(QByteArray, field);
        QFETCH(QString, text);
        QFETCH(QString, refusal);
        AircraftInfo record{};
        copyText(record.registration, QStringLiteral("F-GABC"));
        DownloadClearDialog dialog(record, kPositionCode);
        dialog.setEngineSerialNumber("E1");
        enter(dialog, field.constData(), text);
        pressOk(dialog);
        if (refusal.isEmpty()) {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(env.prompts().calls.isEmpty());
            return;
        }
        // The dialog stays open, and nothing is stored or handed on.
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral(" Tolm for Advanced Korvel |") + refusal);
        QCOMPARE(env.prompts().calls[0].kind, Prompts::Kind::Warning);
        QCOMPARE(rows("SELECT COUNT(*) FROM aircraft"), QStringList{"0"});
        QCOMPARE(textOf(record.registration), QStringLiteral("F-GABC"));
        QCOMPARE(settings::text(settings::LastAircraft), QString());
    }

    void registrationInputCannotEndEmptyOrOverlong()
    {
        AircraftInfo record{};
        copyText(record.registration, QStringLiteral("HB ABC"));
        DownloadClearDialog dialog(record, kPositionCode);
        dialog.setEngineSerialNumber("E1");
        env.dialogs().onDialog = [](QDialog&) { return int(QDialog::Rejected); };
        pressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(child<QLineEdit>(dialog, "aircraftRegNum")->text(), QStringLiteral("HB ABC"));

        env.dialogs().onDialog = [](QDialog& input) {
            static_cast<AcIdInputDialog&>(input).lineEdit()->setText(QString(17, QLatin1Char('A')));
            pressOk(input);
            return input.result();
        };
        pressOk(dialog);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Error|The registration is longer than 16 characters."));
        QCOMPARE(env.dialogs().dialogsRun.size(), 2);
        QCOMPARE(rows("SELECT COUNT(*) FROM aircraft"), QStringList{"0"});
        QCOMPARE(settings::text(settings::LastAircraft), QString());
    }

    void tabInTheCommentMovesOn()
    {
        AircraftInfo record{};
        DownloadClearDialog dialog(record, kPositionCode);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        auto* comment = child<QTextEdit>(dialog, "commentTextEdit");
        comment->setFocus();
        QTest::keyClick(comment, Qt::Key_Tab);
        QCOMPARE(comment->toPlainText(), QString());
        QVERIFY(!comment->hasFocus());
    }

    void invalidNamesAreAskedForOrRefused()
    {
        // An invalid registration is asked for once; what comes back is used.
        env.dialogs().onDialog = [](QDialog& dialog) {
            static_cast<AcIdInputDialog&>(dialog).lineEdit()->setText("HB-ABC");
            return int(QDialog::Accepted);
        };
        AircraftInfo record{};
        copyText(record.registration, QStringLiteral("HB ABC"));
        DownloadClearDialog dialog(record, kPositionCode);
        dialog.setEngineSerialNumber("E1");
        pressOk(dialog);
        QCOMPARE(env.dialogs().dialogsRun, QStringList{"AcIdInputDialog"});
        QCOMPARE(child<QLineEdit>(dialog, "aircraftRegNum")->text(), QStringLiteral("HB-ABC"));
        QCOMPARE(textOf(record.registration), QStringLiteral("HB-ABC"));
        QCOMPARE(rows("SELECT tail_number FROM aircraft"), QStringList{"HB-ABC"});

        // A serial number that cannot name a file keeps the dialog open.
        env.clearPrompts();
        DownloadClearDialog refused(record, kPositionCode);
        refused.setEngineSerialNumber("../etc");
        pressOk(refused);
        QCOMPARE(refused.result(), int(QDialog::Rejected));
        QCOMPARE(env.prompts().calls.size(), 1);
        QCOMPARE(env.prompts().calls[0].text,
                 QStringLiteral("Invalid engine serial number: string contains a path separator"));
        QCOMPARE(rows("SELECT COUNT(*) FROM engine"), QStringList{"1"});
    }
};

QTEST_MAIN(DownloadRequestTest)
#include "test_download_request.moc"
