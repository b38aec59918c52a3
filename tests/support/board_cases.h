#pragma once
// « Programmer »'s cases, one table for every level that runs it: what the
// tests' stand-in programmer is told to do, the outcome and the text the
// sequence gives for it, and what the stand-in's memory holds after. The
// sequence is driven through every row once below the windows; each front
// end loops over the same rows for what it shows. Qt-free: the native and
// the Windows suites include it.
//
// In the commands, PROG is the stand-in and MEM its memory file. A text may
// hold "…" for any run of characters (a path, the system's reason).

#include "config/config_record.h"
#include "form/board_programmer.h"
#include "support/stand_in_memory.h"

#include <cstdint>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

namespace board_cases
{

using stand_in::Memory;
using Result = korval::BoardReport::Result;

// The window's table in every row: the factory defaults with JeuAD 123.
constexpr std::uint16_t kWindowJeuAD = 123;
inline const char* const kWindowJeuADText = "123";

enum class After {
    Unchanged,  // nothing written
    Image,      // erased, then the firmware with the window's table
    TableOver,  // the {hex} rows over what was there
    TableAlone, // erased, then the {hex} rows alone
    NotChecked,
};

#if defined(_WIN32)
inline const char* const kOddName = "it's a b;touch PWNED;x"; // no double quote in a Windows name
#else
inline const char* const kOddName = "it's \"a\" b;touch PWNED;$(touch PWNED3)x";
#endif

struct Case {
    const char* name;
    const char* write;
    const char* read;     // "": none
    const char* firmware; // a file of the test's folder (see writeFirmwareFiles), or ""
    bool savedOdd;        // the window's table saved as kOddName
    Result result;
    const char* text;   // the report's whole text
    const char* output; // also in the output: the program's or the sequence's own lines
    int runs;           // programs the stand-in saw
    After after;
    // The write's words after MEM, "" for a file named after the table; empty: not checked.
    std::vector<std::string> arguments;
};

inline const std::vector<Case>& cases()
{
    using R = Result;
    using A = After;
    const char* const read = "PROG MEM read {lecture}";
    const char* const image = "micrologiciel.hex";
    const char* const written =
        "La commande d'écriture a réussi ; la carte n'est pas relue (pas de commande de lecture)";
    const std::string differs =
        "La carte ne contient pas la table de la fenêtre (fenêtre -> carte) :\n";
    static const std::string jeuAD = differs + "JeuAD : 123 pas -> 122 pas";
    static const std::string jeuDe = differs + "JeuDe : …";
    static const std::string pwm4 = differs + "Pwm4 : …";
    // clang-format off
    static const std::vector<Case> all{
        {"puce entière, image complète", "PROG MEM full {image}", read, image, false,
         R::Verified, korval::kBoardHoldsTable, "programmateur simulé : full", 2, A::Image, {"full", ""}},
        {"chargeur, sans lecture", "PROG MEM rows {hex}", "", "", false,
         R::Written, written, "écriture de 68 octets", 1, A::TableOver, {}},
        {"puce entière, table seule", "PROG MEM full {hex}", read, "", false,
         R::Verified, korval::kBoardHoldsTable, "Lecture : ", 2, A::TableAlone, {}},
        {"octet faux dans JeuAD", "PROG MEM wrong 7C1E {image}", read, image, false,
         R::Differs, jeuAD.c_str(), "", 2, A::NotChecked, {}},
        {"octet faux dans JeuDe", "PROG MEM wrong 7C20 {hex}", read, "", false,
         R::Differs, jeuDe.c_str(), "", 2, A::NotChecked, {}},
        {"octet faux dans Pwm4", "PROG MEM wrong 7c2a {hex}", read, "", false,
         R::Differs, pwm4.c_str(), "", 2, A::NotChecked, {}},
        {"programmateur en échec", "PROG MEM fail plus de courant {hex}", read, "", false,
         R::Failed, "la commande d'écriture a échoué (code de sortie 3) ; la carte n'est pas tenue pour écrite",
         "programmateur simulé : fail…la puce ne répond pas", 1, A::Unchanged, {"fail", "plus", "de", "courant", ""}},
        {"lecture en échec", "PROG MEM rows {hex}", "PROG MEM fail {lecture}", "", false,
         R::Failed, "la commande de lecture a échoué (code de sortie 3) ; la carte n'est pas vérifiée",
         "", 2, A::TableOver, {}},
        {"programmateur introuvable", "programmateur-introuvable-0f3a {hex}", read, "", false,
         R::Failed, "la commande d'écriture n'a pas pu démarrer (« programmateur-introuvable-0f3a ») : "
                    "… ; la carte n'est pas tenue pour écrite", "", 0, A::Unchanged, {}},
        {"lecture sans {lecture}", "PROG MEM full {image}", "PROG MEM read", image, false,
         R::Refused, "commande de lecture : elle doit contenir {lecture} (le fichier qu'elle écrit)",
         "", 0, A::Unchanged, {}},
        {"{image} sans micrologiciel", "PROG MEM full {image}", read, "", false,
         R::Refused, "commande d'écriture : {image} demande une image du micrologiciel (.hex)",
         "", 0, A::Unchanged, {}},
        {"micrologiciel absent", "PROG MEM full {image}", read, "absent.hex", false,
         R::Refused, "impossible de lire « …absent.hex » : …", "", 0, A::Unchanged, {}},
        {"micrologiciel illisible", "PROG MEM full {image}", read, "illisible.hex", false,
         R::Refused, "« …illisible.hex » n'est pas une image Intel HEX lisible : …", "", 0,
         A::Unchanged, {}},
        {"nom avec blancs, guillemets et ;", "PROG MEM rows {hex} \"c;touch PWNED2\" \"d \\\"e\\\"\"", "", "",
         true, R::Written, written, "", 1, A::TableOver, {"rows", "", "c;touch PWNED2", "d \"e\""}},
    };
    // clang-format on
    return all;
}

inline bool success(Result result)
{
    return result == Result::Verified || result == Result::Written;
}

// `text` matches `pattern`, each "…" in it standing for any run of characters.
inline bool matches(const std::string& text, const std::string& pattern)
{
    std::string expression;
    for (std::size_t at = 0; at < pattern.size(); ++at) {
        if (pattern.compare(at, 3, "…") == 0) {
            expression += "[\\s\\S]*";
            at += 2;
            continue;
        }
        if (std::strchr("\\^$.|?*+()[]{}", pattern[at])) expression += '\\';
        expression += pattern[at];
    }
    return std::regex_match(text, std::regex(expression));
}

// The output of a run shows the report's text somewhere in it.
inline bool shows(const std::string& output, const std::string& text)
{
    return matches(output, "…" + text + "…");
}

inline std::string join(const std::string& folder, const std::string& name)
{
#if defined(_WIN32)
    return folder + "\\" + name;
#else
    return folder + "/" + name;
#endif
}

// A Unix path as Wine's drive Z: shows it.
inline std::string systemPath(std::string path)
{
#if defined(_WIN32)
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
#endif
    return path;
}

// A command of the table for the stand-in `program` on `memory`.
inline std::string command(std::string text, const std::string& program, const std::string& memory)
{
    for (const auto& [name, value] : {std::pair<std::string, std::string>{"PROG", program},
                                      std::pair<std::string, std::string>{"MEM", memory}}) {
        const std::size_t at = text.find(name);
        if (at != std::string::npos) text.replace(at, name.size(), "\"" + value + "\"");
    }
    return text;
}

// The firmware the board holds before each row: 32 KiB of fixed
// pseudo-random bytes, another board's table among them, configuration bytes
// at 0x300000.
inline Memory firmware()
{
    Memory memory;
    std::uint32_t state = 3324;
    for (std::uint32_t address = 0; address < 0x8000; ++address) {
        state = state * 1103515245u + 12345u;
        memory[address] = (state >> 16) & 0xFF;
    }
    for (std::uint32_t i = 0; i < 7; ++i)
        memory[0x300000 + i] = 0x80 + i;
    korval::ConfigRecord other = korval::factoryDefaultRecord();
    other.setJeuAD(0x142);
    for (std::uint32_t i = 0; i < korval::kRecordSize; ++i)
        memory[0x7C00 + i] = other.bytes()[i];
    return memory;
}

// The folder's firmware images: "micrologiciel.hex", "illisible.hex".
inline void writeFirmwareFiles(const std::string& folder)
{
    stand_in::writeHexFile(join(folder, "micrologiciel.hex"), firmware());
    std::ofstream(std::filesystem::u8path(join(folder, "illisible.hex")), std::ios::binary)
        << stand_in::hexText(firmware()) << ":0400000001\r\n";
}

inline std::string firmwarePath(const Case& row, const std::string& folder)
{
    return *row.firmware ? join(folder, row.firmware) : std::string();
}

// Before each row: the firmware, and a byte a full erase removes; no journal.
inline Memory before()
{
    Memory memory = firmware();
    memory[0x9000] = 0xAA;
    return memory;
}

inline void prepareMemory(const std::string& memoryPath)
{
    std::filesystem::remove(std::filesystem::u8path(memoryPath + ".journal"));
    stand_in::storeMemory(memoryPath, before());
}

inline Memory expectedMemory(After after, const korval::ConfigRecord& table)
{
    Memory memory = after == After::Image        ? firmware()
                    : after == After::TableAlone ? Memory()
                                                 : before();
    if (after == After::Unchanged) return memory;
    // {hex} as « Sauvegarder » writes it: the first line's four bytes at 0,
    // the table's rows with zeros to 0x7C3F; the image, the table's bytes alone.
    const bool image = after == After::Image;
    for (std::uint32_t i = 0; i < (image ? korval::kRecordSize : 64); ++i)
        memory[0x7C00 + i] = i < korval::kRecordSize ? table.bytes()[i] : 0;
    if (!image)
        for (std::uint32_t i = 0; i < 4; ++i)
            memory[i] = (0xF03FEF78u >> (8 * i)) & 0xFF;
    return memory;
}

// The arguments of each run, as the stand-in's journal keeps them.
inline std::vector<std::vector<std::string>> runs(const std::string& memoryPath)
{
    std::ifstream file(std::filesystem::u8path(memoryPath + ".journal"), std::ios::binary);
    std::vector<std::vector<std::string>> all;
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("-- ", 0) == 0)
            all.emplace_back();
        else if (!all.empty())
            all.back().push_back(line);
    }
    return all;
}

// What is wrong with the write's words: "" when they are the
// row's ("" standing for a file of the private folder named after the
// window's saved table) and no command hidden in a name ran.
inline std::string argumentsProblem(const Case& row, const std::string& memoryPath)
{
    for (const char* trace : {"PWNED", "PWNED2", "PWNED3"})
        if (std::filesystem::exists(trace) ||
            std::filesystem::exists(std::filesystem::u8path(memoryPath).parent_path() / trace))
            return std::string("une commande cachée a été lancée : ") + trace;
    const auto all = runs(memoryPath);
    if (all.empty()) return "rien n'a été lancé";
    std::vector<std::string> got(all.front().begin() + (all.front().empty() ? 0 : 1),
                                 all.front().end());
    const std::string stem = row.savedOdd ? kOddName : "table";
    for (std::size_t i = 0; i < got.size() && i < row.arguments.size(); ++i) {
        const std::string file = std::filesystem::u8path(got[i]).filename().u8string();
        if (row.arguments[i].empty() && file.rfind(stem, 0) == 0 && file.size() >= 4 &&
            file.compare(file.size() - 4, 4, ".hex") == 0)
            got[i].clear();
    }
    if (got == row.arguments) return "";
    std::string said = "reçu :";
    for (const std::string& word : got)
        said += " [" + word + "]";
    return said;
}

} // namespace board_cases
