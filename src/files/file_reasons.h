#pragma once
// What the file layer of every system shares: the French reasons it gives,
// the names Windows keeps for its devices, and the temporary file's name.

#include <cstddef>
#include <cstdint>
#include <string>

namespace korval::files
{
enum class Fault {
    NotFound,
    FolderMissing,
    AccessDenied,
    HeldOpen,
    DiskFull,
    TooLarge,
    ReadOnlyDisk,
    InputOutput,
    TooManyLinks,
    NotAFolderInPath,
    NameTooLong,
    BadName,
    NotUtf8,
    NoName,
    DriveNotReady,
    NetworkPathMissing,
    ReadNotAllowed,
    ReadOnlyFile,
    ReadOnlyFolder,
    FolderHasThisName,
    IncompleteWrite,
    DanglingLink,
};

// What a path names when it is not a regular file.
enum class Kind { Folder, NamedPipe, Device, Socket, Special };

std::string reasonText(Fault fault);
// "c'est un dossier", "c'est un lien vers un tube nommé" ...
std::string itIs(Kind kind, bool throughLink = false);
// An error number the system names no better: its number and its own words.
std::string systemError(long number, const std::string& words);

// The reason a path is refused on Windows before anything is opened: a name
// kept for a device (CON, NUL, PRN, AUX, COM1-COM9, LPT1-LPT9, in any case,
// with any extension, in any folder) or a device path (\\.\, \\?\GLOBALROOT);
// empty for an ordinary path.
std::string windowsDeviceReason(const std::string& path);

// ".<name>.<pid>-<16 hex digits>.tmp", the temporary a save of `name` writes;
// when that would pass `maxName` bytes, the longest name most file systems
// take, ".kv-<16 hex digits of the name's hash>.<pid>-<16 hex digits>.tmp".
std::string temporaryName(const std::string& name, unsigned long pid, std::uint64_t random,
                          std::size_t maxName = 255);
// A new random part for temporaryName, different in every call and process.
std::uint64_t temporaryRandom();
// Whether `candidate` is a temporary of `name`, in either form, and of which
// process.
bool leftoverOf(const std::string& candidate, const std::string& name, bool ignoreCase,
                unsigned long& pid);

// The warnings of a save that succeeded. Who the file belongs to now, when
// the process could not give it back its owner, its group or both.
std::string ownerNotKept(bool ownerKept, bool groupKept, const std::string& owner,
                         const std::string& group);
// The folder's sync after the rename failed for `reason`.
std::string folderNotSynced(const std::string& reason);
} // namespace korval::files
