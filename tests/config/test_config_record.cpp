// The configuration table, its defaults and the .kv2 parameter file.

#include "config/config_record.h"
#include "config/parameter_file.h"

#include <QtTest>

using namespace korval;

namespace
{
QByteArray bytesOf(const ConfigRecord& r)
{
    return QByteArray(reinterpret_cast<const char*>(r.bytes().data()), int(r.bytes().size()));
}
QByteArray bytesOf(const ParameterFileBytes& b)
{
    return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size()));
}
} // namespace

class TestConfigRecord : public QObject
{
    Q_OBJECT
private slots:
    void defaultsAreTheFactoryTable()
    {
        QCOMPARE(bytesOf(factoryDefaultRecord()).toHex(' ').toUpper(),
                 QByteArray("45 23 B7 CE 0A 00 00 21 10 08 06 04 02 01 00 21 10 08 06 04 02 01 00 "
                            "21 10 08 06 04 02 01 64 00 64 00 05 2D 00 00 86 93 9D A7 B3 A1 CD E0 "
                            "F7 DE BC"));
    }

    void fieldsAtTheirOffsets_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("which");
        // which: 0 PeriodeTimer, 1 PasParTranche, 2 JeuAD, 3 JeuDe
        QTest::newRow("PeriodeTimer little-endian") << 2 << QByteArray::fromHex("78563412") << 0;
        QTest::newRow("PasParTranche at odd 35") << 35 << QByteArray::fromHex("2D00") << 1;
        QTest::newRow("JeuAD") << 30 << QByteArray::fromHex("7011") << 2;
        QTest::newRow("JeuDe") << 32 << QByteArray::fromHex("FFFF") << 3;
    }
    void fieldsAtTheirOffsets()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, bytes);
        QFETCH(int, which);
        ConfigRecord r = factoryDefaultRecord();
        const ConfigRecord before = r;
        switch (which) {
        case 0:
            r.setPeriodeTimer(0x12345678);
            break;
        case 1:
            r.setPasParTranche(45);
            break;
        case 2:
            r.setJeuAD(4464);
            break;
        case 3:
            r.setJeuDe(65535);
            break;
        }
        const QByteArray after = bytesOf(r);
        QCOMPARE(after.mid(offset, bytes.size()), bytes);
        // Nothing else moved.
        QByteArray expected = bytesOf(before);
        expected.replace(offset, bytes.size(), bytes);
        QCOMPARE(after, expected);
    }

    void markersAndLevelTables()
    {
        const ConfigRecord r = factoryDefaultRecord();
        QCOMPARE(r.MarqueDebut(), quint16(0x2345));
        QCOMPARE(r.MarqueFin(), quint16(0xBCDE));
        QCOMPARE(int(levelOffset(Axis::De, 1)), 7);
        QCOMPARE(int(levelOffset(Axis::AD, 1)), 15);
        QCOMPARE(int(levelOffset(Axis::Foc, 7)), 29);
        QCOMPARE(int(r.Pwm(8)), 247);
        QCOMPARE(int(r.u8(offset::Pwm0 + 5)), 161);
    }

    void levelByte_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<int>("byte");
        QTest::newRow("plain 33") << 33 << false << 0x21;
        QTest::newRow("flagged 33") << 33 << true << 0xA1;
        QTest::newRow("200 brings its own bit 7") << 200 << false << 0xC8;
        QTest::newRow("-1") << -1 << false << 0xFF;
        QTest::newRow("300 mod 256") << 300 << false << 44;
        QTest::newRow("300 flagged") << 300 << true << 0xAC;
    }
    void levelByte()
    {
        QFETCH(int, count);
        QFETCH(bool, flag);
        QFETCH(int, byte);
        QCOMPARE(int(composeLevel(count, flag)), byte);
    }

    void levelByteParts()
    {
        QCOMPARE(int(levelCount(0xA1)), 33);
        QVERIFY(halfStep(0xA1));
        QVERIFY(!halfStep(0x21));
    }

    void loadDefaultsLeavesPerPasAndCurrent()
    {
        ConfigRecord reference, current;
        DriveParameters drive;
        drive.PerPas = 1.5f;
        loadFactoryDefaults(reference, drive);
        QCOMPARE(reference, factoryDefaultRecord());
        QCOMPARE(current, ConfigRecord());
        QCOMPARE(drive.FrequenceQuartz, 14745600u);
        QCOMPARE(drive.PasParTour, 25600u);
        QCOMPARE(floatBits(drive.DureeTour), 0x44159728u);
        QCOMPARE(double(drive.DureeTour), 598.36181640625);
        QCOMPARE(drive.PerPas, 1.5f);
        copyReferenceToCurrent(reference, current);
        QCOMPARE(current, reference);
    }

    void defaultsSaveToTheSixtyOneBytes()
    {
        ConfigRecord reference;
        DriveParameters drive;
        loadFactoryDefaults(reference, drive);
        const QByteArray file = bytesOf(serializeParameterFile(reference, drive));
        QCOMPARE(file.size(), 61);
        QCOMPARE(file.left(49), bytesOf(factoryDefaultRecord()));
        QCOMPARE(file.mid(49).toHex(' ').toUpper(),
                 QByteArray("00 00 E1 00 00 64 00 00 28 97 15 44"));
    }

    void readFilesOfAnyLength_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("61 bytes, whole") << 61;
        QTest::newRow("49 bytes, record only") << 49;
        QTest::newRow("51 bytes, two of FrequenceQuartz") << 51;
        QTest::newRow("empty") << 0;
        QTest::newRow("100 bytes, tail ignored") << 100;
    }
    void readFilesOfAnyLength()
    {
        QFETCH(int, size);
        // A file whose every byte differs from what is held.
        QByteArray file(size, '\0');
        for (int i = 0; i < size; ++i)
            file[i] = char(0xF0 ^ i);
        ConfigRecord reference;
        DriveParameters drive;
        loadFactoryDefaults(reference, drive);
        drive.PerPas = 7.0f;
        const QByteArray before = bytesOf(serializeParameterFile(reference, drive));

        applyParameterFile(reinterpret_cast<const std::uint8_t*>(file.constData()),
                           std::size_t(size), reference, drive);

        const QByteArray after = bytesOf(serializeParameterFile(reference, drive));
        const int taken = qMin(size, 61);
        QCOMPARE(after.left(taken), file.left(taken));
        QCOMPARE(after.mid(taken), before.mid(taken));
        QCOMPARE(drive.PerPas, 7.0f);
    }

    void fiftyOneBytesReplaceTheLowHalfOfTheQuartz()
    {
        ConfigRecord reference;
        DriveParameters drive;
        loadFactoryDefaults(reference, drive);
        QByteArray file = bytesOf(factoryDefaultRecord()) + QByteArray::fromHex("3412");
        file[10] = char(0x7F);
        applyParameterFile(reinterpret_cast<const std::uint8_t*>(file.constData()), 51, reference,
                           drive);
        QCOMPARE(drive.FrequenceQuartz, 0x00E11234u);
        QCOMPARE(drive.PasParTour, 25600u);
        QCOMPARE(int(reference.u8(10)), 0x7F);
    }

    void roundTripIsBitExact()
    {
        ConfigRecord current = factoryDefaultRecord();
        current.setU16(offset::MarqueDebut, 0xFFFF);
        current.setPeriodeTimer(0x80000001u);
        DriveParameters drive;
        drive.FrequenceQuartz = 0xFFFFFFFFu;
        drive.PasParTour = 11520;
        drive.DureeTour = floatFromBits(0x7FC00001u); // a NaN payload survives as bits
        drive.PerPas = 3.0f;
        const ParameterFileBytes file = serializeParameterFile(current, drive);

        ConfigRecord reference;
        DriveParameters read;
        applyParameterFile(file.data(), file.size(), reference, read);
        QCOMPARE(reference, current);
        QCOMPARE(read.FrequenceQuartz, drive.FrequenceQuartz);
        QCOMPARE(read.PasParTour, drive.PasParTour);
        QCOMPARE(floatBits(read.DureeTour), 0x7FC00001u);
    }

    void forcedExtension_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("kv2");
        QTest::addColumn<QString>("hex");
        QTest::newRow("bare") << "monture"
                              << "monture.kv2"
                              << "monture.hex";
        QTest::newRow("other extension") << "monture.txt"
                                         << "monture.kv2"
                                         << "monture.hex";
        QTest::newRow("already kv2") << "monture.kv2"
                                     << "monture.kv2"
                                     << "monture.hex";
        QTest::newRow("several dots") << "a.b.c"
                                      << "a.b.kv2"
                                      << "a.b.hex";
        QTest::newRow("dot in a Windows folder") << "C:\\cfg.old\\monture"
                                                 << "C:\\cfg.old\\monture.kv2"
                                                 << "C:\\cfg.old\\monture.hex";
        QTest::newRow("dot in a POSIX folder") << "/home/u/cfg.old/monture"
                                               << "/home/u/cfg.old/monture.kv2"
                                               << "/home/u/cfg.old/monture.hex";
        QTest::newRow("drive colon") << "C:mont"
                                     << "C:mont.kv2"
                                     << "C:mont.hex";
        QTest::newRow("trailing dot") << "/tmp/monture."
                                      << "/tmp/monture.kv2"
                                      << "/tmp/monture.hex";
        QTest::newRow("hidden file") << "/tmp/.kv"
                                     << "/tmp/.kv2"
                                     << "/tmp/.hex";
    }
    void forcedExtension()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, kv2);
        QFETCH(QString, hex);
        const std::string saved = replaceExtension(chosen.toStdString(), kParameterExtension);
        QCOMPARE(QString::fromStdString(saved), kv2);
        QCOMPARE(QString::fromStdString(replaceExtension(saved, kHexExtension)), hex);
    }
};

QTEST_APPLESS_MAIN(TestConfigRecord)
#include "test_config_record.moc"
