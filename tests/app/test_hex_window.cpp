// The board's program memory read back by its programmer, opened in the
// window, and « Comparer… »: the dumps of tests/support/make_hex_dumps.sh
// (the tool's own 214 bytes, a 32 KiB srec_cat image, a broken and a
// tableless one) give the record korvalset24-cli import-hex gives, and a
// comparison changes nothing in the window.

#include "support/form_fixture.h"

#include "form/form_model.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

using namespace korval;

namespace
{
QString dump(const char* name)
{
    return QDir(QStringLiteral(KORVAL_HEX_DUMPS)).filePath(QLatin1String(name));
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything of the window a user could see or save.
QStringList windowState(ShownForm& form)
{
    QStringList state;
    for (QLineEdit* box : form->findChildren<QLineEdit*>())
        state << box->objectName() + '=' + box->text() + '|' + box->toolTip();
    for (QCheckBox* box : form->findChildren<QCheckBox*>())
        state << box->objectName() + (box->isChecked() ? "=1" : "=0");
    state << QString::fromLatin1(bytesOf(form->currentRecord).toHex())
          << QString::fromLatin1(bytesOf(form->referenceRecord).toHex())
          << QString::number(form->drive.FrequenceQuartz) << QString::number(form->drive.PasParTour)
          << QString::number(floatBits(form->drive.DureeTour))
          << QString::number(form->model().hasUnsavedChanges()) << form->openFileName;
    return state;
}

QStringList linesOf(const FileComparison& comparison)
{
    QStringList lines;
    for (const std::string& line : comparison.lines)
        lines << QString::fromStdString(line);
    return lines;
}

// What the board's files (board.kv2, board.hex) hold beside the defaults.
const QStringList kBoardTable = {"V2AD : 16 -> 16/2", "JeuAD : 100 pas -> 123 pas",
                                 "TranchePec : 0 -> 7", "Pwm3 : 167 -> 200"};
} // namespace

class TestHexWindow : public QObject
{
    Q_OBJECT
private slots:
    void opensADump_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("refusal"); // empty: opened
        QTest::newRow("the tool's 214 bytes") << dump("board.hex") << "";
        QTest::newRow("32 KiB shuffled, lower case, LF") << dump("memory.hex") << "";
        QTest::newRow("one checksum broken") << dump("broken.hex") << "ligne 3 : somme de contrôle";
        QTest::newRow("no table") << dump("notable.hex")
                                  << "la table de configuration est incomplète";
    }
    void opensADump()
    {
        QFETCH(QString, image);
        QFETCH(QString, refusal);
        QVERIFY2(QFile::exists(image), qPrintable(image));
        ShownForm form;
        typeInto(form.control("EditFrequenceQuartz"), "20000000"); // the window's own, kept
        form.dialogs->saveChoices << FormView::SaveChoice::Discard;
        form.dialogs->openAnswers << image;
        const QStringList before = windowState(form);
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(form.dialogs->questions.size(), 1); // the unsaved changes, first
        QCOMPARE(form.dialogs->filters.constFirst(),
                 QStringLiteral("KORVAL 2 (*.kv2);;Images HEX de la carte "
                                "(*.hex);;Tous les fichiers (*)"));
        if (!refusal.isEmpty()) {
            QCOMPARE(form.dialogs->errors.size(), 1);
            QVERIFY2(form.dialogs->errors.constFirst().contains(refusal),
                     qPrintable(form.dialogs->errors.constFirst()));
            QVERIFY(form.dialogs->notes.isEmpty());
            QCOMPARE(windowState(form), before);
            return;
        }
        QVERIFY2(form.dialogs->errors.isEmpty(), qPrintable(form.dialogs->errors.join('\n')));
        // The record import-hex recovers from the same dump.
        const QByteArray recovered = readAll(dump("recovered.kv2")).left(kRecordSize);
        QCOMPARE(bytesOf(form->referenceRecord), recovered);
        QCOMPARE(bytesOf(form->currentRecord), recovered);
        QCOMPARE(form.text("EditJeuAD"), QStringLiteral("123"));
        QVERIFY(form.control<QCheckBox>("CheckBoxAD2")->isChecked());
        QCOMPARE(form.text("EditFrequenceQuartz"), QStringLiteral("20000000"));
        QCOMPARE(form->drive.FrequenceQuartz, 20000000u);
        QCOMPARE(form.dialogs->notes,
                 QStringList{"Table lue dans " + QFileInfo(image).fileName() +
                             ". La carte ne garde ni la fréquence du quartz, ni les pas par tour, "
                             "ni la durée d'un tour : ceux de la fenêtre sont gardés."});
        QVERIFY(!form->model().hasUnsavedChanges());

        // Save proposes a name whose .hex is not the dump, and leaves the dump whole.
        const QByteArray dumpBytes = readAll(image);
        QTemporaryDir dir;
        const QString copy = dir.filePath(QFileInfo(image).fileName());
        QVERIFY(QFile::copy(image, copy));
        form.dialogs->openAnswers << copy;
        form.ui()->ButtonOuvrir->click();
        form.dialogs->saveAnswers << dir.filePath("board.kv2") << copy + ".kv2";
        form.ui()->ButtonSauvegarder->click();
        form.ui()->ButtonSauvegarder->click();
        QCOMPARE(form.dialogs->proposedNames.constFirst(), copy + ".kv2");
        QCOMPARE(readAll(copy), dumpBytes);
        QCOMPARE(readAll(copy + ".kv2").left(kRecordSize), recovered);
        QCOMPARE(readAll(copy + ".kv2").size(), 61);
    }

    void comparesWithTheWindow_data()
    {
        QTest::addColumn<QString>("edit"); // typed into JeuDe after the save; empty: none
        QTest::addColumn<QString>("file"); // empty: the file saved from the window
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("tableOnly");
        QTest::newRow("saved, unchanged") << ""
                                          << "" << QStringList{"Identique à la fenêtre"} << false;
        QTest::newRow("one edit") << "321"
                                  << "" << QStringList{"JeuDe : 321 pas -> 100 pas"} << false;
        QTest::newRow("a HEX image: the table only")
            << "" << dump("memory.hex") << kBoardTable << true;
        QTest::newRow("its .kv2: the drive too")
            << "" << dump("board.kv2")
            << kBoardTable + QStringList{"FrequenceQuartz : 20000000 Hz -> 14745600 Hz"} << false;
    }
    void comparesWithTheWindow()
    {
        QFETCH(QString, edit);
        QFETCH(QString, file);
        QFETCH(QStringList, lines);
        QFETCH(bool, tableOnly);
        QTemporaryDir dir;
        ShownForm form;
        if (file.isEmpty()) {
            form.dialogs->saveAnswers << dir.filePath("a.kv2");
            form.ui()->ButtonSauvegarder->click();
            file = dir.filePath("a.kv2");
        } else {
            typeInto(form.control("EditFrequenceQuartz"), "20000000"); // not in an image
        }
        if (!edit.isEmpty()) typeInto(form.control("EditJeuDe"), edit);
        const QStringList before = windowState(form);
        QToolButton* button = form->compareButton();
        QCOMPARE(button->text(), QStringLiteral("&Comparer…"));
        form.dialogs->openAnswers << file;
        button->click();
        QCOMPARE(windowState(form), before);
        QVERIFY2(form.dialogs->errors.isEmpty(), qPrintable(form.dialogs->errors.join('\n')));
        QCOMPARE(form.dialogs->comparisons.size(), std::size_t(1));
        const FileComparison& shown = form.dialogs->comparisons.front();
        QCOMPARE(linesOf(shown), lines);
        QCOMPARE(shown.tableOnly, tableOnly);
        QCOMPARE(QString::fromStdString(shown.heading).contains("seuls les champs de la table"),
                 tableOnly);

        // The dialog shows the lines; « Copier » and Ctrl+C copy them all.
        std::unique_ptr<QDialog> dialog(makeComparisonDialog(form.form.get(), shown));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        const QString text = QString::fromStdString(shown.text());
        QCOMPARE(dialog->findChild<QPlainTextEdit*>("ListeDifferences")->toPlainText(),
                 lines.join('\n'));
        QApplication::clipboard()->clear();
        dialog->findChild<QPushButton*>("ButtonCopier")->click();
        QCOMPARE(QApplication::clipboard()->text(), text);
        QApplication::clipboard()->clear();
        QTest::keyClick(dialog.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(), text);
        if (qEnvironmentVariableIsSet("KORVAL_SCREENSHOTS") && tableOnly) {
            dialog->grab().save(qEnvironmentVariable("KORVAL_SCREENSHOTS") + "/qt-compare.png");
            form->grab().save(qEnvironmentVariable("KORVAL_SCREENSHOTS") + "/qt-window.png");
        }
        QCOMPARE(windowState(form), before);
    }

    void refusedOrCancelledComparisonsChangeNothing_data()
    {
        QTest::addColumn<QString>("file"); // empty: the dialog is cancelled
        QTest::addColumn<QString>("refusal");
        QTest::newRow("cancelled") << ""
                                   << "";
        QTest::newRow("broken image") << dump("broken.hex") << "ligne 3 : somme de contrôle";
        QTest::newRow("no table") << dump("notable.hex") << "la table de configuration";
    }
    void refusedOrCancelledComparisonsChangeNothing()
    {
        QFETCH(QString, file);
        QFETCH(QString, refusal);
        ShownForm form;
        typeInto(form.control("EditJeuAD"), "321");
        const QStringList before = windowState(form);
        if (!file.isEmpty()) form.dialogs->openAnswers << file;
        form->compareButton()->click();
        QCOMPARE(windowState(form), before);
        QVERIFY(form.dialogs->comparisons.empty());
        QVERIFY(form.dialogs->questions.isEmpty()); // nothing to save before a comparison
        QCOMPARE(form.dialogs->errors.size(), refusal.isEmpty() ? 0 : 1);
        if (!refusal.isEmpty()) QVERIFY(form.dialogs->errors.constFirst().contains(refusal));
    }
};

QTEST_MAIN(TestHexWindow)
#include "test_hex_window.moc"
