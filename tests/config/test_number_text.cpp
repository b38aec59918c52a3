// Reading and showing numbers the way the boxes do, and the arithmetic faults.

#include "config/fp_fault.h"
#include "config/number_text.h"

#include <QtTest>

#include <cfloat>
#include <cmath>
#include <limits>

using namespace korval;

class TestNumberText : public QObject
{
    Q_OBJECT
private slots:
    void scanInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "14745600" << true << 14745600;
        QTest::newRow("stops at a letter") << "12abc" << true << 12;
        QTest::newRow("stops at the point") << "708279.9" << true << 708279;
        QTest::newRow("leading blank and sign") << " -1" << true << -1;
        QTest::newRow("plus sign") << "+7" << true << 7;
        QTest::newRow("tab and newline") << "\t\n42" << true << 42;
        QTest::newRow("2^31 wraps negative") << "2147483648" << true << int(0x80000000u);
        QTest::newRow("4294967295 is -1") << "4294967295" << true << -1;
        QTest::newRow("beyond 32 bits wraps") << "99999999999" << true << 1215752191;
        QTest::newRow("nineteen nines") << "9999999999999999999" << true << int(0x89E7FFFFu);
        QTest::newRow("only the first 19 characters")
            << "1234567890123456789012345" << true << int(std::uint32_t(1234567890123456789ULL));
        QTest::newRow("digits after 19 blanks are not seen")
            << QString(19, ' ') + "5" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("letters") << "abc" << false << 0;
        QTest::newRow("nan") << "nan" << false << 0;
        QTest::newRow("inf") << "-inf" << false << 0;
        QTest::newRow("hexadecimal") << "0x1F" << false << 0;
        QTest::newRow("sign alone") << "-" << false << 0;
        QTest::newRow("comma") << ",5" << false << 0;
        QTest::newRow("non-ASCII first") << QString::fromUtf8("é12") << false << 0;
    }
    void scanInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(int, value);
        const auto scanned = korval::scanInt(text.toStdString());
        QCOMPARE(scanned.has_value(), isNumber);
        if (isNumber) QCOMPARE(*scanned, value);
    }

    void scanFloat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("isNumber");
        QTest::addColumn<float>("value");
        QTest::newRow("3.54, nearest float") << "3.54" << true << 3.54f;
        QTest::newRow("default DureeTour text") << "598.361816" << true << 598.36181640625f;
        QTest::newRow("comma stops") << "598,36" << true << 598.0f;
        QTest::newRow("trailing point") << "5." << true << 5.0f;
        QTest::newRow("leading point") << ".5" << true << 0.5f;
        QTest::newRow("exponent") << "1.15e-06" << true << 1.15e-06f;
        QTest::newRow("incomplete exponent") << "3e" << true << 3.0f;
        QTest::newRow("negative") << " -2.25x" << true << -2.25f;
        QTest::newRow("beyond float range") << "1e39" << true << FLT_MAX;
        QTest::newRow("below float range") << "-1e39" << true << -FLT_MAX;
        QTest::newRow("huge exponent") << "1e9999999999" << true << FLT_MAX;
        QTest::newRow("tiny exponent") << "1e-9999999999" << true << 0.0f;
        QTest::newRow("first 19 only") << "1.00000000000000000009" << true << 1.0f;
        QTest::newRow("empty") << "" << false << 0.0f;
        QTest::newRow("letters") << "abc" << false << 0.0f;
        QTest::newRow("nan") << "nan" << false << 0.0f;
        QTest::newRow("NaN") << "NaN" << false << 0.0f;
        QTest::newRow("infinity") << "infinity" << false << 0.0f;
        QTest::newRow("hex float") << "0x1p3" << false << 0.0f;
        QTest::newRow("point alone") << "." << false << 0.0f;
    }
    void scanFloat()
    {
        QFETCH(QString, text);
        QFETCH(bool, isNumber);
        QFETCH(float, value);
        const auto scanned = korval::scanFloat(text.toStdString());
        QCOMPARE(scanned.has_value(), isNumber);
        if (isNumber) QCOMPARE(floatBitsOf(*scanned), floatBitsOf(value));
    }

    void formatsIntoTwentyCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("%ld negative")
            << QString::fromStdString(formatText("%ld", long(std::int32_t(0x80000000u))))
            << "-2147483648";
        QTest::newRow("%f default")
            << QString::fromStdString(formatText("%f", double(598.36181640625f))) << "598.361816";
        QTest::newRow("%6.2f pads")
            << QString::fromStdString(formatText("%6.2f", 3.541395)) << "  3.54";
        QTest::newRow("% 6.2f sign blank")
            << QString::fromStdString(formatText("% 6.2f", 33.0)) << " 33.00";
        QTest::newRow("%6.3f wide")
            << QString::fromStdString(formatText("%6.3f", double(1e11f))) << "99999997952.000";
        QTest::newRow("cut to 19")
            << QString::fromStdString(formatText("%f", 1e15)) << "1000000000000000.00";
    }
    void formatsIntoTwentyCharacters()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void boxFloatTextReadsBack_data()
    {
        QTest::addColumn<float>("value");
        QTest::newRow("default") << 598.36181640625f;
        QTest::newRow("1e12") << 1e12f;
        QTest::newRow("-1e11") << -1e11f;
        QTest::newRow("max") << FLT_MAX;
        QTest::newRow("-max") << -FLT_MAX;
    }
    void boxFloatTextReadsBack()
    {
        QFETCH(float, value);
        const std::string text = formatFloatForBox(value);
        QVERIFY(text.size() <= kScannedChars);
        const auto back = korval::scanFloat(text);
        QVERIFY(back.has_value());
        QCOMPARE(floatBitsOf(*back), floatBitsOf(value));
    }

    void faults_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<int>("fault");
        QTest::newRow("x/0") << 0 << int(FpFault::DivisionByZero);
        QTest::newRow("0/0") << 1 << int(FpFault::InvalidOperation);
        QTest::newRow("float overflow") << 2 << int(FpFault::Overflow);
        QTest::newRow("NaN to integer") << 3 << int(FpFault::InvalidOperation);
        QTest::newRow("2^63 to integer") << 4 << int(FpFault::Overflow);
        QTest::newRow("0 x inf") << 5 << int(FpFault::InvalidOperation);
        QTest::newRow("double overflow") << 6 << int(FpFault::Overflow);
    }
    void faults()
    {
        QFETCH(int, which);
        QFETCH(int, fault);
        const Extended nan = std::numeric_limits<Extended>::quiet_NaN();
        try {
            switch (which) {
            case 0:
                divide(1, 0);
                break;
            case 1:
                divide(0, 0);
                break;
            case 2:
                toFloat(1e39L);
                break;
            case 3:
                truncateToInt64(nan);
                break;
            case 4:
                truncateToInt64(9223372036854775808.0L);
                break;
            case 5:
                multiply(0, std::numeric_limits<Extended>::infinity());
                break;
            case 6:
                toDouble(1e309L);
                break;
            }
            QFAIL("no fault raised");
        } catch (const FloatingPointError& e) {
            QCOMPARE(int(e.fault()), fault);
            QVERIFY(!QString::fromUtf8(e.what()).isEmpty());
        }
    }

    void noFaultWhereNoneIsDue()
    {
        QCOMPARE(double(toFloat(FLT_MAX)), double(FLT_MAX));
        QCOMPARE(truncateToInt64(-9223372036854775808.0L),
                 std::numeric_limits<std::int64_t>::min());
        QVERIFY(std::isnan(double(divide(std::numeric_limits<Extended>::quiet_NaN(), 0))));
    }

    void roundingAddsHalfAndTruncates_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("rounded");
        QTest::newRow("2.5 up") << 2.5 << 3;
        QTest::newRow("2.4999 down") << 2.4999 << 2;
        QTest::newRow("-2.5 toward zero") << -2.5 << -2;
        QTest::newRow("-2.6") << -2.6 << -2;
        QTest::newRow("2^32 + 5 keeps low bits") << 4294967301.0 << 5;
        QTest::newRow("2^31 shows negative") << 2147483648.0 << int(0x80000000u);
    }
    void roundingAddsHalfAndTruncates()
    {
        QFETCH(double, value);
        QFETCH(int, rounded);
        QCOMPARE(roundToInt32(value), rounded);
    }

    void extendedPrecisionRounding()
    {
        // 1 + 2^-60 survives in 80 bits, would vanish in a double.
        const Extended tiny = 1.0L / 1152921504606846976.0L;
        QVERIFY(Extended(1) + tiny != Extended(1));
        // Rounding sees the extended value: 2.5 - 2^-60 stays below the half.
        QCOMPARE(roundToInt32(2.5L - 2 * tiny), 2);
    }

private:
    static quint32 floatBitsOf(float f)
    {
        quint32 bits;
        std::memcpy(&bits, &f, 4);
        return bits;
    }
};

QTEST_APPLESS_MAIN(TestNumberText)
#include "test_number_text.moc"
