#pragma once
// Drives the Win32 window in-process, under Wine: failures counted, the
// messages pumped, a control's text read, and scripted answers in place of
// every dialog, so that no real one opens.

#include "files/text_utf16.h"
#include "windows/win32_form.h"

#include <windows.h>

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

inline int g_failures = 0;

inline void check(bool ok, const std::string& what)
{
    if (ok) return;
    if (++g_failures <= 4000) std::printf("FAIL: %s\n", what.c_str());
}

inline void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

inline std::string textOf(HWND window)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return korval::narrow(text);
}

// Answers the window's questions as the script says; records its messages.
class ScriptedDialogs : public korval::Win32Dialogs
{
public:
    std::wstring openFileName(HWND) override
    {
        // Not a std::exception: the model's own guard lets it through.
        if (throwOnOpen) throw 42;
        return next(openNames);
    }
    std::wstring saveFileName(HWND) override { return next(saveNames); }
    bool confirmReplace(HWND, const std::wstring& path) override
    {
        replaceAsked.push_back(korval::narrow(path));
        return replaceAnswer;
    }
    void showError(HWND, const std::wstring& message) override
    {
        errors.push_back(korval::narrow(message));
    }
    korval::FormView::SaveChoice askSaveChanges(HWND, const std::wstring& question) override
    {
        questions.push_back(korval::narrow(question));
        return saveChoice;
    }
    bool askOpenAnyway(HWND, const std::wstring& question) override
    {
        questions.push_back(korval::narrow(question));
        return true;
    }
    std::wstring saveFileNameProposing(HWND owner, const std::wstring& proposed) override
    {
        proposedNames.push_back(korval::narrow(proposed));
        return saveFileName(owner);
    }
    void showNote(HWND, const std::wstring& message) override
    {
        notes.push_back(korval::narrow(message));
    }
    void showComparison(HWND, const korval::FileComparison& comparison) override
    {
        comparisons.push_back(comparison);
    }

    std::vector<std::string> proposedNames;
    std::vector<std::string> notes;
    std::vector<korval::FileComparison> comparisons;
    std::deque<std::wstring> openNames;
    std::deque<std::wstring> saveNames;
    bool replaceAnswer = false;
    bool throwOnOpen = false;
    korval::FormView::SaveChoice saveChoice = korval::FormView::SaveChoice::Discard;
    std::vector<std::string> replaceAsked;
    std::vector<std::string> errors;
    std::vector<std::string> questions;

private:
    static std::wstring next(std::deque<std::wstring>& names)
    {
        if (names.empty()) return {};
        std::wstring name = names.front();
        names.pop_front();
        return name;
    }
};
