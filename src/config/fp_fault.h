#pragma once
// Extended-precision arithmetic with the faults unmasked: a division by zero,
// an invalid operation or an overflow stops the running handler with a
// FloatingPointError, which the window shows before carrying on.

#include <cstdint>
#include <stdexcept>

namespace korval
{

#if defined(__x86_64__) || defined(__i386__)
static_assert(sizeof(long double) >= 10 && __LDBL_MANT_DIG__ == 64,
              "the tool's numbers are defined on the 80-bit extended format");
#else
#error "long double is not the 80-bit extended format on this target: the numbers would differ"
#endif

using Extended = long double;

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

} // namespace korval
