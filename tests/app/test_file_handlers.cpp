// "Ouvrir" and "Sauvegarder" through the real window: the files written, the
// files read, and what a failure leaves behind.

#include "config/fp_fault.h"
#include "config/intel_hex.h"
#include "support/form_fixture.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using namespace korval;

namespace
{
QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), qint64(content.size()));
}

QStringList entries(const QString& folder)
{
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    names.sort();
    return names;
}

// Lowers the file-size limit for the duration of a test: writes beyond it fail
// as on a full disk, for the super-user too.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

const QByteArray kOldKv2 = QByteArray("old parameter file, kept whole");
const QByteArray kOldHex = QByteArray(":00000001FF\r\nold hex file, kept whole\r\n");

QByteArray defaultHex()
{
    return QByteArray::fromStdString(exportHexText(factoryDefaultRecord()).text);
}

// A user's edits that a failed Open must leave alone.
void editSomething(ShownForm& form)
{
    typeInto(form.control("EditJeuAD"), "321");
    typeInto(form.control("EditFrequenceQuartz"), "20000000");
}
} // namespace

class TestFileHandlers : public QObject
{
    Q_OBJECT
private slots:
    void saveWritesTheParameterFileAndItsHex()
    {
        QTemporaryDir dir;
        ShownForm form;
        form.dialogs->saveAnswers << dir.filePath("monture");
        form.ui()->ButtonSauvegarder->click();

        QCOMPARE(form.dialogs->filters, QStringList{"KORVAL 2 (*.kv2)"});
        QCOMPARE(form->saveFileName, dir.filePath("monture.kv2"));
        QCOMPARE(readAll(dir.filePath("monture.kv2")), defaultParameterFile());
        const QByteArray hex = readAll(dir.filePath("monture.hex"));
        QCOMPARE(hex.size(), 214);
        QCOMPARE(hex, defaultHex());
        QCOMPARE(entries(dir.path()), (QStringList{"monture.hex", "monture.kv2"}));
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void saveThenOpenReadsBackTheSameBytes()
    {
        QTemporaryDir dir;
        ShownForm form;
        typeInto(form.control("EditJeuDe"), "1234");
        typeInto(form.control("EditPasParTour"), "11520");
        typeInto(form.control("EditDureeTour"), "1196.7236");
        typeInto(form.control("EditPwm3"), "99");
        const ConfigRecord saved = form->currentRecord;
        form.dialogs->saveAnswers << dir.filePath("a.kv2");
        form.ui()->ButtonSauvegarder->click();
        const QByteArray written = readAll(dir.filePath("a.kv2"));
        QCOMPARE(written.size(), 61);

        ShownForm other;
        other.dialogs->openAnswers << dir.filePath("a.kv2");
        other.ui()->ButtonOuvrir->click();
        QCOMPARE(other->openFileName, dir.filePath("a.kv2"));
        QCOMPARE(bytesOf(other->referenceRecord), bytesOf(saved));
        QCOMPARE(other->drive.PasParTour, 11520u);
        QCOMPARE(floatBits(other->drive.DureeTour), floatBits(1196.7236f));
        QCOMPARE(other.text("EditJeuDe"), QStringLiteral("1234"));
        QCOMPARE(bytesOf(other->currentRecord), bytesOf(saved));

        other.dialogs->saveAnswers << dir.filePath("b");
        other.ui()->ButtonSauvegarder->click();
        QCOMPARE(readAll(dir.filePath("b.kv2")), written);
        QVERIFY(other.dialogs->errors.isEmpty());
    }

    void cancelledDialogsTouchNothing()
    {
        QTemporaryDir dir;
        ShownForm form;
        editSomething(form);
        const ConfigRecord current = form->currentRecord;
        const QString quartz = form.text("EditFrequenceQuartz");
        form.ui()->ButtonSauvegarder->click(); // no answer queued: cancelled
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(form.dialogs->filters.size(), 2);
        QVERIFY(form->saveFileName.isEmpty());
        QVERIFY(form->openFileName.isEmpty());
        QCOMPARE(form->currentRecord, current);
        QCOMPARE(form.text("EditFrequenceQuartz"), quartz);
        QVERIFY(entries(dir.path()).isEmpty());
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void openedMarkersNeverReachASave()
    {
        QTemporaryDir dir;
        QByteArray file = defaultParameterFile();
        file[0] = char(0x11);
        file[1] = char(0x22);
        for (int at : {6, 14, 22})
            file[at] = char(0x55);
        file[47] = char(0x33);
        file[48] = char(0x44);
        file[30] = char(0x07); // JeuAD 0x0007, which has a control
        writeFile(dir.filePath("odd.kv2"), file);

        ShownForm form;
        form.dialogs->openAnswers << dir.filePath("odd.kv2");
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(bytesOf(form->referenceRecord), file.left(49));
        QVERIFY(form.dialogs->errors.isEmpty());

        form.dialogs->saveAnswers << dir.filePath("out.kv2");
        form.ui()->ButtonSauvegarder->click();
        QByteArray expected = defaultParameterFile();
        expected[30] = char(0x07);
        QCOMPARE(readAll(dir.filePath("out.kv2")), expected);
    }

    void shortAndLongFilesOpen_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<quint32>("quartz");
        QTest::newRow("record only") << 49 << 14745600u;
        QTest::newRow("two bytes of quartz") << 51 << 0x00E10102u;
        QTest::newRow("long file") << 100 << 0x04030102u;
    }
    void shortAndLongFilesOpen()
    {
        QFETCH(int, size);
        QFETCH(quint32, quartz);
        QTemporaryDir dir;
        QByteArray file = defaultParameterFile();
        file[37] = char(9); // TranchePec
        file.replace(49, 4, QByteArray::fromHex("02010304"));
        file = file.leftJustified(size, char(0xEE), true);
        writeFile(dir.filePath("f.kv2"), file);
        ShownForm form;
        form.dialogs->openAnswers << dir.filePath("f.kv2");
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(form->drive.FrequenceQuartz, quartz);
        QCOMPARE(form.text("EditTranchePec"), QStringLiteral("9"));
        QCOMPARE(form->currentRecord.TranchePec(), quint8(9));
    }

    void replacingAnotherFileIsAsked_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<int>("questions");
        QTest::addColumn<bool>("written");
        QTest::newRow("other extension, declined") << "monture.txt" << false << 1 << false;
        QTest::newRow("other extension, accepted") << "monture.txt" << true << 1 << true;
        // The dialog itself asked about the name it returned.
        QTest::newRow("the name the dialog saw") << "monture.kv2" << false << 0 << true;
    }
    void replacingAnotherFileIsAsked()
    {
        QFETCH(QString, chosen);
        QFETCH(bool, answer);
        QFETCH(int, questions);
        QFETCH(bool, written);
        QTemporaryDir dir;
        writeFile(dir.filePath("monture.kv2"), kOldKv2);
        ShownForm form;
        form.dialogs->saveAnswers << dir.filePath(chosen);
        form.dialogs->replaceAnswers << answer;
        form.ui()->ButtonSauvegarder->click();
        QCOMPARE(form.dialogs->replaceQuestions, questions);
        QCOMPARE(readAll(dir.filePath("monture.kv2")), written ? defaultParameterFile() : kOldKv2);
        QCOMPARE(QFile::exists(dir.filePath("monture.hex")), written);
        QCOMPARE(form->saveFileName.isEmpty(), !written);
    }

    void saveFailures_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("kv2Fails");
        QTest::addColumn<bool>("hexFails");
        QTest::newRow("read-only parameter file") << "read-only file" << true << false;
        QTest::newRow("read-only folder") << "read-only folder" << true << true;
        QTest::newRow("missing folder") << "missing folder" << true << true;
        QTest::newRow("folder in the parameter file's place") << "folder" << true << false;
        QTest::newRow("folder in the HEX file's place") << "hex folder" << false << true;
        QTest::newRow("disk full") << "disk full" << true << true;
    }
    void saveFailures()
    {
        QFETCH(QString, fault);
        QFETCH(bool, kv2Fails);
        QFETCH(bool, hexFails);
        QTemporaryDir root;
        const QString folder =
            fault == "missing folder" ? root.filePath("gone") : root.filePath("cfg");
        QDir().mkpath(root.filePath("cfg"));
        const QString kv2 = folder + "/monture.kv2";
        const QString hex = folder + "/monture.hex";
        if (fault == "folder") {
            QDir().mkpath(kv2);
            writeFile(hex, kOldHex);
        } else if (fault == "hex folder") {
            writeFile(kv2, kOldKv2);
            QDir().mkpath(hex);
        } else if (fault != "missing folder") {
            writeFile(kv2, kOldKv2);
            writeFile(hex, kOldHex);
        }
        if (fault == "read-only file")
            QFile::setPermissions(kv2, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (fault == "read-only folder")
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        const QStringList before = entries(folder);

        ShownForm form;
        form.dialogs->saveAnswers << kv2;
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (fault == "disk full") limit = std::make_unique<FileSizeLimit>(20);
            form.ui()->ButtonSauvegarder->click();
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        // One message for each file that failed, naming it.
        QCOMPARE(form.dialogs->errors.size(), int(kv2Fails) + int(hexFails));
        if (kv2Fails)
            QVERIFY2(form.dialogs->errors.first().contains(QDir::toNativeSeparators(kv2)),
                     qPrintable(form.dialogs->errors.first()));
        if (hexFails)
            QVERIFY2(form.dialogs->errors.last().contains(QDir::toNativeSeparators(hex)),
                     qPrintable(form.dialogs->errors.last()));
        // A failed file is left exactly as it was; a written one is complete.
        if (fault != "missing folder" && fault != "folder")
            QCOMPARE(readAll(kv2), kv2Fails ? kOldKv2 : defaultParameterFile());
        if (fault != "missing folder" && fault != "hex folder")
            QCOMPARE(readAll(hex), hexFails ? kOldHex : defaultHex());
        // No temporary file is left behind.
        QCOMPARE(entries(folder), before);
        QVERIFY(!QDir(root.filePath("gone")).exists());
        // The program carries on.
        typeInto(form.control("EditJeuAD"), "5");
        QCOMPARE(form->currentRecord.JeuAD(), quint16(5));
    }

    void openFailuresChangeNothing_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("missing file") << "missing";
        QTest::newRow("missing folder") << "missing folder";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("unreadable file") << "unreadable";
    }
    void openFailuresChangeNothing()
    {
        QFETCH(QString, fault);
        QTemporaryDir dir;
        const QString path =
            dir.filePath(fault == "missing folder" ? "gone/monture.kv2" : "monture.kv2");
        if (fault == "folder") QDir().mkpath(path);
        if (fault == "unreadable") {
            QByteArray other = defaultParameterFile();
            other[30] = char(0x99);
            writeFile(path, other);
            QFile::setPermissions(path, QFileDevice::Permissions());
        }
        ShownForm form;
        editSomething(form);
        const ConfigRecord current = form->currentRecord;
        const ConfigRecord reference = form->referenceRecord;
        const quint32 quartz = form->drive.FrequenceQuartz;
        const QString jeu = form.text("EditJeuAD");
        const QString period = form.text("EditPeriodeTimer");

        form.dialogs->openAnswers << path;
        form.ui()->ButtonOuvrir->click();
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);

        QCOMPARE(form.dialogs->errors.size(), 1);
        QVERIFY2(form.dialogs->errors.first().contains(QDir::toNativeSeparators(path)),
                 qPrintable(form.dialogs->errors.first()));
        QCOMPARE(form->currentRecord, current);
        QCOMPARE(form->referenceRecord, reference);
        QCOMPARE(form->drive.FrequenceQuartz, quartz);
        QCOMPARE(form.text("EditJeuAD"), jeu);
        QCOMPARE(form.text("EditPeriodeTimer"), period);
        QCOMPARE(entries(dir.path()),
                 fault.startsWith("missing") ? QStringList() : QStringList{"monture.kv2"});
    }

    void readOnlyPlacesOpen_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::newRow("read-only file") << "read-only file";
        QTest::newRow("read-only folder") << "read-only folder";
        QTest::newRow("disk full") << "disk full";
    }
    void readOnlyPlacesOpen()
    {
        // Open only reads: none of these stops it, and the file is not changed.
        QFETCH(QString, fault);
        QTemporaryDir dir;
        QByteArray file = defaultParameterFile();
        file[32] = char(0x2A); // JeuDe 42
        const QString path = dir.filePath("ro.kv2");
        writeFile(path, file);
        if (fault == "read-only file")
            QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        if (fault == "read-only folder")
            QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
        ShownForm form;
        form.dialogs->openAnswers << path;
        {
            std::unique_ptr<FileSizeLimit> limit;
            if (fault == "disk full") limit = std::make_unique<FileSizeLimit>(0);
            form.ui()->ButtonOuvrir->click();
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(form.dialogs->errors.isEmpty());
        QCOMPARE(form.text("EditJeuDe"), QStringLiteral("42"));
        QCOMPARE(form->currentRecord.JeuDe(), quint16(42));
        QCOMPARE(readAll(path), file);
    }

    void faultInAHalfStepBoxStopsTheFilling()
    {
        // V2 AD reads 0 and the opened file flags it: setting the half-step box
        // runs a handler that divides by that 0, and the filling stops there.
        QTemporaryDir dir;
        QByteArray file = defaultParameterFile();
        file[16] = char(0x90); // V2 AD flagged
        file[38] = char(9);    // Pwm0, after the fault
        writeFile(dir.filePath("flag.kv2"), file);
        ShownForm form;
        typeInto(form.control("EditV2AD"), "0");
        form.dialogs->errors.clear();
        form.dialogs->openAnswers << dir.filePath("flag.kv2");
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(form.dialogs->errors.size(), 1);
        QCOMPARE(form.text("EditJeuAD"), QStringLiteral("100")); // written before the fault
        QCOMPARE(form.text("EditPwm0"), QStringLiteral("134"));  // never reached
        QCOMPARE(form->currentRecord.Pwm(0), quint8(134));
        QCOMPARE(bytesOf(form->referenceRecord), file.left(49)); // the bytes read stay
    }

    void faultDuringActivationSkipsTheFinalCopy()
    {
        ShownForm form;
        form.form->writeText(form.control("EditV2AD"), "0");
        form.control<QCheckBox>("CheckBoxAD2")->click();
        typeInto(form.control("EditPwm0"), "7");
        // Activation unchecks the box; its handler divides by the 0.
        QVERIFY_THROWS_EXCEPTION(FloatingPointError, form->FormOnActivate());
        QCOMPARE(form.text("EditJeuAD"), QStringLiteral("100"));
        QCOMPARE(form.text("EditPwm0"), QStringLiteral("7"));
        QCOMPARE(form->currentRecord.Pwm(0), quint8(7)); // no copy of the defaults
    }

    void faultInALevelTextLetsTheFillingGoOn()
    {
        QTemporaryDir dir;
        QByteArray file = defaultParameterFile();
        file[16] = char(0); // V2 AD 0
        file[38] = char(9); // Pwm0, written after the fault
        writeFile(dir.filePath("zero.kv2"), file);
        ShownForm form;
        form.dialogs->openAnswers << dir.filePath("zero.kv2");
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(form.dialogs->errors.size(), 2); // V2 AD itself, then again under V1 AD
        QCOMPARE(form.text("EditPwm0"), QStringLiteral("9"));
        QCOMPARE(form->currentRecord.Pwm(0), quint8(9));
    }
};

QTEST_MAIN(TestFileHandlers)
#include "test_file_handlers.moc"
