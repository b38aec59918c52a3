#include "mount_assistant.h"

#include "config/fp_fault.h"
#include "config/number_text.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <numeric>

namespace korval
{

namespace
{
constexpr std::uint64_t kArcsecPerTurn = 1296000; // 360 x 3600
constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
constexpr std::uint32_t kMaxSteps = std::numeric_limits<std::uint32_t>::max();

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

bool multiplyChecked(std::uint64_t a, std::uint64_t b, std::uint64_t& product)
{
    if (a != 0 && b > kMax / a) return false;
    product = a * b;
    return true;
}

// a x b, reduced; false when a part leaves 64 bits.
bool multiplyRatio(const Ratio& a, const Ratio& b, Ratio& product)
{
    const std::uint64_t g1 = std::gcd(a.num, b.den);
    const std::uint64_t g2 = std::gcd(b.num, a.den);
    return multiplyChecked(a.num / g1, b.num / g2, product.num) &&
           multiplyChecked(a.den / g2, b.den / g1, product.den);
}

Ratio reduced(std::uint64_t num, std::uint64_t den)
{
    const std::uint64_t g = std::gcd(num, den);
    return g ? Ratio{num / g, den / g} : Ratio{num, den};
}

enum class Scan { Ok, Empty, NotNumber, Negative, Zero, TooLong };

// A plain decimal, point or comma, no exponent: "120", "2.5", "14,685".
Scan scanDecimal(const std::string& text, Ratio& value)
{
    const std::string t = trimmed(text);
    if (t.empty()) return Scan::Empty;
    std::size_t at = 0;
    bool negative = false;
    if (t[0] == '-' || t[0] == '+') {
        negative = t[0] == '-';
        at = 1;
    }
    std::uint64_t num = 0;
    std::uint64_t den = 1;
    int digits = 0;
    int decimals = 0;
    bool point = false;
    for (; at < t.size(); ++at) {
        const char c = t[at];
        if ((c == '.' || c == ',') && !point) {
            point = true;
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(c))) return Scan::NotNumber;
        if (num != 0 || c != '0') ++digits;
        if (point) ++decimals;
        if (digits > 18 || decimals > 12) return Scan::TooLong;
        num = num * 10 + std::uint64_t(c - '0');
        if (point) den *= 10;
    }
    if (digits == 0 && t.find_first_of("0123456789") == std::string::npos) return Scan::NotNumber;
    if (negative && num != 0) return Scan::Negative;
    if (num == 0) return Scan::Zero;
    value = reduced(num, den);
    return Scan::Ok;
}

std::optional<MountFault> scanWhole(MountInput input, const std::string& text, std::uint32_t& value)
{
    Ratio r;
    const std::string t = trimmed(text);
    switch (scanDecimal(text, r)) {
    case Scan::Empty:
        return MountFault{input, "aucun nombre, un entier positif est attendu"};
    case Scan::NotNumber:
        return MountFault{input, quoted(t) + " n'est pas un nombre entier"};
    case Scan::Negative:
    case Scan::Zero:
        return MountFault{input, quoted(t) + " : il faut un entier positif"};
    case Scan::TooLong:
        return MountFault{input, quoted(t) + " dépasse 4294967295"};
    case Scan::Ok:
        break;
    }
    if (r.den != 1 || t.find_first_of(".,") != std::string::npos)
        return MountFault{input, quoted(t) + " n'est pas un nombre entier"};
    if (r.num > kMaxSteps) return MountFault{input, quoted(t) + " dépasse 4294967295"};
    value = std::uint32_t(r.num);
    return std::nullopt;
}

// One stage: a decimal or a fraction of two decimals.
std::optional<std::string> scanStage(const std::string& stage, Ratio& value)
{
    const std::string t = trimmed(stage);
    if (t.empty()) return std::string("un étage est vide");
    const auto slash = t.find('/');
    Ratio top;
    Ratio bottom;
    const Scan a = scanDecimal(t.substr(0, slash), top);
    const Scan b = slash == std::string::npos ? Scan::Ok : scanDecimal(t.substr(slash + 1), bottom);
    if (a == Scan::Empty || b == Scan::Empty)
        return "l'étage " + quoted(t) + " a une fraction incomplète";
    if (a == Scan::Zero || b == Scan::Zero) return "l'étage " + quoted(t) + " vaut 0";
    if (a == Scan::Negative || b == Scan::Negative) return "l'étage " + quoted(t) + " est négatif";
    if (a == Scan::TooLong || b == Scan::TooLong)
        return "l'étage " + quoted(t) + " a trop de chiffres";
    if (a != Scan::Ok || b != Scan::Ok) return quoted(t) + " n'est pas un nombre";
    if (!multiplyRatio(top, Ratio{bottom.den, bottom.num}, value))
        return "l'étage " + quoted(t) + " a trop de chiffres";
    return std::nullopt;
}

bool isStageMark(const std::string& text, std::size_t at, std::size_t& width)
{
    width = 1;
    const char c = text[at];
    if (c == 'x' || c == 'X' || c == '*') return true;
    width = 2; // U+00D7, the multiplication sign, in UTF-8
    return text.compare(at, 2, "\xC3\x97") == 0;
}

std::optional<MountFault> scanReduction(const std::string& text, Ratio& value)
{
    const std::string t = trimmed(text);
    if (t.empty()) return MountFault{MountInput::Reduction, "aucune réduction (1 sans réducteur)"};
    value = Ratio{};
    std::size_t start = 0;
    for (std::size_t at = 0;; ++at) {
        std::size_t width = 0;
        const bool end = at == t.size();
        if (!end && !isStageMark(t, at, width)) continue;
        Ratio stage;
        if (auto why = scanStage(t.substr(start, at - start), stage))
            return MountFault{MountInput::Reduction, quoted(t) + " : " + *why};
        if (!multiplyRatio(value, stage, value))
            return MountFault{MountInput::Reduction, quoted(t) + " : rapport trop grand"};
        if (end) return std::nullopt;
        at += width - 1;
        start = at + 1;
    }
}

std::string folded(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\xC3\xA9") == 0 || text.compare(i, 2, "\xC3\x89") == 0) {
            out += 'e'; // é, É
            ++i;
        } else {
            out += char(std::tolower(static_cast<unsigned char>(text[i])));
        }
    }
    return out;
}

} // namespace

// The axis's period at the tracking rate, in seconds.
std::optional<MountFault> scanRate(const std::string& text, Ratio& period, std::string& name)
{
    const std::string t = trimmed(text);
    const std::string word = folded(t);
    Ratio rate; // arcseconds per second
    if (word == "sideral" || word == "siderale") {
        name = "sidéral";
        period = reduced(861640905, 10000); // 86164.0905 s
        return std::nullopt;
    }
    if (word == "solaire") {
        name = "solaire";
        rate = Ratio{15, 1};
    } else if (word == "lunaire") {
        name = "lunaire";
        rate = reduced(14685, 1000);
    } else if (word == "king") {
        name = "King";
        rate = reduced(150369, 10000);
    } else {
        name = "personnalisée";
        switch (scanDecimal(t, rate)) {
        case Scan::Ok:
            break;
        case Scan::Zero:
        case Scan::Negative:
            return MountFault{MountInput::Rate, quoted(t) + " : la vitesse doit être positive"};
        case Scan::TooLong:
            return MountFault{MountInput::Rate, quoted(t) + " a trop de chiffres"};
        default:
            return MountFault{
                MountInput::Rate,
                quoted(t) + " n'est ni sideral, solaire, lunaire, king, ni une vitesse en ″/s"};
        }
    }
    if (!multiplyRatio(Ratio{kArcsecPerTurn, 1}, Ratio{rate.den, rate.num}, period))
        return MountFault{MountInput::Rate, quoted(t) + " a trop de chiffres"};
    return std::nullopt;
}

namespace
{
Extended ext(std::uint64_t v)
{
    return Extended(v);
}

RoundedSteps rounding(std::uint32_t steps, const Ratio& exact)
{
    RoundedSteps r;
    r.steps = steps;
    r.error = toDouble(divide(multiply(ext(steps), ext(exact.den)), ext(exact.num))) - 1.0;
    r.driftPerDay = r.error * 86400.0;
    return r;
}
} // namespace

const char* mountInputCaption(MountInput input)
{
    switch (input) {
    case MountInput::Teeth:
        return "Dents de la roue";
    case MountInput::MotorSteps:
        return "Pas du moteur par tour";
    case MountInput::Reduction:
        return "Réduction moteur-vis";
    case MountInput::Rate:
        return "Vitesse de suivi";
    }
    return "";
}

const char* mountInputOption(MountInput input)
{
    switch (input) {
    case MountInput::Teeth:
        return "--dents";
    case MountInput::MotorSteps:
        return "--pas-moteur";
    case MountInput::Reduction:
        return "--reduction";
    case MountInput::Rate:
        return "--suivi";
    }
    return "";
}

std::string mountFaultText(const MountFault& fault, bool commandLine)
{
    return std::string(commandLine ? mountInputOption(fault.input)
                                   : mountInputCaption(fault.input)) +
           " : " + fault.reason;
}

std::string fractionText(const Ratio& ratio)
{
    return ratio.den == 1 ? std::to_string(ratio.num)
                          : std::to_string(ratio.num) + "/" + std::to_string(ratio.den);
}

MountOutcome computeMount(const MountTexts& texts)
{
    MountOutcome outcome;
    MountResult m;
    Ratio reduction;
    outcome.fault = scanWhole(MountInput::Teeth, texts.teeth, m.teeth);
    if (!outcome.fault)
        outcome.fault = scanWhole(MountInput::MotorSteps, texts.motorSteps, m.motorSteps);
    if (!outcome.fault) outcome.fault = scanReduction(texts.reduction, reduction);
    if (!outcome.fault) outcome.fault = scanRate(texts.rate, m.axisPeriod, m.rateName);
    if (outcome.fault) return outcome;
    m.reduction = reduction;
    m.halfStep = texts.halfStep;

    // Steps per worm turn, exact, then checked against the 32-bit field.
    const Ratio motor{std::uint64_t(m.motorSteps) * (m.halfStep ? 2u : 1u), 1};
    if (!multiplyRatio(motor, reduction, m.exactSteps) ||
        m.exactSteps.num / m.exactSteps.den > kMaxSteps) {
        outcome.fault =
            MountFault{MountInput::Reduction,
                       quoted(trimmed(texts.reduction)) + " : PasParTour dépasserait 4294967295"};
        return outcome;
    }
    const std::uint64_t below = m.exactSteps.num / m.exactSteps.den;
    m.stepsWhole = m.exactSteps.den == 1;
    if (m.stepsWhole) {
        m.PasParTour = std::uint32_t(below);
    } else {
        // A PasParTour of 0 cannot be searched; one beyond 32 bits cannot be stored.
        if (below > 0) m.roundings.push_back(rounding(std::uint32_t(below), m.exactSteps));
        if (below < kMaxSteps)
            m.roundings.push_back(rounding(std::uint32_t(below + 1), m.exactSteps));
        const RoundedSteps* nearer = &m.roundings.front();
        for (const RoundedSteps& r : m.roundings)
            if (std::fabs(r.error) < std::fabs(nearer->error)) nearer = &r;
        m.PasParTour = nearer->steps;
    }

    try {
        m.DureeTour =
            toFloat(divide(ext(m.axisPeriod.num), multiply(ext(m.axisPeriod.den), ext(m.teeth))));
        m.trackingRate = toDouble(
            divide(multiply(ext(kArcsecPerTurn), ext(m.axisPeriod.den)), ext(m.axisPeriod.num)));
        m.arcsecPerStep = toDouble(divide(multiply(ext(kArcsecPerTurn), ext(m.exactSteps.den)),
                                          multiply(ext(m.teeth), ext(m.exactSteps.num))));
    } catch (const FloatingPointError&) {
        outcome.fault = MountFault{MountInput::Rate,
                                   quoted(trimmed(texts.rate)) + " donne une durée hors de portée"};
        return outcome;
    }
    outcome.result = m;
    return outcome;
}

std::array<AxisSpeeds, 2> skySpeeds(const MountResult& mount, const ConfigRecord& record)
{
    std::array<AxisSpeeds, 2> axes{AxisSpeeds{Axis::AD, {}}, AxisSpeeds{Axis::De, {}}};
    const std::uint32_t period = record.PeriodeTimer(); // ns
    for (AxisSpeeds& axis : axes) {
        const bool v1Half = halfStep(record.level(axis.axis, 1));
        for (int level = 1; level <= kLevelCount; ++level) {
            LevelSpeed& s = axis.levels[std::size_t(level - 1)];
            const std::uint8_t byte = record.level(axis.axis, level);
            s.level = level;
            if (axis.axis == Axis::De && level == 3) {
                s.acceleration = true;
                s.count = byte;
                continue;
            }
            s.count = levelCount(byte);
            s.halfStep = halfStep(byte);
            s.moves = s.count != 0 && period != 0;
            if (!s.moves) continue;
            // The window's X weighting: a flagged step against V1's plain one
            // is worth 8, a plain step against V1's flagged one 1/8.
            const Extended weight = level == 1 || s.halfStep == v1Half ? Extended(1)
                                    : s.halfStep                       ? Extended(8)
                                                                       : Extended(0.125);
            const Extended speed =
                divide(multiply(multiply(Extended(mount.arcsecPerStep), weight), ext(1000000000)),
                       multiply(ext(s.count), ext(period)));
            s.arcsecPerSecond = toDouble(speed);
            s.degreesPerSecond = toDouble(divide(speed, ext(3600)));
            s.timesTracking = toDouble(divide(speed, Extended(mount.trackingRate)));
            s.fast = s.timesTracking >= kFastLevel;
            if (s.fast) s.slew90Seconds = toDouble(divide(ext(324000), speed));
        }
    }
    return axes;
}

std::string durationText(double seconds)
{
    if (!(seconds < 1e9)) return formatLong("%.3g s", seconds); // beyond what lround holds
    const long total = std::lround(seconds);
    if (total < 60) return formatLong("%ld s", total);
    if (total < 3600) return formatLong("%ld min %02ld s", total / 60, total % 60);
    return formatLong("%ld h %02ld min", total / 3600, (total % 3600) / 60);
}

std::string mountReport(const MountResult& m, const ConfigRecord& record)
{
    const double axisPeriod = toDouble(divide(ext(m.axisPeriod.num), ext(m.axisPeriod.den)));
    std::string t =
        formatLong("DureeTour : %s s (suivi %s, %.4f s par tour d'axe / %u dents)\n",
                   formatFloatForBox(m.DureeTour).c_str(), m.rateName.c_str(), axisPeriod, m.teeth);
    const std::string train =
        formatLong("%u pas%s x %s", m.motorSteps, m.halfStep ? " x 2 (demi-pas)" : "",
                   fractionText(m.reduction).c_str());
    if (m.stepsWhole) {
        t += formatLong("PasParTour : %u (%s)\n", m.PasParTour, train.c_str());
    } else {
        t += formatLong("PasParTour : %s = %.3f n'est pas entier (%s)\n",
                        fractionText(m.exactSteps).c_str(),
                        double(m.exactSteps.num) / double(m.exactSteps.den), train.c_str());
        for (const RoundedSteps& r : m.roundings)
            t += formatLong("  %u : erreur de suivi %+.2e, dérive %+.1f s/jour\n", r.steps, r.error,
                            r.driftPerDay);
        t += formatLong("  retenu : %u, le plus proche\n", m.PasParTour);
    }
    t += formatLong("Résolution : %.4g ″ par pas ; suivi %.6g ″/s\n", m.arcsecPerStep,
                    m.trackingRate);
    t += formatLong("Vitesses (PeriodeTimer %u ns ; De pris avec le même train que AD) :\n",
                    record.PeriodeTimer());
    t += "  Niveau  It 1/2       ″/s       °/s   x suivi  90°\n";
    for (const AxisSpeeds& axis : skySpeeds(m, record)) {
        for (const LevelSpeed& s : axis.levels) {
            const std::string name =
                formatLong("V%d%s", s.level, axis.axis == Axis::AD ? "AD" : "De");
            if (s.acceleration) {
                t += formatLong("  %-6s %3d s : temps d'accélération\n", name.c_str(), s.count);
            } else if (!s.moves) {
                t += formatLong("  %-6s %3d %s  immobile (%s nul)\n", name.c_str(), s.count,
                                s.halfStep ? "1/2" : "   ",
                                s.count == 0 ? "nombre d'it" : "PeriodeTimer");
            } else {
                t += formatLong("  %-6s %3d %s %9.3f %9.5f %9.3f%s\n", name.c_str(), s.count,
                                s.halfStep ? "1/2" : "   ", s.arcsecPerSecond, s.degreesPerSecond,
                                s.timesTracking,
                                s.fast ? ("  " + durationText(s.slew90Seconds)).c_str() : "");
            }
        }
    }
    return t;
}

MountPanel mountPanel(const MountTexts& texts, const ConfigRecord& record)
{
    const MountOutcome outcome = computeMount(texts);
    MountPanel panel;
    if (outcome.fault) {
        panel.results = mountFaultText(*outcome.fault, false);
        return panel;
    }
    std::string report;
    try {
        report = mountReport(*outcome.result, record);
    } catch (const FloatingPointError& fault) { // runs on every keystroke: never let it escape
        report = fault.what();
    }
    const MountResult& mount = *outcome.result;
    panel.dureeTour = formatFloatForBox(mount.DureeTour);
    panel.pasParTour = formatText("%ld", long(static_cast<std::int32_t>(mount.PasParTour)));
    panel.results = report + "\n« Appliquer » écrit DureeTour = " + panel.dureeTour +
                    " et PasParTour = " + panel.pasParTour +
                    " ;\ncliquez ensuite dans « Période IT (ns) » pour chercher la période.";
    return panel;
}

} // namespace korval
