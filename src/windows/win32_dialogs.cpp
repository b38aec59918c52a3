#include "windows/win32_dialogs.h"

#include "form/form_controls.h"
#include "files/text_utf16.h"

#include <commdlg.h>

#include <vector>

namespace korval
{

namespace
{
// Description and pattern, each ended by a NUL, the list by a second one.
const wchar_t kFilter[] = L"Fichiers de paramètres (*.kv2)\0*.kv2\0";

std::wstring runFileDialog(HWND owner, bool save)
{
    std::vector<wchar_t> name(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = DWORD(name.size());
    dialog.lpstrDefExt = L"kv2";
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (save) {
        dialog.Flags |= OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
        if (!GetSaveFileNameW(&dialog)) return {};
    } else {
        dialog.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
        if (!GetOpenFileNameW(&dialog)) return {};
    }
    return name.data();
}
} // namespace

const wchar_t* formTitle()
{
    static const std::wstring title = widen(kFormTitle);
    return title.c_str();
}

std::wstring StandardWin32Dialogs::openFileName(HWND owner)
{
    return runFileDialog(owner, false);
}

std::wstring StandardWin32Dialogs::saveFileName(HWND owner)
{
    return runFileDialog(owner, true);
}

bool StandardWin32Dialogs::confirmReplace(HWND owner, const std::wstring& path)
{
    const std::wstring question =
        L"Le fichier « " + path + L" » existe déjà.\nVoulez-vous le remplacer ?";
    return MessageBoxW(owner, question.c_str(), formTitle(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void StandardWin32Dialogs::showError(HWND owner, const std::wstring& message)
{
    MessageBoxW(owner, message.c_str(), formTitle(), MB_OK | MB_ICONERROR);
}

FormView::SaveChoice StandardWin32Dialogs::askSaveChanges(HWND owner, const std::wstring& question)
{
    // Oui saves, Non lets the changes go, Annuler stays.
    switch (MessageBoxW(owner, question.c_str(), formTitle(), MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
        return FormView::SaveChoice::Save;
    case IDNO:
        return FormView::SaveChoice::Discard;
    default:
        return FormView::SaveChoice::Cancel;
    }
}

bool StandardWin32Dialogs::askOpenAnyway(HWND owner, const std::wstring& question)
{
    return MessageBoxW(owner, question.c_str(), formTitle(),
                       MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

} // namespace korval
