// Numbers formatted as printf formats them, whatever the locale.

#include "core/NumberFormat.h"

#include <QLocale>
#include <QtTest>
#include <cstdio>
#include <limits>

namespace {

// The C library's own text; QString::asprintf rounds as QString::number does.
QString cPrintf(const char* format, int precision, double value)
{
    char text[400];
    std::snprintf(text, sizeof text, format, precision, value);
    return QString::fromLatin1(text);
}

}  // namespace

class NumberFormatTest : public QObject {
    Q_OBJECT

private slots:
    // Reports must not follow the system locale's decimal point.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German)); }

    void generalForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("text");
        // Ties the binary value holds exactly round to even.
        QTest::newRow("float tie 4171.625") << double(4171.625f) << 6 << "4171.62";
        QTest::newRow("tie rounding up to even") << 0.4375 << 3 << "0.438";
        QTest::newRow("negative tie") << -0.5625 << 3 << "-0.562";
        QTest::newRow("tie 2.5 at one digit") << 2.5 << 1 << "2";
        QTest::newRow("tie 3.5 at one digit") << 3.5 << 1 << "4";
        QTest::newRow("exact value kept") << 0.125 << 6 << "0.125";
        // Fixed or exponent form, as short as printf makes it.
        QTest::newRow("small in exponent form") << 1e-5 << 6 << "1e-05";
        QTest::newRow("smallest in fixed form") << 0.0001 << 6 << "0.0001";
        QTest::newRow("large in exponent form") << 1234567.0 << 6 << "1.23457e+06";
        QTest::newRow("largest in fixed form") << 999999.0 << 6 << "999999";
        QTest::newRow("rounding carries into the exponent") << 9999995.0 << 6 << "1e+07";
        QTest::newRow("three-digit exponent") << 1e300 << 6 << "1e+300";
        QTest::newRow("float 1e-7") << double(1e-7f) << 6 << "1e-07";
        QTest::newRow("trailing zeros dropped") << 100.0 << 6 << "100";
        QTest::newRow("zero") << 0.0 << 6 << "0";
        QTest::newRow("negative zero keeps its sign") << -0.0 << 6 << "-0";
        QTest::newRow("precision 0 counts as 1") << 123.0 << 0 << "1e+02";
        QTest::newRow("infinity") << -std::numeric_limits<double>::infinity() << 6 << "-inf";
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 6 << "nan";
    }
    void generalForm()
    {
        QFETCH(double, value);
        QFETCH(int, precision);
        QFETCH(QString, text);
        QCOMPARE(formatG(value, precision), text);
        QCOMPARE(formatG(value, precision), cPrintf("%.*g", precision, value));
        QByteArray appended("x,");
        appendG(appended, value, precision);
        QCOMPARE(QString::fromLatin1(appended), "x," + text);
    }

    void defaultPrecisionIsSix() { QCOMPARE(formatG(3.14159265), QStringLiteral("3.14159")); }

    void fixedForm_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<QString>("text");
        QTest::newRow("tie 14247.625") << 14247.625 << 2 << "14247.62";
        QTest::newRow("tie 0.125") << 0.125 << 2 << "0.12";
        QTest::newRow("tie 0.375 rounds up to even") << 0.375 << 2 << "0.38";
        QTest::newRow("negative tie") << -4171.625 << 2 << "-4171.62";
        QTest::newRow("tie 2.5 to no decimals") << 2.5 << 0 << "2";
        QTest::newRow("tie 3.5 to no decimals") << 3.5 << 0 << "4";
        QTest::newRow("float below the tie") << double(1.005f) << 2 << "1.00";
        QTest::newRow("float above the tie") << double(0.615f) << 2 << "0.62";
        QTest::newRow("large value never in exponent form") << 123456789.0 << 2 << "123456789.00";
        QTest::newRow("largest double") << std::numeric_limits<double>::max() << 2
                                        << cPrintf("%.*f", 2, std::numeric_limits<double>::max());
        QTest::newRow("small value") << 1e-5 << 2 << "0.00";
        QTest::newRow("negative small value keeps the sign") << -1e-5 << 2 << "-0.00";
    }
    void fixedForm()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(QString, text);
        QCOMPARE(formatFixed(value, decimals), text);
        QCOMPARE(formatFixed(value, decimals), cPrintf("%.*f", decimals, value));
    }
};

QTEST_GUILESS_MAIN(NumberFormatTest)
#include "test_number_format.moc"
