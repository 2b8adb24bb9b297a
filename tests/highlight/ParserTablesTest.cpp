// TRTStack: the run-time stack of state sets that "push" and "pop" tokens use.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "highlight/ParserTables.h"

namespace {

TEST(TRTStack, PopsInReverseOrderAndLeavesTheStatesAloneWhenEmpty)
{
    TRTStack stack;
    TStateSet states{7};
    EXPECT_FALSE(stack.PopStates(states));
    EXPECT_EQ(states, TStateSet{7});
    EXPECT_TRUE(stack.Empty());

    stack.PushStates(TStateSet{1});
    stack.PushStates(TStateSet{2, 3});
    EXPECT_EQ(stack.Count(), 2u);
    EXPECT_TRUE(stack.PopStates(states));
    EXPECT_EQ(states, (TStateSet{2, 3}));
    EXPECT_TRUE(stack.PopStates(states));
    EXPECT_EQ(states, TStateSet{1});
    EXPECT_FALSE(stack.PopStates(states));
    EXPECT_EQ(states, TStateSet{1});

    // Clear drops every frame, however deep the nesting went.
    for (int i = 0; i < 100; ++i)
        stack.PushStates(TStateSet{static_cast<uint8_t>(i)});
    stack.Clear();
    EXPECT_TRUE(stack.Empty());
    EXPECT_FALSE(stack.PopStates(states));
    EXPECT_EQ(states, TStateSet{1});
}

TEST(TRTStack, FollowsAVectorModelThroughRandomPushesPopsAndClears)
{
    std::mt19937 rng(22);
    TRTStack stack;
    std::vector<TStateSet> model;
    TStateSet states;
    for (int step = 0; step < 20000; ++step) {
        const unsigned action = rng() % 100;
        if (action < 50) {
            TStateSet pushed{static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng())};
            stack.PushStates(pushed);
            model.push_back(pushed);
        } else if (action < 99) {
            const TStateSet before = states;
            const bool popped = stack.PopStates(states);
            ASSERT_EQ(popped, !model.empty()) << step;
            if (popped) {
                ASSERT_EQ(states, model.back()) << step;
                model.pop_back();
            } else {
                ASSERT_EQ(states, before) << step;
            }
        } else {
            stack.Clear();
            model.clear();
        }
        ASSERT_EQ(stack.Count(), model.size()) << step;
    }
}

} // namespace
