// The engine trend window on a small tree of raw files: the engines it lists,
// the points and the CSV of a choice (the trend logic's), the stored
// threshold and the points above it, and the flight a double-click asks for.

#include "SampleFlights.h"
#include "TestEnvironment.h"
#include "core/Clock.h"
#include "core/Settings.h"
#include "plot/ui/XYPlot.h"
#include "trend/FlightIndex.h"
#include "trend/TrendOutput.h"
#include "trend/ui/EngineTrendWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

class EngineTrendWindowTest : public QObject {
    Q_OBJECT
    TestEnvironment env;

    QString database() const { return env.path() + QStringLiteral("/tolm.db"); }

    static void write(const QString& root, const QString& registration, int engine, const QString& name, int minute,
                      const QList<SampleSlot>& slotList)
    {
        Clock::fix(QDateTime(QDate(2026, 1, 1), QTime(12, minute), Qt::UTC));
        writeSampleRawFile(root, registration, engine, name, slotList);
        Clock::fix(std::nullopt);
    }

    static void choose(QComboBox* combo, const QVariant& data) { combo->setCurrentIndex(combo->findData(data)); }

    // The trend logic's own answer for engine 77.
    QByteArray logicCsv(const trend::TrendChoice& choice) const
    {
        return trend::trendCsv(trend::engineTrend(FlightIndex(database()).flights(), QStringLiteral("77"), choice));
    }

private slots:
    void initTestCase()
    {
        write(env.dataRoot(), "F-GABC", 2, "ESN77-fd-20260101-1200.raw", 0, {{1, 0}, {2, 0}});
        write(env.dataRoot(), "F-GXYZ", 1, "ESN77-fd-20260102-1200.raw", 10, {{3, 0}, {4, 1}});
        write(env.dataRoot(), "F-GXYZ", 2, "ESN5-fd-20260102-1200.raw", 20, {{9, 0}});
    }

    void listsEachEngineWithItsLatestAircraft_data()
    {
        QTest::addColumn<QString>("tree");
        QTest::addColumn<QStringList>("engines");
        QTest::addColumn<int>("points");
        QTest::newRow("written tree") << "" << QStringList{"5  (F-GXYZ/2, 1 flights)", "77  (F-GXYZ/1, 4 flights)"} << 1;
        QTest::newRow("empty tree") << "/empty" << QStringList{} << 0;
    }

    void listsEachEngineWithItsLatestAircraft()
    {
        QFETCH(QString, tree);
        QFETCH(QStringList, engines);
        QFETCH(int, points);
        QDir().mkpath(env.dataRoot() + tree);
        EngineTrendWindow window(nullptr, env.dataRoot() + tree, env.dataRoot() + tree + QStringLiteral("/tolm.db"));
        auto* list = window.findChild<QComboBox*>("engineCombo");
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->itemText(i);
        QCOMPARE(texts, engines);
        QCOMPARE(window.series().points.size(), points);
    }

    void choiceShowsAndSavesTheLogicsTrend_data()
    {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<int>("bin");
        QTest::addColumn<int>("memory");
        QTest::addColumn<int>("points");
        QTest::newRow("A4R highest, all") << 7 << 0 << int(trend::Memory::All) << 4;
        QTest::newRow("parameter 0, bin 3, pre") << 0 << 3 << int(trend::Memory::Pre) << 3;
        QTest::newRow("parameter 21, bin 26, post") << 21 << 26 << int(trend::Memory::Post) << 1;
    }

    void choiceShowsAndSavesTheLogicsTrend()
    {
        QFETCH(int, parameter);
        QFETCH(int, bin);
        QFETCH(int, memory);
        QFETCH(int, points);
        EngineTrendWindow window(nullptr, env.dataRoot(), database());
        choose(window.findChild<QComboBox*>("engineCombo"), QStringLiteral("77"));
        choose(window.findChild<QComboBox*>("parameterCombo"), parameter);
        choose(window.findChild<QComboBox*>("binCombo"), bin);
        choose(window.findChild<QComboBox*>("memoryCombo"), memory);

        const QByteArray expected = logicCsv({parameter, bin, trend::Memory(memory)});
        QCOMPARE(window.series().points.size(), points);
        const QString path = env.path() + QStringLiteral("/trend.csv");
        QCOMPARE(window.saveCsv(path), QString());
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), expected);
    }

    void thresholdIsStoredAndHighlightsPointsAbove_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QList<int>>("above");
        // A4R of bin 3 is 702 + 0.25 per flight number: 702.25, 702.5, 702.75, 703.
        QTest::newRow("none") << "" << "" << QList<int>{};
        QTest::newRow("between flights 2 and 3") << "702.6" << "702.6" << QList<int>{2, 3};
        QTest::newRow("below all") << "1" << "1" << QList<int>{0, 1, 2, 3};
        QTest::newRow("not a number") << "high" << "" << QList<int>{};
    }

    void thresholdIsStoredAndHighlightsPointsAbove()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QList<int>, above);
        {
            EngineTrendWindow window(nullptr, env.dataRoot(), database());
            choose(window.findChild<QComboBox*>("engineCombo"), QStringLiteral("77"));
            choose(window.findChild<QComboBox*>("binCombo"), 3);
            auto* edit = window.findChild<QLineEdit*>("thresholdEdit");
            edit->setText(typed);
            emit edit->editingFinished();
            QCOMPARE(settings::text(settings::TrendThreshold(7)), stored);
            QCOMPARE(window.pointsAboveThreshold(), above);
        }
        EngineTrendWindow reopened(nullptr, env.dataRoot(), database());
        QCOMPARE(reopened.findChild<QLineEdit*>("thresholdEdit")->text(), stored);
    }

    void doubleClickAsksForThatFlight()
    {
        EngineTrendWindow window(nullptr, env.dataRoot(), database());
        choose(window.findChild<QComboBox*>("engineCombo"), QStringLiteral("77"));
        window.resize(900, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.chart()->redraw();
        QSignalSpy requested(&window, &EngineTrendWindow::flightRequested);
        const trend::TrendPoint& third = window.series().points.at(2);
        const QPoint at = window.chart()->pixelOf(window.chart()->xValues().at(2), third.value).toPoint();
        QTest::mouseDClick(window.chart()->canvas(), Qt::LeftButton, {}, at);
        QCOMPARE(requested.size(), 1);
        QCOMPARE(requested.at(0).at(0).toString(), third.rawPath);
        QCOMPARE(requested.at(0).at(1).toInt(), third.slot);
        QCOMPARE(third.flightNumber, 3);
    }
    // Alarm labels never cover each other or a value; a change whose label
    // found no room still tells itself in its flight's readout.
    void alarmLabelsKeepClearOfEachOtherAndTheValues_data()
    {
        QTest::addColumn<QList<qint32>>("codes");  // 4R current code of each download, one flight each
        QTest::newRow("two changes") << QList<qint32>{3, 3, 3, 0, 0, 0, 1, 1};
        QTest::newRow("a change at every download") << QList<qint32>{3, 0, 1, 2, 9, 0, 1, 2, 3, 0, 1, 2, 9, 0, 1, 2};
    }

    void alarmLabelsKeepClearOfEachOtherAndTheValues()
    {
        QFETCH(QList<qint32>, codes);
        const QString root = env.path() + QStringLiteral("/alarms/") + QTest::currentDataTag();
        for (qint32 i = 0; i < codes.size(); ++i) {
            const QString name = QStringLiteral("ESN9-fd-20260101-12%1.raw").arg(i, 2, 10, QLatin1Char('0'));
            QFile file(writeSampleRawFile(root, "F-GABC", 1, name, {{i + 1, 0}}));
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(56));  // the header's first alarm code
            file.write(reinterpret_cast<const char*>(&codes[i]), sizeof(qint32));
        }
        // Every sample flight ends at the same minute: the chart counts them in sequence.
        EngineTrendWindow window(nullptr, root, root + QStringLiteral("/tolm.db"));
        window.resize(700, 450);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        XYPlot* chart = window.chart();
        chart->redraw();

        const QList<QRectF> labels = chart->annotationLabelRectsShown();
        QVERIFY(!labels.isEmpty());
        for (int i = 0; i < labels.size(); ++i) {
            for (int j = i + 1; j < labels.size(); ++j)
                QVERIFY(!labels[i].intersects(labels[j]));
            for (int point = 0; point < chart->pointCount(); ++point)
                QVERIFY(!labels[i].contains(chart->pixelOf(chart->xValues()[point], window.series().points[point].value)));
        }
        for (const trend::AlarmChange& change : window.series().alarmChanges) {
            const double x = chart->xValues()[change.point];
            emit chart->mouseHover(chart->pixelOf(x, window.series().points[change.point].value).toPoint());
            for (const trend::AlarmStateChange& state : change.states)
                QVERIFY2(chart->readoutText().contains(state.text()), qPrintable(chart->readoutText()));
        }
    }

    // The threshold line runs from end to end of the X axis shown, however it is zoomed or moved.
    void thresholdLineSpansTheShownAxis_data()
    {
        QTest::addColumn<double>("lowerShift");  // of the data's X range, in its widths
        QTest::addColumn<double>("upperShift");
        QTest::newRow("default view") << 0.0 << 0.0;
        QTest::newRow("zoomed out") << -1.0 << 1.0;
        QTest::newRow("moved right") << 0.5 << 0.5;
    }

    void thresholdLineSpansTheShownAxis()
    {
        QFETCH(double, lowerShift);
        QFETCH(double, upperShift);
        settings::setValue(settings::TrendThreshold(7), QStringLiteral("702.6"));
        EngineTrendWindow window(nullptr, env.dataRoot(), database());
        choose(window.findChild<QComboBox*>("engineCombo"), QStringLiteral("77"));
        choose(window.findChild<QComboBox*>("binCombo"), 3);
        window.resize(900, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        XYPlot* chart = window.chart();
        const XRange data = chart->xRangeShown();
        const double width = data.upper - data.lower;
        chart->setXRange(data.lower + lowerShift * width, data.upper + upperShift * width);
        chart->redraw();

        const QImage image = chart->canvas()->grab().toImage();
        const XRange shown = chart->xRangeShown();
        const QColor line = chart->drawnColor(3);
        for (const auto& [end, step] : {std::pair(shown.lower, 1), std::pair(shown.upper, -1)}) {
            const QPoint at = chart->pixelOf(end, 702.6).toPoint();
            bool drawn = false;
            for (int dx = 0; dx < 12 && !drawn; ++dx)
                for (int dy = -1; dy <= 1; ++dy)
                    drawn |= qAbs(QColor(image.pixel(at.x() + step * dx, at.y() + dy)).red() - line.red()) < 40
                             && qAbs(QColor(image.pixel(at.x() + step * dx, at.y() + dy)).green() - line.green()) < 40;
            QVERIFY2(drawn, qPrintable(QStringLiteral("no line near pixel ") + QString::number(at.x())));
        }
        settings::setValue(settings::TrendThreshold(7), QString());
    }
};

QTEST_MAIN(EngineTrendWindowTest)
#include "test_engine_trend_window.moc"
