#pragma once
// What a screen reader and a tooltip say of each control: a distinct French
// name made from the captions of its row and column, and the form model's
// help text with its meaning, unit and what its field can hold.

#include <QString>

class QWidget;

class TForm1;

// Names every control, shown or hidden, and gives each edit box, check box and
// result display its help as tooltip and accessible description. The help is
// also kept in the "korvalHelp" property, for the notes added to it later.
void describeControls(TForm1& form);

// Sets `help` (plain text, lines split by \n) as the accessible description
// and as the tooltip, which wraps its long lines.
void setHelpText(QWidget* widget, const QString& help);
