#pragma once
// What the « Monture… » dialog says and does, once for the Qt window, the
// Windows window and the page: its title, the titles of its two pages, the
// captions and help texts of its inputs, the tracking rates its lists offer,
// and what « Appliquer » writes into the window on each page and when it may.
// Each front end only lays these out with its own controls.

#include "axes/drift_calibration.h"
#include "axes/mount_assistant.h"

#include <array>
#include <string>
#include <vector>

namespace korval
{

const char* mountDialogTitle(); // "Monture"

// The dialog's pages, in the order of their tabs.
enum class MountPage { GearTrain, Calibration };
constexpr int kMountPageCount = 2;
const char* mountPageTitle(MountPage page); // "Train d'engrenages", "Calibration"

// The rates both rate lists offer, the first one chosen at opening.
const std::array<const char*, 4>& trackingRateNames(); // "sidéral", "solaire", ...
const char* trackingRateHelp(); // the lists' tooltip
const char* trackingRateNote(); // the page's short note beside a list

// The tooltip of a gear-train box ("Nombre de dents de la roue ..."), and the
// page's short note beside it ("144, 359…"); the tooltip is empty for the rate.
const char* mountInputHelp(MountInput input);
const char* mountInputNote(MountInput input);
// The page's short note beside a calibration box; empty for the rate and settings.
const char* calibrationInputNote(CalibrationInput input);

const char* halfStepCaption();      // "V1 en demi-pas (deux fois plus de pas)"
const char* driftDirectionCaption(); // "Sens de la dérive"
const char* driftDirectionName(DriftDirection direction); // "vers l'est", "vers l'ouest"
const char* mountApplyCaption();     // "Appliquer"
const char* mountCloseCaption();     // "Fermer"
const char* mountApplyHelp(MountPage page);

// One text « Appliquer » types into a box of the window, as the user would.
struct BoxText {
    const char* control; // "EditDureeTour", "EditPasParTour"
    std::string text;
};

// The two pages' last results and the page shown: what « Appliquer » writes,
// and whether it may (not while the shown page's inputs are refused).
struct MountDialogState {
    MountPage page = MountPage::GearTrain;
    MountPanel gearTrain;
    CalibrationPanel calibration;

    std::vector<BoxText> applyWrites() const;
    bool applicable() const { return !applyWrites().empty(); }
};

} // namespace korval
