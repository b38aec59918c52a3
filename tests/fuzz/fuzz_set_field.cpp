// "CHAMP=VALEUR" assignments, one a line, applied in turn to the factory
// defaults: never a crash; a refusal changes nothing and says why; an accepted
// value is exactly the number given, fits its field, and changes that field
// alone.

#include "axes/drive_settings.h"
#include "config/config_record.h"
#include "config/parameter_file.h"
#include "config/record_fields.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

using namespace korval;

namespace
{
// The number a text names, decimal or after "0x", read independently of the
// code under test; nothing when the text holds anything else.
std::optional<std::uint64_t> wholeNumber(std::string_view text)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    std::string digits(hex ? text.substr(2) : text);
    if (digits.empty()) return std::nullopt;
    for (char c : digits)
        if (!(c >= '0' && c <= '9') && !(hex && std::isxdigit(static_cast<unsigned char>(c))))
            return std::nullopt;
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size() - 1)); // leading zeros
    errno = 0;
    const unsigned long long value = std::strtoull(digits.c_str(), nullptr, hex ? 16 : 10);
    if (errno != 0) return UINT64_MAX; // beyond every field
    return value;
}

bool endsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The bytes of the layout that an assignment to `name` may change.
std::pair<std::size_t, std::size_t> placeOf(std::string_view name)
{
    if (name == "FrequenceQuartz") return {49, 4};
    if (name == "PasParTour") return {53, 4};
    if (name == "DureeTour") return {57, 4};
    if (endsWith(name, ".demi")) name.remove_suffix(5);
    const RecordField* field = findRecordField(name);
    FUZZ_CHECK(field != nullptr); // an unknown name is never accepted
    return {field->offset, field->width};
}

std::uint32_t layoutValue(const ParameterFileBytes& bytes, std::size_t at, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;)
        value = (value << 8) | bytes[at + i];
    return value;
}

void checkAccepted(std::string_view name, std::string_view value, const ParameterFileBytes& before,
                   const ParameterFileBytes& after, std::uint32_t period)
{
    const auto [at, width] = placeOf(name);
    for (std::size_t i = 0; i < before.size(); ++i)
        if (i < at || i >= at + width) FUZZ_CHECK(after[i] == before[i]);
    const std::uint32_t stored = layoutValue(after, at, width);
    const std::uint32_t old = layoutValue(before, at, width);

    if (name == "DureeTour") {
        float f = 0;
        std::memcpy(&f, &after[57], sizeof f);
        FUZZ_CHECK(std::isfinite(f));
        errno = 0;
        const float expected = std::strtof(std::string(value).c_str(), nullptr);
        FUZZ_CHECK(std::memcmp(&f, &expected, sizeof f) == 0 || errno == ERANGE);
        return;
    }
    if (endsWith(name, ".demi")) {
        FUZZ_CHECK(value == "0" || value == "1");
        FUZZ_CHECK(levelCount(std::uint8_t(stored)) == levelCount(std::uint8_t(old)));
        FUZZ_CHECK(halfStep(std::uint8_t(stored)) == (value == "1"));
        return;
    }
    Axis axis{};
    int level = 0;
    const bool isLevel = name.size() >= 4 && name[0] == 'V' && name[1] >= '1' && name[1] <= '7' &&
                         (name.substr(2) == "AD" || name.substr(2) == "De");
    if (isLevel) {
        axis = name.substr(2) == "AD" ? Axis::AD : Axis::De;
        level = name[1] - '0';
    }
    if (isLevel && isFlaggedLevel(axis, level)) {
        bool flag = halfStep(std::uint8_t(old));
        if (endsWith(value, "/1") || endsWith(value, "/2")) {
            flag = value.back() == '2';
            value.remove_suffix(2);
        }
        const std::optional<std::uint64_t> count = wholeNumber(value);
        FUZZ_CHECK(count && *count <= 127);
        FUZZ_CHECK(stored == composeLevel(std::int32_t(*count), flag));
        return;
    }
    if (name == "MaintienFoc" && endsWith(value, "ms")) {
        value.remove_suffix(2);
        const float ms = std::strtof(std::string(value).c_str(), nullptr);
        FUZZ_CHECK(std::isfinite(ms) && ms >= 0);
        FUZZ_CHECK(stored == holdCount(ms, period));
        // The count before its low byte is kept: it must fit.
        FUZZ_CHECK(std::floor(double(ms) / (double(period) * 1e-6) + 0.5) <= 256.0);
        return;
    }
    const std::optional<std::uint64_t> number = wholeNumber(value);
    FUZZ_CHECK(number.has_value());
    FUZZ_CHECK(*number == stored); // no digit lost to the field's width
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ConfigRecord record;
    DriveParameters drive;
    loadFactoryDefaults(record, drive);
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view assignment = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);

        const ParameterFileBytes before = serializeParameterFile(record, drive);
        const std::uint32_t period = record.PeriodeTimer();
        std::string error;
        const bool accepted = applyAssignment(assignment, record, drive, error);
        const ParameterFileBytes after = serializeParameterFile(record, drive);
        if (!accepted) {
            FUZZ_CHECK(after == before);
            FUZZ_CHECK(!error.empty());
            continue;
        }
        const std::size_t equal = assignment.find('=');
        FUZZ_CHECK(equal != std::string_view::npos);
        checkAccepted(assignment.substr(0, equal), assignment.substr(equal + 1), before, after,
                      period);
    }
    return 0;
}
