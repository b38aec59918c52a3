// Field assignments by name: what each field accepts, where it lands in the
// 61-byte file, and every refusal leaving the record and drive untouched.

#include "config/config_record.h"
#include "config/parameter_file.h"
#include "config/record_fields.h"

#include <QtTest>

#include <set>
#include <string>

using namespace korval;

namespace
{
struct Start {
    ConfigRecord record;
    DriveParameters drive;
    Start() { loadFactoryDefaults(record, drive); }
};

// Applies every assignment but the last and returns that last one.
QString applyAllButLast(const QStringList& assignments, Start& s)
{
    for (int i = 0; i + 1 < assignments.size(); ++i) {
        std::string error;
        if (!applyAssignment(assignments.at(i).toStdString(), s.record, s.drive, error))
            qFatal("%s", error.c_str());
    }
    return assignments.last();
}
} // namespace

class TestRecordFields : public QObject
{
    Q_OBJECT
private slots:
    void tableCoversTheRecord()
    {
        std::size_t next = 0;
        std::set<std::string> names;
        for (const RecordField& field : recordFields()) {
            QCOMPARE(field.offset, next);
            next += field.width;
            QVERIFY(names.insert(field.name).second);
        }
        QCOMPARE(next, kRecordSize);
        QCOMPARE(names.size(), std::size_t(41));
        QCOMPARE(findRecordField("Pwm3")->offset, std::size_t(41));
        QCOMPARE(findRecordField("V0AD")->offset, std::size_t(14));
        QCOMPARE(fieldValue(factoryDefaultRecord(), *findRecordField("MarqueFin")), 0xBCDEu);
    }

    void accepts_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<int>("at"); // offset in the 61-byte file
        QTest::addColumn<int>("width");
        QTest::addColumn<quint32>("stored");
        QTest::newRow("period, all 32 bits")
            << QStringList{"PeriodeTimer=4294967295"} << 2 << 4 << 4294967295u;
        QTest::newRow("hexadecimal") << QStringList{"PeriodeTimer=0x1F"} << 2 << 4 << 31u;
        QTest::newRow("backlash 16 bits") << QStringList{"JeuDe=65535"} << 32 << 2 << 65535u;
        QTest::newRow("PWM entry 3") << QStringList{"Pwm3=255"} << 41 << 1 << 255u;
        QTest::newRow("level keeps no flag") << QStringList{"V2AD=17"} << 16 << 1 << 17u;
        QTest::newRow("level keeps its flag")
            << QStringList{"V2AD.demi=1", "V2AD=5"} << 16 << 1 << 0x85u;
        QTest::newRow("count with half step") << QStringList{"V1De=127/2"} << 7 << 1 << 0xFFu;
        QTest::newRow("count with full step")
            << QStringList{"V4De=9/2", "V4De=9/1"} << 10 << 1 << 9u;
        QTest::newRow("flag alone") << QStringList{"V7AD.demi=1"} << 21 << 1 << 0x81u;
        QTest::newRow("flag cleared") << QStringList{"V7AD=1/2", "V7AD.demi=0"} << 21 << 1 << 1u;
        QTest::newRow("acceleration seconds") << QStringList{"V3De=200"} << 9 << 1 << 200u;
        QTest::newRow("focuser level") << QStringList{"V7Foc=255"} << 29 << 1 << 255u;
        QTest::newRow("hold count") << QStringList{"MaintienFoc=12"} << 34 << 1 << 12u;
        QTest::newRow("hold 3.54 ms") << QStringList{"MaintienFoc=3.54ms"} << 34 << 1 << 5u;
        QTest::newRow("hold 180.61 ms") << QStringList{"MaintienFoc=180.61ms"} << 34 << 1 << 255u;
        QTest::newRow("hold at the new period")
            << QStringList{"PeriodeTimer=1000000", "MaintienFoc=200ms"} << 34 << 1 << 200u;
        QTest::newRow("quartz") << QStringList{"FrequenceQuartz=4294967295"} << 49 << 4
                                << 4294967295u;
        QTest::newRow("worm turn as shown")
            << QStringList{"DureeTour=598.361816"} << 57 << 4 << 0x44159728u;
        QTest::newRow("negative worm turn")
            << QStringList{"DureeTour=-1.5"} << 57 << 4 << 0xBFC00000u;
    }
    void accepts()
    {
        QFETCH(QStringList, assignments);
        QFETCH(int, at);
        QFETCH(int, width);
        QFETCH(quint32, stored);
        Start s;
        const QString last = applyAllButLast(assignments, s);
        const ParameterFileBytes before = serializeParameterFile(s.record, s.drive);
        std::string error;
        QVERIFY2(applyAssignment(last.toStdString(), s.record, s.drive, error), error.c_str());
        const ParameterFileBytes after = serializeParameterFile(s.record, s.drive);
        quint32 value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = (value << 8) | after[std::size_t(at + i)];
        QCOMPARE(value, stored);
        for (std::size_t i = 0; i < after.size(); ++i)
            if (int(i) < at || int(i) >= at + width) QCOMPARE(after[i], before[i]);
    }

    void refuses_data()
    {
        QTest::addColumn<QStringList>("assignments");
        QTest::addColumn<QString>("message");
        QTest::newRow("byte") << QStringList{"Pwm3=256"} << "Pwm3 : « 256 » dépasse 255";
        QTest::newRow("two bytes") << QStringList{"JeuAD=65536"} << "JeuAD : « 65536 » dépasse";
        QTest::newRow("four bytes") << QStringList{"PeriodeTimer=4294967296"} << "dépasse";
        QTest::newRow("AD count") << QStringList{"V2AD=128"} << "V2AD : « 128 » dépasse 127";
        QTest::newRow("step syntax") << QStringList{"V2AD=17/3"} << "V2AD : « 17/3 »";
        QTest::newRow("negative") << QStringList{"Pwm0=-1"} << "n'est pas un nombre entier";
        QTest::newRow("trailing text") << QStringList{"Pwm0=12abc"} << "« 12abc »";
        QTest::newRow("blank") << QStringList{"Pwm0= 12"} << "«  12 »";
        QTest::newRow("empty") << QStringList{"Pwm0="} << "Pwm0 : «  »";
        QTest::newRow("bare hex prefix") << QStringList{"Pwm0=0x"} << "« 0x »";
        QTest::newRow("no equal sign") << QStringList{"Pwm0"} << "CHAMP=VALEUR";
        QTest::newRow("unknown") << QStringList{"Vitesse=1"} << "« Vitesse » : champ inconnu";
        QTest::newRow("case matters") << QStringList{"pwm0=1"} << "champ inconnu";
        QTest::newRow("acceleration has no flag") << QStringList{"V3De.demi=1"} << "sauf V3De";
        QTest::newRow("focuser has no flag") << QStringList{"V2Foc=3/2"} << "V2Foc : « 3/2 »";
        QTest::newRow("flag value") << QStringList{"V2AD.demi=2"} << "0 ou 1";
        QTest::newRow("float range") << QStringList{"DureeTour=1e39"} << "32 bits";
        QTest::newRow("nan") << QStringList{"DureeTour=nan"} << "n'est pas un nombre";
        QTest::newRow("comma") << QStringList{"DureeTour=598,36"} << "le point";
        QTest::newRow("exponent without digits") << QStringList{"DureeTour=1e"} << "« 1e »";
        QTest::newRow("quartz sign") << QStringList{"FrequenceQuartz=-5"} << "FrequenceQuartz";
        QTest::newRow("hold count") << QStringList{"MaintienFoc=256"} << "0 à 255";
        QTest::newRow("hold beyond 255")
            << QStringList{"MaintienFoc=200ms"} << "« 200ms » donne 282 périodes IT de 708279 ns";
        QTest::newRow("hold negative") << QStringList{"MaintienFoc=-1ms"} << "« -1 »";
        QTest::newRow("hold with no period")
            << QStringList{"PeriodeTimer=0", "MaintienFoc=3.54ms"} << "Division par zéro";
        QTest::newRow("hold overflow")
            << QStringList{"PeriodeTimer=1", "MaintienFoc=1e38ms"} << "Dépassement";
    }
    void refuses()
    {
        QFETCH(QStringList, assignments);
        QFETCH(QString, message);
        Start s;
        const QString last = applyAllButLast(assignments, s);
        const ParameterFileBytes before = serializeParameterFile(s.record, s.drive);
        std::string error;
        QVERIFY(!applyAssignment(last.toStdString(), s.record, s.drive, error));
        QVERIFY2(QString::fromStdString(error).contains(message), error.c_str());
        QVERIFY(serializeParameterFile(s.record, s.drive) == before);
    }
};

QTEST_APPLESS_MAIN(TestRecordFields)
#include "test_record_fields.moc"
