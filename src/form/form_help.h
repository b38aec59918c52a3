#pragma once
// The help of each control, its meaning, unit and what its field can hold, as
// the window's tooltips and accessible descriptions give it, and its name for
// screen readers.

#include <string>
#include <unordered_map>

namespace korval
{

// By control name; controls without help are absent.
std::unordered_map<std::string, std::string> formHelpTexts();

// What a screen reader says of a control: its French name, made from the
// captions of its row and column ("V2 (Guide) AD", "X V1 De"), and its
// description, the help above. Every front end takes both from here.
struct AccessibleText {
    std::string name;
    std::string description;
};

// The tool buttons every window adds beside the form's own controls.
inline const char* const kMountButtonName = "ButtonMonture";
inline const char* const kCompareButtonName = "ButtonComparer";
inline const char* const kBoardButtonName = "ButtonCarte";
inline const char* const kNightButtonName = "ButtonNuit"; // its caption is its name

// A tool button's help, by its name; `withKey`: with the key that reaches it
// in the windows ("(Alt+C)"), which the page does not have.
std::string toolButtonHelp(const std::string& name, bool withKey);

// By control name: every control of formControls() but the labels, and the
// tool buttons.
std::unordered_map<std::string, AccessibleText> accessibleTexts();

// A caption as read aloud: blanks trimmed and runs of blanks made one.
std::string simplifiedCaption(const std::string& text);

} // namespace korval
