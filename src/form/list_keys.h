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

} // namespace korval
