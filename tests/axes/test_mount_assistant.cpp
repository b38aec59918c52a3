// The mount assistant: worm-turn time and steps per turn from the gear train
// and the tracking rate, the roundings of a fractional train, the speeds of
// the levels in the sky, and every refused input with its message.

#include "axes/mount_assistant.h"
#include "config/number_text.h"

#include <QtTest>

using namespace korval;

namespace
{
MountTexts texts(const char* teeth, const char* steps, const char* reduction, const char* rate,
                 bool half = false)
{
    return MountTexts{teeth, steps, reduction, rate, half};
}
} // namespace

class TestMountAssistant : public QObject
{
    Q_OBJECT
private slots:
    void wormTurn_data()
    {
        QTest::addColumn<QString>("rate");
        QTest::addColumn<double>("dureeTour"); // the stored float, widened
        QTest::addColumn<QString>("box");      // as the window's box shows it
        QTest::addColumn<double>("tracking");  // arcseconds per second
        QTest::newRow("sidéral") << "sideral" << 598.3617553710938 << "598.361755"
                                 << 15.041068645644208;
        QTest::newRow("accent and case")
            << "Sidéral" << 598.3617553710938 << "598.361755" << 15.041068645644208;
        QTest::newRow("solaire") << "solaire" << 600.0 << "600.000000" << 15.0;
        QTest::newRow("lunaire") << "lunaire" << 612.8703002929688 << "612.870300" << 14.685;
        QTest::newRow("King") << "KING" << 598.5276489257812 << "598.527649" << 15.0369;
        QTest::newRow("typed, comma") << "15,041" << 598.3644409179688 << "598.364441" << 15.041;
    }
    void wormTurn()
    {
        QFETCH(QString, rate);
        QFETCH(double, dureeTour);
        QFETCH(QString, box);
        QFETCH(double, tracking);
        const MountOutcome o = computeMount(texts("144", "200", "128", rate.toUtf8().constData()));
        QVERIFY(o.result && !o.fault);
        QCOMPARE(double(o.result->DureeTour), dureeTour);
        QCOMPARE(QString::fromStdString(formatFloatForBox(o.result->DureeTour)), box);
        QCOMPARE(o.result->trackingRate, tracking);
    }

    void stepsPerTurn_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("reduction");
        QTest::addColumn<bool>("half");
        QTest::addColumn<quint32>("pasParTour");
        QTest::addColumn<QString>("exact");
        QTest::addColumn<double>("arcsecPerStep");
        QTest::newRow("200 x 128") << "200"
                                   << "128" << false << 25600u << "25600" << 0.3515625;
        QTest::newRow("stages, half steps") << "200"
                                            << "50 x 3" << true << 60000u << "60000" << 0.15;
        QTest::newRow("stage marks") << "48"
                                     << "50x3*2×1" << false << 14400u << "14400" << 0.625;
        QTest::newRow("decimal stage") << "400"
                                       << "2.5 x 64" << false << 64000u << "64000" << 0.140625;
        QTest::newRow("fraction, nearer above") << "200"
                                                << "60/17" << false << 706u << "12000/17" << 12.75;
    }
    void stepsPerTurn()
    {
        QFETCH(QString, steps);
        QFETCH(QString, reduction);
        QFETCH(bool, half);
        QFETCH(quint32, pasParTour);
        QFETCH(QString, exact);
        QFETCH(double, arcsecPerStep);
        const MountOutcome o = computeMount(texts("144", steps.toUtf8().constData(),
                                                  reduction.toUtf8().constData(), "sideral", half));
        QVERIFY(o.result);
        QCOMPARE(o.result->PasParTour, pasParTour);
        QCOMPARE(QString::fromStdString(fractionText(o.result->exactSteps)), exact);
        QCOMPARE(o.result->stepsWhole, !exact.contains('/'));
        QCOMPARE(o.result->arcsecPerStep, arcsecPerStep);
    }

    // 200 x 60/17 = 705.88: 705 leaves the worm 0.125 % slow, 706 0.0167 % fast.
    void fractionGivesBothRoundings()
    {
        const MountOutcome o = computeMount(texts("144", "200", "60/17", "sideral"));
        QVERIFY(o.result);
        QCOMPARE(o.result->roundings.size(), std::size_t(2));
        const RoundedSteps& below = o.result->roundings[0];
        const RoundedSteps& above = o.result->roundings[1];
        QCOMPARE(below.steps, 705u);
        QCOMPARE(above.steps, 706u);
        QCOMPARE(QString::number(below.error, 'e', 6), QString("-1.250000e-03"));
        QCOMPARE(QString::number(above.error, 'e', 6), QString("1.666667e-04"));
        QCOMPARE(QString::number(above.driftPerDay, 'f', 3), QString("14.400"));
        // Below one step only the rounding above is offered: 0 cannot be searched.
        const MountOutcome tiny = computeMount(texts("144", "1", "1/3", "sideral"));
        QVERIFY(tiny.result);
        QCOMPARE(tiny.result->roundings.size(), std::size_t(1));
        QCOMPARE(tiny.result->PasParTour, 1u);
    }

    void refused_data()
    {
        QTest::addColumn<QString>("teeth");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("reduction");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("window");      // the message in the window
        QTest::addColumn<QString>("commandLine"); // its start on the command line
        const auto row = [](const char* tag, const char* teeth, const char* steps,
                            const char* reduction, const char* rate, const char* window,
                            const char* option) {
            QTest::newRow(tag) << teeth << steps << reduction << rate << QString::fromUtf8(window)
                               << QString::fromUtf8(option);
        };
        row("no teeth", "0", "200", "3", "sideral",
            "Dents de la roue : « 0 » : il faut un entier positif", "--dents : ");
        row("negative teeth", "-144", "200", "3", "sideral",
            "Dents de la roue : « -144 » : il faut un entier positif", "--dents : ");
        row("letters for teeth", "14a", "200", "3", "sideral",
            "Dents de la roue : « 14a » n'est pas un nombre entier", "--dents : ");
        row("no steps", "144", "0", "3", "sideral",
            "Pas du moteur par tour : « 0 » : il faut un entier positif", "--pas-moteur : ");
        row("empty stage", "144", "200", "50 x ", "sideral",
            "Réduction moteur-vis : « 50 x » : un étage est vide", "--reduction : ");
        row("letters in a stage", "144", "200", "50 x trois", "sideral",
            "Réduction moteur-vis : « 50 x trois » : « trois » n'est pas un nombre",
            "--reduction : ");
        row("stage of 0", "144", "200", "3/0", "sideral",
            "Réduction moteur-vis : « 3/0 » : l'étage « 3/0 » vaut 0", "--reduction : ");
        row("beyond the field", "144", "4000000000", "2", "sideral",
            "Réduction moteur-vis : « 2 » : PasParTour dépasserait 4294967295", "--reduction : ");
        row("rate of 0", "144", "200", "3", "0,0",
            "Vitesse de suivi : « 0,0 » : la vitesse doit être positive", "--suivi : ");
        row("unknown rate", "144", "200", "3", "stellaire",
            "Vitesse de suivi : « stellaire » n'est ni sideral, solaire, lunaire, king, ni une "
            "vitesse en ″/s",
            "--suivi : ");
    }
    void refused()
    {
        QFETCH(QString, teeth);
        QFETCH(QString, steps);
        QFETCH(QString, reduction);
        QFETCH(QString, rate);
        QFETCH(QString, window);
        QFETCH(QString, commandLine);
        const MountOutcome o =
            computeMount(MountTexts{teeth.toStdString(), steps.toStdString(),
                                    reduction.toStdString(), rate.toStdString(), false});
        QVERIFY(!o.result && o.fault);
        QCOMPARE(QString::fromStdString(mountFaultText(*o.fault, false)), window);
        const QString cli = QString::fromStdString(mountFaultText(*o.fault, true));
        QVERIFY2(cli.startsWith(commandLine), qPrintable(cli));
        QVERIFY(cli.endsWith(window.mid(window.indexOf(" : ") + 3)));
    }

    // The factory levels (33, 16, 8, 6, 4, 2, 1 interrupts of 708279 ns) on a
    // 144-tooth wheel with 25600 steps per worm turn.
    void skySpeeds_data()
    {
        QTest::addColumn<int>("axis");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("flags");    // bit 0: V1 flagged, bit 1: the level flagged
        QTest::addColumn<double>("times"); // x the sidereal rate, 4 decimals
        QTest::addColumn<double>("slew");  // 90 degrees, seconds; 0 when not fast
        QTest::newRow("V1 AD tracks") << int(Axis::AD) << 1 << 0 << 1.0000 << 0.0;
        QTest::newRow("V7 AD slews") << int(Axis::AD) << 7 << 0 << 33.0004 << 652.7499;
        QTest::newRow("V2 De flagged: x 8") << int(Axis::De) << 2 << 2 << 16.5002 << 1305.4999;
        QTest::newRow("V7 De, V1 flagged: / 8") << int(Axis::De) << 7 << 1 << 4.1251 << 0.0;
    }
    void skySpeeds()
    {
        QFETCH(int, axis);
        QFETCH(int, level);
        QFETCH(int, flags);
        QFETCH(double, times);
        QFETCH(double, slew);
        ConfigRecord record = factoryDefaultRecord();
        const Axis a = Axis(axis);
        if (flags & 1) record.setLevel(a, 1, record.level(a, 1) | kHalfStepFlag);
        if (flags & 2) record.setLevel(a, level, record.level(a, level) | kHalfStepFlag);
        const MountOutcome o = computeMount(texts("144", "200", "128", "sideral"));
        QVERIFY(o.result);
        const auto speeds = korval::skySpeeds(*o.result, record);
        const LevelSpeed& s = speeds[a == Axis::AD ? 0 : 1].levels[std::size_t(level - 1)];
        QVERIFY(s.moves);
        QCOMPARE(QString::number(s.timesTracking, 'f', 4), QString::number(times, 'f', 4));
        QCOMPARE(s.arcsecPerSecond, s.timesTracking * o.result->trackingRate);
        QCOMPARE(s.degreesPerSecond * 3600, s.arcsecPerSecond);
        QCOMPARE(s.fast, slew > 0);
        QCOMPARE(QString::number(s.slew90Seconds, 'f', 4), QString::number(slew, 'f', 4));
    }

    void levelsWithoutSpeed()
    {
        ConfigRecord record = factoryDefaultRecord();
        record.setLevel(Axis::AD, 5, 0x80); // count 0, flagged
        const MountOutcome o = computeMount(texts("144", "200", "128", "sideral"));
        QVERIFY(o.result);
        auto speeds = korval::skySpeeds(*o.result, record);
        QVERIFY(!speeds[0].levels[4].moves);
        // V3 De is the acceleration time in whole seconds, not a speed.
        QVERIFY(speeds[1].levels[2].acceleration);
        QVERIFY(!speeds[1].levels[2].moves);
        QCOMPARE(int(speeds[1].levels[2].count), 8);
        record.setPeriodeTimer(0);
        speeds = korval::skySpeeds(*o.result, record);
        QVERIFY(!speeds[0].levels[0].moves);
    }
};

QTEST_GUILESS_MAIN(TestMountAssistant)
#include "test_mount_assistant.moc"
