#include "windows/mount_window.h"

#include "axes/drift_calibration.h"
#include "axes/mount_assistant.h"
#include "files/text_utf16.h"
#include "windows/night_colours.h"
#include "windows/night_look.h"
#include "windows/win32_form.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <exception>
#include <iterator>
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
    kTabs = 20,
    kDrift,
    kPlateScale,
    kDuration,
    kEast,
    kWest,
    kDeclination,
    kCalibrationRate,
    kCalibrationResults,
    kApply = IDOK,
    kClose = IDCANCEL
};

std::string textOf(HWND control)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(control, text.data(), int(text.size()))));
    return narrow(text);
}

// While the choice in the list changes, the box still holds the old text.
std::string rateText(HWND combo, bool fromList)
{
    const int chosen = fromList ? int(SendMessageW(combo, CB_GETCURSEL, 0, 0)) : -1;
    if (chosen < 0) return textOf(combo);
    std::wstring item(std::size_t(SendMessageW(combo, CB_GETLBTEXTLEN, WPARAM(chosen), 0)) + 1,
                      L'\0');
    item.resize(
        std::size_t(SendMessageW(combo, CB_GETLBTEXT, WPARAM(chosen), LPARAM(item.data()))));
    return narrow(item);
}

// A caption of the core with the mnemonic before its character at `at`
// (UTF-8 index); an '&' of the caption itself stays a character.
std::wstring withMnemonic(const char* caption, std::size_t at)
{
    std::string text;
    for (std::size_t i = 0; caption[i]; ++i) {
        if (i == at) text += '&';
        text += caption[i] == '&' ? std::string("&&") : std::string(1, caption[i]);
    }
    return widen(text);
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
    RECT frame{0, 0, s(720), s(600)};
    AdjustWindowRectExForDpi(&frame, WS_CAPTION | WS_SYSMENU, FALSE, WS_EX_DLGMODALFRAME, dpi);
    RECT owner;
    GetWindowRect(m_form.window(), &owner);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Over the window, but whole on its screen: « Appliquer » must stay in reach.
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    GetMonitorInfoW(MonitorFromWindow(m_form.window(), MONITOR_DEFAULTTONEAREST), &screen);
    const RECT& work = screen.rcWork;
    const int x = std::max(LONG(work.left), std::min(owner.left + s(40), work.right - width));
    const int y = std::max(LONG(work.top), std::min(owner.top + s(40), work.bottom - height));
    m_window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kMountClass, L"Monture",
                               WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, width, height,
                               m_form.window(), nullptr, instance, this);
    if (!m_window) return;
    HFONT font = HFONT(SendMessageW(m_form.control("ButtonOuvrir"), WM_GETFONT, 0, 0));
    // By night the lists' lines are drawn in red, and the system's grey scroll
    // bars give way to the wheel and the keys.
    const bool night = m_form.night();
    const DWORD scrollBars = night ? 0 : WS_VSCROLL | WS_HSCROLL;
    if (m_fixedFont) DeleteObject(m_fixedFont);
    m_fixedFont = CreateFontW(-MulDiv(8, int(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              fontQuality(night), FIXED_PITCH | FF_MODERN, L"Courier New");

    const auto make = [&](const wchar_t* kind, const std::wstring& text, DWORD style,
                          DWORD extended, int left, int top, int w, int h, int id) {
        HWND control =
            CreateWindowExW(extended, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, s(left),
                            s(top), s(w), s(h), m_window, HMENU(INT_PTR(id)), instance, nullptr);
        SendMessageW(control, WM_SETFONT, WPARAM(font), FALSE);
        return control;
    };
    // The tab control goes first, for the page controls to be drawn over it
    // it is put at the bottom of the order once they exist.
    m_tabs = make(WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, 0, 8, 8, 704, 544, kTabs);
    // Drawn plainly, its page takes the dialog's colour, that of the labels and
    // buttons standing on it (the dialog's children, not the tab's).
    SetWindowTheme(m_tabs, L" ", L" ");
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    wchar_t gearTrain[] = L"Train d'engrenages";
    wchar_t calibration[] = L"Calibration";
    item.pszText = gearTrain;
    SendMessageW(m_tabs, TCM_INSERTITEMW, 0, LPARAM(&item));
    item.pszText = calibration;
    SendMessageW(m_tabs, TCM_INSERTITEMW, 1, LPARAM(&item));

    std::vector<HWND>* page = &m_pages[0];
    const auto add = [&](HWND control) {
        page->push_back(control);
        return control;
    };
    const auto label = [&](const std::wstring& caption, int top) {
        add(make(L"STATIC", caption, SS_LEFT, 0, 24, top + 4, 150, 16, -1));
    };
    const auto box = [&](int top, int boxWidth, int id) {
        return add(make(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 182, top,
                        boxWidth, 21, id));
    };
    const auto rateCombo = [&](int top, int id) {
        HWND combo = add(make(L"COMBOBOX", L"",
                              WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL |
                                  (night ? CBS_OWNERDRAWFIXED | CBS_HASSTRINGS : WS_VSCROLL),
                              0, 182, top, 200, 120, id));
        for (const wchar_t* rate : {L"sidéral", L"solaire", L"lunaire", L"King"})
            SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(rate));
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        return combo;
    };
    const auto resultsBox = [&](int top, int boxHeight, int id) {
        HWND results = add(make(L"EDIT", L"",
                                WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                                    ES_AUTOVSCROLL | scrollBars,
                                WS_EX_CLIENTEDGE, 20, top, 680, boxHeight, id));
        SendMessageW(results, WM_SETFONT, WPARAM(m_fixedFont), FALSE);
        return results;
    };

    label(withMnemonic(mountInputCaption(MountInput::Teeth), 12), 44); // Dents de la &roue
    m_teeth = box(44, 120, kTeeth);
    label(withMnemonic(mountInputCaption(MountInput::MotorSteps), 0), 72); // &Pas du moteur
    m_motorSteps = box(72, 120, kMotorSteps);
    label(withMnemonic(mountInputCaption(MountInput::Reduction), 6), 100); // Réduc&tion
    m_reduction = box(100, 200, kReduction);
    m_halfStep = add(make(L"BUTTON", L"V1 en &demi-pas (deux fois plus de pas)",
                          WS_TABSTOP | BS_AUTOCHECKBOX, 0, 182, 128, 300, 20, kHalfStep));
    label(withMnemonic(mountInputCaption(MountInput::Rate), 0), 156); // &Vitesse de suivi
    m_rate = rateCombo(156, kRate);
    m_results = resultsBox(188, 352, kResults);

    page = &m_pages[1];
    label(withMnemonic(calibrationInputCaption(CalibrationInput::Drift), 0), 44); // &Dérive
    m_drift = box(44, 120, kDrift);
    label(withMnemonic(calibrationInputCaption(CalibrationInput::PlateScale), 2), 72); // É&chelle
    m_plateScale = box(72, 120, kPlateScale);
    label(withMnemonic(calibrationInputCaption(CalibrationInput::Duration), 13), 100); // &mesure
    m_duration = box(100, 120, kDuration);
    label(L"Sens de la dérive", 128);
    m_east = add(make(L"BUTTON", L"vers l'&est", WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 182,
                      128, 110, 20, kEast));
    m_west =
        add(make(L"BUTTON", L"vers l'&ouest", BS_AUTORADIOBUTTON, 0, 300, 128, 110, 20, kWest));
    SendMessageW(m_west, BM_SETCHECK, BST_CHECKED, 0);
    m_directionHelp = add(make(L"STATIC", widen(driftDirectionHelp()),
                               WS_GROUP | SS_LEFT | SS_NOPREFIX, 0, 182, 152, 510, 52, -1));
    label(withMnemonic(calibrationInputCaption(CalibrationInput::Declination), 5), 210); // Décli&n
    m_declination = box(210, 120, kDeclination);
    SendMessageW(m_declination, EM_SETCUEBANNER, TRUE, LPARAM(L"0"));
    label(withMnemonic(calibrationInputCaption(CalibrationInput::Rate), 2), 238); // Vi&tesse
    m_calibrationRate = rateCombo(238, kCalibrationRate);
    m_toolTips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                 m_window, nullptr, instance, nullptr);
    SendMessageW(m_toolTips, TTM_SETMAXTIPWIDTH, 0, s(400));
    const std::pair<HWND, CalibrationInput> helped[] = {
        {m_drift, CalibrationInput::Drift},
        {m_plateScale, CalibrationInput::PlateScale},
        {m_duration, CalibrationInput::Duration},
        {m_declination, CalibrationInput::Declination}};
    for (const auto& [control, input] : helped) {
        std::wstring help = widen(calibrationInputHelp(input));
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_window;
        tool.uId = UINT_PTR(control);
        tool.lpszText = help.data();
        SendMessageW(m_toolTips, TTM_ADDTOOLW, 0, LPARAM(&tool));
    }
    m_calibrationResults = resultsBox(270, 270, kCalibrationResults);

    m_apply =
        make(L"BUTTON", L"&Appliquer", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 540, 564, 80, 25, kApply);
    make(L"BUTTON", L"&Fermer", WS_TABSTOP | BS_PUSHBUTTON, 0, 628, 564, 80, 25, kClose);
    SetWindowPos(m_tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (night) {
        EnumChildWindows(
            m_window,
            [](HWND child, LPARAM) {
                paintAtNight(child, true);
                return TRUE;
            },
            0);
        SetWindowTheme(m_toolTips, L"", L"");
        SendMessageW(m_toolTips, TTM_SETTIPBKCOLOR, night::kField, 0);
        SendMessageW(m_toolTips, TTM_SETTIPTEXTCOLOR, night::kText, 0);
    }
    recompute();
    recomputeCalibration();
    showPage(0);

    EnableWindow(m_form.window(), FALSE); // modal to the window, without a loop of its own
    ShowWindow(m_window, SW_SHOW);
    SetFocus(m_teeth);
}

void MountWindow::close()
{
    if (!m_window) return;
    EnableWindow(m_form.window(), TRUE);
    HWND window = std::exchange(m_window, nullptr);
    m_toolTips = nullptr;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    if (IsWindow(m_form.window())) SetActiveWindow(m_form.window());
}

bool MountWindow::translateDialogMessage(MSG& message)
{
    if (!m_window) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 &&
        (message.hwnd == m_window || IsChild(m_window, message.hwnd))) {
        // Ctrl+Tab and Ctrl+Shift+Tab: the next and the previous page, round.
        const int count = int(std::size(m_pages));
        showPage((m_page + (GetKeyState(VK_SHIFT) < 0 ? count - 1 : 1)) % count);
        return true;
    }
    return IsDialogMessageW(m_window, &message);
}

void MountWindow::recompute(bool fromList)
{
    MountTexts texts;
    texts.teeth = textOf(m_teeth);
    texts.motorSteps = textOf(m_motorSteps);
    texts.reduction = textOf(m_reduction);
    texts.halfStep = SendMessageW(m_halfStep, BM_GETCHECK, 0, 0) == BST_CHECKED;
    texts.rate = rateText(m_rate, fromList);
    const MountPanel panel = mountPanel(texts, m_form.model().currentRecord());
    m_dureeTour = panel.dureeTour;
    m_pasParTour = panel.pasParTour;
    SetWindowTextW(m_results, withCrLf(panel.results).c_str());
    showApplicable();
}

void MountWindow::recomputeCalibration(bool fromList)
{
    CalibrationTexts texts;
    texts.drift = textOf(m_drift);
    texts.plateScale = textOf(m_plateScale);
    texts.duration = textOf(m_duration);
    texts.direction = SendMessageW(m_east, BM_GETCHECK, 0, 0) == BST_CHECKED ? DriftDirection::East
                                                                             : DriftDirection::West;
    texts.declination = textOf(m_declination);
    texts.rate = rateText(m_calibrationRate, fromList);
    const FormModel& model = m_form.model();
    const CalibrationPanel panel =
        calibrationPanel(texts, model.currentRecord(), model.driveParameters());
    m_correctedDureeTour = panel.dureeTour;
    SetWindowTextW(m_calibrationResults, withCrLf(panel.results).c_str());
    showApplicable();
}

void MountWindow::showApplicable()
{
    EnableWindow(m_apply, m_page == 1 ? !m_correctedDureeTour.empty() : !m_dureeTour.empty());
}

void MountWindow::showPage(int page)
{
    if (!m_window || page < 0 || page >= int(std::size(m_pages))) return;
    m_page = page;
    if (int(SendMessageW(m_tabs, TCM_GETCURSEL, 0, 0)) != page)
        SendMessageW(m_tabs, TCM_SETCURSEL, WPARAM(page), 0);
    HWND focus = GetFocus();
    for (int shown = 0; shown < int(std::size(m_pages)); ++shown)
        for (HWND control : m_pages[shown])
            ShowWindow(control, shown == page ? SW_SHOWNA : SW_HIDE);
    // Focus left on a hidden control would take no keys.
    if (focus && !IsWindowVisible(focus)) SetFocus(page == 1 ? m_drift : m_teeth);
    showApplicable();
}

void MountWindow::apply()
{
    if (m_page == 1) {
        if (m_correctedDureeTour.empty()) return;
        const std::string dureeTour = m_correctedDureeTour;
        close();
        m_form.writeText("EditDureeTour", dureeTour);
        return;
    }
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
        } else if (id >= kDrift && id <= kCalibrationRate) {
            if ((code == EN_CHANGE && id != kCalibrationResults) ||
                ((id == kEast || id == kWest) && code == BN_CLICKED) ||
                (id == kCalibrationRate && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)))
                recomputeCalibration(id == kCalibrationRate && code == CBN_SELCHANGE);
        } else if ((code == EN_CHANGE && id != kResults && id != kCalibrationResults) ||
                   (id == kHalfStep && code == BN_CLICKED) ||
                   (id == kRate && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE))) {
            recompute(id == kRate && code == CBN_SELCHANGE);
        }
        return 0;
    }
    case WM_NEXTDLGCTL: {
        // A multi-line box passes Tab on with this, as in a dialog: without it
        // the focus would stay caught in the results.
        HWND next =
            lParam ? HWND(wParam) : GetNextDlgTabItem(m_window, GetFocus(), wParam ? TRUE : FALSE);
        if (next) SetFocus(next);
        return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (m_form.night()) return nightControlColour(message, HDC(wParam), HWND(lParam));
        if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) break;
        // Labels and buttons in the dialog's own colour, as in the window;
        // the read-only results keep the system's.
        if (HWND(lParam) != m_results && HWND(lParam) != m_calibrationResults) {
            SetBkColor(HDC(wParam), GetSysColor(COLOR_BTNFACE));
            return LRESULT(GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_NOTIFY: {
        const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
        if (notice->hwndFrom == m_tabs && notice->code == TCN_SELCHANGE)
            showPage(int(SendMessageW(m_tabs, TCM_GETCURSEL, 0, 0)));
        return 0;
    }
    case WM_ERASEBKGND:
        if (!m_form.night()) break;
        {
            RECT area;
            GetClientRect(m_window, &area);
            FillRect(HDC(wParam), &area, nightBrush(night::kBackground));
        }
        return 1;
    case WM_MEASUREITEM: { // the rates' lines by night, as high as the font
        TEXTMETRICW metrics{};
        HDC dc = GetDC(m_window);
        HGDIOBJ old =
            SelectObject(dc, HFONT(SendMessageW(m_form.control("ButtonOuvrir"), WM_GETFONT, 0, 0)));
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(m_window, dc);
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = UINT(metrics.tmHeight + 2);
        return TRUE;
    }
    case WM_DRAWITEM:
        drawNightItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CLOSE:
        close();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

} // namespace korval
