// Stored-value notes of the editable boxes: which field each box writes, and
// when its note is looked at again.

#include "app/stored_value_mark.h"
#include "app/tform1.h"
#include "ui_tform1.h"

#include <QCheckBox>

using namespace korval;

void TForm1::bindStoredNotes()
{
    const auto note = [this](QLineEdit* box, std::function<StoredNote()> make) {
        m_storedNotes.insert(box, make);
        // Connected after the change handler, so it sees what that stored.
        connect(box, &QLineEdit::textEdited, this, [this, box] { refreshStoredNote(box); });
    };
    const auto integer = [this, note](QLineEdit* box, int bits,
                                      std::function<std::uint32_t()> stored) {
        note(box, [box, bits, stored] { return integerNote(box->text(), bits, stored()); });
    };

    integer(ui->EditFrequenceQuartz, 32, [this] { return drive.FrequenceQuartz; });
    note(ui->EditDureeTour,
         [this] { return floatNote(ui->EditDureeTour->text(), drive.DureeTour); });
    integer(ui->EditPasParTour, 32, [this] { return drive.PasParTour; });
    integer(ui->EditTranchePec, 8, [this] { return currentRecord.TranchePec(); });
    integer(ui->EditPasParTranche, 16, [this] { return currentRecord.PasParTranche(); });
    integer(ui->EditPeriodeTimer, 32, [this] { return currentRecord.PeriodeTimer(); });

    for (int level = 1; level <= kLevelCount; ++level) {
        for (Axis axis : {Axis::AD, Axis::De}) {
            QLineEdit* box = levelEdit(axis, level);
            if (axis == Axis::De && level == 3) {
                // The acceleration time: all eight bits are its value.
                integer(box, 8, [this] { return currentRecord.level(Axis::De, 3); });
            } else {
                note(box, [this, box, axis, level] {
                    return levelNote(box->text(), currentRecord.level(axis, level));
                });
            }
            // A half-step click changes the byte the note speaks of.
            connect(halfStepBox(axis, level), &QCheckBox::clicked, this,
                    [this, box] { refreshStoredNote(box); });
        }
        integer(levelEdit(Axis::Foc, level), 8,
                [this, level] { return currentRecord.level(Axis::Foc, level); });
    }

    integer(ui->EditJeuAD, 16, [this] { return currentRecord.JeuAD(); });
    integer(ui->EditJeuDe, 16, [this] { return currentRecord.JeuDe(); });
    note(ui->EditMaintienFoc, [this] {
        return holdNote(ui->EditMaintienFoc->text(), currentRecord.PeriodeTimer(),
                        currentRecord.MaintienFoc());
    });
    for (int entry = 0; entry < kPwmCount; ++entry)
        integer(pwmEdit(entry), 8, [this, entry] { return currentRecord.Pwm(entry); });
}

void TForm1::refreshStoredNote(QLineEdit* box)
{
    const auto make = m_storedNotes.value(box);
    if (!make) return;
    showStoredNote(box, m_showingRecord ? StoredNote{} : make());
}
