// korvalset24-cli: the configuration tool of the KORVAL 2.4 controller from a
// terminal or a script, on the same core as the window.

#include "cli/cli_common.h"
#include "cli/system_console.h"
#include "cli/verbs.h"
#include "korval_version.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace
{
const char* const kHelp =
    "Utilisation : korvalset24-cli VERBE [ARGUMENTS...]\n"
    "Configuration du contrôleur KORVAL 2.4 en ligne de commande.\n"
    "\n"
    "Verbes :\n"
    "  defaults -o FICHIER.kv2          écrit les valeurs d'usine\n"
    "  show FICHIER.kv2|IMAGE.hex [--json]\n"
    "                                   montre le fichier, ou la table d'une image HEX\n"
    "  set FICHIER.kv2 CHAMP=VALEUR... [-o SORTIE.kv2]\n"
    "                                   change des champs\n"
    "  search [FICHIER.kv2] [--quartz HZ] [--turn SECONDES] [--steps N] [--json]\n"
    "         [--apply LIGNE -o SORTIE.kv2]\n"
    "                                   cherche la période IT\n"
    "  hex FICHIER.kv2 [-o SORTIE.hex]  texte HEX de la table\n"
    "  import-hex IMAGE.hex -o SORTIE.kv2 [--base FICHIER.kv2]\n"
    "                                   reprend la table d'une image HEX\n"
    "  diff A.kv2|A.hex B.kv2|B.hex     champs qui diffèrent (d'une image HEX :\n"
    "                                   ceux de la table seulement)\n"
    "  check FICHIER.kv2                problèmes du fichier\n"
    "  monture [--monture NOM] --dents N --pas-moteur N --reduction TEXTE [--demi-pas]\n"
    "          [--suivi sideral|solaire|lunaire|king|VITESSE]\n"
    "          [FICHIER.kv2 -o SORTIE.kv2] [--json]\n"
    "                                   DureeTour et PasParTour depuis la monture\n"
    "  monture --liste                  les montures courantes et leurs sources\n"
    "  image FICHIER.kv2 MICROLOGICIEL.hex -o SORTIE.hex\n"
    "                                   l'image complète : le micrologiciel avec la table\n"
    "  programmer FICHIER.kv2 --ecrire \"COMMANDE\" [--lire \"COMMANDE\"]\n"
    "             [--image MICROLOGICIEL.hex]\n"
    "                                   lance votre programmateur, relit et compare\n"
    "\n"
    "Chaque fichier .kv2 écrit l'est avec son fichier .hex à côté, comme le fait\n"
    "« Sauvegarder » dans la fenêtre.\n"
    "Code de sortie : 0 réussite, 1 différences (diff, programmer) ou problèmes (check),\n"
    "2 erreur d'utilisation, valeur refusée, fichier illisible ou écriture manquée.\n"
    "« korvalset24-cli VERBE --help » décrit un verbe.\n"
    "Noms français des options : --aide (--help), --sortie (-o), --tour (--turn),\n"
    "--pas (--steps), --appliquer (--apply).\n";

struct Verb {
    const char* name;
    int (*run)(const std::vector<std::string>&);
};
const Verb kVerbs[] = {
    {"defaults", cli::runDefaults},
    {"show", cli::runShow},
    {"set", cli::runSet},
    {"search", cli::runSearch},
    {"hex", cli::runHex},
    {"import-hex", cli::runImportHex},
    {"diff", cli::runDiff},
    {"check", cli::runCheck},
    {"monture", cli::runMonture},
    {"image", cli::runImage},
    {"programmer", cli::runProgrammer},
};
} // namespace

int main(int argc, char** argv)
{
    cli::prepareConsole();
    std::vector<std::string> arguments = cli::commandLineArguments(argc, argv);
    if (arguments.empty()) {
        cli::fail("", std::string("un verbe est attendu\n") + kHelp);
        return cli::kFailure;
    }
    const std::string verb = arguments.front();
    arguments.erase(arguments.begin());
    if (verb == "--help" || verb == "-h" || verb == "--aide") {
        cli::out(kHelp);
        return cli::kSuccess;
    }
    if (verb == "--version") {
        cli::out(std::string("korvalset24-cli ") + KORVAL_VERSION + "\n");
        return cli::kSuccess;
    }
    for (const Verb& candidate : kVerbs) {
        if (verb != candidate.name) continue;
        int status = cli::kFailure;
        // Nothing may end the program without a word, not even the unforeseen.
        try {
            status = candidate.run(arguments);
        } catch (const std::exception& error) {
            cli::fail(candidate.name, std::string("erreur inattendue : ") + error.what());
            return cli::kFailure;
        }
        // A full disk behind a redirection must not pass for success.
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            cli::fail(candidate.name, "écriture impossible sur la sortie standard");
            return cli::kFailure;
        }
        return status;
    }
    cli::fail("", "verbe inconnu « " + verb + " » (voir « korvalset24-cli --help »)");
    return cli::kFailure;
}
