// The Intel HEX image of the table at 0x7C00, checked against the worked
// example and against an independent reader (srec_cat).

#include "config/config_record.h"
#include "config/intel_hex.h"

#include <QtTest>

#include <sstream>

using namespace korval;

namespace
{
QByteArray hexOf(const ConfigRecord& r)
{
    return QByteArray::fromStdString(exportHexText(r).text);
}
ConfigRecord filled(std::uint8_t value)
{
    ConfigRecord r;
    r.bytes().fill(value);
    return r;
}
} // namespace

class TestIntelHex : public QObject
{
    Q_OBJECT
private slots:
    void defaultsGiveTheWorkedExample()
    {
        const QByteArray expected = ":0400000078EF3FF066\r\n"
                                    ":107c00004523B7CE0A000021100806040201002116\r\n"
                                    ":107c10001008060402010021100806040201640095\r\n"
                                    ":107c20006400052D000086939DA7B3A1CDE0F7DE8B\r\n"
                                    ":107c3000BC00000000000000000000000000000088\r\n"
                                    ":00000001FF\r\n";
        const QByteArray text = hexOf(factoryDefaultRecord());
        QCOMPARE(text, expected);
        QCOMPARE(text.size(), 214);
        QCOMPARE(text.count("\r\n"), 6);
        QCOMPARE(text.count('\n'), 6);
    }

    void everyRecordGivesSixLinesOf214Bytes_data()
    {
        QTest::addColumn<int>("fill");
        QTest::newRow("zeros") << 0x00;
        QTest::newRow("ones") << 0xFF;
        QTest::newRow("letters") << 0xAB;
    }
    void everyRecordGivesSixLinesOf214Bytes()
    {
        QFETCH(int, fill);
        const QByteArray text = hexOf(filled(std::uint8_t(fill)));
        QCOMPARE(text.size(), 214);
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.size(), 7);
        QVERIFY(lines.last().isEmpty());
        QCOMPARE(lines[0], QByteArray(":0400000078EF3FF066\r"));
        QCOMPARE(lines[5], QByteArray(":00000001FF\r"));
        // Image bytes past the record are zero: offset 48 then 15 zeros.
        QCOMPARE(lines[4].mid(9, 32),
                 QByteArray::number(fill, 16).toUpper().rightJustified(2, '0') +
                     QByteArray(30, '0'));
        // Every record adds up to 0 modulo 256.
        for (int i = 1; i <= 4; ++i) {
            const QByteArray body = QByteArray::fromHex(lines[i].mid(1, 42));
            int sum = 0;
            for (char c : body)
                sum += quint8(c);
            QCOMPARE(sum % 256, 0);
        }
    }

    void oneByteChangesOnlyItsLine_data()
    {
        QTest::addColumn<int>("offset");
        for (int offset : {0, 15, 16, 34, 47, 48})
            QTest::newRow(qPrintable(QString("offset %1").arg(offset))) << offset;
    }
    void oneByteChangesOnlyItsLine()
    {
        QFETCH(int, offset);
        ConfigRecord changed = factoryDefaultRecord();
        changed.setU8(std::size_t(offset), std::uint8_t(changed.u8(std::size_t(offset)) ^ 0x5A));
        const QList<QByteArray> before = hexOf(factoryDefaultRecord()).split('\n');
        const QList<QByteArray> after = hexOf(changed).split('\n');
        const int changedLine = 1 + offset / 16;
        for (int i = 0; i < before.size(); ++i) {
            if (i != changedLine) {
                QCOMPARE(after[i], before[i]);
                continue;
            }
            const int digits = 9 + 2 * (offset % 16);
            for (int c = 0; c < before[i].size(); ++c) {
                const bool mayDiffer = c == digits || c == digits + 1 || c == 41 || c == 42;
                if (!mayDiffer) QCOMPARE(after[i][c], before[i][c]);
            }
            QVERIFY(after[i].mid(digits, 2) != before[i].mid(digits, 2));
        }
    }

    void addressLowerDataUpper()
    {
        const QByteArray line2 = hexOf(factoryDefaultRecord()).split('\n')[1];
        QVERIFY(line2.startsWith(":107c0000"));
        QVERIFY(line2.contains("B7CE"));
    }

    void lengthRoundsUpToWholeRecords()
    {
        HexImage image{};
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = std::uint8_t(i);
        QCOMPARE(intelHexText(image.data(), 52, 0x7C00).dataLines.size(), std::size_t(4));
        QCOMPARE(intelHexText(image.data(), 48, 0x7C00).dataLines.size(), std::size_t(3));
        QCOMPARE(intelHexText(image.data(), 1, 0x0000).dataLines.size(), std::size_t(1));
    }

    void writeEchoesTheDataLines()
    {
        QTemporaryDir dir;
        const ConfigRecord r = factoryDefaultRecord();
        const HexImage image = hexImage(r);
        std::ostringstream echo;
        const std::string path = dir.filePath("monture.hex").toStdString();
        QCOMPARE(WriteIntelHex(path, image.data(), kHexExportLength, kHexBaseAddress, echo), 1);
        QFile file(QString::fromStdString(path));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), hexOf(r));
        QCOMPARE(QByteArray::fromStdString(echo.str()).count('\n'), 4);
        QVERIFY(echo.str().find(":107c3000BC") == 0 ||
                echo.str().find("\n:107c3000BC") != std::string::npos);

        std::ostringstream none;
        QCOMPARE(WriteIntelHex(dir.filePath("missing/x.hex").toStdString(), image.data(), 52,
                               0x7C00, none),
                 0);
        QVERIFY(none.str().empty());
    }

    void independentReaderDecodesTheRecord_data()
    {
        QTest::addColumn<int>("fill");
        QTest::newRow("defaults") << -1;
        QTest::newRow("all 0x00") << 0x00;
        QTest::newRow("all 0xFF") << 0xFF;
    }
    void independentReaderDecodesTheRecord()
    {
        QFETCH(int, fill);
        const QString srec = QStandardPaths::findExecutable("srec_cat");
        if (srec.isEmpty())
            QFAIL("srec_cat (Debian package srecord) is needed to check the HEX output");
        const ConfigRecord r = fill < 0 ? factoryDefaultRecord() : filled(std::uint8_t(fill));
        QTemporaryDir dir;
        QFile hex(dir.filePath("r.hex"));
        QVERIFY(hex.open(QIODevice::WriteOnly));
        hex.write(hexOf(r));
        hex.close();
        const QString out = dir.filePath("r.bin");
        QProcess p;
        p.start(srec, {hex.fileName(), "-Intel", "-crop", "0x7C00", "0x7C31", "-offset", "-0x7C00",
                       "-o", out, "-Binary"});
        QVERIFY(p.waitForFinished(30000));
        QCOMPARE(p.exitCode(), 0);
        QVERIFY2(p.readAllStandardError().isEmpty(), "srec_cat complained");
        QFile bin(out);
        QVERIFY(bin.open(QIODevice::ReadOnly));
        QCOMPARE(bin.readAll(), QByteArray(reinterpret_cast<const char*>(r.bytes().data()), 49));
    }
};

QTEST_APPLESS_MAIN(TestIntelHex)
#include "test_intel_hex.moc"
