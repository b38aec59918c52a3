// check: what in a file the controller or the window would trip over.

#include "cli/cli_common.h"
#include "cli/verbs.h"
#include "config/fp_fault.h"
#include "config/parameter_file.h"
#include "config/record_fields.h"
#include "timing/period_search.h"

#include <cmath>

using namespace korval;

namespace cli
{

namespace
{
constexpr std::size_t kMaxReadBytes = 64 * 1024;

const char* axisName(Axis axis)
{
    return axis == Axis::AD ? "AD" : axis == Axis::De ? "De" : "Foc";
}

// V1 AD is the tracking rate: its interrupts must make one motor step last
// DureeTour / PasParTour within the search's tolerance.
std::string trackingProblem(const ConfigRecord& record, const DriveParameters& drive)
{
    const int count = levelCount(record.level(Axis::AD, 1));
    if (drive.PasParTour == 0) return "PasParTour : 0 pas par tour, le temps par pas n'existe pas";
    if (!std::isfinite(drive.DureeTour) || drive.DureeTour <= 0)
        return "DureeTour : " + text("%.9g", double(drive.DureeTour)) + " s n'est pas une durée";
    const Extended step = Extended(drive.DureeTour) / Extended(drive.PasParTour);
    const Extended made =
        Extended(count) * Extended(record.PeriodeTimer()) * exactRatio(1, 1000000000);
    const Extended error = absolute((step - made) / step);
    if (error <= Extended(kAcceptedError)) return {};
    return text("V1AD : %d x PeriodeTimer %u ns = %.6f ms par pas, DureeTour / PasParTour "
                "= %.6f ms : écart relatif %.2e au-delà de %g",
                count, unsigned(record.PeriodeTimer()), double(made * 1000), double(step * 1000),
                double(error), kAcceptedError);
}
} // namespace

int runCheck(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string(
            "Utilisation : korvalset24-cli check FICHIER.kv2\n"
            "Une ligne par problème trouvé :\n"
            "  - une marque autre que 0x2345 (MarqueDebut) ou 0xBCDE (MarqueFin) ;\n"
            "  - une entrée 0 (V0AD, V0De, V0Foc) qui n'est pas 0 ;\n"
            "  - un niveau dont le nombre d'it est 0 ;\n"
            "  - V1AD x PeriodeTimer qui s'écarte de DureeTour / PasParTour de plus de\n"
            "    0.0005 en relatif, la tolérance de la recherche de période ;\n"
            "  - un fichier qui n'a pas 61 octets.\n"
            "Code de sortie : 0 aucun problème, 1 des problèmes, 2 erreur.\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {}, {});
    if (!args.ok()) return usage("check", args.error());
    if (args.positional().size() != 1) return usage("check", "un seul FICHIER.kv2 est attendu");
    const std::string path = args.positional().front();
    std::vector<unsigned char> data;
    std::string message;
    if (!readWhole(path, kMaxReadBytes, data, message)) {
        fail("check", message);
        return kFailure;
    }
    std::vector<std::string> problems;
    if (data.size() != kParameterFileSize)
        problems.push_back(text("le fichier a %lld octets au lieu de %zu%s",
                                static_cast<long long>(data.size()), kParameterFileSize,
                                data.size() < kParameterFileSize
                                    ? " ; les suivants sont comptés aux valeurs d'usine"
                                    : ""));
    ConfigRecord record;
    DriveParameters drive;
    loadFactoryDefaults(record, drive);
    applyParameterFile(data.data(), data.size(), record, drive);

    if (record.MarqueDebut() != kMarqueDebut)
        problems.push_back(
            text("MarqueDebut : 0x%04X au lieu de 0x2345", unsigned(record.MarqueDebut())));
    if (record.MarqueFin() != kMarqueFin)
        problems.push_back(
            text("MarqueFin : 0x%04X au lieu de 0xBCDE", unsigned(record.MarqueFin())));
    for (Axis axis : {Axis::AD, Axis::De, Axis::Foc}) {
        const std::uint8_t entry0 = record.level(axis, 0);
        if (entry0 != 0) problems.push_back(text("V0%s : %d au lieu de 0", axisName(axis), entry0));
    }
    for (Axis axis : {Axis::AD, Axis::De})
        for (int level = 1; level <= kLevelCount; ++level) {
            const std::uint8_t byte = record.level(axis, level);
            if (!isFlaggedLevel(axis, level)) {
                // V3 De: acceleration seconds, all eight bits.
                if (byte == 0)
                    problems.push_back(
                        text("V%d%s : 0 (temps d'accélération de 0 s)", level, axisName(axis)));
            } else if (levelCount(byte) == 0) {
                problems.push_back(text("V%d%s : nombre d'it 0%s", level, axisName(axis),
                                        halfStep(byte) ? " (en demi-pas)" : ""));
            }
        }
    for (int level = 1; level <= kLevelCount; ++level)
        if (record.level(Axis::Foc, level) == 0)
            problems.push_back(text("V%dFoc : nombre d'it 0", level));
    if (const std::string tracking = trackingProblem(record, drive); !tracking.empty())
        problems.push_back(tracking);

    for (const std::string& problem : problems)
        out(problem + "\n");
    return problems.empty() ? kSuccess : kFound;
}

} // namespace cli
