// The interrupt period search: every number of the list, to the last bit.

#include "config/fp_fault.h"
#include "timing/period_search.h"
#include "timing/time_per_step.h"

#include <QtTest>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace korval;

namespace
{
constexpr std::uint32_t kQuartz = 14745600;
constexpr float kDuree = 598.36181640625f;

QStringList search(std::uint32_t quartz, float duree, std::uint32_t pas)
{
    QStringList out;
    for (const std::string& line :
         candidateLines(searchCandidates(prepareSearch(quartz, duree, pas))))
        out << QString::fromStdString(line);
    return out;
}

// The search written out step by step: every operation in extended
// precision through the checked helpers, the ranking array pre-filled with the
// threshold, each line inserted in front of the first entry not below its
// error, and the line printed with printf's format.
QStringList referenceSearch(std::uint32_t quartz, float duree, std::uint32_t pas)
{
    std::vector<double> ranking(65535, 0.0005);
    int count = 0;
    const float T = quartz != 0 ? toFloat(divide(4000000000.0L, Extended(quartz))) : 10000000000.0f;
    const float P = toFloat(divide(multiply(duree, 1000000000.0L), Extended(pas)));
    const auto N = std::uint32_t(roundToInt32(divide(P, T)));
    const std::int32_t L = roundToInt32(divide(300000.0L, T));
    QStringList lines;
    for (std::int32_t k = roundToInt32(divide(multiply(32000.0L, T), T)); k > L; --k) {
        const double q = toDouble(divide(Extended(N), Extended(k)));
        const std::int32_t n = roundToInt32(q);
        const double m = toDouble(multiply(multiply(n, k), T));
        const std::int32_t period = roundToInt32(multiply(k, T));
        const double e = std::fabs(toDouble(divide(P - m, P)));
        if (e > 0.0005 || n >= 128) continue;
        int j = 0;
        while (ranking[std::size_t(j)] < e)
            ++j;
        for (int i = count; i > j; --i)
            ranking[std::size_t(i)] = ranking[std::size_t(i - 1)];
        ranking[std::size_t(j)] = e;
        char line[64];
        std::snprintf(line, sizeof line, "% 8d   %4.2e  % 5d X % 3d -- % 3dX", period, e, k, n,
                      std::int32_t(std::uint32_t(n) * 8u));
        lines.insert(j, QString::fromLatin1(line));
        ++count;
    }
    return lines;
}

quint32 bitsOf(float f)
{
    quint32 b;
    std::memcpy(&b, &f, 4);
    return b;
}
} // namespace

class TestPeriodSearch : public QObject
{
    Q_OBJECT
private slots:
    void factorySetup()
    {
        const SearchSetup s = prepareSearch(kQuartz, kDuree, 25600);
        QCOMPARE(double(s.T), 271.2673645019531);
        QCOMPARE(double(s.P), 23373508.0);
        QCOMPARE(s.N, 86164u);
        QCOMPARE(s.L, 1106);
    }

    void factoryLines_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("line");
        QTest::newRow("0") << 0 << "  449490   1.15e-06   1657 X  52 --  416X";
        QTest::newRow("1") << 1 << "  898980   1.15e-06   3314 X  26 --  208X";
        QTest::newRow("2") << 2 << " 1797960   1.15e-06   6628 X  13 --  104X";
        QTest::newRow("3") << 3 << " 5843370   1.15e-06   21541 X   4 --  32X";
        QTest::newRow("4") << 4 << " 1230197   1.05e-05   4535 X  19 --  152X";
        QTest::newRow("7") << 7 << "  708279   1.28e-05   2611 X  33 --  264X";
    }
    void factoryLines()
    {
        QFETCH(int, index);
        QFETCH(QString, line);
        const QStringList lines = search(kQuartz, kDuree, 25600);
        QCOMPARE(lines.size(), 293);
        QCOMPARE(lines.at(index), line);
    }

    void orderIsErrorThenPeriod()
    {
        for (std::uint32_t pas : {25600u, 11520u, 180065u}) {
            const auto c = searchCandidates(prepareSearch(kQuartz, kDuree, pas));
            for (std::size_t i = 1; i < c.size(); ++i) {
                QVERIFY(c[i - 1].error <= c[i].error);
                if (c[i - 1].error == c[i].error) QVERIFY(c[i - 1].period < c[i].period);
                QVERIFY(c[i].n < 128 && c[i].error <= kAcceptedError);
            }
        }
    }

    void elevenThousandStepsPerTurn()
    {
        const SearchSetup s = prepareSearch(kQuartz, kDuree, 11520);
        QCOMPARE(s.N, 191476u);
        const auto c = searchCandidates(s);
        QCOMPARE(int(c.size()), 598);
        const QStringList lines = search(kQuartz, kDuree, 11520);
        for (int i = 0; i < 10; ++i)
            QVERIFY2(lines[i].contains("4.03e-06"), qPrintable(lines[i]));
        QVERIFY(!lines[10].contains("4.03e-06"));
        QCOMPARE(c[5].period, 1403809);
        QCOMPARE(c[5].k, 5175);
        QCOMPARE(c[5].n, 37);
        for (const Candidate& x : c)
            QVERIFY(x.k != 1496); // n would be 128
    }

    void emptyLists_data()
    {
        QTest::addColumn<quint32>("quartz");
        QTest::addColumn<float>("duree");
        QTest::newRow("quartz 0") << 0u << kDuree;
        QTest::newRow("quartz 500 MHz, L 37500") << 500000000u << kDuree;
        QTest::newRow("negative worm turn") << kQuartz << -kDuree;
    }
    void emptyLists()
    {
        QFETCH(quint32, quartz);
        QFETCH(float, duree);
        QVERIFY(search(quartz, duree, 25600).isEmpty());
    }

    void largeCase()
    {
        // The benchmark's large case: about 1,500 lines.
        QCOMPARE(search(20000000, 55090.0f, 180065).size(), 1512);
    }

    void failures_data()
    {
        QTest::addColumn<quint32>("pas");
        QTest::addColumn<float>("duree");
        QTest::addColumn<bool>("inSetup");
        QTest::addColumn<int>("fault");
        QTest::newRow("no steps per turn") << 0u << kDuree << true << int(FpFault::DivisionByZero);
        QTest::newRow("worm turn of 0")
            << 25600u << 0.0f << false << int(FpFault::InvalidOperation);
        QTest::newRow("P beyond a float") << 1u << 3.0e38f << true << int(FpFault::Overflow);
    }
    void failures()
    {
        QFETCH(quint32, pas);
        QFETCH(float, duree);
        QFETCH(bool, inSetup);
        QFETCH(int, fault);
        SearchSetup s;
        try {
            s = prepareSearch(kQuartz, duree, pas);
            QVERIFY(!inSetup);
            searchCandidates(s);
            QFAIL("no fault");
        } catch (const FloatingPointError& e) {
            QCOMPARE(int(e.fault()), fault);
        }
    }

    void agreesWithTheStepByStepSearch_data()
    {
        QTest::addColumn<quint32>("quartz");
        QTest::addColumn<float>("duree");
        QTest::addColumn<quint32>("pas");
        for (quint32 quartz : {4000000u, 8000000u, 12000000u, 14745600u, 20000000u})
            for (float duree : {598.36181640625f, 86164.09f, 1196.7236f, 55090.0f})
                for (quint32 pas : {25600u, 11520u, 180065u, 777u})
                    QTest::addRow("%u Hz, %g s, %u steps", quartz, double(duree), pas)
                        << quartz << duree << pas;
        // Slow quartz ticks reach k = 1, where n wraps to a negative value.
        QTest::newRow("5 kHz, negative turn") << 5000u << -598.36181640625f << 25600u;
        QTest::newRow("1 Hz, negative turn") << 1u << -86164.09f << 11520u;
        QTest::newRow("6 kHz, one step a turn") << 6000u << 1.0e6f << 1u;
        // A negative turn of 2001 ticks a step: at k = 1 the wrapped n lands
        // on it, and that line is listed.
        QTest::newRow("5 kHz, wrapped n listed") << 5000u << -1.6008f << 1u;
        // n reaches 128 halfway down, with lines above it and k = 1 in range.
        QTest::newRow("5 kHz, n 128 from k 16000") << 5000u << 1638.4f << 1u;
    }
    void agreesWithTheStepByStepSearch()
    {
        QFETCH(quint32, quartz);
        QFETCH(float, duree);
        QFETCH(quint32, pas);
        QCOMPARE(search(quartz, duree, pas), referenceSearch(quartz, duree, pas));
    }

    void lineReadsBack()
    {
        const auto parsed = parseCandidateLine("  708279   1.28e-05   2611 X  33 --  264X");
        QVERIFY(parsed.has_value());
        QCOMPARE(parsed->period, 708279);
        QCOMPARE(bitsOf(parsed->error), bitsOf(1.28e-05f));
        QCOMPARE(parsed->k, 2611);
        QCOMPARE(parsed->n, 33);
        QVERIFY(!parseCandidateLine("").has_value());
        QVERIFY(!parseCandidateLine("   708279   x").has_value());
        QVERIFY(!parseCandidateLine("  708279   1.28e-05   2611 Y  33").has_value());
    }

    void timePerStep_data()
    {
        QTest::addColumn<float>("duree");
        QTest::addColumn<quint32>("pas");
        QTest::addColumn<QString>("text");
        QTest::newRow("defaults") << kDuree << 25600u << "23.374";
        QTest::newRow("11520 steps") << kDuree << 11520u << "51.941";
        QTest::newRow("1196.7236 s") << 1196.7236f << 25600u << "46.747";
        QTest::newRow("no steps") << kDuree << 0u << "99999997952.000";
    }
    void timePerStep()
    {
        QFETCH(float, duree);
        QFETCH(quint32, pas);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(perPasText(perPasSeconds(duree, pas))), text);
    }
};

QTEST_APPLESS_MAIN(TestPeriodSearch)
#include "test_period_search.moc"
