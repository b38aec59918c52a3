#include "form/stored_note.h"

#include "config/config_record.h"
#include "config/fp_fault.h"
#include "config/number_text.h"

#include <cfloat>
#include <cmath>
#include <limits>
#include <optional>

namespace korval
{

namespace
{
bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// The number's own characters in `s` up to `end`, without the blanks before it.
std::string numberText(const std::string& s, std::size_t end)
{
    std::size_t at = 0;
    while (at < end && isSpace(s[at]))
        ++at;
    return s.substr(at, end - at);
}

// The integer on screen, read over the whole text with the handlers' rules,
// so that digits past the 19 characters a handler reads still count.
struct TypedInteger {
    std::string text;
    bool negative = false;
    std::uint64_t magnitude = 0;
    bool huge = false; // beyond 64 bits
};

std::optional<TypedInteger> typedInteger(const std::string& s)
{
    std::size_t end = 0;
    if (!scanIntPrefix(s, end)) return std::nullopt;
    TypedInteger typed;
    typed.text = numberText(s, end);
    std::size_t at = 0;
    while (isSpace(s[at]))
        ++at;
    if (s[at] == '+' || s[at] == '-') typed.negative = s[at++] == '-';
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (; at < end; ++at) {
        const auto digit = std::uint64_t(s[at] - '0');
        if (typed.magnitude > (kMax - digit) / 10)
            typed.huge = true;
        else if (!typed.huge)
            typed.magnitude = typed.magnitude * 10 + digit;
    }
    if (typed.magnitude == 0 && !typed.huge) typed.negative = false; // -0 is 0
    return typed;
}

StoredNote marked(const std::string& stored, const std::string& why)
{
    return {true, "valeur enregistrée : " + stored + " (" + why + ")"};
}

// No number: the field keeps its value; that is said, not marked.
StoredNote noNumber(const std::string& stored)
{
    return {false, "aucun nombre lu : la valeur enregistrée reste " + stored};
}

std::string negativeWhy(const std::string& typed, int bits)
{
    return typed + " est négatif : enregistré en complément à deux sur " + std::to_string(bits) +
           " bits";
}

std::string tooWideWhy(const std::string& typed, int bits)
{
    return typed + " ne tient pas sur " + std::to_string(bits) + " bits";
}

std::string cutWhy()
{
    return "seuls les " + std::to_string(kScannedChars) + " premiers caractères sont lus";
}

std::string levelText(std::uint8_t byte)
{
    if (!halfStep(byte)) return std::to_string(byte);
    return std::to_string(byte) + ", soit " + std::to_string(levelCount(byte)) +
           " avec le bit demi-pas";
}

std::string countText(std::int64_t count)
{
    return std::to_string(count) + " interruptions";
}
} // namespace

std::string scannedPrefix(const std::string& text)
{
    std::size_t units = 0;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        const std::size_t width = length == 4 ? 2 : 1; // outside the BMP: a surrogate pair
        if (units + width > kScannedChars) break;
        units += width;
        at += length;
    }
    return text.substr(0, at);
}

std::string driftText(double error)
{
    return formatLong("dérive : %.3g s/jour", error * 86400.0);
}

StoredNote integerNote(const std::string& boxText, int bits, std::uint32_t stored)
{
    const std::string storedText = std::to_string(stored);
    if (!scanInt(scannedPrefix(boxText))) return noNumber(storedText);
    const TypedInteger typed = *typedInteger(boxText);
    const std::uint64_t max = bits >= 32 ? 0xFFFFFFFFu : (std::uint64_t(1) << bits) - 1;
    if (typed.negative) return marked(storedText, negativeWhy(typed.text, bits));
    if (typed.huge || typed.magnitude > max)
        return marked(storedText, tooWideWhy(typed.text, bits));
    if (typed.magnitude != stored) return marked(storedText, cutWhy());
    return {};
}

StoredNote levelNote(const std::string& boxText, std::uint8_t stored)
{
    const std::string storedText = levelText(stored);
    if (!scanInt(scannedPrefix(boxText))) return noNumber(storedText);
    const TypedInteger typed = *typedInteger(boxText);
    if (typed.negative) return marked(storedText, negativeWhy(typed.text, 8));
    if (typed.huge || typed.magnitude > 255) return marked(storedText, tooWideWhy(typed.text, 8));
    if (typed.magnitude >= 128)
        return marked(storedText,
                      typed.text + " atteint 128 : le nombre met lui-même le bit demi-pas");
    if (typed.magnitude != levelCount(stored)) return marked(storedText, cutWhy());
    return {};
}

StoredNote floatNote(const std::string& boxText, float stored)
{
    const std::string storedText = formatFloatForBox(stored);
    const std::string scanned = scannedPrefix(boxText);
    std::size_t end = 0;
    const auto read = scanFloatPrefix(scanned, end);
    if (!read) return noNumber(storedText);
    // Rounding to the nearest float is how the field holds decimals; only a
    // number beyond the float range, held as the largest float, is a mark.
    if (std::fabs(*read) == FLT_MAX) {
        std::size_t at = 0;
        while (isSpace(scanned[at]))
            ++at;
        if (scanned[at] == '+' || scanned[at] == '-') ++at;
        float exact = 0;
        if (readDecimal(scanned.data() + at, scanned.data() + end, exact) ==
            std::errc::result_out_of_range)
            return marked(storedText, numberText(scanned, end) +
                                          " dépasse le plus grand nombre à virgule sur 32 bits");
    }
    std::size_t fullEnd = 0;
    const auto whole = scanFloatPrefix(boxText, fullEnd);
    if (whole && *whole != stored) return marked(storedText, cutWhy());
    return {};
}

StoredNote holdNote(const std::string& boxText, std::uint32_t PeriodeTimer, std::uint8_t stored)
{
    const std::string storedText = countText(stored);
    const std::string scanned = scannedPrefix(boxText);
    std::size_t end = 0;
    const auto ms = scanFloatPrefix(scanned, end);
    if (!ms) return noNumber(storedText);
    const std::string typed = numberText(scanned, end);
    // The handler's own count before its low eight bits are kept.
    std::int64_t count = 0;
    try {
        const Extended periodMs = multiply(static_cast<Extended>(PeriodeTimer), 1e-6);
        count = truncateToInt64(divide(*ms, periodMs) + 0.5);
    } catch (const FloatingPointError&) {
        return marked(storedText, typed +
                                      " ms ne donne aucun nombre d'interruptions à la période IT "
                                      "de " +
                                      std::to_string(PeriodeTimer) +
                                      " ns : la valeur précédente "
                                      "reste");
    }
    if (count < 0)
        return marked(storedText, typed + " ms font " + countText(count) +
                                      " : négatif, enregistré en complément à deux sur 8 bits");
    if (count > 255)
        return marked(storedText, typed + " ms font " + countText(count) + ", plus que 255");
    std::size_t fullEnd = 0;
    const auto whole = scanFloatPrefix(boxText, fullEnd);
    if (whole && *whole != *ms) return marked(storedText, cutWhy());
    return {};
}

} // namespace korval
