#pragma once
// The night look's levels of red, on 0-255, in one place: by night every pixel
// the tool draws has green and blue at 0, for only red light keeps the eye
// adapted to the dark at the telescope.

#include <windows.h>

namespace korval::night
{
constexpr COLORREF kBackground = RGB(0, 0, 0);     // windows, labels, group boxes
constexpr COLORREF kField = RGB(40, 0, 0);         // typeable boxes, buttons, the lists
constexpr COLORREF kReadOnlyField = RGB(20, 0, 0); // boxes that show without taking keys
constexpr COLORREF kDisplay = RGB(75, 0, 0);       // the result displays (grey by day)
constexpr COLORREF kDisplayText = RGB(255, 0, 0);  // their text (yellow by day)
constexpr COLORREF kPeriodField = RGB(200, 0, 0);  // the period field (lime by day)
constexpr COLORREF kPeriodText = RGB(0, 0, 0);     // black on it, as on lime by day
constexpr COLORREF kFrame = RGB(110, 0, 0);        // borders, group frames, tabs
constexpr COLORREF kText = RGB(200, 0, 0);
constexpr COLORREF kDisabled = RGB(70, 0, 0);   // text and frames of what is disabled
constexpr COLORREF kFocus = RGB(200, 0, 0);     // the keyboard focus's frame
constexpr COLORREF kMark = RGB(255, 0, 0);      // a box whose stored value differs
constexpr COLORREF kSelection = RGB(160, 0, 0); // selected line or text, under kBackground text
// A mark's frame is thicker than the others (2 pixels by day), at 96 DPI.
constexpr int kMarkWidth = 3;
} // namespace korval::night
