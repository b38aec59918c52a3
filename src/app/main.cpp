// korvalset24: configuration tool of the KORVAL 2.4 telescope drive controller.

#include "app/tform1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

#include <clocale>
#include <exception>

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
} // namespace

int main(int argc, char* argv[])
{
    Application app(argc, argv);
    try {
        // Numbers are always written and read with a point.
        std::setlocale(LC_NUMERIC, "C");
        QApplication::setApplicationName(QStringLiteral("korvalset24"));

        // The window is French, and so are Qt's own dialogs and buttons.
        const QString translations = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        QTranslator qtBase;
        if (qtBase.load(QStringLiteral("qtbase_fr"), translations))
            QApplication::installTranslator(&qtBase);

        TForm1 Form1;
        Form1.show();
        app.exec();
    } catch (const std::exception& error) {
        QMessageBox::critical(nullptr, QStringLiteral("korvalset24"),
                              QString::fromUtf8(error.what()));
    }
    return 0;
}
