// What a close or an Open could lose: the model's saved state through a whole
// session, each answer of the close question, and the question asked before a
// file without the form of a parameter file is read.

#include "support/form_fixture.h"

#include "form/form_model.h"

#include <QtTest>

#include <QRegularExpression>

#include <map>

using namespace korval;
using Choice = FormView::SaveChoice;

namespace
{
// Files in memory, one name that cannot be written, answers from queues.
class AnsweringView : public FormView
{
public:
    std::map<std::string, std::vector<unsigned char>> files;
    std::string unwritable;
    QStringList openNames, saveNames, questions, errors; // names: none = cancelled
    QList<Choice> choices;                               // none = Annuler
    QList<bool> openAnswers;                             // none = Non

    void showError(const std::string& m) override { errors << QString::fromStdString(m); }
    std::string chooseOpenName() override { return take(openNames); }
    std::string chooseSaveName() override { return take(saveNames); }
    bool readFile(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& data,
                  std::string& reason) override
    {
        const auto found = files.find(path);
        if (found == files.end()) {
            reason = "introuvable";
            return false;
        }
        data = found->second;
        data.resize(std::min(maxBytes, data.size()));
        return true;
    }
    bool writeFile(const std::string& path, const std::vector<unsigned char>& data,
                   std::string& reason) override
    {
        if (path == unwritable) {
            reason = "disque plein";
            return false;
        }
        files[path] = data;
        return true;
    }
    Choice askSaveChanges(const std::string& question) override
    {
        questions << QString::fromStdString(question);
        return choices.isEmpty() ? Choice::Cancel : choices.takeFirst();
    }
    bool askOpenAnyway(const std::string& question) override
    {
        questions << QString::fromStdString(question);
        return !openAnswers.isEmpty() && openAnswers.takeFirst();
    }

private:
    static std::string take(QStringList& names)
    {
        return names.isEmpty() ? std::string() : names.takeFirst().toStdString();
    }
};

std::vector<unsigned char> vectorOf(const QByteArray& bytes)
{
    return std::vector<unsigned char>(bytes.begin(), bytes.end());
}

const QString kUnnamed = QStringLiteral("Enregistrer les modifications avant de quitter ?");
QString closeQuestion(const char* file)
{
    return QStringLiteral("Enregistrer les modifications de %1 avant de quitter ?").arg(file);
}
} // namespace

class TestUnsavedChanges : public QObject
{
    Q_OBJECT

private slots:
    // After each step: whether something is left to save, and the question
    // a close asks then (answered Annuler).
    void baselineThroughASession()
    {
        AnsweringView view;
        QByteArray other = defaultParameterFile();
        other[49] = char(0x01); // another quartz
        view.files = {{"/f/autre.kv2", vectorOf(other)},
                      {"/f/photo.jpg", std::vector<unsigned char>(300, 0xFF)}};
        view.unwritable = "/f/plein.kv2";
        FormModel model(&view);
        std::string factoryTurn;
        const auto type = [&](const char* box, const std::string& text) {
            return [&model, box, text] { model.userTyped(box, text); };
        };
        const auto save = [&](const char* name) {
            return [&view, &model, name] {
                view.saveNames << name;
                model.ButtonSauvegarderClick();
            };
        };
        const auto open = [&](const char* name, bool answer) {
            return [&view, &model, name, answer] {
                view.openAnswers = {answer};
                model.openParameterFile(name);
            };
        };
        const struct {
            const char* what;
            std::function<void()> act;
            QString question; // empty: nothing to save
        } steps[] = {
            {"activation",
             [&] {
                 model.FormOnActivate();
                 factoryTurn = model.control("EditDureeTour").text;
             },
             {}},
            {"a worm turn typed", type("EditDureeTour", "600"), kUnnamed},
            {"typed back", [&] { model.userTyped("EditDureeTour", factoryTurn); }, {}},
            {"a half-step box", [&] { model.userClicked("CheckBoxAD3"); }, kUnnamed},
            {"a failed save", save("/f/plein.kv2"), kUnnamed},
            {"a save", save("/f/monture.txt"), {}},
            {"a PWM entry", type("EditPwm3", "9"), closeQuestion("monture.kv2")},
            {"a failed open", open("/f/absent.kv2", true), closeQuestion("monture.kv2")},
            {"a photo, Non", open("/f/photo.jpg", false), closeQuestion("monture.kv2")},
            {"an open", open("/f/autre.kv2", false), {}},
            {"the quartz", type("EditFrequenceQuartz", "16000000"), closeQuestion("autre.kv2")},
            {"a photo, Oui", open("/f/photo.jpg", true), {}},
        };
        for (const auto& step : steps) {
            view.questions.clear();
            step.act();
            const QString openedName = QString::fromStdString(model.openFileName());
            QVERIFY2(model.hasUnsavedChanges() == !step.question.isEmpty(), step.what);
            view.questions.clear();
            QVERIFY2(model.confirmClose() == step.question.isEmpty(), step.what);
            QCOMPARE(view.questions.join('|'), step.question);
            if (QByteArray(step.what).startsWith("a photo"))
                QCOMPARE(openedName == "/f/photo.jpg", QByteArray(step.what).endsWith("Oui"));
        }
        QCOMPARE(view.errors.size(), 2); // the failed save's .kv2, the failed open
        QCOMPARE(view.files.count("/f/monture.hex"), std::size_t(1));
    }

    // The answers that end in a save: whether the window may close, the files
    // written, and whether anything is left to save (the window's own test
    // answers Annuler and Ne pas enregistrer).
    void closeQuestionAnswers()
    {
        const struct {
            const char* what;
            Choice choice;
            const char* saveName; // empty: the save dialog is cancelled
            const char* unwritable;
            bool closes;
            std::size_t written;
        } rows[] = {
            {"Enregistrer", Choice::Save, "/f/m.kv2", "", true, 2},
            {"Enregistrer, dialog cancelled", Choice::Save, "", "", false, 0},
            {"Enregistrer, .kv2 failed", Choice::Save, "/f/m.kv2", "/f/m.kv2", false, 1},
            {"Enregistrer, .hex failed", Choice::Save, "/f/m.kv2", "/f/m.hex", false, 1},
        };
        for (const auto& row : rows) {
            AnsweringView view;
            FormModel model(&view);
            model.FormOnActivate();
            model.userTyped("EditJeuAD", "120");
            view.choices << row.choice;
            if (*row.saveName) view.saveNames << row.saveName;
            view.unwritable = row.unwritable;
            QVERIFY2(model.confirmClose() == row.closes, row.what);
            QVERIFY2(view.files.size() == row.written, row.what);
            QVERIFY2(model.hasUnsavedChanges() == (row.written != 2), row.what);
        }
    }

    // The question word for word, naming the file and only what is wrong.
    void openAnywayQuestion()
    {
        const QByteArray good = defaultParameterFile();
        QByteArray noEnd = good, noStart = good;
        noEnd[48] = char(0xBD);
        noStart[0] = char(0x46);
        const struct {
            const char* name;
            QByteArray bytes;
            bool cutShort;
            const char* fault; // empty: no question
        } rows[] = {
            {"/f/a.kv2", good, false, ""},
            {"/photos/monture.jpg", QByteArray(48213, '\xFF'), false,
             "48 213 octets au lieu de 61, marqueurs absents"},
            {"C:\\un.kv2", QByteArray(1, 'E'), false, "1 octet au lieu de 61, marqueurs absents"},
            {"long.kv2", good + 'x', false, "62 octets au lieu de 61"},
            {"court.kv2", good.left(49), false, "49 octets au lieu de 61"},
            {"fin.kv2", noEnd, false, "marqueurs absents"},
            {"debut.kv2", noStart, false, "marqueurs absents"},
            {"film.kv2", QByteArray(1234567, ':'), true,
             "plus de 1 234 567 octets au lieu de 61, marqueurs absents"},
        };
        for (const auto& row : rows) {
            const QString name =
                QString::fromLatin1(row.name).section(QRegularExpression("[/\\\\]"), -1);
            const QString want = *row.fault
                                     ? name + " n'a pas la forme d'un fichier de paramètres : " +
                                           QString::fromUtf8(row.fault) + ". L'ouvrir quand même ?"
                                     : QString();
            QCOMPARE(QString::fromStdString(FormModel::openAnywayQuestion(
                         row.name, vectorOf(row.bytes), row.cutShort)),
                     want);
        }
    }
};

QTEST_MAIN(TestUnsavedChanges)
#include "test_unsaved_changes.moc"
