// The interrupt period search: every number of the list, to the last bit.

#include "config/fp_fault.h"
#include "timing/period_search.h"
#include "timing/time_per_step.h"

#include <QtTest>

#include <cstring>

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
