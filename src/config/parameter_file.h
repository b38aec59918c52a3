#pragma once
// The .kv2 parameter file: the 49 record bytes, then FrequenceQuartz,
// PasParTour and DureeTour, little-endian, 61 bytes, no header.

#include "config_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace korval
{

constexpr std::size_t kParameterFileSize = 61;
constexpr const char* kParameterExtension = ".kv2";
constexpr const char* kHexExtension = ".hex";
// A board's program memory as its programmer saves it: Intel HEX text.
constexpr const char* kHexImageExtension = ".hex";

using ParameterFileBytes = std::array<std::uint8_t, kParameterFileSize>;

ParameterFileBytes serializeParameterFile(const ConfigRecord& current,
                                          const DriveParameters& drive);

// Reads what a file holds into the reference record and the three stored drive
// parameters: each byte present overwrites its position of the 61-byte layout,
// later positions keep their values, bytes past offset 60 are ignored. Nothing
// is validated.
void applyParameterFile(const std::uint8_t* data, std::size_t size, ConfigRecord& reference,
                        DriveParameters& drive);

// Replaces the extension of the last path component (what follows the last
// '/', '\' or drive colon) by `extension`, or appends it when that component
// has no dot.
std::string replaceExtension(const std::string& path, const std::string& extension);

} // namespace korval
