// The group and "down" rules that the speed buttons and the flat toolbar buttons share.
#pragma once

// How a button latches in its group. The buttons of one parent with the same GroupIndex other than 0
// form a group, of which at most one is down; the one down goes up only when the group allows all up.
// A button in no group (0) never stays down. The button finds its group's other buttons itself and
// hands each the state of the one that went down (Follow).
struct TButtonGroupState {
    int GroupIndex = 0;
    bool AllowAllUp = false;
    bool Down = false;

    // Each setter is true when the value changed; the button then tells the others of its group (after
    // SetDown, only when it went down).
    bool SetGroupIndex(int value);
    bool SetAllowAllUp(bool value);
    // Sets Down to `value` as far as the rules allow.
    bool SetDown(bool value);
    // Down in a group: the button shows latched.
    bool Latched() const { return Down && GroupIndex != 0; }
    // `pressed`, another button of this one's group, went down or changed the group's rule: this one
    // takes the group's AllowAllUp, and goes up when both are down. True when it went up. The button
    // itself, buttons of other groups and buttons in none are left alone.
    bool Follow(const TButtonGroupState& pressed);
};
