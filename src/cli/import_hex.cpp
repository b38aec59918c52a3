// import-hex: the table out of an Intel HEX image, such as a dump of the
// controller's program memory.

#include "cli/cli_common.h"
#include "cli/verbs.h"
#include "config/intel_hex_reader.h"
#include "config/parameter_file.h"

#include <QFileInfo>

using namespace korval;

namespace cli
{

namespace
{
// Far more than the text of the controller's whole program memory.
constexpr qint64 kMaxImageBytes = 16 * 1024 * 1024;
} // namespace

int runImportHex(const QStringList& arguments)
{
    if (wantsHelp(arguments)) {
        out(std::string(
            "Utilisation : korvalset24-cli import-hex IMAGE.hex -o SORTIE.kv2 [--base "
            "FICHIER.kv2]\n"
            "Reprend la table de configuration (49 octets en 0x7C00, entre les marques\n"
            "0x2345 et 0xBCDE) d'une image Intel HEX, par exemple la copie de la mémoire\n"
            "programme du contrôleur, et écrit SORTIE.kv2 et SORTIE.hex.\n"
            "Enregistrements 00, 01, 02 et 04, fins de ligne CR LF ou LF ; chaque somme de\n"
            "contrôle est vérifiée. FrequenceQuartz, PasParTour et DureeTour viennent de\n"
            "--base, sinon des valeurs d'usine.\n"));
        return kSuccess;
    }
    const Arguments args(arguments, {"-o", "--base"}, {});
    if (!args.ok()) return usage("import-hex", args.error());
    if (args.positional().size() != 1)
        return usage("import-hex", QStringLiteral("une seule IMAGE.hex est attendue"));
    if (!args.has("-o")) return usage("import-hex", QStringLiteral("-o SORTIE.kv2 est attendu"));
    ConfigRecord record;
    DriveParameters drive;
    QString message;
    if (args.has("--base")) {
        if (!readParameterFile(args.value("--base"), record, drive, message)) {
            fail("import-hex", message);
            return kFailure;
        }
    } else {
        loadFactoryDefaults(record, drive);
    }
    const QString image = args.positional().first();
    QByteArray text;
    if (!readWhole(image, kMaxImageBytes, text, message)) {
        fail("import-hex", message);
        return kFailure;
    }
    std::string error;
    if (!readHexImage(std::string_view(text.constData(), std::size_t(text.size())), record,
                      error)) {
        fail("import-hex", quotedPath(image) + " : " + QString::fromStdString(error) +
                               QStringLiteral(" ; rien n'est écrit"));
        return kFailure;
    }
    // The .hex written beside the output must not replace the image itself:
    // a whole memory dump would give way to the 214 bytes of the table.
    const QString hexBeside =
        QString::fromStdString(replaceExtension(args.value("-o").toStdString(), kHexExtension));
    if (QFileInfo(hexBeside).canonicalFilePath() == QFileInfo(image).canonicalFilePath()) {
        fail("import-hex",
             QStringLiteral("%1 : le fichier HEX écrit à côté de %2 remplacerait l'image lue ; "
                            "choisissez un autre nom de sortie")
                 .arg(quotedPath(image), quotedPath(args.value("-o"))));
        return kFailure;
    }
    if (!saveParameterFile(args.value("-o"), record, drive, message)) {
        fail("import-hex", message);
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
