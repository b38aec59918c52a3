#include "board_command.h"

namespace korval
{

namespace
{
bool isBlank(char c, CommandRules rules)
{
    return c == ' ' || c == '\t' || (rules == CommandRules::Posix && (c == '\n' || c == '\r'));
}

const char* const kUnbalanced = "guillemet ouvert sans guillemet fermant";

bool splitPosix(std::string_view text, std::vector<std::string>& arguments, std::string& reason)
{
    std::size_t at = 0;
    while (true) {
        while (at < text.size() && isBlank(text[at], CommandRules::Posix))
            ++at;
        if (at >= text.size()) return true;
        std::string word;
        while (at < text.size() && !isBlank(text[at], CommandRules::Posix)) {
            const char c = text[at++];
            if (c == '\\') {
                if (at >= text.size()) {
                    word += c; // nothing to keep: the backslash stays
                } else if (text[at] == '\n') {
                    ++at;
                } else {
                    word += text[at++];
                }
            } else if (c == '\'') {
                const std::size_t close = text.find('\'', at);
                if (close == std::string_view::npos) {
                    reason = std::string(kUnbalanced) + " (')";
                    return false;
                }
                word.append(text.substr(at, close - at));
                at = close + 1;
            } else if (c == '"') {
                bool closed = false;
                while (at < text.size()) {
                    const char d = text[at++];
                    if (d == '"') {
                        closed = true;
                        break;
                    }
                    if (d == '\\' && at < text.size()) {
                        const char e = text[at];
                        if (e == '"' || e == '\\' || e == '$' || e == '`') {
                            word += e;
                            ++at;
                            continue;
                        }
                        if (e == '\n') {
                            ++at;
                            continue;
                        }
                    }
                    word += d;
                }
                if (!closed) {
                    reason = std::string(kUnbalanced) + " (\")";
                    return false;
                }
            } else {
                word += c;
            }
        }
        arguments.push_back(std::move(word));
    }
}

bool splitWindows(std::string_view text, std::vector<std::string>& arguments, std::string& reason)
{
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at], CommandRules::Windows))
        ++at;
    // The program's name: no backslash rule, a quote only around it.
    std::string program;
    if (text[at] == '"') {
        const std::size_t close = text.find('"', at + 1);
        if (close == std::string_view::npos) {
            reason = std::string(kUnbalanced) + " (\")";
            return false;
        }
        program = std::string(text.substr(at + 1, close - at - 1));
        at = close + 1;
    } else {
        while (at < text.size() && !isBlank(text[at], CommandRules::Windows))
            program += text[at++];
    }
    arguments.push_back(std::move(program));
    while (true) {
        while (at < text.size() && isBlank(text[at], CommandRules::Windows))
            ++at;
        if (at >= text.size()) return true;
        std::string word;
        bool quoted = false;
        while (at < text.size() && (quoted || !isBlank(text[at], CommandRules::Windows))) {
            if (text[at] == '\\') {
                std::size_t count = 0;
                while (at < text.size() && text[at] == '\\') {
                    ++count;
                    ++at;
                }
                if (at < text.size() && text[at] == '"') {
                    word.append(count / 2, '\\');
                    if (count % 2 == 1) {
                        word += '"';
                        ++at;
                    }
                    // an even count: the quote is handled below
                } else {
                    word.append(count, '\\');
                }
                continue;
            }
            if (text[at] == '"') {
                // A run of quotes counts as CommandLineToArgvW counts it: the
                // third in a row is a quote and leaves the quotes.
                int count = quoted ? 2 : 1;
                ++at;
                while (at < text.size() && text[at] == '"') {
                    ++at;
                    if (++count == 3) {
                        word += '"';
                        count = 0;
                    }
                }
                quoted = count == 1;
                continue;
            }
            word += text[at++];
        }
        if (quoted) {
            reason = std::string(kUnbalanced) + " (\")";
            return false;
        }
        arguments.push_back(std::move(word));
    }
}

bool holds(const std::vector<std::string>& arguments, const char* placeholder)
{
    for (const std::string& argument : arguments)
        if (argument.find(placeholder) != std::string::npos) return true;
    return false;
}

} // namespace

bool splitCommand(std::string_view text, CommandRules rules, std::vector<std::string>& arguments,
                  std::string& reason)
{
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        reason = "la commande est vide";
        return false;
    }
    std::vector<std::string> found;
    const bool ok = rules == CommandRules::Posix ? splitPosix(text, found, reason)
                                                 : splitWindows(text, found, reason);
    if (!ok) return false;
    if (found.front().empty()) {
        reason = "le nom du programme est vide";
        return false;
    }
    arguments = std::move(found);
    return true;
}

bool prepareCommand(std::string_view text, CommandRole role, CommandRules rules, bool imageGiven,
                    std::vector<std::string>& arguments, std::string& reason)
{
    const std::string name =
        role == CommandRole::Write ? "commande d'écriture" : "commande de lecture";
    std::vector<std::string> split;
    if (!splitCommand(text, rules, split, reason)) {
        reason = name + " : " + reason;
        return false;
    }
    if (role == CommandRole::Write) {
        if (!holds(split, kHexPlaceholder) && !holds(split, kImagePlaceholder)) {
            reason = name + " : elle doit contenir {hex} (la table) ou {image} (l'image complète)";
            return false;
        }
        if (holds(split, kImagePlaceholder) && !imageGiven) {
            reason = name + " : {image} demande une image du micrologiciel (.hex)";
            return false;
        }
        if (holds(split, kReadPlaceholder)) {
            reason = name + " : {lecture} n'a de sens que dans la commande de lecture";
            return false;
        }
    } else if (!holds(split, kReadPlaceholder)) {
        reason = name + " : elle doit contenir {lecture} (le fichier qu'elle écrit)";
        return false;
    }
    arguments = std::move(split);
    return true;
}

std::vector<std::string> substitutePlaceholders(const std::vector<std::string>& arguments,
                                                const PlaceholderFiles& files)
{
    std::vector<std::string> out = arguments;
    for (std::string& argument : out) {
        // Placeholders are found in the user's text only, never in a name put in.
        std::string result;
        std::size_t at = 0;
        while (at < argument.size()) {
            if (argument.compare(at, 5, kHexPlaceholder) == 0) {
                result += files.hex;
                at += 5;
            } else if (argument.compare(at, 7, kImagePlaceholder) == 0) {
                result += files.image;
                at += 7;
            } else if (argument.compare(at, 9, kReadPlaceholder) == 0) {
                result += files.lecture;
                at += 9;
            } else {
                result += argument[at++];
            }
        }
        argument = std::move(result);
    }
    return out;
}

std::string shownCommand(const std::vector<std::string>& arguments)
{
    std::string line;
    for (const std::string& argument : arguments) {
        if (!line.empty()) line += ' ';
        const bool blank = argument.empty() || argument.find_first_of(" \t\n") != std::string::npos;
        line += blank ? "« " + argument + " »" : argument;
    }
    return line;
}

} // namespace korval
