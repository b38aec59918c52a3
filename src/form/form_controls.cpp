#include "form/form_controls.h"

#include "form/board_texts.h"
#include "form/form_help.h"

#include <cstring>

namespace korval
{

// Kept equal to src/app/tform1.ui by the form suite, which reads that file.
const std::vector<ControlInfo>& formControls()
{
    // clang-format off
    static const std::vector<ControlInfo> controls = {
    {"Label22", ControlKind::Label, "", {0, 88, 125, 13}, "Fréquence du  Quartz (Hz)", false, true, true},
    {"Label23", ControlKind::Label, "", {0, 120, 136, 13}, "Durée d'un tour de vis AD (s)", false, true, true},
    {"Label24", ControlKind::Label, "", {0, 152, 111, 13}, "Nombre de pas par tour", false, true, true},
    {"Label25", ControlKind::Label, "", {0, 184, 87, 13}, "Tranches PEC (-1)", false, true, true},
    {"Label26", ControlKind::Label, "", {0, 216, 82, 13}, "Par par Tranches", false, true, true},
    {"Label33", ControlKind::Label, "", {0, 248, 69, 13}, "Période IT (ns)", false, true, true},
    {"Label34", ControlKind::Label, "", {272, 264, 35, 13}, "Vit Max", false, true, true},
    {"Label35", ControlKind::Label, "", {216, 264, 28, 13}, "Erreur", false, true, true},
    {"Label36", ControlKind::Label, "", {328, 264, 63, 13}, "Pér. max (ms)", false, true, true},
    {"Label37", ControlKind::Label, "", {200, 152, 6, 13}, "à", false, true, true},
    {"Label38", ControlKind::Label, "", {256, 152, 13, 13}, "ms", false, true, true},
    {"Label39", ControlKind::Label, "", {320, 16, 33, 13}, "PWM1", false, true, true},
    {"Label42", ControlKind::Label, "", {208, 216, 36, 13}, "<65536", false, true, true},
    {"Label43", ControlKind::Label, "", {208, 184, 24, 13}, "<256", false, true, true},
    {"GroupBox1", ControlKind::GroupBox, "", {408, 0, 377, 129}, "Nombre d'it entre pas", false, true, true},
    {"Label1", ControlKind::Label, "GroupBox1", {119, 32, 17, 13}, "1/2", false, true, true},
    {"Label2", ControlKind::Label, "GroupBox1", {207, 32, 17, 13}, "1/2", false, true, true},
    {"Label3", ControlKind::Label, "GroupBox1", {8, 48, 13, 13}, "V1", false, true, true},
    {"Label5", ControlKind::Label, "GroupBox1", {8, 152, 99, 13}, "V5 (Slew/Backslash)", false, false, true},
    {"Label6", ControlKind::Label, "GroupBox1", {8, 168, 13, 13}, "V6", false, false, true},
    {"Label8", ControlKind::Label, "GroupBox1", {8, 72, 50, 13}, "V2 (Guide)", false, true, true},
    {"Label9", ControlKind::Label, "GroupBox1", {8, 104, 13, 13}, "V7", false, true, true},
    {"Label10", ControlKind::Label, "GroupBox1", {152, 8, 18, 13}, "AD", false, true, true, ControlLook::ColumnHead},
    {"Label11", ControlKind::Label, "GroupBox1", {248, 8, 17, 13}, "De", false, true, true, ControlLook::ColumnHead},
    {"Label12", ControlKind::Label, "GroupBox1", {320, 8, 22, 13}, "Foc", false, true, true, ControlLook::ColumnHead},
    {"Label27", ControlKind::Label, "GroupBox1", {184, 32, 7, 13}, "X", false, true, true},
    {"Label28", ControlKind::Label, "GroupBox1", {280, 32, 7, 13}, "X", false, true, true},
    {"Label29", ControlKind::Label, "GroupBox1", {344, 32, 13, 13}, "ms", false, true, true},
    {"Label30", ControlKind::Label, "GroupBox1", {144, 32, 30, 13}, "It<128", false, true, true},
    {"Label31", ControlKind::Label, "GroupBox1", {232, 32, 30, 13}, "It<128", false, true, true},
    {"Label32", ControlKind::Label, "GroupBox1", {304, 32, 30, 13}, "It<256", false, true, true},
    {"Label4", ControlKind::Label, "GroupBox1", {8, 136, 42, 13}, "V4 (Find)", false, false, true},
    {"CheckBoxAD1", ControlKind::CheckBox, "GroupBox1", {120, 48, 17, 17}, "", false, true, true},
    {"EditV1AD", ControlKind::Edit, "GroupBox1", {144, 48, 25, 21}, "1", false, true, true, ControlLook::ResultDisplay},
    {"EditV3AD", ControlKind::Edit, "GroupBox1", {144, 144, 25, 21}, "1", false, false, true},
    {"EditV7AD", ControlKind::Edit, "GroupBox1", {144, 96, 25, 21}, "1", false, true, true},
    {"EditV1De", ControlKind::Edit, "GroupBox1", {232, 48, 25, 21}, "1", false, true, true},
    {"EditV4De", ControlKind::Edit, "GroupBox1", {232, 136, 25, 21}, "1", false, false, true},
    {"EditV5De", ControlKind::Edit, "GroupBox1", {232, 152, 25, 21}, "1", false, false, true},
    {"CheckBoxAD3", ControlKind::CheckBox, "GroupBox1", {128, 144, 17, 17}, "", false, false, true},
    {"CheckBoxAD6", ControlKind::CheckBox, "GroupBox1", {120, 168, 17, 17}, "", true, false, true},
    {"CheckBoxDe1", ControlKind::CheckBox, "GroupBox1", {208, 48, 17, 17}, "", false, true, true},
    {"CheckBoxDe4", ControlKind::CheckBox, "GroupBox1", {208, 128, 17, 17}, "", false, false, true},
    {"CheckBoxDe3", ControlKind::CheckBox, "GroupBox1", {192, 128, 17, 17}, "", false, false, true},
    {"CheckBoxAD2", ControlKind::CheckBox, "GroupBox1", {120, 72, 17, 17}, "", false, true, true},
    {"EditV4AD", ControlKind::Edit, "GroupBox1", {144, 136, 25, 21}, "1", false, false, true},
    {"EditV5AD", ControlKind::Edit, "GroupBox1", {144, 152, 25, 21}, "1", false, false, true},
    {"EditV1Foc", ControlKind::Edit, "GroupBox1", {304, 48, 25, 21}, "1", false, true, true},
    {"EditV3Foc", ControlKind::Edit, "GroupBox1", {304, 144, 25, 21}, "1", false, false, true},
    {"EditV2De", ControlKind::Edit, "GroupBox1", {232, 72, 25, 21}, "1", false, true, true},
    {"EditV7De", ControlKind::Edit, "GroupBox1", {232, 96, 25, 21}, "1", false, true, true},
    {"EditV6De", ControlKind::Edit, "GroupBox1", {232, 168, 25, 21}, "1", false, false, true},
    {"CheckBoxAD4", ControlKind::CheckBox, "GroupBox1", {120, 144, 17, 17}, "", false, false, true},
    {"CheckBoxAD5", ControlKind::CheckBox, "GroupBox1", {120, 152, 17, 17}, "", false, false, true},
    {"CheckBoxAD7", ControlKind::CheckBox, "GroupBox1", {120, 96, 17, 17}, "", true, true, true},
    {"CheckBoxDe2", ControlKind::CheckBox, "GroupBox1", {208, 72, 17, 17}, "", false, true, true},
    {"CheckBoxDe7", ControlKind::CheckBox, "GroupBox1", {208, 96, 17, 17}, "", true, true, true},
    {"CheckBoxDe6", ControlKind::CheckBox, "GroupBox1", {208, 168, 17, 17}, "", true, false, true},
    {"CheckBoxDe5", ControlKind::CheckBox, "GroupBox1", {208, 152, 17, 17}, "", false, false, true},
    {"EditV2AD", ControlKind::Edit, "GroupBox1", {144, 72, 25, 21}, "1", false, true, true},
    {"EditV6AD", ControlKind::Edit, "GroupBox1", {144, 168, 25, 21}, "1", false, false, true},
    {"EditV2Foc", ControlKind::Edit, "GroupBox1", {304, 72, 25, 21}, "1", false, false, true},
    {"EditV4Foc", ControlKind::Edit, "GroupBox1", {304, 152, 25, 21}, "1", false, false, true},
    {"EditV5Foc", ControlKind::Edit, "GroupBox1", {304, 160, 25, 21}, "1", false, false, true},
    {"EditV7Foc", ControlKind::Edit, "GroupBox1", {304, 96, 25, 21}, "1", false, true, true},
    {"EditV6Foc", ControlKind::Edit, "GroupBox1", {304, 168, 25, 21}, "1", false, false, true},
    {"GroupBox2", ControlKind::GroupBox, "", {408, 136, 377, 33}, "Nombre de pas", false, true, true},
    {"Label13", ControlKind::Label, "GroupBox2", {8, 16, 85, 13}, "Rattrapage de jeu", false, true, true},
    {"Label44", ControlKind::Label, "GroupBox2", {288, 16, 36, 13}, "<65536", false, true, true},
    {"EditJeuAD", ControlKind::Edit, "GroupBox2", {144, 8, 41, 21}, "1", false, true, true},
    {"EditJeuDe", ControlKind::Edit, "GroupBox2", {232, 8, 41, 21}, "1", false, true, true},
    {"GroupBox3", ControlKind::GroupBox, "", {408, 176, 377, 33}, "en ms", false, true, true},
    {"Label14", ControlKind::Label, "GroupBox3", {8, 16, 71, 13}, "Durée maintien", false, true, true},
    {"EditMaintienFoc", ControlKind::Edit, "GroupBox3", {320, 8, 33, 21}, "1", false, true, true},
    {"GroupBox4", ControlKind::GroupBox, "", {304, 0, 97, 233}, "PWM", false, true, true},
    {"Label15", ControlKind::Label, "GroupBox4", {16, 40, 33, 13}, "PWM1", false, true, true},
    {"Label16", ControlKind::Label, "GroupBox4", {16, 64, 33, 13}, "PWM2", false, true, true},
    {"Label17", ControlKind::Label, "GroupBox4", {16, 88, 33, 13}, "PWM3", false, true, true},
    {"Label18", ControlKind::Label, "GroupBox4", {16, 112, 33, 13}, "PWM4", false, true, true},
    {"Label19", ControlKind::Label, "GroupBox4", {16, 136, 33, 13}, "PWM5", false, true, true},
    {"Label20", ControlKind::Label, "GroupBox4", {16, 160, 33, 13}, "PWM6", false, true, true},
    {"Label21", ControlKind::Label, "GroupBox4", {16, 184, 33, 13}, "PWM7", false, true, true},
    {"Label40", ControlKind::Label, "GroupBox4", {16, 208, 33, 13}, "PWM8", false, true, true},
    {"Label41", ControlKind::Label, "GroupBox4", {16, 16, 33, 13}, "PWM0", false, true, true},
    {"EditPwm3", ControlKind::Edit, "GroupBox4", {64, 80, 25, 21}, "0", false, true, true},
    {"EditPwm7", ControlKind::Edit, "GroupBox4", {64, 176, 25, 21}, "0", false, true, true},
    {"EditPwm4", ControlKind::Edit, "GroupBox4", {64, 104, 25, 21}, "0", false, true, true},
    {"EditPwm5", ControlKind::Edit, "GroupBox4", {64, 128, 25, 21}, "0", false, true, true},
    {"EditPwm6", ControlKind::Edit, "GroupBox4", {64, 152, 25, 21}, "0", false, true, true},
    {"EditPwm1", ControlKind::Edit, "GroupBox4", {64, 32, 25, 21}, "0", false, true, true},
    {"EditPwm2", ControlKind::Edit, "GroupBox4", {64, 56, 25, 21}, "0", false, true, true},
    {"EditPwm8", ControlKind::Edit, "GroupBox4", {64, 200, 25, 21}, "0", false, true, true},
    {"ButtonOuvrir", ControlKind::Button, "", {136, 8, 75, 25}, "Ouvrir", false, true, true},
    {"ButtonValider", ControlKind::Button, "", {72, 48, 75, 25}, "Valider", false, true, true},
    {"ButtonSauvegarder", ControlKind::Button, "", {200, 48, 75, 25}, "Sauvegarder", false, true, true},
    {"EditFrequenceQuartz", ControlKind::Edit, "", {144, 80, 57, 21}, "14745600", false, true, true},
    {"EditDureeTour", ControlKind::Edit, "", {144, 112, 65, 21}, "598.361816", false, true, true},
    {"EditPasParTour", ControlKind::Edit, "", {144, 144, 49, 21}, "11520", false, true, true},
    {"EditTranchePec", ControlKind::Edit, "", {144, 176, 25, 21}, "0", false, true, true},
    {"EditPasParTranche", ControlKind::Edit, "", {144, 208, 49, 21}, "45", false, true, true},
    {"EditMsFoc1", ControlKind::Edit, "", {744, 48, 33, 21}, "", false, true, false, ControlLook::ResultDisplay},
    {"EditMsFoc2", ControlKind::Edit, "", {744, 72, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditMsFoc3", ControlKind::Edit, "", {744, 312, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditMsFoc4", ControlKind::Edit, "", {744, 280, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditMsFoc5", ControlKind::Edit, "", {712, 280, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditMsFoc6", ControlKind::Edit, "", {704, 304, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditMsFoc7", ControlKind::Edit, "", {744, 96, 33, 21}, "", false, true, false, ControlLook::ResultDisplay},
    {"EditXDe1", ControlKind::Edit, "", {672, 48, 33, 21}, "", false, true, false, ControlLook::ResultDisplay},
    {"EditXDe2", ControlKind::Edit, "", {672, 72, 33, 21}, "", false, true, false, ControlLook::ResultDisplay},
    {"EditXDe3", ControlKind::Edit, "", {688, 312, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditXDe4", ControlKind::Edit, "", {688, 280, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditXDe5", ControlKind::Edit, "", {656, 296, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditXDe6", ControlKind::Edit, "", {296, 296, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditXDe7", ControlKind::Edit, "", {672, 96, 33, 21}, "", false, true, false, ControlLook::ResultDisplay},
    {"EditXAD1", ControlKind::Edit, "", {584, 48, 33, 21}, "", false, true, false, ControlLook::ResultDisplay},
    {"EditXAD2", ControlKind::Edit, "", {584, 72, 33, 21}, "", false, true, false, ControlLook::ResultDisplay},
    {"EditXAD3", ControlKind::Edit, "", {336, 312, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditXAD4", ControlKind::Edit, "", {264, 304, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditXAD5", ControlKind::Edit, "", {352, 296, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditXAD6", ControlKind::Edit, "", {240, 288, 33, 21}, "", false, false, false, ControlLook::ResultDisplay},
    {"EditXAD7", ControlKind::Edit, "", {584, 96, 33, 21}, "", false, true, false, ControlLook::ResultDisplay},
    {"EditPeriodeTimer", ControlKind::Edit, "", {144, 240, 49, 21}, "1403809", false, true, true, ControlLook::PeriodField},
    {"EditVmax", ControlKind::Edit, "", {272, 240, 41, 21}, " ", false, true, false, ControlLook::ResultDisplay},
    {"EditErreur", ControlKind::Edit, "", {200, 240, 65, 21}, " ", false, true, false, ControlLook::ResultDisplay},
    {"EditPeriodeMax", ControlKind::Edit, "", {336, 240, 49, 21}, " ", false, true, false, ControlLook::ResultDisplay},
    {"EditPerPas", ControlKind::Edit, "", {208, 144, 41, 21}, "51.64", false, true, false, ControlLook::ResultDisplay},
    {"EditPwm0", ControlKind::Edit, "", {368, 8, 25, 21}, "0", false, true, true},
    {"GroupBox5", ControlKind::GroupBox, "", {408, 216, 297, 41}, "Accélération", false, true, true},
    {"Label7", ControlKind::Label, "GroupBox5", {8, 20, 136, 13}, "Temps en secondes entières", false, true, true},
    {"Label45", ControlKind::Label, "GroupBox5", {240, 16, 24, 13}, "<256", false, true, true},
    {"EditV3De", ControlKind::Edit, "GroupBox5", {208, 12, 25, 21}, "1", false, true, true},
    {"ListBoxValeurTimer", ControlKind::List, "", {248, 128, 249, 145}, "", false, false, true},
    };
    // clang-format on
    return controls;
}

const std::vector<ToolButtonInfo>& toolButtons()
{
    static const std::vector<ToolButtonInfo> buttons = {
        {kMountButtonName, "Monture…", 'M', kMountButtonPlace, false, false},
        {kCompareButtonName, "Comparer…", 'C', kCompareButtonPlace, false, false},
        {kBoardButtonName, boardTexts().toolButton, boardTexts().toolMnemonic, kBoardButtonPlace,
         false, false},
        {kNightButtonName, "Nuit", 'N', kNightButtonPlace, false, true},
    };
    return buttons;
}

const ToolButtonInfo& toolButton(const char* name)
{
    for (const ToolButtonInfo& button : toolButtons())
        if (std::strcmp(button.name, name) == 0)
            return button;
    return toolButtons().front(); // unreachable for the names above
}

std::string mnemonicCaption(const ToolButtonInfo& button)
{
    std::string caption = button.caption;
    if (button.mnemonic != 0) {
        const std::size_t at = caption.find(button.mnemonic);
        if (at != std::string::npos)
            caption.insert(at, 1, '&');
    }
    return caption;
}

} // namespace korval
