// The mount assistant's dialog, offscreen: opened from the window's button,
// live results while the user types, refusals, and "Appliquer" typing
// DureeTour and PasParTour into the window as a user would.

#include "app/mount_dialog.h"
#include "cli/cli_run.h"
#include "support/form_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>

using namespace korval;

namespace
{
MountDialog* openFromButton(ShownForm& form)
{
    QTest::mouseClick(form.control<QToolButton>("ButtonMonture"), Qt::LeftButton);
    return form->findChild<MountDialog*>();
}

QLineEdit* box(MountDialog* dialog, const char* name)
{
    return dialog->findChild<QLineEdit*>(QLatin1String(name));
}

void fill(MountDialog* dialog, const QString& teeth, const QString& steps, const QString& reduction,
          const QString& rate)
{
    typeInto(box(dialog, "EditDents"), teeth);
    typeInto(box(dialog, "EditPasMoteur"), steps);
    typeInto(box(dialog, "EditReduction"), reduction);
    // Picked from the list or typed over it; keyClicks types ASCII only.
    dialog->findChild<QComboBox*>("ComboSuivi")->setCurrentText(rate);
}

QString results(MountDialog* dialog)
{
    return dialog->findChild<QPlainTextEdit*>("TextResultats")->toPlainText();
}

QPushButton* button(MountDialog* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(QLatin1String(name));
}

// The calibration tab, filled as a user would: drift, plate scale, time,
// direction ("est" or "ouest"), declination.
void calibrate(MountDialog* dialog, const QStringList& inputs)
{
    QTest::mouseClick(
        dialog->findChild<QTabWidget*>("OngletsMonture")->tabBar(), Qt::LeftButton, Qt::NoModifier,
        dialog->findChild<QTabWidget*>("OngletsMonture")->tabBar()->tabRect(1).center());
    typeInto(box(dialog, "EditDerive"), inputs.at(0));
    typeInto(box(dialog, "EditEchelle"), inputs.at(1));
    typeInto(box(dialog, "EditDureeMesure"), inputs.at(2));
    QTest::mouseClick(
        dialog->findChild<QRadioButton*>(inputs.at(3) == "est" ? "RadioEst" : "RadioOuest"),
        Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    typeInto(box(dialog, "EditDeclinaison"), inputs.at(4));
}

QString calibration(MountDialog* dialog)
{
    return dialog->findChild<QPlainTextEdit*>("TextCalibration")->toPlainText();
}
} // namespace

class TestMountDialog : public QObject
{
    Q_OBJECT
private slots:
    // The button sits in free space, outside the tab chain, reached by Alt+M.
    void buttonCoversNothing()
    {
        ShownForm form;
        auto* button = form.control<QToolButton>("ButtonMonture");
        QVERIFY(button->isVisible());
        QVERIFY(form->rect().contains(button->geometry()));
        for (QWidget* w : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w != button && w->isVisible())
                QVERIFY2(!w->geometry().intersects(button->geometry()),
                         qPrintable(w->objectName()));
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        QCOMPARE(button->shortcut(), QKeySequence(QStringLiteral("Alt+M")));
    }

    void liveResults_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("reduction");
        QTest::addColumn<QString>("shown"); // contained in the results
        QTest::addColumn<bool>("applicable");
        const auto row = [](const char* tag, const char* steps, const char* reduction,
                            const char* shown, bool applicable) {
            QTest::newRow(tag) << steps << reduction << QString::fromUtf8(shown) << applicable;
        };
        row("fraction", "200", "60/17", "retenu : 706", true);
        row("speeds of the window's levels", "200", "128",
            "  V7AD     1       496.362   0.13788    33.000  10 min 53 s", true);
        row("empty stage", "200", "50 x", "Réduction moteur-vis : « 50 x » : un étage est vide",
            false);
        row("letters for steps", "deux", "3",
            "Pas du moteur par tour : « deux » n'est pas un nombre entier", false);
    }
    void liveResults()
    {
        QFETCH(QString, steps);
        QFETCH(QString, reduction);
        QFETCH(QString, shown);
        QFETCH(bool, applicable);
        ShownForm form;
        MountDialog* dialog = openFromButton(form);
        fill(dialog, "144", steps, reduction, "sideral");
        QVERIFY2(results(dialog).contains(shown), qPrintable(results(dialog)));
        QCOMPARE(button(dialog, "ButtonAppliquer")->isEnabled(), applicable);
    }

    // "Appliquer" types both values; their handlers store them and refresh the
    // time per step, the dialog closes and the rest of the window is as it was.
    void applyTypesIntoTheWindow_data()
    {
        QTest::addColumn<QString>("reduction");
        QTest::addColumn<bool>("half");
        QTest::addColumn<QString>("dureeTour");
        QTest::addColumn<QString>("pasParTour");
        QTest::addColumn<QString>("perPas");
        const auto row = [](const char* tag, const char* reduction, bool half,
                            const char* pasParTour, const char* perPas) {
            QTest::newRow(tag) << reduction << half << "598.361755" << pasParTour << perPas;
        };
        row("whole", "128", false, "25600", "23.374");
        row("half steps", "50 x 3", true, "60000", " 9.973");
        row("fraction: the nearer", "60/17", false, "706", "847.538");
    }
    void applyTypesIntoTheWindow()
    {
        QFETCH(QString, reduction);
        QFETCH(bool, half);
        QFETCH(QString, dureeTour);
        QFETCH(QString, pasParTour);
        QFETCH(QString, perPas);
        ShownForm form;
        const ConfigRecord before = form->currentRecord;
        MountDialog* dialog = openFromButton(form);
        fill(dialog, "144", "200", reduction, "sideral");
        if (half)
            QTest::mouseClick(dialog->findChild<QCheckBox*>("CheckBoxDemiPas"), Qt::LeftButton,
                              Qt::NoModifier, QPoint(5, 5));
        QTest::mouseClick(button(dialog, "ButtonAppliquer"), Qt::LeftButton);

        QCOMPARE(form.text("EditDureeTour"), dureeTour);
        QCOMPARE(form.text("EditPasParTour"), pasParTour);
        QCOMPARE(form.text("EditPerPas"), perPas);
        QCOMPARE(double(form->drive.DureeTour), 598.3617553710938);
        QCOMPARE(QString::number(form->drive.PasParTour), pasParTour);
        QCOMPARE(bytesOf(form->currentRecord), bytesOf(before));
        QVERIFY(form.dialogs->errors.isEmpty());
        QTRY_VERIFY(!form->findChild<MountDialog*>());
    }

    // The calibration tab, live, from the window's own values.
    void calibrationResults_data()
    {
        QTest::addColumn<QStringList>("inputs");
        QTest::addColumn<QString>("shown"); // contained in the results
        QTest::addColumn<bool>("applicable");
        const auto row = [](const char* tag, const QStringList& inputs, const char* shown,
                            bool applicable) {
            QTest::newRow(tag) << inputs << QString::fromUtf8(shown) << applicable;
        };
        row("15.04″ west in a minute", {"15.04", "", "1:00", "ouest", ""},
            "DureeTour corrigée : T x (1 - e) = 588.382263 s : plus courte", true);
        row("southern star drifting east", {"10", "", "5:00", "est", "-45"},
            "la monture avance, elle suit trop vite", true);
        row("the search's best line", {"15.04", "", "1min", "ouest", ""},
            "288 lignes, la meilleure (erreur 1.13e-05, dérive 0.975 s/jour) :\n"
            "  337999   1.13e-05   1246 X  68 --  544X\n\n"
            "« Appliquer » écrit DureeTour = 588.382263",
            true);
        row("no time", {"15.04", "", "", "ouest", ""},
            "Durée de la mesure : aucune durée : 10:00, 600s ou 10min", false);
        row("at the pole", {"15.04", "", "1:00", "ouest", "90"},
            "Déclinaison de l'étoile : « 90 » : il faut une déclinaison entre -90° et 90° exclus",
            false);
    }
    void calibrationResults()
    {
        QFETCH(QStringList, inputs);
        QFETCH(QString, shown);
        QFETCH(bool, applicable);
        ShownForm form;
        MountDialog* dialog = openFromButton(form);
        calibrate(dialog, inputs);
        QVERIFY2(calibration(dialog).contains(shown), qPrintable(calibration(dialog)));
        QCOMPARE(button(dialog, "ButtonAppliquer")->isEnabled(), applicable);
        // The gear-train tab has nothing typed: its Appliquer is off there.
        dialog->findChild<QTabWidget*>("OngletsMonture")->setCurrentIndex(0);
        QVERIFY(!button(dialog, "ButtonAppliquer")->isEnabled());
        // The sentence under the direction says which way is a lagging mount.
        QVERIFY(dialog->findChild<QLabel*>("LabelSensDerive")
                    ->text()
                    .startsWith(QString::fromUtf8("Vers l'ouest (où filent les étoiles")));
    }

    // "Appliquer" on the calibration tab types the corrected DureeTour alone.
    void calibrationAppliesDureeTour()
    {
        ShownForm form;
        const ConfigRecord before = form->currentRecord;
        MountDialog* dialog = openFromButton(form);
        calibrate(dialog, {"4", "3.76", "1min", "ouest", ""});
        QTest::mouseClick(button(dialog, "ButtonAppliquer"), Qt::LeftButton);
        QCOMPARE(form.text("EditDureeTour"), QStringLiteral("588.382263"));
        QCOMPARE(double(form->drive.DureeTour), 588.3822631835938);
        QCOMPARE(form.text("EditPasParTour"), QStringLiteral("25600"));
        QCOMPARE(form->drive.PasParTour, 25600u);
        QCOMPARE(form.text("EditPerPas"), QStringLiteral("22.984"));
        QCOMPARE(bytesOf(form->currentRecord), bytesOf(before));
        QVERIFY(form.dialogs->errors.isEmpty());
        QTRY_VERIFY(!form->findChild<MountDialog*>());
    }

    // A row of the list « Monture » fills the gear train as typing would: the
    // results are the command line's for the same row; a filled box edited
    // afterwards sends the list back to the free entry.
    void mountListAsTheCommandLine()
    {
        ShownForm form;
        MountDialog* dialog = openFromButton(form);
        auto* list = dialog->findChild<QComboBox*>("ComboMonture");
        list->setFocus();
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(list, Qt::Key_Down); // the EQ6
        QCOMPARE(list->currentText(), QStringLiteral("Sky-Watcher EQ6 (SynScan)"));
        const CliRun cli = runCli({"monture", "--monture", "eq6"}, QDir::tempPath());
        QCOMPARE(cli.exit, 0);
        QVERIFY2(results(dialog).startsWith(QString::fromUtf8(cli.out)),
                 qPrintable(results(dialog)));
        QVERIFY(list->toolTip().contains(QStringLiteral("EQ6-Synscan.conf")));
        typeInto(box(dialog, "EditReduction"), "4");
        QCOMPARE(list->currentIndex(), 0);
    }

    // "Fermer" changes nothing, and the next opening starts empty.
    void keepsNothing()
    {
        ShownForm form;
        MountDialog* dialog = openFromButton(form);
        fill(dialog, "144", "200", "128", "lunaire");
        QTest::mouseClick(button(dialog, "ButtonFermer"), Qt::LeftButton);
        QCOMPARE(form.text("EditPasParTour"), QStringLiteral("25600"));
        QCOMPARE(form.text("EditDureeTour"), QStringLiteral("598.361816"));
        QTRY_VERIFY(!form->findChild<MountDialog*>());

        dialog = openFromButton(form);
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->windowModality(), Qt::WindowModal);
        QVERIFY(!button(dialog, "ButtonAppliquer")->isEnabled()); // nothing typed yet
        QCOMPARE(box(dialog, "EditDents")->text(), QString());
        QCOMPARE(box(dialog, "EditReduction")->text(), QString());
        QCOMPARE(dialog->findChild<QComboBox*>("ComboSuivi")->currentText(),
                 QString::fromUtf8("sidéral"));
    }
};

QTEST_MAIN(TestMountDialog)
#include "test_mount_dialog.moc"
