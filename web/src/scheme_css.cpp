// Writes the page's scheme.css from the tool's colour scheme, at build time:
// every role's custom property by day (--<name>) and by night (--nuit-<name>,
// under the root's data-nuit), and the widths of the frames. The page links
// it before app.css, so its first frame is painted right by day or by night
// before the module loads.

#include "form/colour_scheme.h"

#include <cstdio>
#include <string>

namespace
{

std::string rgb(korval::Rgb colour)
{
    return "rgb(" + std::to_string(colour.red) + ", " + std::to_string(colour.green) + ", " +
           std::to_string(colour.blue) + ")";
}

std::string px(int width)
{
    return std::to_string(width) + "px";
}

std::string schemeCss()
{
    using namespace korval;
    std::string day = ":root {\n";
    std::string night = ":root[data-nuit] {\n";
    for (const SchemeEntry& entry : colourScheme()) {
        day += "  --" + std::string(entry.name) + ": " + rgb(dayColour(entry.role)) + ";\n";
        night +=
            "  --nuit-" + std::string(entry.name) + ": " + rgb(nightColour(entry.role)) + ";\n";
    }
    day += "  --marque-largeur: " + px(kMarkWidthDay) + ";\n}\n";
    night += "  --nuit-marque-largeur: " + px(kMarkWidthNight) + ";\n";
    night += "  --nuit-periode-cadre-largeur: " + px(kPeriodFrameWidthNight) + ";\n}\n";
    return "/* The tool's colours, written at build time from its colour scheme. */\n" + day +
           night;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scheme_css FICHIER.css\n");
        return 2;
    }
    // Written beside, then renamed: a failed build leaves no half-written sheet.
    const std::string path = argv[1];
    const std::string part = path + ".part";
    const std::string css = schemeCss();
    std::FILE* out = std::fopen(part.c_str(), "wb");
    bool written = out && std::fwrite(css.data(), 1, css.size(), out) == css.size();
    if (out && std::fclose(out) != 0) written = false;
    if (!written || std::rename(part.c_str(), path.c_str()) != 0) {
        std::remove(part.c_str());
        std::fprintf(stderr, "Impossible d'écrire la feuille de couleurs « %s ».\n", path.c_str());
        return 1;
    }
    return 0;
}
