#pragma once
// Common mounts and their right-ascension gear train as published, for the
// assistant's list « Monture » and the command line's --monture: a row fills
// the assistant's inputs (teeth, and the stock motor and reduction where the
// source gives them), nothing more. A mount its owner changed (another motor,
// a belt kit) keeps its teeth but not the stock motor data.

#include "axes/mount_assistant.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korval
{

struct MountModel {
    const char* name;                 // "Sky-Watcher EQ6 (SynScan)", as the lists show it
    const char* shortName;            // "EQ6", for the command line
    std::vector<const char*> aliases; // other names the command line takes ("neq6")
    std::uint32_t teeth;              // right-ascension worm wheel
    std::uint32_t motorSteps;         // stock motor's full steps per turn; 0: not published
    Ratio reduction;                  // stock motor -> worm, exact; used when motorSteps != 0
    // The source's total steps for one turn of the axis and the microsteps it
    // counts, for checking the row: total = motorSteps x reduction x teeth x microsteps.
    std::uint64_t totalSteps; // 0: not published
    std::uint32_t microsteps;
    const char* source; // where the numbers were published
};

// The table, in the order the lists show it.
const std::vector<MountModel>& mountModels();

// The list's caption, at the top of the gear-train page.
constexpr const char* kMountListCaption = "Monture";
// The list's first entry, which changes nothing.
const char* freeMountEntry(); // "Autre (saisie libre)"

// A row by its name, short name or alias, case, accents, blanks and dashes
// free ("neq6", "Heq5", "eq3-2", "EQ32"); null when none.
const MountModel* findMountModel(const std::string& name);
// "EQ3-2, EQ5, HEQ5, EQ6, G11, GM8, LXD55": the names --monture takes.
std::string mountModelNames();

// The gear-train texts once the row is chosen: the teeth, and the motor and
// reduction where the row has them; the rest as the owner typed it.
MountTexts filledByModel(const MountModel& model, MountTexts texts);
// Whether the texts still hold what the row filled: when a filled box is
// edited the list goes back to the free entry.
bool holdsModel(const MountModel& model, const MountTexts& texts);

// The list's entries: the free entry, then the rows' names. Choice 0 is the
// free entry, choice i the row i - 1.
std::vector<std::string> mountListEntries();
// The list's help text for a choice: the row's numbers and source, or what
// the list does for the free entry.
std::string mountListHelp(int choice);
// The choice the list shows after the texts changed: `choice` while its row
// still holds, else the free entry.
int mountListChoice(int choice, const MountTexts& texts);

// The table as `korvalset24-cli monture --liste` prints it, sources included.
std::string mountTableText();

} // namespace korval
