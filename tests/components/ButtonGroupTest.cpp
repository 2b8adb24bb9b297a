// The group and "down" rules the speed buttons and the flat toolbar buttons share.
#include <gtest/gtest.h>

#include "components/core/ButtonGroup.h"

namespace {

TButtonGroupState button(int group, bool allowAllUp = false, bool down = false)
{
    TButtonGroupState state;
    state.GroupIndex = group;
    state.AllowAllUp = allowAllUp;
    state.Down = down;
    return state;
}

} // namespace

TEST(ButtonGroup, DownFollowsTheGroupsRule)
{
    // No group: never down.
    TButtonGroupState alone = button(0);
    EXPECT_FALSE(alone.SetDown(true));
    EXPECT_FALSE(alone.Down);
    EXPECT_FALSE(alone.Latched());

    // In a group that keeps one down: it goes down, and stays down.
    TButtonGroupState kept = button(3);
    EXPECT_TRUE(kept.SetDown(true));
    EXPECT_TRUE(kept.Down);
    EXPECT_TRUE(kept.Latched());
    EXPECT_FALSE(kept.SetDown(true));
    EXPECT_FALSE(kept.SetDown(false));
    EXPECT_TRUE(kept.Down);

    // A group that lets all be up lets it go up.
    TButtonGroupState free = button(3, true);
    EXPECT_TRUE(free.SetDown(true));
    EXPECT_TRUE(free.SetDown(false));
    EXPECT_FALSE(free.Down);
    EXPECT_FALSE(free.SetDown(false));

    // The setters say whether the value changed; a button down in a group that is moved out of it is
    // no longer latched.
    EXPECT_FALSE(kept.SetGroupIndex(3));
    EXPECT_TRUE(kept.SetGroupIndex(0));
    EXPECT_TRUE(kept.Down);
    EXPECT_FALSE(kept.Latched());
    EXPECT_FALSE(free.SetAllowAllUp(true));
    EXPECT_TRUE(free.SetAllowAllUp(false));
    EXPECT_FALSE(free.AllowAllUp);
}

TEST(ButtonGroup, TheOthersOfTheGroupFollowTheOneDown)
{
    TButtonGroupState pressed = button(2, true, true);
    TButtonGroupState other = button(2, false, true);
    EXPECT_TRUE(other.Follow(pressed));
    EXPECT_FALSE(other.Down);
    EXPECT_TRUE(other.AllowAllUp);

    // An up button takes the rule and stays up; the pressed one is untouched.
    TButtonGroupState up = button(2, false, false);
    EXPECT_FALSE(up.Follow(pressed));
    EXPECT_FALSE(up.Down);
    EXPECT_TRUE(up.AllowAllUp);
    EXPECT_TRUE(pressed.Down);

    // The rule spreads also from a button that is up.
    TButtonGroupState rule = button(2, false, false);
    TButtonGroupState follower = button(2, true, true);
    EXPECT_FALSE(follower.Follow(rule));
    EXPECT_TRUE(follower.Down);
    EXPECT_FALSE(follower.AllowAllUp);

    // Another group, no group and the button itself are left alone.
    TButtonGroupState elsewhere = button(5, false, true);
    EXPECT_FALSE(elsewhere.Follow(pressed));
    EXPECT_TRUE(elsewhere.Down);
    EXPECT_FALSE(elsewhere.AllowAllUp);
    TButtonGroupState none = button(0, false, false);
    TButtonGroupState noneToo = button(0, true, false);
    EXPECT_FALSE(none.Follow(noneToo));
    EXPECT_FALSE(none.AllowAllUp);
    EXPECT_FALSE(pressed.Follow(pressed));
    EXPECT_TRUE(pressed.Down);
}
