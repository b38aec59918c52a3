#pragma once
// What a box's number became in its field. Nothing typed is refused: a number
// that its field cannot hold is cut, and the box then says what the controller
// will get.

#include <cstdint>
#include <string>

namespace korval
{

// `marked`: the stored value is not the number on screen. `text` is added to
// the box's help; a box whose text holds no number is not marked but says
// which value stays.
struct StoredNote {
    bool marked = false;
    std::string text;
};

// A field of `bits` bits (8, 16 or 32) that keeps the low bits of the number.
StoredNote integerNote(const std::string& boxText, int bits, std::uint32_t stored);
// An AD or De level byte: bits 0 to 6 the count, bit 7 the half-step flag.
StoredNote levelNote(const std::string& boxText, std::uint8_t stored);
// A 32-bit float: rounding is no mark, a number beyond the float range is.
StoredNote floatNote(const std::string& boxText, float stored);
// The focuser hold, typed in ms and held as a count of interrupt periods.
StoredNote holdNote(const std::string& boxText, std::uint32_t PeriodeTimer, std::uint8_t stored);

// What a handler sees of a box's text: its first 19 characters (UTF-16 units,
// as the window counts them).
std::string scannedPrefix(const std::string& text);

// The tracking drift of a candidate: its relative error over one day.
std::string driftText(double error);

} // namespace korval
