#pragma once
// The tests' stand-in programmer's program memory, a file of one "address
// byte" pair a line in hex, and Intel HEX written apart from the tool's own
// writer: 16-byte rows, a type 04 record wherever the upper half changes.
// Shared by the stand-in and the suites that drive it; standard C++ alone.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace stand_in
{

using Memory = std::map<std::uint32_t, unsigned>;

inline Memory loadMemory(const std::string& path)
{
    Memory memory;
    std::ifstream file(std::filesystem::u8path(path));
    std::uint32_t address;
    unsigned value;
    while (file >> std::hex >> address >> value)
        memory[address] = value;
    return memory;
}

inline bool storeMemory(const std::string& path, const Memory& memory)
{
    std::ofstream file(std::filesystem::u8path(path), std::ios::trunc);
    for (const auto& [address, value] : memory)
        file << std::hex << address << ' ' << value << '\n';
    return bool(file);
}

inline std::string hexText(const Memory& memory)
{
    std::string out;
    char text[8];
    const auto record = [&](unsigned address, unsigned type, const std::vector<unsigned>& data) {
        unsigned sum = unsigned(data.size()) + (address >> 8) + (address & 0xFF) + type;
        std::snprintf(text, sizeof text, ":%02X%04X", unsigned(data.size()), address & 0xFFFF);
        out += text;
        std::snprintf(text, sizeof text, "%02X", type);
        out += text;
        for (unsigned byte : data) {
            std::snprintf(text, sizeof text, "%02X", byte & 0xFF);
            out += text;
            sum += byte;
        }
        std::snprintf(text, sizeof text, "%02X\r\n", (256 - sum % 256) % 256);
        out += text;
    };
    std::uint32_t upper = 0;
    for (auto at = memory.begin(); at != memory.end();) {
        const std::uint32_t first = at->first;
        if (first >> 16 != upper) {
            upper = first >> 16;
            record(0, 4, {upper >> 8, upper & 0xFF});
        }
        std::vector<unsigned> data;
        while (at != memory.end() && at->first == first + data.size() &&
               (data.empty() || (first + data.size()) % 16 != 0))
            data.push_back((at++)->second);
        record(first, 0, data);
    }
    record(0, 1, {});
    return out;
}

inline bool writeHexFile(const std::string& path, const Memory& memory)
{
    std::ofstream file(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
    file << hexText(memory);
    return bool(file);
}

} // namespace stand_in
