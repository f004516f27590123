// The plot window and its dialogs as the technician uses them: the form,
// choosing plots, the cursor readout, tabulation, display setup, data status
// and what the window remembers.

#include "GuiTestEnvironment.h"
#include "MenuTexts.h"
#include "PdfText.h"
#include "SampleFlights.h"
#include "core/NumberFormat.h"
#include "core/Settings.h"
#include "flights/Spectrum.h"
#include "plot/ui/ColorPopup.h"
#include "plot/ui/DataStatusDialog.h"
#include "plot/ui/DisplaySetupDialog.h"
#include "plot/ui/PeakTableDialog.h"
#include "plot/ui/PlotMainWindow.h"
#include "plot/ui/PlotTools.h"
#include "plot/ui/TabulateDialog.h"
#include "plot/ui/XYPlot.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTreeWidget>
#include <QtTest>
#include <qcustomplot.h>

namespace {

QStringList actionTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("-") : shownText(action));
    return texts;
}

void moveWithLeftButton(XYPlot* chart, QPoint at)
{
    QMouseEvent press(QEvent::MouseButtonPress, at, chart->canvas()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(chart->canvas(), &press);
    QMouseEvent move(QEvent::MouseMove, at, chart->canvas()->mapToGlobal(at), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(chart->canvas(), &move);
    QMouseEvent release(QEvent::MouseButtonRelease, at, chart->canvas()->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(chart->canvas(), &release);
}

QStringList fileLines(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QString::fromLatin1(file.readAll()).split('\n');
}

}  // namespace

class PlotWindowTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;
    FlightRecordList flights;  // flights 3 and 8 of "F-GABC", engine 2
    FlightRecordList tenFlights;  // flights 21 to 30 of the same engine

    std::unique_ptr<PlotMainWindow> open(FlightRecordList list = {})
    {
        auto window = std::make_unique<PlotMainWindow>(nullptr, list.isEmpty() ? flights : list);
        window->resize(900, 650);
        window->show();
        return window;
    }

    static QAction* action(PlotMainWindow& window, const QString& name)
    {
        return window.findChild<QAction*>(name);
    }
    static QMenu* menu(PlotMainWindow& window, const QString& name) { return window.findChild<QMenu*>(name); }
    static QRadioButton* radio(PlotMainWindow& window, const QString& name)
    {
        return window.findChild<QRadioButton*>(name);
    }
    static QRadioButton* bin(PlotMainWindow& window, int number)
    {
        return radio(window, QStringLiteral("binRadioButton%1").arg(number));
    }
    static void chooseParameter(PlotMainWindow& window, int id) { menu(window, "menuParameter")->actions()[id]->trigger(); }
    static DisplaySetupDialog* openDisplaySetup(PlotMainWindow& window)
    {
        action(window, "actionDisplaySetup")->trigger();
        return window.findChildren<DisplaySetupDialog*>().last();
    }
    // A point's pixel on the chart.
    static QPoint pixelOf(PlotMainWindow& window, int series, int point)
    {
        const XYPlot* chart = window.chart();
        return chart->pixelOf(chart->xValues()[point], chart->yValues(series)[point]).toPoint();
    }

private slots:
    void initTestCase()
    {
        qputenv("TZ", "UTC");  // flight names show creation times in local time
        flights = readFlights(writeSampleRawFile(env.dataRoot(), "F-GABC", 2, "known.raw", {{3, 0}, {8, 0}}));
        QList<SampleSlot> ten;
        for (qint32 flight = 21; flight <= 30; ++flight)
            ten.append({flight, 0});
        tenFlights = readFlights(writeSampleRawFile(env.dataRoot(), "F-GABC", 2, "ten.raw", ten));
    }

    void init()
    {
        env.resetSettings();
        env.clearPrompts();
    }

    void formOnFirstUse()
    {
        auto window = open();
        QCOMPARE(window->windowTitle(), QStringLiteral(" Tolm for Advanced Korvel  2.2.0 - Steady-State Data Viewer \u2013 F-GABC / Engine 2 / Flights 3, 8"));
        QStringList menus;
        for (QAction* entry : window->menuBar()->actions())
            menus << shownText(entry);
        QCOMPARE(menus, (QStringList{"File", "Parameter", "Transient Bin", "Setup", "Data", "Zoom", "Help"}));
        QCOMPARE(actionTexts(menu(*window, "menuFile")), (QStringList{"Print", "Engine Report...", "-", "Exit"}));
        QCOMPARE(action(*window, "actionExit")->shortcut(), QKeySequence("Ctrl+Q"));
        const QStringList parameters = actionTexts(menu(*window, "menuParameter"));
        QCOMPARE(parameters.size(), 25);
        QCOMPARE(parameters[2], QStringLiteral("A4R (std dev)"));
        QCOMPARE(parameters[20], QStringLiteral("N1-3B"));
        QCOMPARE(parameters[24], QStringLiteral("Stacked FFT"));
        QCOMPARE(actionTexts(menu(*window, "menuTransientBin")),
                 (QStringList{"TOC (Top Of Climb)", "TOD (Top Of Descent)", "AOD (All Other Decels)",
                              "AOA (All Other Accels)"}));
        QCOMPARE(actionTexts(menu(*window, "menuHelp")), (QStringList{"User Interactions", "About Qt"}));
        QCOMPARE(window->globalStatusButton()->text(), QStringLiteral("Global Status"));
        QCOMPARE(window->globalStatusButton()->parentWidget(), window->statusBar());
        QVERIFY(window->globalStatusButton()->styleSheet().isEmpty());  // nothing suspect

        // Steady-state "A4R" over 26 bins; the bin box is not in use.
        QVERIFY(radio(*window, "steadyStateRadioButton")->isChecked());
        QVERIFY(action(*window, "actionA4R")->isChecked());
        QVERIFY(!window->findChild<QGroupBox*>("binGroupBox")->isEnabled());
        QVERIFY(!menu(*window, "menuTransientBin")->menuAction()->isEnabled());
        const XYPlot* chart = window->chart();
        QCOMPARE(chart->seriesCount(), 2);
        QCOMPARE(chart->pointCount(), 26);
        QCOMPARE(chart->yAxisTitle(), QStringLiteral("A4R"));
        QCOMPARE(chart->xAxisTitle(), QStringLiteral("Bin #"));
        QCOMPARE(chart->headerLines(), (QStringList{"Steady State Data: Aircraft F-GABC / Engine 2", "Pre-Defect"}));
        QCOMPARE(chart->background(), QColor(Qt::white));
        QVERIFY(!chart->xGrid() && !chart->yGrid());
        QCOMPARE(chart->seriesStyle(0).line, Qt::NoPen);  // trends are points
        QVERIFY(chart->seriesStyle(0).marker != XYPlot::Marker::None);
    }

    void eachChangeRebuildsAndDrawsOnce()
    {
        auto window = open();
        QSignalSpy rebuilt(window.get(), &PlotMainWindow::plotRebuilt);
        int draws = window->chart()->redrawCount();
        const auto expectOne = [&](const char* what) {
            QVERIFY2(rebuilt.size() == 1, what);
            QVERIFY2(window->chart()->redrawCount() == draws + 1, what);
            rebuilt.clear();
            draws = window->chart()->redrawCount();
        };
        chooseParameter(*window, plot::kStackedSpectrum);
        expectOne("parameter");
        radio(*window, "transientRadioButton")->click();
        expectOne("mode");
        action(*window, "actionAOD_All_Other_Decels")->trigger();
        expectOne("transient type");
        bin(*window, 2)->click();
        expectOne("bin");
        window->setFftWindowType(FftWindowHanning);
        expectOne("window");
        QCOMPARE(window->chart()->seriesCount(), 10);
        QCOMPARE(window->chart()->seriesStyle(0).color, QColor(255, 0, 0));
    }

    void timeHistoryWithoutAStoredSample()
    {
        auto window = open();
        chooseParameter(*window, plot::kTimeHistory);
        auto* bins = window->findChild<QGroupBox*>("binGroupBox");
        QVERIFY(bins->isEnabled());
        QCOMPARE(bins->title(), QStringLiteral("Bin #"));
        QVERIFY(bin(*window, 1)->isChecked());
        QCOMPARE(window->chart()->footerLines(), QStringList{"Bin #1"});
        QCOMPARE(window->chart()->seriesStyle(1).marker, XYPlot::Marker::None);
        window->close();
        QCOMPARE(settings::integer(settings::Plot2D_LastSample), 0);
        QCOMPARE(settings::integer(settings::Plot2D_ParmType), 22);
    }

    void switchingModesWithSample17()
    {
        auto window = open();
        chooseParameter(*window, plot::kSpectrum);
        bin(*window, 18)->click();
        QCOMPARE(window->chart()->footerLines(), QStringList{"Bin #18"});
        radio(*window, "transientRadioButton")->click();
        QVERIFY(bin(*window, 1)->isChecked());
        QVERIFY(bin(*window, 10)->isEnabled());
        QVERIFY(!bin(*window, 11)->isEnabled());
        QCOMPARE(window->findChild<QGroupBox*>("binGroupBox")->title(), QStringLiteral("Time History #"));
        QCOMPARE(window->chart()->footerLines(), QStringList{"Time History #1: (TOC)"});
        QCOMPARE(window->model().lastSample(), 0);
    }

    void menusFollowTheMode()
    {
        auto window = open();
        chooseParameter(*window, plot::kA4RStdDev);
        QVERIFY(!radio(*window, "transientRadioButton")->isEnabled());
        chooseParameter(*window, 7);
        radio(*window, "transientRadioButton")->click();
        QVERIFY(!action(*window, "actionA4R_std_dev")->isEnabled());
        QVERIFY(action(*window, "actionTR4R_std_dev")->isEnabled());
        QVERIFY(menu(*window, "menuTransientBin")->menuAction()->isEnabled());
        QVERIFY(window->windowTitle().startsWith(" Tolm for Advanced Korvel  2.2.0 - Transient Data Viewer \u2013 "));
        chooseParameter(*window, 0);
        QVERIFY(!menu(*window, "menuTransientBin")->menuAction()->isEnabled());
        QCOMPARE(window->chart()->xTickLabels(), (QStringList{"TOC", "TOD", "AOD", "AOA"}));
    }

    void storedModeOutOfRangeStillDraws()
    {
        settings::setValue(settings::Plot2D_PlotType, 7);
        settings::setValue(settings::Plot2D_ParmType, 99);
        settings::setValue(settings::BackgroundColor, "no colour");
        auto window = open();
        QVERIFY(radio(*window, "steadyStateRadioButton")->isChecked());
        QCOMPARE(window->chart()->pointCount(), 26);
        QCOMPARE(window->chart()->background(), QColor(Qt::white));
    }

    // Yellow over a negative sample, light blue elsewhere; the markers and the tabulation follow.
    void cursorReadout()
    {
        auto window = open({flights[0]});
        chooseParameter(*window, plot::kTimeHistory);
        action(*window, "actionTabulate")->trigger();
        auto* table = window->findChild<TabulateDialog*>();
        QVERIFY(table && table->isVisible());
        XYPlot* chart = window->chart();
        chart->setXRange(0, 1.2);  // a dozen samples: each point apart
        QSignalSpy posX(window.get(), &PlotMainWindow::posX);

        moveWithLeftButton(chart, pixelOf(*window, 0, 4));  // -530 counts
        QCOMPARE(chart->readoutText(), QStringLiteral("Flight 3   X = 0.4096 (ms)   Y = -0.0428636 (Volt)"));
        QCOMPARE(chart->readoutBackground(), QColor(255, 255, 0));
        QVERIFY(chart->markersShown());
        QCOMPARE(posX.last().first().toInt(), 4);
        QCOMPARE(table->findChild<QTreeWidget*>("treeWidget")->currentItem()->text(0), QStringLiteral("4"));

        moveWithLeftButton(chart, pixelOf(*window, 0, 2));
        QCOMPARE(chart->readoutBackground(), QColor(204, 204, 255));
        QVERIFY(chart->readoutText().startsWith("Flight 3   X = 0.2048 (ms)"));

        // Leaving the plotting area takes readout and markers away.
        moveWithLeftButton(chart, QPoint(1, 1));
        QCOMPARE(chart->readoutText(), QString());
        QVERIFY(!chart->markersShown());
    }

    void stackedSpectraCsvAfterZoom()
    {
        auto window = open();
        chooseParameter(*window, plot::kStackedSpectrum);
        bin(*window, 2)->click();  // flight 8
        QCOMPARE(bin(*window, 2)->text(), QStringLiteral("8"));
        QCOMPARE(window->findChild<QGroupBox*>("binGroupBox")->title(), QStringLiteral("Flight #"));
        window->chart()->setXRange(2000, 2010);
        env.prompts().fileAnswers << env.path() + "/stacked";
        action(*window, "actionTabulate")->trigger();
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Save Tabulated Data"));
        QCOMPARE(env.prompts().chooserDirs, QStringList{env.dataDir()});
        QVERIFY(!window->findChild<TabulateDialog*>());
        const QStringList lines = fileLines(env.path() + "/stacked.csv");
        QCOMPARE(lines[0], QStringLiteral("Flight # 8"));
        QCOMPARE(lines[4], QStringLiteral("Flight # 8"));
        // Lines 420 and 421 (2002.7 and 2007.5 Hz) are the ones shown.
        QCOMPARE(lines.size(), 8);
        QVERIFY(lines[5].startsWith("2002.7,"));
        QVERIFY(lines[6].startsWith("2007.5,"));

        env.clearPrompts();
        env.prompts().fileAnswers << env.path() + "/missing/stacked.csv";
        action(*window, "actionTabulate")->trigger();
        QCOMPARE(env.prompts().calls.last().title + "|" + env.prompts().calls.last().text,
                 "Error|Cannot open " + env.path() + "/missing/stacked.csv");
    }

    void tabulationSavesTheRowsShown()
    {
        auto window = open();
        chooseParameter(*window, 9);  // N1-4R (RPM)
        window->chart()->setXRange(2.5, 5.5);
        action(*window, "actionTabulate")->trigger();
        auto* table = window->findChild<TabulateDialog*>();
        QCOMPARE(table->windowTitle(), QStringLiteral("TabulateDialog"));
        QCOMPARE(table->findChild<QLabel*>("tagLabel")->text(), QStringLiteral("Selected Flight: Flight 3"));
        QCOMPARE(table->findChild<QLabel*>("header3Label")->text(), QStringLiteral("Parameter: N1-4R (RPM)"));
        auto* tree = table->findChild<QTreeWidget*>("treeWidget");
        QCOMPARE(tree->topLevelItemCount(), 26);
        QCOMPARE(tree->headerItem()->text(1), QStringLiteral("Bin #"));
        QVERIFY(tree->topLevelItem(1)->isHidden());
        QCOMPARE(tree->topLevelItem(2)->text(2), QStringLiteral("902.7500"));

        env.prompts().fileAnswers << env.path() + "/table.TXT";
        table->findChild<QPushButton*>("pushButtonSave")->click();
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Save"));
        QCOMPARE(fileLines(env.path() + "/table.TXT.txt"),
                 (QStringList{"Selected Flight: Flight 3",
                              "Steady State Data: Aircraft F-GABC / Engine 2, Pre-Defect", "",
                              "Parameter: N1-4R (RPM)", "", "2,3.00,902.7500", "3,4.00,903.7500", "4,5.00,904.7500",
                              ""}));

        env.prompts().fileAnswers << env.path() + "/missing/table.txt";
        table->findChild<QPushButton*>("pushButtonSave")->click();
        QCOMPARE(env.prompts().calls.last().title + "|" + env.prompts().calls.last().text,
                 QStringLiteral("Save|Couldn't save tabulation data"));

        // A stacked spectrum has no table: the open one closes.
        chooseParameter(*window, plot::kStackedSpectrum);
        QTRY_VERIFY(!window->findChild<TabulateDialog*>());
    }

    void displaySetupActsAtOnce()
    {
        auto window = open();
        chooseParameter(*window, plot::kTimeHistory);
        window->setFftWindowType(FftWindowHamming);
        DisplaySetupDialog* setup = openDisplaySetup(*window);
        QCOMPARE(setup->windowTitle(), QStringLiteral("SetupDialog"));
        // Not the spectrum: the FFT and Y-axis groups are off but show the window's values.
        QVERIFY(!setup->findChild<QGroupBox*>("fftWindowGroupBox")->isEnabled());
        QVERIFY(!setup->findChild<QGroupBox*>("yAxisGroupBox")->isEnabled());
        QVERIFY(setup->findChild<QRadioButton*>("fftWindowHamming")->isChecked());
        QVERIFY(setup->findChild<QRadioButton*>("linYAxis")->isChecked());

        setup->findChild<QCheckBox*>("xGridCheckBox")->click();
        QVERIFY(window->chart()->xGrid());
        setup->findChild<QCheckBox*>("yGridCheckBox")->click();
        QVERIFY(window->chart()->yGrid());

        const QList<QAbstractButton*> boxes = setup->flightGroup()->buttons();
        QCOMPARE(boxes.size(), 2);
        QCOMPARE(boxes[1]->text(), QStringLiteral("8"));
        QCOMPARE(boxes[1]->property("id").toInt(), 1);
        boxes[1]->click();
        QVERIFY(!window->chart()->seriesVisible(1));
        QVERIFY(window->chart()->seriesVisible(0));
        boxes[1]->click();
        QVERIFY(window->chart()->seriesVisible(1));
        boxes[0]->click();
        setup->close();

        // The spectrum: window and axis switches rebuild and redraw at once.
        chooseParameter(*window, plot::kSpectrum);
        QVERIFY(!window->chart()->seriesVisible(0));  // still hidden
        setup = openDisplaySetup(*window);
        QVERIFY(setup->findChild<QGroupBox*>("yAxisGroupBox")->isEnabled());
        QSignalSpy rebuilt(window.get(), &PlotMainWindow::plotRebuilt);
        setup->findChild<QRadioButton*>("fftWindowHanning")->click();
        QCOMPARE(rebuilt.size(), 1);
        QCOMPARE(window->chart()->headerLines().last(), QStringLiteral("Window: Hanning"));
        setup->findChild<QRadioButton*>("logYAxis")->click();
        QVERIFY(window->chart()->yLog());
        QVERIFY(settings::flag(settings::Plot2D_YAxisLog));
        setup->findChild<QRadioButton*>("linYAxis")->click();
        QVERIFY(!window->chart()->yLog());
        QCOMPARE(rebuilt.size(), 1);
    }

    // "Black" changes nothing; a chosen colour recolours the chart and is used by the next window.
    void backgroundColour()
    {
        auto window = open();
        DisplaySetupDialog* setup = openDisplaySetup(*window);
        auto* button = setup->findChild<QPushButton*>("bgColorButton");
        QCOMPARE(button->palette().color(QPalette::Button), QColor(Qt::white));

        button->click();
        auto* popup = setup->findChild<ColorPopup*>();
        QVERIFY(popup && popup->isVisible());
        QCOMPARE(ColorPopup::standardColors().size(), 17);
        popup->cell("Black")->click();
        QCOMPARE(window->chart()->background(), QColor(Qt::white));
        QCOMPARE(settings::text(settings::BackgroundColor), QStringLiteral("white"));

        button->click();
        setup->findChildren<ColorPopup*>().last()->cell("Dark blue")->click();
        QCOMPARE(window->chart()->background(), QColor(Qt::darkBlue));
        QCOMPARE(button->palette().color(QPalette::Button), QColor(Qt::darkBlue));
        QCOMPARE(open()->chart()->background(), QColor(Qt::darkBlue));

        // A colour from the colour dialog is applied and offered as "Custom" afterwards.
        env.dialogs().onDialog = [](QDialog& dialog) {
            static_cast<QColorDialog&>(dialog).setCurrentColor(QColor(10, 20, 30));
            dialog.accept();
            return dialog.result();
        };
        button->click();
        setup->findChildren<ColorPopup*>().last()->customColorButton()->click();
        QCOMPARE(env.dialogs().dialogsRun, QStringList{"QColorDialog"});
        QCOMPARE(window->chart()->background(), QColor(10, 20, 30));
        QCOMPARE(QColor::fromString(settings::text(settings::BackgroundColor)), QColor(10, 20, 30));
        ColorPopup again(setup);
        QVERIFY(again.cell("Custom"));
    }

    void dataStatusRows()
    {
        auto suspect = std::make_shared<FlightRecord>(*flights[1]);
        suspect->block.steadyParameters[7][12] = -1.0f;
        auto window = open({flights[0], suspect});
        QVERIFY(window->globalStatusButton()->styleSheet().contains("yellow"));
        window->globalStatusButton()->click();
        auto* dialog = window->findChild<DataStatusDialog*>();
        QVERIFY(dialog->isVisible() && !dialog->isModal());
        QStringList rows;
        auto* tree = dialog->findChild<QTreeWidget*>("treeWidget");
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = tree->topLevelItem(i);
            rows << item->text(0) + " " + item->text(1) + " " + item->text(2);
        }
        QCOMPARE(rows, (QStringList{"3 OK OK", "8 Suspect OK"}));
    }

    // Setup, tabulation and data status: a second request raises the open one, which goes when its window goes.
    void oneDialogOfEachKind_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("display setup") << "actionDisplaySetup";
        QTest::newRow("tabulate") << "actionTabulate";
        QTest::newRow("data status") << "Global Status";
    }
    void oneDialogOfEachKind()
    {
        QFETCH(QString, command);
        auto window = open();
        const auto run = [&] {
            if (QAction* entry = action(*window, command))
                entry->trigger();
            else
                window->globalStatusButton()->click();
        };
        run();
        run();
        QList<QPointer<QDialog>> shown;
        for (QDialog* dialog : window->findChildren<QDialog*>()) {
            if (dialog->isVisible())
                shown << dialog;
        }
        QCOMPARE(shown.size(), 1);
        QVERIFY(!shown[0]->isModal());
        window->close();
        QVERIFY(!shown[0] || !shown[0]->isVisible());
    }

    // The open setup follows a switch to the spectrum; the tabulation follows the flights shown.
    void dialogsFollowThePlot()
    {
        auto window = open();
        DisplaySetupDialog* setup = openDisplaySetup(*window);
        action(*window, "actionTabulate")->trigger();
        auto* table = window->findChild<TabulateDialog*>();
        QVERIFY(!setup->findChild<QGroupBox*>("fftWindowGroupBox")->isEnabled());
        chooseParameter(*window, plot::kSpectrum);
        QVERIFY(setup->findChild<QGroupBox*>("fftWindowGroupBox")->isEnabled());
        QVERIFY(setup->findChild<QGroupBox*>("yAxisGroupBox")->isEnabled());
        QCOMPARE(table->table().tag, QStringLiteral("Selected Flight: Flight 3"));
        setup->flightGroup()->button(0)->click();
        QCOMPARE(table->table().tag, QStringLiteral("Selected Flight: Flight 8"));
        window->showHideDataSet(setup->flightGroup()->button(0));  // as the setup's box is, now unchecked
        window->setXGrid(true);
        chooseParameter(*window, 7);
        QVERIFY(setup->findChild<QCheckBox*>("xGridCheckBox")->isChecked());
        QVERIFY(!setup->flightGroup()->button(0)->isChecked());
    }

    // Two downloads of one engine both hold flight 8: the legend and the saved data tell them apart.
    void flightsWithTheSameNumberAreNamedApart()
    {
        auto earlier = std::make_shared<FlightRecord>(*flights[1]);
        earlier->header.creationTime = 1796737445;  // 2026.12.08 13:44:05 UTC
        auto later = std::make_shared<FlightRecord>(*flights[1]);
        later->header.creationTime = 1796737445 + 3600;
        auto window = open({earlier, later, flights[0]});
        QCOMPARE(window->chart()->seriesName(0), QStringLiteral("Flight 8 \u00b7 2026.12.08 13:44:05"));
        QCOMPARE(window->chart()->seriesName(1), QStringLiteral("Flight 8 \u00b7 2026.12.08 14:44:05"));
        QCOMPARE(window->chart()->seriesName(2), QStringLiteral("Flight 3"));
        env.prompts().fileAnswers << env.path() + "/twins";
        window->chart()->saveDataToFile();
        QCOMPARE(fileLines(env.path() + "/twins.dat").first(),
                 QStringLiteral("X\tFlight 8 - 2026.12.08 13:44:05\tFlight 8 - 2026.12.08 14:44:05\tFlight 3"));
    }

    // R resets the view wherever the focus is in the window; a zoomed bin axis keeps to whole numbers.
    void resetKeyAndWholeBinTicks()
    {
        auto window = open();
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const double home = window->chart()->xRangeShown().lower;
        window->chart()->setXRange(6.9, 8.1);
        auto* canvas = qobject_cast<QCustomPlot*>(window->chart()->canvas());
        canvas->replot();
        QCOMPARE(canvas->xAxis->tickVector(), (QVector<double>{7, 8}));
        QTest::keyClick(radio(*window, "steadyStateRadioButton"), Qt::Key_R);
        QCOMPARE(window->chart()->xRangeShown().lower, home);
    }

    // The first plot window opens where the last one closed; each further one 30 px beside the last one shown.
    void furtherWindowsCascade()
    {
        {
            auto stored = open();
            stored->setGeometry(140, 90, 800, 600);
            stored->close();
        }
        QWidget main;
        auto* first = new PlotMainWindow(&main, flights);
        QCOMPARE(first->geometry(), QRect(140, 90, 800, 600));
        first->show();
        auto* second = new PlotMainWindow(&main, flights);
        second->show();
        auto* third = new PlotMainWindow(&main, flights);
        QCOMPARE(second->geometry(), QRect(170, 120, 800, 600));
        QCOMPARE(third->geometry(), QRect(200, 150, 800, 600));
    }

    void helpAndClose()
    {
        auto window = open();
        action(*window, "actionUserInteractions")->trigger();
        QCOMPARE(env.prompts().calls.size(), 1);
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("User Interactions"));
        QVERIFY(env.prompts().calls[0].text.startsWith("<P><B>Translation:</B><BR>- Press Shift and hold down both"));
        QVERIFY(env.prompts().calls[0].text.endsWith("- All scaling, translation, and zooming will be reset.</P>"));

        chooseParameter(*window, 19);
        radio(*window, "transientRadioButton")->click();
        action(*window, "actionTOD_Top_Of_Descent")->trigger();
        window->setXGrid(true);
        action(*window, "actionExit")->trigger();
        QVERIFY(!window->isVisible());
        QCOMPARE(settings::integer(settings::Plot2D_PlotType), 1);
        QCOMPARE(settings::integer(settings::Plot2D_ParmType), 19);
        QCOMPARE(settings::integer(settings::Plot2D_TransientBinType), 1);
        QVERIFY(settings::flag(settings::Plot2D_XGrid));
        QVERIFY(!settings::value(settings::PlotWindowGeometry).toByteArray().isEmpty());

        // The next window opens where this one left off.
        auto next = open();
        QVERIFY(radio(*next, "transientRadioButton")->isChecked());
        QVERIFY(action(*next, "actionTR3B")->isChecked());
        QCOMPARE(next->chart()->footerLines(), QStringList{"TOD (Top Of Descent)"});
        QVERIFY(next->chart()->xGrid());
    }

    // At every size the window allows, the chart's texts and legend lie whole
    // inside it and apart, on screen and in the chart saved as PDF.
    void chartFitsEverySize_data()
    {
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("flightCount");
        for (int count : {1, 10}) {
            QTest::addRow("form's size, %d flights", count) << QSize(749, 566) << QSize(749, 566) << count;
            QTest::addRow("minimum size, %d flights", count) << QSize(640, 480) << QSize(640, 480) << count;
            QTest::addRow("1920 x 1200, %d flights", count) << QSize(1920, 1200) << QSize(1920, 1200) << count;
        }
        QTest::addRow("below the minimum") << QSize(500, 400) << QSize(640, 480) << 10;
    }
    void chartFitsEverySize()
    {
        QFETCH(QSize, asked);
        QFETCH(QSize, size);
        QFETCH(int, flightCount);
        auto window = open(tenFlights.mid(0, flightCount));
        chooseParameter(*window, 23);  // a spectrum: three header lines and a footer
        window->resize(asked);
        QApplication::processEvents();
        QCOMPARE(window->size(), size);
        const QSize needed = window->minimumSizeHint();  // what the form's widgets need
        QVERIFY(needed.width() <= 640 && needed.height() <= 480);

        XYPlot* chart = window->chart();
        const QList<XYPlot::Box> boxes = chart->layoutBoxes();
        QCOMPARE(boxes.size(), 4);  // header, footer, legend, plot
        for (const XYPlot::Box& box : boxes) {
            QVERIFY2(chart->canvas()->rect().contains(box.drawn), qPrintable(box.name));
            QVERIFY2(box.drawn.width() >= box.needed.width() && box.drawn.height() >= box.needed.height(),
                     qPrintable(box.name));
            for (const XYPlot::Box& other : boxes)
                QVERIFY2(&box == &other || !box.drawn.intersects(other.drawn), qPrintable(box.name + "/" + other.name));
        }

        const QString pdf = env.path() + "/fits.pdf";
        QCOMPARE(chart->saveImage(pdf, ImageFormat::Pdf), QString());
        const PdfText text = readPdfText(pdf);
        const QRectF page(QPointF(), text.page);
        for (const PdfWord& word : text.words) {
            QVERIFY2(page.contains(word.box), qPrintable(word.text));
            for (const PdfWord& other : text.words) {
                const QRectF overlap = word.box & other.box;
                QVERIFY2(&word == &other || overlap.width() < 0.5 || overlap.height() < 0.5,
                         qPrintable(word.text + " over " + other.text));
            }
        }
        const QStringList phrases = text.phraseTexts();
        for (int f = 21; f < 21 + flightCount; ++f)
            QVERIFY(phrases.contains(QStringLiteral("Flight %1").arg(f)));
    }

    // File > Print: the page shows the plot's texts as text, at their own sizes.
    void printsTheChart()
    {
        auto window = open();
        const QString pdf = env.path() + "/window.pdf";
        env.dialogs().onDialog = [&](QDialog& dialog) {
            QPrinter* printer = static_cast<QPrintDialog&>(dialog).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        };
        action(*window, "actionPrint")->trigger();
        const PdfText text = readPdfText(pdf);
        const QStringList phrases = text.phraseTexts();
        for (const QString expected :
             {"Steady State Data: Aircraft F-GABC / Engine 2", "Pre-Defect", "Flight 3", "Flight 8", "Bin #", "A4R"})
            QVERIFY2(phrases.contains(expected), qPrintable(expected + " not in " + phrases.join('|')));
        const QList<PdfWord> ticks = text.numbers();
        QVERIFY(ticks.size() >= 3);
        for (const PdfWord& tick : ticks)
            QVERIFY2(tick.box.height() <= 0.04 * text.page.height(), qPrintable(tick.text));
    }

    // Peaks and shaft orders on the spectrum: marks that follow the view, a table to copy and save.
    void peaksAndShaftOrders()
    {
        auto first = std::make_shared<FlightRecord>(*flights[0]);
        first->block.steadyParameters[9][0] = 60000;   // N1-4R: 1000 Hz
        first->block.steadyParameters[10][0] = 0;      // N2-4R missing: N2-3B
        first->block.steadyParameters[21][0] = 150000;  // 2500 Hz
        auto window = open({first, flights[1]});
        PlotTools* tools = window->tools();
        QVERIFY(!tools->peaksAction()->isEnabled());
        chooseParameter(*window, plot::kSpectrum);
        QVERIFY(!tools->peaksAction()->isChecked() && !tools->shaftOrdersAction()->isChecked());
        QCOMPARE(actionTexts(menu(*window, "menuData")).mid(1), (QStringList{"Peaks", "Shaft Orders"}));

        tools->shaftOrdersAction()->trigger();
        XYPlot* chart = window->chart();
        QStringList orders;
        for (const Annotation& mark : chart->annotations()) {
            orders << mark.label + " " + QString::number(mark.x);
            QCOMPARE(mark.color, chart->seriesStyle(0).color);
        }
        QCOMPARE(orders, (QStringList{"1×N1 1000", "2×N1 2000", "3×N1 3000", "1×N2 2500", "2×N2 5000", "3×N2 7500"}));

        tools->peaksAction()->trigger();
        PeakTableDialog* table = tools->peakTable();
        QVERIFY(table && table->isVisible());
        QCOMPARE(table->peaks().size(), 10);
        QCOMPARE(table->peaks().first().line, 300);  // 1430.5 Hz, in the default view
        chart->grab();  // labels are placed as the chart draws
        QVERIFY(chart->annotationLabelsShown().contains("1430.5 Hz\n" + formatG(table->peaks().first().amplitude, 3) + " g"));
        chart->setXRange(1500, 4500);
        QVERIFY(table->peaks().first().line != 300);

        env.prompts().fileAnswers << env.path() + "/peaks";
        table->save();
        const QString saved = fileLines(env.path() + "/peaks.csv").join('\n');
        QVERIFY(saved.startsWith("Flight,Rank,Line,Hz,G pk\nFlight 3,1,"));
        table->copy();
        QCOMPARE(QApplication::clipboard()->text(), saved);

        // A peak in the plot's top left corner keeps its label off the axes and their ticks, on paper as on screen.
        chart->setXRange(1428, 4500);
        chart->setYRange(0, 1.95);
        const QString pdf = env.path() + "/peaks.pdf";
        QCOMPARE(chart->saveImage(pdf, ImageFormat::Pdf), QString());
        const PdfText text = readPdfText(pdf);
        const auto* canvas = qobject_cast<QCustomPlot*>(chart->canvas());
        const double scale = text.page.width() / canvas->width();
        const int tick = canvas->yAxis->tickLengthIn();
        const QRect area = canvas->axisRect()->rect().adjusted(tick, tick, -tick, -tick);
        const QRectF inside(area.topLeft() * scale, area.size() * scale);
        const QList<PdfWord> labels = text.phrases();
        QVERIFY(std::any_of(labels.begin(), labels.end(), [](const PdfWord& w) { return w.text == "1430.5 Hz"; }));
        for (const PdfWord& label : labels)
            if (label.text.endsWith(" Hz") || label.text.endsWith(" g"))
                QVERIFY2(inside.contains(label.box), qPrintable(label.text));

        // Other plots have neither.
        chooseParameter(*window, plot::kTimeHistory);
        QVERIFY(!tools->peaksAction()->isEnabled());
        QVERIFY(chart->annotations().isEmpty());
        QVERIFY(table->peaks().isEmpty());
    }

    // A legend click shows or hides a flight as its display setup check box does, and the box follows.
    void legendClickHoverAndTwoCursors()
    {
        auto window = open();
        chooseParameter(*window, plot::kTimeHistory);
        XYPlot* chart = window->chart();
        DisplaySetupDialog* setup = openDisplaySetup(*window);
        emit chart->legendClicked(1);
        QVERIFY(!chart->seriesVisible(1));
        QVERIFY(!setup->flightGroup()->button(1)->isChecked());
        QVERIFY(!window->model().flightVisible(1));
        emit chart->legendClicked(1);
        QVERIFY(chart->seriesVisible(1) && setup->flightGroup()->button(1)->isChecked());

        // Hovering reads out as dragging does, once switched on.
        chart->setXRange(0, 1.2);
        chart->setSeriesVisible(1, false);
        const QPoint at = pixelOf(*window, 0, 4);
        QMouseEvent hover(QEvent::MouseMove, at, chart->canvas()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(chart->canvas(), &hover);
        QCOMPARE(chart->readoutText(), QString());
        chart->setHoverReadout(true);
        const int redraws = chart->redrawCount();
        QApplication::sendEvent(chart->canvas(), &hover);
        QCOMPARE(chart->readoutText(), QStringLiteral("Flight 3   X = 0.4096 (ms)   Y = -0.0428636 (Volt)"));
        QCOMPARE(chart->redrawCount(), redraws);  // the cursor layer alone is drawn again

        // Two clicks: the differences from the first point to the second.
        chart->setTwoCursors(true);
        moveWithLeftButton(chart, pixelOf(*window, 0, 2));
        QVERIFY(chart->cursorShown(0) && !chart->cursorShown(1));
        moveWithLeftButton(chart, pixelOf(*window, 0, 4));
        QVERIFY(chart->cursorShown(1));
        const std::vector<double>& y = chart->yValues(0);
        QCOMPARE(chart->deltaText(), "\u0394X = 0.2048   \u0394Y = " + formatG(y[4] - y[2]));
    }
};

QTEST_MAIN(PlotWindowTest)
#include "test_plot_window.moc"
