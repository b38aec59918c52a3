#include "windows/mount_window.h"

#include "axes/drift_calibration.h"
#include "axes/mount_assistant.h"
#include "axes/mount_dialog_texts.h"
#include "axes/mount_table.h"
#include "files/text_utf16.h"
#include "windows/night_look.h"
#include "windows/win32_common.h"
#include "windows/win32_form.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <iterator>

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
    kMount,
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

// While the choice in the list changes, the box still holds the old text.
std::string rateText(HWND combo, bool fromList)
{
    const int chosen = fromList ? int(SendMessageW(combo, CB_GETCURSEL, 0, 0)) : -1;
    if (chosen < 0) return narrow(windowText(combo));
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

} // namespace

MountWindow::MountWindow(Win32Form& form) : OwnedDialog(form) {}

void MountWindow::open()
{
    if (!create(kMountClass, kMountDialogTitle, 720, 600, 400)) return;
    m_font = windowFont();

    // The tab control goes first, for the page controls to be drawn over it
    // it is put at the bottom of the order once they exist.
    m_tabs = make(WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, 0, 8, 8, 704, 544, kTabs);
    // Drawn plainly, its page takes the dialog's colour, that of the labels and
    // buttons standing on it (the dialog's children, not the tab's).
    SetWindowTheme(m_tabs, L" ", L" ");
    for (int page = 0; page < kMountPageCount; ++page) {
        std::wstring title = widen(mountPageTitle(MountPage(page)));
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title.data();
        SendMessageW(m_tabs, TCM_INSERTITEMW, WPARAM(page), LPARAM(&item));
    }
    makeGearTrainPage();
    makeCalibrationPage();

    m_apply = make(L"BUTTON", withMnemonic(kMountApplyCaption, 0), WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                   540, 564, 80, 25, kApply);
    make(L"BUTTON", withMnemonic(kMountCloseCaption, 0), WS_TABSTOP | BS_PUSHBUTTON, 0, 628, 564,
         80, 25, kClose);
    SetWindowPos(m_tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (m_form.night()) paintAllAtNight(m_window, m_toolTips, true);
    recompute();
    recomputeCalibration();
    showPage(0);

    showOverWindow(m_teeth);
}

HWND MountWindow::make(const wchar_t* kind, const std::wstring& text, DWORD style, DWORD extended,
                       int left, int top, int width, int height, int id)
{
    HWND control =
        CreateWindowExW(extended, kind, text.c_str(), WS_CHILD | WS_VISIBLE | style, scaled(left),
                        scaled(top), scaled(width), scaled(height), m_window, HMENU(INT_PTR(id)),
                        GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, WPARAM(m_font), FALSE);
    return control;
}

// By night the lists' lines are drawn in red by the dialog, and the system's
// grey scroll bars give way to the wheel and the keys.
DWORD MountWindow::listLook() const
{
    return m_form.night() ? CBS_OWNERDRAWFIXED | CBS_HASSTRINGS : WS_VSCROLL;
}

DWORD MountWindow::scrollBars() const
{
    return m_form.night() ? 0 : WS_VSCROLL | WS_HSCROLL;
}

HWND MountWindow::add(int page, HWND control)
{
    m_pages[page].push_back(control);
    return control;
}

void MountWindow::label(int page, const std::wstring& caption, int top)
{
    add(page, make(L"STATIC", caption, SS_LEFT, 0, 24, top + 4, 150, 16, -1));
}

HWND MountWindow::box(int page, int top, int width, int id, const char* help)
{
    HWND edit = add(page, make(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, 182,
                               top, width, 21, id));
    addToolTip(edit, help);
    return edit;
}

HWND MountWindow::rateList(int page, int top, int id)
{
    HWND combo =
        add(page, make(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL | listLook(),
                       0, 182, top, 200, 120, id));
    for (const char* rate : kTrackingRateNames)
        SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(widen(rate).c_str()));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    return combo;
}

HWND MountWindow::resultsBox(int page, int top, int height, int id)
{
    HWND results = add(page, make(L"EDIT", L"",
                                  WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                                      ES_AUTOVSCROLL | scrollBars(),
                                  WS_EX_CLIENTEDGE, 20, top, 680, height, id));
    SendMessageW(results, WM_SETFONT, WPARAM(m_fixedFont), FALSE);
    return results;
}

void MountWindow::makeGearTrainPage()
{
    const int page = int(MountPage::GearTrain);
    label(page, withMnemonic(kMountListCaption, 0), 44); // &Monture
    m_mount = add(page, make(L"COMBOBOX", L"", WS_TABSTOP | CBS_DROPDOWNLIST | listLook(), 0, 182,
                             44, 300, 200, kMount));
    for (const std::string& entry : mountListEntries())
        SendMessageW(m_mount, CB_ADDSTRING, 0, LPARAM(widen(entry).c_str()));
    SendMessageW(m_mount, CB_SETCURSEL, 0, 0);
    addToolTip(m_mount, mountListHelp(0));
    label(page, withMnemonic(mountInputCaption(MountInput::Teeth), 12), 72); // Dents de la &roue
    m_teeth = box(page, 72, 120, kTeeth, mountInputHelp(MountInput::Teeth));
    label(page, withMnemonic(mountInputCaption(MountInput::MotorSteps), 0), 100); // &Pas du moteur
    m_motorSteps = box(page, 100, 120, kMotorSteps, mountInputHelp(MountInput::MotorSteps));
    label(page, withMnemonic(mountInputCaption(MountInput::Reduction), 6), 128); // Réduc&tion
    m_reduction = box(page, 128, 200, kReduction, mountInputHelp(MountInput::Reduction));
    m_halfStep =
        add(page, make(L"BUTTON", withMnemonic(kHalfStepCaption, 6), WS_TABSTOP | BS_AUTOCHECKBOX,
                       0, 182, 156, 300, 20, kHalfStep));                   // V1 en &demi-pas
    label(page, withMnemonic(mountInputCaption(MountInput::Rate), 0), 184); // &Vitesse de suivi
    m_rate = rateList(page, 184, kRate);
    m_results = resultsBox(page, 216, 324, kResults);
}

void MountWindow::chooseMount()
{
    const int choice = int(SendMessageW(m_mount, CB_GETCURSEL, 0, 0));
    if (choice > 0) {
        MountTexts texts;
        texts.motorSteps = narrow(windowText(m_motorSteps));
        texts.reduction = narrow(windowText(m_reduction));
        texts = filledByModel(mountModels()[std::size_t(choice - 1)], texts);
        m_filling = true;
        SetWindowTextW(m_teeth, widen(texts.teeth).c_str());
        SetWindowTextW(m_motorSteps, widen(texts.motorSteps).c_str());
        SetWindowTextW(m_reduction, widen(texts.reduction).c_str());
        m_filling = false;
    }
    recompute();
}

void MountWindow::makeCalibrationPage()
{
    const int page = int(MountPage::Calibration);
    const auto boxFor = [&](CalibrationInput input, int top, int id) {
        return box(page, top, 120, id, calibrationInputHelp(input));
    };
    label(page, withMnemonic(calibrationInputCaption(CalibrationInput::Drift), 0), 44); // &Dérive
    m_drift = boxFor(CalibrationInput::Drift, 44, kDrift);
    label(page, withMnemonic(calibrationInputCaption(CalibrationInput::PlateScale), 2), 72); // É&c
    m_plateScale = boxFor(CalibrationInput::PlateScale, 72, kPlateScale);
    label(page, withMnemonic(calibrationInputCaption(CalibrationInput::Duration), 13), 100); // &m
    m_duration = boxFor(CalibrationInput::Duration, 100, kDuration);
    label(page, widen(kDriftDirectionCaption), 128);
    m_east = add(page, make(L"BUTTON", withMnemonic(driftDirectionName(DriftDirection::East), 7),
                            WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 0, 182, 128, 110, 20,
                            kEast)); // vers l'&est
    m_west = add(page, make(L"BUTTON", withMnemonic(driftDirectionName(DriftDirection::West), 7),
                            BS_AUTORADIOBUTTON, 0, 300, 128, 110, 20, kWest)); // vers l'&ouest
    SendMessageW(m_west, BM_SETCHECK, BST_CHECKED, 0);
    m_directionHelp = add(page, make(L"STATIC", widen(driftDirectionHelp()),
                                     WS_GROUP | SS_LEFT | SS_NOPREFIX, 0, 182, 152, 510, 52, -1));
    label(page, withMnemonic(calibrationInputCaption(CalibrationInput::Declination), 5), 210);
    m_declination = boxFor(CalibrationInput::Declination, 210, kDeclination); // Décli&naison
    SendMessageW(m_declination, EM_SETCUEBANNER, TRUE, LPARAM(L"0"));
    label(page, withMnemonic(calibrationInputCaption(CalibrationInput::Rate), 2), 238); // Vi&tesse
    m_calibrationRate = rateList(page, 238, kCalibrationRate);
    m_calibrationResults = resultsBox(page, 270, 270, kCalibrationResults);
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
    return OwnedDialog::translateDialogMessage(message);
}

void MountWindow::recompute(bool fromList)
{
    MountTexts texts;
    texts.teeth = narrow(windowText(m_teeth));
    texts.motorSteps = narrow(windowText(m_motorSteps));
    texts.reduction = narrow(windowText(m_reduction));
    texts.halfStep = SendMessageW(m_halfStep, BM_GETCHECK, 0, 0) == BST_CHECKED;
    texts.rate = rateText(m_rate, fromList);
    // A filled box edited by hand: the list goes back to the free entry.
    const int choice = mountListChoice(int(SendMessageW(m_mount, CB_GETCURSEL, 0, 0)), texts);
    SendMessageW(m_mount, CB_SETCURSEL, WPARAM(choice), 0);
    addToolTip(m_mount, mountListHelp(choice), true);
    m_state.gearTrain = mountPanel(texts, m_form.model().currentRecord());
    SetWindowTextW(m_results, withCrLf(m_state.gearTrain.results).c_str());
    showApplicable();
}

void MountWindow::recomputeCalibration(bool fromList)
{
    CalibrationTexts texts;
    texts.drift = narrow(windowText(m_drift));
    texts.plateScale = narrow(windowText(m_plateScale));
    texts.duration = narrow(windowText(m_duration));
    texts.direction = SendMessageW(m_east, BM_GETCHECK, 0, 0) == BST_CHECKED ? DriftDirection::East
                                                                             : DriftDirection::West;
    texts.declination = narrow(windowText(m_declination));
    texts.rate = rateText(m_calibrationRate, fromList);
    const FormModel& model = m_form.model();
    m_state.calibration = calibrationPanel(texts, model.currentRecord(), model.driveParameters());
    SetWindowTextW(m_calibrationResults, withCrLf(m_state.calibration.results).c_str());
    showApplicable();
}

void MountWindow::showApplicable()
{
    m_state.page = MountPage(m_page);
    EnableWindow(m_apply, m_state.applicable());
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
    // Closed first: the window takes the texts as typed into it, enabled again.
    const std::vector<BoxText> writes = m_state.applyWrites();
    if (writes.empty()) return;
    close();
    for (const BoxText& write : writes)
        m_form.writeText(write.control, write.text);
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
        } else if (id == kMount && code == CBN_SELCHANGE) {
            chooseMount();
        } else if (!m_filling && // the list's three boxes make one computation
                   ((code == EN_CHANGE && id != kResults && id != kCalibrationResults) ||
                    (id == kHalfStep && code == BN_CLICKED) ||
                    (id == kRate && (code == CBN_EDITCHANGE || code == CBN_SELCHANGE)))) {
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
    case WM_MEASUREITEM: { // the rates' lines by night, as high as the font
        TEXTMETRICW metrics{};
        HDC dc = GetDC(m_window);
        HGDIOBJ old = SelectObject(dc, windowFont());
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(m_window, dc);
        reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = UINT(metrics.tmHeight + 2);
        return TRUE;
    }
    case WM_DRAWITEM:
        drawNightItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    default:
        break;
    }
    return OwnedDialog::handle(message, wParam, lParam);
}

} // namespace korval
