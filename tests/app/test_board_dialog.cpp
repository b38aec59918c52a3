// « Carte… », offscreen, driving the tests' stand-in programmer: the whole
// image written and programmed over a firmware, a wrong byte read back named
// by its field, a failing or stopped programmer never taken for a success, a
// file name with blanks, quotes and ';' reaching the programmer as one
// argument, the commands kept in the user's settings alone, the night look.

#include "app/board_dialog.h"
#include "app/night_look.h"
#include "form/board_programmer.h"
#include "form/board_texts.h"
#include "form/colour_scheme.h"
#include "support/form_fixture.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdint>
#include <fstream>
#include <map>

using namespace korval;
using I = BoardControlId;

namespace
{
using Memory = std::map<std::uint32_t, unsigned>;
const QString kStandIn = QStringLiteral(KORVAL_STAND_IN);

// The stand-in's memory file: one "address byte" pair a line, in hex.
Memory loadMemory(const QString& path)
{
    Memory memory;
    std::ifstream file(path.toStdString());
    std::uint32_t address;
    unsigned value;
    while (file >> std::hex >> address >> value)
        memory[address] = value;
    return memory;
}

void storeMemory(const QString& path, const Memory& memory)
{
    std::ofstream file(path.toStdString(), std::ios::trunc);
    for (const auto& [address, value] : memory)
        file << std::hex << address << ' ' << value << '\n';
}

// A firmware of its own: program bytes around the table's rows, another
// board's table in them, configuration bytes above 64 KiB.
Memory firmwareMemory()
{
    Memory memory;
    for (std::uint32_t a = 0; a < 0x200; ++a)
        memory[a] = (a * 37 + 11) & 0xFF;
    for (std::uint32_t a = 0x7BE0; a < 0x7C60; ++a)
        memory[a] = (a * 53 + 7) & 0xFF;
    for (std::uint32_t a = 0x300000; a < 0x300007; ++a)
        memory[a] = a & 0x3F;
    // Another board's table: JeuAD 0x0142.
    QByteArray table = factoryTable();
    table[30] = 0x42;
    table[31] = 0x01;
    for (int i = 0; i < table.size(); ++i)
        memory[0x7C00 + std::uint32_t(i)] = std::uint8_t(table[i]);
    return memory;
}

// The firmware as Intel HEX, written by the stand-in's read mode.
QString writeFirmware(const QTemporaryDir& dir)
{
    const QString memory = dir.filePath(QStringLiteral("usine.mem"));
    storeMemory(memory, firmwareMemory());
    const QString hex = dir.filePath(QStringLiteral("micrologiciel.hex"));
    if (QProcess::execute(kStandIn, {memory, QStringLiteral("read"), hex}) != 0)
        qFatal("the stand-in did not write the firmware");
    return hex;
}

// The arguments of each run, as the stand-in's journal keeps them.
QList<QStringList> runs(const QString& memory)
{
    QFile file(memory + QStringLiteral(".journal"));
    QList<QStringList> all;
    if (!file.open(QIODevice::ReadOnly)) return all;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral("-- ")))
            all.append(QStringList());
        else if (!all.isEmpty() && !line.isEmpty())
            all.last() << line;
    }
    return all;
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

// "%SI" the stand-in, "%MEM" the memory file.
QString command(QString text, const QString& memory)
{
    return text.replace(QStringLiteral("%SI"), kStandIn).replace(QStringLiteral("%MEM"), memory);
}

bool programAndWait(BoardDialog* dialog)
{
    QTest::mouseClick(button(dialog, I::Program), Qt::LeftButton);
    if (!dialog->running()) return false;
    return QTest::qWaitFor([dialog] { return !dialog->running(); }, 20000);
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

    void program_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QString>("read");
        QTest::addColumn<bool>("withFirmware");
        QTest::addColumn<QStringList>("said");     // each in the output
        QTest::addColumn<QStringList>("notSaid");  // none in the output
        QTest::addColumn<int>("runCount");         // how many programs ran
        QTest::addColumn<bool>("boardHoldsImage"); // the firmware's bytes and the window's table
        const QString holds = QString::fromUtf8(kBoardHoldsTable);
        const QString read = QStringLiteral("%SI %MEM read {lecture}");
        QTest::newRow("full chip, whole image")
            << "%SI %MEM full {image}" << read << true
            << QStringList{holds, QStringLiteral("programmateur simulé : full"),
                           QStringLiteral("écriture de")}
            << QStringList{QStringLiteral("diffère")} << 2 << true;
        QTest::newRow("wrong byte in JeuDe")
            << "%SI %MEM wrong 7C20 {hex}" << read << false << QStringList{QStringLiteral("JeuDe")}
            << QStringList{holds, QStringLiteral("JeuAD")} << 2 << false;
        QTest::newRow("wrong byte in Pwm4")
            << "%SI %MEM wrong 7c2a {hex}" << read << false << QStringList{QStringLiteral("Pwm4")}
            << QStringList{holds, QStringLiteral("Pwm3")} << 2 << false;
        QTest::newRow("failing programmer")
            << "%SI %MEM fail {hex}" << read << false
            << QStringList{QStringLiteral("la puce ne répond pas"),
                           QStringLiteral("code de sortie 3"),
                           QStringLiteral("n'est pas tenue pour écrite")}
            << QStringList{holds, QStringLiteral("réussi"), QStringLiteral("Lecture :")} << 1
            << false;
        QTest::newRow("programmer not found")
            << "programmateur-introuvable-0f3a {hex}" << read << false
            << QStringList{QStringLiteral("n'a pas pu démarrer"),
                           QStringLiteral("programmateur-introuvable-0f3a")}
            << QStringList{holds, QStringLiteral("réussi")} << 0 << false;
        QTest::newRow("read command without {lecture}")
            << "%SI %MEM full {image}"
            << "%SI %MEM read" << true << QStringList{QStringLiteral("{lecture}")}
            << QStringList{holds} << 0 << false;
    }
    void program()
    {
        QFETCH(QString, write);
        QFETCH(QString, read);
        QFETCH(bool, withFirmware);
        QFETCH(QStringList, said);
        QFETCH(QStringList, notSaid);
        QFETCH(int, runCount);
        QFETCH(bool, boardHoldsImage);
        QTemporaryDir dir;
        const QString memory = dir.filePath(QStringLiteral("carte.mem"));
        const QString firmware = writeFirmware(dir);
        ShownForm form;
        // What is programmed is the window's table, not the saved file's.
        enter(form, form.ui()->EditJeuAD, QStringLiteral("123"));
        QVERIFY(bytesOf(form->currentRecord) != factoryTable());
        BoardDialog* dialog = openFromButton(form);
        QVERIFY(dialog);
        QCOMPARE(qobject_cast<QLabel*>(dialog->control(I::Note))->text(),
                 QString::fromStdString(boardTableNote(true)));
        if (withFirmware) typeInto(edit(dialog, I::FirmwareEdit), firmware);
        typeInto(edit(dialog, I::WriteEdit), command(write, memory));
        typeInto(edit(dialog, I::ReadEdit), command(read, memory));
        QVERIFY(programAndWait(dialog) || runCount == 0);
        const QString shown = output(dialog);
        for (const QString& text : said)
            QVERIFY2(shown.contains(text), qPrintable(text + " | " + shown));
        for (const QString& text : notSaid)
            QVERIFY2(!shown.contains(text), qPrintable(text + " | " + shown));
        QCOMPARE(runs(memory).size(), runCount);
        QVERIFY(button(dialog, I::Program)->isEnabled());
        QVERIFY(!button(dialog, I::Stop)->isEnabled());
        if (!boardHoldsImage) return;
        Memory expected = firmwareMemory();
        for (int i = 0; i < int(kRecordSize); ++i)
            expected[0x7C00 + std::uint32_t(i)] = std::uint8_t(form->currentRecord.bytes()[i]);
        QVERIFY(loadMemory(memory) == expected);
    }

    // No shell: the window's file name, placed in {hex}, stays one argument.
    void nameReachesProgrammerWhole()
    {
        QTemporaryDir dir;
        const QString memory = dir.filePath(QStringLiteral("carte.mem"));
        const QString name = QStringLiteral("a b 'c\" ; touch pirate $(touch pirate2)");
        ShownForm form;
        form.dialogs->saveAnswers << dir.filePath(name + QStringLiteral(".kv2"));
        form.ui()->ButtonSauvegarder->click();
        QCOMPARE(form.dialogs->errors, QStringList());
        BoardDialog* dialog = openFromButton(form);
        QCOMPARE(qobject_cast<QLabel*>(dialog->control(I::Note))->text(),
                 QString::fromStdString(boardTableNote(false)));
        typeInto(edit(dialog, I::WriteEdit),
                 command(QStringLiteral("%SI %MEM rows {hex}"), memory));
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());
        const bool done = programAndWait(dialog);
        QDir::setCurrent(before);
        QVERIFY(done);
        const QList<QStringList> all = runs(memory);
        QCOMPARE(all.size(), 1);
        QCOMPARE(all[0].size(), 3);
        QCOMPARE(all[0][1], QStringLiteral("rows"));
        QVERIFY2(all[0][2].endsWith(QLatin1Char('/') + name + QStringLiteral(".hex")),
                 qPrintable(all[0][2]));
        for (const char* trace : {"pirate", "pirate2"})
            QVERIFY(!QFile::exists(dir.filePath(QLatin1String(trace))));
        QVERIFY(output(dialog).contains(QStringLiteral("La commande d'écriture a réussi")));
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
        QString firmware = writeFirmware(dir);
        if (target == QLatin1String("broken")) {
            QFile file(firmware);
            QVERIFY(file.open(QIODevice::Append));
            file.write(":0400000001\r\n");
        }
        const QByteArray firmwareBytes = [&] {
            QFile file(firmware);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
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
        QFile after(firmware);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), firmwareBytes);
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
        Memory expected = firmwareMemory();
        for (int i = 0; i < int(kRecordSize); ++i)
            expected[0x7C00 + std::uint32_t(i)] = std::uint8_t(form->currentRecord.bytes()[i]);
        QVERIFY(loadMemory(memory) == expected);
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
        const QString firmware = writeFirmware(dir);
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
