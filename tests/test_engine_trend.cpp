// The engine trend and the fleet overview over indexed flights: which flights
// and values a trend shows and in which order, the downloads and alarm
// changes marked on it, the CSV, JSON and table the command line writes, and
// the fleet's rows and their order.

#include "trend/FleetOutput.h"
#include "trend/TrendOutput.h"

#include <QJsonObject>
#include <QtTest>
#include <limits>

using namespace trend;

namespace {

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr int kA4R = 7;
const std::array<qint32, 6> kNoAlarms = {3, 3, 3, 3, 3, 3};

quint16 dateWord(int year, int month, int day) { return quint16((year - 2000) << 9 | month << 5 | day); }
quint16 timeWord(int hour, int minute) { return quint16(hour << 11 | minute << 5); }

// Flight `number` of engine `esn`, downloaded into `raw` at `created`, with `a4r` in bin 1 of A4R.
IndexedFlight flight(const QString& esn, int number, const QString& raw, qint64 created = 0, float a4r = 1)
{
    IndexedFlight f;
    f.engineSerial = esn;
    f.registration = QStringLiteral("F-GABC");
    f.enginePosition = 2;
    f.flightNumber = number;
    f.rawPath = QStringLiteral("/data/F-GABC/2/") + raw;
    f.slot = number % 21;
    f.rawCreationTime = created;
    f.dateWord = dateWord(2026, 3, 1);
    f.alarmCodes = kNoAlarms;
    f.steady[kA4R][0] = a4r;
    return f;
}

QList<float> valuesOf(const TrendSeries& series)
{
    QList<float> values;
    for (const TrendPoint& point : series.points)
        values << float(point.value);
    return values;
}

QStringList esnOrder(const QList<FleetRow>& rows)
{
    QStringList order;
    for (const QJsonValue& row : fleetJson(rows))
        order << row[QStringLiteral("esn")].toString();
    return order;
}

}  // namespace

class EngineTrendTest : public QObject {
    Q_OBJECT

private slots:
    void parameterByIdOrMenuEntry_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("id");  // -1: refused
        QTest::newRow("id") << "7" << 7;
        QTest::newRow("last id") << "21" << 21;
        QTest::newRow("plot-only id") << "22" << -1;
        QTest::newRow("menu entry") << "A4R (avg)" << 0;
        QTest::newRow("case and mnemonic ignored") << "&a4r (AVG)" << 0;
        QTest::newRow("entry with units") << "N1-4R (RPM)" << 9;
        QTest::newRow("plot-only entry") << "FFT" << -1;
        QTest::newRow("unknown") << "A4X" << -1;
    }
    void parameterByIdOrMenuEntry()
    {
        QFETCH(QString, text);
        QFETCH(int, id);
        QCOMPARE(parameterId(text).value_or(-1), id);
    }

    // A flight's value: the chosen bin as stored, or the largest finite, non-zero value.
    void valueOfAFlight_data()
    {
        QTest::addColumn<QList<float>>("bins");  // the first bins of A4R; the rest are 0
        QTest::addColumn<int>("bin");
        QTest::addColumn<QList<float>>("values");  // none: the flight is left out
        QTest::addColumn<int>("shownBin");
        QTest::newRow("highest") << QList<float>{1.5f, 2.5f, 0.5f} << kHighestBin << QList<float>{2.5f} << 2;
        QTest::newRow("infinity and nan skipped")
            << QList<float>{kInf, 0.25f, kNan, -kInf} << kHighestBin << QList<float>{0.25f} << 2;
        QTest::newRow("negative beats zero") << QList<float>{0, -3, -2} << kHighestBin << QList<float>{-2} << 3;
        QTest::newRow("zeros only: left out") << QList<float>{0, -0.0f} << kHighestBin << QList<float>{} << 0;
        QTest::newRow("nan only: left out") << QList<float>{kNan, kInf} << kHighestBin << QList<float>{} << 0;
        QTest::newRow("chosen bin as stored") << QList<float>{1, 0} << 2 << QList<float>{0} << 2;
        QTest::newRow("chosen bin last") << QList<float>{1} << 26 << QList<float>{0} << 26;
    }
    void valueOfAFlight()
    {
        QFETCH(QList<float>, bins);
        QFETCH(int, bin);
        QFETCH(QList<float>, values);
        QFETCH(int, shownBin);
        IndexedFlight f = flight("7001", 1, "a.raw");
        std::copy(bins.begin(), bins.end(), f.steady[kA4R].begin());
        const TrendSeries series = engineTrend({f}, "7001", {kA4R, bin, Memory::All});
        QCOMPARE(valuesOf(series), values);
        if (!values.isEmpty())
            QCOMPARE(series.points[0].bin, shownBin);
    }

    // Flight end, then flight number; one flight downloaded twice counts once, as the latest download holds it.
    void flightsInOrder_data()
    {
        QTest::addColumn<QList<IndexedFlight>>("flights");
        QTest::addColumn<int>("memory");
        QTest::addColumn<QStringList>("shown");  // "flight@raw file"
        const auto at = [](IndexedFlight f, int day, int hour, int minute, int memoryType = 0) {
            f.dateWord = dateWord(2026, 3, day);
            f.timeWord = timeWord(hour, minute);
            f.memoryType = memoryType;
            return f;
        };
        QTest::newRow("by flight end")
            << QList{at(flight("7001", 1, "a.raw"), 2, 0, 0), at(flight("7001", 2, "a.raw"), 1, 23, 59),
                     at(flight("7001", 3, "a.raw"), 1, 9, 5)}
            << int(Memory::All) << QStringList{"3@a.raw", "2@a.raw", "1@a.raw"};
        QTest::newRow("clock unset: by flight number")
            << QList{flight("7001", 12, "b.raw"), flight("7001", 3, "a.raw"), flight("7001", 7, "a.raw")}
            << int(Memory::All) << QStringList{"3@a.raw", "7@a.raw", "12@b.raw"};
        QTest::newRow("pre-defect only")
            << QList{at(flight("7001", 1, "a.raw"), 1, 0, 0, 1), at(flight("7001", 2, "a.raw"), 1, 0, 0, 0)}
            << int(Memory::Pre) << QStringList{"2@a.raw"};
        QTest::newRow("post-defect only")
            << QList{at(flight("7001", 1, "a.raw"), 1, 0, 0, 1), at(flight("7001", 2, "a.raw"), 1, 0, 0, 0)}
            << int(Memory::Post) << QStringList{"1@a.raw"};
        QTest::newRow("other engines left out")
            << QList{flight("7001", 1, "a.raw"), flight("7002", 2, "c.raw"), flight("", 3, "d.raw")}
            << int(Memory::All) << QStringList{"1@a.raw"};
        const auto movedTo = [](IndexedFlight f, const QString& registration, int position) {
            f.registration = registration;
            f.enginePosition = position;
            return f;
        };
        QTest::newRow("moved to another aircraft: one history")
            << QList{movedTo(flight("7001", 1, "a.raw"), "F-GXYZ", 1), flight("7001", 2, "b.raw")} << int(Memory::All)
            << QStringList{"1@a.raw", "2@b.raw"};
        QTest::newRow("copy counts once, latest download kept")
            << QList{flight("7001", 1, "b.raw", 200), flight("7001", 1, "c.raw", 300), flight("7001", 1, "a.raw", 100)}
            << int(Memory::All) << QStringList{"1@c.raw"};
        QTest::newRow("copy of the same minute: the later session's name wins")
            << QList{flight("7001", 1, "x-1425-10.raw", 100), flight("7001", 1, "x-1425.raw", 100),
                     flight("7001", 1, "x-1425-9.raw", 100)}
            << int(Memory::All) << QStringList{"1@x-1425-10.raw"};
        QTest::newRow("other values: two flights")
            << QList{flight("7001", 1, "a.raw", 100, 1), flight("7001", 1, "b.raw", 200, 2)} << int(Memory::All)
            << QStringList{"1@a.raw", "1@b.raw"};
    }
    void flightsInOrder()
    {
        QFETCH(QList<IndexedFlight>, flights);
        QFETCH(int, memory);
        QFETCH(QStringList, shown);
        const TrendSeries series = engineTrend(flights, "7001", {kA4R, 1, Memory(memory)});
        QStringList order;
        for (const TrendPoint& point : series.points) {
            order << QString::number(point.flightNumber) + '@' + QFileInfo(point.rawPath).fileName();
            QCOMPARE(point.sequence, order.size());
        }
        QCOMPARE(order, shown);
    }

    // Downloads a, b, c in flight order; the alarm change shows at the first flight of the download that has it.
    void downloadsAndAlarmChanges()
    {
        QList<IndexedFlight> flights;
        for (int number = 1; number <= 6; ++number)
            flights << flight("7001", number, number <= 2 ? "a.raw" : number <= 4 ? "b.raw" : "c.raw", number);
        flights[4].alarmCodes = flights[5].alarmCodes = {1, 0, 3, 3, 3, 9};
        const TrendSeries series = engineTrend(flights, "7001", {kA4R, 1, Memory::All});
        QCOMPARE(series.downloadBoundaries, QList<int>({2, 4}));
        QCOMPARE(series.alarmChanges.size(), 1);
        QCOMPARE(series.alarmChanges[0].point, 4);
        QStringList texts;
        for (const AlarmStateChange& state : series.alarmChanges[0].states)
            texts << state.text();
        QCOMPARE(texts, QStringList({"4R Current Alarm: No Event -> Level 2", "4R Historic Alarm: No Fault -> Level 1",
                                     "3B Historic Alarm: No Fault -> Unknown"}));
    }

    void csvBytes()
    {
        QList<IndexedFlight> flights{flight("70,01", 17, "ESN70,01-fd-2026-03-01-1200.raw", 0, 0.1f),
                                     flight("70,01", 18, "b.raw", 0, kNan), flight("70,01", 19, "b.raw", 0, -kInf),
                                     flight("70,01", 20, "b.raw", 0, 123456789.0f)};
        flights[0].dateWord = dateWord(2026, 13, 31);  // as stored, not clamped
        flights[0].timeWord = timeWord(24, 61);
        flights[1].memoryType = 1;
        flights[1].registration = QStringLiteral("F-\"Q\"");
        const QByteArray expected = "flight_end_utc,flight,memory_type,registration,engine,raw_file,slot,value\n"
                                    "2026-03-01T00:00:00Z,18,post,\"F-\"\"Q\"\"\",2,b.raw,18,nan\n"
                                    "2026-03-01T00:00:00Z,19,pre,F-GABC,2,b.raw,19,-inf\n"
                                    "2026-03-01T00:00:00Z,20,pre,F-GABC,2,b.raw,20,123456792\n"
                                    "2026-13-31T24:61:00Z,17,pre,F-GABC,2,\"ESN70,01-fd-2026-03-01-1200.raw\",17,"
                                    "0.100000001\n";
        QCOMPARE(trendCsv(engineTrend(flights, "70,01", {kA4R, 1, Memory::All})), expected);
    }

    void jsonAndTable()
    {
        const QList<IndexedFlight> flights{flight("7001", 5, "a.raw", 0, 2.5f), flight("7001", 6, "a.raw", 0, kNan)};
        const TrendSeries series = engineTrend(flights, "7001", {kA4R, 1, Memory::All});
        const QJsonArray json = trendJson(series);
        QCOMPARE(json.size(), 2);
        QCOMPARE(json[0].toObject(), QJsonObject({{"flightEndUtc", "2026-03-01T00:00:00Z"},
                                                  {"flight", 5},
                                                  {"memoryType", "pre"},
                                                  {"registration", "F-GABC"},
                                                  {"engine", 2},
                                                  {"rawFile", "a.raw"},
                                                  {"slot", 5},
                                                  {"value", 2.5}}));
        QVERIFY(json[1][QStringLiteral("value")].isNull());
        QCOMPARE(trendTable(series), QStringLiteral("Flight end (UTC)      Flight #  Memory  Aircraft  Engine  Raw file  Slot  Value\n"
                                                    "2026-03-01T00:00:00Z         5  pre     F-GABC         2  a.raw        5    2.5\n"
                                                    "2026-03-01T00:00:00Z         6  pre     F-GABC         2  a.raw        6    nan\n"));
    }

    // The latest value against the median of up to ten flights before it.
    void changeAgainstMedian_data()
    {
        QTest::addColumn<QList<float>>("values");  // in flight order; the last is the latest
        QTest::addColumn<QJsonValue>("change");
        QTest::addColumn<QJsonValue>("changePercent");
        QTest::newRow("one flight: no change") << QList<float>{4} << QJsonValue() << QJsonValue();
        QTest::newRow("fewer than ten: those present") << QList<float>{1, 2, 9, 3} << QJsonValue(1) << QJsonValue(50);
        QTest::newRow("even count: mean of the middle two")
            << QList<float>{1, 2, 4, 8, 6} << QJsonValue(3) << QJsonValue(100);
        QTest::newRow("median 0: no change") << QList<float>{0, 0, 5, 0, 5} << QJsonValue() << QJsonValue();
        QTest::newRow("only the ten before count")
            << QList<float>{100, 100, 100, 100, 100, 100, 1, 3, 1, 3, 1, 3, 1, 3, 1, 3, 4} << QJsonValue(2)
            << QJsonValue(100);
        QTest::newRow("negative median: a rise is positive")
            << QList<float>{-2, -2, -1} << QJsonValue(1) << QJsonValue(50);
    }
    void changeAgainstMedian()
    {
        QFETCH(QList<float>, values);
        QFETCH(QJsonValue, change);
        QFETCH(QJsonValue, changePercent);
        QList<IndexedFlight> flights;
        for (int i = 0; i < values.size(); ++i)
            flights << flight("7001", i + 1, "a.raw", 0, values[i]);
        const QJsonObject row = fleetJson(fleetOverview(flights, {kA4R, 1, Memory::All}))[0].toObject();
        QCOMPARE(row[QStringLiteral("value")].toDouble(), double(values.last()));
        QCOMPARE(row[QStringLiteral("change")], change);
        QCOMPARE(row[QStringLiteral("changePercent")], changePercent);
    }

    // One row per engine, as its latest download shows it.
    void fleetRow()
    {
        QList<IndexedFlight> flights{flight("7001", 1, "a.raw", 1700000000, 2), flight("7001", 2, "b.raw", 1765000000, 3),
                                     flight("7001", 1, "b.raw", 1765000000, 2)};
        flights[1].registration = flights[2].registration = QStringLiteral("F-GXYZ");
        flights[1].enginePosition = flights[2].enginePosition = 4;
        flights[1].alarmCodes = flights[2].alarmCodes = {2, 1, 0, 3, 3, 7};
        flights[0].unitEngineSerial = QStringLiteral("7001");
        flights[1].unitEngineSerial = flights[2].unitEngineSerial = QStringLiteral("7010");
        const QList<FleetRow> rows = fleetOverview(flights);
        QCOMPARE(engineText(rows[0]), QStringLiteral("7001 (unit: 7010)"));
        const QJsonObject row = fleetJson(rows)[0].toObject();
        QCOMPARE(row, QJsonObject({{"esn", "7001"},
                                   {"unitEsn", "7010"},
                                   {"registration", "F-GXYZ"},
                                   {"engine", 4},
                                   {"lastDownloadUtc", "2025-12-06T05:46:40Z"},
                                   {"flights", 2},
                                   {"alarms", QJsonObject{{"4R", QJsonObject{{"current", "Level 3"}, {"historic", "Level 2"}}},
                                                          {"4L", QJsonObject{{"current", "Level 1"}, {"historic", "No Fault"}}},
                                                          {"3B", QJsonObject{{"current", "No Event"}, {"historic", "Unknown"}}}}},
                                   {"alarmRank", 4},
                                   {"value", 3},
                                   {"change", 1},
                                   {"changePercent", 50}}));
    }

    // Highest alarm rank first, then the largest rise, then engines without a change.
    void fleetOrder()
    {
        const auto engine = [](const QString& esn, qint32 code, float before, float latest) {
            QList<IndexedFlight> flights{flight(esn, 1, esn + ".raw", 0, before), flight(esn, 2, esn + ".raw", 0, latest)};
            flights[0].alarmCodes[3] = flights[1].alarmCodes[3] = code;  // 4L historic
            return flights;
        };
        const QList<IndexedFlight> flights = engine("quiet", 3, 1, 1) + engine("rising", 3, 1, 3)
                                             + engine("level1", 0, 1, 1) + engine("unknown", 8, 1, 1)
                                             + engine("level3", 2, 2, 1) + engine("level2", 1, 1, 1)
                                             + engine("unmeasured", 3, 0, 1) + engine("falling", 3, 2, 1);
        QCOMPARE(esnOrder(fleetOverview(flights)), QStringList({"level3", "level2", "level1", "unknown", "rising",
                                                                "quiet", "falling", "unmeasured"}));
    }
};

QTEST_GUILESS_MAIN(EngineTrendTest)
#include "test_engine_trend.moc"
