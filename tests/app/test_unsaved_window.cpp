// The window's two questions through its dialog seam: closing over unsaved
// changes with each answer, and a file without the form of a parameter file
// opened by "Ouvrir", a drop or the command line, with each answer.

#include "support/form_fixture.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace korval;
using Choice = FormView::SaveChoice;

class TestUnsavedWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;

    QString path(const char* name) const { return m_folder.filePath(QLatin1String(name)); }
    void write(const QString& file, const QByteArray& content) const
    {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(content);
    }

private slots:
    void closeAsksOverChanges_data()
    {
        QTest::addColumn<bool>("opened"); // monture.kv2 opened first
        QTest::addColumn<bool>("edited");
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("saveAnswer"); // the save dialog's; empty = cancelled
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("question"); // empty: none
        const QString unnamed = QStringLiteral("Enregistrer les modifications avant de quitter ?");
        QTest::addRow("nothing changed")
            << false << false << int(Choice::Cancel) << "" << true << "";
        QTest::addRow("a file opened, nothing changed")
            << true << false << int(Choice::Cancel) << "" << true << "";
        QTest::addRow("Annuler") << false << true << int(Choice::Cancel) << "" << false << unnamed;
        QTest::addRow("Ne pas enregistrer")
            << false << true << int(Choice::Discard) << "" << true << unnamed;
        QTest::addRow("Enregistrer")
            << false << true << int(Choice::Save) << "sortie" << true << unnamed;
        QTest::addRow("Enregistrer, dialog cancelled")
            << false << true << int(Choice::Save) << "" << false << unnamed;
        QTest::addRow("the file's name")
            << true << true << int(Choice::Cancel) << "" << false
            << "Enregistrer les modifications de monture.kv2 avant de quitter ?";
    }
    void closeAsksOverChanges()
    {
        QFETCH(bool, opened);
        QFETCH(bool, edited);
        QFETCH(int, choice);
        QFETCH(QString, saveAnswer);
        QFETCH(bool, closes);
        QFETCH(QString, question);
        write(path("monture.kv2"), defaultParameterFile());
        ShownForm form;
        if (opened) form->openParameterFile(path("monture.kv2"));
        if (edited) typeInto(form.control("EditJeuAD"), QStringLiteral("120"));
        form.dialogs->saveChoices << Choice(choice);
        const QString saved = m_folder.filePath(saveAnswer);
        if (!saveAnswer.isEmpty()) form.dialogs->saveAnswers << saved;

        QCOMPARE(form->close(), closes);
        QCOMPARE(form->isVisible(), !closes);
        QCOMPARE(form.dialogs->questions.join('|'), question);
        QCOMPARE(QFile::exists(saved + ".kv2") && QFile::exists(saved + ".hex"),
                 !saveAnswer.isEmpty());
        QVERIFY(form.dialogs->errors.isEmpty());
    }

    void ouvrirAsksBeforeItsDialog()
    {
        ShownForm form;
        typeInto(form.control("EditJeuDe"), QStringLiteral("7"));
        form.dialogs->saveChoices << Choice::Cancel;
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(form.dialogs->questions,
                 QStringList{QStringLiteral(
                     "Enregistrer les modifications avant d'ouvrir un autre fichier ?")});
        QVERIFY2(form.dialogs->filters.isEmpty(), "no open dialog after Annuler");
        QCOMPARE(form.text("EditJeuDe"), QStringLiteral("7"));
    }

    void notAParameterFileAsks_data()
    {
        QTest::addColumn<QString>("route");
        QTest::addColumn<bool>("answer");
        for (const char* route : {"Ouvrir", "drop", "command line"}) {
            QTest::addRow("%s, Non", route) << QString::fromLatin1(route) << false;
            QTest::addRow("%s, Oui", route) << QString::fromLatin1(route) << true;
        }
    }
    void notAParameterFileAsks()
    {
        QFETCH(QString, route);
        QFETCH(bool, answer);
        // A drop takes .kv2 names only: the photo is renamed there.
        const QString photo = path(route == "drop" ? "monture.kv2" : "monture.jpg");
        write(photo, QByteArray(48213, char(0xFF)));
        auto fake = std::make_unique<FakeDialogs>();
        FakeDialogs* dialogs = fake.get();
        dialogs->openAnywayAnswers << answer;
        TForm1 form(std::move(fake));
        if (route == "command line") form.openAtFirstShow(photo);
        form.show();
        if (route == "Ouvrir") {
            dialogs->openAnswers << photo;
            form.form()->ButtonOuvrir->click();
        } else if (route == "drop") {
            QMimeData data;
            data.setUrls({QUrl::fromLocalFile(photo)});
            QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(&form, &enter);
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&form, &drop);
        }
        QTRY_COMPARE(dialogs->questions.size(), 1);
        QCOMPARE(dialogs->questions.constFirst(),
                 QFileInfo(photo).fileName() +
                     " n'a pas la forme d'un fichier de paramètres : 48 213 octets au lieu "
                     "de 61, marqueurs absents. L'ouvrir quand même ?");
        // Oui reads it as before: every quartz byte 0xFF; Non leaves it all.
        QCOMPARE(form.form()->EditFrequenceQuartz->text(),
                 answer ? QStringLiteral("-1") : QStringLiteral("14745600"));
        QCOMPARE(form.openFileName, answer ? photo : QString());
        QVERIFY(dialogs->errors.isEmpty());
    }

    void aParameterFileOpensWithoutAQuestion()
    {
        write(path("bon.kv2"), defaultParameterFile());
        ShownForm form;
        form.dialogs->openAnswers << path("bon.kv2");
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(form->openFileName, path("bon.kv2"));
        QVERIFY(form.dialogs->questions.isEmpty());
    }
};

QTEST_MAIN(TestUnsavedWindow)
#include "test_unsaved_window.moc"
