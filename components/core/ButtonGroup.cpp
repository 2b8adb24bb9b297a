// The group and "down" rules of the speed buttons and the flat toolbar buttons.
#include "components/core/ButtonGroup.h"

bool TButtonGroupState::SetGroupIndex(int value)
{
    if (value == GroupIndex)
        return false;
    GroupIndex = value;
    return true;
}

bool TButtonGroupState::SetAllowAllUp(bool value)
{
    if (value == AllowAllUp)
        return false;
    AllowAllUp = value;
    return true;
}

bool TButtonGroupState::SetDown(bool value)
{
    if (GroupIndex == 0)
        value = false;
    if (value == Down)
        return false;
    // The one down button of a group stays down unless the group lets all be up.
    if (Down && !AllowAllUp)
        return false;
    Down = value;
    return true;
}

bool TButtonGroupState::Follow(const TButtonGroupState& pressed)
{
    if (&pressed == this || pressed.GroupIndex == 0 || pressed.GroupIndex != GroupIndex)
        return false;
    AllowAllUp = pressed.AllowAllUp;
    if (!(pressed.Down && Down))
        return false;
    Down = false;
    return true;
}
