#include "drive_settings.h"

#include "config/fp_fault.h"
#include "config/number_text.h"

namespace korval
{

std::uint8_t holdCount(float ms, std::uint32_t PeriodeTimer)
{
    const Extended periodMs = multiply(static_cast<Extended>(PeriodeTimer), 1e-6);
    const std::int64_t count = truncateToInt64(divide(ms, periodMs) + 0.5);
    return static_cast<std::uint8_t>(static_cast<std::uint64_t>(count) & 0xFF);
}

float holdMs(std::uint8_t MaintienFoc, std::uint32_t PeriodeTimer)
{
    return toFloat(multiply(MaintienFoc, multiply(static_cast<Extended>(PeriodeTimer), 1e-6)));
}

std::string holdText(std::uint8_t MaintienFoc, std::uint32_t PeriodeTimer)
{
    return formatText("%6.2f", static_cast<double>(holdMs(MaintienFoc, PeriodeTimer)));
}

} // namespace korval
