// The software extended arithmetic held against the x87 (where the processor
// has one) and against GNU MPFR at 64 bits with the extended exponent range
// (everywhere): the same 80 bits, the same comparisons, the same faults.
//
// KORVAL_EXTENDED_CASES sets how many random operand pairs each sweep draws;
// every pair goes through every operation.

#include "config/fp_fault.h"

#include <QtTest>

#include <cstdint> // before mpfr.h: its intmax_t functions
#include <mpfr.h>

#include <algorithm>
#include <cfloat>
#include <cstring>
#include <optional>
#include <random>

using namespace korval;
using X = SoftExtended;

#if defined(KORVAL_X87_EXTENDED) || ((defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64)
#define KORVAL_HAVE_X87 1
#endif

namespace
{
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
const char* const kOpNames[] = {"+",         "-",         "*",          "/",          "<",
                                "<=",        ">",         "==",         "unordered",  "toFloat",
                                "toDouble",  "truncate",  "round",      "divide",     "multiply",
                                "fromFloat", "fromDouble", "fromInt64", "fromUint64"};

// What an operation gave: a value's 80 bits, a float's or double's bits, an
// integer, a truth value, or a fault.
struct Outcome {
    enum Kind { Value, Bits, Integer, Truth, Fault } kind;
    quint16 high = 0;
    quint64 low = 0;
    bool operator==(const Outcome& o) const
    {
        return kind == o.kind && high == o.high && low == o.low;
    }
    QString text() const
    {
        static const char* const kinds[] = {"value", "bits", "integer", "truth", "fault"};
        return QStringLiteral("%1 %2 %3")
            .arg(QLatin1String(kinds[kind]))
            .arg(high, 4, 16, QLatin1Char('0'))
            .arg(low, 16, 16, QLatin1Char('0'));
    }
};

Outcome valueOf(X x)
{
    return {Outcome::Value, x.signExponent(), x.significand()};
}
template <class T> Outcome bitsOf(T narrow)
{
    quint64 bits = 0;
    std::memcpy(&bits, &narrow, sizeof narrow);
    return {Outcome::Bits, 0, bits};
}
template <class T> T fromRaw(quint64 raw)
{
    T t;
    std::memcpy(&t, &raw, sizeof t);
    return t;
}

#ifdef KORVAL_HAVE_X87
long double hardware(X x)
{
    long double h = 0;
    const quint64 significand = x.significand();
    const quint16 signExponent = x.signExponent();
    std::memcpy(&h, &significand, 8);
    std::memcpy(reinterpret_cast<char*>(&h) + 8, &signExponent, 2);
    return h;
}
Outcome valueOf(long double h)
{
    return valueOf(X(h)); // its ten bytes, copied
}
bool unordered(long double a, long double b)
{
    return std::isunordered(a, b);
}
#endif
bool unordered(X a, X b)
{
    return isNaN(a) || isNaN(b);
}

// One operation in arithmetic T on the operands a and b (or raw, for the
// conversions into T).
template <class T> Outcome evaluate(Op op, T a, T b, quint64 raw)
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
            return {Outcome::Integer, 0, quint64(checked::truncateToInt64(a))};
        case Round:
            return {Outcome::Integer, 0, quint64(qint64(checked::roundToInt32(a)))};
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
        return {Outcome::Fault, 0, quint64(e.fault())};
    }
    return {Outcome::Fault, 0xFFFF, 0};
}

// ---- MPFR: precision 64, the extended exponents, subnormals ------------------

struct Mpfr {
    mpfr_t v;
    Mpfr() { mpfr_init2(v, 64); }
    ~Mpfr() { mpfr_clear(v); }
    Mpfr(const Mpfr&) = delete;
    Mpfr& operator=(const Mpfr&) = delete;
};

void toMpfr(mpfr_t out, X x)
{
    const int biased = x.signExponent() & 0x7FFF;
    const bool negative = x.signExponent() & 0x8000;
    if (biased == 0x7FFF)
        mpfr_set_inf(out, 1);
    else
        mpfr_set_uj_2exp(out, x.significand(), (biased == 0 ? 1 : biased) - X::kBias - 63,
                         MPFR_RNDN);
    if (negative) mpfr_neg(out, out, MPFR_RNDN);
}

Outcome fromMpfr(mpfr_t r, int ternary)
{
    // Round once more only where the result falls among the subnormals.
    ternary = mpfr_check_range(r, ternary, MPFR_RNDN);
    mpfr_subnormalize(r, ternary, MPFR_RNDN);
    const quint16 sign = mpfr_signbit(r) ? 0x8000 : 0;
    if (mpfr_nan_p(r)) return valueOf(X::fromBits(0xFFFF, 0xC000000000000000u));
    if (mpfr_inf_p(r)) return {Outcome::Value, quint16(sign | 0x7FFF), X::kIntegerBit};
    if (mpfr_zero_p(r)) return {Outcome::Value, sign, 0};
    const long biased = mpfr_get_exp(r) - 1 + X::kBias;
    Mpfr scaled;
    if (biased >= 1) {
        mpfr_mul_2si(scaled.v, r, 64 - mpfr_get_exp(r), MPFR_RNDN);
        mpfr_abs(scaled.v, scaled.v, MPFR_RNDN);
        return {Outcome::Value, quint16(sign | biased), mpfr_get_uj(scaled.v, MPFR_RNDN)};
    }
    mpfr_mul_2si(scaled.v, r, X::kBias - 1 + 63, MPFR_RNDN);
    mpfr_abs(scaled.v, scaled.v, MPFR_RNDN);
    return {Outcome::Value, sign, mpfr_get_uj(scaled.v, MPFR_RNDN)};
}

// MPFR's answer where it has one: NaN operands and the faults are the x87's
// own choices, outside IEEE arithmetic.
std::optional<Outcome> reference(Op op, X a, X b, quint64 raw)
{
    const bool nan = isNaN(a) || (op <= Unordered && isNaN(b));
    Mpfr x, y, r;
    toMpfr(x.v, a);
    toMpfr(y.v, b);
    switch (op) {
    case Add:
    case Sub:
    case Mul:
    case Div: {
        if (nan) return std::nullopt;
        mpfr_clear_flags();
        const int t = op == Add   ? mpfr_add(r.v, x.v, y.v, MPFR_RNDN)
                      : op == Sub ? mpfr_sub(r.v, x.v, y.v, MPFR_RNDN)
                      : op == Mul ? mpfr_mul(r.v, x.v, y.v, MPFR_RNDN)
                                  : mpfr_div(r.v, x.v, y.v, MPFR_RNDN);
        return fromMpfr(r.v, t);
    }
    case Less:
        return Outcome{Outcome::Truth, 0, !nan && mpfr_less_p(x.v, y.v) != 0};
    case LessEqual:
        return Outcome{Outcome::Truth, 0, !nan && mpfr_lessequal_p(x.v, y.v) != 0};
    case Greater:
        return Outcome{Outcome::Truth, 0, !nan && mpfr_greater_p(x.v, y.v) != 0};
    case Equal:
        return Outcome{Outcome::Truth, 0, !nan && mpfr_equal_p(x.v, y.v) != 0};
    case Unordered:
        return Outcome{Outcome::Truth, 0, nan};
    case ToFloat:
        if (nan || mpfr_inf_p(x.v) || std::isinf(mpfr_get_flt(x.v, MPFR_RNDN))) return std::nullopt;
        return bitsOf(mpfr_get_flt(x.v, MPFR_RNDN));
    case ToDouble:
        if (nan || mpfr_inf_p(x.v) || std::isinf(mpfr_get_d(x.v, MPFR_RNDN))) return std::nullopt;
        return bitsOf(mpfr_get_d(x.v, MPFR_RNDN));
    case Truncate:
        if (nan || !mpfr_fits_intmax_p(x.v, MPFR_RNDZ)) return std::nullopt;
        return Outcome{Outcome::Integer, 0, quint64(mpfr_get_sj(x.v, MPFR_RNDZ))};
    case FromFloat:
        if (std::isnan(fromRaw<float>(raw))) return std::nullopt;
        return fromMpfr(r.v, mpfr_set_flt(r.v, fromRaw<float>(raw), MPFR_RNDN));
    case FromDouble:
        if (std::isnan(fromRaw<double>(raw))) return std::nullopt;
        return fromMpfr(r.v, mpfr_set_d(r.v, fromRaw<double>(raw), MPFR_RNDN));
    case FromInt64:
        return fromMpfr(r.v, mpfr_set_sj(r.v, fromRaw<std::int64_t>(raw), MPFR_RNDN));
    case FromUint64:
        return fromMpfr(r.v, mpfr_set_uj(r.v, raw, MPFR_RNDN));
    default:
        return std::nullopt;
    }
}

// ---- Random operands from every binade ---------------------------------------

struct Operands {
    X a, b;
    quint64 raw;
};

class OperandSource
{
public:
    Operands next()
    {
        const X a = draw(std::nullopt);
        const X b = draw(int(a.signExponent() & 0x7FFF));
        quint64 raw = m_bits();
        if (m_bits() % 4 == 0) raw >>= m_bits() % 64; // small integers and subnormals
        return {a, b, raw};
    }

private:
    X draw(std::optional<int> partner)
    {
        const quint64 pick = m_bits();
        const quint16 sign = (pick & 1) ? 0x8000 : 0;
        const quint64 shape = m_bits();
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
        quint64 significand = X::kIntegerBit | shape;
        if ((pick >> 6) % 4 == 0) significand = X::kIntegerBit | (shape >> (pick >> 8) % 64);
        if ((pick >> 6) % 4 == 1) significand = ~quint64(0) << (pick >> 8) % 64 | X::kIntegerBit;
        return X::fromBits(sign | quint16(exponent(pick >> 16, partner)), significand);
    }

    // A biased exponent: anywhere, near the partner's (sums and differences
    // that cancel), or where the partner's product or quotient leaves the
    // range or becomes subnormal, or near the float, double and int64 limits.
    int exponent(quint64 pick, std::optional<int> partner)
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

    std::mt19937_64 m_bits{0x4B4F5256414Cu}; // a fixed state: every run draws the same
};

std::uint64_t requestedCases()
{
    const QByteArray asked = qgetenv("KORVAL_EXTENDED_CASES");
    bool ok = false;
    const qulonglong n = asked.toULongLong(&ok);
    return ok && n > 0 ? n : KORVAL_EXTENDED_DEFAULT_CASES;
}

// The hard cases' operands, field by field.
constexpr quint64 one = X::kIntegerBit, ones = ~quint64(0), quietNaN = 0xC000000000000000u;
constexpr quint16 bias = X::kBias, inf = 0x7FFF, max = 0x7FFE, neg = 0x8000;

X operand(quint16 signExponent, quint64 significand)
{
    return X::fromBits(signExponent, significand);
}
} // namespace

class TestSoftExtended : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The extended format's range in MPFR's terms: the smallest subnormal
        // is 2^-16445, the largest finite value lies below 2^16384.
        QVERIFY(mpfr_set_emin(-16444) == 0);
        QVERIFY(mpfr_set_emax(16384) == 0);
    }

    void hardCases_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<quint16>("aExp");
        QTest::addColumn<quint64>("aSig");
        QTest::addColumn<quint16>("bExp");
        QTest::addColumn<quint64>("bSig");
        auto row = [](const char* name, Op op, quint16 aExp, quint64 aSig, quint16 bExp = bias,
                      quint64 bSig = one) {
            QTest::newRow(name) << int(op) << aExp << aSig << bExp << bSig;
        };
        // Ties to even and their neighbours.
        row("1 + 2^-64 ties down", Add, bias, one, bias - 64, one);
        row("1+2^-63 + 2^-64 ties up", Add, bias, one | 1, bias - 64, one);
        row("1 + just over 2^-64", Add, bias, one, bias - 64, one | 1);
        row("1 - 2^-65 ties to 1", Sub, bias, one, bias - 65, one);
        row("1 - far below", Sub, bias, one, bias - 200, one);
        row("product ties up", Mul, bias, one | 1, bias, 0xC000000000000000u);
        row("1 / 3", Div, bias, one, bias + 1, 0xC000000000000000u);
        row("max / 3", Div, max, ones, bias + 1, 0xC000000000000000u);
        row("x - x is +0", Sub, bias + 5, ones, bias + 5, ones);
        row("-0 + -0", Add, neg, 0, neg, 0);
        row("-0 + +0", Add, neg, 0, 0, 0);
        // Results that become subnormal.
        row("min normal x 1/2", Mul, 1, one, bias - 1, one);
        row("subnormal tie to even", Mul, 1, one | 1, bias - 1, one);
        row("subnormal rounds to min normal", Mul, 1, ones, bias - 1, one);
        row("min normal / 2^63", Div, 1, one, bias + 63, one);
        row("min normal / 2^64 ties to 0", Div, 1, one, bias + 64, one);
        row("min normal / 1.5x2^63", Div, 1, one, bias + 63, 0xC000000000000000u);
        row("subnormal - subnormal", Sub, 0, 3, 0, 1);
        row("subnormals add to normal", Add, 0, ones >> 1, 0, 1);
        row("subnormal x 2^64", Mul, 0, 5, bias + 64, one);
        // Overflow to infinity.
        row("max x 2", Mul, max, ones, bias + 1, one);
        row("max + half ulp ties up", Add, max, ones, max - 64, one);
        row("max + under half ulp", Add, max, ones, max - 65, one);
        row("max / 0.5", Div, max, ones, bias - 1, one);
        row("checked max x 2", CheckedMultiply, max, ones, bias + 1, one);
        row("checked max / 0.5", CheckedDivide, max, ones, bias - 1, one);
        // Invalid operations and divisions by zero.
        row("0 / 0", Div, 0, 0, 0, 0);
        row("checked 0 / 0", CheckedDivide, 0, 0, 0, 0);
        row("checked 1 / 0", CheckedDivide, bias, one, 0, 0);
        row("-1 / 0", Div, neg | bias, one, 0, 0);
        row("checked inf / 0", CheckedDivide, inf, one, 0, 0);
        row("checked NaN / 0", CheckedDivide, inf, quietNaN, 0, 0);
        row("inf / inf", Div, inf, one, neg | inf, one);
        row("checked inf / inf", CheckedDivide, inf, one, inf, one);
        row("0 x inf", Mul, 0, 0, inf, one);
        row("checked 0 x inf", CheckedMultiply, 0, 0, inf, one);
        row("checked inf x 0", CheckedMultiply, inf, one, neg, 0);
        row("inf - inf", Sub, inf, one, inf, one);
        row("inf + -inf", Add, inf, one, neg | inf, one);
        row("1 / inf", Div, bias, one, neg | inf, one);
        // NaN operands.
        row("quiet NaN + 1", Add, neg | inf, quietNaN | 7, bias, one);
        row("1 - quiet NaN", Sub, bias, one, neg | inf, quietNaN | 7);
        row("signaling NaN x 1", Mul, inf, one | 5, bias, one);
        row("signaling NaN + quiet NaN", Add, inf, one | 0x3FFF, neg | inf, quietNaN | 1);
        row("two quiet NaNs, larger wins", Div, inf, quietNaN | 1, neg | inf, quietNaN | 2);
        row("two signaling NaNs", Add, neg | inf, one | 9, inf, one | 3);
        row("equal NaNs, positive wins", Add, neg | inf, quietNaN | 1, inf, quietNaN | 1);
        // Comparisons.
        row("NaN < 1", Less, inf, quietNaN, bias, one);
        row("NaN == NaN", Equal, inf, quietNaN, inf, quietNaN);
        row("NaN unordered", Unordered, bias, one, inf, quietNaN);
        row("-0 == +0", Equal, neg, 0, 0, 0);
        row("-0 < +0", Less, neg, 0, 0, 0);
        row("-0 <= +0", LessEqual, neg, 0, 0, 0);
        row("subnormal < min normal", Less, 0, ones >> 1, 1, one);
        row("-inf < -max", Less, neg | inf, one, neg | max, ones);
        row("-2 > -1", Greater, neg | (bias + 1), one, neg | bias, one);
        // Narrowing at the float and double limits.
        row("FLT_MAX", ToFloat, bias + 127, 0xFFFFFF0000000000u);
        row("FLT_MAX + half ulp overflows", ToFloat, bias + 127, 0xFFFFFF8000000000u);
        row("FLT_MAX + under half ulp", ToFloat, bias + 127, 0xFFFFFF7FFFFFFFFFu);
        row("float tie to even", ToFloat, bias, 0x8000018000000000u);
        row("float min subnormal", ToFloat, bias - 149, one);
        row("half float min subnormal ties to 0", ToFloat, bias - 150, one);
        row("over half float min subnormal", ToFloat, bias - 150, one | 1);
        row("float subnormal rounds to FLT_MIN", ToFloat, bias - 127, ones);
        row("NaN to float", ToFloat, neg | inf, quietNaN | 0x123456789Au);
        row("DBL_MAX", ToDouble, bias + 1023, 0xFFFFFFFFFFFFF800u);
        row("DBL_MAX + half ulp overflows", ToDouble, bias + 1023, 0xFFFFFFFFFFFFFC00u);
        row("DBL_MAX + under half ulp", ToDouble, bias + 1023, 0xFFFFFFFFFFFFFBFFu);
        row("2^1024 to double", ToDouble, bias + 1024, one);
        row("double min subnormal", ToDouble, bias - 1074, one);
        row("half double min subnormal", ToDouble, bias - 1075, one);
        row("double subnormal tie down", ToDouble, bias - 1070, 0x8400000000000000u);
        row("double subnormal tie up", ToDouble, bias - 1070, 0x8C00000000000000u);
        row("-inf to double", ToDouble, neg | inf, one);
        // Truncation and the tool's rounding at the 64-bit limits.
        row("2^63 truncated", Truncate, bias + 63, one);
        row("2^63 - 1 truncated", Truncate, bias + 62, ones);
        row("-2^63 truncated", Truncate, neg | (bias + 63), one);
        row("-2^63 - 1 truncated", Truncate, neg | (bias + 63), one | 1);
        row("2^63 - 0.5 truncated", Truncate, bias + 62, ones);
        row("NaN truncated", Truncate, inf, quietNaN);
        row("-0.99 truncated", Truncate, neg | (bias - 1), ones);
        row("2.5 rounds to 3", Round, bias + 1, 0xA000000000000000u);
        row("-2.5 rounds to -2", Round, neg | (bias + 1), 0xA000000000000000u);
        row("0.5 - 2^-65 rounds to 1", Round, bias - 2, ones);
        row("2^63 - 0.5 overflows", Round, bias + 62, ones);
        row("2^31 wraps", Round, bias + 31, one);
        row("2^32 + 5 keeps low bits", Round, bias + 32, one | (quint64(5) << 31));
        // Conversions in: a raw float, double or integer in aSig.
        row("signaling float NaN", FromFloat, 0, 0xFF800001u);
        row("float min subnormal in", FromFloat, 0, 1);
        row("-0.0f", FromFloat, 0, 0x80000000u);
        row("signaling double NaN", FromDouble, 0, 0x7FF0000000000ABCu);
        row("double min subnormal in", FromDouble, 0, 1);
        row("DBL_MAX in", FromDouble, 0, 0x7FEFFFFFFFFFFFFFu);
        row("INT64_MIN in", FromInt64, 0, 0x8000000000000000u);
        row("INT64_MAX in", FromInt64, 0, 0x7FFFFFFFFFFFFFFFu);
        row("UINT64_MAX in", FromUint64, 0, ones);
    }
    void hardCases()
    {
        QFETCH(int, which);
        const Op op = Op(which);
        QFETCH(quint16, aExp);
        QFETCH(quint64, aSig);
        QFETCH(quint16, bExp);
        QFETCH(quint64, bSig);
        const X a = operand(aExp, aSig), b = operand(bExp, bSig);
        const Outcome soft = evaluate<X>(op, a, b, aSig);
        bool checked = false;
#ifdef KORVAL_HAVE_X87
        QCOMPARE(soft.text(), evaluate<long double>(op, hardware(a), hardware(b), aSig).text());
        checked = true;
#endif
        if (const auto expected = reference(op, a, b, aSig)) {
            QCOMPARE(soft.text(), expected->text());
            checked = true;
        }
        if (!checked) QSKIP("only the x87 decides NaN operands and faults");
    }

    void randomAgainstHardware()
    {
#ifdef KORVAL_HAVE_X87
        const std::uint64_t cases = requestedCases();
        OperandSource source;
        QElapsedTimer clock;
        clock.start();
        for (std::uint64_t i = 0; i < cases; ++i) {
            const Operands o = source.next();
            for (int op = 0; op < OpCount; ++op) {
                const Outcome soft = evaluate<X>(Op(op), o.a, o.b, o.raw);
                const Outcome x87 =
                    evaluate<long double>(Op(op), hardware(o.a), hardware(o.b), o.raw);
                if (!(soft == x87))
                    QFAIL(qPrintable(QStringLiteral("case %1: %2 of %3 and %4 (raw %5): %6, "
                                                    "x87 %7")
                                         .arg(i)
                                         .arg(QLatin1String(kOpNames[op]))
                                         .arg(valueOf(o.a).text(), valueOf(o.b).text())
                                         .arg(o.raw, 16, 16, QLatin1Char('0'))
                                         .arg(soft.text(), x87.text())));
            }
        }
        qInfo("%llu operations, all equal to the x87's, in %lld ms",
              static_cast<unsigned long long>(cases * OpCount),
              static_cast<long long>(clock.elapsed()));
#else
        QSKIP("no x87 on this processor");
#endif
    }

    void randomAgainstMpfr()
    {
        // MPFR is slower: a tenth of the pairs.
        const std::uint64_t cases = requestedCases() / 10 + 1;
        OperandSource source;
        std::uint64_t compared = 0;
        for (std::uint64_t i = 0; i < cases; ++i) {
            const Operands o = source.next();
            for (int op = 0; op < OpCount; ++op) {
                const auto expected = reference(Op(op), o.a, o.b, o.raw);
                if (!expected) continue;
                ++compared;
                const Outcome soft = evaluate<X>(Op(op), o.a, o.b, o.raw);
                if (!(soft == *expected))
                    QFAIL(qPrintable(QStringLiteral("case %1: %2 of %3 and %4: %5, MPFR %6")
                                         .arg(i)
                                         .arg(QLatin1String(kOpNames[op]))
                                         .arg(valueOf(o.a).text(), valueOf(o.b).text())
                                         .arg(soft.text(), expected->text())));
            }
        }
        qInfo("%llu operations, all equal to MPFR's", static_cast<unsigned long long>(compared));
    }

    // The constants the tool builds from integer ratios are the literals
    // they stand for, to the last bit, in either arithmetic.
    void constants_data()
    {
        QTest::addColumn<qint64>("numerator");
        QTest::addColumn<qint64>("denominator");
        QTest::addColumn<quint16>("exp");
        QTest::addColumn<quint64>("sig");
        QTest::newRow("0.000501") << qint64(501) << qint64(1000000) << quint16(0x3FF4)
                                  << quint64(0x83558A7610279570u);
        QTest::newRow("1e-9") << qint64(1) << qint64(1000000000) << quint16(0x3FE1)
                              << quint64(0x89705F4136B4A597u);
    }
    void constants()
    {
        QFETCH(qint64, numerator);
        QFETCH(qint64, denominator);
        QFETCH(quint16, exp);
        QFETCH(quint64, sig);
        const Outcome ratio = valueOf(exactRatio(numerator, denominator));
        QCOMPARE(ratio.text(), valueOf(X::fromBits(exp, sig)).text());
        QCOMPARE(valueOf(X(numerator) / X(denominator)).text(), ratio.text());
#ifdef KORVAL_HAVE_X87
        QCOMPARE(ratio.text(), valueOf(numerator == 1 ? 1e-9L : 0.000501L).text());
#endif
    }
};

QTEST_APPLESS_MAIN(TestSoftExtended)
#include "test_soft_extended.moc"
