#include "intel_hex_reader.h"

#include "intel_hex.h"
#include "parameter_file.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <map>
#include <vector>

namespace korval
{

namespace
{
int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string lineError(std::size_t number, const std::string& what)
{
    return "ligne " + std::to_string(number) + " : " + what;
}

std::string hex4(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
    return text;
}

// The table's bytes as the image gives them; a byte given twice with two
// values makes the image ambiguous.
struct Window {
    std::array<std::uint8_t, kRecordSize> bytes{};
    std::array<std::size_t, kRecordSize> line{}; // 0: not given
};

// One line without its line end: ":" then count, address, type, data and
// checksum as pairs of hex digits. Fills `bytes`, or says what is wrong.
bool decodeLine(std::string_view text, std::vector<std::uint8_t>& bytes, std::string& what)
{
    if (text.empty()) {
        what = "ligne vide";
        return false;
    }
    if (text[0] != ':') {
        what = "elle ne commence pas par « : »";
        return false;
    }
    const std::string_view digits = text.substr(1);
    if (digits.size() % 2 != 0) {
        what = "nombre impair de chiffres hexadécimaux";
        return false;
    }
    bytes.clear();
    for (std::size_t at = 0; at < digits.size(); at += 2) {
        const int high = hexDigit(digits[at]);
        const int low = hexDigit(digits[at + 1]);
        if (high < 0 || low < 0) {
            what =
                "caractère non hexadécimal en colonne " + std::to_string(at + (high < 0 ? 2 : 3));
            return false;
        }
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
    }
    if (bytes.size() < 5) {
        what = "enregistrement trop court";
        return false;
    }
    if (bytes.size() != std::size_t(bytes[0]) + 5) {
        what = "le nombre d'octets annoncé (" + std::to_string(bytes[0]) +
               ") ne correspond pas à la longueur de la ligne";
        return false;
    }
    unsigned sum = 0;
    for (std::uint8_t b : bytes)
        sum += b;
    if (sum % 256 != 0) {
        char text2[64];
        const unsigned expected = (256 - (sum - bytes.back()) % 256) % 256;
        std::snprintf(text2, sizeof text2, "somme de contrôle %02X fausse (attendue %02X)",
                      bytes.back(), expected);
        what = text2;
        return false;
    }
    return true;
}

// Every data byte of `text` in file order, given to `onByte(address, value,
// line, what)`, which returns false with `what` set to stop at that line.
// Checks the lines, the record types and the end record.
template <typename OnByte>
bool forEachHexByte(std::string_view text, OnByte&& onByte, std::string& error)
{
    std::uint32_t base = 0;
    bool linear = false;
    bool ended = false;
    std::size_t number = 0;
    std::vector<std::uint8_t> bytes;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (ended) {
            // Only empty lines may follow the end record.
            if (line.empty()) continue;
            error = lineError(number, "contenu après l'enregistrement de fin (type 01)");
            return false;
        }
        std::string what;
        if (!decodeLine(line, bytes, what)) {
            error = lineError(number, what);
            return false;
        }
        const std::size_t count = bytes[0];
        const std::uint32_t offset16 = (std::uint32_t(bytes[1]) << 8) | bytes[2];
        const std::uint8_t type = bytes[3];
        switch (type) {
        case 0x00:
            for (std::size_t i = 0; i < count; ++i) {
                // A segment address wraps inside its 64 KiB; a linear one does not.
                const std::uint32_t address =
                    linear ? base + offset16 + std::uint32_t(i)
                           : base + ((offset16 + std::uint32_t(i)) & 0xFFFFu);
                if (!onByte(address, bytes[4 + i], number, what)) {
                    error = lineError(number, what);
                    return false;
                }
            }
            break;
        case 0x01:
            if (count != 0) {
                error = lineError(number, "l'enregistrement de fin (type 01) porte des données");
                return false;
            }
            ended = true;
            break;
        case 0x02:
        case 0x04:
            if (count != 2) {
                error = lineError(number, "un enregistrement d'adresse (type 0" +
                                              std::to_string(type) + ") porte 2 octets");
                return false;
            }
            linear = type == 0x04;
            base = ((std::uint32_t(bytes[4]) << 8) | bytes[5]) << (linear ? 16 : 4);
            break;
        default: {
            char name[8];
            std::snprintf(name, sizeof name, "%02X", type);
            error = lineError(number, std::string("type d'enregistrement ") + name +
                                          " non pris en charge (00, 01, 02 et 04 seulement)");
            return false;
        }
        }
    }
    if (!ended) {
        error = "l'enregistrement de fin (type 01) manque";
        return false;
    }
    return true;
}

std::string alreadyGiven(std::uint32_t address, std::size_t line)
{
    return "l'octet " + hex4(address) + " a déjà une autre valeur (ligne " + std::to_string(line) +
           ")";
}
} // namespace

bool readHexImage(std::string_view text, ConfigRecord& record, std::string& error)
{
    Window window;
    const auto onByte = [&window](std::uint32_t address, std::uint8_t value, std::size_t number,
                                  std::string& what) {
        if (address < kHexBaseAddress || address >= kHexBaseAddress + kRecordSize) return true;
        const std::size_t at = address - kHexBaseAddress;
        if (window.line[at] != 0 && window.bytes[at] != value) {
            what = alreadyGiven(address, window.line[at]);
            return false;
        }
        window.bytes[at] = value;
        window.line[at] = number;
        return true;
    };
    if (!forEachHexByte(text, onByte, error)) return false;
    for (std::size_t at = 0; at < kRecordSize; ++at) {
        if (window.line[at] != 0) continue;
        std::size_t last = at;
        while (last + 1 < kRecordSize && window.line[last + 1] == 0)
            ++last;
        error = "la table de configuration est incomplète : il manque " +
                (last == at ? "l'octet " + hex4(kHexBaseAddress + std::uint32_t(at))
                            : "les octets " + hex4(kHexBaseAddress + std::uint32_t(at)) + " à " +
                                  hex4(kHexBaseAddress + std::uint32_t(last)));
        return false;
    }
    const ConfigRecord found(window.bytes);
    if (found.MarqueDebut() != kMarqueDebut) {
        error = "marque de début " + hex4(found.MarqueDebut()) + " en 0x7C00 au lieu de 0x2345";
        return false;
    }
    if (found.MarqueFin() != kMarqueFin) {
        error = "marque de fin " + hex4(found.MarqueFin()) + " en 0x7C2F au lieu de 0xBCDE";
        return false;
    }
    record = found;
    return true;
}

bool readHexMemory(std::string_view text, HexMemory& memory, std::string& error)
{
    HexMemory found;
    std::map<std::uint32_t, std::size_t> lines;
    const auto onByte = [&found, &lines](std::uint32_t address, std::uint8_t value,
                                         std::size_t number, std::string& what) {
        const auto [at, fresh] = found.emplace(address, value);
        if (fresh) {
            lines[address] = number;
        } else if (at->second != value) {
            what = alreadyGiven(address, lines[address]);
            return false;
        }
        return true;
    };
    if (!forEachHexByte(text, onByte, error)) return false;
    if (found.empty()) {
        error = "l'image ne contient aucun octet";
        return false;
    }
    memory = std::move(found);
    return true;
}

bool isHexImage(std::string_view fileName, std::string_view content)
{
    const std::string_view extension = kHexImageExtension;
    if (fileName.size() >= extension.size()) {
        const std::string_view end = fileName.substr(fileName.size() - extension.size());
        bool same = true;
        for (std::size_t i = 0; i < end.size(); ++i)
            same = same && std::tolower(static_cast<unsigned char>(end[i])) == extension[i];
        if (same) return true;
    }
    const std::size_t first = content.find_first_not_of(" \t\r\n\f\v");
    return first != std::string_view::npos && content[first] == ':';
}

} // namespace korval
