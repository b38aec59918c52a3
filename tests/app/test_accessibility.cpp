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
        // clang-format off
        const char* rows[][2] = {
            {"EditV2AD", "V2 (Guide) AD"}, {"CheckBoxAD2", "V2 (Guide) AD demi-pas"},
            {"EditXAD2", "X V2 (Guide) AD"}, {"EditV5De", "V5 (Slew/Backslash) De"},
            {"EditV3AD", "V3 AD"}, {"EditMsFoc7", "ms V7 Foc"}, {"EditPwm3", "PWM3"},
            {"EditV3De", "Accélération (Temps en secondes entières)"},
            {"EditJeuAD", "Rattrapage de jeu AD"}, {"EditPeriodeTimer", "Période IT (ns)"},
            {"EditFrequenceQuartz", "Fréquence du Quartz (Hz)"}, {"ButtonSauvegarder", "Sauvegarder"}};
        // clang-format on
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
        QTest::addColumn<int>("offset"); // in the 61-byte parameter file
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("marked");
        QTest::addColumn<QString>("note"); // after "valeur enregistrée : " when marked
        const auto row = [](const char* box, const char* text, int offset, const char* hex,
                            bool marked, const char* note) {
            QTest::addRow("%s %s", box, text) << box << text << offset << QByteArray::fromHex(hex)
                                              << marked << QString::fromUtf8(note);
        };
        // clang-format off
        // One byte.
        row("EditPwm3", "300", 41, "2C", true, "44 (300 ne tient pas sur 8 bits)");
        row("EditPwm3", "-1", 41, "FF", true, "255 (-1 est négatif : enregistré en complément à deux sur 8 bits)");
        row("EditPwm3", "00000000000000000015", 41, "01", true, "1 (seuls les 19 premiers caractères sont lus)");
        row("EditPwm3", "", 41, "A7", false, "aucun nombre lu : la valeur enregistrée reste 167");
        row("EditTranchePec", "256", 37, "00", true, "0 (256 ne tient pas sur 8 bits)");
        row("EditV3De", "300", 9, "2C", true, "44 (300 ne tient pas sur 8 bits)");
        row("EditV3De", "200", 9, "C8", false, ""); // a time, not a level: no half-step bit
        row("EditV1Foc", "300", 23, "FF", false, ""); // rewritten to 255
        // Written whole (typed, its first digits would clamp): past 2^31 it wraps below zero
        // and escapes the clamp.
        row("EditV2Foc", "2147483648", 24, "00", true, "0 (2147483648 ne tient pas sur 8 bits)");
        // Two bytes.
        row("EditJeuAD", "70000", 30, "7011", true, "4464 (70000 ne tient pas sur 16 bits)");
        row("EditPasParTranche", "-1", 35, "FFFF", true, "65535 (-1 est négatif : enregistré en complément à deux sur 16 bits)");
        // Four bytes.
        row("EditPeriodeTimer", "4294967296", 2, "00000000", true, "0 (4294967296 ne tient pas sur 32 bits)");
        row("EditPeriodeTimer", "4294967295", 2, "FFFFFFFF", false, "");
        row("EditFrequenceQuartz", "-1", 49, "FFFFFFFF", true, "4294967295 (-1 est négatif");
        row("EditPasParTour", "99999999999", 53, "FFE77648", true, "1215752191 (99999999999 ne tient pas sur 32 bits)");
        row("EditDureeTour", "1e39", 57, "FFFF7F7F", true, "3.40282347e+38 (1e39 dépasse le plus grand nombre à virgule sur 32 bits)");
        row("EditDureeTour", "598.3618164", 57, "28971544", false, ""); // rounding is no mark
        // AD and De counts.
        row("EditV2AD", "200", 16, "C8", true, "200, soit 72 avec le bit demi-pas (200 atteint 128 : le nombre met lui-même le bit demi-pas)");
        row("EditV2AD", "127", 16, "7F", false, "");
        row("EditV2De", "300", 8, "2C", true, "44 (300 ne tient pas sur 8 bits)");
        row("EditV4AD", "-1", 18, "FF", true, "255, soit 127 avec le bit demi-pas (-1 est négatif");
        // Hold, at the default period of 708279 ns.
        row("EditMaintienFoc", "200", 34, "1A", true, "26 interruptions (200 ms font 282 interruptions, plus que 255)");
        row("EditMaintienFoc", "180.61", 34, "FF", false, "");
        row("EditMaintienFoc", "-10", 34, "F3", true, "243 interruptions (-10 ms font -13 interruptions : négatif");
        // Typed key by key: "1e3" stores 1412 & 0xFF = 132, then "1e30" fails and keeps it.
        row("EditMaintienFoc", "1e30", 34, "84", true, "132 interruptions (1e30 ms ne donne aucun nombre d'interruptions");
        // clang-format on
    }
    void aValueThatDoesNotFitIsMarkedAndStoredAsToday()
    {
        QFETCH(QString, box);
        QFETCH(QString, text);
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, marked);
        QFETCH(QString, note);
        if (marked) note.prepend(QStringLiteral("valeur enregistrée : "));
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
