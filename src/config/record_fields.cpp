#include "record_fields.h"

#include "axes/drive_settings.h"
#include "fp_fault.h"
#include "number_text.h"

#include <system_error>

namespace korval
{

namespace
{
std::vector<RecordField> buildFields()
{
    std::vector<RecordField> fields;
    fields.push_back({"MarqueDebut", offset::MarqueDebut, 2, ""});
    fields.push_back({"PeriodeTimer", offset::PeriodeTimer, 4, "ns"});
    // Names live as long as the program: the table is built once.
    static const char* const levelNames[3][8] = {
        {"V0De", "V1De", "V2De", "V3De", "V4De", "V5De", "V6De", "V7De"},
        {"V0AD", "V1AD", "V2AD", "V3AD", "V4AD", "V5AD", "V6AD", "V7AD"},
        {"V0Foc", "V1Foc", "V2Foc", "V3Foc", "V4Foc", "V5Foc", "V6Foc", "V7Foc"}};
    const Axis order[3] = {Axis::De, Axis::AD, Axis::Foc};
    for (int a = 0; a < 3; ++a)
        for (int level = 0; level <= kLevelCount; ++level)
            fields.push_back({levelNames[a][level], levelOffset(order[a], level), 1, ""});
    fields.push_back({"JeuAD", offset::JeuAD, 2, "pas"});
    fields.push_back({"JeuDe", offset::JeuDe, 2, "pas"});
    fields.push_back({"MaintienFoc", offset::MaintienFoc, 1, "périodes IT"});
    fields.push_back({"PasParTranche", offset::PasParTranche, 2, "pas"});
    fields.push_back({"TranchePec", offset::TranchePec, 1, ""});
    static const char* const pwmNames[kPwmCount] = {"Pwm0", "Pwm1", "Pwm2", "Pwm3", "Pwm4",
                                                    "Pwm5", "Pwm6", "Pwm7", "Pwm8"};
    for (int entry = 0; entry < kPwmCount; ++entry)
        fields.push_back({pwmNames[entry], offset::Pwm0 + std::size_t(entry), 1, ""});
    fields.push_back({"MarqueFin", offset::MarqueFin, 2, ""});
    return fields;
}

std::string quoted(std::string_view text)
{
    return "« " + std::string(text) + " »";
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Decimal, or hexadecimal after "0x"; nothing else, not even a sign or a blank.
bool parseUnsigned(std::string_view text, std::uint32_t max, std::uint32_t& value, std::string& why)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string_view digits = hex ? text.substr(2) : text;
    std::uint64_t total = 0;
    bool tooBig = false;
    for (char c : digits) {
        int d = -1;
        if (isDigit(c))
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0 || digits.empty()) {
            why = quoted(text) + " n'est pas un nombre entier positif";
            return false;
        }
        total = total * (hex ? 16u : 10u) + std::uint64_t(d);
        if (total > max) tooBig = true, total = std::uint64_t(max) + 1;
    }
    if (digits.empty()) {
        why = quoted(text) + " n'est pas un nombre entier positif";
        return false;
    }
    if (tooBig) {
        why = quoted(text) + " dépasse " + std::to_string(max);
        return false;
    }
    value = std::uint32_t(total);
    return true;
}

// Digits with an optional point and exponent, an optional sign in front when
// `signedValue`: the float nearest to it, refused when beyond the float range.
bool parseFloat(std::string_view text, bool signedValue, float& value, std::string& why)
{
    std::size_t at = 0;
    if (signedValue && at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    const std::size_t start = at;
    std::size_t digits = 0;
    for (; at < text.size() && isDigit(text[at]); ++at)
        ++digits;
    if (at < text.size() && text[at] == '.')
        for (++at; at < text.size() && isDigit(text[at]); ++at)
            ++digits;
    if (digits > 0 && at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
        std::size_t e = at + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
        const std::size_t first = e;
        while (e < text.size() && isDigit(text[e]))
            ++e;
        at = e > first ? e : text.size() + 1; // an exponent needs its digits
    }
    if (digits == 0 || at != text.size()) {
        why = quoted(text) + " n'est pas un nombre (le point sépare les décimales)";
        return false;
    }
    float parsed = 0.0f;
    if (readDecimal(text.data() + start, text.data() + text.size(), parsed) != std::errc()) {
        why = quoted(text) + " ne tient pas dans un nombre flottant de 32 bits";
        return false;
    }
    value = start > 0 && text[0] == '-' ? -parsed : parsed;
    return true;
}

struct Level {
    Axis axis;
    int level;
};

// "V1AD" .. "V7AD", "V1De" .. "V7De": the levels that take a count and a flag.
bool flaggedLevelOf(std::string_view name, Level& found)
{
    if (name.size() < 4 || name[0] != 'V' || name[1] < '1' || name[1] > '7') return false;
    const std::string_view axis = name.substr(2);
    const int level = name[1] - '0';
    if (axis == "AD")
        found = {Axis::AD, level};
    else if (axis == "De")
        found = {Axis::De, level};
    else
        return false;
    return isFlaggedLevel(found.axis, found.level);
}

bool assignLevel(std::string_view name, std::string_view value, const Level& level,
                 ConfigRecord& record, std::string& error)
{
    const std::uint8_t byte = record.level(level.axis, level.level);
    std::string why;
    std::uint32_t count = levelCount(byte);
    bool flag = halfStep(byte);
    if (const std::size_t slash = value.find('/'); slash != std::string_view::npos) {
        const std::string_view step = value.substr(slash + 1);
        if (step != "1" && step != "2") {
            error = std::string(name) + " : " + quoted(value) +
                    " : après « / » vient 1 (pas entier) ou 2 (demi-pas)";
            return false;
        }
        flag = step == "2";
        value = value.substr(0, slash);
    }
    if (!parseUnsigned(value, 127, count, why)) {
        error = std::string(name) + " : " + why + " (nombre d'it entre pas, 0 à 127)";
        return false;
    }
    record.setLevel(level.axis, level.level, composeLevel(std::int32_t(count), flag));
    return true;
}

bool assignHold(std::string_view value, ConfigRecord& record, std::string& error)
{
    std::string why;
    const bool inMs = value.size() > 2 && value.substr(value.size() - 2) == "ms";
    if (!inMs) {
        std::uint32_t count = 0;
        if (!parseUnsigned(value, 255, count, why)) {
            error = "MaintienFoc : " + why + " (périodes IT, 0 à 255, ou durée suivie de « ms »)";
            return false;
        }
        record.setMaintienFoc(std::uint8_t(count));
        return true;
    }
    float ms = 0.0f;
    if (!parseFloat(value.substr(0, value.size() - 2), false, ms, why)) {
        error = "MaintienFoc : " + why;
        return false;
    }
    const std::uint32_t period = record.PeriodeTimer();
    try {
        // The window's own conversion, checked first for a count that would
        // lose its high bits.
        const Extended periodMs = multiply(static_cast<Extended>(period), 1e-6);
        const std::int64_t count = truncateToInt64(divide(ms, periodMs) + 0.5);
        if (count > 255) {
            error = "MaintienFoc : " + quoted(value) + " donne " + std::to_string(count) +
                    " périodes IT de " + std::to_string(period) + " ns, plus que 255";
            return false;
        }
        record.setMaintienFoc(holdCount(ms, period));
    } catch (const FloatingPointError& fault) {
        error = "MaintienFoc : " + quoted(value) + " ne peut être converti avec PeriodeTimer " +
                std::to_string(period) + " ns : " + fault.what();
        return false;
    }
    return true;
}
} // namespace

const std::vector<RecordField>& recordFields()
{
    static const std::vector<RecordField> fields = buildFields();
    return fields;
}

const RecordField* findRecordField(std::string_view name)
{
    for (const RecordField& field : recordFields())
        if (name == field.name) return &field;
    return nullptr;
}

std::uint32_t fieldValue(const ConfigRecord& record, const RecordField& field)
{
    switch (field.width) {
    case 1:
        return record.u8(field.offset);
    case 2:
        return record.u16(field.offset);
    default:
        return record.u32(field.offset);
    }
}

bool isFlaggedLevel(Axis axis, int level)
{
    return axis != Axis::Foc && level >= 1 && level <= kLevelCount &&
           !(axis == Axis::De && level == 3);
}

bool applyAssignment(std::string_view assignment, ConfigRecord& record, DriveParameters& drive,
                     std::string& error)
{
    const std::size_t equal = assignment.find('=');
    if (equal == std::string_view::npos) {
        error = quoted(assignment) + " : CHAMP=VALEUR attendu";
        return false;
    }
    const std::string_view name = assignment.substr(0, equal);
    const std::string_view value = assignment.substr(equal + 1);
    // Work on copies: a refusal leaves both untouched.
    ConfigRecord newRecord = record;
    DriveParameters newDrive = drive;
    std::string why;
    Level level{};

    constexpr std::string_view flagSuffix = ".demi";
    if (name.size() > flagSuffix.size() &&
        name.substr(name.size() - flagSuffix.size()) == flagSuffix) {
        const std::string_view levelName = name.substr(0, name.size() - flagSuffix.size());
        if (!flaggedLevelOf(levelName, level)) {
            error = std::string(name) + " : champ inconnu (seuls V1AD..V7AD et V1De..V7De, "
                                        "sauf V3De, ont un demi-pas)";
            return false;
        }
        if (value != "0" && value != "1") {
            error = std::string(name) + " : " + quoted(value) + " : 0 ou 1 attendu";
            return false;
        }
        const std::uint8_t byte = newRecord.level(level.axis, level.level);
        newRecord.setLevel(level.axis, level.level, composeLevel(levelCount(byte), value == "1"));
    } else if (flaggedLevelOf(name, level)) {
        if (!assignLevel(name, value, level, newRecord, error)) return false;
    } else if (name == "MaintienFoc") {
        if (!assignHold(value, newRecord, error)) return false;
    } else if (name == "FrequenceQuartz" || name == "PasParTour") {
        std::uint32_t number = 0;
        if (!parseUnsigned(value, 0xFFFFFFFFu, number, why)) {
            error = std::string(name) + " : " + why;
            return false;
        }
        (name == "PasParTour" ? newDrive.PasParTour : newDrive.FrequenceQuartz) = number;
    } else if (name == "DureeTour") {
        if (!parseFloat(value, true, newDrive.DureeTour, why)) {
            error = "DureeTour : " + why;
            return false;
        }
    } else if (const RecordField* field = findRecordField(name)) {
        const std::uint32_t max = field->width == 1   ? 0xFFu
                                  : field->width == 2 ? 0xFFFFu
                                                      : 0xFFFFFFFFu;
        std::uint32_t number = 0;
        if (!parseUnsigned(value, max, number, why)) {
            error = std::string(name) + " : " + why;
            return false;
        }
        if (field->width == 1)
            newRecord.setU8(field->offset, std::uint8_t(number));
        else if (field->width == 2)
            newRecord.setU16(field->offset, std::uint16_t(number));
        else
            newRecord.setU32(field->offset, number);
    } else {
        error = quoted(name) + " : champ inconnu";
        return false;
    }
    record = newRecord;
    drive = newDrive;
    return true;
}

} // namespace korval
