// The table of common mounts: each row's numbers against its source's total
// steps, and the assistant's PasParTour and DureeTour from the row against the
// values worked out by hand from the same numbers; the names the command line
// takes; a filled box edited sends the list back to the free entry.

#include "axes/mount_table.h"

#include <QtTest>

using namespace korval;

class TestMountTable : public QObject
{
    Q_OBJECT
private slots:
    void rows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<quint32>("teeth");
        QTest::addColumn<QString>("motor");     // the box's text after the fill; "" untouched
        QTest::addColumn<QString>("reduction"); // idem
        QTest::addColumn<quint32>("pasParTour");
        QTest::addColumn<double>("dureeTour"); // 86164.0905 / teeth, by hand
        // name, teeth, motor, reduction, PasParTour (nearer of the exact one), DureeTour
        QTest::newRow("EQ3-2") << "eq3-2" << 130u << "48"
                               << "120" << 5760u << 662.8006961538462;
        QTest::newRow("EQ5") << "EQ5" << 144u << "48"
                             << "120" << 5760u << 598.3617395833334;
        // 200 x 47/9 = 1044.44...: 1044 is the nearer.
        QTest::newRow("HEQ5") << "heq5" << 135u << "200"
                              << "47/9" << 1044u << 638.2525222222222;
        // 200 x 47/12 = 783.33...: 783.
        QTest::newRow("EQ6") << "NEQ6" << 180u << "200"
                             << "47/12" << 783u << 478.68939166666667;
        // No stock motor: the owner's 400 x 100 stays.
        QTest::newRow("G11") << "Losmandy G11" << 360u << ""
                             << "" << 40000u << 239.34469583333333;
        QTest::newRow("GM8") << "g8" << 180u << ""
                             << "" << 40000u << 478.68939166666667;
        QTest::newRow("LXD55") << "lxd-55" << 144u << ""
                               << "" << 40000u << 598.3617395833334;
    }
    void rows()
    {
        QFETCH(QString, name);
        QFETCH(quint32, teeth);
        QFETCH(QString, motor);
        QFETCH(QString, reduction);
        QFETCH(quint32, pasParTour);
        QFETCH(double, dureeTour);
        const MountModel* model = findMountModel(name.toStdString());
        QVERIFY(model);
        QCOMPARE(model->teeth, teeth);
        QVERIFY(*model->source);
        if (model->motorSteps) {
            // The source's total: motor x reduction x teeth x microsteps, exactly.
            QCOMPARE(std::uint64_t(model->motorSteps) * model->reduction.num * model->teeth *
                         model->microsteps,
                     model->totalSteps * model->reduction.den);
        }
        MountTexts typed{"1", "400", "100", "sideral", false};
        const MountTexts filled = filledByModel(*model, typed);
        QCOMPARE(QString::fromStdString(filled.teeth), QString::number(teeth));
        QCOMPARE(QString::fromStdString(filled.motorSteps), motor.isEmpty() ? "400" : motor);
        QCOMPARE(QString::fromStdString(filled.reduction), reduction.isEmpty() ? "100" : reduction);
        const MountOutcome o = computeMount(filled);
        QVERIFY(o.result);
        QCOMPARE(o.result->PasParTour, pasParTour);
        QCOMPARE(o.result->DureeTour, float(dureeTour));

        // The list keeps the row while its boxes hold it; an edited box frees it.
        const int choice = int(model - mountModels().data()) + 1;
        QCOMPARE(mountListChoice(choice, filled), choice);
        MountTexts edited = filled;
        edited.teeth += "0";
        QCOMPARE(mountListChoice(choice, edited), 0);
        edited = filled;
        edited.motorSteps = "401";
        QCOMPARE(mountListChoice(choice, edited), model->motorSteps ? 0 : choice);
        QVERIFY(QString::fromStdString(mountListHelp(choice)).contains(model->source));
    }

    void unknownNames()
    {
        for (const char* name : {"", "EQ7", "heq", "G111"})
            QVERIFY2(!findMountModel(name), name);
        QCOMPARE(QString::fromStdString(mountModelNames()),
                 QStringLiteral("EQ3-2, EQ5, HEQ5, EQ6, G11, GM8, LXD55"));
        QCOMPARE(QString::fromStdString(mountListEntries().front()),
                 QString::fromUtf8("Autre (saisie libre)"));
        QCOMPARE(mountListChoice(0, MountTexts{"130", "48", "120", "sideral", false}), 0);
    }
};

QTEST_MAIN(TestMountTable)
#include "test_mount_table.moc"
