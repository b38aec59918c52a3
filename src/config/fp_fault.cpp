#include "fp_fault.h"

#include <cmath>

namespace korval
{

namespace
{
const char* message(FpFault fault)
{
    switch (fault) {
    case FpFault::DivisionByZero:
        return "Division par zéro en virgule flottante.";
    case FpFault::InvalidOperation:
        return "Opération en virgule flottante non valide.";
    case FpFault::Overflow:
        return "Dépassement de capacité en virgule flottante.";
    }
    return "Erreur de calcul en virgule flottante.";
}
} // namespace

FloatingPointError::FloatingPointError(FpFault fault)
    : std::runtime_error(message(fault)), m_fault(fault)
{
}

Extended divide(Extended a, Extended b)
{
    if (b == 0 && !std::isnan(a)) {
        if (a == 0) throw FloatingPointError(FpFault::InvalidOperation);
        if (!std::isinf(a)) throw FloatingPointError(FpFault::DivisionByZero);
    }
    if (std::isinf(a) && std::isinf(b)) throw FloatingPointError(FpFault::InvalidOperation);
    const Extended q = a / b;
    if (std::isinf(q) && std::isfinite(a) && std::isfinite(b))
        throw FloatingPointError(FpFault::Overflow);
    return q;
}

Extended multiply(Extended a, Extended b)
{
    if ((a == 0 && std::isinf(b)) || (std::isinf(a) && b == 0))
        throw FloatingPointError(FpFault::InvalidOperation);
    const Extended p = a * b;
    if (std::isinf(p) && std::isfinite(a) && std::isfinite(b))
        throw FloatingPointError(FpFault::Overflow);
    return p;
}

float toFloat(Extended value)
{
    const float narrow = static_cast<float>(value);
    if (std::isinf(narrow) && std::isfinite(value)) throw FloatingPointError(FpFault::Overflow);
    return narrow;
}

double toDouble(Extended value)
{
    const double narrow = static_cast<double>(value);
    if (std::isinf(narrow) && std::isfinite(value)) throw FloatingPointError(FpFault::Overflow);
    return narrow;
}

std::int64_t truncateToInt64(Extended value)
{
    if (std::isnan(value)) throw FloatingPointError(FpFault::InvalidOperation);
    // -2^63 is the one representable bound; 2^63 already lies outside.
    constexpr Extended limit = 9223372036854775808.0L;
    if (value >= limit || value <= -limit - 1) throw FloatingPointError(FpFault::Overflow);
    return static_cast<std::int64_t>(value);
}

std::int32_t roundToInt32(Extended value)
{
    const auto wide = static_cast<std::uint64_t>(truncateToInt64(value + 0.5L));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wide & 0xFFFFFFFFu));
}

} // namespace korval
