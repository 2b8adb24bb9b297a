// The rows of a dock: thickness of an empty dock, windows kept apart along a row, overruns pushed
// back, full-size windows on rows of their own, blank rows closed up, and the row under a point.
#include <gtest/gtest.h>
#include <random>

#include "components/core/DockRows.h"

namespace {

TDockRowBar bar(int row, int pos, int length, int rowSize = 20, bool fullSize = false)
{
    TDockRowBar b;
    b.Row = row;
    b.Pos = pos;
    b.Length = length;
    b.RowSize = rowSize;
    b.FullSize = fullSize;
    return b;
}

// The bars of `rows` as (row, pos) pairs, in list order.
std::vector<std::pair<int, int>> places(const TDockRows& rows)
{
    std::vector<std::pair<int, int>> out;
    for (const TDockRowBar& b : rows.Bars)
        out.emplace_back(b.Row, b.Pos);
    return out;
}

} // namespace

TEST(DockRows, EmptyDockThickness)
{
    TDockRows rows;
    rows.RowSizes = {12};
    EXPECT_EQ(rows.Arrange(100, false, false, false, false).Size, 0);
    EXPECT_TRUE(rows.RowSizes.empty());
    const TDockThickness fixed = rows.Arrange(100, false, false, true, false);
    EXPECT_EQ(fixed.Size, 1);
    EXPECT_FALSE(fixed.ClientSize);
    EXPECT_EQ(rows.Arrange(100, true, false, false, true).Size, 9);
    EXPECT_EQ(rows.GetHighestRow(), -1);
}

TEST(DockRows, WindowsAlongARow)
{
    // Two at the same place: one after the other; the row is as thick as its thickest window plus 4.
    TDockRows same;
    same.Bars = {bar(0, 10, 30, 20), bar(0, 10, 40, 24)};
    const TDockThickness t = same.Arrange(200, false, false, false, false);
    EXPECT_TRUE(t.ClientSize);
    EXPECT_EQ(t.Size, 28);
    EXPECT_EQ(same.Bars[0].Pos, 10);
    EXPECT_EQ(same.Bars[1].Pos, 10 + same.Bars[0].Length);
    EXPECT_EQ(same.Bars[0].Bounds, (TRect{10, 0, 10 + same.Bars[0].Length, 28}));

    // An overrunning row moves back by the last window's overrun.
    TDockRows over;
    over.Bars = {bar(0, 95, 30), bar(0, 50, 40)};
    over.Arrange(100, false, false, false, false);
    EXPECT_EQ(places(over), (std::vector<std::pair<int, int>>{{0, 25}, {0, 70}}));
    // ... but never before 0: the first stays at 0 and the next follows it.
    TDockRows tight;
    tight.Bars = {bar(0, 0, 40), bar(0, 10, 40)};
    tight.Arrange(60, false, false, false, false);
    EXPECT_EQ(places(tight), (std::vector<std::pair<int, int>>{{0, 0}, {0, 40}}));

    // A left dock lays the same rows out down its height, rows side by side.
    TDockRows left;
    left.Bars = {bar(0, 0, 30, 16), bar(1, 5, 20, 10)};
    EXPECT_EQ(left.Arrange(200, true, false, false, false).Size, 20 + 14);
    EXPECT_EQ(left.Bars[0].Bounds, (TRect{0, 0, 20, 30}));
    EXPECT_EQ(left.Bars[1].Bounds, (TRect{20, 5, 34, 25}));

    // One row only: everything on row 0, one after the other.
    TDockRows one;
    one.Bars = {bar(0, 0, 30), bar(2, 0, 30)};
    one.Arrange(200, false, true, false, false);
    EXPECT_EQ(places(one), (std::vector<std::pair<int, int>>{{0, 0}, {0, 30}}));
}

TEST(DockRows, FullSizeAndBlankRows)
{
    // A full-size window sharing row 0 sends the others, and every later row, one row down.
    TDockRows rows;
    rows.Bars = {bar(0, 0, 30), bar(0, 50, 20, 20, true), bar(1, 0, 30)};
    rows.Arrange(200, false, false, false, false);
    EXPECT_EQ(places(rows), (std::vector<std::pair<int, int>>{{1, 0}, {0, 0}, {2, 0}}));
    EXPECT_EQ(rows.Bars[1].Bounds, (TRect{0, 0, 200, 24}));
    EXPECT_EQ(rows.Bars[0].Bounds, (TRect{0, 24, 30, 48}));

    // Rows nobody uses close up, two blank ones in a row too.
    TDockRows blank;
    blank.Bars = {bar(5, 0, 10), bar(0, 0, 10), bar(3, 0, 10)};
    blank.RemoveBlankRows();
    EXPECT_EQ(places(blank), (std::vector<std::pair<int, int>>{{2, 0}, {0, 0}, {1, 0}}));
    blank.InsertRowBefore(1);
    EXPECT_EQ(places(blank), (std::vector<std::pair<int, int>>{{3, 0}, {0, 0}, {2, 0}}));
    EXPECT_EQ(blank.GetNumberOfToolbarsOnRow(0, -1), 1);
    EXPECT_EQ(blank.GetNumberOfToolbarsOnRow(0, 1), 0);
}

TEST(DockRows, RowUnderAPoint)
{
    TDockRows rows;
    rows.Bars = {bar(0, 0, 30, 20), bar(1, 0, 30, 4)};
    rows.Arrange(200, false, false, false, false);
    ASSERT_EQ(rows.RowSizes, (std::vector<int>{20, 8})); // a row is at least 8 thick
    // Row 0 spans 0..24, row 1 24..36, then the row after the highest.
    const struct {
        int pos, row;
        bool before;
    } table[] = {{0, 0, true},   {5, 0, true},   {6, 0, false},  {18, 0, false}, {19, 1, true},
                 {29, 1, true},  {30, 1, false}, {31, 2, true},  {41, 2, true},  {42, 2, false},
                 {5000, 2, false}, {-3, 0, true}};
    for (const auto& c : table) {
        bool before = !c.before;
        EXPECT_EQ(rows.GetRowOf(c.pos, before), c.row) << c.pos;
        EXPECT_EQ(before, c.before) << c.pos;
    }
    EXPECT_EQ(rows.GetDesignModeRowOf(0), 0);
    EXPECT_EQ(rows.GetDesignModeRowOf(23), 0);
    EXPECT_EQ(rows.GetDesignModeRowOf(24), 1);
    EXPECT_EQ(rows.GetDesignModeRowOf(36), 2);
    EXPECT_EQ(rows.GetRowSize(1, 99), 8);
    EXPECT_EQ(rows.GetRowSize(2, 99), 99);

    // An empty dock has one row, the one after the highest.
    TDockRows none;
    bool before = false;
    EXPECT_EQ(none.GetRowOf(3, before), 0);
    EXPECT_TRUE(before);
}

TEST(DockRows, ArrangedRowsKeepTheirRules)
{
    std::mt19937 rng(7401);
    for (int round = 0; round < 300; ++round) {
        TDockRows rows;
        const int length = 80 + static_cast<int>(rng() % 300);
        const int count = 1 + static_cast<int>(rng() % 7);
        for (int i = 0; i < count; ++i)
            rows.Bars.push_back(bar(static_cast<int>(rng() % 5), static_cast<int>(rng() % 400) - 20,
                                    10 + static_cast<int>(rng() % 60), static_cast<int>(rng() % 30),
                                    rng() % 6 == 0));
        const TDockThickness t = rows.Arrange(length, round % 2 == 1, false, false, false);
        const int highest = rows.GetHighestRow();
        int across = 0;
        for (int row = 0; row <= highest; ++row) {
            SCOPED_TRACE(testing::Message() << "round " << round << " row " << row);
            ASSERT_GT(rows.GetNumberOfToolbarsOnRow(row, -1), 0); // no blank rows
            int end = 0, total = 0;
            bool fullSize = false;
            for (const TDockRowBar& b : rows.Bars) {
                if (b.Row != row)
                    continue;
                EXPECT_GE(b.Pos, end); // apart, in list order, never before 0
                end = b.Pos + b.Length;
                total += b.Length;
                fullSize |= b.FullSize;
                const TRect& r = b.Bounds;
                EXPECT_EQ(round % 2 == 1 ? r.Left : r.Top, across);
                EXPECT_EQ(round % 2 == 1 ? r.Width() : r.Height(), rows.RowSizes[static_cast<size_t>(row)] + 4);
            }
            if (fullSize) {
                EXPECT_EQ(rows.GetNumberOfToolbarsOnRow(row, -1), 1);
            }
            if (total <= length) {
                EXPECT_LE(end, length); // a row that fits is pushed back inside
            }
            across += rows.RowSizes[static_cast<size_t>(row)] + 4;
        }
        EXPECT_EQ(t.Size, across);
    }
}
