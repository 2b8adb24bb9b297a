// The editor control on screen: text is drawn into the picture where its lines are, and the caret blinks there.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>

#include "PainterTestSupport.h"

TEST(CodeMemoScreen, TextIsPaintedWhereItsLinesAre)
{
    TCodeMemo memo;
    memo.resize(420, 220);
    SetText(memo, "<html>\r\n  <body>Hola, mundo</body>\r\n</html>");
    memo.show();
    QApplication::processEvents();

    QImage shot = memo.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const char* out = std::getenv("KESTRIMA_SHOT_DIR");
    shot.save(QDir(out ? out : QDir::tempPath()).filePath("codememo.png"), "PNG");

    QPoint origin(1, 1); // inside the single border
    int left = origin.x() + memo.TextLeft();
    int lineHeight = memo.LineHeight();
    int width = memo.CharWidth();
    QRgb white = qRgb(255, 255, 255);
    // Each line has ink in its row; "<html>" is 6 characters wide, "  <body>Hola, mundo</body>" 26.
    for (int row = 0; row < 3; ++row) {
        QRect line(left, origin.y() + row * lineHeight, 6 * width, lineHeight);
        EXPECT_GT(InkIn(shot, line, white), 10) << "row " << row;
    }
    // Right of every line and below the text there is only background.
    EXPECT_EQ(InkIn(shot, QRect(left + 27 * width, origin.y(), 60, 3 * lineHeight), white), 0);
    EXPECT_EQ(InkIn(shot, QRect(left, origin.y() + 4 * lineHeight, 200, lineHeight), white), 0);
    // The gutter is painted in its own colour at the left.
    EXPECT_GT(InkIn(shot, QRect(origin.x(), origin.y(), memo.Gutter() - 1, lineHeight), white), 0);
    // The back buffer is what was shown.
    EXPECT_EQ(memo.BackBuffer().size(), QSize(memo.ClientWidth(), memo.ClientHeight()));
    EXPECT_EQ(memo.LinesPerWindow(), memo.ClientHeight() / lineHeight);

    // Painted records lose their work flags; an edit flags its record and the next paint clears it.
    constexpr uint32_t work = lfStylesChanged | lfChanged | lfRestart;
    const TLineRecord* second = memo.FirstRecord()->Next;
    EXPECT_EQ(second->Flags & work, 0u);
    Select(memo, 10, 10);
    memo.Perform(SMM_INSERTTEXT, SMM_NOREDRAW, reinterpret_cast<LPARAM>("X"));
    second = memo.FirstRecord()->Next;
    EXPECT_NE(second->Flags & work, 0u);
    memo.Paint();
    EXPECT_EQ(second->Flags & work, 0u);
    QImage after = memo.BackBuffer();
    EXPECT_GT(InkIn(after, QRect(memo.TextLeft() + 26 * width, lineHeight, width, lineHeight), white), 0);
}

TEST(CodeMemoScreen, TheFocusedControlShowsItsCaretAtTheCaretOffset)
{
    TCodeMemo memo;
    memo.resize(300, 150);
    SetText(memo, "abc\r\ndef");
    memo.show();
    memo.activateWindow();
    memo.setFocus();
    QApplication::processEvents();
    if (!memo.hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    Select(memo, 6, 6);
    ASSERT_TRUE(memo.CaretShown());
    EXPECT_EQ(memo.CaretRect().topLeft(),
              QPoint(memo.TextLeft() + 2 * memo.CharWidth(), memo.LineHeight()));
    EXPECT_EQ(memo.CaretRect().height(), memo.LineHeight());
    memo.clearFocus();
    QApplication::processEvents();
    EXPECT_FALSE(memo.CaretShown());
}

namespace {
class TBarsMemo : public TCodeMemo {
public:
    QScrollBar* Vertical() const { return FVertBar; }
    QScrollBar* Horizontal() const { return FHorzBar; }
};
} // namespace

TEST(CodeMemoScreen, ScrollBarsFollowTheViewAndMoveIt)
{
    TBarsMemo memo;
    memo.resize(300, 200);
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    SetText(memo, text);
    memo.show();
    QApplication::processEvents();
    QScrollBar* bar = memo.Vertical();
    EXPECT_EQ(bar->maximum(), 100 - memo.LinesPerWindow() + 1);
    EXPECT_EQ(bar->pageStep(), memo.LinesPerWindow());
    EXPECT_FALSE(memo.Horizontal()->isEnabled()); // every line fits

    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(memo.TopLine(), 1);
    EXPECT_EQ(bar->value(), 1);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(memo.TopLine(), bar->maximum());
    EXPECT_EQ(bar->value(), bar->maximum());
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(memo.TopLine(), 0);

    // Moving the view by message moves the bar.
    memo.Perform(SMM_TOPLINE, SMM_SET, 30);
    EXPECT_EQ(bar->value(), 30);
}
