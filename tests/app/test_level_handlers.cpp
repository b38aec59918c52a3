// The speed levels of the three drives, driven through the real window: the
// level bytes with their half-step flags, the X displays of AD and De, the ms
// displays of the focuser and the acceleration time kept in V3 De.

#include "support/form_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace korval;

Q_DECLARE_METATYPE(korval::Axis)

namespace
{

// Counts V1..V7 of every drive in the factory table (index 0 is unused).
constexpr int kDefaultCount[8] = {0, 33, 16, 8, 6, 4, 2, 1};

QString v1RatioText(Axis axis)
{
    return axis == Axis::AD ? QStringLiteral("  1.00") : QStringLiteral("1.00");
}

// Everything a drive shows and stores, one line per level, so that a change
// anywhere in it shows up in a comparison.
QStringList describeDrive(const ShownForm& form, Axis axis)
{
    QStringList lines;
    for (int level = 1; level <= kLevelCount; ++level) {
        QString line = QStringLiteral("V%1 byte=%2 text='%3'")
                           .arg(level)
                           .arg(form->currentRecord.level(axis, level), 2, 16, QLatin1Char('0'))
                           .arg(form->levelEdit(axis, level)->text());
        if (axis == Axis::Foc) {
            line += QStringLiteral(" ms='%1'").arg(form->msDisplay(level)->text());
        } else {
            line += QStringLiteral(" x='%1' box=%2")
                        .arg(form->ratioDisplay(axis, level)->text())
                        .arg(form->halfStepBox(axis, level)->isChecked() ? 1 : 0);
        }
        lines << line;
    }
    return lines;
}

// The two drives a test on `axis` must leave alone, and every byte outside
// the level tables.
QStringList describeOutside(const ShownForm& form, Axis axis)
{
    QStringList lines;
    for (Axis other : {Axis::AD, Axis::De, Axis::Foc})
        if (other != axis) lines << describeDrive(form, other);
    QByteArray bytes = bytesOf(form->currentRecord);
    for (int level = 1; level <= kLevelCount; ++level)
        bytes[int(levelOffset(axis, level))] = 0;
    lines << QString::fromLatin1(bytes.toHex(' '));
    return lines;
}

} // namespace

class TestLevelHandlers : public QObject
{
    Q_OBJECT
private slots:
    // ---- start-up -------------------------------------------------------

    void startupDisplays_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        const QList<QPair<const char*, const char*>> rows = {
            // EditXAD1 formats 1.0 with "% 6.2f"; EditXDe1 holds the literal.
            {"EditXAD1", "  1.00"},
            {"EditXDe1", "1.00"},
            {"EditXAD2", "  2.06"},
            {"EditXDe2", "  2.06"},
            {"EditXAD4", "  5.50"},
            {"EditXDe4", "  5.50"},
            {"EditXAD5", "  8.25"},
            {"EditXDe5", "  8.25"},
            {"EditXAD6", " 16.50"},
            {"EditXDe6", " 16.50"},
            {"EditXAD7", " 33.00"},
            {"EditXDe7", " 33.00"},
            // Step intervals of the focuser at 708279 ns.
            {"EditMsFoc1", " 23.37"},
            {"EditMsFoc2", " 11.33"},
            {"EditMsFoc3", "  5.67"},
            {"EditMsFoc4", "  4.25"},
            {"EditMsFoc5", "  2.83"},
            {"EditMsFoc6", "  1.42"},
            {"EditMsFoc7", "  0.71"},
            {"EditMaintienFoc", "  3.54"},
        };
        for (const auto& [control, text] : rows)
            QTest::newRow(control) << control << text;
    }
    void startupDisplays()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        ShownForm form;
        QLineEdit* box = form->findChild<QLineEdit*>(control);
        QVERIFY(box);
        QCOMPARE(box->text(), text);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void startupLeavesTheFactoryTable()
    {
        ShownForm form;
        QCOMPARE(bytesOf(form->currentRecord), factoryTable());
        QCOMPARE(bytesOf(form->referenceRecord), factoryTable());
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // ---- half-step flags and the byte composition -----------------------

    void halfStepFlags_data()
    {
        QTest::addColumn<Axis>("axis");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("levelFlag");
        QTest::addColumn<bool>("v1Flag");
        QTest::addColumn<QString>("typed"); // empty: the start-up count stays
        QTest::addColumn<int>("levelByte");
        QTest::addColumn<int>("v1Byte");
        QTest::addColumn<QString>("ratio");

        // A half step is worth eight plain steps in the ratio.
        QTest::newRow("AD V2 half, V1 plain")
            << Axis::AD << 2 << true << false << "" << 0x90 << 0x21 << " 16.50";
        QTest::newRow("AD V1 half, V2 plain")
            << Axis::AD << 2 << false << true << "" << 0x10 << 0xA1 << "  0.26";
        QTest::newRow("AD both half")
            << Axis::AD << 2 << true << true << "" << 0x90 << 0xA1 << "  2.06";
        QTest::newRow("De V2 half, V1 plain")
            << Axis::De << 2 << true << false << "" << 0x90 << 0x21 << " 16.50";
        QTest::newRow("De V1 half, V2 plain")
            << Axis::De << 2 << false << true << "" << 0x10 << 0xA1 << "  0.26";
        QTest::newRow("De V7 half")
            << Axis::De << 7 << true << false << "" << 0x81 << 0x21 << " 264.00";
        QTest::newRow("AD V6 half (hidden)")
            << Axis::AD << 6 << true << false << "" << 0x82 << 0x21 << " 132.00";

        // The number brings its own bit 7; the ratio divides by the whole byte.
        QTest::newRow("AD 200 plain")
            << Axis::AD << 2 << false << false << "200" << 0xC8 << 0x21 << "  0.17";
        QTest::newRow("De 200 plain on V7")
            << Axis::De << 7 << false << false << "200" << 0xC8 << 0x21 << "  0.17";
        QTest::newRow("AD 128 plain")
            << Axis::AD << 7 << false << false << "128" << 0x80 << 0x21 << "  0.26";
        QTest::newRow("AD -1 plain")
            << Axis::AD << 2 << false << false << "-1" << 0xFF << 0x21 << "  0.13";
        QTest::newRow("AD -1 half")
            << Axis::AD << 2 << true << false << "-1" << 0xFF << 0x21 << "  1.04";
        QTest::newRow("AD 12abc") << Axis::AD << 7 << false << false << "12abc" << 0x0C << 0x21
                                  << "  2.75";
        QTest::newRow("De 12abc") << Axis::De << 2 << false << false << "12abc" << 0x0C << 0x21
                                  << "  2.75";
        QTest::newRow("AD 300 plain")
            << Axis::AD << 2 << false << false << "300" << 0x2C << 0x21 << "  0.75";
        QTest::newRow("AD 300 half")
            << Axis::AD << 2 << true << false << "300" << 0xAC << 0x21 << "  6.00";
        QTest::newRow("De 300 half on V7")
            << Axis::De << 7 << true << false << "300" << 0xAC << 0x21 << "  6.00";
        QTest::newRow("AD V4 300 half (hidden)")
            << Axis::AD << 4 << true << false << "300" << 0xAC << 0x21 << "  6.00";
        QTest::newRow("De V5 300 plain (hidden)")
            << Axis::De << 5 << false << false << "300" << 0x2C << 0x21 << "  0.75";
        QTest::newRow("AD 20, both half")
            << Axis::AD << 2 << true << true << "20" << 0x94 << 0xA1 << "  1.65";
    }
    void halfStepFlags()
    {
        QFETCH(Axis, axis);
        QFETCH(int, level);
        QFETCH(bool, levelFlag);
        QFETCH(bool, v1Flag);
        QFETCH(QString, typed);
        QFETCH(int, levelByte);
        QFETCH(int, v1Byte);
        QFETCH(QString, ratio);

        ShownForm form;
        const QStringList untouched = describeOutside(form, axis);
        if (v1Flag) toggle(form->halfStepBox(axis, 1));
        if (levelFlag) toggle(form->halfStepBox(axis, level));
        QCOMPARE(form->halfStepBox(axis, 1)->isChecked(), v1Flag);
        QCOMPARE(form->halfStepBox(axis, level)->isChecked(), levelFlag);
        if (!typed.isEmpty()) enter(form, form->levelEdit(axis, level), typed);

        QCOMPARE(int(form->currentRecord.level(axis, level)), levelByte);
        QCOMPARE(int(form->currentRecord.level(axis, 1)), v1Byte);
        QCOMPARE(form->ratioDisplay(axis, level)->text(), ratio);
        QCOMPARE(form->ratioDisplay(axis, 1)->text(), v1RatioText(axis));
        QCOMPARE(form->levelEdit(axis, level)->text(),
                 typed.isEmpty() ? QString::number(kDefaultCount[level]) : typed);
        QCOMPARE(describeOutside(form, axis), untouched);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void uncheckAndRecheck_data()
    {
        QTest::addColumn<Axis>("axis");
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("shownLevel"); // the X display that shows the flag
        QTest::addColumn<QString>("flaggedRatio");
        const char* flagged[8] = {nullptr,  "  0.26", " 16.50",  " 33.00",
                                  " 44.00", " 66.00", " 132.00", " 264.00"};
        for (Axis axis : {Axis::AD, Axis::De}) {
            for (int level = 1; level <= kLevelCount; ++level) {
                if (axis == Axis::De && level == 3)
                    continue; // the acceleration time has a test of its own
                // A flag on V1 shows in the other levels' ratios, here V2's.
                const int shown = level == 1 ? 2 : level;
                QTest::addRow("%s V%d", axis == Axis::AD ? "AD" : "De", level)
                    << axis << level << shown << QString::fromLatin1(flagged[level]);
            }
        }
    }
    void uncheckAndRecheck()
    {
        QFETCH(Axis, axis);
        QFETCH(int, level);
        QFETCH(int, shownLevel);
        QFETCH(QString, flaggedRatio);

        ShownForm form;
        QCheckBox* box = form->halfStepBox(axis, level);
        QLineEdit* edit = form->levelEdit(axis, level);
        QLineEdit* display = form->ratioDisplay(axis, shownLevel);
        const QStringList untouched = describeOutside(form, axis);
        const QString text = edit->text();
        const QString plainRatio = display->text();
        const int count = kDefaultCount[level];
        QVERIFY(!box->isChecked());

        toggle(box);
        QVERIFY(box->isChecked());
        QCOMPARE(int(form->currentRecord.level(axis, level)), count | 0x80);
        QCOMPARE(display->text(), flaggedRatio);
        QCOMPARE(edit->text(), text);

        toggle(box);
        QVERIFY(!box->isChecked());
        QCOMPARE(int(form->currentRecord.level(axis, level)), count);
        QCOMPARE(display->text(), plainRatio);
        QCOMPARE(edit->text(), text);

        toggle(box);
        QVERIFY(box->isChecked());
        QCOMPARE(int(form->currentRecord.level(axis, level)), count | 0x80);
        QCOMPARE(display->text(), flaggedRatio);
        QCOMPARE(edit->text(), text);

        QCOMPARE(describeOutside(form, axis), untouched);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // ---- V1 of 0 and the level count of 0 ---------------------------------

    void v1CountZero_data()
    {
        QTest::addColumn<Axis>("axis");
        QTest::addColumn<bool>("v1Flag");
        QTest::newRow("AD") << Axis::AD << false;
        QTest::newRow("De") << Axis::De << false;
        QTest::newRow("AD, V1 half") << Axis::AD << true;
        QTest::newRow("De, V1 half") << Axis::De << true;
    }
    void v1CountZero()
    {
        QFETCH(Axis, axis);
        QFETCH(bool, v1Flag);
        ShownForm form;
        const QStringList untouched = describeOutside(form, axis);
        if (v1Flag) toggle(form->halfStepBox(axis, 1));
        enter(form, form->levelEdit(axis, 1), QStringLiteral("0"));

        QCOMPARE(int(form->currentRecord.level(axis, 1)), v1Flag ? 0x80 : 0x00);
        QCOMPARE(form->ratioDisplay(axis, 1)->text(), v1RatioText(axis));
        for (int level = 2; level <= kLevelCount; ++level) {
            QCOMPARE(form->ratioDisplay(axis, level)->text(), QStringLiteral("  0.00"));
            QCOMPARE(int(form->currentRecord.level(axis, level)), kDefaultCount[level]);
        }
        QCOMPARE(describeOutside(form, axis), untouched);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void levelCountZeroStopsTheDrive_data()
    {
        QTest::addColumn<Axis>("axis");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("flagged"); // the zero level's own box checked
        QTest::addColumn<bool>("v1Zero");  // 0 / 0 rather than x / 0
        for (Axis axis : {Axis::AD, Axis::De})
            for (int level = 2; level <= kLevelCount; ++level)
                QTest::addRow("%s V%d", axis == Axis::AD ? "AD" : "De", level)
                    << axis << level << false << false;
        QTest::newRow("AD V2 half") << Axis::AD << 2 << true << false;
        QTest::newRow("AD V5 half (hidden)") << Axis::AD << 5 << true << false;
        QTest::newRow("De V7 half") << Axis::De << 7 << true << false;
        QTest::newRow("AD V4, V1 also 0") << Axis::AD << 4 << false << true;
        QTest::newRow("De V6, V1 also 0") << Axis::De << 6 << false << true;
        QTest::newRow("De V2 half, V1 also 0") << Axis::De << 2 << true << true;
    }
    void levelCountZeroStopsTheDrive()
    {
        QFETCH(Axis, axis);
        QFETCH(int, level);
        QFETCH(bool, flagged);
        QFETCH(bool, v1Zero);
        // Ratios of the counts 16, 8, 6, 4, 2, 1 against a V1 of 4.
        const char* ratioOf4[8] = {nullptr,  nullptr,  "  0.25", "  0.50",
                                   "  0.67", "  1.00", "  2.00", "  4.00"};

        ShownForm form;
        ConfigRecord& record = form->currentRecord;
        const QStringList& errors = form.dialogs->errors;
        const QStringList untouched = describeOutside(form, axis);
        if (v1Zero) enter(form, form->levelEdit(axis, 1), QStringLiteral("0"));
        if (flagged) {
            toggle(form->halfStepBox(axis, level));
            QCOMPARE(int(record.level(axis, level)), kDefaultCount[level] | 0x80);
        }
        QVERIFY(errors.isEmpty());
        const QString shownBefore = form->ratioDisplay(axis, level)->text();

        // The division by the new count faults: one error box, the byte
        // without its flag, the display as it was.
        enter(form, form->levelEdit(axis, level), QStringLiteral("0"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(int(record.level(axis, level)), 0);
        QCOMPARE(form->ratioDisplay(axis, level)->text(), shownBefore);

        // Marks on the later levels that only a re-run of their handlers
        // would overwrite.
        QStringList laterShown;
        for (int later = level + 1; later <= kLevelCount; ++later) {
            record.setLevel(axis, later, std::uint8_t(0x50 + later));
            laterShown << form->ratioDisplay(axis, later)->text();
        }

        // A V1 change re-runs the drive up to the faulting level and no further.
        enter(form, form->levelEdit(axis, 1), QStringLiteral("4"));
        QCOMPARE(errors.size(), 2);
        QCOMPARE(int(record.level(axis, 1)), 4);
        QCOMPARE(form->ratioDisplay(axis, 1)->text(), v1RatioText(axis));
        for (int earlier = 2; earlier < level; ++earlier) {
            QCOMPARE(int(record.level(axis, earlier)), kDefaultCount[earlier]);
            QCOMPARE(form->ratioDisplay(axis, earlier)->text(),
                     QString::fromLatin1(ratioOf4[earlier]));
        }
        QCOMPARE(int(record.level(axis, level)), 0);
        QCOMPARE(form->ratioDisplay(axis, level)->text(), shownBefore);
        for (int later = level + 1; later <= kLevelCount; ++later) {
            QCOMPARE(int(record.level(axis, later)), 0x50 + later);
            QCOMPARE(form->ratioDisplay(axis, later)->text(), laterShown.at(later - level - 1));
        }
        QCOMPARE(describeOutside(form, axis), untouched);
    }

    // ---- focuser ----------------------------------------------------------

    void focuserLevels_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text"); // what the box shows afterwards
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("ms"); // at 708279 ns
        QTest::newRow("V1 300 clamps") << 1 << "300"
                                       << "255" << 255 << "180.61";
        QTest::newRow("V7 300 clamps") << 7 << "300"
                                       << "255" << 255 << "180.61";
        QTest::newRow("V2 300 clamps (hidden)") << 2 << "300"
                                                << "255" << 255 << "180.61";
        QTest::newRow("V5 70000 clamps (hidden)") << 5 << "70000"
                                                  << "255" << 255 << "180.61";
        QTest::newRow("V1 256 clamps") << 1 << "256"
                                       << "255" << 255 << "180.61";
        QTest::newRow("V1 255") << 1 << "255"
                                << "255" << 255 << "180.61";
        QTest::newRow("V1 -1 keeps its text") << 1 << "-1"
                                              << "-1" << 255 << "180.61";
        QTest::newRow("V7 -1 keeps its text") << 7 << "-1"
                                              << "-1" << 255 << "180.61";
        QTest::newRow("V7 -255") << 7 << "-255"
                                 << "-255" << 1 << "  0.71";
        QTest::newRow("V1 161") << 1 << "161"
                                << "161" << 161 << "114.03";
        QTest::newRow("V1 0") << 1 << "0"
                              << "0" << 0 << "  0.00";
        QTest::newRow("V7 12abc") << 7 << "12abc"
                                  << "12abc" << 12 << "  8.50";
    }
    void focuserLevels()
    {
        QFETCH(int, level);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(int, byte);
        QFETCH(QString, ms);

        ShownForm form;
        const QStringList untouched = describeOutside(form, Axis::Foc);
        QStringList otherLevels = describeDrive(form, Axis::Foc);
        otherLevels.removeAt(level - 1);

        enter(form, form->levelEdit(Axis::Foc, level), typed);
        QCOMPARE(form->levelEdit(Axis::Foc, level)->text(), text);
        QCOMPARE(int(form->currentRecord.level(Axis::Foc, level)), byte);
        QCOMPARE(form->msDisplay(level)->text(), ms);

        QStringList otherLevelsAfter = describeDrive(form, Axis::Foc);
        otherLevelsAfter.removeAt(level - 1);
        QCOMPARE(otherLevelsAfter, otherLevels);
        QCOMPARE(describeOutside(form, Axis::Foc), untouched);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // ---- acceleration time (V3 De) ----------------------------------------

    void accelerationTimeShown_data()
    {
        QTest::addColumn<int>("byte");
        for (int byte : {0, 1, 72, 127, 128, 200, 255})
            QTest::addRow("%d", byte) << byte;
    }
    void accelerationTimeShown()
    {
        QFETCH(int, byte);
        ShownForm form;
        ConfigRecord table = factoryRecord();
        table.bytes()[9] = std::uint8_t(byte);
        form->referenceRecord = table;
        form->ShowRecord();

        QCOMPARE(form->levelEdit(Axis::De, 3)->text(), QString::number(byte));
        QVERIFY(!form->halfStepBox(Axis::De, 3)->isChecked());
        QCOMPARE(int(form->currentRecord.level(Axis::De, 3)), byte);
        QCOMPARE(int(form->currentRecord.bytes()[9]), byte);
        if (byte ==
            0) // a count of 0 still divides: when its text is written, and when V1's re-runs it
            QCOMPARE(form.dialogs->errors.size(), 2);
        else
            QVERIFY(form.dialogs->errors.isEmpty());
    }

    void accelerationBoxAddsNoFlag()
    {
        ShownForm form;
        QCheckBox* box = form->halfStepBox(Axis::De, 3);
        QLineEdit* accel = form->levelEdit(Axis::De, 3);
        QVERIFY(box->isHidden());
        QVERIFY(accel->isVisible());

        box->click();
        QVERIFY(box->isChecked());
        QCOMPARE(int(form->currentRecord.level(Axis::De, 3)), 8);
        typeInto(accel, QStringLiteral("10"));
        QCOMPARE(int(form->currentRecord.level(Axis::De, 3)), 10);
        typeInto(accel, QStringLiteral("200"));
        QCOMPARE(int(form->currentRecord.level(Axis::De, 3)), 200);
        box->click();
        QVERIFY(!box->isChecked());
        QCOMPARE(int(form->currentRecord.level(Axis::De, 3)), 200);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void accelerationTimeRoundTrip()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("acceleration.kv2"));

        ShownForm form;
        QLineEdit* accel = form->levelEdit(Axis::De, 3);
        QCheckBox* box = form->halfStepBox(Axis::De, 3);
        QVERIFY(accel->isVisible());

        typeInto(accel, QStringLiteral("200"));
        QCOMPARE(int(form->currentRecord.bytes()[9]), 200);
        QVERIFY(!box->isChecked());

        form.dialogs->saveAnswers << path;
        QTest::mouseClick(form.ui()->ButtonSauvegarder, Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        file.close();
        QCOMPARE(saved.size(), 61);
        QCOMPARE(quint8(saved.at(9)), quint8(0xC8));

        // Something else in the box, so that only the Open can bring 200 back.
        typeInto(accel, QStringLiteral("5"));
        QCOMPARE(int(form->currentRecord.bytes()[9]), 5);

        form.dialogs->openAnswers << path;
        QTest::mouseClick(form.ui()->ButtonOuvrir, Qt::LeftButton);
        QCOMPARE(accel->text(), QStringLiteral("200"));
        QCOMPARE(int(form->referenceRecord.bytes()[9]), 200);
        QCOMPARE(int(form->currentRecord.bytes()[9]), 200);
        QVERIFY(!box->isChecked());

        typeInto(accel, QStringLiteral("10"));
        QCOMPARE(int(form->currentRecord.bytes()[9]), 10);
        QVERIFY(!box->isChecked());
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // ---- text with no number ----------------------------------------------

    void levelTextWithoutNumber_data()
    {
        QTest::addColumn<Axis>("axis");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("flagged");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("firstByte");
        QTest::addColumn<QString>("blank");
        QTest::newRow("AD V2 emptied") << Axis::AD << 2 << false << "20" << 20 << "";
        QTest::newRow("AD V2 half, letters") << Axis::AD << 2 << true << "300" << 0xAC << "abc";
        QTest::newRow("AD V1 letters") << Axis::AD << 1 << false << "20" << 20 << "x";
        QTest::newRow("De V1 half, emptied") << Axis::De << 1 << true << "12" << 0x8C << "";
        QTest::newRow("De V7 sign only") << Axis::De << 7 << false << "5" << 5 << "-";
        QTest::newRow("acceleration emptied") << Axis::De << 3 << false << "200" << 200 << "";
        QTest::newRow("AD V4 (hidden)") << Axis::AD << 4 << false << "12" << 12 << "?";
        QTest::newRow("Foc V1 emptied") << Axis::Foc << 1 << false << "40" << 40 << "";
        QTest::newRow("Foc V7 letters") << Axis::Foc << 7 << false << "300" << 255 << "abc";
        QTest::newRow("Foc V3 (hidden)") << Axis::Foc << 3 << false << "9" << 9 << " ";
    }
    void levelTextWithoutNumber()
    {
        QFETCH(Axis, axis);
        QFETCH(int, level);
        QFETCH(bool, flagged);
        QFETCH(QString, first);
        QFETCH(int, firstByte);
        QFETCH(QString, blank);

        ShownForm form;
        if (flagged) toggle(form->halfStepBox(axis, level));
        enter(form, form->levelEdit(axis, level), first);
        QCOMPARE(int(form->currentRecord.level(axis, level)), firstByte);
        const QByteArray bytes = bytesOf(form->currentRecord);
        QStringList shown;
        for (Axis drive : {Axis::AD, Axis::De, Axis::Foc})
            shown << describeDrive(form, drive);
        // Only the typed box's own text is to change.
        const int line = int(axis) * kLevelCount + level - 1;
        shown[line].replace(QStringLiteral("text='%1'").arg(form->levelEdit(axis, level)->text()),
                            QStringLiteral("text='%1'").arg(blank));

        enter(form, form->levelEdit(axis, level), blank);
        QCOMPARE(form->levelEdit(axis, level)->text(), blank);
        QCOMPARE(bytesOf(form->currentRecord), bytes);
        QStringList shownAfter;
        for (Axis drive : {Axis::AD, Axis::De, Axis::Foc})
            shownAfter << describeDrive(form, drive);
        QCOMPARE(shownAfter, shown);
        QVERIFY(form.dialogs->errors.isEmpty());
    }
};

QTEST_MAIN(TestLevelHandlers)
#include "test_level_handlers.moc"
