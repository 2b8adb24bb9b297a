// The editor control's repainting: how many times the back buffer is filled for a page-down, a keystroke and a scroll.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <string>

#include "CodeMemoTestSupport.h"
#include "TextTestSupport.h"

namespace {

// A shown, focused control holding `text`, with every paint of its showing done.
void showWith(TCodeMemo& memo, const std::string& text)
{
    memo.resize(500, 400);
    memo.show();
    memo.setFocus();
    QApplication::processEvents();
    SetText(memo, text);
    Select(memo, 0, 0);
    QApplication::processEvents();
}

// The back-buffer fills that `action` causes, with the events it posts handled.
template <typename Action>
int64_t paintsOf(TCodeMemo& memo, Action action)
{
    QApplication::processEvents();
    const int64_t before = memo.PaintsDone();
    action();
    QApplication::processEvents();
    return memo.PaintsDone() - before;
}

} // namespace

TEST(CodeMemoPaint, OnePaintPerPageDownAndPerKeystroke)
{
    TCodeMemo memo;
    showWith(memo, numberedLines(3000, 40));
    ASSERT_GT(memo.LinesPerWindow(), 3);
    for (int page = 0; page < 20; ++page) {
        const int top = memo.TopLine();
        EXPECT_EQ(paintsOf(memo, [&] { press(memo, VK_NEXT); }), 1) << "page " << page;
        EXPECT_EQ(memo.TopLine(), top + memo.LinesPerWindow());
    }
    for (int page = 0; page < 5; ++page)
        EXPECT_EQ(paintsOf(memo, [&] { press(memo, VK_PRIOR); }), 1) << "page up " << page;

    // Typed characters, Enter, Backspace and caret moves: one paint each.
    for (int vk : {int{'X'}, int{'Y'}, int{VK_RETURN}, int{VK_BACK}, int{VK_LEFT}, int{VK_DOWN}, int{VK_END}})
        EXPECT_EQ(paintsOf(memo, [&] { press(memo, vk); }), 1) << "key " << vk;
    // Typing past the last full row scrolls the view: still one paint.
    Select(memo, memo.TextLength(), memo.TextLength());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(paintsOf(memo, [&] { press(memo, VK_RETURN); }), 1) << "enter at the end " << i;
}

TEST(CodeMemoPaint, AHiddenControlKeepsNoPictureAndDrawsItWholeWhenShownAgain)
{
    TCodeMemo memo;
    showWith(memo, numberedLines(100, 30));
    memo.Paint();
    const QImage shown = memo.BackBuffer().copy();
    ASSERT_FALSE(shown.isNull());
    memo.hide();
    QApplication::processEvents();
    EXPECT_TRUE(memo.BackBuffer().isNull());
    memo.show();
    QApplication::processEvents();
    memo.Paint();
    EXPECT_EQ(memo.BackBuffer(), shown);
}
