#include "form/form_help.h"

#include "config/config_record.h"
#include "form/form_controls.h"
#include "form/form_model.h"

#include <cstring>
#include <stdexcept>
#include <utility>

namespace korval
{

namespace
{
const ControlInfo& info(const char* name)
{
    for (const ControlInfo& c : formControls())
        if (std::strcmp(c.name, name) == 0) return c;
    throw std::out_of_range(name);
}

std::string caption(const char* label)
{
    return simplifiedCaption(info(label).text);
}

// The row caption of level n in the speed-level group: "V2 (Guide)", or the
// bare level where the group has none (V3).
std::string rowCaption(const char* group, int level)
{
    const std::string row = "V" + std::to_string(level);
    for (const ControlInfo& c : formControls()) {
        if (c.kind != ControlKind::Label || std::strcmp(c.parent, group) != 0) continue;
        const std::string text = c.text;
        if (text.compare(0, row.size(), row) == 0 &&
            (text.size() == row.size() || text[row.size()] == ' '))
            return simplifiedCaption(text);
    }
    return row;
}

const char* const kReadOnly = " Lecture seule.";

std::string integerRange(int bits)
{
    const std::string b = std::to_string(bits);
    const char* max = bits == 8 ? "255" : bits == 16 ? "65535" : "4294967295";
    return "Nombre entier sur " + b + " bits, de 0 à " + max +
           " ; un nombre plus grand ou négatif est enregistré tronqué à " + b + " bits.";
}
} // namespace

std::string simplifiedCaption(const std::string& text)
{
    std::string out;
    bool blank = false;
    for (char c : text) {
        if (c == ' ' || (c >= '\t' && c <= '\r')) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += ' ';
        blank = false;
        out += c;
    }
    return out;
}

std::unordered_map<std::string, std::string> formHelpTexts()
{
    std::unordered_map<std::string, std::string> help;
    const std::string axisCaption[] = {caption("Label10"), caption("Label11"), caption("Label12")};
    const auto axisIndex = [](Axis axis) {
        return axis == Axis::AD ? 0 : axis == Axis::De ? 1 : 2;
    };

    help["EditFrequenceQuartz"] =
        "Fréquence du quartz du contrôleur, en hertz. " + integerRange(32) +
        " Une nouvelle fréquence efface la période IT : relancez la recherche.";
    help["EditDureeTour"] = "Durée d'un tour de la vis sans fin AD, en secondes. Nombre à virgule "
                            "sur 32 bits, avec un point décimal (598.361816).";
    help["EditPasParTour"] = "Nombre de pas moteur par tour de vis AD. " + integerRange(32);
    help["EditTranchePec"] =
        "Nombre de tranches de la correction d'erreur périodique (PEC), moins un. " +
        integerRange(8);
    help["EditPasParTranche"] = "Nombre de pas moteur par tranche PEC. " + integerRange(16);
    help["EditPeriodeTimer"] = "Période de l'interruption du timer, en nanosecondes. " +
                               integerRange(32) +
                               " Un clic, F4 ou Alt+Bas ouvre la liste des périodes proposées "
                               "(Entrée applique, Échap ferme).";
    help["EditPerPas"] = std::string("Temps d'un pas moteur, en millisecondes : durée d'un tour "
                                     "de vis AD divisée par le nombre de pas par tour.") +
                         kReadOnly;
    help["EditErreur"] = std::string("Erreur relative du temps par pas de la période appliquée "
                                     "depuis la liste (sans unité), lue sur sa ligne.") +
                         kReadOnly;
    help["EditVmax"] = std::string("Nombre d'interruptions par pas de la période appliquée depuis "
                                   "la liste, écrit aussi dans V1 AD et V1 De.") +
                       kReadOnly;
    help["EditPeriodeMax"] =
        std::string("Durée de 255 périodes IT, en millisecondes : période IT appliquée × 255.") +
        kReadOnly;

    for (int level = 1; level <= kLevelCount; ++level) {
        const std::string row = rowCaption("GroupBox1", level);
        for (Axis axis : {Axis::AD, Axis::De}) {
            const std::string where = row + ' ' + axisCaption[axisIndex(axis)];
            const std::string v1 = rowCaption("GroupBox1", 1) + ' ' + axisCaption[axisIndex(axis)];
            const std::string edit = FormModel::levelEditName(axis, level);
            if (axis == Axis::De && level == 3) {
                // The De slot V3 holds the acceleration time, in its own group.
                help[edit] = "Temps d'accélération, en secondes entières. " + integerRange(8);
            } else {
                help[edit] = "Vitesse " + where +
                             " : nombre d'interruptions du timer entre deux pas moteur, de 0 à "
                             "127. Le bit 7 (128) est le drapeau demi-pas, donné par la case 1/2 "
                             "; un nombre de 128 ou plus le met lui-même, un nombre au-delà de "
                             "255 ou négatif est tronqué à 8 bits.";
            }
            help[FormModel::halfStepName(axis, level)] =
                "Demi-pas de " + where +
                " : cochée, le bit 7 de l'octet de la vitesse est mis ; un demi-pas vaut huit pas "
                "simples dans les rapports X.";
            help[FormModel::ratioName(axis, level)] =
                "Rapport X de " + where + " : sa vitesse en multiple de celle de " + v1 +
                ", calculé de leurs nombres d'interruptions et de leurs cases demi-pas." +
                kReadOnly;
        }
        const std::string focuser = row + ' ' + axisCaption[2];
        help[FormModel::levelEditName(Axis::Foc, level)] =
            "Vitesse " + focuser +
            " du focuser : nombre d'interruptions du timer entre deux pas moteur, de 0 à 255 ; un "
            "nombre plus grand est ramené à 255, un nombre négatif est tronqué à 8 bits.";
        help[FormModel::msName(level)] =
            "Intervalle entre deux pas de " + focuser +
            ", en millisecondes : son nombre d'interruptions × la période IT au moment où il a "
            "été saisi." +
            kReadOnly;
    }

    for (Axis axis : {Axis::AD, Axis::De}) {
        const std::string name = caption("Label13") + ' ' + axisCaption[axisIndex(axis)];
        help[axis == Axis::AD ? "EditJeuAD" : "EditJeuDe"] =
            name + " : pas moteur qui rattrapent le jeu à chaque changement de sens. " +
            integerRange(16);
    }
    help["EditMaintienFoc"] =
        "Durée de maintien du focuser, en millisecondes, avec un point décimal. Enregistrée en "
        "nombre de périodes IT (de 0 à 255) à la période IT du moment ; au-delà de 255 seuls les "
        "8 bits bas restent.";
    for (int entry = 0; entry < kPwmCount; ++entry)
        help[FormModel::pwmName(entry)] =
            "Entrée " + std::to_string(entry) + " de la table PWM des moteurs. " + integerRange(8);

    help["ListBoxValeurTimer"] =
        "Périodes IT proposées, la plus juste d'abord : période (ns), erreur relative, tics par "
        "interruption X interruptions par pas. Entrée ou double-clic applique la ligne, Échap "
        "ferme la liste.";
    return help;
}

std::string toolButtonHelp(const std::string& name, bool withKey)
{
    // The key stands where the sentence reads best.
    struct Help {
        const char* name;
        const char* before;
        const char* key;
        const char* after;
    };
    static const Help helps[] = {
        {kMountButtonName,
         "Assistant de monture : DureeTour et PasParTour depuis les dents de la roue, les pas du "
         "moteur et la réduction",
         "Alt+M", "."},
        {kCompareButtonName,
         "Compare les valeurs de la fenêtre avec un fichier .kv2 ou une image HEX de la carte",
         "Alt+C", " ; la fenêtre ne change pas."},
        {kBoardButtonName,
         "La carte : l'image complète pour un programmateur (le micrologiciel choisi avec la table "
         "de la fenêtre en 0x7C00), puis la carte programmée par votre commande et relue",
         "Alt+A", "."},
        {kNightButtonName,
         "Mode nuit : toutes les fenêtres du programme en rouge sur noir, pour garder la vision "
         "nocturne à l'oculaire ; un second appui revient à l'aspect de jour",
         "Ctrl+N", "."},
    };
    for (const Help& help : helps)
        if (name == help.name)
            return std::string(help.before) + (withKey ? std::string(" (") + help.key + ")" : "") +
                   help.after;
    throw std::out_of_range(name);
}

std::unordered_map<std::string, AccessibleText> accessibleTexts()
{
    std::unordered_map<std::string, std::string> names;
    // The caption beside each box.
    const std::pair<const char*, const char*> besideCaption[] = {
        {"EditFrequenceQuartz", "Label22"}, {"EditDureeTour", "Label23"},
        {"EditPasParTour", "Label24"},      {"EditTranchePec", "Label25"},
        {"EditPasParTranche", "Label26"},   {"EditPeriodeTimer", "Label33"},
        {"EditErreur", "Label35"},          {"EditVmax", "Label34"},
        {"EditPeriodeMax", "Label36"}};
    for (const auto& [edit, label] : besideCaption)
        names[edit] = caption(label);
    names["EditPerPas"] = "Temps par pas (ms)"; // its captions "à" and "ms" say nothing alone

    const std::string axisCaption[] = {caption("Label10"), caption("Label11"), caption("Label12")};
    const std::string ratioColumn = caption("Label27"); // "X"
    const std::string msColumn = caption("Label29");    // "ms"
    for (int level = 1; level <= kLevelCount; ++level) {
        const std::string row = rowCaption("GroupBox1", level);
        for (Axis axis : {Axis::AD, Axis::De}) {
            const std::string where = row + " " + axisCaption[axis == Axis::AD ? 0 : 1];
            // The De slot V3 holds the acceleration time, in its own group.
            names[FormModel::levelEditName(axis, level)] =
                axis == Axis::De && level == 3
                    ? caption("GroupBox5") + " (" + caption("Label7") + ")"
                    : where;
            names[FormModel::halfStepName(axis, level)] = where + " demi-pas";
            names[FormModel::ratioName(axis, level)] = ratioColumn + " " + where;
        }
        const std::string focuser = row + " " + axisCaption[2];
        names[FormModel::levelEditName(Axis::Foc, level)] = focuser;
        names[FormModel::msName(level)] = msColumn + " " + focuser;
    }
    names["EditJeuAD"] = caption("Label13") + " " + axisCaption[0];
    names["EditJeuDe"] = caption("Label13") + " " + axisCaption[1];
    names["EditMaintienFoc"] = caption("Label14") + " (" + caption("GroupBox3") + ")";
    for (int entry = 0; entry < kPwmCount; ++entry)
        names[FormModel::pwmName(entry)] = "PWM" + std::to_string(entry); // the caption of its row
    for (const char* control : {"ButtonOuvrir", "ButtonValider", "ButtonSauvegarder", "GroupBox1",
                                "GroupBox2", "GroupBox3", "GroupBox4", "GroupBox5"})
        names[control] = caption(control);
    names["ListBoxValeurTimer"] = "Périodes IT proposées";

    std::unordered_map<std::string, std::string> help = formHelpTexts();
    std::unordered_map<std::string, AccessibleText> texts;
    for (auto& [control, name] : names)
        texts[control] = {std::move(name), help[control]};
    // The tool buttons' names are their captions, from their one table.
    for (const ToolButtonInfo& button : toolButtons())
        texts[button.name] = {button.caption, toolButtonHelp(button.name, true)};
    return texts;
}

} // namespace korval
