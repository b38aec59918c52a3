#pragma once
// The day and night looks, mapped from the one scheme of colours. By night
// every window the program draws is pure red on black (green and blue stay 0),
// so that a glance at the screen beside the telescope keeps the eye adapted to
// the dark. It applies to the whole application at once: palette, style sheet,
// tooltips, the icons of the style and of the file dialog, and text smoothed
// in grey levels only. The day look comes back exactly as it was.

#include "form/colour_scheme.h"
#include "form/form_controls.h"

#include <QColor>

#include <functional>

class QFileDialog;
class QWidget;

// The colour of a role of the scheme (src/form/colour_scheme.h) in a look.
QColor lookColour(korval::ColourRole role, bool night);

// The dynamic property holding a control's look role (the form builder sets
// it from the table's ControlLook), absent on a plain control; its value for
// each look, nullptr for ControlLook::Plain.
inline const char* const kLookProperty = "korvalLook";
const char* lookRoleName(korval::ControlLook look);

// The day colours of a control's look role in its own palette, in every
// state; nothing for a role without colours. Every other widget keeps the
// system's look by day, and the night's style sheet wins over these.
void colourLookRole(QWidget& widget, korval::ControlLook look);

// Puts the current look's style sheet on the application, for a window made
// before any switch: the night's, or none by day.
void useLookStyleSheet();

// Switches the whole application to the night look or back to the day look.
// Needs a QApplication; widgets created later follow on their own.
void setNightLook(bool night);
bool nightLookOn();

// Ctrl+N or Alt+N in `window` and in every dialog it owns, the modal ones
// included (where a shortcut of the window would be blocked), runs `toggle`:
// once for a key held down (korval::nightKeySwitches).
void installNightKey(QWidget& window, std::function<void()> toggle);

// The look the user chose last, kept between starts (QSettings, organisation
// "korvalset24").
bool rememberedNightLook();
void rememberNightLook(bool night);

// By night the file dialog is Qt's own, which the night look reaches, with its
// icons in red; by day it is left as it is.
void prepareFileDialog(QFileDialog& dialog);
