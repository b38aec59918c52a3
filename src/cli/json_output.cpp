#include "json_output.h"

#include "cli_common.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace cli
{

Json jsonNumber(double value)
{
    if (!std::isfinite(value)) return nullptr;            // JSON has no NaN nor infinity
    constexpr double kExactIntegers = 9007199254740992.0; // 2^53
    if (value == std::trunc(value) && std::fabs(value) < kExactIntegers &&
        !(value == 0 && std::signbit(value)))
        return std::int64_t(value);
    return value;
}

Json jsonFloat(float value)
{
    if (!std::isfinite(value)) return nullptr;
    return jsonNumber(std::strtod(text("%.9g", double(value)).c_str(), nullptr));
}

std::string jsonText(const Json& document)
{
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace cli
