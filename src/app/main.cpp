// korvalset24: configuration tool of the KORVAL 2.4 telescope drive controller.

#include "app/start_up.h"
#include "app/tform1.h"

#include "korval_version.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <clocale>
#include <cstdio>
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
    QCoreApplication::setOrganizationName(QStringLiteral("korvalset24"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVAL_VERSION));
    if (qtBase.load(QStringLiteral("qtbase_fr"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtBase);
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
        parseStartOptions({QCoreApplication::arguments().constFirst(), textOnly}); // prints, ends
        return 0;
    }
    ignoreClosedOutput();
    Application app(argc, argv);
    try {
        // Numbers are always written and read with a point.
        std::setlocale(LC_NUMERIC, "C");
        QTranslator qtBase;
        setUpApplication(qtBase);
        const StartOptions options = parseStartOptions(QCoreApplication::arguments());

        TForm1 Form1;
        if (startsInNightLook(options)) Form1.showNightLook(true);
        // Opened as if "Ouvrir" had returned it, once the defaults are shown.
        if (!options.path.isEmpty()) Form1.openAtFirstShow(options.path);
        Form1.show();
        return app.exec();
    } catch (const std::exception& error) {
        // A window that could not be set up is a failure: said on the error
        // output for a script, in a box for the user, and in the status.
        std::fprintf(stderr, "korvalset24 : %s\n", error.what());
        QMessageBox::critical(nullptr, QStringLiteral("korvalset24"),
                              QString::fromUtf8(error.what()));
    }
    return 1;
}
