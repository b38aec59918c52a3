// The Win32 window and the board's program memory read back: each dump of
// tests/support/make_hex_dumps.sh opened through « Ouvrir » and a drop gives
// the record `korvalset24-cli import-hex` gives, or is refused with the line
// named and the window left as it was; « Comparer… » lists what differs and
// changes nothing; its dialog copies the list.
//
// usage: test_win32_hex DUMPS_DIR

#include "files/text_utf16.h"
#include "form/form_model.h"
#include "windows/win32_form.h"

#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
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

std::string g_dumps; // Z:\... under Wine

std::string dump(const std::string& name)
{
    return g_dumps + "\\" + name;
}

std::vector<unsigned char> fileBytes(const std::string& path)
{
    std::ifstream file(widen(path).c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::string textOf(HWND window)
{
    std::wstring text(std::size_t(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(std::size_t(GetWindowTextW(window, text.data(), int(text.size()))));
    return narrow(text);
}

class ScriptedDialogs : public Win32Dialogs
{
public:
    std::wstring openFileName(HWND) override { return next(openNames); }
    std::wstring saveFileName(HWND) override { return next(saveNames); }
    std::wstring saveFileNameProposing(HWND owner, const std::wstring& proposed) override
    {
        proposedNames.push_back(narrow(proposed));
        return saveFileName(owner);
    }
    bool confirmReplace(HWND, const std::wstring&) override { return false; }
    void showError(HWND, const std::wstring& message) override
    {
        errors.push_back(narrow(message));
    }
    FormView::SaveChoice askSaveChanges(HWND, const std::wstring& question) override
    {
        questions.push_back(narrow(question));
        return FormView::SaveChoice::Discard;
    }
    bool askOpenAnyway(HWND, const std::wstring& question) override
    {
        questions.push_back(narrow(question));
        return true;
    }
    void showNote(HWND, const std::wstring& message) override { notes.push_back(narrow(message)); }
    void showComparison(HWND, const FileComparison& comparison) override
    {
        comparisons.push_back(comparison);
    }

    std::deque<std::wstring> openNames;
    std::deque<std::wstring> saveNames;
    std::vector<std::string> proposedNames;
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    std::vector<std::string> notes;
    std::vector<FileComparison> comparisons;

private:
    static std::wstring next(std::deque<std::wstring>& names)
    {
        if (names.empty()) return {};
        std::wstring name = names.front();
        names.pop_front();
        return name;
    }
};

struct Window {
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<Win32Form> form;
    Window()
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        form = std::make_unique<Win32Form>(std::move(scripted));
        if (!form->create(GetModuleHandleW(nullptr))) throw std::runtime_error("no window");
        form->show(SW_SHOWNOACTIVATE);
        pumpMessages();
    }
    HWND control(const std::string& name) const { return form->control(name); }
    void type(const std::string& name, const std::string& text) const
    {
        SendMessageW(control(name), WM_SETTEXT, 0, LPARAM(widen(text).c_str()));
    }
    void click(HWND button) const
    {
        SendMessageW(button, BM_CLICK, 0, 0);
        pumpMessages();
    }
    // Every control's text and check, the records, the drive and the names.
    std::string state() const
    {
        std::string out;
        for (const ControlInfo& info : formControls()) {
            out += std::string(info.name) + "=" + textOf(control(info.name));
            if (info.kind == ControlKind::CheckBox)
                out += SendMessageW(control(info.name), BM_GETCHECK, 0, 0) ? "+" : "-";
            out += "\n";
        }
        FormModel& model = form->model();
        for (const ConfigRecord* record : {&model.currentRecord(), &model.referenceRecord()})
            out += std::string(record->bytes().begin(), record->bytes().end());
        const DriveParameters& drive = model.driveParameters();
        out += std::to_string(drive.FrequenceQuartz) + " " + std::to_string(drive.PasParTour) +
               " " + std::to_string(floatBits(drive.DureeTour)) + " " +
               std::to_string(model.hasUnsavedChanges()) + " " + model.openFileName();
        return out;
    }
};

std::string joined(const std::vector<std::string>& lines, const std::string& between)
{
    std::string out;
    for (const std::string& line : lines)
        out += (out.empty() ? "" : between) + line;
    return out;
}

HGLOBAL dropOf(const std::wstring& path)
{
    const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(),
                path.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

const std::vector<std::string> kBoardTable = {"V2AD : 16 -> 16/2", "JeuAD : 100 pas -> 123 pas",
                                              "TranchePec : 0 -> 7", "Pwm3 : 167 -> 200"};

void testOpens()
{
    const std::vector<unsigned char> recovered = fileBytes(dump("recovered.kv2"));
    check(recovered.size() == 61, "recovered.kv2 made by import-hex");
    const struct {
        const char* file;
        const char* refusal; // "": opened
        bool dropped;
    } rows[] = {
        {"board.hex", "", false},
        {"memory.hex", "", false},
        {"memory.hex", "", true},
        {"broken.hex", "ligne 3 : somme de contrôle", false},
        {"notable.hex", "la table de configuration est incomplète", true},
    };
    for (const auto& row : rows) {
        const std::string where = std::string(row.file) + (row.dropped ? " dropped" : " opened");
        Window window;
        window.type("EditFrequenceQuartz", "20000000"); // kept: not in the board's memory
        const std::string before = window.state();
        if (row.dropped) {
            SendMessageW(window.form->window(), WM_DROPFILES, WPARAM(dropOf(widen(dump(row.file)))),
                         0);
            pumpMessages();
        } else {
            window.dialogs->openNames.push_back(widen(dump(row.file)));
            window.click(window.control("ButtonOuvrir"));
        }
        check(window.dialogs->questions.size() == 1, where + ": the unsaved changes asked first");
        if (*row.refusal) {
            check(window.dialogs->errors.size() == 1 &&
                      window.dialogs->errors[0].find(row.refusal) != std::string::npos,
                  where + ": refused: " + joined(window.dialogs->errors, " / "));
            check(window.dialogs->notes.empty(), where + ": no note");
            check(window.state() == before, where + ": the window as it was");
            continue;
        }
        check(window.dialogs->errors.empty(), where + ": " + joined(window.dialogs->errors, " / "));
        const auto& table = window.form->model().referenceRecord().bytes();
        check(std::vector<unsigned char>(table.begin(), table.end()) ==
                  std::vector<unsigned char>(recovered.begin(), recovered.begin() + kRecordSize),
              where + ": import-hex's record");
        check(textOf(window.control("EditJeuAD")) == "123", where + ": JeuAD shown");
        check(SendMessageW(window.control("CheckBoxAD2"), BM_GETCHECK, 0, 0) == BST_CHECKED,
              where + ": V2AD's half step shown");
        check(textOf(window.control("EditFrequenceQuartz")) == "20000000",
              where + ": the window's quartz kept");
        check(window.dialogs->notes ==
                  std::vector<std::string>{
                      "Table lue dans " + std::string(row.file) +
                      ". La carte ne garde ni la fréquence du quartz, ni les pas par tour, ni la "
                      "durée d'un tour : ceux de la fenêtre sont gardés."},
              where + ": the note");
        check(!window.form->model().hasUnsavedChanges(), where + ": nothing to save yet");
        window.click(window.control("ButtonSauvegarder")); // cancelled
        check(window.dialogs->proposedNames.size() == 1 &&
                  window.dialogs->proposedNames[0] == dump(row.file) + ".kv2",
              where + ": Save proposes " + joined(window.dialogs->proposedNames, " / "));
    }
}

void testCompare(const std::string& saveDir)
{
    const struct {
        const char* name;
        const char* edit; // typed into JeuDe after the save
        std::string file; // "": the file saved from the window
        std::vector<std::string> lines;
        bool tableOnly;
    } rows[] = {
        {"saved, unchanged", "", "", {"Identique à la fenêtre"}, false},
        {"one edit", "321", "", {"JeuDe : 321 pas -> 100 pas"}, false},
        {"a HEX image", "", dump("memory.hex"), kBoardTable, true},
        {"a broken image", "", dump("broken.hex"), {}, true},
        {"cancelled", "", "-", {}, false},
    };
    for (const auto& row : rows) {
        Window window;
        std::string file = row.file;
        if (file.empty()) {
            file = saveDir + "\\compared.kv2";
            window.dialogs->saveNames.push_back(widen(file));
            window.click(window.control("ButtonSauvegarder"));
        } else if (file != "-") {
            window.type("EditFrequenceQuartz", "20000000"); // not in an image
        }
        if (*row.edit) window.type("EditJeuDe", row.edit);
        const std::string before = window.state();
        if (file != "-") window.dialogs->openNames.push_back(widen(file));
        window.click(window.form->compareButton());
        check(window.state() == before, std::string(row.name) + ": the window as it was");
        if (row.lines.empty()) {
            check(window.dialogs->comparisons.empty(), std::string(row.name) + ": nothing shown");
            check(window.dialogs->errors.size() == (file == "-" ? 0u : 1u),
                  std::string(row.name) + ": " + joined(window.dialogs->errors, " / "));
            continue;
        }
        check(window.dialogs->comparisons.size() == 1, std::string(row.name) + ": one dialog");
        if (window.dialogs->comparisons.empty()) continue;
        const FileComparison& shown = window.dialogs->comparisons[0];
        check(shown.lines == row.lines, std::string(row.name) + ": " + joined(shown.lines, " / "));
        check(shown.tableOnly == row.tableOnly &&
                  (shown.heading.find("seuls les champs de la table") != std::string::npos) ==
                      row.tableOnly,
              std::string(row.name) + ": table only said");
    }
}

std::string clipboardText()
{
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = narrow(static_cast<const wchar_t*>(GlobalLock(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void emptyClipboard()
{
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

void testComparisonDialog()
{
    Window window;
    FileComparison comparison;
    comparison.heading = "Fenêtre -> memory.hex :";
    comparison.lines = kBoardTable;
    HWND dialog = createComparisonDialog(window.form->window(), comparison);
    check(dialog != nullptr, "the comparison dialog is made");
    if (!dialog) return;
    const std::string expected = joined(kBoardTable, "\r\n");
    check(textOf(GetDlgItem(dialog, kComparisonTextId)) == expected, "the lines shown");
    const std::string copied = "Fenêtre -> memory.hex :\r\n" + expected;
    emptyClipboard();
    SendMessageW(GetDlgItem(dialog, kComparisonCopyId), BM_CLICK, 0, 0);
    check(clipboardText() == copied, "« Copier » copies the list: " + clipboardText());
    emptyClipboard();
    SendMessageW(GetDlgItem(dialog, kComparisonTextId), WM_CHAR, 3, 0); // Ctrl+C in the box
    SendMessageW(GetDlgItem(dialog, kComparisonTextId), WM_COPY, 0, 0);
    check(clipboardText() == copied, "Ctrl+C copies the whole list");
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    pumpMessages();
    check(!IsWindow(dialog), "« Fermer » closes it");
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: test_win32_hex DUMPS_DIR\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    g_dumps = argv[1];
    if (!g_dumps.empty() && g_dumps[0] == '/') g_dumps = "Z:" + g_dumps; // Wine's Unix root
    for (char& c : g_dumps)
        if (c == '/') c = '\\';
    wchar_t temporary[MAX_PATH];
    GetTempPathW(MAX_PATH, temporary);
    const std::string saveDir =
        narrow(temporary) + "korval-hex-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryW(widen(saveDir).c_str(), nullptr);
    try {
        testOpens();
        testCompare(saveDir);
        testComparisonDialog();
    } catch (const std::exception& caught) {
        check(false, std::string("exception: ") + caught.what());
    }
    for (const char* name : {"compared.kv2", "compared.hex"})
        DeleteFileW(widen(saveDir + "\\" + name).c_str());
    RemoveDirectoryW(widen(saveDir).c_str());
    CoUninitialize();
    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
