// The night look, offscreen: every window the program draws, grabbed by
// night, holds no pixel with green or blue; the same windows by day show their
// colours. A second press gives the day look back pixel for pixel, what must
// stay distinct does, and the choice outlives a restart.

#include "app/mount_dialog.h"
#include "app/night_look.h"
#include "app/start_up.h"
#include "support/form_fixture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>

#include <functional>

namespace
{
QImage grabbed(QWidget* widget)
{
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

int pixelsWhere(const QImage& image, const std::function<bool(QRgb)>& test)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            count += test(line[x]) ? 1 : 0;
    }
    return count;
}

bool notRed(QRgb pixel)
{
    return qGreen(pixel) > 0 || qBlue(pixel) > 0;
}

// How many pixels have green or blue, and where the first one is.
QString notPureRed(const QImage& image)
{
    const int count = pixelsWhere(image, notRed);
    for (int y = 0; count > 0 && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (notRed(image.pixel(x, y)))
                return QStringLiteral("%1 pixels, the first at %2,%3: %4")
                    .arg(count)
                    .arg(x)
                    .arg(y)
                    .arg(QColor(image.pixel(x, y)).name());
    return QString();
}

// The first pixels from a box's left edge inward, at mid-height: its frame.
QList<QRgb> frameOf(QWidget* box)
{
    const QImage image = grabbed(box);
    QList<QRgb> frame;
    for (int x = 0; x < 4; ++x)
        frame << image.pixel(x, image.height() / 2);
    return frame;
}

QWidget* shownToolTip()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows)
        if (window->inherits("QTipLabel") && window->isVisible()) return window;
    return nullptr;
}

// The window as it is used at night: a box marked for its stored value, the
// candidate list open on its second line.
void prepareWindow(ShownForm& form)
{
    enter(form, form.ui()->EditPwm3, QStringLiteral("300"));
    QTest::mouseClick(form.ui()->EditPeriodeTimer, Qt::LeftButton);
    form.ui()->ListBoxValeurTimer->setCurrentRow(1);
}

// Every window of one kind, shown over the window and grabbed.
QList<QImage> windowsOf(const QString& kind, ShownForm& form, const QString& folder)
{
    QList<QImage> images;
    if (kind == QLatin1String("fenetre")) {
        prepareWindow(form);
        QLineEdit* box = form.ui()->EditPwm3;
        QToolTip::showText(box->mapToGlobal(box->rect().center()), box->toolTip(), box);
        images << grabbed(form.form.get());
        QWidget* tip = shownToolTip();
        if (!tip) qFatal("no tooltip shown");
        images << grabbed(tip);
        QToolTip::hideText();
    } else if (kind == QLatin1String("monture")) {
        MountDialog* dialog = openMountDialog(*form.form);
        images << grabbed(dialog);
        dialog->findChild<QTabWidget*>(QStringLiteral("OngletsMonture"))->setCurrentIndex(1);
        images << grabbed(dialog);
        auto* rates = dialog->findChild<QComboBox*>(QStringLiteral("ComboSuiviCalibration"));
        rates->showPopup();
        images << grabbed(rates->view()->window());
        rates->hidePopup();
        dialog->close();
    } else if (kind == QLatin1String("message")) {
        // As the standard dialogs build it; shown without exec, nothing waits.
        QMessageBox box(QMessageBox::Critical, QStringLiteral("korvalset24"),
                        QStringLiteral("Le fichier « monture.kv2 » ne peut pas être lu."),
                        QMessageBox::Ok, form.form.get());
        box.show();
        images << grabbed(&box);
        QMessageBox question(QMessageBox::Question, QStringLiteral("korvalset24"),
                             QStringLiteral("Le fichier existe déjà.\nVoulez-vous le remplacer ?"),
                             QMessageBox::Yes | QMessageBox::No, form.form.get());
        question.show();
        images << grabbed(&question);
    } else {
        QFileDialog dialog(form.form.get());
        prepareFileDialog(dialog);
        if (dialog.testOption(QFileDialog::DontUseNativeDialog) != nightLookOn())
            qFatal("the file dialog is Qt's own by night, the desktop's by day");
        dialog.setDirectory(folder);
        dialog.show();
        QTest::qWait(50); // the folder is read in the background
        images << grabbed(&dialog);
    }
    return images;
}
} // namespace

class TestNightLook : public QObject
{
    Q_OBJECT
    QTemporaryDir m_settings;
    QTemporaryDir m_folder;

private slots:
    void initTestCase()
    {
        // The choice is kept in a folder of the test's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QDir(m_folder.path()).mkdir(QStringLiteral("Réglages été"));
        QFile file(m_folder.filePath(QStringLiteral("monture.kv2")));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    void cleanup() { setNightLook(false); }

    void everyWindowIsPureRedByNight_data()
    {
        QTest::addColumn<QString>("kind");
        // A colour the window shows by day, or none: any pixel not pure red.
        QTest::addColumn<QList<QColor>>("dayColours");
        QTest::newRow("fenêtre, liste et bulle")
            << "fenetre" << QList<QColor>{QColor(0, 255, 0), QColor(128, 128, 128)};
        QTest::newRow("Monture, ses deux pages") << "monture" << QList<QColor>{};
        QTest::newRow("messages") << "message" << QList<QColor>{};
        QTest::newRow("dialogue de fichier") << "fichier" << QList<QColor>{};
    }
    void everyWindowIsPureRedByNight()
    {
        QFETCH(QString, kind);
        QFETCH(QList<QColor>, dayColours);
        {
            ShownForm form;
            const QList<QImage> day = windowsOf(kind, form, m_folder.path());
            for (const QImage& image : day)
                QVERIFY(pixelsWhere(image, notRed) > 100);
            for (const QColor& colour : dayColours)
                QVERIFY2(pixelsWhere(day.constFirst(), [&](QRgb p) { return p == colour.rgb(); }) >
                             100,
                         qPrintable(colour.name()));
        }
        ShownForm form;
        form->showNightLook(true);
        const QList<QImage> night = windowsOf(kind, form, m_folder.path());
        for (int i = 0; i < night.size(); ++i) {
            // Something is drawn: dark red fields and bright red text.
            QVERIFY(pixelsWhere(night[i], [](QRgb p) { return qRed(p) > 200; }) > 50);
            QCOMPARE(notPureRed(night[i]), QString());
        }
    }

    void secondPressGivesTheDayBack()
    {
        ShownForm form;
        prepareWindow(form);
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.form.get()));
        const QImage day = grabbed(form.form.get());
        QStringList names;
        for (QWidget* w : form->findChildren<QWidget*>())
            names << w->objectName() + QLatin1Char('=') + w->accessibleName();
        auto* button = form.control<QToolButton>("ButtonNuit");
        QVERIFY(!button->accessibleName().isEmpty() && !button->toolTip().isEmpty());

        QTest::mouseClick(button, Qt::LeftButton);
        QVERIFY(nightLookOn() && button->isChecked());
        const QImage night = grabbed(form.form.get());
        QCOMPARE(notPureRed(night), QString());
        QStringList namesByNight;
        for (QWidget* w : form->findChildren<QWidget*>())
            namesByNight << w->objectName() + QLatin1Char('=') + w->accessibleName();
        QCOMPARE(namesByNight, names);
        // Grey-level smoothing everywhere, the list's own fixed font included.
        for (QWidget* w : form->findChildren<QWidget*>())
            QVERIFY2(w->font().styleStrategy() & QFont::NoSubpixelAntialias,
                     qPrintable(w->objectName()));

        QTest::keyClick(form.form.get(), Qt::Key_N, Qt::ControlModifier);
        QVERIFY(!nightLookOn() && !button->isChecked());
        QVERIFY(grabbed(form.form.get()) == day);

        // The key works from a modal dialog of the window too, once each press.
        MountDialog* dialog = openMountDialog(*form.form);
        QLineEdit* teeth = dialog->findChild<QLineEdit*>(QStringLiteral("EditDents"));
        QTest::keyClick(teeth, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(nightLookOn());
        QTest::keyClick(teeth, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(!nightLookOn());
        dialog->close();
    }

    void distinctLooksStayDistinctByNight()
    {
        ShownForm form;
        prepareWindow(form);
        form->showNightLook(true);
        const FormWidgets* ui = form.ui();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.form.get()));
        ui->EditJeuAD->setFocus();
        QVERIFY(ui->EditJeuAD->hasFocus());

        // The grey displays, EditV1AD among them, against the boxes.
        const QRgb display = mostCommon(grabbed(ui->EditXAD1));
        QCOMPARE(mostCommon(grabbed(ui->EditV1AD)), display);
        QVERIFY(mostCommon(grabbed(ui->EditJeuDe)) != display);
        // Frames: the period field, the marked box and the focused one each
        // differ from a plain box's.
        const QList<QRgb> plain = frameOf(ui->EditPwm4);
        QVERIFY(frameOf(ui->EditPeriodeTimer) != plain);
        QVERIFY(frameOf(ui->EditPwm3) != plain);
        QVERIFY(frameOf(ui->EditJeuAD) != plain);
        QVERIFY(frameOf(ui->EditPwm3) != frameOf(ui->EditJeuAD));
        // The selected line of the list.
        QListWidget* list = ui->ListBoxValeurTimer;
        const QImage lines = grabbed(list->viewport());
        QVERIFY(mostCommon(lines.copy(list->visualItemRect(list->item(1)))) !=
                mostCommon(lines.copy(list->visualItemRect(list->item(2)))));
        // A disabled button reads dimmer than an enabled one.
        MountDialog* dialog = openMountDialog(*form.form);
        const auto brightest = [](QWidget* w) {
            const QImage image = grabbed(w);
            int most = 0;
            pixelsWhere(image, [&most](QRgb p) { return most = std::max(most, qRed(p)), false; });
            return most;
        };
        auto* apply = dialog->findChild<QPushButton*>(QStringLiteral("ButtonAppliquer"));
        QVERIFY(!apply->isEnabled());
        QVERIFY(brightest(apply) < brightest(dialog->findChild<QPushButton*>("ButtonFermer")));
        // The marked box keeps its note in its tooltip.
        QVERIFY(ui->EditPwm3->toolTip().contains(QStringLiteral("300")));
        dialog->close();
    }

    void choiceOutlivesARestart()
    {
        const QStringList plainStart{QStringLiteral("korvalset24")};
        rememberNightLook(false); // as the other tests' presses left it
        QVERIFY(!startsInNightLook(parseStartOptions(plainStart)));
        {
            ShownForm form;
            QTest::mouseClick(form.control<QToolButton>("ButtonNuit"), Qt::LeftButton);
        }
        setNightLook(false); // the next start begins from the day look
        QVERIFY(startsInNightLook(parseStartOptions(plainStart)));
        {
            ShownForm form;
            form->showNightLook(true);
            form->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(form.form.get()));
            QTest::keyClick(form.form.get(), Qt::Key_N, Qt::ControlModifier);
            QVERIFY(!nightLookOn());
        }
        QVERIFY(!startsInNightLook(parseStartOptions(plainStart)));

        // --nuit is for this start only.
        const StartOptions once = parseStartOptions(
            {QStringLiteral("korvalset24"), QStringLiteral("--nuit"), QStringLiteral("m.kv2")});
        QVERIFY(startsInNightLook(once));
        QVERIFY(once.path.endsWith(QStringLiteral("/m.kv2")));
        {
            ShownForm form;
            form->showNightLook(once.night);
        }
        QVERIFY(!startsInNightLook(parseStartOptions(plainStart)));
    }
};

QTEST_MAIN(TestNightLook)
#include "test_night_look.moc"
