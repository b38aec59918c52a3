#include "mount_table.h"

#include "config/number_text.h"

#include <cctype>

namespace korval
{

const std::vector<MountModel>& mountModels()
{
    // totalSteps = motorSteps x reduction x teeth x microsteps, as each source gives it.
    // clang-format off
    static const std::vector<MountModel> models = {
        // TCWORLD/AstroEQ, AstroEQ-ConfigUtility/mounts/EQ3-2-Skywatcher-Type1.conf:
        // RA 2 995 200 = 48 x 120 x 130 x 4 (Dec: 65 teeth, reduction 80).
        {"Sky-Watcher EQ3-2", "EQ3-2", {"eq3", "eq3-2 skywatcher"},
         130, 48, {120, 1}, 2995200, 4,
         "AstroEQ, AstroEQ-ConfigUtility/mounts/EQ3-2-Skywatcher-Type1.conf : "
         "2 995 200 = 48 x 120 x 130 x 4 micropas"},
        // Same repository, EQ5-Skywatcher.conf: 3 317 760 = 48 x 120 x 144 x 4.
        {"Sky-Watcher EQ5", "EQ5", {"eq5 skywatcher"},
         144, 48, {120, 1}, 3317760, 4,
         "AstroEQ, AstroEQ-ConfigUtility/mounts/EQ5-Skywatcher.conf : "
         "3 317 760 = 48 x 120 x 144 x 4 micropas"},
        // Same repository, HEQ5-Syntrek.conf: 4 512 000 = 200 x 47/9 x 135 x 32.
        {"Sky-Watcher HEQ5 (SynTrek/SynScan)", "HEQ5", {"heq5 syntrek", "heq5 synscan", "heq5pro"},
         135, 200, {47, 9}, 4512000, 32,
         "AstroEQ, AstroEQ-ConfigUtility/mounts/HEQ5-Syntrek.conf : "
         "4 512 000 = 200 x 47/9 x 135 x 32 micropas"},
        // Same repository, EQ6-Synscan.conf: 4 512 000 = 200 x 47/12 x 180 x 32.
        {"Sky-Watcher EQ6 (SynScan)", "EQ6", {"neq6", "eq6 synscan", "neq6 pro"},
         180, 200, {47, 12}, 4512000, 32,
         "AstroEQ, AstroEQ-ConfigUtility/mounts/EQ6-Synscan.conf : "
         "4 512 000 = 200 x 47/12 x 180 x 32 micropas"},
        // PKAstro/Gemini-2, hc/En-default_setting.php; PHD2's worm periods: 239.34 s
        // (86 164.09 / 360 = 239.35).
        {"Losmandy G11", "G11", {"losmandy g11"},
         360, 0, {1, 1}, 0, 0,
         "réglages par défaut du contrôleur Gemini-2 (PKAstro/Gemini-2, "
         "hc/En-default_setting.php) ; période de vis 239.34 s dans la table de PHD2"},
        // Same Gemini-2 page; PHD2's worm periods: 479 s (86 164.09 / 180 = 478.69).
        {"Losmandy GM8 / G8", "GM8", {"g8", "losmandy gm8", "losmandy g8"},
         180, 0, {1, 1}, 0, 0,
         "même page du Gemini-2 (PKAstro/Gemini-2, hc/En-default_setting.php) ; "
         "période de vis 479 s dans la table de PHD2"},
        // bedair.org's LXD55 notes: 144 teeth on both axes.
        {"Meade LXD55", "LXD55", {"lxd-55", "meade lxd55"},
         144, 0, {1, 1}, 0, 0,
         "notes LXD55 de bedair.org (144 dents sur les deux axes)"},
    };
    // clang-format on
    return models;
}

const char* freeMountEntry()
{
    return "Autre (saisie libre)";
}

namespace
{
// Lower case, accents off, only letters and digits: "Sky-Watcher EQ3-2" -> "skywatchereq32".
std::string key(const std::string& name)
{
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c == 0xC3 && i + 1 < name.size()) { // Latin-1 letters in UTF-8
            const auto next = static_cast<unsigned char>(name[++i]) & 0xDF; // capital's code
            if (next >= 0x80 && next <= 0x86)
                out += 'a';
            else if (next == 0x87)
                out += 'c';
            else if (next >= 0x88 && next <= 0x8B)
                out += 'e';
            else if (next >= 0x8C && next <= 0x8F)
                out += 'i';
            else if (next >= 0x92 && next <= 0x96)
                out += 'o';
            else if (next >= 0x99 && next <= 0x9C)
                out += 'u';
        } else if (std::isalnum(c)) {
            out += char(std::tolower(c));
        }
    }
    return out;
}

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool hasMotor(const MountModel& model)
{
    return model.motorSteps != 0;
}
} // namespace

const MountModel* findMountModel(const std::string& name)
{
    const std::string wanted = key(name);
    if (wanted.empty()) return nullptr;
    for (const MountModel& model : mountModels()) {
        if (key(model.name) == wanted || key(model.shortName) == wanted) return &model;
        for (const char* alias : model.aliases)
            if (key(alias) == wanted) return &model;
    }
    return nullptr;
}

std::string mountModelNames()
{
    std::string names;
    for (const MountModel& model : mountModels())
        names += (names.empty() ? "" : ", ") + std::string(model.shortName);
    return names;
}

MountTexts filledByModel(const MountModel& model, MountTexts texts)
{
    texts.teeth = std::to_string(model.teeth);
    if (hasMotor(model)) {
        texts.motorSteps = std::to_string(model.motorSteps);
        texts.reduction = fractionText(model.reduction);
    }
    return texts;
}

bool holdsModel(const MountModel& model, const MountTexts& texts)
{
    const MountTexts filled = filledByModel(model, texts);
    return trimmed(texts.teeth) == filled.teeth &&
           trimmed(texts.motorSteps) == trimmed(filled.motorSteps) &&
           trimmed(texts.reduction) == trimmed(filled.reduction);
}

std::vector<std::string> mountListEntries()
{
    std::vector<std::string> entries{freeMountEntry()};
    for (const MountModel& model : mountModels())
        entries.emplace_back(model.name);
    return entries;
}

namespace
{
std::string numbers(const MountModel& model)
{
    std::string text = std::to_string(model.teeth) + " dents";
    if (hasMotor(model))
        text += ", moteur " + std::to_string(model.motorSteps) + " pas, réduction " +
                fractionText(model.reduction);
    else
        text += ", moteur et réduction non publiés";
    return text;
}
} // namespace

std::string mountListHelp(int choice)
{
    const auto& models = mountModels();
    if (choice <= 0 || choice > int(models.size()))
        return "Une monture courante remplit ses dents, et son moteur et sa réduction d'origine "
               "quand ils sont publiés ; « " +
               std::string(freeMountEntry()) + " » ne change rien.";
    const MountModel& model = models[std::size_t(choice - 1)];
    return std::string(model.name) + " : " + numbers(model) + ". Source : " + model.source + ".";
}

int mountListChoice(int choice, const MountTexts& texts)
{
    const auto& models = mountModels();
    if (choice <= 0 || choice > int(models.size())) return 0;
    return holdsModel(models[std::size_t(choice - 1)], texts) ? choice : 0;
}

std::string mountTableText()
{
    std::string text;
    for (const MountModel& model : mountModels())
        text += formatLong("%-6s %s : %s\n       source : %s\n", model.shortName, model.name,
                           numbers(model).c_str(), model.source);
    return text;
}

} // namespace korval
