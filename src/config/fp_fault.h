#pragma once
// Extended-precision arithmetic with the faults unmasked: a division by zero,
// an invalid operation or an overflow stops the running handler with a
// FloatingPointError, which the window shows before carrying on.

#include "extended.h"

#include <cstdint>
#include <stdexcept>

namespace korval
{

enum class FpFault { DivisionByZero, InvalidOperation, Overflow };

class FloatingPointError : public std::runtime_error
{
public:
    explicit FloatingPointError(FpFault fault);
    FpFault fault() const { return m_fault; }

private:
    FpFault m_fault;
};

// a / b, with 0/0 an invalid operation and x/0 a division by zero.
Extended divide(Extended a, Extended b);
// a * b, with 0 x infinity an invalid operation.
Extended multiply(Extended a, Extended b);

// Narrowing a finite value beyond the target's range is an overflow.
float toFloat(Extended value);
double toDouble(Extended value);

// Truncation toward zero to a 64-bit integer: NaN is an invalid operation, a
// value outside the 64-bit range an overflow.
std::int64_t truncateToInt64(Extended value);

// The rounding of this tool: add 0.5, truncate toward zero to 64 bits, keep
// the low 32 bits.
std::int32_t roundToInt32(Extended value);

// The same checks for either arithmetic, so that a test can hold the software
// one against the hardware: X is long double (x87) or SoftExtended.
namespace checked
{
template <class X> X divide(X a, X b)
{
    if (b == X(0) && !isNaN(a)) {
        if (a == X(0)) throw FloatingPointError(FpFault::InvalidOperation);
        if (!isInfinite(a)) throw FloatingPointError(FpFault::DivisionByZero);
    }
    if (isInfinite(a) && isInfinite(b)) throw FloatingPointError(FpFault::InvalidOperation);
    const X q = a / b;
    if (isInfinite(q) && isFinite(a) && isFinite(b)) throw FloatingPointError(FpFault::Overflow);
    return q;
}

template <class X> X multiply(X a, X b)
{
    if ((a == X(0) && isInfinite(b)) || (isInfinite(a) && b == X(0)))
        throw FloatingPointError(FpFault::InvalidOperation);
    const X p = a * b;
    if (isInfinite(p) && isFinite(a) && isFinite(b)) throw FloatingPointError(FpFault::Overflow);
    return p;
}

template <class Narrow, class X> Narrow narrow(X value)
{
    const auto result = static_cast<Narrow>(value);
    if (std::isinf(result) && isFinite(value)) throw FloatingPointError(FpFault::Overflow);
    return result;
}

template <class X> std::int64_t truncateToInt64(X value)
{
    if (isNaN(value)) throw FloatingPointError(FpFault::InvalidOperation);
    // -2^63 is the one representable bound; 2^63 already lies outside.
    const X limit = X(9223372036854775808.0);
    if (value >= limit || value <= -limit - X(1)) throw FloatingPointError(FpFault::Overflow);
    return truncatedToInt64(value);
}

template <class X> std::int32_t roundToInt32(X value)
{
    const auto wide = static_cast<std::uint64_t>(truncateToInt64(value + X(0.5)));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wide & 0xFFFFFFFFu));
}
} // namespace checked

} // namespace korval
