// The editor control driven by mouse events: caret placement, word and line clicks, drags, margin lines, hyperlinks, pointer shapes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <string>

#include "CodeMemoTestSupport.h"
#include "platform/core/SysUtils.h"
#include "support/PumpUntil.h"

namespace {

// Notes undo groups and plays the drag loop's part.
class TMouseMemo : public TCodeMemo {
public:
    TMouseMemo()
    {
        SetBorderStyle(bsNone); // client and widget coordinates are the same
        resize(900, 240);
        show();
        activateWindow();
        setFocus();
        QApplication::processEvents();
    }
    // Every click a click of its own, however fast the next one comes.
    void SlowClicks() { FMouse.DoubleClickTime = -1; }
    int MarginLineX() const { return FMouse.MarginLineX; }
    void DropIntoSelf(int dropStart)
    {
        FMouse.DropStart = dropStart;
        FMouse.DropGroupOpen = true;
    }

    Qt::DropAction ExecDrag(QDrag&, Qt::DropActions allowed) override
    {
        Allowed = allowed;
        ++Drags;
        return OnDrag ? OnDrag() : Qt::IgnoreAction;
    }
    std::function<Qt::DropAction()> OnDrag;
    Qt::DropActions Allowed;
    int Drags = 0;
    std::string Groups;

    void OpenGroup(int kind) { openUndoGroup(kind); }

protected:
    // Only the drag's own groups: the edits inside bring groups of their own.
    void openUndoGroup(int kind) override
    {
        if (kind == 11)
            Groups += "<11";
        TCodeMemo::openUndoGroup(kind);
    }
    void closeUndoGroup(int kind) override
    {
        if (kind == 11)
            Groups += " 11>";
        TCodeMemo::closeUndoGroup(kind);
    }
};

void sendMouse(TCustomCodeMemo& memo, QEvent::Type type, int x, int y, Qt::MouseButton button, Qt::MouseButtons held,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QPointF at(x, y);
    QMouseEvent event(type, at, memo.mapToGlobal(at), button, held, modifiers);
    QCoreApplication::sendEvent(&memo, &event);
}

void pressAt(TCustomCodeMemo& memo, int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    sendMouse(memo, QEvent::MouseButtonPress, x, y, Qt::LeftButton, Qt::LeftButton, modifiers);
}

void releaseAt(TCustomCodeMemo& memo, int x, int y)
{
    sendMouse(memo, QEvent::MouseButtonRelease, x, y, Qt::LeftButton, Qt::NoButton);
}

void click(TCustomCodeMemo& memo, int x, int y, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    pressAt(memo, x, y, modifiers);
    releaseAt(memo, x, y);
}

// The second click of a double click, as the window system reports it.
void doubleClick(TCustomCodeMemo& memo, int x, int y)
{
    sendMouse(memo, QEvent::MouseButtonDblClick, x, y, Qt::LeftButton, Qt::LeftButton);
    releaseAt(memo, x, y);
}

void drag(TCustomCodeMemo& memo, int x, int y)
{
    sendMouse(memo, QEvent::MouseMove, x, y, Qt::NoButton, Qt::LeftButton);
}

// Presses on the first row at x and drags the pointer well down before letting go.
void dragDown(TCustomCodeMemo& memo, int x)
{
    pressAt(memo, x, 2);
    sendMouse(memo, QEvent::MouseMove, x, 4 * memo.LineHeight() + 2, Qt::NoButton, Qt::LeftButton);
    releaseAt(memo, x, 4 * memo.LineHeight() + 2);
}

void hover(TCustomCodeMemo& memo, int x, int y)
{
    sendMouse(memo, QEvent::MouseMove, x, y, Qt::NoButton, Qt::NoButton);
}

// Client x inside character `column` of an unscrolled line, a pixel right of its left edge.
int xOf(TCustomCodeMemo& memo, int column)
{
    return memo.TextLeft() + column * memo.CharWidth() + 1;
}

// Client y inside display row `row`.
int yOf(TCustomCodeMemo& memo, int row)
{
    return row * memo.LineHeight() + memo.LineHeight() / 2;
}

bool selected(TCustomCodeMemo& memo, int anchor, int caret)
{
    TSelectionRange range = Selection(memo);
    return range.Start == anchor && range.End == caret;
}

// `count` lines "line N", each with its line break.
std::string numberedLines(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += Format("line %d\r\n", i);
    return text;
}

} // namespace

TEST(Mouse, ClicksPlaceTheCaretAtTheNearestCharacterBoundary)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetText(memo, "abcdefgh\r\nsecond line"); // the second line starts at 9
    // Characters of odd and of even width: from half the width rounded down, the next boundary.
    for (int size : {9, 10, 11}) {
        memo.SetControlFont("Courier New", size);
        const int left = memo.TextLeft();
        const int cw = memo.CharWidth();
        ASSERT_GT(cw, 2);
        click(memo, left + 3 * cw + 1, 2);
        EXPECT_TRUE(selected(memo, 3, 3)) << cw;
        click(memo, left + 3 * cw + cw / 2, 2);
        EXPECT_TRUE(selected(memo, 4, 4)) << cw;
        click(memo, left + 3 * cw + cw / 2 - 1, 2);
        EXPECT_TRUE(selected(memo, 3, 3)) << cw;
    }
    click(memo, xOf(memo, 2), yOf(memo, 1));
    EXPECT_TRUE(selected(memo, 11, 11));
    // Past a line's end the caret stops before its line break; below the text it goes into the
    // last line, or onto the empty line after a final line break.
    click(memo, xOf(memo, 30), yOf(memo, 0));
    EXPECT_TRUE(selected(memo, 8, 8));
    click(memo, xOf(memo, 1), yOf(memo, 6));
    EXPECT_TRUE(selected(memo, 10, 10));
    // Other buttons leave the caret alone.
    sendMouse(memo, QEvent::MouseButtonPress, xOf(memo, 1), 2, Qt::RightButton, Qt::RightButton);
    sendMouse(memo, QEvent::MouseButtonRelease, xOf(memo, 1), 2, Qt::RightButton, Qt::NoButton);
    EXPECT_TRUE(selected(memo, 10, 10));
    SetText(memo, "abc\r\n");
    click(memo, xOf(memo, 1), yOf(memo, 6));
    EXPECT_TRUE(selected(memo, 4, 4));
}

TEST(Mouse, DoubleClickSelectsTheWordAndTripleClickTheRow)
{
    TMouseMemo memo;
    SetText(memo, "hello world\r\nnext line");
    SetOption(memo, smoWordSelect, true);
    const int x = xOf(memo, 8); // inside "world"
    pressAt(memo, x, 2);
    releaseAt(memo, x, 2);
    doubleClick(memo, x, 2);
    EXPECT_TRUE(selected(memo, 6, 11));
    click(memo, x, 2);
    EXPECT_TRUE(selected(memo, 0, 12)); // the row with its CR

    // Dragging on from a double click extends the word by characters.
    TMouseMemo other;
    SetText(other, "hello world\r\nnext line");
    SetOption(other, smoWordSelect, true);
    click(other, xOf(other, 1), 2);
    sendMouse(other, QEvent::MouseButtonDblClick, xOf(other, 1), 2, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(selected(other, 0, 5));
    drag(other, xOf(other, 3) + other.CharWidth() / 2, yOf(other, 1));
    releaseAt(other, xOf(other, 3) + other.CharWidth() / 2, yOf(other, 1));
    EXPECT_TRUE(selected(other, 0, 16));

    // A double click past the last word of a line finds that word; between words, the word before.
    TMouseMemo third;
    SetText(third, "one two");
    SetOption(third, smoWordSelect, true);
    click(third, xOf(third, 6) + third.CharWidth() / 2, 2);
    doubleClick(third, xOf(third, 6) + third.CharWidth() / 2, 2);
    EXPECT_TRUE(selected(third, 4, 7));
    third.SlowClicks();
    third.SelectWordAtCaret({xOf(third, 3), 2});
    EXPECT_TRUE(selected(third, 0, 3));
}

TEST(Mouse, TripleClickOnAnotherLineOnlyPlacesTheCaret)
{
    TMouseMemo memo;
    SetText(memo, "hello world\r\nnext line");
    SetOption(memo, smoWordSelect, true);
    click(memo, xOf(memo, 8), 2);
    doubleClick(memo, xOf(memo, 8), 2);
    click(memo, xOf(memo, 2), yOf(memo, 1));
    EXPECT_TRUE(selected(memo, 14, 14));

    // With a handler the application decides what a triple click does.
    TMouseMemo handled;
    SetText(handled, "hello world\r\nnext line");
    SetOption(handled, smoWordSelect, false);
    TPoint clickedAt{-1, -1};
    int clickedOffset = -1;
    handled.OnTripleClick = [&](TCustomCodeMemo*, TPoint point, int offset) {
        clickedAt = point;
        clickedOffset = offset;
    };
    click(handled, xOf(handled, 2), yOf(handled, 1));
    doubleClick(handled, xOf(handled, 2), yOf(handled, 1));
    click(handled, xOf(handled, 2), yOf(handled, 1));
    EXPECT_EQ(clickedAt, (TPoint{xOf(handled, 2), yOf(handled, 1)}));
    EXPECT_EQ(clickedOffset, 14);
    EXPECT_TRUE(selected(handled, 14, 14));
}

TEST(Mouse, DoubleClickInTheGutterSelectsNoWord)
{
    TMouseMemo memo;
    SetText(memo, "hello world");
    SetOption(memo, smoShowGutter, true);
    SetOption(memo, smoWordSelect, true);
    ASSERT_GT(memo.TextLeft(), memo.Margin());
    int gutterClicks = 0;
    memo.OnGutterClick = [&](TCustomCodeMemo*, int) { ++gutterClicks; };
    Select(memo, 3, 3);
    click(memo, 2, 2);
    doubleClick(memo, 2, 2);
    EXPECT_TRUE(selected(memo, 3, 3));
    EXPECT_EQ(gutterClicks, 2);
}

TEST(Mouse, GutterClickNamesTheFirstPieceOfAWrappedLine)
{
    TMouseMemo memo;
    memo.SlowClicks();
    // A line too long for one record continues on the next.
    SetText(memo, std::string(3000, 'x') + "\r\nshort\r\n");
    SetOption(memo, smoShowGutter, true);
    std::vector<int> lines;
    memo.OnGutterClick = [&](TCustomCodeMemo*, int line) { lines.push_back(line); };
    click(memo, 2, yOf(memo, 1));
    click(memo, 2, yOf(memo, 2));
    click(memo, 2, yOf(memo, 3)); // the empty line after the final line break
    click(memo, 2, yOf(memo, 9)); // far below: still that line
    EXPECT_EQ(lines, (std::vector<int>{2, 3, 4, 4}));

    lines.clear();
    SetOption(memo, smoWordWrap, true);
    click(memo, 2, yOf(memo, 0));
    click(memo, 2, yOf(memo, 1));
    EXPECT_EQ(lines, (std::vector<int>{1, 1}));
}

TEST(Mouse, ClickInsideTheSelectionAndReleasePlacesTheCaret)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetOption(memo, smoOLEDragSource, true);
    SetText(memo, "hello world");
    Select(memo, 0, 11);
    pressAt(memo, xOf(memo, 3), 2);
    EXPECT_TRUE(selected(memo, 0, 11)); // the selection waits to see whether it is dragged
    releaseAt(memo, xOf(memo, 3), 2);
    EXPECT_TRUE(selected(memo, 3, 3));
    EXPECT_EQ(memo.Drags, 0);

    // A move by less than the drag distance is still a click.
    Select(memo, 0, 11);
    pressAt(memo, xOf(memo, 4), 2);
    drag(memo, xOf(memo, 4) + 1, 2);
    releaseAt(memo, xOf(memo, 4) + 1, 2);
    EXPECT_TRUE(selected(memo, 4, 4));
    EXPECT_EQ(memo.Drags, 0);

    // Moving on drags the text, offering a move only where the text may change.
    Select(memo, 0, 11);
    dragDown(memo, xOf(memo, 4));
    EXPECT_EQ(memo.Drags, 1);
    EXPECT_EQ(memo.Allowed, Qt::CopyAction | Qt::MoveAction);
    memo.SetReadOnly(true);
    dragDown(memo, xOf(memo, 4));
    EXPECT_EQ(memo.Drags, 2);
    EXPECT_EQ(memo.Allowed, Qt::DropActions(Qt::CopyAction));
    EXPECT_TRUE(selected(memo, 0, 11)); // a drag that dropped nothing changes nothing

    // Without dragging out of the editor, a click in the selection starts a new one.
    SetOption(memo, smoOLEDragSource, false);
    pressAt(memo, xOf(memo, 2), 2);
    drag(memo, xOf(memo, 5), 2);
    releaseAt(memo, xOf(memo, 5), 2);
    EXPECT_TRUE(selected(memo, 2, 5));
}

TEST(Mouse, DragsShiftClicksAndTheSelectionMarginSelect)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetText(memo, "first line\r\nsecond line\r\nthird"); // lines start at 0, 11 and 23
    SetOption(memo, smoShowGutter, false);
    pressAt(memo, xOf(memo, 2), yOf(memo, 0));
    drag(memo, xOf(memo, 4), yOf(memo, 1));
    EXPECT_TRUE(selected(memo, 2, 15));
    drag(memo, xOf(memo, 1), yOf(memo, 0)); // back before the anchor
    EXPECT_TRUE(selected(memo, 2, 1));
    releaseAt(memo, xOf(memo, 1), yOf(memo, 0));
    hover(memo, xOf(memo, 8), yOf(memo, 2)); // without the button nothing follows
    EXPECT_TRUE(selected(memo, 2, 1));

    click(memo, xOf(memo, 3), yOf(memo, 1), Qt::ShiftModifier);
    EXPECT_TRUE(selected(memo, 1, 14));
    click(memo, xOf(memo, 0), yOf(memo, 0), Qt::ShiftModifier); // before the start: the end stays
    EXPECT_TRUE(selected(memo, 14, 0));

    ASSERT_GT(memo.TextLeft(), 0);
    click(memo, 0, yOf(memo, 1)); // the margin left of the text
    EXPECT_TRUE(selected(memo, 11, 23));
    pressAt(memo, 0, yOf(memo, 0));
    drag(memo, xOf(memo, 2), yOf(memo, 2));
    EXPECT_TRUE(selected(memo, 0, 25));
    releaseAt(memo, xOf(memo, 2), yOf(memo, 2));
}

TEST(Mouse, CaretAfterTheLineEndStandsWhereClicked)
{
    TMouseMemo memo;
    memo.SlowClicks();
    memo.SetControlFont("Courier New", 10);
    if (!memo.CaretAfterEOLActive()) {
        SetOption(memo, smoCaretAfterEOL, true);
        if (!memo.CaretAfterEOLActive())
            GTEST_SKIP() << "no fixed-pitch font";
    }
    SetText(memo, "abc\r\nlonger line");
    click(memo, memo.TextLeft() + 7 * memo.CharWidth(), 2);
    EXPECT_TRUE(selected(memo, 3, 3));
    memo.Paint();
    EXPECT_EQ(memo.CaretRect().left(), memo.TextLeft() + 7 * memo.CharWidth());
    click(memo, memo.TextLeft() + 2 * memo.CharWidth(), 2);
    memo.Paint();
    EXPECT_EQ(memo.CaretRect().left(), memo.TextLeft() + 2 * memo.CharWidth());
}

// Caret after the end of lines on, with TABs in fills or not; false without a fixed-pitch font.
bool caretAfterEOL(TMouseMemo& memo, bool tabs)
{
    memo.SlowClicks();
    memo.SetControlFont("Courier New", 10);
    SetOption(memo, smoCaretAfterEOL, true);
    SetOption(memo, smoUseTAB, tabs);
    return memo.CaretAfterEOLActive();
}

TEST(Mouse, UndoOfTypingAfterAClickBeyondTheLineEndRestoresTheText)
{
    for (bool tabs : {false, true}) {
        TMouseMemo memo;
        if (!caretAfterEOL(memo, tabs))
            GTEST_SKIP() << "no fixed-pitch font";
        const std::string original = "abc\rlonger line\r\tx";
        SetText(memo, original);
        for (int row : {0, 2}) {
            click(memo, memo.TextLeft() + 19 * memo.CharWidth(), 2 + row * memo.LineHeight());
            memo.InsertTypedChar('z');
            ASSERT_NE(memo.StoredText(), original);
            memo.Perform(EM_UNDO, 0, 0);
            EXPECT_EQ(memo.StoredText(), original) << "tabs " << tabs << " row " << row;
        }
    }
}

TEST(Mouse, UndoAndRedoOfAnEarlierEditAfterAClickBeyondTheLineEndAddNoFill)
{
    for (bool tabs : {false, true}) {
        TMouseMemo memo;
        if (!caretAfterEOL(memo, tabs))
            GTEST_SKIP() << "no fixed-pitch font";
        SetText(memo, "abc\r\ndef");
        const std::string original = memo.StoredText();
        Select(memo, 1, 2);
        Insert(memo, "");
        const std::string deleted = memo.StoredText();
        ASSERT_EQ(deleted, "ac\rdef");
        // The click leaves the caret beyond the end of "ac"; the undo puts "b" back where it was.
        click(memo, memo.TextLeft() + 19 * memo.CharWidth(), 2);
        memo.Perform(EM_UNDO, 0, 0);
        EXPECT_EQ(memo.StoredText(), original) << "tabs " << tabs;
        click(memo, memo.TextLeft() + 19 * memo.CharWidth(), 2);
        memo.Perform(SMM_REDO, 0, 0);
        EXPECT_EQ(memo.StoredText(), deleted) << "tabs " << tabs;
        // Typing after a click beyond the end still fills up to where the caret stands.
        click(memo, memo.TextLeft() + 6 * memo.CharWidth(), 2);
        memo.InsertTypedChar('z');
        EXPECT_EQ(memo.StoredText().substr(0, 3), tabs ? "ac\t" : "ac ") << "tabs " << tabs;
    }
}

TEST(Mouse, RightMarginLineDragsToANewColumn)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetOption(memo, smoShowRMargin, true);
    SetOption(memo, smoOLEDragSource, false);
    SetText(memo, "short\r\n" + std::string(60, 'y'));
    memo.SetRightMargin(40);
    const int left = memo.TextLeft();
    const int cw = memo.CharWidth();
    ASSERT_GT(memo.ColumnsPerWindow(), 75);

    // The line is caught only where no text lies under it.
    hover(memo, left + 40 * cw, yOf(memo, 1));
    EXPECT_EQ(memo.cursor().shape(), Qt::IBeamCursor);
    hover(memo, left + 40 * cw, yOf(memo, 0));
    EXPECT_EQ(memo.cursor().shape(), Qt::SplitHCursor);
    const TSelectionRange before = Selection(memo);
    pressAt(memo, left + 40 * cw, yOf(memo, 0));
    drag(memo, left + 72 * cw, yOf(memo, 3));
    ASSERT_EQ(memo.MarginLineX(), left + 72 * cw);
    // The dragged line shows inverted over the text area.
    QImage shown = memo.grab().toImage();
    QRgb under = memo.BackBuffer().pixel(memo.MarginLineX(), yOf(memo, 3));
    EXPECT_EQ(shown.pixel(memo.MarginLineX(), yOf(memo, 3)) & 0xFFFFFF, ~under & 0xFFFFFF);
    EXPECT_TRUE(selected(memo, before.Start, before.End)); // the caret stays out of it
    releaseAt(memo, left + 72 * cw, yOf(memo, 3));
    EXPECT_EQ(memo.RightMargin(), 72);
    EXPECT_EQ(memo.MarginLineX(), -1);
    EXPECT_TRUE(selected(memo, before.Start, before.End));

    // Released left of the text the line keeps its place.
    SetOption(memo, smoShowGutter, true);
    const int textLeft = memo.TextLeft();
    hover(memo, textLeft + 72 * cw, yOf(memo, 0));
    pressAt(memo, textLeft + 72 * cw, yOf(memo, 0));
    drag(memo, 1, yOf(memo, 0));
    EXPECT_EQ(memo.MarginLineX(), -1);
    releaseAt(memo, 1, yOf(memo, 0));
    EXPECT_EQ(memo.RightMargin(), 72);
}

TEST(Mouse, WrapColumnLineDragsWithWordWrapOn)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetOption(memo, smoShowRMargin, false);
    SetOption(memo, smoShowWrapColumn, true);
    SetOption(memo, smoWordWrap, true);
    memo.SetWrapAtColumn(30);
    SetText(memo, "tiny");
    const int x = memo.TextLeft() + 30 * memo.CharWidth();
    hover(memo, x, 2);
    EXPECT_EQ(memo.cursor().shape(), Qt::SplitHCursor);
    pressAt(memo, x, 2);
    drag(memo, x + 15 * memo.CharWidth(), 2);
    releaseAt(memo, x + 15 * memo.CharWidth(), 2);
    EXPECT_EQ(memo.WrapAtColumn(), 45);
    EXPECT_EQ(memo.RightMargin(), 80);
}

TEST(Mouse, StyleUnderThePointerAndTokenAtTheCaret)
{
    TMouseMemo memo;
    SetText(memo, "see link now\r\nnext");
    // "link" is token 7, the rest token 0.
    std::string bytes(13 + 4, '\0');
    for (int i = 4; i < 8; ++i)
        bytes[static_cast<size_t>(i)] = 7;
    memo.SetStyleBytes(nullptr, bytes);

    hover(memo, xOf(memo, 5), yOf(memo, 0));
    EXPECT_EQ(memo.StyleAtCaret(), 7);
    hover(memo, xOf(memo, 1), yOf(memo, 0));
    EXPECT_EQ(memo.StyleAtCaret(), 0);
    hover(memo, xOf(memo, 1), yOf(memo, 5)); // below the text
    EXPECT_EQ(memo.StyleAtCaret(), 255);
    hover(memo, xOf(memo, 20), yOf(memo, 0)); // past the row's text
    EXPECT_EQ(memo.StyleAtCaret(), 255);

    // The token is the caret's, wherever the pointer rests: here over "see", then below the text.
    const std::pair<int, std::string> caretTokens[] = {
        {5, "link"}, {4, "link"}, {0, "see "}, {3, "see "},
        // The character at the caret decides: after "link" stands a blank of the other token.
        {8, " now\rnext"},
        // At a line's end and the text's end the token that ends there.
        {12, " now\rnext"}, {17, " now\rnext"},
    };
    for (const auto& [caret, expected] : caretTokens) {
        hover(memo, xOf(memo, 1), caret % 2 ? yOf(memo, 0) : yOf(memo, 5));
        memo.SetSelStart(caret);
        std::string token = "?";
        memo.TokenAtCaret(token);
        EXPECT_EQ(token, expected) << caret;
    }
    // A text without style bytes has no token.
    SetText(memo, "plain");
    memo.SetSelStart(2);
    std::string token = "?";
    memo.TokenAtCaret(token);
    EXPECT_EQ(token, "");
}

TEST(Mouse, HyperlinksShowTheirPointerAndReportHoverAndClick)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetText(memo, "see link now");
    std::string bytes(12, '\0');
    for (int i = 4; i < 8; ++i)
        bytes[static_cast<size_t>(i)] = 7;
    memo.SetStyleBytes(nullptr, bytes);
    TSM_TokenStyle link = memo.ActiveSettings().GetStyle(3);
    link.Defined = 1;
    link.Hotspot = 1;
    memo.ActiveSettings().SetStyle(3, link);
    memo.ActiveSettings().SetStyleFlag(7, 3);
    memo.HyperCursor = crHandPoint;

    int hovers = 0;
    std::vector<std::pair<std::string, int>> clicks;
    memo.OnHyperlinkHover = [&](TCustomCodeMemo*) { ++hovers; };
    memo.OnHyperlinkClick = [&](TCustomCodeMemo*, const std::string& data, int type) { clicks.emplace_back(data, type); };

    hover(memo, xOf(memo, 1), 2);
    EXPECT_EQ(memo.cursor().shape(), Qt::IBeamCursor);
    hover(memo, xOf(memo, 6), 2);
    EXPECT_EQ(memo.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(hovers, 1);
    click(memo, xOf(memo, 6), 2);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0], (std::pair<std::string, int>{"link", 7}));
    EXPECT_TRUE(selected(memo, 6, 6));
    click(memo, xOf(memo, 10), 2);
    EXPECT_EQ(clicks.size(), 1u);

    // Left of the text the pointer is the plain arrow; a shape the application chose stays.
    hover(memo, 0, 2);
    EXPECT_EQ(memo.cursor().shape(), Qt::ArrowCursor);
    memo.setCursor(Qt::WaitCursor);
    hover(memo, xOf(memo, 6), 2);
    hover(memo, xOf(memo, 1), 2);
    EXPECT_EQ(memo.cursor().shape(), Qt::WaitCursor);
}

TEST(Mouse, PointerOverTheSelectionShowsItCanBeDragged)
{
    TMouseMemo memo;
    SetOption(memo, smoOLEDragSource, true);
    SetText(memo, "hello world");
    Select(memo, 0, 5);
    hover(memo, xOf(memo, 2), 2);
    EXPECT_EQ(memo.cursor().shape(), Qt::ArrowCursor);
    hover(memo, xOf(memo, 7), 2);
    EXPECT_EQ(memo.cursor().shape(), Qt::IBeamCursor);
}

TEST(Mouse, DragEndsOnlyTheUndoGroupItsOwnDropOpened)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetOption(memo, smoOLEDragSource, true);
    SetText(memo, "move me here");

    // Moved into another window: the text leaves as one undo step, and nothing else is closed.
    Select(memo, 0, 5);
    memo.OnDrag = [] { return Qt::MoveAction; };
    dragDown(memo, xOf(memo, 1));
    EXPECT_EQ(memo.StoredText(), "me here");
    EXPECT_EQ(memo.Groups, "<11 11>");
    EXPECT_EQ(memo.Lines().UpdateCount(), 0);
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), "move me here");
    memo.Redo();
    ASSERT_EQ(memo.StoredText(), "me here");

    // Copied elsewhere: nothing here changes.
    memo.Groups.clear();
    Select(memo, 0, 2);
    memo.OnDrag = [] { return Qt::CopyAction; };
    dragDown(memo, xOf(memo, 1));
    EXPECT_EQ(memo.StoredText(), "me here");
    EXPECT_EQ(memo.Groups, "");
    EXPECT_TRUE(selected(memo, 0, 2));

    // Moved within the control: its drop opened the group and the update, the drag closes them,
    // and the moved text ends up selected.
    Select(memo, 0, 3); // "me "
    memo.OnDrag = [&] {
        memo.OpenGroup(11);
        memo.Lines().BeginUpdate();
        Select(memo, 0, 3, SMM_NOREDRAW);
        memo.Perform(SMM_INSERTTEXT, SMM_NOREDRAW, 0);
        Select(memo, 4, 4, SMM_NOREDRAW); // "here" after the removal
        memo.Perform(SMM_INSERTTEXT, SMM_NOREDRAW, reinterpret_cast<LPARAM>("me "));
        memo.DropIntoSelf(4);
        return Qt::MoveAction;
    };
    dragDown(memo, xOf(memo, 1));
    EXPECT_EQ(memo.StoredText(), "hereme ");
    EXPECT_EQ(memo.Groups, "<11 11>");
    EXPECT_EQ(memo.Lines().UpdateCount(), 0);
    EXPECT_TRUE(selected(memo, 4, 7));
    memo.Undo(); // removal and insertion are one step
    EXPECT_EQ(memo.StoredText(), "me here");
}

TEST(Mouse, SelectingOutsideTheViewScrollsItStepByStep)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetText(memo, numberedLines(200));
    ASSERT_TRUE(memo.hasFocus());
    const int below = memo.ClientHeight() + 10;
    pressAt(memo, xOf(memo, 1), yOf(memo, 0));
    drag(memo, xOf(memo, 1), below);
    EXPECT_EQ(memo.TopLine(), 1);
    // The timer goes on while the pointer stays outside.
    EXPECT_TRUE(pumpUntil([&] { return memo.TopLine() >= 4; })) << "the view stopped at " << memo.TopLine();
    // The caret stays on the last row in sight.
    int lastRow = memo.TopLine() + memo.ClientHeight() / memo.LineHeight() - 1;
    EXPECT_EQ(memo.LineOfOffset(Selection(memo).End), lastRow);
    EXPECT_EQ(Selection(memo).Start, 1);
    int top = memo.TopLine();
    releaseAt(memo, xOf(memo, 1), below);
    // With the button up the timer ends at its next tick, which moves nothing.
    EXPECT_TRUE(pumpUntil([&] { return !memo.AutoScrolling(); })) << "the timer never ended";
    EXPECT_EQ(memo.TopLine(), top);

    // Back inside, the view stays.
    click(memo, xOf(memo, 1), yOf(memo, 2));
    pressAt(memo, xOf(memo, 1), yOf(memo, 2));
    drag(memo, xOf(memo, 1), -5);
    EXPECT_EQ(memo.TopLine(), top - 1);
    drag(memo, xOf(memo, 1), yOf(memo, 2));
    EXPECT_TRUE(pumpUntil([&] { return !memo.AutoScrolling(); })) << "the timer never ended";
    EXPECT_EQ(memo.TopLine(), top - 1);
    releaseAt(memo, xOf(memo, 1), yOf(memo, 2));
}

TEST(Mouse, SelectingBelowTheWindowRunsOnToTheEndOfTheText)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetText(memo, numberedLines(30)); // 30 records, the last ending with a line break
    const int rows = memo.ClientHeight() / memo.LineHeight();
    ASSERT_LT(rows, 30);
    const int below = memo.ClientHeight() + 10;
    pressAt(memo, xOf(memo, 1), yOf(memo, 0));
    drag(memo, xOf(memo, 3), below);
    // The caret keeps the pointer's column on the last full row.
    EXPECT_EQ(memo.TopLine(), 1);
    EXPECT_EQ(memo.LineOfOffset(Selection(memo).End), rows);
    EXPECT_EQ(memo.IndexInRecord(Selection(memo).End), 3);
    EXPECT_TRUE(memo.AutoScrolling());

    // With the button still held the view stops at the last line, the selection at the end.
    EXPECT_TRUE(pumpUntil([&] { return !memo.AutoScrolling(); })) << "still scrolling at " << memo.TopLine();
    EXPECT_EQ(memo.TopLine(), 29);
    EXPECT_TRUE(selected(memo, 1, memo.TextLength()));
    // A further move outside finds nothing left to scroll.
    drag(memo, xOf(memo, 3), below + 5);
    EXPECT_FALSE(memo.AutoScrolling());
    EXPECT_EQ(memo.TopLine(), 29);
    releaseAt(memo, xOf(memo, 3), below + 5);
}

TEST(Mouse, DraggingTheSelectionScrollsNearTheEdgeWithoutMovingIt)
{
    TMouseMemo memo;
    memo.SlowClicks();
    SetOption(memo, smoOLEDragSource, true);
    SetText(memo, numberedLines(30));
    Select(memo, 0, 6);
    const int lh = memo.LineHeight();
    int topInside = -1, topInBand = -1;
    bool scrolling = false;
    memo.OnDrag = [&] {
        // The drop place two rows above the bottom edge: not yet; in the last two rows: a step.
        drag(memo, xOf(memo, 2), memo.ClientHeight() - 2 * lh - 1);
        topInside = memo.TopLine();
        drag(memo, xOf(memo, 2), memo.ClientHeight() - lh);
        topInBand = memo.TopLine();
        scrolling = memo.AutoScrolling();
        return Qt::IgnoreAction;
    };
    dragDown(memo, xOf(memo, 2));
    EXPECT_EQ(memo.Drags, 1);
    EXPECT_EQ(topInside, 0);
    EXPECT_EQ(topInBand, 1);
    EXPECT_TRUE(scrolling);
    EXPECT_TRUE(selected(memo, 0, 6));
    EXPECT_FALSE(memo.AutoScrolling()); // the release ended it
}
