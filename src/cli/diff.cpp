// diff: one line for each field that differs between two files.

#include "cli/cli_common.h"
#include "cli/record_view.h"
#include "cli/verbs.h"
#include "config/record_difference.h"

using namespace korval;

namespace cli
{

int runDiff(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string("Utilisation : korvalset24-cli diff A.kv2|A.hex B.kv2|B.hex\n"
                        "Une ligne pour chaque champ qui diffère, dans l'ordre du fichier :\n"
                        "  CHAMP : valeur de A -> valeur de B [unité]\n"
                        "(un niveau de AD ou De : son nombre d'it, suivi de /2 en demi-pas).\n"
                        "Une image HEX (nom en .hex, ou texte commençant par « : »), par exemple\n"
                        "la mémoire programme relue de la carte, donne sa table : seuls les\n"
                        "champs de la table sont alors comparés, ce que dit la sortie d'erreur.\n"
                        "Code de sortie : 0 aucune différence, 1 des différences, 2 erreur.\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {}, {});
    if (!args.ok()) return usage("diff", args.error());
    if (args.positional().size() != 2)
        return usage("diff", "deux fichiers A.kv2 et B.kv2 sont attendus");
    ConfigRecord record[2];
    DriveParameters drive[2];
    bool image[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        std::string message;
        if (!readParameterFileOrImage(args.positional().at(i), record[i], drive[i], image[i],
                                      message)) {
            fail("diff", message);
            return kFailure;
        }
    }
    const bool tableOnly = image[0] || image[1];
    if (tableOnly)
        fail("diff", "image HEX : seuls les champs de la table sont comparés (la carte ne garde "
                     "ni FrequenceQuartz, ni PasParTour, ni DureeTour)");
    const std::vector<std::string> lines =
        differenceLines(record[0], drive[0], record[1], drive[1], tableOnly);
    for (const std::string& line : lines)
        out(line + "\n");
    const std::size_t differences = lines.size();
    return differences ? kFound : kSuccess;
}

} // namespace cli
