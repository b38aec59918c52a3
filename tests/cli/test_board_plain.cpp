// The board's pieces without the command line: a command's text split by
// both systems' rules, its placeholders checked and put in, Windows' quoting
// given back by the splitter, the whole image's records, the runner on real
// programs, and « Programmer »'s sequence through every case of the shared
// table against the tests' stand-in programmer. Qt-free, so it also runs in
// the Windows build (under Wine).
//
// usage: test_board_plain STAND_IN_PROGRAMMER

#include "config/intel_hex_reader.h"
#include "config/whole_image.h"
#include "files/native_board_system.h"
#include "files/process_runner.h"
#include "form/board_command.h"
#include "form/board_texts.h"
#include "support/board_cases.h"

#if defined(_WIN32)
#include "files/text_utf16.h"

#include <windows.h>
// After windows.h.
#include <shellapi.h>
#endif

#include <atomic>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using namespace korval;

namespace
{
using Words = std::vector<std::string>;
int failures = 0;

void check(bool ok, const std::string& what)
{
    if (ok) return;
    std::printf("ÉCHEC : %s\n", what.c_str());
    ++failures;
}

std::string shown(const Words& words)
{
    std::string out;
    for (const std::string& word : words)
        out += "[" + word + "]";
    return out;
}

struct SplitCase {
    CommandRules rules;
    const char* text;
    Words words; // empty: refused
};

const SplitCase kSplits[] = {
    // Blanks alone separate; nothing is expanded; ; | & are letters.
    {CommandRules::Posix, "prog -w {hex}", {"prog", "-w", "{hex}"}},
    {CommandRules::Posix, "  prog\t a\n b  ", {"prog", "a", "b"}},
    {CommandRules::Posix,
     "prog a;touch x|y&z $HOME ~ *.hex",
     {"prog", "a;touch", "x|y&z", "$HOME", "~", "*.hex"}},
    {CommandRules::Posix, "prog 'a b' \"c d\" e\\ f", {"prog", "a b", "c d", "e f"}},
    {CommandRules::Posix,
     "prog 'it'\\''s' \"\\\"q\\\" \\\\ \\$x \\`y\\` \\n\"",
     {"prog", "it's", "\"q\" \\ $x `y` \\n"}},
    {CommandRules::Posix, "prog \"\" ''", {"prog", "", ""}},
    {CommandRules::Posix, "prog a\\\nb \"c\\\nd\"", {"prog", "ab", "cd"}},
    {CommandRules::Posix, "prog x\"{hex}\"y", {"prog", "x{hex}y"}},
    {CommandRules::Posix, "prog 'a", {}},
    {CommandRules::Posix, "prog \"a\\\"", {}},
    {CommandRules::Posix, "   ", {}},
    {CommandRules::Posix, "'' a", {}},
    // CommandLineToArgvW's rules.
    {CommandRules::Windows, "prog.exe -w {hex}", {"prog.exe", "-w", "{hex}"}},
    {CommandRules::Windows,
     "\"C:\\Program Files\\p\\prog.exe\" a",
     {"C:\\Program Files\\p\\prog.exe", "a"}},
    {CommandRules::Windows, "C:\\p\\prog.exe a\\b c\\\\d", {"C:\\p\\prog.exe", "a\\b", "c\\\\d"}},
    {CommandRules::Windows, "p \"a b\" c\\\"d e\\\\\"f g\"", {"p", "a b", "c\"d", "e\\f g"}},
    {CommandRules::Windows, "p \\\\\\\"a \\\\\\\\\"b c\"", {"p", "\\\"a", "\\\\b c"}},
    {CommandRules::Windows, "p \"\" a\"\"b", {"p", "", "ab"}},
    {CommandRules::Windows, "p \"a\"\"b \"\"\"c", {"p", "a\"b", "\"c"}},
    {CommandRules::Windows, "p a;b|c 'd e' %X%", {"p", "a;b|c", "'d", "e'", "%X%"}},
    {CommandRules::Windows, "\"p q\"r s", {"p q", "r", "s"}},
    {CommandRules::Windows, "p \"a", {}},
    {CommandRules::Windows, "\"p a", {}},
    {CommandRules::Windows, "", {}},
};

#if defined(_WIN32)
// The system's own split of a command line, to hold ours against.
Words systemSplit(const std::string& line)
{
    int count = 0;
    wchar_t** argv = ::CommandLineToArgvW(widen(line).c_str(), &count);
    Words words;
    for (int i = 0; argv && i < count; ++i)
        words.push_back(narrow(argv[i]));
    ::LocalFree(argv);
    return words;
}
#endif

struct PrepareCase {
    CommandRole role;
    const char* text;
    bool image;
    bool accepted;
};

const PrepareCase kPrepares[] = {
    {CommandRole::Write, "p {hex}", false, true},
    {CommandRole::Write, "p --image={image}", true, true},
    {CommandRole::Write, "p {image}", false, false},
    {CommandRole::Write, "p table.hex", false, false},
    {CommandRole::Write, "p {hex} {lecture}", false, false},
    {CommandRole::Write, "p {HEX}", false, false},
    {CommandRole::Read, "p -r {lecture}", false, true},
    {CommandRole::Read, "p -r {hex}", false, false},
    {CommandRole::Read, "p '{lecture}", false, false},
};

void testSplitting()
{
    for (const SplitCase& c : kSplits) {
        Words words;
        std::string reason;
        const bool ok = splitCommand(c.text, c.rules, words, reason);
        const std::string name =
            std::string(c.rules == CommandRules::Posix ? "POSIX " : "Windows ") + "« " + c.text +
            " »";
        if (c.words.empty()) {
            check(!ok && !reason.empty(), name + " : accepté " + shown(words));
        } else {
            check(ok && words == c.words, name + " : " + shown(words) + " " + reason);
#if defined(_WIN32)
            if (c.rules == CommandRules::Windows)
                check(systemSplit(c.text) == words,
                      name + " : CommandLineToArgvW donne " + shown(systemSplit(c.text)));
#endif
        }
    }
    for (const PrepareCase& c : kPrepares) {
        Words words;
        std::string reason;
        const bool ok = prepareCommand(c.text, c.role, CommandRules::Posix, c.image, words, reason);
        check(ok == c.accepted && ok == reason.empty(),
              std::string("préparation « ") + c.text + " » : " + reason);
    }
    // A name put in is never read again: its quotes, blanks and braces stay.
    PlaceholderFiles files{"/t/it's \"a\" b;{image}.hex", "/t/i {hex}.hex", "/t/l.hex"};
    const Words out =
        substitutePlaceholders({"p", "--w={hex}", "{image}", "{lecture}{lecture}", "{x}"}, files);
    check(out == Words{"p", "--w=/t/it's \"a\" b;{image}.hex", "/t/i {hex}.hex", "/t/l.hex/t/l.hex",
                       "{x}"},
          "remplacement : " + shown(out));
    // What the runner gives CreateProcessW comes back unchanged.
    const Words hard{"C:\\Program Files\\p.exe", "",   "a b",  "a\"b",    "a\\",  "a\\\\\"b\\",
                     "\\\\srv\\x y\\",           "\"", "\"\"", "a;b|c&d", "it's", "\t"};
    Words back;
    std::string reason;
    const std::string line = files::windowsCommandLine(hard);
    check(splitCommand(line, CommandRules::Windows, back, reason) && back == hard,
          "citation Windows « " + line + " » : " + shown(back));
#if defined(_WIN32)
    check(systemSplit(line) == hard, "CommandLineToArgvW « " + line + " »");
#endif
}

HexMemory memoryOf(const std::string& text)
{
    HexMemory memory;
    std::string error;
    check(readHexMemory(text, memory, error), "lecture : " + error);
    return memory;
}

void testWholeImage()
{
    ConfigRecord record;
    DriveParameters drive;
    loadFactoryDefaults(record, drive);
    // Bytes at 0x0000, 0x7C20-0x7C3F (an old table's end), a gap, 0x1FFFE-0x20001 across 64 KiB.
    HexMemory firmware;
    firmware[0] = 0x12;
    for (std::uint32_t a = 0x7C20; a < 0x7C40; ++a)
        firmware[a] = 0xAA;
    for (std::uint32_t a = 0x1FFFE; a < 0x20002; ++a)
        firmware[a] = std::uint8_t(a);
    firmware[0x300001] = 0x22;
    const HexMemory whole = wholeImage(firmware, record);
    check(whole.size() == 1 + 32 + 32 + 4 + 1,
          "image : " + std::to_string(whole.size()) + " octets");
    check(whole.at(0) == 0x12 && whole.at(0x7C30) == 0xBC && whole.at(0x7C31) == 0xAA &&
              whole.at(0x7C00) == 0x45 && whole.at(0x300001) == 0x22,
          "image : octets gardés et table");
    const std::string text = memoryHexText(whole);
    const std::string expected = ":0100000012ED\r\n"
                                 ":107C00004523B7CE0A000021100806040201002116\r\n"
                                 ":107C10001008060402010021100806040201640095\r\n"
                                 ":107C20006400052D000086939DA7B3A1CDE0F7DE8B\r\n"
                                 ":107C3000BCAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA92\r\n"
                                 ":020000040001F9\r\n"
                                 ":02FFFE00FEFF04\r\n"
                                 ":020000040002F8\r\n"
                                 ":020000000001FD\r\n"
                                 ":020000040030CA\r\n"
                                 ":0100010022DC\r\n"
                                 ":00000001FF\r\n";
    check(text == expected, "texte de l'image :\n" + text);
    check(memoryOf(text) == whole, "l'image relue diffère");
    // A byte given twice with two values, and no byte at all.
    HexMemory unchanged = firmware;
    std::string error;
    check(!readHexMemory(":0100000012ED\r\n:0100000013EC\r\n:00000001FF\r\n", unchanged, error) &&
              error.find("ligne 2") != std::string::npos && unchanged == firmware,
          "octet donné deux fois : " + error);
    check(!readHexMemory(":00000001FF\r\n", unchanged, error), "image vide acceptée");
}

// The runner asked to stop (its exit status, output and a program not found
// are the programmer's cases').
void testRunnerStop()
{
#if !defined(_WIN32)
    std::atomic<bool> stop{false};
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    const files::ProcessResult result = files::runProgram({"sleep", "30"}, nullptr, &stop);
    stopper.join();
    check(result.end == files::ProcessResult::End::Stopped, "arrêt demandé");
#endif
}

// The sequence's system on this machine, the private folder it made kept
// so that its removal can be checked.
class WatchedSystem : public files::NativeBoardSystem
{
public:
    WatchedSystem()
        : NativeBoardSystem([this](const std::string& text) { output += text; },
                            [this](const std::string& line) { output += line + "\n"; })
    {
    }
    bool makePrivateFolder(std::string& made, std::string& reason) override
    {
        return NativeBoardSystem::makePrivateFolder(made, reason) && (folder = made, true);
    }
    std::string output;
    std::string folder;
};

// Every case of the table, its outcome, text, runs and the memory after.
void testProgrammer(const std::string& standIn)
{
    std::string work;
    std::string reason;
    check(files::makePrivateFolder(work, reason), "dossier de travail : " + reason);
    board_cases::writeFirmwareFiles(work);
    const std::string memory = board_cases::join(work, "mem");
    const std::string program = board_cases::systemPath(standIn);
    ConfigRecord record = factoryDefaultRecord();
    record.setJeuAD(board_cases::kWindowJeuAD);
    for (const board_cases::Case& row : board_cases::cases()) {
        const std::string where = std::string(row.name) + " : ";
        board_cases::prepareMemory(memory);
        BoardRequest request;
        request.record = record;
        request.writeCommand = board_cases::command(row.write, program, memory);
        request.readCommand = board_cases::command(row.read, program, memory);
        request.firmwarePath = board_cases::firmwarePath(row, work);
        if (row.savedOdd) request.baseName = board_cases::kOddName;
        WatchedSystem system;
        const BoardReport report = programBoard(request, system);
        check(report.result == row.result,
              where + "résultat " + std::to_string(int(report.result)) + " : " + report.text());
        check(board_cases::matches(report.text(), row.text),
              where + "texte « " + report.text() + " »");
        check(board_cases::shows(system.output, row.output), where + "sortie :\n" + system.output);
        check(int(board_cases::runs(memory).size()) == row.runs,
              where + std::to_string(board_cases::runs(memory).size()) + " lancements");
        if (row.after != board_cases::After::NotChecked)
            check(stand_in::loadMemory(memory) == board_cases::expectedMemory(row.after, record),
                  where + "la mémoire de la carte");
        if (!row.arguments.empty()) {
            const std::string problem = board_cases::argumentsProblem(row, memory);
            check(problem.empty(), where + problem);
        }
        check(system.folder.empty() ||
                  !std::filesystem::exists(std::filesystem::u8path(system.folder)),
              where + "le dossier temporaire reste");
    }
    files::removeFolder(work);
}

// The dialog's table: inside its client area, no two controls on one place,
// each mnemonic once, and the commands' help saying what each placeholder is.
void testDialogTable()
{
    const std::vector<BoardControl>& controls = boardControls();
    std::string mnemonics;
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const BoardControl& a = controls[i];
        const ControlGeometry& p = a.place;
        check(p.x >= 0 && p.y >= 0 && p.width > 0 && p.height > 0 &&
                  p.x + p.width <= kBoardDialogWidth && p.y + p.height <= kBoardDialogHeight,
              std::string(a.name) + " sort du dialogue");
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            const ControlGeometry& q = controls[j].place;
            check(p.x + p.width <= q.x || q.x + q.width <= p.x || p.y + p.height <= q.y ||
                      q.y + q.height <= p.y,
                  std::string(a.name) + " recouvre " + controls[j].name);
        }
        if (a.mnemonic) {
            const char lower = char(std::tolower(static_cast<unsigned char>(a.mnemonic)));
            check(mnemonics.find(lower) == std::string::npos,
                  std::string("lettre ") + a.mnemonic + " donnée deux fois");
            check(std::string(a.text).find(a.mnemonic) != std::string::npos,
                  std::string(a.name) + " : la lettre n'est pas dans « " + a.text + " »");
            mnemonics += lower;
        }
    }
    const std::string write = writeCommandHelp();
    const std::string read = readCommandHelp();
    check(write.find("{hex}") != std::string::npos && write.find("{image}") != std::string::npos &&
              write.find("efface le micrologiciel") != std::string::npos &&
              read.find("{lecture}") != std::string::npos,
          "aide des commandes");
    check(boardControl(BoardControlId::Program).text == std::string("Programmer") &&
              boardControl(BoardControlId::Stop).text == std::string("Arrêter") &&
              boardControl(BoardControlId::WriteImage).text ==
                  std::string("Écrire l'image complète…"),
          "libellés");
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: test_board_plain STAND_IN_PROGRAMMER\n");
        return 2;
    }
    testDialogTable();
    testSplitting();
    testWholeImage();
    testRunnerStop();
    testProgrammer(argv[1]);
    std::printf("%zu découpages, %zu préparations, %zu programmations, %d échecs\n",
                std::size(kSplits), std::size(kPrepares), board_cases::cases().size(), failures);
    return failures == 0 ? 0 : 1;
}
