// The editor's view geometry without a window: scroll bars and their scale, look-ups between offsets, lines and points, the view following the caret, auto-scroll targets.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

#include "editor/model/EditingCore.h"
#include "editor/model/ViewGeometry.h"
#include "platform/core/Messages.h"
#include "TextTestSupport.h"
#include "support/RandomText.h"

namespace {

constexpr int kTextLeft = 30;
constexpr int kCharWidth = 7;
constexpr int kLineHeight = 17;

// Visible characters of a record: all but its line break.
int visibleLength(const TLineRecord* record)
{
    return record->Len - (record->EndsWithCR() ? 1 : 0);
}

// A fixed-pitch grid with no TABs, measured as the control measures a fixed-pitch font.
class GridMetrics final : public TViewMetrics {
public:
    explicit GridMetrics(const TViewGeometry& view) : FView(view) {}
    int TextLeft() override { return kTextLeft; }
    bool FixedPitch() override { return true; }
    int IndexToColumn(int index, const TLineRecord*) override { return index; }
    int ColumnToIndex(int column, const TLineRecord* record) override
    {
        if (!record)
            return 0;
        if (column < record->Len)
            return std::max(0, column);
        return record->Next || record->EndsWithCR() ? record->Len - 1 : record->Len;
    }
    int PixelOfColumn(int column, const TLineRecord* record) override
    {
        if (column < FView.LeftColumn)
            return -1;
        if (!record)
            return kTextLeft;
        return kTextLeft + (std::min(column, visibleLength(record)) - FView.LeftColumn) * FView.CharWidth;
    }
    int ColumnAtPixel(int x, const TLineRecord* record) override
    {
        if (!record)
            return 0;
        const int length = visibleLength(record);
        if (FView.LeftColumn >= length)
            return length;
        const int distance = x - kTextLeft;
        if (distance < 0)
            return FView.LeftColumn;
        const int width = FView.CharWidth;
        return std::min(length, FView.LeftColumn + distance / width + (distance % width >= width / 2 ? 1 : 0));
    }

private:
    const TViewGeometry& FView;
};

// A text core and its view on a window of `columns` by `rows`, as a shown control sizes it.
struct GridView {
    TCodeMemoCore Text;
    TViewGeometry& View = Text.View();
    GridMetrics Metrics{View};

    GridView(int columns, int rows)
    {
        View.LineHeight = kLineHeight;
        View.CharWidth = kCharWidth;
        View.ClientWidth = kTextLeft + columns * kCharWidth;
        View.ClientHeight = rows * kLineHeight;
        View.CountWindow(View.ClientWidth - kTextLeft, View.ClientHeight);
    }
    // A view never sized keeps the control's defaults: 40 lines of 80 columns, no client area.
    GridView() = default;

    // Replaces the text and starts the view at its top left, as loading does.
    void setText(const std::string& text)
    {
        Text.SetSelection(0, Text.TextLength());
        Text.InsertText(text.c_str());
        Text.SetSelection(0, 0);
        View.LeftColumn = 0;
        View.FollowOffset(0, false, Metrics);
        updateBars();
    }
    int longest() { return Text.GreatestRecordLength(); }
    void updateBars(bool wordWrap = false) { View.UpdateRanges(wordWrap, longest()); }
    // The top line and left column as the scrolling messages set them.
    void topLine(int line) { View.ScrollTo(View.LeftColumn, line, false, longest()); updateBars(); }
    void leftColumn(int column) { View.ScrollTo(column, View.TopLine, false, longest()); updateBars(); }
    void follow(int offset) { View.FollowOffset(offset, false, Metrics); }
};

} // namespace

TEST(ViewGeometry, ScrollScaleKeepsTheVerticalBarInRange)
{
    GridView grid;
    grid.setText(numberedLines(64000));
    ASSERT_EQ(grid.Text.RecordCount(), 64000);
    EXPECT_EQ(grid.View.ScrollScale, 3);
    EXPECT_EQ(grid.View.VertRange.Max, 21333);
    grid.topLine(30000);
    EXPECT_EQ(grid.View.VertRange.Position, 10000);
    // A thumb position from the bar is multiplied back.
    int column = -1, line = -1;
    ASSERT_TRUE(grid.View.ScrollBarTarget(true, SB_THUMBTRACK, 7000, column, line));
    grid.View.ScrollTo(column, line, false, grid.longest());
    EXPECT_EQ(grid.View.TopLine, 21000);
    EXPECT_EQ(column, 0);

    grid.setText(numberedLines(31999));
    EXPECT_EQ(grid.View.ScrollScale, 1);
    EXPECT_EQ(grid.View.VertRange.Max, 31999);
}

TEST(ViewGeometry, ScrollBarActionsMoveByLinesPagesAndThumb)
{
    GridView grid(40, 10);
    grid.setText(numberedLines(100, 200));
    grid.topLine(50);
    grid.leftColumn(20);
    const struct {
        bool Vertical;
        int Code;
        int Column;
        int Line;
    } actions[] = {
        {true, SB_LINEUP, 20, 49},  {true, SB_LINEDOWN, 20, 51}, {true, SB_PAGEUP, 20, 40},
        {true, SB_PAGEDOWN, 20, 60}, {false, SB_LINEUP, 19, 50}, {false, SB_PAGEDOWN, 60, 50},
        {false, SB_THUMBTRACK, 9, 50}, {true, SB_BOTTOM, 20, 9},
    };
    for (const auto& action : actions) {
        int column = -1, line = -1;
        ASSERT_TRUE(grid.View.ScrollBarTarget(action.Vertical, action.Code, 9, column, line)) << action.Code;
        EXPECT_EQ(column, action.Column) << action.Code;
        EXPECT_EQ(line, action.Line) << action.Code;
    }
    int column = -1, line = -1;
    EXPECT_FALSE(grid.View.ScrollBarTarget(true, SB_ENDSCROLL, 9, column, line));
}

TEST(ViewGeometry, BarsAreWantedByRangeAndStyle)
{
    GridView grid(40, 10);
    grid.setText(numberedLines(5));
    EXPECT_FALSE(grid.View.VertRange.Wanted);
    EXPECT_FALSE(grid.View.HorzRange.Wanted);
    // Without a bar the view does not move on that axis.
    grid.topLine(3);
    EXPECT_EQ(grid.View.TopLine, 0);

    grid.setText(numberedLines(30, 100));
    EXPECT_TRUE(grid.View.VertRange.Wanted);
    EXPECT_TRUE(grid.View.HorzRange.Wanted);
    EXPECT_EQ(grid.View.HorzRange.Max, 101);
    // Positions are clamped to the last line and the last column.
    grid.topLine(500);
    EXPECT_EQ(grid.View.TopLine, 29);
    grid.leftColumn(500);
    EXPECT_EQ(grid.View.LeftColumn, 100);
    // Scrolled down when the text shrinks below the window, the vertical bar stays for the way back.
    grid.setText(numberedLines(30));
    grid.topLine(20);
    grid.Text.SetSelection(8 * 7, grid.Text.TextLength()); // from the start of "line 8" on
    grid.Text.InsertText("");
    grid.updateBars();
    ASSERT_EQ(grid.Text.RecordCount(), 8);
    EXPECT_EQ(grid.View.TopLine, 7);
    EXPECT_EQ(grid.View.VertRange.Page, 1);
    EXPECT_TRUE(grid.View.VertRange.Wanted);

    // Word wrap leaves nothing to scroll sideways; a style without a bar wants none.
    grid.setText(numberedLines(30, 100));
    grid.updateBars(true);
    EXPECT_EQ(grid.View.HorzRange.Max, 0);
    EXPECT_FALSE(grid.View.HorzRange.Wanted);
    grid.View.HorizontalBar = false;
    grid.View.VerticalBar = false;
    grid.updateBars();
    EXPECT_FALSE(grid.View.VertRange.Wanted);
    EXPECT_FALSE(grid.View.HorzRange.Wanted);
    // A bar that becomes wanted is reported, as the text area then shrinks.
    grid.View.VerticalBar = true;
    EXPECT_TRUE(grid.View.UpdateRanges(false, grid.longest()));
    EXPECT_FALSE(grid.View.UpdateRanges(false, grid.longest()));
}

TEST(ViewGeometry, OffsetLookupsFromTheTopBothWays)
{
    GridView grid(40, 10);
    grid.setText(numberedLines(100) + "\r\n"); // "line 0".."line 9" take 7 characters, the rest 8
    grid.topLine(50);
    const int top = grid.View.TopLine;
    ASSERT_EQ(top, 50);
    int line = -1, start = -1;
    // After the top, a little before it, far before it: all give the same answers.
    for (int target : {0, 3, 12, 49, 50, 51, 99}) {
        int expectedStart = target < 10 ? 7 * target : 70 + 8 * (target - 10);
        TLineRecord* record = grid.View.Locate(expectedStart + 2, line, start);
        ASSERT_TRUE(record);
        EXPECT_EQ(line, target);
        EXPECT_EQ(start, expectedStart);
        EXPECT_EQ(grid.View.IndexInRecord(expectedStart + 2), 2);
        EXPECT_EQ(grid.View.LineOfOffset(expectedStart + 2), target);
        int at = 0, index = 0;
        EXPECT_EQ(grid.View.RecordAtLine(target, at, index), record);
        EXPECT_EQ(at, expectedStart);
        EXPECT_EQ(index, target);
    }
    EXPECT_EQ(grid.View.TopLine, top);
    // After the final line break: the line after the last record, column 0.
    const int end = grid.Text.TextLength();
    grid.View.Locate(end, line, start);
    EXPECT_EQ(line, 100);
    EXPECT_EQ(grid.View.IndexInRecord(end), 0);
    EXPECT_EQ(grid.View.IndexInRecord(end + 50), 0);
    int index = 0;
    EXPECT_EQ(grid.View.RecordAtLine(1000, start, index)->Next, nullptr);
    EXPECT_EQ(index, 99);

    // Points: rows from the top of the view, columns on the grid; nothing above the view.
    const int line52 = 70 + 8 * 42;
    EXPECT_EQ(grid.View.PointFromOffset(line52 + 3, grid.Metrics), (TPoint{kTextLeft + 3 * kCharWidth, 2 * kLineHeight}));
    EXPECT_EQ(grid.View.OffsetFromPoint({kTextLeft + 3 * kCharWidth, 2 * kLineHeight + 1}, grid.Metrics), line52 + 3);
    EXPECT_EQ(grid.View.PointFromOffset(5, grid.Metrics), (TPoint{-1, -1}));
    grid.topLine(95);
    EXPECT_EQ(grid.View.PointFromOffset(end, grid.Metrics), (TPoint{kTextLeft, 5 * kLineHeight}));
    EXPECT_EQ(grid.View.OffsetFromPoint({kTextLeft, 7 * kLineHeight}, grid.Metrics), end);
    // Far below the window a point costs no more than a window's walk: it stops a row past it.
    grid.topLine(0);
    EXPECT_EQ(grid.View.PointFromOffset(line52, grid.Metrics), (TPoint{kTextLeft, 11 * kLineHeight}));
}

TEST(ViewGeometry, EmptyTextAndFreedRecordsLeaveNoStalePointers)
{
    GridView grid(40, 10);
    int line = -1, start = -1;
    EXPECT_EQ(grid.View.Locate(5, line, start), nullptr);
    EXPECT_EQ(line, 0);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(grid.View.IndexInRecord(3), 0);
    EXPECT_EQ(grid.View.PointFromOffset(7, grid.Metrics), (TPoint{kTextLeft, 0}));
    EXPECT_EQ(grid.View.OffsetFromPoint({200, 200}, grid.Metrics), 0);
    EXPECT_FALSE(grid.View.FollowOffset(10, false, grid.Metrics));
    grid.View.ScrollTo(5, 5, false, grid.longest());
    EXPECT_EQ(grid.View.TopLine, 0);
    EXPECT_EQ(grid.View.LeftColumn, 0);

    // Scrolled down, everything deleted: top, pending highlighting and look-ups start over.
    grid.setText(numberedLines(60));
    grid.topLine(40);
    grid.Text.SetHighlightStart(grid.Text.FirstRecord()->Next);
    grid.Text.SetSelection(0, grid.Text.TextLength());
    grid.Text.InsertText("");
    EXPECT_EQ(grid.Text.RecordCount(), 0);
    EXPECT_EQ(grid.View.TopLine, 0);
    EXPECT_EQ(grid.Text.HighlightStart(), nullptr);
    EXPECT_EQ(grid.View.Locate(3, line, start), nullptr);
    grid.Text.InsertText("again");
    EXPECT_EQ(grid.View.IndexInRecord(3), 3);
}

TEST(ViewGeometry, TheViewFollowsTheCaretByRowsAndEightColumns)
{
    GridView grid(40, 10);
    grid.setText(numberedLines(100, 200));
    const int lineLength = 201;
    grid.follow(50 * lineLength);
    EXPECT_EQ(grid.View.TopLine, 41); // the caret's row is the last full one
    EXPECT_EQ(grid.View.LeftColumn, 0);
    grid.follow(45 * lineLength);
    EXPECT_EQ(grid.View.TopLine, 41);
    grid.follow(20 * lineLength + 60);
    EXPECT_EQ(grid.View.TopLine, 20);
    EXPECT_EQ(grid.View.LeftColumn, 24); // 60 is the first column that 8-column steps bring in sight
    grid.follow(20 * lineLength + 70);
    EXPECT_EQ(grid.View.LeftColumn, 32);
    grid.follow(20 * lineLength + 20);
    EXPECT_EQ(grid.View.LeftColumn, 16);
    grid.follow(20 * lineLength);
    EXPECT_EQ(grid.View.LeftColumn, 0);
    // The top record follows the top line, so that look-ups start from it.
    int start = 0, index = 0;
    EXPECT_EQ(grid.View.TopRecord, grid.View.RecordAtLine(20, start, index));
    EXPECT_EQ(grid.View.TopOffset, 20 * lineLength);
    // With word wrap a caret within the first window's columns shows them from column 0.
    grid.follow(20 * lineLength + 70);
    ASSERT_EQ(grid.View.LeftColumn, 32);
    EXPECT_TRUE(grid.View.FollowOffset(20 * lineLength + 30, true, grid.Metrics));
    EXPECT_EQ(grid.View.LeftColumn, 0);
    // After a final line break the caret's row is below the last record.
    grid.setText(numberedLines(30) + "\r\n");
    grid.follow(grid.Text.TextLength());
    EXPECT_EQ(grid.View.TopLine, 21);
}

TEST(ViewGeometry, AutoScrollTargetsStepTowardsThePointer)
{
    GridView grid(40, 10);
    grid.setText(numberedLines(100, 200));
    grid.topLine(5);
    grid.leftColumn(3);
    const TRect edges{kTextLeft, 0, grid.View.ClientWidth, grid.View.ClientHeight};
    const int lastRowY = 10 * kLineHeight - 1;
    auto target = [&](TPoint pointer, bool wordWrap = false) {
        return grid.View.AutoScrollTarget(pointer, edges, kTextLeft, wordWrap, grid.longest());
    };
    // Below and above: a line each way, the caret to the last or the first row.
    TAutoScrollTarget below = target({50, 10 * kLineHeight + 30});
    EXPECT_EQ(below.Line, 6);
    EXPECT_EQ(below.Column, 3);
    EXPECT_EQ(below.CaretAt, (TPoint{0, lastRowY}));
    TAutoScrollTarget above = target({50, -4});
    EXPECT_EQ(above.Line, 4);
    EXPECT_EQ(above.CaretAt, (TPoint{0, 0}));
    // Right and left: a column each way, the caret before the character under the right edge.
    TAutoScrollTarget right = target({grid.View.ClientWidth + 5, 2 * kLineHeight});
    EXPECT_EQ(right.Column, 4);
    EXPECT_EQ(right.Line, 5);
    EXPECT_EQ(right.CaretAt, (TPoint{grid.View.ClientWidth - 1 - kCharWidth / 2, 2 * kLineHeight}));
    TAutoScrollTarget left = target({kTextLeft - 1, 2 * kLineHeight});
    EXPECT_EQ(left.Column, 2);
    EXPECT_EQ(left.CaretAt, (TPoint{kTextLeft, 2 * kLineHeight}));
    // Inside: the view stays and the caret goes to the pointer; wrapped text scrolls no columns.
    TAutoScrollTarget inside = target({50, 2 * kLineHeight});
    EXPECT_EQ(inside.Line, 5);
    EXPECT_EQ(inside.Column, 3);
    EXPECT_EQ(inside.CaretAt, (TPoint{50, 2 * kLineHeight}));
    EXPECT_EQ(target({grid.View.ClientWidth + 5, 2 * kLineHeight}, true).Column, 3);
    // At the ends of the text the view goes no further.
    grid.topLine(99);
    EXPECT_EQ(target({50, 10 * kLineHeight + 30}).Line, 99);
}

namespace {

// The record holding `offset`, its start and display line, found by walking from the first record.
struct WalkedPlace {
    const TLineRecord* Record = nullptr;
    int Start = 0;
    int Line = 0;
};

WalkedPlace walkFromTheStart(const TCodeMemoCore& text, int offset)
{
    WalkedPlace place{text.FirstRecord(), 0, 0};
    while (place.Record && offset >= place.Start + place.Record->Len && place.Record->Next) {
        place.Start += place.Record->Len;
        place.Record = place.Record->Next;
        ++place.Line;
    }
    if (place.Record && !place.Record->Next && place.Record->EndsWithCR() && offset - place.Start >= place.Record->Len)
        ++place.Line;
    return place;
}

} // namespace

TEST(ViewGeometry, LookupsFromTheLastLocatedRecordAgreeWithAWalkFromTheStart)
{
    // Random look-ups by offset and by line, with edits, scrolls and re-cut long lines in between:
    // whichever place a walk starts from, it ends where a walk from the first record ends.
    std::mt19937 random(89);
    for (int round = 0; round < 40; ++round) {
        GridView grid(40, 10);
        grid.setText(RandomText(random, "ab\r\r\r", 200 + random() % 3000));
        for (int step = 0; step < 60; ++step) {
            const int length = grid.Text.TextLength();
            switch (random() % 6) {
            case 0: {
                // An edit: a short insertion or deletion anywhere, sometimes a long line.
                const int at = static_cast<int>(random() % (length + 1));
                const int end = std::min(length, at + static_cast<int>(random() % 20));
                grid.Text.SetSelection(at, end);
                const std::string text = random() % 8 == 0 ? std::string(5000, 'x') : RandomText(random, "ab\r", random() % 12);
                grid.Text.InsertText(text.c_str());
                break;
            }
            case 1: grid.topLine(static_cast<int>(random() % (grid.Text.RecordCount() + 5))); break;
            case 2: {
                const int line = static_cast<int>(random() % (grid.Text.RecordCount() + 3));
                int start = -1, index = -1;
                TLineRecord* record = grid.View.RecordAtLine(line, start, index);
                const int wanted = std::min(line, grid.Text.RecordCount() - 1);
                WalkedPlace expected{grid.Text.FirstRecord(), 0, 0};
                for (; expected.Line < wanted; ++expected.Line) {
                    expected.Start += expected.Record->Len;
                    expected.Record = expected.Record->Next;
                }
                ASSERT_EQ(record, expected.Record) << round << " " << step;
                ASSERT_EQ(start, expected.Start);
                ASSERT_EQ(index, expected.Line);
                break;
            }
            default: {
                const int offset = static_cast<int>(random() % (length + 2));
                int line = -1, start = -1;
                TLineRecord* record = grid.View.Locate(offset, line, start);
                const WalkedPlace expected = walkFromTheStart(grid.Text, std::min(offset, length));
                ASSERT_EQ(record, expected.Record) << round << " " << step << " at " << offset;
                ASSERT_EQ(start, expected.Start);
                ASSERT_EQ(line, expected.Line);
            }
            }
        }
    }
}

TEST(ViewGeometry, LookupsInARowWalkOnlyTheDistanceBetweenThem)
{
    GridView grid(40, 10);
    grid.setText(numberedLines(20000));
    const int records = grid.Text.RecordCount();
    // The view stays at the top while look-ups go down the text in steps, as a search does in a
    // document that is not shown: each walks from the one before it, not from the top.
    const int64_t before = grid.View.RecordsWalked();
    int line = 0, start = 0;
    for (int offset = 0; offset < grid.Text.TextLength(); offset += 997)
        grid.View.Locate(offset, line, start);
    EXPECT_EQ(grid.View.RecordsWalked() - before, line);
    EXPECT_GT(line, records - 200);
    EXPECT_EQ(grid.View.TopLine, 0);
    // Back near the top: the top of the view is nearer than the last record located.
    const int64_t atEnd = grid.View.RecordsWalked();
    grid.View.Locate(20, line, start);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(grid.View.RecordsWalked() - atEnd, 2);
    // Line look-ups walk from there too.
    int index = 0;
    grid.View.RecordAtLine(5, start, index);
    EXPECT_EQ(grid.View.RecordsWalked() - atEnd, 5);
    // An edit forgets the place: the next look-up walks from the nearer of the first record and the top.
    grid.Text.SetSelection(0, 0);
    grid.Text.InsertText("x");
    const int64_t afterEdit = grid.View.RecordsWalked();
    grid.View.Locate(grid.Text.TextLength() - 1, line, start);
    EXPECT_EQ(grid.View.RecordsWalked() - afterEdit, records - 1);
}
