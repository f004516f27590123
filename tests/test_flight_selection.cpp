// Listing and reading recorded flights from the raw files of a data tree.

#include "GuiTestEnvironment.h"
#include "core/AircraftCatalogue.h"
#include "core/Database.h"
#include "core/Settings.h"
#include "download/RawFileWriter.h"
#include "plot/ui/DataSelectionDialog.h"
#include "flights/RawFileReader.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTreeWidget>
#include <QtTest>

namespace {

quint16 dateWord(int year, int month, int day) { return quint16((year - 2000) << 9 | month << 5 | day); }
quint16 timeWord(int hour, int minute) { return quint16(hour << 11 | minute << 5); }

struct Slot {
    qint32 flight;
    qint32 memoryType;
    quint16 date = dateWord(2011, 3, 5);
    quint16 time = timeWord(14, 25);
};

template <typename T>
void put(QByteArray& image, qsizetype offset, T value)
{
    std::memcpy(image.data() + offset, &value, sizeof value);
}

// Writes a raw file with the download writer; slot i gets slotList[i], the others stay empty.
QString writeRaw(const QString& dataRoot, const QString& registration, int engine, const QString& name,
                 const QList<Slot>& slotList)
{
    QByteArray bytes(EngineDataImage::kSize, 0);
    for (int i = 0; i < slotList.size(); ++i) {
        const qsizetype slot = qsizetype(i) * engine::kSlotSize;
        put(bytes, slot + 24, slotList[i].flight);
        put(bytes, slot + 32, slotList[i].memoryType);
        put(bytes, slot + 152, qint16(1000 + slotList[i].flight));  // first steady-state sample
        put(bytes, slot + 279696, slotList[i].date);
        put(bytes, slot + 279698, slotList[i].time);
    }
    ReportContext context;
    copyText(context.aircraft.registration, registration);
    copyText(context.partNumbers.unitPartNumber, QStringLiteral("PN"));
    context.engineNumber = engine;
    const QString directory = QStringLiteral("%1/%2_data/engine_%3").arg(dataRoot, registration).arg(engine);
    QDir().mkpath(directory);
    const QString path = directory + '/' + name;
    writeRawFile(path, context, EngineDataImage(bytes));
    return path;
}

// The older format: a 340-byte header with its own magic before the same blocks.
QString makeOlder(const QString& current, const QString& older)
{
    QFile in(current);
    in.open(QIODevice::ReadOnly);
    QByteArray bytes = in.readAll();
    bytes.remove(340, 300);
    quint32 magic = kRawMagicV1;
    std::memcpy(bytes.data(), &magic, 4);
    QFile out(older);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return older;
}

QStringList flightNumbers(const QList<FlightInfo>& flights)
{
    QStringList numbers;
    for (const FlightInfo& flight : flights)
        numbers << QString::number(flight.flightNumber);
    return numbers;
}

}  // namespace

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

    void listingReadsOnlyWhatItNeeds()
    {
        const QString path = writeRaw(env.dataRoot(), "F-GABC", 2, "a.raw",
                                      {{0, 0}, {7, 0}, {8, 1, dateWord(2127, 0, 31), timeWord(31, 63)}, {0, 1}, {9, 0}});
        QList<FlightInfo> flights;
        const ListingOutcome outcome = extractFlightInfo(path, flights);
        QVERIFY(outcome.failure.isEmpty());
        QVERIFY(!outcome.unsupported);
        QCOMPARE(flightNumbers(flights), (QStringList{"7", "8", "9"}));
        QCOMPARE(flights[0].registration, QStringLiteral("F-GABC"));
        QCOMPARE(flights[0].enginePosition, 2);
        QCOMPARE(flights[0].path, path);
        QCOMPARE(flights[0].dateTime, QDateTime(QDate(2011, 3, 5), QTime(14, 25), Qt::UTC));
        // Year bits 127, month 0 and hour 31 are clamped: 2099, January, 23:59.
        QCOMPARE(flights[1].dateTime, QDateTime(QDate(2099, 1, 31), QTime(23, 59), Qt::UTC));
        QCOMPARE(flights[1].memoryType, 1);

        // The older format lists the same flights.
        QList<FlightInfo> older;
        QVERIFY(extractFlightInfo(makeOlder(path, env.path() + "/older.raw"), older).failure.isEmpty());
        QCOMPARE(flightNumbers(older), flightNumbers(flights));
        QCOMPARE(older[1].dateTime, flights[1].dateTime);
    }

    void brokenAndForeignFilesAreReported()
    {
        const QString complete = writeRaw(env.dataRoot(), "F-GABC", 1, "complete.raw", {{1, 0}, {2, 0}});
        const QString cut = writeRaw(env.dataRoot(), "F-GABC", 1, "cut.raw",
                                     {{0, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}, {15, 0}});
        QFile::resize(cut, 640 + 4 * 278196 + 1000);
        for (const char* name : {"foreign1.raw", "foreign2.raw"}) {
            QFile foreign(env.dataRoot() + "/F-GABC_data/engine_1/" + name);
            foreign.open(QIODevice::WriteOnly);
            foreign.write(QByteArray(700, 'x'));
        }
        const QList<FlightInfo> flights = scanRawFiles(env.dataRoot());
        QStringList numbers = flightNumbers(flights);
        numbers.sort();
        QCOMPARE(numbers, (QStringList{"1", "11", "12", "13", "2"}));
        QCOMPARE(env.prompts().calls.size(), 2);
        const PromptCall& broken = env.prompts().calls[0];
        QCOMPARE(broken.title, QStringLiteral("DataSelectionDialog::ExtractFlightInfo"));
        QCOMPARE(broken.text, QFileInfo(cut).absoluteFilePath() + ": Failed to read data block");
        QCOMPARE(env.prompts().calls[1].title + "|" + env.prompts().calls[1].text,
                 QStringLiteral("Error|Found raw data files with an unsupported format. These files have been ignored."));
    }

    void readingAFlightNormalisesOlderHeaders()
    {
        const QString current = writeRaw(env.dataRoot(), "F-GABC", 3, "c.raw", {{0, 0}, {0, 0}, {5, 1}});
        const QString older = makeOlder(current, env.dataRoot() + "/F-GABC_data/engine_3/o.raw");
        for (const QString& path : {current, older}) {
            QList<FlightInfo> flights;
            extractFlightInfo(path, flights);
            QCOMPARE(flights.size(), 1);
            RawFileHeader header;
            auto block = std::make_unique<FlightBlock>();
            QCOMPARE(extractFlightData(flights[0], header, *block), QString());
            QCOMPARE(header.magic, kRawMagic);
            QCOMPARE(block->steadySamples[0][0], qint16(1005));
            QCOMPARE(QByteArray(header.unitPartNumber), QByteArray(path == current ? "PN" : ""));
        }
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
        QList<Slot> twelve;
        for (int i = 1; i <= 12; ++i)
            twelve << Slot{i, 0};
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
        dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok)->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QVERIFY(records.isEmpty());
    }
};

QTEST_MAIN(FlightSelectionTest)
#include "test_flight_selection.moc"
