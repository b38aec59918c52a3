#include "cli_common.h"

#include "config/intel_hex.h"
#include "config/intel_hex_reader.h"
#include "config/parameter_file.h"
#include "files/file_store.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <system_error>

using namespace korval;

namespace cli
{

namespace
{
constexpr std::size_t kMaxRestoredBytes = 1024 * 1024;
// Far more than the text of the controller's whole program memory.
constexpr std::size_t kMaxImageBytes = 16 * 1024 * 1024;

std::filesystem::path systemPath(const std::string& path)
{
    return std::filesystem::u8path(path);
}

// Any kind of entry, following links: a dangling link does not exist.
bool exists(const std::string& path)
{
    std::error_code ignored;
    return !path.empty() && std::filesystem::exists(systemPath(path), ignored);
}

bool remove(const std::string& path)
{
    std::error_code error;
    return std::filesystem::remove(systemPath(path), error) && !error;
}
} // namespace

std::string text(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string result(std::size_t(size > 0 ? size : 0) + 1, '\0');
    std::vsnprintf(result.data(), result.size(), format, again);
    va_end(again);
    result.resize(std::size_t(size > 0 ? size : 0));
    return result;
}

std::string padded(const std::string& label, int width)
{
    int characters = 0;
    for (char c : label)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return label + std::string(std::size_t(std::max(0, width - characters)), ' ');
}

void out(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

void fail(const char* verb, const std::string& message)
{
    const std::string line =
        std::string("korvalset24-cli") + (*verb ? " " : "") + verb + " : " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}

int usage(const char* verb, const std::string& message)
{
    fail(verb, message + "\n(voir « korvalset24-cli " + verb + " --help »)");
    return kFailure;
}

bool endsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

namespace
{
const Option* find(const Options& options, const std::string& argument)
{
    for (const Option& option : options)
        if (argument == option.name || std::find(option.aliases.begin(), option.aliases.end(),
                                                 argument) != option.aliases.end())
            return &option;
    return nullptr;
}
} // namespace

Arguments::Arguments(const std::vector<std::string>& arguments, const Options& valueOptions,
                     const Options& flagOptions)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.empty() || argument[0] != '-' || argument == "-") {
            m_positional.push_back(argument);
        } else if (argument == "--") {
            optionsEnded = true;
        } else if (const Option* option = find(valueOptions, argument)) {
            if (has(option->name)) {
                m_error = "l'option " + argument + " est donnée deux fois";
                return;
            }
            if (i + 1 >= arguments.size()) {
                m_error = "l'option " + argument + " attend une valeur";
                return;
            }
            m_values[option->name] = arguments[++i];
        } else if (const Option* flag = find(flagOptions, argument)) {
            m_values[flag->name] = std::string();
        } else {
            m_error = "option inconnue « " + argument + " »";
            return;
        }
    }
}

std::string Arguments::value(const std::string& option) const
{
    const auto found = m_values.find(option);
    return found == m_values.end() ? std::string() : found->second;
}

bool wantsHelp(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments)
        if (argument == "--help" || argument == "-h" || argument == "--aide") return true;
    return false;
}

Option outputOption()
{
    return {"-o", {"--sortie"}};
}

Option jsonOption()
{
    return {"--json", {}};
}

std::string quotedPath(const std::string& path)
{
    std::string shown = path;
#if defined(_WIN32)
    std::replace(shown.begin(), shown.end(), '/', '\\');
#endif
    return "« " + shown + " »";
}

bool readWhole(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& data,
               std::string& message)
{
    std::string reason;
    if (!exists(path)) {
        // The system's own wording would be in English.
        message = "impossible de lire " + quotedPath(path) + " : le fichier n'existe pas";
        return false;
    }
    if (!FileStore().read(path, maxBytes + 1, data, reason)) {
        message = "impossible de lire " + quotedPath(path) + " : " + reason;
        return false;
    }
    if (data.size() > maxBytes) {
        message =
            quotedPath(path) + " est trop grand (plus de " + std::to_string(maxBytes) + " octets)";
        return false;
    }
    return true;
}

bool readParameterFile(const std::string& path, ConfigRecord& record, DriveParameters& drive,
                       std::string& message)
{
    std::vector<unsigned char> data;
    if (!readWhole(path, kParameterFileSize, data, message)) {
        if (data.size() > kParameterFileSize)
            message = quotedPath(path) + " n'est pas un fichier de paramètres : plus de " +
                      std::to_string(kParameterFileSize) + " octets";
        return false;
    }
    if (data.size() != kParameterFileSize) {
        // The window would keep the old values past the end; a script must
        // not get a file half of whose values came from elsewhere.
        message = quotedPath(path) +
                  " n'est pas un fichier de paramètres : " + std::to_string(data.size()) +
                  " octets au lieu de " + std::to_string(kParameterFileSize);
        return false;
    }
    loadFactoryDefaults(record, drive);
    applyParameterFile(data.data(), data.size(), record, drive);
    return true;
}

bool readParameterFileOrImage(const std::string& path, ConfigRecord& record,
                              DriveParameters& drive, bool& image, std::string& message)
{
    std::vector<unsigned char> data;
    image = isHexImage(path, {});
    // A file too big for an image is refused in the words of its own kind.
    if (!readWhole(path, kMaxImageBytes, data, message))
        return !image && readParameterFile(path, record, drive, message);
    const std::string_view content(reinterpret_cast<const char*>(data.data()), data.size());
    image = isHexImage(path, content);
    if (!image) return readParameterFile(path, record, drive, message);
    loadFactoryDefaults(record, drive);
    std::string error;
    if (readHexImage(content, record, error)) return true;
    message = quotedPath(path) + " : " + error;
    return false;
}

int readSingleInput(const char* verb, const Arguments& args, ConfigRecord& record,
                    DriveParameters& drive)
{
    if (args.positional().size() != 1) return usage(verb, "un seul FICHIER.kv2 est attendu");
    std::string message;
    if (readParameterFile(args.positional().front(), record, drive, message)) return kSuccess;
    fail(verb, message);
    return kFailure;
}

bool readInputOrDefaults(const char* verb, const Arguments& args, ConfigRecord& record,
                         DriveParameters& drive)
{
    if (args.positional().empty()) {
        loadFactoryDefaults(record, drive);
        return true;
    }
    std::string message;
    if (readParameterFile(args.positional().front(), record, drive, message)) return true;
    fail(verb, message);
    return false;
}

bool writeFile(const std::string& path, const std::vector<unsigned char>& data,
               std::string& message)
{
    std::string reason;
    std::string warning;
    if (!FileStore().writeAtomically(path, data, reason, warning)) {
        message = "impossible d'enregistrer " + quotedPath(path) + " : " + reason;
        return false;
    }
    // Saved: the exit status stays a success, the warning goes beside it.
    if (!warning.empty()) fail("", "avertissement : " + quotedPath(path) + " : " + warning);
    return true;
}

bool sameExistingFile(const std::string& a, const std::string& b)
{
    std::error_code errorA;
    std::error_code errorB;
    const std::filesystem::path canonicalA = std::filesystem::canonical(systemPath(a), errorA);
    const std::filesystem::path canonicalB = std::filesystem::canonical(systemPath(b), errorB);
    return !errorA && !errorB && canonicalA == canonicalB;
}

bool saveParameterFile(const std::string& path, const ConfigRecord& record,
                       const DriveParameters& drive, std::string& message)
{
    if (!endsWith(path, kParameterExtension)) {
        message = quotedPath(path) + " : le fichier de paramètres doit finir par « .kv2 » "
                                     "(le fichier HEX est écrit à côté)";
        return false;
    }
    // Kept so that a refused .hex does not leave a new .kv2 beside an old .hex.
    const bool existed = exists(path);
    std::vector<unsigned char> previous;
    std::string ignored;
    const bool restorable =
        !existed || FileStore().read(path, kMaxRestoredBytes, previous, ignored);
    const ParameterFileBytes bytes = serializeParameterFile(record, drive);
    if (!writeFile(path, std::vector<unsigned char>(bytes.begin(), bytes.end()), message))
        return false;
    const std::string hexName = replaceExtension(path, kHexExtension);
    const std::string hexText = exportHexText(record).text;
    if (writeFile(hexName, std::vector<unsigned char>(hexText.begin(), hexText.end()), message))
        return true;
    std::string unused;
    const bool restored = restorable && previous.size() < kMaxRestoredBytes &&
                          (existed ? writeFile(path, previous, unused) : remove(path));
    message += restored ? " ; " + quotedPath(path) + " reste comme avant"
                        : " ; " + quotedPath(path) + " est pourtant écrit";
    return false;
}

} // namespace cli
