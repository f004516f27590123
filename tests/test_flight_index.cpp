// The flight index against raw files written by the download's own writer:
// which flights it lists, which copy of a flight downloaded twice it keeps,
// how it follows the files on disk, and that its values are the plotted ones.

#include "RawFiles.h"
#include "SampleFlights.h"
#include "TestEnvironment.h"
#include "core/Clock.h"
#include "plot/PlotModel.h"
#include "trend/EngineKey.h"
#include "trend/FlightIndex.h"

#include <QtTest>

namespace {

struct Download {
    QString registration;
    int engine;
    QString name;
    int written;  // creation time, minutes after a fixed hour
    QList<int> flights;
    bool otherValues = false;  // the same flight numbers and dates, other values
};

}  // namespace

Q_DECLARE_METATYPE(QList<Download>)

class FlightIndexTest : public QObject {
    Q_OBJECT
    TestEnvironment env;

    QString root(const QString& name) const { return env.path() + '/' + name; }

    static QString write(const QString& dataRoot, const Download& download)
    {
        QList<SampleSlot> slotList;
        for (int flight : download.flights)
            slotList << SampleSlot{flight, 0};
        Clock::fix(QDateTime(QDate(2026, 1, 1), QTime(12, download.written), Qt::UTC));
        const QString path = writeSampleRawFile(dataRoot, download.registration, download.engine, download.name, slotList);
        Clock::fix(std::nullopt);
        if (download.otherValues) {
            QFile file(path);
            file.open(QIODevice::ReadWrite);
            file.seek(sizeof(RawFileHeader));
            file.write(QByteArray(4, '\x7f'));  // slot 0's first steady-state value
        }
        return path;
    }

    // "engine flight registration/position file" per listed flight.
    static QStringList listed(const FlightIndex& index)
    {
        QStringList rows;
        for (const IndexedFlight& flight : index.flights())
            rows << QStringLiteral("%1 %2 %3/%4 %5")
                        .arg(engineKey(flight), QString::number(flight.flightNumber), flight.registration,
                             QString::number(flight.enginePosition), QFileInfo(flight.rawPath).fileName());
        return rows;
    }

    static QString names(const QStringList& paths)
    {
        QStringList result;
        for (const QString& path : paths)
            result << QFileInfo(path).fileName();
        return result.join(' ');
    }

private slots:
    void eachFlightCountsOnce_data()
    {
        QTest::addColumn<QList<Download>>("downloads");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("downloaded twice: the latest copy")
            << QList<Download>{{"F-GABC", 2, "ESN77-fd-20260101-1230.raw", 30, {3, 8}},
                               {"F-GABC", 2, "ESN77-fd-20260101-1200.raw", 40, {3, 8, 9}}}
            << QStringList{"77 3 F-GABC/2 ESN77-fd-20260101-1200.raw", "77 8 F-GABC/2 ESN77-fd-20260101-1200.raw",
                           "77 9 F-GABC/2 ESN77-fd-20260101-1200.raw"};
        QTest::newRow("written in the same minute: the greater name")
            << QList<Download>{{"F-GABC", 2, "ESN77-fd-20260101-1201.raw", 0, {3}},
                               {"F-GABC", 2, "ESN77-fd-20260101-1200.raw", 0, {3}}}
            << QStringList{"77 3 F-GABC/2 ESN77-fd-20260101-1201.raw"};
        QTest::newRow("same minute, later session: -10 after -9")
            << QList<Download>{{"F-GABC", 2, "ESN77-fd-20260101-1200-10.raw", 0, {3}},
                               {"F-GABC", 2, "ESN77-fd-20260101-1200-9.raw", 0, {3}}}
            << QStringList{"77 3 F-GABC/2 ESN77-fd-20260101-1200-10.raw"};
        QTest::newRow("an engine moved keeps one history")
            << QList<Download>{{"F-GABC", 2, "ESN77-fd-20260101-1200.raw", 0, {3}},
                               {"HB-XYZ", 1, "ESN77-fd-20260102-1200.raw", 1, {4}}}
            << QStringList{"77 3 F-GABC/2 ESN77-fd-20260101-1200.raw", "77 4 HB-XYZ/1 ESN77-fd-20260102-1200.raw"};
        QTest::newRow("other values: two flights")
            << QList<Download>{{"F-GABC", 2, "ESN77-fd-20260101-1200.raw", 0, {3}},
                               {"F-GABC", 2, "ESN77-fd-20260101-1300.raw", 1, {3}, true}}
            << QStringList{"77 3 F-GABC/2 ESN77-fd-20260101-1200.raw", "77 3 F-GABC/2 ESN77-fd-20260101-1300.raw"};
        QTest::newRow("other engines: two flights; the serial number as written")
            << QList<Download>{{"F-GABC", 2, "ESN77-fd-20260101-1200.raw", 0, {3}},
                               {"F-GABC", 2, "ESNab-fd-x-fd-20260101-1300.raw", 1, {3}},
                               {"F-GABC", 2, "ESNAB-fd-20260101-1300.raw", 1, {3}}}
            << QStringList{"77 3 F-GABC/2 ESN77-fd-20260101-1200.raw", "AB 3 F-GABC/2 ESNAB-fd-20260101-1300.raw",
                           "ab-fd-x 3 F-GABC/2 ESNab-fd-x-fd-20260101-1300.raw"};
        QTest::newRow("no serial number: an engine per registration and position")
            << QList<Download>{{"F-GABC", 2, "ESN-fd-20260101-1200.raw", 0, {3}},
                               {"F-GABC", 3, "ESN-fd-20260101-1200.raw", 0, {3}}}
            << QStringList{"(no ESN) F-GABC/2 3 F-GABC/2 ESN-fd-20260101-1200.raw",
                           "(no ESN) F-GABC/3 3 F-GABC/3 ESN-fd-20260101-1200.raw"};
    }
    void eachFlightCountsOnce()
    {
        QFETCH(QList<Download>, downloads);
        QFETCH(QStringList, expected);
        const QString dataRoot = root(QTest::currentDataTag());
        for (const Download& download : downloads)
            write(dataRoot, download);
        FlightIndex index(dataRoot + "/tolm.db");
        QCOMPARE(index.openFailure(), QString());
        QCOMPARE(index.update(dataRoot).added.size(), downloads.size());
        QCOMPARE(listed(index), expected);
    }

    // Two raw files indexed, then one changes on disk; the next update follows it.
    void followsTheFilesOnDisk_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("dropped");
        QTest::addColumn<QString>("refused");  // as told: the file's name and why
        QTest::addColumn<QList<int>>("flights");
        QTest::newRow("rewritten") << "rewrite" << "ESN1-fd-a.raw" << "" << "" << QList<int>{1, 2, 4, 7};
        QTest::newRow("deleted") << "delete" << "" << "ESN2-fd-b.raw" << "" << QList<int>{1, 2, 3};
        QTest::newRow("aircraft deleted") << "delete aircraft" << "" << "ESN2-fd-b.raw" << "" << QList<int>{1, 2, 3};
        QTest::newRow("cut in slot 2: its complete flights")
            << "cut" << "ESN1-fd-a.raw" << "" << "" << QList<int>{1, 2, 7};
        QTest::newRow("a byte longer: refused")
            << "lengthen" << "" << ""
            << "ESN1-fd-a.raw: 5842757 bytes, more than the 5842756 bytes of a complete raw file of its format"
            << QList<int>{7};
        QTest::newRow("another format: refused") << "foreign" << "" << "" << "ESN3-fd-c.raw: unsupported file format"
                                                 << QList<int>{1, 2, 3, 7};
    }
    void followsTheFilesOnDisk()
    {
        QFETCH(QString, change);
        QFETCH(QString, changed);
        QFETCH(QString, dropped);
        QFETCH(QString, refused);
        QFETCH(QList<int>, flights);
        const QString dataRoot = root(QTest::currentDataTag());
        const QString a = write(dataRoot, {"F-GABC", 2, "ESN1-fd-a.raw", 0, {1, 2, 3}});
        const QString b = write(dataRoot, {"HB-XYZ", 1, "ESN2-fd-b.raw", 0, {7}});
        FlightIndex index(dataRoot + "/tolm.db");
        QCOMPARE(names(index.update(dataRoot).added), QStringLiteral("ESN1-fd-a.raw ESN2-fd-b.raw"));
        QTest::qWait(5);  // a rewritten file's time differs

        if (change == "rewrite")
            write(dataRoot, {"F-GABC", 2, "ESN1-fd-a.raw", 0, {1, 2, 4}});
        else if (change == "delete")
            QFile::remove(b);
        else if (change == "delete aircraft")
            QDir(dataRoot + "/HB-XYZ_data").removeRecursively();
        else if (change == "cut")
            QFile::resize(a, sizeof(RawFileHeader) + 2 * sizeof(FlightBlock) + 100);
        else if (change == "lengthen")
            QFile::resize(a, kRawFileSize + 1);
        else if (change == "foreign") {
            QFile foreign(dataRoot + "/F-GABC_data/engine_2/ESN3-fd-c.raw");
            QVERIFY(foreign.open(QIODevice::WriteOnly));
            foreign.write(QByteArray(700, 'x'));
        }

        const IndexChanges changes = index.update(dataRoot);
        QCOMPARE(changes.failure, QString());
        QCOMPARE(names(changes.added), QString());
        QCOMPARE(names(changes.changed), changed);
        QCOMPARE(names(changes.dropped), dropped);
        QStringList told;
        for (const auto& [path, why] : changes.refused)
            told << QFileInfo(path).fileName() + ": " + why;
        QCOMPARE(told.join('\n'), refused);
        QList<int> numbers;
        for (const IndexedFlight& flight : index.flights())
            numbers << flight.flightNumber;
        QCOMPARE(numbers, flights);

        // Told once: nothing changed since.
        const IndexChanges again = index.update(dataRoot);
        QVERIFY(again.added.isEmpty() && again.changed.isEmpty() && again.dropped.isEmpty() && again.refused.isEmpty());
        // The same from scratch, in another program's index of the same database.
        FlightIndex other(dataRoot + "/tolm.db");
        QCOMPARE(other.update(dataRoot, true).refused.size(), refused.isEmpty() ? 0 : 1);
        QCOMPARE(other.flights().size(), flights.size());
    }

    // The index holds what the plot window shows of the same flight and bin, and the header's fields.
    void valuesAreThePlottedOnes()
    {
        const QString dataRoot = root("values");
        const QString path = write(dataRoot, {"F-GABC", 2, "ESN5-fd-20260101-1200.raw", 0, {3, 8}});
        const std::array<qint32, 6> alarms{0, 1, 2, 3, 3, 1};  // the header's 4R, 4L, 3B current and historic
        QFile header(path);
        QVERIFY(header.open(QIODevice::ReadWrite));
        header.seek(offsetof(RawFileHeader, dataHeaderWords) + 3 * sizeof(qint32));
        header.write(reinterpret_cast<const char*>(alarms.data()), sizeof alarms);
        header.seek(offsetof(RawFileHeader, unitEngineSerialNumber));
        header.write("5-UNIT", 7);
        header.close();
        FlightIndex index(dataRoot + "/tolm.db");
        QCOMPARE(index.updateFile(path).added, QStringList{path});
        const QList<IndexedFlight> flights = index.flights("5");
        QCOMPARE(flights.size(), 2);
        PlotModel plot(readFlights(path), {});
        for (int parameter = 0; parameter < 22; ++parameter) {
            plot.setMode(plot::SteadyState);
            plot.setParameter(parameter);
            const PlotData data = plot.build();
            for (int f = 0; f < 2; ++f)
                for (int bin = 0; bin < 26; ++bin)
                    QCOMPARE(double(flights[f].steady[parameter][bin]), data.y[f][bin]);
        }
        for (int average = 0; average < 10; ++average)
            for (int capture = 0; capture < 4; ++capture)
                QCOMPARE(flights[1].captureAverages[average][capture], sample::captureAverage(8, capture, average));
        const IndexedFlight& flight = flights[1];
        QCOMPARE(flight.slot, 1);
        QCOMPARE(flight.rawPath, path);
        QCOMPARE(flight.rawCreationTime, QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch());
        QCOMPARE(flight.dateWord, dateWord(2011, 3, 5));
        QCOMPARE(flight.timeWord, timeWord(14, 25));
        QCOMPARE(flight.alarmCodes, alarms);
        QCOMPARE(flight.unitEngineSerial, QStringLiteral("5-UNIT"));
        QCOMPARE(flight.engineSerial, QStringLiteral("5"));
    }
};

QTEST_GUILESS_MAIN(FlightIndexTest)
#include "test_flight_index.moc"
