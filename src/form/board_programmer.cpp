#include "form/board_programmer.h"

#include "config/intel_hex.h"
#include "config/intel_hex_reader.h"
#include "config/record_difference.h"
#include "config/whole_image.h"
#include "form/board_texts.h"

namespace korval
{

namespace
{
// Far more than the text of the controller's whole program memory.
constexpr std::size_t kMaxImageBytes = 16 * 1024 * 1024;

std::vector<unsigned char> bytesOf(const std::string& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

std::string quoted(const std::string& name)
{
    return "« " + name + " »";
}

// "la commande d'écriture a échoué (code 3)", or why it did not run.
std::string failure(const char* command, const std::string& program, const CommandOutcome& outcome)
{
    switch (outcome.end) {
    case CommandOutcome::End::NotStarted:
        return std::string(command) + " n'a pas pu démarrer (" + quoted(program) +
               ") : " + outcome.reason;
    case CommandOutcome::End::Stopped:
        return std::string(command) + " a été arrêtée";
    case CommandOutcome::End::Exited:
        break;
    }
    return std::string(command) + " a échoué (code de sortie " + std::to_string(outcome.status) +
           ")";
}

BoardReport report(BoardReport::Result result, std::string message)
{
    BoardReport out;
    out.result = result;
    out.message = std::move(message);
    return out;
}

// The folder goes when the sequence ends, however it ends.
class FolderGuard
{
public:
    FolderGuard(BoardSystem& system, std::string folder)
        : m_system(system), m_folder(std::move(folder))
    {
    }
    ~FolderGuard() { m_system.removeFolder(m_folder); }
    FolderGuard(const FolderGuard&) = delete;
    FolderGuard& operator=(const FolderGuard&) = delete;

private:
    BoardSystem& m_system;
    std::string m_folder;
};
} // namespace

std::string BoardReport::text() const
{
    std::string out = message;
    for (const std::string& line : lines)
        out += "\n" + line;
    return out;
}

bool wholeImageText(const std::string& firmwareName, const std::vector<unsigned char>& firmware,
                    const ConfigRecord& record, std::string& text, std::string& reason)
{
    HexMemory memory;
    std::string error;
    const std::string_view content(reinterpret_cast<const char*>(firmware.data()), firmware.size());
    if (!readHexMemory(content, memory, error)) {
        reason = quoted(firmwareName) + " n'est pas une image Intel HEX lisible : " + error;
        return false;
    }
    text = memoryHexText(wholeImage(memory, record));
    return true;
}

BoardReport programBoard(const BoardRequest& request, BoardSystem& system)
{
    using R = BoardReport::Result;
    const bool imageGiven = !request.firmwarePath.empty();
    std::vector<std::string> writeArguments;
    std::vector<std::string> readArguments;
    std::string reason;
    if (!prepareCommand(request.writeCommand, CommandRole::Write, request.rules, imageGiven,
                        writeArguments, reason))
        return report(R::Refused, reason);
    const bool readBack = request.readCommand.find_first_not_of(" \t\r\n") != std::string::npos;
    if (readBack && !prepareCommand(request.readCommand, CommandRole::Read, request.rules,
                                    imageGiven, readArguments, reason))
        return report(R::Refused, reason);

    std::string imageText;
    if (imageGiven) {
        std::vector<unsigned char> firmware;
        if (!system.readFile(request.firmwarePath, kMaxImageBytes, firmware, reason))
            return report(R::Refused,
                          "impossible de lire " + quoted(request.firmwarePath) + " : " + reason);
        if (!wholeImageText(request.firmwarePath, firmware, request.record, imageText, reason))
            return report(R::Refused, reason);
    }

    std::string folder;
    if (!system.makePrivateFolder(folder, reason))
        return report(R::Failed, "impossible de créer le dossier temporaire : " + reason);
    const FolderGuard guard(system, folder);
    const auto file = [&](const char* suffix) {
        return system.join(folder, tableFileName(request.baseName, suffix));
    };
    PlaceholderFiles files;
    files.hex = file(".hex");
    files.image = imageGiven ? file(kWholeImageSuffix) : std::string();
    files.lecture = file("-lecture.hex");

    if (!system.writeFile(files.hex, bytesOf(exportHexText(request.record).text), reason) ||
        (imageGiven && !system.writeFile(files.image, bytesOf(imageText), reason)))
        return report(R::Failed, "impossible d'écrire dans le dossier temporaire : " + reason);

    const std::vector<std::string> writing = substitutePlaceholders(writeArguments, files);
    system.progress("Écriture : " + shownCommand(writing));
    const CommandOutcome written = system.run(writing);
    if (written.end != CommandOutcome::End::Exited || written.status != 0)
        return report(R::Failed, failure("la commande d'écriture", writing.front(), written) +
                                     " ; la carte n'est pas tenue pour écrite");
    if (!readBack)
        return report(R::Written, "La commande d'écriture a réussi ; la carte n'est pas relue "
                                  "(pas de commande de lecture)");

    const std::vector<std::string> reading = substitutePlaceholders(readArguments, files);
    system.progress("Lecture : " + shownCommand(reading));
    const CommandOutcome read = system.run(reading);
    if (read.end != CommandOutcome::End::Exited || read.status != 0)
        return report(R::Failed, failure("la commande de lecture", reading.front(), read) +
                                     " ; la carte n'est pas vérifiée");
    std::vector<unsigned char> dump;
    if (!system.readFile(files.lecture, kMaxImageBytes, dump, reason))
        return report(R::Failed, "la commande de lecture n'a pas laissé de fichier {lecture} "
                                 "lisible : " +
                                     reason + " ; la carte n'est pas vérifiée");
    ConfigRecord board;
    std::string error;
    if (!readHexImage(std::string_view(reinterpret_cast<const char*>(dump.data()), dump.size()),
                      board, error))
        return report(R::Failed, "la mémoire relue ne donne pas la table : " + error +
                                     " ; la carte n'est pas vérifiée");
    const DriveParameters none;
    BoardReport out;
    out.lines = differenceLines(request.record, none, board, none, true);
    if (out.lines.empty()) {
        out.result = R::Verified;
        out.message = kBoardHoldsTable;
    } else {
        out.result = R::Differs;
        out.message = "La carte ne contient pas la table de la fenêtre (fenêtre -> carte) :";
    }
    return out;
}

} // namespace korval
