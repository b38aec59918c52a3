#pragma once
// Search for the timer interrupt period that makes the AD worm turn at the
// right rate: every period of k timer ticks, paired with the nearest whole
// number n of interrupts per motor step, ranked by tracking error.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korval
{

constexpr double kAcceptedError = 0.0005;
constexpr std::int32_t kFirstCandidate = 32000;
constexpr std::int32_t kMaxInterruptsPerStep = 128; // n must stay below

// The quantities that come before the candidates.
struct SearchSetup {
    float T = 0;         // timer tick, ns
    float P = 0;         // time per step, ns (the search's PerPas)
    std::uint32_t N = 0; // ticks per step
    std::int32_t L = 0;  // no candidate at or below L ticks (300 us)
};

struct Candidate {
    std::int32_t period = 0; // ns
    double error = 0;
    std::int32_t k = 0; // ticks per interrupt
    std::int32_t n = 0; // interrupts per step
};

// Tick, time per step and bounds. A PasParTour of 0 divides by zero; a P
// beyond the float range is an overflow.
SearchSetup prepareSearch(std::uint32_t FrequenceQuartz, float DureeTour, std::uint32_t PasParTour);

// The accepted candidates, smallest error first, equal errors by shorter
// period first. A P of 0 is an invalid operation at the first candidate.
std::vector<Candidate> searchCandidates(const SearchSetup& setup);

// "% 8d   %4.2e  % 5d X % 3d -- % 3dX"
std::string candidateLine(const Candidate& candidate);
std::vector<std::string> candidateLines(const std::vector<Candidate>& candidates);
// The same line written at `out`, which holds kCandidateLineCapacity
// characters (the widest line takes 81); returns its end.
constexpr std::size_t kCandidateLineCapacity = 96;
char* putCandidateLine(char* out, const Candidate& candidate);

// What the apply step reads back from a line: period, error as a float, k, n.
struct AppliedLine {
    std::int32_t period = 0;
    float error = 0;
    std::int32_t k = 0;
    std::int32_t n = 0;
};
std::optional<AppliedLine> parseCandidateLine(std::string_view line);

} // namespace korval
