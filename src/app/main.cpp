// korvalset24: configuration tool of the KORVAL 2.4 telescope drive controller.

#include "app/start_up.h"
#include "app/tform1.h"

#include "korval_version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>

namespace
{
// No exception may cross the event loop: whatever a handler lets through is
// shown, and the program carries on.
class Application : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            QMessageBox::critical(activeWindow(), applicationName(),
                                  QString::fromUtf8(error.what()));
        } catch (...) {
            QMessageBox::critical(activeWindow(), applicationName(),
                                  QStringLiteral("Erreur inattendue."));
        }
        return false;
    }
};

// Names the program and speaks French, in Qt's own texts too (dialogs,
// buttons, the command-line help).
void setUpApplication(QTranslator& qtBase)
{
    QCoreApplication::setApplicationName(QStringLiteral("korvalset24"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVAL_VERSION));
    if (qtBase.load(QStringLiteral("qtbase_fr"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtBase);
}

// The parameter file named on the command line, as a full path like the one
// the open dialog returns; empty without one. Qt's own options are gone from
// the arguments by now. --help, --version and a usage error end the program.
QString startPath(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Configuration du contrôleur de monture de télescope KORVAL 2.4."));
    // Qt's own help option has no French text.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Affiche cette aide."));
    parser.addOption(help);
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FICHIER.kv2"),
                                 QStringLiteral("Fichier de paramètres, ou image HEX de la carte (.hex), à ouvrir au démarrage."),
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
    return paths.isEmpty() ? QString() : QDir::current().absoluteFilePath(paths.constFirst());
}

// The first --help or --version, which answer without a display (over SSH for
// instance) whatever Qt options come with them; empty without one.
QString textOnlyOption(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (arg == "--") break;
        if (arg == "-h" || arg == "--help" || arg == "-v" || arg == "--version")
            return QString::fromLocal8Bit(argv[i]);
    }
    return QString();
}
} // namespace

int main(int argc, char* argv[])
{
    const QString textOnly = textOnlyOption(argc, argv);
    if (!textOnly.isEmpty()) {
        QCoreApplication core(argc, argv);
        QTranslator qtBase;
        setUpApplication(qtBase);
        startPath({QCoreApplication::arguments().constFirst(), textOnly}); // prints and ends
        return 0;
    }
    ignoreClosedOutput();
    Application app(argc, argv);
    try {
        // Numbers are always written and read with a point.
        std::setlocale(LC_NUMERIC, "C");
        QTranslator qtBase;
        setUpApplication(qtBase);
        const QString path = startPath(QCoreApplication::arguments());

        TForm1 Form1;
        // Opened as if "Ouvrir" had returned it, once the defaults are shown.
        if (!path.isEmpty()) Form1.openAtFirstShow(path);
        Form1.show();
        app.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("korvalset24"),
                              QString::fromUtf8(error.what()));
    }
    return 0;
}
