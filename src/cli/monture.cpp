// monture: DureeTour and PasParTour from the mount's gear train and the
// tracking rate, the speeds of the levels in the sky, and storing both values
// as the window's assistant does before the period search.

#include "axes/mount_assistant.h"
#include "axes/mount_table.h"
#include "cli/cli_common.h"
#include "cli/json_output.h"
#include "cli/monture_calibration.h"
#include "cli/verbs.h"
#include "config/fp_fault.h"

#include <algorithm>

using namespace korval;

namespace cli
{

namespace
{
const char* const kHelp =
    "Utilisation : korvalset24-cli monture [--monture NOM] --dents N --pas-moteur N\n"
    "                --reduction TEXTE [--demi-pas]\n"
    "                [--suivi sideral|solaire|lunaire|king|VITESSE]\n"
    "                [FICHIER.kv2 -o SORTIE.kv2] [--json]\n"
    "              korvalset24-cli monture --liste\n"
    "Calcule, depuis le train d'engrenages de l'axe AD et la vitesse de suivi :\n"
    "  DureeTour   durée d'un tour de vis = période de l'axe / dents de la roue\n"
    "  PasParTour  pas moteur x réduction (x 2 en demi-pas), qui doit être entier ;\n"
    "              sinon les deux entiers voisins et l'erreur de suivi de chacun,\n"
    "              le plus proche étant retenu\n"
    "puis la résolution par pas et, avec les niveaux et la PeriodeTimer du fichier\n"
    "(sans fichier : les valeurs d'usine), la vitesse de V1 à V7 de AD et De dans\n"
    "le ciel : ″/s, °/s, fois le suivi, et la durée d'un basculement de 90° pour\n"
    "les niveaux d'au moins 8 fois le suivi. De est pris avec le même train que AD.\n"
    "  --monture NOM      une monture courante (EQ3-2, EQ5, HEQ5, EQ6, G11, GM8,\n"
    "                     LXD55 ; casse et accents libres, neq6, heq5...) : ses dents,\n"
    "                     et son moteur et sa réduction d'origine quand ils sont\n"
    "                     publiés ; --dents, --pas-moteur, --reduction donnés\n"
    "                     l'emportent. Une monture modifiée par son propriétaire\n"
    "                     (autre moteur, courroie) garde ses dents, pas le moteur.\n"
    "  --liste            la table des montures et la source de chaque nombre\n"
    "  --dents N          dents de la roue de l'axe (144, 359...)\n"
    "  --pas-moteur N     pas du moteur par tour (200, 400, 48...)\n"
    "  --reduction TEXTE  réduction moteur -> vis, un ou plusieurs étages :\n"
    "                     3, 120, \"50 x 3\", 50x3, 50*3, 60/17, 2.5\n"
    "  --demi-pas         V1 tourne en demi-pas : deux fois plus de pas\n"
    "  --suivi VITESSE    sideral (l'axe tourne en 86164.0905 s, par défaut),\n"
    "                     solaire (15.0 ″/s), lunaire (14.685 ″/s), king (15.0369 ″/s)\n"
    "                     ou une vitesse en ″/s (15.041)\n"
    "  --json             les résultats sous DureeTour, PasParTour et d'autres noms\n"
    "  FICHIER.kv2 -o SORTIE.kv2\n"
    "                     enregistre DureeTour et PasParTour dans SORTIE.kv2 (le reste\n"
    "                     vient de FICHIER.kv2) et SORTIE.hex à côté ; lancez ensuite\n"
    "                     « korvalset24-cli search SORTIE.kv2 --apply 1 -o ... ».\n"
    "Une entrée refusée (0, négative, lettres, étage vide, vitesse nulle) donne le\n"
    "code 2 et rien n'est écrit.\n"
    "\n"
    "Exemple : korvalset24-cli monture --dents 144 --pas-moteur 200 --reduction 128\n"
    "Nom français : --sortie (-o).\n";

std::string json(const MountResult& m, const ConfigRecord& record)
{
    Json t = Json::object();
    t["DureeTour"] = jsonFloat(m.DureeTour);
    t["PasParTour"] = m.PasParTour;
    t["PasParTourEntier"] = m.stepsWhole;
    t["PasParTourExact"] = jsonNumber(double(m.exactSteps.num) / double(m.exactSteps.den));
    Json& roundings = t["Arrondis"] = Json::array();
    for (const auto& rounding : m.roundings)
        roundings.push_back(Json{{"PasParTour", rounding.steps},
                                 {"erreurSuivi", jsonNumber(rounding.error)},
                                 {"deriveSecondesParJour", jsonNumber(rounding.driftPerDay)}});
    t["Suivi"] = m.rateName;
    t["SuiviSecondesArcParSeconde"] = jsonNumber(m.trackingRate);
    t["SecondesArcParPas"] = jsonNumber(m.arcsecPerStep);
    t["PeriodeTimer"] = record.PeriodeTimer();
    Json& speeds = t["Vitesses"] = Json::object();
    for (const AxisSpeeds& axis : skySpeeds(m, record)) {
        const std::string suffix = axis.axis == Axis::AD ? "AD" : "De";
        Json& levels = speeds[suffix] = Json::array();
        for (const LevelSpeed& s : axis.levels) {
            Json level = {{"niveau", "V" + std::to_string(s.level) + suffix}};
            if (s.acceleration) {
                level["accelerationSecondes"] = s.count;
                levels.push_back(level);
                continue;
            }
            level["nombre"] = s.count;
            level["demiPas"] = s.halfStep;
            if (!s.moves) {
                level["secondesArcParSeconde"] = nullptr;
                levels.push_back(level);
                continue;
            }
            level["secondesArcParSeconde"] = jsonNumber(s.arcsecPerSecond);
            level["degresParSeconde"] = jsonNumber(s.degreesPerSecond);
            level["foisSuivi"] = jsonNumber(s.timesTracking);
            level["basculement90Secondes"] = s.fast ? jsonNumber(s.slew90Seconds) : Json(nullptr);
            levels.push_back(level);
        }
    }
    return jsonText(t);
}
} // namespace

int runMonture(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string(kHelp) + kMontureCalibrationHelp);
        return kSuccess;
    }
    // The calibration from a drift on the sky: its own options, no gear train.
    if (std::find(arguments.begin(), arguments.end(), "--derive") != arguments.end())
        return runMontureCalibration(arguments);
    const Arguments args(arguments,
                         {{"--dents", {}},
                          {"--pas-moteur", {}},
                          {"--reduction", {}},
                          {"--suivi", {}},
                          {"--monture", {}},
                          outputOption()},
                         {{"--demi-pas", {}}, {"--liste", {}}, jsonOption()});
    if (!args.ok()) return usage("monture", args.error());
    if (args.has("--liste")) {
        out(mountTableText());
        return kSuccess;
    }

    MountTexts texts;
    const MountModel* model = nullptr;
    if (args.has("--monture")) {
        model = findMountModel(args.value("--monture"));
        if (!model) {
            fail("monture",
                 "--monture : « " + args.value("--monture") +
                     " » n'est pas une monture connue ; montures connues : " + mountModelNames());
            return kFailure;
        }
        texts = filledByModel(*model, texts);
    }
    for (const char* needed : {"--dents", "--pas-moteur", "--reduction"}) {
        const bool filled = model && (std::string(needed) == "--dents" || model->motorSteps);
        if (args.has(needed) || filled) continue;
        if (model)
            return usage("monture", std::string(needed) + " est attendu : la " + model->name +
                                        " n'a pas de moteur d'origine publié");
        return usage("monture", std::string(needed) + " est attendu");
    }
    if (args.positional().size() > 1) return usage("monture", "un seul FICHIER.kv2 au plus");
    if (args.has("-o") && args.positional().empty())
        return usage("monture", "-o SORTIE.kv2 part d'un FICHIER.kv2");

    // Given with --monture, these win over its row.
    if (args.has("--dents")) texts.teeth = args.value("--dents");
    if (args.has("--pas-moteur")) texts.motorSteps = args.value("--pas-moteur");
    if (args.has("--reduction")) texts.reduction = args.value("--reduction");
    if (args.has("--suivi")) texts.rate = args.value("--suivi");
    texts.halfStep = args.has("--demi-pas");
    const MountOutcome outcome = computeMount(texts);
    if (outcome.fault) {
        fail("monture", mountFaultText(*outcome.fault, true) + " ; rien n'est écrit");
        return kFailure;
    }
    const MountResult& mount = *outcome.result;

    ConfigRecord record;
    DriveParameters drive;
    if (!readInputOrDefaults("monture", args, record, drive)) return kFailure;

    std::string results;
    try {
        results = args.has("--json") ? json(mount, record) : mountReport(mount, record);
    } catch (const FloatingPointError& fault) {
        fail("monture", std::string(fault.what()) + " ; rien n'est écrit");
        return kFailure;
    }
    if (args.has("-o")) {
        drive.DureeTour = mount.DureeTour;
        drive.PasParTour = mount.PasParTour;
        std::string message;
        if (!saveParameterFile(args.value("-o"), record, drive, message)) {
            fail("monture", message);
            return kFailure;
        }
    }
    out(results);
    return kSuccess;
}

} // namespace cli
