#include "drift_calibration.h"

#include "config/fp_fault.h"
#include "config/number_text.h"

#include <cctype>
#include <cmath>
#include <system_error>

namespace korval
{

namespace
{
constexpr const char* kDurationForms = "10:00, 600s ou 10min";

std::string trimmed(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string quoted(const std::string& text)
{
    return "« " + text + " »";
}

std::string lowered(const std::string& text)
{
    std::string out;
    for (const char c : text)
        out += char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

enum class Read { Ok, Empty, NotNumber, Negative, OutOfRange };

// A plain decimal, point or comma, optional sign, no exponent: "15.04", "-30", "2,5".
Read readNumber(const std::string& text, double& value)
{
    std::string t = trimmed(text);
    if (t.empty()) return Read::Empty;
    bool digit = false;
    bool point = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        char& c = t[i];
        if (std::isdigit(static_cast<unsigned char>(c))) {
            digit = true;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            c = '.';
        } else if (!(i == 0 && (c == '-' || c == '+'))) {
            return Read::NotNumber;
        }
    }
    if (!digit) return Read::NotNumber;
    const std::size_t from = t[0] == '+' ? 1 : 0; // the reader takes no plus sign
    if (readDecimal(t.data() + from, t.data() + t.size(), value) != std::errc())
        return Read::OutOfRange;
    if (value < 0) return Read::Negative;
    if (value == 0) value = 0; // -0 is 0
    return Read::Ok;
}

// "1 min 00 s" after the seconds, from a minute on.
std::string secondsText(double seconds)
{
    std::string t = formatLong("%g s", seconds);
    if (seconds >= 60) t += " (" + durationText(seconds) + ")";
    return t;
}

Extended ext(std::uint64_t v)
{
    return Extended(v);
}

std::optional<CalibrationFault> readSettings(const CalibrationSettings& s)
{
    const auto refused = [](const char* why) {
        return CalibrationFault{CalibrationInput::Settings, why};
    };
    if (s.v1Count == 0) return refused("V1AD vaut 0 : la vis ne tourne pas, rien à corriger");
    if (s.PeriodeTimer == 0) return refused("PeriodeTimer vaut 0 : la vis ne tourne pas");
    if (s.PasParTour == 0) return refused("PasParTour vaut 0 : la vis ne tourne pas");
    return std::nullopt;
}
} // namespace

const char* calibrationInputCaption(CalibrationInput input)
{
    switch (input) {
    case CalibrationInput::Drift:
        return "Dérive mesurée";
    case CalibrationInput::PlateScale:
        return "Échelle (″/pixel)";
    case CalibrationInput::Duration:
        return "Durée de la mesure";
    case CalibrationInput::Declination:
        return "Déclinaison de l'étoile";
    case CalibrationInput::Rate:
        return "Vitesse de suivi";
    case CalibrationInput::Settings:
        return "Paramètres du fichier";
    }
    return "";
}

const char* calibrationInputOption(CalibrationInput input)
{
    switch (input) {
    case CalibrationInput::Drift:
        return "--derive";
    case CalibrationInput::PlateScale:
        return "--echelle";
    case CalibrationInput::Duration:
        return "--pendant";
    case CalibrationInput::Declination:
        return "--declinaison";
    case CalibrationInput::Rate:
        return "--suivi";
    case CalibrationInput::Settings:
        return "FICHIER.kv2";
    }
    return "";
}

std::string calibrationFaultText(const CalibrationFault& fault, bool commandLine)
{
    return std::string(commandLine ? calibrationInputOption(fault.input)
                                   : calibrationInputCaption(fault.input)) +
           " : " + fault.reason;
}

const char* calibrationInputHelp(CalibrationInput input)
{
    switch (input) {
    case CalibrationInput::Drift:
        return "Dérive de l'étoile en ascension droite pendant le suivi, en ″ ; en pixels quand "
               "l'échelle est donnée.";
    case CalibrationInput::PlateScale:
        return "Échelle de la caméra en ″ par pixel ; vide : la dérive est en secondes d'arc.";
    case CalibrationInput::Duration:
        return "Durée de la mesure : 10:00, 600s ou 10min.";
    case CalibrationInput::Declination:
        return "Déclinaison de l'étoile en degrés, négative au sud de l'équateur ; vide : 0.";
    case CalibrationInput::Rate: // the rate list has its own
    case CalibrationInput::Settings:
        break;
    }
    return "";
}

const char* driftDirectionHelp()
{
    // West is where the stars run when the drive stops, whichever the hemisphere.
    return "Vers l'ouest (où filent les étoiles quand le suivi est arrêté) : la monture suit "
           "trop lentement et DureeTour raccourcit ; vers l'est : elle suit trop vite. Cela vaut "
           "au nord comme au sud : l'ouest est à droite face au sud dans l'hémisphère nord, à "
           "gauche face au nord dans l'hémisphère sud.";
}

std::optional<std::string> parseMeasureDuration(const std::string& text, double& seconds)
{
    const std::string t = trimmed(text);
    if (t.empty()) return "aucune durée : " + std::string(kDurationForms);
    const std::string notDuration = quoted(t) + " n'est pas une durée : " + kDurationForms;
    double value = 0;
    const std::size_t colon = t.find(':');
    if (colon != std::string::npos) {
        const std::string minutesText = trimmed(t.substr(0, colon));
        double minutes = 0;
        if (minutesText.empty() ||
            minutesText.find_first_not_of("0123456789") != std::string::npos ||
            readNumber(minutesText, minutes) != Read::Ok)
            return notDuration;
        const std::string secondsPart = t.substr(colon + 1);
        double rest = 0;
        if (readNumber(secondsPart, rest) != Read::Ok ||
            trimmed(secondsPart).find_first_of("+-") != std::string::npos)
            return notDuration;
        if (rest >= 60) return quoted(t) + " : les secondes après « : » vont de 0 à 59";
        value = minutes * 60 + rest;
    } else {
        const std::string low = lowered(t);
        std::size_t unit = 0;
        double scale = 1;
        if (low.size() > 3 && low.compare(low.size() - 3, 3, "min") == 0) {
            unit = 3;
            scale = 60;
        } else if (low.size() > 1 && low.back() == 's') {
            unit = 1;
        }
        const Read read = readNumber(t.substr(0, t.size() - unit), value);
        if (read == Read::Negative) return quoted(t) + " : la durée doit être positive";
        if (read != Read::Ok) return notDuration;
        if (unit == 0) return quoted(t) + " : l'unité manque : " + kDurationForms;
        value *= scale;
    }
    if (!(value > 0)) return quoted(t) + " : la durée doit être positive";
    if (!std::isfinite(value)) return quoted(t) + " : durée hors de portée";
    seconds = value;
    return std::nullopt;
}

std::optional<DriftDirection> parseDriftDirection(const std::string& text)
{
    const std::string t = lowered(trimmed(text));
    if (t == "ouest" || t == "o" || t == "w" || t == "west") return DriftDirection::West;
    if (t == "est" || t == "e" || t == "east") return DriftDirection::East;
    return std::nullopt;
}

CalibrationSettings calibrationSettings(const ConfigRecord& record, const DriveParameters& drive)
{
    CalibrationSettings s;
    s.v1Count = levelCount(record.level(Axis::AD, 1));
    s.PeriodeTimer = record.PeriodeTimer();
    s.PasParTour = drive.PasParTour;
    s.FrequenceQuartz = drive.FrequenceQuartz;
    s.DureeTour = drive.DureeTour;
    return s;
}

Extended cosDegrees(double degrees)
{
    return cosineOfDegrees<Extended>(degrees);
}

CalibrationOutcome computeCalibration(const CalibrationTexts& texts,
                                      const CalibrationSettings& settings)
{
    CalibrationOutcome outcome;
    CalibrationResult m;
    m.settings = settings;
    const auto refuse = [&outcome](CalibrationInput input, const std::string& why) {
        outcome.fault = CalibrationFault{input, why};
        return outcome;
    };

    const std::string drift = trimmed(texts.drift);
    double driftValue = 0;
    switch (readNumber(drift, driftValue)) {
    case Read::Ok:
        break;
    case Read::Empty:
        return refuse(CalibrationInput::Drift, "aucune dérive (0 si l'étoile reste en place)");
    case Read::Negative:
        return refuse(CalibrationInput::Drift,
                      quoted(drift) + " : la dérive est une longueur positive, son sens se "
                                      "choisit à part (vers l'est, vers l'ouest)");
    case Read::OutOfRange:
        return refuse(CalibrationInput::Drift, quoted(drift) + " : nombre hors de portée");
    case Read::NotNumber:
        return refuse(CalibrationInput::Drift, quoted(drift) + " n'est pas un nombre");
    }

    const std::string scale = trimmed(texts.plateScale);
    if (!scale.empty()) {
        switch (readNumber(scale, m.plateScale)) {
        case Read::Ok:
            if (m.plateScale > 0) break;
            [[fallthrough]];
        case Read::Negative:
            return refuse(CalibrationInput::PlateScale,
                          quoted(scale) + " : l'échelle doit être positive");
        case Read::OutOfRange:
            return refuse(CalibrationInput::PlateScale, quoted(scale) + " : nombre hors de portée");
        default:
            return refuse(CalibrationInput::PlateScale, quoted(scale) + " n'est pas un nombre");
        }
    }

    if (auto why = parseMeasureDuration(texts.duration, m.seconds))
        return refuse(CalibrationInput::Duration, *why);

    std::string declination = trimmed(texts.declination);
    if (declination.size() >= 2 && declination.compare(declination.size() - 2, 2, "\xC2\xB0") == 0)
        declination = trimmed(declination.substr(0, declination.size() - 2)); // a typed °
    if (!declination.empty()) {
        const Read read = readNumber(declination, m.declination);
        if (read != Read::Ok && read != Read::Negative) // south of the equator is negative
            return refuse(CalibrationInput::Declination,
                          quoted(declination) + " n'est pas un nombre de degrés");
        if (!(std::fabs(m.declination) < 90))
            return refuse(CalibrationInput::Declination,
                          quoted(declination) + " : il faut une déclinaison entre -90° et 90° "
                                                "exclus, la dérive en AD ne se mesure pas au pôle");
    }

    Ratio axisPeriod;
    if (auto fault = scanRate(texts.rate, axisPeriod, m.rateName))
        return refuse(CalibrationInput::Rate, fault->reason);
    if (auto fault = readSettings(settings)) {
        outcome.fault = fault;
        return outcome;
    }

    try {
        Extended d = Extended(driftValue);
        if (m.plateScale > 0) {
            m.driftPixels = driftValue;
            d = multiply(d, Extended(m.plateScale));
        }
        m.direction = texts.direction;
        if (texts.direction == DriftDirection::East) d = Extended(0) - d;
        m.driftArcsec = toDouble(d);
        const Extended cosine = cosDegrees(m.declination);
        m.cosDeclination = toDouble(cosine);
        const Extended rate =
            divide(multiply(ext(1296000), ext(axisPeriod.den)), ext(axisPeriod.num));
        m.trackingRate = toDouble(rate);
        const Extended e = divide(d, multiply(multiply(rate, Extended(m.seconds)), cosine));
        m.error = toDouble(e);
        m.driftPerDay = toDouble(multiply(e, ext(86400)));
        // The count times the period is exact; the steps and the 1e-9 follow.
        const Extended T =
            divide(multiply(multiply(ext(settings.v1Count), ext(settings.PeriodeTimer)),
                            ext(settings.PasParTour)),
                   ext(1000000000));
        m.wormTurn = toDouble(T);
        const Extended corrected = multiply(T, Extended(1) - e);
        if (!(corrected > Extended(0)))
            return refuse(CalibrationInput::Drift,
                          quoted(drift) + " : une erreur de suivi de 100 % ou plus ne laisse "
                                          "aucune DureeTour");
        m.DureeTour = toFloat(corrected);
    } catch (const FloatingPointError&) {
        return refuse(CalibrationInput::Drift,
                      quoted(drift) + " donne une DureeTour hors de portée");
    }

    try {
        const std::vector<Candidate> candidates = searchCandidates(
            prepareSearch(settings.FrequenceQuartz, m.DureeTour, settings.PasParTour));
        m.lineCount = candidates.size();
        if (!candidates.empty()) m.best = candidates.front();
    } catch (const FloatingPointError& fault) {
        m.searchFault = fault.what();
    }
    outcome.result = m;
    return outcome;
}

std::string calibrationReport(const CalibrationResult& m)
{
    const CalibrationSettings& s = m.settings;
    const bool west = m.direction == DriftDirection::West;
    std::string measured = m.plateScale > 0
                               ? formatLong("%g pixels x %g ″/pixel = %g ″", m.driftPixels,
                                            m.plateScale, std::fabs(m.driftArcsec))
                               : formatLong("%g ″", std::fabs(m.driftArcsec));
    std::string t = formatLong("Dérive : %s vers l'%s en %s, déclinaison %g° (cos δ = %.6f)\n",
                               measured.c_str(), west ? "ouest" : "est",
                               secondsText(m.seconds).c_str(), m.declination, m.cosDeclination);
    const char* sense = m.error > 0   ? "la monture retarde, elle suit trop lentement"
                        : m.error < 0 ? "la monture avance, elle suit trop vite"
                                      : "aucune erreur";
    t += formatLong("Erreur de suivi : e = d / (r x t x cos δ) = %+.6e, soit %+.4g s/jour\n  %s\n",
                    m.error, m.driftPerDay, sense);
    t += formatLong("Vitesse de suivi : %s, r = %.6g ″/s\n", m.rateName.c_str(), m.trackingRate);
    t += formatLong("Tour de vis du fichier : T = %u (V1AD) x %u ns x %u pas = %.6f s\n"
                    "  (DureeTour du fichier : %s s)\n",
                    unsigned(s.v1Count), s.PeriodeTimer, s.PasParTour, m.wormTurn,
                    formatFloatForBox(s.DureeTour).c_str());
    const double corrected = double(m.DureeTour);
    const char* change = corrected < m.wormTurn   ? " : plus courte, la vis tournera plus vite"
                         : corrected > m.wormTurn ? " : plus longue, la vis tournera moins vite"
                                                  : "";
    t += formatLong("DureeTour corrigée : T x (1 - e) = %s s%s\n",
                    formatFloatForBox(m.DureeTour).c_str(), change);
    if (!m.searchFault.empty()) {
        t += "Recherche de période : " + m.searchFault + "\n";
    } else if (!m.best) {
        t += formatLong("Recherche de période : aucune ligne sous l'erreur %g\n", kAcceptedError);
    } else {
        t += formatLong("Recherche de période : %lu lignes, la meilleure (erreur %.2e, dérive "
                        "%.3g s/jour) :\n",
                        static_cast<unsigned long>(m.lineCount), m.best->error,
                        m.best->error * 86400.0);
        t += candidateLine(*m.best) + "\n";
    }
    return t;
}

std::string calibrationBoxText(const CalibrationResult& result)
{
    return formatFloatForBox(result.DureeTour);
}

std::string calibrationApplyNote(const CalibrationResult& result)
{
    return "« Appliquer » écrit DureeTour = " + calibrationBoxText(result) +
           " ;\ncliquez ensuite dans « Période IT (ns) » pour chercher la période.";
}

CalibrationPanel calibrationPanel(const CalibrationTexts& texts, const ConfigRecord& record,
                                  const DriveParameters& drive)
{
    const CalibrationOutcome outcome =
        computeCalibration(texts, calibrationSettings(record, drive));
    if (outcome.fault) return {calibrationFaultText(*outcome.fault, false), std::string()};
    return {calibrationReport(*outcome.result) + "\n" + calibrationApplyNote(*outcome.result),
            calibrationBoxText(*outcome.result)};
}

} // namespace korval
