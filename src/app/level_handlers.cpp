// Speed levels: the level bytes with their half-step flags, the X displays of
// AD and De and the ms displays of the focuser.

#include "app/box_text.h"
#include "app/tform1.h"
#include "axes/speed_levels.h"
#include "ui_tform1.h"

#include <QCheckBox>

using namespace korval;

namespace
{
// V3 De holds the acceleration time in whole seconds: its hidden half-step box
// never adds bit 7, so every time from 0 to 255 is kept as typed.
bool takesHalfStepFlag(Axis axis, int level)
{
    return !(axis == Axis::De && level == 3);
}
} // namespace

void TForm1::levelChange(Axis axis, int level)
{
    if (level == 1) {
        v1Change(axis);
        return;
    }
    std::int32_t& typed = m_levelTyped[axis == Axis::AD ? 0 : 1][level];
    if (const auto value = scanInt(boxText(levelEdit(axis, level)))) typed = *value;
    const std::uint8_t stored = composeLevel(typed, false);
    currentRecord.setLevel(axis, level, stored);

    const bool flagged = takesHalfStepFlag(axis, level) && halfStepBox(axis, level)->isChecked();
    const bool v1Flagged = halfStepBox(axis, 1)->isChecked();
    // A count of 0 stops here: the byte stays without its flag and the display
    // keeps its text.
    const double ratio =
        levelRatio(levelCount(currentRecord.level(axis, 1)), stored, flagged, v1Flagged);
    if (flagged) currentRecord.setLevel(axis, level, composeLevel(stored, true));
    ratioDisplay(axis, level)->setText(qs(ratioText(ratio)));
}

void TForm1::v1Change(Axis axis)
{
    std::int32_t& typed = m_levelTyped[axis == Axis::AD ? 0 : 1][1];
    if (const auto value = scanInt(boxText(levelEdit(axis, 1)))) typed = *value;
    currentRecord.setLevel(axis, 1, composeLevel(typed, halfStepBox(axis, 1)->isChecked()));
    ratioDisplay(axis, 1)->setText(axis == Axis::AD ? qs(ratioText(1.0))
                                                    : QString::fromLatin1(kDeV1RatioText));
    // Every ratio of the drive follows V1; a fault stops the rest of the drive.
    for (int level = 2; level <= kLevelCount; ++level)
        levelChange(axis, level);
}

void TForm1::focuserLevelChange(int level)
{
    QLineEdit* box = levelEdit(Axis::Foc, level);
    std::int32_t value = currentRecord.level(Axis::Foc, level);
    if (const auto scanned = scanInt(boxText(box))) value = *scanned;
    if (focuserNeedsClamp(value)) {
        value = kFocuserMax;
        writeText(box, qs(formatText("%d", kFocuserMax))); // runs this handler again, on 255
    }
    const std::uint8_t count = low8(value);
    currentRecord.setLevel(Axis::Foc, level, count);
    msDisplay(level)->setText(qs(msText(focuserMs(count, currentRecord.PeriodeTimer()))));
}
