#pragma once
// monture --derive: the file's own DureeTour corrected from a drift measured on
// the sky.

#include <string>
#include <vector>

namespace cli
{

// The verb's arguments (UTF-8), from the first after "monture"; the exit status.
int runMontureCalibration(const std::vector<std::string>& arguments);

// The help's lines for the calibration, appended to monture's own.
extern const char* const kMontureCalibrationHelp;

} // namespace cli
