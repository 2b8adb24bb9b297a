// Tests of the highlighting driver: restart points, the stop rule, containers, and runs put off or broken off.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <utility>
#include <string>
#include <tuple>
#include <vector>

#include "CodeMemoTestSupport.h"
#include "platform/core/Exception.h"
#include "tests/support/Bytes.h"
#include "tests/support/WordParser.h"

namespace {

using TSeen = std::tuple<int, int, int>;

TLineRecord* recordAt(TCustomCodeMemo& memo, int line)
{
    TLineRecord* r = memo.FirstRecord();
    while (line-- > 0)
        r = r->Next;
    return r;
}

// What a paint does to the records it draws.
void clearWorkFlags(TCustomCodeMemo& memo)
{
    for (TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
        r->Flags &= ~(lfStylesChanged | lfChanged | lfRestart);
}

void Type(TCustomCodeMemo& memo, int start, int end, const char* text)
{
    Select(memo, start, end);
    memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::string repeat(const std::string& line, int count)
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += line;
    return text;
}

} // namespace

// An editor with the word language in its active slot.
class Highlighter : public ::testing::Test {
protected:
    void SetUp() override { memo.SetParser1(&parser); }

    // Records every OnTokenSeen call in `seen`.
    void watch()
    {
        seen.clear();
        memo.OnTokenSeen = [this](TCustomCodeMemo*, int& value, int start, int end) {
            seen.emplace_back(value, start, end);
        };
    }
    int firstTokenStart() const { return std::get<1>(seen.at(1)); }

    TWordParser parser;
    TCodeMemo memo;
    std::vector<TSeen> seen;
};

TEST_F(Highlighter, StoresEachTokenValueForItsCharactersAndShowsEveryToken)
{
    SetText(memo, "ab 12\rcd");
    memo.ResetHighlighting();
    watch();
    parser.Resets.clear();
    memo.RehighlightAll();
    EXPECT_EQ(memo.GetStyleBytes(nullptr), Bytes({1, 1, 0, 2, 2, 0, 1, 1}));
    EXPECT_EQ(seen, (std::vector<TSeen>{{-1, -1, -1}, {1, 0, 2}, {0, 2, 3}, {2, 3, 5}, {0, 5, 6}, {1, 6, 8}, {-2, -2, -2}}));
    EXPECT_EQ(memo.HighlightStart(), nullptr);
    for (TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
        EXPECT_EQ(r->Flags & (lfStylesChanged | lfChanged | lfRestart), lfStylesChanged);
    // The scanner is reset to the restart value before the run and again after it.
    EXPECT_EQ(parser.Resets, (std::vector<int>{0, 0}));

    // A token that takes nothing is one character; a handler's value is what is stored.
    memo.OnTokenSeen = [](TCustomCodeMemo*, int& value, int start, int) {
        if (start == 2)
            value = 7;
    };
    SetText(memo, "a#b");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), Bytes({1, 9, 7}));
}

TEST_F(Highlighter, AnUnindentThatRemovesNothingKeepsTheColours)
{
    for (bool wrap : {false, true}) {
        SetOption(memo, smoWordWrap, wrap);
        SetText(memo, "ab 12\r\ncd ef\r\n  gh");
        memo.RehighlightAll();
        const std::string before = memo.GetStyleBytes(nullptr);
        Select(memo, 1, 2);
        memo.Perform(SMM_UNINDENT, 2, 0);
        EXPECT_EQ(memo.StoredText(), "ab 12\rcd ef\r  gh");
        EXPECT_EQ(memo.GetStyleBytes(nullptr), before) << "wrap " << wrap;
        // A line that did lose blanks is coloured again, and the others keep their bytes.
        Select(memo, 1, 14);
        memo.Perform(SMM_UNINDENT, 2, 0);
        EXPECT_EQ(memo.StoredText(), "ab 12\rcd ef\rgh");
        memo.RehighlightAll();
        EXPECT_EQ(memo.GetStyleBytes(nullptr), before.substr(0, 12) + Bytes({1, 1}));
    }
}

TEST_F(Highlighter, WithoutAParserNothingIsScannedAndTheRunOnlyEnds)
{
    memo.SetParser1(nullptr);
    watch();
    memo.RehighlightAll();
    EXPECT_TRUE(seen.empty()); // no record, no run
    SetText(memo, "ab\rcd");
    seen.clear();
    memo.RehighlightAll();
    EXPECT_EQ(seen, (std::vector<TSeen>{{-2, -2, -2}}));
    EXPECT_EQ(memo.HighlightStart(), nullptr);
    EXPECT_EQ(memo.FirstRecord()->Styles, nullptr);
}

TEST_F(Highlighter, AnEditScansOnlyTheLinesAroundIt)
{
    const std::string line = "abc 123\r";
    SetText(memo, repeat(line, 1000));
    clearWorkFlags(memo);
    watch();
    int lineLength = static_cast<int>(line.size());
    Type(memo, 500 * lineLength, 500 * lineLength, "x");
    // The run restarts at the line break before line 500 and stops after line 501, which is unchanged.
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(firstTokenStart(), 500 * lineLength - 1);
    EXPECT_EQ(std::get<2>(seen[seen.size() - 2]), 502 * lineLength + 1);
    EXPECT_EQ(recordAt(memo, 500)->Styles[0], 1);
    // Committed records are flagged for the painter; the unchanged line keeps its flags.
    EXPECT_NE(recordAt(memo, 499)->Flags & lfStylesChanged, 0u);
    EXPECT_NE(recordAt(memo, 500)->Flags & lfStylesChanged, 0u);
    EXPECT_EQ(recordAt(memo, 501)->Flags & lfStylesChanged, 0u);
}

TEST_F(Highlighter, AnOpenedCommentRestylesEveryLaterLineUntilItIsClosedOrRemoved)
{
    parser.Comments = true;
    const std::string line = "ab 12\r";
    SetText(memo, repeat(line, 50));
    const std::string plain = memo.GetStyleBytes(nullptr);
    Type(memo, 0, 0, "/*");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), std::string(plain.size() + 2, '\x03'));
    // Closing it on line 10 gives the lines after it back their own colours.
    Type(memo, 62, 62, "*/");
    std::string closed = memo.GetStyleBytes(nullptr);
    EXPECT_EQ(closed.substr(64), plain.substr(60));
    Type(memo, 62, 64, "");
    Type(memo, 0, 2, "");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), plain);

    // A run that walks back to the first character starts there in the start state, whatever
    // value the character has: "/*/" opens a comment that does not close at once.
    SetText(memo, "/*/x\r*/ab\rcd\r");
    const std::string opened = memo.GetStyleBytes(nullptr);
    EXPECT_EQ(opened, Bytes({3, 3, 3, 3, 3, 3, 3, 1, 1, 0, 1, 1, 0}));
    Type(memo, 9, 9, "e");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), Bytes({3, 3, 3, 3, 3, 3, 3, 1, 1, 1, 0, 1, 1, 0}));
}

TEST_F(Highlighter, ContainerContentIsScannedTokenByTokenWithinTheContainerValue)
{
    parser.Tags = true;
    SetText(memo, "x<ab\rc=1>y");
    memo.ResetHighlighting();
    watch();
    memo.RehighlightAll();
    EXPECT_EQ(memo.GetStyleBytes(nullptr), Bytes({1, 5, 6, 6, 5, 6, 7, 5, 5, 1}));
    EXPECT_EQ(seen, (std::vector<TSeen>{{-1, -1, -1}, {1, 0, 1}, {5, 1, 9}, {0, 1, 2}, {6, 2, 4}, {0, 4, 5},
                                         {6, 5, 6}, {7, 6, 7}, {0, 7, 8}, {0, 8, 9}, {1, 9, 10}, {-2, -2, -2}}));

    // No run stops inside a container, though a line in it comes out as stored.
    SetText(memo, "<a\rb\rc>\rd\r");
    const std::string fresh = memo.GetStyleBytes(nullptr);
    TSelectionRange third{2, 2};
    memo.SetStyleBytes(&third, "\x04\x04\x04");
    Type(memo, 2, 2, "x");
    EXPECT_EQ(memo.GetStyleBytes(&third), fresh.substr(5, 3));
}

TEST_F(Highlighter, TheRestartPointIsFoundByWalkingBackOverStyledRecords)
{
    // Where the run from line 4 starts, and the value the scanner starts from.
    auto restart = [this] {
        watch();
        parser.Resets.clear();
        memo.RehighlightFrom(recordAt(memo, 4));
        return std::pair{firstTokenStart(), parser.Resets.at(0)};
    };
    // Only digits are restart points, so the walk back from the line before the start crosses
    // three lines of letters. Miscounted, the run would stop before reaching the start line.
    parser.Anchors = TStateSet{2};
    SetText(memo, "12\rab\rab\rab\rcd\rab\r");
    const std::string fresh = memo.GetStyleBytes(nullptr);
    TSelectionRange startLine{4, 4};
    memo.SetStyleBytes(&startLine, "\x08\x08\x08");
    EXPECT_EQ(restart(), std::pair(0, 0));
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh);

    // A line before the start without style bytes is where the run restarts, in the start state.
    parser.Anchors = TStateSet{0};
    recordAt(memo, 3)->Styles.reset();
    EXPECT_EQ(restart(), std::pair(9, 0));
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh);

    // A walk that meets a line without style bytes restarts after it, with the value that ends the
    // line before the start.
    parser.Anchors = TStateSet{2};
    recordAt(memo, 2)->Styles.reset();
    EXPECT_EQ(restart(), std::pair(9, 0));
}

TEST_F(Highlighter, TheRunStopsOnlyAfterItsStartWhereNothingCarriesOn)
{
    SetText(memo, "ab\rcd\ref\rgh\r");
    const std::string fresh = memo.GetStyleBytes(nullptr);
    TSelectionRange second{1, 1};
    TSelectionRange third{2, 2};
    // A start record that comes out unchanged is no place to stop, even without its restart flag.
    memo.SetStyleBytes(&third, "\x04\x04\x04");
    memo.SetStyleBytes(&second, Bytes({1, 1, 0}));
    memo.Perform(SMM_HIGHLIGHTSTART, SMM_SET, reinterpret_cast<LPARAM>(recordAt(memo, 1)));
    memo.Rehighlight();
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh);

    // Nor is a later record flagged for a restart, or one followed by a record without style bytes.
    memo.SetStyleBytes(&third, "\x04\x04\x04");
    recordAt(memo, 1)->Flags |= lfRestart;
    Type(memo, 0, 1, "x");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh);
    recordAt(memo, 2)->Styles.reset();
    Type(memo, 0, 1, "a");
    EXPECT_NE(recordAt(memo, 2)->Styles, nullptr);

    // Nor one whose last token runs on into the next record. The long line is cut into a record of
    // 2047 letters and one of "aaa\r".
    SetText(memo, "x\r" + std::string(2050, 'a') + "\rb\r");
    ASSERT_EQ(recordAt(memo, 2)->Len, 4);
    memo.SetStyleBytes(&third, "\x04\x04\x04\x04");
    Type(memo, 0, 1, "y");
    EXPECT_EQ(memo.GetStyleBytes(&third), Bytes({1, 1, 1, 0}));

    // Nor one that ends inside a comment, though its bytes are the same outside.
    parser.Comments = true;
    parser.PlainBreaks = true;
    parser.Anchors = TStateSet{2};
    SetText(memo, "12\rab\r\r\rcd\r");
    Type(memo, 3, 3, "/*");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), Bytes({2, 2, 0, 3, 3, 3, 3, 0, 0, 0, 3, 3, 0}));
}

TEST_F(Highlighter, ABusyParserPutsTheRunOffUntilTheNextChange)
{
    SetText(memo, "ab\rcd\ref\r");
    const std::string fresh = memo.GetStyleBytes(nullptr);
    parser.Busy = true;
    Type(memo, 4, 4, "1");
    TLineRecord* edited = recordAt(memo, 1);
    EXPECT_EQ(memo.HighlightStart(), edited);
    EXPECT_NE(edited->Flags & lfRestart, 0u);
    EXPECT_EQ(edited->Styles, nullptr);
    // A paint clears the flags; the put-off request survives it.
    clearWorkFlags(memo);
    parser.Busy = false;
    memo.Rehighlight();
    EXPECT_EQ(memo.GetStyleBytes(nullptr), Bytes({1, 1, 0, 1, 2, 1, 0, 1, 1, 0}));
    EXPECT_EQ(memo.HighlightStart(), nullptr);

    // Busy from the second line on: the first keeps its new bytes and the rest follows later.
    SetText(memo, "ab\rcd\ref\r");
    memo.OnTokenSeen = [&](TCustomCodeMemo*, int&, int start, int) { parser.Busy = start >= 3; };
    Type(memo, 0, 0, "/");
    EXPECT_EQ(memo.HighlightStart(), recordAt(memo, 1));
    TSelectionRange firstLine{0, 0};
    EXPECT_EQ(memo.GetStyleBytes(&firstLine), Bytes({0, 1, 1, 0}));
    parser.Busy = false;
    memo.OnTokenSeen = nullptr;
    memo.Change();
    EXPECT_EQ(memo.GetStyleBytes(nullptr), Bytes({0, 1, 1, 0}) + fresh.substr(3));

    // A second editor sharing the parser cannot start a run inside the first one's.
    TCodeMemo other;
    other.SetParser1(&parser);
    SetText(other, "ab");
    TSelectionRange all{0, 0};
    other.SetStyleBytes(&all, "\x04\x04");
    memo.OnTokenSeen = [&](TCustomCodeMemo*, int&, int start, int) {
        if (start == 0)
            other.RehighlightAll();
    };
    memo.RehighlightAll();
    EXPECT_EQ(other.GetStyleBytes(nullptr), Bytes({4, 4}));
    EXPECT_EQ(other.HighlightStart(), other.FirstRecord());
    EXPECT_EQ(memo.GetStyleBytes(nullptr), Bytes({0, 1, 1, 0}) + fresh.substr(3));
    memo.OnTokenSeen = nullptr;
    other.Change();
    EXPECT_EQ(other.GetStyleBytes(nullptr), Bytes({1, 1}));
}

TEST_F(Highlighter, TokenValuesAskedForAreThoseOfTheTextAsItStands)
{
    // Text still waiting for its slices is coloured up to the record asked about, no further.
    memo.SetColourSlices(std::chrono::milliseconds(0), 0);
    SetText(memo, repeat("ab 12\r", 300));
    ASSERT_TRUE(memo.ColouringPending());
    ASSERT_EQ(recordAt(memo, 100)->Styles, nullptr);
    std::string values;
    ASSERT_TRUE(memo.CurrentTokenValues(600, 605, values));
    EXPECT_EQ(values, Bytes({1, 1, 0, 2, 2}));
    EXPECT_TRUE(memo.ColouringPending());
    EXPECT_EQ(recordAt(memo, 101)->Styles, nullptr);
    // A range over two records, the last character included.
    ASSERT_TRUE(memo.CurrentTokenValues(1791, 1800, values));
    EXPECT_EQ(values, Bytes({2, 2, 0, 1, 1, 0, 2, 2, 0}));
    EXPECT_FALSE(memo.ColouringPending());

    // An edit whose run was put off is highlighted first; while the parser stays busy nothing is known.
    memo.SetColourSlices(std::chrono::milliseconds(6), 1 << 19);
    SetText(memo, "ab\rcd\r");
    parser.Busy = true;
    Type(memo, 3, 3, "1");
    EXPECT_FALSE(memo.CurrentTokenValues(3, 6, values));
    EXPECT_TRUE(values.empty());
    parser.Busy = false;
    ASSERT_TRUE(memo.CurrentTokenValues(3, 6, values));
    EXPECT_EQ(values, Bytes({2, 1, 1}));
    EXPECT_EQ(memo.HighlightStart(), nullptr);
    // So is one made while the control is not redrawn, which holds off the change notification.
    memo.Perform(WM_SETREDRAW, 0, 0);
    Type(memo, 3, 4, "x");
    ASSERT_TRUE(memo.CurrentTokenValues(3, 6, values));
    EXPECT_EQ(values, Bytes({1, 1, 1}));
    memo.Perform(WM_SETREDRAW, 1, 0);

    // Outside the text, an empty range, or without a language: nothing.
    EXPECT_FALSE(memo.CurrentTokenValues(5, 8, values));
    EXPECT_FALSE(memo.CurrentTokenValues(-1, 2, values));
    EXPECT_FALSE(memo.CurrentTokenValues(2, 2, values));
    memo.SetParser1(nullptr);
    EXPECT_FALSE(memo.CurrentTokenValues(0, 2, values));
}

TEST_F(Highlighter, AFailedRunKeepsItsRequestAndLeavesNoHalfBuiltBytes)
{
    parser.Tags = true;
    SetText(memo, "ab\r<cd\ref>\rgh\r");
    const std::string fresh = memo.GetStyleBytes(nullptr);
    TSelectionRange lines{0, 3};
    memo.SetStyleBytes(&lines, std::string(fresh.size(), '\x04'));
    // The handler fails inside the container that spans lines 1 and 2.
    memo.OnTokenSeen = [](TCustomCodeMemo*, int&, int start, int) {
        if (start == 6)
            throw Exception("handler failed");
    };
    TLineRecord* first = memo.FirstRecord();
    EXPECT_THROW(memo.RehighlightFrom(first), Exception);
    EXPECT_EQ(memo.HighlightStart(), first);
    EXPECT_NE(first->Flags & lfRestart, 0u);
    EXPECT_FALSE(parser.GetTokenPending());
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh.substr(0, 3) + std::string(fresh.size() - 3, '\x04'));

    // A parser that fails is treated the same; without failures the next change completes the work.
    memo.OnTokenSeen = nullptr;
    parser.ThrowAt = parser.Scans + 2;
    EXPECT_THROW(memo.Change(), Exception);
    EXPECT_EQ(memo.HighlightStart(), first);
    memo.Change();
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh);
}

TEST_F(Highlighter, ALanguageNeedingACustomParserIsLeftUnscanned)
{
    parser.CustomMatch = true;
    SetText(memo, "ab\rcd");
    EXPECT_EQ(parser.Scans, 0);
    EXPECT_EQ(memo.GetStyleBytes(nullptr), std::string(5, '\0'));
    EXPECT_NE(memo.FirstRecord()->Styles, nullptr);
}

TEST_F(Highlighter, IncrementalBytesEqualAFullHighlightAfterRandomEdits)
{
    parser.Comments = true;
    parser.Tags = true;
    TCodeMemo fresh;
    fresh.SetParser1(&parser);
    SetText(memo, repeat("ab 12 <c=d>\r/* e */ f\r", 20));
    const char* pieces[] = {"a", "7", " ", "\r", "/*", "*/", "<", ">", "=", "ab\rcd", "/* x\ry */", "#", "<a\rb>"};
    std::mt19937 random(20240611);
    for (int step = 0; step < 400; ++step) {
        int length = memo.TextLength();
        int start = static_cast<int>(random() % static_cast<unsigned>(length + 1));
        int end = start;
        if (random() % 3 == 0)
            end = std::min(length, start + static_cast<int>(random() % 8));
        const char* text = random() % 4 == 0 ? "" : pieces[random() % std::size(pieces)];
        Type(memo, start, end, text);
        if (step % 3 == 0)
            clearWorkFlags(memo);
        SetText(fresh, memo.StoredText());
        ASSERT_EQ(memo.GetStyleBytes(nullptr), fresh.GetStyleBytes(nullptr)) << "step " << step;
    }
}

TEST_F(Highlighter, EditsGatheredBeforeOneRunAreAllRestyled)
{
    TCodeMemo fresh;
    fresh.SetParser1(&parser);
    const std::string line = "ab 12\r";
    SetText(memo, repeat(line, 300));
    clearWorkFlags(memo);
    // Two edits without redraw, the later one first, then one notification: both places are restyled.
    int lineLength = static_cast<int>(line.size());
    Select(memo, 200 * lineLength, 200 * lineLength);
    memo.Perform(SMM_INSERTTEXT, SMM_NOREDRAW, reinterpret_cast<LPARAM>("xy "));
    Select(memo, 5 * lineLength, 5 * lineLength);
    memo.Perform(SMM_INSERTTEXT, SMM_NOREDRAW, reinterpret_cast<LPARAM>("34 "));
    memo.Change();
    SetText(fresh, memo.StoredText());
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh.GetStyleBytes(nullptr));
    // And the earlier one first.
    Select(memo, 3 * lineLength, 3 * lineLength);
    memo.Perform(SMM_INSERTTEXT, SMM_NOREDRAW, reinterpret_cast<LPARAM>("56 "));
    Select(memo, 250 * lineLength, 250 * lineLength);
    memo.Perform(SMM_INSERTTEXT, SMM_NOREDRAW, reinterpret_cast<LPARAM>("zz "));
    memo.Change();
    SetText(fresh, memo.StoredText());
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh.GetStyleBytes(nullptr));

    // Undoing an indent of every line replays one change per line inside one notification.
    Select(memo, 0, memo.TextLength());
    memo.Perform(SMM_INDENT, 0, 0);
    memo.Change();
    memo.Perform(EM_UNDO, 0, 0);
    SetText(fresh, memo.StoredText());
    EXPECT_EQ(memo.GetStyleBytes(nullptr), fresh.GetStyleBytes(nullptr));
}
