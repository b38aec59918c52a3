// The file layer on Windows: UTF-8 paths become UTF-16 here and nowhere else;
// a save writes a file beside its target through the cache to the disk, then
// renames it over the target in one step (MoveFileExW): a process killed at
// any moment leaves the target with its old bytes or its new ones.

#include "files/file_reasons.h"
#include "files/file_store.h"
#include "files/text_utf16.h"
#include "files/windows_system.h"
// After windows.h, which they need.
#include <aclapi.h>
#include <sddl.h>
#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <vector>

using korval::files::Fault;
using korval::files::Handle;
using korval::files::Kind;
using korval::files::reasonText;
using korval::files::systemWords;

namespace
{
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

// Splits an absolute or relative wide path, made absolute.
bool splitPath(const std::wstring& wide, NativePath& native, std::string& reason)
{
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
    return splitPath(wide, native, reason);
}

// "\\?\C:\x" and "\\?\UNC\server\x" as "C:\x" and "\\server\x", the form the
// rest of this file splits and lengthens again where needed.
std::wstring plainForm(const std::wstring& path)
{
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + path.substr(8);
    if (path.compare(0, 4, L"\\\\?\\") == 0 && path.size() > 5 && path[5] == L':')
        return path.substr(4);
    return path;
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

// The path a symbolic link names, live or dangling, read from the link
// itself; false for anything else (a junction, a file a cloud service keeps).
bool linkTarget(const NativePath& link, std::wstring& target)
{
    Handle handle(::CreateFileW(
        forCalls(link.full).c_str(), FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle.valid()) return false;
    std::vector<unsigned char> data(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD got = 0;
    if (!::DeviceIoControl(handle.get(), FSCTL_GET_REPARSE_POINT, nullptr, 0, data.data(),
                           DWORD(data.size()), &got, nullptr) ||
        got < 20)
        return false;
    // The symbolic link's reparse data: its tag, then at 8 the offset and
    // length in bytes of the name it substitutes, at 16 its flags, at 20 the
    // names.
    DWORD tag = 0;
    WORD offset = 0;
    WORD length = 0;
    ULONG flags = 0;
    std::memcpy(&tag, &data[0], 4);
    std::memcpy(&offset, &data[8], 2);
    std::memcpy(&length, &data[10], 2);
    std::memcpy(&flags, &data[16], 4);
    if (tag != IO_REPARSE_TAG_SYMLINK || 20u + offset + length > got) return false;
    std::wstring name(length / 2, L'\0');
    std::memcpy(&name[0], &data[20 + offset], length / 2 * 2);
    if (name.compare(0, 4, L"\\??\\") == 0) name = L"\\\\?\\" + name.substr(4);
    const ULONG relative = 1; // SYMLINK_FLAG_RELATIVE: from the link's folder
    target = flags & relative ? inFolder(link.folder, name) : plainForm(name);
    return true;
}

// Where a save writes: through every symbolic link to the path the last one
// names, whether a file is there or not yet, as editors do; the links stay.
// Then, for a file that exists, the path the system opens for it: Wine shows
// a Unix link as the file it leads to, and names that file here. (A dangling
// Unix link Wine does not show at all: a save there replaces the link.)
bool followLinks(NativePath& native, std::string& reason)
{
    for (int hops = 0; hops <= 63; ++hops) {
        const DWORD attributes = ::GetFileAttributesW(forCalls(native.full).c_str());
        std::wstring target;
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            linkTarget(native, target)) {
            if (!splitPath(target, native, reason)) return false;
            continue;
        }
        Handle file(::CreateFileW(forCalls(native.full).c_str(), 0,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (!file.valid()) return true;
        std::wstring final(MAX_PATH, L'\0');
        DWORD size = ::GetFinalPathNameByHandleW(file.get(), &final[0], DWORD(final.size()), 0);
        if (size >= final.size()) {
            final.resize(size + 1);
            size = ::GetFinalPathNameByHandleW(file.get(), &final[0], DWORD(final.size()), 0);
        }
        if (size == 0 || size >= final.size()) return true; // the path as given, then
        final.resize(size);
        return splitPath(plainForm(final), native, reason);
    }
    reason = reasonText(Fault::TooManyLinks);
    return false;
}

// A user's or group's name for a warning: "DOMAINE\nom", or the SID's text.
std::string accountName(PSID sid)
{
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameSize = 256;
    DWORD domainSize = 256;
    SID_NAME_USE use{};
    if (::LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        return korval::narrow(domainSize ? std::wstring(domain) + L"\\" + name : name);
    wchar_t* text = nullptr;
    if (!::ConvertSidToStringSidW(sid, &text)) return "?";
    const std::string result = korval::narrow(text);
    ::LocalFree(text);
    return result;
}

// Gives the temporary the owner and group of the file it replaces where the
// process may (taking another user's as owner needs a privilege most users
// lack); the warning when it could not, empty otherwise.
std::string keepOwner(const std::wstring& target, const std::wstring& temporary)
{
    const SECURITY_INFORMATION both = OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION;
    PSID owner = nullptr;
    PSID group = nullptr;
    PSECURITY_DESCRIPTOR old = nullptr;
    if (::GetNamedSecurityInfoW(target.c_str(), SE_FILE_OBJECT, both, &owner, &group, nullptr,
                                nullptr, &old) != ERROR_SUCCESS)
        return std::string(); // nothing known to keep (a file system without owners)
    PSID newOwner = nullptr;
    PSID newGroup = nullptr;
    PSECURITY_DESCRIPTOR made = nullptr;
    std::string warning;
    if (::GetNamedSecurityInfoW(temporary.c_str(), SE_FILE_OBJECT, both, &newOwner, &newGroup,
                                nullptr, nullptr, &made) == ERROR_SUCCESS) {
        wchar_t* name = const_cast<wchar_t*>(temporary.c_str());
        const bool ownerKept =
            ::EqualSid(owner, newOwner) ||
            ::SetNamedSecurityInfoW(name, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner,
                                    nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        const bool groupKept =
            ::EqualSid(group, newGroup) ||
            ::SetNamedSecurityInfoW(name, SE_FILE_OBJECT, GROUP_SECURITY_INFORMATION, nullptr,
                                    group, nullptr, nullptr) == ERROR_SUCCESS;
        warning = korval::files::ownerNotKept(ownerKept, groupKept, accountName(newOwner),
                                              accountName(newGroup));
        ::LocalFree(made);
    }
    ::LocalFree(old);
    return warning;
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

// Temporaries of this target, in either form, that a killed save left: their
// process is gone, so nobody will put them in place any more.
void removeLeftovers(const NativePath& target)
{
    const std::string name = korval::narrow(target.name);
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        ::FindFirstFileExW(forCalls(inFolder(target.folder, L".*.tmp")).c_str(), FindExInfoBasic,
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
                                std::string& reason, std::string& warning)
{
    warning.clear();
    NativePath native;
    if (!nativePath(path, native, reason) || !followLinks(native, reason)) return false;
    if (native.name.empty()) {
        reason = reasonText(Fault::FolderHasThisName);
        return false;
    }
    // Windows' file systems take 255 UTF-16 units in a name; Wine would only
    // say that the file does not exist.
    if (native.name.size() > 255) {
        reason = reasonText(Fault::NameTooLong);
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
    if (ok && exists) warning = keepOwner(target, temporary);
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
        warning.clear();
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
