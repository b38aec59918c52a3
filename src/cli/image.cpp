// image: the whole image, the firmware with the file's table in its place,
// for a programmer that erases the whole chip.

#include "cli/cli_common.h"
#include "cli/verbs.h"
#include "config/parameter_file.h"
#include "files/native_board_system.h"

using namespace korval;

namespace cli
{

int runImage(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out("Utilisation : korvalset24-cli image FICHIER.kv2 MICROLOGICIEL.hex -o SORTIE.hex\n"
            "L'image complète de la mémoire programme : l'image du micrologiciel (celle du\n"
            "fichier livré, ou la mémoire relue de la carte) telle quelle, avec les 49 octets\n"
            "de la table du fichier en 0x7C00-0x7C30. Chaque autre octet est gardé, ses\n"
            "premiers octets compris ; les trous restent des trous ; les adresses au-delà de\n"
            "64 Kio (mots de configuration, EEPROM) sont gardées. Elle sert aux\n"
            "programmateurs qui effacent toute la puce avant d'écrire : le fichier .hex de\n"
            "« Sauvegarder » ne porte que la table et leur ferait perdre le micrologiciel.\n"
            "SORTIE.hex est écrit d'un seul coup, jamais par-dessus MICROLOGICIEL.hex.\n"
            "Nom français : --sortie (-o).\n"
            "Code de sortie : 0 écrit, 2 erreur (rien n'est écrit).\n");
        return kSuccess;
    }
    const Arguments args(arguments, {outputOption()}, {});
    if (!args.ok()) return usage("image", args.error());
    if (args.positional().size() != 2)
        return usage("image", "FICHIER.kv2 et MICROLOGICIEL.hex sont attendus");
    if (!args.has("-o")) return usage("image", "-o SORTIE.hex est attendu");
    const std::string output = args.value("-o");
    if (!endsWith(output, kHexExtension)) {
        fail("image", quotedPath(output) + " : le fichier HEX doit finir par « .hex »");
        return kFailure;
    }
    ConfigRecord record;
    DriveParameters drive;
    std::string message;
    if (!readParameterFile(args.positional()[0], record, drive, message)) {
        fail("image", message);
        return kFailure;
    }
    std::string warning;
    if (!files::writeWholeImageFile(record, args.positional()[1], output, message, warning)) {
        fail("image", message);
        return kFailure;
    }
    if (!warning.empty()) fail("", "avertissement : " + quotedPath(output) + " : " + warning);
    return kSuccess;
}

} // namespace cli
