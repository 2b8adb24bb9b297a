// The editor control's view and editing messages: caret columns, block indent, wrap settings, colours of its states.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>

#include "CodeMemoTestSupport.h"

namespace {

QRgb pixelIn(const TCustomCodeMemo& memo, int x, int y)
{
    return memo.BackBuffer().pixel(x, y);
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
