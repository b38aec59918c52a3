// « Carte… », offscreen, driving the tests' stand-in programmer: every case
// of the programmer's shared table shown as the sequence says it, a stopped
// programmer never taken for a success, the whole image written through the
// save dialog's seam, the commands kept in the user's settings alone, the
// night look.

#include "app/board_dialog.h"
#include "app/night_look.h"
#include "form/board_programmer.h"
#include "form/board_texts.h"
#include "form/colour_scheme.h"
#include "support/board_cases.h"
#include "support/form_fixture.h"

#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>

using namespace korval;
using I = BoardControlId;

namespace
{
const QString kStandIn = QStringLiteral(KORVAL_STAND_IN);

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

BoardDialog* openFromButton(ShownForm& form)
{
    QTest::mouseClick(form.control<QToolButton>("ButtonCarte"), Qt::LeftButton);
    return form->findChild<BoardDialog*>();
}

QLineEdit* edit(BoardDialog* dialog, I id)
{
    return qobject_cast<QLineEdit*>(dialog->control(id));
}

QPushButton* button(BoardDialog* dialog, I id)
{
    return qobject_cast<QPushButton*>(dialog->control(id));
}

QString output(BoardDialog* dialog)
{
    return qobject_cast<QPlainTextEdit*>(dialog->control(I::Output))->toPlainText();
}
} // namespace

class TestBoardDialog : public QObject
{
    Q_OBJECT
    QTemporaryDir m_settings;

private slots:
    void initTestCase()
    {
        // The commands are kept in a folder of the test's own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        QVERIFY(QFile::exists(kStandIn));
    }
    void cleanup()
    {
        setNightLook(false);
        rememberBoardCommands({});
    }

    // Every case of the programmer's table: the output shows what the
    // sequence says and what ran, the buttons come back; the window's table
    // is what is programmed, under the name it was saved as.
    void program_data() { addRows(board_cases::cases()); }
    void program()
    {
        QFETCH(int, row);
        const board_cases::Case& c = board_cases::cases()[std::size_t(row)];
        QTemporaryDir dir;
        const std::string work = dir.path().toStdString();
        board_cases::writeFirmwareFiles(work);
        const std::string memory = board_cases::join(work, "carte.mem");
        board_cases::prepareMemory(memory);
        ShownForm form;
        enter(form, form.ui()->EditJeuAD, QString::fromUtf8(board_cases::kWindowJeuADText));
        if (c.savedOdd) {
            form.dialogs->saveAnswers
                << dir.filePath(QString::fromUtf8(board_cases::kOddName) + QStringLiteral(".kv2"));
            form.ui()->ButtonSauvegarder->click();
            QCOMPARE(form.dialogs->errors, QStringList());
        }
        BoardDialog* dialog = openFromButton(form);
        QVERIFY(dialog);
        QCOMPARE(qobject_cast<QLabel*>(dialog->control(I::Note))->text(),
                 QString::fromStdString(boardTableNote(!c.savedOdd)));
        const auto command = [&](const char* text) {
            return QString::fromStdString(
                board_cases::command(text, kStandIn.toStdString(), memory));
        };
        typeInto(edit(dialog, I::FirmwareEdit),
                 QString::fromStdString(board_cases::firmwarePath(c, work)));
        typeInto(edit(dialog, I::WriteEdit), command(c.write));
        typeInto(edit(dialog, I::ReadEdit), command(c.read));
        QTest::mouseClick(button(dialog, I::Program), Qt::LeftButton);
        QVERIFY(dialog->running());
        QVERIFY(QTest::qWaitFor([dialog] { return !dialog->running(); }, 20000));
        const std::string shown = output(dialog).toStdString();
        QVERIFY2(board_cases::shows(shown, c.text), shown.c_str());
        QVERIFY2(board_cases::shows(shown, c.output), shown.c_str());
        if (!c.arguments.empty())
            QCOMPARE(QString::fromStdString(board_cases::argumentsProblem(c, memory)), QString());
        QVERIFY(button(dialog, I::Program)->isEnabled());
        QVERIFY(!button(dialog, I::Stop)->isEnabled());
    }

    // Output as it comes, « Arrêter » while it runs; Esc stops, then closes.
    void stopWhileRunning_data()
    {
        QTest::addColumn<bool>("byEscape");
        QTest::newRow("Arrêter") << false;
        QTest::newRow("Échap") << true;
    }
    void stopWhileRunning()
    {
        QFETCH(bool, byEscape);
        ShownForm form;
        QPointer<BoardDialog> dialog = openFromButton(form);
        typeInto(edit(dialog, I::WriteEdit),
                 QStringLiteral("sh -c 'echo premier-mot; exec sleep 30' {hex}"));
        QTest::mouseClick(button(dialog, I::Program), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(output(dialog).contains(QStringLiteral("premier-mot")), 10000);
        QVERIFY(dialog->running());
        QVERIFY(button(dialog, I::Stop)->isEnabled());
        QVERIFY(!button(dialog, I::Program)->isEnabled());
        if (byEscape) {
            QTest::keyClick(dialog, Qt::Key_Escape);
            QTRY_VERIFY_WITH_TIMEOUT(dialog.isNull(), 10000);
            return;
        }
        QTest::mouseClick(button(dialog, I::Stop), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->running(), 10000);
        QVERIFY(output(dialog).contains(QStringLiteral("a été arrêtée")));
        QVERIFY(!output(dialog).contains(QStringLiteral("réussi")));
        QVERIFY(dialog->isVisible());
    }

    // « Écrire l'image complète… »: through the save dialog's seam, never
    // over the firmware, a refusal said in French.
    void wholeImage_data()
    {
        QTest::addColumn<QString>("target"); // "image", "firmware" or "broken"
        QTest::addColumn<QString>("error");  // contained in the one error, or empty
        QTest::newRow("written") << "image" << QString();
        QTest::newRow("over the firmware") << "firmware"
                                           << "elle-même";
        QTest::newRow("broken firmware") << "broken"
                                         << "n'est pas une image Intel HEX lisible";
    }
    void wholeImage()
    {
        QFETCH(QString, target);
        QFETCH(QString, error);
        QTemporaryDir dir;
        board_cases::writeFirmwareFiles(dir.path().toStdString());
        const QString firmware =
            dir.filePath(target == QLatin1String("broken") ? QStringLiteral("illisible.hex")
                                                           : QStringLiteral("micrologiciel.hex"));
        const QByteArray firmwareBytes = contents(firmware);
        ShownForm form;
        form.dialogs->saveAnswers << dir.filePath(QStringLiteral("monture.kv2"));
        form.ui()->ButtonSauvegarder->click();
        enter(form, form.ui()->EditJeuDe, QStringLiteral("77"));
        BoardDialog* dialog = openFromButton(form);
        QVERIFY(!button(dialog, I::WriteImage)->isEnabled());
        typeInto(edit(dialog, I::FirmwareEdit), firmware);
        const QString image = dir.filePath(QStringLiteral("sortie.hex"));
        form.dialogs->saveAnswers << (target == QLatin1String("firmware") ? firmware : image);
        QTest::mouseClick(button(dialog, I::WriteImage), Qt::LeftButton);
        QCOMPARE(form.dialogs->proposedNames.last(),
                 dir.filePath(QStringLiteral("monture-image.hex")));
        QCOMPARE(form.dialogs->filters.last(), QStringLiteral("Images HEX (*.hex)"));
        QCOMPARE(contents(firmware), firmwareBytes);
        if (!error.isEmpty()) {
            QCOMPARE(form.dialogs->errors.size(), 1);
            QVERIFY2(form.dialogs->errors[0].contains(error), qPrintable(form.dialogs->errors[0]));
            QVERIFY(!QFile::exists(image));
            return;
        }
        QCOMPARE(form.dialogs->errors, QStringList());
        // Programmed as it is into an empty memory, it holds the firmware and the table.
        const QString memory = dir.filePath(QStringLiteral("relue.mem"));
        QCOMPARE(QProcess::execute(kStandIn, {memory, QStringLiteral("full"), image}), 0);
        QVERIFY(stand_in::loadMemory(memory.toStdString()) ==
                board_cases::expectedMemory(board_cases::After::Image, form->currentRecord));
    }

    // The commands come from the user's settings alone; the firmware field
    // proposes the HEX image the window was opened from.
    void keptAcrossDialogs_data()
    {
        QTest::addColumn<QString>("opened"); // "", "kv2" or "hex"
        QTest::newRow("nothing opened") << "";
        QTest::newRow("parameter file opened") << "kv2";
        QTest::newRow("HEX image opened") << "hex";
    }
    void keptAcrossDialogs()
    {
        QFETCH(QString, opened);
        QTemporaryDir dir;
        board_cases::writeFirmwareFiles(dir.path().toStdString());
        const QString firmware = dir.filePath(QStringLiteral("micrologiciel.hex"));
        const QString write = QStringLiteral("prog -x \"{image}\"");
        const QString read = QStringLiteral("prog -r {lecture}");
        {
            ShownForm form;
            BoardDialog* dialog = openFromButton(form);
            QCOMPARE(edit(dialog, I::WriteEdit)->text(), QString());
            typeInto(edit(dialog, I::WriteEdit), write);
            typeInto(edit(dialog, I::ReadEdit), read);
            QTest::mouseClick(button(dialog, I::Close), Qt::LeftButton);
            QVERIFY(!form->findChild<BoardDialog*>() ||
                    !form->findChild<BoardDialog*>()->isVisible());
        }
        ShownForm form;
        if (opened == QLatin1String("kv2")) {
            const QString kv2 = dir.filePath(QStringLiteral("autre.kv2"));
            form.dialogs->saveAnswers << kv2;
            form.ui()->ButtonSauvegarder->click();
            form.dialogs->openAnswers << kv2;
            form.ui()->ButtonOuvrir->click();
        } else if (opened == QLatin1String("hex")) {
            form.dialogs->openAnswers << firmware;
            form.ui()->ButtonOuvrir->click();
        }
        QCOMPARE(form.dialogs->errors, QStringList());
        BoardDialog* dialog = openFromButton(form);
        QCOMPARE(edit(dialog, I::WriteEdit)->text(), write);
        QCOMPARE(edit(dialog, I::ReadEdit)->text(), read);
        QCOMPARE(edit(dialog, I::FirmwareEdit)->text(),
                 opened == QLatin1String("hex") ? firmware : QString());
        const BoardCommands kept = rememberedBoardCommands();
        QCOMPARE(kept.write, write);
        QCOMPARE(kept.read, read);
    }

    // By night the dialog is red on black, its boxes in their roles' levels;
    // Ctrl+N inside it switches the look.
    void nightLook()
    {
        ShownForm form;
        BoardDialog* dialog = openFromButton(form);
        typeInto(edit(dialog, I::WriteEdit), QStringLiteral("prog {hex}"));
        QTest::keyClick(dialog, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(nightLookOn());
        const QImage image = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
        if (qEnvironmentVariableIsSet("KORVAL_BOARD_SHOTS"))
            image.save(qEnvironmentVariable("KORVAL_BOARD_SHOTS") + QStringLiteral("-nuit.png"));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY2(qGreen(image.pixel(x, y)) == 0 && qBlue(image.pixel(x, y)) == 0,
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        for (const BoardControl& control : boardControls()) {
            if (control.kind == BoardControlKind::Button) continue; // their own face
            QWidget* widget = dialog->control(control.id);
            // Inside the frame, right of any text.
            const QPoint at =
                widget->mapTo(dialog, QPoint(widget->width() - 4, widget->height() - 4));
            QCOMPARE(QColor(image.pixel(at)), lookColour(control.background, true));
        }
        QTest::keyClick(dialog, Qt::Key_N, Qt::ControlModifier);
        QVERIFY(!nightLookOn());
        if (qEnvironmentVariableIsSet("KORVAL_BOARD_SHOTS"))
            dialog->grab().save(qEnvironmentVariable("KORVAL_BOARD_SHOTS") +
                                QStringLiteral("-jour.png"));
    }
};

QTEST_MAIN(TestBoardDialog)
#include "test_board_dialog.moc"
