// The companion against the real window, driven headless: the search lines
// are the list's, --apply is a double-click followed by a Save, and hex is
// the HEX file the window's Save writes, and monture --derive prints the
// figures of the window's calibration tab.

#include "app/mount_dialog.h"
#include "cli_run.h"
#include "support/form_fixture.h"

#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace korval;

namespace
{
QByteArray parameterFile(const ConfigRecord& record, const DriveParameters& drive)
{
    const ParameterFileBytes bytes = serializeParameterFile(record, drive);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

// The defaults with a few fields changed, as a .kv2 file.
QByteArray editedDefaults(const QList<QPair<int, int>>& bytes, quint32 steps = 25600)
{
    ConfigRecord record;
    DriveParameters drive;
    loadFactoryDefaults(record, drive);
    for (const auto& [at, value] : bytes)
        record.setU8(std::size_t(at), std::uint8_t(value));
    drive.PasParTour = steps;
    return parameterFile(record, drive);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Types the (box, text) pairs into the window and gives the same values as
// the companion's options.
QStringList typeOverrides(const ShownForm& form, const QStringList& overrides)
{
    static const QMap<QString, QString> boxes = {{"--quartz", "EditFrequenceQuartz"},
                                                 {"--turn", "EditDureeTour"},
                                                 {"--steps", "EditPasParTour"}};
    for (int i = 0; i + 1 < overrides.size(); i += 2)
        typeInto(form.control(qPrintable(boxes.value(overrides.at(i)))), overrides.at(i + 1));
    return overrides;
}

QStringList windowLines(const ShownForm& form)
{
    QTest::mouseClick(form.ui()->EditPeriodeTimer, Qt::LeftButton);
    QStringList lines;
    for (int row = 0; row < form.ui()->ListBoxValeurTimer->count(); ++row)
        lines << form.ui()->ListBoxValeurTimer->item(row)->text();
    return lines;
}

void doubleClickLine(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    QVERIFY(item);
    list->scrollToItem(item);
    const QPoint at = list->visualItemRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

void openIn(ShownForm& form, const QString& path)
{
    form.dialogs->openAnswers << path;
    form.ui()->ButtonOuvrir->click();
}

void saveAs(ShownForm& form, const QString& path)
{
    form.dialogs->saveAnswers << path;
    QTest::mouseClick(form.control<QPushButton>("ButtonSauvegarder"), Qt::LeftButton);
}
} // namespace

class TestCliWindow : public QObject
{
    Q_OBJECT
private slots:
    void searchPrintsTheList_data()
    {
        QTest::addColumn<QStringList>("overrides");
        QTest::newRow("defaults") << QStringList{};
        QTest::newRow("11520 steps") << QStringList{"--steps", "11520"};
        QTest::newRow("16 MHz") << QStringList{"--quartz", "16000000"};
        QTest::newRow("slow worm") << QStringList{"--turn", "1196.7236", "--steps", "11520"};
    }
    void searchPrintsTheList()
    {
        QFETCH(QStringList, overrides);
        ShownForm form;
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        typeOverrides(form, overrides);
        const QStringList expected = windowLines(form);
        QTemporaryDir dir;
        const CliRun run = runCli(QStringList{"search"} + overrides, dir.path());
        QCOMPARE(run.exit, 0);
        QStringList printed = QString::fromUtf8(run.out).split('\n');
        QCOMPARE(printed.takeLast(), QString()); // every line ends
        QCOMPARE(printed, expected);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void applyIsADoubleClickThenASave_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("overrides");
        QTest::addColumn<int>("line");
        QTest::newRow("defaults, best line") << editedDefaults({}) << QStringList{} << 1;
        QTest::newRow("line 8, the factory period") << editedDefaults({}) << QStringList{} << 8;
        // V1 AD in half steps, V1 De not, other levels flagged, backlash and PWM changed.
        QTest::newRow("flags kept")
            << editedDefaults({{15, 0xA1}, {17, 0x88}, {11, 0x84}, {30, 7}, {42, 99}})
            << QStringList{} << 3;
        QTest::newRow("overrides stored")
            << editedDefaults({{7, 0xA1}}, 11520)
            << QStringList{"--quartz", "16000000", "--turn", "1196.7236", "--steps", "25600"} << 2;
        QTest::newRow("acceleration 200 s") << editedDefaults({{9, 200}}) << QStringList{} << 5;
    }
    void applyIsADoubleClickThenASave()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, overrides);
        QFETCH(int, line);
        QTemporaryDir dir;
        const QString input = dir.filePath("f.kv2");
        put(input, file);

        ShownForm form;
        QVERIFY(QTest::qWaitForWindowExposed(form.form.get()));
        openIn(form, input);
        typeOverrides(form, overrides);
        windowLines(form);
        doubleClickLine(form.ui()->ListBoxValeurTimer, line - 1);
        saveAs(form, dir.filePath("w.kv2"));
        QVERIFY(form.dialogs->errors.isEmpty());

        const CliRun run = runCli(QStringList{"search", "f.kv2"} + overrides +
                                      QStringList{"--apply", QString::number(line), "-o", "c.kv2"},
                                  dir.path());
        QCOMPARE(run.exit, 0);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(contentOf(dir.filePath("c.kv2")).toHex(' '),
                 contentOf(dir.filePath("w.kv2")).toHex(' '));
        QCOMPARE(contentOf(dir.filePath("c.hex")), contentOf(dir.filePath("w.hex")));
        QCOMPARE(contentOf(input), file); // the input is kept
    }

    void hexIsTheWindowsFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("defaults") << editedDefaults({});
        QTest::newRow("every kind of field") << editedDefaults(
            {{2, 0x12}, {5, 0}, {15, 0xFF}, {23, 200}, {34, 9}, {37, 3}, {46, 1}});
    }
    void hexIsTheWindowsFile()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        put(dir.filePath("f.kv2"), file);
        ShownForm form;
        openIn(form, dir.filePath("f.kv2"));
        saveAs(form, dir.filePath("w.kv2"));
        QVERIFY(form.dialogs->errors.isEmpty());
        const CliRun run = runCli({"hex", "f.kv2"}, dir.path());
        QCOMPARE(run.exit, 0);
        QCOMPARE(run.out, contentOf(dir.filePath("w.hex")));
        QCOMPARE(contentOf(dir.filePath("w.kv2")), file);
    }

    // The same figures in the dialog's calibration tab as on the command line,
    // from the same file opened in the window.
    void calibrationIsTheDialogs_data()
    {
        QTest::addColumn<QStringList>(
            "options"); // --derive --echelle --pendant --vers --declinaison --suivi
        QTest::newRow("west, δ 0") << QStringList{"15.04", "", "1:00", "ouest", "", "sidéral"};
        QTest::newRow("pixels, southern, east")
            << QStringList{"4", "3.76", "90s", "est", "-30", "sidéral"};
        QTest::newRow("King rate, 10 min")
            << QStringList{"2,5", "", "10min", "ouest", "45", "King"};
    }
    void calibrationIsTheDialogs()
    {
        QFETCH(QStringList, options);
        QTemporaryDir temporary;
        const QString file = temporary.filePath("b.kv2");
        put(file, editedDefaults({{15, 0x9C}}, 11520)); // V1AD 28 in half steps
        QStringList arguments = {"monture", file};
        const char* const names[] = {"--derive", "--echelle",     "--pendant",
                                     "--vers",   "--declinaison", "--suivi"};
        for (int i = 0; i < options.size(); ++i)
            if (!options.at(i).isEmpty()) arguments << names[i] << options.at(i);
        const CliRun run = runCli(arguments, temporary.path());
        QCOMPARE(run.exit, 0);

        ShownForm form;
        openIn(form, file);
        MountDialog* dialog = openMountDialog(*form.operator->());
        dialog->findChild<QTabWidget*>("OngletsMonture")->setCurrentIndex(1);
        typeInto(dialog->findChild<QLineEdit*>("EditDerive"), options.at(0));
        typeInto(dialog->findChild<QLineEdit*>("EditEchelle"), options.at(1));
        typeInto(dialog->findChild<QLineEdit*>("EditDureeMesure"), options.at(2));
        dialog->findChild<QRadioButton*>(options.at(3) == "est" ? "RadioEst" : "RadioOuest")
            ->setChecked(true);
        typeInto(dialog->findChild<QLineEdit*>("EditDeclinaison"), options.at(4));
        dialog->findChild<QComboBox*>("ComboSuiviCalibration")->setCurrentText(options.at(5));
        const QString shown = dialog->findChild<QPlainTextEdit*>("TextCalibration")->toPlainText();
        QVERIFY2(shown.startsWith(QString::fromUtf8(run.out)), qPrintable(shown));
        QVERIFY2(shown.contains("T = 28 (V1AD)"), qPrintable(shown));
        dialog->close();
    }
};

QTEST_MAIN(TestCliWindow)
#include "test_cli_window.moc"
