#include "windows/win32_dialogs.h"

#include "form/form_controls.h"
#include "files/text_utf16.h"

#include <commdlg.h>

#include <algorithm>
#include <commctrl.h>
#include <vector>

namespace korval
{

namespace
{
// Description and pattern, each ended by a NUL, the list by a second one.
const wchar_t kFilter[] = L"Fichiers de paramètres (*.kv2)\0*.kv2\0";
// Open and Compare also take the board's program memory read back, or anything.
const wchar_t kOpenFilter[] = L"Fichiers de paramètres (*.kv2)\0*.kv2\0"
                              L"Images HEX de la carte (*.hex)\0*.hex\0"
                              L"Tous les fichiers\0*.*\0";

std::wstring runFileDialog(HWND owner, bool save, const std::wstring& proposed = {})
{
    std::vector<wchar_t> name(32768, L'\0');
    std::copy(proposed.begin(), proposed.begin() + std::min<std::size_t>(proposed.size(), 32767),
              name.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = save ? kFilter : kOpenFilter;
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

std::wstring StandardWin32Dialogs::saveFileNameProposing(HWND owner, const std::wstring& proposed)
{
    return runFileDialog(owner, true, proposed);
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

void StandardWin32Dialogs::showNote(HWND owner, const std::wstring& message)
{
    MessageBoxW(owner, message.c_str(), formTitle(), MB_OK | MB_ICONINFORMATION);
}

namespace
{
const wchar_t* const kComparisonClass = L"KorvalComparer";

struct ComparisonState {
    std::wstring text; // what « Copier » puts on the clipboard
    bool* closed = nullptr;
};

// Windows' own line ends, for the box and the clipboard.
std::wstring windowsLines(const std::string& text)
{
    std::wstring out;
    for (wchar_t c : widen(text)) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}

void copyToClipboard(HWND owner, const std::wstring& text)
{
    if (!OpenClipboard(owner)) return;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
        std::copy_n(text.c_str(), text.size() + 1, static_cast<wchar_t*>(GlobalLock(memory)));
        GlobalUnlock(memory);
        if (!SetClipboardData(CF_UNICODETEXT, memory)) GlobalFree(memory);
    }
    CloseClipboard();
}

// Ctrl+C in the list copies the whole list, whatever part is selected.
LRESULT CALLBACK listProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                          DWORD_PTR data)
{
    if (message == WM_COPY) {
        copyToClipboard(box, reinterpret_cast<ComparisonState*>(data)->text);
        return 0;
    }
    return DefSubclassProc(box, message, wParam, lParam);
}

LRESULT CALLBACK comparisonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<ComparisonState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kComparisonCopyId && state) copyToClipboard(window, state->text);
        if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) DestroyWindow(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_NCDESTROY:
        if (HANDLE font = RemovePropW(window, L"KorvalFont")) DeleteObject(HGDIOBJ(font));
        if (state && state->closed) *state->closed = true;
        delete state;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
} // namespace

HWND createComparisonDialog(HWND owner, const FileComparison& comparison)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    static const ATOM registered = [instance] {
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = comparisonProc;
        type.hInstance = instance;
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        type.lpszClassName = kComparisonClass;
        return RegisterClassExW(&type);
    }();
    (void)registered;
    const UINT dpi = owner ? GetDpiForWindow(owner) : 96;
    const auto px = [dpi](int v) { return MulDiv(v, int(dpi), 96); };
    RECT frame{0, 0, px(460), px(260)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, dpi);
    RECT ownerPlace{};
    if (owner) GetWindowRect(owner, &ownerPlace);
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kComparisonClass,
                                  L"Comparer", style, ownerPlace.left + px(40),
                                  ownerPlace.top + px(40), frame.right - frame.left,
                                  frame.bottom - frame.top, owner, nullptr, instance, nullptr);
    if (!window) return nullptr;
    auto* state = new ComparisonState{windowsLines(comparison.text()), nullptr};
    SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(state));
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    const auto add = [&](const wchar_t* type, const std::wstring& text, DWORD more, int id, int x,
                         int y, int width, int height) {
        HWND child = CreateWindowExW(
            std::wstring(type) == L"EDIT" ? WS_EX_CLIENTEDGE : 0, type, text.c_str(),
            WS_CHILD | WS_VISIBLE | more, px(x), px(y), px(width), px(height), window,
            HMENU(INT_PTR(id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, WPARAM(font), FALSE);
        return child;
    };
    add(L"STATIC", windowsLines(comparison.heading), SS_LEFT, 10, 10, 8, 440, 44);
    std::string lines;
    for (const std::string& line : comparison.lines)
        lines += (lines.empty() ? "" : "\n") + line;
    HWND list = add(L"EDIT", windowsLines(lines),
                    WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                    kComparisonTextId, 10, 56, 440, 160);
    SetWindowSubclass(list, listProc, 1, DWORD_PTR(state));
    add(L"BUTTON", L"&Copier", WS_TABSTOP | BS_PUSHBUTTON, kComparisonCopyId, 270, 224, 85, 26);
    add(L"BUTTON", L"Fermer", WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL, 365, 224, 85, 26);
    // The font goes with the window.
    SetPropW(window, L"KorvalFont", font);
    SetFocus(list);
    return window;
}

void StandardWin32Dialogs::showComparison(HWND owner, const FileComparison& comparison)
{
    HWND dialog = createComparisonDialog(owner, comparison);
    if (!dialog) return;
    bool closed = false;
    reinterpret_cast<ComparisonState*>(GetWindowLongPtrW(dialog, GWLP_USERDATA))->closed = &closed;
    // Modal: the window waits, as for a message box.
    if (owner) EnableWindow(owner, FALSE);
    ShowWindow(dialog, SW_SHOW);
    HWND list = GetDlgItem(dialog, kComparisonTextId);
    SetFocus(list);
    MSG message;
    while (!closed) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(int(message.wParam)); // for the main loop
            DestroyWindow(dialog);
            break;
        }
        if (IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (owner) {
        EnableWindow(owner, TRUE);
        SetActiveWindow(owner);
    }
}

} // namespace korval
