// The form model alone, without a window: a whole session that must save what
// the window saves, and the way a fault ends one handler and not its caller.

#include "support/form_fixture.h"

#include "config/fp_fault.h"
#include "form/form_model.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <map>

using namespace korval;

namespace
{
// Files in memory, names from queues, every message kept.
class MemoryView : public FormView
{
public:
    std::map<std::string, std::vector<unsigned char>> files;
    QStringList openAnswers;
    QStringList saveAnswers;
    QStringList errors;

    void showError(const std::string& message) override
    {
        errors << QString::fromStdString(message);
    }
    std::string chooseOpenName() override
    {
        return openAnswers.isEmpty() ? std::string() : openAnswers.takeFirst().toStdString();
    }
    std::string chooseSaveName() override
    {
        return saveAnswers.isEmpty() ? std::string() : saveAnswers.takeFirst().toStdString();
    }
    bool fileExists(const std::string& path) override { return files.count(path) != 0; }
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
                   std::string&) override
    {
        files[path] = data;
        return true;
    }
};

QByteArray bytes(const std::vector<unsigned char>& data)
{
    return QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size()));
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

// One step of a session, the same for the model and for the window:
// "type NAME TEXT", "click NAME", "search", "apply ROW", "open PATH", "save PATH".
struct Step {
    QString verb;
    QString name;
    QString text;
};

QList<Step> session(const QString& dir)
{
    const auto s = [](const char* verb, const QString& name = {}, const QString& text = {}) {
        return Step{QString::fromLatin1(verb), name, text};
    };
    QList<Step> steps;
    // Every kind of box: 32-bit, float, 8 and 16 bits, levels, the
    // acceleration time, a clamped focuser level, the hold, the PWM table.
    const char* const typed[][2] = {
        {"EditFrequenceQuartz", "16000000"},
        {"EditDureeTour", "598.5"},
        {"EditPasParTour", "11520"},
        {"EditTranchePec", "300"},
        {"EditPasParTranche", "45"},
        {"EditJeuAD", "70000"},
        {"EditJeuDe", "12"},
        {"EditV2AD", "200"},
        {"EditV7De", "5"},
        {"EditV3De", "9"},
        {"EditV5AD", "-3"},
        {"EditV2Foc", "300"},
        {"EditPwm3", "-1"},
        {"EditMaintienFoc", "3.54"},
    };
    for (const auto& t : typed)
        steps << s("type", QString::fromLatin1(t[0]), QString::fromLatin1(t[1]));
    for (const char* box : {"CheckBoxAD2", "CheckBoxDe1", "CheckBoxAD7", "CheckBoxDe6"})
        steps << s("click", QString::fromLatin1(box));
    steps << s("search") << s("apply", {}, QStringLiteral("2"));
    steps << s("type", QStringLiteral("EditMaintienFoc"), QStringLiteral("12.5"));
    steps << s("save", dir + QStringLiteral("/premier.txt"));
    steps << s("open", dir + QStringLiteral("/autre.kv2"));
    steps << s("type", QStringLiteral("EditPwm0"), QStringLiteral("77"));
    steps << s("click", QStringLiteral("CheckBoxDe2"));
    steps << s("save", dir + QStringLiteral("/second.kv2"));
    return steps;
}

// The file the session opens: the defaults with other levels and quartz.
QByteArray otherFile()
{
    QByteArray file = defaultParameterFile();
    file[16] = char(0x85); // V2 AD: 5 with its half-step flag
    file[9] = char(7);     // V3 De: 7 s
    file[38] = char(9);    // Pwm0
    file[49] = char(0x00); // FrequenceQuartz low byte
    return file;
}

void runOnModel(FormModel& model, MemoryView& view, const QList<Step>& steps)
{
    model.guarded([&model] { model.FormOnActivate(); });
    for (const Step& step : steps) {
        const std::string name = step.name.toStdString();
        if (step.verb == QLatin1String("type")) {
            model.userTyped(name, step.text.toStdString());
        } else if (step.verb == QLatin1String("click")) {
            model.userClicked(name);
        } else if (step.verb == QLatin1String("search")) {
            model.userClicked("EditPeriodeTimer");
        } else if (step.verb == QLatin1String("apply")) {
            model.userDoubleClickedLine(step.text.toInt());
        } else if (step.verb == QLatin1String("open")) {
            view.openAnswers << step.name;
            model.userClicked("ButtonOuvrir");
        } else if (step.verb == QLatin1String("save")) {
            view.saveAnswers << step.name;
            model.userClicked("ButtonSauvegarder");
        }
    }
}

void runOnWindow(ShownForm& form, const QList<Step>& steps)
{
    QListWidget* list = form.ui()->ListBoxValeurTimer;
    for (const Step& step : steps) {
        if (step.verb == QLatin1String("type")) {
            enter(form, form.control(qPrintable(step.name)), step.text);
        } else if (step.verb == QLatin1String("click")) {
            toggle(form.control<QCheckBox>(qPrintable(step.name)));
        } else if (step.verb == QLatin1String("search")) {
            QTest::mouseClick(form.ui()->EditPeriodeTimer, Qt::LeftButton);
        } else if (step.verb == QLatin1String("apply")) {
            const QPoint at = list->visualItemRect(list->item(step.text.toInt())).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        } else if (step.verb == QLatin1String("open")) {
            form.dialogs->openAnswers << step.name;
            form.ui()->ButtonOuvrir->click();
        } else if (step.verb == QLatin1String("save")) {
            form.dialogs->saveAnswers << step.name;
            form.ui()->ButtonSauvegarder->click();
        }
    }
}
} // namespace

class TestFormModel : public QObject
{
    Q_OBJECT
private slots:
    void aSessionSavesWhatTheWindowSaves()
    {
        QTemporaryDir dir;
        const QList<Step> steps = session(dir.path());
        const QByteArray other = otherFile();
        QFile file(dir.filePath("autre.kv2"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(other) == other.size());
        file.close();

        MemoryView view;
        view.files[dir.filePath("autre.kv2").toStdString()].assign(other.begin(), other.end());
        FormModel model(&view);
        runOnModel(model, view, steps);

        ShownForm form;
        runOnWindow(form, steps);

        QCOMPARE(view.errors, form.dialogs->errors);
        for (const char* name : {"premier.kv2", "premier.hex", "second.kv2", "second.hex"}) {
            const QString path = dir.filePath(QLatin1String(name));
            QVERIFY2(view.files.count(path.toStdString()), name);
            QCOMPARE(bytes(view.files[path.toStdString()]), fileBytes(path));
        }
        // What the window saved for this session when its handlers were its own.
        QCOMPARE(bytes(view.files[dir.filePath("premier.kv2").toStdString()]).toHex(),
                 QByteArray("452338114800008b100906048205000bc80806fd02810021ff080604020170110c0003"
                            "2d002c86939dffb3a1cde0f7debc0024f400002d000000a01544"));
        QCOMPARE(bytes(view.files[dir.filePath("second.kv2").toStdString()]).toHex(),
                 QByteArray("4523b7ce0a0000219007060402010021850806040201002110080604020164006400"
                            "052d00004d939da7b3a1cde0f7debc0000e1000064000028971544"));
        QCOMPARE(model.saveOutput("x.kv2").kv2,
                 view.files[dir.filePath("second.kv2").toStdString()]);
        QCOMPARE(model.openFileName(), form->openFileName.toStdString());
        QCOMPARE(model.saveFileName(), form->saveFileName.toStdString());
        for (const std::string& name : model.controlNames()) {
            QWidget* widget = form.control<QWidget>(name.c_str());
            if (auto* box = qobject_cast<QLineEdit*>(widget))
                QCOMPARE(QString::fromStdString(model.control(name).text), box->text());
            else if (auto* check = qobject_cast<QCheckBox*>(widget))
                QVERIFY2(model.control(name).checked == check->isChecked(), name.c_str());
        }
        QCOMPARE(model.helpText("EditErreur"),
                 form.ui()->EditErreur->accessibleDescription().toStdString());
    }

    // Steps: "type NAME TEXT", "write NAME TEXT" (from code, as ShowRecord
    // does), "check NAME 0|1" (from code), "click NAME", "activate" (from the
    // event loop) and "activate!" (called directly: a fault leaves it).
    void aFaultEndsTheRunningHandler_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("errors");
        QTest::addColumn<bool>("thrown");
        QTest::addColumn<QStringList>("texts"); // NAME=TEXT afterwards
        QTest::addColumn<int>("pwm0");

        QTest::newRow("a level of 0 faults in its own handler")
            << QStringList{"type EditV2AD 0"} << 1 << false << QStringList{"EditXAD2=  2.06"}
            << 134;
        QTest::newRow("under V1 the fault ends V1's handler, the write goes on")
            << QStringList{"type EditV2AD 0", "write EditV1AD 40", "type EditPwm0 5"} << 2 << false
            << QStringList{"EditV1AD=40", "EditXAD3=  4.12"} << 5;
        QTest::newRow("a half-step write ends its caller too")
            << QStringList{"write EditV2AD 0", "click CheckBoxAD2", "type EditPwm0 7", "activate!"}
            << 2 << true << QStringList{"EditJeuAD=100", "EditPwm0=7"} << 7;
        QTest::newRow("from the event loop the fault is shown once")
            << QStringList{"write EditV2AD 0", "click CheckBoxAD2", "type EditPwm0 7", "activate"}
            << 3 << false << QStringList{"EditPwm0=7"} << 7;
        QTest::newRow("a clamped focuser level writes its box again")
            << QStringList{"type EditV1Foc 300"} << 0 << false << QStringList{"EditV1Foc=255"}
            << 134;
        QTest::newRow("a new quartz blanks the period box")
            << QStringList{"type EditFrequenceQuartz 20000000"} << 0 << false
            << QStringList{"EditPeriodeTimer="} << 134;
        QTest::newRow("a half-step click on a level of 0 faults")
            << QStringList{"write EditV3AD 0", "click CheckBoxAD3"} << 2 << false
            << QStringList{"EditXAD3=  4.12"} << 134;
    }
    void aFaultEndsTheRunningHandler()
    {
        QFETCH(QStringList, steps);
        QFETCH(int, errors);
        QFETCH(bool, thrown);
        QFETCH(QStringList, texts);
        QFETCH(int, pwm0);

        MemoryView view;
        FormModel model(&view);
        model.FormOnActivate();
        bool threw = false;
        for (const QString& step : steps) {
            const QStringList part = step.split(QLatin1Char(' '));
            const std::string name = part.value(1).toStdString();
            const std::string text = part.value(2).toStdString();
            if (part[0] == QLatin1String("type"))
                model.userTyped(name, text);
            else if (part[0] == QLatin1String("write"))
                model.writeText(name, text);
            else if (part[0] == QLatin1String("click"))
                model.userClicked(name);
            else if (part[0] == QLatin1String("activate"))
                model.guarded([&model] { model.FormOnActivate(); });
            else if (part[0] == QLatin1String("activate!")) {
                try {
                    model.FormOnActivate();
                } catch (const FloatingPointError&) {
                    threw = true;
                }
            }
        }
        QCOMPARE(threw, thrown);
        QCOMPARE(view.errors.size(), errors);
        for (const QString& expected : texts) {
            const std::string name = expected.section(QLatin1Char('='), 0, 0).toStdString();
            QCOMPARE(QString::fromStdString(model.control(name).text),
                     expected.section(QLatin1Char('='), 1));
        }
        QCOMPARE(int(model.currentRecord().Pwm(0)), pwm0);
    }

    void notesAndDriftAreText()
    {
        MemoryView view;
        FormModel model(&view);
        model.FormOnActivate();
        model.userTyped("EditPwm3", "300");
        QCOMPARE(model.storedNote("EditPwm3"),
                 std::string("valeur enregistrée : 44 (300 ne tient pas sur 8 bits)"));
        QCOMPARE(model.helpText("EditPwm3"),
                 model.baseHelp("EditPwm3") + "\n" + model.storedNote("EditPwm3"));
        model.userTyped("EditPwm3", "");
        QCOMPARE(model.storedNote("EditPwm3"), std::string()); // said in the help, not marked
        QVERIFY(model.helpText("EditPwm3").find("aucun nombre lu") != std::string::npos);
        model.ShowRecord();
        QCOMPARE(model.helpText("EditPwm3"), model.baseHelp("EditPwm3"));

        model.userClicked("EditPeriodeTimer");
        QVERIFY(model.listVisible());
        QCOMPARE(int(model.listLines().size()), 293);
        QCOMPARE(model.listSelected(), 0);
        QCOMPARE(model.listLineHelp(0), std::string("dérive : 0.0991 s/jour"));
        model.userDoubleClickedLine(7);
        QVERIFY(!model.listVisible());
        QCOMPARE(model.control("EditPeriodeTimer").text, std::string("708279"));
        QCOMPARE(model.helpText("EditErreur"),
                 model.baseHelp("EditErreur") + "\n" + model.listLineHelp(7));
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, model.control("EditNulle"));
    }

    // What a view shows again: every control and the list at first, then only
    // what each action changed (a typed note marks the box and its help).
    void aViewShowsOnlyWhatChanged()
    {
        MemoryView view;
        FormModel model(&view);
        ShownState shown(model);
        QCOMPARE(shown.changedControls().size(), model.controlCount());
        QVERIFY(shown.listChanged());
        model.FormOnActivate();
        shown.changedControls();
        shown.listChanged();
        const auto changedNames = [&] {
            QStringList names;
            for (std::size_t i : shown.changedControls())
                names << QString::fromStdString(model.controlNames()[i]);
            return names;
        };
        model.userTyped("EditPwm3", "300");
        QCOMPARE(changedNames(), QStringList{"EditPwm3"});
        QCOMPARE(changedNames(), QStringList());
        QVERIFY(!shown.listChanged());
        model.userClicked("EditPeriodeTimer");
        QVERIFY(shown.listChanged());
        QVERIFY(!shown.listChanged());
        shown.forgetList();
        QVERIFY(shown.listChanged());
    }

    // Without a save name there is nothing to write beside: not ".hex" in the
    // current folder. Once saved, the image goes beside the parameter file.
    void exportHexWritesBesideTheSavedFileOnly()
    {
        MemoryView view;
        FormModel model(&view);
        model.FormOnActivate();
        model.ExportHex();
        QVERIFY(view.files.empty());
        QVERIFY(view.errors.isEmpty());
        model.setSaveFileName("/tmp/monture.kv2");
        model.ExportHex();
        QCOMPARE(int(view.files.size()), 1);
        QCOMPARE(view.files.begin()->first, std::string("/tmp/monture.hex"));
    }
};

QTEST_MAIN(TestFormModel)
#include "test_form_model.moc"
