#include "form/list_keys.h"

namespace korval
{

ListKeyAction listKeyAction(ListKeyPlace place, ListKey key, bool listVisible)
{
    if (key == ListKey::Escape && (listVisible || place == ListKeyPlace::List))
        return ListKeyAction::Close;
    if (place == ListKeyPlace::PeriodBox)
        return key == ListKey::F4 || key == ListKey::AltDown ? ListKeyAction::Open
                                                             : ListKeyAction::None;
    return key == ListKey::Enter ? ListKeyAction::Apply : ListKeyAction::None;
}

bool nightKeySwitches(const NightKeyPress& press)
{
    if (press.letter != 'N' && press.letter != 'n') return false;
    if (press.shift || press.control == press.alt) return false; // exactly one of the two
    return !press.repeated;
}

} // namespace korval
