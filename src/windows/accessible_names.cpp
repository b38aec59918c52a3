#include "windows/accessible_names.h"

#include "config/config_record.h"
#include "form/form_controls.h"
#include "form/form_help.h"
#include "form/form_model.h"

namespace korval
{

namespace
{
std::string captionOf(const std::string& name)
{
    for (const ControlInfo& info : formControls())
        if (name == info.name) return simplifiedCaption(info.text);
    return {};
}

// "V2 (Guide)", or the bare level where the speed group has no row caption.
std::string rowCaption(int level)
{
    const std::string row = "V" + std::to_string(level);
    for (const ControlInfo& info : formControls()) {
        const std::string text = info.text;
        if (std::string(info.parent) == "GroupBox1" && info.kind == ControlKind::Label &&
            text.compare(0, row.size(), row) == 0 &&
            (text.size() == row.size() || text[row.size()] == ' '))
            return simplifiedCaption(text);
    }
    return row;
}
} // namespace

std::unordered_map<std::string, std::string> accessibleNames()
{
    std::unordered_map<std::string, std::string> names;
    names["EditFrequenceQuartz"] = captionOf("Label22");
    names["EditDureeTour"] = captionOf("Label23");
    names["EditPasParTour"] = captionOf("Label24");
    names["EditTranchePec"] = captionOf("Label25");
    names["EditPasParTranche"] = captionOf("Label26");
    names["EditPeriodeTimer"] = captionOf("Label33");
    names["EditPerPas"] = "Temps par pas (ms)";
    names["EditErreur"] = captionOf("Label35");
    names["EditVmax"] = captionOf("Label34");
    names["EditPeriodeMax"] = captionOf("Label36");

    const std::string axisCaption[] = {captionOf("Label10"), captionOf("Label11"),
                                       captionOf("Label12")};
    const std::string ratioColumn = captionOf("Label27"); // "X"
    const std::string msColumn = captionOf("Label29");    // "ms"
    for (int level = 1; level <= kLevelCount; ++level) {
        const std::string row = rowCaption(level);
        for (Axis axis : {Axis::AD, Axis::De}) {
            const std::string where = row + " " + axisCaption[axis == Axis::AD ? 0 : 1];
            // The De slot V3 holds the acceleration time, in its own group.
            names[FormModel::levelEditName(axis, level)] =
                axis == Axis::De && level == 3
                    ? captionOf("GroupBox5") + " (" + captionOf("Label7") + ")"
                    : where;
            names[FormModel::halfStepName(axis, level)] = where + " demi-pas";
            names[FormModel::ratioName(axis, level)] = ratioColumn + " " + where;
        }
        const std::string focuser = row + " " + axisCaption[2];
        names[FormModel::levelEditName(Axis::Foc, level)] = focuser;
        names[FormModel::msName(level)] = msColumn + " " + focuser;
    }
    names["EditJeuAD"] = captionOf("Label13") + " " + axisCaption[0];
    names["EditJeuDe"] = captionOf("Label13") + " " + axisCaption[1];
    names["EditMaintienFoc"] = captionOf("Label14") + " (" + captionOf("GroupBox3") + ")";
    for (int entry = 0; entry < kPwmCount; ++entry)
        names[FormModel::pwmName(entry)] = "PWM" + std::to_string(entry);
    for (const char* control : {"ButtonOuvrir", "ButtonValider", "ButtonSauvegarder", "GroupBox1",
                                "GroupBox2", "GroupBox3", "GroupBox4", "GroupBox5"})
        names[control] = captionOf(control);
    names["ListBoxValeurTimer"] = "Périodes IT proposées";
    return names;
}

} // namespace korval
