// The plot model against flights with known values, written and read back
// through the raw file writer and reader: every plot's values, X values,
// texts, readouts, the menus' and bin buttons' rules and the settings.

#include "SampleFlights.h"
#include "TestEnvironment.h"
#include "core/NumberFormat.h"
#include "core/Settings.h"
#include "flights/Spectrum.h"
#include "plot/FlightNames.h"
#include "plot/PlotFiles.h"
#include "plot/PlotModel.h"

#include <QtTest>
#include <cmath>

namespace {

constexpr double kLineHz = 4.76837158203125;

// A correction table that doubles line 300 (the peak of steady bin 0) and leaves the rest.
CorrectionTable doublingLine300(const QString& directory)
{
    const QString path = directory + "/corrections.csv";
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("Bin;Frequency;Factor\n300;1430.5;2.0\n");
    file.close();
    return CorrectionTable(path);
}

// The amplitude in g peak that a sine of `counts` on `line` shows.
double peakOf(int counts, int line, double factor = 1.0)
{
    return line * sampling::kVelocityToG * counts * sampling::kCountScale * factor;
}

std::shared_ptr<FlightRecord> copyOf(const std::shared_ptr<const FlightRecord>& flight)
{
    return std::make_shared<FlightRecord>(*flight);
}

}  // namespace

class PlotModelTest : public QObject {
    Q_OBJECT
    TestEnvironment env;
    FlightRecordList flights;  // flights 3 and 8, engine 2 of "F-GABC", pre-defect

    PlotModel model(FlightRecordList list = {}, CorrectionTable table = {})
    {
        PlotModel result(list.isEmpty() ? flights : list, std::move(table));
        result.loadSettings();
        return result;
    }

    // Chooses mode and parameter as the window does, bin buttons included.
    static void choose(PlotModel& m, int mode, int parameter, int type = 0)
    {
        m.setMode(mode);
        m.setParameter(parameter);
        m.setTransientType(type);
        m.updateBinButtons();
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");  // flight names show creation times in local time
        const QString path = writeSampleRawFile(env.dataRoot(), "F-GABC", 2, "known.raw", {{3, 0}, {8, 0}});
        flights = readFlights(path);
        QCOMPARE(flights.size(), 2);
    }

    void init() { env.resetSettings(); }

    void steadyStateParameterTrends()
    {
        PlotModel m = model();
        for (int id = 0; id <= 21; ++id) {
            choose(m, plot::SteadyState, id);
            const PlotData data = m.build();
            QCOMPARE(data.style, SeriesStyle::Points);
            QCOMPARE(data.seriesNames, (QStringList{"Flight 3", "Flight 8"}));
            QCOMPARE(data.xTitle, QStringLiteral("Bin #"));
            QCOMPARE(data.yTitle, plot::parameter(id).axisTitle);
            QCOMPARE(data.pointCount(), 26);
            QVERIFY(data.footer.isEmpty());
            for (int bin = 0; bin < 26; ++bin) {
                QCOMPARE(data.x[bin], bin + 1.0);
                QCOMPARE(data.y[0][bin], double(sample::steadyParameter(3, bin, id)));
                QCOMPARE(data.y[1][bin], double(sample::steadyParameter(8, bin, id)));
            }
        }
    }

    void transientParameterTrends()
    {
        PlotModel m = model();
        const QList<std::pair<int, int>> idToRow = {{7, 0},  {8, 1},  {9, 2},  {10, 3}, {11, 4}, {12, 5},
                                                    {13, 6}, {18, 7}, {19, 8}, {20, 9}, {21, 10}};
        for (int type = 0; type < 4; ++type) {
            for (const auto& [id, row] : idToRow) {
                choose(m, plot::Transient, id, type);
                const PlotData data = m.build();
                QCOMPARE(data.xTitle, QStringLiteral("Time History Number"));
                QCOMPARE(data.footer, QStringList{plot::transientTypeText(type)});
                QCOMPARE(data.pointCount(), 10);
                for (int event = 0; event < 10; ++event) {
                    QCOMPARE(data.x[event], event + 1.0);
                    QCOMPARE(data.y[1][event], double(sample::transientParameter(8, type, event, row)));
                }
            }
        }
    }

    void transientSummaries_data()
    {
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("footer");  // empty: the transient type's text
        QTest::newRow("A4R (avg)") << 0 << 0 << "A4R (Avg)";
        QTest::newRow("TR4R (avg)") << 1 << 1 << "TR4R (Avg)";
        QTest::newRow("TR4R (std dev)") << 3 << 2 << "TR4R (Dev)";
        QTest::newRow("CN1 (avg)") << 4 << 3 << "CN1 (Avg)";
        QTest::newRow("CN2 (avg)") << 5 << 4 << "CN2 (Avg)";
        QTest::newRow("CDN (avg)") << 6 << 5 << "CDN (Avg)";
        QTest::newRow("A3B (avg)") << 14 << 6 << "";
        QTest::newRow("TR3B (avg)") << 15 << 7 << "";
        QTest::newRow("A3B (std dev)") << 16 << 8 << "";
        QTest::newRow("TR3B (std dev)") << 17 << 9 << "";
    }
    void transientSummaries()
    {
        QFETCH(int, id);
        QFETCH(int, row);
        QFETCH(QString, footer);
        PlotModel m = model();
        choose(m, plot::Transient, id, 2);
        const PlotData data = m.build();
        QCOMPARE(data.x, (std::vector<double>{1, 2, 3, 4}));
        QCOMPARE(data.xTitle, QString());
        QCOMPARE(data.footer, QStringList{footer.isEmpty() ? QStringLiteral("AOD (All Other Decels)") : footer});
        QCOMPARE(data.xLabels, (QList<std::pair<double, QString>>{{1, "TOC"}, {2, "TOD"}, {3, "AOD"}, {4, "AOA"}}));
        for (int type = 0; type < 4; ++type)
            QCOMPARE(data.y[0][type], double(sample::captureAverage(3, type, row)));
    }

    void timeHistoriesAreScaledCounts()
    {
        PlotModel m = model();
        choose(m, plot::SteadyState, plot::kTimeHistory);
        m.chooseBin(5);
        PlotData data = m.build();
        QCOMPARE(data.style, SeriesStyle::Lines);
        QCOMPARE(data.xTitle, QStringLiteral("Time History (ms)"));
        QCOMPARE(data.yTitle, QStringLiteral("Inch/sec (uncompensated)"));
        QCOMPARE(data.footer, QStringList{"Bin #6"});
        QCOMPARE(data.pointCount(), 2048);
        for (int i : {0, 1, 700, 2047}) {
            QCOMPARE(data.x[i], i * 0.1024);
            QCOMPARE(data.y[1][i], sample::steadySample(8, 5, i) * sampling::kCountScale);
        }

        choose(m, plot::Transient, plot::kTimeHistory, 3);
        m.chooseBin(2);
        data = m.build();
        QCOMPARE(data.footer, QStringList{"Time History #3: (AOA)"});
        QCOMPARE(data.y[0][333], sample::transientSample(3, 3, 2, 333) * sampling::kCountScale);
    }

    // A sine on a spectral line shows its amplitude there, corrected by the table, under every window.
    void spectraPeakAtTheSineLine()
    {
        PlotModel m = model({}, doublingLine300(env.path()));
        for (int window : {FftWindowNone, FftWindowHanning, FftWindowHamming}) {
            m.setFftWindow(window);
            choose(m, plot::SteadyState, plot::kSpectrum);
            m.chooseBin(0);
            PlotData data = m.build();
            QCOMPARE(data.xTitle, QStringLiteral("Frequency (Hz)"));
            QCOMPARE(data.x[300], 300 * kLineHz);
            QCOMPARE(data.xRange->lower, 1000.0);
            QCOMPARE(data.xRange->upper, 4500.0);
            QVERIFY(std::abs(data.y[0][300] / peakOf(sample::steadyAmplitude(3, 0), 300, 2.0) - 1) < 1e-3);
            QCOMPARE(data.y[0][0], 0.0);

            m.chooseBin(7);
            data = m.build();
            const int line = sample::steadyLine(7);
            QVERIFY(std::abs(data.y[1][line] / peakOf(sample::steadyAmplitude(8, 7), line) - 1) < 1e-3);

            choose(m, plot::Transient, plot::kSpectrum, 1);
            m.chooseBin(4);
            data = m.build();
            const int transientLine = sample::transientLine(1, 4);
            QVERIFY(std::abs(data.y[0][transientLine] / peakOf(sample::transientAmplitude(3, 1, 4), transientLine) - 1)
                    < 1e-3);
        }
    }

    // Under Hanning a constant part leaks into line 1: steady-state spectra clear it, transient ones keep it.
    void hanningLineOneIsClearedForSteadyStateOnly()
    {
        auto flight = copyOf(flights[0]);
        for (qint16& sample : flight->block.steadySamples[0])
            sample = qint16(sample + 3000);
        for (qint16& sample : flight->block.transientSamples[0][0])
            sample = qint16(sample + 3000);
        PlotModel m = model({flight});
        m.setFftWindow(FftWindowHanning);
        choose(m, plot::SteadyState, plot::kSpectrum);
        m.chooseBin(0);
        QCOMPARE(m.build().y[0][1], 0.0);
        choose(m, plot::Transient, plot::kSpectrum);
        m.chooseBin(0);
        QVERIFY(m.build().y[0][1] > 0.01);
        m.setFftWindow(FftWindowNone);
        QVERIFY(m.build().y[0][1] < 1e-6);
    }

    void stackedSpectraKeepTheirOffsetsAndHideEmptyBins()
    {
        auto flight = copyOf(flights[1]);
        std::fill(std::begin(flight->block.steadySamples[4]), std::end(flight->block.steadySamples[4]), qint16(0));
        for (qint16& sample : flight->block.transientSamples[2][6])
            sample = qint16(sample + 3000);  // leaks into line 1 under Hanning
        PlotModel m = model({flights[0], flight});
        m.setFftWindow(FftWindowHanning);
        choose(m, plot::SteadyState, plot::kStackedSpectrum);
        m.chooseBin(1);  // flight 8, the second of the list
        const PlotData data = m.build();
        QCOMPARE(data.style, SeriesStyle::Stacked);
        QVERIFY(!data.legend);
        QCOMPARE(data.seriesCount(), 26);
        QCOMPARE(data.yTitle, QStringLiteral("Bin"));
        QCOMPARE(data.footer, QStringList{"Flight # 8"});
        for (int bin = 0; bin < 26; ++bin) {
            QCOMPARE(data.visible[bin], bin != 4);
            QCOMPARE(data.y[bin][0], bin + 1.0);
            QCOMPARE(data.y[bin][1], bin + 1.0);
        }
        QVERIFY(std::all_of(data.y[4].begin(), data.y[4].end(), [](double v) { return v == 5.0; }));
        const int line = sample::steadyLine(9);
        QVERIFY(std::abs((data.y[9][line] - 10) / peakOf(sample::steadyAmplitude(8, 9), line) - 1) < 1e-3);

        choose(m, plot::Transient, plot::kStackedSpectrum, 2);
        const PlotData transient = m.build();
        QCOMPARE(transient.seriesCount(), 10);
        QCOMPARE(transient.footer, QStringList{"AOD (All Other Decels)"});
        QCOMPARE(transient.seriesNames.first(), QStringLiteral("Time History #1"));
        QCOMPARE(transient.y[6][0], 7.0);
        QVERIFY(transient.y[6][1] > 7.01);  // line 1 is not forced in transient spectra
    }

    void headerAndFooterLines_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("memoryType");
        QTest::addColumn<QStringList>("header");
        QTest::addColumn<QStringList>("footer");
        const QString target = "Aircraft F-GABC / Engine 2";
        QTest::newRow("steady trend") << 0 << 7 << 0 << QStringList{"Steady State Data: " + target, "Pre-Defect"}
                                      << QStringList{};
        QTest::newRow("steady spectrum") << 0 << 23 << 1
                                         << QStringList{"Steady State Data: " + target, "Post-Defect", "Window: Hamming"}
                                         << QStringList{"Bin #1"};
        QTest::newRow("steady stacked") << 0 << 24 << 0
                                        << QStringList{"Steady State Frequency Spectra: " + target, "Pre-Defect",
                                                       "Window: Hamming"}
                                        << QStringList{"Flight # 3"};
        QTest::newRow("transient history") << 1 << 22 << 0 << QStringList{"Transient Data: " + target, "Pre-Defect"}
                                           << QStringList{"Time History #1: (TOD)"};
        QTest::newRow("transient stacked") << 1 << 24 << 0
                                           << QStringList{"Transient Frequency Spectra: " + target, "Pre-Defect",
                                                          "Window: Hamming"}
                                           << QStringList{"TOD (Top Of Descent)"};
    }
    void headerAndFooterLines()
    {
        QFETCH(int, mode);
        QFETCH(int, id);
        QFETCH(int, memoryType);
        QFETCH(QStringList, header);
        QFETCH(QStringList, footer);
        settings::setValue(settings::Plot2D_MemType, memoryType);
        settings::setValue(settings::Plot2D_FFT_WINDOW_TYPE, FftWindowHamming);
        PlotModel m = model();
        choose(m, mode, id, 1);
        const PlotData data = m.build();
        QCOMPARE(data.header, header);
        QCOMPARE(data.footer, footer);
    }

    // A corrupt value is left out of the plot and counted in a footer line,
    // but kept in the data that tables and files print.
    void unplottableValuesAreCounted_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<bool>("plotted");
        QTest::newRow("NaN") << std::numeric_limits<float>::quiet_NaN() << false;
        QTest::newRow("+Inf") << std::numeric_limits<float>::infinity() << false;
        QTest::newRow("-Inf") << -std::numeric_limits<float>::infinity() << false;
        QTest::newRow("3.4e38") << 3.4e38f << false;
        QTest::newRow("-3.4e38") << -3.4e38f << false;
        QTest::newRow("1e30") << 1e30f << true;
        QTest::newRow("-1e30") << -1e30f << true;
    }
    void unplottableValuesAreCounted()
    {
        QFETCH(float, value);
        QFETCH(bool, plotted);
        FlightRecordList corrupt;
        for (const auto& original : flights) {
            auto flight = copyOf(original);
            flight->block.steadyParameters[7][4] = value;
            corrupt << flight;
        }
        PlotModel m = model(corrupt);
        choose(m, plot::SteadyState, 7);
        const PlotData data = m.build();
        QCOMPARE(data.footer, plotted ? QStringList{}
                                      : QStringList{"2 values not plotted (not finite or out of range)"});
        QCOMPARE(plottable(data.y[1][4]), plotted);
        QCOMPARE(formatG(data.y[1][4]), formatG(value));
        QVERIFY(plottable(data.y[1][3]));
    }

    void readoutTexts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("id");
        QTest::addColumn<int>("series");
        QTest::addColumn<int>("point");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("negative");
        QTest::newRow("trend") << 0 << 7 << 0 << 4 << "Flight 3   X = 5   Y = 704.75" << false;
        QTest::newRow("transient trend") << 1 << 18 << 1 << 9 << "Flight 8   X = 10   Y = 7011" << false;
        QTest::newRow("time history") << 0 << 22 << 0 << 1 << "Flight 3   X = 0.1024 (ms)   Y = 0.0663172 (Volt)"
                                      << false;
        QTest::newRow("time history below zero")
            << 0 << 22 << 0 << 4 << "Flight 3   X = 0.4096 (ms)   Y = -0.0428636 (Volt)" << true;
        QTest::newRow("spectrum") << 0 << 23 << 0 << 300 << "Flight 3   300 (FFTbin)   1430.51 (Hz)   " << false;
        QTest::newRow("stacked") << 0 << 24 << 3 << 300 << "Frequency   1430.51 (Hz)" << false;
    }
    void readoutTexts()
    {
        QFETCH(int, mode);
        QFETCH(int, id);
        QFETCH(int, series);
        QFETCH(int, point);
        QFETCH(QString, text);
        QFETCH(bool, negative);
        PlotModel m = model();
        choose(m, mode, id);
        const PlotData data = m.build();
        const Readout readout = m.readout(data, series, point);
        // The rows ending in a blank name a prefix; the value after it is checked apart.
        if (text.endsWith(' '))
            QVERIFY2(readout.text.startsWith(text.trimmed()), qPrintable(readout.text));
        else
            QCOMPARE(readout.text, text);
        QCOMPARE(readout.negative, negative);
        if (id == plot::kSpectrum)
            QVERIFY(readout.text.endsWith(" (G pk)"));
    }

    void firstUseDefaults()
    {
        PlotModel m = model();
        QCOMPARE(m.mode(), int(plot::SteadyState));
        QCOMPARE(m.parameterId(), 7);
        const BinButtons bins = m.updateBinButtons();
        QVERIFY(!bins.groupEnabled);
        QCOMPARE(bins.title, QString());
        QVERIFY(std::none_of(bins.buttons.begin(), bins.buttons.end(), [](const BinButton& b) { return b.enabled; }));
        QCOMPARE(m.build().pointCount(), 26);
        QCOMPARE(m.windowTitle(), QStringLiteral(" Tolm for Advanced Korvel  2.2.0 - Steady-State Data Viewer \u2013 F-GABC / Engine 2 / Flights 3, 8"));
    }

    void binButtonsFollowThePlot()
    {
        PlotModel m = model();
        // Time History without a stored sample: the first button, and 0 is stored.
        m.setParameter(plot::kTimeHistory);
        BinButtons bins = m.updateBinButtons();
        QCOMPARE(bins.title, QStringLiteral("Bin #"));
        QCOMPARE(bins.checked, 0);
        QCOMPARE(m.lastSample(), 0);
        QVERIFY(bins.buttons[25].enabled);

        // Sample 17 has no button in transient mode (ids 0..9): the first one again.
        m.chooseBin(17);
        QCOMPARE(m.updateBinButtons().checked, 17);
        m.setMode(plot::Transient);
        bins = m.updateBinButtons();
        QCOMPARE(bins.title, QStringLiteral("Time History #"));
        QCOMPARE(bins.checked, 0);
        QCOMPARE(m.lastSample(), 0);
        QVERIFY(bins.buttons[9].enabled);
        QVERIFY(!bins.buttons[10].enabled);

        // Other transient plots: ten buttons enabled, the group not.
        m.setParameter(7);
        bins = m.updateBinButtons();
        QVERIFY(!bins.groupEnabled);
        QVERIFY(bins.buttons[9].enabled && !bins.buttons[10].enabled);
    }

    // A flight is named by its number; flights that share one get their raw file's creation time (local) as well.
    void flightNames_data()
    {
        QTest::addColumn<QList<int>>("numbers");
        QTest::addColumn<QList<uint>>("created");
        QTest::addColumn<QStringList>("names");
        const uint noon = 1796737445;  // 2026.12.08 13:44:05 UTC
        QTest::newRow("one flight") << QList<int>{26} << QList<uint>{noon} << QStringList{"Flight 26"};
        QTest::newRow("numbers apart") << QList<int>{12, 13} << QList<uint>{noon, noon} << QStringList{"Flight 12", "Flight 13"};
        QTest::newRow("a number shared")
            << QList<int>{26, 12, 26} << QList<uint>{noon, noon, noon + 86400 + 1}
            << QStringList{"Flight 26 \u00b7 2026.12.08 13:44:05", "Flight 12", "Flight 26 \u00b7 2026.12.09 13:44:06"};
    }
    void flightNames()
    {
        QFETCH(QList<int>, numbers);
        QFETCH(QList<uint>, created);
        QFETCH(QStringList, names);
        FlightRecordList list;
        for (int i = 0; i < numbers.size(); ++i) {
            auto flight = copyOf(flights[0]);
            flight->flightNumber = numbers[i];
            flight->header.creationTime = created[i];
            list << flight;
        }
        QStringList shown, filed, status;
        for (int i = 0; i < list.size(); ++i) {
            shown << flightName(list, i);
            filed << inFileForm(flightName(list, i));
        }
        PlotModel m = model(list);
        for (const FlightStatus& row : m.dataStatus())
            status << "Flight " + row.numberText;
        QCOMPARE(shown, names);
        QCOMPARE(m.build().seriesNames, names);
        QCOMPARE(status, names);
        QCOMPARE(filed, names.replaceInStrings(QStringLiteral(" \u00b7 "), QStringLiteral(" - ")));
    }

    // Two selected flights with the same number: two series, two flight buttons, the stacked spectra of either.
    void twoFlightsWithTheSameNumber()
    {
        const QString other = writeSampleRawFile(env.dataRoot(), "F-GABC", 2, "other.raw", {{8, 0}});
        auto first = copyOf(flights[1]);
        first->header.creationTime = 1796737445;
        auto second = copyOf(readFlights(other).first());
        second->header.creationTime = 1796737445 + 60;
        second->block.steadySamples[0][1] = 12345;
        PlotModel m = model({first, second, flights[0]});
        m.setParameter(plot::kStackedSpectrum);
        BinButtons bins = m.updateBinButtons();
        QCOMPARE(bins.title, QStringLiteral("Flight #"));
        QCOMPARE(bins.buttons[0].text, QStringLiteral("8 \u00b7 2026.12.08 13:44:05"));
        QCOMPARE(bins.buttons[1].text, QStringLiteral("8 \u00b7 2026.12.08 13:45:05"));
        QCOMPARE(bins.buttons[2].text, QStringLiteral("3"));
        QVERIFY(bins.buttons[2].enabled && !bins.buttons[3].enabled);
        QCOMPARE(m.lastFlight(), 8);
        m.chooseBin(1);
        bins = m.updateBinButtons();
        QCOMPARE(bins.checked, 1);
        QCOMPARE(m.build().footer, QStringList{"Flight # 8 \u00b7 2026.12.08 13:45:05"});
        PlotModel secondOnly = model({second});
        secondOnly.setParameter(plot::kStackedSpectrum);
        secondOnly.updateBinButtons();
        QCOMPARE(m.build().y, secondOnly.build().y);
        m.chooseBin(0);
        QVERIFY(m.build().y != secondOnly.build().y);
    }

    void menuRules()
    {
        PlotModel m = model();
        QVERIFY(m.parameterEnabled(plot::kA4RStdDev));
        QVERIFY(!m.transientBinMenuEnabled());
        m.setParameter(plot::kA4RStdDev);
        QVERIFY(!m.transientModeEnabled());
        m.setParameter(7);
        m.setMode(plot::Transient);
        QVERIFY(!m.parameterEnabled(plot::kA4RStdDev));
        QVERIFY(m.parameterEnabled(24));
        for (int id = 0; id < 25; ++id) {
            m.setParameter(id);
            const bool summaryOf4R = id == 0 || id == 1 || (id >= 3 && id <= 6);
            QCOMPARE(m.transientBinMenuEnabled(), !summaryOf4R);
        }
    }

    // Stored values out of range never leave the window blank.
    void storedChoicesOutOfRange_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("window");
        QTest::newRow("plot type 2") << settings::Plot2D_PlotType << QVariant(2) << 0 << 7 << 0 << 0;
        QTest::newRow("plot type -1") << settings::Plot2D_PlotType << QVariant(-1) << 0 << 7 << 0 << 0;
        QTest::newRow("transient type 4") << settings::Plot2D_TransientBinType << QVariant(4) << 0 << 7 << 0 << 0;
        QTest::newRow("transient type -2") << settings::Plot2D_TransientBinType << QVariant(-2) << 0 << 7 << 0 << 0;
        QTest::newRow("parameter 25") << settings::Plot2D_ParmType << QVariant(25) << 0 << 7 << 0 << 0;
        QTest::newRow("parameter -1") << settings::Plot2D_ParmType << QVariant(-1) << 0 << 7 << 0 << 0;
        QTest::newRow("parameter 24") << settings::Plot2D_ParmType << QVariant(24) << 0 << 24 << 0 << 0;
        QTest::newRow("window 5") << settings::Plot2D_FFT_WINDOW_TYPE << QVariant(5) << 0 << 7 << 0 << 0;
        QTest::newRow("window 2") << settings::Plot2D_FFT_WINDOW_TYPE << QVariant(2) << 0 << 7 << 0 << 2;
        QTest::newRow("transient type 3") << settings::Plot2D_TransientBinType << QVariant(3) << 0 << 7 << 3 << 0;
    }
    void storedChoicesOutOfRange()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        settings::setValue(key, stored);
        PlotModel m = model();
        QTEST(m.mode(), "mode");
        QTEST(m.parameterId(), "parameter");
        QTEST(m.transientType(), "type");
        QTEST(m.fftWindow(), "window");
        QVERIFY(!m.build().x.empty());
    }

    void choicesAreStored()
    {
        settings::setValue(settings::Plot2D_PlotType, 1);
        settings::setValue(settings::Plot2D_ParmType, plot::kA4RStdDev);  // has no transient plot
        PlotModel m = model();
        QCOMPARE(m.parameterId(), 7);
        m.setParameter(plot::kSpectrum);
        m.setTransientType(2);
        m.chooseBin(4);
        m.setFftWindow(FftWindowHanning);
        m.setXGrid(true);
        m.setYAxisLog(true);
        QVERIFY(settings::flag(settings::Plot2D_YAxisLog));  // stored at once
        QVERIFY(m.build().yLog);
        m.setParameter(plot::kStackedSpectrum);
        m.chooseBin(1);  // flight 8
        QVERIFY(!m.build().yLog);
        m.saveSettings();
        QCOMPARE(settings::integer(settings::Plot2D_PlotType), 1);
        QCOMPARE(settings::integer(settings::Plot2D_ParmType), 24);
        QCOMPARE(settings::integer(settings::Plot2D_TransientBinType), 2);
        QCOMPARE(settings::integer(settings::Plot2D_LastSample), 4);
        QCOMPARE(settings::integer(settings::Plot2D_LastFlight), 8);
        QCOMPARE(settings::integer(settings::Plot2D_FFT_WINDOW_TYPE), 1);
        QVERIFY(settings::flag(settings::Plot2D_XGrid));
        QVERIFY(!settings::flag(settings::Plot2D_YGrid));
        // Logarithmic only for the spectrum.
        m.setYAxisLog(true);
        QVERIFY(!settings::flag(settings::Plot2D_YAxisLog));
    }

    void dataStatus()
    {
        auto steadyNegative = copyOf(flights[0]);
        steadyNegative->block.steadyParameters[7][25] = -0.5f;
        steadyNegative->block.steadyParameters[8][0] = -1.0f;  // not A4R: no matter
        auto transientNegative = copyOf(flights[1]);
        transientNegative->block.transientParameters[10][3][9] = -2.0f;
        PlotModel plain = model();
        QVERIFY(!plain.anySuspect());
        PlotModel m = model({steadyNegative, transientNegative, flights[0]});
        const QList<FlightStatus> rows = m.dataStatus();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].flightNumber, 3);
        QVERIFY(rows[0].steadySuspect && !rows[0].transientSuspect);
        QVERIFY(!rows[1].steadySuspect && rows[1].transientSuspect);
        QVERIFY(!rows[2].steadySuspect && !rows[2].transientSuspect);
        QVERIFY(m.anySuspect());
    }

    void stackedCsvHoldsTheRangeShown()
    {
        PlotModel m = model();
        choose(m, plot::SteadyState, plot::kStackedSpectrum);
        const PlotData data = m.build();
        const QString path = env.path() + "/stacked.csv";
        QVERIFY(writeStackedCsv(path, "3", data, {1430.0, 1440.0}));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split('\n');
        QCOMPARE(lines.mid(0, 4), (QStringList{"Flight # 3", data.header[0], "Pre-Defect", "Window: None"}));
        QCOMPARE(lines[4], QStringLiteral("Flight # 3"));
        // 1430.51 and 1435.28 Hz lie within the range; the stacking offsets are gone.
        QCOMPARE(lines.size(), 8);
        QVERIFY(lines[5].startsWith("1430.5,"));
        QVERIFY(lines[6].startsWith("1435.3,"));
        QCOMPARE(lines[7], QString());
        const QStringList values = lines[5].split(',');
        QCOMPARE(values.size(), 27);
        QCOMPARE(values[1], formatG(data.y[0][300] - 1, 5));
        QCOMPARE(values[2], formatG(data.y[1][300] - 2, 5));

        // A file that cannot be written leaves nothing behind.
        QVERIFY(!writeStackedCsv(env.path() + "/missing/stacked.csv", "3", data, {0, 5000}));
        QVERIFY(!QFileInfo::exists(env.path() + "/missing"));
    }

    void tabulationLeavesOutHiddenRows()
    {
        TabulationSource source{"Flight 3", {"Head 1", "Head 2"}, {"Bin #2"}, "Time History (ms)",
                                "Inch/sec (uncompensated)", {0.0, 0.1024, 0.2048, 0.3072}, {1.23456, -0.5, 2.0, 3.0},
                                {0.1, 0.25}};
        const Tabulation table = tabulate(source);
        QCOMPARE(table.tag, QStringLiteral("Selected Flight: Flight 3"));
        QCOMPARE(table.header1, QStringLiteral("Head 1, Head 2"));
        QCOMPARE(table.header2, QStringLiteral("Bin #2"));
        QCOMPARE(table.header3, QStringLiteral("Parameter: Inch/sec (uncompensated)"));
        QCOMPARE(table.columnTitles, (QStringList{"Index", "Time History (ms)", "Inch/sec (uncompensated)"}));
        QCOMPARE(table.rows[0].hidden, true);
        QCOMPARE(table.rows[1].x, QStringLiteral("0.10"));
        QCOMPARE(table.rows[1].y, QStringLiteral("-0.5000"));
        const QString path = env.path() + "/table.txt";
        QVERIFY(writeTabulation(path, table));
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QCOMPARE(file.readAll(), QByteArray("Selected Flight: Flight 3\nHead 1, Head 2\nBin #2\n"
                                            "Parameter: Inch/sec (uncompensated)\n\n1,0.10,-0.5000\n2,0.20,2.0000\n"));
    }

    void fileNamesAndFormats_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("saved");
        QTest::newRow("bitmap") << "Bitmap (*.bmp)" << "chart" << "chart.bmp";
        QTest::newRow("png upper case kept") << "PNG (*.png)" << "chart.PNG" << "chart.PNG";
        QTest::newRow("jpg") << "JPG (*.jpg)" << "chart.png" << "chart.png.jpg";
        QTest::newRow("svg") << "SVG (*.svg)" << "a.b/chart" << "a.b/chart.svg";
        QTest::newRow("pdf") << "PDF (*.pdf)" << "chart.Pdf" << "chart.Pdf";
        QTest::newRow("unknown filter") << "All (*)" << "chart" << "chart.bmp";
    }
    void fileNamesAndFormats()
    {
        QFETCH(QString, filter);
        QFETCH(QString, name);
        QVERIFY(imageFilters().split(";;").contains(filter) || filter == "All (*)");
        QTEST(withSuffix(name, imageSuffix(imageFormatForFilter(filter)), Qt::CaseInsensitive), "saved");
        // Tabulations compare their suffix case-sensitively.
        QCOMPARE(withSuffix("table.TXT", ".txt", Qt::CaseSensitive), QStringLiteral("table.TXT.txt"));
    }

    void dataTable()
    {
        const QString path = env.path() + "/chart.dat";
        QCOMPARE(writeDataTable(path, {"Flight 3", "Flight 8"}, {1, 2}, {{0.5, 4171.625}, {-1e-7, 3}}), QString());
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        QCOMPARE(file.readAll(), QByteArray("X\tFlight 3\tFlight 8\n1\t0.5\t-1e-07\n2\t4171.62\t3\n"));
    }
};

QTEST_GUILESS_MAIN(PlotModelTest)
#include "test_plot_model.moc"
