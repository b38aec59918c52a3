#pragma once
// The modal dialogs the window asks the user through. Tests put a scripted
// stand-in in place of the standard ones, so that no real dialog opens.

#include "form/form_model.h"
#include "form/form_texts.h"

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <string>
#include <vector>

namespace korval
{

class Win32Dialogs
{
public:
    virtual ~Win32Dialogs() = default;
    // The chosen path, or an empty string when the user cancels.
    virtual std::wstring openFileName(HWND owner) = 0;
    // The save dialog asks itself before replacing the name it returns.
    virtual std::wstring saveFileName(HWND owner) = 0;
    // Asked before a file the save dialog did not name is replaced.
    virtual bool confirmReplace(HWND owner, const std::wstring& path) = 0;
    // A fault or a failed file, as a critical message box.
    virtual void showError(HWND owner, const std::wstring& message) = 0;
    // "Enregistrer les modifications ... ?": save, let them go, or stay.
    virtual FormView::SaveChoice askSaveChanges(HWND owner, const std::wstring& question) = 0;
    // Asked before what has not the form of a parameter file is read.
    virtual bool askOpenAnyway(HWND owner, const std::wstring& question) = 0;
    // The save dialog with a name filled in, as after a HEX image; a
    // stand-in that does not look at it answers as saveFileName.
    virtual std::wstring saveFileNameProposing(HWND owner, const std::wstring& proposed)
    {
        (void)proposed;
        return saveFileName(owner);
    }
    // A note after an action that went well.
    virtual void showNote(HWND owner, const std::wstring& message)
    {
        (void)owner;
        (void)message;
    }
    // What « Comparer… » found, in its small dialog until closed.
    virtual void showComparison(HWND owner, const FileComparison& comparison)
    {
        (void)owner;
        (void)comparison;
    }
    // The messages and questions in the night look, or the system's by day.
    virtual void setNight(bool night) { (void)night; }
    // « Carte… »: the firmware image to open, and the name the whole image is
    // saved under, `proposed` filled in; both with the firmware's filter.
    virtual std::wstring firmwareFileName(HWND owner)
    {
        (void)owner;
        return {};
    }
    virtual std::wstring wholeImageFileName(HWND owner, const std::wstring& proposed)
    {
        (void)owner;
        (void)proposed;
        return {};
    }
};

// The list of types a file dialog takes: each description and its patterns
// ended by a NUL, the list by a second one (the string's own).
std::wstring fileDialogFilter(const std::vector<FileFilter>& filters);

// Shows a file dialog filled in (GetSaveFileNameW when `save`, else
// GetOpenFileNameW) and answers as it does; a test puts its own in place.
using FileDialogRunner = std::function<BOOL(OPENFILENAMEW& dialog, bool save)>;

// GetOpenFileNameW, GetSaveFileNameW and MessageBoxW.
class StandardWin32Dialogs : public Win32Dialogs
{
public:
    explicit StandardWin32Dialogs(FileDialogRunner runner = {});
    std::wstring openFileName(HWND owner) override;
    std::wstring saveFileName(HWND owner) override;
    bool confirmReplace(HWND owner, const std::wstring& path) override;
    void showError(HWND owner, const std::wstring& message) override;
    FormView::SaveChoice askSaveChanges(HWND owner, const std::wstring& question) override;
    bool askOpenAnyway(HWND owner, const std::wstring& question) override;
    std::wstring saveFileNameProposing(HWND owner, const std::wstring& proposed) override;
    void showNote(HWND owner, const std::wstring& message) override;
    void showComparison(HWND owner, const FileComparison& comparison) override;
    void setNight(bool night) override { m_night = night; }
    std::wstring firmwareFileName(HWND owner) override;
    std::wstring wholeImageFileName(HWND owner, const std::wstring& proposed) override;

private:
    // MessageBoxW by day; by night the tool's own window with the same texts,
    // buttons, default button and keys, for MessageBoxW takes no colours.
    int ask(HWND owner, const std::wstring& text, UINT type);
    std::wstring runFileDialog(HWND owner, bool save, const std::wstring& proposed = {},
                               bool firmware = false);
    FileDialogRunner m_runFileDialog;
    bool m_night = false;
};

// The dialog of « Comparer… », modeless, so that a test can look at it and
// press its buttons: the heading, the lines in a read-only box, « Copier »
// (also Ctrl+C in the box: the whole list) and « Fermer », which destroys it;
// in the night look's reds when `night`.
HWND createComparisonDialog(HWND owner, const FileComparison& comparison, bool night = false);
constexpr int kComparisonTextId = 11;
constexpr int kComparisonCopyId = 12;

// The window's title, which every message box carries too.
const wchar_t* formTitle();

} // namespace korval
