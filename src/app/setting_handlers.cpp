// Backlash take-up, PWM table and focuser hold time.

#include "app/box_text.h"
#include "app/tform1.h"
#include "axes/drive_settings.h"
#include "ui_tform1.h"

using namespace korval;

void TForm1::EditJeuADChange()
{
    if (const auto value = scanInt(boxText(ui->EditJeuAD))) currentRecord.setJeuAD(low16(*value));
}

void TForm1::EditJeuDeChange()
{
    if (const auto value = scanInt(boxText(ui->EditJeuDe))) currentRecord.setJeuDe(low16(*value));
}

void TForm1::pwmChange(int entry)
{
    if (const auto value = scanInt(boxText(pwmEdit(entry))))
        currentRecord.setPwm(entry, low8(*value));
}

void TForm1::EditMaintienFocChange()
{
    // Typed in milliseconds, held as a count of interrupt periods; a fault
    // (period 0, a count beyond 64 bits) keeps the previous count.
    if (const auto ms = scanFloat(boxText(ui->EditMaintienFoc)))
        currentRecord.setMaintienFoc(holdCount(*ms, currentRecord.PeriodeTimer()));
}
