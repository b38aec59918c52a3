#pragma once
// The window's behaviour without a toolkit: every control as state, the two
// records, the drive parameters and the two file names, and each control's
// handler under its own name. A front end shows this state, forwards what the
// user does, and answers the questions of FormView (messages, file choice,
// reading and writing files).

#include "config/config_record.h"
#include "form/form_controls.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace korval
{

struct ControlState {
    std::string text;     // edit box text / check box or button caption as shown
    bool checked = false; // check boxes
    bool visible = true;
    bool enabled = true;
};

// A file compared with the window's values.
struct FileComparison {
    std::string fileName;           // as chosen
    std::string heading;            // what is compared, and in which direction
    std::vector<std::string> lines; // « V2AD : 16 -> 20 », or « Identique à la fenêtre »
    bool tableOnly = false;         // a HEX image: the table's fields alone
    std::string text() const;       // heading, then one line each, as copied
};

// What the list of a comparison shows when nothing differs.
inline const char* const kIdenticalToWindow = "Identique à la fenêtre";
// The note after a HEX image named `fileName` is opened.
std::string hexImageNote(const std::string& fileName);

// What a front end gives the model. Only showError is required; the rest lets
// "Ouvrir" and "Sauvegarder" run their whole course, and a front end that
// works on names and bytes alone leaves them as they are.
class FormView
{
public:
    virtual ~FormView() = default;
    // A fault that ended a handler, or a failed file operation.
    virtual void showError(const std::string& message) = 0;

    // The file the user chose; empty when cancelled.
    virtual std::string chooseOpenName() { return {}; }
    virtual std::string chooseSaveName() { return {}; }
    // The same with a name to propose (empty: none), as after a HEX image.
    virtual std::string chooseSaveNameProposing(const std::string& proposedName)
    {
        (void)proposedName;
        return chooseSaveName();
    }
    // The file to compare with the window; empty when cancelled.
    virtual std::string chooseCompareName() { return chooseOpenName(); }
    virtual bool fileExists(const std::string&) { return false; }
    // Asked before a file the save dialog did not name is replaced.
    virtual bool confirmReplace(const std::string&) { return false; }
    // At most `maxBytes`; false with a French reason.
    virtual bool readFile(const std::string& path, std::size_t maxBytes,
                          std::vector<unsigned char>& data, std::string& reason);
    // Replaces the file in one step; false with a French reason.
    virtual bool writeFile(const std::string& path, const std::vector<unsigned char>& data,
                           std::string& reason);
    // The HEX file is written: its data records, to echo.
    virtual void hexWritten(const std::vector<std::string>&) {}

    // Asked before unsaved changes would be lost. A view that does not ask
    // lets them go, as a window without the question did.
    enum class SaveChoice { Save, Discard, Cancel };
    virtual SaveChoice askSaveChanges(const std::string& question)
    {
        (void)question;
        return SaveChoice::Discard;
    }
    // Asked before a file without the form of a parameter file is read; true opens it.
    virtual bool askOpenAnyway(const std::string& question)
    {
        (void)question;
        return true;
    }
    // A note after an action that went well, such as what a HEX image lacks.
    virtual void showNote(const std::string& message) { (void)message; }
    // What « Comparer… » found, shown until the user closes it; copyable.
    virtual void showComparison(const FileComparison& comparison) { (void)comparison; }
};

class FormModel
{
public:
    explicit FormModel(FormView* view = nullptr);
    FormModel(const FormModel&) = delete;
    FormModel& operator=(const FormModel&) = delete;
    void setView(FormView* view) { m_view = view; }

    // --- state, by the window's control names ---
    std::vector<std::string> controlNames() const;              // in the window's creation order
    const ControlState& control(const std::string& name) const; // std::out_of_range if unknown
    // The same by place in controlNames(), and a count that grows at each
    // change of that control's state, note or help.
    std::size_t controlIndex(const std::string& name) const;
    const ControlState& controlAt(std::size_t index) const { return m_controls.at(index); }
    std::uint64_t controlRevision(std::size_t index) const { return m_revisions.at(index); }
    std::size_t controlCount() const { return m_controls.size(); }

    // The candidate list ListBoxValeurTimer.
    const std::vector<std::string>& listLines() const { return m_lines; }
    bool listVisible() const { return m_listVisible; }
    int listSelected() const { return m_selected; }               // -1: none
    std::string listLineHelp(int index) const;                    // "dérive : 0.0991 s/jour"
    std::uint64_t listRevision() const { return m_listRevision; } // grows when lines change

    // The stored-value note of a box: empty when the box is not marked.
    std::string storedNote(const std::string& name) const;
    // The window's help (tooltip) of a control: its own help, then the note or
    // the applied line's drift on a line of its own; empty if none.
    std::string helpText(const std::string& name) const;
    // The control's own help, without note.
    std::string baseHelp(const std::string& name) const;

    // --- user actions; a fault is shown through the view ---
    void userTyped(const std::string& name, const std::string& text);
    void userClicked(const std::string& name); // toggles a check box; "EditPeriodeTimer" searches
    void userSetChecked(const std::string& name, bool checked); // a click that left it so
    void userSelectedLine(int index);
    void userDoubleClickedLine(int index);
    void hideList();
    // F4 or Alt+Down in the period box (see listKeyAction): the search, as a
    // click runs it, with the first line selected.
    void searchFromKeyboard();

    // --- handlers, as the window names them; a fault leaves them ---
    void FormOnActivate();
    void ShowRecord();
    void ButtonValiderClick() {}
    void ButtonOuvrirClick();
    void ButtonSauvegarderClick();
    void ExportHex();
    // « Comparer… »: asks for a file through the view and shows what differs;
    // changes nothing in the window.
    void ButtonComparerClick();

    void EditFrequenceQuartzChange();
    void EditDureeTourChange();
    void EditPasParTourChange();
    void EditTranchePecChange();
    void EditPasParTrancheChange();
    void EditPeriodeTimerChange();

    void EditPeriodeClick() { ChercherValeurTimer(); }
    void ChercherValeurTimer();
    void ListBoxValeurTimerDblClick();

    void EditV1ADChange() { levelChange(Axis::AD, 1); }
    void EditV1DeChange() { levelChange(Axis::De, 1); }
    void EditV1FocChange() { focuserLevelChange(1); }
    void EditV2ADChange() { levelChange(Axis::AD, 2); }
    void EditV2DeChange() { levelChange(Axis::De, 2); }
    void EditV2FocChange() { focuserLevelChange(2); }
    void EditV3ADChange() { levelChange(Axis::AD, 3); }
    void EditV3DeChange() { levelChange(Axis::De, 3); }
    void EditV3FocChange() { focuserLevelChange(3); }
    void EditV4ADChange() { levelChange(Axis::AD, 4); }
    void EditV4DeChange() { levelChange(Axis::De, 4); }
    void EditV4FocChange() { focuserLevelChange(4); }
    void EditV5ADChange() { levelChange(Axis::AD, 5); }
    void EditV5DeChange() { levelChange(Axis::De, 5); }
    void EditV5FocChange() { focuserLevelChange(5); }
    void EditV6ADChange() { levelChange(Axis::AD, 6); }
    void EditV6DeChange() { levelChange(Axis::De, 6); }
    void EditV6FocChange() { focuserLevelChange(6); }
    void EditV7ADChange() { levelChange(Axis::AD, 7); }
    void EditV7DeChange() { levelChange(Axis::De, 7); }
    void EditV7FocChange() { focuserLevelChange(7); }
    // A half-step click re-runs its level's change handler.
    void CheckBoxAD1Click() { EditV1ADChange(); }
    void CheckBoxAD2Click() { EditV2ADChange(); }
    void CheckBoxAD3Click() { EditV3ADChange(); }
    void CheckBoxAD4Click() { EditV4ADChange(); }
    void CheckBoxAD5Click() { EditV5ADChange(); }
    void CheckBoxAD6Click() { EditV6ADChange(); }
    void CheckBoxAD7Click() { EditV7ADChange(); }
    void CheckBoxDe1Click() { EditV1DeChange(); }
    void CheckBoxDe2Click() { EditV2DeChange(); }
    void CheckBoxDe3Click() { EditV3DeChange(); }
    void CheckBoxDe4Click() { EditV4DeChange(); }
    void CheckBoxDe5Click() { EditV5DeChange(); }
    void CheckBoxDe6Click() { EditV6DeChange(); }
    void CheckBoxDe7Click() { EditV7DeChange(); }

    void EditJeuADChange();
    void EditJeuDeChange();
    void EditMaintienFocChange();
    void EditPwm0Change() { pwmChange(0); }
    void EditPwm1Change() { pwmChange(1); }
    void EditPwm2Change() { pwmChange(2); }
    void EditPwm3Change() { pwmChange(3); }
    void EditPwm4Change() { pwmChange(4); }
    void EditPwm5Change() { pwmChange(5); }
    void EditPwm6Change() { pwmChange(6); }
    void EditPwm7Change() { pwmChange(7); }
    void EditPwm8Change() { pwmChange(8); }

    // Writing a box from code runs its change handler at once, every time,
    // also when the text does not change; a fault in that handler is shown
    // and ends that handler only.
    void writeText(const std::string& name, const std::string& text);
    // Runs a handler as the event loop does: a fault is shown, none leaves.
    void guarded(const std::function<void()>& handler);

    // --- files: the front end chooses names and reads or writes bytes ---
    // "Ouvrir" once its dialog returned `path`: read through the view.
    void openParameterFile(const std::string& path);
    // Whether a file dropped on the window opens: a parameter file or a HEX
    // image, by its extension in any case. The windows refuse any other drop.
    static bool isOpenableName(const std::string& path);
    // A file dropped on the window, or named on its command line: asks, as
    // "Ouvrir" does, before unsaved changes are replaced by it, then opens it.
    void openDropped(const std::string& path);
    // The bytes of a .kv2 file, read as the window reads them (short and long
    // files), or of a HEX image (isHexImage), whose table alone is taken.
    void openParameterBytes(const std::string& fileName, const std::vector<unsigned char>& bytes);
    static bool isHexImage(const std::string& fileName, const std::vector<unsigned char>& bytes);
    // The window's values against the bytes of `fileName` (a .kv2 or a HEX
    // image); false with a French reason when the file cannot be read so.
    bool compareWithBytes(const std::string& fileName, const std::vector<unsigned char>& bytes,
                          FileComparison& comparison, std::string& reason) const;
    // The message shown when compareWithBytes or the reading refused the file.
    static std::string comparisonFailure(const std::string& fileName, const std::string& reason);
    // The name « Sauvegarder » proposes: after a HEX image, its name with .kv2
    // (never one whose .hex would replace the image); otherwise none.
    const std::string& proposedSaveName() const { return m_proposedSaveName; }
    // The HEX image the window was last opened from; empty after a .kv2 or none.
    const std::string& hexImageName() const { return m_hexImageName; }
    struct SaveOutput {
        std::string kv2Name;            // the chosen name with its extension replaced by .kv2
        std::vector<unsigned char> kv2; // the 61 bytes
        std::string hexName;            // same, .hex
        std::string hex;                // the Intel HEX text (CR LF)
    };
    SaveOutput saveOutput(const std::string& chosenName) const;
    // A front end that wrote saveOutput's bytes itself: they are now the saved state.
    void markSaved(const SaveOutput& saved);

    // --- what would be lost ---
    // The 61 bytes Save would write differ from those of the factory defaults
    // after activation, of the file last opened or of the file last saved.
    bool hasUnsavedChanges() const;
    // Before the window closes: true at once without changes, else asks to
    // save them; true once both files are written or the user lets them go.
    bool confirmClose();
    // The question asked before `bytes` are read as a parameter file; empty
    // when they have its form (61 bytes, 45 23 at offset 0, DE BC at 47).
    // With `cutShort`, the file holds more than `bytes`.
    static std::string openAnywayQuestion(const std::string& fileName,
                                          const std::vector<unsigned char>& bytes,
                                          bool cutShort = false);

    // --- records and names ---
    const ConfigRecord& currentRecord() const { return m_current; }
    const ConfigRecord& referenceRecord() const { return m_reference; }
    const DriveParameters& driveParameters() const { return m_drive; }
    // The same to change, for a front end that loads or keeps them itself.
    ConfigRecord& editCurrentRecord() { return m_current; }
    ConfigRecord& editReferenceRecord() { return m_reference; }
    DriveParameters& editDriveParameters() { return m_drive; }
    const std::string& openFileName() const { return m_openFileName; }
    const std::string& saveFileName() const { return m_saveFileName; }
    void setOpenFileName(const std::string& name) { m_openFileName = name; }
    void setSaveFileName(const std::string& name) { m_saveFileName = name; }

    // Control names of a level's boxes.
    static std::string levelEditName(Axis axis, int level);
    static std::string halfStepName(Axis axis, int level);
    static std::string ratioName(Axis axis, int level);
    static std::string msName(int level);
    static std::string pwmName(int entry);

private:
    struct Note {
        bool marked = false;
        std::string text;
    };

    ControlState& state(const std::string& name);
    void setText(const std::string& name, const std::string& text); // no handler
    // ShowRecord's half-step boxes: the click handler runs when the state
    // really changes; a fault there also ends the caller.
    void writeChecked(const std::string& name, bool checked);
    void touch(std::size_t index) { ++m_revisions[index]; }
    void showError(const std::string& message);
    void bindHandlers();
    void bindStoredNotes();
    void refreshStoredNote(const std::string& name);
    std::string boxText(const std::string& name) const;

    void levelChange(Axis axis, int level);
    void v1Change(Axis axis);
    void focuserLevelChange(int level);
    void pwmChange(int entry);
    void refreshPerPas();
    // Asks to save unsaved changes before `what`; false when the user
    // cancels or the save did not write both files.
    bool saveChangesBefore(const std::string& what);
    bool saveWithDialog(); // true when both files were written
    bool exportHex();
    void openBytes(const std::string& fileName, const std::vector<unsigned char>& bytes,
                   bool cutShort);
    void openHexImage(const std::string& fileName, const std::vector<unsigned char>& bytes,
                      bool cutShort);
    void moveBaseline(const std::string& fileName);

    FormView* m_view = nullptr;
    ConfigRecord m_current;
    ConfigRecord m_reference;
    DriveParameters m_drive;
    std::string m_openFileName;
    std::string m_saveFileName;

    std::vector<ControlState> m_controls;
    std::vector<std::uint64_t> m_revisions;
    std::vector<Note> m_notes;
    std::vector<std::string> m_help;
    std::vector<std::string> m_extraHelp; // the applied line's drift
    std::unordered_map<std::string, std::size_t> m_index;
    std::unordered_map<std::string, std::function<void()>> m_change;
    std::unordered_map<std::string, std::function<void()>> m_click;
    std::unordered_map<std::string, std::function<Note()>> m_noteMakers;

    std::vector<std::string> m_lines;
    std::vector<std::string> m_lineHelp;
    bool m_listVisible = false;
    int m_selected = -1;
    std::uint64_t m_listRevision = 0;

    // The count each AD and De level box last held, kept while its text holds
    // no number.
    std::array<std::array<std::int32_t, kLevelCount + 1>, 2> m_levelTyped{};
    // ShowRecord writes what the fields hold: its texts are never marked.
    bool m_showingRecord = false;
    // What Save wrote last, or what was there after activation or an Open, and its file.
    std::vector<unsigned char> m_baseline;
    std::string m_baselineName;
    // The HEX image last opened, which no Save may replace, and the name
    // proposed for the next Save.
    std::string m_hexImageName;
    std::string m_proposedSaveName;
};

// What a view has shown of a model: each control's revision and the list's,
// as last shown, so that after an action the view shows only what changed.
class ShownState
{
public:
    explicit ShownState(const FormModel& model);
    // The controls changed since the last call, by place in controlNames(),
    // each then counted as shown: every control at the first call.
    std::vector<std::size_t> changedControls();
    // Whether the list's lines changed since the last call; true at the first.
    bool listChanged();
    // The list counts as never shown: the next listChanged() is true.
    void forgetList() { m_list = kNeverShown; }

private:
    static constexpr std::uint64_t kNeverShown = ~std::uint64_t(0);
    const FormModel& m_model;
    std::vector<std::uint64_t> m_controls;
    std::uint64_t m_list = kNeverShown;
};

} // namespace korval
