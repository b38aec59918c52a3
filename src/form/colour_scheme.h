#pragma once
// The tool's one scheme of colours: for every role a control or a window part
// plays, its colour by day and its level of red by night. The Qt window and
// the Windows window map it to their toolkits; the page's CSS custom
// properties are generated from it at build time. By night every colour is
// (level, 0, 0): only red light keeps the eye adapted to the dark.

#include <cstdint>
#include <vector>

namespace korval
{

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(Rgb a, Rgb b)
    {
        return a.red == b.red && a.green == b.green && a.blue == b.blue;
    }
};

enum class ColourRole {
    Window,        // windows, dialogs, labels, group boxes
    Field,         // typeable boxes, lists, buttons, tooltips
    ReadOnlyField, // boxes that show without taking keys
    ResultDisplay, // the result displays (clGray by day)
    ResultText,    // their text (clYellow by day)
    PeriodField,   // the period field's background (clLime by day)
    PeriodText,    // its text
    PeriodFrame,   // its frame (by night the field is told apart by it)
    Frame,         // borders, group frames, tabs, scroll bars
    Text,          // text, captions
    Disabled,      // text and frames of what is disabled
    Selection,     // a selected line or text
    SelectedText,  // the text on it
    Focus,         // the keyboard focus's frame
    Mark,          // the frame of a box whose stored value differs
};

struct SchemeEntry {
    ColourRole role;
    const char* name; // the page's custom property: --<name> by day, --nuit-<name> by night
    Rgb day;
    // By day the native windows keep the system's own colour for this role
    // (button face, window text, highlight...); the page, which has no
    // system look, uses `day`.
    bool dayIsSystem;
    std::uint8_t night; // the level of red
};

// Every role once, in ColourRole's order.
const std::vector<SchemeEntry>& colourScheme();

const SchemeEntry& schemeEntry(ColourRole role);
Rgb dayColour(ColourRole role);
Rgb nightColour(ColourRole role); // (level, 0, 0)
inline Rgb schemeColour(ColourRole role, bool night)
{
    return night ? nightColour(role) : dayColour(role);
}

// The width in layout pixels of the stored-value mark's frame, and of the
// period field's frame by night; the other frames are one pixel wide.
constexpr int kMarkWidthDay = 2;
constexpr int kMarkWidthNight = 3;
constexpr int kPeriodFrameWidthNight = 3;

} // namespace korval
