// The window as it opens: activation, ShowRecord, the controls of the layout,
// and the timing boxes.

#include "support/form_fixture.h"

#include <QtTest>

using namespace korval;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void startupShowsTheDefaults_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        const QList<QPair<const char*, const char*>> texts = {
            {"EditFrequenceQuartz", "14745600"}, {"EditDureeTour", "598.361816"},
            {"EditPasParTour", "25600"},         {"EditPeriodeTimer", "708279"},
            {"EditJeuAD", "100"},                {"EditJeuDe", "100"},
            {"EditPasParTranche", "45"},         {"EditTranchePec", "0"},
            {"EditPerPas", "23.374"},            {"EditMaintienFoc", "  3.54"},
            {"EditPwm0", "134"}, {"EditPwm1", "147"}, {"EditPwm2", "157"}, {"EditPwm3", "167"},
            {"EditPwm4", "179"}, {"EditPwm5", "161"}, {"EditPwm6", "205"}, {"EditPwm7", "224"},
            {"EditPwm8", "247"},
            // Result displays that only a period search fills keep their layout text.
            {"EditErreur", " "}, {"EditVmax", " "}, {"EditPeriodeMax", " "},
        };
        for (const auto& [control, text] : texts)
            QTest::newRow(control) << control << text;
        const char* levels[] = {"33", "16", "8", "6", "4", "2", "1"};
        for (const char* axis : {"AD", "De", "Foc"})
            for (int level = 1; level <= 7; ++level) {
                const QString name = QStringLiteral("EditV%1%2").arg(level).arg(QLatin1String(axis));
                QTest::newRow(qPrintable(name)) << name << levels[level - 1];
            }
    }
    void startupShowsTheDefaults()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        ShownForm form;
        QLineEdit* box = form->findChild<QLineEdit*>(control);
        QVERIFY(box);
        QCOMPARE(box->text(), text);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void startupState()
    {
        ShownForm form;
        QCOMPARE(form->objectName(), QStringLiteral("Form1"));
        QCOMPARE(form->windowTitle(), QStringLiteral("Programme de configuration de KORVAL 2.4"));
        QCOMPARE(bytesOf(form->currentRecord), defaultRecordBytes());
        QCOMPARE(bytesOf(form->referenceRecord), defaultRecordBytes());
        QCOMPARE(form->drive.FrequenceQuartz, 14745600u);
        QCOMPARE(form->drive.PasParTour, 25600u);
        QCOMPARE(floatBits(form->drive.DureeTour), 0x44159728u);
        // Four boxes are created checked; activation unchecks every one.
        for (Axis axis : {Axis::AD, Axis::De})
            for (int level = 1; level <= 7; ++level)
                QVERIFY(!form->halfStepBox(axis, level)->isChecked());
        QVERIFY(form->openFileName.isEmpty());
        QVERIFY(form->saveFileName.isEmpty());
        QVERIFY(form.control<QListWidget>("ListBoxValeurTimer")->isHidden());
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
