#pragma once
// Numbers as the window shows and reads them: printf-style formats into
// 20-character buffers, and one scanf-style conversion over at most the first
// 19 characters of a text, with the point as decimal separator whatever the
// process locale says.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace korval
{

constexpr std::size_t kTextBufferSize = 20;
constexpr std::size_t kScannedChars = kTextBufferSize - 1;

// "%d" and "%ld" alike: a 32-bit signed value. Leading white space and a sign
// are accepted, scanning stops at the first non-digit. Digits beyond 32 bits
// wrap around modulo 2^32, as storing into the field would. No digit (or a
// hexadecimal form such as 0x1F) gives no number.
std::optional<std::int32_t> scanInt(std::string_view text);

// "%f" into a 32-bit float: digits with an optional point and exponent,
// correctly rounded. "nan", "inf" and hexadecimal forms are no number; a value
// beyond the float range gives the largest float of its sign.
std::optional<float> scanFloat(std::string_view text);

// The same conversions over the whole of `text`, telling how many characters
// the number took.
std::optional<std::int32_t> scanIntPrefix(std::string_view text, std::size_t& consumed);
std::optional<float> scanFloatPrefix(std::string_view text, std::size_t& consumed);

// The decimal number that fills [first, last) exactly, correctly rounded:
// out of range when it overflows or underflows the type, invalid when it is
// not a number or does not reach `last`.
std::errc readDecimal(const char* first, const char* last, float& value);
std::errc readDecimal(const char* first, const char* last, double& value);

// printf-style formatting into a 20-character buffer: a longer result is cut
// to 19 characters.
std::string formatText(const char* format, ...)
#if defined(__MINGW32__) // MinGW's C++ library formats with its own ISO printf
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The same with a buffer of any size, for texts that are not box values.
std::string formatLong(const char* format, ...)
#if defined(__MINGW32__) // MinGW's C++ library formats with its own ISO printf
    __attribute__((format(gnu_printf, 1, 2)))
#elif defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// A fixed-point rendering that fits the 19 characters a box gives back: "%f"
// when it fits, otherwise the nine significant digits that bring the same
// float back.
std::string formatFloatForBox(float value);

// printf's "%.2e" of a double, written at `out` (at most 32 characters), with
// the digits correctly rounded, ties to even, as the C library gives them.
// Returns the end of what was written.
char* putScientific2(char* out, double value);

// Low bits of a scanned value, the way a field of that width stores it.
constexpr std::uint8_t low8(std::int32_t v)
{
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v));
}
constexpr std::uint16_t low16(std::int32_t v)
{
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(v));
}
constexpr std::uint32_t bits32(std::int32_t v)
{
    return static_cast<std::uint32_t>(v);
}

} // namespace korval
