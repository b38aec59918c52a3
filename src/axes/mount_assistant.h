#pragma once
// Mount assistant: from the gear train of the right-ascension axis and the
// tracking rate to the worm-turn time (DureeTour) and the motor steps per worm
// turn (PasParTour), and from the current speed levels and interrupt period to
// the speeds in the sky. Plain values and texts in, plain structs and French
// messages out, for every front end.

#include "config/config_record.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korval
{

// A positive exact ratio num / den, kept reduced.
struct Ratio {
    std::uint64_t num = 1;
    std::uint64_t den = 1;
};

// The assistant's inputs, named for the window and for the command line.
enum class MountInput { Teeth, MotorSteps, Reduction, Rate };
const char* mountInputCaption(MountInput input); // "Dents de la roue" ...
const char* mountInputOption(MountInput input);  // "--dents" ...

// A refused input and why, in French.
struct MountFault {
    MountInput input;
    std::string reason;
};
// "--dents : « 0 » ..." or "Dents de la roue : « 0 » ...".
std::string mountFaultText(const MountFault& fault, bool commandLine);

// The texts the user typed; the rate is "sideral", "solaire", "lunaire",
// "king" (accents and case free) or a rate in arcseconds per second.
struct MountTexts {
    std::string teeth;
    std::string motorSteps;
    std::string reduction; // "3", "120", "50 x 3", "50*3", "60/17", "2.5"
    std::string rate = "sideral";
    bool halfStep = false; // V1 runs in half steps: twice the steps
};

// A whole PasParTour near an exact one that is not whole, and the tracking
// error it leaves: the worm then turns at N / exact times the wanted rate.
struct RoundedSteps {
    std::uint32_t steps = 0;
    double error = 0;       // N / exact - 1, relative
    double driftPerDay = 0; // error x 86400, seconds of time per day
};

struct MountResult {
    std::uint32_t teeth = 0;
    std::uint32_t motorSteps = 0;
    Ratio reduction;
    bool halfStep = false;
    std::string rateName;    // "sidéral", "solaire", "lunaire", "King", "personnalisée"
    Ratio axisPeriod;        // seconds per turn of the axis at the tracking rate
    double trackingRate = 0; // arcseconds per second
    float DureeTour = 0;     // axis period / teeth, as the field stores it
    Ratio exactSteps;        // steps x reduction (x 2 in half steps)
    bool stepsWhole = false;
    std::vector<RoundedSteps> roundings; // below, then above; empty when whole
    std::uint32_t PasParTour = 0;        // the exact value, or the nearer rounding
    double arcsecPerStep = 0;            // resolution of one V1 step
};

// Reads and computes; a refused input gives its fault instead.
struct MountOutcome {
    std::optional<MountResult> result;
    std::optional<MountFault> fault;
};
MountOutcome computeMount(const MountTexts& texts);

// The tracking rate's text read as the assistant reads it: the axis's period
// in seconds, exact, and the rate's name; a refusal names MountInput::Rate.
std::optional<MountFault> scanRate(const std::string& text, Ratio& period, std::string& name);

// One speed level of AD or De, in the sky. A level's step is worth V1's times
// the window's X weighting: a flagged step is eight plain ones, so the speed
// is V1's speed times the level's X ratio. De is taken to have the same gear
// train as AD. V3 De holds the acceleration time, not a speed.
struct LevelSpeed {
    int level = 0;
    std::uint8_t count = 0;
    bool halfStep = false;
    bool acceleration = false; // V3 De: `count` is whole seconds
    bool moves = false;        // false for a count of 0 or a period of 0
    double arcsecPerSecond = 0;
    double degreesPerSecond = 0;
    double timesTracking = 0;
    bool fast = false;        // at least kFastLevel times the tracking rate
    double slew90Seconds = 0; // time of a 90 degree slew, for fast levels
};
constexpr double kFastLevel = 8.0;

struct AxisSpeeds {
    Axis axis;
    std::array<LevelSpeed, kLevelCount> levels;
};

// AD then De, V1 to V7, from the levels and PeriodeTimer of `record`.
std::array<AxisSpeeds, 2> skySpeeds(const MountResult& mount, const ConfigRecord& record);

// The results as French text lines: DureeTour, PasParTour with its roundings
// when it is not whole, the resolution, then the speeds of AD and De.
std::string mountReport(const MountResult& mount, const ConfigRecord& record);
// "45 s", "10 min 53 s", "2 h 05 min".
std::string durationText(double seconds);

// "128", "60/17": a ratio as the user reads it back.
std::string fractionText(const Ratio& ratio);

// What the assistant's dialog shows for the typed texts: the results (or the
// refused input's message) and the two texts "Appliquer" writes, as
// ShowRecord would show them; both empty while an input is refused.
struct MountPanel {
    std::string results;
    std::string dureeTour;
    std::string pasParTour;
};
MountPanel mountPanel(const MountTexts& texts, const ConfigRecord& record);

} // namespace korval
