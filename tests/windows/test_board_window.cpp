// « Carte… » in the Win32 window, driven in-process under Wine against the
// tests' stand-in programmer: every case of the programmer's shared table
// shown as the sequence says it and said once as a note or an error, the
// buttons while it runs, the dialog closed by « Fermer » and Esc, the
// commands kept in the user's settings. No real dialog opens.
//
// usage: test_board_window STAND_IN_PROGRAMMER.exe

#include "form/board_programmer.h"
#include "form/board_texts.h"
#include "support/board_cases.h"
#include "support/win32_driver.h"
#include "windows/board_window.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>

using namespace korval;

namespace
{
// A box the code writes tells `owner` (its parent) as typing does.
void setText(HWND box, const std::string& text, HWND owner = nullptr)
{
    SendMessageW(box, WM_SETTEXT, 0, LPARAM(widen(text).c_str()));
    SendMessageW(owner ? owner : GetParent(box), WM_COMMAND,
                 MAKEWPARAM(GetDlgCtrlID(box), EN_CHANGE), LPARAM(box));
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: test_board_window STAND_IN_PROGRAMMER.exe\n");
        return 2;
    }
    const std::string program = board_cases::systemPath(argv[1]);
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("korval-carte-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(folder);
    const std::string work = folder.u8string();
    const std::string memory = board_cases::join(work, "mem");
    board_cases::writeFirmwareFiles(work);

    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CarteEcriture");
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, L"CarteLecture");

    auto owned = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *owned;
    Win32Form form(std::move(owned));
    if (!form.create(GetModuleHandleW(nullptr))) throw std::runtime_error("no window");
    form.show(SW_SHOWNOACTIVATE);
    pumpMessages();
    setText(form.control("EditJeuAD"), board_cases::kWindowJeuADText, form.window());
    pumpMessages();
    check(form.model().currentRecord().JeuAD() == board_cases::kWindowJeuAD, "JeuAD typed");

    for (const board_cases::Case& row : board_cases::cases()) {
        const std::string where = std::string(row.name) + ": ";
        board_cases::prepareMemory(memory);
        form.model().setSaveFileName(
            row.savedOdd ? board_cases::join(work, std::string(board_cases::kOddName) + ".kv2")
                         : "");
        dialogs.errors.clear();
        dialogs.notes.clear();

        SendMessageW(form.boardButton(), BM_CLICK, 0, 0);
        pumpMessages();
        BoardWindow* board = form.boardDialog();
        check(board != nullptr, where + "« Carte… » opens the dialog");
        if (!board) continue;
        check(!IsWindowEnabled(form.window()), where + "the window waits while it is open");
        setText(board->control(BoardControlId::FirmwareEdit), board_cases::firmwarePath(row, work));
        setText(board->control(BoardControlId::WriteEdit),
                board_cases::command(row.write, program, memory));
        setText(board->control(BoardControlId::ReadEdit),
                board_cases::command(row.read, program, memory));
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
        std::string output = textOf(board->control(BoardControlId::Output));
        output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
        check(report.result == row.result,
              where + "result " + std::to_string(int(report.result)) + ": " + report.text());
        check(board_cases::matches(report.text(), row.text), where + "report: " + report.text());
        check(board_cases::shows(output, report.text()) && board_cases::shows(output, row.output),
              where + "output: " + output);
        const bool success = board_cases::success(row.result);
        check((success ? dialogs.notes : dialogs.errors) ==
                      std::vector<std::string>{report.text()} &&
                  (success ? dialogs.errors : dialogs.notes).empty(),
              where + "said once, as a note or an error");
        check(success || output.find(kBoardHoldsTable) == std::string::npos,
              where + "nothing said as written");
        if (!row.arguments.empty()) {
            const std::string problem = board_cases::argumentsProblem(row, memory);
            check(problem.empty(), where + problem);
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
