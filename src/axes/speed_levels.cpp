#include "speed_levels.h"

#include "config/fp_fault.h"
#include "config/number_text.h"

namespace korval
{

double levelRatio(std::uint8_t c1, std::uint8_t cn, bool levelHalfStep, bool v1HalfStep)
{
    Extended numerator = c1;
    if (levelHalfStep && !v1HalfStep)
        numerator = multiply(numerator, 8);
    else if (!levelHalfStep && v1HalfStep)
        numerator = multiply(numerator, 0.125);
    return toDouble(divide(numerator, static_cast<Extended>(cn)));
}

std::string ratioText(double ratio)
{
    return formatText("% 6.2f", ratio);
}

float focuserMs(std::uint8_t count, std::uint32_t PeriodeTimer)
{
    return toFloat(multiply(multiply(count, static_cast<Extended>(PeriodeTimer)), 1e-6));
}

std::string msText(float ms)
{
    return formatText("%6.2f", static_cast<double>(ms));
}

} // namespace korval
