// The window for every user: names a screen reader can tell apart, field help,
// the period search from the keyboard, the drift of each candidate, and the
// mark on a box whose number its field cannot hold.

#include "support/form_fixture.h"

#include "app/stored_value_mark.h"

#include <QAccessible>
#include <QGroupBox>
#include <QPushButton>
#include <QSet>
#include <QtTest>

using namespace korval;

namespace
{
QString accessible(QWidget* widget, QAccessible::Text what)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(what) : QString();
}

// Every control of the window, shown or hidden, labels aside.
QList<QWidget*> controlsOf(const ShownForm& form)
{
    QList<QWidget*> controls;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QCheckBox*>(w) ||
            qobject_cast<QPushButton*>(w) || qobject_cast<QGroupBox*>(w) ||
            qobject_cast<QListWidget*>(w))
            controls << w;
    }
    return controls;
}

// The 61 bytes a save writes now.
QByteArray savedBytes(const ShownForm& form)
{
    const ParameterFileBytes bytes = serializeParameterFile(form->currentRecord, form->drive);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

void applySecondLineByDoubleClick(ShownForm& form)
{
    QListWidget* list = form.ui()->ListBoxValeurTimer;
    QTest::mouseClick(form.ui()->EditPeriodeTimer, Qt::LeftButton);
    const QPoint at = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

const char* const kAppliedBoxes[] = {"EditPeriodeTimer", "EditV1AD", "EditV1De",      "EditErreur",
                                     "EditVmax",         "EditXAD2", "EditPeriodeMax"};
} // namespace

class TestAccessibility : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasADistinctNameAndEditsADescription()
    {
        ShownForm form;
        const QList<QWidget*> controls = controlsOf(form);
        // 64 edit boxes, 14 half-step boxes, 3 buttons, 5 group boxes, the list.
        QCOMPARE(controls.size(), 87);
        QSet<QString> names;
        for (QWidget* control : controls) {
            const QString name = accessible(control, QAccessible::Name);
            QVERIFY2(!name.isEmpty(), qPrintable(control->objectName()));
            QVERIFY2(!names.contains(name), qPrintable(name));
            names.insert(name);
            if (qobject_cast<QLineEdit*>(control) || qobject_cast<QCheckBox*>(control))
                QVERIFY2(!accessible(control, QAccessible::Description).isEmpty(),
                         qPrintable(control->objectName()));
        }
    }

    void namesComeFromTheCaptions_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("name");
        const char* rows[][2] = {{"EditV2AD", "V2 (Guide) AD"},
                                 {"CheckBoxAD2", "V2 (Guide) AD demi-pas"},
                                 {"EditXAD2", "X V2 (Guide) AD"},
                                 {"EditV5De", "V5 (Slew/Backslash) De"},
                                 {"EditV3AD", "V3 AD"},
                                 {"EditMsFoc7", "ms V7 Foc"},
                                 {"EditV3De", "Accélération (Temps en secondes entières)"},
                                 {"EditPwm3", "PWM3"},
                                 {"EditJeuAD", "Rattrapage de jeu AD"},
                                 {"EditPeriodeTimer", "Période IT (ns)"},
                                 {"EditFrequenceQuartz", "Fréquence du Quartz (Hz)"},
                                 {"ButtonSauvegarder", "Sauvegarder"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << row[0] << QString::fromUtf8(row[1]);
    }
    void namesComeFromTheCaptions()
    {
        QFETCH(QString, control);
        QFETCH(QString, name);
        ShownForm form;
        QCOMPARE(accessible(form.control<QWidget>(qPrintable(control)), QAccessible::Name), name);
    }

    void keyboardSearchAppliesLikeADoubleClick_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("F4") << int(Qt::Key_F4) << int(Qt::NoModifier);
        QTest::newRow("Alt+Down") << int(Qt::Key_Down) << int(Qt::AltModifier);
    }
    void keyboardSearchAppliesLikeADoubleClick()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        ShownForm clicked;
        QVERIFY(QTest::qWaitForWindowExposed(clicked.form.get()));
        applySecondLineByDoubleClick(clicked);

        ShownForm typed;
        QVERIFY(QTest::qWaitForWindowExposed(typed.form.get()));
        QListWidget* list = typed.ui()->ListBoxValeurTimer;
        typed.ui()->EditPeriodeTimer->setFocus();
        QTest::keyClick(typed.ui()->EditPeriodeTimer, Qt::Key(key),
                        Qt::KeyboardModifiers(modifiers));
        QVERIFY(list->isVisible());
        QVERIFY(list->hasFocus());
        QCOMPARE(list->currentRow(), 0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);

        QVERIFY(!list->isVisible());
        QCOMPARE(typed.text("EditPeriodeTimer"), QStringLiteral("898980"));
        for (const char* box : kAppliedBoxes)
            QCOMPARE(typed.text(box), clicked.text(box));
        QCOMPARE(bytesOf(typed->currentRecord), bytesOf(clicked->currentRecord));
        QCOMPARE(accessible(typed.ui()->EditErreur, QAccessible::Description),
                 accessible(clicked.ui()->EditErreur, QAccessible::Description));
    }

    void escapeHidesTheKeyboardList()
    {
        ShownForm form;
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        form.ui()->EditPeriodeTimer->setFocus();
        QTest::keyClick(form.ui()->EditPeriodeTimer, Qt::Key_F4);
        QTest::keyClick(form.ui()->ListBoxValeurTimer, Qt::Key_Escape);
        QVERIFY(!form.ui()->ListBoxValeurTimer->isVisible());
        QVERIFY(form.ui()->EditPeriodeTimer->hasFocus());
        QCOMPARE(form->currentRecord.PeriodeTimer(), 708279u);
    }

    void everyLineTellsItsDriftPerDay()
    {
        ShownForm form;
        QListWidget* list = form.ui()->ListBoxValeurTimer;
        QTest::mouseClick(form.ui()->EditPeriodeTimer, Qt::LeftButton);
        QCOMPARE(list->count(), 293);
        QCOMPARE(list->item(0)->toolTip(), QStringLiteral("dérive : 0.0991 s/jour"));
        for (int row = 0; row < list->count(); ++row) {
            QListWidgetItem* item = list->item(row);
            QCOMPARE(item->data(Qt::AccessibleDescriptionRole).toString(), item->toolTip());
            // The line shows the error to three digits; the drift is that x 86400.
            const double error = item->text()
                                     .section(QLatin1Char(' '), 1, -1, QString::SectionSkipEmpty)
                                     .section(QLatin1Char(' '), 0, 0)
                                     .toDouble();
            const double drift = item->toolTip().section(QLatin1Char(' '), 2, 2).toDouble();
            QVERIFY2(qAbs(drift - error * 86400) <= error * 86400 * 0.01, qPrintable(item->text()));
        }
        list->setCurrentRow(7);
        const QString drift = list->item(7)->toolTip();
        QTest::keyClick(list, Qt::Key_Return);
        QVERIFY(accessible(form.ui()->EditErreur, QAccessible::Description)
                    .endsWith(QLatin1Char('\n') + drift));
    }

    void aValueThatDoesNotFitIsMarkedAndStoredAsToday_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("note");
        QTest::addColumn<int>("offset"); // in the 61-byte parameter file
        QTest::addColumn<QByteArray>("bytes");
        const auto row = [](const char* box, const char* text, bool marked, const char* note,
                            int offset, const char* hex) {
            QTest::addRow("%s %s", box, text) << box << text << marked << QString::fromUtf8(note)
                                              << offset << QByteArray::fromHex(hex);
        };
        // One byte.
        row("EditPwm3", "300", true, "valeur enregistrée : 44 (300 ne tient pas sur 8 bits)", 41,
            "2C");
        row("EditPwm3", "-1", true,
            "valeur enregistrée : 255 (-1 est négatif : enregistré en complément à deux sur 8 "
            "bits)",
            41, "FF");
        row("EditPwm3", "134", false, "", 41, "86");
        row("EditPwm3", "00000000000000000015", true,
            "valeur enregistrée : 1 (seuls les 19 premiers caractères sont lus)", 41, "01");
        row("EditPwm3", "", false, "aucun nombre lu : la valeur enregistrée reste 167", 41, "A7");
        row("EditTranchePec", "256", true, "valeur enregistrée : 0 (256 ne tient pas sur 8 bits)",
            37, "00");
        row("EditV3De", "300", true, "valeur enregistrée : 44 (300 ne tient pas sur 8 bits)", 9,
            "2C");
        row("EditV3De", "200", false, "", 9, "C8");
        row("EditV1Foc", "300", false, "", 23, "FF"); // rewritten to 255
        row("EditV1Foc", "-1", true, "valeur enregistrée : 255 (-1 est négatif", 23, "FF");
        // Written whole (typed, its first digits would already clamp): past 2^31 it wraps
        // below zero and escapes the clamp.
        row("EditV2Foc", "2147483648", true,
            "valeur enregistrée : 0 (2147483648 ne tient pas sur 8 bits)", 24, "00");
        // Two bytes.
        row("EditJeuAD", "70000", true,
            "valeur enregistrée : 4464 (70000 ne tient pas sur 16 bits)", 30, "7011");
        row("EditJeuAD", "100", false, "", 30, "6400");
        row("EditPasParTranche", "-1", true,
            "valeur enregistrée : 65535 (-1 est négatif : enregistré en complément à deux sur 16 "
            "bits)",
            35, "FFFF");
        // Four bytes.
        row("EditPeriodeTimer", "4294967296", true,
            "valeur enregistrée : 0 (4294967296 ne tient pas sur 32 bits)", 2, "00000000");
        row("EditPeriodeTimer", "4294967295", false, "", 2, "FFFFFFFF");
        row("EditFrequenceQuartz", "-1", true, "valeur enregistrée : 4294967295 (-1 est négatif",
            49, "FFFFFFFF");
        row("EditPasParTour", "99999999999", true,
            "valeur enregistrée : 1215752191 (99999999999 ne tient pas sur 32 bits)", 53,
            "FFE77648");
        row("EditDureeTour", "1e39", true,
            "valeur enregistrée : 3.40282347e+38 (1e39 dépasse le plus grand nombre à virgule sur "
            "32 bits)",
            57, "FFFF7F7F");
        row("EditDureeTour", "598.3618164", false, "", 57, "28971544"); // rounding is no mark
        // AD and De counts.
        row("EditV2AD", "200", true,
            "valeur enregistrée : 200, soit 72 avec le bit demi-pas (200 atteint 128 : le nombre "
            "met lui-même le bit demi-pas)",
            16, "C8");
        row("EditV2AD", "127", false, "", 16, "7F");
        row("EditV2De", "300", true, "valeur enregistrée : 44 (300 ne tient pas sur 8 bits)", 8,
            "2C");
        row("EditV4AD", "-1", true,
            "valeur enregistrée : 255, soit 127 avec le bit demi-pas (-1 est négatif", 18, "FF");
        // Hold, at the default period of 708279 ns.
        row("EditMaintienFoc", "200", true,
            "valeur enregistrée : 26 interruptions (200 ms font 282 interruptions, plus que 255)",
            34, "1A");
        row("EditMaintienFoc", "180.61", false, "", 34, "FF");
        row("EditMaintienFoc", "-10", true,
            "valeur enregistrée : 243 interruptions (-10 ms font -13 interruptions : négatif", 34,
            "F3");
        // Typed key by key: "1e3" stores 1412 & 0xFF = 132, then "1e30" fails and keeps it.
        row("EditMaintienFoc", "1e30", true,
            "valeur enregistrée : 132 interruptions (1e30 ms ne donne aucun nombre d'interruptions",
            34, "84");
    }
    void aValueThatDoesNotFitIsMarkedAndStoredAsToday()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(bool, marked);
        QFETCH(QString, note);
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        ShownForm form;
        QLineEdit* edit = form.control(qPrintable(box));
        const QRect place = edit->geometry();
        const QString look = edit->styleSheet();
        const QString help = edit->property("korvalHelp").toString();
        QVERIFY(!help.isEmpty());

        enter(form, edit, text);
        QCOMPARE(savedBytes(form).mid(offset, bytes.size()).toHex(), bytes.toHex());
        QCOMPARE(hasStoredMark(edit), marked);
        const QString description = accessible(edit, QAccessible::Description);
        QVERIFY2(description.startsWith(help), qPrintable(description));
        if (note.isEmpty())
            QCOMPARE(description, help);
        else
            QVERIFY2(description.contains(QLatin1Char('\n') + note), qPrintable(description));
        QVERIFY(edit->toolTip().contains(note.left(20).toHtmlEscaped()));
        QCOMPARE(edit->geometry(), place);
        QCOMPARE(edit->styleSheet(), look);

        // A number that fits takes the mark and the note away.
        enter(form, edit, QStringLiteral("1"));
        QVERIFY(!hasStoredMark(edit));
        QCOMPARE(accessible(edit, QAccessible::Description), help);
    }

    void showRecordTextsAreNeverMarked()
    {
        ShownForm form;
        enter(form, form.ui()->EditPwm3, QStringLiteral("300"));
        QVERIFY(hasStoredMark(form.ui()->EditPwm3));
        // Shown as negative numbers by "%ld", these are still the record's own.
        form->referenceRecord.setPeriodeTimer(0xFFFFFFFFu);
        form->drive.PasParTour = 0x80000000u;
        form->ShowRecord();
        QCOMPARE(form.text("EditPeriodeTimer"), QStringLiteral("-1"));
        for (QLineEdit* edit : form->findChildren<QLineEdit*>())
            QVERIFY2(!hasStoredMark(edit), qPrintable(edit->objectName()));
    }
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
