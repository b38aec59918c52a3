// The file layer on its own, without Qt: the same cases on every system, run
// natively and, in the Windows build, under Wine. Each case prepares a fresh
// folder, reads or saves once, and checks the outcome, the reason, the bytes
// the file holds afterwards and that no temporary file stayed behind.

#include "files/file_reasons.h"
#include "files/file_store.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

// A folder whose sync fails, on demand: this program's fsync stands in for
// the C library's in the file layer linked into it.
bool g_failFolderSync = false;
extern "C" int fsync(int fd)
{
    struct stat info {
    };
    if (g_failFolderSync && fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        errno = EIO;
        return -1;
    }
    return int(syscall(SYS_fsync, fd));
}
#endif

namespace fs = std::filesystem;

namespace
{
int g_failures = 0;
std::string g_case;

void check(bool ok, const char* what, int line)
{
    if (ok) return;
    ++g_failures;
    std::fprintf(stderr, "FAIL [%s] line %d: %s\n", g_case.c_str(), line, what);
}

void checkEqual(const std::string& got, const std::string& wanted, const char* what, int line)
{
    if (got == wanted) return;
    ++g_failures;
    std::fprintf(stderr, "FAIL [%s] line %d: %s is \"%s\", not \"%s\"\n", g_case.c_str(), line,
                 what, got.c_str(), wanted.c_str());
}

#define CHECK(condition) check((condition), #condition, __LINE__)
#define CHECK_EQUAL(got, wanted) checkEqual((got), (wanted), #got, __LINE__)

std::string text(const std::vector<unsigned char>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::vector<unsigned char> bytesOf(const std::string& text)
{
    return std::vector<unsigned char>(text.begin(), text.end());
}

// What the cases need of the system, outside the file layer under test: the
// standard library's own files, UTF-8 names on every system.
fs::path native(const std::string& path)
{
    fs::path result = fs::u8path(path);
#ifdef _WIN32
    // Past the old 260 characters, through the form that has no limit.
    result.make_preferred();
    if (result.native().size() >= MAX_PATH - 12) result = L"\\\\?\\" + result.native();
#endif
    return result;
}

std::string makeTemporaryFolder()
{
    static int count = 0;
    const fs::path folder =
        fs::temp_directory_path() /
        ("korval-files-" + std::to_string(++count) + "-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder);
    return folder.u8string();
}

#ifdef _WIN32
// The standard library of MinGW-w64 cannot make or remove a folder through
// the \\?\ form; the system's calls can.
void makeFolder(const std::string& path)
{
    CreateDirectoryW(native(path).c_str(), nullptr);
}

void removeTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    while (search != INVALID_HANDLE_VALUE) {
        const std::wstring name = found.cFileName, child = folder + L"\\" + name;
        if (name != L"." && name != L"..") {
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        }
        if (!FindNextFileW(search, &found)) break;
    }
    FindClose(search);
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

void removeTree(const std::string& path)
{
    removeTree(L"\\\\?\\" + fs::u8path(path).make_preferred().native());
}
#else
void makeFolder(const std::string& path)
{
    fs::create_directory(native(path));
}

void removeTree(const std::string& path)
{
    std::error_code error;
    for (fs::recursive_directory_iterator entry(native(path), error), end; !error && entry != end;
         entry.increment(error))
        fs::permissions(entry->path(), fs::perms::owner_write, fs::perm_options::add, error);
    fs::permissions(native(path), fs::perms::owner_write, fs::perm_options::add, error);
    fs::remove_all(native(path), error);
}
#endif

void writeRaw(const std::string& path, const std::string& content)
{
    std::ofstream(native(path), std::ios::binary) << content;
}

std::string readRaw(const std::string& path)
{
    std::ifstream file(native(path), std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
}

std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(native(path), error))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}

// On Windows the standard library sets or clears FILE_ATTRIBUTE_READONLY.
void setReadOnly(const std::string& path, bool readOnly)
{
    fs::permissions(native(path), fs::perms::owner_write | fs::perms::group_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

#ifdef _WIN32
// Another program's handle on the file, sharing nothing.
class HeldFile
{
public:
    explicit HeldFile(const std::string& path)
        : m_handle(CreateFileW(native(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))
    {
        CHECK(m_handle != INVALID_HANDLE_VALUE);
    }
    ~HeldFile() { CloseHandle(m_handle); }

private:
    HANDLE m_handle;
};

// This program started again with `argument`: it exits at once or waits.
class Child
{
public:
    explicit Child(const char* argument)
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring line = L"\"" + std::wstring(self) + L"\" " + native(argument).wstring();
        STARTUPINFOW start{};
        start.cb = sizeof start;
        CHECK(CreateProcessW(self, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start,
                             &m_process));
    }
    ~Child()
    {
        TerminateProcess(m_process.hProcess, 0);
        WaitForSingleObject(m_process.hProcess, INFINITE);
        CloseHandle(m_process.hProcess);
        CloseHandle(m_process.hThread);
    }
    unsigned long pid() const { return m_process.dwProcessId; }
    void waitForExit() { WaitForSingleObject(m_process.hProcess, INFINITE); }

private:
    PROCESS_INFORMATION m_process{};
};

unsigned long ownPid()
{
    return GetCurrentProcessId();
}
#else
// Any open stream holds a file.
using HeldFile = std::ifstream;

class Child
{
public:
    explicit Child(const char* argument) : m_pid(fork())
    {
        if (m_pid == 0) {
            if (std::strcmp(argument, "--wait") == 0) pause();
            _exit(0);
        }
        CHECK(m_pid > 0);
    }
    ~Child()
    {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    unsigned long pid() const { return static_cast<unsigned long>(m_pid); }
    void waitForExit() { waitpid(m_pid, nullptr, 0); }

private:
    pid_t m_pid;
};

unsigned long ownPid()
{
    return static_cast<unsigned long>(getpid());
}
#endif

bool anyTemporary(const std::vector<std::string>& names)
{
    return std::any_of(names.begin(), names.end(), [](const std::string& name) {
        return name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
    });
}

std::string folderOf(const std::string& path)
{
    return path.substr(0, path.find_last_of("/\\"));
}

// A folder chain that takes a path well past Windows' old 260 characters.
const std::string kLongFolder = std::string(60, 'a') + "/" + std::string(60, 'b') + "/" +
                                std::string(60, 'c') + "/" + std::string(60, 'd') + "/" +
                                std::string(60, 'e');

// Names of 230 and 255 characters, which the systems take: a temporary named
// after them would not fit.
const std::string kName230 = std::string(226, 'n') + ".kv2";
const std::string kName255 = std::string(251, 'n') + ".kv2";

#ifdef _WIN32
bool makeLink(const std::string& target, const std::string& link)
{
    std::wstring to = fs::u8path(target).make_preferred().native();
    return CreateSymbolicLinkW(native(link).c_str(), to.c_str(),
                               SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
           GetFileAttributesW(native(link).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isLink(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(native(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
#else
bool makeLink(const std::string& target, const std::string& link)
{
    return symlink(target.c_str(), link.c_str()) == 0;
}

bool isLink(const std::string& path)
{
    struct stat info {
    };
    return lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}
#endif

// Wine 8 takes a request for a link and makes none; Windows makes one for a
// user in developer mode; POSIX systems always.
bool linksWork()
{
    const std::string dir = makeTemporaryFolder();
    const bool made = makeLink(dir + "/nowhere", dir + "/link") && isLink(dir + "/link");
    removeTree(dir);
    return made;
}

void prepareNothing(const std::string&) {}
void prepareOld(const std::string& dir)
{
    writeRaw(dir + "/m.kv2", "old");
}
void prepareOldReadOnly(const std::string& dir)
{
    prepareOld(dir);
    setReadOnly(dir + "/m.kv2", true);
}
void prepareFolderNamedLikeAFile(const std::string& dir)
{
    makeFolder(dir + "/d.kv2");
}
void prepareReadOnlyFolder(const std::string& dir)
{
    makeFolder(dir + "/ro");
    writeRaw(dir + "/ro/m.kv2", "old");
    setReadOnly(dir + "/ro", true);
}
void prepareAccents(const std::string& dir)
{
    makeFolder(dir + "/Données");
    makeFolder(dir + "/Données/Réglages été");
    writeRaw(dir + "/Données/Réglages été/monture.kv2", "old");
}
void prepareHundredBytes(const std::string& dir)
{
    writeRaw(dir + "/m.kv2", std::string(100, 'x'));
}
void prepareLongPath(const std::string& dir)
{
    std::string folder = dir;
    for (std::size_t from = 0; from < kLongFolder.size(); from += 61) {
        folder += "/" + kLongFolder.substr(from, 60);
        makeFolder(folder);
    }
    writeRaw(folder + "/m.kv2", "old");
}
void prepareLongNames(const std::string& dir)
{
    writeRaw(dir + "/" + kName230, "old");
    writeRaw(dir + "/" + kName255, "old");
}
void prepareDanglingLink(const std::string& dir)
{
    makeLink("real.kv2", dir + "/m.kv2");
}
// m.kv2 -> sub/l2 -> ../real.kv2, a relative link in another folder: if
// either link were replaced, real.kv2 would keep its old bytes.
void prepareChainOfLinks(const std::string& dir)
{
    makeFolder(dir + "/sub");
    writeRaw(dir + "/real.kv2", "old");
    makeLink("sub/l2", dir + "/m.kv2");
    makeLink("../real.kv2", dir + "/sub/l2");
}
void prepareLinkLoop(const std::string& dir)
{
    makeLink("m.kv2", dir + "/m.kv2");
}
void linksStay(const std::string& dir)
{
    CHECK(isLink(dir + "/m.kv2"));
    CHECK_EQUAL(readRaw(dir + "/real.kv2"), "new");
}
#ifdef _WIN32
// Explorer's own mark on Documents and the like: read-only with a desktop.ini.
void prepareCustomizedFolder(const std::string& dir)
{
    makeFolder(dir + "/docs");
    writeRaw(dir + "/docs/desktop.ini", "[.ShellClassInfo]\r\n");
    setReadOnly(dir + "/docs", true);
}
#endif

#ifndef _WIN32
// Another user's files, which only the super-user can set up.
const uid_t kNobody = 65534;
const gid_t kNogroup = 65534;
const gid_t kUsers = 100;

void ownFile(const std::string& path, uid_t uid, gid_t gid, mode_t mode)
{
    CHECK(chown(path.c_str(), uid, gid) == 0 && chmod(path.c_str(), mode) == 0);
}
void prepareOthersReadOnlyFile(const std::string& dir)
{
    prepareOld(dir);
    ownFile(dir + "/m.kv2", kNobody, kNogroup, 0444);
}
void prepareOthersReadOnlyFolder(const std::string& dir)
{
    makeFolder(dir + "/ro");
    ownFile(dir + "/ro", kNobody, kNogroup, 0555);
}
void prepareOthersFile(const std::string& dir)
{
    prepareOld(dir);
    ownFile(dir + "/m.kv2", kNobody, kNogroup, 0640);
}
// Root's file, which anybody may write, in a folder anybody may write.
void prepareSharedFile(const std::string& dir)
{
    prepareOld(dir);
    ownFile(dir, 0, 0, 0777);
    ownFile(dir + "/m.kv2", 0, kUsers, 0666);
}
void prepareFailingFolderSync(const std::string& dir)
{
    prepareOld(dir);
    g_failFolderSync = true;
}
// "uid:gid:mode" of a file, as a case expects it after a save.
std::string ownerOf(const std::string& path)
{
    struct stat info {
    };
    if (stat(path.c_str(), &info) != 0) return "<missing>";
    char text[64];
    std::snprintf(text, sizeof text, "%u:%u:%o", unsigned(info.st_uid), unsigned(info.st_gid),
                  unsigned(info.st_mode & 07777));
    return text;
}

bool runningAsRoot()
{
    return geteuid() == 0;
}
// Root, on a system that names its users as Debian does.
bool rootWithNobody()
{
    const passwd* user = getpwuid(kNobody);
    const group* nogroup = getgrgid(kNogroup);
    return runningAsRoot() && user && std::strcmp(user->pw_name, "nobody") == 0 && nogroup &&
           std::strcmp(nogroup->gr_name, "nogroup") == 0;
}
#endif

enum class Act { Read, Write };
// Who saves: this process, or a child of it that gave up root for nobody,
// with no other group or in the group users.
enum class Who { Self, Nobody, NobodyInUsers };

struct FileCase {
    const char* name;
    void (*prepare)(const std::string& dir);
    std::string path; // below the case's folder, unless `absolute`
    Act act;
    bool succeeds;
    std::string reason;  // the reason of a refusal
    std::string content; // what a read gives, or what the file holds after a write
    bool held = false;   // another handle holds the file open meanwhile
    bool absolute = false;
    std::size_t maxBytes = 61;
    bool (*applies)() = nullptr; // whether the system can set up the case
    std::string warning = "";    // what a successful save warns of
    Who who = Who::Self;
    void (*verify)(const std::string& dir) = nullptr; // more checks after the save
    std::string owner = ""; // on POSIX systems, "uid:gid:mode" after the save
};

// Wine keeps no read-only mark on a folder; Windows and POSIX systems do.
bool folderMarksStick()
{
    const std::string dir = makeTemporaryFolder();
    setReadOnly(dir, true);
#ifdef _WIN32
    const bool stuck = GetFileAttributesW(native(dir).c_str()) & FILE_ATTRIBUTE_READONLY;
#else
    const bool stuck = true;
#endif
    removeTree(dir);
    return stuck;
}

#ifdef _WIN32
const std::string kNulReason = "c'est un périphérique : « NUL » est un nom réservé par Windows";
const std::string kConReason = "c'est un périphérique : « CON » est un nom réservé par Windows";
const std::string kComReason = "c'est un périphérique : « COM1 » est un nom réservé par Windows";
const std::string kDevicePath = "c'est un chemin de périphérique";
const std::string kHeldOpen = "le fichier est ouvert par un autre programme";
#endif

const std::vector<FileCase> kFileCases = {
    {"replace over an existing file", prepareOld, "m.kv2", Act::Write, true, "", "new"},
    {"replace over a read-only file", prepareOldReadOnly, "m.kv2", Act::Write, false,
     "le fichier est en lecture seule", "old"},
    {"read of a read-only file", prepareOldReadOnly, "m.kv2", Act::Read, true, "", "old"},
    {"save into a folder that does not exist", prepareNothing, "absent/m.kv2", Act::Write, false,
     "le dossier n'existe pas", "<missing>"},
    {"read in a folder that does not exist", prepareNothing, "absent/m.kv2", Act::Read, false,
     "le dossier n'existe pas", ""},
    {"read of a missing file", prepareNothing, "m.kv2", Act::Read, false, "le fichier n'existe pas",
     ""},
    {"a folder read as a file", prepareFolderNamedLikeAFile, "d.kv2", Act::Read, false,
     "c'est un dossier", ""},
    {"a folder written as a file", prepareFolderNamedLikeAFile, "d.kv2", Act::Write, false,
     "un dossier porte ce nom", ""},
    {"save into a read-only folder", prepareReadOnlyFolder, "ro/m.kv2", Act::Write, false,
     "le dossier est en lecture seule", "old", false, false, 61, folderMarksStick},
    {"save under a path with accents", prepareAccents, "Données/Réglages été/monture.kv2",
     Act::Write, true, "", "new"},
    {"read under a path with accents", prepareAccents, "Données/Réglages été/monture.kv2",
     Act::Read, true, "", "old"},
    {"read capped at its limit", prepareHundredBytes, "m.kv2", Act::Read, true, "",
     std::string(61, 'x')},
    {"save under a long path", prepareLongPath, kLongFolder + "/m.kv2", Act::Write, true, "",
     "new"},
    {"read under a long path", prepareLongPath, kLongFolder + "/m.kv2", Act::Read, true, "", "old"},
    {"save with no name", prepareNothing, "", Act::Write, false, "le nom de fichier est vide", "",
     false, true},
    {"save under a 230-character name", prepareLongNames, kName230, Act::Write, true, "", "new"},
    {"save under a 255-character name", prepareLongNames, kName255, Act::Write, true, "", "new"},
    {"a name longer than the system takes", prepareNothing, std::string(256, 'n'), Act::Write,
     false, "le nom est trop long", "<missing>"},
    {"save through a dangling link", prepareDanglingLink, "m.kv2", Act::Write, true, "", "new",
     false, false, 61, linksWork, "", Who::Self, linksStay},
    {"save through a chain of links", prepareChainOfLinks, "m.kv2", Act::Write, true, "", "new",
     false, false, 61, linksWork, "", Who::Self, linksStay},
    {"a link to itself", prepareLinkLoop, "m.kv2", Act::Write, false, "trop de liens symboliques",
     "", false, false, 61, linksWork},
#ifdef _WIN32
    // Devices: refused before anything is opened, so nothing can hang.
    {"NUL read as a file", prepareNothing, "NUL", Act::Read, false, kNulReason, ""},
    {"NUL written as a file", prepareNothing, "NUL", Act::Write, false, kNulReason, ""},
    {"CON.kv2 read as a file", prepareNothing, "CON.kv2", Act::Read, false, kConReason, ""},
    {"con.kv2 written as a file", prepareNothing, "con.kv2", Act::Write, false,
     "c'est un périphérique : « con » est un nom réservé par Windows", ""},
    {"COM1 read as a file", prepareNothing, "COM1", Act::Read, false, kComReason, ""},
    {"COM1 written as a file", prepareNothing, "COM1", Act::Write, false, kComReason, ""},
    {"a device path read", prepareNothing, "\\\\.\\NUL", Act::Read, false, kDevicePath, "", false,
     true},
    {"a device path written", prepareNothing, "//./COM1", Act::Write, false, kDevicePath, "", false,
     true},
    {"a global root path read", prepareNothing, "\\\\?\\GLOBALROOT\\Device\\Null", Act::Read, false,
     kDevicePath, "", false, true},
    // Another program holds the file and shares nothing: refused, old bytes kept.
    {"save over a file held open", prepareOld, "m.kv2", Act::Write, false, kHeldOpen, "old", true},
    {"read of a file held open", prepareOld, "m.kv2", Act::Read, false, kHeldOpen, "", true},
    {"a name that is not UTF-8", prepareNothing, "\xff.kv2", Act::Write, false,
     "le nom n'est pas un texte UTF-8 valide", ""},
    {"save into a customized folder", prepareCustomizedFolder, "docs/m.kv2", Act::Write, true, "",
     "new", false, false, 61, folderMarksStick},
#else
    // Names Windows keeps for devices are plain names here.
    {"CON.kv2 written as a file", prepareNothing, "CON.kv2", Act::Write, true, "", "new"},
    {"NUL read as a file", prepareNothing, "NUL", Act::Read, false, "le fichier n'existe pas", ""},
    // An open handle does not stop a rename, nor a read.
    {"save over a file held open", prepareOld, "m.kv2", Act::Write, true, "", "new", true},
    {"read of a file held open", prepareOld, "m.kv2", Act::Read, true, "", "old", true},
    {"a name with a zero byte", prepareNothing, std::string("m.kv2\0.x", 8), Act::Write, false,
     "le nom contient un caractère interdit", "<missing>"},
    // The new bytes are in place when the folder's sync fails: saved, said.
    {"a folder sync that fails", prepareFailingFolderSync, "m.kv2", Act::Write, true, "", "new",
     false, false, 61, nullptr,
     "les nouvelles données sont en place, mais le dossier n'a pas pu être synchronisé sur le "
     "disque (erreur d'entrée-sortie) : une panne de courant pourrait encore rendre l'ancien "
     "fichier"},
    // The super-user: a file marked read-only stays, whoever owns it; the
    // owner and group of a replaced file stay.
    {"root and another user's read-only file", prepareOthersReadOnlyFile, "m.kv2", Act::Write,
     false, "le fichier est en lecture seule", "old", false, false, 61, runningAsRoot},
    {"root and another user's read-only folder", prepareOthersReadOnlyFolder, "ro/m.kv2",
     Act::Write, false, "le dossier est en lecture seule", "<missing>", false, false, 61,
     runningAsRoot},
    {"root keeps another user's owner and group", prepareOthersFile, "m.kv2", Act::Write, true, "",
     "new", false, false, 61, runningAsRoot, "", Who::Self, nullptr, "65534:65534:640"},
    // Another user's file saved by one who may write it but not give it back
    // its owner: saved, and said.
    {"nobody saves root's shared file", prepareSharedFile, "m.kv2", Act::Write, true, "", "new",
     false, false, 61, rootWithNobody,
     "le propriétaire et le groupe n'ont pas pu être gardés : le fichier appartient maintenant à "
     "nobody, groupe nogroup",
     Who::Nobody, nullptr, "65534:65534:666"},
    {"a member of the group keeps it", prepareSharedFile, "m.kv2", Act::Write, true, "", "new",
     false, false, 61, rootWithNobody,
     "le propriétaire n'a pas pu être gardé : le fichier appartient maintenant à nobody",
     Who::NobodyInUsers, nullptr, "65534:100:666"},
#endif
};

// The case's read or save and its outcome, the reason and the warning.
void act(const FileCase& c, const std::string& path)
{
    std::string reason;
    std::string warning;
    bool ok = false;
    std::vector<unsigned char> data = bytesOf("untouched");
    {
        std::unique_ptr<HeldFile> held;
        if (c.held) held = std::make_unique<HeldFile>(path);
        ok = c.act == Act::Read
                 ? FileStore().read(path, c.maxBytes, data, reason)
                 : FileStore().writeAtomically(path, bytesOf("new"), reason, warning);
    }
    CHECK(ok == c.succeeds);
    CHECK_EQUAL(ok ? std::string() : reason, c.succeeds ? std::string() : c.reason);
    CHECK_EQUAL(warning, c.warning);
    if (c.act == Act::Read) CHECK_EQUAL(text(data), c.succeeds ? c.content : "untouched");
}

#ifndef _WIN32
// The case acted by a child that gave up root for `who`.
void actAs(const FileCase& c, const std::string& path)
{
    const int failuresBefore = g_failures;
    const pid_t child = fork();
    if (child == 0) {
        const gid_t users[] = {kUsers};
        const bool dropped = setgroups(c.who == Who::NobodyInUsers ? 1 : 0, users) == 0 &&
                             setresgid(kNogroup, kNogroup, kNogroup) == 0 &&
                             setresuid(kNobody, kNobody, kNobody) == 0;
        CHECK(dropped);
        if (dropped) act(c, path);
        std::fflush(stderr);
        _exit(g_failures == failuresBefore ? 0 : 1);
    }
    int status = -1;
    CHECK(child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
          WEXITSTATUS(status) == 0);
}
#endif

void runFileCase(const FileCase& c)
{
    g_case = c.name;
    if (c.applies && !c.applies()) {
        std::printf("skipped [%s]: this system cannot set it up\n", c.name);
        return;
    }
    const std::string dir = makeTemporaryFolder();
    c.prepare(dir);
    const std::string path = c.absolute ? c.path : dir + "/" + c.path;
#ifndef _WIN32
    if (c.who != Who::Self)
        actAs(c, path);
    else
#endif
        act(c, path);
#ifndef _WIN32
    g_failFolderSync = false;
#endif
    if (c.act == Act::Write && !c.absolute && !c.content.empty()) {
        CHECK_EQUAL(readRaw(path), c.content);
        CHECK(!anyTemporary(listFolder(folderOf(path))));
    }
    if (c.verify) c.verify(dir);
#ifndef _WIN32
    if (!c.owner.empty()) CHECK_EQUAL(ownerOf(path), c.owner);
#endif
    removeTree(dir);
}

struct DeviceNameCase {
    const char* path;
    bool refused;
};

const DeviceNameCase kDeviceNames[] = {
    {"CON", true},
    {"con.kv2", true},
    {"C:\\Données\\Nul.txt", true},
    {"PRN.tar.gz", true},
    {"COM1", true},
    {"com9.hex", true},
    {"LPT\xC2\xB9", true}, // LPT¹
    {"AUX .kv2", true},
    {"C:NUL", true},
    {"CONOUT$", true},
    {"\\\\.\\PhysicalDrive0", true},
    {"//./pipe/korval", true},
    {"\\\\?\\GLOBALROOT\\Device\\Null", true},
    {"COM0", false},
    {"COM10", false},
    {"CONSOLE.kv2", false},
    {"NULL", false},
    {"C:\\Données\\Réglages été\\monture.kv2", false},
    {"\\\\?\\C:\\Données\\monture.kv2", false},
    {"CON\\monture.kv2", false},
    {"dir/", false},
    {"", false},
};

void deviceNames()
{
    for (const DeviceNameCase& c : kDeviceNames) {
        g_case = std::string("device name ") + c.path;
        const std::string reason = korval::files::windowsDeviceReason(c.path);
        CHECK(reason.empty() != c.refused);
        if (c.refused) CHECK(reason.find("périphérique") != std::string::npos);
    }
}

struct LeftoverCase {
    const char* candidate;
    bool ignoreCase;
    bool matches;
    unsigned long pid;
};

const LeftoverCase kLeftovers[] = {
    {".m.kv2.123-00ab.tmp", false, true, 123},
    {".m.kv2.4294967295-0f.tmp", false, true, 4294967295ul},
    {".M.KV2.7-ab.tmp", true, true, 7},
    {".M.KV2.7-ab.tmp", false, false, 0},
    {".m.kv2.4294967296-ab.tmp", false, false, 0},
    {".m.kv2.123-.tmp", false, false, 0},
    {".m.kv2.1-AB.tmp", false, false, 0},
    {".m.kv2.1-ab.tmp.x", false, false, 0},
    {".n.kv2.1-ab.tmp", false, false, 0},
    {".m.kv2.hex.1-ab.tmp", false, false, 0},
};

void leftoverNames()
{
    for (const LeftoverCase& c : kLeftovers) {
        g_case = std::string("leftover name ") + c.candidate;
        unsigned long pid = 0;
        CHECK(korval::files::leftoverOf(c.candidate, "m.kv2", c.ignoreCase, pid) == c.matches);
        if (c.matches) CHECK(pid == c.pid);
    }
    g_case = "a temporary's name is one of its target's leftovers";
    const std::string name = korval::files::temporaryName("été.kv2", 4321, 0xabcull);
    CHECK_EQUAL(name, ".été.kv2.4321-0000000000000abc.tmp");
    unsigned long pid = 0;
    CHECK(korval::files::leftoverOf(name, "été.kv2", false, pid) && pid == 4321);
    CHECK(korval::files::temporaryRandom() != korval::files::temporaryRandom());
}

// A save removes what a killed save of the same target left, once its
// process is gone, and nothing else; for a long name, in the short form.
void leftoversOfAKilledSave(const std::string& target, const std::string& another)
{
    g_case = "leftovers of a killed save of " + target.substr(0, 12);
    const std::string dir = makeTemporaryFolder();
    Child gone("--exit");
    gone.waitForExit();
    Child alive("--wait");
    const std::string dead = korval::files::temporaryName(target, gone.pid(), 0xab);
    const std::string living = korval::files::temporaryName(target, alive.pid(), 0xcd);
    const std::string mine = korval::files::temporaryName(target, ownPid(), 0xce);
    const std::string other = korval::files::temporaryName(another, gone.pid(), 0xef);
    std::vector<std::string> leftovers = {dead, living, mine, other};
#ifdef _WIN32
    // A number no process is given: the system does not know it at all.
    leftovers.push_back(korval::files::temporaryName(target, 4294967292ul, 0xdd));
#endif
    for (const std::string& name : leftovers)
        writeRaw(dir + "/" + name, "");
    std::string reason;
    CHECK(FileStore().writeAtomically(dir + "/" + target, bytesOf("new"), reason));
    std::vector<std::string> wanted = {target, living, mine, other};
    std::sort(wanted.begin(), wanted.end());
    CHECK(listFolder(dir) == wanted);
    CHECK_EQUAL(readRaw(dir + "/" + target), "new");
    removeTree(dir);
}

// A replace keeps what the user set on the file it replaces.
void replaceKeepsTheFilesMarks()
{
    g_case = "a replace keeps the file's marks";
    const std::string dir = makeTemporaryFolder();
    const std::string path = dir + "/m.kv2";
    prepareOld(dir);
    std::string reason;
#ifdef _WIN32
    SetFileAttributesW(native(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
    CHECK(FileStore().writeAtomically(path, bytesOf("new"), reason));
    CHECK(GetFileAttributesW(native(path).c_str()) & FILE_ATTRIBUTE_HIDDEN);
#else
    chmod(path.c_str(), 0640);
    CHECK(FileStore().writeAtomically(path, bytesOf("new"), reason));
    struct stat info {
    };
    CHECK(stat(path.c_str(), &info) == 0 && (info.st_mode & 0777) == 0640);
#endif
    CHECK_EQUAL(readRaw(path), "new");
    removeTree(dir);
}
} // namespace

int main(int argc, char** argv)
{
    // The children of leftoversOfAKilledSave.
    if (argc > 1 && std::strcmp(argv[1], "--exit") == 0) return 0;
#ifdef _WIN32
    if (argc > 1 && std::strcmp(argv[1], "--wait") == 0) {
        Sleep(120000);
        return 0;
    }
#endif
    for (const FileCase& c : kFileCases)
        runFileCase(c);
    deviceNames();
    leftoverNames();
    leftoversOfAKilledSave("m.kv2", "n.kv2");
    leftoversOfAKilledSave(kName255, std::string(255, 'o'));
    replaceKeepsTheFilesMarks();
    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
