#include "form/colour_scheme.h"

namespace korval
{

const std::vector<SchemeEntry>& colourScheme()
{
    // By night: text at 255 keeps 4.8:1 on the fields' 40 (4.5:1 is the
    // floor for text); the selection at 200, for a style that shades it up
    // to 124 % lighter would go past 255 and lose its saturation above 205.
    // clang-format off
    static const std::vector<SchemeEntry> scheme = {
        {ColourRole::Window,        "fond",      {240, 240, 240}, true,    0},
        {ColourRole::Field,         "champ",     {255, 255, 255}, true,   40},
        {ColourRole::ReadOnlyField, "lecture",   {240, 240, 240}, true,    0},
        {ColourRole::ResultDisplay, "resultat",  {128, 128, 128}, false,   0},
        {ColourRole::ResultText,    "resultat-texte", {255, 255, 0}, false, 255},
        {ColourRole::PeriodField,   "periode",   {0, 255, 0},     false,  40},
        {ColourRole::PeriodText,    "periode-texte", {0, 0, 0},   false, 255},
        {ColourRole::PeriodFrame,   "periode-cadre", {100, 100, 100}, true, 200},
        {ColourRole::Frame,         "cadre",     {100, 100, 100}, true,  110},
        {ColourRole::Text,          "texte",     {0, 0, 0},       true,  255},
        {ColourRole::Disabled,      "inactif",   {109, 109, 109}, true,  110},
        {ColourRole::Selection,     "selection", {0, 120, 215},   true,  200},
        {ColourRole::SelectedText,  "selection-texte", {255, 255, 255}, true, 0},
        {ColourRole::Focus,         "focus",     {0, 120, 215},   true,  255},
        {ColourRole::Mark,          "marque",    {220, 0, 0},     false, 255},
    };
    // clang-format on
    return scheme;
}

const SchemeEntry& schemeEntry(ColourRole role)
{
    return colourScheme()[static_cast<std::size_t>(role)];
}

Rgb dayColour(ColourRole role)
{
    return schemeEntry(role).day;
}

Rgb nightColour(ColourRole role)
{
    return {schemeEntry(role).night, 0, 0};
}

} // namespace korval
