#pragma once
// The command line and the console as UTF-8 bytes on every system.

#include <string>
#include <vector>

namespace cli
{

// The arguments after the program's name, in UTF-8. On Windows they are read
// again from the wide command line, since argv holds them in the ANSI code
// page, which loses « », accents and any letter outside it.
std::vector<std::string> commandLineArguments(int argc, char** argv);

// On Windows: standard output and error in binary mode, so that a line feed
// stays one byte (the HEX text brings its own CR LF), and the console told
// that the bytes are UTF-8. Nothing to do elsewhere.
void prepareConsole();

} // namespace cli
