// The timing boxes: what typing stores, and what follows it.

#include "support/form_fixture.h"

#include <QtTest>

using namespace korval;

namespace
{
// The value a box's field holds, whichever record or parameter it lives in.
qint64 fieldOf(const TForm1& form, const QString& box)
{
    if (box == "EditFrequenceQuartz") return form.drive.FrequenceQuartz;
    if (box == "EditPasParTour") return form.drive.PasParTour;
    if (box == "EditTranchePec") return form.currentRecord.TranchePec();
    if (box == "EditPasParTranche") return form.currentRecord.PasParTranche();
    if (box == "EditPeriodeTimer") return form.currentRecord.PeriodeTimer();
    qFatal("unknown box");
}
} // namespace

class TestTimingHandlers : public QObject
{
    Q_OBJECT
private slots:
    void typedIntegersAreStored_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qint64>("stored");
        QTest::newRow("PEC slices 256 wraps to 0") << "EditTranchePec"
                                                   << "256" << qint64(0);
        QTest::newRow("PEC slices -1 is 255") << "EditTranchePec"
                                              << "-1" << qint64(255);
        QTest::newRow("steps per slice 65536 wraps") << "EditPasParTranche"
                                                     << "65536" << qint64(0);
        QTest::newRow("steps per slice 70000") << "EditPasParTranche"
                                               << "70000" << qint64(4464);
        QTest::newRow("period drops its decimals") << "EditPeriodeTimer"
                                                   << "708279.9" << qint64(708279);
        QTest::newRow("period stops at a letter") << "EditPeriodeTimer"
                                                  << "12abc" << qint64(12);
        QTest::newRow("negative period is two's complement") << "EditPeriodeTimer"
                                                             << "-1" << qint64(4294967295);
        QTest::newRow("period from 19 characters only") << "EditPeriodeTimer"
                                                        << "0000000000000000001999" << qint64(1);
        QTest::newRow("steps per turn -1") << "EditPasParTour"
                                           << "-1" << qint64(4294967295);
        QTest::newRow("quartz") << "EditFrequenceQuartz"
                                << "20000000" << qint64(20000000);
        // Text without a number keeps what the field held.
        QTest::newRow("empty period keeps") << "EditPeriodeTimer"
                                            << "" << qint64(708279);
        QTest::newRow("letters keep PEC slices") << "EditTranchePec"
                                                 << "abc" << qint64(0);
        QTest::newRow("empty steps per slice keeps") << "EditPasParTranche"
                                                     << "" << qint64(45);
        QTest::newRow("empty steps per turn keeps") << "EditPasParTour"
                                                    << "" << qint64(25600);
    }
    void typedIntegersAreStored()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(qint64, stored);
        ShownForm form;
        typeInto(form->findChild<QLineEdit*>(box), typed);
        QCOMPARE(fieldOf(*form.form, box), stored);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void timePerStepFollows_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<float>("perPas");
        QTest::newRow("no steps per turn") << "EditPasParTour"
                                           << "0"
                                           << "99999997952.000" << 100000000.0f;
        QTest::newRow("11520 steps") << "EditPasParTour"
                                     << "11520"
                                     << "51.941" << 598.36181640625f / 11520;
        QTest::newRow("slower worm") << "EditDureeTour"
                                     << "1196.7236"
                                     << "46.747" << 1196.7236f / 25600;
        QTest::newRow("comma stops the number") << "EditDureeTour"
                                                << "598,36"
                                                << "23.359" << 598.0f / 25600;
        QTest::newRow("empty duration keeps it") << "EditDureeTour"
                                                 << ""
                                                 << "23.374" << 598.36181640625f / 25600;
    }
    void timePerStepFollows()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(float, perPas);
        ShownForm form;
        typeInto(form->findChild<QLineEdit*>(box), typed);
        QCOMPARE(form.text("EditPerPas"), shown);
        QCOMPARE(form->drive.PerPas, perPas);
    }

    void durationIsStoredAsTyped()
    {
        ShownForm form;
        typeInto(form.control("EditDureeTour"), "598,36");
        QCOMPARE(form->drive.DureeTour, 598.0f);
        typeInto(form.control("EditDureeTour"), "1196.7236");
        QCOMPARE(form->drive.DureeTour, 1196.7236f);
    }

    void quartzChangeBlanksThePeriod_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<quint32>("quartz");
        QTest::newRow("cleared keeps the quartz") << "" << 14745600u;
        QTest::newRow("new quartz") << "20000000" << 20000000u;
    }
    void quartzChangeBlanksThePeriod()
    {
        QFETCH(QString, typed);
        QFETCH(quint32, quartz);
        ShownForm form;
        typeInto(form.control("EditPeriodeTimer"), "1403809");
        typeInto(form.control("EditFrequenceQuartz"), typed);
        QCOMPARE(form->drive.FrequenceQuartz, quartz);
        QCOMPARE(form.text("EditPeriodeTimer"), QString());
        QCOMPARE(form->currentRecord.PeriodeTimer(), 1403809u);
    }

    void periodTypedByHandLeavesTheResultDisplays()
    {
        ShownForm form;
        form.control("EditErreur")->setText("1.28e-05");
        typeInto(form.control("EditPeriodeTimer"), "500000");
        QCOMPARE(form.text("EditErreur"), QStringLiteral("1.28e-05"));
        QCOMPARE(form.text("EditVmax"), QStringLiteral(" "));
    }

    void valuesAbove2To31ShowNegativeAndReadBack_data()
    {
        QTest::addColumn<quint32>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("2^31") << 0x80000000u << "-2147483648";
        QTest::newRow("all ones") << 0xFFFFFFFFu << "-1";
        QTest::newRow("3e9") << 3000000000u << "-1294967296";
    }
    void valuesAbove2To31ShowNegativeAndReadBack()
    {
        QFETCH(quint32, value);
        QFETCH(QString, shown);
        ShownForm form;
        form->drive.FrequenceQuartz = value;
        form->drive.PasParTour = value;
        form->referenceRecord.setPeriodeTimer(value);
        form->ShowRecord();
        QCOMPARE(form.text("EditFrequenceQuartz"), shown);
        QCOMPARE(form.text("EditPasParTour"), shown);
        QCOMPARE(form.text("EditPeriodeTimer"), shown);
        QCOMPARE(form->drive.FrequenceQuartz, value);
        QCOMPARE(form->drive.PasParTour, value);
        QCOMPARE(form->currentRecord.PeriodeTimer(), value);
    }

    void longDurationsStayInsideTheBox_data()
    {
        QTest::addColumn<float>("duree");
        QTest::newRow("1e12") << 1e12f;
        QTest::newRow("-1e11") << -1e11f;
        QTest::newRow("largest float") << 3.4028235e38f;
        QTest::newRow("default") << 598.36181640625f;
    }
    void longDurationsStayInsideTheBox()
    {
        QFETCH(float, duree);
        ShownForm form;
        form->drive.DureeTour = duree;
        form->ShowRecord();
        QVERIFY(form.text("EditDureeTour").size() <= 19);
        QCOMPARE(floatBits(form->drive.DureeTour), floatBits(duree));
    }

    void moreThanSixDecimalsPassThroughTheText()
    {
        ShownForm form;
        form->drive.DureeTour = 0.1234567f;
        form->ShowRecord();
        QCOMPARE(form.text("EditDureeTour"), QStringLiteral("0.123457"));
        QCOMPARE(form->drive.DureeTour, 0.123457f);
    }
};

QTEST_MAIN(TestTimingHandlers)
#include "test_timing_handlers.moc"
