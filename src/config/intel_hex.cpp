#include "intel_hex.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace korval
{

HexImage hexImage(const ConfigRecord& record)
{
    HexImage image{};
    std::copy(record.bytes().begin(), record.bytes().end(), image.begin());
    return image;
}

IntelHexText intelHexText(const std::uint8_t* image, std::size_t length, std::uint32_t baseAddress)
{
    static const char upper[] = "0123456789ABCDEF";
    IntelHexText out;
    out.text = std::string(kHexFirstLine) + kHexLineEnd;
    for (std::size_t at = 0; at < length; at += 16) {
        const std::uint32_t address = baseAddress + static_cast<std::uint32_t>(at);
        char head[16];
        // The address keeps lower-case digits; data and checksum are upper case.
        std::snprintf(head, sizeof head, ":%02x%04x00", 16u,
                      static_cast<unsigned>(address & 0xFFFF));
        std::string line = head;
        unsigned sum = (16u + ((address >> 8) & 0xFF) + (address & 0xFF)) & 0xFF;
        for (std::size_t i = 0; i < 16; ++i) {
            const std::uint8_t byte = image[at + i];
            line += upper[byte >> 4];
            line += upper[byte & 0x0F];
            sum = (sum + byte) & 0xFF;
        }
        const unsigned checksum = (256u - sum) & 0xFF;
        line += upper[checksum >> 4];
        line += upper[checksum & 0x0F];
        out.text += line + kHexLineEnd;
        out.dataLines.push_back(std::move(line));
    }
    out.text += std::string(kHexEndLine) + kHexLineEnd;
    return out;
}

IntelHexText exportHexText(const ConfigRecord& record)
{
    const HexImage image = hexImage(record);
    return intelHexText(image.data(), kHexExportLength, kHexBaseAddress);
}

int WriteIntelHex(const std::string& fileName, const std::uint8_t* image, std::size_t length,
                  std::uint32_t baseAddress, std::ostream& echo)
{
    // Binary mode: the CR LF line ends are in the text already.
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) return 0;
    const IntelHexText hex = intelHexText(image, length, baseAddress);
    file.write(hex.text.data(), static_cast<std::streamsize>(hex.text.size()));
    for (const std::string& line : hex.dataLines)
        echo << line << '\n';
    file.close();
    return file ? 1 : 0;
}

} // namespace korval
