// Tests of the tool pages' combo history.
#include <gtest/gtest.h>

#include <string>

#include "app/model/ToolPageValues.h"
#include "platform/core/SysUtils.h"

TEST(ToolPageValues, HistoryKeepsTwentyNewestFirstAndSelectsAPresentText)
{
    THistoryCombo combo;
    for (int i = 1; i <= 20; ++i) {
        combo.Text = Format("  entry%d ", i);
        AddToHistory(combo);
        EXPECT_EQ(combo.Text, Format("entry%d", i));
        EXPECT_EQ(combo.ItemIndex, 0);
    }
    ASSERT_EQ(combo.Items.Count(), 20);
    EXPECT_EQ(combo.Items[0], "entry20");
    EXPECT_EQ(combo.Items[19], "entry1");

    // A 21st entry drops the oldest.
    combo.Text = "entry21";
    AddToHistory(combo);
    ASSERT_EQ(combo.Items.Count(), 20);
    EXPECT_EQ(combo.Items[0], "entry21");
    EXPECT_EQ(combo.Items[19], "entry2");

    // A present text is only selected.
    combo.Text = "entry10";
    AddToHistory(combo);
    EXPECT_EQ(combo.Items.Count(), 20);
    EXPECT_EQ(combo.Items[0], "entry21");
    EXPECT_EQ(combo.Items[combo.ItemIndex], "entry10");

    // Empty or blank text does nothing.
    const int index = combo.ItemIndex;
    for (const char* empty : {"", "   "}) {
        combo.Text = empty;
        AddToHistory(combo);
        EXPECT_EQ(combo.Items.Count(), 20);
        EXPECT_EQ(combo.ItemIndex, index);
    }
}
