#pragma once
// The record's and the drive parameters' fields by name, as the command line
// shows, compares and sets them.

#include "config_record.h"

#include <string>
#include <string_view>

namespace korval
{

// Applies one "CHAMP=VALEUR" to the record and the drive parameters. A value
// that does not fit its field, a text that is not a number or an unknown field
// is refused: false, `error` in French naming the field and the reason, and
// neither `record` nor `drive` is changed.
bool applyAssignment(std::string_view assignment, ConfigRecord& record, DriveParameters& drive,
                     std::string& error);

} // namespace korval
