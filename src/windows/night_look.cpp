#include "windows/night_look.h"

#include "form/colour_scheme.h"
#include "windows/win32_common.h"

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace korval
{

namespace
{
constexpr UINT_PTR kPainterId = 0x4E55; // the painter's subclass, beside the window's own
const wchar_t* const kMarkProperty = L"korval.nightMark";
const wchar_t* const kPeriodProperty = L"korval.nightPeriod";

enum class Painted { Button, Edit, List, Combo, Tabs, ToolTip, Other };

Painted paintedKind(HWND control)
{
    wchar_t name[32] = {};
    GetClassNameW(control, name, int(std::size(name)));
    const auto is = [&name](const wchar_t* kind) {
        return CompareStringOrdinal(name, -1, kind, -1, TRUE) == CSTR_EQUAL;
    };
    if (is(L"Button")) return Painted::Button;
    if (is(L"Edit")) return Painted::Edit;
    if (is(L"ListBox") || is(L"ComboLBox")) return Painted::List;
    if (is(L"ComboBox")) return Painted::Combo;
    if (is(WC_TABCONTROLW)) return Painted::Tabs;
    if (is(TOOLTIPS_CLASSW)) return Painted::ToolTip;
    return Painted::Other;
}

int scaledFor(HWND control, int pixels)
{
    const UINT dpi = GetDpiForWindow(control);
    return MulDiv(pixels, int(dpi ? dpi : 96), 96);
}

void frame(HDC dc, RECT area, COLORREF colour, int rings)
{
    for (int ring = 0; ring < rings; ++ring) {
        FrameRect(dc, &area, solidBrush(colour));
        InflateRect(&area, -1, -1);
    }
}

UINT prefixFlag(HWND control)
{
    return (SendMessageW(control, WM_QUERYUISTATE, 0, 0) & UISF_HIDEACCEL) ? DT_HIDEPREFIX : 0;
}

// Leaves out of a control's painting the siblings drawn over it (those that
// do not clip themselves off their siblings, as a box over a group box), as
// the system's own painting does by day.
void keepOffSiblingsOver(HWND control, HDC dc)
{
    RECT own;
    GetWindowRect(control, &own);
    for (HWND sibling = GetWindow(GetParent(control), GW_CHILD); sibling;
         sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        RECT place;
        RECT common;
        if (sibling == control || !IsWindowVisible(sibling) ||
            (GetWindowLongPtrW(sibling, GWL_STYLE) & WS_CLIPSIBLINGS) ||
            !GetWindowRect(sibling, &place) || !IntersectRect(&common, &own, &place))
            continue;
        MapWindowPoints(nullptr, control, reinterpret_cast<POINT*>(&common), 2);
        ExcludeClipRect(dc, common.left, common.top, common.right, common.bottom);
    }
}

void paintButton(HWND button, HDC dc)
{
    RECT area;
    GetClientRect(button, &area);
    const LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
    const LONG_PTR type = style & BS_TYPEMASK;
    const LRESULT state = SendMessageW(button, BM_GETSTATE, 0, 0);
    // A switch (a check box drawn as a button) is drawn pressed while on.
    const bool pushLike = style & BS_PUSHLIKE;
    const bool enabled = IsWindowEnabled(button);
    const bool focused = GetFocus() == button;
    const COLORREF text = enabled ? nightRef(ColourRole::Text) : nightRef(ColourRole::Disabled);
    const COLORREF edge = enabled ? nightRef(ColourRole::Frame) : nightRef(ColourRole::Disabled);
    HGDIOBJ oldFont = SelectObject(dc, HFONT(SendMessageW(button, WM_GETFONT, 0, 0)));
    const std::wstring caption = windowText(button);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    if (type == BS_GROUPBOX) keepOffSiblingsOver(button, dc);
    FillRect(dc, &area, solidBrush(nightRef(ColourRole::Window)));
    if (type == BS_GROUPBOX) {
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        RECT box = area;
        box.top += metrics.tmHeight / 2;
        frame(dc, box, edge, 1);
        RECT title{area.left + scaledFor(button, 8), area.top, area.right, area.top};
        DrawTextW(dc, caption.c_str(), -1, &title, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        InflateRect(&title, scaledFor(button, 2), 0);
        FillRect(dc, &title, solidBrush(nightRef(ColourRole::Window)));
        DrawTextW(dc, caption.c_str(), -1, &title, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    } else if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || pushLike) {
        const bool down = state & (pushLike ? BST_PUSHED | BST_CHECKED : BST_PUSHED);
        FillRect(dc, &area, solidBrush(nightRef(down ? ColourRole::Frame : ColourRole::Field)));
        frame(dc, area, type == BS_DEFPUSHBUTTON ? nightRef(ColourRole::Text) : edge,
              type == BS_DEFPUSHBUTTON ? 2 : 1);
        DrawTextW(dc, caption.c_str(), -1, &area,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | prefixFlag(button));
        if (focused) {
            RECT ring = area;
            InflateRect(&ring, -scaledFor(button, 4), -scaledFor(button, 4));
            frame(dc, ring, nightRef(ColourRole::Focus), 1);
        }
    } else { // check boxes and radio buttons
        const int side = scaledFor(button, 13);
        const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
        RECT box{area.left, (area.top + area.bottom - side) / 2, 0, 0};
        if (caption.empty()) box.left = (area.left + area.right - side) / 2;
        box.right = box.left + side;
        box.bottom = box.top + side;
        HGDIOBJ oldPen = SelectObject(dc, CreatePen(PS_SOLID, 1, edge));
        HGDIOBJ oldBrush =
            SelectObject(dc, solidBrush((state & BST_PUSHED) ? nightRef(ColourRole::Frame)
                                                             : nightRef(ColourRole::Field)));
        if (radio)
            Ellipse(dc, box.left, box.top, box.right, box.bottom);
        else
            Rectangle(dc, box.left, box.top, box.right, box.bottom);
        if (state & (BST_CHECKED | BST_INDETERMINATE)) {
            SelectObject(dc, solidBrush(text));
            const int inset = std::max(3, side / 4);
            if (radio)
                Ellipse(dc, box.left + inset, box.top + inset, box.right - inset,
                        box.bottom - inset);
            else {
                RECT inner = box;
                InflateRect(&inner, -inset, -inset);
                FillRect(dc, &inner, solidBrush(text));
            }
        }
        SelectObject(dc, oldBrush);
        DeleteObject(SelectObject(dc, oldPen));
        RECT label = area;
        label.left = box.right + scaledFor(button, 4);
        DrawTextW(dc, caption.c_str(), -1, &label,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | prefixFlag(button));
        if (focused) frame(dc, caption.empty() ? area : label, nightRef(ColourRole::Focus), 1);
    }
    SelectObject(dc, oldFont);
}

void paintTabs(HWND tabs, HDC dc)
{
    RECT area;
    GetClientRect(tabs, &area);
    FillRect(dc, &area, solidBrush(nightRef(ColourRole::Window)));
    RECT body = area;
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, LPARAM(&body));
    InflateRect(&body, scaledFor(tabs, 4), scaledFor(tabs, 4));
    frame(dc, body, nightRef(ColourRole::Frame), 1);
    HGDIOBJ oldFont = SelectObject(dc, HFONT(SendMessageW(tabs, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    const int chosen = int(SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    const int count = int(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    for (int tab = 0; tab < count; ++tab) {
        RECT place{};
        SendMessageW(tabs, TCM_GETITEMRECT, WPARAM(tab), LPARAM(&place));
        wchar_t title[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = title;
        item.cchTextMax = int(std::size(title));
        SendMessageW(tabs, TCM_GETITEMW, WPARAM(tab), LPARAM(&item));
        FillRect(dc, &place,
                 solidBrush(tab == chosen ? nightRef(ColourRole::ResultDisplay)
                                          : nightRef(ColourRole::Field)));
        frame(dc, place, tab == chosen ? nightRef(ColourRole::Text) : nightRef(ColourRole::Frame),
              1);
        SetTextColor(dc, nightRef(ColourRole::Text));
        DrawTextW(dc, title, -1, &place, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        if (tab == chosen && GetFocus() == tabs) {
            InflateRect(&place, -scaledFor(tabs, 3), -scaledFor(tabs, 3));
            frame(dc, place, nightRef(ColourRole::Focus), 1);
        }
    }
    SelectObject(dc, oldFont);
}

void paintCombo(HWND combo, HDC dc)
{
    RECT area;
    GetClientRect(combo, &area);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    GetComboBoxInfo(combo, &info);
    const bool focused = GetFocus() == combo || GetFocus() == info.hwndItem;
    FillRect(dc, &area, solidBrush(nightRef(ColourRole::Field)));
    frame(dc, area, focused ? nightRef(ColourRole::Focus) : nightRef(ColourRole::Frame), 2);
    RECT button = info.rcButton;
    FillRect(dc, &button,
             solidBrush(info.stateButton & STATE_SYSTEM_PRESSED ? nightRef(ColourRole::Frame)
                                                                : nightRef(ColourRole::Field)));
    frame(dc, button, nightRef(ColourRole::Frame), 1);
    // The arrow: a triangle pointing down.
    const int half = std::max(2, int(button.right - button.left) / 4);
    const int cx = int(button.left + button.right) / 2;
    const int cy = int(button.top + button.bottom) / 2;
    const POINT arrow[] = {
        {cx - half, cy - half / 2}, {cx + half, cy - half / 2}, {cx, cy + half / 2}};
    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(NULL_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, solidBrush(nightRef(ColourRole::Text)));
    Polygon(dc, arrow, 3);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

// The text of a box with its selection, in the colours its parent gives.
void paintEdit(HWND box, HDC dc)
{
    RECT area;
    GetClientRect(box, &area);
    const bool readOnly =
        (GetWindowLongPtrW(box, GWL_STYLE) & ES_READONLY) || !IsWindowEnabled(box);
    HGDIOBJ oldFont = SelectObject(dc, HFONT(SendMessageW(box, WM_GETFONT, 0, 0)));
    auto* brush = HBRUSH(SendMessageW(
        GetParent(box), readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT, WPARAM(dc), LPARAM(box)));
    FillRect(dc, &area, brush ? brush : solidBrush(nightRef(ColourRole::Field)));
    RECT format = area;
    SendMessageW(box, EM_GETRECT, 0, LPARAM(&format));
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(box, EM_GETSEL, WPARAM(&start), LPARAM(&end));
    const std::wstring text = windowText(box);
    const COLORREF ink = GetTextColor(dc);
    const COLORREF paper = GetBkColor(dc);
    SetBkMode(dc, OPAQUE);
    const int lines = int(SendMessageW(box, EM_GETLINECOUNT, 0, 0));
    // (A single-line box answers the first visible character instead.)
    const bool multiLine = GetWindowLongPtrW(box, GWL_STYLE) & ES_MULTILINE;
    const int top = multiLine ? int(SendMessageW(box, EM_GETFIRSTVISIBLELINE, 0, 0)) : 0;
    for (int line = top; line < lines; ++line) {
        const int first = int(SendMessageW(box, EM_LINEINDEX, WPARAM(line), 0));
        if (first < 0 || first > int(text.size())) break;
        int length = int(SendMessageW(box, EM_LINELENGTH, WPARAM(first), 0));
        length = std::min(length, int(text.size()) - first);
        const wchar_t* at = text.c_str() + first;
        // A line scrolled to its end has no place for its first character:
        // that of its last, less the width before it.
        LRESULT place = SendMessageW(box, EM_POSFROMCHAR, WPARAM(first), 0);
        int shift = 0;
        if (place == -1 && length > 0) {
            place = SendMessageW(box, EM_POSFROMCHAR, WPARAM(first + length - 1), 0);
            SIZE before{};
            GetTextExtentPoint32W(dc, at, length - 1, &before);
            shift = before.cx;
        }
        if (place == -1) continue;
        const int x = short(LOWORD(place)) - shift;
        const int y = short(HIWORD(place));
        if (y >= format.bottom) break;
        SetTextColor(dc, ink);
        SetBkColor(dc, paper);
        ExtTextOutW(dc, x, y, ETO_CLIPPED, &format, at, UINT(length), nullptr);
        // The selected part of the line, in the list's selection colours.
        const int from = std::max(int(start), first) - first;
        const int to = std::min(int(end), first + length) - first;
        if (from < to) {
            SIZE before{};
            GetTextExtentPoint32W(dc, at, from, &before);
            SetTextColor(dc, nightRef(ColourRole::SelectedText));
            SetBkColor(dc, nightRef(ColourRole::Selection));
            ExtTextOutW(dc, x + before.cx, y, ETO_CLIPPED, &format, at + from, UINT(to - from),
                        nullptr);
        }
    }
    if (text.empty() && GetFocus() != box) { // the hint of an empty box, dimmed
        wchar_t hint[64] = {};
        SendMessageW(box, EM_GETCUEBANNER, WPARAM(hint), LPARAM(std::size(hint)));
        SetTextColor(dc, nightRef(ColourRole::Disabled));
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, hint, -1, &format, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, oldFont);
}

bool inCombo(HWND control)
{
    wchar_t name[32] = {};
    GetClassNameW(GetParent(control), name, int(std::size(name)));
    return CompareStringOrdinal(name, -1, L"ComboBox", -1, TRUE) == CSTR_EQUAL;
}

void paintEdges(HWND control, bool client)
{
    if (inCombo(control)) return; // the combo box draws the frame
    // The box's own edge: two rings; a mark's thicker brighter frame; the
    // period field's double frame, two lines with the field between.
    const bool marked = GetPropW(control, kMarkProperty) != nullptr;
    const bool period = !marked && GetPropW(control, kPeriodProperty) != nullptr;
    const bool focused = GetFocus() == control;
    const COLORREF colour = marked                     ? nightRef(ColourRole::Mark)
                            : focused                  ? nightRef(ColourRole::Focus)
                            : period                   ? nightRef(ColourRole::PeriodFrame)
                            : IsWindowEnabled(control) ? nightRef(ColourRole::Frame)
                                                       : nightRef(ColourRole::Disabled);
    const int edge = (GetWindowLongPtrW(control, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) ? 2 : 1;
    const int rings = marked   ? std::max(edge + 1, scaledFor(control, kMarkWidthNight))
                      : period ? std::max(3, scaledFor(control, kPeriodFrameWidthNight))
                               : edge;
    if (client && rings <= edge) return;
    HDC dc = GetWindowDC(control);
    RECT area;
    GetWindowRect(control, &area);
    OffsetRect(&area, -area.left, -area.top);
    if (period) {
        const int line = rings / 3;
        frame(dc, area, colour, line);
        InflateRect(&area, -line, -line);
        frame(dc, area, nightRef(ColourRole::Field), rings - 2 * line);
        InflateRect(&area, line - rings + line, line - rings + line);
        frame(dc, area, colour, line);
    } else {
        frame(dc, area, colour, rings);
    }
    ReleaseDC(control, dc);
}

// The caret inverts what lies under it: through a red bitmap only red changes.
void redCaret(HWND box)
{
    TEXTMETRICW metrics{};
    HDC dc = GetDC(box);
    HGDIOBJ old = SelectObject(dc, HFONT(SendMessageW(box, WM_GETFONT, 0, 0)));
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    const int width = std::max(1, scaledFor(box, 1));
    const int height = std::max(1, int(metrics.tmHeight));
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ kept = SelectObject(memory, bitmap);
    RECT all{0, 0, width, height};
    FillRect(memory, &all, solidBrush(RGB(255, 0, 0)));
    SelectObject(memory, kept);
    DeleteDC(memory);
    ReleaseDC(box, dc);
    static std::map<HWND, HBITMAP> carets; // a caret's bitmap lives as long as it
    if (carets.count(box)) DeleteObject(carets[box]);
    carets[box] = bitmap;
    CreateCaret(box, bitmap, width, height);
    ShowCaret(box);
}

// Messages on which a button draws itself at once, not through WM_PAINT.
bool drawsAtOnce(UINT message)
{
    switch (message) {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_UPDATEUISTATE:
    case WM_CAPTURECHANGED:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK painterProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR kindData)
{
    const auto kind = Painted(kindData);
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, &painterProc, kPainterId);
        RemovePropW(control, kMarkProperty);
        RemovePropW(control, kPeriodProperty);
        return DefSubclassProc(control, message, wParam, lParam);
    }
    const bool ownPaint = kind == Painted::Button || kind == Painted::Tabs ||
                          kind == Painted::Combo || kind == Painted::Edit;
    if (ownPaint && message == WM_ERASEBKGND) return 1;
    if (ownPaint && (message == WM_PAINT || message == WM_PRINTCLIENT)) {
        PAINTSTRUCT paint{};
        HDC dc = message == WM_PAINT ? BeginPaint(control, &paint) : HDC(wParam);
        if (kind == Painted::Button) paintButton(control, dc);
        if (kind == Painted::Tabs) paintTabs(control, dc);
        if (kind == Painted::Combo) paintCombo(control, dc);
        if (kind == Painted::Edit) paintEdit(control, dc);
        if (message == WM_PAINT) EndPaint(control, &paint);
        if (kind == Painted::Edit) paintEdges(control, true);
        return 0;
    }
    if ((kind == Painted::Edit || kind == Painted::List) && message == WM_NCPAINT) {
        paintEdges(control, false);
        return 0;
    }
    if (kind == Painted::ToolTip && (message == WM_NCPAINT || message == WM_NCACTIVATE)) {
        // The system draws a tooltip's border in its own grey.
        const LRESULT result =
            message == WM_NCPAINT ? 0 : DefSubclassProc(control, message, wParam, lParam);
        paintEdges(control, false);
        return message == WM_NCPAINT ? 0 : result;
    }
    if (kind == Painted::Edit && (message == WM_SETFOCUS || message == WM_KILLFOCUS)) {
        const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
        if (message == WM_SETFOCUS) redCaret(control);
        RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
        return result;
    }
    if (kind == Painted::Button && drawsAtOnce(message) &&
        (GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE)) {
        // Drawn not at once but by the painter, after.
        DefSubclassProc(control, WM_SETREDRAW, FALSE, 0);
        const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
        DefSubclassProc(control, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control, nullptr, TRUE);
        return result;
    }
    if ((kind == Painted::Tabs || kind == Painted::Combo) &&
        (message == WM_SETFOCUS || message == WM_KILLFOCUS || message == WM_COMMAND)) {
        const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
        InvalidateRect(control, nullptr, TRUE);
        return result;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}
} // namespace

COLORREF schemeRef(ColourRole role, bool night)
{
    const SchemeEntry& entry = schemeEntry(role);
    return night ? RGB(entry.night, 0, 0) : RGB(entry.day.red, entry.day.green, entry.day.blue);
}

HBRUSH solidBrush(COLORREF colour)
{
    static std::map<COLORREF, HBRUSH> brushes;
    HBRUSH& brush = brushes[colour];
    if (!brush) brush = CreateSolidBrush(colour);
    return brush;
}

void fillNightBackground(HWND window, HDC dc)
{
    RECT area;
    GetClientRect(window, &area);
    FillRect(dc, &area, solidBrush(nightRef(ColourRole::Window)));
}

BYTE fontQuality(bool night)
{
    return night ? ANTIALIASED_QUALITY : CLEARTYPE_QUALITY;
}

void paintAtNight(HWND control, bool night)
{
    if (!control) return;
    const Painted kind = paintedKind(control);
    if (night) {
        SetWindowTheme(control, L"", L"");
        if (kind != Painted::Other)
            SetWindowSubclass(control, &painterProc, kPainterId, DWORD_PTR(kind));
    } else {
        RemoveWindowSubclass(control, &painterProc, kPainterId);
        SetWindowTheme(control, nullptr, nullptr);
    }
    if (kind == Painted::ToolTip) {
        SendMessageW(control, TTM_SETTIPBKCOLOR,
                     night ? nightRef(ColourRole::Field) : GetSysColor(COLOR_INFOBK), 0);
        SendMessageW(control, TTM_SETTIPTEXTCOLOR,
                     night ? nightRef(ColourRole::Text) : GetSysColor(COLOR_INFOTEXT), 0);
    }
    SetWindowPos(control, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE);
}

void paintAllAtNight(HWND window, HWND toolTips, bool night)
{
    EnumChildWindows(
        window,
        [](HWND child, LPARAM at) {
            paintAtNight(child, at != 0);
            return TRUE;
        },
        night);
    paintAtNight(toolTips, night);
}

void setNightMark(HWND box, bool marked)
{
    if (marked)
        SetPropW(box, kMarkProperty, HANDLE(1));
    else
        RemovePropW(box, kMarkProperty);
}

void setNightPeriodField(HWND box)
{
    SetPropW(box, kPeriodProperty, HANDLE(1));
}

LRESULT nightControlColour(UINT message, HDC dc, HWND control)
{
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const bool box = paintedKind(control) == Painted::Edit;
    COLORREF paper = nightRef(ColourRole::Window);
    SetTextColor(dc, IsWindowEnabled(control) ? nightRef(ColourRole::Text)
                                              : nightRef(ColourRole::Disabled));
    if (box && IsWindowEnabled(control))
        paper = (style & ES_READONLY) ? nightRef(ColourRole::ReadOnlyField)
                                      : nightRef(ColourRole::Field);
    else if (message == WM_CTLCOLORLISTBOX || message == WM_CTLCOLOREDIT)
        paper = nightRef(ColourRole::Field);
    SetBkColor(dc, paper);
    return LRESULT(solidBrush(paper));
}

void drawNightItem(const DRAWITEMSTRUCT& item)
{
    RECT area = item.rcItem;
    const bool selected = item.itemState & ODS_SELECTED;
    FillRect(item.hDC, &area,
             solidBrush(selected ? nightRef(ColourRole::Selection) : nightRef(ColourRole::Field)));
    if (item.itemID != UINT(-1)) {
        const bool combo = item.CtlType == ODT_COMBOBOX;
        const UINT length = UINT(
            SendMessageW(item.hwndItem, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, item.itemID, 0));
        std::vector<wchar_t> text(length + 1, L'\0');
        SendMessageW(item.hwndItem, combo ? CB_GETLBTEXT : LB_GETTEXT, item.itemID,
                     LPARAM(text.data()));
        SetBkMode(item.hDC, TRANSPARENT);
        SetTextColor(item.hDC,
                     selected ? nightRef(ColourRole::SelectedText) : nightRef(ColourRole::Text));
        RECT line = area;
        line.left += 2;
        DrawTextW(item.hDC, text.data(), int(length), &line,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
    }
    if (item.itemState & ODS_FOCUS) frame(item.hDC, area, nightRef(ColourRole::Focus), 1);
}

} // namespace korval
