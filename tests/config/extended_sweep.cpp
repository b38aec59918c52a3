#include "extended_sweep.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace korval::sweep
{

const char* const kOpNames[OpCount] = {
    "+",        "-",         "*",          "/",         "<",         "<=",    ">",
    "==",       "unordered", "toFloat",    "toDouble",  "truncate",  "round", "divide",
    "multiply", "fromFloat", "fromDouble", "fromInt64", "fromUint64"};

std::string Outcome::text() const
{
    static const char* const kinds[] = {"value", "bits", "integer", "truth", "fault"};
    char out[48];
    std::snprintf(out, sizeof out, "%s %04" PRIx16 " %016" PRIx64, kinds[kind], high, low);
    return out;
}

Operands OperandSource::next()
{
    const X a = draw(std::nullopt);
    const X b = draw(int(a.signExponent() & 0x7FFF));
    std::uint64_t raw = m_bits();
    if (m_bits() % 4 == 0) raw >>= m_bits() % 64; // small integers and subnormals
    return {a, b, raw};
}

X OperandSource::draw(std::optional<int> partner)
{
    const std::uint64_t pick = m_bits();
    const std::uint16_t sign = (pick & 1) ? 0x8000 : 0;
    const std::uint64_t shape = m_bits();
    switch ((pick >> 1) % 24) {
    case 0:
        return X::fromBits(sign, 0);
    case 1:
        return X::fromBits(sign | 0x7FFF, X::kIntegerBit);
    case 2: // quiet or signaling, never the infinity's significand
        return X::fromBits(sign | 0x7FFF, X::kIntegerBit | (shape >> 1) | 1);
    case 3:
        return X::fromBits(sign, (shape >> (pick >> 8) % 64) & ~X::kIntegerBit);
    default:
        break;
    }
    // A significand full of bits, or sparse ones that make exact ties.
    std::uint64_t significand = X::kIntegerBit | shape;
    if ((pick >> 6) % 4 == 0) significand = X::kIntegerBit | (shape >> (pick >> 8) % 64);
    if ((pick >> 6) % 4 == 1) significand = ~std::uint64_t(0) << (pick >> 8) % 64 | X::kIntegerBit;
    return X::fromBits(sign | std::uint16_t(exponent(pick >> 16, partner)), significand);
}

// A biased exponent: anywhere, near the partner's (sums and differences that
// cancel), or where the partner's product or quotient leaves the range or
// becomes subnormal, or near the float, double and int64 limits.
int OperandSource::exponent(std::uint64_t pick, std::optional<int> partner)
{
    const int spread = int((pick >> 4) % 140) - 70;
    int e = 0;
    switch (pick % 8) {
    case 0:
    case 1:
        e = int(1 + (pick >> 12) % 0x7FFE);
        break;
    case 2:
        e = partner ? *partner + spread / 2 : X::kBias + spread;
        break;
    case 3: { // product near 2^-16382 or 2^16384
        const int edge = (pick >> 12) & 1 ? 1 : 0x7FFE;
        e = partner ? edge + spread - *partner + X::kBias : edge + spread;
        break;
    }
    case 4: { // quotient near the same edges
        const int edge = (pick >> 12) & 1 ? 1 : 0x7FFE;
        e = partner ? *partner - edge - spread + X::kBias : edge - spread;
        break;
    }
    case 5: { // the float and double ranges
        static const int edges[] = {128, -126, -149, 1024, -1022, -1074};
        e = X::kBias + edges[(pick >> 12) % 6] + spread / 10;
        break;
    }
    default: // the 32- and 64-bit integers
        e = X::kBias + int((pick >> 12) % 66) - 1;
        break;
    }
    return std::clamp(e, 1, 0x7FFE);
}

std::uint64_t requestedCases(std::uint64_t defaultCases)
{
    const char* asked = std::getenv("KORVAL_EXTENDED_CASES");
    if (!asked || !*asked) return defaultCases;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(asked, &end, 10);
    return *end == '\0' && n > 0 ? n : defaultCases;
}

std::string describe(std::uint64_t index, Op op, const Operands& o, const Outcome& soft,
                     const char* otherName, const Outcome& other)
{
    char raw[24];
    std::snprintf(raw, sizeof raw, "%016" PRIx64, o.raw);
    return "case " + std::to_string(index) + ": " + kOpNames[op] + " of " + valueOf(o.a).text() +
           " and " + valueOf(o.b).text() + " (raw " + raw + "): " + soft.text() + ", " + otherName +
           " " + other.text();
}

namespace
{
constexpr std::uint64_t one = X::kIntegerBit, ones = ~std::uint64_t(0),
                        quietNaN = 0xC000000000000000u;
constexpr std::uint16_t bias = X::kBias, inf = 0x7FFF, max = 0x7FFE, neg = 0x8000;

HardCase row(const char* name, Op op, int aExp, std::uint64_t aSig, int bExp = bias,
             std::uint64_t bSig = one)
{
    return {name, op, std::uint16_t(aExp), aSig, std::uint16_t(bExp), bSig};
}
} // namespace

const std::vector<HardCase>& hardCases()
{
    static const std::vector<HardCase> table = {
        // Ties to even and their neighbours.
        row("1 + 2^-64 ties down", Add, bias, one, bias - 64, one),
        row("1+2^-63 + 2^-64 ties up", Add, bias, one | 1, bias - 64, one),
        row("1 + just over 2^-64", Add, bias, one, bias - 64, one | 1),
        row("1 - 2^-65 ties to 1", Sub, bias, one, bias - 65, one),
        row("1 - far below", Sub, bias, one, bias - 200, one),
        row("product ties up", Mul, bias, one | 1, bias, 0xC000000000000000u),
        row("1 / 3", Div, bias, one, bias + 1, 0xC000000000000000u),
        row("max / 3", Div, max, ones, bias + 1, 0xC000000000000000u),
        row("x - x is +0", Sub, bias + 5, ones, bias + 5, ones),
        row("-0 + -0", Add, neg, 0, neg, 0),
        row("-0 + +0", Add, neg, 0, 0, 0),
        // Results that become subnormal.
        row("min normal x 1/2", Mul, 1, one, bias - 1, one),
        row("subnormal tie to even", Mul, 1, one | 1, bias - 1, one),
        row("subnormal rounds to min normal", Mul, 1, ones, bias - 1, one),
        row("min normal / 2^63", Div, 1, one, bias + 63, one),
        row("min normal / 2^64 ties to 0", Div, 1, one, bias + 64, one),
        row("min normal / 1.5x2^63", Div, 1, one, bias + 63, 0xC000000000000000u),
        row("subnormal - subnormal", Sub, 0, 3, 0, 1),
        row("subnormals add to normal", Add, 0, ones >> 1, 0, 1),
        row("subnormal x 2^64", Mul, 0, 5, bias + 64, one),
        // Overflow to infinity.
        row("max x 2", Mul, max, ones, bias + 1, one),
        row("max + half ulp ties up", Add, max, ones, max - 64, one),
        row("max + under half ulp", Add, max, ones, max - 65, one),
        row("max / 0.5", Div, max, ones, bias - 1, one),
        row("checked max x 2", CheckedMultiply, max, ones, bias + 1, one),
        row("checked max / 0.5", CheckedDivide, max, ones, bias - 1, one),
        // Invalid operations and divisions by zero.
        row("0 / 0", Div, 0, 0, 0, 0),
        row("checked 0 / 0", CheckedDivide, 0, 0, 0, 0),
        row("checked 1 / 0", CheckedDivide, bias, one, 0, 0),
        row("-1 / 0", Div, neg | bias, one, 0, 0),
        row("checked inf / 0", CheckedDivide, inf, one, 0, 0),
        row("checked NaN / 0", CheckedDivide, inf, quietNaN, 0, 0),
        row("inf / inf", Div, inf, one, neg | inf, one),
        row("checked inf / inf", CheckedDivide, inf, one, inf, one),
        row("0 x inf", Mul, 0, 0, inf, one),
        row("checked 0 x inf", CheckedMultiply, 0, 0, inf, one),
        row("checked inf x 0", CheckedMultiply, inf, one, neg, 0),
        row("inf - inf", Sub, inf, one, inf, one),
        row("inf + -inf", Add, inf, one, neg | inf, one),
        row("1 / inf", Div, bias, one, neg | inf, one),
        // NaN operands.
        row("quiet NaN + 1", Add, neg | inf, quietNaN | 7, bias, one),
        row("1 - quiet NaN", Sub, bias, one, neg | inf, quietNaN | 7),
        row("signaling NaN x 1", Mul, inf, one | 5, bias, one),
        row("signaling NaN + quiet NaN", Add, inf, one | 0x3FFF, neg | inf, quietNaN | 1),
        row("two quiet NaNs, larger wins", Div, inf, quietNaN | 1, neg | inf, quietNaN | 2),
        row("two signaling NaNs", Add, neg | inf, one | 9, inf, one | 3),
        row("equal NaNs, positive wins", Add, neg | inf, quietNaN | 1, inf, quietNaN | 1),
        // Comparisons.
        row("NaN < 1", Less, inf, quietNaN, bias, one),
        row("NaN == NaN", Equal, inf, quietNaN, inf, quietNaN),
        row("NaN unordered", Unordered, bias, one, inf, quietNaN),
        row("-0 == +0", Equal, neg, 0, 0, 0),
        row("-0 < +0", Less, neg, 0, 0, 0),
        row("-0 <= +0", LessEqual, neg, 0, 0, 0),
        row("subnormal < min normal", Less, 0, ones >> 1, 1, one),
        row("-inf < -max", Less, neg | inf, one, neg | max, ones),
        row("-2 > -1", Greater, neg | (bias + 1), one, neg | bias, one),
        // Narrowing at the float and double limits.
        row("FLT_MAX", ToFloat, bias + 127, 0xFFFFFF0000000000u),
        row("FLT_MAX + half ulp overflows", ToFloat, bias + 127, 0xFFFFFF8000000000u),
        row("FLT_MAX + under half ulp", ToFloat, bias + 127, 0xFFFFFF7FFFFFFFFFu),
        row("float tie to even", ToFloat, bias, 0x8000018000000000u),
        row("float min subnormal", ToFloat, bias - 149, one),
        row("half float min subnormal ties to 0", ToFloat, bias - 150, one),
        row("over half float min subnormal", ToFloat, bias - 150, one | 1),
        row("float subnormal rounds to FLT_MIN", ToFloat, bias - 127, ones),
        row("NaN to float", ToFloat, neg | inf, quietNaN | 0x123456789Au),
        row("DBL_MAX", ToDouble, bias + 1023, 0xFFFFFFFFFFFFF800u),
        row("DBL_MAX + half ulp overflows", ToDouble, bias + 1023, 0xFFFFFFFFFFFFFC00u),
        row("DBL_MAX + under half ulp", ToDouble, bias + 1023, 0xFFFFFFFFFFFFFBFFu),
        row("2^1024 to double", ToDouble, bias + 1024, one),
        row("double min subnormal", ToDouble, bias - 1074, one),
        row("half double min subnormal", ToDouble, bias - 1075, one),
        row("double subnormal tie down", ToDouble, bias - 1070, 0x8400000000000000u),
        row("double subnormal tie up", ToDouble, bias - 1070, 0x8C00000000000000u),
        row("-inf to double", ToDouble, neg | inf, one),
        // Truncation and the tool's rounding at the 64-bit limits.
        row("2^63 truncated", Truncate, bias + 63, one),
        row("2^63 - 1 truncated", Truncate, bias + 62, ones),
        row("-2^63 truncated", Truncate, neg | (bias + 63), one),
        row("-2^63 - 1 truncated", Truncate, neg | (bias + 63), one | 1),
        row("2^63 - 0.5 truncated", Truncate, bias + 62, ones),
        row("NaN truncated", Truncate, inf, quietNaN),
        row("-0.99 truncated", Truncate, neg | (bias - 1), ones),
        row("2.5 rounds to 3", Round, bias + 1, 0xA000000000000000u),
        row("-2.5 rounds to -2", Round, neg | (bias + 1), 0xA000000000000000u),
        row("0.5 - 2^-65 rounds to 1", Round, bias - 2, ones),
        row("2^63 - 0.5 overflows", Round, bias + 62, ones),
        row("2^31 wraps", Round, bias + 31, one),
        row("2^32 + 5 keeps low bits", Round, bias + 32, one | (std::uint64_t(5) << 31)),
        // Conversions in: a raw float, double or integer in aSig.
        row("signaling float NaN", FromFloat, 0, 0xFF800001u),
        row("float min subnormal in", FromFloat, 0, 1),
        row("-0.0f", FromFloat, 0, 0x80000000u),
        row("signaling double NaN", FromDouble, 0, 0x7FF0000000000ABCu),
        row("double min subnormal in", FromDouble, 0, 1),
        row("DBL_MAX in", FromDouble, 0, 0x7FEFFFFFFFFFFFFFu),
        row("INT64_MIN in", FromInt64, 0, 0x8000000000000000u),
        row("INT64_MAX in", FromInt64, 0, 0x7FFFFFFFFFFFFFFFu),
        row("UINT64_MAX in", FromUint64, 0, ones),
    };
    return table;
}

#ifdef KORVAL_HAVE_X87
std::optional<std::string> firstDifferenceFromHardware(std::uint64_t cases)
{
    OperandSource source;
    for (std::uint64_t i = 0; i < cases; ++i) {
        const Operands o = source.next();
        for (int op = 0; op < OpCount; ++op) {
            const Outcome soft = evaluate<X>(Op(op), o.a, o.b, o.raw);
            const Outcome x87 = evaluate<long double>(Op(op), hardware(o.a), hardware(o.b), o.raw);
            if (!(soft == x87)) return describe(i, Op(op), o, soft, "x87", x87);
        }
    }
    return std::nullopt;
}
#endif

} // namespace korval::sweep
