// search: the interrupt periods the window's list proposes, and applying one
// line as a double-click on it followed by a Save does, through the window's
// own form model.

#include "cli/cli_common.h"
#include "cli/json_output.h"
#include "cli/record_view.h"
#include "cli/verbs.h"
#include "config/fp_fault.h"
#include "config/number_text.h"
#include "config/record_fields.h"
#include "form/form_model.h"
#include "timing/period_search.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

using namespace korval;

namespace cli
{

namespace
{
const char* const kHelp =
    "Utilisation : korvalset24-cli search [FICHIER.kv2] [--quartz HZ] [--turn SECONDES]\n"
    "                [--steps N] [--json] [--apply LIGNE -o SORTIE.kv2]\n"
    "Cherche la période IT qui fait tourner la vis AD à la bonne vitesse et affiche\n"
    "les lignes de la liste de la fenêtre, dans le même ordre, la meilleure d'abord :\n"
    "  période (ns)   erreur relative   k X n -- n x 8X\n"
    "FrequenceQuartz, DureeTour et PasParTour viennent du fichier (sans fichier : les\n"
    "valeurs d'usine), chaque option remplaçant sa valeur :\n"
    "  --quartz HZ        FrequenceQuartz\n"
    "  --turn SECONDES    DureeTour (le point sépare les décimales)\n"
    "  --steps N          PasParTour\n"
    "  --json             chaque candidat : periode, erreur, k, n et la dérive de suivi\n"
    "                     deriveSecondesParJour (erreur x 86400)\n"
    "  --apply LIGNE -o SORTIE.kv2\n"
    "                     applique la ligne LIGNE (1 : la première) comme un double-clic\n"
    "                     suivi de « Sauvegarder » : PeriodeTimer, et le nombre d'it de\n"
    "                     V1AD et V1De (chacun garde son demi-pas) ; les options sont\n"
    "                     enregistrées ; le reste du fichier est gardé. SORTIE.hex suit.\n"
    "Une division par zéro (--steps 0) ou une opération non valide est signalée comme\n"
    "dans la fenêtre (code 2).\n"
    "Noms français : --tour (--turn), --pas (--steps), --appliquer (--apply),\n"
    "--sortie (-o).\n";

bool override(const Arguments& args, const char* option, const char* field, ConfigRecord& record,
              DriveParameters& drive)
{
    if (!args.has(option)) return true;
    std::string error;
    if (applyAssignment(std::string(field) + "=" + args.value(option), record, drive, error))
        return true;
    fail("search", std::string(option) + " : " + error);
    return false;
}

std::string json(const std::vector<Candidate>& candidates)
{
    Json t = Json::array();
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& c = candidates[i];
        t.push_back(Json{{"ligne", i + 1},
                         {"periode", c.period},
                         {"erreur", jsonNumber(c.error)},
                         {"k", c.k},
                         {"n", c.n},
                         {"deriveSecondesParJour", jsonNumber(c.error * 86400.0)}});
    }
    return jsonText(t);
}

// The lines in chunks of a small buffer: a string or an allocation per line
// would cost this short command more than its search does.
void printLines(const std::vector<Candidate>& candidates)
{
    char chunk[16 * (kCandidateLineCapacity + 1)];
    char* at = chunk;
    for (const Candidate& c : candidates) {
        if (std::size_t(chunk + sizeof chunk - at) < kCandidateLineCapacity + 1) {
            out(std::string_view(chunk, std::size_t(at - chunk)));
            at = chunk;
        }
        at = putCandidateLine(at, c);
        *at++ = '\n';
    }
    out(std::string_view(chunk, std::size_t(at - chunk)));
}

// A whole decimal number that fits an int, blanks around it allowed.
bool decimalInteger(const std::string& typed, int& value)
{
    const char* start = typed.c_str();
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(start, &end, 10);
    if (end == start || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) return false;
    while (*end == ' ' || (*end >= '\t' && *end <= '\r'))
        ++end;
    if (*end != '\0' || end != start + typed.size()) return false;
    value = int(parsed);
    return true;
}

// The faults a handler of the form model shows.
class KeptErrors : public FormView
{
public:
    std::vector<std::string> errors;
    void showError(const std::string& message) override { errors.push_back(message); }
};

// A double-click on line `row` of the window's list, by the window's own form
// model, with the file just opened: the period box, then V1 AD and V1 De, each
// of whose handlers re-runs the other levels of its drive. The rest of the
// file is kept as it is; the first fault shown stops everything.
bool applyLine(int row, ConfigRecord& record, const DriveParameters& drive, std::string& fault)
{
    KeptErrors view;
    FormModel form(&view);
    form.editReferenceRecord() = record;
    form.editDriveParameters() = drive;
    form.guarded([&form] { form.ShowRecord(); });
    form.editCurrentRecord() = record;
    form.editDriveParameters() = drive;
    view.errors.clear();
    form.userClicked("EditPeriodeTimer");
    form.userDoubleClickedLine(row);
    if (!view.errors.empty()) {
        fault = view.errors.front();
        return false;
    }
    record = form.currentRecord();
    return true;
}
} // namespace

int runSearch(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string(kHelp));
        return kSuccess;
    }
    const Arguments args(arguments,
                         {{"--quartz", {}},
                          {"--turn", {"--tour"}},
                          {"--steps", {"--pas"}},
                          {"--apply", {"--appliquer"}},
                          outputOption()},
                         {jsonOption()});
    if (!args.ok()) return usage("search", args.error());
    if (args.positional().size() > 1) return usage("search", "un seul FICHIER.kv2 au plus");
    if (args.has("--apply") != args.has("-o"))
        return usage("search", "--apply LIGNE et -o SORTIE.kv2 vont ensemble");
    if (args.has("--apply") && args.has("--json"))
        return usage("search", "--json et --apply s'excluent");
    int wanted = 0;
    if (args.has("--apply")) {
        const std::string typed = args.value("--apply");
        if (!decimalInteger(typed, wanted) || wanted < 1 || typed.rfind('+', 0) == 0)
            return usage("search", "--apply : « " + args.value("--apply") +
                                       " » n'est pas un numéro de ligne (1 pour la première)");
    }

    ConfigRecord record;
    DriveParameters drive;
    if (!readInputOrDefaults("search", args, record, drive)) return kFailure;
    if (!override(args, "--quartz", "FrequenceQuartz", record, drive) ||
        !override(args, "--turn", "DureeTour", record, drive) ||
        !override(args, "--steps", "PasParTour", record, drive))
        return kFailure;

    std::vector<Candidate> candidates;
    try {
        candidates = searchCandidates(
            prepareSearch(drive.FrequenceQuartz, drive.DureeTour, drive.PasParTour));
    } catch (const FloatingPointError& fault) {
        fail("search", fault.what());
        return kFailure;
    }

    if (!args.has("--apply")) {
        if (args.has("--json"))
            out(json(candidates));
        else
            printLines(candidates);
        return kSuccess;
    }

    if (std::size_t(wanted) > candidates.size()) {
        fail("search", "--apply : pas de ligne " + std::to_string(wanted) +
                           ", la recherche en donne " + std::to_string(candidates.size()));
        return kFailure;
    }
    // The line's text is what the window applies, as its list holds nothing else.
    const std::optional<AppliedLine> line =
        parseCandidateLine(candidateLine(candidates[std::size_t(wanted - 1)]));
    if (!line) {
        fail("search", "la ligne " + std::to_string(wanted) + " ne se relit pas");
        return kFailure;
    }
    std::string fault;
    if (!applyLine(wanted - 1, record, drive, fault)) {
        fail("search", fault + " ; rien n'est écrit");
        return kFailure;
    }
    std::string message;
    if (!saveParameterFile(args.value("-o"), record, drive, message)) {
        fail("search", message);
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
