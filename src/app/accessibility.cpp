#include "accessibility.h"

#include "app/tform1.h"
#include "form/form_help.h"

#include <QLineEdit>

using namespace korval;

void setHelpText(QWidget* widget, const QString& help)
{
    // The tooltip is made from the description alone: the same description,
    // the same tooltip (the window shows its help at every change of a box).
    if (widget->accessibleDescription() == help) return;
    // A rich-text tooltip wraps; a plain one runs off the screen.
    const QString tip =
        help.isEmpty()
            ? QString()
            : QStringLiteral("<p>%1</p>")
                  .arg(help.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
    widget->setToolTip(tip);
    widget->setAccessibleDescription(help);
}

void describeControls(TForm1& form)
{
    for (const auto& [name, text] : accessibleTexts()) {
        QWidget* widget = form.form()->widget(name);
        if (!widget) continue;
        widget->setAccessibleName(QString::fromStdString(text.name));
        if (text.description.empty()) continue;
        const QString help = QString::fromStdString(text.description);
        widget->setProperty("korvalHelp", help);
        // A box's help comes with its state, the model's help and notes (TForm1::showModel).
        if (!qobject_cast<QLineEdit*>(widget)) setHelpText(widget, help);
    }
}
