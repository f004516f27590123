// The flight selection dialog: what it lists, what it reads when accepted,
// and the choices it remembers. The query behind it is tested on its own.

#include "GuiTestEnvironment.h"
#include "RawFiles.h"
#include "core/AircraftCatalogue.h"
#include "core/Database.h"
#include "core/Settings.h"
#include "plot/ui/DataSelectionDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

class FlightSelectionTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;

    QTreeWidget* tree(DataSelectionDialog& dialog) { return dialog.findChild<QTreeWidget*>("flightDataTreeWidget"); }

private slots:
    void initTestCase() { connectDB(); }

    void init()
    {
        env.resetSettings();
        env.clearPrompts();
        QDir dir(env.dataRoot());
        for (const QString& sub : dir.entryList({"*_data"}, QDir::Dirs))
            QDir(dir.filePath(sub)).removeRecursively();
        QSqlQuery().exec("DELETE FROM engine");
        QSqlQuery().exec("DELETE FROM aircraft");
    }

    void dialogListsChoosesAndRemembers()
    {
        writeRaw(env.dataRoot(), "F-GABC", 2, "one.raw", {{0, 0}, {1, 0}, {2, 1}, {3, 0}});
        writeRaw(env.dataRoot(), "F-GABC", 2, "two.raw", {{4, 0}});
        writeRaw(env.dataRoot(), "D-XYZ", 1, "three.raw", {{9, 0}});
        catalogue::addAircraft("F-GABC", {}, {});
        QSqlQuery().exec("INSERT INTO engine (aircraft_id, type, sn, sdi, install_date) VALUES (1, 'T', 'SN42', 2, '')");
        settings::setValue(settings::LastAircraft, "F-GABC");
        settings::setValue(settings::LastSelectedEngine, 2);
        settings::setValue(settings::Plot2D_MemType, 0);

        FlightRecordList records;
        DataSelectionDialog dialog(nullptr, records);
        auto* combo = dialog.findChild<QComboBox*>("comboBoxAircraftId");
        QCOMPARE(combo->count(), 2);  // each registration once
        QCOMPARE(combo->currentText(), QStringLiteral("F-GABC"));
        QVERIFY(dialog.findChild<QRadioButton*>("radioButtonEngine2")->isChecked());
        QCOMPARE(dialog.findChild<QLabel*>("engineSn")->text(), QStringLiteral("SER: SN42"));
        QCOMPARE(tree(dialog)->topLevelItemCount(), 3);
        QStringList shown;
        for (int i = 0; i < 3; ++i)
            shown << tree(dialog)->topLevelItem(i)->text(0);
        shown.sort();
        QCOMPARE(shown, (QStringList{"00001", "00003", "00004"}));
        QCOMPARE(tree(dialog)->topLevelItem(0)->text(1), QStringLiteral("2011.03.05 14:25:00"));

        dialog.findChild<QRadioButton*>("radioButtonPostDefect")->click();
        QCOMPARE(tree(dialog)->topLevelItemCount(), 1);
        tree(dialog)->topLevelItem(0)->setSelected(true);
        dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0]->flightNumber, 2);
        QCOMPARE(records[0]->memoryType, 1);
        QCOMPARE(records[0]->registration, QStringLiteral("F-GABC"));
        QCOMPARE(records[0]->block.steadySamples[0][0], qint16(1002));
        QCOMPARE(settings::integer(settings::Plot2D_MemType), 1);
        QCOMPARE(settings::integer(settings::LastSelectedEngine), 2);
        QCOMPARE(settings::text(settings::LastAircraft), QStringLiteral("F-GABC"));
        QVERIFY(env.prompts().calls.isEmpty());
    }

    void atMostTenFlightsAndUnreadableOnesLeftOut()
    {
        QList<RawSlot> twelve;
        for (int i = 1; i <= 12; ++i)
            twelve << RawSlot{i, 0};
        const QString path = writeRaw(env.dataRoot(), "F-GABC", 1, "many.raw", twelve);
        settings::setValue(settings::LastAircraft, "F-GABC");
        settings::setValue(settings::LastSelectedEngine, 1);
        FlightRecordList records;
        DataSelectionDialog dialog(nullptr, records);
        QCOMPARE(tree(dialog)->topLevelItemCount(), 12);
        tree(dialog)->selectAll();
        const QList<QTreeWidgetItem*> order = tree(dialog)->selectedItems();
        dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(env.prompts().onlyMessage(), QStringLiteral("Warning|Too many flights selected. Maximum allowed is 10"));
        QCOMPARE(records.size(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(records[i]->flightNumber, order[i]->text(0).toInt());

        // A file gone since the listing: its flight is left out, and said so.
        env.clearPrompts();
        FlightRecordList again;
        DataSelectionDialog second(nullptr, again);
        tree(second)->topLevelItem(0)->setSelected(true);
        tree(second)->topLevelItem(1)->setSelected(true);
        QFile::remove(path);
        second.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(again.size(), 0);
        QCOMPARE(env.prompts().calls.size(), 2);
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("DataSelectionDialog::ExtractFlightData"));
        QVERIFY(env.prompts().calls[0].text.contains(path));
        QVERIFY(env.prompts().calls[0].text.endsWith("and is left out."));
    }

    void emptyDataTree()
    {
        FlightRecordList records;
        DataSelectionDialog dialog(nullptr, records);
        QCOMPARE(dialog.findChild<QComboBox*>("comboBoxAircraftId")->count(), 0);
        QCOMPARE(tree(dialog)->topLevelItemCount(), 0);
        // The column titles are not cut ("Flight Date & Tim").
        const QHeaderView* header = tree(dialog)->header();
        for (int column = 0; column < header->count(); ++column)
            QVERIFY(header->sectionSize(column) >= header->sectionSizeHint(column));
        dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(records.isEmpty());
    }
};

QTEST_MAIN(FlightSelectionTest)
#include "test_flight_selection.moc"
