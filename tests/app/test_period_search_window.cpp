// The interrupt period search as the user meets it: a click into the period
// box fills and shows the candidate list, a double-click or Enter applies a
// line, Escape dismisses it, and faults leave the list as the search left it.

#include "support/form_fixture.h"

#include "config/fp_fault.h"
#include "timing/period_search.h"

#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

using namespace korval;

namespace {
const QString kFactoryLine0 = QStringLiteral("  449490   1.15e-06   1657 X  52 --  416X");
const QString kFactoryLine7 = QStringLiteral("  708279   1.28e-05   2611 X  33 --  264X");

QListWidget* listOf(const ShownForm& form) { return form.ui()->ListBoxValeurTimer; }

QStringList linesOf(const QListWidget* list)
{
    QStringList lines;
    for (int row = 0; row < list->count(); ++row)
        lines << list->item(row)->text();
    return lines;
}

// Types each (box, text) pair of `edits`, in order.
void typeEdits(const ShownForm& form, const QStringList& edits)
{
    QVERIFY2(edits.size() % 2 == 0, "edits come in pairs");
    for (int i = 0; i + 1 < edits.size(); i += 2)
        typeInto(form.control(qPrintable(edits.at(i))), edits.at(i + 1));
}

void waitShown(const ShownForm& form) { QVERIFY(QTest::qWaitForWindowExposed(form.form.get())); }

// The user's click into the period box.
void clickPeriodBox(const ShownForm& form) { QTest::mouseClick(form.ui()->EditPeriodeTimer, Qt::LeftButton); }

// Where a line sits on screen, scrolled into view first.
QPoint linePosition(QListWidget* list, int row)
{
    QListWidgetItem* item = list->item(row);
    if (!item) {
        QTest::qFail(qPrintable(QStringLiteral("the list has no line %1").arg(row)), __FILE__, __LINE__);
        return {};
    }
    list->scrollToItem(item);
    return list->visualItemRect(item).center();
}

// A real double-click: the first click selects the line, the second applies it.
void doubleClickLine(QListWidget* list, int row)
{
    const QPoint at = linePosition(list, row);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// From line 0 down to `row` with the arrow keys.
void arrowDownTo(QListWidget* list, int row)
{
    list->setFocus();
    for (int i = list->currentRow(); i < row; ++i)
        QTest::keyClick(list, Qt::Key_Down);
}

enum class Gesture { DoubleClick, Return, KeypadEnter };

// Applies line `row` the way `gesture` says.
void applyLine(QListWidget* list, int row, Gesture gesture)
{
    QVERIFY2(row < list->count(), "no such line");
    switch (gesture) {
    case Gesture::DoubleClick:
        doubleClickLine(list, row);
        break;
    case Gesture::Return:
        arrowDownTo(list, row);
        QTest::keyClick(list, Qt::Key_Return);
        break;
    case Gesture::KeypadEnter:
        arrowDownTo(list, row);
        QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
        break;
    }
}

QString faultMessage(FpFault fault) { return QString::fromUtf8(FloatingPointError(fault).what()); }

quint32 bitsOf(float value)
{
    quint32 bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

QStringList coreLines(std::uint32_t quartz, float duree, std::uint32_t pas)
{
    QStringList lines;
    for (const std::string& line : candidateLines(searchCandidates(prepareSearch(quartz, duree, pas))))
        lines << QString::fromStdString(line);
    return lines;
}

// The texts a search never touches and an apply step does.
const char* const kApplyTargets[] = {
    "EditPeriodeTimer", "EditV1AD", "EditV1De", "EditErreur", "EditVmax", "EditPeriodeMax",
    "EditXAD1",         "EditXAD2", "EditXAD7", "EditXDe1",   "EditXDe2", "EditXDe7",
};

QStringList applyTargetTexts(const ShownForm& form)
{
    QStringList texts;
    for (const char* name : kApplyTargets)
        texts << QStringLiteral("%1=%2").arg(QLatin1String(name), form.text(name));
    return texts;
}

void putLE32(QByteArray& bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((value >> (8 * i)) & 0xFF);
}
} // namespace

Q_DECLARE_METATYPE(Gesture)

class TestPeriodSearchWindow : public QObject {
    Q_OBJECT
private slots:
    // A click shows the list, line 0 selected, with the lines of the current
    // drive parameters.
    void clickShowsTheList_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("line");
        QTest::addColumn<float>("perPas");
        // The factory parameters: 293 lines, P = 23373508 ns; the four ties
        // at 1.15e-06 stand shortest period first.
        const QStringList factory;
        const float factoryP = 23373508.0f;
        const struct {
            int row;
            const char* line;
        } factoryLines[] = {
            {0, "  449490   1.15e-06   1657 X  52 --  416X"}, {1, "  898980   1.15e-06   3314 X  26 --  208X"},
            {2, " 1797960   1.15e-06   6628 X  13 --  104X"}, {3, " 5843370   1.15e-06   21541 X   4 --  32X"},
            {4, " 1230197   1.05e-05   4535 X  19 --  152X"}, {7, "  708279   1.28e-05   2611 X  33 --  264X"},
        };
        for (const auto& l : factoryLines)
            QTest::addRow("factory, line %d", l.row)
                << factory << 293 << l.row << QString::fromLatin1(l.line) << factoryP;
        // 11520 steps per turn: 598 lines, P = 51941128 ns.
        const QStringList pas11520 = {"EditPasParTour", "11520"};
        QTest::newRow("11520 steps, line 5")
            << pas11520 << 598 << 5 << " 1403809   4.03e-06   5175 X  37 --  296X" << 51941128.0f;
    }
    void clickShowsTheList()
    {
        QFETCH(QStringList, edits);
        QFETCH(int, count);
        QFETCH(int, row);
        QFETCH(QString, line);
        QFETCH(float, perPas);
        ShownForm form;
        waitShown(form);
        typeEdits(form, edits);
        if (QTest::currentTestFailed())
            return;
        QListWidget* list = listOf(form);
        QVERIFY(list->isHidden());

        clickPeriodBox(form);

        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), count);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->selectedItems().constFirst(), list->item(0));
        QCOMPARE(list->item(row)->text(), line);
        // The search keeps its time per step, in nanoseconds.
        QCOMPARE(bitsOf(form->drive.PerPas), bitsOf(perPas));
        QVERIFY(form.dialogs->errors.isEmpty());
        // A search stores no field of the record.
        QCOMPARE(form->currentRecord.PeriodeTimer(), 708279u);
    }

    // With 11520 steps per turn, ten lines tie at the top, and k 1496, whose
    // n would be 128, is absent however small its error.
    void elevenThousandStepsShowTheirTies()
    {
        ShownForm form;
        waitShown(form);
        typeInto(form.control("EditPasParTour"), QStringLiteral("11520"));
        clickPeriodBox(form);
        const QStringList lines = linesOf(listOf(form));
        QCOMPARE(lines.size(), 598);
        for (int row = 0; row < 10; ++row)
            QVERIFY2(lines.at(row).mid(11, 8) == QLatin1String("4.03e-06"), qPrintable(lines.at(row)));
        QVERIFY2(lines.at(10).mid(11, 8) != QLatin1String("4.03e-06"), qPrintable(lines.at(10)));
        for (const QString& line : lines) {
            const auto parsed = parseCandidateLine(line.toStdString());
            QVERIFY2(parsed.has_value(), qPrintable(line));
            QVERIFY2(parsed->k != 1496, qPrintable(line));
            QVERIFY2(parsed->n < 128, qPrintable(line));
        }
    }

    // No candidate passes: the list is shown, empty, nothing selected.
    void noCandidateShowsAnEmptyList_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<bool>("shownBefore");
        const struct {
            const char* name;
            QStringList edits;
        } cases[] = {
            {"quartz 0", {"EditFrequenceQuartz", "0"}},
            {"quartz 500 MHz", {"EditFrequenceQuartz", "500000000"}},
            {"negative worm turn", {"EditDureeTour", "-598.36181640625"}},
        };
        for (const auto& c : cases) {
            QTest::addRow("%s, list hidden", c.name) << c.edits << false;
            QTest::addRow("%s, list shown", c.name) << c.edits << true;
        }
    }
    void noCandidateShowsAnEmptyList()
    {
        QFETCH(QStringList, edits);
        QFETCH(bool, shownBefore);
        ShownForm form;
        waitShown(form);
        QListWidget* list = listOf(form);
        if (shownBefore) {
            clickPeriodBox(form);
            QCOMPARE(list->count(), 293);
        }
        typeEdits(form, edits);
        if (QTest::currentTestFailed())
            return;

        clickPeriodBox(form);

        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 0);
        QCOMPARE(list->currentRow(), -1);
        QVERIFY(list->selectedItems().isEmpty());
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // A fault stops the search with one error box. Without steps per turn, or
    // with a time per step beyond a float, the list keeps its lines and its
    // visibility; a worm turn of 0 stops after the list was emptied.
    void faultStopsTheSearch_data()
    {
        QTest::addColumn<QStringList>("edits");
        QTest::addColumn<bool>("shownBefore");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("linesKept");
        QTest::addColumn<bool>("perPasKept");
        const struct {
            const char* name;
            QStringList edits;
            FpFault fault;
            bool linesKept;
            bool perPasKept;
        } cases[] = {
            {"no steps per turn", {"EditPasParTour", "0"}, FpFault::DivisionByZero, true, true},
            {"worm turn of 0", {"EditDureeTour", "0"}, FpFault::InvalidOperation, false, false},
            {"1e30 s over 1 step", {"EditPasParTour", "1", "EditDureeTour", "1e30"}, FpFault::Overflow, true, true},
            {"1e38 s over 1 step", {"EditPasParTour", "1", "EditDureeTour", "1e38"}, FpFault::Overflow, true, true},
        };
        for (const auto& c : cases) {
            QTest::addRow("%s, list hidden", c.name)
                << c.edits << false << int(c.fault) << c.linesKept << c.perPasKept;
            QTest::addRow("%s, list shown", c.name)
                << c.edits << true << int(c.fault) << c.linesKept << c.perPasKept;
        }
    }
    void faultStopsTheSearch()
    {
        QFETCH(QStringList, edits);
        QFETCH(bool, shownBefore);
        QFETCH(int, fault);
        QFETCH(bool, linesKept);
        QFETCH(bool, perPasKept);
        ShownForm form;
        waitShown(form);
        QListWidget* list = listOf(form);
        if (shownBefore) {
            clickPeriodBox(form);
            QCOMPARE(list->count(), 293);
        }
        typeEdits(form, edits);
        if (QTest::currentTestFailed())
            return;
        const QStringList linesBefore = linesOf(list);
        const bool visibleBefore = list->isVisible();
        QCOMPARE(visibleBefore, shownBefore);
        const quint32 perPasBefore = bitsOf(form->drive.PerPas);
        const QByteArray recordBefore = bytesOf(form->currentRecord);
        // Only what the click brings counts: a huge worm turn may already
        // have been reported by the time-per-step display.
        form.dialogs->errors.clear();

        clickPeriodBox(form);

        QCOMPARE(form.dialogs->errors, QStringList{faultMessage(FpFault(fault))});
        QCOMPARE(list->isVisible(), visibleBefore);
        if (linesKept)
            QCOMPARE(linesOf(list), linesBefore);
        else
            QCOMPARE(list->count(), 0);
        if (perPasKept)
            QCOMPARE(bitsOf(form->drive.PerPas), perPasBefore);
        else
            QCOMPARE(bitsOf(form->drive.PerPas), bitsOf(0.0f)); // P was stored before the fault
        QCOMPARE(bytesOf(form->currentRecord), recordBefore);
    }

    // Applying a line on an empty list does nothing at all.
    void applyOnAnEmptyListChangesNothing_data()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::newRow("double-click") << Gesture::DoubleClick;
        QTest::newRow("Return") << Gesture::Return;
        QTest::newRow("keypad Enter") << Gesture::KeypadEnter;
    }
    void applyOnAnEmptyListChangesNothing()
    {
        QFETCH(Gesture, gesture);
        ShownForm form;
        waitShown(form);
        typeInto(form.control("EditFrequenceQuartz"), QStringLiteral("0"));
        clickPeriodBox(form);
        QListWidget* list = listOf(form);
        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 0);
        const QByteArray recordBefore = bytesOf(form->currentRecord);
        const QStringList textsBefore = applyTargetTexts(form);

        if (gesture == Gesture::DoubleClick) {
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->viewport()->rect().center());
        } else {
            list->setFocus();
            if (gesture == Gesture::Return)
                QTest::keyClick(list, Qt::Key_Return);
            else
                QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
        }

        QCOMPARE(bytesOf(form->currentRecord), recordBefore);
        QCOMPARE(applyTargetTexts(form), textsBefore);
        QVERIFY(list->isVisible());
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // The 708279 line, applied by mouse or keyboard, from a window whose
    // period and V1 counts differ from it and whose V2 AD and V1 De carry
    // half-step flags, so that every ratio visibly follows the new V1.
    void applyingALine_data()
    {
        QTest::addColumn<Gesture>("gesture");
        QTest::newRow("double-click") << Gesture::DoubleClick;
        QTest::newRow("Return") << Gesture::Return;
        QTest::newRow("keypad Enter") << Gesture::KeypadEnter;
    }
    void applyingALine()
    {
        QFETCH(Gesture, gesture);
        ShownForm form;
        waitShown(form);
        typeInto(form.control("EditPeriodeTimer"), QStringLiteral("500000"));
        typeInto(form.control("EditV1AD"), QStringLiteral("20"));
        typeInto(form.control("EditV1De"), QStringLiteral("24"));
        QTest::mouseClick(form.control<QCheckBox>("CheckBoxAD2"), Qt::LeftButton);
        QTest::mouseClick(form.control<QCheckBox>("CheckBoxDe1"), Qt::LeftButton);
        QVERIFY(form.control<QCheckBox>("CheckBoxAD2")->isChecked());
        QVERIFY(form.control<QCheckBox>("CheckBoxDe1")->isChecked());
        QCOMPARE(form->currentRecord.PeriodeTimer(), 500000u);
        QCOMPARE(form.text("EditXAD2"), QStringLiteral(" 10.00")); // 20 x 8 / 16
        QCOMPARE(form.text("EditXAD7"), QStringLiteral(" 20.00"));
        QCOMPARE(form.text("EditXDe2"), QStringLiteral("  0.19")); // 24 x 0.125 / 16
        QCOMPARE(form.text("EditXDe6"), QStringLiteral("  1.50")); // 24 x 0.125 / 2

        clickPeriodBox(form);
        QListWidget* list = listOf(form);
        QCOMPARE(list->count(), 293);
        QCOMPARE(list->item(7)->text(), kFactoryLine7);
        applyLine(list, 7, gesture);

        QCOMPARE(form.text("EditPeriodeTimer"), QStringLiteral("708279"));
        QCOMPARE(form->currentRecord.PeriodeTimer(), 708279u);
        QCOMPARE(form.text("EditV1AD"), QStringLiteral("33"));
        QCOMPARE(form.text("EditV1De"), QStringLiteral("33"));
        // Each V1 takes the count and keeps its own flag.
        QCOMPARE(form->currentRecord.level(Axis::AD, 1), std::uint8_t(0x21));
        QCOMPARE(form->currentRecord.level(Axis::De, 1), std::uint8_t(0xA1));
        QCOMPARE(form->currentRecord.level(Axis::AD, 2), std::uint8_t(0x90));
        QCOMPARE(form.text("EditXAD1"), QStringLiteral("  1.00"));
        QCOMPARE(form.text("EditXAD2"), QStringLiteral(" 16.50")); // 33 x 8 / 16
        QCOMPARE(form.text("EditXAD7"), QStringLiteral(" 33.00"));
        QCOMPARE(form.text("EditXDe1"), QStringLiteral("1.00"));
        QCOMPARE(form.text("EditXDe2"), QStringLiteral("  0.26")); // 33 x 0.125 / 16
        QCOMPARE(form.text("EditXDe6"), QStringLiteral("  2.06")); // 33 x 0.125 / 2
        QCOMPARE(form.text("EditErreur"), QStringLiteral("1.28e-05"));
        QCOMPARE(form.text("EditVmax"), QStringLiteral("33"));
        QCOMPARE(form.text("EditPeriodeMax"), QStringLiteral("180.61"));
        QVERIFY(list->isHidden());
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // What a line sets is what the next Save writes.
    void saveWritesTheAppliedLine_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<quint32>("period");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("periodeMax");
        QTest::newRow("line 7, the factory period") << 7 << 708279u << 33 << "1.28e-05" << "180.61";
        QTest::newRow("line 0, the best") << 0 << 449490u << 52 << "1.15e-06" << "114.62";
    }
    void saveWritesTheAppliedLine()
    {
        QFETCH(int, row);
        QFETCH(quint32, period);
        QFETCH(int, n);
        QFETCH(QString, error);
        QFETCH(QString, periodeMax);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        ShownForm form;
        waitShown(form);
        typeInto(form.control("EditPeriodeTimer"), QStringLiteral("500000"));
        typeInto(form.control("EditV1AD"), QStringLiteral("20"));
        typeInto(form.control("EditV1De"), QStringLiteral("20"));
        clickPeriodBox(form);
        applyLine(listOf(form), row, Gesture::DoubleClick);
        QCOMPARE(form.text("EditPeriodeTimer"), QString::number(period));
        QCOMPARE(form.text("EditErreur"), error);
        QCOMPARE(form.text("EditVmax"), QString::number(n));
        QCOMPARE(form.text("EditPeriodeMax"), periodeMax);

        const QString path = dir.filePath(QStringLiteral("monture.kv2"));
        form.dialogs->saveAnswers << path;
        QTest::mouseClick(form.control<QPushButton>("ButtonSauvegarder"), Qt::LeftButton);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QByteArray expected = defaultParameterFile();
        putLE32(expected, int(offset::PeriodeTimer), period);
        expected[int(levelOffset(Axis::AD, 1))] = char(n);
        expected[int(levelOffset(Axis::De, 1))] = char(n);
        QCOMPARE(written.size(), 61);
        QCOMPARE(written.toHex(' '), expected.toHex(' '));
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // Every click runs a fresh search: stale lines go, line 0 is selected again.
    void clickingAgainSearchesAgain_data()
    {
        QTest::addColumn<QString>("before");
        QTest::newRow("list shown, line 12 selected") << "select";
        QTest::newRow("list hidden by Escape") << "escape";
        QTest::newRow("list hidden by applying a line") << "apply";
    }
    void clickingAgainSearchesAgain()
    {
        QFETCH(QString, before);
        ShownForm form;
        waitShown(form);
        clickPeriodBox(form);
        QListWidget* list = listOf(form);
        const QStringList first = linesOf(list);
        QCOMPARE(first.size(), 293);
        list->addItem(QStringLiteral("stale line"));
        list->setCurrentRow(12);
        if (before == QLatin1String("escape")) {
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Escape);
            QVERIFY(list->isHidden());
        } else if (before == QLatin1String("apply")) {
            QTest::keyClick(list, Qt::Key_Return);
            QVERIFY(list->isHidden());
            const auto applied = parseCandidateLine(first.at(12).toStdString());
            QVERIFY(applied.has_value());
            QCOMPARE(form->currentRecord.PeriodeTimer(), quint32(applied->period));
        }

        clickPeriodBox(form);

        QVERIFY(list->isVisible());
        QCOMPARE(linesOf(list), first);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(list->selectedItems().size(), 1);
        QCOMPARE(list->selectedItems().constFirst()->text(), kFactoryLine0);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // A new quartz blanks the period box; the stored period stays until a
    // line of the new list is applied.
    void newQuartzGivesANewList_data()
    {
        QTest::addColumn<quint32>("quartz");
        QTest::newRow("16 MHz") << 16000000u;
        QTest::newRow("20 MHz") << 20000000u;
        QTest::newRow("12 MHz") << 12000000u;
    }
    void newQuartzGivesANewList()
    {
        QFETCH(quint32, quartz);
        ShownForm form;
        waitShown(form);
        clickPeriodBox(form);
        QListWidget* list = listOf(form);
        const QStringList factory = linesOf(list);
        QCOMPARE(factory.size(), 293);

        typeInto(form.control("EditFrequenceQuartz"), QString::number(quartz));
        QCOMPARE(form.text("EditPeriodeTimer"), QString());
        QCOMPARE(form->currentRecord.PeriodeTimer(), 708279u);
        QVERIFY(list->isVisible()); // typing does not hide the list,
        QCOMPARE(linesOf(list), factory); // nor search again

        clickPeriodBox(form);
        const QStringList expected = coreLines(quartz, defaultDureeTour(), 25600);
        QVERIFY(!expected.isEmpty());
        QVERIFY(expected != factory);
        QCOMPARE(linesOf(list), expected);
        QCOMPARE(list->currentRow(), 0);
        QCOMPARE(form->currentRecord.PeriodeTimer(), 708279u);
        QCOMPARE(form.text("EditPeriodeTimer"), QString());

        list->setFocus();
        QTest::keyClick(list, Qt::Key_Return);
        const auto applied = parseCandidateLine(expected.at(0).toStdString());
        QVERIFY(applied.has_value());
        QVERIFY(applied->period != 708279);
        QCOMPARE(form.text("EditPeriodeTimer"), QString::number(applied->period));
        QCOMPARE(form->currentRecord.PeriodeTimer(), quint32(applied->period));
        QCOMPARE(form.text("EditV1AD"), QString::number(applied->n));
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // Escape hides the list and applies nothing, whether the list or the
    // period box has the keyboard.
    void escapeHidesWithoutApplying_data()
    {
        QTest::addColumn<QString>("where");
        QTest::newRow("in the list") << "ListBoxValeurTimer";
        QTest::newRow("in the period box") << "EditPeriodeTimer";
    }
    void escapeHidesWithoutApplying()
    {
        QFETCH(QString, where);
        ShownForm form;
        waitShown(form);
        const QByteArray recordBefore = bytesOf(form->currentRecord);
        const QStringList textsBefore = applyTargetTexts(form);
        clickPeriodBox(form);
        QListWidget* list = listOf(form);
        QVERIFY(list->isVisible());
        QCOMPARE(list->currentRow(), 0); // applying would set 449490 and 52

        QWidget* target = form->findChild<QWidget*>(where);
        QVERIFY(target);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);

        QVERIFY(list->isHidden());
        QCOMPARE(bytesOf(form->currentRecord), recordBefore);
        QCOMPARE(applyTargetTexts(form), textsBefore);
        QCOMPARE(list->count(), 293); // hidden, not cleared
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // Nothing but applying a line or Escape hides the list.
    void listStaysShown_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("a single click on a line") << "click line";
        QTest::newRow("arrow keys in the list") << "arrows";
        QTest::newRow("a period typed by hand") << "type period";
        QTest::newRow("a new worm turn typed") << "type worm turn";
        QTest::newRow("Escape in another box") << "escape elsewhere";
        QTest::newRow("Valider") << "valider";
    }
    void listStaysShown()
    {
        QFETCH(QString, action);
        ShownForm form;
        waitShown(form);
        clickPeriodBox(form);
        QListWidget* list = listOf(form);
        QVERIFY(list->isVisible());

        if (action == QLatin1String("click line")) {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, linePosition(list, 3));
            QCOMPARE(list->currentRow(), 3);
        } else if (action == QLatin1String("arrows")) {
            arrowDownTo(list, 5);
            QTest::keyClick(list, Qt::Key_Up);
            QCOMPARE(list->currentRow(), 4);
        } else if (action == QLatin1String("type period")) {
            typeInto(form.control("EditPeriodeTimer"), QStringLiteral("600000"));
            QCOMPARE(form->currentRecord.PeriodeTimer(), 600000u);
        } else if (action == QLatin1String("type worm turn")) {
            typeInto(form.control("EditDureeTour"), QStringLiteral("600"));
        } else if (action == QLatin1String("escape elsewhere")) {
            QLineEdit* box = form.control("EditDureeTour");
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            QTest::mouseClick(form.control<QPushButton>("ButtonValider"), Qt::LeftButton);
        }

        QVERIFY(list->isVisible());
        QCOMPARE(list->count(), 293);
        // Neither a typed period nor a selection touches the apply displays.
        QCOMPARE(form.text("EditErreur"), QStringLiteral(" "));
        QCOMPARE(form.text("EditVmax"), QStringLiteral(" "));
        QCOMPARE(form.text("EditPeriodeMax"), QStringLiteral(" "));
        QVERIFY(form.dialogs->errors.isEmpty());
    }
};

QTEST_MAIN(TestPeriodSearchWindow)
#include "test_period_search_window.moc"
