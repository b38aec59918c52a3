// Speed-level ratios, focuser intervals and the hold count, as stored and shown.

#include "axes/drive_settings.h"
#include "axes/speed_levels.h"
#include "config/fp_fault.h"

#include <QtTest>

using namespace korval;

class TestAxisValues : public QObject
{
    Q_OBJECT
private slots:
    void ratio_data()
    {
        QTest::addColumn<int>("c1");
        QTest::addColumn<int>("cn");
        QTest::addColumn<bool>("levelFlag");
        QTest::addColumn<bool>("v1Flag");
        QTest::addColumn<QString>("text");
        QTest::newRow("defaults V7") << 33 << 1 << false << false << " 33.00";
        QTest::newRow("level flagged") << 33 << 16 << true << false << " 16.50";
        QTest::newRow("V1 flagged") << 33 << 16 << false << true << "  0.26";
        QTest::newRow("both flagged") << 33 << 16 << true << true << "  2.06";
        QTest::newRow("200 divides as 200") << 33 << 200 << false << false << "  0.17";
        QTest::newRow("V1 of 0") << 0 << 16 << false << false << "  0.00";
    }
    void ratio()
    {
        QFETCH(int, c1);
        QFETCH(int, cn);
        QFETCH(bool, levelFlag);
        QFETCH(bool, v1Flag);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(
                     ratioText(levelRatio(std::uint8_t(c1), std::uint8_t(cn), levelFlag, v1Flag))),
                 text);
    }

    void ratioOfZeroLevelFaults_data()
    {
        QTest::addColumn<int>("c1");
        QTest::addColumn<int>("fault");
        QTest::newRow("x / 0") << 33 << int(FpFault::DivisionByZero);
        QTest::newRow("0 / 0") << 0 << int(FpFault::InvalidOperation);
    }
    void ratioOfZeroLevelFaults()
    {
        QFETCH(int, c1);
        QFETCH(int, fault);
        try {
            levelRatio(std::uint8_t(c1), 0, false, false);
            QFAIL("no fault");
        } catch (const FloatingPointError& e) {
            QCOMPARE(int(e.fault()), fault);
        }
    }

    void focuserMs_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<quint32>("period");
        QTest::addColumn<QString>("text");
        QTest::newRow("V1 default") << 33 << 708279u << " 23.37";
        QTest::newRow("V7 default") << 1 << 708279u << "  0.71";
        QTest::newRow("clamped 255") << 255 << 708279u << "180.61";
        QTest::newRow("period above 2^31 is unsigned") << 1 << 3000000000u << "3000.00";
    }
    void focuserMs()
    {
        QFETCH(int, count);
        QFETCH(quint32, period);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(msText(korval::focuserMs(std::uint8_t(count), period))),
                 text);
    }

    void holdCount_data()
    {
        QTest::addColumn<float>("ms");
        QTest::addColumn<int>("count");
        QTest::newRow("3.54") << 3.54f << 5;
        QTest::newRow("3") << 3.0f << 4;
        QTest::newRow("0.35") << 0.35f << 0;
        QTest::newRow("200 gives 282, keeps 26") << 200.0f << 26;
        QTest::newRow("180.61") << 180.61f << 255;
        QTest::newRow("negative keeps low bits") << -3.54f << int(std::uint8_t(-4));
    }
    void holdCount()
    {
        QFETCH(float, ms);
        QFETCH(int, count);
        QCOMPARE(int(korval::holdCount(ms, 708279)), count);
    }

    void holdTextRoundTrips_data()
    {
        QTest::addColumn<quint32>("period");
        QTest::newRow("708279 ns") << 708279u;
        QTest::newRow("10000 ns") << 10000u;
    }
    void holdTextRoundTrips()
    {
        QFETCH(quint32, period);
        for (int count = 0; count <= 255; ++count) {
            const std::string text = holdText(std::uint8_t(count), period);
            const float ms = std::stof(text);
            QCOMPARE(int(korval::holdCount(ms, period)), count);
        }
    }

    void holdFaults_data()
    {
        QTest::addColumn<float>("ms");
        QTest::addColumn<quint32>("period");
        QTest::addColumn<int>("fault");
        QTest::newRow("period 0") << 3.54f << 0u << int(FpFault::DivisionByZero);
        QTest::newRow("0 over period 0") << 0.0f << 0u << int(FpFault::InvalidOperation);
        QTest::newRow("count beyond 64 bits") << 3.0e38f << 1u << int(FpFault::Overflow);
    }
    void holdFaults()
    {
        QFETCH(float, ms);
        QFETCH(quint32, period);
        QFETCH(int, fault);
        try {
            korval::holdCount(ms, period);
            QFAIL("no fault");
        } catch (const FloatingPointError& e) {
            QCOMPARE(int(e.fault()), fault);
        }
    }

    void holdShownForTheDefaults()
    {
        QCOMPARE(QString::fromStdString(holdText(5, 708279)), "  3.54");
    }
};

QTEST_APPLESS_MAIN(TestAxisValues)
#include "test_axis_values.moc"
