// defaults: the factory values, as the window shows them at start-up.

#include "cli/cli_common.h"
#include "cli/verbs.h"

using namespace korval;

namespace cli
{

int runDefaults(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string("Utilisation : korvalset24-cli defaults -o FICHIER.kv2\n"
                        "Écrit les valeurs d'usine, celles que la fenêtre montre au démarrage,\n"
                        "dans FICHIER.kv2 (61 octets) et FICHIER.hex à côté (214 octets).\n"
                        "Un fichier existant est remplacé.\n"
                        "Nom français : --sortie (-o).\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {outputOption()}, {});
    if (!args.ok()) return usage("defaults", args.error());
    if (!args.positional().empty())
        return usage("defaults", "argument en trop « " + args.positional().front() + " »");
    if (!args.has("-o")) return usage("defaults", "-o FICHIER.kv2 est attendu");
    ConfigRecord record;
    DriveParameters drive;
    loadFactoryDefaults(record, drive);
    std::string message;
    if (!saveParameterFile(args.value("-o"), record, drive, message)) {
        fail("defaults", message);
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
