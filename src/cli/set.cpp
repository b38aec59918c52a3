// set: fields by name, each value refused unless it fits its field.

#include "cli/cli_common.h"
#include "cli/verbs.h"
#include "config/record_fields.h"

using namespace korval;

namespace cli
{

int runSet(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string(
            "Utilisation : korvalset24-cli set FICHIER.kv2 CHAMP=VALEUR... [-o SORTIE.kv2]\n"
            "Change des champs, dans l'ordre donné, puis écrit SORTIE.kv2 et SORTIE.hex\n"
            "(sans -o : remplace FICHIER.kv2 et son .hex). Au moindre refus, rien n'est écrit.\n"
            "\n"
            "Champs : MarqueDebut PeriodeTimer V0De..V7De V0AD..V7AD V0Foc..V7Foc JeuAD JeuDe\n"
            "  MaintienFoc PasParTranche TranchePec Pwm0..Pwm8 MarqueFin\n"
            "  FrequenceQuartz PasParTour DureeTour\n"
            "Valeurs : entiers en décimal ou en hexadécimal (0x1F), qui tiennent dans le\n"
            "  champ (1 octet 0-255, 2 octets 0-65535, 4 octets 0-4294967295) ;\n"
            "  DureeTour : un flottant fini (598.361816, 1.2e3), le point sépare les décimales.\n"
            "Vitesses de AD et De (V1AD..V7AD, V1De..V7De sauf V3De) : nombre d'it 0-127.\n"
            "  V2AD=17      17, le demi-pas reste comme il était\n"
            "  V2AD=17/2    17 en demi-pas\n"
            "  V2AD=17/1    17 en pas entiers\n"
            "  V2AD.demi=1  demi-pas (0 : pas entiers), le nombre reste\n"
            "V3De : temps d'accélération en secondes entières, 0-255, sans demi-pas.\n"
            "V1Foc..V7Foc : nombre d'it 0-255.\n"
            "MaintienFoc : un nombre de périodes IT (MaintienFoc=5) ou une durée en ms\n"
            "  (MaintienFoc=3.54ms), convertie avec le PeriodeTimer du fichier comme dans\n"
            "  la fenêtre (après un PeriodeTimer=... donné avant : avec celui-là) ; refusée\n"
            "  si elle dépasse 255 périodes ou ne peut être convertie.\n"
            "\n"
            "Exemple : korvalset24-cli set monture.kv2 JeuAD=120 V2AD=17/2 MaintienFoc=3.54ms\n"
            "Nom français : --sortie (-o).\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {outputOption()}, {});
    if (!args.ok()) return usage("set", args.error());
    std::vector<std::string> assignments = args.positional();
    if (assignments.empty()) return usage("set", "FICHIER.kv2 est attendu");
    const std::string input = assignments.front();
    assignments.erase(assignments.begin());
    if (assignments.empty()) return usage("set", "au moins un CHAMP=VALEUR est attendu");
    ConfigRecord record;
    DriveParameters drive;
    std::string message;
    if (!readParameterFile(input, record, drive, message)) {
        fail("set", message);
        return kFailure;
    }
    for (const std::string& assignment : assignments) {
        std::string error;
        if (!applyAssignment(assignment, record, drive, error)) {
            fail("set", error + " ; rien n'est écrit");
            return kFailure;
        }
    }
    if (!saveParameterFile(args.has("-o") ? args.value("-o") : input, record, drive, message)) {
        fail("set", message);
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
