#pragma once
// The night look where the system's controls would draw in the system's
// colours: buttons, check boxes, radio buttons, group boxes, tabs, combo boxes,
// the boxes' text, selection, caret and edges, owner-drawn list lines. Used by
// the window, the mount dialog and the night message window alike; by day
// nothing of it is installed, and the controls draw as they always did.

#include <windows.h>

#include <string>

namespace korval
{

// A solid brush of that colour, kept for the program's life.
HBRUSH nightBrush(COLORREF colour);
// A window's client area in the night background, for its WM_ERASEBKGND.
void fillNightBackground(HWND window, HDC dc);
// The fonts' smoothing: in grey levels by night (sub-pixel smoothing would
// put green and blue at the letters' edges).
BYTE fontQuality(bool night);
// Installs (true) or removes (false) the night painter on one control; the
// visual styles, which ignore the colours asked of the parent, go with it.
void paintAtNight(HWND control, bool night);
// Whether the painter frames a box as marked (brighter and thicker).
void setNightMark(HWND box, bool marked);
// The colours of labels, boxes and lists by night, for WM_CTLCOLOR*: the
// parent's own answer for what has a look of its own comes first.
LRESULT nightControlColour(UINT message, HDC dc, HWND control);
// A line of an owner-drawn list or combo box by night.
void drawNightItem(const DRAWITEMSTRUCT& item);
// The same font with grey smoothing: the caller deletes it.
HFONT nightCopy(HFONT font);

} // namespace korval
