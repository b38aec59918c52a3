#include "mount_dialog_texts.h"

namespace korval
{

namespace
{
constexpr const char* kRateNote = "sidéral, solaire, lunaire, King ou ″/s";
} // namespace

const char* mountPageTitle(MountPage page)
{
    return page == MountPage::Calibration ? "Calibration" : "Train d'engrenages";
}

const char* mountApplyHelp(MountPage page)
{
    return page == MountPage::Calibration
               ? "Écrit la DureeTour corrigée dans la fenêtre ; cliquez ensuite dans « Période IT "
                 "(ns) »."
               : "Écrit DureeTour et PasParTour dans la fenêtre ; cliquez ensuite dans « Période "
                 "IT (ns) ».";
}

// In the order of MountInput: teeth, motor steps, reduction, rate.
const char* mountInputHelp(MountInput input)
{
    static const char* const help[] = {
        "Nombre de dents de la roue de l'axe AD (144, 359...).",
        "Pas du moteur par tour (200, 400, 48...).",
        "Réduction entre le moteur et la vis, un ou plusieurs étages : 3, 120, 50 x 3, 60/17 ; 1 "
        "sans réducteur.",
        ""};
    return help[int(input)];
}

const char* mountInputNote(MountInput input)
{
    static const char* const notes[] = {"144, 359…", "200, 400, 48…",
                                        "3, 120, 50 x 3, 60/17 ; 1 sans réducteur", kRateNote};
    return notes[int(input)];
}

// In the order of CalibrationInput: drift, plate scale, duration, declination, rate, settings.
const char* calibrationInputNote(CalibrationInput input)
{
    static const char* const notes[] = {"en ″ ; en pixels si l'échelle est donnée",
                                        "vide : la dérive est en ″",
                                        "10:00, 600s ou 10min",
                                        "en degrés, négative au sud ; vide : 0",
                                        kRateNote,
                                        ""};
    return notes[int(input)];
}

const char* driftDirectionName(DriftDirection direction)
{
    return direction == DriftDirection::East ? "vers l'est" : "vers l'ouest";
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
