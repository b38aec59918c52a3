#pragma once
// The record's and the drive parameters' fields by name, as the command line
// shows, compares and sets them.

#include "config_record.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korval
{

// One field of the 49-byte table: a level is its whole byte, flag included.
struct RecordField {
    const char* name;
    std::size_t offset;
    std::size_t width; // 1, 2 or 4 bytes
    const char* unit;  // "" where the field has none
};

// Every field of the table, in record order, from MarqueDebut to MarqueFin.
const std::vector<RecordField>& recordFields();
const RecordField* findRecordField(std::string_view name);
std::uint32_t fieldValue(const ConfigRecord& record, const RecordField& field);

// Whether a level byte carries the half-step flag in bit 7: V1 to V7 of AD
// and De, except V3 De, which holds the acceleration time in whole seconds.
bool isFlaggedLevel(Axis axis, int level);

// Applies one "CHAMP=VALEUR" to the record and the drive parameters. A value
// that does not fit its field, a text that is not a number or an unknown field
// is refused: false, `error` in French naming the field and the reason, and
// neither `record` nor `drive` is changed.
//
// Integers are decimal, or hexadecimal after "0x". The speed levels of AD and
// De take their count (0-127) and keep the half-step flag: "V2AD=17"; "17/2"
// sets the flag, "17/1" clears it, and "V2AD.demi=1" or "=0" changes the flag
// alone. MaintienFoc takes a count ("12") or milliseconds ("3.54ms"),
// converted with the record's PeriodeTimer as the window converts it: a time
// whose count exceeds 255, or that cannot be converted, is refused.
// DureeTour takes a finite 32-bit float.
bool applyAssignment(std::string_view assignment, ConfigRecord& record, DriveParameters& drive,
                     std::string& error);

} // namespace korval
