// The file layer on its own, without Qt: the same cases on every system, run
// natively and, in the Windows build, under Wine. Each case prepares a fresh
// folder, reads or saves once, and checks the outcome, the reason, the bytes
// the file holds afterwards and that no temporary file stayed behind.

#include "files/file_reasons.h"
#include "files/file_store.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// What the cases need of the system, outside the file layer under test.
#ifdef _WIN32
std::wstring wide(const std::string& path)
{
    std::wstring result(path.size(), L'\0');
    const int size = MultiByteToWideChar(CP_UTF8, 0, path.data(), int(path.size()), &result[0],
                                         int(result.size()));
    result.resize(std::size_t(std::max(size, 0)));
    std::replace(result.begin(), result.end(), L'/', L'\\');
    // Long paths for the helpers too.
    return result.size() >= MAX_PATH - 12 ? L"\\\\?\\" + result : result;
}

std::string makeTemporaryFolder()
{
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static int count = 0;
    const std::wstring folder = std::wstring(base) + L"korval-files-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(++count);
    CreateDirectoryW(folder.c_str(), nullptr);
    const int size = WideCharToMultiByte(CP_UTF8, 0, folder.data(), int(folder.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string path(std::size_t(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, folder.data(), int(folder.size()), &path[0], size, nullptr,
                        nullptr);
    return path;
}

void makeFolder(const std::string& path)
{
    CreateDirectoryW(wide(path).c_str(), nullptr);
}

void writeRaw(const std::string& path, const std::string& content)
{
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), DWORD(content.size()), &written, nullptr);
    CloseHandle(file);
}

std::string readRaw(const std::string& path)
{
    const HANDLE file = CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content(4096, '\0');
    DWORD got = 0;
    ReadFile(file, &content[0], DWORD(content.size()), &got, nullptr);
    CloseHandle(file);
    content.resize(got);
    return content;
}

std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((wide(path) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        std::string utf8(name.size() * 3, '\0');
        utf8.resize(std::size_t(WideCharToMultiByte(CP_UTF8, 0, name.data(), int(name.size()),
                                                    &utf8[0], int(utf8.size()), nullptr, nullptr)));
        names.push_back(utf8);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void setReadOnly(const std::string& path, bool readOnly)
{
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    SetFileAttributesW(wide(path).c_str(), readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                                    : attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
}

void removeTree(const std::string& path)
{
    setReadOnly(path, false);
    for (const std::string& name : listFolder(path)) {
        const std::string child = path + "/" + name;
        setReadOnly(child, false);
        if (GetFileAttributesW(wide(child).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            removeTree(child);
        else
            DeleteFileW(wide(child).c_str());
    }
    RemoveDirectoryW(wide(path).c_str());
}

// Another program's handle on the file, sharing nothing.
class HeldFile
{
public:
    explicit HeldFile(const std::string& path)
        : m_handle(CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
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
    explicit Child(const wchar_t* argument)
    {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring line = L"\"" + std::wstring(self) + L"\" " + argument;
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
std::string makeTemporaryFolder()
{
    char folder[] = "/tmp/korval-files-XXXXXX";
    return mkdtemp(folder) ? folder : "/tmp";
}

void makeFolder(const std::string& path)
{
    mkdir(path.c_str(), 0755);
}

void writeRaw(const std::string& path, const std::string& content)
{
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    CHECK(fd >= 0 && write(fd, content.data(), content.size()) == ssize_t(content.size()));
    close(fd);
}

std::string readRaw(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return "<missing>";
    std::string content(4096, '\0');
    const ssize_t got = read(fd, &content[0], content.size());
    close(fd);
    content.resize(std::size_t(std::max<ssize_t>(got, 0)));
    return content;
}

std::vector<std::string> listFolder(const std::string& path)
{
    std::vector<std::string> names;
    if (DIR* folder = opendir(path.c_str())) {
        while (const dirent* entry = readdir(folder))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(entry->d_name);
        closedir(folder);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void setReadOnly(const std::string& path, bool readOnly)
{
    struct stat info {
    };
    stat(path.c_str(), &info);
    const mode_t execute = S_ISDIR(info.st_mode) ? 0111 : 0;
    chmod(path.c_str(), (readOnly ? 0444 : 0644) | execute);
}

void removeTree(const std::string& path)
{
    setReadOnly(path, false);
    for (const std::string& name : listFolder(path)) {
        const std::string child = path + "/" + name;
        struct stat info {
        };
        if (lstat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
            removeTree(child);
        else
            unlink(child.c_str());
    }
    rmdir(path.c_str());
}

class HeldFile
{
public:
    explicit HeldFile(const std::string& path) : m_fd(open(path.c_str(), O_RDWR))
    {
        CHECK(m_fd >= 0);
    }
    ~HeldFile() { close(m_fd); }

private:
    int m_fd;
};

class Child
{
public:
    explicit Child(const wchar_t* argument) : m_pid(fork())
    {
        if (m_pid == 0) {
            if (std::wcscmp(argument, L"--wait") == 0) pause();
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
#ifdef _WIN32
// Explorer's own mark on Documents and the like: read-only with a desktop.ini.
void prepareCustomizedFolder(const std::string& dir)
{
    makeFolder(dir + "/docs");
    writeRaw(dir + "/docs/desktop.ini", "[.ShellClassInfo]\r\n");
    setReadOnly(dir + "/docs", true);
}
#endif

enum class Act { Read, Write };

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
};

// Wine keeps no read-only mark on a folder; Windows and POSIX systems do.
bool folderMarksStick()
{
    const std::string dir = makeTemporaryFolder();
    setReadOnly(dir, true);
#ifdef _WIN32
    const bool stuck = GetFileAttributesW(wide(dir).c_str()) & FILE_ATTRIBUTE_READONLY;
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
    {"read of a whole file below its limit", prepareHundredBytes, "m.kv2", Act::Read, true, "",
     std::string(100, 'x'), false, false, 4096},
    {"save under a long path", prepareLongPath, kLongFolder + "/m.kv2", Act::Write, true, "",
     "new"},
    {"read under a long path", prepareLongPath, kLongFolder + "/m.kv2", Act::Read, true, "", "old"},
    {"save with no name", prepareNothing, "", Act::Write, false, "le nom de fichier est vide", "",
     false, true},
    {"read with no name", prepareNothing, "", Act::Read, false, "le nom de fichier est vide", "",
     false, true},
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
#endif
};

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
    std::string reason;
    bool ok = false;
    std::vector<unsigned char> data = bytesOf("untouched");
    {
        std::unique_ptr<HeldFile> held;
        if (c.held) held = std::make_unique<HeldFile>(path);
        ok = c.act == Act::Read ? FileStore().read(path, c.maxBytes, data, reason)
                                : FileStore().writeAtomically(path, bytesOf("new"), reason);
    }
    CHECK(ok == c.succeeds);
    CHECK_EQUAL(ok ? std::string() : reason, c.succeeds ? std::string() : c.reason);
    if (c.act == Act::Read) CHECK_EQUAL(text(data), c.succeeds ? c.content : "untouched");
    if (c.act == Act::Write && !c.absolute && !c.content.empty()) {
        CHECK_EQUAL(readRaw(path), c.content);
        CHECK(!anyTemporary(listFolder(folderOf(path))));
    }
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
    {"dir/aux", true},
    {"PRN.tar.gz", true},
    {"COM1", true},
    {"com9.hex", true},
    {"LPT5", true},
    {"LPT\xC2\xB9", true}, // LPT¹
    {"AUX .kv2", true},
    {"C:NUL", true},
    {"CON:", true},
    {"CONOUT$", true},
    {"\\\\.\\PhysicalDrive0", true},
    {"//./pipe/korval", true},
    {"\\\\?\\GLOBALROOT\\Device\\Null", true},
    {"\\\\?\\globalroot\\Device\\Null", true},
    {"COM0", false},
    {"COM10", false},
    {"CONSOLE.kv2", false},
    {"NULL", false},
    {"xcon.kv2", false},
    {"monture.kv2", false},
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
    {".m.kv2.-ab.tmp", false, false, 0},
    {".m.kv2.12a-ab.tmp", false, false, 0},
    {".m.kv2.1-AB.tmp", false, false, 0},
    {".m.kv2.1-ab.tmp.x", false, false, 0},
    {".m.kv2.1-abg.tmp", false, false, 0},
    {".n.kv2.1-ab.tmp", false, false, 0},
    {".m.kv2.hex.1-ab.tmp", false, false, 0},
    {"m.kv2.1-ab.tmp", false, false, 0},
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
// process is gone, and nothing else.
void leftoversOfAKilledSave()
{
    g_case = "leftovers of a killed save";
    const std::string dir = makeTemporaryFolder();
    Child gone(L"--exit");
    gone.waitForExit();
    Child alive(L"--wait");
    const std::string dead = korval::files::temporaryName("m.kv2", gone.pid(), 0xab);
    const std::string living = korval::files::temporaryName("m.kv2", alive.pid(), 0xcd);
    const std::string mine = korval::files::temporaryName("m.kv2", ownPid(), 0xce);
    const std::string other = korval::files::temporaryName("n.kv2", gone.pid(), 0xef);
    std::vector<std::string> leftovers = {dead, living, mine, other};
#ifdef _WIN32
    // A number no process is given: the system does not know it at all.
    leftovers.push_back(korval::files::temporaryName("m.kv2", 4294967292ul, 0xdd));
#endif
    for (const std::string& name : leftovers)
        writeRaw(dir + "/" + name, "");
    std::string reason;
    CHECK(FileStore().writeAtomically(dir + "/m.kv2", bytesOf("new"), reason));
    std::vector<std::string> wanted = {"m.kv2", living, mine, other};
    std::sort(wanted.begin(), wanted.end());
    CHECK(listFolder(dir) == wanted);
    CHECK_EQUAL(readRaw(dir + "/m.kv2"), "new");
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
    SetFileAttributesW(wide(path).c_str(), FILE_ATTRIBUTE_HIDDEN);
    CHECK(FileStore().writeAtomically(path, bytesOf("new"), reason));
    CHECK(GetFileAttributesW(wide(path).c_str()) & FILE_ATTRIBUTE_HIDDEN);
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
    leftoversOfAKilledSave();
    replaceKeepsTheFilesMarks();
    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
