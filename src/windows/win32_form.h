#pragma once
// The window TForm1 in plain Win32: every control of formControls() as an
// EDIT, BUTTON, STATIC or LISTBOX at its layout place scaled to the window's
// DPI, a view of FormModel that forwards what the user does and repaints the
// controls whose revision changed.

#include "files/file_store.h"
#include "form/form_help.h"
#include "form/form_model.h"
#include "form/list_keys.h"
#include "windows/win32_dialogs.h"

#include <windows.h>
// After windows.h: the dropped files.
#include <shellapi.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct IAccPropServices;

namespace korval
{

class MountWindow;
class BoardWindow;

class Win32Form : public FormView
{
public:
    explicit Win32Form(std::unique_ptr<Win32Dialogs> dialogs = nullptr);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    // Creates the window and its controls, hidden. False if Windows refused.
    bool create(HINSTANCE instance);
    // Shows it; the first time, the defaults are loaded, then the file given
    // to openAtStart (if any) opens from the message queue.
    void show(int showCommand);
    void openAtStart(const std::wstring& path) { m_startFile = path; }
    // The main loop posts the quit message when the window is destroyed.
    void quitOnDestroy() { m_quitOnDestroy = true; }
    // The night look from the start, before create (the stored choice or --nuit).
    void startAtNight(bool night) { m_night = night; }
    // The « Nuit » button and Ctrl+N: the other look, remembered for the next start.
    void toggleNight();
    bool night() const { return m_night; }
    // Keyboard navigation of the window and of the mount dialog.
    bool translateDialogMessage(MSG& message);

    HWND window() const { return m_window; }
    HWND control(const std::string& name) const; // nullptr if unknown
    // The buttons of toolButtons(), by name; nullptr if unknown.
    HWND toolButtonWindow(const char* name) const;
    HWND mountButton() const { return toolButtonWindow(kMountButtonName); }
    HWND compareButton() const { return toolButtonWindow(kCompareButtonName); }
    HWND nightButton() const { return toolButtonWindow(kNightButtonName); }
    HWND mountDialog() const;
    HWND boardButton() const { return toolButtonWindow(kBoardButtonName); }
    // « Carte… » while it is open, else nullptr.
    BoardWindow* boardDialog() const;
    FormModel& model() { return *m_model; }
    Win32Dialogs& dialogs() { return *m_dialogs; }
    UINT dpi() const { return m_dpi; }
    double scale() const { return m_scale; } // window pixels per layout pixel
    // What the screen reader is told: the name and description of a control.
    const std::wstring& accessibleName(const std::string& name) const;
    std::wstring accessibleDescription(const std::string& name) const;
    // Whether the box's red frame is drawn.
    bool marked(const std::string& name) const;
    // The tooltip text of a control as it is shown now.
    std::wstring toolTipText(HWND control) const;
    // Writes a box from code, as the mount dialog's "Appliquer" does.
    void writeText(const std::string& name, const std::string& text);
    void openMountDialog();
    void openBoardDialog();

    // FormView
    void showError(const std::string& message) override;
    std::string chooseOpenName() override;
    std::string chooseSaveName() override;
    bool fileExists(const std::string& path) override;
    bool confirmReplace(const std::string& path) override;
    bool readFile(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& data,
                  std::string& reason) override;
    bool writeFile(const std::string& path, const std::vector<unsigned char>& data,
                   std::string& reason) override;
    void hexWritten(const std::vector<std::string>& dataLines) override;
    SaveChoice askSaveChanges(const std::string& question) override;
    bool askOpenAnyway(const std::string& question) override;
    std::string chooseSaveNameProposing(const std::string& proposedName) override;
    void showNote(const std::string& message) override;
    void showComparison(const FileComparison& comparison) override;

private:
    struct Control {
        std::string name;
        ControlKind kind;
        HWND hwnd = nullptr;
        HWND parent = nullptr;
        ControlLook look = ControlLook::Plain;
        bool resultDisplay = false; // read-only: only the model writes it
        bool marked = false;
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK controlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleControl(Control& control, UINT message, WPARAM wParam, LPARAM lParam);
    void command(int id, int code, HWND from);
    void toolButtonClicked(const std::string& name);
    // The colours of a box with a look of its own; false for the others.
    bool ownLook(HDC dc, HWND control, LRESULT& brush) const;
    LRESULT colour(HDC dc, HWND control);
    LRESULT nightColour(UINT message, HDC dc, HWND control);
    void showNightLook();
    void recreateList();
    void addToolTip(HWND control);
    void reportCaught(const char* what);

    void createControls(HINSTANCE instance);
    void createToolTips();
    void describeForScreenReaders();
    void applyDpi(UINT dpi);
    int scaled(int layoutPixels) const;
    SIZE frameSize() const; // the window's outer size for the layout at its DPI

    // Runs a user action; the controls are repainted when the outermost ends.
    void run(const std::function<void()>& action);
    void showModel();
    void showList();
    void fitListFont(int& widest);
    void fitListLineHeight();
    void searchFromKeyboard();
    // Carries out the model's key policy; false where the key is the control's own.
    bool listKey(ListKeyPlace place, ListKey key);
    void hideCandidateList();
    void doubleClickLine();
    void openDropped(HDROP drop);

    std::unique_ptr<FormModel> m_model;
    ShownState m_shown; // what the controls show of it
    std::unique_ptr<Win32Dialogs> m_dialogs;
    FileStore m_files;
    HWND m_window = nullptr;
    HWND m_toolTip = nullptr;
    std::vector<HWND> m_toolButtons;      // in toolButtons()' order
    IAccPropServices* m_access = nullptr; // names and descriptions for screen readers
    std::unique_ptr<MountWindow> m_mount;
    std::unique_ptr<BoardWindow> m_board;
    std::vector<Control> m_controls; // in the model's order
    std::unordered_map<std::string, std::size_t> m_byName;
    std::unordered_map<std::string, std::wstring> m_names;
    std::unordered_map<std::string, std::wstring> m_descriptions;
    mutable std::wstring m_toolTipBuffer;
    UINT m_dpi = 96;
    double m_scale = 1.0; // layout pixels to the window's
    HFONT m_font = nullptr;
    HFONT m_boldFont = nullptr;
    HFONT m_listFont = nullptr;
    bool m_listFontFitted = false;
    int m_depth = 0;
    bool m_painting = false; // the view's own writes: no EN_CHANGE reaches the model
    bool m_activated = false;
    bool m_quitOnDestroy = false;
    bool m_night = false;
    std::wstring m_startFile;
};

// The window class's name.
extern const wchar_t* const kFormClass;

// The user's settings: HKCU\Software\korvalset24.
extern const wchar_t* const kSettingsKey;

// The night look chosen last, under the settings' key, value Nuit.
bool storedNightChoice();

} // namespace korval
