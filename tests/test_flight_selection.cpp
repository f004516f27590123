// The flight selection dialog: what it lists, what it reads when accepted,
// and the choices it remembers. The query behind it is tested on its own.

#include "GuiTestEnvironment.h"
#include "RawFiles.h"
#include "core/AircraftCatalogue.h"
#include "core/Database.h"
#include "core/Settings.h"
#include "plot/ui/DataSelectionDialog.h"
#include "trend/FlightIndex.h"
#include "trend/IndexUpdater.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

class FlightSelectionTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;

    QTreeWidget* tree(DataSelectionDialog& dialog) { return dialog.findChild<QTreeWidget*>("flightDataTreeWidget"); }

    // The dialog lists the indexed flights at once and those of new files once they are read.
    static bool listed(DataSelectionDialog& dialog)
    {
        return QTest::qWaitFor([&] { return !dialog.isUpdating(); }, 20000);
    }

    QStringList rowTexts(DataSelectionDialog& dialog)
    {
        QStringList texts;
        for (int i = 0; i < tree(dialog)->topLevelItemCount(); ++i)
            texts << tree(dialog)->topLevelItem(i)->text(0);
        texts.sort();
        return texts;
    }

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
        QVERIFY(listed(dialog));
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
        QVERIFY(listed(dialog));
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
        QVERIFY(listed(second));
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
        QVERIFY(listed(dialog));
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

    // Flights the index holds show at once; files new or changed on disk since
    // are read with their progress shown, and their flights join the list
    // without losing the rows chosen meanwhile.
    void filesChangedSinceTheIndexJoinTheList_data()
    {
        QTest::addColumn<bool>("changeFirst");
        QTest::addColumn<bool>("addSecond");
        QTest::addColumn<QStringList>("rowsAfter");
        QTest::newRow("new file") << false << true << QStringList{"00001", "00002", "00005"};
        QTest::newRow("changed file") << true << false << QStringList{"00001", "00003"};
    }
    void filesChangedSinceTheIndexJoinTheList()
    {
        QFETCH(bool, changeFirst);
        QFETCH(bool, addSecond);
        QFETCH(QStringList, rowsAfter);
        writeRaw(env.dataRoot(), "F-GABC", 1, "one.raw", {{1, 0}});
        QVERIFY(FlightIndex(databasePath()).update(env.dataRoot()).failure.isEmpty());
        if (changeFirst)
            writeRaw(env.dataRoot(), "F-GABC", 1, "one.raw", {{1, 0}, {3, 0}});
        if (addSecond) {
            writeRaw(env.dataRoot(), "F-GABC", 1, "two.raw", {{2, 0}, {5, 0}});
            writeRaw(env.dataRoot(), "D-NEW", 1, "three.raw", {{4, 0}});
        }
        settings::setValue(settings::LastAircraft, "F-GABC");
        settings::setValue(settings::LastSelectedEngine, 1);

        FlightRecordList records;
        DataSelectionDialog dialog(nullptr, records);
        dialog.show();
        auto* progress = dialog.findChild<QProgressBar*>("updateProgressBar");
        auto* label = dialog.findChild<QLabel*>("updateLabel");
        QCOMPARE(rowTexts(dialog), QStringList{"00001"});
        QVERIFY(progress->isVisible() && label->isVisible());
        tree(dialog)->topLevelItem(0)->setSelected(true);
        QStringList shown;
        connect(dialog.findChild<IndexUpdater*>(), &IndexUpdater::progress, [&] { shown << label->text(); });

        QVERIFY(listed(dialog));
        const int read = addSecond ? 2 : 1;
        QCOMPARE(shown.last(), QStringLiteral("Reading %1 of %1 files…").arg(read));
        QCOMPARE(progress->value(), read);
        QVERIFY(!progress->isVisible() && !label->isVisible());
        QCOMPARE(rowTexts(dialog), rowsAfter);
        auto* combo = dialog.findChild<QComboBox*>("comboBoxAircraftId");
        QCOMPARE(combo->currentText(), QStringLiteral("F-GABC"));
        QCOMPARE(combo->count(), addSecond ? 2 : 1);
        QCOMPARE(tree(dialog)->selectedItems().size(), 1);
        QCOMPARE(tree(dialog)->selectedItems()[0]->text(0), QStringLiteral("00001"));
        QVERIFY(env.prompts().calls.isEmpty());
    }

    // Files the listing cannot take whole are told as the listing always told
    // them, once: a cut file keeps its complete flights.
    void brokenFilesToldOnce_data()
    {
        QTest::addColumn<qint64>("size");  // of the one file, or -1 for an unknown magic
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("rows");
        const qint64 complete = 640 + 21 * qint64(sizeof(FlightBlock));
        QTest::newRow("cut") << complete - 1 << "DataSelectionDialog::ExtractFlightInfo|%1: Failed to read data block" << 2;
        QTest::newRow("header cut") << qint64(100) << "DataSelectionDialog::ExtractFlightInfo|%1: Failed to read file header" << 0;
        QTest::newRow("unknown magic") << qint64(-1)
                                       << "Error|Found raw data files with an unsupported format. These files have been ignored."
                                       << 0;
    }
    void brokenFilesToldOnce()
    {
        QFETCH(qint64, size);
        QFETCH(QString, message);
        QFETCH(int, rows);
        const QString path = writeRaw(env.dataRoot(), "F-GABC", 1, "cut.raw", {{7, 0}, {8, 0}});
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(size >= 0 ? file.resize(size) : file.write("XXXX") == 4);
        file.close();
        settings::setValue(settings::LastAircraft, "F-GABC");
        settings::setValue(settings::LastSelectedEngine, 1);
        for (int opening = 0; opening < 2; ++opening) {
            FlightRecordList records;
            DataSelectionDialog dialog(nullptr, records);
            QVERIFY(listed(dialog));
            QCOMPARE(tree(dialog)->topLevelItemCount(), rows);
            if (opening == 0)
                QCOMPARE(env.prompts().onlyMessage(), message.arg(path));
            else
                QVERIFY(env.prompts().calls.isEmpty());
            env.clearPrompts();
        }
    }

    // Closing the dialog while it reads stops the update: nothing is written, nothing told.
    void closingWhileReadingCancels()
    {
        FlightIndex index(databasePath());
        QVERIFY(index.update(env.dataRoot()).failure.isEmpty());
        for (int aircraft = 0; aircraft < 200; ++aircraft)
            writeRaw(env.dataRoot(), QStringLiteral("F-C%1").arg(aircraft, 3, 10, QLatin1Char('0')), 1, "a.raw", {{1, 0}});
        {
            FlightRecordList records;
            DataSelectionDialog dialog(nullptr, records);
            dialog.show();
            dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Cancel)->click();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(listed(dialog));
            QVERIFY(dialog.findChild<IndexUpdater*>()->changes().cancelled);
        }
        QCOMPARE(index.slotCount(), 0);
        QVERIFY(env.prompts().calls.isEmpty());
        QCOMPARE(index.update(env.dataRoot()).added.size(), 200);
    }
};

QTEST_MAIN(FlightSelectionTest)
#include "test_flight_selection.moc"
