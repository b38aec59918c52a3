#pragma once
// What a screen reader and a tooltip say of each control, from the form
// model's table (accessibleTexts): its French name and its help.

#include <QString>

class QWidget;

class TForm1;

// Names every control, shown or hidden, and the tool buttons, and gives each
// one with help that help as tooltip and accessible description; an edit box
// gets its help with its state instead (the model's help and notes, set by the
// window). The help is also kept in the "korvalHelp" property.
void describeControls(TForm1& form);

// Sets `help` (plain text, lines split by \n) as the accessible description
// and as the tooltip, which wraps its long lines; nothing when the description
// is already `help`.
void setHelpText(QWidget* widget, const QString& help);
