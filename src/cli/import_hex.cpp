// import-hex: the table out of an Intel HEX image, such as a dump of the
// controller's program memory.

#include "cli/cli_common.h"
#include "cli/verbs.h"
#include "config/intel_hex_reader.h"
#include "config/parameter_file.h"

using namespace korval;

namespace cli
{

namespace
{
// Far more than the text of the controller's whole program memory.
constexpr std::size_t kMaxImageBytes = 16 * 1024 * 1024;
} // namespace

int runImportHex(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string(
            "Utilisation : korvalset24-cli import-hex IMAGE.hex -o SORTIE.kv2 [--base "
            "FICHIER.kv2]\n"
            "Reprend la table de configuration (49 octets en 0x7C00, entre les marques\n"
            "0x2345 et 0xBCDE) d'une image Intel HEX, par exemple la copie de la mémoire\n"
            "programme du contrôleur, et écrit SORTIE.kv2 et SORTIE.hex.\n"
            "Enregistrements 00, 01, 02 et 04, fins de ligne CR LF ou LF ; chaque somme de\n"
            "contrôle est vérifiée. FrequenceQuartz, PasParTour et DureeTour viennent de\n"
            "--base, sinon des valeurs d'usine.\n"
            "Nom français : --sortie (-o).\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {outputOption(), {"--base", {}}}, {});
    if (!args.ok()) return usage("import-hex", args.error());
    if (args.positional().size() != 1)
        return usage("import-hex", "une seule IMAGE.hex est attendue");
    if (!args.has("-o")) return usage("import-hex", "-o SORTIE.kv2 est attendu");
    ConfigRecord record;
    DriveParameters drive;
    std::string message;
    if (args.has("--base")) {
        if (!readParameterFile(args.value("--base"), record, drive, message)) {
            fail("import-hex", message);
            return kFailure;
        }
    } else {
        loadFactoryDefaults(record, drive);
    }
    const std::string image = args.positional().front();
    std::vector<unsigned char> text;
    if (!readWhole(image, kMaxImageBytes, text, message)) {
        fail("import-hex", message);
        return kFailure;
    }
    std::string error;
    if (!readHexImage(std::string_view(reinterpret_cast<const char*>(text.data()), text.size()),
                      record, error)) {
        fail("import-hex", quotedPath(image) + " : " + error + " ; rien n'est écrit");
        return kFailure;
    }
    // The .hex written beside the output must not replace the image itself:
    // a whole memory dump would give way to the 214 bytes of the table.
    const std::string hexBeside = replaceExtension(args.value("-o"), kHexExtension);
    if (sameExistingFile(hexBeside, image)) {
        fail("import-hex", quotedPath(image) + " : le fichier HEX écrit à côté de " +
                               quotedPath(args.value("-o")) +
                               " remplacerait l'image lue ; choisissez un autre nom de sortie");
        return kFailure;
    }
    if (!saveParameterFile(args.value("-o"), record, drive, message)) {
        fail("import-hex", message);
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
