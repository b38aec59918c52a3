#pragma once
// Time per motor step shown beside the steps per turn.

#include <cstdint>
#include <string>

namespace korval
{

// DureeTour / PasParTour in seconds, rounded to a float; 1e8 s stands in for
// the division when there are no steps.
float perPasSeconds(float DureeTour, std::uint32_t PasParTour);

// The milliseconds text of EditPerPas: PerPas x 1000 as a float, "%6.3f".
std::string perPasText(float perPasSeconds);

} // namespace korval
