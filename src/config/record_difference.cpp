#include "record_difference.h"

#include "number_text.h"

namespace korval
{

namespace
{
std::string quartzText(const DriveParameters& d)
{
    return std::to_string(d.FrequenceQuartz) + " Hz";
}
std::string stepsText(const DriveParameters& d)
{
    return std::to_string(d.PasParTour) + " pas";
}
std::string turnText(const DriveParameters& d)
{
    return floatText(d.DureeTour) + " s";
}
bool sameQuartz(const DriveParameters& a, const DriveParameters& b)
{
    return a.FrequenceQuartz == b.FrequenceQuartz;
}
bool sameSteps(const DriveParameters& a, const DriveParameters& b)
{
    return a.PasParTour == b.PasParTour;
}
bool sameTurn(const DriveParameters& a, const DriveParameters& b)
{
    return floatBits(a.DureeTour) == floatBits(b.DureeTour);
}
} // namespace

std::string floatText(float value)
{
    return formatText("%.9g", double(value));
}

const std::vector<DriveField>& driveFields()
{
    static const std::vector<DriveField> fields = {{"FrequenceQuartz", quartzText, sameQuartz},
                                                   {"PasParTour", stepsText, sameSteps},
                                                   {"DureeTour", turnText, sameTurn}};
    return fields;
}

std::string fieldText(const ConfigRecord& record, const RecordField& field)
{
    const std::uint32_t value = fieldValue(record, field);
    const std::string name = field.name;
    std::string shown;
    if (name == "MarqueDebut" || name == "MarqueFin") {
        shown = formatText("0x%04X", unsigned(value));
    } else {
        shown = std::to_string(value);
        for (Axis axis : {Axis::AD, Axis::De})
            for (int level = 1; level <= kLevelCount; ++level)
                if (isFlaggedLevel(axis, level) && levelOffset(axis, level) == field.offset)
                    shown = std::to_string(levelCount(std::uint8_t(value))) +
                            (halfStep(std::uint8_t(value)) ? "/2" : "");
    }
    if (*field.unit) shown += std::string(" ") + field.unit;
    return shown;
}

std::vector<std::string> differenceLines(const ConfigRecord& recordA, const DriveParameters& driveA,
                                         const ConfigRecord& recordB, const DriveParameters& driveB,
                                         bool tableOnly)
{
    std::vector<std::string> lines;
    for (const RecordField& field : recordFields()) {
        if (fieldValue(recordA, field) == fieldValue(recordB, field)) continue;
        lines.push_back(std::string(field.name) + " : " + fieldText(recordA, field) + " -> " +
                        fieldText(recordB, field));
    }
    if (tableOnly) return lines;
    for (const DriveField& field : driveFields()) {
        if (field.same(driveA, driveB)) continue;
        lines.push_back(std::string(field.name) + " : " + field.text(driveA) + " -> " +
                        field.text(driveB));
    }
    return lines;
}

} // namespace korval
