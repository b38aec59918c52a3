// The window for every user: names a screen reader can tell apart and field
// help.

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
};

QTEST_MAIN(TestAccessibility)
#include "test_accessibility.moc"
