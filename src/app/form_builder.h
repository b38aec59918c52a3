#pragma once
// The window's widgets, made from the form's table (formControls) and its tool
// buttons (toolButtons). The table's order is the order of creation, hence of
// stacking and of the tab walk: a label under a later group box stays covered
// by it, as « PWM1 » (Label39) under « PWM ». A control's look is its role,
// carried by the kLookProperty property, which the night's style sheet
// colours, and by day in its palette (night_look.h); a column head is bold too.

// The members' classes, whole: who reaches a control uses its type.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include <string>
#include <unordered_map>

struct FormWidgets {
    // Every control of the table and every tool button, by its name.
    std::unordered_map<std::string, QWidget*> byName;
    QWidget* widget(const std::string& name) const;

    // The controls the window's code, the mount assistant and the tests reach
    // by name.
    QPushButton* ButtonOuvrir = nullptr;
    QPushButton* ButtonValider = nullptr;
    QPushButton* ButtonSauvegarder = nullptr;
    QLineEdit* EditFrequenceQuartz = nullptr;
    QLineEdit* EditDureeTour = nullptr;
    QLineEdit* EditPasParTour = nullptr;
    QLineEdit* EditPeriodeTimer = nullptr;
    QLineEdit* EditErreur = nullptr;
    QLineEdit* EditJeuAD = nullptr;
    QLineEdit* EditJeuDe = nullptr;
    QLineEdit* EditMaintienFoc = nullptr;
    QLineEdit* EditV1AD = nullptr;
    QLineEdit* EditXAD1 = nullptr;
    QLineEdit* EditPwm3 = nullptr;
    QLineEdit* EditPwm4 = nullptr;
    QListWidget* ListBoxValeurTimer = nullptr;
    QToolButton* ButtonMonture = nullptr;
    QToolButton* ButtonComparer = nullptr;
    QToolButton* ButtonNuit = nullptr;
};

// Makes every control and tool button on `window`, at its place in layout
// pixels (the window scales them afterwards), with its caption or text, its
// state and its look.
void buildForm(QWidget& window, FormWidgets& form);
