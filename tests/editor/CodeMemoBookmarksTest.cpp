// The editor control's numbered and named bookmarks and text marks, driven through its methods, messages and keys.
#include <gtest/gtest.h>

#include <QApplication>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "CodeMemoTestSupport.h"
#include "MarksModel.h"
#include "editor/Painter.h"

namespace {

// Numbered lines "line N" with an extra tail on some, ending in CR.
std::string numberedLines(int count)
{
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += "line " + std::to_string(i) + "\r";
    return text;
}

// The events of the control, in the order they came.
struct EventLog {
    std::vector<std::string> Entries;
    void Watch(TCustomCodeMemo& memo)
    {
        memo.OnBookmarkSet = [this](TCustomCodeMemo*, int i) { Entries.push_back("set " + std::to_string(i)); };
        memo.OnBookmarkClear = [this](TCustomCodeMemo*, int i) { Entries.push_back("clear " + std::to_string(i)); };
        memo.OnCustomBookmarkFree = [this](TCustomCodeMemo*, const std::string& n) { Entries.push_back("free " + n); };
        memo.OnMarkFree = [this](TCustomCodeMemo*, TTextMark* m) {
            Entries.push_back("mark free " + std::to_string(m->Data));
        };
        memo.OnMarkChange = [this](TCustomCodeMemo*, TTextMark* m) {
            Entries.push_back("mark change " + std::to_string(m->Data));
        };
    }
    std::vector<std::string> Take()
    {
        std::vector<std::string> taken;
        taken.swap(Entries);
        return taken;
    }
};

using Log = std::vector<std::string>;

struct Place {
    int Line;
    int Column;
    bool operator==(const Place&) const = default;
};

// The bookmark's place, or {0, 0} when it is not set.
Place bookmark(TCustomCodeMemo& memo, int index)
{
    int line = -5, column = -5;
    if (!memo.GetBookmark(index, line, column))
        return {0, 0};
    return {line, column};
}

uint16_t bitsOfLine(TCustomCodeMemo& memo, int line)
{
    TLineRecord* r = memo.FirstRecord();
    for (int i = 1; r && i < line; ++i)
        r = r->Next;
    return r ? r->MarkBits & mbBookmarks : 0xFFFF;
}

} // namespace

TEST(CodeMemoBookmarks, IndexAboveNineRaisesAndChangesNothing)
{
    EventLog log;
    TCodeMemo memo;
    SetText(memo, numberedLines(5));
    memo.SetBookmark(1, 2, 3);
    Select(memo, 4, 4);
    log.Watch(memo);
    int line = 0, column = 0;
    for (int index : {10, 11, 255}) {
        try {
            memo.SetBookmark(index, 4, 1);
            ADD_FAILURE() << "SetBookmark " << index;
        } catch (const ECodeMemo& e) {
            EXPECT_EQ(e.Message(), "Bookmark index range error");
        }
        EXPECT_THROW(memo.GetBookmark(index, line, column), ECodeMemo);
        EXPECT_THROW(memo.GotoBookmark(index), ECodeMemo);
    }
    EXPECT_THROW(memo.SetBookmark(-1, 4, 1), ECodeMemo);
    EXPECT_EQ(bookmark(memo, 1), (Place{2, 3}));
    for (int l = 1; l <= 5; ++l)
        EXPECT_EQ(bitsOfLine(memo, l), l == 2 ? 0x2 : 0) << l;
    EXPECT_EQ(Selection(memo).Start, 4);
    EXPECT_EQ(Selection(memo).End, 4);
    EXPECT_TRUE(log.Take().empty());
}

TEST(CodeMemoBookmarks, SetAndGetOnLines)
{
    EventLog log;
    TCodeMemo memo;
    log.Watch(memo);
    // An empty text holds no bookmark.
    memo.SetBookmark(1, 1, 1);
    EXPECT_EQ(bookmark(memo, 1), (Place{0, 0}));
    EXPECT_TRUE(log.Take().empty());

    SetText(memo, numberedLines(8) + std::string(45, 'z'));
    memo.SetBookmark(5, 3, 4);
    EXPECT_EQ(bookmark(memo, 5), (Place{3, 4}));
    EXPECT_EQ(bitsOfLine(memo, 3), 1 << 5);
    EXPECT_EQ(log.Take(), (Log{"set 5"}));

    // Bookmark 3 on the line of bookmark 5 takes its place.
    memo.SetBookmark(3, 3, 2);
    EXPECT_EQ(bookmark(memo, 5), (Place{0, 0}));
    EXPECT_EQ(bookmark(memo, 3), (Place{3, 2}));
    EXPECT_EQ(bitsOfLine(memo, 3), 1 << 3);
    EXPECT_EQ(log.Take(), (Log{"clear 5", "set 3"}));

    // Set twice on one line, a bookmark goes; set elsewhere, it moves.
    memo.SetBookmark(2, 1, 1);
    memo.SetBookmark(2, 1, 5);
    EXPECT_EQ(bookmark(memo, 2), (Place{0, 0}));
    EXPECT_EQ(bitsOfLine(memo, 1), 0);
    EXPECT_EQ(log.Take(), (Log{"set 2", "clear 2"}));
    memo.SetBookmark(3, 6, 1);
    EXPECT_EQ(bookmark(memo, 3), (Place{6, 1}));
    EXPECT_EQ(bitsOfLine(memo, 3), 0);

    // Line -1 is the caret's line and column.
    Select(memo, 7 + 7 + 2, 7 + 7 + 2); // column 3 of line 3
    memo.SetBookmark(4, -1, 0);
    EXPECT_EQ(bookmark(memo, 4), (Place{3, 3}));
    // Lines and columns out of range are brought to the text.
    memo.SetBookmark(6, 0, 0);
    EXPECT_EQ(bookmark(memo, 6), (Place{1, 1}));
    memo.SetBookmark(8, 99, 70000);
    EXPECT_EQ(bookmark(memo, 8), (Place{9, 45}));

    // A column beyond a shortened line reads as the line's length.
    memo.SetBookmark(9, 9, 40);
    EXPECT_EQ(bookmark(memo, 8), (Place{0, 0}));
    int last = memo.TextLength() - 45;
    Select(memo, last + 10, memo.TextLength());
    Insert(memo, nullptr);
    EXPECT_EQ(bookmark(memo, 9), (Place{9, 10}));
    // On a line ending in a line break the break counts: the column after the last character.
    Select(memo, 21 + 6, 21 + 6);
    Insert(memo, std::string(39, 'y').c_str());
    memo.SetBookmark(7, 4, 40);
    EXPECT_EQ(bookmark(memo, 7), (Place{4, 40}));
    Select(memo, 21 + 10, 21 + 45);
    Insert(memo, nullptr);
    EXPECT_EQ(bookmark(memo, 7), (Place{4, 11}));
    log.Take();

    // Lines deleted before a bookmark's line move it up; a line deleted whole takes its own along.
    memo.SetBookmark(5, 2, 1);
    Select(memo, 7, 14);
    Insert(memo, nullptr);
    EXPECT_EQ(bookmark(memo, 5), (Place{0, 0}));
    EXPECT_EQ(bookmark(memo, 4), (Place{2, 3}));
    EXPECT_EQ(bookmark(memo, 7), (Place{3, 11}));
}

TEST(CodeMemoBookmarks, GotoPutsTheCaretOnTheBookmarkInTheMiddleOfTheWindow)
{
    TCodeMemo memo;
    memo.resize(400, 200);
    memo.show();
    QApplication::processEvents();
    SetText(memo, numberedLines(200));
    const int length = memo.TextLength();
    const int whole = memo.ClientHeight() / memo.LineHeight();
    ASSERT_GT(whole, 3);
    memo.SetBookmark(1, 150, 4);
    memo.SetBookmark(2, 20, 40);
    Select(memo, 3, 9);
    // Nothing happens for a bookmark that is not set.
    memo.GotoBookmark(9);
    EXPECT_EQ(Selection(memo).Start, 3);
    EXPECT_EQ(Selection(memo).End, 9);

    auto lineStart = [&](int line) { return static_cast<int>(memo.Perform(EM_LINEINDEX, line - 1, 0)); };
    memo.GotoBookmark(1);
    EXPECT_EQ(Selection(memo).Start, lineStart(150) + 3);
    EXPECT_EQ(Selection(memo).End, lineStart(150) + 3);
    EXPECT_EQ(memo.TopLine(), 149 - whole / 2);
    // A column beyond the line is cut to its length: the caret stops before the line break.
    memo.GotoBookmark(2);
    EXPECT_EQ(Selection(memo).Start, lineStart(20) + 8 - 1);
    EXPECT_EQ(memo.TopLine(), std::max(0, 19 - whole / 2));

    // The key commands: Ctrl+K 3 sets bookmark 3 at the caret, Ctrl+Q 3 goes back to it.
    memo.setFocus();
    Select(memo, lineStart(77) + 2, lineStart(77) + 2);
    press(memo, 'K', ssCtrl);
    press(memo, '3');
    EXPECT_EQ(bookmark(memo, 3), (Place{77, 3}));
    EXPECT_EQ(memo.TextLength(), length); // the keys typed nothing
    Select(memo, 0, 0);
    press(memo, 'Q', ssCtrl);
    press(memo, '3');
    EXPECT_EQ(Selection(memo).Start, lineStart(77) + 2);
    EXPECT_EQ(memo.TopLine(), 76 - whole / 2);
}

TEST(CodeMemoBookmarks, WrappedLinesCarryTheirBookmarkOnTheFirstPiece)
{
    TCodeMemo memo;
    memo.SetControlFont("DejaVu Sans Mono", 10);
    memo.SetWrapAtColumn(10);
    memo.SetWordWrap(true);
    SetText(memo, "head\raaaa bbbb cccc dddd eeee\rtail\r");
    TLineRecord* first = memo.FirstRecord()->Next;
    ASSERT_TRUE(first && first->Next);
    TLineRecord* second = first->Next;
    ASSERT_TRUE(second->MarkBits & mbContinuation);
    const int firstStart = 5;
    const int caret = firstStart + first->Len + 2; // the third character of the second piece
    Select(memo, caret, caret);
    memo.SetBookmark(4, -1, 0);
    EXPECT_EQ(first->MarkBits & mbBookmarks, 1 << 4);
    EXPECT_EQ(second->MarkBits & mbBookmarks, 0);
    EXPECT_EQ(bookmark(memo, 4), (Place{2, 3}));
    Select(memo, 0, 0);
    memo.GotoBookmark(4);
    EXPECT_EQ(Selection(memo).Start, firstStart + 2);
    // Set again from the second piece, the bookmark of the logical line goes.
    memo.SetBookmark(4, 3, 1);
    EXPECT_EQ(bookmark(memo, 4), (Place{0, 0}));
    EXPECT_EQ(first->MarkBits & mbBookmarks, 0);
}

TEST(CodeMemoBookmarks, NamedBookmarksFollowTheText)
{
    EventLog log;
    TCodeMemo memo;
    log.Watch(memo);
    SetText(memo, "0123456789\rabcdefghij\r");
    memo.AddNamedBookmark("uno", 12);
    memo.AddNamedBookmark("dos", 3);
    memo.AddNamedBookmark("fin", 999); // kept at the text's end
    EXPECT_EQ(memo.NamedBookmarks().Find("fin")->Position(), 22);
    Select(memo, 0, 0);
    Insert(memo, "xy");
    EXPECT_EQ(memo.NamedBookmarks().Find("uno")->Position(), 14);
    EXPECT_EQ(memo.NamedBookmarks().Find("dos")->Position(), 5);
    Select(memo, 13, 16);
    Insert(memo, nullptr);
    EXPECT_EQ(log.Take(), (Log{"free uno"}));
    EXPECT_EQ(memo.NamedBookmarks().Find("fin")->Position(), 21);
    // Deleting the whole text takes every one, the one at its end too.
    memo.SelectAll();
    Insert(memo, nullptr);
    Log freed = log.Take();
    std::sort(freed.begin(), freed.end());
    EXPECT_EQ(freed, (Log{"free dos", "free fin"}));
    EXPECT_EQ(memo.NamedBookmarks().Count(), 0);
}

TEST(CodeMemoBookmarks, TextMarksFollowEditsAndGoWithTheControl)
{
    EventLog log;
    {
        TCodeMemo memo;
        log.Watch(memo);
        SetText(memo, "0123456789abcdefghij");
        TTextMark* found = nullptr;
        EXPECT_FALSE(memo.FindMark(0, 5, found));
        TTextMark* mark = memo.AddMark(5, 3, 1);
        EXPECT_EQ(memo.MarkStart(mark), 5);
        EXPECT_EQ(memo.MarkEnd(mark), 8);
        EXPECT_EQ(mark->Kind, 0);
        Select(memo, 0, 0);
        Insert(memo, "ab");
        EXPECT_EQ(memo.MarkStart(mark), 7);
        EXPECT_EQ(memo.MarkEnd(mark), 10);
        // Typing at the mark's end extends it.
        Select(memo, 10, 10);
        char key = 'Q';
        memo.KeyPress(key);
        EXPECT_EQ(memo.MarkEnd(mark), 11);
        EXPECT_EQ(log.Take(), (Log{"mark change 1", "mark change 1"}));
        EXPECT_TRUE(memo.FindMark(8, 1, found));
        EXPECT_EQ(found, mark);

        // Moves keep the marks sorted; past the end the old end becomes the start.
        TTextMark* other = memo.AddMark(2, 2, 2);
        memo.SetMarkStart(mark, 15);
        EXPECT_EQ(memo.MarkStart(mark), 11);
        EXPECT_EQ(memo.MarkEnd(mark), 15);
        memo.SetMarkEnd(other, 20);
        EXPECT_EQ(memo.TextMarks()->First(), other);
        EXPECT_EQ(other->Next(), mark);
        log.Take();

        // A deletion covering a mark frees it once; the handle then means nothing to the control.
        Select(memo, 10, 16);
        Insert(memo, nullptr);
        EXPECT_EQ(log.Take(), (Log{"mark free 1", "mark change 2"}));
        EXPECT_EQ(memo.MarkStart(mark), -1);
        memo.SetMarkStart(mark, 3);
        memo.DeleteMark(mark);
        EXPECT_TRUE(log.Take().empty());
        EXPECT_EQ(memo.MarkStart(other), 2);
        EXPECT_EQ(memo.MarkEnd(other), 14);

        memo.AddMark(1, 1, 3);
        memo.AddMark(9, 1, 4);
        memo.DeleteMark(other);
        EXPECT_EQ(log.Take(), (Log{"mark free 2"}));
        // Marks survive the text becoming empty only when nothing covered them.
        memo.AddMark(memo.TextLength(), 0, 5);
    }
    // The control frees the rest from the last to the first, each announced.
    EXPECT_EQ(log.Take(), (Log{"mark free 5", "mark free 4", "mark free 3"}));
}

TEST(CodeMemoBookmarks, MarkedRangesArePaintedUntilCleared)
{
    std::vector<std::pair<TRect, TTextMark*>> drawn;
    std::vector<TTextMark*> freed;
    TCodeMemo memo;
    memo.HideSelection = false;
    memo.resize(400, 100);
    memo.show();
    QApplication::processEvents();
    SetText(memo, "hello world\rsecond line\r");
    memo.OnDrawMark = [&](TCustomCodeMemo*, QPainter* dc, const TRect* rect, TTextMark* mark) {
        EXPECT_NE(dc, nullptr);
        drawn.push_back({*rect, mark});
    };
    memo.OnMarkFree = [&](TCustomCodeMemo*, TTextMark* m) { freed.push_back(m); };
    TTextMark* match = memo.MarkRange(6, 5, 1);
    EXPECT_EQ(match->Kind, 1);
    // Adding a mark paints at once.
    EXPECT_EQ(drawn.size(), 1u);
    drawn.clear();
    memo.RequestFullRepaint();
    memo.Paint();
    ASSERT_EQ(drawn.size(), 1u);
    const TLineRecord* record = memo.FirstRecord();
    const int lh = memo.LineHeight();
    EXPECT_EQ(drawn[0].second, match);
    EXPECT_EQ(drawn[0].first, (TRect{memo.PixelOfColumn(6, record), 0, memo.PixelOfColumn(11, record), lh - 1}));

    // A mark on the second line is drawn on its row.
    TTextMark* second = memo.MarkRange(12, 6, 1);
    drawn.clear();
    memo.RequestFullRepaint();
    memo.Paint();
    ASSERT_EQ(drawn.size(), 2u);
    EXPECT_EQ(drawn[1].second, second);
    EXPECT_EQ(drawn[1].first.Top, lh);

    memo.ClearMarks();
    EXPECT_EQ(freed, (std::vector<TTextMark*>{second, match}));
    drawn.clear();
    memo.RequestFullRepaint();
    memo.Paint();
    EXPECT_TRUE(drawn.empty());
}

// Random typing, pasting and deleting through the control over random marks and named bookmarks:
// they stay equal to a plain model of offsets, and every one that goes is announced exactly once.
TEST(CodeMemoBookmarks, RandomEditsKeepMarksLikeAModelOfOffsets)
{
    std::mt19937 rng(7031);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TMarksModel model;
    std::multiset<uint32_t> freed;
    std::multiset<std::string> freedNames;
    std::map<uint32_t, TTextMark*> handles;
    TCodeMemo memo;
    memo.OnMarkFree = [&](TCustomCodeMemo*, TTextMark* m) { freed.insert(m->Data); };
    memo.OnCustomBookmarkFree = [&](TCustomCodeMemo*, const std::string& n) { freedNames.insert(n); };
    SetText(memo, numberedLines(30));
    uint32_t nextId = 1;
    for (int step = 0; step < 2500; ++step) {
        const int length = memo.TextLength();
        int what = pick(0, 9);
        if (what <= 1 || model.Marks.size() < 3) {
            int start = pick(0, length), len = pick(0, 12);
            handles[nextId] = memo.AddMark(start, len, nextId);
            model.Marks[nextId++] = {start, start + len};
        } else if (what == 2) {
            std::string name = "n" + std::to_string(pick(0, 15));
            int pos = pick(0, length);
            memo.AddNamedBookmark(name, pos);
            model.Names[name] = pos;
        } else {
            // Replace a random selection (often empty) with a random text (often empty).
            int s = pick(0, length);
            int e = what <= 5 ? s : std::min(length, s + pick(1, 15));
            std::string text = what % 2 ? std::string(static_cast<size_t>(pick(1, 6)), 'k') : "";
            if (pick(0, 4) == 0 && !text.empty())
                text[0] = '\r';
            if (s == e && text.empty())
                continue;
            Select(memo, s, e);
            Insert(memo, text.c_str());
            if (e > s)
                model.Delete(s, e - s, e - s == length);
            if (!text.empty())
                model.Insert(s, static_cast<int>(text.size()));
            ASSERT_EQ(memo.TextLength(), length - (e - s) + static_cast<int>(text.size())) << "step " << step;
        }
        ASSERT_EQ(memo.TextMarks()->Count(), static_cast<int>(model.Marks.size())) << "step " << step;
        for (const auto& [id, r] : model.Marks) {
            ASSERT_LE(r.Start, r.End);
            ASSERT_EQ(memo.MarkStart(handles[id]), r.Start) << "step " << step << " mark " << id;
            ASSERT_EQ(memo.MarkEnd(handles[id]), r.End) << "step " << step << " mark " << id;
        }
        ASSERT_EQ(memo.NamedBookmarks().Count(), static_cast<int>(model.Names.size())) << "step " << step;
        for (const auto& [name, p] : model.Names)
            ASSERT_EQ(memo.NamedBookmarks().Find(name)->Position(), p) << "step " << step << " " << name;
        ASSERT_EQ(freed, model.FreedMarks) << "step " << step;
        ASSERT_EQ(freedNames, model.FreedNames) << "step " << step;
    }
    EXPECT_GT(freed.size(), 30u);
    EXPECT_GT(freedNames.size(), 5u);
    memo.OnMarkFree = nullptr;
    memo.OnCustomBookmarkFree = nullptr;
}
