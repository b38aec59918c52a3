#include "form_builder.h"

#include "app/night_look.h"
#include "form/form_help.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

using namespace korval;

namespace
{
// Paints its whole place before its frame, in every look: the labels made
// before it under it stay covered. (A widget's own filling of its background
// would not do: a style sheet turns it off.)
class GroupBox : public QGroupBox
{
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPainter(this).fillRect(rect(), palette().window());
        QGroupBox::paintEvent(event);
    }
};

QWidget* makeControl(const ControlInfo& info, QWidget* parent)
{
    const QString text = QString::fromUtf8(info.text);
    switch (info.kind) {
    case ControlKind::Label: {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText); // "<65536" is a limit, not markup
        return label;
    }
    case ControlKind::GroupBox:
        return new GroupBox(text, parent);
    case ControlKind::Edit:
        return new QLineEdit(text, parent);
    case ControlKind::CheckBox: {
        auto* check = new QCheckBox(parent);
        check->setChecked(info.checked);
        return check;
    }
    case ControlKind::Button:
        return new QPushButton(text, parent);
    case ControlKind::List:
        return new QListWidget(parent);
    }
    return nullptr;
}

template <typename T> void take(const FormWidgets& form, T*& member, const char* name)
{
    member = qobject_cast<T*>(form.widget(name));
    Q_ASSERT(member);
}
} // namespace

QWidget* FormWidgets::widget(const std::string& name) const
{
    const auto found = byName.find(name);
    return found == byName.end() ? nullptr : found->second;
}

void buildForm(QWidget& window, FormWidgets& form)
{
    for (const ControlInfo& info : formControls()) {
        QWidget* widget = makeControl(info, *info.parent ? form.widget(info.parent) : &window);
        widget->setObjectName(QString::fromUtf8(info.name));
        widget->setGeometry(info.geometry.x, info.geometry.y, info.geometry.width,
                            info.geometry.height);
        if (!info.visible) widget->setVisible(false);
        widget->setEnabled(info.enabled);
        if (const char* role = lookRoleName(info.look)) widget->setProperty(kLookProperty, role);
        colourLookRole(*widget, info.look);
        if (info.look == ControlLook::ColumnHead) {
            QFont bold = widget->font();
            bold.setBold(true);
            widget->setFont(bold);
        }
        form.byName[info.name] = widget;
    }
    // Like a tool bar's buttons, on free places of the layout.
    for (const ToolButtonInfo& info : toolButtons()) {
        auto* button = new QToolButton(&window);
        button->setObjectName(QString::fromUtf8(info.name));
        button->setText(QString::fromStdString(mnemonicCaption(info))); // Alt+letter
        button->setGeometry(info.place.x, info.place.y, info.place.width, info.place.height);
        button->setFocusPolicy(info.tabStop ? Qt::StrongFocus : Qt::NoFocus);
        button->setCheckable(info.checkable);
        form.byName[info.name] = button;
    }

    take(form, form.ButtonOuvrir, "ButtonOuvrir");
    take(form, form.ButtonValider, "ButtonValider");
    take(form, form.ButtonSauvegarder, "ButtonSauvegarder");
    take(form, form.EditFrequenceQuartz, "EditFrequenceQuartz");
    take(form, form.EditDureeTour, "EditDureeTour");
    take(form, form.EditPasParTour, "EditPasParTour");
    take(form, form.EditPeriodeTimer, "EditPeriodeTimer");
    take(form, form.EditErreur, "EditErreur");
    take(form, form.EditJeuAD, "EditJeuAD");
    take(form, form.EditJeuDe, "EditJeuDe");
    take(form, form.EditMaintienFoc, "EditMaintienFoc");
    take(form, form.EditV1AD, "EditV1AD");
    take(form, form.EditXAD1, "EditXAD1");
    take(form, form.EditPwm3, "EditPwm3");
    take(form, form.EditPwm4, "EditPwm4");
    take(form, form.ListBoxValeurTimer, "ListBoxValeurTimer");
    take(form, form.ButtonMonture, kMountButtonName);
    take(form, form.ButtonComparer, kCompareButtonName);
    take(form, form.ButtonNuit, kNightButtonName);
}
