#pragma once
// Calibration of the tracking from a drift timed at the eyepiece or on the
// camera: a star that creeps in right ascension while the mount tracks tells
// how far the worm turn the file drives is from the tracking rate.
//
//   e = d / (r x t x cos δ)   d in ″ (positive westward: the mount lags),
//                             r the tracking rate in ″/s, t in seconds
//   T = V1 AD count x PeriodeTimer x 1e-9 x PasParTour   seconds per worm turn
//   corrected DureeTour = T x (1 - e)
//
// computed in Extended and rounded once to the stored float. Plain texts in,
// plain structs and French texts out, for every front end.

#include "axes/mount_assistant.h"
#include "config/config_record.h"
#include "config/extended.h"
#include "config/fp_fault.h"
#include "timing/period_search.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace korval
{

enum class DriftDirection { West, East };

// The calibration's inputs, named for the window and for the command line.
// Settings is the parameter file's own values (V1 AD, PeriodeTimer, PasParTour).
enum class CalibrationInput { Drift, PlateScale, Duration, Declination, Rate, Settings };
const char* calibrationInputCaption(CalibrationInput input); // "Dérive mesurée" ...
const char* calibrationInputOption(CalibrationInput input);  // "--derive" ...
// The help a dialog gives each box in its tooltip: "Durée de la mesure : 10:00, ...";
// empty for the rate and the settings.
const char* calibrationInputHelp(CalibrationInput input);

struct CalibrationFault {
    CalibrationInput input;
    std::string reason;
};
// "--pendant : « 0:00 » ..." or "Durée de la mesure : « 0:00 » ...".
std::string calibrationFaultText(const CalibrationFault& fault, bool commandLine);

// The sentence under the direction field: which way means a lagging mount.
const char* driftDirectionHelp();

// "10:00", "1:30.5", "600s", "600 s", "10min", "2,5 min": seconds, or why not.
std::optional<std::string> parseMeasureDuration(const std::string& text, double& seconds);

// "est" / "ouest" (case and accents free, "e" / "o" / "w" too).
std::optional<DriftDirection> parseDriftDirection(const std::string& text);

struct CalibrationTexts {
    std::string drift;      // arcseconds, or pixels when plateScale is given
    std::string plateScale; // ″ per pixel; empty: the drift is in arcseconds
    std::string duration;
    DriftDirection direction = DriftDirection::West;
    std::string declination;      // degrees; empty: 0
    std::string rate = "sideral"; // as the mount assistant reads it
};

// What the file drives: the values the calibration starts from.
struct CalibrationSettings {
    std::uint8_t v1Count = 0; // V1 AD, bit 7 aside
    std::uint32_t PeriodeTimer = 0;
    std::uint32_t PasParTour = 0;
    std::uint32_t FrequenceQuartz = 0;
    float DureeTour = 0; // the file's own, for comparison
};
CalibrationSettings calibrationSettings(const ConfigRecord& record, const DriveParameters& drive);

struct CalibrationResult {
    CalibrationSettings settings;
    DriftDirection direction = DriftDirection::West;
    double driftArcsec = 0; // signed: positive westward
    double driftPixels = 0; // as typed, when a plate scale is given
    double plateScale = 0;  // 0: none
    double seconds = 0;
    double declination = 0;    // degrees
    double cosDeclination = 0; // computed in Extended by its series
    std::string rateName;
    double trackingRate = 0; // ″/s
    double error = 0;        // e, relative: positive when the mount lags
    double driftPerDay = 0;  // e x 86400, seconds of time per day
    double wormTurn = 0;     // T, seconds
    float DureeTour = 0;     // T x (1 - e), as the field stores it
    // The period search run from the corrected DureeTour.
    std::size_t lineCount = 0;
    std::optional<Candidate> best;
    std::string searchFault; // its floating-point fault, if any
};

struct CalibrationOutcome {
    std::optional<CalibrationResult> result;
    std::optional<CalibrationFault> fault;
};
CalibrationOutcome computeCalibration(const CalibrationTexts& texts,
                                      const CalibrationSettings& settings);

// cos of an angle in degrees, |degrees| < 90, in Extended: a Taylor series on
// + - x / only, so the x87 and the software arithmetic give the same bits.
Extended cosDegrees(double degrees);

// The same series in either arithmetic: X is long double (x87) or SoftExtended.
template <class X> X cosineOfDegrees(double degrees)
{
    // π to extended precision, as the sum of two doubles.
    const X pi = X(3.141592653589793) + X(1.2246467991473532e-16);
    const X x = checked::divide(checked::multiply(X(degrees), pi), X(180));
    const X minusSquare = X(0) - checked::multiply(x, x);
    // |x| < π/2: the 15th term is below 1e-22 of the first.
    X term = X(1);
    X sum = X(1);
    for (int k = 1; k <= 15; ++k) {
        term = checked::divide(checked::multiply(term, minusSquare), X((2 * k - 1) * (2 * k)));
        sum = sum + term;
    }
    return sum;
}

// The results as French text lines, the same in every front end.
std::string calibrationReport(const CalibrationResult& result);
// The text "Appliquer" types into the DureeTour box, and the line the
// window and the page show under the report about it.
std::string calibrationBoxText(const CalibrationResult& result);
std::string calibrationApplyNote(const CalibrationResult& result);

// What a dialog's calibration page shows, from the window's current values
// (those a Save would write): the report and the apply note, or the refusal;
// and the DureeTour text "Appliquer" types, empty while an input is refused.
struct CalibrationPanel {
    std::string results;
    std::string dureeTour;
};
CalibrationPanel calibrationPanel(const CalibrationTexts& texts, const ConfigRecord& record,
                                  const DriveParameters& drive);

} // namespace korval
