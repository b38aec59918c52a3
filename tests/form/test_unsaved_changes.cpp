// What a close or an Open could lose: the model's saved state through a whole
// session, the close question with each answer, and the question before a
// file without the form of a parameter file is read.

#include "support/form_fixture.h"

#include "form/form_model.h"

#include <QtTest>

#include <map>
#include <set>

using namespace korval;
using Choice = FormView::SaveChoice;

namespace
{
// Files in memory; some names cannot be written; answers from queues.
class AnsweringView : public FormView
{
public:
    std::map<std::string, std::vector<unsigned char>> files;
    std::set<std::string> unwritable;
    QStringList saveNames;         // each save dialog takes the first; none = cancel
    QList<Choice> saveChoices;     // each save question takes the first; none = cancel
    QList<bool> openAnswers;       // each open-anyway question takes the first; none = no
    QStringList openNames;         // each open dialog takes the first; none = cancel
    QStringList questions, errors; // every question and message, in their order
    int openDialogs = 0;

    void showError(const std::string& message) override
    {
        errors << QString::fromStdString(message);
    }
    std::string chooseOpenName() override
    {
        ++openDialogs;
        return openNames.isEmpty() ? std::string() : openNames.takeFirst().toStdString();
    }
    std::string chooseSaveName() override
    {
        return saveNames.isEmpty() ? std::string() : saveNames.takeFirst().toStdString();
    }
    bool readFile(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& data,
                  std::string& reason) override
    {
        const auto found = files.find(path);
        if (found == files.end()) {
            reason = "introuvable";
            return false;
        }
        data.assign(found->second.begin(),
                    found->second.begin() +
                        std::ptrdiff_t(std::min(maxBytes, found->second.size())));
        return true;
    }
    bool writeFile(const std::string& path, const std::vector<unsigned char>& data,
                   std::string& reason) override
    {
        if (unwritable.count(path)) {
            reason = "disque plein";
            return false;
        }
        files[path] = data;
        return true;
    }
    Choice askSaveChanges(const std::string& question) override
    {
        questions << QString::fromStdString(question);
        return saveChoices.isEmpty() ? Choice::Cancel : saveChoices.takeFirst();
    }
    bool askOpenAnyway(const std::string& question) override
    {
        questions << QString::fromStdString(question);
        return !openAnswers.isEmpty() && openAnswers.takeFirst();
    }
};

std::vector<unsigned char> vectorOf(const QByteArray& bytes)
{
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

// The defaults' file with another quartz: it opens without a question.
std::vector<unsigned char> otherFile()
{
    QByteArray file = defaultParameterFile();
    file[49] = char(0x01);
    return vectorOf(file);
}
} // namespace

class TestUnsavedChanges : public QObject
{
    Q_OBJECT

private slots:
    // One session, step by step: after each, whether something is left to
    // save, and the question a close would ask then.
    void baselineThroughASession()
    {
        AnsweringView view;
        view.files["/f/autre.kv2"] = otherFile();
        view.files["/f/photo.jpg"] = std::vector<unsigned char>(300, 0xFF);
        view.unwritable = {"/f/plein.kv2"};
        FormModel model(&view);
        QVERIFY2(!model.hasUnsavedChanges(), "nothing before activation");
        std::string factoryTurn; // the box's text after activation

        struct Step {
            const char* what;
            std::function<void()> act;
            bool unsaved;
            const char* closeQuestion; // asked when unsaved, then cancelled
        };
        const Step steps[] = {
            {"activation",
             [&] {
                 model.FormOnActivate();
                 factoryTurn = model.control("EditDureeTour").text;
             },
             false, ""},
            {"a worm turn typed", [&] { model.userTyped("EditDureeTour", "600"); }, true,
             "Enregistrer les modifications avant de quitter ?"},
            {"typed back", [&] { model.userTyped("EditDureeTour", factoryTurn); }, false, ""},
            {"a level and a half-step box",
             [&] {
                 model.userTyped("EditV2AD", "17");
                 model.userClicked("CheckBoxAD3");
             },
             true, "Enregistrer les modifications avant de quitter ?"},
            {"a failed save",
             [&] {
                 view.saveNames << "/f/plein.kv2";
                 model.ButtonSauvegarderClick();
             },
             true, "Enregistrer les modifications avant de quitter ?"},
            {"a save",
             [&] {
                 view.saveNames << "/f/monture.txt";
                 model.ButtonSauvegarderClick();
             },
             false, ""},
            {"a PWM entry after the save", [&] { model.userTyped("EditPwm3", "9"); }, true,
             "Enregistrer les modifications de monture.kv2 avant de quitter ?"},
            {"a failed open", [&] { model.openParameterFile("/f/absent.kv2"); }, true,
             "Enregistrer les modifications de monture.kv2 avant de quitter ?"},
            {"a photo, not opened",
             [&] {
                 view.openAnswers << false;
                 model.openParameterFile("/f/photo.jpg");
             },
             true, "Enregistrer les modifications de monture.kv2 avant de quitter ?"},
            {"an open", [&] { model.openParameterFile("/f/autre.kv2"); }, false, ""},
            {"the quartz changed", [&] { model.userTyped("EditFrequenceQuartz", "16000000"); },
             true, "Enregistrer les modifications de autre.kv2 avant de quitter ?"},
            {"the photo, opened anyway",
             [&] {
                 view.openAnswers << true;
                 model.openParameterFile("/f/photo.jpg");
             },
             false, ""},
        };
        for (const Step& step : steps) {
            step.act();
            QVERIFY2(model.hasUnsavedChanges() == step.unsaved, step.what);
            view.questions.clear();
            QVERIFY2(model.confirmClose() == !step.unsaved, step.what);
            QCOMPARE(view.questions.join('|'), QString::fromUtf8(step.closeQuestion));
        }
        QCOMPARE(view.errors.size(), 2); // the failed save (its .kv2) and the failed open
        QCOMPARE(view.files.count("/f/monture.kv2"), std::size_t(1));
        QCOMPARE(QString::fromStdString(model.openFileName()), QStringLiteral("/f/photo.jpg"));
    }

    // Each answer of the close question: what it returns, what it writes,
    // and whether anything is left to save.
    void closeQuestionAnswers_data()
    {
        QTest::addColumn<int>("choice");
        QTest::addColumn<QString>("saveName"); // empty: the save dialog is cancelled
        QTest::addColumn<QString>("unwritable");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<int>("filesWritten");
        QTest::addRow("Annuler") << int(Choice::Cancel) << ""
                                 << "" << false << 0;
        QTest::addRow("Ne pas enregistrer") << int(Choice::Discard) << ""
                                            << "" << true << 0;
        QTest::addRow("Enregistrer") << int(Choice::Save) << "/f/m.kv2"
                                     << "" << true << 2;
        QTest::addRow("Enregistrer, dialog cancelled") << int(Choice::Save) << ""
                                                       << "" << false << 0;
        QTest::addRow("Enregistrer, .kv2 not written") << int(Choice::Save) << "/f/m.kv2"
                                                       << "/f/m.kv2" << false << 1;
        QTest::addRow("Enregistrer, .hex not written") << int(Choice::Save) << "/f/m.kv2"
                                                       << "/f/m.hex" << false << 1;
    }
    void closeQuestionAnswers()
    {
        QFETCH(int, choice);
        QFETCH(QString, saveName);
        QFETCH(QString, unwritable);
        QFETCH(bool, closes);
        QFETCH(int, filesWritten);
        AnsweringView view;
        FormModel model(&view);
        model.FormOnActivate();
        model.userTyped("EditJeuAD", "120");
        view.saveChoices << Choice(choice);
        if (!saveName.isEmpty()) view.saveNames << saveName;
        if (!unwritable.isEmpty()) view.unwritable = {unwritable.toStdString()};
        QCOMPARE(model.confirmClose(), closes);
        QCOMPARE(view.questions.size(), 1);
        QCOMPARE(int(view.files.size()), filesWritten);
        QCOMPARE(model.hasUnsavedChanges(), filesWritten != 2);
    }

    // "Ouvrir" over unsaved changes asks first; its dialog follows unless the
    // user cancels or the save did not happen.
    void openAsksBeforeItsDialog_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<int>("choice");
        QTest::addColumn<int>("questions");
        QTest::addColumn<int>("openDialogs");
        QTest::addColumn<bool>("opened");
        QTest::addRow("nothing to save") << false << int(Choice::Cancel) << 0 << 1 << true;
        QTest::addRow("Annuler") << true << int(Choice::Cancel) << 1 << 0 << false;
        QTest::addRow("Ne pas enregistrer") << true << int(Choice::Discard) << 1 << 1 << true;
        QTest::addRow("Enregistrer") << true << int(Choice::Save) << 1 << 1 << true;
    }
    void openAsksBeforeItsDialog()
    {
        QFETCH(bool, edited);
        QFETCH(int, choice);
        QFETCH(int, questions);
        QFETCH(int, openDialogs);
        QFETCH(bool, opened);
        AnsweringView view;
        view.files["/f/autre.kv2"] = otherFile();
        view.openNames << "/f/autre.kv2";
        view.saveNames << "/f/avant.kv2";
        view.saveChoices << Choice(choice);
        FormModel model(&view);
        model.FormOnActivate();
        if (edited) model.userTyped("EditJeuDe", "33");
        model.ButtonOuvrirClick();
        QCOMPARE(view.questions.size(), questions);
        if (questions)
            QCOMPARE(view.questions.first(), QStringLiteral("Enregistrer les modifications avant "
                                                            "d'ouvrir un autre fichier ?"));
        QCOMPARE(view.openDialogs, openDialogs);
        QCOMPARE(model.control("EditFrequenceQuartz").text == "14745601", opened);
        QCOMPARE(view.files.count("/f/avant.kv2"), std::size_t(choice == int(Choice::Save)));
    }

    // The question before a file is read, word for word, and what each answer leaves.
    void openAnywayQuestion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("question"); // empty: opened without a question
        const QByteArray good = defaultParameterFile();
        QByteArray unmarked = good;
        unmarked[48] = char(0xBD);
        QByteArray noStart = good;
        noStart[0] = char(0x46);
        const QString tail = QStringLiteral(" n'a pas la forme d'un fichier de paramètres : ");
        QTest::addRow("parameter file") << "/f/a.kv2" << good << "";
        QTest::addRow("photo") << "/photos/monture.jpg" << QByteArray(48213, char(0xFF))
                               << "monture.jpg" + tail +
                                      "48 213 octets au lieu de 61, marqueurs absents. "
                                      "L'ouvrir quand même ?";
        QTest::addRow("one byte") << "un.kv2" << QByteArray(1, char(0x45))
                                  << "un.kv2" + tail +
                                         "1 octet au lieu de 61, marqueurs absents. L'ouvrir "
                                         "quand même ?";
        QTest::addRow("empty") << "C:\\vide.kv2" << QByteArray()
                               << "vide.kv2" + tail +
                                      "0 octet au lieu de 61, marqueurs absents. L'ouvrir quand "
                                      "même ?";
        QTest::addRow("one byte more")
            << "long.kv2" << good + 'x'
            << "long.kv2" + tail + "62 octets au lieu de 61. L'ouvrir quand même ?";
        QTest::addRow("the record alone")
            << "court.kv2" << good.left(49)
            << "court.kv2" + tail + "49 octets au lieu de 61. L'ouvrir quand même ?";
        QTest::addRow("end marker")
            << "fin.kv2" << unmarked
            << "fin.kv2" + tail + "marqueurs absents. L'ouvrir quand même ?";
        QTest::addRow("start marker")
            << "debut.kv2" << noStart
            << "debut.kv2" + tail + "marqueurs absents. L'ouvrir quand même ?";
        QTest::addRow("a million") << "hex.kv2" << QByteArray(1234567, ':')
                                   << "hex.kv2" + tail +
                                          "1 234 567 octets au lieu de 61, marqueurs absents. "
                                          "L'ouvrir quand même ?";
    }
    void openAnywayQuestion()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, question);
        for (const bool answer : {false, true}) {
            AnsweringView view;
            view.files[name.toStdString()] = vectorOf(bytes);
            view.openAnswers << answer;
            FormModel model(&view);
            model.FormOnActivate();
            model.userTyped("EditJeuAD", "4");
            model.setOpenFileName("avant.kv2");
            model.openParameterFile(name.toStdString());
            QCOMPARE(view.questions.join('|'), question);
            const bool opened = question.isEmpty() || answer;
            // Opened: the file's values, nothing to save; not opened: all as it was.
            QCOMPARE(model.control("EditJeuAD").text == "4", !opened);
            QCOMPARE(model.hasUnsavedChanges(), !opened);
            QCOMPARE(QString::fromStdString(model.openFileName()),
                     opened ? name : QStringLiteral("avant.kv2"));
        }
    }

    // A file past what Open reads says so rather than a wrong size.
    void openAnywayQuestionOfAHugeFile()
    {
        AnsweringView view;
        view.files["/f/film.kv2"] = std::vector<unsigned char>((std::size_t(64) << 20) + 2);
        FormModel model(&view);
        model.FormOnActivate();
        model.openParameterFile("/f/film.kv2");
        QCOMPARE(view.questions.join('|'),
                 QStringLiteral("film.kv2 n'a pas la forme d'un fichier de paramètres : plus de "
                                "67 108 864 octets au lieu de 61, marqueurs absents. L'ouvrir "
                                "quand même ?"));
    }

    // A front end that writes the save's bytes itself marks them saved.
    void markSavedMovesTheBaseline()
    {
        FormModel model;
        model.FormOnActivate();
        model.userTyped("EditPwm8", "1");
        const FormModel::SaveOutput output = model.saveOutput("page");
        QVERIFY(model.hasUnsavedChanges());
        model.markSaved(output);
        QVERIFY(!model.hasUnsavedChanges());
        QVERIFY2(model.confirmClose(), "a model without a view closes");
    }
};

QTEST_MAIN(TestUnsavedChanges)
#include "test_unsaved_changes.moc"
