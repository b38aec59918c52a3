// The floor of the window's start-up: a bare Qt Widgets window with one line
// edit, on the same Qt, for the start-up benchmark to weigh the real window
// against.

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLineEdit(&window));
    window.show();
    return app.exec();
}
