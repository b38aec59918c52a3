#pragma once
// The owner's programmer commands, as typed in « Carte… » or given to the
// command line: split into arguments by the system's own rules, without any
// shell, then each placeholder replaced inside its argument, so that a file
// name with blanks, quotes or ';' stays one argument and runs nothing.

#include <string>
#include <string_view>
#include <vector>

namespace korval
{

// How a command's text becomes arguments.
//  Posix: blanks (space, tab, line feed) alone separate words; 'single
//   quotes' keep everything; "double quotes" keep everything but \" \\ \$
//   \` and a backslash before a line feed, which drops both; outside quotes
//   a backslash keeps the next character. Nothing is expanded: $, *, ~, ;,
//   |, &, <, > and # are plain characters of their word.
//  Windows: the rules of CommandLineToArgvW: the program's name up to the
//   first blank or between double quotes, taken as it is; then 2n
//   backslashes before a double quote make n and the quote opens or closes,
//   2n+1 make n and a quote; other backslashes stay; "" inside quotes is a
//   quote and closes them, """ outside them is a quote. Here an unclosed quote is refused instead
//   of running to the end.
// Leading blanks are ignored in both.
enum class CommandRules { Posix, Windows };
#if defined(_WIN32)
constexpr CommandRules kSystemCommandRules = CommandRules::Windows;
#else
constexpr CommandRules kSystemCommandRules = CommandRules::Posix;
#endif

// False with a French reason for an empty command or an unbalanced quote.
bool splitCommand(std::string_view text, CommandRules rules, std::vector<std::string>& arguments,
                  std::string& reason);

// The placeholders and what each stands for.
inline const char* const kHexPlaceholder = "{hex}";      // the table's HEX, as saved
inline const char* const kImagePlaceholder = "{image}";  // the whole image
inline const char* const kReadPlaceholder = "{lecture}"; // the file the read command writes

struct PlaceholderFiles {
    std::string hex;
    std::string image; // empty: no firmware image given
    std::string lecture;
};

enum class CommandRole { Write, Read };

// Splits `text` and checks its placeholders: a write command holds {hex} or
// {image} (and {image} only with a firmware image), never {lecture}; a read
// command holds {lecture}. False with a French reason naming the command.
bool prepareCommand(std::string_view text, CommandRole role, CommandRules rules, bool imageGiven,
                    std::vector<std::string>& arguments, std::string& reason);

// Each placeholder replaced by its file inside its argument.
std::vector<std::string> substitutePlaceholders(const std::vector<std::string>& arguments,
                                                const PlaceholderFiles& files);

// The arguments as one line a user can read, for the output's log (each in
// « » when it holds a blank or is empty).
std::string shownCommand(const std::vector<std::string>& arguments);

} // namespace korval
