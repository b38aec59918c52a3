#pragma once
// Reading an Intel HEX image back, for instance a dump of the controller's
// program memory, to recover the configuration table it holds at 0x7C00.

#include "config_record.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace korval
{

// Reads record types 00 (data), 01 (end), 02 (extended segment address) and
// 04 (extended linear address), with CR LF or LF line ends, verifying every
// checksum. The 49 bytes at 0x7C00 must all be present and framed by the two
// markers. On failure `record` is left as it was and `error` says, in French,
// which line is wrong or what is missing.
bool readHexImage(std::string_view text, ConfigRecord& record, std::string& error);

// Every byte of an image by its address, gaps left out: a firmware image or
// a dump of the whole program memory, configuration words and EEPROM
// included (above 64 KiB).
using HexMemory = std::map<std::uint32_t, std::uint8_t>;

// Every data byte of an image, read by the same rules; a byte given twice
// with two values, or an image without any byte, is refused. On failure
// `memory` is left as it was and `error` says, in French, what is wrong.
bool readHexMemory(std::string_view text, HexMemory& memory, std::string& error);

// Whether a file is read as a HEX image rather than as a parameter file: its
// name ends in ".hex", in any case, or its first non-blank byte is ':'.
bool isHexImage(std::string_view fileName, std::string_view content);

} // namespace korval
