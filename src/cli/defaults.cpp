// defaults: the factory values, as the window shows them at start-up.

#include "cli/cli_common.h"
#include "cli/verbs.h"

using namespace korval;

namespace cli
{

int runDefaults(const QStringList& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string("Utilisation : korvalset24-cli defaults -o FICHIER.kv2\n"
                        "Écrit les valeurs d'usine, celles que la fenêtre montre au démarrage,\n"
                        "dans FICHIER.kv2 (61 octets) et FICHIER.hex à côté (214 octets).\n"
                        "Un fichier existant est remplacé.\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {"-o"}, {});
    if (!args.ok()) return usage("defaults", args.error());
    if (!args.positional().isEmpty())
        return usage("defaults",
                     QStringLiteral("argument en trop « %1 »").arg(args.positional().first()));
    if (!args.has("-o")) return usage("defaults", QStringLiteral("-o FICHIER.kv2 est attendu"));
    ConfigRecord record;
    DriveParameters drive;
    loadFactoryDefaults(record, drive);
    QString message;
    if (!saveParameterFile(args.value("-o"), record, drive, message)) {
        fail("defaults", message);
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
