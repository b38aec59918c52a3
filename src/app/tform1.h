#pragma once
// The program's one window. It owns the two configuration records, the drive
// parameters and the two file names for the whole run; every control's
// handler is one of its members, named after the control and the event.

#include "app/stored_value_mark.h"
#include "app/user_dialogs.h"
#include "config/config_record.h"
#include "files/file_store.h"

#include <QHash>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QLineEdit;
class QListWidget;

namespace Ui
{
class TForm1;
}

// Named handlers of a speed level: the edit box's change and, for AD and De,
// the half-step box's click, which re-runs the level's change handler.
#define KORVAL_LEVEL_HANDLERS(n)                                                                   \
    void EditV##n##ADChange()                                                                      \
    {                                                                                              \
        levelChange(korval::Axis::AD, n);                                                          \
    }                                                                                              \
    void EditV##n##DeChange()                                                                      \
    {                                                                                              \
        levelChange(korval::Axis::De, n);                                                          \
    }                                                                                              \
    void EditV##n##FocChange()                                                                     \
    {                                                                                              \
        focuserLevelChange(n);                                                                     \
    }                                                                                              \
    void CheckBoxAD##n##Click()                                                                    \
    {                                                                                              \
        EditV##n##ADChange();                                                                      \
    }                                                                                              \
    void CheckBoxDe##n##Click()                                                                    \
    {                                                                                              \
        EditV##n##DeChange();                                                                      \
    }
#define KORVAL_PWM_HANDLER(n)                                                                      \
    void EditPwm##n##Change()                                                                      \
    {                                                                                              \
        pwmChange(n);                                                                              \
    }

class TForm1 : public QWidget
{
    Q_OBJECT
public:
    // The window keeps the seams it is given; without them it uses the
    // standard dialogs and the real file system.
    explicit TForm1(std::unique_ptr<UserDialogs> dialogs = nullptr,
                    std::unique_ptr<FileStore> files = nullptr, QWidget* parent = nullptr);
    ~TForm1() override;

    // State, public so that the tests and the command-line companion see it.
    korval::ConfigRecord currentRecord;
    korval::ConfigRecord referenceRecord;
    korval::DriveParameters drive;
    QString openFileName;
    QString saveFileName;

    Ui::TForm1* form() const { return ui.get(); }

    // Activation and display.
    void FormOnActivate();
    void ShowRecord();
    void ButtonValiderClick();

    // Parameter file and HEX export.
    void ButtonOuvrirClick();
    void ButtonSauvegarderClick();
    void ExportHex();

    // Timing parameters.
    void EditFrequenceQuartzChange();
    void EditDureeTourChange();
    void EditPasParTourChange();
    void EditTranchePecChange();
    void EditPasParTrancheChange();
    void EditPeriodeTimerChange();

    // Interrupt period search.
    void EditPeriodeClick();
    void ChercherValeurTimer();
    void ListBoxValeurTimerDblClick();

    // Speed levels.
    KORVAL_LEVEL_HANDLERS(1)
    KORVAL_LEVEL_HANDLERS(2)
    KORVAL_LEVEL_HANDLERS(3)
    KORVAL_LEVEL_HANDLERS(4)
    KORVAL_LEVEL_HANDLERS(5)
    KORVAL_LEVEL_HANDLERS(6)
    KORVAL_LEVEL_HANDLERS(7)

    // Backlash, PWM and hold.
    void EditJeuADChange();
    void EditJeuDeChange();
    void EditMaintienFocChange();
    KORVAL_PWM_HANDLER(0)
    KORVAL_PWM_HANDLER(1)
    KORVAL_PWM_HANDLER(2)
    KORVAL_PWM_HANDLER(3)
    KORVAL_PWM_HANDLER(4)
    KORVAL_PWM_HANDLER(5)
    KORVAL_PWM_HANDLER(6)
    KORVAL_PWM_HANDLER(7)
    KORVAL_PWM_HANDLER(8)

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

private:
    void bindHandlers();
    void scaleLayout();
    // Runs a handler called from the event loop: a fault is shown, and no
    // exception leaves the handler.
    void guarded(const std::function<void()>& handler);
    void showError(const QString& message);

    void levelChange(korval::Axis axis, int level);
    void v1Change(korval::Axis axis);
    void focuserLevelChange(int level);
    void pwmChange(int entry);
    void refreshPerPas();
    void hideCandidateList();

    // Opens the candidate list from the keyboard, focus in it on line 0.
    void searchFromKeyboard();

    // Stored-value notes: after each change of an editable box, what its field
    // now holds is compared with the number on screen.
    void bindStoredNotes();
    void refreshStoredNote(QLineEdit* box);
    QHash<QLineEdit*, std::function<StoredNote()>> m_storedNotes;
    // ShowRecord writes what the fields hold: its texts are never marked.
    bool m_showingRecord = false;

    std::unique_ptr<Ui::TForm1> ui;
    std::unique_ptr<UserDialogs> m_dialogs;
    std::unique_ptr<FileStore> m_files;
    QHash<QLineEdit*, std::function<void()>> m_changeHandlers;
    QHash<QCheckBox*, std::function<void()>> m_clickHandlers;
    // The count each AD and De level box last held, kept while its text holds
    // no number.
    std::array<std::array<std::int32_t, korval::kLevelCount + 1>, 2> m_levelTyped{};
    bool m_activated = false;
    double m_scale = 1.0;

    // Opens `path` from the event loop, as a click on "Ouvrir" does.
    void queueOpen(const QString& path);
    QString m_pathAtFirstShow;
};

#undef KORVAL_LEVEL_HANDLERS
#undef KORVAL_PWM_HANDLER
