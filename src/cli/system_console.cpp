#include "system_console.h"

#if defined(_WIN32)
#include "files/text_utf16.h"

#include <windows.h>
// shellapi.h needs the types windows.h declares first.
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

namespace cli
{

#if defined(_WIN32)

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    if (!wide) {
        for (int i = 1; i < argc; ++i)
            arguments.emplace_back(argv[i]);
        return arguments;
    }
    for (int i = 1; i < count; ++i)
        arguments.push_back(korval::narrow(wide[i]));
    LocalFree(wide);
    return arguments;
}

void prepareConsole()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    SetConsoleOutputCP(CP_UTF8);
}

#else

std::vector<std::string> commandLineArguments(int argc, char** argv)
{
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
}

void prepareConsole() {}

#endif

} // namespace cli
