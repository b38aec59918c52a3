// show: the file grouped as the window groups it, or every field as JSON.

#include "cli/cli_common.h"
#include "cli/record_view.h"
#include "cli/verbs.h"

using namespace korval;

namespace cli
{

int runShow(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string(
            "Utilisation : korvalset24-cli show FICHIER.kv2|IMAGE.hex [--json]\n"
            "Montre le fichier groupé comme dans la fenêtre : temps et temps par pas,\n"
            "vitesses de AD, De et Foc (nombre d'it, demi-pas, vitesse en X ou ms),\n"
            "rattrapage de jeu, durée de maintien en ms et en périodes IT, PWM.\n"
            "  --json  un objet : chaque champ sous son nom avec sa valeur enregistrée\n"
            "          (un niveau : son octet entier), FrequenceQuartz, PasParTour,\n"
            "          DureeTour (relu, il redonne le même flottant), et les valeurs\n"
            "          calculées dans l'objet « Derivees ».\n"
            "Une image HEX (nom en .hex, ou texte commençant par « : »), par exemple la\n"
            "mémoire programme relue de la carte, donne sa table ; la carte ne garde ni\n"
            "FrequenceQuartz, ni PasParTour, ni DureeTour : ils sont « absents », null en JSON.\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {}, {jsonOption()});
    if (!args.ok()) return usage("show", args.error());
    ConfigRecord record;
    DriveParameters drive;
    if (args.positional().size() != 1)
        return usage("show", "un seul FICHIER.kv2 ou IMAGE.hex est attendu");
    bool image = false;
    std::string message;
    if (!readParameterFileOrImage(args.positional().front(), record, drive, image, message)) {
        fail("show", message);
        return kFailure;
    }
    out(args.has("--json") ? jsonView(record, drive, !image) : humanView(record, drive, !image));
    return kSuccess;
}

} // namespace cli
