// What both systems' runners share: the refusal of an empty command, the
// reasons a program does not start, Windows' quoting, testable anywhere, and
// the folder helpers on the standard library.

#include "files/process_system.h"

#include <filesystem>
#include <system_error>

namespace korval::files
{

ProcessResult runProgram(const std::vector<std::string>& arguments,
                         const std::function<void(const std::string&)>& output,
                         const std::atomic<bool>* stop)
{
    if (arguments.empty() || arguments.front().empty()) {
        ProcessResult result;
        result.reason = "aucun programme n'est nommé";
        return result;
    }
    return runNamedProgram(arguments, output, stop);
}

std::string startFaultText(StartFault fault)
{
    static const char* const texts[] = {
        // in StartFault's order
        "programme introuvable", "le programme n'est pas exécutable (accès refusé)",
        "le fichier n'est pas un programme que le système sait lancer"};
    return texts[int(fault)];
}

std::string windowsCommandLine(const std::vector<std::string>& arguments)
{
    std::string line;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (i > 0) line += ' ';
        const bool plain =
            !argument.empty() && argument.find_first_of(" \t\n\v\"") == std::string::npos;
        if (plain) {
            line += argument;
            continue;
        }
        line += '"';
        if (i == 0) {
            // The program's name is taken up to the next quote, backslashes as they are.
            line += argument + '"';
            continue;
        }
        std::size_t backslashes = 0;
        for (const char c : argument) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            // Backslashes before a quote are doubled, and the quote escaped.
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            backslashes = 0;
            line += c;
        }
        // ... and before the closing quote.
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

void removeFolder(const std::string& folder)
{
    if (folder.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::u8path(folder), ignored);
}

bool namesSameFile(const std::string& a, const std::string& b)
{
    std::error_code error;
    const bool same =
        std::filesystem::equivalent(std::filesystem::u8path(a), std::filesystem::u8path(b), error);
    return same && !error;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    return (std::filesystem::u8path(folder) / std::filesystem::u8path(name)).u8string();
}

} // namespace korval::files
