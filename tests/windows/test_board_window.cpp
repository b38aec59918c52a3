// « Carte… » in the Win32 window, driven in-process under Wine against the
// tests' stand-in programmer: the whole image programmed, a wrong byte read
// back, a failing programmer, an odd file name kept one argument, the
// commands kept in the user's settings. No real dialog opens.
//
// usage: test_board_window STAND_IN_PROGRAMMER.exe

#include "config/parameter_file.h"
#include "files/text_utf16.h"
#include "form/board_programmer.h"
#include "form/board_texts.h"
#include "windows/board_window.h"
#include "windows/win32_form.h"

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace korval;

namespace
{

int g_failures = 0;

void check(bool ok, const std::string& what)
{
    if (ok) return;
    ++g_failures;
    std::printf("FAIL: %s\n", what.c_str());
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

class ScriptedDialogs : public Win32Dialogs
{
public:
    std::wstring openFileName(HWND) override { return {}; }
    std::wstring saveFileName(HWND) override { return {}; }
    bool confirmReplace(HWND, const std::wstring&) override { return false; }
    void showError(HWND, const std::wstring& message) override
    {
        errors.push_back(narrow(message));
    }
    FormView::SaveChoice askSaveChanges(HWND, const std::wstring&) override
    {
        return FormView::SaveChoice::Discard;
    }
    bool askOpenAnyway(HWND, const std::wstring&) override { return true; }
    void showNote(HWND, const std::wstring& message) override { notes.push_back(narrow(message)); }
    std::wstring firmwareFileName(HWND) override { return firmware; }
    std::wstring wholeImageFileName(HWND, const std::wstring& proposed) override
    {
        proposedImages.push_back(narrow(proposed));
        return wholeImage;
    }
    std::vector<std::string> errors;
    std::vector<std::string> notes;
    std::vector<std::string> proposedImages;
    std::wstring firmware;
    std::wstring wholeImage;
};

using Memory = std::map<std::uint32_t, unsigned>;

std::string hexByte(unsigned value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFF);
    return text;
}

// Intel HEX written here, apart from the tool's writer: 16-byte rows, an
// extended address record for the configuration bytes above 64 KiB.
std::string hexText(const Memory& memory)
{
    std::string out;
    std::uint32_t upper = 0;
    const auto record = [&out](unsigned address, unsigned type, const std::vector<unsigned>& data) {
        unsigned sum = unsigned(data.size()) + (address >> 8) + (address & 0xFF) + type;
        out += ":" + hexByte(unsigned(data.size())) + hexByte(address >> 8) + hexByte(address) +
               hexByte(type);
        for (unsigned byte : data) {
            out += hexByte(byte);
            sum += byte;
        }
        out += hexByte((256 - sum % 256) % 256) + "\r\n";
    };
    for (auto at = memory.begin(); at != memory.end();) {
        const std::uint32_t first = at->first;
        if (first >> 16 != upper) {
            upper = first >> 16;
            record(0, 4, {upper >> 8, upper & 0xFF});
        }
        std::vector<unsigned> data;
        while (at != memory.end() && at->first == first + data.size() &&
               (data.empty() || (first + data.size()) % 16 != 0))
            data.push_back((at++)->second);
        record(first & 0xFFFF, 0, data);
    }
    record(0, 1, {});
    return out;
}

// The stand-in's program memory: "address byte" a line, in hex.
Memory storedMemory(const std::string& path)
{
    Memory memory;
    std::ifstream file(widen(path).c_str());
    std::uint32_t address;
    unsigned value;
    while (file >> std::hex >> address >> value)
        memory[address] = value;
    return memory;
}

// The last run's arguments in the stand-in's journal.
std::vector<std::string> lastArguments(const std::string& memoryPath)
{
    std::ifstream file(widen(memoryPath + ".journal").c_str(), std::ios::binary);
    std::vector<std::string> arguments;
    std::string line;
    while (std::getline(file, line)) {
        if (line.rfind("-- ", 0) == 0)
            arguments.clear();
        else
            arguments.push_back(line);
    }
    return arguments;
}

std::string textOf(HWND window)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return narrow(text);
}

void setText(HWND box, const std::string& text)
{
    SendMessageW(box, WM_SETTEXT, 0, LPARAM(widen(text).c_str()));
    // A box the code writes tells its parent as typing does.
    SendMessageW(GetParent(box), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(box), EN_CHANGE), LPARAM(box));
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// Quoted for CommandLineToArgvW: no backslash before a quote in these paths.
std::string inQuotes(const std::string& path)
{
    return "\"" + path + "\"";
}

struct Case {
    const char* name;
    std::string write; // PROG and MEM replaced
    std::string read;
    bool firmware;
    BoardReport::Result expected;
    const char* outputHas;            // in the dialog's output
    const char* reportHas;            // in the report's text
    bool memoryIsImage;               // the memory: the firmware with the window's table
    const char* tableName;            // the window's saved name, or nullptr
    std::vector<std::string> journal; // the last run's arguments after MEM; empty: not checked
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: test_board_window STAND_IN_PROGRAMMER.exe\n");
        return 2;
    }
    std::string program = argv[1];
    if (!program.empty() && program[0] == '/') program = "Z:" + program;
    for (char& c : program)
        if (c == '/') c = '\\';
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("korval-carte-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::string work = folder.u8string();
    const std::string memoryPath = work + "\\mem";
    const std::string firmwarePath = work + "\\micrologiciel.hex";

    // Firmware: 32 KiB of fixed pseudo-random bytes, configuration bytes at 0x300000.
    Memory firmware;
    std::uint32_t state = 3324;
    for (std::uint32_t address = 0; address < 0x8000; ++address) {
        state = state * 1103515245u + 12345u;
        firmware[address] = (state >> 16) & 0xFF;
    }
    for (std::uint32_t i = 0; i < 7; ++i)
        firmware[0x300000 + i] = 0x80 + i;
    std::ofstream(widen(firmwarePath).c_str(), std::ios::binary) << hexText(firmware);

    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CarteEcriture");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CarteLecture");

    auto owned = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *owned;
    Win32Form form(std::move(owned));
    if (!form.create(GetModuleHandleW(nullptr))) throw std::runtime_error("no window");
    form.show(SW_SHOWNOACTIVATE);
    pumpMessages();
    // A table other than the defaults: JeuAD to 123.
    SendMessageW(form.control("EditJeuAD"), WM_SETTEXT, 0, LPARAM(L"123"));
    SendMessageW(form.window(), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(form.control("EditJeuAD")), EN_CHANGE),
                 LPARAM(form.control("EditJeuAD")));
    pumpMessages();
    check(form.model().currentRecord().JeuAD() == 123, "JeuAD typed");

    const std::string odd = "it's a b;touch PWNED;x";
    const std::string readCommand = "PROG MEM read {lecture}";
    const std::vector<Case> cases{
        {"image en mode puce entière",
         "PROG MEM full {image}",
         readCommand,
         true,
         BoardReport::Result::Verified,
         "",
         kBoardHoldsTable,
         true,
         nullptr,
         {}},
        {"octet faux relu",
         "PROG MEM wrong 7C1E {hex}",
         readCommand,
         false,
         BoardReport::Result::Differs,
         "",
         "\nJeuAD",
         false,
         nullptr,
         {}},
        {"programmateur en échec",
         "PROG MEM fail plus de courant {hex}",
         readCommand,
         false,
         BoardReport::Result::Failed,
         "plus de courant",
         "3",
         false,
         nullptr,
         {}},
        {"nom avec blancs, guillemets et ;",
         "PROG MEM rows {hex} \"c;touch PWNED2\" \"d \\\"e\\\"\"",
         "",
         false,
         BoardReport::Result::Written,
         "",
         "",
         false,
         "it's a b;touch PWNED;x.kv2",
         {"rows", odd + ".hex", "c;touch PWNED2", "d \"e\""}},
    };
    for (const Case& test : cases) {
        const std::string where = std::string(test.name) + ": ";
        std::filesystem::remove(std::filesystem::u8path(memoryPath));
        std::filesystem::remove(std::filesystem::u8path(memoryPath + ".journal"));
        // What a full-chip erase must remove.
        std::ofstream(widen(memoryPath).c_str()) << "9000 aa\n";
        form.model().setSaveFileName(test.tableName ? work + "\\" + test.tableName : "");
        dialogs.errors.clear();
        dialogs.notes.clear();

        SendMessageW(form.boardButton(), BM_CLICK, 0, 0);
        pumpMessages();
        BoardWindow* board = form.boardDialog();
        check(board != nullptr, where + "« Carte… » opens the dialog");
        if (!board) continue;
        check(!IsWindowEnabled(form.window()), where + "the window waits while it is open");
        const auto command = [&](std::string text) {
            const std::string names[][2] = {{"PROG", inQuotes(program)},
                                            {"MEM", inQuotes(memoryPath)}};
            for (const auto& name : names) {
                const std::size_t at = text.find(name[0]);
                if (at != std::string::npos) text.replace(at, name[0].size(), name[1]);
            }
            return text;
        };
        setText(board->control(BoardControlId::FirmwareEdit), test.firmware ? firmwarePath : "");
        setText(board->control(BoardControlId::WriteEdit), command(test.write));
        setText(board->control(BoardControlId::ReadEdit),
                test.read.empty() ? "" : command(test.read));
        check(IsWindowEnabled(board->control(BoardControlId::Program)),
              where + "« Programmer » enabled by a write command");
        SendMessageW(board->control(BoardControlId::Program), BM_CLICK, 0, 0);
        check(board->running() && IsWindowEnabled(board->control(BoardControlId::Stop)),
              where + "« Arrêter » enabled while it runs");
        for (int wait = 0; board->running() && wait < 3000; ++wait) {
            pumpMessages();
            Sleep(10);
        }
        pumpMessages();
        check(!board->running(), where + "the programmer ended");
        check(!IsWindowEnabled(board->control(BoardControlId::Stop)), where + "« Arrêter » off");
        const BoardReport& report = board->lastReport();
        const std::string output = textOf(board->control(BoardControlId::Output));
        check(report.result == test.expected,
              where + "result " + std::to_string(int(report.result)) + ": " + report.text());
        check(contains(report.text(), test.reportHas), where + "report: " + report.text());
        check(contains(output, test.outputHas), where + "output: " + output);
        check(contains(output, report.message), where + "the report in the output");
        const bool success = test.expected == BoardReport::Result::Verified ||
                             test.expected == BoardReport::Result::Written;
        check(success ? dialogs.notes.size() == 1 && dialogs.errors.empty()
                      : dialogs.errors.size() == 1 && dialogs.notes.empty(),
              where + "said once, as a note or an error");
        check(success || !contains(output, kBoardHoldsTable), where + "nothing said as written");
        if (test.memoryIsImage) {
            Memory expected = firmware;
            const ParameterFileBytes table = serializeParameterFile(form.model().currentRecord(),
                                                                    form.model().driveParameters());
            for (std::uint32_t i = 0; i < 49; ++i)
                expected[0x7C00 + i] = table[i];
            const Memory got = storedMemory(memoryPath);
            check(got == expected, where + "the memory holds the firmware and the new table (" +
                                       std::to_string(got.size()) + " bytes)");
        }
        if (!test.journal.empty()) {
            std::vector<std::string> got = lastArguments(memoryPath);
            if (!got.empty()) got.erase(got.begin()); // MEM
            if (got.size() == test.journal.size() && got.size() > 1)
                got[1] = std::filesystem::u8path(got[1]).filename().u8string();
            check(got == test.journal, where + "the arguments as one each");
            check(!std::filesystem::exists(folder / "PWNED") &&
                      !std::filesystem::exists(folder / "PWNED2") &&
                      !std::filesystem::exists("PWNED") && !std::filesystem::exists("PWNED2"),
                  where + "nothing else ran");
        }
        SendMessageW(board->control(BoardControlId::Close), BM_CLICK, 0, 0);
        pumpMessages();
        check(form.boardDialog() == nullptr && IsWindowEnabled(form.window()),
              where + "« Fermer » closes it");
    }

    // The commands kept across a new dialog, from the user's settings.
    SendMessageW(form.boardButton(), BM_CLICK, 0, 0);
    pumpMessages();
    if (BoardWindow* board = form.boardDialog()) {
        setText(board->control(BoardControlId::WriteEdit), "écrire « {image} »");
        setText(board->control(BoardControlId::ReadEdit), "lire {lecture}");
        SendMessageW(board->window(), WM_COMMAND, IDCANCEL, 0); // Esc
        pumpMessages();
        check(form.boardDialog() == nullptr, "Esc closes it");
    }
    SendMessageW(form.boardButton(), BM_CLICK, 0, 0);
    pumpMessages();
    if (BoardWindow* board = form.boardDialog()) {
        check(textOf(board->control(BoardControlId::WriteEdit)) == "écrire « {image} »",
              "the write command kept");
        check(textOf(board->control(BoardControlId::ReadEdit)) == "lire {lecture}",
              "the read command kept");
        board->close();
    }
    check(storedBoardCommand(BoardControlId::WriteEdit) == "écrire « {image} »",
          "under the settings' key");

    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CarteEcriture");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CarteLecture");
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    DestroyWindow(form.window());
    pumpMessages();
    std::printf("%s: %d failure(s)\n", argv[0], g_failures);
    return g_failures == 0 ? 0 : 1;
}
