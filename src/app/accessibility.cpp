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

void describe(QWidget* widget, const QString& name, const QString& help)
{
    widget->setAccessibleName(name);
    if (help.isEmpty()) return;
    widget->setProperty("korvalHelp", help);
    setHelpText(widget, help);
}

const QString kReadOnly = QStringLiteral(" Lecture seule.");

QString integerRange(int bits)
{
    const QString max = bits == 8    ? QStringLiteral("255")
                        : bits == 16 ? QStringLiteral("65535")
                                     : QStringLiteral("4294967295");
    return QStringLiteral("Nombre entier sur %1 bits, de 0 à %2 ; un nombre plus grand ou "
                          "négatif est enregistré tronqué à %1 bits.")
        .arg(bits)
        .arg(max);
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

QString driftText(double error)
{
    return QStringLiteral("dérive : %1 s/jour").arg(error * 86400.0, 0, 'g', 3);
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

    describe(ui->EditFrequenceQuartz, caption(ui->Label22),
             QStringLiteral("Fréquence du quartz du contrôleur, en hertz. ") + integerRange(32) +
                 QStringLiteral(" Une nouvelle fréquence efface la période IT : relancez la "
                                "recherche."));
    describe(ui->EditDureeTour, caption(ui->Label23),
             QStringLiteral("Durée d'un tour de la vis sans fin AD, en secondes. Nombre à virgule "
                            "sur 32 bits, avec un point décimal (598.361816)."));
    describe(ui->EditPasParTour, caption(ui->Label24),
             QStringLiteral("Nombre de pas moteur par tour de vis AD. ") + integerRange(32));
    describe(ui->EditTranchePec, caption(ui->Label25),
             QStringLiteral("Nombre de tranches de la correction d'erreur périodique (PEC), moins "
                            "un. ") +
                 integerRange(8));
    describe(ui->EditPasParTranche, caption(ui->Label26),
             QStringLiteral("Nombre de pas moteur par tranche PEC. ") + integerRange(16));
    describe(ui->EditPeriodeTimer, caption(ui->Label33),
             QStringLiteral("Période de l'interruption du timer, en nanosecondes. ") +
                 integerRange(32) +
                 QStringLiteral(" Un clic, F4 ou Alt+Bas ouvre la liste des périodes proposées "
                                "(Entrée applique, Échap ferme)."));
    describe(ui->EditPerPas, QStringLiteral("Temps par pas (ms)"),
             QStringLiteral("Temps d'un pas moteur, en millisecondes : durée d'un tour de vis AD "
                            "divisée par le nombre de pas par tour.") +
                 kReadOnly);
    describe(ui->EditErreur, caption(ui->Label35),
             QStringLiteral("Erreur relative du temps par pas de la période appliquée depuis la "
                            "liste (sans unité), lue sur sa ligne.") +
                 kReadOnly);
    describe(ui->EditVmax, caption(ui->Label34),
             QStringLiteral("Nombre d'interruptions par pas de la période appliquée depuis la "
                            "liste, écrit aussi dans V1 AD et V1 De.") +
                 kReadOnly);
    describe(ui->EditPeriodeMax, caption(ui->Label36),
             QStringLiteral("Durée de 255 périodes IT, en millisecondes : période IT appliquée × "
                            "255.") +
                 kReadOnly);

    for (int level = 1; level <= kLevelCount; ++level) {
        const QString row = rowCaption(ui->GroupBox1, level);
        for (Axis axis : {Axis::AD, Axis::De}) {
            const QString where = row + QLatin1Char(' ') + axisCaption[axisIndex(axis)];
            const QString v1 =
                rowCaption(ui->GroupBox1, 1) + QLatin1Char(' ') + axisCaption[axisIndex(axis)];
            if (axis == Axis::De && level == 3) {
                // The De slot V3 holds the acceleration time, in its own group.
                describe(form.levelEdit(axis, level),
                         QStringLiteral("%1 (%2)").arg(ui->GroupBox5->title(), caption(ui->Label7)),
                         QStringLiteral("Temps d'accélération, en secondes entières. ") +
                             integerRange(8));
            } else {
                describe(
                    form.levelEdit(axis, level), where,
                    QStringLiteral("Vitesse %1 : nombre d'interruptions du timer entre deux "
                                   "pas moteur, de 0 à 127. Le bit 7 (128) est le drapeau "
                                   "demi-pas, donné par la case 1/2 ; un nombre de 128 ou plus "
                                   "le met lui-même, un nombre au-delà de 255 ou négatif est "
                                   "tronqué à 8 bits.")
                        .arg(where));
            }
            describe(
                form.halfStepBox(axis, level), where + QStringLiteral(" demi-pas"),
                QStringLiteral("Demi-pas de %1 : cochée, le bit 7 de l'octet de la vitesse est "
                               "mis ; un demi-pas vaut huit pas simples dans les rapports X.")
                    .arg(where));
            describe(form.ratioDisplay(axis, level), ratioColumn + QLatin1Char(' ') + where,
                     QStringLiteral("Rapport X de %1 : sa vitesse en multiple de celle de %2, "
                                    "calculé de leurs nombres d'interruptions et de leurs cases "
                                    "demi-pas.")
                             .arg(where, v1) +
                         kReadOnly);
        }
        const QString focuser = row + QLatin1Char(' ') + axisCaption[2];
        describe(form.levelEdit(Axis::Foc, level), focuser,
                 QStringLiteral("Vitesse %1 du focuser : nombre d'interruptions du timer entre "
                                "deux pas moteur, de 0 à 255 ; un nombre plus grand est ramené à "
                                "255, un nombre négatif est tronqué à 8 bits.")
                     .arg(focuser));
        describe(form.msDisplay(level), msColumn + QLatin1Char(' ') + focuser,
                 QStringLiteral("Intervalle entre deux pas de %1, en millisecondes : son nombre "
                                "d'interruptions × la période IT au moment où il a été saisi.")
                         .arg(focuser) +
                     kReadOnly);
    }

    for (Axis axis : {Axis::AD, Axis::De}) {
        const QString name = caption(ui->Label13) + QLatin1Char(' ') + axisCaption[axisIndex(axis)];
        describe(
            axis == Axis::AD ? ui->EditJeuAD : ui->EditJeuDe, name,
            QStringLiteral("%1 : pas moteur qui rattrapent le jeu à chaque changement de sens. ")
                    .arg(name) +
                integerRange(16));
    }
    describe(ui->EditMaintienFoc,
             QStringLiteral("%1 (%2)").arg(caption(ui->Label14), ui->GroupBox3->title()),
             QStringLiteral("Durée de maintien du focuser, en millisecondes, avec un point "
                            "décimal. Enregistrée en nombre de périodes IT (de 0 à 255) à la "
                            "période IT du moment ; au-delà de 255 seuls les 8 bits bas restent."));
    for (int entry = 0; entry < kPwmCount; ++entry) {
        const QString name = QStringLiteral("PWM%1").arg(entry); // the caption of its row
        describe(form.pwmEdit(entry), name,
                 QStringLiteral("Entrée %1 de la table PWM des moteurs. ").arg(entry) +
                     integerRange(8));
    }

    for (QPushButton* button : {ui->ButtonOuvrir, ui->ButtonValider, ui->ButtonSauvegarder})
        describe(button, button->text(), QString());
    for (QGroupBox* group :
         {ui->GroupBox1, ui->GroupBox2, ui->GroupBox3, ui->GroupBox4, ui->GroupBox5})
        describe(group, group->title(), QString());
    describe(ui->ListBoxValeurTimer, QStringLiteral("Périodes IT proposées"),
             QStringLiteral("Périodes IT proposées, la plus juste d'abord : période (ns), erreur "
                            "relative, tics par interruption X interruptions par pas. Entrée ou "
                            "double-clic applique la ligne, Échap ferme la liste."));
}
