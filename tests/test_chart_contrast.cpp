// The chart's colour rule: which backgrounds are dark, the ink drawn on them,
// and the variants series colours take to stay 3:1 apart from them.

#include "plot/ChartContrast.h"

#include <QtTest>

Q_DECLARE_METATYPE(Rgb)

namespace {
const Rgb kBlack{0, 0, 0};
const Rgb kWhite{255, 255, 255};
}  // namespace

class ChartContrastTest : public QObject {
    Q_OBJECT
private slots:
    void luminanceAndContrast()
    {
        QCOMPARE(relativeLuminance(kBlack), 0.0);
        QCOMPARE(relativeLuminance(kWhite), 1.0);
        QCOMPARE(contrastRatio(kBlack, kWhite), 21.0);
        QCOMPARE(contrastRatio(kWhite, kBlack), 21.0);
        QVERIFY(std::abs(relativeLuminance({255, 0, 0}) - 0.2126) < 1e-12);
    }

    void colorsOnBackgrounds_data()
    {
        QTest::addColumn<Rgb>("background");
        QTest::addColumn<bool>("dark");
        QTest::addColumn<Rgb>("series");
        QTest::addColumn<bool>("kept");
        // The colour popup's backgrounds with the chart's first flight (blue) and its stacked spectra (red).
        QTest::newRow("white, blue kept") << Rgb{255, 255, 255} << false << Rgb{0, 0, 200} << true;
        QTest::newRow("dark blue, blue lightened") << Rgb{0, 0, 128} << true << Rgb{0, 0, 200} << false;
        QTest::newRow("dark blue, red kept") << Rgb{0, 0, 128} << true << Rgb{255, 0, 0} << true;
        QTest::newRow("black, dark red lightened") << Rgb{0, 0, 0} << true << Rgb{120, 0, 0} << false;
        QTest::newRow("dark gray, blue lightened") << Rgb{128, 128, 128} << true << Rgb{0, 0, 200} << false;
        QTest::newRow("light gray, cyan darkened") << Rgb{192, 192, 192} << false << Rgb{0, 150, 170} << false;
        // Luminance 0.5 lies between these two greys.
        QTest::newRow("grey just above one half") << Rgb{188, 188, 188} << false << Rgb{0, 0, 0} << true;
        QTest::newRow("grey just below one half") << Rgb{187, 187, 187} << true << Rgb{0, 0, 0} << true;
    }
    void colorsOnBackgrounds()
    {
        QFETCH(Rgb, background);
        QFETCH(bool, dark);
        QFETCH(Rgb, series);
        QFETCH(bool, kept);
        QCOMPARE(isDarkBackground(background), dark);
        const ChartInk ink = inkFor(background);
        QCOMPARE(ink.ink, dark ? kWhite : kBlack);
        QCOMPARE(relativeLuminance(ink.grid) > relativeLuminance(background), dark);
        QCOMPARE(relativeLuminance(ink.cursor) > relativeLuminance(ink.grid), dark);

        const Rgb drawn = seriesColorOn(series, background);
        QCOMPARE(drawn == series, kept);
        if (!kept) {
            // Moved towards the ink: lighter on a dark background, darker on a light one.
            QCOMPARE(relativeLuminance(drawn) > relativeLuminance(series), dark);
            QVERIFY(contrastRatio(drawn, background) >= kMinSeriesContrast);
        }
    }
};

QTEST_GUILESS_MAIN(ChartContrastTest)
#include "test_chart_contrast.moc"
