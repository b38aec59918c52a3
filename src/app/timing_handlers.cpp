// Change handlers of the timing boxes: quartz, worm turn, steps per turn, PEC
// slicing and interrupt period.

#include "app/box_text.h"
#include "app/tform1.h"
#include "timing/time_per_step.h"
#include "ui_tform1.h"

using namespace korval;

void TForm1::EditFrequenceQuartzChange()
{
    if (const auto value = scanInt(boxText(ui->EditFrequenceQuartz)))
        drive.FrequenceQuartz = bits32(*value);
    // A new tick calls for a new search: the period shows blank until then,
    // while the stored period keeps its value.
    writeText(ui->EditPeriodeTimer, QString());
}

void TForm1::EditDureeTourChange()
{
    if (const auto value = scanFloat(boxText(ui->EditDureeTour))) drive.DureeTour = *value;
    refreshPerPas();
}

void TForm1::EditPasParTourChange()
{
    if (const auto value = scanInt(boxText(ui->EditPasParTour))) drive.PasParTour = bits32(*value);
    refreshPerPas();
}

void TForm1::refreshPerPas()
{
    drive.PerPas = perPasSeconds(drive.DureeTour, drive.PasParTour);
    ui->EditPerPas->setText(qs(perPasText(drive.PerPas)));
}

void TForm1::EditTranchePecChange()
{
    if (const auto value = scanInt(boxText(ui->EditTranchePec)))
        currentRecord.setTranchePec(low8(*value));
}

void TForm1::EditPasParTrancheChange()
{
    if (const auto value = scanInt(boxText(ui->EditPasParTranche)))
        currentRecord.setPasParTranche(low16(*value));
}

void TForm1::EditPeriodeTimerChange()
{
    // Neither the error nor the maximum displays follow a period typed by hand.
    if (const auto value = scanInt(boxText(ui->EditPeriodeTimer)))
        currentRecord.setPeriodeTimer(bits32(*value));
}
