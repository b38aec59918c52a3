#include "record_view.h"

#include "cli_common.h"
#include "json_output.h"

#include "axes/drive_settings.h"
#include "axes/speed_levels.h"
#include "config/fp_fault.h"
#include "config/number_text.h"
#include "timing/time_per_step.h"

#include <functional>
#include <optional>

using namespace korval;

namespace cli
{

namespace
{
// A derived value that faults (a count of 0, no steps per turn) is shown as
// the fault rather than stopping the view.
std::string orFault(const std::function<std::string()>& make)
{
    try {
        return make();
    } catch (const FloatingPointError& fault) {
        return std::string("(") + fault.what() + ")";
    }
}

template <typename T> std::optional<T> derived(const std::function<T()>& value)
{
    try {
        return value();
    } catch (const FloatingPointError&) {
        return std::nullopt;
    }
}

const char* axisName(Axis axis)
{
    return axis == Axis::AD ? "AD" : axis == Axis::De ? "De" : "Foc";
}

std::string levelName(Axis axis, int level)
{
    return "V" + std::to_string(level) + axisName(axis);
}

} // namespace

double ratioOf(const ConfigRecord& record, Axis axis, int level)
{
    if (level == 1) return 1.0; // V1 shows its own speed as 1.00
    const std::uint8_t byte = record.level(axis, level);
    const bool flagged = isFlaggedLevel(axis, level) && halfStep(byte);
    const std::uint8_t typed = isFlaggedLevel(axis, level) ? levelCount(byte) : byte;
    return levelRatio(levelCount(record.level(axis, 1)), typed, flagged,
                      halfStep(record.level(axis, 1)));
}

namespace
{
Json jsonOptional(const std::optional<float>& value)
{
    return value ? jsonFloat(*value) : Json(nullptr);
}

Json jsonOptional(const std::optional<double>& value)
{
    return value ? jsonNumber(*value) : Json(nullptr);
}
} // namespace

const char* const kAbsentFromImage = "(absent de l'image HEX)";

std::string humanView(const ConfigRecord& record, const DriveParameters& drive, bool driveKnown)
{
    const std::uint32_t period = record.PeriodeTimer();
    std::string t;
    const auto row = [&t](const std::string& label, const std::string& value) {
        t += "  " + padded(label, 38) + " " + value + "\n";
    };
    t += "Marques : " + text("0x%04X", record.MarqueDebut()) + " / " +
         text("0x%04X", record.MarqueFin()) + "\n\n";

    t += "Temps\n";
    if (driveKnown) {
        row("Fréquence du quartz (FrequenceQuartz)", driveFields()[0].text(drive));
        row("Durée d'un tour de vis AD (DureeTour)", driveFields()[2].text(drive));
        row("Nombre de pas par tour (PasParTour)",
            std::to_string(drive.PasParTour) + ", soit " + orFault([&] {
                std::string ms = perPasText(perPasSeconds(drive.DureeTour, drive.PasParTour));
                return ms.erase(0, ms.find_first_not_of(' ')) + " ms par pas";
            }));
    } else {
        for (const char* label :
             {"Fréquence du quartz (FrequenceQuartz)", "Durée d'un tour de vis AD (DureeTour)",
              "Nombre de pas par tour (PasParTour)"})
            row(label, kAbsentFromImage);
    }
    row("Période IT (PeriodeTimer)", std::to_string(period) + " ns");
    row("Tranches PEC -1 (TranchePec)", std::to_string(record.TranchePec()));
    row("Pas par tranche (PasParTranche)", std::to_string(record.PasParTranche()));

    t += "\nVitesses : nombre d'it entre pas, demi-pas, vitesse en X de V1\n";
    for (Axis axis : {Axis::AD, Axis::De}) {
        for (int level = 1; level <= kLevelCount; ++level) {
            const std::uint8_t byte = record.level(axis, level);
            if (!isFlaggedLevel(axis, level)) {
                row(levelName(axis, level), std::to_string(byte) + " s d'accélération");
                continue;
            }
            row(levelName(axis, level),
                text("%3d  %s  X %s", levelCount(byte), halfStep(byte) ? "1/2" : "   ",
                     orFault([&] { return ratioText(ratioOf(record, axis, level)); }).c_str()));
        }
    }
    for (int level = 1; level <= kLevelCount; ++level) {
        const std::uint8_t count = record.level(Axis::Foc, level);
        row(levelName(Axis::Foc, level),
            text("%3d  %s ms", count, msText(focuserMs(count, period)).c_str()));
    }
    row("Entrées 0 (V0AD, V0De, V0Foc)",
        text("%d, %d, %d", record.level(Axis::AD, 0), record.level(Axis::De, 0),
             record.level(Axis::Foc, 0)));

    t += "\nRattrapage de jeu\n";
    row("JeuAD", std::to_string(record.JeuAD()) + " pas");
    row("JeuDe", std::to_string(record.JeuDe()) + " pas");

    t += "\nDurée maintien\n";
    row("MaintienFoc", orFault([&] {
            std::string ms = holdText(record.MaintienFoc(), period);
            return ms.erase(0, ms.find_first_not_of(' ')) + " ms, soit " +
                   std::to_string(record.MaintienFoc()) + " périodes IT";
        }));

    t += "\nPWM\n";
    std::string pwm;
    for (int entry = 0; entry < kPwmCount; ++entry)
        pwm += (entry ? " " : "") + std::to_string(record.Pwm(entry));
    row("Pwm0 .. Pwm8", pwm);
    return t;
}

std::string jsonView(const ConfigRecord& record, const DriveParameters& drive, bool driveKnown)
{
    const std::uint32_t period = record.PeriodeTimer();
    Json t = Json::object();
    for (const RecordField& field : recordFields())
        t[field.name] = fieldValue(record, field);
    t["FrequenceQuartz"] = driveKnown ? Json(drive.FrequenceQuartz) : Json(nullptr);
    t["PasParTour"] = driveKnown ? Json(drive.PasParTour) : Json(nullptr);
    t["DureeTour"] = driveKnown ? jsonFloat(drive.DureeTour) : Json(nullptr);

    Json& derivees = t["Derivees"] = Json::object();
    derivees["PerPasMs"] = driveKnown ? jsonOptional(derived<float>([&] {
        return toFloat(multiply(perPasSeconds(drive.DureeTour, drive.PasParTour), 1000));
    }))
                                      : Json(nullptr);
    derivees["MaintienFocMs"] =
        jsonOptional(derived<float>([&] { return holdMs(record.MaintienFoc(), period); }));
    for (Axis axis : {Axis::AD, Axis::De}) {
        Json& levels = derivees[axisName(axis)] = Json::array();
        for (int level = 1; level <= kLevelCount; ++level) {
            const std::uint8_t byte = record.level(axis, level);
            if (!isFlaggedLevel(axis, level)) {
                levels.push_back(Json{{"niveau", 3}, {"accelerationSecondes", byte}});
                continue;
            }
            levels.push_back(Json{{"niveau", level},
                                  {"nombreIt", levelCount(byte)},
                                  {"demiPas", halfStep(byte)},
                                  {"X", jsonOptional(derived<double>(
                                            [&] { return ratioOf(record, axis, level); }))}});
        }
    }
    Json& focuser = derivees["Foc"] = Json::array();
    for (int level = 1; level <= kLevelCount; ++level) {
        const std::uint8_t count = record.level(Axis::Foc, level);
        focuser.push_back(
            Json{{"niveau", level},
                 {"nombreIt", count},
                 {"ms", jsonOptional(derived<float>([&] { return focuserMs(count, period); }))}});
    }
    return jsonText(t);
}

} // namespace cli
