// A parameter file given at start-up or dropped on the window: opened exactly
// as "Ouvrir" opens the same path, after the defaults are shown.

#include "app/start_up.h"
#include "support/form_fixture.h"

#include <QtTest>

#include <cstdio>

#include <unistd.h>

using namespace korval;

namespace
{
// Every control's text or state, both records, the drive parameters, the
// open-file name and the messages shown: what a user and a Save can see.
QStringList snapshot(const TForm1& form, const FakeDialogs& dialogs)
{
    QStringList seen;
    for (const QLineEdit* box : form.findChildren<QLineEdit*>())
        seen << box->objectName() + QLatin1Char('=') + box->text();
    for (const QCheckBox* box : form.findChildren<QCheckBox*>())
        seen << box->objectName() + (box->isChecked() ? QLatin1String("=1") : QLatin1String("=0"));
    seen.sort();
    seen << QString::fromLatin1(bytesOf(form.currentRecord).toHex())
         << QString::fromLatin1(bytesOf(form.referenceRecord).toHex())
         << QString::number(form.drive.FrequenceQuartz) << QString::number(form.drive.PasParTour)
         << QString::number(double(form.drive.DureeTour), 'g', 9) << form.openFileName
         << dialogs.errors;
    return seen;
}

QByteArray parameterFile(const ConfigRecord& record, std::uint32_t quartz)
{
    DriveParameters drive;
    ConfigRecord unused;
    loadFactoryDefaults(unused, drive);
    drive.FrequenceQuartz = quartz;
    const ParameterFileBytes bytes = serializeParameterFile(record, drive);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()));
}

// Drags `urls` over `target` and drops them there, as a file manager does.
void sendDrop(QWidget& target, const QList<QUrl>& urls, bool& enterAccepted)
{
    QMimeData data;
    data.setUrls(urls);
    // File managers offer the name as text too, which an edit box takes.
    data.setText(urls.isEmpty() ? QString() : urls.constFirst().toString());
    const QPoint at(10, 10);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &enter);
    enterAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&target, &drop);
    QCoreApplication::processEvents(); // the open is queued after the drop
}
} // namespace

class TestStartUp : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;

private slots:
    void opensAsOuvrirDoes_data();
    void opensAsOuvrirDoes();
    void onlyOneLocalParameterFileIsTaken_data();
    void onlyOneLocalParameterFileIsTaken();
    void saveSurvivesAClosedOutput();
};

void TestStartUp::opensAsOuvrirDoes_data()
{
    QTest::addColumn<bool>("dropped");
    QTest::addColumn<QString>("onto"); // the control it is dropped on; empty: the window
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // empty: no such file
    QTest::addColumn<QString>("jeuAD");      // the text EditJeuAD ends with
    QTest::addColumn<int>("errors");

    ConfigRecord edited = factoryRecord();
    edited.setJeuAD(200);
    edited.setLevel(Axis::AD, 1, 0xA1); // count 33, half-step
    ConfigRecord stalled = factoryRecord();
    stalled.setJeuAD(7);
    stalled.setLevel(Axis::De, 3, 0); // its ratio divides by zero: a fault is shown
    const QByteArray editedFile = parameterFile(edited, 12000000);
    const QByteArray stalledFile = parameterFile(stalled, kDefaultFrequenceQuartz);

    for (const bool dropped : {false, true}) {
        const char* how = dropped ? "dropped" : "start-up";
        QTest::addRow("%s: edited file", how)
            << dropped << QString() << "edited.kv2" << editedFile << "200" << 0;
        QTest::addRow("%s: missing file", how)
            << dropped << QString() << "missing.kv2" << QByteArray() << "100" << 1;
        QTest::addRow("%s: level 0", how)
            << dropped << QString() << "stalled.kv2" << stalledFile << "7" << 2;
    }
    // The box does not take the file's name as its text.
    QTest::newRow("dropped on a box: edited file") << true << "EditJeuAD"
                                                   << "edited.kv2" << editedFile << "200" << 0;
}

void TestStartUp::opensAsOuvrirDoes()
{
    QFETCH(bool, dropped);
    QFETCH(QString, onto);
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(QString, jeuAD);
    QFETCH(int, errors);
    const QString path = m_folder.filePath(name);
    QFile::remove(path);
    if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // The same path through "Ouvrir".
    ShownForm byButton;
    byButton.dialogs->openAnswers << path;
    byButton.ui()->ButtonOuvrir->click();

    auto fake = std::make_unique<FakeDialogs>();
    FakeDialogs* dialogs = fake.get();
    TForm1 form(std::move(fake));
    if (!dropped) form.openAtFirstShow(path);
    form.show();
    if (dropped) {
        bool accepted = false;
        QWidget* target = onto.isEmpty() ? &form : form.findChild<QWidget*>(onto);
        QVERIFY(target);
        sendDrop(*target, {QUrl::fromLocalFile(path)}, accepted);
        QVERIFY(accepted);
    } else {
        QCoreApplication::processEvents();
    }

    QCOMPARE(form.findChild<QLineEdit*>(QStringLiteral("EditJeuAD"))->text(), jeuAD);
    QCOMPARE(dialogs->errors.size(), errors);
    if (content.isEmpty()) {
        QVERIFY(dialogs->errors.constFirst().contains(QDir::toNativeSeparators(path)));
        QCOMPARE(bytesOf(form.currentRecord), factoryTable());
    }
    QCOMPARE(snapshot(form, *dialogs), snapshot(*byButton.form, *byButton.dialogs));
}

void TestStartUp::onlyOneLocalParameterFileIsTaken_data()
{
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<bool>("taken");
    QTest::newRow("other extension") << QStringList{QStringLiteral("notes.txt")} << false;
    QTest::newRow("two files") << QStringList{QStringLiteral("a.kv2"), QStringLiteral("b.kv2")}
                               << false;
    QTest::newRow("remote file") << QStringList{QStringLiteral("https://example.org/a.kv2")}
                                 << false;
    QTest::newRow("upper-case extension") << QStringList{QStringLiteral("MONTURE.KV2")} << true;
}

void TestStartUp::onlyOneLocalParameterFileIsTaken()
{
    QFETCH(QStringList, urls);
    QFETCH(bool, taken);
    QList<QUrl> dropped;
    for (const QString& url : urls)
        dropped << (url.contains(QLatin1Char(':')) ? QUrl(url)
                                                   : QUrl::fromLocalFile(m_folder.filePath(url)));
    ShownForm form;
    bool accepted = false;
    sendDrop(*form.form, dropped, accepted);
    QCOMPARE(accepted, taken);
    // A refused drop reads nothing; a taken one is opened (here: not found).
    QCOMPARE(form->openFileName.isEmpty(), !taken);
    QCOMPARE(form.dialogs->errors.size(), taken ? 1 : 0);
}

// Started as "korvalset24 | head", the window outlives its reader: the HEX
// echo fails quietly and both files are written.
void TestStartUp::saveSurvivesAClosedOutput()
{
    ignoreClosedOutput();
    ShownForm form;
    const QString target = m_folder.filePath(QStringLiteral("tube.kv2"));
    form.dialogs->saveAnswers << target;
    int ends[2];
    QVERIFY(::pipe(ends) == 0);
    ::close(ends[0]); // no reader any more
    std::fflush(stdout);
    const int savedOutput = ::dup(STDOUT_FILENO);
    ::dup2(ends[1], STDOUT_FILENO);
    ::close(ends[1]);
    form->ButtonSauvegarderClick();
    std::fflush(stdout);
    ::dup2(savedOutput, STDOUT_FILENO);
    ::close(savedOutput);
    std::clearerr(stdout);
    QVERIFY(form.dialogs->errors.isEmpty());
    QCOMPARE(QFileInfo(target).size(), qint64(kParameterFileSize));
    QCOMPARE(QFileInfo(m_folder.filePath(QStringLiteral("tube.hex"))).size(), qint64(214));
}

QTEST_MAIN(TestStartUp)
#include "test_start_up.moc"
