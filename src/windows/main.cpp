// korvalset24.exe: the window, a .kv2 named on the command line opened once
// the defaults are shown; "--version" answers on the output or in a box;
// "--nuit" starts in the night look for once, the stored choice unchanged.

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

void answerVersion()
{
    const std::string text = std::string("korvalset24 ") + KORVAL_VERSION;
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (output && output != INVALID_HANDLE_VALUE && GetFileType(output) != FILE_TYPE_UNKNOWN &&
        WriteFile(output, (text + "\r\n").data(), DWORD(text.size() + 2), &written, nullptr))
        return;
    const std::wstring wide(text.begin(), text.end());
    MessageBoxW(nullptr, wide.c_str(), korval::formTitle(), MB_OK | MB_ICONINFORMATION);
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    std::vector<std::wstring> words = arguments();
    if (!words.empty() && words[0] == L"--version") {
        answerVersion();
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
            MSG message;
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                if (form.translateDialogMessage(message)) continue;
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
            status = int(message.wParam);
        } else {
            MessageBoxW(nullptr, L"La fenêtre n'a pas pu être créée.", korval::formTitle(),
                        MB_OK | MB_ICONERROR);
        }
    }
    CoUninitialize();
    return status;
}
