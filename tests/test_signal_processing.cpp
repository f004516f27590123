// Transforms, windows, spectra and the correction table.

#include "SampleFlights.h"
#include "TestEnvironment.h"
#include "flights/CorrectionTable.h"
#include "flights/Fft.h"
#include "flights/Spectrum.h"
#include "flights/Trigonometry.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>
#include <algorithm>
#include <bit>
#include <cmath>
#include <thread>

namespace {

std::vector<std::complex<double>> directDft(const std::vector<double>& x)
{
    const int n = int(x.size());
    std::vector<std::complex<double>> y(n / 2);
    for (int k = 0; k < n / 2; ++k)
        for (int i = 0; i < n; ++i)
            y[k] += x[i] * std::polar(1.0, -2.0 * M_PI * double(k) * i / n);
    return y;
}

std::vector<double> randomSignal(int n, quint32 seed)
{
    QRandomGenerator random(seed);
    std::vector<double> x(n);
    for (double& v : x)
        v = random.bounded(2.0) - 1.0;
    return x;
}

// A sine of the given amplitude exactly on bin k.
std::vector<double> sine(double amplitude, int k, double phase = 0.3)
{
    std::vector<double> x(sampling::kSamples);
    for (int i = 0; i < sampling::kSamples; ++i)
        x[i] = amplitude * std::sin(2.0 * M_PI * k * i / sampling::kSamples + phase);
    return x;
}

// Runs the transforms on one instruction set until destroyed, then on the one before.
class InstructionsInUse {
public:
    explicit InstructionsInUse(FftInstructions set) : previous_(fftInstructions()), available_(useFftInstructions(set)) {}
    ~InstructionsInUse() { useFftInstructions(previous_); }
    bool available() const { return available_; }

private:
    FftInstructions previous_;
    bool available_;
};

// Rows of transform orders for each instruction set; a set the processor lacks skips its rows.
void addOrderRowsForEachSet(std::initializer_list<int> orders)
{
    QTest::addColumn<int>("order");
    QTest::addColumn<FftInstructions>("instructions");
    for (FftInstructions set : {FftInstructions::Baseline, FftInstructions::Avx2Fma}) {
        for (int order : orders)
            QTest::addRow("%s, %d points", set == FftInstructions::Baseline ? "baseline" : "AVX2/FMA", 1 << order)
                << order << set;
    }
}

}  // namespace

Q_DECLARE_METATYPE(FftInstructions)

class SignalProcessingTest : public QObject {
    Q_OBJECT
    TestEnvironment env;

    QString writeTable(const QString& text)
    {
        const QString path = env.path() + "/table.csv";
        QFile file(path);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(text.toLatin1());
        return path;
    }

private slots:
    // Before any test picks a set: the transforms run on the best one the processor has.
    void initTestCase()
    {
        const bool avx2 = fftInstructionsAvailable(FftInstructions::Avx2Fma);
        QCOMPARE(fftInstructions(), avx2 ? FftInstructions::Avx2Fma : FftInstructions::Baseline);
    }
    void init() { env.prompts().clear(); }

    // Orders on both sides of the smallest transform each vector kernel takes
    // (16 points for 4 lanes, 64 for 8), and the one the spectra use.
    void realTransformMatchesADirectTransform_data() { addOrderRowsForEachSet({11, 8, 7, 6, 5, 4, 1}); }
    void realTransformMatchesADirectTransform()
    {
        QFETCH(int, order);
        QFETCH(FftInstructions, instructions);
        const InstructionsInUse inUse(instructions);
        if (!inUse.available())
            QSKIP("the processor lacks these instructions");
        const std::vector<double> x = randomSignal(1 << order, 7 + order);
        std::vector<float> input(x.begin(), x.end());
        std::vector<ComplexF> y(x.size() / 2);
        realFft(input.data(), y.data(), order);
        input.assign(x.begin(), x.end());
        std::vector<float> magnitudes(x.size() / 2);
        realFftMagnitudes(input.data(), magnitudes.data(), order);
        const auto expected = directDft(x);
        double peak = 0, worst = 0, worstMagnitude = 0;
        for (std::size_t k = 0; k < y.size(); ++k) {
            peak = std::max(peak, std::abs(expected[k]));
            worst = std::max(worst, std::abs(std::complex<double>(y[k].real(), y[k].imag()) - expected[k]));
            worstMagnitude = std::max(worstMagnitude, std::abs(magnitudes[k] - std::abs(expected[k])));
        }
        QVERIFY2(worst <= 1e-5 * peak * order, qPrintable(QString::number(worst / peak)));
        QVERIFY2(worstMagnitude <= 1e-5 * peak * order, qPrintable(QString::number(worstMagnitude / peak)));
    }

    void complexTransformMatchesADirectTransform_data() { addOrderRowsForEachSet({10, 7, 6, 5, 4, 3, 1}); }
    void complexTransformMatchesADirectTransform()
    {
        QFETCH(int, order);
        QFETCH(FftInstructions, instructions);
        const InstructionsInUse inUse(instructions);
        if (!inUse.available())
            QSKIP("the processor lacks these instructions");
        const int n = 1 << order;
        const std::vector<double> re = randomSignal(n, 1), im = randomSignal(n, 2);
        std::vector<ComplexF> x(n);
        for (int i = 0; i < n; ++i)
            x[i] = ComplexF(float(re[i]), float(im[i]));
        complexFft(x.data(), order);
        for (int k = 0; k < n; ++k) {
            std::complex<double> sum;
            for (int i = 0; i < n; ++i)
                sum += std::complex<double>(re[i], im[i]) * std::polar(1.0, -2.0 * M_PI * double(k) * i / n);
            QVERIFY2(std::abs(std::complex<double>(x[k].real(), x[k].imag()) - sum) < 1e-5 * n,
                     qPrintable(QStringLiteral("line %1").arg(k)));
        }
    }

    // The processor's best instructions and the baseline give the same spectra, bit for bit.
    void instructionSetsGiveIdenticalSpectra_data()
    {
        QTest::addColumn<std::vector<double>>("signal");
        QTest::addColumn<int>("window");
        QTest::newRow("sine, none") << sine(0.25, 40) << int(FftWindowNone);
        QTest::newRow("sine, hanning") << sine(0.25, 100) << int(FftWindowHanning);
        QTest::newRow("sine, hamming") << sine(0.25, 7) << int(FftWindowHamming);
        QTest::newRow("noise, hanning") << randomSignal(sampling::kSamples, 11) << int(FftWindowHanning);
        QTest::newRow("silence") << std::vector<double>(sampling::kSamples, 0.0) << int(FftWindowNone);
    }
    void instructionSetsGiveIdenticalSpectra()
    {
        QFETCH(std::vector<double>, signal);
        QFETCH(int, window);
        if (!fftInstructionsAvailable(FftInstructions::Avx2Fma))
            QSKIP("the processor lacks AVX2/FMA");
        std::vector<qint16> counts(sampling::kSamples);
        for (int i = 0; i < sampling::kSamples; ++i)
            counts[i] = qint16(std::lround(signal[i] / sampling::kCountScale));
        const auto spectraOn = [&](FftInstructions set) {
            const InstructionsInUse inUse(set);
            std::vector<double> spectra = plotSpectrum(signal.data(), window, CorrectionTable());
            exportSpectrum(counts.data(), window == FftWindowHanning, spectra);
            return spectra;
        };
        const std::vector<double> baseline = spectraOn(FftInstructions::Baseline);
        const std::vector<double> dispatched = spectraOn(FftInstructions::Avx2Fma);
        const auto differing = std::mismatch(baseline.begin(), baseline.end(), dispatched.begin());
        if (differing.first != baseline.end())
            QFAIL(qPrintable(QStringLiteral("value %1: %2 and %3")
                                 .arg(differing.first - baseline.begin())
                                 .arg(*differing.first, 0, 'g', 17)
                                 .arg(*differing.second, 0, 'g', 17)));
    }

    // An export on the baseline kernel and the C library's variants for
    // processors without AVX2 and FMA writes what the best ones write.
    void exportIsTheSameOnEveryProcessor()
    {
        const QString raw =
            writeSampleRawFile(env.dataRoot(), "F-GABC", 4, "ESN123456-fd-20110305-1425.raw", {{3, 0}, {5, 1}});
        const auto exported = [&](const QString& name, const QString& tunables) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("HOME", env.path() + "/home");
            environment.insert("XDG_CONFIG_HOME", env.path() + "/settings");
            environment.insert("TOLM_FIXED_CLOCK", "2026-03-05T14:25:00");
            if (!tunables.isEmpty())
                environment.insert("GLIBC_TUNABLES", tunables);
            QProcess cli;
            cli.setProcessEnvironment(environment);
            const QString out = env.path() + '/' + name;
            cli.start(QStringLiteral(TOLM_CLI_PATH), {"export", "--out", out, raw + ":3", raw + ":5"});
            if (!cli.waitForFinished(120000) || cli.exitCode() != 0)
                qWarning() << cli.readAllStandardError();
            QMap<QString, QByteArray> files;
            for (QDirIterator it(out, QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
                QFile file(it.next());
                file.open(QIODevice::ReadOnly);
                files.insert(file.fileName().mid(out.size()), file.readAll());
            }
            return files;
        };
        const QMap<QString, QByteArray> best = exported("best", {});
        const QMap<QString, QByteArray> baseline = exported("baseline", "glibc.cpu.hwcaps=-AVX2,-FMA");
        QCOMPARE(best.size(), 30);
        QCOMPARE(baseline.keys(), best.keys());
        for (const QString& name : best.keys())
            QVERIFY2(baseline[name] == best[name], qPrintable(name));
    }

    // Table arguments where the C library's variants for different processors
    // disagree, and results next to a multiple of pi/2.
    void tableTrigonometryIsCorrectlyRounded_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("sine");
        QTest::addColumn<double>("cosine");
        QTest::newRow("pi 3910/4096") << 0x1.7fdd04a90948cp+1 << 0x1.232d978aed415p-3 << -0x1.facc79de6c44fp-1;
        QTest::newRow("pi 487/4096") << 0x1.7e7d28ea6d8e4p-2 << 0x1.75a8156ed4edfp-2 << 0x1.dcb234e7d3d49p-1;
        QTest::newRow("pi 2317/8192") << 0x1.c6f11f735a184p-1 << 0x1.8d654f75eec8fp-1 << 0x1.42d50a669b3b9p-1;
        QTest::newRow("pi/2") << 0x1.921fb54442d18p+0 << 1.0 << 0x1.1a62633145c07p-54;
        QTest::newRow("-pi") << -0x1.921fb54442d18p+1 << -0x1.1a62633145c07p-53 << -1.0;
    }
    void tableTrigonometryIsCorrectlyRounded()
    {
        QFETCH(double, x);
        QFETCH(double, sine);
        QFETCH(double, cosine);
        // Bit patterns: QCOMPARE of doubles would forgive the last bits.
        QCOMPARE(std::bit_cast<quint64>(correctlyRoundedSin(x)), std::bit_cast<quint64>(sine));
        QCOMPARE(std::bit_cast<quint64>(correctlyRoundedCos(x)), std::bit_cast<quint64>(cosine));
    }

    void sineGivesItsAmplitudeAtItsBin_data()
    {
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("bin");
        QTest::newRow("none") << int(FftWindowNone) << 40;
        QTest::newRow("hanning") << int(FftWindowHanning) << 100;
        QTest::newRow("hamming") << int(FftWindowHamming) << 7;
        QTest::newRow("type 5 is none") << 5 << 300;
    }
    void sineGivesItsAmplitudeAtItsBin()
    {
        QFETCH(int, window);
        QFETCH(int, bin);
        const double amplitude = 0.25;
        const std::vector<double> spectrum = plotSpectrum(sine(amplitude, bin).data(), window, CorrectionTable());
        QCOMPARE(int(spectrum.size()), 1024);
        const double expected = bin * sampling::kVelocityToG * amplitude;
        QVERIFY2(std::abs(spectrum[bin] - expected) < 1e-4 * expected,
                 qPrintable(QStringLiteral("%1 vs %2").arg(spectrum[bin]).arg(expected)));
        QCOMPARE(spectrum[0], 0.0);
        if (window == 5)
            QCOMPARE(spectrum, plotSpectrum(sine(amplitude, bin).data(), FftWindowNone, CorrectionTable()));
    }

    void silenceGivesZeros()
    {
        const std::vector<double> zeros(sampling::kSamples, 0.0);
        for (int window : {0, 1, 2})
            QCOMPARE(plotSpectrum(zeros.data(), window, CorrectionTable()), std::vector<double>(1024, 0.0));
        std::vector<qint16> counts(sampling::kSamples, 0);
        std::vector<double> out{42.0};
        exportSpectrum(counts.data(), true, out);
        QCOMPARE(out.size(), std::size_t(1025));
        QCOMPARE(out[0], 42.0);
        QCOMPARE(std::vector<double>(out.begin() + 1, out.end()), std::vector<double>(1024, 0.0));
    }

    void exportSpectrumOfASine()
    {
        // Counts of sines at bins 64 and 1; the Hann export drops bins 0 and 1.
        std::vector<qint16> counts(sampling::kSamples);
        for (int i = 0; i < sampling::kSamples; ++i)
            counts[i] = qint16(std::lround(10000 * std::sin(2.0 * M_PI * 64 * i / sampling::kSamples)
                                           + 2000 * std::sin(2.0 * M_PI * i / sampling::kSamples) + 3000));
        for (bool hann : {false, true}) {
            std::vector<double> out;
            exportSpectrum(counts.data(), hann, out);
            const double expected = 64 * sampling::kVelocityToG * 10000 * sampling::kCountScale;
            QVERIFY(std::abs(out[64] - expected) < 1e-3 * expected);
            QCOMPARE(out[0], 0.0);
            QCOMPARE(out[1] == 0.0, hann);
        }
    }

    void tablesAreSafeToShareBetweenThreads()
    {
        const std::vector<double> x = sine(1.0, 33);
        const std::vector<double> reference = plotSpectrum(x.data(), FftWindowHanning, CorrectionTable());
        std::vector<std::vector<double>> results(4);
        std::vector<std::thread> threads;
        for (auto& result : results)
            threads.emplace_back([&] {
                for (int i = 0; i < 50; ++i)
                    result = plotSpectrum(x.data(), FftWindowHanning, CorrectionTable());
            });
        for (auto& thread : threads)
            thread.join();
        for (const auto& result : results)
            QCOMPARE(result, reference);
    }

    void correctionTableFile()
    {
        const CorrectionTable table(writeTable("Bin;Freq;Factor\n3;14.3;2.5\n3;14.3;4\nx;1;0.5\n7;33\n9;;1.5\n"));
        QCOMPARE(table.factor(3), 4.0);   // the later line wins
        QCOMPARE(table.factor(0), 0.5);   // a non-numeric bin files under bin 0
        QCOMPARE(table.factor(7), 1.0);   // too few fields: skipped
        QCOMPARE(table.factor(9), 1.5);   // an empty second field is kept
        QCOMPARE(table.factor(500), 1.0);
        QVERIFY(env.prompts().calls.isEmpty());

        QCOMPARE(CorrectionTable(writeTable("Bin;Freq;Factor\n")).factor(1), 1.0);

        const QString missing = env.path() + "/none.csv";
        const CorrectionTable absent(missing);
        QCOMPARE(absent.factor(10), 1.0);
        QCOMPARE(env.prompts().calls.size(), 1);
        QCOMPARE(env.prompts().calls[0].title, QStringLiteral("Error"));
        QVERIFY(env.prompts().calls[0].text.startsWith("Cannot open " + missing + ": "));

        const std::vector<double> x = sine(0.5, 3);
        QCOMPARE(plotSpectrum(x.data(), 0, table)[3], 4.0 * plotSpectrum(x.data(), 0, CorrectionTable())[3]);
    }

    void shippedTableIsNeutral()
    {
        const CorrectionTable shipped(QStringLiteral(SHIPPED_CORRECTION_TABLE));
        QCOMPARE(shipped.size(), 1024);
        for (int bin = 0; bin < 1024; ++bin)
            QCOMPARE(shipped.factor(bin), 1.0);
        QVERIFY(env.prompts().calls.isEmpty());
    }
};

QTEST_GUILESS_MAIN(SignalProcessingTest)
#include "test_signal_processing.moc"
