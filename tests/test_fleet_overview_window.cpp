// The fleet overview window over a small tree of raw files: which rows it
// shows in which order, how alarms are coloured, how a column title sorts,
// and that a double-click or Enter asks for the engine's trend.

#include "GuiTestEnvironment.h"
#include "SampleFlights.h"
#include "core/Clock.h"
#include "flights/RawFileFormat.h"
#include "plot/ChartContrast.h"
#include "trend/ui/FleetOverviewWindow.h"

#include <QComboBox>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

class FleetOverviewWindowTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;

    // Sample flights: A4R's highest bin reads 725 + flight / 4, bin 1 of parameter 0 flight / 4.
    void write(const QString& registration, int engine, const QString& esn, QList<int> flights,
               std::array<qint32, 6> alarms, int minute)
    {
        QList<SampleSlot> slotList;
        for (int flight : flights)
            slotList << SampleSlot{flight, 0};
        Clock::fix(QDateTime(QDate(2026, 1, 1), QTime(12, minute), Qt::UTC));
        const QString path = writeSampleRawFile(env.dataRoot(), registration, engine,
                                                "ESN" + esn + "-fd-20260101-1200.raw", slotList);
        Clock::fix(std::nullopt);
        QFile header(path);
        QVERIFY(header.open(QIODevice::ReadWrite));
        header.seek(offsetof(RawFileHeader, dataHeaderWords) + 3 * sizeof(qint32));
        header.write(reinterpret_cast<const char*>(alarms.data()), sizeof alarms);
    }

    int column(const FleetOverviewWindow& window, const QString& title)
    {
        const QAbstractItemModel* rows = window.shownRows();
        for (int c = 0; c < rows->columnCount(); ++c)
            if (rows->headerData(c, Qt::Horizontal).toString() == title)
                return c;
        return -1;
    }

    QStringList shown(const FleetOverviewWindow& window, const QStringList& titles)
    {
        QStringList lines;
        const QAbstractItemModel* rows = window.shownRows();
        for (int r = 0; r < rows->rowCount(); ++r) {
            QStringList cells;
            for (const QString& title : titles)
                cells << rows->index(r, column(window, title)).data().toString();
            lines << cells.join(' ');
        }
        return lines;
    }

    QStringList engines(const FleetOverviewWindow& window) { return shown(window, {"ESN"}); }

    int rowOf(const FleetOverviewWindow& window, const QString& esn) { return int(engines(window).indexOf(esn)); }

private slots:
    void initTestCase()
    {
        const std::array<qint32, 6> none{3, 3, 3, 3, 3, 3};
        QList<int> twelve;
        for (int flight = 1; flight <= 12; ++flight)
            twelve << flight;
        write("F-GABC", 1, "100", twelve, none, 0);
        write("F-GABC", 2, "200", {1, 2}, {1, 3, 3, 3, 3, 3}, 1);
        write("HB-XYZ", 1, "300", {1, 2, 3}, {3, 3, 3, 3, 3, 9}, 2);
        write("HB-XYZ", 2, "400", {5}, {3, 0, 2, 3, 3, 3}, 3);
        write("D-ABCD", 3, "", {1, 2, 3}, none, 4);
        QFile broken(env.dataRoot() + "/D-ABCD_data/engine_3/ESN900-fd-20260101-1300.raw");
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("short") == 5);
    }

    void rowsMostAlarmingFirst_data()
    {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<QString>("bin");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("A4R, highest bin") << 7 << "Highest bin"
                                          << QStringList{"400 HB-XYZ 2 1 726.25  ", "200 F-GABC 2 2 725.5 +0.25 +0.0%",
                                                         "300 HB-XYZ 1 3 725.75 +0.375 +0.1%",
                                                         "100 F-GABC 1 12 728 +1.375 +0.2%",
                                                         "(no ESN) D-ABCD/3 D-ABCD 3 3 725.75 +0.375 +0.1%"};
        QTest::newRow("bin 1 of parameter 0: another rise leads")
            << 0 << "Bin 1"
            << QStringList{"400 HB-XYZ 2 1 1.25  ", "200 F-GABC 2 2 0.5 +0.25 +100.0%",
                           "300 HB-XYZ 1 3 0.75 +0.375 +100.0%", "(no ESN) D-ABCD/3 D-ABCD 3 3 0.75 +0.375 +100.0%",
                           "100 F-GABC 1 12 3 +1.375 +84.6%"};
    }
    void rowsMostAlarmingFirst()
    {
        QFETCH(int, parameter);
        QFETCH(QString, bin);
        QFETCH(QStringList, expected);
        env.clearPrompts();
        FleetOverviewWindow window(nullptr);
        window.reload();
        auto* parameters = window.findChild<QComboBox*>("parameterComboBox");
        QCOMPARE(parameters->currentText(), QStringLiteral("A4R"));
        parameters->setCurrentIndex(parameters->findData(parameter));
        auto* bins = window.findChild<QComboBox*>("binComboBox");
        bins->setCurrentIndex(bins->findText(bin));
        QCOMPARE(shown(window, {"ESN", "Aircraft", "Engine", "Flights", "Value", "Change", "Change %"}), expected);
        QCOMPARE(shown(window, {"Last download (UTC)"}).first(), QStringLiteral("2026-01-01T12:03:00Z"));
        // The file the reader refuses is told once, on the first reading.
        if (QTest::currentDataTag() == QByteArray("A4R, highest bin"))
            QVERIFY(env.prompts().onlyMessage().contains("ESN900-fd-20260101-1300.raw"));
        else
            QCOMPARE(env.prompts().onlyMessage(), QString());
    }

    // Level 3 red > Level 2 orange > Level 1 yellow > unknown grey > no alarm uncoloured, text readable on each.
    void alarmsColouredByRank_data()
    {
        QTest::addColumn<QString>("esn");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("background");
        QTest::newRow("level 3") << "400" << "4L current" << "Level 3" << "#c62828";
        QTest::newRow("level 2") << "200" << "4R current" << "Level 2" << "#fb8c00";
        QTest::newRow("level 1") << "400" << "4R historic" << "Level 1" << "#ffeb3b";
        QTest::newRow("unknown") << "300" << "3B historic" << "Unknown" << "#bdbdbd";
        QTest::newRow("no event") << "100" << "4R current" << "No Event" << "";
        QTest::newRow("no fault") << "400" << "3B historic" << "No Fault" << "";
    }
    void alarmsColouredByRank()
    {
        QFETCH(QString, esn);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, background);
        FleetOverviewWindow window(nullptr);
        window.reload();
        const QModelIndex cell = window.shownRows()->index(rowOf(window, esn), column(window, title));
        QCOMPARE(cell.data().toString(), text);
        const QVariant fill = cell.data(Qt::BackgroundRole);
        QCOMPARE(fill.isValid() ? fill.value<QBrush>().color().name() : QString(), background);
        if (fill.isValid()) {
            const QColor ink = cell.data(Qt::ForegroundRole).value<QBrush>().color();
            const QColor paper = fill.value<QBrush>().color();
            QVERIFY(contrastRatio({ink.red(), ink.green(), ink.blue()}, {paper.red(), paper.green(), paper.blue()}) >= 4.5);
        }
    }

    // A first click sorts largest first, a second smallest first; numbers as numbers, empty cells last.
    void columnTitleSorts_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("firstClick");
        QTest::addColumn<QStringList>("secondClick");
        QTest::newRow("flights") << "Flights" << QStringList{"100", "300", "(no ESN) D-ABCD/3", "200", "400"}
                                 << QStringList{"400", "200", "300", "(no ESN) D-ABCD/3", "100"};
        QTest::newRow("change %") << "Change %" << QStringList{"100", "300", "(no ESN) D-ABCD/3", "200", "400"}
                                  << QStringList{"200", "300", "(no ESN) D-ABCD/3", "100", "400"};
        QTest::newRow("ESN") << "ESN" << QStringList{"(no ESN) D-ABCD/3", "100", "200", "300", "400"}
                             << QStringList{"400", "300", "200", "100", "(no ESN) D-ABCD/3"};
    }
    void columnTitleSorts()
    {
        QFETCH(QString, title);
        QFETCH(QStringList, firstClick);
        QFETCH(QStringList, secondClick);
        FleetOverviewWindow window(nullptr);
        window.reload();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QHeaderView* header = window.table()->horizontalHeader();
        const QPoint title_ = QPoint(header->sectionViewportPosition(column(window, title)) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title_);
        QCOMPARE(engines(window), firstClick);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title_);
        QCOMPARE(engines(window), secondClick);
    }

    void doubleClickOrEnterAsksForTheTrend_data()
    {
        QTest::addColumn<bool>("enter");
        QTest::addColumn<QString>("esn");
        QTest::newRow("double-click") << false << "300";
        QTest::newRow("Enter") << true << "(no ESN) D-ABCD/3";
    }
    void doubleClickOrEnterAsksForTheTrend()
    {
        QFETCH(bool, enter);
        QFETCH(QString, esn);
        FleetOverviewWindow window(nullptr);
        window.reload();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy chosen(&window, &FleetOverviewWindow::engineChosen);
        QTableView* table = window.table();
        const QModelIndex cell = table->model()->index(rowOf(window, esn), 1);
        if (enter) {
            table->setCurrentIndex(cell);
            QTest::keyClick(table, Qt::Key_Return);
        } else {
            const QPoint where = table->visualRect(cell).center();
            QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, where);  // a double-click begins as a click
            QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, where);
        }
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0][0].toString(), esn);
    }
};

QTEST_MAIN(FleetOverviewWindowTest)
#include "test_fleet_overview_window.moc"
