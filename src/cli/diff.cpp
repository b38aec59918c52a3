// diff: one line for each field that differs between two files.

#include "cli/cli_common.h"
#include "cli/record_view.h"
#include "cli/verbs.h"
#include "config/record_fields.h"

using namespace korval;

namespace cli
{

int runDiff(const std::vector<std::string>& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string("Utilisation : korvalset24-cli diff A.kv2 B.kv2\n"
                        "Une ligne pour chaque champ qui diffère, dans l'ordre du fichier :\n"
                        "  CHAMP : valeur de A -> valeur de B [unité]\n"
                        "(un niveau de AD ou De : son nombre d'it, suivi de /2 en demi-pas).\n"
                        "Code de sortie : 0 aucune différence, 1 des différences, 2 erreur.\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {}, {});
    if (!args.ok()) return usage("diff", args.error());
    if (args.positional().size() != 2)
        return usage("diff", "deux fichiers A.kv2 et B.kv2 sont attendus");
    ConfigRecord record[2];
    DriveParameters drive[2];
    for (int i = 0; i < 2; ++i) {
        std::string message;
        if (!readParameterFile(args.positional().at(i), record[i], drive[i], message)) {
            fail("diff", message);
            return kFailure;
        }
    }
    int differences = 0;
    for (const RecordField& field : recordFields()) {
        if (fieldValue(record[0], field) == fieldValue(record[1], field)) continue;
        out(std::string(field.name) + " : " + fieldText(record[0], field) + " -> " +
            fieldText(record[1], field) + "\n");
        ++differences;
    }
    for (int i = 0; i < 3; ++i) {
        const DriveField& field = driveFields()[i];
        if (field.same(drive[0], drive[1])) continue;
        out(std::string(field.name) + " : " + field.text(drive[0]) + " -> " + field.text(drive[1]) +
            "\n");
        ++differences;
    }
    return differences ? kFound : kSuccess;
}

} // namespace cli
