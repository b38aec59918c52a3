#pragma once
// Speed levels: the X display of an AD or De level (its speed as a multiple of
// V1's, a half step worth eight plain steps) and the ms display of a focuser
// level.

#include <cstdint>
#include <string>

namespace korval
{

// c1 = V1's count without its flag, cn = the level's byte as just stored
// (before its own flag is added). A cn of 0 divides by zero, or is an invalid
// operation when c1 is 0 too.
double levelRatio(std::uint8_t c1, std::uint8_t cn, bool levelHalfStep, bool v1HalfStep);

// "% 6.2f" of the ratio; V1 AD shows its own 1.0 the same way.
std::string ratioText(double ratio);
// EditXDe1 shows this literal rather than a formatted 1.0.
constexpr const char* kDeV1RatioText = "1.00";

// A focuser level above 255 (signed comparison) is clamped to 255.
constexpr std::int32_t kFocuserMax = 255;
constexpr bool focuserNeedsClamp(std::int32_t value)
{
    return value > kFocuserMax;
}

// Step interval of a focuser level: count x PeriodeTimer x 1e-6 ms, as a float.
float focuserMs(std::uint8_t count, std::uint32_t PeriodeTimer);
// "%6.2f" of it.
std::string msText(float ms);

} // namespace korval
