#pragma once
// What a box's number became in its field. Nothing typed is refused: a number
// that its field cannot hold is cut, and the box then carries a thin coloured
// frame and says in its help what the controller will get.

#include <QString>

#include <cstdint>

class QLineEdit;

// `marked`: the stored value is not the number on screen. `text` is added to
// the box's help; a box whose text holds no number is not marked but says
// which value stays.
struct StoredNote {
    bool marked = false;
    QString text;
};

// A field of `bits` bits (8, 16 or 32) that keeps the low bits of the number.
StoredNote integerNote(const QString& boxText, int bits, std::uint32_t stored);
// An AD or De level byte: bits 0 to 6 the count, bit 7 the half-step flag.
StoredNote levelNote(const QString& boxText, std::uint8_t stored);
// A 32-bit float: rounding is no mark, a number beyond the float range is.
StoredNote floatNote(const QString& boxText, float stored);
// The focuser hold, typed in ms and held as a count of interrupt periods.
StoredNote holdNote(const QString& boxText, std::uint32_t PeriodeTimer, std::uint8_t stored);

// Shows the note: the frame, and the box's own help (its "korvalHelp"
// property) followed by the note, as tooltip and accessible description.
// Size, place, text and colours of the box stay as they are.
void showStoredNote(QLineEdit* box, const StoredNote& note);
bool hasStoredMark(const QLineEdit* box);

// Name of the frame drawn over a marked box.
inline const char* const kStoredMarkName = "MarqueValeurEnregistree";
