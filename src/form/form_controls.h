#pragma once
// The window's controls as its form file lays them out: name, kind, the group
// box that holds it, place and size in layout pixels, and the state it starts
// in. Every front end builds its window from this one table.

#include <string>
#include <vector>

namespace korval
{

enum class ControlKind { Label, GroupBox, Edit, CheckBox, Button, List };

// What a control stands for on screen, which each window maps to its own
// colours and fonts: the period field (lime by day), the result displays
// (grey with yellow text, EditV1AD among them although it stays typeable), the
// bold column heads of the speeds. A box marked for a stored value that
// differs is a state of the moment (FormModel::storedNote), not a look.
enum class ControlLook { Plain, PeriodField, ResultDisplay, ColumnHead };

struct ControlGeometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct ControlInfo {
    const char* name;
    ControlKind kind;
    const char* parent; // "" on the window itself
    ControlGeometry geometry;
    const char* text; // caption, title or initial text
    bool checked;
    bool visible;
    bool enabled;
    ControlLook look = ControlLook::Plain;
};

// In the window's creation order.
const std::vector<ControlInfo>& formControls();

// The window's title and the size of its client area, in layout pixels.
inline const char* const kFormTitle = "Programme de configuration de KORVAL 2.4";
constexpr int kFormWidth = 788;
constexpr int kFormHeight = 290;

// The tool buttons every window adds beside the form's own controls, each on a
// free place of the layout (layout pixels): the mount assistant beside
// "Ouvrir", the comparison with a file between "Ouvrir" and the PWM box, the
// night look left of "Valider", the board's whole image between "Valider" and
// "Sauvegarder". Like a tool bar's buttons they are out of the tab walk: their
// mnemonic (Alt+letter) or their key reaches them.
struct ToolButtonInfo {
    const char* name;    // the object name, as formHelpTexts() and accessibleTexts() know it
    const char* caption; // without mnemonic marker
    char mnemonic;       // the letter Alt reaches it by, or 0
    ControlGeometry place;
    bool tabStop;
    bool checkable; // a switch, shown pressed while on
};

// In the order the windows create them.
const std::vector<ToolButtonInfo>& toolButtons();
const ToolButtonInfo& toolButton(const char* name);

// The caption with '&' before its mnemonic's first occurrence ("&Monture…"),
// as Qt and Windows mark it.
std::string mnemonicCaption(const ToolButtonInfo& button);

constexpr ControlGeometry kMountButtonPlace{32, 8, 75, 25};
constexpr ControlGeometry kNightButtonPlace{4, 48, 60, 25};
constexpr ControlGeometry kCompareButtonPlace{216, 8, 80, 25};
constexpr ControlGeometry kBoardButtonPlace{150, 48, 48, 25};

} // namespace korval
