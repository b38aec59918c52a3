// The command line on what is not a plain file: a named pipe or a link to a
// folder, given to read or to write, is refused at once with exit status 2, a
// message naming it, and nothing written.

#include "cli_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

class TestCliNotFiles : public QObject
{
    Q_OBJECT
private slots:
    void refusedWithStatus2_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("reason");
        const QString pipe = "c'est un tube nommé";
        const QString folder = "c'est un lien vers un dossier";
        QTest::newRow("show a pipe") << QStringList{"show", "pipe.kv2"} << pipe;
        QTest::newRow("check a pipe") << QStringList{"check", "pipe.kv2"} << pipe;
        QTest::newRow("set a pipe") << QStringList{"set", "pipe.kv2", "JeuAD=1"} << pipe;
        QTest::newRow("diff against a folder link")
            << QStringList{"diff", "ok.kv2", "dir.kv2"} << folder;
        QTest::newRow("import a pipe")
            << QStringList{"import-hex", "pipe.hex", "-o", "out.kv2"} << pipe;
        QTest::newRow("base from a folder link")
            << QStringList{"import-hex", "ok.hex", "--base", "dir.kv2", "-o", "out.kv2"} << folder;
        QTest::newRow("write into a pipe") << QStringList{"defaults", "-o", "pipe.kv2"} << pipe;
    }
    void refusedWithStatus2()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("pipe.kv2")).constData(), 0644) == 0);
        QVERIFY(mkfifo(QFile::encodeName(dir.filePath("pipe.hex")).constData(), 0644) == 0);
        QVERIFY(QFile::link(dir.path(), dir.filePath("dir.kv2")));
        QCOMPARE(runCli({"defaults", "-o", "ok.kv2"}, dir.path()).exit, 0);
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::System);

        const CliRun run = runCli(arguments, dir.path()); // a blocked open would time out
        QCOMPARE(run.exit, 2);
        QVERIFY2(QString::fromUtf8(run.err).contains(reason), run.err.constData());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System), before);
        QVERIFY(!QFileInfo(dir.filePath("pipe.kv2")).isFile()); // still a pipe
    }
};

QTEST_GUILESS_MAIN(TestCliNotFiles)
#include "test_cli_not_files.moc"
