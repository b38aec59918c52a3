#include "number_text.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace korval
{

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
bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view scanned(std::string_view text)
{
    return text.substr(0, std::min(text.size(), kScannedChars));
}

// Position after white space and an optional sign; `negative` tells the sign.
std::size_t skipToNumber(std::string_view s, bool& negative)
{
    std::size_t at = 0;
    while (at < s.size() && isSpace(s[at]))
        ++at;
    negative = false;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) {
        negative = s[at] == '-';
        ++at;
    }
    return at;
}

bool startsHexForm(std::string_view s, std::size_t at)
{
    return at + 2 < s.size() && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X') &&
           (isHexDigit(s[at + 2]) || s[at + 2] == '.');
}

// snprintf follows LC_NUMERIC; the window always shows a point.
void pointAsDecimalSeparator(char* text)
{
    const char* point = std::localeconv()->decimal_point;
    if (!point || std::strcmp(point, ".") == 0 || !*point) return;
    const std::size_t width = std::strlen(point);
    if (char* at = std::strstr(text, point)) {
        *at = '.';
        std::memmove(at + 1, at + width, std::strlen(at + width) + 1);
    }
}

std::string vformat(std::size_t size, const char* format, std::va_list args)
{
    std::string buffer(size, '\0');
    std::vsnprintf(buffer.data(), size, format, args);
    pointAsDecimalSeparator(buffer.data());
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}
} // namespace

namespace
{
template <typename T> std::errc decimalFrom(const char* first, const char* last, T& value)
{
#if defined(__EMSCRIPTEN__)
    // This C++ library has no floating-point from_chars; its C library reads
    // exactly, in the C locale the module always runs in.
    const std::string text(first, last);
    char* end = nullptr;
    errno = 0;
    if constexpr (sizeof(T) == sizeof(float))
        value = std::strtof(text.c_str(), &end);
    else
        value = std::strtod(text.c_str(), &end);
    if (end != text.c_str() + text.size()) return std::errc::invalid_argument;
    // Out of range as from_chars has it: an infinity or a zero, not a subnormal.
    const bool outside = errno == ERANGE && (std::isinf(value) || value == 0);
    return outside ? std::errc::result_out_of_range : std::errc();
#else
    const auto result = std::from_chars(first, last, value, std::chars_format::general);
    if (result.ec == std::errc() && result.ptr != last) return std::errc::invalid_argument;
    return result.ec;
#endif
}
} // namespace

std::errc readDecimal(const char* first, const char* last, float& value)
{
    return decimalFrom<float>(first, last, value);
}

std::errc readDecimal(const char* first, const char* last, double& value)
{
    return decimalFrom<double>(first, last, value);
}

std::optional<std::int32_t> scanInt(std::string_view text)
{
    std::size_t consumed = 0;
    return scanIntPrefix(scanned(text), consumed);
}

std::optional<float> scanFloat(std::string_view text)
{
    std::size_t consumed = 0;
    return scanFloatPrefix(scanned(text), consumed);
}

std::optional<std::int32_t> scanIntPrefix(std::string_view s, std::size_t& consumed)
{
    bool negative = false;
    std::size_t at = skipToNumber(s, negative);
    if (at >= s.size() || !isDigit(s[at]) || startsHexForm(s, at)) return std::nullopt;
    std::uint32_t value = 0;
    for (; at < s.size() && isDigit(s[at]); ++at)
        value = value * 10u + static_cast<std::uint32_t>(s[at] - '0');
    if (negative) value = 0u - value;
    consumed = at;
    return static_cast<std::int32_t>(value);
}

std::optional<float> scanFloatPrefix(std::string_view s, std::size_t& consumed)
{
    bool negative = false;
    const std::size_t start = skipToNumber(s, negative);
    if (startsHexForm(s, start)) return std::nullopt;
    std::size_t at = start;
    std::size_t digits = 0;
    for (; at < s.size() && isDigit(s[at]); ++at)
        ++digits;
    if (at < s.size() && s[at] == '.')
        for (++at; at < s.size() && isDigit(s[at]); ++at)
            ++digits;
    if (digits == 0) return std::nullopt;
    // An exponent counts only when at least one digit follows it.
    bool negativeExponent = false;
    if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
        std::size_t e = at + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-')) {
            negativeExponent = s[e] == '-';
            ++e;
        }
        if (e < s.size() && isDigit(s[e])) {
            while (e < s.size() && isDigit(s[e]))
                ++e;
            at = e;
        }
    }
    const char* first = s.data() + start;
    const char* last = s.data() + at;
    float value = 0.0f;
    const std::errc result = readDecimal(first, last, value);
    if (result == std::errc::result_out_of_range) {
        double wide = 0.0;
        if (readDecimal(first, last, wide) == std::errc())
            value = wide > static_cast<double>(FLT_MAX) ? FLT_MAX : static_cast<float>(wide);
        else
            value = negativeExponent ? 0.0f : FLT_MAX;
    } else if (result != std::errc()) {
        return std::nullopt;
    }
    consumed = at;
    return negative ? -value : value;
}

std::string formatText(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string text = vformat(kTextBufferSize, format, args);
    va_end(args);
    return text;
}

std::string formatLong(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::va_list again;
    va_copy(again, args);
    // Measured first: a long text must not be cut.
    const int size = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text = vformat(std::size_t(size > 0 ? size : 0) + 1, format, again);
    va_end(again);
    return text;
}

std::string formatFloatForBox(float value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%f", static_cast<double>(value));
    if (std::strlen(buffer) > kScannedChars)
        std::snprintf(buffer, sizeof buffer, "%.9g", static_cast<double>(value));
    pointAsDecimalSeparator(buffer);
    return buffer;
}

namespace
{
#if defined(__SIZEOF_INT128__)
__extension__ typedef unsigned __int128 Wide; // GCC's and Clang's own type

// A value of 53 bits times 10^22 (under 2^74) still fits in 128 bits.
constexpr int kLargestExactScale = 22;

// 10^0 to 10^22, built at compile time.
struct PowersOfTen {
    Wide value[kLargestExactScale + 1];
    constexpr PowersOfTen() : value()
    {
        value[0] = 1;
        for (int i = 1; i <= kLargestExactScale; ++i)
            value[i] = value[i - 1] * 10;
    }
};
constexpr PowersOfTen kPowersOfTen;

// The three digits of a positive finite value as "d.dde-xx", taken exactly
// with integers; false where the value lies outside what 128 bits can hold.
bool putScientific2Exactly(char*& out, double magnitude)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int biased = int(bits >> 52);
    if (biased == 0) return false; // subnormal
    const std::uint64_t significand =
        (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
    const int shift = 1075 - biased; // magnitude = significand / 2^shift
    if (shift < 1 || shift > 127) return false;
    // 2^e lies within one of 10^(e log10 2), so this guess of the decimal
    // exponent is off by one at most; the integers below check it.
    int decimal = ((biased - 1023) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = 2 - decimal;
        if (scale < 0 || scale > kLargestExactScale) return false;
        const Wide scaled = significand * kPowersOfTen.value[scale];
        Wide whole = scaled >> shift;
        if (whole < 100) {
            --decimal;
            continue;
        }
        if (whole >= 1000) {
            ++decimal;
            continue;
        }
        const Wide rest = scaled - (whole << shift);
        const Wide half = Wide(1) << (shift - 1);
        if (rest > half || (rest == half && (whole & 1) != 0)) ++whole;
        if (whole == 1000) {
            whole = 100;
            ++decimal;
        }
        const auto digits = static_cast<unsigned>(whole);
        *out++ = char('0' + digits / 100);
        *out++ = '.';
        *out++ = char('0' + digits / 10 % 10);
        *out++ = char('0' + digits % 10);
        *out++ = 'e';
        *out++ = decimal < 0 ? '-' : '+';
        const int exponent = decimal < 0 ? -decimal : decimal;
        if (exponent < 10) *out++ = '0';
        out = std::to_chars(out, out + 4, exponent).ptr;
        return true;
    }
    return false;
}
#endif
} // namespace

char* putScientific2(char* out, double value)
{
    // The candidate list's errors all take the integer path: the library's
    // own conversion brings tables a short command would page in for it.
#if defined(__SIZEOF_INT128__)
    if (std::isfinite(value)) {
        char* at = out;
        if (std::signbit(value)) *at++ = '-';
        if (value == 0) {
            static const char zero[] = "0.00e+00";
            return std::copy(zero, zero + sizeof zero - 1, at);
        }
        if (putScientific2Exactly(at, std::fabs(value))) return at;
    }
#endif
#if defined(__EMSCRIPTEN__)
    // No floating-point to_chars in this C++ library; its printf is exact too.
    return out + std::snprintf(out, 32, "%.2e", value);
#else
    return std::to_chars(out, out + 32, value, std::chars_format::scientific, 2).ptr;
#endif
}

} // namespace korval
