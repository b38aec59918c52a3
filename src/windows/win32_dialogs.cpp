#include "windows/win32_dialogs.h"

#include "files/text_utf16.h"
#include "form/form_controls.h"
#include "windows/night_colours.h"
#include "windows/night_look.h"

#include <commdlg.h>

#include <algorithm>
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

const wchar_t* const kMessageClass = L"KorvalMessage";

// The answer of a night message, as MessageBoxW would return it.
struct NightMessage {
    int answer = 0;
    int defaultId = IDOK;
    int escapeId = 0; // what Esc and the close box answer; 0: nothing
};

LRESULT CALLBACK nightMessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* state = reinterpret_cast<NightMessage*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_ERASEBKGND: {
        RECT area;
        GetClientRect(window, &area);
        FillRect(HDC(wParam), &area, nightBrush(night::kBackground));
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return nightControlColour(message, HDC(wParam), HWND(lParam));
    case DM_GETDEFID: // Enter, where the focus is on no button
        return MAKELRESULT(state->defaultId, DC_HASDEFID);
    case WM_COMMAND:
        if (state && HIWORD(wParam) == BN_CLICKED)
            state->answer = LOWORD(wParam) == IDCANCEL ? state->escapeId : LOWORD(wParam);
        return 0;
    case WM_CLOSE:
        if (state) state->answer = state->escapeId;
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The night look's message: the text, then the buttons of `type` at the
// bottom right, the default one focused; Tab, Enter, Esc and the mnemonics
// answer as in MessageBoxW.
int nightMessage(HWND owner, const std::wstring& text, UINT type)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &nightMessageProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kMessageClass;
    RegisterClassExW(&windowClass); // once; again harmlessly

    struct Answer {
        int id;
        const wchar_t* caption;
    };
    std::vector<Answer> answers;
    NightMessage state;
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        answers = {{IDYES, L"&Oui"}, {IDNO, L"&Non"}};
        break;
    case MB_YESNOCANCEL:
        answers = {{IDYES, L"&Oui"}, {IDNO, L"&Non"}, {IDCANCEL, L"Annuler"}};
        state.escapeId = IDCANCEL;
        break;
    default:
        answers = {{IDOK, L"OK"}};
        state.escapeId = IDOK;
        break;
    }
    const std::size_t chosen = (type & MB_DEFMASK) == MB_DEFBUTTON2   ? 1
                               : (type & MB_DEFMASK) == MB_DEFBUTTON3 ? 2
                                                                      : 0;
    state.defaultId = answers[std::min(chosen, answers.size() - 1)].id;

    const UINT dpi = owner ? GetDpiForWindow(owner) : 96;
    const auto s = [dpi](int v) { return MulDiv(v, int(dpi ? dpi : 96), 96); };
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    metrics.lfMessageFont.lfQuality = ANTIALIASED_QUALITY;
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT textArea{0, 0, s(420), 0};
    DrawTextW(dc, text.c_str(), -1, &textArea, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int margin = s(12);
    const int buttonWidth = s(75);
    const int buttonHeight = s(23);
    const int gap = s(6);
    const int buttonsWidth = int(answers.size()) * (buttonWidth + gap) - gap;
    const int width = std::max(int(textArea.right), buttonsWidth) + 2 * margin;
    const int height = 3 * margin + int(textArea.bottom) + buttonHeight;
    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME, dpi);
    RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (owner) GetWindowRect(owner, &over);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_TOPMOST,
                                  kMessageClass, formTitle(), WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                  (over.left + over.right - outerWidth) / 2,
                                  (over.top + over.bottom - outerHeight) / 2, outerWidth,
                                  outerHeight, owner, nullptr, instance, &state);
    if (!window) {
        DeleteObject(font);
        return MessageBoxW(owner, text.c_str(), formTitle(), type);
    }
    if (!state.escapeId) EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_GRAYED);
    HWND label = CreateWindowExW(
        0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, margin, margin,
        textArea.right, textArea.bottom, window, nullptr, instance, nullptr);
    SendMessageW(label, WM_SETFONT, WPARAM(font), FALSE);
    HWND focus = nullptr;
    int x = width - margin - buttonsWidth;
    for (const Answer& answer : answers) {
        const bool isDefault = answer.id == state.defaultId;
        HWND button = CreateWindowExW(0, L"BUTTON", answer.caption,
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP |
                                          (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                                      x, height - margin - buttonHeight, buttonWidth, buttonHeight,
                                      window, HMENU(INT_PTR(answer.id)), instance, nullptr);
        SendMessageW(button, WM_SETFONT, WPARAM(font), FALSE);
        paintAtNight(button, true);
        if (isDefault) focus = button;
        x += buttonWidth + gap;
    }
    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (ownerEnabled) EnableWindow(owner, FALSE); // modal, as a message box
    ShowWindow(window, SW_SHOW);
    SetFocus(focus);
    MSG message{};
    bool quit = false;
    while (!state.answer) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            quit = true;
            break;
        }
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (ownerEnabled) EnableWindow(owner, TRUE);
    DestroyWindow(window);
    DeleteObject(font);
    if (owner) SetActiveWindow(owner);
    if (quit) PostQuitMessage(int(message.wParam)); // for the main loop to end too
    return state.answer ? state.answer : state.escapeId;
}
} // namespace

int StandardWin32Dialogs::ask(HWND owner, const std::wstring& text, UINT type)
{
    return m_night ? nightMessage(owner, text, type)
                   : MessageBoxW(owner, text.c_str(), formTitle(), type);
}

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
    return ask(owner, question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

void StandardWin32Dialogs::showError(HWND owner, const std::wstring& message)
{
    ask(owner, message, MB_OK | MB_ICONERROR);
}

FormView::SaveChoice StandardWin32Dialogs::askSaveChanges(HWND owner, const std::wstring& question)
{
    // Oui saves, Non lets the changes go, Annuler stays.
    switch (ask(owner, question, MB_YESNOCANCEL | MB_ICONQUESTION)) {
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
    return ask(owner, question, MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

} // namespace korval
