#pragma once
// The French name a screen reader gives each control, built from the
// window's own captions: "V2 (Guide) AD", "X V1 De", "Rattrapage de jeu AD".

#include <string>
#include <unordered_map>

namespace korval
{
// By control name; labels are absent (their text is their name).
std::unordered_map<std::string, std::string> accessibleNames();
} // namespace korval
