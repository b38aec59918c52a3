#pragma once
// What the « Carte… » dialog says and how it is laid out, once for the Qt
// window and the Windows window (the page keeps the whole image alone): its
// title, captions, the commands' help, the note on what is programmed, and
// its controls as one table each window builds from.

#include "form/colour_scheme.h"
#include "form/form_controls.h"

#include <string>
#include <vector>

namespace korval
{

struct BoardTexts {
    const char* title;      // "Carte"
    const char* toolButton; // "Carte…", beside « Monture… » and « Comparer… »
    char toolMnemonic;      // 'C' is « Comparer… »'s: 'a'
    const char* firmware;   // the firmware image's label
    const char* chooseFirmware;
    const char* writeImage;   // "Écrire l'image complète…"
    const char* writeCommand; // "Commande d'écriture"
    const char* readCommand;  // "Commande de lecture"
    const char* program;      // "Programmer"
    const char* stop;         // "Arrêter"
    const char* close;
    const char* output;   // the output's name for screen readers
    const char* pageNote; // what the page says in place of « Programmer »
};
const BoardTexts& boardTexts();

// The help (tooltip) of each command box: what every placeholder holds, and
// that {hex} given to a programmer that erases the whole chip erases the
// firmware.
const char* writeCommandHelp();
const char* readCommandHelp();

// The filter of the firmware image's dialogs: "Images HEX (*.hex)|*.hex".
inline const char* const kFirmwareFilter = "Images HEX (*.hex)|*.hex";

// A file named after a table, `base` its file's name without extension
// ("monture"; empty for a table never saved: "table") and `suffix` what
// follows: "monture.hex", "table-lecture.hex".
std::string tableFileName(const std::string& base, const char* suffix);
inline const char* const kWholeImageSuffix = "-image.hex";

// The name proposed for the whole image of the table saved as `tableName`
// ("monture.kv2" or "monture"): "monture-image.hex"; "table-image.hex" for a
// table never saved.
std::string wholeImageName(const std::string& tableName);

// Why the firmware image `name` chosen in the page cannot be read any more.
std::string firmwareUnreadable(const std::string& name);
// The message when « Écrire l'image complète… » writes nothing, for `reason`.
std::string wholeImageFailure(const std::string& reason);

// The note above « Programmer »: what is programmed is the window's table,
// said when it differs from the saved file.
std::string boardTableNote(bool differsFromSaved);

// The dialog's controls, in creation order (also the tab order), in layout
// pixels of a client area kBoardDialogWidth x kBoardDialogHeight.
enum class BoardControlKind { Label, Edit, Button, Output };
enum class BoardControlId {
    FirmwareLabel,
    FirmwareEdit,
    ChooseFirmware,
    WriteImage,
    WriteLabel,
    WriteEdit,
    ReadLabel,
    ReadEdit,
    Note,
    Output,
    Program,
    Stop,
    Close,
};
struct BoardControl {
    BoardControlId id;
    const char* name; // object name, as the windows' tests find it
    BoardControlKind kind;
    ControlGeometry place;
    const char* text; // caption, or initial text
    char mnemonic;    // 0: none
    const char* help; // tooltip, or nullptr
    ColourRole background;
    bool enabledAtStart;
};
const std::vector<BoardControl>& boardControls();
const BoardControl& boardControl(BoardControlId id);
constexpr int kBoardDialogWidth = 560;
constexpr int kBoardDialogHeight = 400;

} // namespace korval
