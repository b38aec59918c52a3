// programmer: the owner's programmer run on the file's table, then the board
// read back and compared, as « Programmer » does in « Carte… ».

#include "cli/cli_common.h"
#include "cli/verbs.h"
#include "config/parameter_file.h"
#include "files/native_board_system.h"
#include "form/board_programmer.h"

#include <cstdio>
#include <filesystem>

using namespace korval;

namespace cli
{

namespace
{
const char* const kHelpText =
    "Utilisation : korvalset24-cli programmer FICHIER.kv2 --ecrire \"COMMANDE\"\n"
    "                 [--lire \"COMMANDE\"] [--image MICROLOGICIEL.hex]\n"
    "Lance votre programmateur sur la table du fichier, puis relit la carte et compare.\n"
    "Les commandes sont découpées en mots sans interpréteur (blancs entre les mots,\n"
    "guillemets pour grouper ; $, *, ~, ; et | restent des caractères), puis chaque\n"
    "repère est remplacé dans son mot par un fichier d'un dossier temporaire privé :\n"
    "  {hex}      la table seule en 0x7C00, telle que « Sauvegarder » l'écrit : pour le\n"
    "             chargeur d'amorçage de la carte, qui n'écrit que ces lignes ;\n"
    "  {image}    l'image complète (avec --image) : le micrologiciel avec la table à sa\n"
    "             place, pour un programmateur qui efface toute la puce ;\n"
    "  {lecture}  le fichier Intel HEX que la commande de lecture doit écrire.\n"
    "--ecrire doit contenir {hex} ou {image}, --lire doit contenir {lecture}.\n"
    "Attention : {hex} donné à un programmateur qui efface toute la puce efface le\n"
    "micrologiciel.\n"
    "La sortie du programmateur s'affiche au fur et à mesure.\n"
    "Code de sortie : 0 écrit (et, avec --lire, la table relue est celle du fichier) ;\n"
    "1 relue, et ces champs diffèrent (listés comme diff les liste : fichier -> carte) ;\n"
    "2 erreur d'utilisation, fichier refusé ou illisible, ou le programmateur a échoué.\n";

void writeNow(std::FILE* stream, const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}
} // namespace

int runProgrammer(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(kHelpText);
        return kSuccess;
    }
    const Arguments args(arguments, {{"--ecrire", {}}, {"--lire", {}}, {"--image", {}}}, {});
    if (!args.ok()) return usage("programmer", args.error());
    if (args.positional().size() != 1)
        return usage("programmer", "un seul FICHIER.kv2 est attendu");
    if (!args.has("--ecrire")) return usage("programmer", "--ecrire \"COMMANDE\" est attendu");

    BoardRequest request;
    request.writeCommand = args.value("--ecrire");
    request.readCommand = args.value("--lire");
    request.firmwarePath = args.value("--image");
    if (args.has("--image") && request.firmwarePath.empty())
        return usage("programmer", "--image attend une image du micrologiciel");
    if (args.has("--lire") && request.readCommand.find_first_not_of(" \t\r\n") == std::string::npos)
        return usage("programmer", "--lire : la commande est vide");
    std::vector<std::string> ignored;
    std::string reason;
    if (!prepareCommand(request.writeCommand, CommandRole::Write, request.rules,
                        args.has("--image"), ignored, reason) ||
        (args.has("--lire") &&
         !prepareCommand(request.readCommand, CommandRole::Read, request.rules, args.has("--image"),
                         ignored, reason)))
        return usage("programmer", reason);

    DriveParameters drive;
    std::string message;
    const std::string& kv2 = args.positional().front();
    if (!readParameterFile(kv2, request.record, drive, message)) {
        fail("programmer", message);
        return kFailure;
    }
    request.baseName = std::filesystem::u8path(kv2).stem().u8string();

    std::fflush(stdout);
    files::NativeBoardSystem system([](const std::string& text) { writeNow(stdout, text); },
                                    [](const std::string& line) { fail("programmer", line); });
    const BoardReport report = programBoard(request, system);
    switch (report.result) {
    case BoardReport::Result::Verified:
    case BoardReport::Result::Written:
        out(report.message + "\n");
        return kSuccess;
    case BoardReport::Result::Differs:
        fail("programmer", report.message);
        for (const std::string& line : report.lines)
            out(line + "\n");
        return kFound;
    case BoardReport::Result::Refused:
    case BoardReport::Result::Failed:
        break;
    }
    fail("programmer", report.message);
    return kFailure;
}

} // namespace cli
