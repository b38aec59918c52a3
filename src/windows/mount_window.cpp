#include "windows/mount_window.h"

#include "axes/mount_assistant.h"
#include "windows/text_utf.h"
#include "windows/win32_form.h"

#include <commctrl.h>

#include <exception>
#include <utility>

namespace korval
{

namespace
{
const wchar_t* const kMountClass = L"KorvalMonture";
enum MountId {
    kTeeth = 10,
    kMotorSteps,
    kReduction,
    kHalfStep,
    kRate,
    kResults,
    kApply = IDOK,
    kClose = IDCANCEL
};

std::string textOf(HWND control)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(control, text.data(), int(text.size()))));
    return narrow(text);
}

// Windows' multi-line boxes break lines at CR LF only.
std::wstring withCrLf(const std::string& text)
{
    std::wstring out;
    for (const wchar_t c : widen(text)) {
        if (c == L'\n') out += L'\r';
        out += c;
    }
    return out;
}
} // namespace

MountWindow::MountWindow(Win32Form& form) : m_form(form) {}

MountWindow::~MountWindow()
{
    close();
    if (m_fixedFont) DeleteObject(m_fixedFont);
}

void MountWindow::open()
{
    if (m_window) {
        SetForegroundWindow(m_window);
        return;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &MountWindow::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = HBRUSH(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kMountClass;
    RegisterClassExW(&windowClass);

    const UINT dpi = m_form.dpi();
    const auto s = [dpi](int v) { return MulDiv(v, int(dpi), 96); };
    RECT frame{0, 0, s(700), s(560)};
    AdjustWindowRectExForDpi(&frame, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME, dpi);
    RECT owner;
    GetWindowRect(m_form.window(), &owner);
    m_window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kMountClass, L"Monture",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, owner.left + s(40),
                               owner.top + s(40), frame.right - frame.left,
                               frame.bottom - frame.top, m_form.window(), nullptr, instance, this);
    if (!m_window) return;
    HFONT font = HFONT(SendMessageW(m_form.control("ButtonOuvrir"), WM_GETFONT, 0, 0));
    if (m_fixedFont) DeleteObject(m_fixedFont);
    m_fixedFont = CreateFontW(-MulDiv(8, int(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              CLEARTYPE_QUALITY, FIXED_PITCH | FF_MODERN, L"Courier New");

    const auto make = [&](const wchar_t* kind, const std::wstring& text, DWORD style,
                          DWORD extended, int x, int y, int w, int h, int id) {
        HWND control =
            CreateWindowExW(extended, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, s(x), s(y),
                            s(w), s(h), m_window, HMENU(INT_PTR(id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, WPARAM(font), FALSE);
        return control;
    };
    const auto label = [&](MountInput input, int y) {
        make(L"STATIC", widen(mountInputCaption(input)), SS_LEFT, 0, 12, y + 4, 150, 16, -1);
    };
    label(MountInput::Teeth, 12);
    m_teeth =
        make(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 170, 12, 120, 21, kTeeth);
    label(MountInput::MotorSteps, 40);
    m_motorSteps = make(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 170, 40, 120,
                        21, kMotorSteps);
    label(MountInput::Reduction, 68);
    m_reduction = make(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 170, 68, 200,
                       21, kReduction);
    m_halfStep = make(L"BUTTON", L"V1 en &demi-pas (deux fois plus de pas)",
                      WS_TABSTOP | BS_AUTOCHECKBOX, 0, 170, 96, 300, 20, kHalfStep);
    label(MountInput::Rate, 124);
    m_rate = make(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0,
                  170, 124, 200, 120, kRate);
    for (const wchar_t* rate : {L"sidéral", L"solaire", L"lunaire", L"King"})
        SendMessageW(m_rate, CB_ADDSTRING, 0, LPARAM(rate));
    SendMessageW(m_rate, CB_SETCURSEL, 0, 0);
    m_results = make(L"EDIT", L"",
                     WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL |
                         WS_VSCROLL | WS_HSCROLL,
                     WS_EX_CLIENTEDGE, 12, 156, 676, 356, kResults);
    SendMessageW(m_results, WM_SETFONT, WPARAM(m_fixedFont), FALSE);
    m_apply =
        make(L"BUTTON", L"&Appliquer", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 520, 524, 80, 25, kApply);
    make(L"BUTTON", L"&Fermer", WS_TABSTOP | BS_PUSHBUTTON, 0, 608, 524, 80, 25, kClose);
    recompute();

    EnableWindow(m_form.window(), FALSE); // modal to the window, without a loop of its own
    ShowWindow(m_window, SW_SHOW);
    SetFocus(m_teeth);
}

void MountWindow::close()
{
    if (!m_window) return;
    EnableWindow(m_form.window(), TRUE);
    HWND window = std::exchange(m_window, nullptr);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    if (IsWindow(m_form.window())) SetActiveWindow(m_form.window());
}

bool MountWindow::translateDialogMessage(MSG& message)
{
    return m_window && IsDialogMessageW(m_window, &message);
}

void MountWindow::recompute(bool fromList)
{
    MountTexts texts;
    texts.teeth = textOf(m_teeth);
    texts.motorSteps = textOf(m_motorSteps);
    texts.reduction = textOf(m_reduction);
    texts.halfStep = SendMessageW(m_halfStep, BM_GETCHECK, 0, 0) == BST_CHECKED;
    // While the choice in the list changes, the box still holds the old text.
    const int chosen = fromList ? int(SendMessageW(m_rate, CB_GETCURSEL, 0, 0)) : -1;
    if (chosen >= 0) {
        std::wstring item(std::size_t(SendMessageW(m_rate, CB_GETLBTEXTLEN, WPARAM(chosen), 0)) + 1,
                          L'\0');
        item.resize(
            std::size_t(SendMessageW(m_rate, CB_GETLBTEXT, WPARAM(chosen), LPARAM(item.data()))));
        texts.rate = narrow(item);
    } else {
        texts.rate = textOf(m_rate);
    }
    const MountPanel panel = mountPanel(texts, m_form.model().currentRecord());
    m_dureeTour = panel.dureeTour;
    m_pasParTour = panel.pasParTour;
    SetWindowTextW(m_results, withCrLf(panel.results).c_str());
    EnableWindow(m_apply, !m_dureeTour.empty());
}

void MountWindow::apply()
{
    if (m_dureeTour.empty()) return;
    const std::string dureeTour = m_dureeTour;
    const std::string pasParTour = m_pasParTour;
    close();
    m_form.writeText("EditDureeTour", dureeTour);
    m_form.writeText("EditPasParTour", pasParTour);
}

LRESULT CALLBACK MountWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<MountWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self || !self->m_window) return DefWindowProcW(window, message, wParam, lParam);
    try {
        return self->handle(message, wParam, lParam);
    } catch (const std::exception& caught) {
        self->m_form.dialogs().showError(window,
                                         widen(std::string("Erreur interne : ") + caught.what()));
    } catch (...) {
        self->m_form.dialogs().showError(window, L"Erreur interne : exception inconnue");
    }
    return 0;
}

LRESULT MountWindow::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == kApply && code == BN_CLICKED) {
            apply();
        } else if (id == kClose && code == BN_CLICKED) {
            close();
        } else if ((code == EN_CHANGE && id != kResults) ||
                   (id == kHalfStep && code == BN_CLICKED) ||
                   (id == kRate && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE))) {
            recompute(id == kRate && code == CBN_SELCHANGE);
        }
        return 0;
    }
    case WM_CLOSE:
        close();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace korval
