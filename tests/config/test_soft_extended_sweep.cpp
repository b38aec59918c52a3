// The software extended arithmetic against this processor's x87, without Qt
// or MPFR, so that it also runs where neither is built (Windows, under Wine):
// every hard case, then the random sweep. Exits 1 on the first difference,
// 77 (skipped) where the processor has no x87.
//
// KORVAL_EXTENDED_CASES sets how many random operand pairs the sweep draws.

#include "extended_sweep.h"

#include <cstdio>

// 64-bit Windows compilers of the GNU family keep long double as the x87's
// 80 bits (unlike Microsoft's, where it is a double): there Extended must take
// the hardware path.
#if defined(_WIN32) && !defined(KORVAL_SOFT_EXTENDED) && !defined(KORVAL_X87_EXTENDED)
#error "long double is not the x87 format here: Extended would not take the hardware path"
#endif

using namespace korval::sweep;

int main()
{
#ifdef KORVAL_HAVE_X87
#ifdef KORVAL_X87_EXTENDED
    std::printf("Extended is the x87's long double; SoftExtended is held against it\n");
#else
    std::printf("Extended is SoftExtended; it is held against the x87's long double\n");
#endif
    int failures = 0;
    for (const HardCase& c : hardCases()) {
        const X a = X::fromBits(c.aExp, c.aSig), b = X::fromBits(c.bExp, c.bSig);
        const Outcome soft = evaluate<X>(c.op, a, b, c.aSig);
        const Outcome x87 = evaluate<long double>(c.op, hardware(a), hardware(b), c.aSig);
        if (!(soft == x87)) {
            std::printf("FAIL %s: %s, x87 %s\n", c.name, soft.text().c_str(), x87.text().c_str());
            ++failures;
        }
    }
    std::printf("%zu hard cases, %d different from the x87's\n", hardCases().size(), failures);

    const std::uint64_t cases = requestedCases(KORVAL_EXTENDED_DEFAULT_CASES);
    if (const auto difference = firstDifferenceFromHardware(cases)) {
        std::printf("FAIL %s\n", difference->c_str());
        return 1;
    }
    std::printf("%llu random operations, all equal to the x87's\n",
                static_cast<unsigned long long>(cases * OpCount));
    return failures == 0 ? 0 : 1;
#else
    std::printf("no x87 on this processor: nothing to hold SoftExtended against\n");
    return 77;
#endif
}
