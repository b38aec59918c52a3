#include "period_search.h"

#include "config/fp_fault.h"
#include "config/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace korval
{

SearchSetup prepareSearch(std::uint32_t FrequenceQuartz, float DureeTour, std::uint32_t PasParTour)
{
    SearchSetup s;
    s.T = FrequenceQuartz != 0
              ? toFloat(divide(4000000000.0, static_cast<Extended>(FrequenceQuartz)))
              : 10000000000.0f;
    s.P = toFloat(divide(multiply(DureeTour, 1000000000.0), static_cast<Extended>(PasParTour)));
    // N enters the later divisions as an unsigned 32-bit value.
    s.N = static_cast<std::uint32_t>(roundToInt32(divide(s.P, s.T)));
    s.L = roundToInt32(divide(300000.0, s.T));
    return s;
}

std::vector<Candidate> searchCandidates(const SearchSetup& s)
{
    const Extended P = s.P;
    const Extended T = s.T;
    const std::uint64_t N = s.N;
    const double Td = s.T;
    const std::int32_t first = roundToInt32(divide(multiply(32000.0, T), T));
    // P of 0 makes N, n and m 0: the first candidate's error is 0 / 0.
    if (first > s.L && P == 0) throw FloatingPointError(FpFault::InvalidOperation);

    // Past that check nothing in the loop can fault: k stays within 1..32000,
    // T is a positive float and N lies below 2^32. The loop keeps extended
    // precision where it changes the result and uses exact shortcuts elsewhere.
    //
    // Far enough above the threshold that no rounding, of the division nor of
    // a gap taken in doubles, can bring an error back under it.
    const double Pd = s.P;
    const double clearlyRejected = 0.000501 * std::fabs(Pd);
    std::vector<Candidate> accepted;
    accepted.reserve(512);
    const auto consider = [&](std::int32_t k, std::int32_t n) {
        // For 0 <= n < 128, n x k x T has at most 22 + 24 significant bits and
        // is exact in a double; a wrapped, negative n (N / k of 2^31 or more)
        // takes the extended product.
        const double m = n >= 0 ? static_cast<double>(n * k) * Td
                                : static_cast<double>(static_cast<Extended>(n) * k * T);
        // Most candidates miss by far: a product and a difference in doubles
        // (P and m are exact there, their gap off by one rounding at most)
        // tell them apart, and only the rest pay for the extended gap and the
        // division that give the error as it is shown.
        if (std::fabs(Pd - m) > clearlyRejected) return;
        const Extended gap = P - m;
        const double e = std::fabs(static_cast<double>(gap / P));
        if (e > kAcceptedError) return;
        // k x T + 0.5 has at most 15 + 24 significant bits: exact in a double.
        const auto period = static_cast<std::int32_t>(static_cast<std::int64_t>(k * Td + 0.5));
        accepted.push_back({period, e, k, n});
    };
    // n = N / k rounded half up, its low 32 bits. N / k is a fraction of
    // denominator k: either exactly a half-integer or at least 1 / 2k away
    // from one, far more than rounding it to extended and then to a double
    // can move it, so integer arithmetic gives the same n: the largest n with
    // 2kn <= 2N + k.
    const auto roundedQuotient = [N](std::int32_t k) {
        return static_cast<std::int32_t>(
            static_cast<std::uint32_t>((2 * N + std::uint64_t(k)) / (2 * std::uint64_t(k))));
    };
    // Only a k whose n x k x T comes near P can pass: for each n below 128,
    // those k lie in a narrow band around P / nT (widened by one k on each
    // side against the roundings of the doubles). Each k there still takes
    // the whole test above with its own n, so the band only spares the
    // thousands of k that miss by far, not a single line.
    if (first > s.L) {
        const double low = double(s.L) + 1;
        const double high = first;
        for (std::int32_t n = 1; n < kMaxInterruptsPerStep; ++n) {
            const double centre = Pd / (n * Td);
            const double reach = clearlyRejected / (n * Td);
            const double from = std::max(low, std::floor(centre - reach) - 1);
            const double to = std::min(high, std::ceil(centre + reach) + 1);
            for (double k = to; k >= from; --k)
                if (roundedQuotient(std::int32_t(k)) == n) consider(std::int32_t(k), n);
        }
        // At k = 1, n is N itself: from 2^31 on it wraps to a negative value,
        // which takes the test too.
        if (s.L < 1 && roundedQuotient(1) < 0) consider(1, roundedQuotient(1));
    }
    // Ranked by error, equal errors by k, that is by period: the order a
    // newcomer placed in front of its equals gives while k runs downward.
    std::sort(accepted.begin(), accepted.end(), [](const Candidate& a, const Candidate& b) {
        return a.error != b.error ? a.error < b.error : a.k < b.k;
    });
    return accepted;
}

namespace
{
// printf's "% Nd": a blank in place of a plus sign, right-aligned in N.
char* putBlankSigned(char* out, std::int32_t value, int width)
{
    char digits[16];
    char* at = digits;
    if (value >= 0) *at++ = ' ';
    at = std::to_chars(at, digits + sizeof digits, value).ptr;
    const int length = int(at - digits);
    for (int i = length; i < width; ++i)
        *out++ = ' ';
    return std::copy(digits, at, out);
}

template <std::size_t size> char* put(char* out, const char (&text)[size])
{
    return std::copy(text, text + size - 1, out);
}

} // namespace

// "% 8d   %4.2e  % 5d X % 3d -- % 3dX", built piece by piece in one buffer:
// the list of a search can hold thousands of lines, and these pieces give the
// same correctly rounded digits as printf at a fraction of its cost.
char* putCandidateLine(char* line, const Candidate& c)
{
    char* at = putBlankSigned(line, c.period, 8);
    at = put(at, "   ");
    at = putScientific2(at, c.error);
    // The error is never narrower than its width of 4.
    at = put(at, "  ");
    at = putBlankSigned(at, c.k, 5);
    at = put(at, " X ");
    at = putBlankSigned(at, c.n, 3);
    at = put(at, " -- ");
    // n x 8 as a 32-bit product, wrapping as the controller's int would.
    at = putBlankSigned(at, static_cast<std::int32_t>(static_cast<std::uint32_t>(c.n) * 8u), 3);
    *at++ = 'X';
    return at;
}

std::string candidateLine(const Candidate& c)
{
    char line[kCandidateLineCapacity];
    return std::string(line, std::size_t(putCandidateLine(line, c) - line));
}

std::vector<std::string> candidateLines(const std::vector<Candidate>& candidates)
{
    std::vector<std::string> lines;
    lines.reserve(candidates.size());
    for (const Candidate& c : candidates)
        lines.push_back(candidateLine(c));
    return lines;
}

namespace
{
// A blank in a scanf format matches any amount of white space.
void skipSpace(std::string_view& s)
{
    while (!s.empty() && (s.front() == ' ' || (s.front() >= '\t' && s.front() <= '\r')))
        s.remove_prefix(1);
}

bool takeInt(std::string_view& s, std::int32_t& out)
{
    std::size_t used = 0;
    const auto value = scanIntPrefix(s, used);
    if (!value) return false;
    out = *value;
    s.remove_prefix(used);
    return true;
}

bool takeFloat(std::string_view& s, float& out)
{
    std::size_t used = 0;
    const auto value = scanFloatPrefix(s, used);
    if (!value) return false;
    out = *value;
    s.remove_prefix(used);
    return true;
}
} // namespace

std::optional<AppliedLine> parseCandidateLine(std::string_view line)
{
    // Scanned as "%d   %f  %d X %d ".
    AppliedLine out;
    std::string_view s = line;
    if (!takeInt(s, out.period)) return std::nullopt;
    skipSpace(s);
    if (!takeFloat(s, out.error)) return std::nullopt;
    skipSpace(s);
    if (!takeInt(s, out.k)) return std::nullopt;
    skipSpace(s);
    if (s.empty() || s.front() != 'X') return std::nullopt;
    s.remove_prefix(1);
    skipSpace(s);
    if (!takeInt(s, out.n)) return std::nullopt;
    return out;
}

} // namespace korval
