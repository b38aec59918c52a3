#pragma once
// The candidate list's keys, the same in every window: a window names its
// own key codes as a ListKey and carries out the ListKeyAction answered.

namespace korval
{

enum class ListKey { F4, AltDown, Enter, Escape, Other };

// Where the key was pressed: the period box EditPeriodeTimer or the list.
enum class ListKeyPlace { PeriodBox, List };

enum class ListKeyAction {
    None,  // the key is the control's own
    Open,  // the search runs (FormModel::searchFromKeyboard); the focus goes to the list
    Apply, // the list's selected line is applied, as by a double-click
    Close, // the list hides; the focus goes back to the period box
};

// F4 and Alt+Down open the list from its box, as in a combo box; Enter in the
// list applies its line; Esc closes the list from either.
ListKeyAction listKeyAction(ListKeyPlace place, ListKey key, bool listVisible);

// The night look's keys: Ctrl+N, and Alt+N (its button's mnemonic; the page's
// only one, for the browser keeps Ctrl+N). A window names the key it got;
// `repeated` is the system's auto-repeat of a key held down, which switches
// nothing: a held key switches once.
struct NightKeyPress {
    char letter; // as typed, either case
    bool control;
    bool alt;
    bool shift;
    bool repeated;
};
bool nightKeySwitches(const NightKeyPress& press);

} // namespace korval
