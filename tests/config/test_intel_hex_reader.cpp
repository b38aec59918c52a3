// Reading the table back from an Intel HEX image: the tool's own export, a
// dump with address records, and each way an image is refused.

#include "config/config_record.h"
#include "config/intel_hex.h"
#include "config/intel_hex_reader.h"

#include <QtTest>

#include <string>

using namespace korval;

namespace
{
// The window's export of the defaults, written out by hand.
const QString kDefaults = QStringLiteral(":0400000078EF3FF066\r\n"
                                         ":107c00004523B7CE0A000021100806040201002116\r\n"
                                         ":107c10001008060402010021100806040201640095\r\n"
                                         ":107c20006400052D000086939DA7B3A1CDE0F7DE8B\r\n"
                                         ":107c3000BC00000000000000000000000000000088\r\n"
                                         ":00000001FF\r\n");

// One record line with its checksum, LF ended.
QString line(int address, int type, const QByteArray& data)
{
    QByteArray bytes;
    bytes.append(char(data.size()));
    bytes.append(char(address >> 8));
    bytes.append(char(address & 0xFF));
    bytes.append(char(type));
    bytes.append(data);
    int sum = 0;
    for (char b : bytes)
        sum += quint8(b);
    bytes.append(char((256 - sum % 256) % 256));
    return ":" + QString::fromLatin1(bytes.toHex().toUpper()) + "\n";
}

QByteArray defaultBytes()
{
    return QByteArray(reinterpret_cast<const char*>(factoryDefaultRecord().bytes().data()),
                      int(kRecordSize));
}

// The 49 default bytes at 0x7C00 as data lines of `chunk` bytes, addressed
// from `address`.
QString dataLines(int address, int chunk, int from = 0, int to = int(kRecordSize))
{
    QString text;
    const QByteArray bytes = defaultBytes();
    for (int at = from; at < to; at += chunk)
        text += line(address + at, 0, bytes.mid(at, qMin(chunk, to - at)));
    return text;
}

const QString kEnd = QStringLiteral(":00000001FF\n");
} // namespace

class TestIntelHexReader : public QObject
{
    Q_OBJECT
private slots:
    void readsImages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("window export, CR LF") << kDefaults;
        QTest::newRow("LF only") << QString(kDefaults).replace("\r\n", "\n");
        QTest::newRow("no final line end") << kDefaults.chopped(2);
        QTest::newRow("lower-case digits") << kDefaults.toLower();
        QTest::newRow("blank lines after the end") << kDefaults + "\r\n\n";
        QTest::newRow("short lines, any order")
            << dataLines(0x7C00, 7, 32) + dataLines(0x7C00, 7, 0, 32) + kEnd;
        QTest::newRow("segment 0x07C0")
            << line(0, 2, QByteArray::fromHex("07C0")) + dataLines(0, 16) + kEnd;
        QTest::newRow("linear 0x0001, then back to 0")
            << line(0, 4, QByteArray::fromHex("0001")) + line(0x7C00, 0, "\x11\x22") +
                   line(0, 4, QByteArray::fromHex("0000")) + dataLines(0x7C00, 16) + kEnd;
        QTest::newRow("same byte twice") << dataLines(0x7C00, 16) + dataLines(0x7C00, 16) + kEnd;
    }
    void readsImages()
    {
        QFETCH(QString, text);
        ConfigRecord read = ConfigRecord{};
        std::string error;
        QVERIFY2(readHexImage(text.toStdString(), read, error), error.c_str());
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(read.bytes().data()), int(kRecordSize)),
                 defaultBytes());
    }

    void refusesImages_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("bad checksum")
            << QString(kDefaults).replace("002116", "002117") << "ligne 2 : somme de contrôle 17";
        QTest::newRow("count not the length")
            << QString(kDefaults).replace(":107c1000", ":0F7c1000") << "ligne 3 : le nombre";
        QTest::newRow("no colon") << QString(kDefaults).replace(":107c20", "107c20")
                                  << "ligne 4 : elle ne commence pas";
        QTest::newRow("not hex") << QString(kDefaults).replace(":107c30", ":1G7c30")
                                 << "ligne 5 : caractère non hexadécimal en colonne 3";
        QTest::newRow("blank line inside")
            << QString(kDefaults).replace("0095\r\n", "0095\r\n\r\n") << "ligne 4 : ligne vide";
        QTest::newRow("lone CR") << QString(kDefaults).replace("0095\r\n", "0095\r")
                                 << "ligne 3 : caractère non hexadécimal";
        QTest::newRow("type 03") << line(0, 3, QByteArray(4, 0)) + kDefaults
                                 << "ligne 1 : type d'enregistrement 03";
        QTest::newRow("no end record") << dataLines(0x7C00, 16) << "(type 01) manque";
        QTest::newRow("data after the end")
            << kDefaults + line(0, 0, "\1") << "ligne 7 : contenu après";
        QTest::newRow("one byte missing")
            << dataLines(0x7C00, 16, 0, 20) + dataLines(0x7C00, 16, 21) + kEnd
            << "il manque l'octet 0x7C14";
        QTest::newRow("table elsewhere")
            << line(0, 4, QByteArray::fromHex("0001")) + dataLines(0x7C00, 16) + kEnd
            << "il manque les octets 0x7C00 à 0x7C30";
        QTest::newRow("two values for one byte")
            << dataLines(0x7C00, 16) + line(0x7C05, 0, "\x01") + kEnd
            << "ligne 5 : l'octet 0x7C05 a déjà une autre valeur (ligne 1)";
        QTest::newRow("lead marker")
            << line(0x7C00, 0, "\x45\x24") + dataLines(0x7C00, 16, 2) + kEnd
            << "marque de début 0x2445";
        QTest::newRow("trailing marker")
            << dataLines(0x7C00, 16, 0, 47) + line(0x7C2F, 0, "\xDE\xBD") + kEnd
            << "marque de fin 0xBDDE";
        QTest::newRow("address record of 3 bytes")
            << line(0, 4, QByteArray(3, 0)) + kDefaults << "ligne 1 : un enregistrement d'adresse";
        QTest::newRow("end with data")
            << QString(kDefaults).replace(":00000001FF", line(0, 1, QByteArray(1, 0)).trimmed())
            << "ligne 6 : l'enregistrement de fin (type 01) porte";
    }
    void refusesImages()
    {
        QFETCH(QString, text);
        QFETCH(QString, message);
        ConfigRecord read = marked(0x5A);
        const ConfigRecord before = read;
        std::string error;
        QVERIFY(!readHexImage(text.toStdString(), read, error));
        QVERIFY2(QString::fromStdString(error).contains(message), error.c_str());
        QVERIFY(read == before);
    }

    void readsBackEveryExport_data()
    {
        QTest::addColumn<int>("fill");
        QTest::newRow("zeros") << 0x00;
        QTest::newRow("ones") << 0xFF;
        QTest::newRow("letters") << 0xAB;
    }
    void readsBackEveryExport()
    {
        QFETCH(int, fill);
        const ConfigRecord written = marked(std::uint8_t(fill));
        ConfigRecord read;
        std::string error;
        QVERIFY2(readHexImage(exportHexText(written).text, read, error), error.c_str());
        QVERIFY(read == written);
    }

private:
    static ConfigRecord marked(std::uint8_t fill)
    {
        ConfigRecord r;
        r.bytes().fill(fill);
        r.setU16(offset::MarqueDebut, kMarqueDebut);
        r.setU16(offset::MarqueFin, kMarqueFin);
        return r;
    }
};

QTEST_APPLESS_MAIN(TestIntelHexReader)
#include "test_intel_hex_reader.moc"
