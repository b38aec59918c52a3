// The window's questions through its dialog seam: a close over unsaved
// changes with each answer, "Ouvrir" over them, and a file without the form of
// a parameter file opened by "Ouvrir", a drop or the command line.

#include "support/form_fixture.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using Choice = korval::FormView::SaveChoice;

class TestUnsavedWindow : public QObject
{
    Q_OBJECT
    QTemporaryDir m_folder;

    QString write(const char* name, const QByteArray& content) const
    {
        QFile out(m_folder.filePath(QLatin1String(name)));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) qFatal("cannot write %s", name);
        out.write(content);
        return out.fileName();
    }

private slots:
    void closeAsksOverChanges()
    {
        const QString unnamed = QStringLiteral("Enregistrer les modifications avant de quitter ?");
        const struct {
            const char* what;
            bool opened, edited; // monture.kv2 opened first; a value typed
            Choice choice;
            const char* saveAnswer; // empty: the save dialog is cancelled
            bool closes;
            QString question;
        } rows[] = {
            {"nothing changed", false, false, Choice::Cancel, "", true, {}},
            {"a file opened", true, false, Choice::Cancel, "", true, {}},
            {"Annuler", false, true, Choice::Cancel, "", false, unnamed},
            {"Ne pas enregistrer", false, true, Choice::Discard, "", true, unnamed},
            {"Enregistrer", false, true, Choice::Save, "sortie", true, unnamed},
            {"Enregistrer, cancelled", false, true, Choice::Save, "", false, unnamed},
            {"the file's name", true, true, Choice::Cancel, "", false,
             QStringLiteral("Enregistrer les modifications de monture.kv2 avant de quitter ?")},
        };
        for (const auto& row : rows) {
            const QString file = write("monture.kv2", defaultParameterFile());
            ShownForm form;
            if (row.opened) form->openParameterFile(file);
            if (row.edited) typeInto(form.control("EditJeuAD"), QStringLiteral("120"));
            form.dialogs->saveChoices << row.choice;
            const QString saved = m_folder.filePath(QLatin1String(row.saveAnswer));
            if (*row.saveAnswer) form.dialogs->saveAnswers << saved;
            QVERIFY2(form->close() == row.closes, row.what);
            QVERIFY2(form->isVisible() == !row.closes, row.what);
            QCOMPARE(form.dialogs->questions.join('|'), row.question);
            QVERIFY2(QFile::exists(saved + ".hex") == bool(*row.saveAnswer), row.what);
        }
    }

    void ouvrirAsksBeforeItsDialog()
    {
        ShownForm form;
        typeInto(form.control("EditJeuDe"), QStringLiteral("7"));
        form.dialogs->saveChoices << Choice::Cancel;
        form.ui()->ButtonOuvrir->click();
        QCOMPARE(form.dialogs->questions.join('|'),
                 QStringLiteral("Enregistrer les modifications avant d'ouvrir un autre fichier ?"));
        QVERIFY2(form.dialogs->filters.isEmpty(), "no open dialog after Annuler");
    }

    // A drop replaces the record as "Ouvrir" does: the same question first,
    // and Annuler leaves the edits and the file unread.
    void dropAsksBeforeChangesAreReplaced()
    {
        const QString dropped = write("autre.kv2", QByteArray(61, '\0'));
        ShownForm form;
        typeInto(form.control("EditJeuDe"), QStringLiteral("7"));
        form.dialogs->saveChoices << Choice::Cancel;
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(dropped)});
        QDragEnterEvent enter(QPoint(9, 9), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(form.form.get(), &enter);
        QDropEvent drop(QPointF(9, 9), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(form.form.get(), &drop);
        QTRY_COMPARE(
            form.dialogs->questions.join('|'),
            QStringLiteral("Enregistrer les modifications avant d'ouvrir un autre fichier ?"));
        QCOMPARE(form.ui()->EditJeuDe->text(), QStringLiteral("7"));
    }

    void notAParameterFileAsks()
    {
        for (const char* route : {"Ouvrir", "drop", "command line"}) {
            for (const bool answer : {false, true}) {
                const QByteArray what = QByteArray(route) + (answer ? ", Oui" : ", Non");
                // A drop takes .kv2 names only.
                const bool dropped = QByteArray(route) == "drop";
                const QString photo =
                    write(dropped ? "photo.kv2" : "photo.jpg", QByteArray(48213, '\xFF'));
                auto fake = std::make_unique<FakeDialogs>();
                FakeDialogs* dialogs = fake.get();
                dialogs->openAnywayAnswers << answer;
                dialogs->openAnswers << photo;
                TForm1 form(std::move(fake));
                if (QByteArray(route) == "command line") form.openAtFirstShow(photo);
                form.show();
                if (QByteArray(route) == "Ouvrir") form.form()->ButtonOuvrir->click();
                if (dropped) {
                    QMimeData data;
                    data.setUrls({QUrl::fromLocalFile(photo)});
                    QDragEnterEvent enter(QPoint(9, 9), Qt::CopyAction, &data, Qt::LeftButton, {});
                    QCoreApplication::sendEvent(&form, &enter);
                    QDropEvent drop(QPointF(9, 9), Qt::CopyAction, &data, Qt::LeftButton, {});
                    QCoreApplication::sendEvent(&form, &drop);
                }
                QTRY_VERIFY2(dialogs->questions.size() == 1, what);
                QCOMPARE(dialogs->questions.constFirst(),
                         QFileInfo(photo).fileName() +
                             " n'a pas la forme d'un fichier de paramètres : 48 213 octets au "
                             "lieu de 61, marqueurs absents. L'ouvrir quand même ?");
                // Oui reads it as before (every quartz byte 0xFF); Non leaves it all.
                QCOMPARE(form.form()->EditFrequenceQuartz->text(),
                         answer ? QStringLiteral("-1") : QStringLiteral("14745600"));
                QCOMPARE(form.openFileName, answer ? photo : QString());
            }
        }
    }
};

QTEST_MAIN(TestUnsavedWindow)
#include "test_unsaved_window.moc"
