#include "time_per_step.h"

#include "config/fp_fault.h"
#include "config/number_text.h"

namespace korval
{

float perPasSeconds(float DureeTour, std::uint32_t PasParTour)
{
    if (PasParTour == 0) return 100000000.0f;
    return toFloat(divide(DureeTour, static_cast<Extended>(PasParTour)));
}

std::string perPasText(float perPasSeconds)
{
    const float ms = toFloat(multiply(perPasSeconds, 1000.0));
    return formatText("%6.3f", static_cast<double>(ms));
}

} // namespace korval
