// The period search behind the period box and the candidate list.

#include "app/accessibility.h"
#include "app/box_text.h"
#include "app/tform1.h"
#include "config/fp_fault.h"
#include "timing/period_search.h"
#include "ui_tform1.h"

#include <QListWidget>

using namespace korval;

void TForm1::EditPeriodeClick()
{
    ChercherValeurTimer();
}

void TForm1::ChercherValeurTimer()
{
    QListWidget* list = ui->ListBoxValeurTimer;
    // A fault here (no steps per turn, P beyond a float) leaves the list as it was.
    const SearchSetup setup =
        prepareSearch(drive.FrequenceQuartz, drive.DureeTour, drive.PasParTour);
    drive.PerPas = setup.P;
    list->clear();
    // A fault among the candidates (a worm turn of 0) leaves the list empty.
    const std::vector<Candidate> candidates = searchCandidates(setup);
    const std::vector<std::string> lines = candidateLines(candidates);
    QStringList items;
    items.reserve(int(lines.size()));
    for (const std::string& line : lines)
        items << qs(line);
    list->addItems(items); // one batch, one repaint
    // Beside the line, not in it: the apply step reads the line's text.
    for (int row = 0; row < list->count(); ++row) {
        const QString drift = driftText(candidates[std::size_t(row)].error);
        list->item(row)->setToolTip(drift);
        list->item(row)->setData(Qt::AccessibleDescriptionRole, drift);
    }
    if (!items.isEmpty()) list->setCurrentRow(0);
    list->show();
    list->raise();
    list->repaint();
}

void TForm1::ListBoxValeurTimerDblClick()
{
    QListWidget* list = ui->ListBoxValeurTimer;
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty()) return;
    // The line's text is the only record of the candidate.
    const auto line = parseCandidateLine(selected.constFirst()->text().toStdString());
    if (!line) return;
    const QString drift = selected.constFirst()->toolTip();
    writeText(ui->EditPeriodeTimer, qs(formatText("%d", line->period)));
    const QString n = qs(formatText("%d", line->n));
    writeText(ui->EditV1AD, n);
    writeText(ui->EditV1De, n);
    ui->EditErreur->setText(qs(formatText("%4.2e", double(line->error))));
    setHelpText(ui->EditErreur,
                ui->EditErreur->property("korvalHelp").toString() + QStringLiteral("\n") + drift);
    ui->EditVmax->setText(n);
    // 255 interrupt periods in ms, from the period just stored.
    const Extended maxPeriod =
        multiply(static_cast<Extended>(currentRecord.PeriodeTimer()), 0.000255);
    ui->EditPeriodeMax->setText(qs(formatText("%6.2f", toDouble(maxPeriod))));
    hideCandidateList();
}

void TForm1::searchFromKeyboard()
{
    guarded([this] { EditPeriodeClick(); });
    QListWidget* list = ui->ListBoxValeurTimer;
    if (!list->isVisible()) return; // the search stopped on a fault, shown already
    list->setFocus(Qt::OtherFocusReason);
    if (list->count() > 0) list->setCurrentRow(0);
}
