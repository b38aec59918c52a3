// A programmer of the tests' own, on a simulated program memory kept in a
// file (one "address byte" pair a line, in hex). It knows no protocol and
// talks to no device.
//   stand_in_programmer MEMORY full FILE.hex       erases everything, then writes FILE
//   stand_in_programmer MEMORY rows FILE.hex       writes FILE's bytes alone (a boot loader)
//   stand_in_programmer MEMORY read FILE.hex       writes the memory as Intel HEX to FILE
//   stand_in_programmer MEMORY fail [WORDS...]     says so on standard error, status 3
//   stand_in_programmer MEMORY wrong ADDRESS FILE  rows, then one bit of ADDRESS flipped
// Every run first appends its arguments to MEMORY.journal, one a line after
// a line "-- N", so a test sees what reached it and how it was cut.
#include "support/stand_in_memory.h"

#include <cstdlib>
#include <iostream>
#include <string>

namespace
{
using stand_in::Memory;

unsigned byteAt(const std::string& line, std::size_t at)
{
    return unsigned(std::stoul(line.substr(at, 2), nullptr, 16));
}

// Types 00, 01 and 04, checksums checked; false when anything is wrong.
bool readHex(const std::string& path, Memory& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::string line;
    std::uint32_t upper = 0;
    bool ended = false;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        if (line[0] != ':' || line.size() < 11 || line.size() % 2 == 0) return false;
        const unsigned count = byteAt(line, 1);
        if (line.size() != 11 + 2 * count) return false;
        unsigned sum = 0;
        for (std::size_t at = 1; at < line.size(); at += 2)
            sum += byteAt(line, at);
        if (sum % 256 != 0) return false;
        const std::uint32_t offset = (byteAt(line, 3) << 8) | byteAt(line, 5);
        const unsigned type = byteAt(line, 7);
        if (type == 0) {
            for (unsigned i = 0; i < count; ++i)
                bytes[upper + offset + i] = byteAt(line, 9 + 2 * i);
        } else if (type == 1) {
            ended = true;
        } else if (type == 4) {
            upper = ((byteAt(line, 9) << 8) | byteAt(line, 11)) << 16;
        } else {
            return false;
        }
    }
    return ended;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "stand_in_programmer: MEMORY MODE [FILE]\n";
        return 64;
    }
    const std::string memoryPath = argv[1];
    const std::string mode = argv[2];
    {
        std::ofstream journal(memoryPath + ".journal", std::ios::app | std::ios::binary);
        journal << "-- " << argc - 1 << '\n';
        for (int i = 1; i < argc; ++i)
            journal << argv[i] << '\n';
    }
    Memory memory = stand_in::loadMemory(memoryPath);
    std::cout << "programmateur simulé : " << mode << std::endl;
    if (mode == "fail") {
        std::cerr << "programmateur simulé : la puce ne répond pas" << std::endl;
        return 3;
    }
    if (argc < 4) return 64;
    if (mode == "read") {
        std::cout << "lecture de " << memory.size() << " octets" << std::endl;
        return stand_in::writeHexFile(argv[3], memory) ? 0 : 4;
    }
    const bool wrong = mode == "wrong";
    const std::string file = argv[wrong ? 4 : 3];
    Memory given;
    if ((wrong && argc < 5) || !readHex(file, given)) {
        std::cerr << "programmateur simulé : « " << file << " » illisible" << std::endl;
        return 5;
    }
    if (mode == "full") {
        memory.clear();
    } else if (mode != "rows" && !wrong) {
        std::cerr << "programmateur simulé : mode inconnu " << mode << std::endl;
        return 64;
    }
    for (const auto& [address, value] : given)
        memory[address] = value;
    if (wrong) memory[std::uint32_t(std::stoul(argv[3], nullptr, 16))] ^= 0x01;
    std::cout << "écriture de " << given.size() << " octets" << std::endl;
    return stand_in::storeMemory(memoryPath, memory) ? 0 : 4;
}
