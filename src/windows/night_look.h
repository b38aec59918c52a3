#pragma once
// The night look where the system's controls would draw in the system's
// colours: buttons, check boxes, radio buttons, group boxes, tabs, combo boxes,
// the boxes' text, selection, caret and edges, owner-drawn list lines, the
// tooltips' frame. Used by the window, the mount dialog and the night message
// window alike; by day nothing of it is installed, and the controls draw as
// they always did. Its levels are the scheme's (form/colour_scheme.h).

#include "form/colour_scheme.h"

#include <windows.h>

namespace korval
{

// The scheme's colour of a role as GDI takes it: by night its level of red,
// by day its colour. (By day the window asks only for its own looks: where
// the scheme leaves a role to the system, the controls draw it themselves.)
COLORREF schemeRef(ColourRole role, bool night);
inline COLORREF nightRef(ColourRole role)
{
    return schemeRef(role, true);
}

// A solid brush of that colour, kept for the program's life.
HBRUSH solidBrush(COLORREF colour);
// A window's client area in the night background, for its WM_ERASEBKGND.
void fillNightBackground(HWND window, HDC dc);
// The fonts' smoothing: in grey levels by night (sub-pixel smoothing would
// put green and blue at the letters' edges).
BYTE fontQuality(bool night);
// Installs (true) or removes (false) the night painter on one control; the
// visual styles, which ignore the colours asked of the parent, go with it. A
// tooltip takes the night's colours, or the system's back by day.
void paintAtNight(HWND control, bool night);
// The same on every child of `window` and on its tooltips' window.
void paintAllAtNight(HWND window, HWND toolTips, bool night);
// Whether the painter frames a box as marked (brighter and thicker).
void setNightMark(HWND box, bool marked);
// The painter frames this box as the period field: a double frame.
void setNightPeriodField(HWND box);
// The colours of labels, boxes and lists by night, for WM_CTLCOLOR*: the
// parent's own answer for what has a look of its own comes first.
LRESULT nightControlColour(UINT message, HDC dc, HWND control);
// A line of an owner-drawn list or combo box by night.
void drawNightItem(const DRAWITEMSTRUCT& item);

} // namespace korval
