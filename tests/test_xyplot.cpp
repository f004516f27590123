// The chart: saving images and data, printing and copying, the gestures of
// the plot window's help text, picking and the texts around the plot.

#include "GuiTestEnvironment.h"
#include "PdfText.h"
#include "plot/ChartContrast.h"
#include "plot/ui/XYPlot.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalSpy>
#include <QtTest>

namespace {

// 2 series over X = 0..100: y = x and y = 100 - x.
void fill(XYPlot& chart)
{
    std::vector<double> x(101);
    std::vector<std::vector<double>> y(2, std::vector<double>(101));
    for (int i = 0; i <= 100; ++i) {
        x[i] = i;
        y[0][i] = i;
        y[1][i] = 100 - i;
    }
    chart.setData(x, y);
    chart.setSeriesNames({"Rising", "Falling"});
    chart.resetView();
}

void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent event(type, at, target->mapToGlobal(at), button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

// Presses the buttons in order at `from`, moves to `to`, releases them in the same order.
void drag(QWidget* target, QPoint from, QPoint to, QList<Qt::MouseButton> buttons, Qt::KeyboardModifiers modifiers)
{
    Qt::MouseButtons held;
    for (Qt::MouseButton button : buttons) {
        held |= button;
        mouse(target, QEvent::MouseButtonPress, from, button, held, modifiers);
    }
    const QPoint step = (to - from) / 4;
    for (int i = 1; i <= 4; ++i)
        mouse(target, QEvent::MouseMove, i == 4 ? to : from + step * i, Qt::NoButton, held, modifiers);
    for (Qt::MouseButton button : buttons) {
        held &= ~button;
        mouse(target, QEvent::MouseButtonRelease, to, button, held, modifiers);
    }
}

QByteArray head(const QString& path, int bytes)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.read(bytes);
}

bool near(double a, double b, double tolerance) { return std::abs(a - b) <= tolerance; }

}  // namespace

class XYPlotTest : public QObject {
    Q_OBJECT
    GuiTestEnvironment env;
    std::unique_ptr<XYPlot> chart;

    QPoint pixel(double x, double y) const { return chart->pixelOf(x, y).toPoint(); }

private slots:
    void init()
    {
        env.clearPrompts();
        chart = std::make_unique<XYPlot>();
        chart->resize(800, 500);
        chart->show();
        QVERIFY(QTest::qWaitForWindowExposed(chart.get()));
        fill(*chart);
    }
    void cleanup() { chart.reset(); }

    void savedImagesAreRealFiles_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QByteArray>("start");  // the file's first bytes; empty: load it as an image
        QTest::newRow("bitmap") << "Bitmap (*.bmp)" << "chart" << "chart.bmp" << QByteArray();
        QTest::newRow("png, upper case kept") << "PNG (*.png)" << "chart.PNG" << "chart.PNG" << QByteArray();
        QTest::newRow("jpg") << "JPG (*.jpg)" << "chart" << "chart.jpg" << QByteArray();
        QTest::newRow("svg") << "SVG (*.svg)" << "chart" << "chart.svg" << QByteArray("<?xml");
        QTest::newRow("pdf") << "PDF (*.pdf)" << "chart.pdf" << "chart.pdf" << QByteArray("%PDF-");
    }
    void savedImagesAreRealFiles()
    {
        QFETCH(QString, filter);
        QFETCH(QString, name);
        QFETCH(QString, saved);
        QFETCH(QByteArray, start);
        env.prompts().fileAnswers << env.path() + "/" + name;
        env.prompts().filterAnswers << filter;
        chart->saveAs();
        QCOMPARE(env.prompts().calls.size(), 1);  // the chooser, no failure
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Save Graph As..."));
        QCOMPARE(env.prompts().chooserDirs, QStringList{env.dataDir()});
        const QString path = env.path() + "/" + saved;
        if (start.isEmpty()) {
            const QImage image(path);
            QVERIFY2(!image.isNull(), qPrintable(path));
            QCOMPARE(image.size(), chart->canvas()->size());
        } else {
            QCOMPARE(head(path, start.size()), start);
        }
        if (saved.endsWith(".svg"))
            QVERIFY(head(path, 2000).contains("<svg"));
        QFile::remove(path);
    }

    void failedSavesAreTold_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("text");
        QTest::newRow("png") << "PNG (*.png)" << "Error saving as PNG!";
        QTest::newRow("jpg") << "JPG (*.jpg)" << "Error saving as JPG!";
        QTest::newRow("bitmap") << "Bitmap (*.bmp)" << "Failed to save to file!";
        QTest::newRow("svg") << "SVG (*.svg)" << "Failed to save to file!";
        QTest::newRow("pdf") << "PDF (*.pdf)" << "Failed to save to file!";
    }
    void failedSavesAreTold()
    {
        QFETCH(QString, filter);
        QFETCH(QString, text);
        env.prompts().fileAnswers << env.path() + "/no such folder/chart";
        env.prompts().filterAnswers << filter;
        chart->saveAs();
        QCOMPARE(env.prompts().calls.size(), 2);
        QCOMPARE(env.prompts().calls[1].title + "|" + env.prompts().calls[1].text, "Save As...|" + text);
    }

    void dataFileNamesAndContents()
    {
        env.prompts().fileAnswers << env.path() + "/values" << env.path() + "/VALUES.DAT";
        chart->saveDataToFile();
        chart->saveDataToFile();
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Save Data to File..."));
        QFile file(env.path() + "/values.dat");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split('\n');
        QCOMPARE(lines.size(), 103);
        QCOMPARE(lines[0], QStringLiteral("X\tRising\tFalling"));
        QCOMPARE(lines[4], QStringLiteral("3\t3\t97"));
        QVERIFY(QFileInfo::exists(env.path() + "/VALUES.DAT"));
        QVERIFY(!QFileInfo::exists(env.path() + "/VALUES.DAT.dat"));
    }

    // A printed page shows the chart's texts as text, at their own sizes.
    void printsThroughThePrintDialog()
    {
        chart->setHeaderLines({"Steady State Data: Aircraft F-GABC / Engine 2", "Pre-Defect"});
        chart->setFooterLines({"Bin #3"});
        chart->setAxisTitles("Bin #", "A4R");
        const QString pdf = env.path() + "/printed.pdf";
        env.dialogs().onDialog = [&](QDialog& dialog) {
            QPrinter* printer = static_cast<QPrintDialog&>(dialog).printer();
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        };
        chart->print();
        QCOMPARE(env.dialogs().dialogsRun, QStringList{"QPrintDialog"});
        QVERIFY(env.prompts().calls.isEmpty());
        const PdfText text = readPdfText(pdf);
        const QStringList phrases = text.phraseTexts();
        for (const QString expected :
             {"Steady State Data: Aircraft F-GABC / Engine 2", "Pre-Defect", "Bin #3", "Rising", "Falling", "Bin #", "A4R"})
            QVERIFY2(phrases.contains(expected), qPrintable(expected + " not in " + phrases.join('|')));
        const QList<PdfWord> ticks = text.numbers();
        QVERIFY(ticks.size() >= 3);
        for (const PdfWord& tick : ticks)
            QVERIFY2(tick.box.height() <= 0.04 * text.page.height(), qPrintable(tick.text));
    }

    void copiesAnImage()
    {
        QApplication::clipboard()->clear();
        chart->copy();
        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), chart->canvas()->size());
    }

    // On a dark background the texts and axes turn light and no series fades into it, in a saved image too.
    void darkBackgroundKeepsTheChartReadable()
    {
        chart->setHeaderLines({"Steady State Data: Aircraft F-GABC / Engine 2"});
        chart->setAxisTitles("Bin #", "A4R");
        chart->setSeriesStyle(0, {QColor(0, 0, 200), Qt::SolidLine, XYPlot::Marker::None});
        chart->setBackground(Qt::darkBlue);
        const QString path = env.path() + "/dark.png";
        QCOMPARE(chart->saveImage(path, ImageFormat::Png), QString());
        const QImage image(path);
        const Rgb background{0, 0, 128};
        const QColor series = chart->drawnColor(0);
        int light = 0;
        int seriesPixels = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                QVERIFY2(pixel.red() + pixel.green() + pixel.blue() > 60, "nothing black is left");
                light += pixel.lightness() > 200;
                seriesPixels += pixel == series;
            }
        }
        QVERIFY(light > 500);  // texts, ticks, axes
        QVERIFY(seriesPixels > 100);
        QVERIFY(contrastRatio({series.red(), series.green(), series.blue()}, background) >= kMinSeriesContrast);
    }

    void contextMenuOffersTheChartCommands()
    {
        auto* menu = chart->findChild<QMenu*>();
        QVERIFY(menu);
        QStringList texts;
        QSet<QChar> keys;  // access keys, unique within the menu
        for (QAction* action : menu->actions()) {
            const int amp = action->text().indexOf('&');
            if (amp >= 0) {
                const QChar key = action->text().at(amp + 1).toLower();
                QVERIFY2(!keys.contains(key), qPrintable(action->text()));
                keys.insert(key);
            }
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text().remove('&'));
        }
        QCOMPARE(texts, (QStringList{"Save Graph As...", "Save Data to File...", "Copy", "Print", "Reset", "-", "Fit All",
                                     "Auto Y", "Back", "Forward", "-", "Hover Readout", "Two Cursors"}));
    }

    void textsAreReadBack()
    {
        chart->setHeaderLines({"Steady State Data: Aircraft F-GABC / Engine 2", "Pre-Defect"});
        chart->setFooterLines({"Bin #3"});
        chart->setAxisTitles("Bin #", "A4R");
        chart->setXValueLabels({{1, "TOC"}, {2, "TOD"}});
        QCOMPARE(chart->headerLines(), (QStringList{"Steady State Data: Aircraft F-GABC / Engine 2", "Pre-Defect"}));
        QCOMPARE(chart->footerLines(), QStringList{"Bin #3"});
        QCOMPARE(chart->xAxisTitle(), QStringLiteral("Bin #"));
        QCOMPARE(chart->yAxisTitle(), QStringLiteral("A4R"));
        QCOMPARE(chart->xTickLabels(), (QStringList{"TOC", "TOD"}));
        chart->setXValueLabels({});
        QVERIFY(chart->xTickLabels().isEmpty());
        chart->setFooterLines({});
        QVERIFY(chart->footerLines().isEmpty());
    }

    // A chart without legend (stacked spectra) gives the legend's room to the plot.
    void legendTakesRoomOnlyWhenShown()
    {
        const auto plotWidth = [&] { return chart->pixelOf(100, 0).x() - chart->pixelOf(0, 0).x(); };
        const double withLegend = plotWidth();
        chart->setLegendVisible(false);
        QVERIFY(plotWidth() > withLegend + 40);
        chart->setLegendVisible(true);
        QCOMPARE(plotWidth(), withLegend);

        // 26 unnamed-in-legend series leave the header and footer their room.
        chart->setData(std::vector<double>(101, 1.0), std::vector<std::vector<double>>(26, std::vector<double>(101)));
        chart->setSeriesNames(QStringList(26, "Bin"));
        chart->setLegendVisible(false);
        chart->setHeaderLines({"Steady State Frequency Spectra: Aircraft F-GABC / Engine 2", "Pre-Defect", "Window: None"});
        chart->setFooterLines({"Flight # 3"});
        QVERIFY(chart->pixelOf(0, chart->yRangeShown().upper).y() > 45);
        QVERIFY(chart->pixelOf(0, chart->yRangeShown().lower).y() < chart->height() - 45);
    }

    void pickFindsTheNearestShownPoint()
    {
        XYPlot::Pick pick = chart->pick(pixel(30, 31));
        QVERIFY(pick.inPlotArea);
        QCOMPARE(pick.series, 0);
        QCOMPARE(pick.point, 30);  // or 31: both lie on the line; the pixel is nearer to 30
        QVERIFY(pick.pointInPlotArea);
        chart->setSeriesVisible(0, false);
        pick = chart->pick(pixel(30, 31));
        QCOMPARE(pick.series, 1);
        QVERIFY(!chart->pick(QPoint(2, 2)).inPlotArea);
        // Zoomed in, the nearest point may lie outside the plotting area.
        chart->setXRange(40, 41);
        chart->setYRange(0, 1);
        pick = chart->pick(pixel(40.5, 0.5));
        QVERIFY(pick.inPlotArea);
        QVERIFY(!pick.pointInPlotArea);
    }

    void markersAndReadout()
    {
        chart->showMarkers(1, 20);
        chart->showReadout("Falling   X = 20   Y = 80", Qt::yellow);
        QVERIFY(chart->markersShown());
        QCOMPARE(chart->readoutText(), QStringLiteral("Falling   X = 20   Y = 80"));
        QCOMPARE(chart->readoutBackground(), QColor(Qt::yellow));
        chart->hideMarkers();
        chart->hideReadout();
        QVERIFY(!chart->markersShown());
        QCOMPARE(chart->readoutText(), QString());
    }

    void aSuspendedChartDrawsOnceWhenResumed()
    {
        const int before = chart->redrawCount();
        {
            RedrawSuspension outer(*chart);
            fill(*chart);
            RedrawSuspension inner(*chart);
            chart->setXGrid(true);
            chart->setBackground(Qt::darkBlue);
        }
        QCOMPARE(chart->redrawCount(), before + 1);
    }

    void leftDragAloneMovesTheCursorReadout()
    {
        QSignalSpy moves(chart.get(), &XYPlot::mouseMove);
        QWidget* canvas = chart->canvas();
        drag(canvas, pixel(10, 10), pixel(50, 50), {Qt::LeftButton}, Qt::NoModifier);
        QCOMPARE(moves.size(), 4);
        QCOMPARE(moves.last().first().toPoint(), pixel(50, 50));
        moves.clear();
        const XRange before = chart->xRangeShown();
        drag(canvas, pixel(10, 10), pixel(10, 10) + QPoint(2, 2), {Qt::LeftButton}, Qt::ShiftModifier);  // a slip, no zoom
        drag(canvas, pixel(10, 10), pixel(50, 50), {Qt::RightButton}, Qt::NoModifier);
        QCOMPARE(moves.size(), 0);
        QCOMPARE(chart->xRangeShown().lower, before.lower);
    }

    void zoomGestures()
    {
        QWidget* canvas = chart->canvas();
        // Ctrl + left drag: into the rectangle.
        drag(canvas, pixel(20, 60), pixel(40, 30), {Qt::LeftButton}, Qt::ControlModifier);
        QVERIFY(near(chart->xRangeShown().lower, 20, 0.5) && near(chart->xRangeShown().upper, 40, 0.5));
        QVERIFY(near(chart->yRangeShown().lower, 30, 0.5) && near(chart->yRangeShown().upper, 60, 0.5));

        // R: back to the default view, and the key is told.
        QSignalSpy resets(chart.get(), qOverload<QChar>(&XYPlot::reset));
        QTest::keyClick(canvas, Qt::Key_R);
        QCOMPARE(resets.size(), 1);
        QCOMPARE(resets[0][0].value<QChar>(), QChar('r'));
        const XRange home = chart->xRangeShown();
        const XRange homeY = chart->yRangeShown();
        QVERIFY(near(home.lower, 0, 1e-9) && near(home.upper, 100, 1e-9));

        // Shift + left drag: one axis, the one dragged along.
        chart->setAutoY(false);
        drag(canvas, pixel(20, 50), pixel(60, 45), {Qt::LeftButton}, Qt::ShiftModifier);
        QVERIFY(near(chart->xRangeShown().lower, 20, 0.5) && near(chart->xRangeShown().upper, 60, 0.5));
        QCOMPARE(chart->yRangeShown().lower, homeY.lower);
        chart->reset();
        drag(canvas, pixel(50, 70), pixel(52, 20), {Qt::LeftButton}, Qt::ShiftModifier);
        QVERIFY(near(chart->yRangeShown().lower, 20, 0.5) && near(chart->yRangeShown().upper, 70, 0.5));
        QCOMPARE(chart->xRangeShown().lower, home.lower);
        chart->reset();

        // Shift + both buttons: the chart follows the mouse.
        drag(canvas, pixel(50, 50), pixel(40, 40), {Qt::LeftButton, Qt::RightButton}, Qt::ShiftModifier);
        QVERIFY(near(chart->xRangeShown().lower, home.lower + 10, 0.5));
        QVERIFY(near(chart->yRangeShown().lower, homeY.lower + 10, 0.5));
        QVERIFY(near(chart->xRangeShown().upper - chart->xRangeShown().lower, 100, 1e-6));
        chart->reset();

        // Ctrl + both buttons: down zooms in, up zooms out.
        const QPoint middle = pixel(50, 50);
        drag(canvas, middle, middle + QPoint(0, 40), {Qt::LeftButton, Qt::RightButton}, Qt::ControlModifier);
        const double zoomedIn = chart->xRangeShown().upper - chart->xRangeShown().lower;
        QVERIFY(zoomedIn < 80);
        chart->reset();
        drag(canvas, middle, middle - QPoint(0, 40), {Qt::LeftButton, Qt::RightButton}, Qt::ControlModifier);
        QVERIFY(chart->xRangeShown().upper - chart->xRangeShown().lower > 120);
        chart->reset();

        // The wheel zooms in around the cursor: the value under it stays put.
        chart->setAutoY(false);
        const QPoint at = pixel(25, 75);
        QWheelEvent wheel(at, canvas->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
        QVERIFY(chart->xRangeShown().upper - chart->xRangeShown().lower < 90);
        QVERIFY(near(chart->pixelOf(25, 75).x(), at.x(), 1.0));
        QVERIFY(near(chart->pixelOf(25, 75).y(), at.y(), 1.0));
    }

    // A line through more points than pixels still reaches each column's extremes.
    void denseLinesKeepTheirExtremes()
    {
        std::vector<double> x(4096);
        std::vector<std::vector<double>> y(1, std::vector<double>(4096));
        for (int i = 0; i < 4096; ++i) {
            x[i] = i;
            y[0][i] = i % 2 ? 1.0 : -1.0;
        }
        chart->setData(x, y);
        chart->setSeriesStyle(0, {Qt::red, Qt::DashLine, XYPlot::Marker::None});
        chart->setLegendVisible(false);
        chart->resetView();
        const QImage image = chart->canvas()->grab().toImage();
        int columns = 0;
        for (int px = int(chart->pixelOf(100, 0).x()); px < int(chart->pixelOf(4000, 0).x()); px += 7, ++columns) {
            const int top = int(std::lround(chart->pixelOf(0, 1).y()));
            const int bottom = int(std::lround(chart->pixelOf(0, -1).y()));
            QCOMPARE(image.pixelColor(px, top), QColor(Qt::red));
            QCOMPARE(image.pixelColor(px, bottom), QColor(Qt::red));
            QCOMPARE(image.pixelColor(px, (top + bottom) / 2), QColor(Qt::red));
        }
        QVERIFY(columns > 50);
    }

    // The default view: the fixed X range if there is one, and the shown values within it.
    void defaultView()
    {
        chart->setDefaultXRange(XRange{10, 20});
        chart->resetView();
        QCOMPARE(chart->xRangeShown().lower, 10.0);
        QCOMPARE(chart->xRangeShown().upper, 20.0);
        QVERIFY(chart->yRangeShown().lower < 10 && chart->yRangeShown().lower > 0);
        QVERIFY(chart->yRangeShown().upper > 90);  // the falling series
        chart->setSeriesVisible(1, false);
        chart->resetView();
        QVERIFY(chart->yRangeShown().upper < 21);
        chart->setYLog(true);
        chart->resetView();
        QVERIFY(chart->yLog());
        QVERIFY(chart->yRangeShown().lower > 0);

        // Values that cannot be drawn take no part in the scale.
        chart->setYLog(false);
        chart->setDefaultXRange(std::nullopt);
        chart->setData({1, 2, 3, 4, 5}, {{1, qQNaN(), 3, 3.4e38, -qInf()}});
        chart->resetView();
        QVERIFY(chart->yRangeShown().lower > 0.8 && chart->yRangeShown().upper < 3.2);
    }

    // While "Auto Y" is on the values follow the X range: zooms and pans along X
    // keep it on, those that set Y turn it off.
    void autoYFollowsTheXRange_data()
    {
        QTest::addColumn<QPointF>("from");
        QTest::addColumn<QPointF>("to");
        QTest::addColumn<bool>("bothButtons");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("autoYAfter");
        QTest::newRow("X-axis zoom") << QPointF(20, 50) << QPointF(60, 49) << false << int(Qt::ShiftModifier) << true;
        QTest::newRow("Y-axis zoom") << QPointF(50, 70) << QPointF(52, 20) << false << int(Qt::ShiftModifier) << false;
        QTest::newRow("rectangle") << QPointF(20, 60) << QPointF(40, 30) << false << int(Qt::ControlModifier) << false;
        QTest::newRow("pan along X") << QPointF(50, 50) << QPointF(30, 50) << true << int(Qt::ShiftModifier) << true;
        QTest::newRow("pan up") << QPointF(50, 50) << QPointF(50, 30) << true << int(Qt::ShiftModifier) << false;
        QTest::newRow("scale in") << QPointF(50, 50) << QPointF(50, 30) << true << int(Qt::ControlModifier) << true;
    }
    void autoYFollowsTheXRange()
    {
        QFETCH(QPointF, from);
        QFETCH(QPointF, to);
        QFETCH(bool, bothButtons);
        QFETCH(int, modifiers);
        QFETCH(bool, autoYAfter);
        QVERIFY(chart->autoY());
        QList<Qt::MouseButton> buttons{Qt::LeftButton};
        if (bothButtons)
            buttons << Qt::RightButton;
        drag(chart->canvas(), pixel(from.x(), from.y()), pixel(to.x(), to.y()), buttons,
             Qt::KeyboardModifiers(modifiers));
        QCOMPARE(chart->autoY(), autoYAfter);
        // The values of both lines within the X range shown, 5 % wider on either side.
        const double first = std::max(std::ceil(chart->xRangeShown().lower), 0.0);
        const double last = std::min(std::floor(chart->xRangeShown().upper), 100.0);
        const double lower = std::min(first, 100 - last);
        const double upper = std::max(last, 100 - first);
        const bool followed = near(chart->yRangeShown().lower, lower - (upper - lower) * 0.05, 1e-9)
                              && near(chart->yRangeShown().upper, upper + (upper - lower) * 0.05, 1e-9);
        QCOMPARE(followed, autoYAfter);

        // Fit All (A) and Reset turn it on again.
        QApplication::setActiveWindow(chart.get());
        QTest::keyClick(chart->canvas(), Qt::Key_A);
        QVERIFY(chart->autoY());
        QCOMPARE(chart->xRangeShown().lower, 0.0);
        QCOMPARE(chart->xRangeShown().upper, 100.0);
        chart->setYRange(10, 20);
        QVERIFY(!chart->autoY());
        chart->reset();
        QVERIFY(chart->autoY());
        QCOMPARE(chart->yRangeShown().lower, -5.0);
    }

    void backAndForwardThroughTheViews()
    {
        QWidget* canvas = chart->canvas();
        QApplication::setActiveWindow(chart.get());
        const auto shown = [&] { return std::pair(std::lround(chart->xRangeShown().lower), std::lround(chart->xRangeShown().upper)); };
        drag(canvas, pixel(20, 50), pixel(60, 50), {Qt::LeftButton}, Qt::ShiftModifier);
        drag(canvas, pixel(30, 50), pixel(40, 50), {Qt::LeftButton}, Qt::ShiftModifier);
        QCOMPARE(shown(), std::pair(30L, 40L));
        QTest::keyClick(canvas, Qt::Key_Backspace);
        QCOMPARE(shown(), std::pair(20L, 60L));
        QTest::keyClick(canvas, Qt::Key_Backspace);
        QCOMPARE(shown(), std::pair(0L, 100L));
        QVERIFY(!chart->back());
        QTest::keyClick(canvas, Qt::Key_Backspace, Qt::ShiftModifier);
        QCOMPARE(shown(), std::pair(20L, 60L));
        // A Y zoom recorded with the view: going back and forward restores it with Auto Y off.
        drag(canvas, pixel(50, 70), pixel(51, 30), {Qt::LeftButton}, Qt::ShiftModifier);
        const XRange zoomedY = chart->yRangeShown();
        QVERIFY(!chart->forward());
        QVERIFY(chart->back());
        QVERIFY(chart->autoY());
        QVERIFY(chart->forward());
        QVERIFY(!chart->autoY());
        QCOMPARE(chart->yRangeShown().lower, zoomedY.lower);
        // New data start a new history.
        fill(*chart);
        QVERIFY(!chart->back());
    }

    void legendEntriesAreClickable()
    {
        QSignalSpy clicks(chart.get(), &XYPlot::legendClicked);
        chart->setSeriesVisible(1, false);
        chart->redraw();
        QApplication::processEvents();
        // The hidden series keeps its entry: the lower of the two in the legend's column.
        QRect legend;
        for (const XYPlot::Box& box : chart->layoutBoxes())
            if (box.name == "legend")
                legend = box.drawn;
        QVERIFY(!legend.isEmpty());
        const QPoint secondEntry(legend.center().x(), legend.top() + legend.height() * 3 / 4);
        mouse(chart->canvas(), QEvent::MouseButtonPress, secondEntry, Qt::LeftButton, Qt::LeftButton);
        mouse(chart->canvas(), QEvent::MouseButtonRelease, secondEntry, Qt::LeftButton, Qt::NoButton);
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks[0][0].toInt(), 1);
    }
};

QTEST_MAIN(XYPlotTest)
#include "test_xyplot.moc"
