#pragma once
// The 80-bit extended format computed in software: a 64-bit significand with
// its explicit integer bit, a 15-bit exponent biased by 16383, rounding to
// nearest even, subnormals, infinities and NaNs handled as the x87 handles
// them. Every target gets from it the bits an x87 gives, which is what makes
// a search or a conversion come out the same on an arm64 board, in a browser
// and on a PC.
//
// Values come in exact from every integer, float and double; long double is
// taken bit for bit where it is the x87 format and rounded once otherwise.
// Results go out to float, double and 64-bit integers only explicitly.

#include <cstdint>
#include <cstring>
#include <limits>

namespace korval
{

class SoftExtended
{
public:
    constexpr SoftExtended() = default;
    SoftExtended(int value) : SoftExtended(static_cast<long long>(value)) {}
    SoftExtended(unsigned value) : SoftExtended(static_cast<unsigned long long>(value)) {}
    SoftExtended(long value) : SoftExtended(static_cast<long long>(value)) {}
    SoftExtended(unsigned long value) : SoftExtended(static_cast<unsigned long long>(value)) {}
    SoftExtended(long long value);
    SoftExtended(unsigned long long value);
    SoftExtended(float value);
    SoftExtended(double value)
    {
        // Normal doubles, the common case, inline: the period search converts
        // one per candidate.
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        const auto biased = unsigned(bits >> 52) & 0x7FF;
        if (biased == 0 || biased == 0x7FF) {
            *this = fromDoubleSpecial(bits);
            return;
        }
        m_significand = (bits << 11) | kIntegerBit;
        m_signExponent = std::uint16_t(((bits >> 48) & 0x8000) | (biased + kBias - 1023));
    }
    SoftExtended(long double value);

    // The value whose 80 bits are these: sign and exponent, then the
    // significand with its integer bit.
    static constexpr SoftExtended fromBits(std::uint16_t signExponent, std::uint64_t significand)
    {
        SoftExtended x;
        x.m_signExponent = signExponent;
        x.m_significand = significand;
        return x;
    }
    constexpr std::uint16_t signExponent() const { return m_signExponent; }
    constexpr std::uint64_t significand() const { return m_significand; }

    // Rounded to nearest even; beyond the range an infinity, NaN quieted.
    explicit operator float() const;
    explicit operator double() const;
    // Toward zero. NaN and values outside the 64-bit range give -2^63, the
    // x87's integer indefinite.
    std::int64_t truncated() const;

    SoftExtended operator-() const { return fromBits(m_signExponent ^ 0x8000u, m_significand); }
    SoftExtended& operator+=(SoftExtended b) { return *this = *this + b; }
    SoftExtended& operator-=(SoftExtended b) { return *this = *this - b; }
    SoftExtended& operator*=(SoftExtended b) { return *this = *this * b; }
    SoftExtended& operator/=(SoftExtended b) { return *this = *this / b; }

    friend SoftExtended operator+(SoftExtended a, SoftExtended b);
    friend SoftExtended operator-(SoftExtended a, SoftExtended b);
    friend SoftExtended operator*(SoftExtended a, SoftExtended b);
    friend SoftExtended operator/(SoftExtended a, SoftExtended b);

    friend bool isNaN(SoftExtended x)
    {
        return (x.m_signExponent & 0x7FFF) == 0x7FFF && (x.m_significand << 1) != 0;
    }
    friend bool isInfinite(SoftExtended x)
    {
        return (x.m_signExponent & 0x7FFF) == 0x7FFF && (x.m_significand << 1) == 0;
    }
    friend bool isFinite(SoftExtended x) { return (x.m_signExponent & 0x7FFF) != 0x7FFF; }
    friend SoftExtended absolute(SoftExtended x)
    {
        return fromBits(x.m_signExponent & 0x7FFF, x.m_significand);
    }

    // IEEE comparisons: a NaN is unordered, -0 equals +0.
    friend bool operator==(SoftExtended a, SoftExtended b)
    {
        if (isNaN(a) || isNaN(b)) return false;
        return (a.m_signExponent == b.m_signExponent && a.m_significand == b.m_significand) ||
               (a.m_significand == 0 && b.m_significand == 0);
    }
    friend bool operator!=(SoftExtended a, SoftExtended b) { return !(a == b); }
    friend bool operator<(SoftExtended a, SoftExtended b)
    {
        if (isNaN(a) || isNaN(b)) return false;
        return lessOrdered(a, b);
    }
    friend bool operator>(SoftExtended a, SoftExtended b) { return b < a; }
    friend bool operator<=(SoftExtended a, SoftExtended b)
    {
        if (isNaN(a) || isNaN(b)) return false;
        return !lessOrdered(b, a);
    }
    friend bool operator>=(SoftExtended a, SoftExtended b) { return b <= a; }

    static constexpr std::uint64_t kIntegerBit = 0x8000000000000000u;
    static constexpr int kBias = 16383;

private:
    static SoftExtended fromDoubleSpecial(std::uint64_t bits);
    // a < b for two values neither of which is a NaN.
    static bool lessOrdered(SoftExtended a, SoftExtended b)
    {
        const bool negA = a.m_signExponent & 0x8000, negB = b.m_signExponent & 0x8000;
        if (a.m_significand == 0 && b.m_significand == 0) return false; // zeros of any sign
        if (negA != negB) return negA;
        // Canonical encodings order as (exponent, significand).
        const bool magnitudeLess =
            (a.m_signExponent & 0x7FFF) != (b.m_signExponent & 0x7FFF)
                ? (a.m_signExponent & 0x7FFF) < (b.m_signExponent & 0x7FFF)
                : a.m_significand < b.m_significand;
        const bool magnitudeEqual = a.m_signExponent == b.m_signExponent &&
                                    a.m_significand == b.m_significand;
        return negA ? !magnitudeLess && !magnitudeEqual : magnitudeLess;
    }

    std::uint64_t m_significand = 0;
    std::uint16_t m_signExponent = 0;
};

} // namespace korval

namespace std
{
template <>
class numeric_limits<korval::SoftExtended>
{
    using X = korval::SoftExtended;

public:
    static constexpr bool is_specialized = true;
    static constexpr bool is_signed = true;
    static constexpr bool is_integer = false;
    static constexpr bool is_exact = false;
    static constexpr bool has_infinity = true;
    static constexpr bool has_quiet_NaN = true;
    static constexpr bool has_signaling_NaN = true;
    static constexpr bool is_iec559 = true;
    static constexpr int radix = 2;
    static constexpr int digits = 64;
    static constexpr int min_exponent = -16381;
    static constexpr int max_exponent = 16384;
    static constexpr float_round_style round_style = round_to_nearest;
    static constexpr X min() { return X::fromBits(0x0001, X::kIntegerBit); }
    static constexpr X max() { return X::fromBits(0x7FFE, ~std::uint64_t(0)); }
    static constexpr X lowest() { return X::fromBits(0xFFFE, ~std::uint64_t(0)); }
    static constexpr X epsilon() { return X::fromBits(0x3FFF - 63, X::kIntegerBit); }
    static constexpr X denorm_min() { return X::fromBits(0, 1); }
    static constexpr X infinity() { return X::fromBits(0x7FFF, X::kIntegerBit); }
    static constexpr X quiet_NaN() { return X::fromBits(0x7FFF, 0xC000000000000000u); }
    static constexpr X signaling_NaN() { return X::fromBits(0x7FFF, 0xA000000000000000u); }
};
} // namespace std
