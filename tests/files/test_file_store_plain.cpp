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
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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
// process is gone, and nothing else.
void leftoversOfAKilledSave()
{
    g_case = "leftovers of a killed save";
    const std::string dir = makeTemporaryFolder();
    Child gone("--exit");
    gone.waitForExit();
    Child alive("--wait");
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
    leftoversOfAKilledSave();
    replaceKeepsTheFilesMarks();
    std::printf("%d failure(s)\n", g_failures);
    return g_failures == 0 ? 0 : 1;
}
