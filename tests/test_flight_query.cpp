// The recorded flights of a data tree without a window: listing, filtering,
// reading a selection and resolving RAW:FLIGHT references.

#include "RawFiles.h"
#include "TestEnvironment.h"
#include "flights/FlightQuery.h"

#include <QtTest>
#include <cstring>

namespace {

QStringList flightNumbers(const QList<FlightInfo>& flights)
{
    QStringList numbers;
    for (const FlightInfo& flight : flights)
        numbers << QString::number(flight.flightNumber);
    return numbers;
}

QList<qint32> recordNumbers(const FlightRecordList& records)
{
    QList<qint32> numbers;
    for (const auto& record : records)
        numbers << record->flightNumber;
    return numbers;
}

// A raw file whose size fits no raw file of its format: one byte appended,
// or the older magic written over a current header.
QString writeRefused(const QString& current, const QString& path, bool olderMagic)
{
    QFile::copy(current, path);
    QFile file(path);
    file.open(QIODevice::ReadWrite);
    if (olderMagic)
        file.write(reinterpret_cast<const char*>(&kRawMagicV1), 4);
    else
        file.resize(file.size() + 1);
    return QFileInfo(path).absoluteFilePath();
}

FlightInfo listed(const QString& registration, qint32 engine, qint32 flight, qint32 memoryType,
                  const QString& path = {})
{
    return {QDateTime(QDate(2011, 3, 5), QTime(14, 25), Qt::UTC), path, registration, engine, flight, memoryType};
}

// A listing as the scan might leave it; the filter and the registrations need no file.
const QList<FlightInfo> kListing = {
    listed("F-GABC", 2, 1, 0), listed("F-GABC", 2, 2, 1), listed("D-XYZ", 1, 9, 0),  listed("F-GABC", 2, 3, 0),
    listed("f-gabc", 2, 4, 0), listed("F-GABC", 1, 5, 0), listed("F-GABC", 2, 0, 0), listed("D-XYZ", 1, 6, 0),
};

const quint16 kSlot3Date = dateWord(2012, 6, 7);  // tells the second slot holding flight 7 from the first

}  // namespace

Q_DECLARE_METATYPE(FlightFilter)

class FlightQueryTest : public QObject {
    Q_OBJECT
    TestEnvironment env;

    QString referenceDir() const { return env.path() + "/references"; }

private slots:
    void init()
    {
        env.clearPrompts();
        QDir dir(env.dataRoot());
        for (const QString& sub : dir.entryList({"*_data"}, QDir::Dirs))
            QDir(dir.filePath(sub)).removeRecursively();
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

    // A file cut anywhere keeps the flights of the complete blocks before the
    // cut; the first slot without a complete block stops the listing, empty or not.
    void listingCutFiles_data()
    {
        QTest::addColumn<bool>("older");
        QTest::addColumn<qint64>("size");  // -1: as written
        QTest::addColumn<QStringList>("flights");
        QTest::addColumn<QString>("failure");
        const qint64 block = sizeof(FlightBlock);
        const QString cutBlock = "Failed to read data block";
        QTest::newRow("complete") << false << qint64(-1) << QStringList{"11", "12", "14"} << "";
        QTest::newRow("cut inside slot 4") << false << 640 + 4 * block + 1000 << QStringList{"11", "12"} << cutBlock;
        QTest::newRow("cut before empty slot 3") << false << 640 + 3 * block << QStringList{"11", "12"} << cutBlock;
        QTest::newRow("last block one byte short") << false << kRawFileSize - 1 << QStringList{"11", "12", "14"}
                                                   << cutBlock;
        QTest::newRow("header only") << false << qint64(640) << QStringList{} << cutBlock;
        QTest::newRow("cut inside the header") << false << qint64(639) << QStringList{} << "Failed to read file header";
        QTest::newRow("three bytes") << false << qint64(3) << QStringList{} << "Failed to read version information";
        QTest::newRow("empty") << false << qint64(0) << QStringList{} << "Failed to read version information";
        QTest::newRow("older, complete") << true << qint64(-1) << QStringList{"11", "12", "14"} << "";
        QTest::newRow("older, cut inside slot 2") << true << 340 + 2 * block + 10 << QStringList{"11"} << cutBlock;
        QTest::newRow("older, cut inside the header") << true << qint64(339) << QStringList{}
                                                      << "Failed to read v200 file header";
    }
    void listingCutFiles()
    {
        QFETCH(bool, older);
        QFETCH(qint64, size);
        QFETCH(QStringList, flights);
        QFETCH(QString, failure);
        QString path = writeRaw(env.path() + "/cut", "F-GABC", 1, "a.raw",
                                {{0, 0}, {11, 0}, {12, 1, dateWord(2012, 6, 30), timeWord(8, 15)}, {0, 0}, {14, 0}});
        if (older)
            path = makeOlder(path, env.path() + "/cut/older.raw");
        if (size >= 0)
            QVERIFY(QFile::resize(path, size));
        QList<FlightInfo> listed;
        const ListingOutcome outcome = extractFlightInfo(path, listed);
        QCOMPARE(outcome.failure, failure);
        QVERIFY(!outcome.unsupported);
        QCOMPARE(flightNumbers(listed), flights);
        if (listed.size() > 1) {
            QCOMPARE(listed[1].dateTime, QDateTime(QDate(2012, 6, 30), QTime(8, 15), Qt::UTC));
            QCOMPARE(listed[1].memoryType, 1);
        }
    }

    void brokenAndForeignFilesAreReported()
    {
        writeRaw(env.dataRoot(), "F-GABC", 1, "complete.raw", {{1, 0}, {2, 0}});
        const QString cut = writeRaw(env.dataRoot(), "F-GABC", 1, "cut.raw",
                                     {{0, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}, {15, 0}});
        QFile::resize(cut, 640 + 4 * 278196 + 1000);
        const QString complete = env.dataRoot() + "/F-GABC_data/engine_1/complete.raw";
        QStringList refusedFiles{writeRefused(complete, env.dataRoot() + "/F-GABC_data/engine_1/long.raw", false),
                                 writeRefused(complete, env.dataRoot() + "/F-GABC_data/engine_1/shifted.raw", true)};
        QStringList foreignFiles;
        for (const char* name : {"foreign1.raw", "foreign2.raw"}) {
            QFile foreign(env.dataRoot() + "/F-GABC_data/engine_1/" + name);
            foreign.open(QIODevice::WriteOnly);
            foreign.write(QByteArray(700, 'x'));
            foreignFiles << QFileInfo(foreign).absoluteFilePath();
        }
        const FlightQuery query(scanRawFiles(env.dataRoot()));
        QStringList numbers = flightNumbers(query.flights());
        numbers.sort();
        QCOMPARE(numbers, (QStringList{"1", "11", "12", "13", "2"}));
        QStringList unsupported = query.unsupportedFiles();
        unsupported.sort();
        QCOMPARE(unsupported, foreignFiles);
        QStringList refused = query.refusedFiles();
        refused.sort();
        QCOMPARE(refused, refusedFiles);
        QCOMPARE(env.prompts().calls.size(), 2);
        const PromptCall& broken = env.prompts().calls[0];
        QCOMPARE(broken.title, QStringLiteral("DataSelectionDialog::ExtractFlightInfo"));
        QCOMPARE(broken.text, QFileInfo(cut).absoluteFilePath() + ": Failed to read data block");
        QStringList warning = (env.prompts().calls[1].title + "|" + env.prompts().calls[1].text).split('\n');
        std::sort(warning.begin() + 2, warning.end());
        QCOMPARE(warning, (QStringList{"Error|Found raw data files with an unsupported format. These files have been ignored.", "",
                                       refusedFiles[0] + ": 5842757 bytes, more than the 5842756 bytes of a "
                                                         "complete raw file of its format.",
                                       refusedFiles[1] + ": 5842756 bytes, more than the 5842456 bytes of a "
                                                         "complete raw file of its format."}));
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

    void registrationsOnceEachInOrderFound()
    {
        QCOMPARE(FlightQuery(RawFileScan{kListing, {}}).registrations(),
                 (QStringList{"F-GABC", "D-XYZ", "f-gabc"}));
        QVERIFY(FlightQuery().registrations().isEmpty());
    }

    void filterKeepsOneAircraftEngineAndMemory_data()
    {
        QTest::addColumn<FlightFilter>("filter");
        QTest::addColumn<QList<qsizetype>>("rows");  // indices into kListing, in list order
        QTest::newRow("pre-defect") << FlightFilter{"F-GABC", 2, 0} << QList<qsizetype>{0, 3};
        QTest::newRow("post-defect") << FlightFilter{"F-GABC", 2, 1} << QList<qsizetype>{1};
        QTest::newRow("other engine") << FlightFilter{"F-GABC", 1, 0} << QList<qsizetype>{5};
        QTest::newRow("other aircraft") << FlightFilter{"D-XYZ", 1, 0} << QList<qsizetype>{2, 7};
        QTest::newRow("case counts") << FlightFilter{"f-gabc", 2, 0} << QList<qsizetype>{4};
        QTest::newRow("nothing recorded") << FlightFilter{"F-GABC", 4, 0} << QList<qsizetype>{};
        QTest::newRow("no aircraft") << FlightFilter{"", 2, 0} << QList<qsizetype>{};
    }

    void filterKeepsOneAircraftEngineAndMemory()
    {
        QFETCH(FlightFilter, filter);
        QFETCH(QList<qsizetype>, rows);
        QList<qsizetype> found;
        QList<qint32> numbers;
        for (const FlightRow& row : FlightQuery(RawFileScan{kListing, {}}).rows(filter)) {
            found << row.flight;
            numbers << row.flightNumber;
        }
        QCOMPARE(found, rows);
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(numbers[i], kListing[rows[i]].flightNumber);
    }

    void rowsShowNumberFlightTimeAndDownloadTime()
    {
        QDir().mkpath(env.path() + "/times");
        const QString first = env.path() + "/times/first.raw";
        const QString second = env.path() + "/times/second.raw";
        const QDateTime firstDownload(QDate(2012, 1, 2), QTime(3, 4, 5));
        const QDateTime secondDownload(QDate(2013, 12, 31), QTime(23, 59, 58));
        for (const auto& [path, time] : {std::pair{first, firstDownload}, std::pair{second, secondDownload}}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
        }
        FlightInfo late = listed("F-GABC", 1, 12345, 0, second);
        late.dateTime = QDateTime(QDate(2099, 1, 31), QTime(23, 59), Qt::UTC);
        const FlightQuery query(RawFileScan{{listed("F-GABC", 1, 7, 0, first), late, listed("F-GABC", 1, 8, 0, first)}, {}});
        QStringList shown;
        for (const FlightRow& row : query.rows({"F-GABC", 1, 0}))
            shown << row.texts().join('|');
        QCOMPARE(shown, (QStringList{"00007|2011.03.05 14:25:00|2012.01.02 03:04:05",
                                     "12345|2099.01.31 23:59:00|2013.12.31 23:59:58",
                                     "00008|2011.03.05 14:25:00|2012.01.02 03:04:05"}));
    }

    void readingChosenFlightsStopsAtTheLimit()
    {
        QList<RawSlot> twelve;
        for (int i = 1; i <= 12; ++i)
            twelve << RawSlot{i, i % 2};
        writeRaw(env.dataRoot(), "F-GABC", 1, "many.raw", twelve);
        const QString gone = writeRaw(env.dataRoot(), "F-GABC", 2, "gone.raw", {{0, 0}, {20, 0}});
        const FlightQuery query(scanRawFiles(env.dataRoot()));
        QList<qsizetype> many;  // flights 12 down to 1
        qsizetype goneIndex = -1;
        for (qsizetype k = query.flights().size() - 1; k >= 0; --k) {
            if (query.flights()[k].path == gone)
                goneIndex = k;
            else
                many << k;
        }
        QCOMPARE(many.size(), 12);

        const FlightSelection ten = query.read(many.mid(2));
        QVERIFY(ten.limitWarning.isEmpty());
        QVERIFY(ten.failures.isEmpty());
        QCOMPARE(recordNumbers(ten.records), (QList<qint32>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
        const FlightRecord& last = *ten.records.last();
        QCOMPARE(last.registration, QStringLiteral("F-GABC"));
        QCOMPARE(last.enginePosition, 1);
        QCOMPARE(last.memoryType, 1);
        QCOMPARE(last.header.magic, kRawMagic);
        QCOMPARE(last.block.steadySamples[0][0], qint16(1001));

        // More than ten chosen: a warning, and the first ten in the order chosen.
        // A flight that cannot be read is left out and the next one takes its place.
        QVERIFY(QFile::remove(gone));
        const FlightSelection capped = query.read(QList<qsizetype>{goneIndex} + many);
        QCOMPARE(capped.limitWarning, QStringLiteral("Too many flights selected. Maximum allowed is 10"));
        QCOMPARE(recordNumbers(capped.records), (QList<qint32>{12, 11, 10, 9, 8, 7, 6, 5, 4, 3}));
        QCOMPARE(capped.failures.size(), 1);
        QVERIFY(capped.failures[0].startsWith(QStringLiteral("Flight 20 of %1 cannot be read (cannot open the file: ")
                                                  .arg(QFileInfo(gone).absoluteFilePath())));
        QVERIFY(capped.failures[0].endsWith(") and is left out."));

        QCOMPARE(query.read({}).records.size(), 0);
        QVERIFY(env.prompts().calls.isEmpty());
    }

    void resolvingReferences_data()
    {
        QTest::addColumn<QString>("reference");
        QTest::addColumn<qint32>("memoryType");  // of the flight found
        QTest::addColumn<QString>("failure");

        // Flight 7 sits in slots 1 and 3; the first one counts, unless its slot is named.
        const QString current = writeRaw(referenceDir(), "F-GABC", 3, "current.raw",
                                         {{0, 0}, {7, 1}, {8, 0}, {7, 0, kSlot3Date}, {15, 1}});
        const QString older = makeOlder(current, referenceDir() + "/older.raw");
        const QString cut = referenceDir() + "/cut.raw";
        QFile::copy(current, cut);
        QFile::resize(cut, 640 + 4 * 278196 + 1000);
        QFile foreign(referenceDir() + "/foreign.raw");
        foreign.open(QIODevice::WriteOnly);
        foreign.write(QByteArray(700, 'x'));
        const QString longer = writeRefused(current, referenceDir() + "/long.raw", false);
        const QString shifted = writeRefused(current, referenceDir() + "/shifted.raw", true);
        const QString missing = referenceDir() + "/missing.raw";
        const QString colon = referenceDir() + "/C:copy.raw";  // the flight number follows the last colon
        QFile::copy(current, colon);

        QTest::newRow("first slot holding it") << current + ":7" << 1 << "";
        QTest::newRow("another flight") << current + ":15" << 1 << "";
        QTest::newRow("second slot holding it") << current + "@3" << 0 << "";
        QTest::newRow("first slot named") << current + "@1" << 1 << "";
        QTest::newRow("slot of an older file") << older + "@1" << 1 << "";
        QTest::newRow("empty slot") << current + "@0" << 0 << "Slot 0 of " + current + " holds no flight.";
        QTest::newRow("slot truncated") << cut + "@4" << 0
                                        << "Slot 4 of " + cut + " cannot be read (Failed to read data block).";
        QTest::newRow("older format") << older + ":8" << 0 << "";
        QTest::newRow("colon in the path") << colon + ":7" << 1 << "";
        QTest::newRow("flight not in file") << current + ":9" << 0 << "Flight 9 is not in " + current + ".";
        QTest::newRow("truncated before it") << cut + ":15" << 0
                                             << "Flight 15 of " + cut + " cannot be read (Failed to read data block).";
        QTest::newRow("truncated after it") << cut + ":8" << 0 << "";
        QTest::newRow("unsupported file") << foreign.fileName() + ":1" << 0
                                          << "Flight 1 of " + foreign.fileName()
                                                 + " cannot be read (unsupported file format).";
        QTest::newRow("longer than its format") << longer + ":7" << 0
            << "Flight 7 of " + longer + " cannot be read (5842757 bytes, more than the 5842756 bytes of a complete "
                                         "raw file of its format).";
        QTest::newRow("older magic on a current header") << shifted + ":7" << 0
            << "Flight 7 of " + shifted + " cannot be read (5842756 bytes, more than the 5842456 bytes of a complete "
                                          "raw file of its format).";
        QTest::newRow("no such file") << missing + ":7" << 0
                                      << "Flight 7 of " + missing + " cannot be read (cannot open the file: ";
        for (const QString& bad : QStringList{current, current + ":", current + ":x", current + ":0", current + ":-7", ":7",
                                              current + "@21", current + "@-1", current + "@", "@3"})
            QTest::newRow(qPrintable("not a reference " + bad.section('/', -1)))
                << bad << 0
                << bad + " names no flight: expected RAW:FLIGHT (a raw file and a flight number) or RAW@SLOT (a slot "
                         "from 0 to 20).";
    }

    void resolvingReferences()
    {
        QFETCH(QString, reference);
        QFETCH(qint32, memoryType);
        QFETCH(QString, failure);
        const ResolvedFlight resolved = resolveFlightReference(reference);
        if (!failure.isEmpty()) {
            QVERIFY2(resolved.failure.startsWith(failure), qPrintable(resolved.failure));
            QVERIFY(!resolved.record);
            return;
        }
        QCOMPARE(resolved.failure, QString());
        QVERIFY(resolved.record);
        const FlightRecord& record = *resolved.record;
        const bool bySlot = reference.contains('@');  // the slot rows name flight 7
        const qint32 flightNumber = bySlot ? 7 : reference.section(':', -1).toInt();
        QCOMPARE(record.block.dateWord == kSlot3Date, reference.endsWith("@3"));
        QCOMPARE(record.flightNumber, flightNumber);
        QCOMPARE(record.memoryType, memoryType);
        QCOMPARE(record.registration, QStringLiteral("F-GABC"));
        QCOMPARE(record.enginePosition, 3);
        QCOMPARE(record.header.magic, kRawMagic);
        QCOMPARE(record.block.steadySamples[0][0], qint16(1000 + flightNumber));
    }

    void referenceMatchesTheSelection()
    {
        const QString path = writeRaw(env.dataRoot(), "F-GABC", 2, "a.raw", {{4, 0}, {5, 1}});
        const FlightQuery query(scanRawFiles(env.dataRoot()));
        const FlightSelection selected = query.read({1});
        QCOMPARE(recordNumbers(selected.records), QList<qint32>{5});
        const ResolvedFlight resolved = resolveFlight(path, 5);
        QVERIFY(resolved.record);
        const FlightRecord& a = *selected.records[0];
        const FlightRecord& b = *resolved.record;
        QCOMPARE(b.registration, a.registration);
        QCOMPARE(b.enginePosition, a.enginePosition);
        QCOMPARE(b.memoryType, a.memoryType);
        QVERIFY(std::memcmp(&a.header, &b.header, sizeof a.header) == 0);
        QVERIFY(std::memcmp(&a.block, &b.block, sizeof a.block) == 0);
    }
};

QTEST_GUILESS_MAIN(FlightQueryTest)
#include "test_flight_query.moc"
