// The command line's own parsing, without starting the program: options and
// their French names, `--`, values, flags, and the help switches. Qt-free, so
// it also runs where the companion is built for Windows.

#include "cli/cli_common.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{
using Words = std::vector<std::string>;

const cli::Options kValues = {{"--turn", {"--tour"}}, {"--steps", {"--pas"}}, cli::outputOption()};
const cli::Options kFlags = {cli::jsonOption()};

struct Case {
    const char* name;
    Words arguments;
    std::string error;  // empty when the arguments are accepted
    std::string turn;   // value of --turn, "-" when not given
    std::string output; // value of -o, "-" when not given
    bool json;
    Words positional;
};

const Case kCases[] = {
    {"English name", {"--turn", "5"}, "", "5", "-", false, {}},
    {"French name", {"--tour", "5"}, "", "5", "-", false, {}},
    {"-o and --sortie", {"m.kv2", "--sortie", "a.kv2"}, "", "-", "a.kv2", false, {"m.kv2"}},
    {"both names are one option",
     {"--turn", "1", "--tour", "2"},
     "l'option --tour est donnée deux fois",
     "-",
     "-",
     false,
     {}},
    {"no value", {"--sortie"}, "l'option --sortie attend une valeur", "-", "-", false, {}},
    {"unknown", {"--xml"}, "option inconnue « --xml »", "-", "-", false, {}},
    {"unknown French", {"--tours", "5"}, "option inconnue « --tours »", "-", "-", false, {}},
    {"flag among files", {"a.kv2", "--json", "b.kv2"}, "", "-", "-", true, {"a.kv2", "b.kv2"}},
    {"-- ends the options", {"--", "--tour", "-o"}, "", "-", "-", false, {"--tour", "-o"}},
    {"a lone dash and an empty word", {"-", ""}, "", "-", "-", false, {"-", ""}},
    {"a value that looks like an option", {"--tour", "--json"}, "", "--json", "-", false, {}},
    {"accents kept as bytes", {"Réglages été.kv2"}, "", "-", "-", false, {"Réglages été.kv2"}},
};

struct Help {
    Words arguments;
    bool wanted;
};
const Help kHelps[] = {
    {{"--help"}, true}, {{"m.kv2", "-h"}, true},    {{"--aide"}, true},
    {{"--aid"}, false}, {{"aide", "m.kv2"}, false}, {{}, false},
};

int failures = 0;

void check(bool ok, const std::string& what)
{
    if (ok) return;
    std::fprintf(stderr, "FAIL %s\n", what.c_str());
    ++failures;
}
} // namespace

int main()
{
    for (const Case& c : kCases) {
        const cli::Arguments args(c.arguments, kValues, kFlags);
        const std::string name = c.name;
        check(args.error() == c.error, name + ": error « " + args.error() + " »");
        if (!c.error.empty()) continue;
        check((args.has("--turn") ? args.value("--turn") : "-") == c.turn, name + ": --turn");
        check((args.has("-o") ? args.value("-o") : "-") == c.output, name + ": -o");
        check(args.has("--json") == c.json, name + ": --json");
        check(!args.has("--tour") && !args.has("--sortie"), name + ": stored under an alias");
        check(args.positional() == c.positional, name + ": positional");
    }
    for (const Help& h : kHelps)
        check(cli::wantsHelp(h.arguments) == h.wanted,
              "help for " + std::to_string(h.arguments.size()) + " words" +
                  (h.arguments.empty() ? "" : " from " + h.arguments.front()));
#if defined(_WIN32)
    check(cli::quotedPath("a/b.kv2") == "« a\\b.kv2 »", "quoted path with backslashes");
#else
    check(cli::quotedPath("a/b.kv2") == "« a/b.kv2 »", "quoted path as given");
#endif
    check(cli::endsWith("m.kv2", ".kv2") && !cli::endsWith("kv2", ".kv2"), "endsWith");
    std::printf("%zu cases, %d failures\n",
                sizeof(kCases) / sizeof(kCases[0]) + sizeof(kHelps) / sizeof(kHelps[0]) + 2,
                failures);
    return failures == 0 ? 0 : 1;
}
