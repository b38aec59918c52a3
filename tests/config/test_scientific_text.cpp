// The error column's "%.2e" against the C++ library's own correctly rounded
// conversion (and glibc's printf where it is the C library): hard values and
// exact ties, every rounding boundary n.5 x 10^e and its neighbours, and
// random doubles, mostly in the candidate list's range. Exits 1 at the first
// difference; KORVAL_SCIENTIFIC_CASES sets how many random values.

#include "config/number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace
{

long long checked = 0;

bool same(double value)
{
    ++checked;
    char ours[40];
    char library[40];
    const std::string mine(ours, korval::putScientific2(ours, value));
    std::string theirs(library, std::to_chars(library, library + sizeof library, value,
                                              std::chars_format::scientific, 2)
                                    .ptr);
#if defined(__GLIBC__)
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.2e", value);
    if (theirs != printed) theirs += std::string(" / printf ") + printed;
#endif
    if (mine == theirs) return true;
    std::printf("FAIL %a: \"%s\", the library gives \"%s\"\n", value, mine.c_str(), theirs.c_str());
    return false;
}

} // namespace

int main()
{
    // Ties (1.125, 0.1875, 999.5, 998.5), the carry to the next power of ten,
    // the ends of the integer path and what lies beyond it.
    const double hard[] = {
        0.0,      -0.0,     1.125,     1.375,        -1.125,   0.1875,  999.5,
        998.5,    1000.0,   9.995e-5,  9.9949999e-5, 9.996e-5, 0.0005,  1.15e-06,
        1e-20,    1e-21,    9.995e-21, 5e-324,       DBL_MIN,  DBL_MAX, 9007199254740992.0,
        -3.14159, INFINITY, NAN};
    for (double value : hard)
        if (!same(value)) return 1;

    std::mt19937_64 random(20261210);
    for (int exponent = -30; exponent <= 6; ++exponent)
        for (int n = 100; n < 1000; n += 1 + int(random() % 7))
            for (const char* form : {"%d.5e%d", "%de%d"}) {
                char text[32];
                std::snprintf(text, sizeof text, form, n, exponent - 2);
                const double boundary = std::strtod(text, nullptr);
                for (double value : {std::nextafter(boundary, -INFINITY), boundary,
                                     std::nextafter(boundary, INFINITY)})
                    if (!same(value)) return 1;
            }

    const char* asked = std::getenv("KORVAL_SCIENTIFIC_CASES");
    const long long cases = asked ? std::atoll(asked) : 2000000;
    for (long long i = 0; i < cases; ++i) {
        std::uint64_t bits = random();
        if (i % 4 != 0) // 2^-80 to 2^-5, the candidate list's errors
            bits = (bits & ((std::uint64_t(1) << 52) - 1)) |
                   (std::uint64_t(1023 - 80 + random() % 76) << 52);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (!same(value)) return 1;
    }
    std::printf("%lld values, all as the library writes them\n", checked);
    return 0;
}
