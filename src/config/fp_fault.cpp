#include "fp_fault.h"


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
    return checked::divide(a, b);
}

Extended multiply(Extended a, Extended b)
{
    return checked::multiply(a, b);
}

float toFloat(Extended value)
{
    return checked::narrow<float>(value);
}

double toDouble(Extended value)
{
    return checked::narrow<double>(value);
}

std::int64_t truncateToInt64(Extended value)
{
    return checked::truncateToInt64(value);
}

std::int32_t roundToInt32(Extended value)
{
    return checked::roundToInt32(value);
}

} // namespace korval
