#pragma once
// The mount assistant's dialog: the gear train and the tracking rate in, the
// worm-turn time, the steps per turn and the speeds in the sky out, live.
// "Appliquer" types DureeTour and PasParTour into their boxes of the window;
// the period search then runs as usual. Its « Calibration » tab corrects the
// window's DureeTour from a drift timed on the sky; there "Appliquer" types
// the corrected DureeTour alone. Nothing is kept between openings.

#include "axes/mount_dialog_texts.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TForm1;

class MountDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MountDialog(TForm1& form);

    // Writes the current tab's results into the window's boxes, as typing
    // would, then closes.
    void apply();

private:
    QWidget* gearTrainTab();
    QWidget* calibrationTab();
    void recompute();
    void chooseMount(int choice); // fills the gear train from the list's row
    void recomputeCalibration();
    void showApplicable();

    TForm1& m_form;
    QComboBox* m_mount;
    QLineEdit* m_teeth;
    QLineEdit* m_motorSteps;
    QLineEdit* m_reduction;
    QCheckBox* m_halfStep;
    QComboBox* m_rate;
    QPlainTextEdit* m_results;
    QPushButton* m_apply;
    korval::MountDialogState m_state; // both pages' results, what "Appliquer" writes

    QTabWidget* m_tabs;
    QLineEdit* m_drift;
    QLineEdit* m_plateScale;
    QLineEdit* m_duration;
    QRadioButton* m_east;
    QRadioButton* m_west;
    QLineEdit* m_declination;
    QComboBox* m_calibrationRate;
    QPlainTextEdit* m_calibrationResults;
};

// Opens a fresh dialog over the window, modal to it but without blocking the
// caller: the tests drive it offscreen. It deletes itself when closed.
MountDialog* openMountDialog(TForm1& form);
