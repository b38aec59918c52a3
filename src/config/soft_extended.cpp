#include "soft_extended.h"

#include <cfloat>
#include <cmath>
#include <utility>

namespace korval
{

namespace
{
using X = SoftExtended;
constexpr std::uint64_t kTop = X::kIntegerBit;
constexpr std::uint64_t kQuietBit = std::uint64_t(1) << 62;
constexpr int kMinExponent = 1 - X::kBias; // of the smallest normal, unbiased

// A binary format as the rounding sees it: significand bits including the
// leading one, smallest normal exponent, the biased exponent of infinity.
struct Format {
    int precision;
    int minExponent;
    int infinityExponent;
};
constexpr Format kExtendedFormat{64, kMinExponent, 0x7FFF};
constexpr Format kDoubleFormat{53, -1022, 0x7FF};
constexpr Format kFloatFormat{24, -126, 0xFF};

// A rounded value: biased exponent (0 for a subnormal, infinityExponent for
// an infinity) and the significand right-aligned, leading one included.
struct Rounded {
    int biased;
    std::uint64_t significand;
};

int leadingZeros(std::uint64_t v) // v != 0
{
#if defined(__GNUC__) || defined(__clang__)
    return __builtin_clzll(v);
#else
    int n = 0;
    while (!(v & kTop)) {
        v <<= 1;
        ++n;
    }
    return n;
#endif
}

// The one rounding of every result: the exact value hi:lo x 2^(exponent - 127),
// hi's top bit set, and any bit lost before this point already OR-ed into
// lo's lowest bit. Round to nearest, ties to even, with subnormals.
Rounded roundTo(const Format& f, int exponent, std::uint64_t hi, std::uint64_t lo)
{
    int keep = f.precision;
    int biased = exponent - f.minExponent + 1;
    if (exponent < f.minExponent) {
        keep -= f.minExponent - exponent;
        biased = 0;
    }
    std::uint64_t q;
    bool roundBit, sticky;
    if (keep <= 0) {
        // Below half the smallest subnormal, or (keep of 0) from half of it up.
        q = 0;
        roundBit = keep == 0;
        sticky = keep < 0 || (hi << 1) != 0 || lo != 0;
    } else if (keep == 64) {
        q = hi;
        roundBit = lo >> 63;
        sticky = (lo << 1) != 0;
    } else {
        q = hi >> (64 - keep);
        roundBit = (hi >> (63 - keep)) & 1;
        sticky = (hi & ((std::uint64_t(1) << (63 - keep)) - 1)) != 0 || lo != 0;
    }
    if (roundBit && (sticky || (q & 1))) {
        ++q;
        if (keep == 64 && q == 0) { // carried out of 64 bits
            q = kTop;
            ++biased;
        } else if (biased != 0 && keep < 64 && q == std::uint64_t(1) << keep) {
            q >>= 1;
            ++biased;
        }
    }
    // A subnormal rounded up to the smallest normal.
    if (biased == 0 && (q >> (f.precision - 1)) != 0) biased = 1;
    if (biased >= f.infinityExponent)
        return {f.infinityExponent, std::uint64_t(1) << (f.precision - 1)};
    return {biased, q};
}

X pack(bool negative, int exponent, std::uint64_t hi, std::uint64_t lo)
{
    const Rounded r = roundTo(kExtendedFormat, exponent, hi, lo);
    return X::fromBits(std::uint16_t((negative ? 0x8000 : 0) | r.biased), r.significand);
}

// A finite non-zero value as sign, exponent of its leading bit and a
// significand with the top bit set.
struct Unpacked {
    bool negative;
    int exponent;
    std::uint64_t significand;
};
Unpacked unpack(X x)
{
    const int biased = x.signExponent() & 0x7FFF;
    const bool negative = x.signExponent() & 0x8000;
    if (biased != 0) return {negative, biased - X::kBias, x.significand()};
    const int shift = leadingZeros(x.significand());
    return {negative, kMinExponent - shift, x.significand() << shift};
}

bool isNegative(X x)
{
    return x.signExponent() & 0x8000;
}
bool isZero(X x)
{
    return x.significand() == 0;
}
X zero(bool negative)
{
    return X::fromBits(negative ? 0x8000 : 0, 0);
}
X infinity(bool negative)
{
    return X::fromBits(negative ? 0xFFFF : 0x7FFF, kTop);
}
// What the x87 gives for 0/0, inf - inf, 0 x inf: the negative "indefinite".
X defaultNaN()
{
    return X::fromBits(0xFFFF, 0xC000000000000000u);
}
X quiet(X x)
{
    return X::fromBits(x.signExponent(), x.significand() | kQuietBit);
}
bool isSignaling(X x)
{
    return isNaN(x) && !(x.significand() & kQuietBit);
}

// The x87's choice between NaN operands: a quiet one before a signaling
// one, otherwise the larger significand, then the positive one.
X propagateNaN(X a, X b)
{
    if (!isNaN(b)) return quiet(a);
    if (!isNaN(a)) return quiet(b);
    if (isSignaling(a) != isSignaling(b)) return quiet(isSignaling(a) ? b : a);
    if (a.significand() != b.significand())
        return quiet(a.significand() > b.significand() ? a : b);
    return quiet(a.signExponent() < b.signExponent() ? a : b);
}

// hi:lo shifted right by `count`, the bits lost OR-ed into the lowest bit.
void shiftRightJam(std::uint64_t& hi, std::uint64_t& lo, int count)
{
    if (count == 0) return;
    if (count < 64) {
        lo = (hi << (64 - count)) | (lo >> count) | ((lo << (64 - count)) != 0);
        hi >>= count;
    } else if (count == 64) {
        lo = hi | (lo != 0);
        hi = 0;
    } else if (count < 128) {
        lo = (hi >> (count - 64)) | ((hi << (128 - count)) != 0 || lo != 0);
        hi = 0;
    } else {
        lo = (hi | lo) != 0;
        hi = 0;
    }
}

X add(X a, X b, bool negateB)
{
    if (isNaN(a) || isNaN(b)) return propagateNaN(a, b);
    const bool negA = isNegative(a);
    const bool negB = isNegative(b) != negateB;
    if (!isFinite(a)) {
        if (!isFinite(b) && negA != negB) return defaultNaN();
        return a;
    }
    if (!isFinite(b)) return infinity(negB);
    if (isZero(b)) return isZero(a) ? zero(negA && negB) : a;
    if (isZero(a)) return X::fromBits(std::uint16_t((b.signExponent() & 0x7FFF) | (negB ? 0x8000 : 0)),
                                      b.significand());
    Unpacked x = unpack(a), y = unpack(b);
    y.negative = negB;
    if (x.exponent < y.exponent || (x.exponent == y.exponent && x.significand < y.significand))
        std::swap(x, y);
    std::uint64_t hi = x.significand, lo = 0;
    std::uint64_t yHi = y.significand, yLo = 0;
    shiftRightJam(yHi, yLo, x.exponent - y.exponent);
    int exponent = x.exponent;
    if (x.negative == y.negative) {
        lo += yLo; // lo was 0: no carry
        const std::uint64_t sum = hi + yHi;
        if (sum < hi) { // carried out: one more bit in front
            lo = (lo >> 1) | (sum << 63) | (lo & 1);
            hi = (sum >> 1) | kTop;
            ++exponent;
        } else {
            hi = sum;
        }
    } else {
        const std::uint64_t borrow = yLo != 0;
        lo = 0 - yLo;
        hi = hi - yHi - borrow;
        if (hi == 0 && lo == 0) return zero(false); // an exact cancellation is +0
        if (hi == 0) {
            hi = lo;
            lo = 0;
            exponent -= 64;
        }
        const int shift = leadingZeros(hi);
        if (shift != 0) {
            hi = (hi << shift) | (lo >> (64 - shift));
            lo <<= shift;
            exponent -= shift;
        }
    }
    return pack(x.negative, exponent, hi, lo);
}

// The full 128-bit product of two 64-bit integers, in 32-bit halves so that
// every target runs the same code.
void multiply64(std::uint64_t a, std::uint64_t b, std::uint64_t& hi, std::uint64_t& lo)
{
    const std::uint64_t a1 = a >> 32, a0 = a & 0xFFFFFFFFu;
    const std::uint64_t b1 = b >> 32, b0 = b & 0xFFFFFFFFu;
    const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
    const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
    lo = (middle << 32) | (p00 & 0xFFFFFFFFu);
    hi = p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32);
}

// hi:lo / d for a divisor with its top bit set and hi < d: the quotient fits
// 64 bits. Long division in 32-bit digits, each estimate corrected at most
// twice (Knuth's algorithm D).
std::uint64_t divide128(std::uint64_t hi, std::uint64_t lo, std::uint64_t d, std::uint64_t& rest)
{
    constexpr std::uint64_t base = std::uint64_t(1) << 32;
    const std::uint64_t d1 = d >> 32, d0 = d & 0xFFFFFFFFu;
    const std::uint64_t lo1 = lo >> 32, lo0 = lo & 0xFFFFFFFFu;
    auto digit = [&](std::uint64_t top, std::uint64_t next, std::uint64_t& remainder) {
        // top:next (top < d) divided by d, one 32-bit digit of quotient.
        std::uint64_t q = top / d1;
        std::uint64_t r = top - q * d1;
        while (q >= base || q * d0 > ((r << 32) | next)) {
            --q;
            r += d1;
            if (r >= base) break;
        }
        remainder = (top << 32) + next - q * d; // modulo 2^64, exact as it is below d
        return q;
    };
    std::uint64_t middle;
    const std::uint64_t q1 = digit(hi, lo1, middle);
    const std::uint64_t q0 = digit(middle, lo0, rest);
    return (q1 << 32) | q0;
}

X fromInteger(bool negative, std::uint64_t magnitude)
{
    if (magnitude == 0) return zero(false);
    const int shift = leadingZeros(magnitude);
    return X::fromBits(std::uint16_t((negative ? 0x8000 : 0) | (X::kBias + 63 - shift)),
                       magnitude << shift);
}

// A narrowing to float or double, returned as that format's bits.
std::uint64_t narrow(X x, const Format& f, int fractionBits)
{
    const int exponentBits = f.infinityExponent == 0xFF ? 8 : 11;
    const std::uint64_t sign = std::uint64_t(isNegative(x)) << (fractionBits + exponentBits);
    const std::uint64_t infinityBits = std::uint64_t(f.infinityExponent) << fractionBits;
    if (isNaN(x)) // quieted, the top of the payload kept
        return sign | infinityBits | (std::uint64_t(1) << (fractionBits - 1)) |
               (x.significand() << 1 >> (64 - fractionBits));
    if (!isFinite(x)) return sign | infinityBits;
    if (isZero(x)) return sign;
    const Unpacked u = unpack(x);
    const Rounded r = roundTo(f, u.exponent, u.significand, 0);
    const std::uint64_t fraction = r.significand & ((std::uint64_t(1) << fractionBits) - 1);
    return sign | (std::uint64_t(r.biased) << fractionBits) | fraction;
}

// A float or double widened: exact, a NaN quieted with its payload on top.
X widen(std::uint64_t bits, int fractionBits, int exponentBits)
{
    const bool negative = (bits >> (fractionBits + exponentBits)) & 1;
    const int infinityExponent = (1 << exponentBits) - 1;
    const int biased = int(bits >> fractionBits) & infinityExponent;
    const std::uint64_t fraction = bits & ((std::uint64_t(1) << fractionBits) - 1);
    const int bias = infinityExponent >> 1;
    const std::uint16_t sign = negative ? 0x8000 : 0;
    if (biased == infinityExponent) {
        if (fraction == 0) return infinity(negative);
        return X::fromBits(sign | 0x7FFF, kTop | kQuietBit | (fraction << (63 - fractionBits)));
    }
    if (biased == 0) {
        if (fraction == 0) return zero(negative);
        const int shift = leadingZeros(fraction);
        // fraction x 2^(1 - bias - fractionBits), its leading bit at 63 - shift.
        const int exponent = 1 - bias - fractionBits + 63 - shift;
        return X::fromBits(std::uint16_t(sign | (exponent + X::kBias)), fraction << shift);
    }
    return X::fromBits(std::uint16_t(sign | (biased - bias + X::kBias)),
                       kTop | (fraction << (63 - fractionBits)));
}
} // namespace

SoftExtended::SoftExtended(long long value)
    : SoftExtended(fromInteger(value < 0, value < 0 ? 0 - static_cast<std::uint64_t>(value)
                                                    : static_cast<std::uint64_t>(value)))
{
}

SoftExtended::SoftExtended(unsigned long long value) : SoftExtended(fromInteger(false, value)) {}

SoftExtended::SoftExtended(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    *this = widen(bits, 23, 8);
}

SoftExtended SoftExtended::fromDoubleSpecial(std::uint64_t bits)
{
    return widen(bits, 52, 11);
}

SoftExtended::SoftExtended(long double value)
{
#if LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384
    // The x87 format itself: its ten bytes, little-endian.
    std::memcpy(&m_significand, &value, 8);
    std::memcpy(&m_signExponent, reinterpret_cast<const char*>(&value) + 8, 2);
#elif LDBL_MANT_DIG == 53
    *this = SoftExtended(static_cast<double>(value));
#else
    // A wider format, rounded once: its significand fits 128 bits.
    if (std::isnan(value)) {
        *this = std::signbit(value) ? -std::numeric_limits<X>::quiet_NaN()
                                    : std::numeric_limits<X>::quiet_NaN();
    } else if (std::isinf(value) || value == 0) {
        *this = std::isinf(value) ? infinity(std::signbit(value)) : zero(std::signbit(value));
    } else {
        int exponent = 0;
        const long double scaled = std::ldexp(std::frexp(std::fabs(value), &exponent), 64);
        const auto hi = static_cast<std::uint64_t>(scaled);
        const auto lo = static_cast<std::uint64_t>(std::ldexp(scaled - hi, 64));
        *this = pack(std::signbit(value), exponent - 1, hi, lo);
    }
#endif
}

SoftExtended::operator float() const
{
    const auto bits = static_cast<std::uint32_t>(narrow(*this, kFloatFormat, 23));
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

SoftExtended::operator double() const
{
    const std::uint64_t bits = narrow(*this, kDoubleFormat, 52);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::int64_t SoftExtended::truncated() const
{
    constexpr auto indefinite = std::numeric_limits<std::int64_t>::min();
    if (!isFinite(*this)) return indefinite;
    if (isZero(*this)) return 0;
    const Unpacked u = unpack(*this);
    if (u.exponent < 0) return 0;
    if (u.exponent >= 63) return indefinite; // -2^63 itself included
    const std::uint64_t magnitude = u.significand >> (63 - u.exponent);
    return u.negative ? -static_cast<std::int64_t>(magnitude) : static_cast<std::int64_t>(magnitude);
}

SoftExtended operator+(SoftExtended a, SoftExtended b)
{
    return add(a, b, false);
}

SoftExtended operator-(SoftExtended a, SoftExtended b)
{
    return add(a, b, true);
}

SoftExtended operator*(SoftExtended a, SoftExtended b)
{
    if (isNaN(a) || isNaN(b)) return propagateNaN(a, b);
    const bool negative = isNegative(a) != isNegative(b);
    if (!isFinite(a) || !isFinite(b)) {
        if (isZero(a) || isZero(b)) return defaultNaN();
        return infinity(negative);
    }
    if (isZero(a) || isZero(b)) return zero(negative);
    const Unpacked x = unpack(a), y = unpack(b);
    std::uint64_t hi, lo;
    multiply64(x.significand, y.significand, hi, lo);
    int exponent = x.exponent + y.exponent + 1;
    if (!(hi & kTop)) {
        hi = (hi << 1) | (lo >> 63);
        lo <<= 1;
        --exponent;
    }
    return pack(negative, exponent, hi, lo);
}

SoftExtended operator/(SoftExtended a, SoftExtended b)
{
    if (isNaN(a) || isNaN(b)) return propagateNaN(a, b);
    const bool negative = isNegative(a) != isNegative(b);
    if (!isFinite(a)) return isFinite(b) ? infinity(negative) : defaultNaN();
    if (!isFinite(b)) return zero(negative);
    if (isZero(b)) return isZero(a) ? defaultNaN() : infinity(negative);
    if (isZero(a)) return zero(negative);
    const Unpacked x = unpack(a), y = unpack(b);
    // The numerator placed so that the quotient's leading bit lands on bit 63.
    std::uint64_t hi = x.significand, lo = 0;
    int exponent = x.exponent - y.exponent - 1;
    if (x.significand >= y.significand) {
        lo = hi << 63;
        hi >>= 1;
        ++exponent;
    }
    std::uint64_t rest, last;
    const std::uint64_t q1 = divide128(hi, lo, y.significand, rest);
    const std::uint64_t q0 = divide128(rest, 0, y.significand, last);
    return pack(negative, exponent, q1, q0 | (last != 0));
}

} // namespace korval
