#include "period_search.h"

#include "config/fp_fault.h"
#include "config/number_text.h"

#include <algorithm>
#include <cmath>

namespace korval
{

SearchSetup prepareSearch(std::uint32_t FrequenceQuartz, float DureeTour, std::uint32_t PasParTour)
{
    SearchSetup s;
    s.T = FrequenceQuartz != 0
              ? toFloat(divide(4000000000.0L, static_cast<Extended>(FrequenceQuartz)))
              : 10000000000.0f;
    s.P = toFloat(divide(multiply(DureeTour, 1000000000.0L), static_cast<Extended>(PasParTour)));
    // N enters the later divisions as an unsigned 32-bit value.
    s.N = static_cast<std::uint32_t>(roundToInt32(divide(s.P, s.T)));
    s.L = roundToInt32(divide(300000.0L, s.T));
    return s;
}

std::vector<Candidate> searchCandidates(const SearchSetup& s)
{
    const Extended P = s.P;
    const Extended T = s.T;
    const std::int32_t first = roundToInt32(divide(multiply(32000.0L, T), T));
    std::vector<Candidate> accepted;
    for (std::int32_t k = first; k > s.L; --k) {
        const double q = toDouble(divide(static_cast<Extended>(s.N), static_cast<Extended>(k)));
        const std::int32_t n = roundToInt32(q);
        const double m = toDouble(multiply(multiply(n, k), T));
        const std::int32_t period = roundToInt32(multiply(k, T));
        const double e = std::fabs(toDouble(divide(P - m, P)));
        if (e > kAcceptedError || n >= kMaxInterruptsPerStep) continue;
        accepted.push_back({period, e, k, n});
    }
    // k runs downward and a newcomer goes in front of equal errors, so ties
    // end in ascending order of k, that is of period.
    std::sort(accepted.begin(), accepted.end(), [](const Candidate& a, const Candidate& b) {
        return a.error != b.error ? a.error < b.error : a.k < b.k;
    });
    return accepted;
}

std::string candidateLine(const Candidate& c)
{
    return formatLong("% 8d   %4.2e  % 5d X % 3d -- % 3dX", c.period, c.error, c.k, c.n, c.n * 8);
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
