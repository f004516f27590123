// The flight history report written from a synthetic flight-history answer.

#include "TestEnvironment.h"
#include "download/FlightHistoryReport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kAnswerSize = 52892;
constexpr int kLinesPerFlight = 73;  // 4 dash lines, 2 column lines, summary, 66 acquisitions
const QString kDash(111, QLatin1Char('-'));

template <typename T>
void put(QByteArray& answer, int offset, T value)
{
    std::memcpy(answer.data() + offset, &value, sizeof value);
}

int recordOffset(int record) { return 52 + 3522 * record; }

// Every value of a record names the record it lives in.
int storedIndex(int record, int k) { return 100 * record + 10 * k; }
float storedMaximum(int record, int i, int j) { return float(10000 * record + 100 * i + j) + 0.5f; }

QByteArray answerFor(qint32 flights, qint32 status = 0)
{
    QByteArray answer(kAnswerSize, '\0');
    put(answer, 20, flights);
    put(answer, 24, status);
    for (int r = 0; r < 15; ++r) {
        for (int k = 0; k < 6; ++k)
            put(answer, recordOffset(r) + 8 + 2 * k, qint16(storedIndex(r, k)));
        for (int k = 0; k < 12; ++k)
            put(answer, recordOffset(r) + 28 + 4 * k, float(100 * r + k) + 0.25f);
        for (int i = 0; i < 66; ++i)
            for (int j = 0; j < 11; ++j)
                put(answer, recordOffset(r) + 98 + 52 * i + 4 * j, storedMaximum(r, i, j));
    }
    return answer;
}

// The C library's "%11.2f"; QString::asprintf would round ties away from zero.
QString decimalsCell(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%11.2f", v);
    return QString::fromLatin1(text);
}

QString maximaOf(int record, int i)
{
    QString text;
    for (int j = 0; j < 11; ++j)
        text += decimalsCell(storedMaximum(record, i, j));
    return text;
}

}  // namespace

class FlightHistoryReportTest : public QObject {
    Q_OBJECT
    TestEnvironment env;

    QString reportPath() const { return env.path() + QStringLiteral("/ESN123-fh-20240501-0930.txt"); }

    ReportContext context() const
    {
        ReportContext c;
        c.sessionTime = QDateTime(QDate(2024, 5, 1), QTime(9, 30));
        copyText(c.aircraft.registration, QStringLiteral("D-ABCD"));
        copyText(c.aircraft.engines[0].serialNumber, QStringLiteral("123"));
        c.algorithmStates = {1, 1, 2};
        return c;
    }

    // All lines of the written report.
    QStringList write(const QByteArray& answer)
    {
        const QString error = writeFlightHistoryReport(reportPath(), context(), answer);
        if (!error.isEmpty())
            qWarning() << error;
        QFile file(reportPath());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    // The lines from "Last flight status:" on; empty when the report is not
    // shaped as one status line and 15 flight blocks.
    QStringList body(const QByteArray& answer)
    {
        const QStringList lines = write(answer);
        const int start = lines.indexOf(QRegularExpression(QStringLiteral("^Last flight status:.*")));
        if (start < 0 || lines.size() - start != 1 + 15 * kLinesPerFlight)
            return {};
        return lines.mid(start);
    }

    static int blockStart(int c) { return 1 + kLinesPerFlight * c; }

private slots:
    void statusLineNamesTheLastFlight_data()
    {
        QTest::addColumn<qint32>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("data available") << 0 << "Last flight data available";
        QTest::newRow("accel fault") << 3 << "Accel fault detected (by SPM)";
        QTest::newRow("bite error") << 6 << "BITE error";
        QTest::newRow("unknown code") << 7 << "";
        QTest::newRow("negative code") << -1 << "";
    }
    void statusLineNamesTheLastFlight()
    {
        QFETCH(qint32, code);
        QFETCH(QString, text);
        const QStringList lines = body(answerFor(3, code));
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines[0], QString::asprintf("%-26s", "Last flight status: ") + text);
    }

    void headerComesFirstWithoutFlightList()
    {
        QFile old(reportPath());
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("an older report\n");
        old.close();

        const QStringList lines = write(answerFor(3));
        QVERIFY(lines.size() > 30);
        QCOMPARE(lines[0], kDash);
        QVERIFY(lines[1].startsWith(QStringLiteral("Advanced Korvel Engine Data")));
        QVERIFY(lines.contains(QString::asprintf("%-26s%s", "File name:", "ESN123-fh-20240501-0930.txt")));
        QVERIFY(lines.contains(QString::asprintf("%-26s%s", "Aircraft Reg. Nr:", "D-ABCD")));
        const int states = lines.indexOf(QRegularExpression(QStringLiteral("^Algorithm Status:.*")));
        QVERIFY(states > 0);
        QCOMPARE(lines[states], QString::asprintf("%-26s%-13s%-13s%s", "Algorithm Status:", "Activated", "Inhibited", "Activated"));
        QCOMPARE(lines[states + 1], kDash);
        QVERIFY(lines[states + 2].startsWith(QStringLiteral("Last flight status:")));
        QCOMPARE(lines.size(), states + 3 + 15 * kLinesPerFlight);
        QVERIFY(lines.filter(QStringLiteral("End of Flight")).isEmpty());
    }

    void everyFlightHasItsFrameAndColumns()
    {
        const QString summaryColumns =
            QStringLiteral("Flt-#")
            + QString::asprintf("%11s%11s%11s%11s%11s%11s", "MMC4R", "MMH4R", "MMC3B", "MMH3B", "MMC4L", "MMH4L")
            + QString::asprintf("%11s%11s%11s%11s%11s%11s", "A4R", "TR4R", "N1-4R", "N2-4R", "A4L", "F4L")
            + QString::asprintf("%11s%11s%11s%11s%11s%11s", "K1", "K2", "A3B", "TR3B", "N1-3B", "N2-3B")
            + QString::asprintf("%14s%14s%14s", "Evt src. 4R", "Evt src. 3B", "Evt src. 4L");
        const QString acquisitionColumns =
            QStringLiteral("Flt-#  Type  ID")
            + QString::asprintf("%11s%11s%11s%11s%11s%11s", "Max A4R", "Max TR4R", "Max N1-4R", "Max N2-4R",
                                "Max CN1", "Max CN2")
            + QString::asprintf("%11s%11s%11s%11s%11s", "Max CDN", "Max A3B", "Max TR3B", "Max N1-3B",
                                "Max N2-3B");
        const QStringList lines = body(answerFor(3));
        QVERIFY(!lines.isEmpty());
        for (int c = 0; c < 15; ++c) {
            const int b = blockStart(c);
            for (int dash : {0, 2, 4, 6})
                QCOMPARE(lines[b + dash], kDash);
            QCOMPARE(lines[b + 1], summaryColumns);
            QCOMPARE(lines[b + 5], acquisitionColumns);
        }
    }

    void flightsAreListedOldestFirst_data()
    {
        QTest::addColumn<qint32>("flights");
        QTest::addColumn<int>("firstFlight");
        QTest::addColumn<int>("firstRecord");
        QTest::newRow("3 flights, empty records listed too") << 3 << 1 << 0;
        QTest::newRow("15 flights") << 15 << 1 << 0;
        QTest::newRow("16 flights") << 16 << 2 << 1;
        QTest::newRow("30 flights") << 30 << 16 << 0;
        QTest::newRow("40 flights") << 40 << 26 << 10;
    }
    void flightsAreListedOldestFirst()
    {
        QFETCH(qint32, flights);
        QFETCH(int, firstFlight);
        QFETCH(int, firstRecord);
        const QStringList lines = body(answerFor(flights));
        QVERIFY(!lines.isEmpty());
        for (int c = 0; c < 15; ++c) {
            const int flight = firstFlight + c;
            const int record = (firstRecord + c) % 15;
            const QString summary = lines[blockStart(c) + 3];
            QCOMPARE(summary.left(5).trimmed().toInt(), flight);
            QCOMPARE(summary.mid(5, 11).trimmed().toInt(), storedIndex(record, 0) + 1);
            QCOMPARE(lines[blockStart(c) + 7],
                     QString::asprintf("%5d%6s%4d", flight, "S-S", 1) + maximaOf(record, 0));
            QCOMPARE(lines[blockStart(c) + 7 + 65],
                     QString::asprintf("%5d%6s%4d", flight, "AOA", 66) + maximaOf(record, 65));
        }
    }

    void summaryLineInReportOrder_data()
    {
        QTest::addColumn<qint32>("flights");
        QTest::addColumn<int>("flight");
        QTest::addColumn<int>("record");
        QTest::addColumn<QList<int>>("sources");  // e0 (4R), e1 (4L), e2 (3B)
        QTest::addColumn<QStringList>("texts");   // 4R, 3B, 4L
        QTest::newRow("code 1: 4L global, 4R steady-state")
            << 3 << 1 << 0 << QList<int>{1, 1, 2} << QStringList{"Steady-state", "Transient", "Global"};
        QTest::newRow("4L code 2 is steady-state")
            << 40 << 26 << 10 << QList<int>{0, 2, 0} << QStringList{"No event", "No event", "Steady-state"};
        QTest::newRow("4L transient") << 16 << 2 << 1 << QList<int>{2, 3, 1}
                                      << QStringList{"Transient", "Steady-state", "Transient"};
        QTest::newRow("unknown codes") << 3 << 1 << 0 << QList<int>{3, 4, -1} << QStringList{"", "", ""};
    }
    void summaryLineInReportOrder()
    {
        QFETCH(qint32, flights);
        QFETCH(int, flight);
        QFETCH(int, record);
        QFETCH(QList<int>, sources);
        QFETCH(QStringList, texts);
        QByteArray answer = answerFor(flights);
        const int at = recordOffset(record);
        const qint16 indices[6] = {-1, 7, 300, 400, 500, 32767};  // h0..h5
        const float values[12] = {3.14159f, -1.5f, 0.0f,   12345678.0f, 1234.5678f, 0.999f,
                                  2.5f,     -250.75f, 100.0f, 123456789.0f, 42.0f,     -0.25f};
        for (int k = 0; k < 6; ++k)
            put(answer, at + 8 + 2 * k, indices[k]);
        for (int k = 0; k < 12; ++k)
            put(answer, at + 28 + 4 * k, values[k]);
        for (int k = 0; k < 3; ++k)
            put(answer, at + 84 + 2 * k, qint16(sources[k]));

        // Indices plus one as 4R, 3B, 4L pairs; values as the unit sends them.
        QString expected = QString::asprintf("%5d%11d%11d%11d%11d%11d%11d", flight, 0, 8, 501, 32768, 301, 401);
        for (float v : values)
            expected += decimalsCell(v);
        expected += QString::asprintf("%14s%14s%14s", qPrintable(texts[0]), qPrintable(texts[1]),
                                      qPrintable(texts[2]));

        const QStringList lines = body(answer);
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines[blockStart(0) + 3], expected);
    }

    // Ties the float holds exactly round to even, as printf rounds them.
    void fixedDecimalsRoundTiesToEven_data()
    {
        QTest::addColumn<int>("line");    // within the first flight's block
        QTest::addColumn<int>("offset");  // within record 0
        QTest::addColumn<int>("start");   // of the cell in the line
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("cell");
        const int summaryValues = 5 + 6 * 11;
        QTest::newRow("A4R") << 3 << 28 << summaryValues << 14247.625f << "14247.62";
        QTest::newRow("N2-3B, negative") << 3 << 28 + 4 * 11 << summaryValues + 11 * 11 << -0.125f << "-0.12";
        QTest::newRow("tie rounding up to even") << 3 << 28 + 4 * 5 << summaryValues + 11 * 5 << 2.375f << "2.38";
        const int maxima = 5 + 6 + 4;
        QTest::newRow("Max A4R of S-S 1") << 7 << 98 << maxima << 4171.625f << "4171.62";
        QTest::newRow("Max N2-3B of AOA 66")
            << 7 + 65 << 98 + 52 * 65 + 4 * 10 << maxima + 11 * 10 << 0.625f << "0.62";
    }
    void fixedDecimalsRoundTiesToEven()
    {
        QFETCH(int, line);
        QFETCH(int, offset);
        QFETCH(int, start);
        QFETCH(float, value);
        QFETCH(QString, cell);
        QByteArray answer = answerFor(3);
        put(answer, recordOffset(0) + offset, value);
        const QStringList lines = body(answer);
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines[blockStart(0) + line].mid(start, 11), cell.rightJustified(11));
    }

    void acquisitionLinesAreTypedAndNumbered_data()
    {
        QTest::addColumn<qint32>("flights");
        QTest::addColumn<int>("listed");  // position in the list, 0..14
        QTest::addColumn<int>("flight");
        QTest::addColumn<int>("record");
        QTest::addColumn<int>("acquisition");
        QTest::addColumn<QString>("type");
        QTest::newRow("first steady-state bin") << 3 << 0 << 1 << 0 << 0 << "S-S";
        QTest::newRow("last steady-state bin") << 3 << 0 << 1 << 0 << 25 << "S-S";
        QTest::newRow("first TOC") << 3 << 0 << 1 << 0 << 26 << "TOC";
        QTest::newRow("last TOC") << 3 << 2 << 3 << 2 << 35 << "TOC";
        QTest::newRow("first TOD") << 3 << 0 << 1 << 0 << 36 << "TOD";
        QTest::newRow("first AOD") << 3 << 0 << 1 << 0 << 46 << "AOD";
        QTest::newRow("first AOA") << 3 << 0 << 1 << 0 << 56 << "AOA";
        QTest::newRow("last AOA") << 3 << 14 << 15 << 14 << 65 << "AOA";
        QTest::newRow("two-digit flight") << 40 << 0 << 26 << 10 << 26 << "TOC";
        QTest::newRow("newest of 40") << 40 << 14 << 40 << 9 << 65 << "AOA";
    }
    void acquisitionLinesAreTypedAndNumbered()
    {
        QFETCH(qint32, flights);
        QFETCH(int, listed);
        QFETCH(int, flight);
        QFETCH(int, record);
        QFETCH(int, acquisition);
        QFETCH(QString, type);
        const QStringList lines = body(answerFor(flights));
        QVERIFY(!lines.isEmpty());
        QCOMPARE(lines[blockStart(listed) + 7 + acquisition],
                 QString::asprintf("%5d%6s%4d", flight, qPrintable(type), acquisition + 1)
                     + maximaOf(record, acquisition));
    }

    void refusalLeavesNothingBehind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("existing");  // "", "file" or "directory" at the path beforehand
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("error");
        const QString cannotCreate = QStringLiteral("Failed to create Flight History output file '%1': %2");
        QTest::newRow("missing directory") << "missing/fh.txt" << "" << kAnswerSize
                                           << cannotCreate.arg("%1", "No such file or directory");
        QTest::newRow("path is a directory") << "fh.txt" << "directory" << kAnswerSize
                                             << cannotCreate.arg("%1", "Filename refers to a directory");
        QTest::newRow("short answer keeps the old report")
            << "fh.txt" << "file" << kAnswerSize - 1
            << "Flight history answer too short: 52891 bytes, expected 52892";
        QTest::newRow("empty answer") << "fh.txt" << "" << 0
                                      << "Flight history answer too short: 0 bytes, expected 52892";
    }
    void refusalLeavesNothingBehind()
    {
        QFETCH(QString, name);
        QFETCH(QString, existing);
        QFETCH(int, size);
        QFETCH(QString, error);
        QTemporaryDir dir(env.path() + QStringLiteral("/refused-XXXXXX"));
        const QString path = dir.filePath(name);
        if (existing == QLatin1String("directory"))
            QVERIFY(QDir().mkpath(path));
        if (existing == QLatin1String("file")) {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older report\n");
        }
        const auto listing = [&] {
            return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        const QStringList before = listing();

        QByteArray answer = answerFor(3);
        answer.truncate(size);
        QCOMPARE(writeFlightHistoryReport(path, context(), answer), error.arg(path));

        QCOMPARE(listing(), before);
        if (existing.isEmpty())
            QVERIFY(!QFileInfo::exists(path));
        if (existing == QLatin1String("directory"))
            QVERIFY(QFileInfo(path).isDir());
        if (existing == QLatin1String("file")) {
            QFile old(path);
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(old.readAll(), QByteArray("an older report\n"));
        }
    }
};

QTEST_GUILESS_MAIN(FlightHistoryReportTest)
#include "test_flight_history_report.moc"
