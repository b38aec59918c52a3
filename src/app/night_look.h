#pragma once
// The night look: every window the program draws in pure red on black (green
// and blue stay 0), so that a glance at the screen beside the telescope keeps
// the eye adapted to the dark. It applies to the whole application at once:
// palette, style sheet, tooltips, the icons of the style and of the file
// dialog, and text smoothed in grey levels only. The day look comes back
// exactly as it was.

#include <QColor>

#include <functional>

class QFileDialog;
class QWidget;

// The few levels of red (0-255) the night look draws with.
namespace nightred
{
constexpr int kWindow = 0;   // window and dialog backgrounds, result displays
constexpr int kField = 40;   // boxes, lists, buttons, tooltips
constexpr int kFrame = 110;  // frames, scroll handles, text of disabled controls
constexpr int kPeriod = 200; // the double frame of the period field (lime by day)
constexpr int kText = 255;   // text, the focus frame
// The selected line, and the palette's highlight, which the style shades up
// to 124 % lighter: above 205 that would take saturation away, and add green
// and blue.
constexpr int kHighlight = 200;
// The frame of a box whose stored value differs: brighter and thicker than
// the 1-pixel frames of the others.
constexpr int kMark = 255;
constexpr int kMarkWidth = 3;
} // namespace nightred

// The colour of a level of red.
inline QColor nightRed(int level)
{
    return QColor(level, 0, 0);
}

// Switches the whole application to the night look or back to the day look.
// Needs a QApplication; widgets created later follow on their own.
void setNightLook(bool night);
bool nightLookOn();

// Ctrl+N in `window` and in every dialog it owns, the modal ones included
// (where a shortcut of the window would be blocked), runs `toggle`.
void installNightKey(QWidget& window, std::function<void()> toggle);

// The look the user chose last, kept between starts (QSettings, organisation
// "korvalset24").
bool rememberedNightLook();
void rememberNightLook(bool night);

// By night the file dialog is Qt's own, which the night look reaches, with its
// icons in red; by day it is left as it is.
void prepareFileDialog(QFileDialog& dialog);
