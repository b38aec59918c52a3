#include "windows/win32_files.h"

#include "windows/text_utf.h"

#include <windows.h>

namespace korval
{

namespace
{
std::string systemReason(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "le fichier n'existe pas";
    case ERROR_ACCESS_DENIED:
        return "accès refusé";
    case ERROR_SHARING_VIOLATION:
        return "le fichier est ouvert par un autre programme";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "le disque est plein";
    case ERROR_WRITE_PROTECT:
        return "le support est protégé en écriture";
    default:
        return "erreur système " + std::to_string(error);
    }
}

class Handle
{
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (valid()) CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }
    void close()
    {
        if (valid()) CloseHandle(m_handle);
        m_handle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE m_handle;
};
} // namespace

bool Win32FileStore::read(const std::string& path, std::size_t maxBytes,
                          std::vector<unsigned char>& data, std::string& reason)
{
    const std::wstring name = widen(path);
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        reason = systemReason(GetLastError());
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = "c'est un dossier, pas un fichier";
        return false;
    }
    Handle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        reason = systemReason(GetLastError());
        return false;
    }
    // A pipe or a device would block the window or never end.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        reason = "ce n'est pas un fichier ordinaire";
        return false;
    }
    data.assign(maxBytes, 0);
    std::size_t total = 0;
    while (total < maxBytes) {
        DWORD got = 0;
        if (!ReadFile(file.get(), data.data() + total, DWORD(maxBytes - total), &got, nullptr)) {
            reason = systemReason(GetLastError());
            data.clear();
            return false;
        }
        if (got == 0) break;
        total += got;
    }
    data.resize(total);
    return true;
}

bool Win32FileStore::writeAtomically(const std::string& path,
                                     const std::vector<unsigned char>& data, std::string& reason)
{
    const std::wstring target = widen(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            reason = "c'est un dossier, pas un fichier";
            return false;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) {
            reason = "le fichier est en lecture seule";
            return false;
        }
    }
    const std::wstring temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    Handle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        reason = systemReason(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool complete =
        WriteFile(file.get(), data.data(), DWORD(data.size()), &written, nullptr) &&
        written == data.size() && FlushFileBuffers(file.get());
    const DWORD writeError = GetLastError();
    file.close();
    if (!complete) {
        DeleteFileW(temporary.c_str());
        reason = written != data.size() && writeError == 0 ? "écriture incomplète"
                                                           : systemReason(writeError);
        return false;
    }
    if (!MoveFileExW(temporary.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = systemReason(GetLastError());
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace korval
