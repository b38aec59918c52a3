// The window's controls and nothing else: a plain Qt widget for each row of
// the form's table, with its caption, place and visibility, on the bare
// window. Between the bare window and the real one, it shows how much of the
// start-up the controls cost by themselves, before the window's own work
// (model, layout scale, help texts, looks, activation).

#include "form/form_controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

#include <string>
#include <unordered_map>

using namespace korval;

namespace
{
QWidget* plainWidget(const ControlInfo& info, QWidget* parent)
{
    const QString text = QString::fromUtf8(info.text);
    switch (info.kind) {
    case ControlKind::Label:
        return new QLabel(text, parent);
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::Edit:
        return new QLineEdit(text, parent);
    case ControlKind::CheckBox:
        return new QCheckBox(parent);
    case ControlKind::Button:
        return new QPushButton(text, parent);
    case ControlKind::List:
        return new QListWidget(parent);
    }
    return nullptr;
}
} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("table"));
    std::unordered_map<std::string, QWidget*> byName;
    for (const ControlInfo& info : formControls()) {
        QWidget* widget = plainWidget(info, *info.parent ? byName.at(info.parent) : &window);
        widget->setGeometry(info.geometry.x, info.geometry.y, info.geometry.width,
                            info.geometry.height);
        if (!info.visible) widget->setVisible(false);
        byName[info.name] = widget;
    }
    window.resize(kFormWidth, kFormHeight);
    window.show();
    return app.exec();
}
