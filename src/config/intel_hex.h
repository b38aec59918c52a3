#pragma once
// Intel HEX image of the configuration table, placed at 0x7C00 of the
// controller's program memory.

#include "config_record.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace korval
{

constexpr std::size_t kHexImageSize = 512;
constexpr std::size_t kHexExportLength = 52;
constexpr std::uint32_t kHexBaseAddress = 0x7C00;
constexpr const char* kHexFirstLine = ":0400000078EF3FF066";
constexpr const char* kHexEndLine = ":00000001FF";
constexpr const char* kHexLineEnd = "\r\n"; // on every platform

using HexImage = std::array<std::uint8_t, kHexImageSize>;

// 512 zero bytes with the record at offsets 0-48.
HexImage hexImage(const ConfigRecord& record);

struct IntelHexText {
    std::string text;                   // the whole file, CR LF line ends
    std::vector<std::string> dataLines; // the data records, without line end
};

// The file text for image bytes 0 up to the next multiple of 16 at or above
// `length`, 16 bytes a record, at `baseAddress`. `image` must hold that many.
IntelHexText intelHexText(const std::uint8_t* image, std::size_t length, std::uint32_t baseAddress);

// The text ExportHex writes for a record.
IntelHexText exportHexText(const ConfigRecord& record);

// Writes the file and echoes each data line on `echo`. Returns 1 once the file
// is closed, 0 when it cannot be created or completely written.
int WriteIntelHex(const std::string& fileName, const std::uint8_t* image, std::size_t length,
                  std::uint32_t baseAddress, std::ostream& echo);

} // namespace korval
