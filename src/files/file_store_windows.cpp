// The file layer on Windows: UTF-8 paths become UTF-16 here and nowhere else;
// a save writes a file beside its target through the cache to the disk, then
// renames it over the target in one step (MoveFileExW): a process killed at
// any moment leaves the target with its old bytes or its new ones.

#include "files/file_reasons.h"
#include "files/file_store.h"
#include "files/text_utf16.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>

using korval::files::Fault;
using korval::files::Kind;
using korval::files::reasonText;

namespace
{
// The system's own words for an error it has no better name for here.
std::string systemWords(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD size = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring words(text ? text : L"", size);
    if (text) ::LocalFree(text);
    while (!words.empty() && (words.back() == L'\r' || words.back() == L'\n' ||
                              words.back() == L' ' || words.back() == L'.'))
        words.pop_back();
    return korval::narrow(words);
}

std::string systemReason(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return reasonText(Fault::NotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return reasonText(Fault::FolderMissing);
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return reasonText(Fault::AccessDenied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return reasonText(Fault::HeldOpen);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return reasonText(Fault::DiskFull);
    case ERROR_FILE_TOO_LARGE:
        return reasonText(Fault::TooLarge);
    case ERROR_WRITE_PROTECT:
        return reasonText(Fault::ReadOnlyDisk);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
        return reasonText(Fault::InputOutput);
    case ERROR_CANT_RESOLVE_FILENAME:
        return reasonText(Fault::TooManyLinks);
    case ERROR_DIRECTORY:
        return reasonText(Fault::NotAFolderInPath);
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BUFFER_OVERFLOW:
        return reasonText(Fault::NameTooLong);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return reasonText(Fault::BadName);
    case ERROR_NOT_READY:
        return reasonText(Fault::DriveNotReady);
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return reasonText(Fault::NetworkPathMissing);
    default:
        return korval::files::systemError(long(error), systemWords(error));
    }
}

class Handle
{
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle()
    {
        if (valid()) ::CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE && m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    // Closing can report a write the system deferred.
    bool close()
    {
        const HANDLE handle = m_handle;
        m_handle = INVALID_HANDLE_VALUE;
        return ::CloseHandle(handle) != 0;
    }

private:
    HANDLE m_handle;
};

// A path checked and made absolute, ready for the wide calls.
struct NativePath {
    std::wstring full;   // absolute, with backslashes
    std::wstring folder; // the folder that holds it
    std::wstring name;   // its last part
};

// Paths longer than the old limit go through the \\?\ form, which the
// system takes at any length once the path is absolute and clean.
std::wstring forCalls(const std::wstring& full)
{
    if (full.size() < MAX_PATH - 12 || full.compare(0, 4, L"\\\\?\\") == 0) return full;
    if (full.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

// Refuses what must never be opened or written (an empty name, a name kept
// for a device, a device path, a name that is not UTF-8) and splits the rest.
bool nativePath(const std::string& path, NativePath& native, std::string& reason)
{
    if (path.empty()) {
        reason = reasonText(Fault::NoName);
        return false;
    }
    if (path.find('\0') != std::string::npos) {
        reason = reasonText(Fault::BadName);
        return false;
    }
    reason = korval::files::windowsDeviceReason(path);
    if (!reason.empty()) return false;
    std::wstring wide;
    if (!korval::widenExactly(path, wide)) {
        reason = reasonText(Fault::NotUtf8);
        return false;
    }
    const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD written = size ? ::GetFullPathNameW(wide.c_str(), size, &full[0], nullptr) : 0;
    if (written == 0 || written >= size) {
        reason = systemReason(::GetLastError());
        return false;
    }
    full.resize(written);
    const std::size_t slash = full.find_last_of(L'\\');
    native.full = full;
    native.folder = full.substr(0, slash);
    // The root keeps its backslash: "C:" alone is the drive's current folder.
    if (native.folder.size() == 2 && native.folder[1] == L':') native.folder += L'\\';
    native.name = slash == std::wstring::npos ? full : full.substr(slash + 1);
    return true;
}

std::wstring inFolder(const std::wstring& folder, const std::wstring& name)
{
    return folder.back() == L'\\' ? folder + name : folder + L'\\' + name;
}

// Explorer marks a folder it shows in its own way (Documents, Pictures ...)
// read-only and puts a desktop.ini in it; such a folder is not read-only.
bool folderMarkedReadOnly(const std::wstring& folder, DWORD attributes)
{
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return false;
    return ::GetFileAttributesW(forCalls(inFolder(folder, L"desktop.ini")).c_str()) ==
           INVALID_FILE_ATTRIBUTES;
}

bool processGone(DWORD pid)
{
    const HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (!process) return ::GetLastError() == ERROR_INVALID_PARAMETER; // no such process
    const bool exited = ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    ::CloseHandle(process);
    return exited;
}

// Temporaries of this target that a killed save left: their process is gone,
// so nobody will put them in place any more.
void removeLeftovers(const NativePath& target)
{
    const std::string name = korval::narrow(target.name);
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(
        forCalls(inFolder(target.folder, L"." + target.name + L".*.tmp")).c_str(), FindExInfoBasic,
        &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        unsigned long pid = 0;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        // Names differ in case only on Windows' side of the comparison.
        if (!korval::files::leftoverOf(korval::narrow(found.cFileName), name, true, pid)) continue;
        if (pid == 0 || pid == ::GetCurrentProcessId() || !processGone(DWORD(pid))) continue;
        ::DeleteFileW(forCalls(inFolder(target.folder, found.cFileName)).c_str());
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool writeAll(HANDLE file, const std::vector<unsigned char>& data, std::string& reason)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const DWORD chunk = DWORD(std::min<std::size_t>(data.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, data.data() + done, chunk, &written, nullptr)) {
            reason = systemReason(::GetLastError());
            return false;
        }
        if (written == 0) {
            reason = reasonText(Fault::IncompleteWrite);
            return false;
        }
        done += written;
    }
    return true;
}

} // namespace

bool FileStore::read(const std::string& path, std::size_t maxBytes,
                     std::vector<unsigned char>& data, std::string& reason)
{
    NativePath native;
    if (!nativePath(path, native, reason)) return false;
    const std::wstring target = forCalls(native.full);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        reason = systemReason(::GetLastError());
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = korval::files::itIs(Kind::Folder, attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        return false;
    }
    Handle file(::CreateFileW(
        target.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        reason = systemReason(::GetLastError());
        return false;
    }
    // What was opened may not be what was checked: a disk file only.
    const DWORD type = ::GetFileType(file.get());
    if (type != FILE_TYPE_DISK) {
        reason = korval::files::itIs(type == FILE_TYPE_PIPE ? Kind::NamedPipe : Kind::Device);
        return false;
    }
    BY_HANDLE_FILE_INFORMATION opened{};
    if (!::GetFileInformationByHandle(file.get(), &opened)) {
        reason = systemReason(::GetLastError());
        return false;
    }
    if (opened.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = korval::files::itIs(Kind::Folder);
        return false;
    }
    // The size is a hint only: the file may grow or shrink while it is read.
    const unsigned long long size =
        (static_cast<unsigned long long>(opened.nFileSizeHigh) << 32) | opened.nFileSizeLow;
    std::vector<unsigned char> bytes(std::size_t(std::min<unsigned long long>(maxBytes, size + 1)));
    std::size_t done = 0;
    while (done < maxBytes) {
        if (done == bytes.size()) bytes.resize(std::min<std::size_t>(maxBytes, done * 2 + 64));
        const DWORD chunk = DWORD(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD got = 0;
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) {
            reason = systemReason(::GetLastError());
            return false;
        }
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    data.swap(bytes);
    return true;
}

bool FileStore::writeAtomically(const std::string& path, const std::vector<unsigned char>& data,
                                std::string& reason)
{
    NativePath native;
    if (!nativePath(path, native, reason)) return false;
    if (native.name.empty()) {
        reason = reasonText(Fault::FolderHasThisName);
        return false;
    }
    const std::wstring target = forCalls(native.full);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (!exists && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        reason = systemReason(::GetLastError());
        return false;
    }
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = reasonText(Fault::FolderHasThisName);
        return false;
    }
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
        reason = reasonText(Fault::ReadOnlyFile);
        return false;
    }
    if (exists) {
        // The access a replace needs, and no reading or writing: tells a disk
        // file from anything else, and a file another program holds without
        // sharing it, before anything is written.
        Handle probe(::CreateFileW(target.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe.valid() && ::GetLastError() == ERROR_SHARING_VIOLATION) {
            reason = reasonText(Fault::HeldOpen);
            return false;
        }
        if (probe.valid() && ::GetFileType(probe.get()) != FILE_TYPE_DISK) {
            reason = korval::files::itIs(Kind::Device);
            return false;
        }
    }
    const DWORD folder = ::GetFileAttributesW(forCalls(native.folder).c_str());
    if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY)) {
        reason = reasonText(Fault::FolderMissing);
        return false;
    }
    if (folderMarkedReadOnly(native.folder, folder)) {
        reason = reasonText(Fault::ReadOnlyFolder);
        return false;
    }
    removeLeftovers(native);

    // A name of this process and a random part, created exclusively: two saves
    // never share a temporary. Written through the cache, shared with nobody.
    std::wstring temporary;
    HANDLE created = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_SUCCESS;
    for (int attempt = 0; created == INVALID_HANDLE_VALUE && attempt < 16; ++attempt) {
        std::wstring name;
        korval::widenExactly(korval::files::temporaryName(korval::narrow(native.name),
                                                          ::GetCurrentProcessId(),
                                                          korval::files::temporaryRandom()),
                             name);
        temporary = forCalls(inFolder(native.folder, name));
        created = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        error = ::GetLastError();
        if (created == INVALID_HANDLE_VALUE && error != ERROR_FILE_EXISTS &&
            error != ERROR_ALREADY_EXISTS)
            break;
    }
    if (created == INVALID_HANDLE_VALUE) {
        reason = systemReason(error);
        return false;
    }
    Handle file(created);
    bool ok = writeAll(file.get(), data, reason);
    // The bytes must be on the disk before the name points at them.
    if (ok && !::FlushFileBuffers(file.get())) {
        reason = systemReason(::GetLastError());
        ok = false;
    }
    if (!file.close() && ok) {
        reason = systemReason(::GetLastError());
        ok = false;
    }
    // The marks the user set on the old file stay (the move does not keep
    // them).
    const DWORD kept =
        exists ? attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                               FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED)
               : 0;
    if (ok && kept && !::SetFileAttributesW(temporary.c_str(), kept)) {
        reason = systemReason(::GetLastError());
        ok = false;
    }
    // One rename over the target, which the file system does in one step.
    // Not ReplaceFileW: it moves the old file aside before it moves the new
    // one in, and a process killed between the two leaves no target at all.
    if (ok && !::MoveFileExW(temporary.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = ::GetLastError();
        reason = systemReason(error);
        ok = false;
    }
    if (!ok) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

bool FileStore::exists(const std::string& path)
{
    NativePath native;
    std::string reason;
    return nativePath(path, native, reason) &&
           ::GetFileAttributesW(forCalls(native.full).c_str()) != INVALID_FILE_ATTRIBUTES;
}
