// The box scanners and the 20-character formatting on any bytes. Where the
// first 19 characters hold a plain decimal number in range, the scanners must
// agree with the C library's strtol and strtof.

#include "config/number_text.h"
#include "fuzz_check.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace korval;

namespace
{
bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Where the number starts after white space and a sign.
std::size_t numberStart(const std::string& s)
{
    std::size_t at = 0;
    while (at < s.size() && isSpace(s[at]))
        ++at;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
    return at;
}

// Digits (not a "0x" form), or digits around a point: no "nan", "inf" or
// hexadecimal float, which strtof takes and the boxes do not.
bool plainDecimal(const std::string& s, bool allowPoint)
{
    const std::size_t at = numberStart(s);
    if (at + 1 < s.size() && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X')) return false;
    if (at < s.size() && isDigit(s[at])) return true;
    return allowPoint && at + 1 < s.size() && s[at] == '.' && isDigit(s[at + 1]);
}

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void checkScanners(std::string_view text)
{
    const std::string first(text.substr(0, std::min(text.size(), kScannedChars)));
    // strtol and strtof stop at an embedded zero byte, as the scanners do.
    const std::optional<std::int32_t> integer = scanInt(text);
    const std::optional<float> real = scanFloat(text);
    std::size_t consumed = 0;
    if (scanIntPrefix(text, consumed)) FUZZ_CHECK(consumed <= text.size());
    if (scanFloatPrefix(text, consumed)) FUZZ_CHECK(consumed <= text.size());

    if (plainDecimal(first, false)) {
        errno = 0;
        const long expected = std::strtol(first.c_str(), nullptr, 10);
        if (errno == 0 && expected >= INT32_MIN && expected <= INT32_MAX) {
            FUZZ_CHECK(integer.has_value());
            FUZZ_CHECK(*integer == expected);
        }
    }
    if (plainDecimal(first, true)) {
        errno = 0;
        const float expected = std::strtof(first.c_str(), nullptr);
        if (errno == 0) {
            FUZZ_CHECK(real.has_value());
            FUZZ_CHECK(bitsOf(*real) == bitsOf(expected));
        }
    }
    // A number the scanner gives is never more than a float can hold.
    if (real) FUZZ_CHECK(!std::isnan(*real) && !std::isinf(*real));
}

float floatFrom(std::string_view bytes)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, bytes.data(), std::min(bytes.size(), sizeof bits));
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void checkFormatting(std::string_view bytes)
{
    const float value = floatFrom(bytes);
    const double wide = value;
    std::int32_t integer = 0;
    std::memcpy(&integer, bytes.data(), std::min(bytes.size(), sizeof integer));
    // A text longer than a box is cut to its first 19 characters.
    FUZZ_CHECK(formatText("%f", wide) == formatLong("%f", wide).substr(0, kScannedChars));
    FUZZ_CHECK(formatText("%6.2f", wide) == formatLong("%6.2f", wide).substr(0, kScannedChars));
    FUZZ_CHECK(formatText("%4.2e", wide) == formatLong("%4.2e", wide).substr(0, kScannedChars));
    FUZZ_CHECK(formatText("%ld", long(integer)) == formatLong("%ld", long(integer)));

    // What a box shows of a float fits it, and reads back to that float.
    const std::string shown = formatFloatForBox(value);
    FUZZ_CHECK(shown.size() <= kScannedChars);
    if (std::isfinite(value) && shown.find('e') != std::string::npos) {
        const std::optional<float> back = scanFloat(shown);
        FUZZ_CHECK(back && bitsOf(*back) == bitsOf(value));
    }
    // An integer shown reads back to itself.
    FUZZ_CHECK(scanInt(formatText("%d", integer)) == integer);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    checkScanners(text);
    checkFormatting(text);
    return 0;
}
