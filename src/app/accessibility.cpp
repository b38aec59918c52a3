#include "accessibility.h"

#include "app/tform1.h"
#include "form/form_help.h"

using namespace korval;

void setHelpText(QWidget* widget, const QString& help)
{
    // A rich-text tooltip wraps; a plain one runs off the screen.
    const QString tip =
        help.isEmpty()
            ? QString()
            : QStringLiteral("<p>%1</p>")
                  .arg(help.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
    if (widget->toolTip() != tip) widget->setToolTip(tip);
    if (widget->accessibleDescription() != help) widget->setAccessibleDescription(help);
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
        setHelpText(widget, help);
    }
}
