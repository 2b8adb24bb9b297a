// Find and replace in the editor control: direct and repeated searches, replace all, confirmed replacement, reports, tokens.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "CodeMemoTestSupport.h"
#include "MarksModel.h"
#include "editor/SearchWatch.h"
#include "editor/model/RangeEdits.h"
#include "editor/model/Undo.h"
#include "platform/MessageBox.h"
#include "platform/core/CharacterReferences.h"
#include "support/BoxAnswers.h"
#include "support/RandomText.h"
#include "platform/core/SysUtils.h"

namespace {

std::string textOf(TCustomCodeMemo& memo)
{
    return memo.StoredText();
}

// The replace dialog of the control, opened with `flags` and filled for one request.
TReplaceDialog& replaceDialog(TCodeMemo& memo, int flags, const std::string& find, const std::string& replacement,
                              bool down = true)
{
    memo.Perform(SMM_REPLACE, static_cast<WPARAM>(flags), 0);
    TReplaceDialog* dialog = memo.ReplaceDialog();
    EXPECT_NE(dialog, nullptr);
    dialog->SetFindText(find);
    dialog->SetReplaceText(replacement);
    dialog->SetOptions(down ? frDown : TFindOptions(0));
    return *dialog;
}

// Every start of `pattern` in `text`, without case: folded over the Windows-1252 letters.
std::vector<int> occurrences(const std::string& text, const std::string& pattern, bool withoutCase)
{
    std::vector<int> starts;
    const std::string t = withoutCase ? AnsiLowerCase(text) : text;
    const std::string p = withoutCase ? AnsiLowerCase(pattern) : pattern;
    for (size_t at = t.find(p); at != std::string::npos; at = t.find(p, at + 1))
        starts.push_back(static_cast<int>(at));
    return starts;
}

std::string replaceEvery(std::string text, const std::string& pattern, const std::string& replacement)
{
    for (size_t at = text.find(pattern); at != std::string::npos; at = text.find(pattern, at + replacement.size()))
        text.replace(at, pattern.size(), replacement);
    return text;
}

} // namespace

TEST(FindReplace, EmptyTextsAndLongSearchTexts)
{
    TCodeMemo memo;
    TBoxAnswers boxes;
    int pos = -5;
    // Nothing to search in: no result and no dialog.
    EXPECT_EQ(memo.Perform(SMM_FIND, smsDirect, reinterpret_cast<LPARAM>("abc")), -1);
    EXPECT_EQ(memo.Perform(SMM_FIND, 0, reinterpret_cast<LPARAM>("abc")), -1);
    EXPECT_EQ(memo.FindDialog(), nullptr);

    std::string pattern;
    for (int i = 0; i < 100; ++i)
        pattern += static_cast<char>('a' + (i * 7) % 26);
    SetText(memo, "zz" + pattern.substr(0, 79) + "zz");
    // A plain text is cut to its first 79 characters, which are found.
    ASSERT_TRUE(memo.FindText(pattern, pos, smsDirect));
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(memo.SearchText, pattern.substr(0, 79));
    EXPECT_EQ(Selection(memo).Start, 0); // a plain direct search leaves the selection
    // An expression is cut to 254 characters.
    SetText(memo, std::string(260, 'a'));
    ASSERT_TRUE(memo.FindText(std::string(300, 'a'), pos, smsDirect | smsRegExpr));
    EXPECT_EQ(memo.SearchText.size(), 254u);
    EXPECT_EQ(memo.MatchPos(255) - memo.MatchPos(0), 254);
    // An empty search text finds nothing, and FindNext has nothing to repeat.
    EXPECT_FALSE(memo.FindText("", pos, smsDirect));
    EXPECT_FALSE(memo.FindNext(pos));
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(FindReplace, FindNextGoesOnPastTheLastMatch)
{
    TCodeMemo memo;
    SetText(memo, "abc ABC abc");
    int pos = -1;
    ASSERT_TRUE(memo.FindText("abc", pos, smsDirect));
    EXPECT_EQ(pos, 0);
    ASSERT_TRUE(memo.FindNext(pos));
    EXPECT_EQ(pos, 4); // without case, the following occurrence and not the same one
    EXPECT_EQ(Selection(memo).Start, 4);
    EXPECT_EQ(Selection(memo).End, 7);
    ASSERT_TRUE(memo.FindNext(pos));
    EXPECT_EQ(pos, 8);
    std::vector<std::string> failed;
    memo.OnSearchFail = [&](TCustomCodeMemo*, const std::string& text) { failed.push_back(text); };
    EXPECT_FALSE(memo.FindNext(pos));
    EXPECT_EQ(failed, std::vector<std::string>{"abc"});
    EXPECT_EQ(Selection(memo).Start, 8); // a failed search leaves the selection as it was
    EXPECT_EQ(Selection(memo).End, 11);

    // A regular-expression search selects its match; its elements are numbered from the start.
    SetText(memo, "xabcx");
    ASSERT_TRUE(memo.FindText("abc", pos, smsDirect | smsRegExpr));
    EXPECT_EQ(pos, 1);
    EXPECT_EQ(Selection(memo).Start, 1);
    EXPECT_EQ(Selection(memo).End, 4);
    EXPECT_EQ(memo.MatchCount(), 3);
    EXPECT_EQ(memo.MatchPos(9), 4);
    EXPECT_EQ(memo.MatchPos(3), 4);
    EXPECT_EQ(memo.MatchPos(1), 2);

    // FindNext searches at once even when the last request opened the dialog.
    SetText(memo, "uno dos uno");
    Select(memo, 0, 0);
    memo.SearchText = "uno";
    memo.SearchFlags = 0;
    ASSERT_TRUE(memo.FindNext(pos));
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(memo.FindDialog(), nullptr);
}

TEST(FindReplace, EveryMatchAtOnceIsWhatFindNextFindsOneAfterAnother)
{
    std::mt19937 random(3126);
    TCodeMemo memo;
    memo.OnSearchFail = [](TCustomCodeMemo*, const std::string&) {};
    const std::pair<std::string, int> searches[] = {
        {"ab", 0},           {"aB", smsMatchCase}, {"ab", smsWholeWord}, {"a", 0},
        {"aa", 0},           {"a+b?", smsRegExpr}, {"b*", smsRegExpr},   {"(a|b)a", smsRegExpr},
        {"a\\n", smsRegExpr}, {"ab", smsBackward},
    };
    for (int round = 0; round < 80; ++round) {
        SetText(memo, RandomTextUpTo(random, "abAB \r", 60));
        const int length = memo.TextLength();
        for (const auto& [pattern, flags] : searches) {
            SCOPED_TRACE(pattern + " " + std::to_string(flags) + " " + std::to_string(round));
            // From the first match on: FindNext with the caret one character past each match's start.
            Select(memo, 0, 0);
            int pos = 0;
            std::vector<TTextRange> expected;
            const bool found = memo.FindText(pattern, pos, static_cast<uint16_t>(flags | smsDirect));
            const int first = pos;
            for (int previous = -1; found && pos > previous;) {
                const int end = (flags & smsRegExpr) ? memo.MatchPos(static_cast<uint8_t>(memo.MatchCount()))
                                                     : pos + static_cast<int>(memo.SearchText.size());
                expected.push_back({pos, end});
                previous = pos;
                Select(memo, pos + 1, pos + 1);
                if (!memo.FindNext(pos) || pos < 0)
                    break;
            }
            if (!expected.empty())
                expected.erase(expected.begin());
            // At once, as the last search, the selection staying where it is; nothing from the start
            // when the first search found nothing.
            Select(memo, 2, 1);
            const std::vector<TTextRange> matches = memo.MatchesFrom(found ? first + 1 : 0);
            ASSERT_EQ(matches, expected);
            EXPECT_EQ(Selection(memo).Start, std::min(2, length));
            EXPECT_EQ(Selection(memo).End, std::min(1, length));
        }
    }
}

TEST(FindReplace, RepeatedSearchesMeetEveryOccurrenceOnceInEitherDirection)
{
    std::mt19937 random(27);
    TCodeMemo memo;
    memo.OnSearchFail = [](TCustomCodeMemo*, const std::string&) {};
    for (int round = 0; round < 60; ++round) {
        std::string text, pattern;
        const int length = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < length; ++i)
            text += "abAB\xF1\xD1\r"[random() % 7];
        for (int i = 0, n = 1 + static_cast<int>(random() % 3); i < n; ++i)
            pattern += "ab\xF1"[random() % 3];
        SetText(memo, text);
        for (bool regExpr : {false, true}) {
            // Expressions match case; a plain search without smsMatchCase does not.
            const std::vector<int> expected = occurrences(text, pattern, !regExpr);
            for (bool backward : {false, true}) {
                const int flags = smsDirect | (regExpr ? smsRegExpr : 0) | (backward ? smsBackward : 0);
                const int from = backward ? length : 0;
                Select(memo, from, from);
                std::vector<int> found;
                int pos = -1;
                if (memo.FindText(pattern, pos, static_cast<uint16_t>(flags))) {
                    found.push_back(pos);
                    while (memo.FindNext(pos) && found.size() <= expected.size())
                        found.push_back(pos);
                }
                std::vector<int> want = expected;
                if (backward)
                    want.assign(expected.rbegin(), expected.rend());
                EXPECT_EQ(found, want) << "text " << text << " pattern " << pattern << " regexpr " << regExpr
                                       << " backward " << backward;
            }
        }
    }
}

TEST(FindReplace, ReplaceAllOfAnExpressionExpandsItsElementsAsOneUndoStep)
{
    TCodeMemo memo;
    TBoxAnswers boxes;
    struct Case {
        const char* Replacement;
        const char* Result;
    };
    const Case cases[] = {{"[%1]", "x[a]x"}, {"%%", "x%x"}, {"%3%2%1", "xcbax"}, {"a\\nb", "xa\rbx"},
                          {"\\x41\\101%", "xAA%x"}, {"%9", "xx"}};
    for (const Case& c : cases) {
        SetText(memo, "xabcx");
        Select(memo, 0, 0);
        replaceDialog(memo, smsRegExpr, "abc", c.Replacement).ClickReplaceAll();
        EXPECT_EQ(textOf(memo), c.Result) << c.Replacement;
        memo.Undo();
        EXPECT_EQ(textOf(memo), "xabcx") << c.Replacement;
    }

    // Many matches: one undo takes every replacement back; the caret ends at the last one.
    SetText(memo, "<b>uno</b> <b>dos</b>\r\n<b>tres</b>");
    Select(memo, 0, 0);
    replaceDialog(memo, smsRegExpr, "<b>", "<strong>").ClickReplaceAll();
    EXPECT_EQ(textOf(memo), "<strong>uno</b> <strong>dos</b>\r<strong>tres</b>");
    EXPECT_EQ(Selection(memo).End, 32);
    memo.Undo();
    EXPECT_EQ(textOf(memo), "<b>uno</b> <b>dos</b>\r<b>tres</b>");
    EXPECT_TRUE(boxes.texts.empty());

    // An expression that matches the empty string replaces nothing and reports a failed search.
    SetText(memo, "xabcx");
    Select(memo, 0, 0);
    replaceDialog(memo, smsRegExpr, "q*", "Z").ClickReplaceAll();
    EXPECT_EQ(textOf(memo), "xabcx");
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Cadena buscada \"q*\" no encontrado.");
}

TEST(FindReplace, BackwardReplaceAllGivesTheForwardResult)
{
    std::mt19937 random(2027);
    TCodeMemo memo;
    memo.OnSearchFail = [](TCustomCodeMemo*, const std::string&) {};
    const char* patterns[] = {"ab", "c", "abc", "ba"};
    for (int round = 0; round < 80; ++round) {
        std::string text;
        for (int i = 0, n = static_cast<int>(random() % 30); i < n; ++i)
            text += "abc\r"[random() % 4];
        const std::string pattern = patterns[random() % 4];
        const std::string replacement = round % 2 ? "<" + pattern + ">" : "";
        const std::string expected = replaceEvery(text, pattern, replacement);
        for (bool regExpr : {false, true}) {
            for (bool down : {true, false}) {
                SetText(memo, text);
                const int caret = down ? 0 : memo.TextLength();
                Select(memo, caret, caret);
                replaceDialog(memo, regExpr ? smsRegExpr : 0, pattern, regExpr ? "<%1%2%3>" : replacement, down)
                    .ClickReplaceAll();
                std::string want = expected;
                if (regExpr)
                    want = replaceEvery(text, pattern, "<" + pattern + ">");
                EXPECT_EQ(textOf(memo), want) << text << " / " << pattern << " regexpr " << regExpr << " down " << down;
                memo.Undo();
                EXPECT_EQ(textOf(memo), text);
            }
        }
    }
    // A plain hit on the very last character is replaced.
    SetText(memo, "xa");
    Select(memo, 0, 0);
    replaceDialog(memo, 0, "a", "B").ClickReplaceAll();
    EXPECT_EQ(textOf(memo), "xB");
    // A read-only text is not replaced in.
    memo.SetReadOnly(true);
    Select(memo, 0, 0);
    replaceDialog(memo, 0, "B", "a").ClickReplaceAll();
    EXPECT_EQ(textOf(memo), "xB");
}

TEST(FindReplace, ConfirmedReplacementFollowsTheAnswers)
{
    TCodeMemo memo;
    memo.resize(300, 200);
    {
        TBoxAnswers boxes({IDYES, IDNO, IDALL});
        SetText(memo, "a1 a2 a3 a4 a5");
        Select(memo, 0, 0);
        replaceDialog(memo, 0, "a", "b").ClickReplace();
        EXPECT_EQ(textOf(memo), "b1 a2 b3 b4 b5");
        // All asks no more; the match it answered is a step of its own, the rest goes in one.
        ASSERT_EQ(boxes.texts.size(), 3u);
        EXPECT_EQ(boxes.texts[0], "\xBFReemplazar 'a' con 'b'?");
        EXPECT_EQ(boxes.flags[0] & 0x0F, MB_YESNOCANCELALL);
        memo.Undo();
        EXPECT_EQ(textOf(memo), "b1 a2 b3 a4 a5");
        memo.Undo();
        EXPECT_EQ(textOf(memo), "b1 a2 a3 a4 a5");
    }
    {
        TBoxAnswers boxes({IDYES, IDCANCEL});
        SetText(memo, "a1 a2 a3 a4 a5");
        Select(memo, 0, 0);
        replaceDialog(memo, 0, "a", "b").ClickReplace();
        EXPECT_EQ(textOf(memo), "b1 a2 a3 a4 a5");
        EXPECT_EQ(boxes.texts.size(), 2u);
    }
    {
        // An expression: the question shows the expanded replacement.
        TBoxAnswers boxes({IDYES, IDNO, IDALL});
        SetText(memo, "a1 a2 a3 a4");
        Select(memo, 0, 0);
        replaceDialog(memo, smsRegExpr, "a.", "%2%1").ClickReplace();
        EXPECT_EQ(textOf(memo), "1a a2 3a 4a");
        ASSERT_EQ(boxes.texts.size(), 3u);
        EXPECT_EQ(boxes.texts[1], "\xBFReemplazar 'a.' con '2a'?");
    }
    for (int flags : {0, int(smsRegExpr)}) {
        // Backward, with replacements that hold the searched text: every match once, then the end.
        TBoxAnswers boxes({IDYES, IDYES, IDNO, IDYES, IDYES});
        SetText(memo, "aa aa");
        Select(memo, 5, 5);
        replaceDialog(memo, flags, "a", "aa", false).ClickReplace();
        EXPECT_EQ(textOf(memo), "aaa aaaa") << flags;
        ASSERT_EQ(boxes.texts.size(), 5u) << flags;
        EXPECT_EQ(boxes.texts.back(), "Cadena buscada \"a\" no encontrado.");
    }
}

TEST(FindReplace, ErrorsAndFailedSearchesAreReported)
{
    TCodeMemo memo;
    SetText(memo, "a**b");
    int pos = -1;
    {
        TBoxAnswers boxes;
        EXPECT_FALSE(memo.FindText("a**", pos, smsDirect | smsRegExpr));
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0], "Nested repeat\r\na**\r\n ^");
        EXPECT_EQ(boxes.flags[0] & 0xF0, MB_ICONERROR);
        // FindNext shows the error once and reports nothing more.
        EXPECT_FALSE(memo.FindNext(pos));
        EXPECT_EQ(boxes.texts.size(), 2u);
        // An error at the first character has no blanks before its mark.
        EXPECT_FALSE(memo.FindText("*a", pos, smsDirect | smsRegExpr));
        EXPECT_EQ(boxes.texts.back(), "Invalid repeat\r\n*a\r\n^");
        // Replace all with a bad expression changes nothing.
        Select(memo, 0, 0);
        replaceDialog(memo, smsRegExpr, "a**", "x").ClickReplaceAll();
        EXPECT_EQ(textOf(memo), "a**b");
        EXPECT_EQ(boxes.texts.back(), "Nested repeat\r\na**\r\n ^");
    }
    {
        TBoxAnswers boxes;
        EXPECT_FALSE(memo.FindText("xyz", pos, smsDirect));
        EXPECT_TRUE(boxes.texts.empty()); // a direct search only answers
        EXPECT_FALSE(memo.FindNext(pos));
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.texts[0], "Cadena buscada \"xyz\" no encontrado.");
        std::string failed;
        memo.OnSearchFail = [&](TCustomCodeMemo* sender, const std::string& text) {
            EXPECT_EQ(sender, &memo);
            failed = text;
        };
        EXPECT_FALSE(memo.FindNext(pos));
        EXPECT_EQ(failed, "xyz");
        EXPECT_EQ(boxes.texts.size(), 1u);
    }
}

TEST(FindReplace, AnEmptyFirstMatchOfTheDialogSearchesOn)
{
    TCodeMemo memo;
    TBoxAnswers boxes;
    SetText(memo, "xxab");
    Select(memo, 0, 0);
    memo.Perform(SMM_FIND, smsRegExpr, reinterpret_cast<LPARAM>("a*b?"));
    // The pattern matches nothing at 0 and 1; the match of at least one character is "ab".
    memo.FindDialog()->ClickFindNext();
    EXPECT_EQ(Selection(memo).Start, 2);
    EXPECT_EQ(Selection(memo).End, 4);
    EXPECT_TRUE(boxes.texts.empty());
    // Upwards the nearest start comes first: "b" at 3. Before it, "ab" at 2 reaches past the bound
    // and the empty matches at 1 and 0 are passed over: nothing is left.
    Select(memo, 4, 4);
    memo.FindDialog()->SetOptions(0);
    memo.FindDialog()->ClickFindNext();
    EXPECT_EQ(Selection(memo).Start, 3);
    EXPECT_EQ(Selection(memo).End, 4);
    EXPECT_TRUE(boxes.texts.empty());
    memo.FindDialog()->ClickFindNext();
    EXPECT_EQ(boxes.texts.size(), 1u);
    boxes.texts.clear();
    // Replace all takes every match of at least one character.
    SetText(memo, "xxabxb");
    Select(memo, 0, 0);
    replaceDialog(memo, smsRegExpr, "a*b?", "_").ClickReplaceAll();
    EXPECT_EQ(textOf(memo), "xx_x_");
    EXPECT_TRUE(boxes.texts.empty());
}

namespace {

// Presses Escape once its count of edits (batches of a replace all) is reached: the user stopping a
// replace all half-way.
class TEscapingMemo : public TCodeMemo {
public:
    int EscapeAfter = -1;
    int Edits = 0;

protected:
    void adjustMarksForEdits(const TRangeEdits& edits) override
    {
        if (++Edits == EscapeAfter)
            postEscape(this);
        TCodeMemo::adjustMarksForEdits(edits);
    }

public:
    static void postEscape(QWidget* to)
    {
        QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    }
};

} // namespace

TEST(FindReplace, EscapeStopsALongSearchAndLeavesTextSelectionAndUndoConsistent)
{
    TWatchAtOnce watch(100);
    TEscapingMemo memo;
    TBoxAnswers boxes;
    const std::string lines = Repeated("ab ab\r", 3000);
    SetText(memo, lines);
    const std::string original = textOf(memo);
    memo.Perform(EM_EMPTYUNDOBUFFER, 0, 0);

    // Stopped half-way through the replacements, between two batches: those made stay, whole, as one
    // undo step.
    Select(memo, 0, 0);
    memo.EscapeAfter = 2;
    replaceDialog(memo, smsRegExpr, "b", "XY").ClickReplaceAll();
    const std::string partly = textOf(memo);
    // Two batches of 100 matches each: the first 100 lines.
    EXPECT_EQ(partly, Repeated("aXY aXY\r", 100) + Repeated("ab ab\r", 2900));
    EXPECT_EQ(memo.Edits, 2);
    ASSERT_TRUE(memo.CanUndo());
    memo.Undo();
    EXPECT_EQ(textOf(memo), original);
    EXPECT_FALSE(memo.CanUndo());
    memo.Redo();
    EXPECT_EQ(textOf(memo), partly);
    memo.Undo();

    // Stopped while looking: nothing changes and the search reports not found.
    boxes.texts.clear();
    memo.EscapeAfter = -1;
    Select(memo, 0, 0);
    TEscapingMemo::postEscape(&memo);
    replaceDialog(memo, smsRegExpr, "b", "XY").ClickReplaceAll();
    EXPECT_EQ(textOf(memo), original);
    EXPECT_FALSE(memo.CanUndo());
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Cadena buscada \"b\" no encontrado.");

    // Find next: a match there is, but Escape stops the search before it, and the selection stays.
    SetText(memo, lines + "abx");
    Select(memo, 5, 7);
    boxes.texts.clear();
    memo.SearchText = "[ab]+x";
    memo.SearchFlags = smsRegExpr;
    TEscapingMemo::postEscape(&memo);
    int pos = -1;
    EXPECT_FALSE(memo.FindNext(pos));
    EXPECT_TRUE(memo.REParser().Stopped());
    EXPECT_EQ(OrderedSelection(memo).Start, 5);
    EXPECT_EQ(OrderedSelection(memo).End, 7);
    EXPECT_EQ(boxes.texts.size(), 1u);
    // Without Escape the same search finds it.
    EXPECT_TRUE(memo.FindNext(pos));
    EXPECT_EQ(pos, static_cast<int>(lines.size()));
}

TEST(FindReplace, DialogsSearchFromTheSelection)
{
    TCodeMemo memo;
    TBoxAnswers boxes;
    SetText(memo, "uno dos\r\nuno dos uno");
    Select(memo, 0, 3);
    EXPECT_EQ(memo.Perform(SMM_FIND, 0, 0), -1);
    TFindDialog* find = memo.FindDialog();
    ASSERT_NE(find, nullptr);
    EXPECT_TRUE(find->isVisible());
    EXPECT_EQ(find->FindText(), "uno");
    EXPECT_EQ(memo.SearchText, "uno");
    // The selected text is the one searched for: the first press goes on past it, to the next "uno".
    find->ClickFindNext();
    EXPECT_EQ(Selection(memo).Start, 8);
    EXPECT_EQ(Selection(memo).End, 11);
    find->ClickFindNext();
    EXPECT_EQ(Selection(memo).Start, 16);
    find->ClickFindNext();
    EXPECT_EQ(boxes.texts.size(), 1u);
    // Upwards, then the start.
    find->SetOptions(0);
    find->ClickFindNext();
    EXPECT_EQ(Selection(memo).Start, 8);
    find->ClickFindNext();
    EXPECT_EQ(Selection(memo).Start, 0);
    find->ClickFindNext();
    EXPECT_EQ(boxes.texts.size(), 2u);

    // Opening the replace dialog closes the find dialog; a selection spanning lines is offered with
    // CR LF line ends.
    Select(memo, 4, 11);
    memo.Perform(SMM_REPLACE, smsMatchCase, 0);
    ASSERT_NE(memo.ReplaceDialog(), nullptr);
    EXPECT_EQ(memo.FindDialog(), nullptr);
    EXPECT_EQ(memo.ReplaceDialog()->FindText(), "dos\r\nuno");
    EXPECT_NE(memo.ReplaceDialog()->Options() & frMatchCase, 0u);
    QApplication::processEvents();

    // An expression offers no selection; the lParam text goes first.
    memo.Perform(SMM_FIND, smsRegExpr, 0);
    EXPECT_EQ(memo.FindDialog()->FindText(), "");
    memo.Perform(SMM_FIND, smsRegExpr, reinterpret_cast<LPARAM>("d.s"));
    EXPECT_EQ(memo.FindDialog()->FindText(), "d.s");
    Select(memo, 0, 0);
    memo.FindDialog()->ClickFindNext();
    EXPECT_EQ(Selection(memo).Start, 4);
    EXPECT_EQ(Selection(memo).End, 7);
}

TEST(FindReplace, GetTokenAtWalksTheRunOfItsStyle)
{
    TCodeMemo memo;
    SetText(memo, "ab\r\ncde\r\nf");
    int start = -1;
    std::string token = "old";
    // Before any style bytes: the position and nothing.
    ASSERT_EQ(memo.FirstRecord()->Styles, nullptr);
    memo.GetTokenAt(1, start, token);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(token, "");

    // Records "ab\r", "cde\r", "f".
    const std::string styles = {1, 1, 2, 2, 2, 3, 3, 3};
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(styles.data()));
    memo.GetTokenAt(3, start, token);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(token, "\rcd");
    memo.GetTokenAt(6, start, token);
    EXPECT_EQ(start, 5);
    EXPECT_EQ(token, "e\rf");
    memo.GetTokenAt(0, start, token);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(token, "ab");
    memo.GetTokenAt(8, start, token); // past the text
    EXPECT_EQ(start, 8);
    EXPECT_EQ(token, "");

    // A long run gives its first 4096 characters.
    SetText(memo, std::string(5000, 'x'));
    const std::string one(5000, '\x07');
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(one.data()));
    memo.GetTokenAt(4000, start, token);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(token, std::string(4096, 'x'));
}

TEST(FindReplace, TheReplaceDialogDrivesTheControlThroughItsButtons)
{
    TCodeMemo memo;
    TBoxAnswers boxes;
    SetText(memo, "<b>uno</b> <b>dos</b>");
    Select(memo, 0, 0);
    memo.Perform(SMM_REPLACE, 0, 0);
    TReplaceDialog* dialog = memo.ReplaceDialog();
    ASSERT_NE(dialog, nullptr);
    auto* find = dialog->findChild<QLineEdit*>("eBuscar");
    auto* replace = dialog->findChild<QLineEdit*>("eReemplazar");
    ASSERT_TRUE(find && replace);
    find->setFocus();
    find->insert("<B>");
    replace->insert("<strong>");
    dialog->findChild<QPushButton*>("bBuscarSiguiente")->click();
    EXPECT_EQ(Selection(memo).Start, 0);
    EXPECT_EQ(Selection(memo).End, 3);
    dialog->findChild<QPushButton*>("bReemplazarTodo")->click();
    EXPECT_EQ(textOf(memo), "<strong>uno</b> <strong>dos</b>");
    // The caret stands at the start of the last new text; the run's redo ends there too.
    EXPECT_EQ(Selection(memo).Start, 16);
    EXPECT_EQ(Selection(memo).End, 16);
    memo.Undo();
    EXPECT_EQ(textOf(memo), "<b>uno</b> <b>dos</b>");
    memo.Redo();
    EXPECT_EQ(textOf(memo), "<strong>uno</b> <strong>dos</b>");
    EXPECT_EQ(Selection(memo).Start, 16);
    EXPECT_EQ(Selection(memo).End, 16);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(FindReplace, CharactersTypedInTheReplacementStandForThemselvesThroughConfirmsReplaceAllUndoAndRedo)
{
    TCodeMemo memo;
    // Typed in the field: β, the reference to β as six characters, γ.
    const QString typed = QString::fromUtf8("\xCE\xB2&#946;\xCE\xB3");
    const std::string inserted = "\x1F#946;&#946;\x1F#947;";
    struct TCase {
        int flags;
        const char* replacement; // ahead of the typed text
        std::string piece;       // what each match becomes
    };
    const TCase cases[] = {
        {0, "", inserted},
        {smsRegExpr, "", inserted},
        // An element and an escape ahead: the typed characters keep their kinds wherever they fall.
        {smsRegExpr, "[%1]\\n", "[x]\r" + inserted},
    };
    for (const TCase& c : cases) {
        for (size_t batch : {size_t(16384), size_t(1)}) {
            SCOPED_TRACE(testing::Message() << c.flags << " " << c.replacement << " " << batch);
            TCustomCodeMemo::SetReplaceBatch(batch);
            SetText(memo, "x\r\nx x x x");
            Select(memo, 0, 0);
            // One replaced, one left, one replaced and then all the rest.
            TBoxAnswers boxes({IDYES, IDNO, IDALL});
            TReplaceDialog& dialog = replaceDialog(memo, c.flags, "x", "");
            dialog.findChild<QLineEdit*>("eReemplazar")->insert(QString::fromLatin1(c.replacement) + typed);
            dialog.ClickReplace();
            const std::string text = memo.StoredText();
            ASSERT_EQ(text, c.piece + "\rx " + c.piece + " " + c.piece + " " + c.piece);
            for (int step = 0; step < 3; ++step)
                memo.Undo();
            EXPECT_EQ(memo.StoredText(), "x\rx x x x");
            for (int step = 0; step < 3; ++step)
                memo.Redo();
            EXPECT_EQ(memo.StoredText(), text);
            dialog.CloseDialog();
        }
    }
    TCustomCodeMemo::SetReplaceBatch(16384);
}

TEST(FindReplace, CharactersReplacedAllComeBackAsCharactersOnUndoAndGoAgainOnRedo)
{
    TCodeMemo memo;
    // The third α was typed as a reference, the others stand for the character.
    const std::string original = "\x1F#945; x \x1F#945;y&#945;\r\x1F#945;";
    const struct {
        const char* find;
        std::string replaced;
    } cases[] = {
        // The character is looked for as the character, the typed reference as typed.
        {"\xCE\xB1", "\x1F#946; x \x1F#946;y&#945;\r\x1F#946;"},
        {"&#945;", "\x1F#945; x \x1F#945;y\x1F#946;\r\x1F#945;"},
    };
    for (const auto& c : cases) {
        for (size_t batch : {size_t(16384), size_t(1)}) {
            SCOPED_TRACE(testing::Message() << c.find << " " << batch);
            TCustomCodeMemo::SetReplaceBatch(batch);
            SetText(memo, original);
            Select(memo, 0, 0);
            TReplaceDialog& dialog = replaceDialog(memo, 0, "", "");
            dialog.findChild<QLineEdit*>("eBuscar")->setText(QString::fromUtf8(c.find));
            dialog.findChild<QLineEdit*>("eReemplazar")->insert(QString::fromUtf8("\xCE\xB2"));
            dialog.ClickReplaceAll();
            ASSERT_EQ(memo.StoredText(), c.replaced);
            for (int round = 0; round < 2; ++round) {
                memo.Undo();
                EXPECT_EQ(memo.StoredText(), original);
                memo.Redo();
                EXPECT_EQ(memo.StoredText(), c.replaced);
            }
            dialog.CloseDialog();
        }
    }
    TCustomCodeMemo::SetReplaceBatch(16384);
}

namespace {

// The record chain holds the text whole: lengths add up, no record is longer than a cut, a line
// break ends its record, the pieces of a line follow one another, and without word wrap every piece
// but a line's last is a whole cut, as loading cuts it.
void expectSoundRecords(TCustomCodeMemo& memo, bool wrapped)
{
    int length = 0;
    int count = 0;
    for (const TLineRecord* r = memo.FirstRecord(); r; r = r->Next) {
        ++count;
        length += r->Len;
        ASSERT_GT(r->Len, 0);
        ASSERT_LE(r->Len, kRecordCut);
        ASSERT_EQ(std::string_view(r->Text.get(), r->Len).substr(0, r->Len - 1).find('\r'), std::string_view::npos);
        if (r->Next) {
            ASSERT_EQ(r->Next->Prev, r);
            ASSERT_EQ((r->Next->MarkBits & mbContinuation) != 0, !r->EndsWithCR());
            if (!wrapped && !r->EndsWithCR()) {
                ASSERT_EQ(r->Len, kRecordCut);
            }
        }
    }
    EXPECT_EQ(length, memo.TextLength());
    EXPECT_EQ(count, memo.RecordCount());
}

// The marks and named bookmarks of the control, as the model holds them.
TMarksModel marksOf(TCustomCodeMemo& memo)
{
    TMarksModel marks;
    if (const TObjectList* list = memo.TextMarks())
        for (int i = 0; i < list->Count(); ++i)
            marks.Marks[list->Mark(i)->Data] = {list->Mark(i)->Start(), list->Mark(i)->End()};
    for (const TCustBookmark* b = memo.NamedBookmarks().First(); b; b = b->Next())
        marks.Names[b->Name()] = b->Position();
    return marks;
}

// Each range replaced by itself, from the first to the last, on a text and on the model's marks.
void replaceOneByOne(std::string& text, TMarksModel& model, const TRangeEdits& edits)
{
    int64_t shift = 0;
    for (size_t i = 0; i < edits.Count(); ++i) {
        const int at = static_cast<int>(edits.Start(i) + shift);
        text.replace(static_cast<size_t>(at), static_cast<size_t>(edits.OldLength(i)), edits.NewText(i));
        // A deletion that leaves no text takes every named bookmark.
        if (edits.OldLength(i) > 0)
            model.Delete(at, edits.OldLength(i), text.empty());
        if (edits.NewLength(i) > 0)
            model.Insert(at, edits.NewLength(i));
        shift += edits.NewLength(i) - edits.OldLength(i);
    }
}

} // namespace

TEST(FindReplace, ReplacingManyRangesAtOnceMovesMarksAsOneByOneAndUndoesInOnePass)
{
    std::mt19937 random(11102);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* pieces[] = {"", "x", "yy", "\r", "z\r", "\rw", "\r\r"};
    for (int round = 0; round < 120; ++round) {
        SCOPED_TRACE(round);
        // Declared before the control, whose end frees what is left.
        std::multiset<uint32_t> freedMarks;
        std::multiset<std::string> freedNames;
        TCodeMemo memo;
        const bool wrapped = round % 3 == 2;
        SetOption(memo, smoWordWrap, wrapped);
        // Lines short and long (a long line is held in several records); now and then no text at all.
        std::string text;
        const int lines = round % 10 == 9 ? 0 : 1 + pick(40);
        for (int l = 0; l < lines; ++l) {
            const int width = pick(8) == 0 ? 2047 + pick(3000) : pick(30);
            for (int c = 0; c < width; ++c)
                text += "ab c"[pick(4)];
            if (l + 1 < lines || pick(2))
                text += '\r';
        }
        SetText(memo, text);
        const std::string original = memo.StoredText();
        const int length = static_cast<int>(original.size());

        TMarksModel model;
        memo.OnMarkFree = [&](TCustomCodeMemo*, TTextMark* mark) { freedMarks.insert(mark->Data); };
        memo.OnCustomBookmarkFree = [&](TCustomCodeMemo*, const std::string& name) { freedNames.insert(name); };
        for (uint32_t id = 0; id < 30; ++id) {
            const int start = pick(length + 1);
            const int size = std::min(pick(12), length - start);
            memo.AddMark(start, size, id);
            model.Marks[id] = {start, start + size};
            const std::string name = std::string("b").append(std::to_string(id));
            const int at = pick(length + 1);
            memo.AddNamedBookmark(name, at);
            model.Names[name] = at;
        }
        ASSERT_EQ(marksOf(memo).Marks, model.Marks);

        // Ascending ranges apart from one another, from offset 0 on, some touching, some empty, some
        // taking line breaks; or the whole text as one range (insertions at 0 in an empty text).
        TRangeEdits edits;
        if (length == 0 || round % 5 == 4) {
            edits.Add(0, length, pieces[pick(7)]);
            if (length == 0)
                edits.Add(0, 0, pieces[pick(7)]);
        } else {
            for (int at = pick(6); at < length;) {
                const int size = std::min(pick(5), length - at);
                edits.Add(at, size, pieces[pick(7)]);
                at += size + (pick(3) == 0 ? 0 : 1 + pick(40));
            }
        }
        if (edits.Empty())
            continue;
        std::string expected = original;
        replaceOneByOne(expected, model, edits);
        TCustomCodeMemo::SetReplaceBatch(1 + static_cast<size_t>(pick(4)) * 7);
        memo.Perform(EM_EMPTYUNDOBUFFER, 0, 0);
        ASSERT_EQ(memo.ReplaceMatches(edits), static_cast<int>(edits.Count()));
        ASSERT_EQ(memo.StoredText(), expected);
        expectSoundRecords(memo, wrapped);
        const TMarksModel after = marksOf(memo);
        EXPECT_EQ(after.Marks, model.Marks);
        EXPECT_EQ(after.Names, model.Names);
        EXPECT_EQ(freedMarks, model.FreedMarks);
        EXPECT_EQ(freedNames, model.FreedNames);
        // The undo log holds the texts of the ranges and a few bytes each, not an entry per range.
        EXPECT_LT(memo.UndoStack()->TotalBytes(),
                  edits.Count() * 24 + 2 * static_cast<size_t>(length + expected.size()) + 4096);

        // One undo: the text as it was, and every mark that stayed back where the inverse puts it,
        // which for a mark no range touched is where it was.
        TRangeEdits made = edits.Slice(0, edits.Count(), 0);
        for (size_t i = 0; i < edits.Count(); ++i)
            made.OldTexts() += original.substr(static_cast<size_t>(edits.Start(i)), static_cast<size_t>(edits.OldLength(i)));
        std::string undone = expected;
        const TMarksModel beforeUndo = model;
        replaceOneByOne(undone, model, made.Inverse());
        ASSERT_EQ(undone, original);
        memo.Undo();
        ASSERT_EQ(memo.StoredText(), original);
        EXPECT_FALSE(memo.CanUndo());
        expectSoundRecords(memo, wrapped);
        EXPECT_EQ(marksOf(memo).Marks, model.Marks);
        EXPECT_EQ(marksOf(memo).Names, model.Names);
        memo.Redo();
        EXPECT_EQ(memo.StoredText(), expected);
        expectSoundRecords(memo, wrapped);
    }
    TCustomCodeMemo::SetReplaceBatch(16384);
}

TEST(FindReplace, NumberedBookmarksStayOnTheirLinesThroughReplaceAllAndItsUndo)
{
    TCodeMemo memo;
    TBoxAnswers boxes;
    SetText(memo, "a dos\ra dos\ra dos\ra dos\ra dos\r");
    memo.SetBookmark(2, 4, 3);
    int line = 0, column = 0;
    // New texts without line breaks: every line keeps its record and its bookmark.
    Select(memo, 0, 0);
    replaceDialog(memo, 0, "dos", "tres").ClickReplaceAll();
    EXPECT_EQ(textOf(memo), "a tres\ra tres\ra tres\ra tres\ra tres\r");
    ASSERT_TRUE(memo.GetBookmark(2, line, column));
    EXPECT_EQ(line, 4);
    // With a line break each line becomes two; the bookmark stays with the start of its line, and the
    // undo, which joins them again, takes it back.
    Select(memo, 0, 0);
    replaceDialog(memo, smsRegExpr, "tres", "t\\nr").ClickReplaceAll();
    EXPECT_EQ(textOf(memo), "a t\rr\ra t\rr\ra t\rr\ra t\rr\ra t\rr\r");
    ASSERT_TRUE(memo.GetBookmark(2, line, column));
    EXPECT_EQ(line, 7);
    memo.Undo();
    EXPECT_EQ(textOf(memo), "a tres\ra tres\ra tres\ra tres\ra tres\r");
    ASSERT_TRUE(memo.GetBookmark(2, line, column));
    EXPECT_EQ(line, 4);
    memo.Undo();
    EXPECT_EQ(textOf(memo), "a dos\ra dos\ra dos\ra dos\ra dos\r");
    ASSERT_TRUE(memo.GetBookmark(2, line, column));
    EXPECT_EQ(line, 4);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(FindReplace, ReplaceAllStopsWhenAnotherDocumentComesInBetweenBatches)
{
    TWatchAtOnce watch(10);
    const std::string text = Repeated("ab\r", 100);
    TBoxAnswers boxes;
    // Replace all of "b" in batches of ten. A program's request handled while Escape is looked for
    // waits for the first batch, then puts another document into the editor, as a change of tab
    // brings it (its log, then its text); with `back` the first one comes back at once. The first
    // document's text is kept as the application keeps it.
    for (const bool back : {false, true}) {
        SCOPED_TRACE(back);
        TUndoStack first, other;
        TCodeMemo memo;
        SetText(memo, text);
        memo.SetUndoStack(&first);
        // An earlier edit of the first document: a "Q" at its end.
        Select(memo, 300, 300);
        Insert(memo, "Q");
        std::string kept;
        std::function<void()> request = [&] {
            if (memo.StoredText() == text + "Q") {
                QMetaObject::invokeMethod(&memo, request, Qt::QueuedConnection);
                return;
            }
            kept = memo.StoredText();
            memo.SetUndoStack(&other);
            SetText(memo, "otro ab\rotro ab\r");
            Select(memo, 2, 2);
            if (back) {
                memo.SetUndoStack(nullptr);
                SetText(memo, kept);
                memo.SetUndoStack(&first);
            }
        };
        QMetaObject::invokeMethod(&memo, request, Qt::QueuedConnection);
        std::string replaced = text + "Q";
        for (int i = 0; i < 100; ++i)
            replaced[static_cast<size_t>(i * 3 + 1)] = 'X';
        Select(memo, 0, 0);
        replaceDialog(memo, 0, "b", "X").ClickReplaceAll();
        EXPECT_EQ(kept, replaced.substr(0, 30) + text.substr(30) + "Q");
        if (!back) {
            // The other document keeps its text, its empty log and its caret.
            EXPECT_EQ(memo.StoredText(), "otro ab\rotro ab\r");
            EXPECT_TRUE(other.Empty());
            EXPECT_EQ(Selection(memo).Start, 2);
            memo.SetUndoStack(nullptr);
            SetText(memo, kept);
            memo.SetUndoStack(&first);
        } else {
            EXPECT_EQ(memo.StoredText(), replaced);
        }
        // The first document's log holds the run, as far as it went, as one step after its Q.
        const std::string afterRun = memo.StoredText();
        memo.Undo();
        EXPECT_EQ(memo.StoredText(), text + "Q");
        memo.Undo();
        EXPECT_EQ(memo.StoredText(), text);
        EXPECT_FALSE(memo.CanUndo());
        memo.Redo();
        memo.Redo();
        EXPECT_EQ(memo.StoredText(), afterRun);
        EXPECT_FALSE(first.InGroup());
        memo.SetUndoStack(nullptr);
    }
    // Brought in while the matches are still looked for, the other document is left as it came and
    // nothing is replaced.
    TCodeMemo memo;
    SetText(memo, text);
    QMetaObject::invokeMethod(&memo, [&] { SetText(memo, "otro ab\r"); }, Qt::QueuedConnection);
    Select(memo, 0, 0);
    replaceDialog(memo, 0, "b", "X").ClickReplaceAll();
    EXPECT_EQ(memo.StoredText(), "otro ab\r");
    EXPECT_TRUE(boxes.texts.empty());
}
