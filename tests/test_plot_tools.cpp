// The plot window's analysis tools without widgets: the autoscaled value
// span, peaks and their table, shaft orders, the view history and the two
// cursors' differences.

#include "SampleFlights.h"
#include "TestEnvironment.h"
#include "core/NumberFormat.h"
#include "flights/Spectrum.h"
#include "plot/AutoscaleRange.h"
#include "plot/PeakTable.h"
#include "plot/PlotModel.h"
#include "plot/ShaftOrders.h"
#include "plot/ViewHistory.h"

#include <QtTest>
#include <cmath>
#include <memory>

namespace {

// 40 lines of zeros with the given values.
std::vector<double> spectrum(const QList<std::pair<int, double>>& values)
{
    std::vector<double> lines(40, 0.0);
    for (const auto& [line, value] : values)
        lines[line] = value;
    return lines;
}

QList<int> linesOf(const std::vector<LinePeak>& peaks)
{
    QList<int> lines;
    for (const LinePeak& peak : peaks)
        lines << peak.line;
    return lines;
}

QString fileText(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromUtf8(file.readAll());
}

ChartView view(double lower, double upper) { return {{lower, upper}, {0, 1}, true}; }

}  // namespace

class PlotToolsTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    FlightRecordList flights;  // flights 3 and 8: a sine on line 300 + 10 × bin in every steady bin

private slots:
    void initTestCase()
    {
        flights = readFlights(writeSampleRawFile(env.dataRoot(), "F-GABC", 2, "known.raw", {{3, 0}, {8, 0}}));
    }

    void valueSpan_data()
    {
        QTest::addColumn<bool>("log");
        QTest::addColumn<double>("from");
        QTest::addColumn<double>("to");
        QTest::addColumn<bool>("secondShown");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        // Series y = x - 2 and y = 10 x over x = 0..4.
        QTest::newRow("all, 5 % room") << false << 0.0 << 4.0 << true << -2 - 2.1 << 40 + 2.1;
        QTest::newRow("X range") << false << 1.0 << 2.0 << true << -1 - 1.05 << 20 + 1.05;
        QTest::newRow("hidden series") << false << 0.0 << 4.0 << false << -2 - 0.2 << 2 + 0.2;
        QTest::newRow("log: positive only") << true << 0.0 << 4.0 << false << 1 / std::pow(2.0, 0.05)
                                            << 2 * std::pow(2.0, 0.05);
        QTest::newRow("nothing shown") << false << 5.0 << 6.0 << true << 0.0 << 1.0;
        QTest::newRow("nothing shown, log") << true << 5.0 << 6.0 << true << 0.1 << 10.0;
    }
    void valueSpan()
    {
        QFETCH(bool, log);
        QFETCH(double, from);
        QFETCH(double, to);
        QFETCH(bool, secondShown);
        QFETCH(double, lower);
        QFETCH(double, upper);
        const std::vector<double> x{0, 1, 2, 3, 4};
        const XRange span =
            ::valueSpan(x, {{-2, -1, 0, 1, 2}, {0, 10, 20, 30, 40}}, {true, secondShown}, {from, to}, log);
        QVERIFY(std::abs(span.lower - lower) < 1e-12);
        QVERIFY(std::abs(span.upper - upper) < 1e-12);
    }

    void peakFinding_data()
    {
        QTest::addColumn<std::vector<double>>("amplitudes");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<QList<int>>("lines");
        QTest::newRow("five largest, largest first")
            << spectrum({{2, 1}, {6, 2}, {10, 3}, {14, 4}, {18, 5}, {22, 6}, {26, 7}}) << 0 << 39
            << QList<int>{26, 22, 18, 14, 10};
        QTest::newRow("flat top at its first line") << spectrum({{5, 2}, {6, 2}}) << 0 << 39 << QList<int>{5};
        QTest::newRow("equal peaks, lower first") << spectrum({{20, 3}, {10, 3}}) << 0 << 39 << QList<int>{10, 20};
        QTest::newRow("two lines between: left out") << spectrum({{10, 5}, {13, 4}, {17, 3}}) << 0 << 39
                                                     << QList<int>{10, 17};
        QTest::newRow("equal within reach: the lower") << spectrum({{12, 3}, {10, 3}}) << 0 << 39 << QList<int>{10};
        QTest::newRow("ends are no peaks") << spectrum({{0, 9}, {39, 9}, {20, 1}}) << 0 << 39 << QList<int>{20};
        QTest::newRow("range shown") << spectrum({{5, 9}, {20, 1}, {30, 2}}) << 10 << 25 << QList<int>{20};
        QTest::newRow("forced lines left out") << spectrum({{1, 9}, {5, 1}}) << 2 << 39 << QList<int>{5};
        QTest::newRow("not drawable") << spectrum({{10, qQNaN()}, {15, 3.4e38}, {20, 1}}) << 0 << 39
                                      << QList<int>{20};
    }
    void peakFinding()
    {
        QFETCH(std::vector<double>, amplitudes);
        QFETCH(int, first);
        QFETCH(int, last);
        QTEST(linesOf(findPeaks(amplitudes, first, last)), "lines");
    }

    // Per shown flight within the range shown; the table and its CSV file.
    void spectrumPeaksAndTheirTable()
    {
        PlotModel model(flights, {});
        model.setParameter(plot::kSpectrum);
        model.chooseBin(0);
        PlotData data = model.build();
        QList<SpectrumPeak> peaks = model.peaks(data, {0, 5000});
        QCOMPARE(peaks.size(), 10);
        QCOMPARE(peaks[0].seriesName, QStringLiteral("Flight 3"));
        QCOMPARE(peaks[0].rank, 1);
        QCOMPARE(peaks[0].line, 300);
        QCOMPARE(peaks[0].hz, 300 * sampling::kBinSpacingHz);
        QCOMPARE(peaks[0].amplitude, data.y[0][300]);
        QCOMPARE(peaks[5].seriesName, QStringLiteral("Flight 8"));
        QCOMPARE(peaks[5].line, 300);

        QVERIFY(!model.peaks(data, {1500, 5000}).isEmpty());
        QVERIFY(model.peaks(data, {1500, 5000}).first().line != 300);
        data.visible = {false, true};
        QCOMPARE(model.peaks(data, {0, 5000}).first().seriesName, QStringLiteral("Flight 8"));
        model.setParameter(plot::kTimeHistory);
        QVERIFY(model.peaks(model.build(), {0, 5000}).isEmpty());

        const QString path = env.path() + "/peaks.csv";
        QCOMPARE(writePeakTable(path, {{0, "Flight 3", 1, 300, 1430.51, 0.1234567}, {1, "Flight 26, 2nd", 2, 7, 33.3, 1e-7}}),
                 QString());
        QCOMPARE(fileText(path), QStringLiteral("Flight,Rank,Line,Hz,G pk\nFlight 3,1,300,1430.51,0.123457\n"
                                                "\"Flight 26, 2nd\",2,7,33.3,1e-07\n"));
    }

    void shaftOrders_data()
    {
        QTest::addColumn<bool>("transient");
        QTest::addColumn<QList<float>>("speeds");  // N1-4R, N2-4R, N1-3B, N2-3B
        QTest::addColumn<QStringList>("orders");
        const float inf = std::numeric_limits<float>::infinity();
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const QStringList both{"1×N1 150", "2×N1 300", "3×N1 450", "1×N2 250", "2×N2 500", "3×N2 750"};
        QTest::newRow("4R") << false << QList<float>{9000, 15000, 6000, 6000} << both;
        QTest::newRow("4R, transient") << true << QList<float>{9000, 15000, 6000, 6000} << both;
        QTest::newRow("3B where 4R is 0") << false << QList<float>{0, 15000, 9000, 6000} << both;
        QTest::newRow("3B where 4R is not finite") << true << QList<float>{nan, inf, 9000, 15000} << both;
        QTest::newRow("none where both are") << false << QList<float>{0, nan, inf, 0} << QStringList();
        QTest::newRow("negative is no speed") << false << QList<float>{-9000, 15000, 0, 0}
                                              << QStringList{"1×N2 250", "2×N2 500", "3×N2 750"};
    }
    void shaftOrders()
    {
        QFETCH(bool, transient);
        QFETCH(QList<float>, speeds);
        auto block = std::make_unique<FlightBlock>();
        const int sample = 7, type = 2;
        const int rows[4][2] = {{9, 2}, {10, 3}, {20, 9}, {21, 10}};  // steady-state, transient
        for (int i = 0; i < 4; ++i) {
            if (transient)
                block->transientParameters[rows[i][1]][type][sample] = speeds[i];
            else
                block->steadyParameters[rows[i][0]][sample] = speeds[i];
        }
        QStringList orders;
        for (const ShaftOrder& order : ::shaftOrders(shaftSpeeds(*block, transient, type, sample)))
            orders << order.label + " " + QString::number(order.hz);
        QTEST(orders, "orders");
    }

    // The orders of the first flight shown, on the spectrum only.
    void shaftOrdersOfTheFirstShownFlight()
    {
        auto second = std::make_shared<FlightRecord>(*flights[1]);
        second->block.steadyParameters[9][4] = 6000;
        PlotModel model({flights[0], second}, {});
        model.setParameter(plot::kSpectrum);
        model.chooseBin(4);
        PlotData data = model.build();
        data.visible = {false, true};
        const OrderMarks marks = model.shaftOrderMarks(data);
        QCOMPARE(marks.series, 1);
        QCOMPARE(marks.orders.first().hz, 100.0);
        model.setParameter(plot::kStackedSpectrum);
        QCOMPARE(model.shaftOrderMarks(data).series, -1);
    }

    void viewHistory()
    {
        ViewHistory history;
        QVERIFY(!history.back());
        history.restart(view(0, 100));
        for (int i = 1; i <= 25; ++i)
            history.record(view(i, 100));
        history.record(view(25, 100));  // the same view again: kept once
        int steps = 0;
        while (history.back())
            ++steps;
        QCOMPARE(steps, ViewHistory::kCapacity - 1);
        QCOMPARE(history.forward()->x.lower, 7.0);  // the oldest kept is 6
        history.record(view(50, 60));  // drops the views ahead
        QVERIFY(!history.canGoForward());
        history.replaceCurrent(view(50, 55));
        QCOMPARE(history.back()->x.lower, 7.0);
        QCOMPARE(history.forward()->x.upper, 55.0);
    }

    void deltaReadouts()
    {
        PlotModel model(flights, {});
        model.setParameter(plot::kSpectrum);
        model.chooseBin(0);
        const PlotData data = model.build();
        const CursorPair pair{0, 100, 1, 300};
        const QString dy = formatG(data.y[1][300] - data.y[0][100]);
        QCOMPARE(model.deltaReadout(data, pair), "ΔX = " + formatG(200 * sampling::kBinSpacingHz) + " (Hz)   ΔY = " + dy
                                                     + " (G pk)   f2/f1 = 3");
        model.setParameter(7);
        const PlotData trend = model.build();
        QCOMPARE(model.deltaReadout(trend, {0, 2, 0, 5}),
                 "ΔX = 3   ΔY = " + formatG(double(trend.y[0][5]) - trend.y[0][2]));
    }
};

QTEST_GUILESS_MAIN(PlotToolsTest)
#include "test_plot_tools.moc"
