#pragma once
// Reading and writing the tool's files. A write goes to a file beside its
// target that replaces it in one step, so a failed or killed save leaves the
// old file as it was. Paths are UTF-8 on every system; one implementation per
// system (file_store_posix.cpp, file_store_windows.cpp) keeps these promises.

#include <cstddef>
#include <string>
#include <vector>

class FileStore
{
public:
    virtual ~FileStore() = default;
    // paths are UTF-8 on every system
    // Reads at most `maxBytes`; false with a French reason when the file cannot
    // be opened or read, `data` then untouched. A read-only file opens: only
    // reading is asked for. Anything but a regular file (a folder, a named
    // pipe, a device, a socket, a link to one of them; on Windows also the
    // names kept for devices, CON, NUL, PRN, AUX, COM1-COM9, LPT1-LPT9 with any
    // extension, and the \\.\ and \\?\GLOBALROOT device paths) is refused
    // without being opened for reading, so a pipe with no writer never blocks
    // the caller. On Windows a file another program holds open without sharing
    // it is refused with a reason saying so.
    virtual bool read(const std::string& path, std::size_t maxBytes,
                      std::vector<unsigned char>& data, std::string& reason);
    // Replaces `path` by `data` atomically; false with a reason on any failure.
    // A file or folder marked read-only (on POSIX systems no write permission
    // bit at all, or none for its owner when that is the running user; on
    // Windows FILE_ATTRIBUTE_READONLY) is not replaced, even for the
    // super-user, whoever owns it; what is not a regular file, or a device
    // name, is never written. A link, live or dangling, is written through to
    // the file it names and stays a link. The new bytes reach the disk before
    // they take the old file's place, so the target holds its old bytes or its
    // new ones whenever the process is killed; the replaced file's permissions
    // (on Windows its hidden, system and archive marks), owner and group carry
    // over where the process may set them. The temporary file is
    // ".<name>.<pid>-<random>.tmp" beside the target, or
    // ".kv-<name's hash>.<pid>-<random>.tmp" when the name is too long for
    // that; one left by a killed process is removed by a later save of the
    // same target once that process no longer exists.
    // `warning` is empty, or after a save that succeeded says in French what
    // did not go as it should: an owner or group that could not be kept, a
    // folder that could not be synced after the new bytes took their place.
    virtual bool writeAtomically(const std::string& path, const std::vector<unsigned char>& data,
                                 std::string& reason, std::string& warning);
    // The same, for a caller that has nowhere to show a warning yet. (A store
    // that overrides the call above says `using FileStore::writeAtomically;`
    // to keep this one.)
    bool writeAtomically(const std::string& path, const std::vector<unsigned char>& data,
                         std::string& reason)
    {
        std::string warning;
        return writeAtomically(path, data, reason, warning);
    }
    // Whether something exists under `path` (a link: its target), asked as
    // read and writeAtomically ask, long Windows paths included.
    virtual bool exists(const std::string& path);
};
