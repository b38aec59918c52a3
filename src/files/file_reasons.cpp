#include "files/file_reasons.h"

#include <chrono>
#include <cstdio>
#include <mutex>
#include <random>

namespace korval::files
{
std::string reasonText(Fault fault)
{
    switch (fault) {
    case Fault::NotFound:
        return "le fichier n'existe pas";
    case Fault::FolderMissing:
        return "le dossier n'existe pas";
    case Fault::AccessDenied:
        return "accès refusé";
    case Fault::HeldOpen:
        return "le fichier est ouvert par un autre programme";
    case Fault::DiskFull:
        return "le disque est plein";
    case Fault::TooLarge:
        return "le fichier dépasse la taille permise";
    case Fault::ReadOnlyDisk:
        return "le disque est en lecture seule";
    case Fault::InputOutput:
        return "erreur d'entrée-sortie";
    case Fault::TooManyLinks:
        return "trop de liens symboliques";
    case Fault::NotAFolderInPath:
        return "un élément du chemin n'est pas un dossier";
    case Fault::NameTooLong:
        return "le nom est trop long";
    case Fault::BadName:
        return "le nom contient un caractère interdit";
    case Fault::NotUtf8:
        return "le nom n'est pas un texte UTF-8 valide";
    case Fault::NoName:
        return "le nom de fichier est vide";
    case Fault::DriveNotReady:
        return "le lecteur n'est pas prêt";
    case Fault::NetworkPathMissing:
        return "le chemin réseau est introuvable";
    case Fault::ReadNotAllowed:
        return "lecture non autorisée";
    case Fault::ReadOnlyFile:
        return "le fichier est en lecture seule";
    case Fault::ReadOnlyFolder:
        return "le dossier est en lecture seule";
    case Fault::FolderHasThisName:
        return "un dossier porte ce nom";
    case Fault::IncompleteWrite:
        return "écriture incomplète";
    case Fault::DanglingLink:
        return "le lien ne mène à aucun fichier";
    }
    return "erreur inconnue";
}

std::string itIs(Kind kind, bool throughLink)
{
    std::string what;
    switch (kind) {
    case Kind::Folder:
        what = "un dossier";
        break;
    case Kind::NamedPipe:
        what = "un tube nommé";
        break;
    case Kind::Device:
        what = "un périphérique";
        break;
    case Kind::Socket:
        what = "un socket";
        break;
    case Kind::Special:
        what = "un fichier spécial";
        break;
    }
    return (throughLink ? "c'est un lien vers " : "c'est ") + what;
}

std::string systemError(long number, const std::string& words)
{
    std::string text = "erreur système " + std::to_string(number);
    return words.empty() ? text : text + " (" + words + ")";
}

namespace
{
char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool sameText(const std::string& a, std::size_t from, const std::string& b, bool ignoreCase)
{
    if (a.size() < from + b.size()) return false;
    for (std::size_t i = 0; i < b.size(); ++i) {
        const char x = a[from + i];
        const char y = b[i];
        if (ignoreCase ? lower(x) != lower(y) : x != y) return false;
    }
    return true;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// COM1-COM9 and LPT1-LPT9, with the superscript digits Windows takes too.
bool isPortNumber(const std::string& rest)
{
    if (rest.size() == 1) return rest[0] >= '1' && rest[0] <= '9';
    return rest == "\xC2\xB9" || rest == "\xC2\xB2" || rest == "\xC2\xB3";
}
} // namespace

std::string windowsDeviceReason(const std::string& path)
{
    std::string slashes = path;
    for (char& c : slashes)
        if (c == '/') c = '\\';
    if (sameText(slashes, 0, "\\\\.\\", false) || sameText(slashes, 0, "\\\\?\\GLOBALROOT", true) ||
        sameText(slashes, 0, "\\??\\", false))
        return "c'est un chemin de périphérique";
    std::string name = slashes.substr(slashes.find_last_of('\\') + 1);
    // "C:NUL" names the device as "NUL" does.
    if (name.size() >= 2 && name[1] == ':') name.erase(0, 2);
    // Windows sees the device in the part before the first dot or colon, and
    // ignores the blanks that end that part.
    std::string stem = name.substr(0, name.find_first_of(".:"));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    std::string upper;
    for (char c : stem)
        upper += c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
    const bool reserved = upper == "CON" || upper == "NUL" || upper == "PRN" || upper == "AUX" ||
                          upper == "CONIN$" || upper == "CONOUT$" ||
                          ((upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) &&
                           isPortNumber(upper.substr(3)));
    if (!reserved) return std::string();
    return "c'est un périphérique : « " + stem + " » est un nom réservé par Windows";
}

namespace
{
std::string hex16(std::uint64_t value)
{
    char digits[17];
    std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(value));
    return digits;
}

// The short form's stand-in for the name: the same in every process and on
// every system, blind to ASCII case as Windows' names are.
std::string nameHash(const std::string& name)
{
    std::uint64_t hash = 0xcbf29ce484222325ull; // FNV-1a
    for (char c : name) {
        hash ^= static_cast<unsigned char>(lower(c));
        hash *= 0x100000001b3ull;
    }
    return hex16(hash);
}

// What follows the name's part: "<pid>-<hex>.tmp"; false if not that.
bool processAndRandom(const std::string& candidate, std::size_t at, unsigned long& pid)
{
    unsigned long long number = 0;
    const std::size_t digitsFrom = at;
    for (; at < candidate.size() && isDigit(candidate[at]); ++at) {
        number = number * 10 + unsigned(candidate[at] - '0');
        if (number > 0xFFFFFFFFull) return false; // no process number is that large
    }
    if (at == digitsFrom || at >= candidate.size() || candidate[at] != '-') return false;
    const std::size_t hexFrom = ++at;
    for (; at < candidate.size() &&
           (isDigit(candidate[at]) || (candidate[at] >= 'a' && candidate[at] <= 'f'));
         ++at) {
    }
    if (at == hexFrom || candidate.compare(at, std::string::npos, ".tmp") != 0) return false;
    pid = static_cast<unsigned long>(number);
    return true;
}
} // namespace

std::string temporaryName(const std::string& name, unsigned long pid, std::uint64_t random,
                          std::size_t maxName)
{
    const std::string rest = "." + std::to_string(pid) + "-" + hex16(random) + ".tmp";
    const std::string full = "." + name + rest;
    return full.size() <= maxName ? full : ".kv-" + nameHash(name) + rest;
}

std::uint64_t temporaryRandom()
{
    static std::mutex lock;
    static std::mt19937_64 generator = [] {
        std::uint64_t start =
            std::uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count());
        try {
            std::random_device device;
            start ^= (std::uint64_t(device()) << 32) ^ device();
        } catch (...) {
            // the clock alone: the exclusive creation still keeps saves apart
        }
        return std::mt19937_64(start);
    }();
    const std::lock_guard<std::mutex> guard(lock);
    return generator();
}

bool leftoverOf(const std::string& candidate, const std::string& name, bool ignoreCase,
                unsigned long& pid)
{
    const std::string prefix = "." + name + ".";
    if (sameText(candidate, 0, prefix, ignoreCase))
        return processAndRandom(candidate, prefix.size(), pid);
    const std::string shortPrefix = ".kv-" + nameHash(name) + ".";
    return sameText(candidate, 0, shortPrefix, ignoreCase) &&
           processAndRandom(candidate, shortPrefix.size(), pid);
}

std::string ownerNotKept(bool ownerKept, bool groupKept, const std::string& owner,
                         const std::string& group)
{
    if (!ownerKept && !groupKept)
        return "le propriétaire et le groupe n'ont pas pu être gardés : le fichier appartient "
               "maintenant à " +
               owner + ", groupe " + group;
    if (!ownerKept)
        return "le propriétaire n'a pas pu être gardé : le fichier appartient maintenant à " +
               owner;
    if (!groupKept)
        return "le groupe n'a pas pu être gardé : le fichier est maintenant du groupe " + group;
    return std::string();
}

std::string folderNotSynced(const std::string& reason)
{
    return "les nouvelles données sont en place, mais le dossier n'a pas pu être synchronisé "
           "sur le disque (" +
           reason + ") : une panne de courant pourrait encore rendre l'ancien fichier";
}
} // namespace korval::files
