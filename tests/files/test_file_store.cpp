// The file store on what is not a plain file, and the window's Open on them:
// refused at once with a message naming what it is, never a blocked window.

#include "support/form_fixture.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QtTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace
{
// Makes `kind` at `path`; returns the reason expected in the refusal.
QString make(const QString& kind, const QString& path, const QString& folder)
{
    const QByteArray name = QFile::encodeName(path);
    if (kind == "named pipe") {
        mkfifo(name.constData(), 0644);
        return "c'est un tube nommé";
    }
    if (kind == "link to a folder") {
        QFile::link(folder, path);
        return "c'est un lien vers un dossier";
    }
    if (kind == "link to a pipe") {
        mkfifo(QFile::encodeName(path + ".pipe").constData(), 0644);
        QFile::link(path + ".pipe", path);
        return "c'est un lien vers un tube nommé";
    }
    if (kind == "dangling link") {
        QFile::link(path + ".gone", path);
        return "le lien ne mène à aucun fichier";
    }
    if (kind == "socket") {
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, name.constData(), sizeof address.sun_path);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        close(fd);
        return "c'est un socket";
    }
    return "?";
}

// The file store's calls in the suite's own types; `data` goes in and comes
// back whatever the outcome, so that an untouched buffer can be checked.
bool storeRead(const QString& path, QByteArray& data, QString& reason)
{
    std::vector<unsigned char> bytes(data.begin(), data.end());
    std::string why;
    const bool ok = FileStore().read(path.toStdString(), 61, bytes, why);
    data = QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    reason = QString::fromStdString(why);
    return ok;
}

bool storeWrite(const QString& path, const QByteArray& data, QString& reason)
{
    std::string why;
    const bool ok =
        FileStore().writeAtomically(path.toStdString(), {data.begin(), data.end()}, why);
    reason = QString::fromStdString(why);
    return ok;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
} // namespace

class TestFileStore : public QObject
{
    Q_OBJECT
private slots:
    void notAFileIsRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << "named pipe";
        QTest::newRow("link to a folder") << "link to a folder";
        QTest::newRow("link to a named pipe") << "link to a pipe";
        QTest::newRow("dangling link") << "dangling link";
        QTest::newRow("socket") << "socket";
    }
    void notAFileIsRefused()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("x.kv2");
        const QString expected = make(kind, path, dir.path());
        QByteArray data("untouched");
        QString reason;
        QVERIFY(!storeRead(path, data, reason));
        QCOMPARE(reason, expected);
        QCOMPARE(data, QByteArray("untouched"));
    }

    void aPipeIsNotReplaced()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("x.kv2");
        make("named pipe", path, dir.path());
        QString reason;
        QVERIFY(!storeWrite(path, "new", reason));
        QCOMPARE(reason, QStringLiteral("c'est un tube nommé"));
        QVERIFY(!QFileInfo(path).isFile());
        QCOMPARE(
            QDir(dir.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System),
            QStringList{"x.kv2"});
    }

    void aDeviceIsRefused()
    {
        QByteArray data;
        QString reason;
        QVERIFY(!storeRead("/dev/zero", data, reason));
        QCOMPARE(reason, QStringLiteral("c'est un périphérique"));
    }

    void aLinkToAFileIsReadAndWrittenThrough()
    {
        QTemporaryDir dir;
        const QString real = dir.filePath("real.kv2");
        const QString link = dir.filePath("link.kv2");
        QString reason;
        QVERIFY(storeWrite(real, "old", reason));
        QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        QVERIFY(QFile::link(real, link));
        QByteArray data;
        QVERIFY(storeRead(link, data, reason));
        QCOMPARE(data, QByteArray("old"));
        QVERIFY2(storeWrite(link, "new", reason), qPrintable(reason));
        QVERIFY(QFileInfo(link).isSymLink()); // the link stays a link
        QCOMPARE(readAll(real), QByteArray("new"));
        QCOMPARE(QFile::permissions(real), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther |
                                               QFile::ReadUser | QFile::WriteUser);
    }

    void leftoversOfAKilledSaveGoOnlyWhenTheirProcessIsGone()
    {
        QTemporaryDir dir;
        QProcess gone;
        gone.start("true", {});
        QVERIFY(gone.waitForStarted());
        const qint64 deadPid = gone.processId();
        QVERIFY(gone.waitForFinished());
        const QString dead = dir.filePath(QStringLiteral(".m.kv2.%1-00ab.tmp").arg(deadPid));
        const QString alive = dir.filePath(QStringLiteral(".m.kv2.%1-00cd.tmp").arg(getppid()));
        const QString other = dir.filePath(QStringLiteral(".n.kv2.%1-00ef.tmp").arg(deadPid));
        for (const QString& leftover : {dead, alive, other}) {
            QFile file(leftover);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QString reason;
        QVERIFY(storeWrite(dir.filePath("m.kv2"), "new", reason));
        QVERIFY(!QFile::exists(dead));
        QVERIFY(QFile::exists(alive)); // another save may be under way
        QVERIFY(QFile::exists(other)); // another target's
        QCOMPARE(readAll(dir.filePath("m.kv2")), QByteArray("new"));
    }

    void openingANonFileShowsAMessageAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("named pipe") << "named pipe";
        QTest::newRow("link to a folder") << "link to a folder";
    }
    void openingANonFileShowsAMessageAtOnce()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath("x.kv2");
        const QString expected = make(kind, path, dir.path());
        ShownForm form;
        typeInto(form.control("EditJeuAD"), "321");
        const korval::ConfigRecord current = form->currentRecord;
        form.dialogs->openAnswers << path;
        QElapsedTimer clock;
        clock.start();
        form.ui()->ButtonOuvrir->click();
        QVERIFY(clock.elapsed() < 1000); // a blocked open would never return
        QCOMPARE(form.dialogs->errors.size(), 1);
        QVERIFY2(form.dialogs->errors.first().contains(expected),
                 qPrintable(form.dialogs->errors.first()));
        QVERIFY(form.dialogs->errors.first().contains(QDir::toNativeSeparators(path)));
        QCOMPARE(form->currentRecord, current);
        // The window goes on responding.
        typeInto(form.control("EditJeuAD"), "5");
        QCOMPARE(form->currentRecord.JeuAD(), quint16(5));
    }
};

QTEST_MAIN(TestFileStore)
#include "test_file_store.moc"
