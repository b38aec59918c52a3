#pragma once
// The program's one window: the Qt view of the form model. The model holds the
// two configuration records, the drive parameters, the two file names and
// every control's state and handler; the window shows that state in its
// widgets and forwards typing, clicks, double-clicks and keys. What belongs to
// the platform stays here: dialogs, drops, Qt's key codes, the marks drawn over
// boxes and its font's measurements for the model's layout scale.

#include "app/form_builder.h"
#include "app/user_dialogs.h"
#include "config/config_record.h"
#include "files/file_store.h"
#include "form/form_model.h"
#include "form/list_keys.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QKeyEvent;
class QToolButton;
class QLineEdit;
class QListWidget;

class TForm1 : public QWidget, private korval::FormView
{
    Q_OBJECT
    // First, so that the references below can be bound to its state.
    std::unique_ptr<korval::FormModel> m_model;
    korval::ShownState m_shown; // what the widgets show of it

public:
    // The window keeps the seams it is given; without them it uses the
    // standard dialogs and the real file system.
    explicit TForm1(std::unique_ptr<UserDialogs> dialogs = nullptr,
                    std::unique_ptr<FileStore> files = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // The model's state, public so that the tests and the benchmark see it.
    korval::ConfigRecord& currentRecord;
    korval::ConfigRecord& referenceRecord;
    korval::DriveParameters& drive;
    // The model's file names, as the window last saw them; a name set here
    // goes to the model with the next action.
    QString openFileName;
    QString saveFileName;

    // The widgets, built from the form's table.
    const FormWidgets* form() const { return &m_form; }
    korval::FormModel& model() const { return *m_model; }
    // The dialogs' seam, which the window's own dialogs ask through too.
    UserDialogs& dialogs() const { return *m_dialogs; }

    // The handlers the tests, the benchmark and the start-up call by name; every other
    // handler is the model's (src/form/form_model.h), bound through its table.
    void FormOnActivate()
    {
        run([this] { m_model->FormOnActivate(); });
    }
    void ShowRecord()
    {
        run([this] { m_model->ShowRecord(); });
    }
    void ButtonSauvegarderClick()
    {
        run([this] { m_model->ButtonSauvegarderClick(); });
    }
    void ChercherValeurTimer()
    {
        run([this] { m_model->ChercherValeurTimer(); });
    }
    // The comparison: the window's values against a chosen file, shown apart.
    void ButtonComparerClick()
    {
        run([this] { m_model->ButtonComparerClick(); });
    }
    QToolButton* compareButton() const { return m_form.ButtonComparer; }
    void ListBoxValeurTimerDblClick();

    // Writing a box from code runs its change handler at once, every time,
    // also when the text does not change; a fault in that handler is shown
    // and ends that handler only.
    void writeText(QLineEdit* box, const QString& text);

    QLineEdit* levelEdit(korval::Axis axis, int level) const;
    QCheckBox* halfStepBox(korval::Axis axis, int level) const;
    QLineEdit* ratioDisplay(korval::Axis axis, int level) const;
    QLineEdit* msDisplay(int level) const;
    QLineEdit* pwmEdit(int entry) const;

    // The night look (« Nuit », Ctrl+N): a press switches it and remembers the
    // choice for the next start; showNightLook switches it for this start only.
    void toggleNightLook();
    void showNightLook(bool night);

    // Reads a parameter file as "Ouvrir" does once its dialog has returned
    // `path`: the same reading, ShowRecord and messages.
    void openParameterFile(const QString& path);
    // A path given at start-up: opened right after the window first appears,
    // once the activation has shown the defaults.
    void openAtFirstShow(const QString& path) { m_pathAtFirstShow = path; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    // A .kv2 file dropped on the window opens as "Ouvrir" would open it.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Unsaved changes are saved, let go, or keep the window open.
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs `action` on the model: the file names set here go to it first, and
    // its state is shown afterwards, also when a fault leaves the action.
    void run(const std::function<void()>& action);
    // Runs `action` as the event loop does: a fault is shown, none leaves.
    void guarded(const std::function<void()>& action);
    // Shows what changed in the model since the last time.
    void showModel();
    void showList();
    void bindControls();
    void scaleLayout();
    void hideCandidateList();
    // Opens the candidate list from the keyboard, focus in it on line 0.
    void searchFromKeyboard();
    // What the model's key policy answers for `key` in the period box or the list.
    bool listKey(korval::ListKeyPlace place, const QKeyEvent& key);
    // The row the list has selected, -1 for none.
    int selectedLine() const;

    // korval::FormView: messages, file dialogs and files through the seams.
    void showError(const std::string& message) override;
    std::string chooseOpenName() override;
    std::string chooseSaveName() override;
    bool fileExists(const std::string& path) override;
    bool confirmReplace(const std::string& path) override;
    bool readFile(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& bytes,
                  std::string& reason) override;
    bool writeFile(const std::string& path, const std::vector<unsigned char>& bytes,
                   std::string& reason) override;
    void hexWritten(const std::vector<std::string>& dataLines) override;
    SaveChoice askSaveChanges(const std::string& question) override;
    bool askOpenAnyway(const std::string& question) override;
    std::string chooseSaveNameProposing(const std::string& proposedName) override;
    void showNote(const std::string& message) override;
    void showComparison(const korval::FileComparison& comparison) override;

    FormWidgets m_form;
    std::unique_ptr<UserDialogs> m_dialogs;
    std::unique_ptr<FileStore> m_files;
    // The widget of each control, in the model's order.
    std::vector<QWidget*> m_widgets;
    std::string m_openSeen;
    std::string m_saveSeen;
    int m_depth = 0; // nested runs: names go and come at the outermost
    bool m_activated = false;

    // Opens `path` from the event loop, as a click on "Ouvrir" does.
    void queueOpen(const QString& path);
    QString m_pathAtFirstShow;
};
