#pragma once
// The core's extended type. Where long double is the x87 80-bit format the
// hardware computes it; elsewhere, or when KORVAL_SOFT_EXTENDED is set, the
// software format gives the same bits. Code that computes in Extended uses
// only what both provide: + - * /, comparisons, the conversions from integers,
// float and double, the explicit ones to float and double, and the helpers
// below.

#include "soft_extended.h"

#include <cfloat>
#include <cmath>
#include <cstdint>

namespace korval
{

#if !defined(KORVAL_SOFT_EXTENDED) && (defined(__x86_64__) || defined(__i386__)) &&               \
    LDBL_MANT_DIG == 64
#define KORVAL_X87_EXTENDED 1
static_assert(sizeof(long double) >= 10 && LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384 &&
                  LDBL_MIN_EXP == -16381,
              "the hardware path needs long double to be the x87 80-bit format");
using Extended = long double;
#else
using Extended = SoftExtended;
#endif

// float and double must round at their own width for the results to match
// (on 32-bit x86: -msse2 -mfpmath=sse).
static_assert(FLT_EVAL_METHOD == 0, "float and double are evaluated with excess precision");

inline bool isNaN(long double x)
{
    return std::isnan(x);
}
inline bool isInfinite(long double x)
{
    return std::isinf(x);
}
inline bool isFinite(long double x)
{
    return std::isfinite(x);
}
inline long double absolute(long double x)
{
    return std::fabs(x);
}
// Toward zero; the caller has checked the range.
inline std::int64_t truncatedToInt64(long double x)
{
    return static_cast<std::int64_t>(x);
}
inline std::int64_t truncatedToInt64(SoftExtended x)
{
    return x.truncated();
}

// The exact quotient of two integers, rounded once: the same value as the
// decimal literal it stands for (1e-9 is exactRatio(1, 1000000000)).
inline Extended exactRatio(std::int64_t numerator, std::int64_t denominator)
{
    return Extended(numerator) / Extended(denominator);
}

} // namespace korval
