// monture FICHIER.kv2 --derive ... --pendant ...: the worm turn that the file
// drives, corrected from the drift of a star timed while the mount tracks,
// the period search's answer for it, and storing the corrected DureeTour.

#include "cli/monture_calibration.h"

#include "axes/drift_calibration.h"
#include "cli/cli_common.h"
#include "cli/json_output.h"
#include "config/fp_fault.h"
#include "config/number_text.h"

using namespace korval;

namespace cli
{

const char* const kMontureCalibrationHelp =
    "\n"
    "Utilisation : korvalset24-cli monture FICHIER.kv2 --derive SECONDES_ARC --pendant DURÉE\n"
    "                [--vers est|ouest] [--declinaison DEGRÉS] [--echelle ″/PIXEL]\n"
    "                [--suivi VITESSE] [-o SORTIE.kv2] [--json]\n"
    "Corrige la DureeTour du fichier depuis la dérive d'une étoile en ascension\n"
    "droite, mesurée pendant que la monture suit (sans les options du train) :\n"
    "  e = d / (r x t x cos δ)      erreur de suivi ; d en ″, positive vers l'ouest\n"
    "                               (la monture retarde), r le suivi en ″/s\n"
    "                               (sidéral : 1296000 / 86164.0905), t en secondes\n"
    "  T = V1AD x PeriodeTimer x 1e-9 x PasParTour   tour de vis que fait le fichier\n"
    "  DureeTour = T x (1 - e)      en précision étendue, arrondie une fois au float\n"
    "puis la meilleure ligne de la recherche de période pour cette DureeTour.\n"
    "  --derive SECONDES_ARC  la dérive mesurée (en pixels avec --echelle)\n"
    "  --pendant DURÉE        la durée de la mesure : 10:00, 600s ou 10min\n"
    "  --vers est|ouest       le sens de la dérive, ouest par défaut : vers l'ouest\n"
    "                         (où filent les étoiles suivi arrêté) la monture suit\n"
    "                         trop lentement, au nord comme au sud\n"
    "  --declinaison DEGRÉS   la déclinaison de l'étoile, 0 par défaut, entre -90 et 90\n"
    "  --echelle ″/PIXEL      l'échelle de la caméra : --derive est alors en pixels\n"
    "  -o SORTIE.kv2          enregistre la DureeTour corrigée et SORTIE.hex à côté\n"
    "\n"
    "Exemple : korvalset24-cli monture monture.kv2 --derive 15.04 --pendant 1:00\n";

namespace
{
const char* const kVerb = "monture";

std::string json(const CalibrationResult& m)
{
    const CalibrationSettings& s = m.settings;
    const bool pixels = m.plateScale > 0;
    Json t = Json::object();
    t["DeriveSecondesArc"] = jsonNumber(m.driftArcsec);
    t["DerivePixels"] = pixels ? jsonNumber(m.driftPixels) : Json(nullptr);
    t["EchelleSecondesArcParPixel"] = pixels ? jsonNumber(m.plateScale) : Json(nullptr);
    t["Vers"] = m.direction == DriftDirection::West ? "ouest" : "est";
    t["Secondes"] = jsonNumber(m.seconds);
    t["Declinaison"] = jsonNumber(m.declination);
    t["CosDeclinaison"] = jsonNumber(m.cosDeclination);
    t["Suivi"] = m.rateName;
    t["SuiviSecondesArcParSeconde"] = jsonNumber(m.trackingRate);
    t["ErreurSuivi"] = jsonNumber(m.error);
    t["DeriveSecondesParJour"] = jsonNumber(m.driftPerDay);
    t["V1AD"] = unsigned(s.v1Count);
    t["PeriodeTimer"] = s.PeriodeTimer;
    t["PasParTour"] = s.PasParTour;
    t["TourDeVis"] = jsonNumber(m.wormTurn);
    t["DureeTourFichier"] = jsonFloat(s.DureeTour);
    t["DureeTour"] = jsonFloat(m.DureeTour);
    t["Lignes"] = m.lineCount;
    if (m.best)
        t["Meilleure"] = Json{{"ligne", candidateLine(*m.best)},
                              {"periode", m.best->period},
                              {"erreur", jsonNumber(m.best->error)},
                              {"k", m.best->k},
                              {"n", m.best->n},
                              {"deriveSecondesParJour", jsonNumber(m.best->error * 86400.0)}};
    else
        t["Meilleure"] = nullptr;
    if (!m.searchFault.empty()) t["ErreurRecherche"] = m.searchFault;
    return jsonText(t);
}

// The gear train is the other way to DureeTour: given with a drift it is a
// mistake, said as such rather than as an unknown option.
std::string gearTrainOption(const std::vector<std::string>& arguments)
{
    for (const std::string& a : arguments) {
        if (a == "--") break;
        for (const char* option : {"--dents", "--pas-moteur", "--reduction", "--demi-pas"})
            if (a == option) return a;
    }
    return {};
}
} // namespace

int runMontureCalibration(const std::vector<std::string>& arguments)
{
    const std::string gear = gearTrainOption(arguments);
    if (!gear.empty())
        return usage(
            kVerb,
            gear + " ne va pas avec --derive : la correction part de la DureeTour du fichier");
    const Arguments args(arguments,
                         {{"--derive", {}},
                          {"--pendant", {}},
                          {"--vers", {}},
                          {"--declinaison", {}},
                          {"--echelle", {}},
                          {"--suivi", {}},
                          outputOption()},
                         {jsonOption()});
    if (!args.ok()) return usage(kVerb, args.error());
    const auto has = [&args](const char* option) { return args.has(option); };
    if (!has("--pendant")) return usage(kVerb, "--pendant est attendu avec --derive");
    if (args.positional().size() != 1)
        return usage(kVerb, "un FICHIER.kv2 est attendu : la correction part de sa DureeTour");

    CalibrationTexts texts;
    texts.drift = args.value("--derive");
    texts.duration = args.value("--pendant");
    if (has("--echelle")) texts.plateScale = args.value("--echelle");
    if (has("--declinaison")) texts.declination = args.value("--declinaison");
    if (has("--suivi")) texts.rate = args.value("--suivi");
    if (has("--vers")) {
        const auto direction = parseDriftDirection(args.value("--vers"));
        if (!direction)
            return usage(kVerb,
                         "--vers : « " + args.value("--vers") + " » : est ou ouest est attendu");
        texts.direction = *direction;
    }
    // An empty scale would read as none: the drift would pass for arcseconds.
    if (has("--echelle") && texts.plateScale.find_first_not_of(" \t") == std::string::npos)
        return usage(kVerb, "--echelle : aucune échelle, un nombre de ″ par pixel est attendu");

    ConfigRecord record;
    DriveParameters drive;
    std::string message;
    if (!readParameterFile(args.positional().front(), record, drive, message)) {
        fail(kVerb, message);
        return kFailure;
    }
    const CalibrationOutcome outcome =
        computeCalibration(texts, calibrationSettings(record, drive));
    if (outcome.fault) {
        fail(kVerb, calibrationFaultText(*outcome.fault, true) + " ; rien n'est écrit");
        return kFailure;
    }
    const CalibrationResult& result = *outcome.result;
    if (has("-o")) {
        drive.DureeTour = result.DureeTour;
        if (!saveParameterFile(args.value("-o"), record, drive, message)) {
            fail(kVerb, message);
            return kFailure;
        }
    }
    out(has("--json") ? json(result) : calibrationReport(result));
    return kSuccess;
}

} // namespace cli
