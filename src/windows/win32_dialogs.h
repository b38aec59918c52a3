#pragma once
// The modal dialogs the window asks the user through. Tests put a scripted
// stand-in in place of the standard ones, so that no real dialog opens.

#include "form/form_model.h"

#include <windows.h>

#include <string>

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
    // The messages and questions in the night look, or the system's by day.
    virtual void setNight(bool night) { (void)night; }
};

// GetOpenFileNameW, GetSaveFileNameW and MessageBoxW.
class StandardWin32Dialogs : public Win32Dialogs
{
public:
    std::wstring openFileName(HWND owner) override;
    std::wstring saveFileName(HWND owner) override;
    bool confirmReplace(HWND owner, const std::wstring& path) override;
    void showError(HWND owner, const std::wstring& message) override;
    FormView::SaveChoice askSaveChanges(HWND owner, const std::wstring& question) override;
    bool askOpenAnyway(HWND owner, const std::wstring& question) override;
    void setNight(bool night) override { m_night = night; }

private:
    // MessageBoxW by day; by night the tool's own window with the same texts,
    // buttons, default button and keys, for MessageBoxW takes no colours.
    int ask(HWND owner, const std::wstring& text, UINT type);
    bool m_night = false;
};

// The window's title, which every message box carries too.
const wchar_t* formTitle();

} // namespace korval
