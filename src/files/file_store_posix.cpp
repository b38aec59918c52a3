// The file layer on POSIX systems: open without blocking, checks before and
// after the open, the replace by rename of a synced file.

#include "files/file_reasons.h"
#include "files/file_store.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

using korval::files::Fault;
using korval::files::Kind;
using korval::files::reasonText;

namespace
{
std::string systemReason(int error)
{
    switch (error) {
    case ENOENT:
        return reasonText(Fault::NotFound);
    case EACCES:
    case EPERM:
        return reasonText(Fault::AccessDenied);
    case ENOSPC:
    case EDQUOT:
        return reasonText(Fault::DiskFull);
    case EFBIG:
        return reasonText(Fault::TooLarge);
    case EROFS:
        return reasonText(Fault::ReadOnlyDisk);
    case EIO:
        return reasonText(Fault::InputOutput);
    case ELOOP:
        return reasonText(Fault::TooManyLinks);
    case ENOTDIR:
        return reasonText(Fault::NotAFolderInPath);
    case ENAMETOOLONG:
        return reasonText(Fault::NameTooLong);
    case ETXTBSY:
        return reasonText(Fault::HeldOpen);
    default:
        return korval::files::systemError(error, std::strerror(error));
    }
}

// What a file that is not a regular one is, for the message.
Kind kindOf(mode_t mode)
{
    if (S_ISDIR(mode)) return Kind::Folder;
    if (S_ISFIFO(mode)) return Kind::NamedPipe;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return Kind::Device;
    if (S_ISSOCK(mode)) return Kind::Socket;
    return Kind::Special;
}

// The owner's permission bit counts even where the system would let the
// super-user through: a file marked read-only is one the user meant to keep.
bool ownerLacks(const struct stat& info, mode_t ownerBit)
{
    return info.st_uid == geteuid() && !(info.st_mode & ownerBit);
}

// Marked read-only for everybody, whoever owns it, or for its owner when the
// owner is the one saving.
bool markedReadOnly(const struct stat& info)
{
    return !(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) || ownerLacks(info, S_IWUSR);
}

// A user's or a group's name for a warning; its number when it has none.
std::string userName(uid_t uid)
{
    std::vector<char> buffer(16384);
    struct passwd entry {
    };
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_name;
    return std::to_string(uid);
}

std::string groupName(gid_t gid)
{
    std::vector<char> buffer(16384);
    struct group entry {
    };
    struct group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

// A zero byte would end the name early: another file than the one asked for.
bool usableName(const std::string& path, std::string& reason)
{
    if (!path.empty() && path.find('\0') == std::string::npos) return true;
    reason = reasonText(path.empty() ? Fault::NoName : Fault::BadName);
    return false;
}

bool isFolder(const std::string& path, struct stat& info)
{
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closing can report a write the system deferred.
    bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

// The folder and the name of an absolute or relative path.
struct PathParts {
    std::string folder;
    std::string name;
};

PathParts split(const std::string& path)
{
    std::string absolute = path;
    if (path.empty() || path[0] != '/') {
        char here[PATH_MAX];
        absolute = std::string(::getcwd(here, sizeof here) ? here : ".") + "/" + path;
    }
    const std::size_t slash = absolute.find_last_of('/');
    return {slash == 0 ? "/" : absolute.substr(0, slash), absolute.substr(slash + 1)};
}

std::string join(const std::string& folder, const std::string& name)
{
    return folder == "/" ? "/" + name : folder + "/" + name;
}

// Where a save of `path` writes: through every link to the path the last one
// names, whether a file is there or not yet (a dangling link), as editors do;
// the links themselves stay. As many links as the system itself follows.
bool followLinks(const std::string& path, std::string& resolved, std::string& reason)
{
    std::string current = path;
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat info {
        };
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            resolved = current;
            return true;
        }
        std::vector<char> buffer(PATH_MAX);
        ssize_t size = 0;
        while ((size = ::readlink(current.c_str(), buffer.data(), buffer.size())) >= 0 &&
               std::size_t(size) == buffer.size())
            buffer.resize(buffer.size() * 2); // cut short: read again into more room
        if (size < 0) {
            reason = systemReason(errno);
            return false;
        }
        const std::string target(buffer.data(), std::size_t(size));
        current =
            !target.empty() && target[0] == '/' ? target : join(split(current).folder, target);
    }
    reason = reasonText(Fault::TooManyLinks);
    return false;
}

// Temporaries of this target that a killed save left: their process is gone,
// so nobody will rename them any more.
void removeLeftovers(const std::string& folder, const std::string& name)
{
    DIR* listing = ::opendir(folder.c_str());
    if (!listing) return;
    while (const dirent* entry = ::readdir(listing)) {
        unsigned long pid = 0;
        if (!korval::files::leftoverOf(entry->d_name, name, false, pid)) continue;
        if (pid == 0 || pid > unsigned(INT_MAX) || pid_t(pid) == ::getpid()) continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue; // alive, or not ours to judge
        ::unlink(join(folder, entry->d_name).c_str());
    }
    ::closedir(listing);
}

bool writeAll(int fd, const std::vector<unsigned char>& data, std::string& reason)
{
    std::size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = systemReason(errno);
            return false;
        }
        if (n == 0) {
            reason = reasonText(Fault::IncompleteWrite);
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}
} // namespace

bool FileStore::read(const std::string& path, std::size_t maxBytes,
                     std::vector<unsigned char>& data, std::string& reason)
{
    if (!usableName(path, reason)) return false;
    struct stat link {
    };
    struct stat target {
    };
    if (::lstat(path.c_str(), &link) != 0) {
        const int error = errno;
        struct stat folder {
        };
        reason = isFolder(split(path).folder, folder) ? systemReason(error)
                                                      : reasonText(Fault::FolderMissing);
        return false;
    }
    const bool isLink = S_ISLNK(link.st_mode);
    if (::stat(path.c_str(), &target) != 0) {
        reason = isLink ? reasonText(Fault::DanglingLink) : systemReason(errno);
        return false;
    }
    if (!S_ISREG(target.st_mode)) {
        reason = korval::files::itIs(kindOf(target.st_mode), isLink);
        return false;
    }
    if (::access(path.c_str(), R_OK) != 0 || ownerLacks(target, S_IRUSR)) {
        reason = reasonText(Fault::ReadNotAllowed);
        return false;
    }
    // Something else may take the file's place between the check and the
    // open: without blocking, and checked again on what was opened.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (file.get() < 0) {
        reason = systemReason(errno);
        return false;
    }
    struct stat opened {
    };
    if (::fstat(file.get(), &opened) != 0) {
        reason = systemReason(errno);
        return false;
    }
    if (!S_ISREG(opened.st_mode)) {
        reason = korval::files::itIs(kindOf(opened.st_mode));
        return false;
    }
    // The size is a hint only: the file may grow or shrink while it is read.
    std::vector<unsigned char> bytes(
        std::min<std::size_t>(maxBytes, std::size_t(std::max<off_t>(opened.st_size, 0)) + 1));
    std::size_t done = 0;
    while (done < maxBytes) {
        if (done == bytes.size()) bytes.resize(std::min<std::size_t>(maxBytes, done * 2 + 64));
        const ssize_t n = ::read(file.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            reason = systemReason(errno);
            return false;
        }
        if (n == 0) break;
        done += std::size_t(n);
    }
    bytes.resize(done);
    data.swap(bytes);
    return true;
}

bool FileStore::writeAtomically(const std::string& path, const std::vector<unsigned char>& data,
                                std::string& reason, std::string& warning)
{
    warning.clear();
    if (!usableName(path, reason)) return false;
    std::string targetPath;
    if (!followLinks(path, targetPath, reason)) return false;
    struct stat existing {
    };
    const bool exists = ::stat(targetPath.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) {
        reason = reasonText(Fault::FolderHasThisName);
        return false;
    }
    // A pipe or a device of that name is not the user's file: never replaced.
    if (exists && !S_ISREG(existing.st_mode)) {
        reason = korval::files::itIs(kindOf(existing.st_mode));
        return false;
    }
    if (exists && (::access(targetPath.c_str(), W_OK) != 0 || markedReadOnly(existing))) {
        reason = reasonText(Fault::ReadOnlyFile);
        return false;
    }
    const PathParts parts = split(targetPath);
    if (parts.name.empty()) {
        reason = reasonText(Fault::FolderHasThisName);
        return false;
    }
    struct stat folder {
    };
    if (!isFolder(parts.folder, folder)) {
        reason = reasonText(Fault::FolderMissing);
        return false;
    }
    if (::access(parts.folder.c_str(), W_OK) != 0 || markedReadOnly(folder)) {
        reason = reasonText(Fault::ReadOnlyFolder);
        return false;
    }
    const std::string target = join(parts.folder, parts.name);
    removeLeftovers(parts.folder, parts.name);

    // A name of this process and a random part, created exclusively: two saves
    // never share a temporary. Short enough for any name the folder takes.
    const long nameMax = ::pathconf(parts.folder.c_str(), _PC_NAME_MAX);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temporary = join(parts.folder,
                         korval::files::temporaryName(parts.name, unsigned(::getpid()),
                                                      korval::files::temporaryRandom(),
                                                      nameMax > 0 ? std::size_t(nameMax) : 255));
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) {
        reason = systemReason(errno);
        return false;
    }
    Descriptor file(fd);
    struct stat old {
    };
    struct stat made {
    };
    bool ok = true;
    if (::stat(target.c_str(), &old) == 0 && ::fstat(file.get(), &made) == 0 &&
        (made.st_uid != old.st_uid || made.st_gid != old.st_gid)) {
        // The owner and group of the file replaced: both where the process
        // may (the super-user always), else the group alone if it is one of
        // the user's; what could not be kept is said, not hidden.
        if (::fchown(file.get(), old.st_uid, old.st_gid) != 0)
            (void)::fchown(file.get(), uid_t(-1), old.st_gid);
        if (::fstat(file.get(), &made) == 0)
            warning =
                korval::files::ownerNotKept(made.st_uid == old.st_uid, made.st_gid == old.st_gid,
                                            userName(made.st_uid), groupName(made.st_gid));
    }
    // The new file keeps the permissions of the one it replaces (no set-id
    // bits); after the owner, whose change may clear bits.
    if (old.st_mode != 0 && ::fchmod(file.get(), old.st_mode & 0777) != 0) {
        reason = systemReason(errno);
        ok = false;
    }
    ok = ok && writeAll(file.get(), data, reason);
    // The bytes must be on the disk before the name points at them: after a
    // crash the rename could otherwise survive and the data not.
    if (ok && ::fsync(file.get()) != 0) {
        reason = systemReason(errno);
        ok = false;
    }
    if (!file.close() && ok) {
        reason = systemReason(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        reason = systemReason(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        warning.clear();
        return false;
    }
    // The rename itself lives in the folder: sync it too. A file system that
    // cannot sync a folder (EINVAL) has nothing more to offer. The new bytes
    // are in place whatever this gives: a warning, not a failed save.
    Descriptor dir(::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0 && ::fsync(dir.get()) != 0 && errno != EINVAL) {
        const std::string synced = korval::files::folderNotSynced(systemReason(errno));
        warning = warning.empty() ? synced : warning + " ; " + synced;
    }
    return true;
}

bool FileStore::exists(const std::string& path)
{
    struct stat info;
    return !path.empty() && ::stat(path.c_str(), &info) == 0;
}
