// Backlash take-up, PWM table and focuser hold time, driven through the real
// window, and a whole editing session saved to a parameter file.

#include "support/form_fixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace korval;

namespace
{

QByteArray withBytes(QByteArray table, int at, std::initializer_list<int> values)
{
    for (int value : values)
        table[at++] = char(value);
    return table;
}

// The derived displays of the levels: X of AD and De, ms of the focuser.
QStringList levelDisplays(const ShownForm& form)
{
    QStringList texts;
    for (int level = 1; level <= kLevelCount; ++level)
        texts << form->ratioDisplay(Axis::AD, level)->text()
              << form->ratioDisplay(Axis::De, level)->text() << form->msDisplay(level)->text();
    return texts;
}

// "%6.2f" of count x period, worked out in whole nanoseconds: the hold time
// that the box shows for a count.
QString holdTextOf(int count, quint32 periodNs)
{
    const quint64 ns = quint64(count) * periodNs;
    const quint64 hundredths = (ns + 5000) / 10000;
    return QStringLiteral("%1.%2")
        .arg(hundredths / 100)
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'))
        .rightJustified(6, QLatin1Char(' '));
}

} // namespace

class TestSettingHandlers : public QObject
{
    Q_OBJECT
private slots:
    // ---- backlash -----------------------------------------------------------

    void backlash_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        for (const auto& [control, at] : {std::pair{"EditJeuAD", 30}, std::pair{"EditJeuDe", 32}}) {
            QTest::addRow("%s 70000", control) << control << "70000" << at << 0x70 << 0x11;
            QTest::addRow("%s -1", control) << control << "-1" << at << 0xFF << 0xFF;
            QTest::addRow("%s 65536", control) << control << "65536" << at << 0x00 << 0x00;
            QTest::addRow("%s 100", control) << control << "100" << at << 0x64 << 0x00;
            QTest::addRow("%s 1234", control) << control << "1234" << at << 0xD2 << 0x04;
            QTest::addRow("%s 12.9", control) << control << "12.9" << at << 0x0C << 0x00;
        }
    }
    void backlash()
    {
        QFETCH(QString, control);
        QFETCH(QString, typed);
        QFETCH(int, at);
        QFETCH(int, low);
        QFETCH(int, high);
        ShownForm form;
        typeInto(form.control(qPrintable(control)), typed);
        QCOMPARE(bytesOf(form->currentRecord), withBytes(factoryTable(), at, {low, high}));
        QCOMPARE(form.text(qPrintable(control)), typed);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // ---- PWM ----------------------------------------------------------------

    void pwmValues_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("byte");
        QTest::newRow("Pwm0 300") << 0 << "300" << 44;
        QTest::newRow("Pwm4 -1") << 4 << "-1" << 255;
        QTest::newRow("Pwm8 12.9") << 8 << "12.9" << 12;
        QTest::newRow("Pwm3 134") << 3 << "134" << 0x86;
        QTest::newRow("Pwm5 256") << 5 << "256" << 0;
        QTest::newRow("Pwm1 12abc") << 1 << "12abc" << 12;
    }
    void pwmValues()
    {
        QFETCH(int, entry);
        QFETCH(QString, typed);
        QFETCH(int, byte);
        ShownForm form;
        typeInto(form->pwmEdit(entry), typed);
        QCOMPARE(int(form->currentRecord.Pwm(entry)), byte);
        QCOMPARE(bytesOf(form->currentRecord), withBytes(factoryTable(), 38 + entry, {byte}));
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // EditPwm0 .. EditPwm8 map one to one, in order, onto bytes 38 .. 46.
    void pwmEntriesInOrder_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("at");
        for (int entry = 0; entry <= 8; ++entry)
            QTest::addRow("EditPwm%d", entry) << entry << 38 + entry;
    }
    void pwmEntriesInOrder()
    {
        QFETCH(int, entry);
        QFETCH(int, at);
        ShownForm form;
        QLineEdit* box = form.control(qPrintable(QStringLiteral("EditPwm%1").arg(entry)));
        const int value = 11 * (entry + 1); // 11, 22, .. 99: none is a default
        typeInto(box, QString::number(value));
        QCOMPARE(bytesOf(form->currentRecord), withBytes(factoryTable(), at, {value}));
    }

    // ---- hold time ------------------------------------------------------------

    void holdAtDefaultPeriod_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("count");
        // Periods of 0.708279 ms; a count is rounded half up, then cut to 8 bits.
        QTest::newRow("3.54") << "3.54" << 5;
        QTest::newRow("3") << "3" << 4;
        QTest::newRow("0.35") << "0.35" << 0;
        QTest::newRow("200 (282)") << "200" << 26;
        QTest::newRow("180.61") << "180.61" << 255;
        QTest::newRow("3,54 reads 3") << "3,54" << 4;
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("1.06 just below 1.5") << "1.06" << 1;
        QTest::newRow("1.07 just above 1.5") << "1.07" << 2;
        QTest::newRow("362.64 (512)") << "362.64" << 0;
        QTest::newRow("-3 truncates toward zero") << "-3" << 253;
        QTest::newRow("3.54ms") << "3.54ms" << 5;
    }
    void holdAtDefaultPeriod()
    {
        QFETCH(QString, typed);
        QFETCH(int, count);
        ShownForm form;
        QCOMPARE(form->currentRecord.PeriodeTimer(), 708279u);
        QLineEdit* hold = form.ui()->EditMaintienFoc;
        typeInto(hold, typed);
        QCOMPARE(int(form->currentRecord.MaintienFoc()), count);
        QCOMPARE(bytesOf(form->currentRecord), withBytes(factoryTable(), 34, {count}));
        QCOMPARE(hold->text(), typed);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void holdCountSurvivesItsText_data()
    {
        QTest::addColumn<quint32>("period");
        QTest::newRow("708279 ns") << quint32(708279);
        QTest::newRow("10000 ns") << quint32(10000);
        QTest::newRow("1000000 ns") << quint32(1000000);
    }
    void holdCountSurvivesItsText()
    {
        QFETCH(quint32, period);
        ShownForm form;
        for (int count = 0; count <= 255; ++count) {
            ConfigRecord table = factoryRecord();
            table.setPeriodeTimer(period);
            table.setMaintienFoc(std::uint8_t(count));
            form->referenceRecord = table;
            form->ShowRecord();
            const QString expected = holdTextOf(count, period);
            QVERIFY2(form.ui()->EditMaintienFoc->text() == expected,
                     qPrintable(QStringLiteral("count %1 shows '%2', expected '%3'")
                                    .arg(count)
                                    .arg(form.ui()->EditMaintienFoc->text(), expected)));
            QVERIFY2(form->currentRecord.MaintienFoc() == count,
                     qPrintable(QStringLiteral("count %1 comes back as %2")
                                    .arg(count)
                                    .arg(form->currentRecord.MaintienFoc())));
        }
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void holdWithPeriodZero_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("7 / 0") << "7";
        QTest::newRow("0 / 0") << "0";
    }
    void holdWithPeriodZero()
    {
        QFETCH(QString, typed);
        ShownForm form;
        typeInto(form.ui()->EditPeriodeTimer, QStringLiteral("0"));
        QCOMPARE(form->currentRecord.PeriodeTimer(), 0u);
        QVERIFY(form.dialogs->errors.isEmpty());

        typeInto(form.ui()->EditMaintienFoc, typed);
        QCOMPARE(form.dialogs->errors.size(), 1);
        QCOMPARE(int(form->currentRecord.MaintienFoc()), 5);
    }

    void holdBeyondSixtyFourBits_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("1e30") << "1e30";
        QTest::newRow("-1e30") << "-1e30";
        QTest::newRow("1e40") << "1e40";
    }
    void holdBeyondSixtyFourBits()
    {
        QFETCH(QString, text);
        ShownForm form;
        form->writeText(form.ui()->EditMaintienFoc, text);
        QCOMPARE(form.dialogs->errors.size(), 1);
        QCOMPARE(int(form->currentRecord.MaintienFoc()), 5);
    }

    // A new interrupt period re-derives neither the hold count nor any
    // displayed interval.
    void periodChangeLeavesHoldAndIntervals_data()
    {
        QTest::addColumn<QString>("hold"); // empty: the start-up text stays
        QTest::addColumn<QString>("periodText");
        QTest::addColumn<quint32>("period");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("holdText");
        QTest::newRow("start-up hold, 10000 ns") << ""
                                                 << "10000" << quint32(10000) << 5 << "  3.54";
        QTest::newRow("typed 3, 1416558 ns") << "3"
                                             << "1416558" << quint32(1416558) << 4 << "3";
        QTest::newRow("typed 200, 0 ns") << "200"
                                         << "0" << quint32(0) << 26 << "200";
    }
    void periodChangeLeavesHoldAndIntervals()
    {
        QFETCH(QString, hold);
        QFETCH(QString, periodText);
        QFETCH(quint32, period);
        QFETCH(int, count);
        QFETCH(QString, holdText);
        ShownForm form;
        if (!hold.isEmpty()) typeInto(form.ui()->EditMaintienFoc, hold);
        QCOMPARE(int(form->currentRecord.MaintienFoc()), count);
        const QStringList displays = levelDisplays(form);

        typeInto(form.ui()->EditPeriodeTimer, periodText);
        QCOMPARE(form->currentRecord.PeriodeTimer(), period);
        QCOMPARE(int(form->currentRecord.MaintienFoc()), count);
        QCOMPARE(form.ui()->EditMaintienFoc->text(), holdText);
        QCOMPARE(levelDisplays(form), displays);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // ---- text with no number ----------------------------------------------

    void settingTextWithoutNumber_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("firstByte");
        QTest::addColumn<QString>("blank");
        QTest::newRow("JeuAD emptied") << "EditJeuAD"
                                       << "300" << 30 << 0x2C << "";
        QTest::newRow("JeuDe letters") << "EditJeuDe"
                                       << "7" << 32 << 7 << "z";
        QTest::newRow("Pwm0 emptied") << "EditPwm0"
                                      << "99" << 38 << 99 << "";
        QTest::newRow("Pwm8 sign only") << "EditPwm8"
                                        << "7" << 46 << 7 << "-";
        QTest::newRow("hold emptied") << "EditMaintienFoc"
                                      << "7.08" << 34 << 10 << "";
        QTest::newRow("hold letters") << "EditMaintienFoc"
                                      << "7.08" << 34 << 10 << "abc";
        QTest::newRow("hold point only") << "EditMaintienFoc"
                                         << "7.08" << 34 << 10 << ".";
    }
    void settingTextWithoutNumber()
    {
        QFETCH(QString, control);
        QFETCH(QString, first);
        QFETCH(int, at);
        QFETCH(int, firstByte);
        QFETCH(QString, blank);
        ShownForm form;
        QLineEdit* box = form.control(qPrintable(control));
        typeInto(box, first);
        QCOMPARE(int(quint8(bytesOf(form->currentRecord).at(at))), firstByte);
        const QByteArray bytes = bytesOf(form->currentRecord);
        typeInto(box, blank);
        QCOMPARE(box->text(), blank);
        QCOMPARE(bytesOf(form->currentRecord), bytes);
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    // ---- a whole session, saved -------------------------------------------

    void saveAfterEditingEveryField()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("monture.kv2"));
        ShownForm form;
        const auto edit = [&form](const char* name, const char* text) {
            enter(form, form.control(name), QString::fromLatin1(text));
        };
        const auto halfStep = [&form](Axis axis, int level) {
            toggle(form->halfStepBox(axis, level));
        };

        // Drive parameters; the quartz first, since it blanks the period box.
        edit("EditFrequenceQuartz", "16000000");
        edit("EditDureeTour", "600");
        edit("EditPasParTour", "12800");
        edit("EditPeriodeTimer", "1000000");
        edit("EditPasParTranche", "1234");
        edit("EditTranchePec", "7");

        // AD: V1 40 half, V2 20, V3 10 half, V4 300, V5 -1, V6 128, V7 3 half.
        halfStep(Axis::AD, 1);
        halfStep(Axis::AD, 3);
        halfStep(Axis::AD, 7);
        edit("EditV1AD", "40");
        edit("EditV2AD", "20");
        edit("EditV3AD", "10");
        edit("EditV4AD", "300");
        edit("EditV5AD", "-1");
        edit("EditV6AD", "128");
        edit("EditV7AD", "3");

        // De: levels first, boxes after. V3 is the acceleration time, 200 s.
        edit("EditV1De", "50");
        edit("EditV2De", "25");
        edit("EditV3De", "200");
        edit("EditV4De", "7");
        edit("EditV5De", "5");
        edit("EditV6De", "3");
        edit("EditV7De", "2");
        halfStep(Axis::De, 2);
        halfStep(Axis::De, 5);
        halfStep(Axis::De, 7);

        // Focuser: 300 clamps, -1 wraps.
        edit("EditV1Foc", "300");
        edit("EditV2Foc", "100");
        edit("EditV3Foc", "50");
        edit("EditV4Foc", "-1");
        edit("EditV5Foc", "9");
        edit("EditV6Foc", "0");
        edit("EditV7Foc", "3");

        edit("EditJeuAD", "70000");
        edit("EditJeuDe", "-1");
        edit("EditMaintienFoc", "12.6"); // at 1 ms per period: 13.1 periods
        edit("EditPwm0", "0");
        edit("EditPwm1", "17");
        edit("EditPwm2", "34");
        edit("EditPwm3", "51");
        edit("EditPwm4", "68");
        edit("EditPwm5", "85");
        edit("EditPwm6", "102");
        edit("EditPwm7", "300");
        edit("EditPwm8", "-1");
        QVERIFY(form.dialogs->errors.isEmpty());

        form.dialogs->saveAnswers << path;
        QTest::mouseClick(form.ui()->ButtonSauvegarder, Qt::LeftButton);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();

        const QByteArray expected =
            QByteArray::fromHex("45 23"                      // lead marker
                                "40 42 0F 00"                // period 1000000 ns
                                "00 32 99 C8 07 85 03 82"    // De: entry 0, V1 .. V7
                                "00 A8 14 8A 2C FF 80 83"    // AD: entry 0, V1 .. V7
                                "00 FF 64 32 FF 09 00 03"    // Foc: entry 0, V1 .. V7
                                "70 11"                      // AD backlash 4464
                                "FF FF"                      // De backlash 65535
                                "0D"                         // hold, 13 periods
                                "D2 04"                      // steps per PEC slice 1234
                                "07"                         // PEC slices - 1
                                "00 11 22 33 44 55 66 2C FF" // PWM 0 .. 8
                                "DE BC"                      // trailing marker
                                "00 24 F4 00"                // quartz 16000000 Hz
                                "00 32 00 00"                // 12800 steps per worm turn
                                "00 00 16 44");              // worm turn 600.0 s
        QCOMPARE(expected.size(), 61);
        QCOMPARE(saved.toHex(' '), expected.toHex(' '));
        QVERIFY(form.dialogs->errors.isEmpty());
    }
};

QTEST_MAIN(TestSettingHandlers)
#include "test_setting_handlers.moc"
