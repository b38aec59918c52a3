// The window as it opens: activation, ShowRecord, the controls of the layout,
// and the timing boxes.

#include "support/form_fixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace korval;

class TestMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void startupShowsTheDefaults_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        const QList<QPair<const char*, const char*>> texts = {
            {"EditFrequenceQuartz", "14745600"},
            {"EditDureeTour", "598.361816"},
            {"EditPasParTour", "25600"},
            {"EditPeriodeTimer", "708279"},
            {"EditJeuAD", "100"},
            {"EditJeuDe", "100"},
            {"EditPasParTranche", "45"},
            {"EditTranchePec", "0"},
            {"EditPerPas", "23.374"},
            {"EditMaintienFoc", "  3.54"},
            {"EditPwm0", "134"},
            {"EditPwm1", "147"},
            {"EditPwm2", "157"},
            {"EditPwm3", "167"},
            {"EditPwm4", "179"},
            {"EditPwm5", "161"},
            {"EditPwm6", "205"},
            {"EditPwm7", "224"},
            {"EditPwm8", "247"},
            // Result displays that only a period search fills keep their layout text.
            {"EditErreur", " "},
            {"EditVmax", " "},
            {"EditPeriodeMax", " "},
        };
        for (const auto& [control, text] : texts)
            QTest::newRow(control) << control << text;
        const char* levels[] = {"33", "16", "8", "6", "4", "2", "1"};
        for (const char* axis : {"AD", "De", "Foc"})
            for (int level = 1; level <= 7; ++level) {
                const QString name =
                    QStringLiteral("EditV%1%2").arg(level).arg(QLatin1String(axis));
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

    void activationLoadsTheDefaultsOnce()
    {
        ShownForm form;
        typeInto(form.control("EditJeuAD"), "321");
        // A message box or file dialog closing re-activates the window; that
        // must not wipe the user's work.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(form.form.get(), &activate);
        form->hide();
        form->show();
        QCOMPARE(form.text("EditJeuAD"), QStringLiteral("321"));
        QCOMPARE(form->currentRecord.JeuAD(), quint16(321));
    }

    void secondActivationRestoresTheDefaults()
    {
        ShownForm form;
        typeInto(form.control("EditJeuAD"), "321");
        typeInto(form.control("EditFrequenceQuartz"), "20000000");
        typeInto(form.control("EditV2AD"), "9");
        form.control<QCheckBox>("CheckBoxDe7")->click();
        form->openFileName = "/tmp/a.kv2";
        form->saveFileName = "/tmp/b.kv2";
        form->FormOnActivate();
        QCOMPARE(bytesOf(form->currentRecord), defaultRecordBytes());
        QCOMPARE(bytesOf(form->referenceRecord), defaultRecordBytes());
        QCOMPARE(form->drive.FrequenceQuartz, 14745600u);
        QCOMPARE(form.text("EditJeuAD"), QStringLiteral("100"));
        QCOMPARE(form.text("EditV2AD"), QStringLiteral("16"));
        QCOMPARE(form.text("EditPeriodeTimer"), QStringLiteral("708279"));
        QVERIFY(!form.control<QCheckBox>("CheckBoxDe7")->isChecked());
        QCOMPARE(form->openFileName, QStringLiteral("/tmp/a.kv2"));
        QCOMPARE(form->saveFileName, QStringLiteral("/tmp/b.kv2"));
    }

    void validerChangesNothing()
    {
        ShownForm form;
        typeInto(form.control("EditPwm4"), "12");
        const ConfigRecord current = form->currentRecord;
        const ConfigRecord reference = form->referenceRecord;
        const QString period = form.text("EditPeriodeTimer");
        form.ui()->ButtonValider->click();
        QCOMPARE(form->currentRecord, current);
        QCOMPARE(form->referenceRecord, reference);
        QCOMPARE(form.text("EditPeriodeTimer"), period);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void shownAndHiddenControls_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("enabled");
        for (const char* name :
             {"EditV1AD", "EditV2AD", "EditV7AD", "EditV1De", "EditV2De", "EditV7De", "EditV3De",
              "EditV1Foc", "EditV7Foc", "EditPeriodeTimer", "EditPwm0"})
            QTest::newRow(name) << name << true << true;
        for (const char* name :
             {"EditV3AD", "EditV4AD", "EditV5AD", "EditV6AD", "EditV4De", "EditV5De", "EditV6De",
              "EditV2Foc", "EditV3Foc", "EditV4Foc", "EditV5Foc", "EditV6Foc"})
            QTest::newRow(name) << name << false << true;
        for (const char* name : {"CheckBoxAD1", "CheckBoxAD2", "CheckBoxAD7", "CheckBoxDe1",
                                 "CheckBoxDe2", "CheckBoxDe7", "Label3", "Label8", "Label9"})
            QTest::newRow(name) << name << true << true;
        for (const char* name :
             {"CheckBoxAD3", "CheckBoxAD4", "CheckBoxAD5", "CheckBoxAD6", "CheckBoxDe3",
              "CheckBoxDe4", "CheckBoxDe5", "CheckBoxDe6", "Label4", "Label5", "Label6"})
            QTest::newRow(name) << name << false << true;
        for (const char* name :
             {"EditXAD1", "EditXAD2", "EditXAD7", "EditXDe1", "EditXDe2", "EditXDe7", "EditMsFoc1",
              "EditMsFoc7", "EditPerPas", "EditErreur", "EditVmax", "EditPeriodeMax"})
            QTest::newRow(name) << name << true << false;
        for (const char* name : {"EditXAD3", "EditXAD6", "EditXDe4", "EditMsFoc2", "EditMsFoc5"})
            QTest::newRow(name) << name << false << false;
    }
    void shownAndHiddenControls()
    {
        QFETCH(QString, control);
        QFETCH(bool, shown);
        QFETCH(bool, enabled);
        ShownForm form;
        QWidget* widget = form->findChild<QWidget*>(control);
        QVERIFY(widget);
        QCOMPARE(widget->isVisible(), shown);
        QCOMPARE(widget->isEnabled(), enabled);
    }

    void captions_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("caption");
        QTest::newRow("quartz, two blanks")
            << "Label22" << QString::fromUtf8("Fréquence du  Quartz (Hz)");
        QTest::newRow("worm turn")
            << "Label23" << QString::fromUtf8("Durée d'un tour de vis AD (s)");
        QTest::newRow("period") << "Label33" << QString::fromUtf8("Période IT (ns)");
        QTest::newRow("max period") << "Label36" << QString::fromUtf8("Pér. max (ms)");
        QTest::newRow("step time") << "Label37" << QString::fromUtf8("à");
        QTest::newRow("acceleration")
            << "Label7" << QString::fromUtf8("Temps en secondes entières");
        QTest::newRow("limit, not markup") << "Label44" << QStringLiteral("<65536");
        QTest::newRow("levels") << "GroupBox1" << QStringLiteral("Nombre d'it entre pas");
        QTest::newRow("acceleration box") << "GroupBox5" << QString::fromUtf8("Accélération");
        QTest::newRow("save") << "ButtonSauvegarder" << QStringLiteral("Sauvegarder");
    }
    void captions()
    {
        QFETCH(QString, control);
        QFETCH(QString, caption);
        ShownForm form;
        QWidget* widget = form->findChild<QWidget*>(control);
        QVERIFY(widget);
        QString shown;
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            shown = label->text();
            QCOMPARE(label->textFormat(), Qt::PlainText);
            // Nothing clipped: the label is as wide as its text.
            QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(shown));
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            shown = box->title();
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            shown = button->text();
            QVERIFY(button->width() >= button->fontMetrics().horizontalAdvance(shown));
        }
        QCOMPARE(shown, caption);
    }

    void colours_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QColor>("background");
        QTest::newRow("result display") << "EditXAD1" << QColor(128, 128, 128);
        QTest::newRow("V1 AD, editable yet grey") << "EditV1AD" << QColor(128, 128, 128);
        QTest::newRow("period box") << "EditPeriodeTimer" << QColor(0, 255, 0);
        QTest::newRow("time per step") << "EditPerPas" << QColor(128, 128, 128);
    }
    void colours()
    {
        QFETCH(QString, control);
        QFETCH(QColor, background);
        ShownForm form;
        auto* box = form->findChild<QLineEdit*>(control);
        QVERIFY(box);
        const QImage image = box->grab().toImage();
        // Sample inside the frame, right of any text.
        QCOMPARE(image.pixelColor(image.width() - 4, image.height() - 5).rgb(), background.rgb());
    }

    void editableV1AD()
    {
        ShownForm form;
        QVERIFY(form.control("EditV1AD")->isEnabled());
        QVERIFY(!form.control("EditV1AD")->isReadOnly());
        typeInto(form.control("EditV1AD"), "40");
        QCOMPARE(int(form->currentRecord.level(Axis::AD, 1)), 40);
    }

    void tabOrder()
    {
        ShownForm form;
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.form.get()));
        const QStringList expected = {"CheckBoxAD1",
                                      "EditV1AD",
                                      "EditV7AD",
                                      "EditV1De",
                                      "CheckBoxDe1",
                                      "CheckBoxAD2",
                                      "EditV1Foc",
                                      "EditV2De",
                                      "EditV7De",
                                      "CheckBoxAD7",
                                      "CheckBoxDe2",
                                      "CheckBoxDe7",
                                      "EditV2AD",
                                      "EditV7Foc",
                                      "EditJeuAD",
                                      "EditJeuDe",
                                      "EditMaintienFoc",
                                      "EditPwm3",
                                      "EditPwm7",
                                      "EditPwm4",
                                      "EditPwm5",
                                      "EditPwm6",
                                      "EditPwm1",
                                      "EditPwm2",
                                      "EditPwm8",
                                      "ButtonOuvrir",
                                      "ButtonValider",
                                      "ButtonSauvegarder",
                                      "EditFrequenceQuartz",
                                      "EditDureeTour",
                                      "EditPasParTour",
                                      "EditTranchePec",
                                      "EditPasParTranche",
                                      "EditPeriodeTimer",
                                      "EditPwm0",
                                      "EditV3De",
                                      "CheckBoxAD1"};
        form.control<QCheckBox>("CheckBoxAD1")->setFocus();
        QStringList seen = {QApplication::focusWidget()->objectName()};
        for (int i = 1; i < expected.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            seen << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(seen, expected);
    }

    void layoutFitsTheFont()
    {
        ShownForm form;
        // Shown controls stay inside the window.
        const QRect client = form->rect();
        for (QWidget* w : form->findChildren<QWidget*>()) {
            if (w->isVisible() && w->parentWidget() == form.form.get() &&
                !w->objectName().isEmpty())
                QVERIFY2(client.contains(w->geometry()), qPrintable(w->objectName()));
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
