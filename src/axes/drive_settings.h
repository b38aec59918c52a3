#pragma once
// Focuser hold time: typed in milliseconds, held as a count of interrupt
// periods in MaintienFoc.

#include <cstdint>
#include <string>

namespace korval
{

// ms / (PeriodeTimer x 1e-6) + 0.5, truncated to 64 bits, low eight bits kept.
// A PeriodeTimer of 0 divides by zero (invalid operation when ms is 0 too); a
// count beyond 64 bits is an overflow.
std::uint8_t holdCount(float ms, std::uint32_t PeriodeTimer);

// MaintienFoc x (PeriodeTimer x 1e-6), as a float.
float holdMs(std::uint8_t MaintienFoc, std::uint32_t PeriodeTimer);
// "%6.2f" of it, as EditMaintienFoc shows it.
std::string holdText(std::uint8_t MaintienFoc, std::uint32_t PeriodeTimer);

} // namespace korval
