// The editor control's view geometry: scroll bars and their scale, look-ups between offsets, lines and points, the view following the caret, auto-scroll, the focus line.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <string>

#include "CodeMemoTestSupport.h"
#include "platform/core/SysUtils.h"

namespace {

// A shown fixed-pitch control whose client area holds `rows` full lines and `columns` columns.
void showGrid(TCodeMemo& memo, int columns, int rows)
{
    memo.SetControlFont("DejaVu Sans Mono", 10);
    memo.show();
    QApplication::processEvents();
    int extraWidth = memo.width() - memo.ClientWidth();
    int extraHeight = memo.height() - memo.ClientHeight();
    memo.resize(memo.TextLeft() + columns * memo.CharWidth() + extraWidth, rows * memo.LineHeight() + extraHeight);
    QApplication::processEvents();
    ASSERT_EQ(memo.ColumnsPerWindow(), columns);
    ASSERT_EQ(memo.LinesPerWindow(), rows);
}

// `count` lines "line N" (numbered from 0), each ending with a line break but the last.
std::string numberedLines(int count, int width = 0)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string line = Format("line %d", i);
        if (width > 0)
            line.resize(static_cast<size_t>(width), '.');
        text += line + (i + 1 < count ? "\r\n" : "");
    }
    return text;
}

} // namespace

TEST(ViewGeometry, ScrollScaleKeepsTheVerticalBarInRange)
{
    TCodeMemo memo;
    SetText(memo, numberedLines(64000));
    ASSERT_EQ(memo.RecordCount(), 64000);
    memo.UpdateScrollBars();
    EXPECT_EQ(memo.ScrollScale(), 3);
    EXPECT_EQ(memo.VertScrollRange().Max, 21333);
    memo.Perform(SMM_TOPLINE, SMM_SET, 30000);
    EXPECT_EQ(memo.VertScrollRange().Position, 10000);
    // A thumb position from the bar is multiplied back.
    memo.Perform(WM_VSCROLL, MakeLong(SB_THUMBTRACK, 7000), 0);
    EXPECT_EQ(memo.TopLine(), 21000);

    SetText(memo, numberedLines(31999));
    memo.UpdateScrollBars();
    EXPECT_EQ(memo.ScrollScale(), 1);
    EXPECT_EQ(memo.VertScrollRange().Max, 31999);
}

TEST(ViewGeometry, BarsAreWantedByRangeAndStyle)
{
    TCodeMemo memo;
    showGrid(memo, 40, 10);
    SetText(memo, numberedLines(5));
    memo.UpdateScrollBars();
    EXPECT_FALSE(memo.VertScrollRange().Wanted);
    EXPECT_FALSE(memo.HorzScrollRange().Wanted);
    // Without a bar the view does not move on that axis.
    memo.Perform(SMM_TOPLINE, SMM_SET, 3);
    EXPECT_EQ(memo.TopLine(), 0);

    SetText(memo, numberedLines(30, 100));
    memo.UpdateScrollBars();
    EXPECT_TRUE(memo.VertScrollRange().Wanted);
    EXPECT_TRUE(memo.HorzScrollRange().Wanted);
    EXPECT_EQ(memo.HorzScrollRange().Max, 101);
    // Positions are clamped to the last line and the last column.
    memo.Perform(SMM_TOPLINE, SMM_SET, 500);
    EXPECT_EQ(memo.TopLine(), 29);
    memo.Perform(SMM_LEFTCOLUMN, SMM_SET, 500);
    EXPECT_EQ(memo.LeftColumn(), 100);
    // Scrolled down when the text shrinks below the window, the vertical bar stays for the way back.
    SetText(memo, numberedLines(30));
    memo.Perform(SMM_TOPLINE, SMM_SET, 20);
    Select(memo, 8 * 7, memo.TextLength()); // from the start of "line 8" on
    memo.SetSelText("");
    ASSERT_EQ(memo.RecordCount(), 8);
    EXPECT_EQ(memo.TopLine(), 7);
    EXPECT_EQ(memo.VertScrollRange().Page, 1);
    EXPECT_TRUE(memo.VertScrollRange().Wanted);

    // Word wrap leaves nothing to scroll sideways; a style without a bar wants none.
    SetText(memo, numberedLines(30, 100));
    memo.SetWordWrap(true);
    EXPECT_EQ(memo.HorzScrollRange().Max, 0);
    EXPECT_FALSE(memo.HorzScrollRange().Wanted);
    memo.SetScrollBars(ssNone);
    memo.UpdateScrollBars();
    EXPECT_FALSE(memo.VertScrollRange().Wanted);
}

TEST(ViewGeometry, OffsetLookupsFromTheTopBothWays)
{
    TCodeMemo memo;
    showGrid(memo, 40, 10);
    SetText(memo, numberedLines(100) + "\r\n"); // "line 0".."line 9" take 7 characters, the rest 8
    memo.Perform(SMM_TOPLINE, SMM_SET, 50);
    const int top = memo.TopLine();
    ASSERT_EQ(top, 50);
    int line = -1, start = -1;
    // After the top, a little before it, far before it: all give the same answers.
    for (int target : {0, 3, 12, 49, 50, 51, 99}) {
        int expectedStart = target < 10 ? 7 * target : 70 + 8 * (target - 10);
        TLineRecord* record = memo.LocateOffset(expectedStart + 2, line, start);
        ASSERT_TRUE(record);
        EXPECT_EQ(line, target);
        EXPECT_EQ(start, expectedStart);
        EXPECT_EQ(memo.IndexInRecord(expectedStart + 2), 2);
        int at = 0, index = 0;
        EXPECT_EQ(memo.RecordAtLine(target, at, index), record);
        EXPECT_EQ(at, expectedStart);
        EXPECT_EQ(index, target);
    }
    EXPECT_EQ(memo.TopLine(), top);
    // After the final line break: the line after the last record, column 0.
    const int end = memo.TextLength();
    memo.LocateOffset(end, line, start);
    EXPECT_EQ(line, 100);
    EXPECT_EQ(memo.IndexInRecord(end), 0);
    EXPECT_EQ(memo.IndexInRecord(end + 50), 0);
    int index = 0;
    EXPECT_EQ(memo.RecordAtLine(1000, start, index)->Next, nullptr);
    EXPECT_EQ(index, 99);

    // Points: rows from the top of the view, columns on the grid; nothing above the view.
    const int lh = memo.LineHeight();
    const int cw = memo.CharWidth();
    const int line52 = 70 + 8 * 42;
    EXPECT_EQ(memo.PointFromOffset(line52 + 3), (TPoint{memo.TextLeft() + 3 * cw, 2 * lh}));
    EXPECT_EQ(memo.OffsetFromPoint({memo.TextLeft() + 3 * cw, 2 * lh + 1}), line52 + 3);
    EXPECT_EQ(memo.PointFromOffset(5), (TPoint{-1, -1}));
    memo.Perform(SMM_TOPLINE, SMM_SET, 95);
    EXPECT_EQ(memo.PointFromOffset(end), (TPoint{memo.TextLeft(), 5 * lh}));
    EXPECT_EQ(memo.OffsetFromPoint({memo.TextLeft(), 7 * lh}), end);
}

TEST(ViewGeometry, EmptyTextAndFreedRecordsLeaveNoStalePointers)
{
    TCodeMemo memo;
    showGrid(memo, 40, 10);
    int line = -1, start = -1;
    EXPECT_EQ(memo.LocateOffset(5, line, start), nullptr);
    EXPECT_EQ(line, 0);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(memo.IndexInRecord(3), 0);
    EXPECT_EQ(memo.PointFromOffset(7), (TPoint{memo.TextLeft(), 0}));
    EXPECT_EQ(memo.OffsetFromPoint({200, 200}), 0);
    memo.MakeOffsetVisible(10);
    memo.ScrollTo(5, 5, false, true);
    EXPECT_EQ(memo.TopLine(), 0);
    EXPECT_EQ(memo.LeftColumn(), 0);

    // Scrolled down, everything deleted: top, pending highlighting and look-ups start over.
    SetText(memo, numberedLines(60));
    memo.Perform(SMM_TOPLINE, SMM_SET, 40);
    memo.SetHighlightStart(memo.FirstRecord()->Next);
    memo.SelectAll();
    memo.SetSelText("");
    EXPECT_EQ(memo.RecordCount(), 0);
    EXPECT_EQ(memo.TopLine(), 0);
    EXPECT_EQ(memo.HighlightStart(), nullptr);
    EXPECT_EQ(memo.LocateOffset(3, line, start), nullptr);
    memo.SetSelText("again");
    EXPECT_EQ(memo.IndexInRecord(3), 3);

    // Re-wrapping replaces records under the top of the view: it stays on the text it showed.
    SetText(memo, std::string(600, 'w'));
    memo.SetWordWrap(true);
    memo.SetWrapAtColumn(20); // 30 pieces of 20
    memo.Perform(SMM_TOPLINE, SMM_SET, 10);
    Select(memo, 210, 210); // in sight: the caret does not move the view
    ASSERT_EQ(memo.TopLine(), 10);
    memo.SetWrapAtColumn(40); // the old top offset 200 lies in the sixth piece of 40
    EXPECT_EQ(memo.TopLine(), 5);
    memo.LocateOffset(210, line, start);
    EXPECT_EQ(line, 5);
    EXPECT_EQ(start, 200);
}

TEST(ViewGeometry, TheViewFollowsTheCaretByRowsAndEightColumns)
{
    TCodeMemo memo;
    showGrid(memo, 40, 10);
    SetText(memo, numberedLines(100, 200));
    const int lineLength = 201;
    memo.MakeOffsetVisible(50 * lineLength);
    EXPECT_EQ(memo.TopLine(), 41); // the caret's row is the last full one
    EXPECT_EQ(memo.LeftColumn(), 0);
    memo.MakeOffsetVisible(45 * lineLength);
    EXPECT_EQ(memo.TopLine(), 41);
    memo.MakeOffsetVisible(20 * lineLength + 60);
    EXPECT_EQ(memo.TopLine(), 20);
    EXPECT_EQ(memo.LeftColumn(), 24); // 60 is the first column that 8-column steps bring in sight
    memo.MakeOffsetVisible(20 * lineLength + 70);
    EXPECT_EQ(memo.LeftColumn(), 32);
    memo.MakeOffsetVisible(20 * lineLength + 20);
    EXPECT_EQ(memo.LeftColumn(), 16);
    memo.MakeOffsetVisible(20 * lineLength);
    EXPECT_EQ(memo.LeftColumn(), 0);
    // After a final line break the caret's row is below the last record.
    SetText(memo, numberedLines(30) + "\r\n");
    memo.MakeOffsetVisible(memo.TextLength());
    EXPECT_EQ(memo.TopLine(), 21);
}

TEST(ViewGeometry, AutoScrollFollowsThePointerOnATimer)
{
    TCodeMemo memo;
    showGrid(memo, 40, 10);
    SetText(memo, numberedLines(100, 200));
    Select(memo, 5, 5);
    const int lh = memo.LineHeight();
    // Below the window: one line down, the caret to the last row, the anchor kept.
    EXPECT_TRUE(memo.AutoScrollStep({50, 10 * lh + 30}));
    EXPECT_EQ(memo.TopLine(), 1);
    EXPECT_EQ(Selection(memo).Start, 5);
    int line = 0, start = 0;
    memo.LocateOffset(Selection(memo).End, line, start);
    EXPECT_EQ(line, 10);
    EXPECT_TRUE(memo.AutoScrollStep({50, 10 * lh + 30}));
    EXPECT_EQ(memo.TopLine(), 2);
    // Above: one line up, the caret to the first row.
    EXPECT_TRUE(memo.AutoScrollStep({50, -4}));
    EXPECT_EQ(memo.TopLine(), 1);
    EXPECT_EQ(Selection(memo).End, 201);
    // Right and left of the text: one column each way.
    EXPECT_TRUE(memo.AutoScrollStep({memo.ClientWidth() + 5, 2 * lh}));
    EXPECT_EQ(memo.LeftColumn(), 1);
    EXPECT_EQ(memo.TopLine(), 1);
    EXPECT_EQ(Selection(memo).End, 3 * 201 + 40); // on the last whole column
    EXPECT_TRUE(memo.AutoScrollStep({memo.TextLeft() - 1, 2 * lh}));
    EXPECT_EQ(memo.LeftColumn(), 0);
    EXPECT_EQ(Selection(memo).End, 3 * 201);
    // Inside, nothing.
    EXPECT_FALSE(memo.AutoScrollStep({50, 2 * lh}));
    // A drag of the selection scrolls without moving the caret.
    memo.BeginAutoScroll(false, true);
    memo.EndAutoScroll();
    int caret = Selection(memo).End;
    EXPECT_TRUE(memo.AutoScrollStep({50, 10 * lh + 30}));
    EXPECT_EQ(Selection(memo).End, caret);

    // ScrollTo with auto-scroll returns at once; the timer ends by itself with no button held.
    memo.ScrollTo(0, 0, true, true);
    EXPECT_TRUE(memo.AutoScrolling());
    QElapsedTimer clock;
    clock.start();
    while (memo.AutoScrolling() && clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(memo.AutoScrolling());
}

TEST(ViewGeometry, FocusLineFramesTheCaretRow)
{
    TCodeMemo memo;
    showGrid(memo, 40, 10);
    SetText(memo, "one\r\ntwo\r\nthree");
    Select(memo, 6, 6);
    memo.SetShowFocusLine(true);
    const int lh = memo.LineHeight();
    const QImage& picture = memo.BackBuffer();
    const int x = memo.ClientWidth() - 3;
    // White background: the frame is black, on the row's first and last pixel rows only.
    EXPECT_EQ(picture.pixel(x, lh), qRgb(0, 0, 0));
    EXPECT_EQ(picture.pixel(x, 2 * lh - 1), qRgb(0, 0, 0));
    EXPECT_EQ(picture.pixel(x, lh + 2), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(x, 0), qRgb(255, 255, 255));
    if (memo.TextLeft() > 0) {
        EXPECT_EQ(picture.pixel(memo.TextLeft() - 1, lh), picture.pixel(memo.TextLeft() - 1, lh + 2));
    }
}

TEST(ViewGeometry, WordCharacters)
{
    TCodeMemo memo;
    EXPECT_TRUE(memo.CharStartsWord('a') && memo.CharStartsWord('Z') && memo.CharStartsWord('_'));
    EXPECT_FALSE(memo.CharStartsWord('1') || memo.CharStartsWord('-') || memo.CharStartsWord('\xE9'));
    EXPECT_TRUE(memo.CharIsInWord('1') && memo.CharIsInWord('\'') && memo.CharIsInWord('-'));
    EXPECT_FALSE(memo.CharIsInWord(' ') || memo.CharIsInWord('.'));
    memo.fn_CharStartsWord = [](char c) { return c == '$'; };
    memo.fn_CharIsInWord = [](char c) { return c == '\xE9'; };
    EXPECT_TRUE(memo.CharStartsWord('$'));
    EXPECT_FALSE(memo.CharStartsWord('a'));
    EXPECT_TRUE(memo.CharIsInWord('\xE9'));
}
