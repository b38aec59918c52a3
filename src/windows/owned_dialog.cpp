#include "windows/owned_dialog.h"

#include "files/text_utf16.h"
#include "windows/night_look.h"
#include "windows/win32_common.h"
#include "windows/win32_form.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <utility>

namespace korval
{

HFONT fixedFont(UINT dpi, bool night)
{
    return CreateFontW(-MulDiv(8, int(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, fontQuality(night),
                       FIXED_PITCH | FF_MODERN, L"Courier New");
}

OwnedDialog::OwnedDialog(Win32Form& form) : m_form(form) {}

OwnedDialog::~OwnedDialog()
{
    OwnedDialog::close();
    if (m_fixedFont) DeleteObject(m_fixedFont);
}

int OwnedDialog::scaled(int value) const
{
    return MulDiv(value, int(m_form.dpi()), 96);
}

HFONT OwnedDialog::windowFont() const
{
    return HFONT(SendMessageW(m_form.control("ButtonOuvrir"), WM_GETFONT, 0, 0));
}

bool OwnedDialog::create(const wchar_t* className, const std::string& title, int width, int height,
                         int tipWidth)
{
    if (m_window) {
        SetForegroundWindow(m_window);
        return false;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    registerWindowClass(instance, className, &OwnedDialog::windowProc, HBRUSH(COLOR_BTNFACE + 1));

    const UINT dpi = m_form.dpi();
    RECT frame{0, 0, scaled(width), scaled(height)};
    AdjustWindowRectExForDpi(&frame, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME, dpi);
    RECT owner;
    GetWindowRect(m_form.window(), &owner);
    const int outerWidth = frame.right - frame.left;
    const int outerHeight = frame.bottom - frame.top;
    // Over the window, but whole on its screen: the buttons at the bottom stay in reach.
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    GetMonitorInfoW(MonitorFromWindow(m_form.window(), MONITOR_DEFAULTTONEAREST), &screen);
    const RECT& work = screen.rcWork;
    const int x =
        std::max(LONG(work.left), std::min(owner.left + scaled(40), work.right - outerWidth));
    const int y =
        std::max(LONG(work.top), std::min(owner.top + scaled(40), work.bottom - outerHeight));
    m_window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, className,
                               widen(title).c_str(), WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y,
                               outerWidth, outerHeight, m_form.window(), nullptr, instance, this);
    if (!m_window) return false;
    if (m_fixedFont) DeleteObject(m_fixedFont);
    m_fixedFont = fixedFont(dpi, m_form.night());
    m_toolTips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                 m_window, nullptr, instance, nullptr);
    SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, scaled(tipWidth));
    return true;
}

void OwnedDialog::showOverWindow(HWND focus)
{
    EnableWindow(m_form.window(), FALSE);
    ShowWindow(m_window, SW_SHOW);
    SetFocus(focus);
}

void OwnedDialog::addToolTip(HWND control, const std::string& help, bool update)
{
    std::wstring text = widen(help);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = UINT_PTR(control);
    tool.lpszText = text.data();
    SendMessageW(m_toolTips, update ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, LPARAM(&tool));
}

void OwnedDialog::close()
{
    if (!m_window) return;
    EnableWindow(m_form.window(), TRUE);
    HWND window = std::exchange(m_window, nullptr);
    m_toolTips = nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    if (IsWindow(m_form.window())) SetActiveWindow(m_form.window());
}

bool OwnedDialog::translateDialogMessage(MSG& message)
{
    return m_window && IsDialogMessageW(m_window, &message);
}

LRESULT CALLBACK OwnedDialog::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          LONG_PTR(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<OwnedDialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
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

LRESULT OwnedDialog::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        if (!m_form.night()) break;
        fillNightBackground(m_window, HDC(wParam));
        return 1;
    case WM_CLOSE:
        close();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace korval
