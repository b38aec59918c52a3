#pragma once
// The mark of a box whose number its field cannot hold: a thin coloured frame
// over the box. The form model tells which boxes are marked and why; the box's
// help (tooltip and accessible description) carries that note.

#include <QString>

class QLineEdit;

// Shows the frame when `note` (the model's stored-value note) is not empty,
// hides it otherwise. Size, place, text and colours of the box stay as they are.
void showStoredMark(QLineEdit* box, const QString& note);
bool hasStoredMark(const QLineEdit* box);

// Name of the frame drawn over a marked box.
inline const char* const kStoredMarkName = "MarqueValeurEnregistree";
