#pragma once
// The help of each control, its meaning, unit and what its field can hold, as
// the window's tooltips and accessible descriptions give it.

#include <string>
#include <unordered_map>

namespace korval
{

// By control name; controls without help are absent.
std::unordered_map<std::string, std::string> formHelpTexts();

// A caption as read aloud: blanks trimmed and runs of blanks made one.
std::string simplifiedCaption(const std::string& text);

} // namespace korval
