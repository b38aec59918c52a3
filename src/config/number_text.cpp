#include "number_text.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <charconv>
#include <clocale>
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

} // namespace korval
