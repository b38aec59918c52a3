#include "start_up.h"

#include "app/night_look.h"

#include <QCommandLineParser>
#include <QDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>

void ignoreClosedOutput()
{
    std::signal(SIGPIPE, SIG_IGN);
}

StartOptions parseStartOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configuration du contrôleur de monture de télescope KORVAL 2.4."));
    // Qt's own help option has no French text.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Affiche cette aide."));
    parser.addOption(help);
    parser.addVersionOption();
    const QCommandLineOption night(QStringLiteral("nuit"),
                                   QStringLiteral("Démarre cette fois en mode nuit (rouge sur "
                                                  "noir), sans changer le choix retenu."));
    parser.addOption(night);
    parser.addPositionalArgument(QStringLiteral("FICHIER.kv2"),
                                 QStringLiteral("Fichier de paramètres, ou image HEX de la carte "
                                                "(.hex), à ouvrir au démarrage."),
                                 QStringLiteral("[FICHIER.kv2]"));
    parser.process(arguments);
    if (parser.isSet(help)) parser.showHelp(0);
    const QStringList paths = parser.positionalArguments();
    if (paths.size() > 1) {
        std::fprintf(stderr, "%s\n",
                     qUtf8Printable(QStringLiteral("korvalset24 : un seul fichier à la fois (%1 "
                                                   "donnés).")
                                        .arg(paths.size())));
        std::exit(1);
    }
    StartOptions options;
    options.path =
        paths.isEmpty() ? QString() : QDir::current().absoluteFilePath(paths.constFirst());
    options.night = parser.isSet(night);
    return options;
}

bool startsInNightLook(const StartOptions& options)
{
    return options.night || rememberedNightLook();
}
