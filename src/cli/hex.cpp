// hex: the HEX text of the file's record, as the window's Save writes it.

#include "cli/cli_common.h"
#include "cli/verbs.h"
#include "config/intel_hex.h"
#include "config/parameter_file.h"

using namespace korval;

namespace cli
{

int runHex(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string("Utilisation : korvalset24-cli hex FICHIER.kv2 [-o SORTIE.hex]\n"
                        "Le texte Intel HEX de la table du fichier, placée en 0x7C00, tel que\n"
                        "« Sauvegarder » l'écrit (six lignes finies par CR LF, 214 octets) :\n"
                        "sur la sortie standard, ou dans SORTIE.hex.\n"
                        "Nom français : --sortie (-o).\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {outputOption()}, {});
    if (!args.ok()) return usage("hex", args.error());
    ConfigRecord record;
    DriveParameters drive;
    if (readSingleInput("hex", args, record, drive) != kSuccess) return kFailure;
    const std::string text = exportHexText(record).text;
    if (!args.has("-o")) {
        out(text);
        return kSuccess;
    }
    if (!endsWith(args.value("-o"), kHexExtension)) {
        // A slip such as "-o monture.kv2" would put text over the parameter file.
        fail("hex", quotedPath(args.value("-o")) + " : le fichier HEX doit finir par « .hex »");
        return kFailure;
    }
    std::string message;
    if (!writeFile(args.value("-o"), std::vector<unsigned char>(text.begin(), text.end()),
                   message)) {
        fail("hex", message);
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
