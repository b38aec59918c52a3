#include "mount_dialog_texts.h"

namespace korval
{

const char* mountDialogTitle()
{
    return "Monture";
}

const char* mountPageTitle(MountPage page)
{
    return page == MountPage::Calibration ? "Calibration" : "Train d'engrenages";
}

const std::array<const char*, 4>& trackingRateNames()
{
    static const std::array<const char*, 4> names{"sidéral", "solaire", "lunaire", "King"};
    return names;
}

const char* trackingRateHelp()
{
    return "sidéral (l'axe tourne en 86164.0905 s), solaire (15.0 ″/s), lunaire (14.685 ″/s), "
           "King (15.0369 ″/s), ou une vitesse tapée en ″/s.";
}

const char* trackingRateNote()
{
    return "sidéral, solaire, lunaire, King ou ″/s";
}

const char* mountInputHelp(MountInput input)
{
    switch (input) {
    case MountInput::Teeth:
        return "Nombre de dents de la roue de l'axe AD (144, 359...).";
    case MountInput::MotorSteps:
        return "Pas du moteur par tour (200, 400, 48...).";
    case MountInput::Reduction:
        return "Réduction entre le moteur et la vis, un ou plusieurs étages : 3, 120, 50 x 3, "
               "60/17 ; 1 sans réducteur.";
    case MountInput::Rate: // the rate list has its own
        break;
    }
    return "";
}

const char* mountInputNote(MountInput input)
{
    switch (input) {
    case MountInput::Teeth:
        return "144, 359…";
    case MountInput::MotorSteps:
        return "200, 400, 48…";
    case MountInput::Reduction:
        return "3, 120, 50 x 3, 60/17 ; 1 sans réducteur";
    case MountInput::Rate:
        return trackingRateNote();
    }
    return "";
}

const char* calibrationInputNote(CalibrationInput input)
{
    switch (input) {
    case CalibrationInput::Drift:
        return "en ″ ; en pixels si l'échelle est donnée";
    case CalibrationInput::PlateScale:
        return "vide : la dérive est en ″";
    case CalibrationInput::Duration:
        return "10:00, 600s ou 10min";
    case CalibrationInput::Declination:
        return "en degrés, négative au sud ; vide : 0";
    case CalibrationInput::Rate:
        return trackingRateNote();
    case CalibrationInput::Settings:
        break;
    }
    return "";
}

const char* halfStepCaption()
{
    return "V1 en demi-pas (deux fois plus de pas)";
}

const char* driftDirectionCaption()
{
    return "Sens de la dérive";
}

const char* driftDirectionName(DriftDirection direction)
{
    return direction == DriftDirection::East ? "vers l'est" : "vers l'ouest";
}

const char* mountApplyCaption()
{
    return "Appliquer";
}

const char* mountCloseCaption()
{
    return "Fermer";
}

const char* mountApplyHelp(MountPage page)
{
    return page == MountPage::Calibration
               ? "Écrit la DureeTour corrigée dans la fenêtre ; cliquez ensuite dans « Période IT "
                 "(ns) »."
               : "Écrit DureeTour et PasParTour dans la fenêtre ; cliquez ensuite dans « Période "
                 "IT (ns) ».";
}

std::vector<BoxText> MountDialogState::applyWrites() const
{
    // An empty text is a refused input: nothing to write.
    if (page == MountPage::Calibration) {
        if (calibration.dureeTour.empty()) return {};
        return {{"EditDureeTour", calibration.dureeTour}};
    }
    if (gearTrain.dureeTour.empty()) return {};
    return {{"EditDureeTour", gearTrain.dureeTour}, {"EditPasParTour", gearTrain.pasParTour}};
}

} // namespace korval
