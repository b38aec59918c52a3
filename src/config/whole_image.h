#pragma once
// The whole program memory for a programmer that erases the chip before it
// writes: the firmware as it is, with the configuration table in its place.

#include "config_record.h"
#include "intel_hex_reader.h"

#include <string>

namespace korval
{

// `firmware` with the table's 49 bytes at 0x7C00-0x7C30, whether or not it
// had bytes there; every other byte kept, gaps left as gaps.
HexMemory wholeImage(const HexMemory& firmware, const ConfigRecord& record);

// Intel HEX text of `memory`: data records in address order, at most 16
// bytes each, never across a 16-byte boundary nor a gap; an extended linear
// address record (type 04) wherever the upper 16 bits change; upper-case
// digits, CR LF, the end record.
std::string memoryHexText(const HexMemory& memory);

} // namespace korval
