#pragma once
// The record as the command line shows it: grouped as the window groups it,
// as JSON, and one field's value with its unit.

#include "config/config_record.h"
#include "config/record_difference.h"

#include <string>

namespace cli
{

// Without `driveKnown` (a HEX image holds only the table), the three drive
// parameters and what follows from them are shown as absent, null in JSON.
std::string humanView(const korval::ConfigRecord& record, const korval::DriveParameters& drive,
                      bool driveKnown = true);
std::string jsonView(const korval::ConfigRecord& record, const korval::DriveParameters& drive,
                     bool driveKnown = true);
// What a value the HEX image does not hold shows.
extern const char* const kAbsentFromImage;

// The X display of a level of AD or De, from its count and both flags, as
// the window computes it: a count of 0 faults.
double ratioOf(const korval::ConfigRecord& record, korval::Axis axis, int level);

} // namespace cli
