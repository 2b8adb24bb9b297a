// The editor control driven by key events: caret moves, selection, typing, Tab, Enter, deletions, two-stroke commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>
#include <string>

#include "platform/core/CharacterReferences.h"
#include "CodeMemoTestSupport.h"
#include "editor/model/KeyBindings.h"
#include "platform/Keys.h"
#include "platform/core/SysUtils.h"

namespace {

// Records what the control hands to the units that own undo groups, bookmarks and the clipboard.
class TKeyMemo : public TCodeMemo {
public:
    void SetBookmark(int index, int line, int column) override
    {
        Calls += Format("set %d %d %d; ", index, line, column);
    }
    void GotoBookmark(int index) override { Calls += Format("goto %d; ", index); }
    void CopyToClipboard() override { Calls += "copy; "; }
    void ForceCaretAfterEOL() { FCaretAfterEOL = true; }
    bool Beyond() const { return FCaretBeyondEOL; }
    int CaretColumn() const { return FWantedColumn; }
    std::string Calls;
    std::string Groups;

protected:
    void openUndoGroup(int kind) override { Groups += Format("<%d", kind); }
    void closeUndoGroup(int kind) override { Groups += Format(" %d>", kind); }
};

// Types letters, digits and blanks key by key.
void type(TCustomCodeMemo& memo, const std::string& text)
{
    for (char c : text) {
        if (c == ' ')
            press(memo, VK_SPACE);
        else if (c >= 'a' && c <= 'z')
            press(memo, AsciiUpper(c));
        else if (c >= 'A' && c <= 'Z')
            press(memo, c, ssShift);
        else
            press(memo, c);
    }
}

std::string text(TCustomCodeMemo& memo)
{
    return memo.StoredText();
}

// Options with the typing behaviours under test switched off; each test turns on what it needs.
constexpr uint32_t kPlainOptions = 0x3FFDBF0 & ~(0x800u | 0x1000u | 0x400000u | 0x800000u | 0x1000000u);

void setOptions(TCustomCodeMemo& memo, uint32_t options)
{
    memo.Perform(SMM_OPTIONS, SMM_SET, static_cast<LPARAM>(options));
}

// The text after one key pressed with the caret at `caret` in `content`.
std::string afterKey(TKeyMemo& memo, const std::string& content, int caret, int vk, TShiftState shift = 0)
{
    SetText(memo, content);
    Select(memo, caret, caret);
    press(memo, vk, shift);
    return text(memo);
}

// Shows the control with `content` selected from `anchor` to `caret`, and no undo groups noted yet.
void prepare(TKeyMemo& memo, const std::string& content, int anchor, int caret, uint32_t options = kPlainOptions)
{
    memo.resize(400, 200);
    memo.show();
    SetText(memo, content);
    setOptions(memo, options);
    Select(memo, anchor, caret);
    memo.Groups.clear();
}

} // namespace

TEST(Keyboard, ArrowsHomeEndAndWordsMoveTheCaret)
{
    TKeyMemo memo;
    prepare(memo, "alpha beta\r  gamma  \rx", 0, 0);
    press(memo, VK_RIGHT);
    press(memo, VK_RIGHT);
    EXPECT_EQ(memo.Caret(), 2);
    press(memo, VK_LEFT);
    EXPECT_EQ(memo.Caret(), 1);
    press(memo, VK_LEFT);
    press(memo, VK_LEFT); // not below 0
    EXPECT_EQ(memo.Caret(), 0);
    press(memo, VK_END);
    EXPECT_EQ(memo.Caret(), 10);
    press(memo, VK_DOWN);
    // End stops before trailing blanks; Home goes to the line start.
    press(memo, VK_END);
    EXPECT_EQ(memo.Caret(), 18);
    press(memo, VK_HOME);
    EXPECT_EQ(memo.Caret(), 11);
    press(memo, VK_UP);
    EXPECT_EQ(memo.Caret(), 0);
    press(memo, VK_UP); // the first line keeps the caret
    EXPECT_EQ(memo.Caret(), 0);

    press(memo, VK_RIGHT, ssCtrl);
    EXPECT_EQ(memo.Caret(), 6);
    press(memo, VK_RIGHT, ssCtrl);
    EXPECT_EQ(memo.Caret(), 13);
    press(memo, VK_LEFT, ssCtrl);
    EXPECT_EQ(memo.Caret(), 6);
    // From a word's start Ctrl+Left goes on to the word before.
    press(memo, VK_LEFT, ssCtrl);
    EXPECT_EQ(memo.Caret(), 0);
    press(memo, VK_END, ssCtrl);
    EXPECT_EQ(memo.Caret(), memo.TextLength());
    press(memo, VK_RIGHT);
    EXPECT_EQ(memo.Caret(), memo.TextLength());
    press(memo, VK_HOME, ssCtrl);
    EXPECT_EQ(memo.Caret(), 0);
    EXPECT_EQ(memo.Anchor(), 0);
    EXPECT_EQ(text(memo), "alpha beta\r  gamma  \rx");
}

TEST(Keyboard, DownReachesTheLineAfterAFinalBreakAndPagesMoveByTheWindow)
{
    TKeyMemo memo;
    prepare(memo, "ab\rcd\r", 4, 4);
    press(memo, VK_DOWN);
    EXPECT_EQ(memo.Caret(), 6);
    press(memo, VK_DOWN); // nothing below
    EXPECT_EQ(memo.Caret(), 6);
    press(memo, VK_UP);
    EXPECT_EQ(memo.Caret(), 3);

    std::string many;
    for (int i = 0; i < 100; ++i)
        many += "line\r";
    SetText(memo, many);
    Select(memo, 0, 0);
    const int page = memo.LinesPerWindow();
    ASSERT_GT(page, 1);
    press(memo, VK_NEXT);
    EXPECT_EQ(memo.Caret(), page * 5);
    EXPECT_EQ(memo.TopLine(), page);
    press(memo, VK_NEXT, ssShift);
    EXPECT_EQ(memo.Caret(), 2 * page * 5);
    EXPECT_EQ(memo.Anchor(), page * 5);
    press(memo, VK_PRIOR);
    EXPECT_EQ(memo.Caret(), page * 5);
    EXPECT_EQ(memo.Anchor(), page * 5);
    EXPECT_EQ(memo.TopLine(), page);
}

TEST(Keyboard, ShiftExtendsTheSelectionOfEveryMove)
{
    TKeyMemo memo;
    prepare(memo, "one two\rthree\rfour", 4, 4);
    press(memo, VK_RIGHT, ssShift);
    press(memo, VK_RIGHT, ssShift);
    EXPECT_EQ(memo.Anchor(), 4);
    EXPECT_EQ(memo.Caret(), 6);
    // Down is bound without Shift; Shift+Down still moves, and extends.
    press(memo, VK_DOWN, ssShift);
    EXPECT_EQ(memo.Anchor(), 4);
    EXPECT_EQ(memo.Caret(), 13);
    press(memo, VK_LEFT, ssShift | ssCtrl);
    EXPECT_EQ(memo.Caret(), 8);
    EXPECT_EQ(memo.Anchor(), 4);
    press(memo, VK_END, ssShift | ssCtrl);
    EXPECT_EQ(memo.Caret(), memo.TextLength());
    EXPECT_EQ(memo.Anchor(), 4);
    // A move without Shift collapses the selection at the new caret.
    press(memo, VK_LEFT);
    EXPECT_EQ(memo.Anchor(), memo.TextLength() - 1);
    EXPECT_EQ(memo.Caret(), memo.TextLength() - 1);
    EXPECT_EQ(text(memo), "one two\rthree\rfour");
}

TEST(Keyboard, TabFillsToTheNextStopOrUnderTheNextWordAbove)
{
    TKeyMemo memo;
    prepare(memo, "abcde", 5, 5);
    press(memo, VK_TAB);
    EXPECT_EQ(text(memo), "abcde   ");
    EXPECT_EQ(memo.Groups, "<12<21 21> 12>");

    // With smoTabToColumn the word that starts after the caret's column in the line above decides.
    setOptions(memo, kPlainOptions | OptionBit(smoTabToColumn));
    EXPECT_EQ(afterKey(memo, "abc  def\rx", 10, VK_TAB), "abc  def\rx    ");
    // Lines above that do not reach past the caret's column are passed over; with none, the tab stop.
    EXPECT_EQ(afterKey(memo, "abc\r\rabc", 8, VK_TAB), "abc\r\rabc ");

    // With TABs in use and no column filling, Tab types a TAB; Shift+Tab does the same.
    setOptions(memo, kPlainOptions | OptionBit(smoUseTAB));
    SetText(memo, "a");
    Select(memo, 1, 1);
    press(memo, VK_TAB);
    press(memo, VK_TAB, ssShift);
    EXPECT_EQ(text(memo), "a\t\t");
}

TEST(Keyboard, TabIsTheControlsWhenItWantsTabsAndTheFocusChainsWhenNot)
{
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* memo = new TCodeMemo;
    auto* other = new QLineEdit;
    layout->addWidget(memo);
    layout->addWidget(other);
    window.resize(300, 300);
    window.show();
    memo->setFocus();
    window.activateWindow();
    QApplication::processEvents();
    if (!memo->hasFocus())
        GTEST_SKIP() << "the platform gives no focus";
    setOptions(*memo, kPlainOptions);
    press(*memo, VK_TAB);
    EXPECT_EQ(memo->StoredText(), "    ");
    EXPECT_TRUE(memo->hasFocus());

    memo->WantTab = false;
    auto tab = MakeKeyEvent(VK_TAB, 0);
    QApplication::sendEvent(memo, tab.get());
    QApplication::processEvents();
    EXPECT_EQ(memo->StoredText(), "    ");
    EXPECT_TRUE(other->hasFocus());
}

TEST(Keyboard, EnterIndentsTheNewLineLikeTheOneAbove)
{
    TKeyMemo memo;
    prepare(memo, "    abc", 7, 7, kPlainOptions | OptionBit(smoAutoIndent));
    press(memo, VK_RETURN);
    EXPECT_EQ(text(memo), "    abc\r    ");
    EXPECT_EQ(memo.Caret(), 12);
    // The break and the indent are one typing group.
    EXPECT_EQ(memo.Groups, "<12<21 21><21 21> 12>");

    // An empty line keeps the indent of the nearest line above with text.
    EXPECT_EQ(afterKey(memo, "  abc\r\r", 7, VK_RETURN), "  abc\r\r\r  ");
    // After Home new lines stay at column 0, until the caret does something else.
    SetText(memo, "  abc\r\r");
    Select(memo, 7, 7);
    press(memo, VK_HOME);
    press(memo, VK_RETURN);
    press(memo, VK_RETURN);
    EXPECT_EQ(text(memo), "  abc\r\r\r\r");
    type(memo, "x");
    press(memo, VK_BACK);
    press(memo, VK_RETURN);
    EXPECT_EQ(text(memo), "  abc\r\r\r\r\r  ");

    // A break before a line's first word keeps the word at its column; a break at a line's very
    // start adds nothing.
    EXPECT_EQ(afterKey(memo, "  abc", 2, VK_RETURN), "  \r  abc");
    EXPECT_EQ(afterKey(memo, "  abc", 0, VK_RETURN), "\r  abc");

    // Without auto-indent Enter only breaks the line; with TABs and smart fill the indent is TABs.
    setOptions(memo, kPlainOptions);
    EXPECT_EQ(afterKey(memo, "    abc", 7, VK_RETURN), "    abc\r");
    setOptions(memo, kPlainOptions | OptionBit(smoAutoIndent) | OptionBit(smoUseTAB) | OptionBit(smoSmartFill));
    EXPECT_EQ(afterKey(memo, "      abc", 9, VK_RETURN), "      abc\r\t  ");
}

TEST(Keyboard, OverwriteReplacesCharactersButNotLineBreaks)
{
    TKeyMemo memo;
    prepare(memo, "abc\rdef", 0, 0);
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    press(memo, VK_INSERT);
    EXPECT_FALSE(memo.InsertMode());
    EXPECT_EQ(changes, 1);
    type(memo, "xy");
    EXPECT_EQ(text(memo), "xyc\rdef");
    type(memo, "zw");
    EXPECT_EQ(text(memo), "xyzw\rdef");
    // A selection is replaced as in insert mode.
    Select(memo, 5, 7);
    type(memo, "q");
    EXPECT_EQ(text(memo), "xyzw\rqf");
    press(memo, VK_INSERT);
    EXPECT_TRUE(memo.InsertMode());
    Select(memo, 0, 0);
    type(memo, "i");
    EXPECT_EQ(text(memo), "ixyzw\rqf");
}

TEST(Keyboard, DeletionsStopAtTheEndsOfTheText)
{
    TKeyMemo memo;
    prepare(memo, "ab\rcd", 0, 0);
    press(memo, VK_BACK);
    Select(memo, 5, 5);
    press(memo, VK_DELETE);
    EXPECT_EQ(text(memo), "ab\rcd");
    EXPECT_EQ(memo.Groups, "<13 13><13 13>");
    Select(memo, 2, 2);
    press(memo, VK_DELETE);
    EXPECT_EQ(text(memo), "abcd");
    press(memo, VK_BACK);
    EXPECT_EQ(text(memo), "acd");
    EXPECT_EQ(memo.Caret(), 1);
    Select(memo, 1, 3);
    press(memo, VK_BACK);
    EXPECT_EQ(text(memo), "a");

    // Ctrl+Backspace takes the word before the caret with the gap after it, and nothing when no
    // word stands before the caret.
    SetText(memo, "one two three");
    Select(memo, 8, 8);
    memo.Groups.clear();
    press(memo, VK_BACK, ssCtrl);
    EXPECT_EQ(text(memo), "one three");
    EXPECT_EQ(memo.Groups.substr(0, 3), "<19");
    Select(memo, 0, 0);
    press(memo, VK_BACK, ssCtrl);
    EXPECT_EQ(afterKey(memo, "   x", 3, VK_BACK, ssCtrl), "   x");
    EXPECT_EQ(memo.Caret(), 3);

    // Ctrl+Y deletes the caret's line with its break; on the last line, its text.
    EXPECT_EQ(afterKey(memo, "one\rtwo\rthree", 5, 'Y', ssCtrl), "one\rthree");
    Select(memo, 6, 6);
    press(memo, 'Y', ssCtrl);
    EXPECT_EQ(text(memo), "one\r");
    press(memo, 'Y', ssCtrl); // the empty line after a final break has nothing to delete
    EXPECT_EQ(text(memo), "one\r");
}

TEST(Keyboard, ReadOnlyBlocksEditsButNotMoves)
{
    TKeyMemo memo;
    prepare(memo, "one\rtwo", 0, 7, kPlainOptions | OptionBit(smoAutoIndent));
    memo.SetReadOnly(true);
    type(memo, "x");
    press(memo, VK_RETURN);
    press(memo, VK_TAB);
    press(memo, VK_BACK);
    press(memo, VK_DELETE);
    press(memo, 'Y', ssCtrl);
    press(memo, 'K', ssCtrl);
    press(memo, 'I');
    press(memo, 'V', ssCtrl);
    EXPECT_EQ(text(memo), "one\rtwo");
    press(memo, 'C', ssCtrl);
    EXPECT_EQ(memo.Calls, "copy; ");
    Select(memo, 5, 5);
    press(memo, VK_BACK, ssCtrl);
    EXPECT_EQ(memo.Anchor(), 5); // not even the word before is selected
    press(memo, VK_UP);
    EXPECT_EQ(memo.Caret(), 1);
    press(memo, VK_END, ssShift);
    EXPECT_EQ(memo.Anchor(), 1);
    EXPECT_EQ(memo.Caret(), 3);
    EXPECT_EQ(memo.Groups, "");
}

TEST(Keyboard, TwoStrokeCommandsThroughKeyEvents)
{
    TKeyMemo memo;
    prepare(memo, "a\rb\rc", 0, 3);
    memo.OwnSettings().IndentStep = 2;
    // Ctrl+K, then Shift pressed on its own, then Shift+I: the second stroke ignores Shift.
    send(memo, 'K', ssCtrl, true);
    send(memo, 'K', ssCtrl, false);
    send(memo, VK_SHIFT, ssShift, true);
    press(memo, 'I', ssShift);
    send(memo, VK_SHIFT, 0, false);
    EXPECT_EQ(text(memo), "  a\r  b\rc");
    press(memo, 'K', ssCtrl);
    press(memo, 'U');
    EXPECT_EQ(text(memo), "a\rb\rc");

    // Shifted digits count as their digit keys.
    press(memo, 'Q', ssCtrl);
    press(memo, '3', ssShift);
    press(memo, 'K', ssCtrl);
    press(memo, '5');
    EXPECT_EQ(memo.Calls, "goto 3; set 5 -1 0; ");

    // An unbound second stroke is swallowed with its first and then typed.
    Select(memo, 5, 5);
    press(memo, 'K', ssCtrl);
    press(memo, 'X');
    EXPECT_EQ(text(memo), "a\rb\rcx");

    // The application's key handler may take a key without ending a pending sequence, and its
    // command handler may change the command.
    memo.OnKeyDown = [](TCustomCodeMemo*, uint16_t& key, TShiftState) {
        if (key == 'Z')
            key = 0;
    };
    memo.OnCommandRecognised = [](TCustomCodeMemo*, int& code) {
        if (code == ecGotoBookmark0 + 1)
            code = ecGotoBookmark0 + 2;
    };
    press(memo, 'Q', ssCtrl);
    press(memo, 'Z');
    press(memo, '1');
    EXPECT_EQ(memo.Calls, "goto 3; set 5 -1 0; goto 2; ");
    EXPECT_EQ(text(memo), "a\rb\rcx");
}

TEST(Keyboard, TypedCharactersOutsideTheCodePageGoInHeld)
{
    TKeyMemo memo;
    prepare(memo, "", 0, 0);
    QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("\xC3\xA9"));
    QKeyEvent omega(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8("\xCE\xA9"));
    QCoreApplication::sendEvent(&memo, &accented);
    QCoreApplication::sendEvent(&memo, &omega);
    EXPECT_EQ(text(memo), "\xE9\x1F#937;");
    // One undo takes the reference away whole.
    memo.Undo();
    EXPECT_EQ(text(memo), "\xE9");
    // Text from an input method too.
    QInputMethodEvent composed;
    composed.setCommitString(QString::fromUtf8("\xE2\x86\x92\xC3\xB1"));
    QCoreApplication::sendEvent(&memo, &composed);
    EXPECT_EQ(text(memo), "\xE9\x1F#8594;\xF1");
    Select(memo, 1, 9);
    memo.PerformText(EM_REPLACESEL, 0, "");
    EXPECT_EQ(text(memo), "\xE9");
    // A key a command took leaves nothing behind that would swallow the next character.
    press(memo, VK_LEFT);
    QCoreApplication::sendEvent(&memo, &accented);
    EXPECT_EQ(text(memo), "\xE9\xE9");
    Select(memo, 1, 1);

    // Ctrl+Enter breaks the line only in a control whose Enter belongs to its dialog.
    press(memo, VK_RETURN, ssCtrl);
    EXPECT_EQ(text(memo), "\xE9\xE9");
    memo.WantReturns = false;
    press(memo, VK_RETURN);
    EXPECT_EQ(text(memo), "\xE9\xE9");
    press(memo, VK_RETURN, ssCtrl);
    EXPECT_EQ(text(memo), "\xE9\r\xE9");
}

TEST(Keyboard, AltWithAKeyNoCommandTakesTypesNothing)
{
    TKeyMemo memo;
    prepare(memo, "uno", 3, 3);
    // The platform gives Alt+Q the text "q"; the key is the window's to use, not the page's.
    for (auto [key, text] : {std::pair{Qt::Key_Q, "q"}, {Qt::Key_W, "w"}, {Qt::Key_X, "x"}}) {
        QKeyEvent alt(QEvent::KeyPress, key, Qt::AltModifier, QString::fromLatin1(text));
        QCoreApplication::sendEvent(&memo, &alt);
        EXPECT_FALSE(alt.isAccepted()) << text;
    }
    EXPECT_EQ(text(memo), "uno");
    EXPECT_EQ(memo.GetSelStart(), 3);
    // A command bound to Alt still runs; Ctrl+Alt is AltGr on some layouts, and types.
    memo.ActiveSettings().KeyController().AddKeySequence(scAlt | 'J', 0, 0);
    QKeyEvent altJ(QEvent::KeyPress, Qt::Key_J, Qt::AltModifier, QStringLiteral("j"));
    QCoreApplication::sendEvent(&memo, &altJ);
    EXPECT_EQ(memo.GetSelStart(), 2);
    QKeyEvent altGr(QEvent::KeyPress, Qt::Key_2, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("@"));
    QCoreApplication::sendEvent(&memo, &altGr);
    EXPECT_EQ(text(memo), "un@o");
}

TEST(Keyboard, UndoAfterTypingBeyondTheLineEndTakesTheFillAwayToo)
{
    for (const char* typed : {"x", "\r"}) {
        TKeyMemo memo;
        prepare(memo, "abcdef\rab\rabcdefgh", 9, 9, kPlainOptions | OptionBit(smoCaretAfterEOL));
        memo.ForceCaretAfterEOL();
        for (int i = 0; i < 4; ++i)
            press(memo, VK_RIGHT);
        ASSERT_TRUE(memo.Beyond());
        type(memo, typed);
        EXPECT_NE(text(memo), "abcdef\rab\rabcdefgh");
        memo.Perform(EM_UNDO, 0, 0);
        EXPECT_EQ(text(memo), "abcdef\rab\rabcdefgh") << typed;
        memo.Perform(SMM_REDO, 0, 0);
        memo.Perform(EM_UNDO, 0, 0);
        EXPECT_EQ(text(memo), "abcdef\rab\rabcdefgh") << typed;
    }
    // Backspace with nothing before the caret changes nothing and so is no change.
    TKeyMemo memo;
    prepare(memo, "abc", 0, 0, kPlainOptions);
    memo.Perform(EM_EMPTYUNDOBUFFER, 0, 0);
    press(memo, VK_BACK);
    EXPECT_EQ(text(memo), "abc");
    EXPECT_EQ(memo.Perform(SMM_MODIFIED, 0, 0), 0);
    EXPECT_EQ(memo.Perform(EM_CANUNDO, 0, 0), 0);
}

TEST(Keyboard, CaretBeyondTheLineEndKeepsItsColumn)
{
    TKeyMemo memo;
    prepare(memo, "abcdef\rab\rabcdefgh", 6, 6, kPlainOptions | OptionBit(smoCaretAfterEOL));
    memo.ForceCaretAfterEOL();
    press(memo, VK_RIGHT);
    press(memo, VK_RIGHT);
    EXPECT_TRUE(memo.Beyond());
    EXPECT_EQ(memo.CaretColumn(), 8);
    EXPECT_EQ(memo.Caret(), 6);
    // Down to a shorter line waits beyond its end; down again lands at the kept column.
    press(memo, VK_DOWN);
    EXPECT_EQ(memo.Caret(), 9);
    EXPECT_TRUE(memo.Beyond());
    press(memo, VK_DOWN);
    EXPECT_EQ(memo.Caret(), 18);
    EXPECT_FALSE(memo.Beyond());
    press(memo, VK_UP);
    // Typing beyond the end fills the gap with blanks first.
    type(memo, "x");
    EXPECT_EQ(text(memo), "abcdef\rab      x\rabcdefgh");
    // Backspace beyond the end only brings the caret back; Delete joins the next line at the caret.
    press(memo, VK_END);
    press(memo, VK_RIGHT);
    press(memo, VK_RIGHT);
    press(memo, VK_BACK);
    EXPECT_TRUE(memo.Beyond());
    EXPECT_EQ(memo.CaretColumn(), 10);
    press(memo, VK_DELETE);
    EXPECT_EQ(text(memo), "abcdef\rab      x abcdefgh");
    // At column 0 Left stays.
    press(memo, VK_HOME);
    press(memo, VK_LEFT);
    EXPECT_EQ(memo.Caret(), 7);
}

TEST(Keyboard, WordStarts)
{
    TKeyMemo memo;
    prepare(memo, "if (a_1 >= -x2) {\r  y++;", 0, 0);
    auto at = [&](int caret) {
        Select(memo, caret, caret);
        return std::make_pair(memo.WordLeft(), memo.WordRight());
    };
    EXPECT_EQ(at(0), std::make_pair(-1, 4));
    EXPECT_EQ(at(2), std::make_pair(0, 4));  // from after a word: its start
    EXPECT_EQ(at(6), std::make_pair(4, 11));  // from inside a word; "-" is a word character
    EXPECT_EQ(at(4), std::make_pair(0, 11));  // from a word's start: the word before
    EXPECT_EQ(at(11), std::make_pair(4, 20)); // "-x2" is one word; on across the line break
    EXPECT_EQ(at(18), std::make_pair(11, 20));
    EXPECT_EQ(at(memo.TextLength()), std::make_pair(20, -1));
    // The application's tests decide what a word is.
    memo.fn_CharIsInWord = [](char c) { return c >= 'a' && c <= 'z'; };
    memo.fn_CharStartsWord = [](char c) { return c >= 'a' && c <= 'z'; };
    EXPECT_EQ(at(8), std::make_pair(4, 12));
}

TEST(Keyboard, KeysRunInTheEditorTheyReachWhenEditorsShareSettings)
{
    TTestParser parser;
    TKeyMemo first;
    TKeyMemo second;
    first.SetParser1(&parser);
    second.SetParser1(&parser);
    prepare(first, "abc", 0, 0);
    prepare(second, "abc", 0, 0);
    press(first, VK_RIGHT);
    press(second, VK_RIGHT);
    press(second, VK_RIGHT);
    EXPECT_EQ(first.Caret(), 1);
    EXPECT_EQ(second.Caret(), 2);
}
