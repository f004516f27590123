// The Campbell, steady-state and transient reports of one engine-data answer.

#include "TestEnvironment.h"
#include "download/EngineReports.h"
#include "download/ReportHeader.h"
#include "link/Protocol.h"
#include "link/ResponseNormalizer.h"
#include "simulator/ResponseBuilder.h"

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <QtTest>
#include <cstdio>
#include <cstring>

// Flight number, memory type and Campbell selector of each of the 21 slots.
struct SlotTable {
    QList<int> flights;
    QList<int> memoryTypes;
    QList<int> selectors;
};
Q_DECLARE_METATYPE(SlotTable)

enum class Report { Campbell, SteadyState, Transient };
Q_DECLARE_METATYPE(Report)

namespace {

constexpr int kSlotSize = 279712;
constexpr int kSlots = 21;

// Slot offsets of the fields the tests patch.
constexpr int kFlightNumber = 24;
constexpr int kMemoryType = 32;
constexpr int kSelector = 276036;
int steadyOffset(int bin, int j) { return 56 + 4212 * (bin - 1) + 4 * j; }
int sampleOffset(int capture, int sample, int j) { return 109616 + 41620 * capture + 4156 * (sample - 1) + 4 * j; }
int averageOffset(int capture, int a) { return 109568 + 41620 * capture + 4 * a; }
int campbellPairOffset(int band, int which) { return 276048 + 8 * band + 4 * which; }
int campbellValueOffset(int set, int v) { return 276368 + 664 * set + 4 * v; }

template <typename T>
void put(QByteArray& image, int slot, int offset, T value)
{
    std::memcpy(image.data() + qsizetype(slot) * kSlotSize + offset, &value, sizeof value);
}

const QString kDash = QString(111, QLatin1Char('-'));

const QString kSteadyColumns = QStringLiteral(
    "Mem  Bin-#  Flt-#             A4R            TR4R             F4R           N1-4R           N2-4R"
    "             CN1             CN2             CDN             A3B            TR3B             F3B"
    "           N1-3B           N2-3B       A4R (Avg)      TR4R (Avg)   A4R (Std Dev)  TR4R (Std Dev)"
    "       CN1 (Avg)       CN2 (Avg)       CDN (Avg)       A3B (Avg)      TR3B (Avg)   A3B (Std Dev)"
    "  TR3B (Std Dev)");
const QString kTransientColumns = QStringLiteral(
    "Mem  Type  Flt-#   Ts             A4R            TR4R             F4R           N1-4R           N2-4R"
    "             CN1             CN2             CDN             A3B            TR3B             F3B"
    "           N1-3B           N2-3B");

// The C library's "%*g"; QString::asprintf would round ties away from zero.
QString g(int width, double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%*g", width, v);
    return QString::fromLatin1(text);
}

// The simulator counts every float block 0, 1, 2, ...: steady-state parameter
// j is j, so F4R = (10 - 9) / 60 * 8 and F3B = 21 / 60 * 19.
QString steadyValues()
{
    QString s;
    for (double v : {7.0, 8.0, double(float(1.0 / 60 * 8)), 9.0, 10.0, 11.0, 12.0, 13.0, 18.0, 19.0,
                     double(float(21.0 / 60 * 19)), 20.0, 21.0, 0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 14.0,
                     15.0, 16.0, 17.0})
        s += g(16, v);
    return s;
}

// Sample parameter j is j: F4R = (3 - 2) / 60 * 1, F3B = 10 / 60 * 8; average a is a.
QString sampleValues()
{
    QString s;
    for (double v : {0.0, 1.0, double(float(1.0 / 60)), 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0,
                     double(float(10.0 / 60 * 8)), 9.0, 10.0})
        s += g(16, v);
    return s;
}
const QString kAverageValues = QStringLiteral(
    "               0               1             ---             ---             ---               3"
    "               4               5               6               7             ---             ---"
    "             ---");

QString steadyBody(const SlotTable& t)
{
    QString s = kSteadyColumns + '\n' + kDash + '\n';
    for (int type : {0, 1}) {
        for (int bin = 1; bin <= 26; ++bin)
            for (int i = 0; i < kSlots; ++i)
                if (t.flights[i] != 0 && t.memoryTypes[i] == type)
                    s += QString::asprintf("%s%7d%7d", type ? "PoD" : "PrD", bin, t.flights[i])
                         + steadyValues() + '\n';
        s += kDash + '\n';
    }
    return s;
}

QString transientBody(const SlotTable& t)
{
    QString s = kTransientColumns + '\n' + kDash + '\n';
    for (int type : {0, 1}) {
        for (const char* capture : {"TOC", "TOD", "AOD", "AOA"})
            for (int i = 0; i < kSlots; ++i) {
                if (t.flights[i] == 0 || t.memoryTypes[i] != type)
                    continue;
                const QString start = QString::asprintf("%s%6s%7d", type ? "PoD" : "PrD", capture, t.flights[i]);
                for (int sample = 1; sample <= 10; ++sample)
                    s += start + QString::asprintf("%5d", sample) + sampleValues() + '\n';
                s += start + QStringLiteral("  AVG") + kAverageValues + '\n';
            }
        s += kDash + '\n';
    }
    return s;
}

// The Campbell block is one float block: 40 (Fs, Fw) pairs counting 0..79,
// then set s from 80 + 166 s, its band b values from 80 + 166 s + 6 + 4 b.
QString campbellFlight(int flight, int memoryType, int selector)
{
    QString s = QStringLiteral("Campbell Data Selector: %1\n").arg(quint32(selector)) + kDash + '\n'
                + QStringLiteral("Flt-#  Mem  Bnd        Fs        Fw\n") + kDash + '\n';
    for (int b = 0; b < 40; ++b)
        s += QString::asprintf("%5d%5s%5d", flight, memoryType ? "POD" : "PRD", b) + g(10, 2 * b)
             + g(10, 2 * b + 1) + '\n';
    s += kDash + '\n';
    const int sets = selector == 0 ? 1 : selector == 1 ? 2 : 5;
    s += QStringLiteral("Flt-#  Set    CN1_4L    CN2_4L    CDN_4L    FN1_4L    FN2_4L    FDN_4L\n");
    for (int set = 0; set < sets; ++set) {
        s += QString::asprintf("%5d%5d", flight, set);
        for (int v = 0; v < 6; ++v)
            s += g(10, 80 + 166 * set + v);
        s += '\n';
    }
    s += kDash + '\n' + QStringLiteral("Flt-#  Set       BND      A_4L      F_4L     K1_4L     K2_4L\n");
    for (int set = 0; set < sets; ++set) {
        for (int b = 0; b < 40; ++b) {
            s += QString::asprintf("%5d%5d%10d", flight, set, b);
            for (int v = 0; v < 4; ++v)
                s += g(10, 80 + 166 * set + 6 + 4 * b + v);
            s += '\n';
        }
        s += kDash + '\n';
    }
    return s;
}

QString campbellBody(const SlotTable& t)
{
    QString s;
    for (int i = 0; i < kSlots; ++i)
        if (t.flights[i] != 0)
            s += campbellFlight(t.flights[i], t.memoryTypes[i], t.selectors[i]);
    return s;
}

// What the simulator sends: slot k holds flight k (slot 0 empty), slots 1..4
// are pre-defect, the rest post-defect, every selector 0.
SlotTable simulatorTable()
{
    SlotTable t;
    for (int i = 0; i < kSlots; ++i) {
        t.flights << i;
        t.memoryTypes << (i >= 5 ? 1 : 0);
        t.selectors << 0;
    }
    return t;
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Compares line by line, so a failure shows the first line that differs.
// Returns false on a difference.
bool sameLines(const QString& actual, const QString& expected)
{
    const QStringList a = actual.split('\n');
    const QStringList e = expected.split('\n');
    [&] {
        for (qsizetype i = 0; i < qMin(a.size(), e.size()); ++i) {
            const QString where = QStringLiteral("line %1: ").arg(i + 1);
            if (a[i] != e[i])
                QCOMPARE(where + a[i], where + e[i]);
        }
        QCOMPARE(a.size(), e.size());
    }();
    return !QTest::currentTestFailed();
}

QStringList linesStartingWith(const QString& text, const QString& start)
{
    QStringList found;
    for (const QString& line : text.split('\n'))
        if (line.startsWith(start))
            found << line;
    return found;
}

}  // namespace

class EngineReportsTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    QByteArray simulatorImage;  // the 21 slots of the simulator's answer, host order
    ReportContext context;

    QString outDir() const { return env.path() + QStringLiteral("/engine_2"); }

    QString write(Report report, const QString& path, const QByteArray& image,
                  const ProgressCallback& progress = {})
    {
        const EngineDataImage data(image);
        switch (report) {
        case Report::Campbell: return writeCampbellReport(path, context, data);
        case Report::SteadyState: return writeSteadyStateReport(path, context, data, progress);
        case Report::Transient: return writeTransientReport(path, context, data, progress);
        }
        return {};
    }

    // The report after its header, which must be the session's header with
    // the flight list of the image.
    QString body(const QString& path, const QByteArray& image)
    {
        QString header;
        QTextStream out(&header);
        const EngineDataImage data(image);
        writeReportHeader(out, context, QFileInfo(path).fileName(), &data);
        out.flush();
        const QString text = readText(path);
        if (!text.startsWith(header))
            return QStringLiteral("header differs:\n") + text.left(header.size());
        return text.mid(header.size());
    }

private slots:
    void initTestCase()
    {
        const QByteArray answer = ResponseBuilder().build(mirvak::CMD_DOWNLOAD_DATA);
        const QString raw = env.path() + QStringLiteral("/answer.raw");
        QFile file(raw);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(answer);
        file.close();
        QString normalised;
        QCOMPARE(normalizeResponse(normalised, raw, quint32(answer.size())), 0);
        QFile host(normalised);
        QVERIFY(host.open(QIODevice::ReadOnly));
        const QByteArray bytes = host.readAll();
        host.remove();
        QCOMPARE(bytes.size(), 12 + 52 + kSlots * kSlotSize);
        simulatorImage = bytes.mid(12 + 52);

        context.sessionTime = QDateTime(QDate(2011, 3, 5), QTime(14, 25));
        context.engineNumber = 2;
        copyText(context.aircraft.registration, QStringLiteral("ABC123"));
        copyText(context.aircraft.engines[1].serialNumber, QStringLiteral("123456"));
        context.dataHeader.words[1] = 21;
    }

    void init() { QVERIFY(QDir(outDir()).removeRecursively() && QDir().mkpath(outDir())); }

    void reportsFollowTheSlotTable_data()
    {
        QTest::addColumn<SlotTable>("table");
        const SlotTable simulator = simulatorTable();
        QTest::newRow("simulator answer") << simulator;

        SlotTable empty = simulator;
        empty.flights[3] = 0;
        empty.flights[12] = 0;
        QTest::newRow("empty slots skipped") << empty;

        SlotTable post = simulator;
        post.memoryTypes.fill(1);
        QTest::newRow("post-defect only") << post;

        SlotTable pre = simulator;
        pre.memoryTypes.fill(0);
        for (int i = 1; i < kSlots; ++i)
            pre.flights[i] = 500 - 7 * i;  // listed in slot order, not by number
        QTest::newRow("pre-defect only, falling flight numbers") << pre;

        SlotTable selectors = simulator;
        selectors.selectors[1] = 1;
        selectors.selectors[2] = 7;
        selectors.selectors[3] = 2;
        selectors.selectors[6] = -1;
        QTest::newRow("Campbell selectors 1, 7, 2, all bits") << selectors;
    }
    void reportsFollowTheSlotTable()
    {
        QFETCH(SlotTable, table);
        QByteArray image = simulatorImage;
        for (int i = 0; i < kSlots; ++i) {
            put<qint32>(image, i, kFlightNumber, table.flights[i]);
            put<qint32>(image, i, kMemoryType, table.memoryTypes[i]);
            put<qint32>(image, i, kSelector, table.selectors[i]);
        }
        const QString cb = outDir() + QStringLiteral("/ESN123456-cb-20110305-1425.txt");
        const QString ss = outDir() + QStringLiteral("/ESN123456-ss-20110305-1425.txt");
        const QString tr = outDir() + QStringLiteral("/ESN123456-tr-20110305-1425.txt");
        QCOMPARE(write(Report::Campbell, cb, image), QString());
        QCOMPARE(write(Report::SteadyState, ss, image), QString());
        QCOMPARE(write(Report::Transient, tr, image), QString());

        QVERIFY(sameLines(body(cb, image), campbellBody(table)));
        QVERIFY(sameLines(body(ss, image), steadyBody(table)));
        QVERIFY(sameLines(body(tr, image), transientBody(table)));
        // Nothing is left beside the reports.
        QCOMPARE(QDir(outDir()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({QFileInfo(cb).fileName(), QFileInfo(ss).fileName(), QFileInfo(tr).fileName()}));
    }

    // One patched value of flight 7 (post-defect) and the cell it must show in.
    void valuesLandInTheirCells_data()
    {
        QTest::addColumn<Report>("report");
        QTest::addColumn<int>("offset");
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("lineStart");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("cell");

        const QString bin26 = QStringLiteral("PoD     26      7");
        QTest::newRow("large value in exponent form")
            << Report::SteadyState << steadyOffset(26, 7) << 1234567.0f << bin26 << 0 << "1.23457e+06";
        QTest::newRow("equal N1-4R and N2-4R give F4R 0")
            << Report::SteadyState << steadyOffset(26, 9) << 10.0f << bin26 << 2 << "0";
        QTest::newRow("F3B follows N2-3B")
            << Report::SteadyState << steadyOffset(26, 21) << 120.0f << bin26 << 10 << "38";
        QTest::newRow("small value keeps 6 digits")
            << Report::SteadyState << steadyOffset(26, 17) << 0.000123456789f << bin26 << 23 << "0.000123457";
        QTest::newRow("negative Std Dev")
            << Report::SteadyState << steadyOffset(26, 2) << -2.5f << bin26 << 15 << "-2.5";
        QTest::newRow("tie rounds to even")
            << Report::SteadyState << steadyOffset(26, 0) << 4171.625f << bin26 << 13 << "4171.62";
        QTest::newRow("negative zero keeps its sign")
            << Report::SteadyState << steadyOffset(26, 3) << -0.0f << bin26 << 16 << "-0";
        QTest::newRow("bin 1 is the first of the slot")
            << Report::SteadyState << steadyOffset(1, 0) << 0.25f << QStringLiteral("PoD      1      7") << 13
            << "0.25";

        QTest::newRow("TOD sample 4")
            << Report::Transient << sampleOffset(1, 4, 0) << 1234567.0f
            << QStringLiteral("PoD   TOD      7    4") << 0 << "1.23457e+06";
        QTest::newRow("AOA sample 10, equal N1-4R and N2-4R")
            << Report::Transient << sampleOffset(3, 10, 2) << 3.0f << QStringLiteral("PoD   AOA      7   10")
            << 2 << "0";
        QTest::newRow("TOC sample 1, F3B follows TR3B")
            << Report::Transient << sampleOffset(0, 1, 8) << 0.5f << QStringLiteral("PoD   TOC      7    1")
            << 10 << "0.0833333";
        QTest::newRow("AOD average of A3B")
            << Report::Transient << averageOffset(2, 6) << 1e-7f << QStringLiteral("PoD   AOD      7  AVG") << 8
            << "1e-07";
        QTest::newRow("TOC sample 2, tie in exponent form")
            << Report::Transient << sampleOffset(0, 2, 4) << -1234565.0f << QStringLiteral("PoD   TOC      7    2")
            << 5 << "-1.23456e+06";
        QTest::newRow("AOA average of CN1, small tie")
            << Report::Transient << averageOffset(3, 3) << 0.0009765625f << QStringLiteral("PoD   AOA      7  AVG")
            << 5 << "0.000976562";
        QTest::newRow("AOD average of TR3B")
            << Report::Transient << averageOffset(2, 7) << 99.5f << QStringLiteral("PoD   AOD      7  AVG") << 9
            << "99.5";
        QTest::newRow("Campbell Fw of band 0, tie")
            << Report::Campbell << campbellPairOffset(0, 1) << 123456.5f << QStringLiteral("    7  POD    0") << 1
            << "123456";
        QTest::newRow("Campbell F_4L of set 0 band 3, tie")
            << Report::Campbell << campbellValueOffset(0, 6 + 4 * 3 + 1) << -4171.625f
            << QStringLiteral("    7    0         3") << 1 << "-4171.62";
    }
    void valuesLandInTheirCells()
    {
        QFETCH(Report, report);
        QFETCH(int, offset);
        QFETCH(float, value);
        QFETCH(QString, lineStart);
        QFETCH(int, column);
        QFETCH(QString, cell);
        QByteArray image = simulatorImage;
        put(image, 7, offset, value);
        const QString path = outDir() + QStringLiteral("/report.txt");
        QCOMPARE(write(report, path, image), QString());
        const QStringList lines = linesStartingWith(readText(path), lineStart);
        QCOMPARE(lines.size(), 1);
        const int width = report == Report::Campbell ? 10 : 16;
        QCOMPARE(lines[0].mid(lineStart.size() + width * column, width), cell.rightJustified(width));
    }

    void progressCountsOutOfSixty_data()
    {
        QTest::addColumn<Report>("report");
        QTest::addColumn<QList<int>>("expected");
        QList<int> bins;
        for (int k = 0; k < 52; ++k)
            bins << k * 100 / 60;
        QCOMPARE(bins.last(), 85);
        QTest::newRow("steady-state: 26 bins in each section") << Report::SteadyState << bins;
        QTest::newRow("transient: 4 capture types in each section")
            << Report::Transient << QList<int>{0, 1, 3, 5, 6, 8, 10, 11};
        QTest::newRow("Campbell leaves the progress alone") << Report::Campbell << QList<int>();
    }
    void progressCountsOutOfSixty()
    {
        QFETCH(Report, report);
        QFETCH(QList<int>, expected);
        QList<int> reported;
        const QString path = outDir() + QStringLiteral("/report.txt");
        QCOMPARE(write(report, path, simulatorImage, [&](int percent) { reported << percent; }), QString());
        QCOMPARE(reported, expected);
    }

    void unopenableFileIsReportedAndLeavesNothing_data()
    {
        QTest::addColumn<Report>("report");
        QTest::addColumn<QString>("message");
        QTest::newRow("Campbell") << Report::Campbell << "error: Cannot open '%1': No such file or directory";
        QTest::newRow("steady-state") << Report::SteadyState << "Cannot open '%1': No such file or directory";
        QTest::newRow("transient") << Report::Transient << "Cannot open '%1': No such file or directory";
    }
    void unopenableFileIsReportedAndLeavesNothing()
    {
        QFETCH(Report, report);
        QFETCH(QString, message);
        const QString path = outDir() + QStringLiteral("/missing/report.txt");
        QCOMPARE(write(report, path, simulatorImage), message.arg(path));
        QVERIFY(!QFileInfo::exists(outDir() + QStringLiteral("/missing")));
        QCOMPARE(QDir(outDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }
};

QTEST_GUILESS_MAIN(EngineReportsTest)
#include "test_engine_reports.moc"
