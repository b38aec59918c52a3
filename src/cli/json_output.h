#pragma once
// The command line's JSON, written by one library: keys in the order they are
// set, every string escaped (control characters included), a number that is
// not finite as null.

#include <nlohmann/json.hpp>

#include <string>

namespace cli
{

using Json = nlohmann::ordered_json;

// null when not finite; a whole number below 2^53 without a trailing ".0",
// so that 25600 stays 25600; otherwise the shortest text that reads back as
// the same double.
Json jsonNumber(double value);
// Its nine significant digits, which read back as the same float (what
// scripts have always been given).
Json jsonFloat(float value);
// The document, two blanks per level, then a newline. A byte that is not
// UTF-8 (a name typed on another system) becomes U+FFFD.
std::string jsonText(const Json& document);

} // namespace cli
