#pragma once
// What differs between two sets of values, in the words of the command line's
// diff and of the windows' « Comparer… »: « V2AD : 16 -> 20 », a half-step
// level « 33/2 », markers in hexadecimal, then the unit.

#include "config_record.h"
#include "record_fields.h"

#include <string>
#include <vector>

namespace korval
{

// The field's stored value: levels of AD and De as their count with "/2"
// when the half-step flag is set, markers in hexadecimal, then the unit.
std::string fieldText(const ConfigRecord& record, const RecordField& field);

// A float as "%.9g", which reads back to the same float.
std::string floatText(float value);

// The three drive parameters of a parameter file by name, with their unit.
struct DriveField {
    const char* name;
    std::string (*text)(const DriveParameters& drive);
    bool (*same)(const DriveParameters& a, const DriveParameters& b);
};
const std::vector<DriveField>& driveFields(); // FrequenceQuartz, PasParTour, DureeTour

// One line « CHAMP : valeur de A -> valeur de B » for each field that
// differs, in the file's order: the table's fields, then the drive
// parameters unless `tableOnly` (a HEX image holds none of them).
std::vector<std::string> differenceLines(const ConfigRecord& recordA, const DriveParameters& driveA,
                                         const ConfigRecord& recordB, const DriveParameters& driveB,
                                         bool tableOnly);

} // namespace korval
