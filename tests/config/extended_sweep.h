#pragma once
// The software extended arithmetic held against the x87, without Qt: the
// operations, their outcomes, the random operands from every binade and the
// table of hard cases. The Qt suite adds GNU MPFR on top; the plain program
// runs the same sweep wherever MPFR is not built (Windows, under Wine).

#include "config/fp_fault.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#if defined(KORVAL_X87_EXTENDED) ||                                                                \
    ((defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64)
#define KORVAL_HAVE_X87 1
#endif

namespace korval::sweep
{
using X = SoftExtended;

enum Op {
    Add,
    Sub,
    Mul,
    Div,
    Less,
    LessEqual,
    Greater,
    Equal,
    Unordered,
    ToFloat,
    ToDouble,
    Truncate,
    Round,
    CheckedDivide,
    CheckedMultiply,
    FromFloat,
    FromDouble,
    FromInt64,
    FromUint64,
    OpCount
};
extern const char* const kOpNames[OpCount];

// What an operation gave: a value's 80 bits, a float's or double's bits, an
// integer, a truth value, or a fault.
struct Outcome {
    enum Kind { Value, Bits, Integer, Truth, Fault } kind;
    std::uint16_t high = 0;
    std::uint64_t low = 0;
    bool operator==(const Outcome& o) const
    {
        return kind == o.kind && high == o.high && low == o.low;
    }
    std::string text() const;
};

inline Outcome valueOf(X x)
{
    return {Outcome::Value, x.signExponent(), x.significand()};
}
template <class T> Outcome bitsOf(T narrow)
{
    std::uint64_t bits = 0;
    std::memcpy(&bits, &narrow, sizeof narrow);
    return {Outcome::Bits, 0, bits};
}
template <class T> T fromRaw(std::uint64_t raw)
{
    T t;
    std::memcpy(&t, &raw, sizeof t);
    return t;
}

#ifdef KORVAL_HAVE_X87
inline long double hardware(X x)
{
    long double h = 0;
    const std::uint64_t significand = x.significand();
    const std::uint16_t signExponent = x.signExponent();
    std::memcpy(&h, &significand, 8);
    std::memcpy(reinterpret_cast<char*>(&h) + 8, &signExponent, 2);
    return h;
}
inline Outcome valueOf(long double h)
{
    return valueOf(X(h)); // its ten bytes, copied
}
inline bool unordered(long double a, long double b)
{
    return std::isunordered(a, b);
}
#endif
inline bool unordered(X a, X b)
{
    return isNaN(a) || isNaN(b);
}

// One operation in arithmetic T on the operands a and b (or raw, for the
// conversions into T).
template <class T> Outcome evaluate(Op op, T a, T b, std::uint64_t raw)
{
    try {
        switch (op) {
        case Add:
            return valueOf(a + b);
        case Sub:
            return valueOf(a - b);
        case Mul:
            return valueOf(a * b);
        case Div:
            return valueOf(a / b);
        case Less:
            return {Outcome::Truth, 0, a < b};
        case LessEqual:
            return {Outcome::Truth, 0, a <= b};
        case Greater:
            return {Outcome::Truth, 0, a > b};
        case Equal:
            return {Outcome::Truth, 0, a == b};
        case Unordered:
            return {Outcome::Truth, 0, unordered(a, b)};
        case ToFloat:
            return bitsOf(checked::narrow<float>(a));
        case ToDouble:
            return bitsOf(checked::narrow<double>(a));
        case Truncate:
            return {Outcome::Integer, 0, std::uint64_t(checked::truncateToInt64(a))};
        case Round:
            return {Outcome::Integer, 0, std::uint64_t(std::int64_t(checked::roundToInt32(a)))};
        case CheckedDivide:
            return valueOf(checked::divide(a, b));
        case CheckedMultiply:
            return valueOf(checked::multiply(a, b));
        case FromFloat:
            return valueOf(T(fromRaw<float>(raw)));
        case FromDouble:
            return valueOf(T(fromRaw<double>(raw)));
        case FromInt64:
            return valueOf(T(fromRaw<std::int64_t>(raw)));
        case FromUint64:
            return valueOf(T(raw));
        case OpCount:
            break;
        }
    } catch (const FloatingPointError& e) {
        return {Outcome::Fault, 0, std::uint64_t(e.fault())};
    }
    return {Outcome::Fault, 0xFFFF, 0};
}

// ---- Random operands from every binade ---------------------------------------

struct Operands {
    X a, b;
    std::uint64_t raw;
};

class OperandSource
{
public:
    Operands next();

private:
    X draw(std::optional<int> partner);
    int exponent(std::uint64_t pick, std::optional<int> partner);

    std::mt19937_64 m_bits{0x4B4F5256414Cu}; // a fixed state: every run draws the same
};

// KORVAL_EXTENDED_CASES from the environment, or the build's default.
std::uint64_t requestedCases(std::uint64_t defaultCases);

// "case 12: + of value ... and value ... (raw ...): value ..., x87 value ..."
std::string describe(std::uint64_t index, Op op, const Operands& o, const Outcome& soft,
                     const char* otherName, const Outcome& other);

// ---- The hard cases ------------------------------------------------------------

// Operands given field by field; the conversions in take their raw float,
// double or integer in aSig.
struct HardCase {
    const char* name;
    Op op;
    std::uint16_t aExp;
    std::uint64_t aSig;
    std::uint16_t bExp;
    std::uint64_t bSig;
};
const std::vector<HardCase>& hardCases();

#ifdef KORVAL_HAVE_X87
// The first of `cases` random pairs on which the software path and the x87
// differ, in any operation, described; nothing when they all agree.
std::optional<std::string> firstDifferenceFromHardware(std::uint64_t cases);
#endif

} // namespace korval::sweep
