// Tab layouts of random styles, sizes and tabs against the promises every layout keeps.
#include <gtest/gtest.h>
#include <random>

#include "platform/core/Messages.h"
#include "platform/core/TabLayout.h"

namespace {

bool overlap(const TRect& a, const TRect& b)
{
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

bool inside(const TRect& inner, const TRect& outer)
{
    return inner.Left >= outer.Left && inner.Top >= outer.Top && inner.Right <= outer.Right &&
           inner.Bottom <= outer.Bottom;
}

TPoint centre(const TRect& r) { return {r.Left + r.Width() / 2, r.Top + r.Height() / 2}; }

// Length along the edge and thickness across it.
int32_t along(const TTabLayoutInput& in, const TRect& r) { return (in.Style & TCS_VERTICAL) ? r.Height() : r.Width(); }
int32_t across(const TTabLayoutInput& in, const TRect& r) { return (in.Style & TCS_VERTICAL) ? r.Width() : r.Height(); }

TTabLayoutInput randomInput(std::mt19937& random)
{
    const uint32_t bits[] = {TCS_BUTTONS, TCS_VERTICAL, TCS_BOTTOM, TCS_MULTILINE, TCS_SCROLLOPPOSITE,
                             TCS_FIXEDWIDTH, TCS_RAGGEDRIGHT, TCS_FLATBUTTONS};
    TTabLayoutInput in;
    for (uint32_t bit : bits)
        if (random() % 3 == 0)
            in.Style |= bit;
    // Now and then a control too small for anything, even for nothing.
    in.Width = random() % 8 == 0 ? static_cast<int32_t>(random() % 3) : static_cast<int32_t>(random() % 500);
    in.Height = random() % 8 == 0 ? static_cast<int32_t>(random() % 3) : static_cast<int32_t>(random() % 500);
    in.Thickness = static_cast<int32_t>(random() % 30);
    const int n = static_cast<int>(random() % 16);
    for (int i = 0; i < n; ++i)
        in.Lengths.push_back(static_cast<int32_t>(random() % 160));
    in.Selected = static_cast<int32_t>(random() % (n + 2)) - 1;
    in.FirstVisible = static_cast<int32_t>(random() % (n + 3)) - 1;
    return in;
}

} // namespace

TEST(TabLayout, EveryLayoutKeepsItsPromises)
{
    std::mt19937 random(35);
    int roomyWithTabs = 0;
    for (int round = 0; round < 3000; ++round) {
        const TTabLayoutInput in = randomInput(random);
        SCOPED_TRACE(::testing::Message() << "round " << round << " style " << in.Style << " size " << in.Width
                                          << "x" << in.Height << " tabs " << in.Lengths.size());
        TTabLayout layout;
        layout.Compute(in);
        const int n = layout.Count();
        ASSERT_EQ(n, static_cast<int>(in.Lengths.size()));
        const bool multi = (in.Style & (TCS_MULTILINE | TCS_VERTICAL)) != 0;
        const TRect page = layout.PageRect();
        const TRect client{0, 0, in.Width, in.Height};
        // The room the rows need, and the room along the edge; a smaller control cuts them off.
        const bool roomy = page.Width() > 0 && page.Height() > 0;
        const bool buttons = (in.Style & TCS_BUTTONS) != 0;
        const int32_t margin = buttons ? 0 : TTabLayout::kTabMargin;
        const int32_t room = std::max(0, (in.Style & TCS_VERTICAL ? in.Height : in.Width) - 2 * margin);
        roomyWithTabs += roomy && n > 0;

        int rows = 0;
        for (int i = 0; i < n; ++i) {
            const TRect r = layout.ItemRect(i);
            EXPECT_EQ(across(in, r), std::max(1, in.Thickness));
            EXPECT_GE(along(in, r), std::max(1, in.Lengths[i])) << "a tab is never cut short";
            rows = std::max(rows, layout.Row(i) + 1);
            if (!layout.Visible(i))
                continue;
            EXPECT_FALSE(overlap(r, layout.FrameRect())) << "tab " << i;
            if (roomy && !layout.ArrowsShown() && along(in, r) <= room) {
                EXPECT_TRUE(inside(layout.DrawRect(i), client)) << "tab " << i;
            }
            // Rows on both sides of the pages meet only when no page is left between them.
            for (int j = i + 1; j < n && roomy; ++j) {
                if (layout.Visible(j)) {
                    EXPECT_FALSE(overlap(r, layout.ItemRect(j))) << "tabs " << i << " and " << j;
                }
            }
            // The hit test finds each tab at its centre, unless the selected tab stands over it there.
            const TPoint c = centre(r);
            const bool covered = i != in.Selected && layout.Visible(in.Selected) &&
                                 layout.DrawRect(in.Selected).Contains(c);
            if (roomy && layout.StripRect().Contains(c) && !covered) {
                EXPECT_EQ(layout.HitTest(c), i);
            }
        }
        EXPECT_EQ(layout.HitTest(centre(page)), roomy ? -1 : layout.HitTest(centre(page)));
        EXPECT_EQ(layout.RowCount(), std::max(1, rows));

        // The page area less its insets is the control.
        const TRect insets = layout.PageInsets();
        EXPECT_EQ((TRect{page.Left - insets.Left, page.Top - insets.Top, page.Right + insets.Right,
                         page.Bottom + insets.Bottom}),
                  client);

        if (multi) {
            EXPECT_FALSE(layout.ArrowsShown());
            // Each row holds what fits, or a single tab that does not.
            for (int row = 0; row < rows; ++row) {
                int32_t used = 0;
                int count = 0;
                for (int i = 0; i < n; ++i)
                    if (layout.Row(i) == row) {
                        used += std::max(1, in.Lengths[i]) + (count++ ? (buttons ? TTabLayout::kButtonGap : 0) : 0);
                        EXPECT_TRUE(i == 0 || layout.Row(i - 1) <= row) << "rows fill in order";
                    }
                EXPECT_GT(count, 0);
                EXPECT_TRUE(count == 1 || used <= room) << "row " << row;
            }
        } else if (n > 0) {
            EXPECT_EQ(rows, 1);
            EXPECT_GE(layout.FirstVisible(), 0);
            EXPECT_LE(layout.FirstVisible(), layout.MaxFirstVisible());
            if (layout.ArrowsShown()) {
                // A control narrower than its arrows shows no tab at all.
                const bool strip = along(in, layout.StripRect()) > margin;
                EXPECT_EQ(layout.Visible(layout.FirstVisible()), strip);
                EXPECT_FALSE(layout.Visible(layout.FirstVisible() - 1));
                EXPECT_FALSE(overlap(layout.ArrowsRect(), layout.StripRect()));
                // Asked to show a tab, the layout scrolls it into view whole when it can.
                const int target = static_cast<int>(random() % n);
                TTabLayoutInput scrolled = in;
                scrolled.FirstVisible = layout.FirstVisibleShowing(target);
                TTabLayout moved;
                moved.Compute(scrolled);
                EXPECT_EQ(moved.Visible(target), strip);
                const TRect stripRect = moved.StripRect();
                if (roomy && along(in, moved.ItemRect(target)) <= along(in, stripRect) - margin) {
                    EXPECT_TRUE(inside(moved.ItemRect(target), stripRect)) << "target " << target;
                }
            } else {
                EXPECT_EQ(layout.FirstVisible(), 0);
                for (int i = 0; i < n; ++i)
                    EXPECT_TRUE(layout.Visible(i));
            }
        }

        // The selected tab's row stands next to the pages.
        if (in.Selected >= 0 && in.Selected < n && layout.Visible(in.Selected)) {
            const TRect r = layout.ItemRect(in.Selected);
            const int32_t gap = (in.Style & TCS_BUTTONS) ? TTabLayout::kButtonGap : 0;
            const TRect frame = layout.FrameRect();
            if (in.Style & TCS_VERTICAL) {
                EXPECT_EQ((in.Style & TCS_RIGHT) ? r.Left - gap : r.Right + gap,
                          (in.Style & TCS_RIGHT) ? frame.Right : frame.Left);
            } else {
                EXPECT_EQ((in.Style & TCS_BOTTOM) ? r.Top - gap : r.Bottom + gap,
                          (in.Style & TCS_BOTTOM) ? frame.Bottom : frame.Top);
            }
        }
    }
    EXPECT_GT(roomyWithTabs, 1000) << "most layouts have room for their tabs";
}

TEST(TabLayout, ScrollOppositeSplitsTheRowsAroundThePages)
{
    TTabLayoutInput in;
    in.Style = TCS_MULTILINE | TCS_SCROLLOPPOSITE;
    in.Width = 104; // two tabs of 50 to a row
    in.Height = 300;
    in.Thickness = 20;
    in.Lengths.assign(8, 50);
    in.Selected = 5; // in row 2 of 4
    TTabLayout layout;
    layout.Compute(in);
    ASSERT_EQ(layout.RowCount(), 4);
    const TRect page = layout.PageRect();
    // Rows 2 and 3 above the pages, 2 nearest; rows 1 and 0 below them, 1 nearest.
    EXPECT_EQ(layout.ItemRect(5).Bottom + TTabLayout::kFrameWidth, page.Top);
    EXPECT_EQ(layout.ItemRect(7).Bottom, layout.ItemRect(5).Top);
    EXPECT_EQ(layout.ItemRect(2).Top - TTabLayout::kFrameWidth, page.Bottom);
    EXPECT_EQ(layout.ItemRect(0).Top, layout.ItemRect(2).Bottom);
    EXPECT_EQ(layout.ItemRect(0).Bottom, 300 - TTabLayout::kTabMargin);
    EXPECT_EQ(layout.OpenSide(5), tsBottom);
    EXPECT_EQ(layout.OpenSide(0), tsTop);
    EXPECT_EQ(layout.PageInsets(), (TRect{2, 2 + 40 + 2, 2, 2 + 40 + 2}));

    // Without scroll-opposite every row stays above, the selected one nearest and the rest in turn.
    in.Style = TCS_MULTILINE;
    layout.Compute(in);
    const int32_t top[] = {layout.ItemRect(4).Top, layout.ItemRect(6).Top, layout.ItemRect(0).Top,
                           layout.ItemRect(2).Top};
    EXPECT_EQ(top[0], 2 + 3 * 20);
    EXPECT_EQ(top[1], 2 + 2 * 20);
    EXPECT_EQ(top[2], 2 + 1 * 20);
    EXPECT_EQ(top[3], 2);
}
