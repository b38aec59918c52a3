// korvalset24.exe: the window, a .kv2 named on the command line opened once
// the defaults are shown; "--version" answers on the output or in a box;
// "--nuit" starts in the night look for once, the stored choice unchanged.
// Every failure is said on the standard error where the program has one (a
// console, or a script that redirected it), else in a box.

#include "files/text_utf16.h"
#include "files/windows_system.h"
#include "korval_version.h"
#include "windows/win32_form.h"

#include <windows.h>

#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace
{
std::vector<std::wstring> arguments()
{
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> out;
    for (int i = 1; words && i < count; ++i)
        out.emplace_back(words[i]);
    LocalFree(words);
    return out;
}

// `text` as a line on the standard output or error (`stream`) where the
// program has one; in a box for a user who started it without a console.
void say(DWORD stream, const std::string& text, UINT icon)
{
    const std::string line = text + "\r\n";
    HANDLE output = GetStdHandle(stream);
    DWORD written = 0;
    if (output && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN &&
        WriteFile(output, line.data(), DWORD(line.size()), &written, nullptr))
        return;
    MessageBoxW(nullptr, korval::widen(text).c_str(), korval::formTitle(), MB_OK | icon);
}

// What failed, and the system's words for the error it has just reported.
int failed(const std::string& what)
{
    const DWORD error = GetLastError();
    const std::string words = korval::files::systemWords(error);
    say(STD_ERROR_HANDLE,
        what + " : " + (words.empty() ? "erreur " + std::to_string(error) + " du système" : words) +
            ".",
        MB_ICONERROR);
    return 1;
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    std::vector<std::wstring> words = arguments();
    if (!words.empty() && words[0] == L"--version") {
        say(STD_OUTPUT_HANDLE, std::string("korvalset24 ") + KORVAL_VERSION, MB_ICONINFORMATION);
        return 0;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = 1;
    bool night = korval::storedNightChoice();
    for (auto word = words.begin(); word != words.end();)
        if (*word == L"--nuit") {
            night = true;
            word = words.erase(word);
        } else {
            ++word;
        }
    {
        korval::Win32Form form;
        form.startAtNight(night);
        if (!words.empty()) form.openAtStart(words[0]);
        if (form.create(instance)) {
            form.quitOnDestroy();
            form.show(showCommand);
            MSG message{};
            BOOL got;
            while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
                if (form.translateDialogMessage(message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            // WM_QUIT carries the window's status: 0 once it is closed.
            status = got < 0 ? failed("La lecture des messages de la fenêtre a échoué")
                             : int(message.wParam);
        } else {
            status = failed("La fenêtre n'a pas pu être créée");
        }
    }
    CoUninitialize();
    return status;
}
