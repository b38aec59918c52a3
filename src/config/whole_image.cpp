#include "whole_image.h"

#include "intel_hex.h"

namespace korval
{

namespace
{
const char kDigits[] = "0123456789ABCDEF";

// ":" then the record's bytes and their checksum, in hex digits, CR LF.
void appendRecord(std::string& text, const std::uint8_t* bytes, std::size_t size)
{
    unsigned sum = 0;
    text += ':';
    for (std::size_t i = 0; i < size; ++i) {
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 0x0F];
        sum += bytes[i];
    }
    const unsigned checksum = (256u - sum % 256u) % 256u;
    text += kDigits[checksum >> 4];
    text += kDigits[checksum & 0x0F];
    text += kHexLineEnd;
}
} // namespace

HexMemory wholeImage(const HexMemory& firmware, const ConfigRecord& record)
{
    HexMemory memory = firmware;
    for (std::size_t at = 0; at < kRecordSize; ++at)
        memory[kHexBaseAddress + std::uint32_t(at)] = record.bytes()[at];
    return memory;
}

std::string memoryHexText(const HexMemory& memory)
{
    std::string text;
    text.reserve(memory.size() * 3);
    std::uint32_t upper = 0; // the reader's start: linear address 0
    auto at = memory.begin();
    while (at != memory.end()) {
        const std::uint32_t first = at->first;
        if (first >> 16 != upper) {
            upper = first >> 16;
            const std::uint8_t address[] = {
                2, 0, 0, 4, std::uint8_t(upper >> 8), std::uint8_t(upper & 0xFF)};
            appendRecord(text, address, sizeof address);
        }
        std::uint8_t line[4 + 16] = {0, std::uint8_t((first >> 8) & 0xFF),
                                     std::uint8_t(first & 0xFF), 0};
        std::size_t count = 0;
        std::uint32_t next = first;
        // One line: the bytes that follow each other inside one 16-byte block.
        while (at != memory.end() && at->first == next && next / 16 == first / 16) {
            line[4 + count++] = at->second;
            ++at;
            ++next;
        }
        line[0] = std::uint8_t(count);
        appendRecord(text, line, 4 + count);
    }
    text += kHexEndLine;
    text += kHexLineEnd;
    return text;
}

} // namespace korval
