// The software extended arithmetic held against the x87 (where the processor
// has one) and against GNU MPFR at 64 bits with the extended exponent range
// (everywhere): the same 80 bits, the same comparisons, the same faults.
//
// KORVAL_EXTENDED_CASES sets how many random operand pairs each sweep draws;
// every pair goes through every operation.

#include "extended_sweep.h"

#include <QtTest>

#include <cstdint> // before mpfr.h: its intmax_t functions
#include <mpfr.h>

using namespace korval;
using namespace korval::sweep;

namespace
{
// An outcome as QCOMPARE prints it.
QString shown(const Outcome& outcome)
{
    return QString::fromStdString(outcome.text());
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
        for (const HardCase& c : sweep::hardCases())
            QTest::newRow(c.name) << int(c.op) << quint16(c.aExp) << quint64(c.aSig)
                                  << quint16(c.bExp) << quint64(c.bSig);
    }
    void hardCases()
    {
        QFETCH(int, which);
        const Op op = Op(which);
        QFETCH(quint16, aExp);
        QFETCH(quint64, aSig);
        QFETCH(quint16, bExp);
        QFETCH(quint64, bSig);
        const X a = X::fromBits(aExp, aSig), b = X::fromBits(bExp, bSig);
        const Outcome soft = evaluate<X>(op, a, b, aSig);
        bool checked = false;
#ifdef KORVAL_HAVE_X87
        QCOMPARE(shown(soft), shown(evaluate<long double>(op, hardware(a), hardware(b), aSig)));
        checked = true;
#endif
        if (const auto expected = reference(op, a, b, aSig)) {
            QCOMPARE(shown(soft), shown(*expected));
            checked = true;
        }
        if (!checked) QSKIP("only the x87 decides NaN operands and faults");
    }

    void randomAgainstHardware()
    {
#ifdef KORVAL_HAVE_X87
        const std::uint64_t cases = requestedCases(KORVAL_EXTENDED_DEFAULT_CASES);
        QElapsedTimer clock;
        clock.start();
        if (const auto difference = firstDifferenceFromHardware(cases)) QFAIL(difference->c_str());
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
        const std::uint64_t cases = requestedCases(KORVAL_EXTENDED_DEFAULT_CASES) / 10 + 1;
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
                    QFAIL(describe(i, Op(op), o, soft, "MPFR", *expected).c_str());
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
        QCOMPARE(shown(ratio), shown(valueOf(X::fromBits(exp, sig))));
        QCOMPARE(shown(valueOf(X(numerator) / X(denominator))), shown(ratio));
#ifdef KORVAL_HAVE_X87
        QCOMPARE(shown(ratio), shown(valueOf(numerator == 1 ? 1e-9L : 0.000501L)));
#endif
    }
};

QTEST_APPLESS_MAIN(TestSoftExtended)
#include "test_soft_extended.moc"
