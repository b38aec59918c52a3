// The window for every user: names a screen reader can tell apart, field help,
// the period search from the keyboard and the drift of each candidate.

#include "support/form_fixture.h"

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
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
