#pragma once
// What the « Monture… » dialog says and does, once for the Qt window, the
// Windows window and the page: its title, its pages' titles, the captions and
// help texts of its inputs, the rates its lists offer, and what « Appliquer »
// writes into the window on each page and when it may.

#include "axes/drift_calibration.h"
#include "axes/mount_assistant.h"

#include <array>
#include <string>
#include <vector>

namespace korval
{

constexpr const char* kMountDialogTitle = "Monture";
constexpr const char* kHalfStepCaption = "V1 en demi-pas (deux fois plus de pas)";
constexpr const char* kDriftDirectionCaption = "Sens de la dérive";
constexpr const char* kMountApplyCaption = "Appliquer";
constexpr const char* kMountCloseCaption = "Fermer";
// The rates both lists offer, the first chosen at opening, and the lists' tooltip.
constexpr std::array<const char*, 4> kTrackingRateNames{"sidéral", "solaire", "lunaire", "King"};
constexpr const char* kTrackingRateHelp =
    "sidéral (l'axe tourne en 86164.0905 s), solaire (15.0 ″/s), lunaire (14.685 ″/s), King "
    "(15.0369 ″/s), ou une vitesse tapée en ″/s.";

// The dialog's pages, in the order of their tabs.
enum class MountPage { GearTrain, Calibration };
constexpr int kMountPageCount = 2;
const char* mountPageTitle(MountPage page); // "Train d'engrenages", "Calibration"
const char* mountApplyHelp(MountPage page); // the tooltip of « Appliquer »

// A gear-train box's tooltip ("Nombre de dents de la roue ...", empty for the
// rate), and the page's short note beside each input ("144, 359…").
const char* mountInputHelp(MountInput input);
const char* mountInputNote(MountInput input);
const char* calibrationInputNote(CalibrationInput input); // empty for the settings
const char* driftDirectionName(DriftDirection direction); // "vers l'est", "vers l'ouest"

// One text « Appliquer » types into a box of the window, as the user would.
struct BoxText {
    const char* control; // "EditDureeTour", "EditPasParTour"
    std::string text;
};

// Both pages' last results and the page shown: what « Appliquer » writes,
// nothing while the shown page's inputs are refused.
struct MountDialogState {
    MountPage page = MountPage::GearTrain;
    MountPanel gearTrain;
    CalibrationPanel calibration;

    std::vector<BoxText> applyWrites() const;
    bool applicable() const { return !applyWrites().empty(); }
};

} // namespace korval
