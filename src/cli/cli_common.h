#pragma once
// What every verb of korvalset24-cli shares: exit statuses, messages, the
// options of a verb, and reading and writing the tool's files through the
// same FileStore as the window. Text is UTF-8 throughout, paths included.

#include "config/config_record.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace cli
{

enum Exit {
    kSuccess = 0, // done; no difference, no problem
    kFound = 1,   // differences (diff) or problems (check) found
    kFailure = 2, // usage, invalid value, unreadable file, failed write
};

// printf-style, of any length. MinGW's C++ library uses its own ISO printf
// (with %zu and %lld), not the system's, so the check follows that one.
std::string text(const char* format, ...)
#if defined(__MINGW32__)
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
// `label` followed by blanks up to `width` characters (not bytes).
std::string padded(const std::string& label, int width);

void out(std::string_view text);
// "korvalset24-cli VERBE : message" on standard error.
void fail(const char* verb, const std::string& message);
// A usage error: the message, then where the help is; returns kFailure.
int usage(const char* verb, const std::string& message);

bool endsWith(const std::string& text, const std::string& end);

// One option of a verb: the name the verb asks for, and the other names
// that mean the same (the French ones beside the English ones).
struct Option {
    std::string name;
    std::vector<std::string> aliases;
};
using Options = std::vector<Option>;

// A verb's arguments: options with a value, flags, and the rest in order.
// `--` ends the options. An alias is stored under the option's own name.
class Arguments
{
public:
    Arguments(const std::vector<std::string>& arguments, const Options& valueOptions,
              const Options& flagOptions);
    bool ok() const { return m_error.empty(); }
    const std::string& error() const { return m_error; }
    bool has(const std::string& option) const { return m_values.count(option) != 0; }
    std::string value(const std::string& option) const;
    const std::vector<std::string>& positional() const { return m_positional; }

private:
    std::map<std::string, std::string> m_values;
    std::vector<std::string> m_positional;
    std::string m_error;
};
bool wantsHelp(const std::vector<std::string>& arguments);

// The options several verbs take, with their French names.
Option outputOption(); // -o, --sortie
Option jsonOption();   // --json

// A .kv2 file of exactly 61 bytes into `record` and `drive`; otherwise false
// with a message naming the file.
bool readParameterFile(const std::string& path, korval::ConfigRecord& record,
                       korval::DriveParameters& drive, std::string& message);

// A .kv2 file as readParameterFile reads it, or a HEX image (a name in .hex,
// or text that starts with ':'), whose table goes into `record` over the
// factory defaults; `image` tells which. `drive` then holds the factory
// values, which the image does not have.
bool readParameterFileOrImage(const std::string& path, korval::ConfigRecord& record,
                              korval::DriveParameters& drive, bool& image, std::string& message);

// The one FICHIER.kv2 a verb takes, read as readParameterFile reads it: kSuccess,
// or kFailure once the usage error or the reading failure is reported.
int readSingleInput(const char* verb, const Arguments& args, korval::ConfigRecord& record,
                    korval::DriveParameters& drive);
// The parameter file named first on the command line, or the factory defaults
// when none is named; false, the reason said, when the file cannot be read.
bool readInputOrDefaults(const char* verb, const Arguments& args, korval::ConfigRecord& record,
                         korval::DriveParameters& drive);

// Reads at most `maxBytes`; a longer file is refused.
bool readWhole(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& data,
               std::string& message);

// What the window's Save writes: the 61-byte file under `path`, then the HEX
// image beside it under the same name with ".hex". `path` must end in ".kv2".
// The first failure stops there and is the message.
bool saveParameterFile(const std::string& path, const korval::ConfigRecord& record,
                       const korval::DriveParameters& drive, std::string& message);

// Any file, replaced in one step; what the file layer warns of after a
// success goes to standard error ("avertissement : ...").
bool writeFile(const std::string& path, const std::vector<unsigned char>& data,
               std::string& message);

// True when both paths name one existing file, reached by whatever links.
bool sameExistingFile(const std::string& a, const std::string& b);

// "« chemin »", with the platform's separators.
std::string quotedPath(const std::string& path);

} // namespace cli
