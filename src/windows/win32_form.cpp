#include "windows/win32_form.h"

#include "files/text_utf16.h"
#include "form/form_help.h"
#include "form/layout_scale.h"
#include "windows/board_window.h"
#include "windows/mount_window.h"
#include "windows/night_look.h"
#include "windows/win32_common.h"

#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>
#include <shellapi.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace korval
{

const wchar_t* const kFormClass = L"KorvalTForm1";
const wchar_t* const kSettingsKey = L"Software\\korvalset24";

namespace
{
constexpr int kFirstControlId = 100;
constexpr int kFirstToolButtonId = 90;   // before the table's controls
constexpr UINT kOpenQueued = WM_APP + 1; // the file of the command line or of a drop
constexpr int kLayoutDpi = 96;
constexpr int kFontPoints = 8;

bool intersects(const ControlGeometry& a, const ControlGeometry& b)
{
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

const wchar_t* className(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Label:
        return L"STATIC";
    case ControlKind::Edit:
        return L"EDIT";
    case ControlKind::List:
        return L"LISTBOX";
    default:
        return L"BUTTON";
    }
}

// The model's name of a key of the candidate list; Alt+Down comes as a system key.
ListKey listKeyOf(UINT message, WPARAM key)
{
    if (message == WM_SYSKEYDOWN) return key == VK_DOWN ? ListKey::AltDown : ListKey::Other;
    if (message != WM_KEYDOWN) return ListKey::Other;
    switch (key) {
    case VK_F4:
        return ListKey::F4;
    case VK_RETURN:
        return ListKey::Enter;
    case VK_ESCAPE:
        return ListKey::Escape;
    default:
        return ListKey::Other;
    }
}

// Screen readers ask the control itself; Windows answers from these.
void setAccessibleText(IAccPropServices* services, HWND control, const MSAAPROPID& property,
                       const std::wstring& text)
{
    if (!services || text.empty()) return;
    services->SetHwndPropStr(control, OBJID_CLIENT, CHILDID_SELF, property, text.c_str());
}

// The night look remembered from one start to the next.
const wchar_t* const kNightValue = L"Nuit";

void storeNightChoice(bool night)
{
    const DWORD value = night ? 1 : 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kNightValue, REG_DWORD, &value, sizeof value);
}
} // namespace

bool storedNightChoice()
{
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kNightValue, RRF_RT_REG_DWORD, nullptr,
                        &value, &size) == ERROR_SUCCESS &&
           value != 0;
}

Win32Form::Win32Form(std::unique_ptr<Win32Dialogs> dialogs)
    : m_model(std::make_unique<FormModel>(this)), m_shown(*m_model),
      m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<StandardWin32Dialogs>())
{
    for (const auto& [name, text] : accessibleTexts()) {
        m_names[name] = widen(text.name);
        m_descriptions[name] = widen(text.description);
    }
}

Win32Form::~Win32Form()
{
    m_mount.reset();
    m_board.reset();
    if (m_window) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
    if (m_access) m_access->Release();
    for (HGDIOBJ object : {HGDIOBJ(m_font), HGDIOBJ(m_boldFont), HGDIOBJ(m_listFont)})
        if (object) DeleteObject(object);
}

bool Win32Form::create(HINSTANCE instance)
{
    INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&common);
    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
    registerWindowClass(instance, kFormClass, &Win32Form::windowProc, HBRUSH(COLOR_BTNFACE + 1),
                        icon);

    m_window = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kFormClass, formTitle(),
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 205, 128, 796, 317, nullptr,
                               nullptr, instance, this);
    if (!m_window) return false;
    createControls(instance);
    createToolTips();
    describeForScreenReaders();
    applyDpi(GetDpiForWindow(m_window));
    if (m_night) showNightLook();
    showModel();
    return true;
}

void Win32Form::createControls(HINSTANCE instance)
{
    const std::vector<ControlInfo>& table = formControls();
    const std::vector<std::string> names = m_model->controlNames();
    std::unordered_map<std::string, HWND> groups;
    std::vector<const ControlInfo*> topLevelGroups;
    // One loop in the table's order: creation order, hence tab order.
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ControlInfo& info = table[i];
        Control control{names.at(i), info.kind};
        control.parent = *info.parent ? groups.at(info.parent) : m_window;
        control.look = info.look;
        control.resultDisplay = info.kind == ControlKind::Edit && !info.enabled;
        DWORD style = WS_CHILD;
        DWORD extended = 0;
        switch (info.kind) {
        case ControlKind::Label:
            style |= SS_LEFT | SS_NOPREFIX;
            break;
        case ControlKind::GroupBox:
            style |= BS_GROUPBOX;
            extended |= WS_EX_CONTROLPARENT;
            break;
        case ControlKind::Edit:
            style |= ES_AUTOHSCROLL | (control.resultDisplay ? ES_READONLY : WS_TABSTOP);
            extended |= WS_EX_CLIENTEDGE;
            break;
        case ControlKind::CheckBox:
            style |= BS_CHECKBOX | WS_TABSTOP;
            break; // the model toggles
        case ControlKind::Button:
            style |= BS_PUSHBUTTON | WS_TABSTOP;
            break;
        case ControlKind::List:
            style |= LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS | WS_BORDER | WS_TABSTOP;
            // By night the lines are drawn in red, and the system's grey scroll
            // bars give way to the wheel and the keys.
            style |= m_night ? LBS_OWNERDRAWFIXED : WS_VSCROLL | WS_HSCROLL;
            break;
        }
        // A control over an earlier group box is drawn over it; the others
        // keep out of what lies above them (the candidate list, when shown).
        bool overGroup = false;
        if (!*info.parent)
            for (const ControlInfo* group : topLevelGroups)
                overGroup = overGroup || intersects(group->geometry, info.geometry);
        if (!overGroup || info.kind == ControlKind::Label) style |= WS_CLIPSIBLINGS;
        if (info.kind == ControlKind::GroupBox) style |= WS_CLIPCHILDREN;
        control.hwnd = CreateWindowExW(
            extended, className(info.kind),
            info.kind == ControlKind::Edit ? L"" : widen(info.text).c_str(), style, 0, 0, 0, 0,
            control.parent, HMENU(INT_PTR(kFirstControlId + int(i))), instance, nullptr);
        SetWindowSubclass(control.hwnd, &Win32Form::controlProc, i, DWORD_PTR(this));
        if (info.kind == ControlKind::GroupBox) {
            groups[info.name] = control.hwnd;
            if (!*info.parent) topLevelGroups.push_back(&info);
        }
        m_byName[control.name] = m_controls.size();
        m_controls.push_back(control);
    }
    // A label under a later group box stays hidden by it.
    for (const ControlInfo* group : topLevelGroups)
        for (std::size_t i = 0; i < table.size(); ++i)
            if (table[i].kind == ControlKind::Label && !*table[i].parent && &table[i] < group &&
                intersects(group->geometry, table[i].geometry))
                SetWindowPos(m_controls[i].hwnd, HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    setNightPeriodField(control("EditPeriodeTimer"));

    // The tool buttons, after the table's controls: a switch is a check box
    // drawn as a button, shown pressed while on.
    for (const ToolButtonInfo& button : toolButtons()) {
        const DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS |
                            (button.tabStop ? WS_TABSTOP : 0) |
                            (button.checkable ? BS_CHECKBOX | BS_PUSHLIKE : BS_PUSHBUTTON);
        const int id = kFirstToolButtonId + int(m_toolButtons.size());
        m_toolButtons.push_back(
            CreateWindowExW(0, L"BUTTON", widen(mnemonicCaption(button)).c_str(), style, 0, 0, 0, 0,
                            m_window, HMENU(INT_PTR(id)), instance, nullptr));
    }
}

HWND Win32Form::toolButtonWindow(const char* name) const
{
    const std::vector<ToolButtonInfo>& buttons = toolButtons();
    for (std::size_t i = 0; i < buttons.size() && i < m_toolButtons.size(); ++i)
        if (std::string(buttons[i].name) == name) return m_toolButtons[i];
    return nullptr;
}

void Win32Form::createToolTips()
{
    m_toolTip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, m_window, nullptr, nullptr, nullptr);
    SendMessageW(m_toolTip, TTM_SETMAXTIPWIDTH, 0, 420); // help texts wrap
    SendMessageW(m_toolTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, 30000);
    for (const Control& control : m_controls)
        if (control.kind != ControlKind::Label && control.kind != ControlKind::GroupBox)
            addToolTip(control.hwnd);
    for (HWND button : m_toolButtons)
        addToolTip(button);
}

void Win32Form::addToolTip(HWND control)
{
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window; // TTN_GETDISPINFO comes here
    tool.uId = UINT_PTR(control);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(m_toolTip, TTM_ADDTOOLW, 0, LPARAM(&tool));
}

void Win32Form::describeForScreenReaders()
{
    CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER, IID_IAccPropServices,
                     reinterpret_cast<void**>(&m_access));
    IAccPropServices* services = m_access;
    for (const Control& control : m_controls) {
        setAccessibleText(services, control.hwnd, PROPID_ACC_NAME, accessibleName(control.name));
        setAccessibleText(services, control.hwnd, PROPID_ACC_DESCRIPTION,
                          m_descriptions[control.name]);
    }
    for (std::size_t i = 0; i < m_toolButtons.size(); ++i) {
        const char* name = toolButtons()[i].name;
        setAccessibleText(services, m_toolButtons[i], PROPID_ACC_NAME, accessibleName(name));
        setAccessibleText(services, m_toolButtons[i], PROPID_ACC_DESCRIPTION,
                          accessibleDescription(name));
    }
}

int Win32Form::scaled(int layoutPixels) const
{
    return int(std::lround(layoutPixels * m_scale));
}

void Win32Form::applyDpi(UINT dpi)
{
    m_dpi = dpi ? dpi : kLayoutDpi;
    for (HFONT font : {m_font, m_boldFont, m_listFont})
        if (font) DeleteObject(font);
    const int height = -MulDiv(kFontPoints, int(m_dpi), 72);
    const BYTE quality = fontQuality(m_night);
    const auto font = [height, quality](int weight, const wchar_t* face) {
        return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality,
                           DEFAULT_PITCH | FF_DONTCARE, face);
    };
    m_font = font(FW_NORMAL, L"MS Shell Dlg 2");
    m_boldFont = font(FW_BOLD, L"MS Shell Dlg 2");
    m_listFont = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, quality,
                             FIXED_PITCH | FF_MODERN, L"Courier New");

    const std::vector<ControlInfo>& table = formControls();
    HDC dc = GetDC(m_window);
    // Every caption in the window's font, against the layout at this DPI.
    HGDIOBJ old = SelectObject(dc, m_font);
    m_scale = layoutScale(
        [dc](const ControlInfo& label) {
            const std::wstring text = widen(label.text);
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
            return double(extent.cx);
        },
        0, double(m_dpi) / kLayoutDpi);
    SelectObject(dc, old);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const ControlInfo& info = table[i];
        const Control& control = m_controls[i];
        HFONT own = info.kind == ControlKind::List         ? m_listFont
                    : info.look == ControlLook::ColumnHead ? m_boldFont
                                                           : m_font;
        SendMessageW(control.hwnd, WM_SETFONT, WPARAM(own), FALSE);
        if (info.kind == ControlKind::Edit) // room for "  1.00" in the narrow result displays
            SendMessageW(control.hwnd, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                         MAKELPARAM(scaled(1), scaled(1)));
        int width = scaled(info.geometry.width);
        if (info.kind == ControlKind::Label) {
            // Labels are sized to their text, which this font may draw wider.
            const std::wstring text = widen(info.text);
            HGDIOBJ before = SelectObject(dc, own);
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
            SelectObject(dc, before);
            width = std::max(width, int(extent.cx) + 1);
        }
        SetWindowPos(control.hwnd, nullptr, scaled(info.geometry.x), scaled(info.geometry.y), width,
                     scaled(info.geometry.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    for (std::size_t i = 0; i < m_toolButtons.size(); ++i) {
        const ControlGeometry& place = toolButtons()[i].place;
        SendMessageW(m_toolButtons[i], WM_SETFONT, WPARAM(m_font), FALSE);
        SetWindowPos(m_toolButtons[i], nullptr, scaled(place.x), scaled(place.y),
                     scaled(place.width), scaled(place.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    fitListLineHeight();
    ReleaseDC(m_window, dc);
    SendMessageW(m_toolTip, WM_SETFONT, WPARAM(m_font), FALSE);
    m_shown.forgetList(); // the list's extent follows the font
    m_listFontFitted = false;

    const SIZE frame = frameSize();
    SetWindowPos(m_window, nullptr, 0, 0, frame.cx, frame.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(m_window, nullptr, TRUE);
}

SIZE Win32Form::frameSize() const
{
    // The frame as the window has it now (caption, borders), around the layout.
    RECT outer;
    RECT client;
    GetWindowRect(m_window, &outer);
    GetClientRect(m_window, &client);
    return {scaled(kFormWidth) + (outer.right - outer.left) - client.right,
            scaled(kFormHeight) + (outer.bottom - outer.top) - client.bottom};
}

void Win32Form::show(int showCommand)
{
    ShowWindow(m_window, showCommand);
    UpdateWindow(m_window);
    // The defaults are loaded once, when the window first appears: message
    // boxes and file dialogs that close later must not wipe the user's work.
    if (m_activated) return;
    m_activated = true;
    run([this] { m_model->guarded([this] { m_model->FormOnActivate(); }); });
    if (!m_startFile.empty()) PostMessageW(m_window, kOpenQueued, 0, 0);
}

bool Win32Form::translateDialogMessage(MSG& message)
{
    if (m_mount && m_mount->translateDialogMessage(message)) return true;
    HWND board = m_board ? m_board->window() : nullptr;
    const auto inside = [&message](HWND window) {
        return window && (message.hwnd == window || IsChild(window, message.hwnd));
    };
    if ((message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) &&
        (inside(m_window) || inside(board))) {
        // Bit 30: the key was already down, the system's repeat of a held key.
        NightKeyPress press{char(message.wParam), GetKeyState(VK_CONTROL) < 0,
                            GetKeyState(VK_MENU) < 0, GetKeyState(VK_SHIFT) < 0,
                            (message.lParam & (LPARAM(1) << 30)) != 0};
        if (message.wParam == 'N' && nightKeySwitches(press)) {
            toggleNight();
            return true;
        }
        press.repeated = false;
        // A held night key switches nothing more, nor reaches a box or the button.
        if (message.wParam == 'N' && nightKeySwitches(press)) return true;
    }
    if (m_board && m_board->translateDialogMessage(message)) return true;
    return m_window && IsDialogMessageW(m_window, &message);
}

HWND Win32Form::control(const std::string& name) const
{
    const auto found = m_byName.find(name);
    return found == m_byName.end() ? nullptr : m_controls[found->second].hwnd;
}

HWND Win32Form::mountDialog() const
{
    return m_mount ? m_mount->window() : nullptr;
}

BoardWindow* Win32Form::boardDialog() const
{
    return m_board && m_board->window() ? m_board.get() : nullptr;
}

const std::wstring& Win32Form::accessibleName(const std::string& name) const
{
    static const std::wstring none;
    const auto found = m_names.find(name);
    return found == m_names.end() ? none : found->second;
}

std::wstring Win32Form::accessibleDescription(const std::string& name) const
{
    const auto found = m_descriptions.find(name);
    return found == m_descriptions.end() ? std::wstring() : found->second;
}

bool Win32Form::marked(const std::string& name) const
{
    const auto found = m_byName.find(name);
    return found != m_byName.end() && m_controls[found->second].marked;
}

std::wstring Win32Form::toolTipText(HWND control) const
{
    for (std::size_t i = 0; i < m_toolButtons.size(); ++i)
        if (control == m_toolButtons[i]) return accessibleDescription(toolButtons()[i].name);
    for (const Control& own : m_controls) {
        if (own.hwnd != control) continue;
        if (own.kind == ControlKind::List) {
            const int line = int(SendMessageW(control, LB_GETCURSEL, 0, 0));
            const std::string drift = line >= 0 ? m_model->listLineHelp(line) : std::string();
            return widen(m_model->helpText(own.name) + (drift.empty() ? "" : "\n" + drift));
        }
        return widen(m_model->helpText(own.name));
    }
    return {};
}

// --- the model's state on screen ----------------------------------------------------

void Win32Form::run(const std::function<void()>& action)
{
    ++m_depth;
    try {
        action();
    } catch (...) {
        if (--m_depth == 0) showModel();
        throw;
    }
    if (--m_depth == 0) showModel();
}

void Win32Form::showModel()
{
    m_painting = true;
    bool helpChanged = false;
    for (const std::size_t i : m_shown.changedControls()) {
        Control& control = m_controls[i];
        const ControlState& state = m_model->controlAt(i);
        if (control.kind == ControlKind::Edit) {
            const std::wstring text = widen(state.text);
            // Setting the same text would move the cursor of a box being typed in.
            if (windowText(control.hwnd) != text) {
                SetWindowTextW(control.hwnd, text.c_str());
                // A result wider than its display keeps its digits, not its blanks.
                if (control.resultDisplay) {
                    SendMessageW(control.hwnd, EM_SETSEL, text.size(), text.size());
                    SendMessageW(control.hwnd, EM_SCROLLCARET, 0, 0);
                }
            }
            const bool marked = !m_model->storedNote(control.name).empty();
            if (marked != control.marked) {
                control.marked = marked;
                setNightMark(control.hwnd, marked);
                SetWindowPos(control.hwnd, nullptr, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                                 SWP_FRAMECHANGED);
                RedrawWindow(control.hwnd, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
            }
            // A mark's note follows the help, for screen readers too.
            std::wstring description = widen(m_model->helpText(control.name));
            if (description != m_descriptions[control.name]) {
                m_descriptions[control.name] = std::move(description);
                setAccessibleText(m_access, control.hwnd, PROPID_ACC_DESCRIPTION,
                                  m_descriptions[control.name]);
                helpChanged = true;
            }
        } else if (control.kind == ControlKind::CheckBox) {
            const WPARAM check = state.checked ? BST_CHECKED : BST_UNCHECKED;
            if (SendMessageW(control.hwnd, BM_GETCHECK, 0, 0) != LRESULT(check))
                SendMessageW(control.hwnd, BM_SETCHECK, check, 0);
        } else if (control.kind != ControlKind::List) {
            const std::wstring text = widen(state.text);
            if (windowText(control.hwnd) != text) SetWindowTextW(control.hwnd, text.c_str());
        }
        if (control.kind != ControlKind::List) {
            if (bool(IsWindowVisible(control.hwnd) ||
                     (GetWindowLongPtrW(control.hwnd, GWL_STYLE) & WS_VISIBLE)) != state.visible)
                ShowWindow(control.hwnd, state.visible ? SW_SHOWNA : SW_HIDE);
            if (!control.resultDisplay && bool(IsWindowEnabled(control.hwnd)) != state.enabled)
                EnableWindow(control.hwnd, state.enabled);
        }
    }
    showList();
    // A tip on screen asks for its text again.
    if (helpChanged) SendMessageW(m_toolTip, TTM_UPDATE, 0, 0);
    m_painting = false;
}

void Win32Form::showList()
{
    HWND list = control("ListBoxValeurTimer");
    if (m_shown.listChanged()) {
        SendMessageW(list, WM_SETREDRAW, FALSE, 0);
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        const std::vector<std::string>& lines = m_model->listLines();
        SendMessageW(list, LB_INITSTORAGE, lines.size(), lines.size() * 48 * sizeof(wchar_t));
        int widest = 0;
        HDC dc = GetDC(list);
        HGDIOBJ old = SelectObject(dc, m_listFont);
        for (const std::string& line : lines) {
            const std::wstring text = widen(line);
            SendMessageW(list, LB_ADDSTRING, 0, LPARAM(text.c_str()));
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
            widest = std::max(widest, int(extent.cx));
        }
        SelectObject(dc, old);
        ReleaseDC(list, dc);
        fitListFont(widest);
        SendMessageW(list, LB_SETHORIZONTALEXTENT, WPARAM(widest + scaled(4)), 0);
        SendMessageW(list, LB_SETCURSEL, WPARAM(m_model->listSelected()), 0);
        SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list, nullptr, TRUE);
    }
    if (int(SendMessageW(list, LB_GETCURSEL, 0, 0)) != m_model->listSelected())
        SendMessageW(list, LB_SETCURSEL, WPARAM(m_model->listSelected()), 0);
    const bool shown = GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE;
    if (m_model->listVisible() && !shown) {
        // Over the parameter area: on top of every sibling.
        SetWindowPos(list, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    } else if (!m_model->listVisible() && shown) {
        const bool hadFocus = GetFocus() == list;
        ShowWindow(list, SW_HIDE);
        // keyboard users stay where they were
        if (hadFocus) SetFocus(control("EditPeriodeTimer"));
    }
}

void Win32Form::fitListFont(int& widest)
{
    // The lines are columns of a fixed-pitch font: where they are wider than
    // the list, the same font is drawn smaller, once for each DPI.
    HWND list = control("ListBoxValeurTimer");
    RECT area;
    GetClientRect(list, &area);
    // The vertical scroll bar comes with the lines, after this measure.
    const int room = area.right - scaled(4) - GetSystemMetricsForDpi(SM_CXVSCROLL, m_dpi);
    if (m_listFontFitted || widest <= room || widest <= 0) return;
    m_listFontFitted = true;
    // A fixed-pitch font grows as wide as it grows high.
    LOGFONTW description{};
    GetObjectW(m_listFont, sizeof description, &description);
    description.lfHeight = -LONG(std::abs(description.lfHeight) * room / widest); // rounded down
    HFONT smaller = CreateFontIndirectW(&description);
    if (!smaller) return;
    DeleteObject(m_listFont);
    m_listFont = smaller;
    SendMessageW(list, WM_SETFONT, WPARAM(m_listFont), FALSE);
    fitListLineHeight();
    widest = room;
}

void Win32Form::fitListLineHeight()
{
    // The night's owner-drawn lines are as high as the font; by day the list
    // measures them itself.
    HWND list = control("ListBoxValeurTimer");
    if (!(GetWindowLongPtrW(list, GWL_STYLE) & LBS_OWNERDRAWFIXED)) return;
    TEXTMETRICW metrics{};
    HDC dc = GetDC(list);
    HGDIOBJ old = SelectObject(dc, m_listFont);
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, metrics.tmHeight);
}

void Win32Form::writeText(const std::string& name, const std::string& text)
{
    run([&] { m_model->writeText(name, text); });
}

void Win32Form::searchFromKeyboard()
{
    run([this] { m_model->searchFromKeyboard(); });
    if (!m_model->listVisible()) return; // the search stopped on a fault, shown already
    SetFocus(control("ListBoxValeurTimer"));
}

bool Win32Form::listKey(ListKeyPlace place, ListKey key)
{
    switch (listKeyAction(place, key, m_model->listVisible())) {
    case ListKeyAction::Open:
        searchFromKeyboard();
        return true;
    case ListKeyAction::Apply:
        doubleClickLine();
        return true;
    case ListKeyAction::Close:
        hideCandidateList();
        return true;
    case ListKeyAction::None:
        break;
    }
    return false;
}

void Win32Form::hideCandidateList()
{
    run([this] { m_model->hideList(); });
}

void Win32Form::doubleClickLine()
{
    // The list's own selection is the line; a fault is shown.
    const int line = int(SendMessageW(control("ListBoxValeurTimer"), LB_GETCURSEL, 0, 0));
    run([this, line] { m_model->userDoubleClickedLine(line); });
}

void Win32Form::openMountDialog()
{
    if (!m_mount) m_mount = std::make_unique<MountWindow>(*this);
    m_mount->open();
}

void Win32Form::openBoardDialog()
{
    if (!m_board) m_board = std::make_unique<BoardWindow>(*this);
    m_board->open();
}

// --- messages -------------------------------------------------------------------------

LRESULT CALLBACK Win32Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(self));
        EnableNonClientDpiScaling(window);
    }
    auto* self = reinterpret_cast<Win32Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    // A C++ exception must not cross the system's code: what escapes a
    // handler is shown, and the window carries on.
    try {
        return self->handle(message, wParam, lParam);
    } catch (const std::exception& caught) {
        self->reportCaught(caught.what());
    } catch (...) {
        self->reportCaught(nullptr);
    }
    return 0;
}

void Win32Form::reportCaught(const char* what)
{
    m_depth = 0;
    m_painting = false;
    const std::string message = std::string("Erreur interne : ") +
                                (what ? what : "exception inconnue") +
                                ". L'action est abandonnée ; le programme continue.";
    try {
        showModel();
        m_dialogs->showError(m_window, widen(message));
    } catch (...) { // nothing more can be shown
    }
}

LRESULT Win32Form::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam), HWND(lParam));
        return 0;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == m_toolTip && header->code == TTN_GETDISPINFOW) {
            auto* info = reinterpret_cast<NMTTDISPINFOW*>(lParam);
            m_toolTipBuffer = toolTipText(HWND(header->idFrom));
            info->lpszText = m_toolTipBuffer.data();
            return 0;
        }
        break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        if (m_night) return nightColour(message, HDC(wParam), HWND(lParam));
        if (message == WM_CTLCOLORLISTBOX) break;
        return colour(HDC(wParam), HWND(lParam));
    case WM_ERASEBKGND:
        if (!m_night) break;
        fillNightBackground(m_window, HDC(wParam));
        return 1;
    case WM_MEASUREITEM: { // the list's lines by night, as high as its font
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        TEXTMETRICW metrics{};
        HDC dc = GetDC(m_window);
        HGDIOBJ old = SelectObject(dc, m_listFont ? m_listFont : GetStockObject(DEFAULT_GUI_FONT));
        GetTextMetricsW(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(m_window, dc);
        item->itemHeight = UINT(metrics.tmHeight);
        return TRUE;
    }
    case WM_DRAWITEM:
        drawNightItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DROPFILES:
        openDropped(HDROP(wParam));
        return 0;
    case kOpenQueued: {
        const std::wstring path = std::exchange(m_startFile, std::wstring());
        if (!path.empty())
            run([this, &path] { m_model->guarded([&] { m_model->openDropped(narrow(path)); }); });
        return 0;
    }
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        // The place Windows suggests, the size of the layout at the new DPI.
        applyDpi(HIWORD(wParam));
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_GETMINMAXINFO: {
        // The whole layout, even where it is larger than the screen.
        auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
        const SIZE frame = frameSize();
        limits->ptMaxTrackSize.x = std::max(limits->ptMaxTrackSize.x, frame.cx);
        limits->ptMaxTrackSize.y = std::max(limits->ptMaxTrackSize.y, frame.cy);
        return 0;
    }
    case WM_CLOSE: {
        // Unsaved changes are saved or let go first; a fault keeps the window.
        bool closing = false;
        run([this, &closing] {
            m_model->guarded([this, &closing] { closing = m_model->confirmClose(); });
        });
        if (closing) DestroyWindow(m_window);
        return 0;
    }
    case WM_DESTROY:
        m_mount.reset();
        m_board.reset();
        if (m_quitOnDestroy) PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        m_window = nullptr;
        return 0;
    default:
        break;
    }
    return DefWindowProcW(m_window, message, wParam, lParam);
}

void Win32Form::command(int id, int code, HWND from)
{
    const std::size_t tool = std::size_t(id - kFirstToolButtonId);
    if (id >= kFirstToolButtonId && tool < m_toolButtons.size()) {
        if (code == BN_CLICKED) toolButtonClicked(toolButtons()[tool].name);
        return;
    }
    if (id == IDCANCEL || id == IDOK) { // Esc or Enter where no control takes it
        const bool inList = GetFocus() == control("ListBoxValeurTimer");
        listKey(inList ? ListKeyPlace::List : ListKeyPlace::PeriodBox,
                id == IDOK ? ListKey::Enter : ListKey::Escape);
        return;
    }
    const std::size_t index = std::size_t(id - kFirstControlId);
    if (id < kFirstControlId || index >= m_controls.size() || m_controls[index].hwnd != from)
        return;
    const Control& control = m_controls[index];
    switch (control.kind) {
    case ControlKind::Edit:
        // The model sees the user's typing, not the view's own writes.
        if (code == EN_CHANGE && !m_painting && !control.resultDisplay) {
            const std::string text = narrow(windowText(from));
            run([this, &control, &text] { m_model->userTyped(control.name, text); });
        }
        break;
    case ControlKind::CheckBox:
    case ControlKind::Button:
        if (code == BN_CLICKED) run([this, &control] { m_model->userClicked(control.name); });
        break;
    case ControlKind::List:
        if (code == LBN_SELCHANGE && !m_painting) {
            const int line = int(SendMessageW(from, LB_GETCURSEL, 0, 0));
            run([this, line] { m_model->userSelectedLine(line); });
        } else if (code == LBN_DBLCLK) {
            doubleClickLine();
        }
        break;
    default:
        break;
    }
}

void Win32Form::toolButtonClicked(const std::string& name)
{
    if (name == kMountButtonName) openMountDialog();
    if (name == kBoardButtonName) openBoardDialog();
    if (name == kCompareButtonName)
        run([this] { m_model->guarded([this] { m_model->ButtonComparerClick(); }); });
    if (name == kNightButtonName) toggleNight();
}

// The looks of their own, the period field and the result displays; by night
// the field's double frame is the painter's.
bool Win32Form::ownLook(HDC dc, HWND from, LRESULT& brush) const
{
    for (const Control& control : m_controls) {
        if (control.hwnd != from || control.kind != ControlKind::Edit) continue;
        const bool period = control.look == ControlLook::PeriodField;
        if (!period && control.look != ControlLook::ResultDisplay) return false;
        const COLORREF paper =
            schemeRef(period ? (m_night ? ColourRole::Field : ColourRole::PeriodField)
                             : ColourRole::ResultDisplay,
                      m_night);
        SetTextColor(dc,
                     schemeRef(period ? ColourRole::PeriodText : ColourRole::ResultText, m_night));
        SetBkColor(dc, paper);
        brush = LRESULT(solidBrush(paper));
        return true;
    }
    return false;
}

LRESULT Win32Form::colour(HDC dc, HWND from)
{
    LRESULT brush = 0;
    if (ownLook(dc, from, brush)) return brush;
    for (const Control& control : m_controls)
        if (control.hwnd == from && control.kind == ControlKind::Edit)
            return DefWindowProcW(m_window, WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(from));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return LRESULT(GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT Win32Form::nightColour(UINT message, HDC dc, HWND from)
{
    LRESULT brush = 0;
    return ownLook(dc, from, brush) ? brush : nightControlColour(message, dc, from);
}

void Win32Form::toggleNight()
{
    m_night = !m_night;
    storeNightChoice(m_night);
    showNightLook();
}

void Win32Form::showNightLook()
{
    m_dialogs->setNight(m_night);
    applyDpi(m_dpi); // the fonts smoothed in grey by night, in colour by day
    const bool ownerDrawn =
        GetWindowLongPtrW(control("ListBoxValeurTimer"), GWL_STYLE) & LBS_OWNERDRAWFIXED;
    if (ownerDrawn != m_night) recreateList();
    showList();
    paintAllAtNight(m_window, m_toolTip, m_night);
    SendMessageW(nightButton(), BM_SETCHECK, m_night ? BST_CHECKED : BST_UNCHECKED, 0);
    // A box's caret is made when it takes the focus: made again in this look.
    HWND focus = GetFocus();
    if (focus && IsChild(m_window, focus)) {
        SetFocus(m_window);
        SetFocus(focus);
    }
    RedrawWindow(m_window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (m_board) m_board->showNightLook();
}

void Win32Form::recreateList()
{
    // A list box's scroll bars and drawing are chosen when it is made: by
    // night and by day it is made again in its place, under the same names.
    const std::size_t index = m_byName.at("ListBoxValeurTimer");
    Control& list = m_controls[index];
    HWND old = list.hwnd;
    const LONG_PTR oldStyle = GetWindowLongPtrW(old, GWL_STYLE);
    const bool focused = GetFocus() == old;
    DWORD style = DWORD(oldStyle & ~(WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | LBS_OWNERDRAWFIXED));
    style |= m_night ? LBS_OWNERDRAWFIXED : WS_VSCROLL | WS_HSCROLL;
    RECT place;
    GetWindowRect(old, &place);
    MapWindowPoints(nullptr, list.parent, reinterpret_cast<POINT*>(&place), 2);
    HWND fresh =
        CreateWindowExW(DWORD(GetWindowLongPtrW(old, GWL_EXSTYLE)), L"LISTBOX", L"", style,
                        place.left, place.top, place.right - place.left, place.bottom - place.top,
                        list.parent, HMENU(INT_PTR(GetDlgCtrlID(old))),
                        HINSTANCE(GetWindowLongPtrW(old, GWLP_HINSTANCE)), nullptr);
    if (!fresh) return;
    SetWindowPos(fresh, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE); // tab order
    SetWindowSubclass(fresh, &Win32Form::controlProc, index, DWORD_PTR(this));
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = m_window;
    tool.uId = UINT_PTR(old);
    SendMessageW(m_toolTip, TTM_DELTOOLW, 0, LPARAM(&tool));
    // The old list's messages must not reach the new one's handler on the way out.
    RemoveWindowSubclass(old, &Win32Form::controlProc, index);
    DestroyWindow(old);
    list.hwnd = fresh;
    addToolTip(fresh);
    setAccessibleText(m_access, fresh, PROPID_ACC_NAME, accessibleName(list.name));
    setAccessibleText(m_access, fresh, PROPID_ACC_DESCRIPTION, m_descriptions[list.name]);
    SendMessageW(fresh, WM_SETFONT, WPARAM(m_listFont), FALSE);
    fitListLineHeight();
    m_shown.forgetList(); // its lines again
    showList();
    if (focused) SetFocus(fresh);
}

LRESULT CALLBACK Win32Form::controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self)
{
    auto* form = reinterpret_cast<Win32Form*>(self);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(hwnd, &Win32Form::controlProc, id);
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
    try {
        return form->handleControl(form->m_controls.at(id), message, wParam, lParam);
    } catch (const std::exception& caught) {
        form->reportCaught(caught.what());
    } catch (...) {
        form->reportCaught(nullptr);
    }
    return 0;
}

LRESULT Win32Form::handleControl(Control& control, UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = control.hwnd;
    switch (control.kind) {
    case ControlKind::GroupBox:
        // The group's own controls report to the window.
        if (message == WM_COMMAND || message == WM_NOTIFY || message == WM_CTLCOLOREDIT ||
            message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORBTN)
            return SendMessageW(m_window, message, wParam, lParam);
        if (message == WM_ERASEBKGND) { // opaque: what it covers stays hidden
            RECT area;
            GetClientRect(hwnd, &area);
            FillRect(HDC(wParam), &area, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        break;
    case ControlKind::Edit:
        if (control.name == "EditPeriodeTimer") {
            if (message == WM_LBUTTONDOWN) {
                const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
                run([this] { m_model->userClicked("EditPeriodeTimer"); });
                return result;
            }
            if (listKey(ListKeyPlace::PeriodBox, listKeyOf(message, wParam))) return 0;
        }
        if ((message == WM_PAINT || message == WM_NCPAINT) && control.marked) {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            // A thin red frame over the box's own border.
            HDC dc = GetWindowDC(hwnd);
            RECT frame;
            GetWindowRect(hwnd, &frame);
            OffsetRect(&frame, -frame.left, -frame.top);
            HBRUSH red = solidBrush(schemeRef(ColourRole::Mark, false));
            for (int ring = 0; ring < std::max(1, scaled(kMarkWidthDay)); ++ring) {
                FrameRect(dc, &frame, red);
                InflateRect(&frame, -1, -1);
            }
            ReleaseDC(hwnd, dc);
            return result;
        }
        break;
    case ControlKind::List:
        if (message == WM_GETDLGCODE && lParam) {
            const auto* key = reinterpret_cast<const MSG*>(lParam);
            if (key->message == WM_KEYDOWN &&
                (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE))
                return DLGC_WANTMESSAGE;
        }
        if (listKey(ListKeyPlace::List, listKeyOf(message, wParam))) return 0;
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void Win32Form::openDropped(HDROP drop)
{
    std::wstring path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        path.assign(std::size_t(DragQueryFileW(drop, 0, nullptr, 0)) + 1, L'\0');
        path.resize(DragQueryFileW(drop, 0, path.data(), UINT(path.size())));
    }
    DragFinish(drop);
    if (!FormModel::isOpenableName(narrow(path))) return;
    // Not inside the drop itself: a message box there would hold up the
    // program the file came from.
    m_startFile = path;
    PostMessageW(m_window, kOpenQueued, 0, 0);
}

// --- FormView --------------------------------------------------------------------------

void Win32Form::showError(const std::string& message)
{
    const bool painting = m_painting;
    showModel(); // the boxes as the fault left them, behind the message
    m_painting = painting;
    m_dialogs->showError(m_window, widen(message));
}

std::string Win32Form::chooseOpenName()
{
    return narrow(m_dialogs->openFileName(m_window));
}

std::string Win32Form::chooseSaveName()
{
    return narrow(m_dialogs->saveFileName(m_window));
}

std::string Win32Form::chooseSaveNameProposing(const std::string& proposedName)
{
    return narrow(m_dialogs->saveFileNameProposing(m_window, widen(proposedName)));
}

void Win32Form::showNote(const std::string& message)
{
    const bool painting = m_painting;
    showModel(); // the opened table behind the note
    m_painting = painting;
    m_dialogs->showNote(m_window, widen(message));
}

void Win32Form::showComparison(const FileComparison& comparison)
{
    m_dialogs->showComparison(m_window, comparison);
}

bool Win32Form::fileExists(const std::string& path)
{
    return m_files.exists(path);
}

bool Win32Form::confirmReplace(const std::string& path)
{
    return m_dialogs->confirmReplace(m_window, widen(path));
}

bool Win32Form::readFile(const std::string& path, std::size_t maxBytes,
                         std::vector<unsigned char>& data, std::string& reason)
{
    return m_files.read(path, maxBytes, data, reason);
}

bool Win32Form::writeFile(const std::string& path, const std::vector<unsigned char>& data,
                          std::string& reason)
{
    return m_files.writeAtomically(path, data, reason);
}

void Win32Form::hexWritten(const std::vector<std::string>& dataLines)
{
    // Only where there is an output: a redirection, a pipe or a console.
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE ||
        GetFileType(output) == FILE_TYPE_UNKNOWN)
        return;
    for (const std::string& line : dataLines) {
        const std::string text = line + "\r\n";
        DWORD written = 0;
        if (!WriteFile(output, text.data(), DWORD(text.size()), &written, nullptr))
            return; // closed
    }
}

FormView::SaveChoice Win32Form::askSaveChanges(const std::string& question)
{
    return m_dialogs->askSaveChanges(m_window, widen(question));
}

bool Win32Form::askOpenAnyway(const std::string& question)
{
    return m_dialogs->askOpenAnyway(m_window, widen(question));
}

} // namespace korval
