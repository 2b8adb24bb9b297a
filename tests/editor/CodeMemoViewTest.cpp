// The editor control's view and editing messages: scrolling through its view, auto-scroll, the focus line, caret columns, block indent, wrap settings, colours of its states.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <string>

#include "CodeMemoTestSupport.h"
#include "TextTestSupport.h"
#include "support/PumpUntil.h"

namespace {

QRgb pixelIn(const TCustomCodeMemo& memo, int x, int y)
{
    return memo.BackBuffer().pixel(x, y);
}

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

} // namespace

TEST(CodeMemoView, VerticalMovesKeepTheRememberedColumn)
{
    TCodeMemo memo;
    SetText(memo, "abcdefgh\r\nab\r\nabcdefgh"); // lines start at 0, 9 and 12
    Select(memo, 6, 6); // column 6 of the first line
    // A vertical move into a short line ends at its end; the next one goes back to column 6.
    memo.RequestVerticalMove();
    Select(memo, 11, 11);
    EXPECT_EQ(Selection(memo).End, 11);
    memo.RequestVerticalMove();
    Select(memo, 12, 14);
    EXPECT_EQ(Selection(memo).End, 12 + 6);
    EXPECT_EQ(Selection(memo).Start, 12 + 6); // the anchor joins the caret

    // Without column tracking the caret stays where it was put, and that becomes the column.
    TCodeMemoOptions options = memo.Options();
    options.Exclude(smoColumnTrack);
    memo.SetOptions(options);
    Select(memo, 6, 6);
    memo.RequestVerticalMove();
    Select(memo, 14, 14);
    EXPECT_EQ(Selection(memo).End, 14);
}

TEST(CodeMemoView, BlockIndentThroughMessages)
{
    TCodeMemo memo;
    SetText(memo, "one\r\ntwo\r\nthree");
    Select(memo, 0, 8); // "one", "two" and the start of nothing more
    memo.Perform(SMM_INDENT, 2, 0);
    EXPECT_EQ(memo.GetTextStr(), "  one\r\n  two\r\nthree");
    memo.Perform(SMM_UNINDENT, 1, 0);
    EXPECT_EQ(memo.GetTextStr(), " one\r\n two\r\nthree");
    // TABs only when both the caller and the option allow them.
    memo.Perform(SMM_INDENT, 1, 1);
    EXPECT_EQ(memo.GetTextStr(), "\t one\r\n\t two\r\nthree");
    memo.SetIndentStep(3);
    memo.Perform(SMM_UNINDENT, 0, 0); // step 0: the indent step
    EXPECT_EQ(memo.GetTextStr(), "one\r\ntwo\r\nthree");
}

TEST(CodeMemoView, WrapSettingsAnnounceThemselvesOnlyWithWrapOn)
{
    TCodeMemo memo;
    SetText(memo, "some text");
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    memo.SetWrapAtColumn(40);
    memo.SetWrapOverride(">");
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(memo.WrapAtColumn(), 40);
    EXPECT_EQ(memo.WrapOverride(), ">");

    memo.SetWordWrap(true);
    changes = 0;
    memo.SetWrapAtColumn(60);
    EXPECT_EQ(changes, 1);
    memo.SetWrapAtColumn(60); // unchanged: nothing to do
    EXPECT_EQ(changes, 1);
    memo.SetWrapOverride(">|");
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(memo.ActiveSettings().WrapAtColumn, 60);
}

TEST(CodeMemoView, OptionChangesAreAnnouncedUnlessAskedNotTo)
{
    TCodeMemo memo;
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    memo.Perform(SMM_OPTIONS, SMM_SET | SMM_NOREDRAW, 0x10);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(memo.Perform(SMM_OPTIONS, 0, 0), 0x10);
    memo.Perform(SMM_OPTIONS, SMM_SET, 0x3FFDBF0);
    EXPECT_EQ(changes, 1);
}

TEST(CodeMemoView, WithoutAVerticalBarTheTopLineStays)
{
    TCodeMemo memo;
    std::string text;
    for (int i = 0; i < 50; ++i)
        text += "x\r\n";
    SetText(memo, text);
    memo.SetScrollBars(ssHorizontal);
    memo.Perform(SMM_TOPLINE, SMM_SET, 20);
    EXPECT_EQ(memo.TopLine(), 0);
    memo.SetScrollBars(ssBoth);
    memo.Perform(SMM_TOPLINE, SMM_SET, 20);
    EXPECT_EQ(memo.TopLine(), 20);
}

TEST(CodeMemoView, DisabledAndReadOnlyControlsUseTheirColours)
{
    TCodeMemo memo;
    memo.resize(200, 100);
    SetText(memo, "x");
    memo.show();
    QApplication::processEvents();
    int x = memo.TextLeft() + 50;
    int y = memo.LineHeight() * 2;
    EXPECT_EQ(pixelIn(memo, x, y), qRgb(255, 255, 255));

    memo.setEnabled(false); // reaches the control as CM_ENABLEDCHANGED
    EXPECT_EQ(pixelIn(memo, x, y), qRgb(0xC0, 0xC0, 0xC0));
    memo.setEnabled(true);
    EXPECT_EQ(pixelIn(memo, x, y), qRgb(255, 255, 255));

    memo.Setdef_BackColor(clYellow);
    EXPECT_EQ(pixelIn(memo, x, y), qRgb(255, 255, 0));
    // Read-only colouring is there but off until asked for.
    memo.SetReadOnly(true);
    EXPECT_EQ(pixelIn(memo, x, y), qRgb(255, 255, 0));
    memo.SetReadOnly(false);
    memo.ReadOnlyColors.Enabled = true;
    memo.SetReadOnly(true);
    EXPECT_EQ(pixelIn(memo, x, y), qRgb(255, 255, 255));
}

TEST(CodeMemoView, BorderAndPaintSuspensionShapeThePicture)
{
    TCodeMemo memo;
    memo.resize(240, 120);
    memo.show();
    QApplication::processEvents();
    int width = memo.ClientWidth();
    memo.SetBorderStyle(bsNone);
    EXPECT_EQ(memo.ClientWidth(), width + 2);

    SetText(memo, "before");
    memo.Perform(SMM_SUSPENDPAINT, SMM_SET, 1);
    QImage frozen = memo.BackBuffer();
    SetText(memo, "a different text altogether");
    EXPECT_EQ(memo.BackBuffer(), frozen);
    memo.Perform(SMM_SUSPENDPAINT, SMM_SET, 0);
    EXPECT_NE(memo.BackBuffer(), frozen);
}

TEST(CodeMemoView, ScrollMessagesAndSettingsReachTheView)
{
    TCodeMemo memo;
    SetText(memo, numberedLines(64000));
    memo.Perform(SMM_TOPLINE, SMM_SET, 30000);
    EXPECT_EQ(memo.ScrollScale(), 3);
    EXPECT_EQ(memo.VertScrollRange().Position, 10000);
    // A thumb position from the bar is multiplied back.
    memo.Perform(WM_VSCROLL, MakeLong(SB_THUMBTRACK, 7000), 0);
    EXPECT_EQ(memo.TopLine(), 21000);
    memo.Perform(WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(memo.TopLine(), 20999);

    showGrid(memo, 40, 10);
    SetText(memo, numberedLines(30, 100));
    memo.Perform(WM_HSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(memo.LeftColumn(), 40);
    memo.Perform(SMM_LEFTCOLUMN, SMM_SET, 500);
    EXPECT_EQ(memo.Perform(SMM_LEFTCOLUMN, 0, 0), 100);
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

TEST(CodeMemoView, RewrappingKeepsTheViewOnTheTextItShowed)
{
    TCodeMemo memo;
    showGrid(memo, 40, 10);
    // Re-wrapping replaces records under the top of the view: it stays on the text it showed.
    SetText(memo, std::string(600, 'w'));
    memo.SetWordWrap(true);
    memo.SetWrapAtColumn(20); // 30 pieces of 20
    memo.Perform(SMM_TOPLINE, SMM_SET, 10);
    Select(memo, 210, 210); // in sight: the caret does not move the view
    ASSERT_EQ(memo.TopLine(), 10);
    memo.SetWrapAtColumn(40); // the old top offset 200 lies in the sixth piece of 40
    EXPECT_EQ(memo.TopLine(), 5);
    int line = 0, start = 0;
    memo.LocateOffset(210, line, start);
    EXPECT_EQ(line, 5);
    EXPECT_EQ(start, 200);
}

TEST(CodeMemoView, AutoScrollFollowsThePointerOnATimer)
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
    EXPECT_TRUE(pumpUntil([&] { return !memo.AutoScrolling(); })) << "the timer never ended";
}

TEST(CodeMemoView, FocusLineFramesTheCaretRow)
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

TEST(CodeMemoView, WordCharacters)
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

TEST(CodeMemoView, FindingEveryMatchWalksTheTextOnceWhetherShownOrNot)
{
    // Lines of 100 characters up to 20 MB, with a match every 100 lines: 2 000 matches.
    constexpr int kLines = 200000;
    std::string text;
    text.reserve(static_cast<size_t>(kLines) * 100);
    const std::string plain(98, 'a');
    std::string marked = plain;
    marked.replace(40, 5, "<link");
    for (int i = 0; i < kLines; ++i)
        text += (i % 100 == 50 ? marked : plain) + "\r\n";
    for (bool shown : {false, true}) {
        // Never shown nor sized, the view stays at the top whatever is found.
        TCodeMemo memo;
        if (shown) {
            memo.resize(400, 300);
            memo.show();
        }
        memo.OnSearchFail = [](TCustomCodeMemo*, const std::string&) {};
        SetText(memo, text);
        ASSERT_EQ(memo.RecordCount(), kLines);
        Select(memo, 0, 0);
        const int64_t before = memo.View().RecordsWalked();
        // Each match with its line, as a list of matches shows it.
        int pos = 0;
        int found = 0;
        for (bool more = memo.FindText("<link", pos, static_cast<uint16_t>(smsDirect | smsMatchCase)); more;
             more = memo.FindNext(pos)) {
            EXPECT_EQ(memo.Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(pos), 0), 50 + 100 * found);
            ++found;
        }
        EXPECT_EQ(found, kLines / 100);
        // Each look-up walks from the one before it: the whole text about once, plus a few
        // records per match, and never from the top of the view again.
        const int64_t walked = memo.View().RecordsWalked() - before;
        EXPECT_LT(walked, 2 * kLines + 10 * found) << (shown ? "shown" : "never shown");
    }
}
