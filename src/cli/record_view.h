#pragma once
// The record as the command line shows it: grouped as the window groups it,
// as JSON, and one field's value with its unit.

#include "config/config_record.h"
#include "config/record_fields.h"

#include <string>

namespace cli
{

std::string humanView(const korval::ConfigRecord& record, const korval::DriveParameters& drive);
std::string jsonView(const korval::ConfigRecord& record, const korval::DriveParameters& drive);

// The X display of a level of AD or De, from its count and both flags, as
// the window computes it: a count of 0 faults.
double ratioOf(const korval::ConfigRecord& record, korval::Axis axis, int level);

// A float as "%.9g", which reads back to the same float.
std::string floatText(float value);

// The field's stored value as diff shows it: levels of AD and De as their
// count with "/2" when the half-step flag is set, markers in hexadecimal,
// then the unit.
std::string fieldText(const korval::ConfigRecord& record, const korval::RecordField& field);

// The three drive parameters by name, with their unit.
struct DriveField {
    const char* name;
    std::string (*text)(const korval::DriveParameters& drive);
    bool (*same)(const korval::DriveParameters& a, const korval::DriveParameters& b);
};
const DriveField* driveFields(); // three entries

} // namespace cli
