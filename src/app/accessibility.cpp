#include "accessibility.h"

#include "app/tform1.h"
#include "ui_tform1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>

using namespace korval;

namespace
{
QString caption(const QLabel* label)
{
    return label->text().simplified(); // "Fréquence du  Quartz (Hz)" reads with one blank
}

// The row caption of level n in the speed-level group: "V2 (Guide)", or the
// bare level where the group has none (V3).
QString rowCaption(const QGroupBox* group, int level)
{
    const QRegularExpression row(QStringLiteral("^V%1( |$)").arg(level));
    const QList<QLabel*> labels = group->findChildren<QLabel*>();
    for (const QLabel* label : labels)
        if (row.match(label->text()).hasMatch()) return caption(label);
    return QStringLiteral("V%1").arg(level);
}

// The name is the window's own; the help is the form model's.
void describe(const TForm1& form, QWidget* widget, const QString& name)
{
    widget->setAccessibleName(name);
    const QString help =
        QString::fromStdString(form.model().baseHelp(widget->objectName().toStdString()));
    if (help.isEmpty()) return;
    widget->setProperty("korvalHelp", help);
    setHelpText(widget, help);
}
} // namespace

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
    Ui::TForm1* ui = form.form();
    const QString axisCaption[] = {caption(ui->Label10), caption(ui->Label11),
                                   caption(ui->Label12)};
    const QString ratioColumn = caption(ui->Label27); // "X"
    const QString msColumn = caption(ui->Label29);    // "ms"
    const auto axisIndex = [](Axis axis) {
        return axis == Axis::AD ? 0 : axis == Axis::De ? 1 : 2;
    };
    const auto named = [&form](QWidget* widget, const QString& name) {
        describe(form, widget, name);
    };

    named(ui->EditFrequenceQuartz, caption(ui->Label22));
    named(ui->EditDureeTour, caption(ui->Label23));
    named(ui->EditPasParTour, caption(ui->Label24));
    named(ui->EditTranchePec, caption(ui->Label25));
    named(ui->EditPasParTranche, caption(ui->Label26));
    named(ui->EditPeriodeTimer, caption(ui->Label33));
    named(ui->EditPerPas, QStringLiteral("Temps par pas (ms)"));
    named(ui->EditErreur, caption(ui->Label35));
    named(ui->EditVmax, caption(ui->Label34));
    named(ui->EditPeriodeMax, caption(ui->Label36));

    for (int level = 1; level <= kLevelCount; ++level) {
        const QString row = rowCaption(ui->GroupBox1, level);
        for (Axis axis : {Axis::AD, Axis::De}) {
            const QString where = row + QLatin1Char(' ') + axisCaption[axisIndex(axis)];
            if (axis == Axis::De && level == 3) {
                // The De slot V3 holds the acceleration time, in its own group.
                named(form.levelEdit(axis, level),
                      QStringLiteral("%1 (%2)").arg(ui->GroupBox5->title(), caption(ui->Label7)));
            } else {
                named(form.levelEdit(axis, level), where);
            }
            named(form.halfStepBox(axis, level), where + QStringLiteral(" demi-pas"));
            named(form.ratioDisplay(axis, level), ratioColumn + QLatin1Char(' ') + where);
        }
        const QString focuser = row + QLatin1Char(' ') + axisCaption[2];
        named(form.levelEdit(Axis::Foc, level), focuser);
        named(form.msDisplay(level), msColumn + QLatin1Char(' ') + focuser);
    }

    for (Axis axis : {Axis::AD, Axis::De})
        named(axis == Axis::AD ? ui->EditJeuAD : ui->EditJeuDe,
              caption(ui->Label13) + QLatin1Char(' ') + axisCaption[axisIndex(axis)]);
    named(ui->EditMaintienFoc,
          QStringLiteral("%1 (%2)").arg(caption(ui->Label14), ui->GroupBox3->title()));
    for (int entry = 0; entry < kPwmCount; ++entry)
        named(form.pwmEdit(entry), QStringLiteral("PWM%1").arg(entry)); // the caption of its row

    for (QPushButton* button : {ui->ButtonOuvrir, ui->ButtonValider, ui->ButtonSauvegarder})
        named(button, button->text());
    for (QGroupBox* group :
         {ui->GroupBox1, ui->GroupBox2, ui->GroupBox3, ui->GroupBox4, ui->GroupBox5})
        named(group, group->title());
    named(ui->ListBoxValeurTimer, QStringLiteral("Périodes IT proposées"));
}
