#include "windows/win32_dialogs.h"

#include "files/text_utf16.h"
#include "form/form_controls.h"
#include "form/form_texts.h"
#include "windows/night_look.h"
#include "windows/win32_common.h"

#include <commdlg.h>

#include <algorithm>
#include <commctrl.h>
#include <vector>

namespace korval
{

namespace
{
// "&Oui": the first letter reaches the button.
std::wstring firstLetterMnemonic(const char* caption)
{
    return L"&" + widen(caption);
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
    case WM_ERASEBKGND:
        fillNightBackground(window, HDC(wParam));
        return 1;
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
    registerWindowClass(instance, kMessageClass, &nightMessageProc, nullptr);

    struct Answer {
        int id;
        std::wstring caption;
    };
    std::vector<Answer> answers;
    NightMessage state;
    const QuestionButtons& words = questionButtons();
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
        answers.push_back({IDYES, firstLetterMnemonic(words.yes)});
        answers.push_back({IDNO, firstLetterMnemonic(words.no)});
        break;
    case MB_YESNOCANCEL: // only askSaveChanges asks it
        answers.push_back({IDYES, firstLetterMnemonic(words.save)});
        answers.push_back({IDNO, firstLetterMnemonic(words.discard)});
        answers.push_back({IDCANCEL, widen(words.cancel)});
        state.escapeId = IDCANCEL;
        break;
    default:
        answers.push_back({IDOK, widen(words.ok)});
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
    int buttonWidth = s(75); // or as wide as the widest caption asks
    for (const Answer& answer : answers) {
        RECT caption{};
        DrawTextW(dc, answer.caption.c_str(), -1, &caption, DT_CALCRECT | DT_SINGLELINE);
        buttonWidth = std::max(buttonWidth, int(caption.right) + s(16));
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    const int margin = s(12);
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
        HWND button = CreateWindowExW(0, L"BUTTON", answer.caption.c_str(),
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

std::wstring fileDialogFilter(const std::vector<FileFilter>& filters)
{
    std::wstring out;
    for (const FileFilter& filter : filters)
        out += widen(filter.description) + L'\0' + widen(filter.patterns) + L'\0';
    return out; // its c_str() ends the list with the second NUL
}

StandardWin32Dialogs::StandardWin32Dialogs(FileDialogRunner runner)
    : m_runFileDialog(runner ? std::move(runner) : [](OPENFILENAMEW& dialog, bool save) {
          return save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
      })
{
}

std::wstring StandardWin32Dialogs::runFileDialog(HWND owner, bool save,
                                                 const std::wstring& proposed, bool firmware)
{
    std::vector<wchar_t> name(32768, L'\0');
    std::copy(proposed.begin(), proposed.begin() + std::min<std::size_t>(proposed.size(), 32767),
              name.begin());
    const std::wstring filter = fileDialogFilter(firmware ? firmwareFileFilters()
                                                 : save   ? saveFileFilters()
                                                          : openFileFilters());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = DWORD(name.size());
    dialog.lpstrDefExt = firmware ? L"hex" : L"kv2";
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                   (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    if (!m_runFileDialog(dialog, save)) return {};
    return name.data();
}

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

std::wstring StandardWin32Dialogs::firmwareFileName(HWND owner)
{
    return runFileDialog(owner, false, {}, true);
}

std::wstring StandardWin32Dialogs::wholeImageFileName(HWND owner, const std::wstring& proposed)
{
    return runFileDialog(owner, true, proposed, true);
}

std::wstring StandardWin32Dialogs::saveFileNameProposing(HWND owner, const std::wstring& proposed)
{
    return runFileDialog(owner, true, proposed);
}

bool StandardWin32Dialogs::confirmReplace(HWND owner, const std::wstring& path)
{
    const std::wstring question = widen(replaceQuestion(narrow(path)));
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

void StandardWin32Dialogs::showNote(HWND owner, const std::wstring& message)
{
    ask(owner, message, MB_OK | MB_ICONINFORMATION);
}

namespace
{
const wchar_t* const kComparisonClass = L"KorvalComparer";

struct ComparisonState {
    std::wstring text; // what « Copier » puts on the clipboard
    bool* closed = nullptr;
    bool night = false; // drawn in the night look's reds
};

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
    case WM_ERASEBKGND:
        if (!state || !state->night) break;
        fillNightBackground(window, HDC(wParam));
        return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (state && state->night) return nightControlColour(message, HDC(wParam), HWND(lParam));
        break;
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

HWND createComparisonDialog(HWND owner, const FileComparison& comparison, bool night)
{
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance, kComparisonClass, comparisonProc,
                        GetSysColorBrush(COLOR_BTNFACE));
    const ComparisonTexts& texts = comparisonTexts();
    const UINT dpi = owner ? GetDpiForWindow(owner) : 96;
    const auto px = [dpi](int v) { return MulDiv(v, int(dpi), 96); };
    RECT frame{0, 0, px(460), px(260)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, dpi);
    RECT ownerPlace{};
    if (owner) GetWindowRect(owner, &ownerPlace);
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kComparisonClass,
                                  widen(texts.title).c_str(), style, ownerPlace.left + px(40),
                                  ownerPlace.top + px(40), frame.right - frame.left,
                                  frame.bottom - frame.top, owner, nullptr, instance, nullptr);
    if (!window) return nullptr;
    auto* state = new ComparisonState{withCrLf(comparison.text()), nullptr, night};
    SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(state));
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    metrics.lfMessageFont.lfQuality = fontQuality(night);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    const auto add = [&](const wchar_t* type, const std::wstring& text, DWORD more, int id, int x,
                         int y, int width, int height) {
        HWND child =
            CreateWindowExW(std::wstring(type) == L"EDIT" ? WS_EX_CLIENTEDGE : 0, type,
                            text.c_str(), WS_CHILD | WS_VISIBLE | more, px(x), px(y), px(width),
                            px(height), window, HMENU(INT_PTR(id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, WPARAM(font), FALSE);
        if (night) paintAtNight(child, true);
        return child;
    };
    add(L"STATIC", withCrLf(comparison.heading), SS_LEFT, 10, 10, 8, 440, 44);
    std::string lines;
    for (const std::string& line : comparison.lines)
        lines += (lines.empty() ? "" : "\n") + line;
    HWND list = add(L"EDIT", withCrLf(lines),
                    WS_TABSTOP | (night ? 0 : WS_VSCROLL) | ES_MULTILINE | ES_READONLY |
                        ES_AUTOVSCROLL, // by night no grey scroll bar: the keys scroll
                    kComparisonTextId, 10, 56, 440, 160);
    SetWindowSubclass(list, listProc, 1, DWORD_PTR(state));
    add(L"BUTTON", widen(mnemonicCaption(texts.copy, texts.copyMnemonic)),
        WS_TABSTOP | BS_PUSHBUTTON, kComparisonCopyId, 270, 224, 85, 26);
    add(L"BUTTON", widen(texts.close), WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL, 365, 224, 85, 26);
    // The font goes with the window.
    SetPropW(window, L"KorvalFont", font);
    SetFocus(list);
    return window;
}

void StandardWin32Dialogs::showComparison(HWND owner, const FileComparison& comparison)
{
    HWND dialog = createComparisonDialog(owner, comparison, m_night);
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
