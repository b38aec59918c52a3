// The command line's JSON writer, without starting the program: the texts of
// numbers and strings that scripts read, null for what is not finite, every
// control character escaped, and the keys in the order they are set.
// Qt-free, so it also runs where the companion is built for Windows.

#include "cli/json_output.h"

#include <cstdio>
#include <limits>
#include <string>

namespace
{
int failures = 0;

void check(const std::string& got, const std::string& wanted, const char* name)
{
    if (got == wanted) return;
    std::fprintf(stderr, "FAIL %s: %s instead of %s\n", name, got.c_str(), wanted.c_str());
    ++failures;
}

struct Case {
    const char* name;
    cli::Json value;
    const char* text; // as written, without the final newline
};
} // namespace

int main()
{
    const double infinity = std::numeric_limits<double>::infinity();
    const Case cases[] = {
        {"not a number", cli::jsonNumber(std::numeric_limits<double>::quiet_NaN()), "null"},
        {"infinity", cli::jsonNumber(-infinity), "null"},
        {"float infinity", cli::jsonFloat(float(infinity)), "null"},
        {"whole double", cli::jsonNumber(25600.0), "25600"},
        {"negative zero", cli::jsonNumber(-0.0), "-0.0"},
        {"shortest double", cli::jsonNumber(0.1), "0.1"},
        {"seventeen digits", cli::jsonNumber(705.8823529411765), "705.8823529411765"},
        {"small double", cli::jsonNumber(1.1468134655241952e-06), "1.1468134655241952e-06"},
        // A float by its nine digits, as before: they read back as the same float.
        {"float", cli::jsonFloat(598.361816f), "598.361816"},
        {"float, fewer digits", cli::jsonFloat(3.5f), "3.5"},
        {"whole float", cli::jsonFloat(86164.0f), "86164"},
        {"control characters", "a\x01\tb\n\x1f", "\"a\\u0001\\tb\\n\\u001f\""},
        {"quote and backslash", "\"\\", "\"\\\"\\\\\""},
        {"accents kept", "sidéral ″", "\"sidéral ″\""},
        {"not UTF-8", "a\xff", "\"a\xef\xbf\xbd\""},
        {"order kept", cli::Json{{"z", 1}, {"a", 2}}, "{\n  \"z\": 1,\n  \"a\": 2\n}"},
    };
    for (const Case& c : cases)
        check(cli::jsonText(c.value), std::string(c.text) + "\n", c.name);
    std::printf("%zu cases, %d failures\n", sizeof(cases) / sizeof(cases[0]), failures);
    return failures == 0 ? 0 : 1;
}
