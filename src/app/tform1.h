#pragma once
// The program's one window: the Qt view of the form model. The model holds the
// two configuration records, the drive parameters, the two file names and
// every control's state and handler; the window shows that state in its
// widgets and forwards typing, clicks, double-clicks and keys. What belongs to
// the platform stays here: dialogs, drops, the keyboard search keys, the marks
// drawn over boxes, the layout's scale and the accessible names.

#include "app/user_dialogs.h"
#include "config/config_record.h"
#include "files/file_store.h"
#include "form/form_model.h"

#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace Ui
{
class TForm1;
}

class TForm1 : public QWidget, private korval::FormView
{
    Q_OBJECT
    // First, so that the references below can be bound to its state.
    std::unique_ptr<korval::FormModel> m_model;

public:
    // The window keeps the seams it is given; without them it uses the
    // standard dialogs and the real file system.
    explicit TForm1(std::unique_ptr<UserDialogs> dialogs = nullptr,
                    std::unique_ptr<FileStore> files = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // The model's state, public so that the tests and the command-line
    // companion see it.
    korval::ConfigRecord& currentRecord;
    korval::ConfigRecord& referenceRecord;
    korval::DriveParameters& drive;
    // The model's file names, as the window last saw them; a name set here
    // goes to the model with the next action.
    QString openFileName;
    QString saveFileName;

    Ui::TForm1* form() const { return ui.get(); }
    korval::FormModel& model() const { return *m_model; }

    // Activation and display.
    void FormOnActivate()
    {
        run([this] { m_model->FormOnActivate(); });
    }
    void ShowRecord()
    {
        run([this] { m_model->ShowRecord(); });
    }
    void ButtonValiderClick()
    {
        run([this] { m_model->ButtonValiderClick(); });
    }

    // Parameter file and HEX export.
    void ButtonOuvrirClick()
    {
        run([this] { m_model->ButtonOuvrirClick(); });
    }
    void ButtonSauvegarderClick()
    {
        run([this] { m_model->ButtonSauvegarderClick(); });
    }
    void ExportHex()
    {
        run([this] { m_model->ExportHex(); });
    }

    // Timing parameters.
    void EditFrequenceQuartzChange()
    {
        run([this] { m_model->EditFrequenceQuartzChange(); });
    }
    void EditDureeTourChange()
    {
        run([this] { m_model->EditDureeTourChange(); });
    }
    void EditPasParTourChange()
    {
        run([this] { m_model->EditPasParTourChange(); });
    }
    void EditTranchePecChange()
    {
        run([this] { m_model->EditTranchePecChange(); });
    }
    void EditPasParTrancheChange()
    {
        run([this] { m_model->EditPasParTrancheChange(); });
    }
    void EditPeriodeTimerChange()
    {
        run([this] { m_model->EditPeriodeTimerChange(); });
    }

    // Interrupt period search.
    void EditPeriodeClick()
    {
        run([this] { m_model->EditPeriodeClick(); });
    }
    void ChercherValeurTimer()
    {
        run([this] { m_model->ChercherValeurTimer(); });
    }
    void ListBoxValeurTimerDblClick();

    // Speed levels.
    void EditV1ADChange() { call(&korval::FormModel::EditV1ADChange); }
    void EditV1DeChange() { call(&korval::FormModel::EditV1DeChange); }
    void EditV1FocChange() { call(&korval::FormModel::EditV1FocChange); }
    void EditV2ADChange() { call(&korval::FormModel::EditV2ADChange); }
    void EditV2DeChange() { call(&korval::FormModel::EditV2DeChange); }
    void EditV2FocChange() { call(&korval::FormModel::EditV2FocChange); }
    void EditV3ADChange() { call(&korval::FormModel::EditV3ADChange); }
    void EditV3DeChange() { call(&korval::FormModel::EditV3DeChange); }
    void EditV3FocChange() { call(&korval::FormModel::EditV3FocChange); }
    void EditV4ADChange() { call(&korval::FormModel::EditV4ADChange); }
    void EditV4DeChange() { call(&korval::FormModel::EditV4DeChange); }
    void EditV4FocChange() { call(&korval::FormModel::EditV4FocChange); }
    void EditV5ADChange() { call(&korval::FormModel::EditV5ADChange); }
    void EditV5DeChange() { call(&korval::FormModel::EditV5DeChange); }
    void EditV5FocChange() { call(&korval::FormModel::EditV5FocChange); }
    void EditV6ADChange() { call(&korval::FormModel::EditV6ADChange); }
    void EditV6DeChange() { call(&korval::FormModel::EditV6DeChange); }
    void EditV6FocChange() { call(&korval::FormModel::EditV6FocChange); }
    void EditV7ADChange() { call(&korval::FormModel::EditV7ADChange); }
    void EditV7DeChange() { call(&korval::FormModel::EditV7DeChange); }
    void EditV7FocChange() { call(&korval::FormModel::EditV7FocChange); }
    void CheckBoxAD1Click() { call(&korval::FormModel::CheckBoxAD1Click); }
    void CheckBoxAD2Click() { call(&korval::FormModel::CheckBoxAD2Click); }
    void CheckBoxAD3Click() { call(&korval::FormModel::CheckBoxAD3Click); }
    void CheckBoxAD4Click() { call(&korval::FormModel::CheckBoxAD4Click); }
    void CheckBoxAD5Click() { call(&korval::FormModel::CheckBoxAD5Click); }
    void CheckBoxAD6Click() { call(&korval::FormModel::CheckBoxAD6Click); }
    void CheckBoxAD7Click() { call(&korval::FormModel::CheckBoxAD7Click); }
    void CheckBoxDe1Click() { call(&korval::FormModel::CheckBoxDe1Click); }
    void CheckBoxDe2Click() { call(&korval::FormModel::CheckBoxDe2Click); }
    void CheckBoxDe3Click() { call(&korval::FormModel::CheckBoxDe3Click); }
    void CheckBoxDe4Click() { call(&korval::FormModel::CheckBoxDe4Click); }
    void CheckBoxDe5Click() { call(&korval::FormModel::CheckBoxDe5Click); }
    void CheckBoxDe6Click() { call(&korval::FormModel::CheckBoxDe6Click); }
    void CheckBoxDe7Click() { call(&korval::FormModel::CheckBoxDe7Click); }

    // Backlash, PWM and hold.
    void EditJeuADChange()
    {
        run([this] { m_model->EditJeuADChange(); });
    }
    void EditJeuDeChange()
    {
        run([this] { m_model->EditJeuDeChange(); });
    }
    void EditMaintienFocChange()
    {
        run([this] { m_model->EditMaintienFocChange(); });
    }
    void EditPwm0Change() { call(&korval::FormModel::EditPwm0Change); }
    void EditPwm1Change() { call(&korval::FormModel::EditPwm1Change); }
    void EditPwm2Change() { call(&korval::FormModel::EditPwm2Change); }
    void EditPwm3Change() { call(&korval::FormModel::EditPwm3Change); }
    void EditPwm4Change() { call(&korval::FormModel::EditPwm4Change); }
    void EditPwm5Change() { call(&korval::FormModel::EditPwm5Change); }
    void EditPwm6Change() { call(&korval::FormModel::EditPwm6Change); }
    void EditPwm7Change() { call(&korval::FormModel::EditPwm7Change); }
    void EditPwm8Change() { call(&korval::FormModel::EditPwm8Change); }

    // Writing a box from code runs its change handler at once, every time,
    // also when the text does not change; a fault in that handler is shown
    // and ends that handler only.
    void writeText(QLineEdit* box, const QString& text);
    // Changing a half-step box from code runs its click handler when the state
    // really changes; a fault there also ends the caller.
    void writeChecked(QCheckBox* box, bool checked);

    QLineEdit* levelEdit(korval::Axis axis, int level) const;
    QCheckBox* halfStepBox(korval::Axis axis, int level) const;
    QLineEdit* ratioDisplay(korval::Axis axis, int level) const;
    QLineEdit* msDisplay(int level) const;
    QLineEdit* pwmEdit(int entry) const;

    // The night look (« Nuit », Ctrl+N): a press switches it and remembers the
    // choice for the next start; showNightLook switches it for this start only.
    void toggleNightLook();
    void showNightLook(bool night);

    // The factor applied to the layout's pixel sizes for the platform font.
    double layoutScale() const { return m_scale; }

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
    // Runs one of the model's named handlers, as run does.
    void call(void (korval::FormModel::*handler)())
    {
        run([this, handler] { (m_model.get()->*handler)(); });
    }
    // Runs `action` as the event loop does: a fault is shown, none leaves.
    void guarded(const std::function<void()>& action);
    // Shows what changed in the model since the last time.
    void showModel();
    void showList();
    void bindControls();
    void addNightButton();
    void scaleLayout();
    void hideCandidateList();
    // Opens the candidate list from the keyboard, focus in it on line 0.
    void searchFromKeyboard();
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

    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<UserDialogs> m_dialogs;
    std::unique_ptr<FileStore> m_files;
    // The widget of each control, in the model's order, and the revision of
    // its state last shown.
    std::vector<QWidget*> m_widgets;
    std::vector<std::uint64_t> m_shown;
    std::uint64_t m_listShown = ~std::uint64_t(0);
    std::string m_openSeen;
    std::string m_saveSeen;
    int m_depth = 0; // nested runs: names go and come at the outermost
    bool m_activated = false;
    double m_scale = 1.0;

    // Opens `path` from the event loop, as a click on "Ouvrir" does.
    void queueOpen(const QString& path);
    QString m_pathAtFirstShow;
};
