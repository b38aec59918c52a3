// The runner on Windows: CreateProcessW with the arguments quoted so that the
// program's CommandLineToArgvW gives them back, one pipe for standard output
// and error; no shell anywhere.

#include "files/file_reasons.h"
#include "files/process_system.h"
#include "files/text_utf16.h"
#include "files/windows_system.h"

#include <cstdio>
#include <vector>

namespace korval::files
{

namespace
{
std::string startReason(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return startFaultText(StartFault::Missing);
    case ERROR_ACCESS_DENIED:
        return startFaultText(StartFault::Denied);
    case ERROR_BAD_EXE_FORMAT:
        return startFaultText(StartFault::NotAProgram);
    default:
        return systemError(long(error), "erreur du système");
    }
}

} // namespace

ProcessResult runNamedProgram(const std::vector<std::string>& arguments,
                              const std::function<void(const std::string&)>& output,
                              const std::atomic<bool>* stop)
{
    ProcessResult result;
    SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    Handle reading;
    Handle writing;
    if (!::CreatePipe(reading.out(), writing.out(), &inherited, 0)) {
        result.reason = startReason(::GetLastError());
        return result;
    }
    ::SetHandleInformation(reading.get(), HANDLE_FLAG_INHERIT, 0);
    Handle input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                               OPEN_EXISTING, 0, nullptr));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = writing.get();
    startup.hStdError = writing.get();
    std::wstring line = widen(windowsCommandLine(arguments));
    std::vector<wchar_t> mutableLine(line.begin(), line.end());
    mutableLine.push_back(L'\0');
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE,
                          CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup,
                          &process)) {
        result.reason = startReason(::GetLastError());
        return result;
    }
    Handle child(process.hProcess);
    ::CloseHandle(process.hThread);
    writing.reset();
    input.reset();

    bool stopped = false;
    char buffer[4096];
    while (true) {
        if (stop && stop->load() && !stopped) {
            stopped = true;
            ::TerminateProcess(child.get(), 1);
        }
        DWORD available = 0;
        if (!::PeekNamedPipe(reading.get(), nullptr, 0, nullptr, &available, nullptr)) break;
        if (available > 0) {
            DWORD got = 0;
            if (!::ReadFile(reading.get(), buffer, sizeof buffer, &got, nullptr) || got == 0) break;
            if (output) output(std::string(buffer, got));
            continue;
        }
        // Ended, and a child it left holding the pipe keeps nothing waiting.
        if (::WaitForSingleObject(child.get(), 50) == WAIT_OBJECT_0) {
            while (::PeekNamedPipe(reading.get(), nullptr, 0, nullptr, &available, nullptr) &&
                   available > 0) {
                DWORD got = 0;
                if (!::ReadFile(reading.get(), buffer, sizeof buffer, &got, nullptr) || got == 0)
                    break;
                if (output) output(std::string(buffer, got));
            }
            break;
        }
    }
    ::WaitForSingleObject(child.get(), INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(child.get(), &code);
    result.end = stopped ? ProcessResult::End::Stopped : ProcessResult::End::Exited;
    result.status = int(code);
    return result;
}

bool makePrivateFolder(std::string& folder, std::string& reason)
{
    wchar_t base[MAX_PATH + 1];
    const DWORD size = ::GetTempPathW(MAX_PATH + 1, base);
    if (size == 0 || size > MAX_PATH) {
        reason = "le dossier temporaire du système est introuvable";
        return false;
    }
    for (int attempt = 0; attempt < 16; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof name, "korvalset24-%016llx",
                      static_cast<unsigned long long>(temporaryRandom()));
        const std::string path = narrow(std::wstring(base, size)) + name;
        // The user's own temporary folder: only the user and the system enter it.
        if (::CreateDirectoryW(widen(path).c_str(), nullptr)) {
            folder = path;
            return true;
        }
        if (::GetLastError() != ERROR_ALREADY_EXISTS) {
            reason = startReason(::GetLastError());
            return false;
        }
    }
    reason = "impossible de trouver un nom libre dans le dossier temporaire";
    return false;
}

} // namespace korval::files
