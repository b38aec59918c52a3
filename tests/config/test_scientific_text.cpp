// The error column's "%.2e" against the C++ library's own correctly rounded
// conversion (and against printf where it is the GNU C library's): the
// rounding boundaries and their neighbours at every scale, the exact ties,
// the values that round up to the next power of ten, and a random sweep over
// the whole range of doubles. Exits 1 on the first difference.

#include "config/number_text.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

using korval::putScientific2;

namespace
{

long long checked = 0;

bool same(double value)
{
    ++checked;
    char ours[40];
    char library[40];
    const std::string mine(ours, std::size_t(putScientific2(ours, value) - ours));
    const std::string theirs(library,
                             std::size_t(std::to_chars(library, library + sizeof library, value,
                                                       std::chars_format::scientific, 2)
                                             .ptr -
                                         library));
    bool equal = mine == theirs;
#if defined(__GLIBC__)
    char printed[40];
    std::snprintf(printed, sizeof printed, "%.2e", value);
    equal = equal && mine == printed;
#endif
    if (!equal)
        std::printf("FAIL %a: \"%s\", the library gives \"%s\"\n", value, mine.c_str(),
                    theirs.c_str());
    return equal;
}

// The value and its two neighbours.
bool sameAround(double value)
{
    return same(std::nextafter(value, -INFINITY)) && same(value) &&
           same(std::nextafter(value, INFINITY));
}

double fromBits(std::uint64_t bits)
{
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

int main()
{
    const double table[] = {0.0,
                            -0.0,
                            1.125,
                            1.375,
                            -1.125,
                            0.1875,
                            999.5,
                            998.5,
                            1000.0,
                            9.995e-5,
                            9.9949999e-5,
                            9.996e-5,
                            0.0005,
                            1.15e-06,
                            1.05e-05,
                            1e-20,
                            1e-21,
                            1e-22,
                            9.995e-21,
                            5e-324,
                            DBL_MIN,
                            DBL_MAX,
                            9007199254740992.0,
                            1e300,
                            -3.14159,
                            INFINITY,
                            -INFINITY,
                            NAN};
    for (double value : table)
        if (!same(value)) return 1;

    // Every rounding boundary n.5 x 10^e of a sample of n at every scale the
    // integers handle and beyond, as the nearest double, with its neighbours.
    std::mt19937_64 random(20261210);
    for (int exponent = -30; exponent <= 6; ++exponent) {
        for (int n = 100; n < 1000; n += 1 + int(random() % 7)) {
            char text[32];
            std::snprintf(text, sizeof text, "%d.5e%d", n, exponent - 2);
            if (!sameAround(std::strtod(text, nullptr))) return 1;
            std::snprintf(text, sizeof text, "%de%d", n, exponent - 2);
            if (!sameAround(std::strtod(text, nullptr))) return 1;
        }
    }
    // The exact ties: odd / 2^(s + 1) times 10^s ends in exactly .5.
    for (int scale = 0; scale <= 8; ++scale) {
        const double unit = std::ldexp(1.0, -(scale + 1));
        const double low = 100 / std::pow(10.0, scale), high = 1000 / std::pow(10.0, scale);
        for (double odd = std::ceil(low / unit) + 1; odd * unit < high;
             odd += 2 + 2 * double(random() % 40))
            if (std::fmod(odd, 2) == 1 && !same(odd * unit)) return 1;
    }
    // Random bits: every exponent, mostly the candidate list's range.
    const char* asked = std::getenv("KORVAL_SCIENTIFIC_CASES");
    const long long cases = asked ? std::atoll(asked) : 2000000;
    for (long long i = 0; i < cases; ++i) {
        std::uint64_t bits = random();
        if (i % 4 != 0) // 2^-80 to 2^-5: the errors of the candidate list
            bits = (bits & ((std::uint64_t(1) << 52) - 1)) |
                   (std::uint64_t(1023 - 80 + random() % 76) << 52);
        if (!same(fromBits(bits))) return 1;
    }
    std::printf("%lld values, all as the library writes them\n", checked);
    return 0;
}
