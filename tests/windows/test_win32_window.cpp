// Drives the Win32 window in-process, as the system delivers a user's actions
// (WM_SETTEXT on a box, BM_CLICK, a click in the period box, LB_SETCURSEL and
// LBN_DBLCLK, keys, WM_DROPFILES), reads every control back and compares it
// with a FormModel driven through the same actions.
//
// With the folder of tests/support/make_hex_dumps.sh, also the board's
// program memory read back: each dump opened through « Ouvrir » and a drop,
// « Comparer… » and its dialog. The night look's colours, keys and file
// dialogs' filters are the form model's.
//
// usage: test_win32_window SESSIONS.txt FILES_DIR [HEX_DUMPS_DIR]

#include "axes/drift_calibration.h"
#include "axes/mount_assistant.h"
#include "config/intel_hex.h"
#include "files/text_utf16.h"
#include "form/colour_scheme.h"
#include "form/form_model.h"
#include "form/form_texts.h"
#include "support/session_script.h"
#include "support/win32_driver.h"
#include "windows/mount_window.h"
#include "windows/win32_form.h"

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace korval;

namespace
{

// Wine maps the drive Z: to the Unix root: the paths CMake gives work there.
std::string windowsPath(const std::string& path)
{
    return !path.empty() && path[0] == '/' ? "Z:" + path : path;
}

std::vector<unsigned char> fileBytes(const std::string& path)
{
    std::ifstream file(widen(path).c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// The model's side: messages kept, files read with the standard library.
class ModelSide : public FormView
{
public:
    void showError(const std::string& message) override { errors.push_back(message); }
    SaveChoice askSaveChanges(const std::string& question) override
    {
        questions.push_back(question);
        return saveChoice;
    }
    std::string chooseOpenName() override { return std::exchange(openName, std::string()); }
    bool askOpenAnyway(const std::string& question) override
    {
        questions.push_back(question);
        return true;
    }
    bool readFile(const std::string& path, std::size_t maxBytes, std::vector<unsigned char>& data,
                  std::string&) override
    {
        data = fileBytes(path);
        if (data.size() > maxBytes) data.resize(maxBytes);
        return true;
    }
    std::vector<std::string> errors;
    std::vector<std::string> questions;
    SaveChoice saveChoice = SaveChoice::Discard; // as the window's scripted answer
    std::string openName;
};

struct Pair {
    ScriptedDialogs* dialogs = nullptr;
    std::unique_ptr<Win32Form> form;
    ModelSide side;
    FormModel model{&side};

    explicit Pair(const std::wstring& startFile = {})
    {
        auto scripted = std::make_unique<ScriptedDialogs>();
        dialogs = scripted.get();
        form = std::make_unique<Win32Form>(std::move(scripted));
        if (!startFile.empty()) form->openAtStart(startFile);
        if (!form->create(GetModuleHandleW(nullptr))) throw std::runtime_error("no window");
        form->show(SW_SHOWNOACTIVATE);
        pumpMessages();
        model.FormOnActivate();
    }
    HWND control(const std::string& name) const { return form->control(name); }
};

bool styled(HWND window, LONG_PTR style)
{
    return (GetWindowLongPtrW(window, GWL_STYLE) & style) != 0;
}

// Every control, mark, tooltip, list line and message of the window against the model.
void compareAll(const Pair& pair, const std::string& where)
{
    const FormModel& model = pair.model;
    const std::vector<ControlInfo>& table = formControls();
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::string name = table[i].name;
        const ControlState& state = model.control(name);
        HWND hwnd = pair.control(name);
        const std::string at = where + ": " + name;
        if (!hwnd) {
            check(false, at + " has no window");
            continue;
        }
        if (table[i].kind == ControlKind::CheckBox)
            check((SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED) == state.checked,
                  at + " check");
        else if (table[i].kind != ControlKind::List)
            check(textOf(hwnd) == state.text,
                  at + " text \"" + textOf(hwnd) + "\" instead of \"" + state.text + "\"");
        if (table[i].kind == ControlKind::List) continue;
        check(styled(hwnd, WS_VISIBLE) == state.visible, at + " visibility");
        const bool enabled = IsWindowEnabled(hwnd) &&
                             !(table[i].kind == ControlKind::Edit && styled(hwnd, ES_READONLY));
        check(enabled == state.enabled, at + " enabled state");
        check(pair.form->marked(name) == !model.storedNote(name).empty(), at + " mark");
        check(pair.form->toolTipText(hwnd) == widen(model.helpText(name)), at + " tooltip");
        check(pair.form->accessibleDescription(name) == widen(table[i].kind == ControlKind::Edit
                                                                  ? model.helpText(name)
                                                                  : model.baseHelp(name)),
              at + " accessible description");
    }
    HWND list = pair.control("ListBoxValeurTimer");
    const std::vector<std::string>& lines = model.listLines();
    const int count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    check(count == int(lines.size()), where + ": " + std::to_string(count) +
                                          " list lines instead of " + std::to_string(lines.size()));
    for (int line = 0; line < count && line < int(lines.size()); ++line) {
        std::wstring text(std::size_t(SendMessageW(list, LB_GETTEXTLEN, WPARAM(line), 0)) + 1,
                          L'\0');
        text.resize(std::size_t(SendMessageW(list, LB_GETTEXT, WPARAM(line), LPARAM(text.data()))));
        if (narrow(text) != lines[std::size_t(line)]) {
            check(false,
                  where + ": list line " + std::to_string(line) + " \"" + narrow(text) + "\"");
            break;
        }
    }
    check(bool(IsWindowVisible(list)) == model.listVisible(), where + ": list visibility");
    check(int(SendMessageW(list, LB_GETCURSEL, 0, 0)) == model.listSelected(),
          where + ": list selection");
    check(pair.dialogs->questions == pair.side.questions, where + ": questions asked");
    check(pair.dialogs->errors == pair.side.errors,
          where + ": messages " + std::to_string(pair.dialogs->errors.size()) + " instead of " +
              std::to_string(pair.side.errors.size()) +
              (pair.dialogs->errors.empty() ? "" : " (" + pair.dialogs->errors.back() + ")"));
}

void sendCommand(const Pair& pair, HWND from, int code)
{
    SendMessageW(pair.form->window(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(from), code),
                 LPARAM(from));
}

void clickInside(HWND window)
{
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
}

// One action of a session, through the window and through the model.
void replay(Pair& pair, const korval_test::SessionAction& action, const std::string& filesDir,
            const std::string& saveDir, const std::string& where)
{
    FormModel& model = pair.model;
    HWND list = pair.control("ListBoxValeurTimer");
    if (action.verb == "type") {
        SendMessageW(pair.control(action.name), WM_SETTEXT, 0, LPARAM(widen(action.text).c_str()));
        model.userTyped(action.name, action.text);
    } else if (action.verb == "click") {
        if (action.name == "EditPeriodeTimer")
            clickInside(pair.control(action.name));
        else
            SendMessageW(pair.control(action.name), BM_CLICK, 0, 0);
        model.userClicked(action.name);
    } else if (action.verb == "select") {
        SendMessageW(list, LB_SETCURSEL, WPARAM(std::stoi(action.name)), 0);
        sendCommand(pair, list, LBN_SELCHANGE);
        model.userSelectedLine(std::stoi(action.name));
    } else if (action.verb == "dblclick") {
        SendMessageW(list, LB_SETCURSEL, WPARAM(std::stoi(action.name)), 0);
        sendCommand(pair, list, LBN_DBLCLK);
        model.userDoubleClickedLine(std::stoi(action.name));
    } else if (action.verb == "hide") {
        SendMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
        model.hideList();
    } else if (action.verb == "open") {
        const std::string path = filesDir + "\\" + action.name;
        pair.dialogs->openNames.push_back(widen(path));
        SendMessageW(pair.control("ButtonOuvrir"), BM_CLICK, 0, 0);
        pair.side.openName = path;
        model.ButtonOuvrirClick();
    } else if (action.verb == "save") {
        const std::string chosen = saveDir + "\\" + action.name;
        pair.dialogs->saveNames.push_back(widen(chosen));
        SendMessageW(pair.control("ButtonSauvegarder"), BM_CLICK, 0, 0);
        const FormModel::SaveOutput expected = model.saveOutput(chosen);
        check(fileBytes(expected.kv2Name) == expected.kv2,
              where + ": bytes of " + expected.kv2Name);
        const std::vector<unsigned char> hex = fileBytes(expected.hexName);
        check(std::string(hex.begin(), hex.end()) == expected.hex,
              where + ": bytes of " + expected.hexName);
    } else {
        check(false, where + ": unknown action " + action.verb);
    }
    pumpMessages();
}

std::string makeSaveDir()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    // A new folder each run: a file left by an earlier run would be asked
    // about before it is replaced, and the save checked against old bytes.
    const std::wstring dir = std::wstring(base) + L"korval-win32-" +
                             std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(GetTickCount64());
    check(CreateDirectoryW(dir.c_str(), nullptr), "a new folder for the saves");
    return narrow(dir);
}

void removeSaveDir(const std::string& dir)
{
    const std::wstring folder = widen(dir);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileW((folder + L"\\" + found.cFileName).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

void testSessions(const std::string& sessionsPath, const std::string& filesDir,
                  const std::string& saveDir)
{
    std::ifstream in(widen(sessionsPath).c_str());
    const std::vector<korval_test::Session> sessions = korval_test::readSessions(in);
    check(sessions.size() >= 7, "sessions read: " + std::to_string(sessions.size()));
    // The longest list each session must have shown, line for line.
    const struct {
        const char* session;
        std::size_t lines;
    } longest[] = {{"application de la troisième ligne", 293}, {"liste de 1512 lignes", 1512}};
    std::vector<std::string> seen;
    for (const korval_test::Session& session : sessions) {
        Pair pair;
        compareAll(pair, session.name + " (start)");
        std::size_t most = 0;
        for (std::size_t i = 0; i < session.actions.size(); ++i) {
            const std::string where =
                session.name + " #" + std::to_string(i + 1) + " " + session.actions[i];
            replay(pair, korval_test::parseAction(session.actions[i]), filesDir, saveDir, where);
            compareAll(pair, where);
            most = std::max(most, pair.model.listLines().size());
        }
        for (const auto& expected : longest)
            if (session.name == expected.session) {
                check(most == expected.lines,
                      session.name + ": " + std::to_string(most) + " lines");
                seen.push_back(session.name);
            }
    }
    check(seen.size() == std::size(longest), "the sessions of the two long lists ran");
}

// Opens through the dialog of files that are short, long or no files at all.
void testOpens(const std::string& filesDir, const std::string& saveDir)
{
    const struct {
        std::string path;
        bool opens;
        const char* reason;
    } cases[] = {
        {filesDir + "\\court.kv2", true, ""},
        {filesDir + "\\long.kv2", true, ""},
        {filesDir + "\\monture.kv2", true, ""},
        {saveDir, false, "c'est un dossier"},
        {saveDir + "\\absent.kv2", false, "le fichier n'existe pas"},
        {"", true, ""}, // cancelled: nothing happens
    };
    for (const auto& open : cases) {
        Pair pair;
        SendMessageW(pair.control("EditJeuAD"), WM_SETTEXT, 0, LPARAM(L"77"));
        pair.model.userTyped("EditJeuAD", "77");
        pair.dialogs->openNames.push_back(widen(open.path));
        SendMessageW(pair.control("ButtonOuvrir"), BM_CLICK, 0, 0);
        const std::string where = "open \"" + open.path + "\"";
        if (open.opens) {
            pair.side.openName = open.path;
            pair.model.ButtonOuvrirClick();
            compareAll(pair, where);
        } else {
            // Nothing read, nothing changed; the message names the file and why.
            const std::vector<std::string> question = {
                "Enregistrer les modifications avant d'ouvrir un autre fichier ?"};
            const std::vector<std::string> message = {
                "Impossible d'ouvrir le fichier de paramètres « " + open.path + " » :\n" +
                open.reason + "."};
            check(pair.dialogs->questions == question, where + ": the question before");
            check(pair.dialogs->errors == message,
                  where + ": " + (pair.dialogs->errors.empty() ? "" : pair.dialogs->errors[0]));
            pair.dialogs->questions.clear();
            pair.dialogs->errors.clear();
            compareAll(pair, where);
        }
    }
}

// The keys of the period box and of the list.
void testKeys()
{
    const struct {
        const char* name;
        UINT message;
        WPARAM key;
    } openers[] = {{"F4", WM_KEYDOWN, VK_F4}, {"Alt+Down", WM_SYSKEYDOWN, VK_DOWN}};
    for (const auto& opener : openers) {
        Pair pair;
        HWND period = pair.control("EditPeriodeTimer");
        HWND list = pair.control("ListBoxValeurTimer");
        SetFocus(period);
        SendMessageW(period, opener.message, opener.key, 0);
        pair.model.userClicked("EditPeriodeTimer"); // the search a click runs
        compareAll(pair, std::string(opener.name) + " opens the list");
        check(IsWindowVisible(list) && GetFocus() == list,
              std::string(opener.name) + ": the list shown, with the focus");
        check(SendMessageW(list, LB_GETCURSEL, 0, 0) == 0,
              std::string(opener.name) + ": the first line selected");
        SendMessageW(list, WM_KEYDOWN, VK_DOWN, 0); // the list's own key: the next line
        check(SendMessageW(list, LB_GETCURSEL, 0, 0) == 1,
              std::string(opener.name) + ", Down: the second line selected");
        SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
        check(!IsWindowVisible(list) && textOf(period) == "898980",
              std::string(opener.name) + ", Enter: the second line applied, " + textOf(period));
        pair.model.userDoubleClickedLine(1);
        compareAll(pair, std::string(opener.name) + ", Down, Enter applies line 2");
        SendMessageW(period, opener.message, opener.key, 0);
        pair.model.userClicked("EditPeriodeTimer");
        SendMessageW(list, WM_KEYDOWN, VK_ESCAPE, 0);
        pair.model.hideList();
        compareAll(pair, std::string(opener.name) + ", Esc closes the list");
        check(GetFocus() == period, std::string(opener.name) + ": Esc gives the focus back");
    }
}

HGLOBAL dropOf(const std::wstring& path)
{
    const std::size_t bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(),
                path.size() * sizeof(wchar_t)); // the list ends with two NULs, zeroed by GHND
    GlobalUnlock(memory);
    return memory;
}

void testDropsAndArgument(const std::string& filesDir)
{
    const struct {
        std::string file;
        bool opens;
    } drops[] = {{"monture.kv2", true}, {"long.kv2", true}, {"..\\sessions.txt", false}};
    for (const auto& drop : drops) {
        Pair pair;
        const std::string path = filesDir + "\\" + drop.file;
        SendMessageW(pair.form->window(), WM_DROPFILES, WPARAM(dropOf(widen(path))), 0);
        pumpMessages();
        if (drop.opens) pair.model.openDropped(path);
        compareAll(pair, "drop of " + drop.file);
    }
    // The file named on the command line opens once the defaults are shown.
    const std::string path = filesDir + "\\monture.kv2";
    Pair pair(widen(path));
    pair.model.openParameterFile(path);
    compareAll(pair, "file argument");
    check(pair.model.controlAt(pair.model.controlIndex("EditPeriodeTimer")).text !=
              formControls()[pair.model.controlIndex("EditPeriodeTimer")].text,
          "file argument: the defaults ran first");
}

void testReplaceAndFaults(const std::string& saveDir)
{
    // A file under the forced .kv2 name is replaced only when the user agrees.
    const std::string chosen = saveDir + "\\question";
    for (const bool answer : {false, true}) {
        Pair pair;
        {
            std::ofstream old(widen(chosen + ".kv2").c_str(), std::ios::binary);
            old << "ancien";
        }
        pair.dialogs->replaceAnswer = answer;
        pair.dialogs->saveNames.push_back(widen(chosen));
        SendMessageW(pair.control("ButtonSauvegarder"), BM_CLICK, 0, 0);
        check(pair.dialogs->replaceAsked == std::vector<std::string>{chosen + ".kv2"},
              "the replace question names the .kv2");
        const std::vector<unsigned char> now = fileBytes(chosen + ".kv2");
        check(answer ? now == pair.model.saveOutput(chosen).kv2
                     : std::string(now.begin(), now.end()) == "ancien",
              std::string("replace answered ") + (answer ? "yes" : "no"));
    }
    // What escapes a handler is shown, and the window goes on.
    Pair pair;
    pair.dialogs->throwOnOpen = true;
    SendMessageW(pair.control("ButtonOuvrir"), BM_CLICK, 0, 0);
    check(pair.dialogs->errors ==
              std::vector<std::string>{"Erreur interne : exception inconnue. L'action est "
                                       "abandonnée ; le programme continue."},
          "an exception in a handler is shown");
    pair.dialogs->errors.clear();
    SendMessageW(pair.control("EditPwm3"), WM_SETTEXT, 0, LPARAM(L"300"));
    pair.model.userTyped("EditPwm3", "300");
    compareAll(pair, "after an exception");
    // A fault of the arithmetic: its message, then the window goes on.
    SendMessageW(pair.control("EditPasParTour"), WM_SETTEXT, 0, LPARAM(L"0"));
    pair.model.userTyped("EditPasParTour", "0");
    clickInside(pair.control("EditPeriodeTimer"));
    pair.model.userClicked("EditPeriodeTimer");
    check(pair.dialogs->errors ==
              std::vector<std::string>{"Division par zéro en virgule flottante."},
          "the fault has its message: " +
              (pair.dialogs->errors.empty() ? std::string() : pair.dialogs->errors[0]));
    compareAll(pair, "after a fault");
}

// Closing asks about unsaved changes: saved, let go, or the window stays.
void testClose(const std::string& saveDir)
{
    using Choice = FormView::SaveChoice;
    const struct {
        const char* name;
        bool edited;
        Choice choice;
        const char* saveName; // what the save dialog returns
        bool closes;
    } cases[] = {
        {"no change", false, Choice::Cancel, "", true},
        {"cancelled", true, Choice::Cancel, "", false},
        {"let go", true, Choice::Discard, "", true},
        {"saved", true, Choice::Save, "ferme", true},
        {"save dialog cancelled", true, Choice::Save, "", false},
    };
    for (const auto& close : cases) {
        Pair pair;
        if (close.edited) {
            SendMessageW(pair.control("EditJeuAD"), WM_SETTEXT, 0, LPARAM(L"321"));
            pair.model.userTyped("EditJeuAD", "321");
        }
        pair.dialogs->saveChoice = close.choice;
        const std::string chosen = *close.saveName ? saveDir + "\\" + close.saveName : "";
        pair.dialogs->saveNames.push_back(widen(chosen));
        HWND window = pair.form->window();
        SendMessageW(window, WM_CLOSE, 0, 0);
        pair.side.saveChoice = FormView::SaveChoice::Cancel;
        pair.model.confirmClose(); // the model's own question, answered "Annuler"
        const std::string where = std::string("close, ") + close.name;
        check(pair.dialogs->questions == pair.side.questions, where + ": the question");
        check(bool(IsWindow(window)) != close.closes, where + ": window closed or kept");
        if (*close.saveName)
            check(fileBytes(chosen + ".kv2") == pair.model.saveOutput(chosen).kv2,
                  where + ": the file saved first");
    }
}

// The HEX data lines go to the output when there is one; without, the save
// goes on quietly.
void testHexEcho(const std::string& saveDir)
{
    const std::wstring echo = widen(saveDir + "\\echo.txt");
    for (const bool withOutput : {true, false}) {
        Pair pair;
        HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
        HANDLE output = withOutput ? CreateFileW(echo.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                                 nullptr, CREATE_ALWAYS, 0, nullptr)
                                   : nullptr;
        SetStdHandle(STD_OUTPUT_HANDLE, output);
        const std::string chosen = saveDir + "\\echo" + (withOutput ? "1" : "0");
        pair.dialogs->saveNames.push_back(widen(chosen));
        SendMessageW(pair.control("ButtonSauvegarder"), BM_CLICK, 0, 0);
        SetStdHandle(STD_OUTPUT_HANDLE, saved);
        if (output) CloseHandle(output);
        const std::string where = withOutput ? "echo to a file" : "no output";
        check(pair.dialogs->errors.empty(), where + ": no message");
        const std::string hex = pair.model.saveOutput(chosen).hex;
        const std::vector<unsigned char> written = fileBytes(chosen + ".hex");
        check(std::string(written.begin(), written.end()) == hex, where + ": the HEX file");
        if (!withOutput) continue;
        // The data records the core lists, in order, one a line.
        std::string dataLines;
        for (const std::string& line : exportHexText(pair.model.currentRecord()).dataLines)
            dataLines += line + "\r\n";
        const std::vector<unsigned char> echoed = fileBytes(narrow(echo));
        check(!dataLines.empty() && std::string(echoed.begin(), echoed.end()) == dataLines,
              where + ": the data lines");
    }
}

// A report text of the mount dialog, with Windows' CR LF undone.
std::string shownText(HWND box)
{
    std::string shown = textOf(box);
    for (std::size_t at; (at = shown.find("\r\n")) != std::string::npos;)
        shown.erase(at, 1);
    return shown;
}

void testMountDialog()
{
    Pair pair;
    SendMessageW(pair.form->mountButton(), BM_CLICK, 0, 0);
    HWND dialog = pair.form->mountDialog();
    check(dialog && IsWindowVisible(dialog), "Monture… opens its dialog");
    check(!IsWindowEnabled(pair.form->window()), "the window waits for the dialog");
    if (!dialog) return;
    const auto child = [dialog](int id) { return GetDlgItem(dialog, id); };
    // The list's EQ6 fills the gear train: the command line's results for
    // `monture --monture eq6`, worked out from the same row.
    SendMessageW(child(16), CB_SETCURSEL, 4, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(16, CBN_SELCHANGE), LPARAM(child(16)));
    MountTexts eq6;
    eq6.teeth = "180";
    eq6.motorSteps = "200";
    eq6.reduction = "47/12";
    check(shownText(child(15)) == mountPanel(eq6, pair.model.currentRecord()).results,
          "the list's EQ6: " + shownText(child(15)));
    const struct {
        const wchar_t* teeth;
        const wchar_t* motor;
        const wchar_t* reduction;
        bool halfStep;
    } inputs[] = {{L"144", L"200", L"50 x 3", true},
                  {L"0", L"200", L"3", false},
                  {L"359", L"200", L"60/17", false}};
    MountPanel last;
    for (const auto& input : inputs) {
        SendMessageW(child(10), WM_SETTEXT, 0, LPARAM(input.teeth));
        SendMessageW(child(11), WM_SETTEXT, 0, LPARAM(input.motor));
        SendMessageW(child(12), WM_SETTEXT, 0, LPARAM(input.reduction));
        if ((SendMessageW(child(13), BM_GETCHECK, 0, 0) == BST_CHECKED) != input.halfStep)
            SendMessageW(child(13), BM_CLICK, 0, 0);
        MountTexts texts;
        texts.teeth = narrow(input.teeth);
        texts.motorSteps = narrow(input.motor);
        texts.reduction = narrow(input.reduction);
        texts.halfStep = input.halfStep;
        texts.rate = "sidéral";
        last = mountPanel(texts, pair.model.currentRecord());
        std::string shown = textOf(child(15));
        for (std::size_t at; (at = shown.find("\r\n")) != std::string::npos;)
            shown.erase(at, 1);
        check(shown == last.results, "mount results for " + texts.teeth);
        check(bool(IsWindowEnabled(child(IDOK))) == !last.dureeTour.empty(),
              "Appliquer enabled only with results, " + texts.teeth);
    }
    SendMessageW(child(IDOK), BM_CLICK, 0, 0);
    pumpMessages();
    pair.model.writeText("EditDureeTour", last.dureeTour);
    pair.model.writeText("EditPasParTour", last.pasParTour);
    check(!pair.form->mountDialog(), "Appliquer closes the dialog");
    check(IsWindowEnabled(pair.form->window()), "the window takes input again");
    compareAll(pair, "Appliquer");
}

// Ctrl+Tab (with Shift: back) as the message loop hands it to the dialog.
void pressCtrlTab(Pair& pair, HWND focus, bool shift)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    MSG message{focus, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    check(pair.form->translateDialogMessage(message), "Ctrl+Tab taken by the dialog");
    keys[VK_CONTROL] = keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

// The « Calibration » page: its text is the core's for the same inputs, and
// « Appliquer » there types the corrected DureeTour alone, the search following it.
void testCalibrationPage()
{
    Pair pair;
    SendMessageW(pair.form->mountButton(), BM_CLICK, 0, 0);
    HWND dialog = pair.form->mountDialog();
    check(dialog != nullptr, "Monture… opens its dialog");
    if (!dialog) return;
    const auto child = [dialog](int id) { return GetDlgItem(dialog, id); };
    HWND tabs = child(20);
    const auto onPage = [&](int page, const std::string& where) {
        check(int(SendMessageW(tabs, TCM_GETCURSEL, 0, 0)) == page &&
                  bool(IsWindowVisible(child(21))) == (page == 1) &&
                  bool(IsWindowVisible(child(10))) == (page == 0),
              where + ": page " + std::to_string(page) + " shown alone");
    };
    onPage(0, "at opening");
    pressCtrlTab(pair, child(10), false);
    onPage(1, "Ctrl+Tab");
    pressCtrlTab(pair, child(21), true);
    onPage(0, "Ctrl+Shift+Tab");
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR notice{tabs, UINT_PTR(20), UINT(TCN_SELCHANGE)};
    SendMessageW(dialog, WM_NOTIFY, 20, LPARAM(&notice));
    onPage(1, "a click on its tab");
    HWND tips = nullptr;
    while ((tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr)) &&
           GetWindow(tips, GW_OWNER) != dialog) {
    }
    const std::pair<int, CalibrationInput> helped[] = {{21, CalibrationInput::Drift},
                                                       {22, CalibrationInput::PlateScale},
                                                       {23, CalibrationInput::Duration},
                                                       {26, CalibrationInput::Declination}};
    for (const auto& [id, input] : helped) {
        wchar_t text[512] = L"";
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = dialog;
        tool.uId = UINT_PTR(child(id));
        tool.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, WPARAM(std::size(text)), LPARAM(&tool));
        check(*calibrationInputHelp(input) && narrow(text) == calibrationInputHelp(input),
              "the help of " + std::string(calibrationInputCaption(input)) + ": " + narrow(text));
    }
    // The gear train's boxes have theirs too, hidden on this page.
    const std::pair<int, const char*> gearHelp[] = {
        {10, "Nombre de dents de la roue de l'axe AD (144, 359...)."},
        {11, "Pas du moteur par tour (200, 400, 48...)."},
        {12, "Réduction entre le moteur et la vis, un ou plusieurs étages : 3, 120, 50 x 3, "
             "60/17 ; 1 sans réducteur."}};
    for (const auto& [id, help] : gearHelp) {
        wchar_t text[512] = L"";
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = dialog;
        tool.uId = UINT_PTR(child(id));
        tool.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, WPARAM(std::size(text)), LPARAM(&tool));
        check(narrow(text) == help, "the help of box " + std::to_string(id) + ": " + narrow(text));
    }

    const struct {
        const char* drift;
        const char* plateScale;
        const char* duration;
        bool east;
        const char* declination;
        const char* rate;
    } inputs[] = {
        {"7.52", "", "1:00", false, "60", "sidéral"},
        {"15.04", "", "0:00", false, "", "sidéral"},    // no time: refused
        {"7.52", "2", "60s", true, "-30", "King"},      // pixels, eastward, south
        {"15,04", "", "10min", false, "90", "sidéral"}, // the pole: refused
        {"quinze", "", "1:00", false, "", "sidéral"},   // letters: refused
        {"15.04", "", "1:00", false, "", "sidéral"},    // the one applied
    };
    std::string box;
    for (const auto& input : inputs) {
        const std::string where = std::string("calibration ") + input.drift + " in " +
                                  input.duration + " at " + input.declination;
        SendMessageW(child(21), WM_SETTEXT, 0, LPARAM(widen(input.drift).c_str()));
        SendMessageW(child(22), WM_SETTEXT, 0, LPARAM(widen(input.plateScale).c_str()));
        SendMessageW(child(23), WM_SETTEXT, 0, LPARAM(widen(input.duration).c_str()));
        SendMessageW(child(input.east ? 24 : 25), BM_CLICK, 0, 0);
        SendMessageW(child(26), WM_SETTEXT, 0, LPARAM(widen(input.declination).c_str()));
        SendMessageW(child(27), WM_SETTEXT, 0, LPARAM(widen(input.rate).c_str()));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(27, CBN_EDITCHANGE), LPARAM(child(27)));
        CalibrationTexts texts;
        texts.drift = input.drift;
        texts.plateScale = input.plateScale;
        texts.duration = input.duration;
        texts.direction = input.east ? DriftDirection::East : DriftDirection::West;
        texts.declination = input.declination;
        texts.rate = input.rate;
        const CalibrationOutcome outcome = computeCalibration(
            texts, calibrationSettings(pair.model.currentRecord(), pair.model.driveParameters()));
        const std::string expected = outcome.fault ? calibrationFaultText(*outcome.fault, false)
                                                   : calibrationReport(*outcome.result) + "\n" +
                                                         calibrationApplyNote(*outcome.result);
        box = outcome.result ? calibrationBoxText(*outcome.result) : std::string();
        check(shownText(child(28)) == expected, where + ": \"" + shownText(child(28)) + "\"");
        check(bool(IsWindowEnabled(child(IDOK))) == outcome.result.has_value(),
              where + ": Appliquer enabled only with a result");
    }
    // With a result: Tab walks the page's inputs in their order (of the two
    // directions, the one chosen, « vers l'ouest »), the buttons, the tabs.
    const std::vector<HWND> order = {child(21), child(22), child(23),   child(25),       child(26),
                                     child(27), child(28), child(IDOK), child(IDCANCEL), tabs};
    std::vector<HWND> walked;
    for (HWND at = order.front(); walked.size() < order.size();
         at = GetNextDlgTabItem(dialog, at, FALSE))
        walked.push_back(at);
    check(walked == order, "tab order of the calibration page");
    // Tab and Shift+Tab leave the multi-line results as any other box.
    for (const bool back : {false, true}) {
        SetFocus(child(28));
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = back ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG tab{child(28), WM_KEYDOWN, VK_TAB, 0, 0, {}};
        if (!pair.form->translateDialogMessage(tab)) DispatchMessageW(&tab);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
        // The combo box hands the focus on to its own edit box.
        HWND expected = child(back ? 27 : IDOK);
        check(GetFocus() == expected || IsChild(expected, GetFocus()),
              std::string("Tab out of the results, ") + (back ? "back" : "forward"));
    }
    check(!box.empty() && box != textOf(pair.control("EditDureeTour")),
          "the calibration corrects DureeTour");
    SendMessageW(child(IDOK), BM_CLICK, 0, 0);
    pumpMessages();
    check(!pair.form->mountDialog(), "Appliquer closes the dialog");
    check(textOf(pair.control("EditDureeTour")) == box, "Appliquer types the corrected DureeTour");
    pair.model.writeText("EditDureeTour", box);
    clickInside(pair.control("EditPeriodeTimer"));
    pair.model.userClicked("EditPeriodeTimer");
    pumpMessages();
    check(pair.model.listVisible(), "the search runs from the corrected DureeTour");
    compareAll(pair, "calibration applied");
}

// Places, sizes, parents, tab order and font at the window's DPI.
void checkLayout(const Pair& pair, const std::string& where)
{
    const double scale = pair.form->scale();
    LOGFONTW font{};
    GetObjectW(HFONT(SendMessageW(pair.control("EditPwm1"), WM_GETFONT, 0, 0)), sizeof font, &font);
    check(font.lfHeight == -MulDiv(8, int(pair.form->dpi()), 72) &&
              std::wstring(font.lfFaceName) == L"MS Shell Dlg 2",
          where + ": 8-point MS Shell Dlg 2");
    const auto scaled = [scale](int v) { return int(std::lround(v * scale)); };
    RECT client;
    GetClientRect(pair.form->window(), &client);
    check(client.right == scaled(kFormWidth) && client.bottom == scaled(kFormHeight),
          where + ": client size " + std::to_string(client.right) + "x" +
              std::to_string(client.bottom) + " for " + std::to_string(scaled(kFormWidth)));
    for (const ControlInfo& info : formControls()) {
        HWND hwnd = pair.control(info.name);
        RECT place;
        GetWindowRect(hwnd, &place);
        MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&place), 2);
        const bool wider = info.kind == ControlKind::Label; // sized to its text
        check(place.left == scaled(info.geometry.x) && place.top == scaled(info.geometry.y) &&
                  place.bottom - place.top == scaled(info.geometry.height) &&
                  (wider ? place.right - place.left >= scaled(info.geometry.width)
                         : place.right - place.left == scaled(info.geometry.width)),
              where + ": place of " + info.name);
        HWND parent = *info.parent ? pair.control(info.parent) : pair.form->window();
        check(GetParent(hwnd) == parent, std::string("parent of ") + info.name);
    }
    // The tool buttons: outside the Tab walk, a switch drawn as a button.
    const struct {
        const char* name;
        const char* caption;
        bool pushLike;
    } tools[] = {{kMountButtonName, "&Monture…", false},
                 {kCompareButtonName, "&Comparer…", false},
                 {kNightButtonName, "&Nuit", true}};
    for (const auto& tool : tools) {
        HWND hwnd = pair.form->toolButtonWindow(tool.name);
        const ControlGeometry& place = toolButton(tool.name).place;
        RECT at{};
        GetWindowRect(hwnd, &at);
        MapWindowPoints(nullptr, pair.form->window(), reinterpret_cast<POINT*>(&at), 2);
        check(hwnd && textOf(hwnd) == tool.caption && !styled(hwnd, WS_TABSTOP) &&
                  styled(hwnd, BS_PUSHLIKE) == tool.pushLike && at.left == scaled(place.x) &&
                  at.top == scaled(place.y) && at.right - at.left == scaled(place.width) &&
                  at.bottom - at.top == scaled(place.height),
              where + ": the tool button " + tool.name);
    }
}

// Tab from the first control: every shown, enabled box, check box and button
// of the table in its order, then round again (the tool buttons are not in it).
void testTabOrder()
{
    Pair pair;
    std::vector<HWND> expected;
    for (const ControlInfo& info : formControls()) {
        const ControlState& state = pair.model.control(info.name);
        const bool takesFocus = info.kind == ControlKind::Edit ||
                                info.kind == ControlKind::CheckBox ||
                                info.kind == ControlKind::Button;
        if (takesFocus && state.visible && info.enabled)
            expected.push_back(pair.control(info.name));
    }
    HWND window = pair.form->window();
    std::vector<HWND> walked;
    HWND at = GetNextDlgTabItem(window, nullptr, FALSE);
    for (std::size_t step = 0; at && step <= expected.size(); ++step) {
        walked.push_back(at);
        at = GetNextDlgTabItem(window, at, FALSE);
    }
    expected.push_back(expected.front()); // round again
    check(walked == expected, "tab order: " + std::to_string(walked.size()) + " stops walked");
}

void testLayoutAndNames()
{
    Pair pair;
    check(textOf(pair.form->window()) == kFormTitle, "title");
    checkLayout(pair, "at start");
    for (const UINT dpi : {144u, 192u, 96u, 120u}) {
        RECT suggested{10, 10, 10 + MulDiv(800, int(dpi), 96), 10 + MulDiv(330, int(dpi), 96)};
        SendMessageW(pair.form->window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
        check(pair.form->dpi() == dpi, "DPI " + std::to_string(dpi) + " followed");
        checkLayout(pair, "at " + std::to_string(dpi) + " DPI");
    }
    const struct {
        const char* control;
        const wchar_t* name;
    } names[] = {
        {"EditFrequenceQuartz", L"Fréquence du Quartz (Hz)"},
        {"EditV2AD", L"V2 (Guide) AD"},
        {"CheckBoxDe7", L"V7 De demi-pas"},
        {"EditV3AD", L"V3 AD"},
        {"EditV3De", L"Accélération (Temps en secondes entières)"},
        {"EditXAD1", L"X V1 AD"},
        {"EditMsFoc7", L"ms V7 Foc"},
        {"EditJeuDe", L"Rattrapage de jeu De"},
        {"EditMaintienFoc", L"Durée maintien (en ms)"},
        {"EditPwm0", L"PWM0"},
        {"ListBoxValeurTimer", L"Périodes IT proposées"},
    };
    for (const auto& expected : names)
        check(pair.form->accessibleName(expected.control) == expected.name,
              std::string("accessible name of ") + expected.control);
}

// --- The board's program memory read back (tests/support/make_hex_dumps.sh) ---

std::string g_dumps; // the dumps' folder, Z:\... under Wine

std::string hexDump(const std::string& name)
{
    return g_dumps + "\\" + name;
}

void typeInto(const Pair& pair, const std::string& name, const std::string& text)
{
    SendMessageW(pair.control(name), WM_SETTEXT, 0, LPARAM(widen(text).c_str()));
}

void clickAndPump(HWND button)
{
    SendMessageW(button, BM_CLICK, 0, 0);
    pumpMessages();
}

// Every control's text and check, the records, the drive and the names.
std::string windowState(const Pair& pair)
{
    std::string out;
    for (const ControlInfo& info : formControls()) {
        out += std::string(info.name) + "=" + textOf(pair.control(info.name));
        if (info.kind == ControlKind::CheckBox)
            out += SendMessageW(pair.control(info.name), BM_GETCHECK, 0, 0) ? "+" : "-";
        out += "\n";
    }
    FormModel& model = pair.form->model();
    for (const ConfigRecord* record : {&model.currentRecord(), &model.referenceRecord()})
        out += std::string(record->bytes().begin(), record->bytes().end());
    const DriveParameters& drive = model.driveParameters();
    out += std::to_string(drive.FrequenceQuartz) + " " + std::to_string(drive.PasParTour) + " " +
           std::to_string(floatBits(drive.DureeTour)) + " " +
           std::to_string(model.hasUnsavedChanges()) + " " + model.openFileName();
    return out;
}

std::string joinedLines(const std::vector<std::string>& lines, const std::string& between)
{
    std::string out;
    for (const std::string& line : lines)
        out += (out.empty() ? "" : between) + line;
    return out;
}

const std::vector<std::string> kBoardTable = {"V2AD : 16 -> 16/2", "JeuAD : 100 pas -> 123 pas",
                                              "TranchePec : 0 -> 7", "Pwm3 : 167 -> 200"};

void testHexOpens()
{
    const std::vector<unsigned char> recovered = fileBytes(hexDump("recovered.kv2"));
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
        Pair window;
        typeInto(window, "EditFrequenceQuartz", "20000000"); // kept: not in the board's memory
        const std::string before = windowState(window);
        if (row.dropped) {
            SendMessageW(window.form->window(), WM_DROPFILES,
                         WPARAM(dropOf(widen(hexDump(row.file)))), 0);
            pumpMessages();
        } else {
            window.dialogs->openNames.push_back(widen(hexDump(row.file)));
            clickAndPump(window.control("ButtonOuvrir"));
        }
        check(window.dialogs->questions.size() == 1, where + ": the unsaved changes asked first");
        if (*row.refusal) {
            check(window.dialogs->errors.size() == 1 &&
                      window.dialogs->errors[0].find(row.refusal) != std::string::npos,
                  where + ": refused: " + joinedLines(window.dialogs->errors, " / "));
            check(window.dialogs->notes.empty(), where + ": no note");
            check(windowState(window) == before, where + ": the window as it was");
            continue;
        }
        check(window.dialogs->errors.empty(),
              where + ": " + joinedLines(window.dialogs->errors, " / "));
        const auto& table = window.form->model().referenceRecord().bytes();
        check(
            recovered.size() >= kRecordSize &&
                std::vector<unsigned char>(table.begin(), table.end()) ==
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
        clickAndPump(window.control("ButtonSauvegarder")); // cancelled
        check(window.dialogs->proposedNames.size() == 1 &&
                  window.dialogs->proposedNames[0] == hexDump(row.file) + ".kv2",
              where + ": Save proposes " + joinedLines(window.dialogs->proposedNames, " / "));
    }
}

void testHexCompare(const std::string& saveDir)
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
        {"a HEX image", "", hexDump("memory.hex"), kBoardTable, true},
        {"a broken image", "", hexDump("broken.hex"), {}, true},
        {"cancelled", "", "-", {}, false},
    };
    for (const auto& row : rows) {
        Pair window;
        std::string file = row.file;
        if (file.empty()) {
            file = saveDir + "\\compared.kv2";
            window.dialogs->saveNames.push_back(widen(file));
            clickAndPump(window.control("ButtonSauvegarder"));
        } else if (file != "-") {
            typeInto(window, "EditFrequenceQuartz", "20000000"); // not in an image
        }
        if (*row.edit) typeInto(window, "EditJeuDe", row.edit);
        const std::string before = windowState(window);
        if (file != "-") window.dialogs->openNames.push_back(widen(file));
        clickAndPump(window.form->compareButton());
        check(windowState(window) == before, std::string(row.name) + ": the window as it was");
        if (row.lines.empty()) {
            check(window.dialogs->comparisons.empty(), std::string(row.name) + ": nothing shown");
            check(window.dialogs->errors.size() == (file == "-" ? 0u : 1u),
                  std::string(row.name) + ": " + joinedLines(window.dialogs->errors, " / "));
            continue;
        }
        check(window.dialogs->comparisons.size() == 1, std::string(row.name) + ": one dialog");
        if (window.dialogs->comparisons.empty()) continue;
        const FileComparison& shown = window.dialogs->comparisons[0];
        check(shown.lines == row.lines,
              std::string(row.name) + ": " + joinedLines(shown.lines, " / "));
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
    Pair window;
    FileComparison comparison;
    comparison.heading = "Fenêtre -> memory.hex :";
    comparison.lines = kBoardTable;
    HWND dialog = createComparisonDialog(window.form->window(), comparison);
    check(dialog != nullptr, "the comparison dialog is made");
    if (!dialog) return;
    const std::string expected = joinedLines(kBoardTable, "\r\n");
    check(textOf(GetDlgItem(dialog, kComparisonTextId)) == expected, "the lines shown");
    check(textOf(dialog) == "Comparer" &&
              textOf(GetDlgItem(dialog, kComparisonCopyId)) == "&Copier" &&
              textOf(GetDlgItem(dialog, IDCANCEL)) == "Fermer",
          "the dialog's words");
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
// « Nuit » and back: the looks that stand apart by day stay apart in the reds,
// with no green or blue, disabled apart from enabled; no accessible name
// changes; the second press gives the day's colours back.
void testNightLook()
{
    Pair pair;
    Win32Form& form = *pair.form;
    using Colours = std::pair<COLORREF, COLORREF>; // background, text
    const auto coloursOf = [&pair](const char* name) {
        HWND box = pair.control(name);
        const bool readOnly = styled(box, ES_READONLY) || !IsWindowEnabled(box) ||
                              std::string(name).rfind("Label", 0) == 0;
        HDC dc = CreateCompatibleDC(nullptr);
        SendMessageW(GetParent(box), readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT, WPARAM(dc),
                     LPARAM(box));
        const Colours colours{GetBkColor(dc), GetTextColor(dc)};
        DeleteDC(dc);
        return colours;
    };
    // The period field, a result display, EditV1AD, a typeable box, a label.
    const char* const looks[] = {"EditPeriodeTimer", "EditErreur", "EditV1AD", "EditJeuAD",
                                 "Label22"};
    std::vector<Colours> day;
    for (const char* name : looks)
        day.push_back(coloursOf(name));
    std::vector<std::wstring> names;
    for (const std::string& name : pair.model.controlNames())
        names.push_back(form.accessibleName(name));

    SendMessageW(form.nightButton(), BM_CLICK, 0, 0);
    pumpMessages();
    check(form.night(), "« Nuit » gives the night look");
    std::vector<Colours> night;
    for (const char* name : looks)
        night.push_back(coloursOf(name));
    for (std::size_t i = 0; i < night.size(); ++i)
        for (const COLORREF colour : {night[i].first, night[i].second})
            check(GetGValue(colour) == 0 && GetBValue(colour) == 0,
                  std::string("by night, no green or blue in ") + looks[i]);
    check(night[1] == night[2], "by night EditV1AD looks like the result displays");
    // The period field stands apart by its double frame, which the painter draws.
    check(night[1] != night[3] && night[3].first != night[4].first,
          "by night the displays, the boxes and the window stay apart");
    // Every colour is the scheme's: by day and by night.
    const auto ref = [](Rgb colour) { return RGB(colour.red, colour.green, colour.blue); };
    const struct {
        std::size_t look;
        ColourRole paperByDay, paperByNight, inkByNight;
    } scheme[] = {
        {0, ColourRole::PeriodField, ColourRole::Field, ColourRole::PeriodText},
        {1, ColourRole::ResultDisplay, ColourRole::ResultDisplay, ColourRole::ResultText},
        {2, ColourRole::ResultDisplay, ColourRole::ResultDisplay, ColourRole::ResultText},
        {3, ColourRole::Field, ColourRole::Field, ColourRole::Text},
        {4, ColourRole::Window, ColourRole::Window, ColourRole::Text},
    };
    for (const auto& row : scheme) {
        const std::string where = std::string(" of ") + looks[row.look];
        if (!schemeEntry(row.paperByDay).dayIsSystem)
            check(day[row.look].first == ref(dayColour(row.paperByDay)),
                  "the day's colour" + where);
        check(night[row.look] ==
                  Colours{ref(nightColour(row.paperByNight)), ref(nightColour(row.inkByNight))},
              "the night's levels" + where);
    }
    check(day[1].second == ref(dayColour(ColourRole::ResultText)), "the displays' yellow by day");
    EnableWindow(pair.control("EditJeuAD"), FALSE);
    check(coloursOf("EditJeuAD") != night[3], "by night a disabled box stands apart");
    EnableWindow(pair.control("EditJeuAD"), TRUE);
    std::vector<std::wstring> nightNames;
    for (const std::string& name : pair.model.controlNames())
        nightNames.push_back(form.accessibleName(name));
    check(nightNames == names, "by night every accessible name stays");
    check(!form.toolTipText(form.nightButton()).empty(), "« Nuit » has its help");

    SendMessageW(form.nightButton(), BM_CLICK, 0, 0);
    pumpMessages();
    std::vector<Colours> back;
    for (const char* name : looks)
        back.push_back(coloursOf(name));
    check(!form.night() && back == day, "the second press gives the day's colours back");
}

// Ctrl+N and Alt+N switch once; the system's repeat of a held key, Shift, or
// both at once switch nothing.
void testNightKeys()
{
    Pair pair;
    HWND box = pair.control("EditJeuAD");
    const struct {
        UINT message;
        bool control, alt, shift, repeated, switches;
    } presses[] = {
        {WM_KEYDOWN, true, false, false, false, true},
        {WM_KEYDOWN, true, false, false, true, false},
        {WM_SYSKEYDOWN, false, true, false, false, true},
        {WM_SYSKEYDOWN, false, true, false, true, false},
        {WM_KEYDOWN, true, false, true, false, false},
        {WM_SYSKEYDOWN, true, true, false, false, false},
        {WM_KEYDOWN, false, false, false, false, false},
    };
    int row = 0;
    for (const auto& press : presses) {
        BYTE keys[256] = {};
        keys[VK_CONTROL] = press.control ? 0x80 : 0;
        keys[VK_MENU] = press.alt ? 0x80 : 0;
        keys[VK_SHIFT] = press.shift ? 0x80 : 0;
        SetKeyboardState(keys);
        const bool before = pair.form->night();
        MSG message{};
        message.hwnd = box;
        message.message = press.message;
        message.wParam = 'N';
        message.lParam = LPARAM(1) | (press.repeated ? LPARAM(1) << 30 : 0);
        if (!pair.form->translateDialogMessage(message)) DispatchMessageW(&message);
        pumpMessages();
        check((pair.form->night() != before) == press.switches,
              "night key, row " + std::to_string(++row));
    }
    BYTE keys[256] = {};
    SetKeyboardState(keys);
}

// The lists of types the standard file dialogs are given, read through a
// stand-in for the dialogs themselves.
void testFileFilters()
{
    struct Asked {
        bool save;
        std::vector<std::string> filter;
    };
    std::vector<Asked> asked;
    StandardWin32Dialogs dialogs([&asked](OPENFILENAMEW& dialog, bool save) {
        Asked one{save, {}};
        for (const wchar_t* at = dialog.lpstrFilter; at && *at; at += std::wcslen(at) + 1)
            one.filter.push_back(narrow(at));
        asked.push_back(one);
        return FALSE; // as when the user cancels
    });
    check(dialogs.saveFileName(nullptr).empty() && dialogs.openFileName(nullptr).empty() &&
              dialogs.saveFileNameProposing(nullptr, L"memory.kv2").empty(),
          "a cancelled file dialog names no file");
    const std::vector<std::string> save{"KORVAL 2 (*.kv2)", "*.kv2"};
    const std::vector<std::string> open{
        "KORVAL 2 (*.kv2)",  "*.kv2", "Images HEX de la carte (*.hex)", "*.hex",
        "Tous les fichiers", "*"};
    check(asked.size() == 3 && asked[0].save && !asked[1].save && asked[2].save,
          "Sauvegarder, Ouvrir, Sauvegarder asked");
    if (asked.size() != 3) return;
    check(asked[0].filter == save && asked[2].filter == save, "« Sauvegarder » offers KORVAL 2");
    check(asked[1].filter == open, "« Ouvrir » offers KORVAL 2, the HEX images, every file");

    asked.clear();
    dialogs.firmwareFileName(nullptr);
    dialogs.wholeImageFileName(nullptr, L"table-image.hex");
    const std::vector<std::string> firmware{"Images HEX (*.hex)", "*.hex"};
    check(asked.size() == 2 && !asked[0].save && asked[1].save,
          "« Carte… » asks to open, then to save");
    for (const Asked& one : asked)
        check(one.filter == firmware, "« Carte… »'s dialogs offer the HEX images alone");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: test_win32_window SESSIONS.txt FILES_DIR [HEX_DUMPS_DIR]\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const std::string sessions = windowsPath(argv[1]);
    std::string filesDir = windowsPath(argv[2]);
    for (char& c : filesDir)
        if (c == '/') c = '\\';
    const std::string saveDir = makeSaveDir();
    try {
        testLayoutAndNames();
        testTabOrder();
        testSessions(sessions, filesDir, saveDir);
        testOpens(filesDir, saveDir);
        testKeys();
        testDropsAndArgument(filesDir);
        testReplaceAndFaults(saveDir);
        testMountDialog();
        testCalibrationPage();
        testHexEcho(saveDir);
        testClose(saveDir);
        if (argc == 4) {
            g_dumps = windowsPath(argv[3]);
            for (char& c : g_dumps)
                if (c == '/') c = '\\';
            testHexOpens();
            testHexCompare(saveDir);
            testComparisonDialog();
        }
        testNightLook();
        testNightKeys();
        testFileFilters();
    } catch (const std::exception& caught) {
        check(false, std::string("exception: ") + caught.what());
    }
    removeSaveDir(saveDir);
    CoUninitialize();
    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
