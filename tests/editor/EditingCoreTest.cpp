// Tests of the editing core: insertion in chunks, deletion, loading from streams, block indentation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "editor/model/EditingCore.h"

namespace {

struct TextChange {
    int Start;
    int Extent;
    bool operator==(const TextChange&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TextChange& c)
{
    return os << "(" << c.Start << ", " << c.Extent << ")";
}

// An editor whose hooks write down what the core asked of them.
class TestMemo : public TCodeMemoCore {
public:
    TestMemo()
    {
        OnTextChange = [this](TCodeMemoCore* sender, int start, int extent) {
            EXPECT_EQ(sender, this);
            changes.push_back({start, extent});
        };
    }

    std::vector<TextChange> changes;
    std::vector<std::string> calls;
    uint32_t options = 0x3FFDBF0;
    int step = 1;
    int rewraps = 0;

    using TCodeMemoCore::FCaretBeyondEOL;
    using TCodeMemoCore::FWantedColumn;
    using TCodeMemoCore::FRememberedColumn;
    using TCodeMemoCore::FRedraw;
    using TCodeMemoCore::SyncTopRecord;
    using TCodeMemoCore::FillToColumn;

    void load(const std::string& text)
    {
        SetSelection(0, TextLength());
        InsertText(text.c_str());
        changes.clear();
        calls.clear();
        FHighlightStart = nullptr;
    }

    std::vector<std::string> records() const
    {
        std::vector<std::string> texts;
        for (TLineRecord* r = FirstRecord(); r; r = r->Next)
            texts.emplace_back(r->View());
        return texts;
    }

    TLineRecord* record(int index) const
    {
        TLineRecord* r = FirstRecord();
        while (r && index-- > 0)
            r = r->Next;
        return r;
    }

protected:
    void openUndoGroup(int kind) override { calls.push_back("open " + std::to_string(kind)); }
    void closeUndoGroup(int kind) override { calls.push_back("close " + std::to_string(kind)); }
    void logReplaceStart(std::string_view text) override
    {
        calls.push_back("replace [" + std::string(text) + "] over [" +
                        StoredText(OrderedSelection().Start, OrderedSelection().End) + "]");
    }
    void logReplaceEnd() override { calls.push_back("replaced"); }
    void logInsertion(int offset, std::string_view chars) override
    {
        calls.push_back("insert " + std::to_string(offset) + " [" + std::string(chars) + "]");
    }
    void logRemoval(int offset, std::string_view chars) override
    {
        calls.push_back("remove " + std::to_string(offset) + " [" + std::string(chars) + "]");
    }
    void clearUndoLog() override { calls.push_back("clear log"); }
    void adjustMarksForInsert(int offset, int count) override
    {
        calls.push_back("marks +" + std::to_string(offset) + "," + std::to_string(count));
    }
    void adjustMarksForDelete(int start, int count) override
    {
        calls.push_back("marks -" + std::to_string(start) + "," + std::to_string(count));
    }
    void clearNamedBookmarks() override { calls.push_back("clear bookmarks"); }
    void rewrapAll() override
    {
        ++rewraps;
        TCodeMemoCore::rewrapAll();
    }
    void rewrapLines(TLineRecord* first, TLineRecord* last) override
    {
        calls.push_back("rewrap [" + std::string(first ? first->View() : "nil") + "].." + "[" +
                        std::string(last ? last->View() : "nil") + "]");
    }
    void highlightPending() override { calls.push_back("highlight"); }
    void notifyChange() override
    {
        calls.push_back("change " + std::to_string(ChangeBits()));
        TCodeMemoCore::notifyChange();
    }
    void setRedraw(bool on) override
    {
        calls.push_back(on ? "redraw on" : "redraw off");
        TCodeMemoCore::setRedraw(on);
    }
    void revealOffset(int offset) override { calls.push_back("reveal " + std::to_string(offset)); }
    void requestFullRepaint() override { calls.push_back("full repaint"); }
    uint32_t optionWord() const override { return options; }
    int indentStep() const override { return step; }
};

bool contains(const std::vector<std::string>& calls, const std::string& call)
{
    return std::find(calls.begin(), calls.end(), call) != calls.end();
}

// Checks every invariant of the store against the expected text.
::testing::AssertionResult storeHolds(TCodeMemoCore& memo, const std::string& expected)
{
    std::string text;
    int count = 0;
    int greatest = 0;
    TLineRecord* prev = nullptr;
    for (TLineRecord* r = memo.FirstRecord(); r; prev = r, r = r->Next) {
        ++count;
        auto where = [count] { return "record " + std::to_string(count - 1); };
        if (r->Prev != prev)
            return ::testing::AssertionFailure() << where() << ": broken back link";
        if (r->Len < 1 || r->Len > kRecordCut)
            return ::testing::AssertionFailure() << where() << ": length " << r->Len;
        if (r->Text[r->Len] != '\0')
            return ::testing::AssertionFailure() << where() << ": not NUL-terminated";
        std::string_view view = r->View();
        auto cr = view.find('\r');
        if (cr != std::string_view::npos && cr != view.size() - 1)
            return ::testing::AssertionFailure() << where() << ": CR inside the record";
        if (view.find('\0') != std::string_view::npos)
            return ::testing::AssertionFailure() << where() << ": NUL inside the record";
        bool tab = view.find('\t') != std::string_view::npos;
        if (tab != ((r->Flags & lfHasTab) != 0))
            return ::testing::AssertionFailure() << where() << ": TAB flag " << r->Flags;
        bool continues = prev && !prev->EndsWithCR();
        if (continues != ((r->MarkBits & mbContinuation) != 0))
            return ::testing::AssertionFailure() << where() << ": continuation mark " << r->MarkBits;
        greatest = std::max<int>(greatest, r->Len);
        text += view;
    }
    if (text != expected)
        return ::testing::AssertionFailure() << "text differs at "
                                             << std::mismatch(text.begin(), text.end(), expected.begin(),
                                                              expected.end()).first - text.begin()
                                             << " (lengths " << text.size() << ", " << expected.size() << ")";
    if (memo.TextLength() != static_cast<int>(text.size()))
        return ::testing::AssertionFailure() << "text length " << memo.TextLength();
    if (memo.RecordCount() != count)
        return ::testing::AssertionFailure() << "record count " << memo.RecordCount() << " of " << count;
    if (memo.GreatestRecordLength() != greatest)
        return ::testing::AssertionFailure() << "greatest length " << memo.GreatestRecordLength() << " of "
                                             << greatest;
    if (memo.Anchor() < 0 || memo.Caret() > memo.TextLength() || memo.Caret() < 0 ||
        memo.Anchor() > memo.TextLength())
        return ::testing::AssertionFailure() << "selection outside the text";
    return ::testing::AssertionSuccess();
}

std::string normalised(const std::string& source)
{
    if (source.empty())
        return source;
    std::string dest(source.size() + 1, '\0');
    dest.resize(static_cast<size_t>(NormaliseText(dest.data(), source.data(), static_cast<int>(source.size()))));
    return dest;
}

// The starts of the lines that a block command on [s, e) touches.
std::vector<size_t> blockLineStarts(const std::string& text, int s, int e)
{
    size_t cr = s > 0 ? text.rfind('\r', static_cast<size_t>(s - 1)) : std::string::npos;
    std::vector<size_t> starts{cr == std::string::npos ? 0 : cr + 1};
    for (size_t at = text.find('\r', starts.back()); at != std::string::npos && static_cast<int>(at) + 1 < e;
         at = text.find('\r', at + 1))
        starts.push_back(at + 1);
    return starts;
}

} // namespace

TEST(EditingCore, TypingInsideALineChangesOnlyThatRecord)
{
    TestMemo memo;
    memo.load("abc\rdef\rghi");
    TLineRecord* before = memo.record(0);
    TLineRecord* line = memo.record(1);
    TLineRecord* after = memo.record(2);
    before->Flags = after->Flags = 0;
    line->Flags = 0;
    line->Styles.reset(new uint8_t[4]);

    memo.SetSelection(6, 6);
    memo.InsertText("X");
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{6, 1}}));
    EXPECT_EQ(memo.records(), (std::vector<std::string>{"abc\r", "deXf\r", "ghi"}));
    EXPECT_EQ(memo.record(1), line); // the same record, changed in place
    EXPECT_EQ(line->Styles, nullptr);
    EXPECT_EQ(line->Flags, lfStylesChanged | lfChanged);
    EXPECT_EQ(before->Flags, 0u);
    EXPECT_EQ(after->Flags, 0u);
    EXPECT_EQ(memo.HighlightStart(), line);
    EXPECT_EQ(memo.Anchor(), 7);
    EXPECT_EQ(memo.Caret(), 7);
    EXPECT_EQ(memo.FRememberedColumn, 3);
    EXPECT_EQ(memo.calls, (std::vector<std::string>{"open 21", "replace [X] over []", "marks +6,1", "replaced",
                                                    "highlight", "close 21"}));

    memo.SetSelection(6, 6);
    memo.InsertText("\t");
    EXPECT_NE(line->Flags & lfHasTab, 0u);
    // A line break splits the record; an LF typed alone is stored as CR.
    memo.SetSelection(1, 1);
    memo.InsertText("\n");
    EXPECT_TRUE(storeHolds(memo, "a\rbc\rde\tXf\rghi"));
}

TEST(EditingCore, LongInsertionsGoInChunksOf8192)
{
    TestMemo memo;
    std::string text(20000, 'x');
    EXPECT_EQ(memo.InsertAtCaret(text.c_str()), 20000);
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{0, 8192}, {8192, 8192}, {16384, 3616}}));
    EXPECT_EQ(memo.Caret(), 20000);
    EXPECT_EQ(memo.Anchor(), 20000);
    std::vector<int> lengths;
    for (TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
        lengths.push_back(r->Len);
    EXPECT_EQ(lengths, (std::vector<int>{2047, 2047, 2047, 2047, 2047, 2047, 2047, 2047, 2047, 1577}));
    EXPECT_TRUE(storeHolds(memo, text));

    TestMemo line;
    line.InsertText(std::string(5000, 'y').c_str());
    EXPECT_EQ(line.records(), (std::vector<std::string>{std::string(2047, 'y'), std::string(2047, 'y'),
                                                        std::string(906, 'y')}));
    EXPECT_EQ(line.record(0)->MarkBits, 0);
    EXPECT_EQ(line.record(1)->MarkBits, mbContinuation);
    EXPECT_EQ(line.record(2)->MarkBits, mbContinuation);

    EXPECT_EQ(memo.InsertAtCaret(nullptr), 0);
    EXPECT_EQ(memo.InsertAtCaret("", 0), 0);
    EXPECT_EQ(memo.InsertAtCaret("abc", 0), 0);
}

TEST(EditingCore, ALineBreakPairAtAChunkCutStaysOneBreak)
{
    for (const char* pair : {"\r\n", "\n\r"}) {
        TestMemo memo;
        std::string text(20000, 'x');
        text[8191] = pair[0];
        text[8192] = pair[1];
        memo.InsertAtCaret(text.c_str());
        EXPECT_EQ(memo.changes, (std::vector<TextChange>{{0, 8191}, {8191, 8191}, {16382, 3617}}));
        std::string expected = std::string(8191, 'x') + "\r" + std::string(20000 - 8193, 'x');
        EXPECT_TRUE(storeHolds(memo, expected));
    }
}

TEST(EditingCore, ChunkedInsertionAndLoadingNormaliseLikeOneBlock)
{
    std::mt19937 random(1234);
    const char alphabet[] = {'\r', '\n', 'a', '\r', '\n', '\t', '\x01', '\0'};
    for (int round = 0; round < 20; ++round) {
        std::string text(static_cast<size_t>(17000 + random() % 9000), 'a');
        for (char& c : text)
            c = alphabet[random() % sizeof alphabet];
        TestMemo memo;
        int inserted = memo.InsertAtCaret(text.data(), static_cast<int>(text.size()));
        std::string expected = normalised(text);
        EXPECT_EQ(inserted, static_cast<int>(expected.size()));
        ASSERT_TRUE(storeHolds(memo, expected)) << "round " << round;

        // Loading the same bytes from a stream gives the same text.
        TestMemo loaded;
        TMemoryStream stream;
        stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
        stream.SetPosition(0);
        loaded.InsertStream(stream);
        ASSERT_TRUE(storeHolds(loaded, expected)) << "round " << round;
    }
}

// A memory stream that hands out at most `limit` bytes a read, so that a load goes in chunks of that
// size or less.
class ShortReadStream : public TMemoryStream {
public:
    int64_t limit = 8193;
    int64_t Read(void* buffer, int64_t count) override { return TMemoryStream::Read(buffer, std::min(count, limit)); }
};

// The record lengths of the whole text cut in one go.
std::vector<int> lengthsCutInOneGo(const std::string& text)
{
    std::vector<int> lengths;
    if (text.empty())
        return lengths;
    TRecordChain chain = CutIntoRecords(text.data(), static_cast<int>(text.size()));
    for (TLineRecord* r = chain.First; r; r = r->Next)
        lengths.push_back(r->Len);
    FreeLineChain(chain.First);
    return lengths;
}

std::vector<int> recordLengths(const TCodeMemoCore& memo)
{
    std::vector<int> lengths;
    for (TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
        lengths.push_back(r->Len);
    return lengths;
}

TEST(EditingCore, LoadingLongLinesInChunksCutsThemAsOneInsertion)
{
    std::mt19937 random(98);
    // Lengths at and around the record limit and its multiples, and some anywhere.
    auto lineLength = [&random] {
        const int near[] = {1, kRecordCut - 1, kRecordCut, kRecordCut + 1, 2 * kRecordCut, 2 * kRecordCut + 1,
                            5 * kRecordCut - 1};
        return random() % 3 == 0 ? 1 + static_cast<int>(random() % 30000)
                                 : std::max(1, near[random() % std::size(near)] + static_cast<int>(random() % 5) - 2);
    };
    auto someLines = [&](int count, bool endWithBreak) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text.append(static_cast<size_t>(lineLength()), static_cast<char>('a' + random() % 26));
            if (i + 1 < count || endWithBreak)
                text += '\r';
        }
        return text;
    };
    for (int round = 0; round < 60; ++round) {
        // One long line alone, or a few lines, loaded into an empty editor or over a selection inside
        // a line of a text already there.
        const std::string data = round % 4 == 0 ? std::string(static_cast<size_t>(20 * kRecordCut + random() % 9000), 'x')
                                                : someLines(1 + static_cast<int>(random() % 4), random() % 2 == 0);
        std::string before;
        std::string expected = data;
        TestMemo memo;
        if (round % 2 == 1) {
            before = someLines(3, false);
            memo.load(before);
            const int start = static_cast<int>(random() % (before.size() + 1));
            const int end = start + static_cast<int>(random() % (before.size() - start + 1));
            memo.SetSelection(start, end);
            expected = before.substr(0, static_cast<size_t>(start)) + data + before.substr(static_cast<size_t>(end));
        }
        ShortReadStream stream;
        stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
        stream.SetPosition(0);
        const int limits[] = {1, 2, 100, kRecordCut, kRecordCut + 1, 4096, 8193};
        stream.limit = random() % 2 ? limits[random() % std::size(limits)] : 1 + static_cast<int64_t>(random() % 8193);
        if (stream.limit < 50 && data.size() > 20000)
            stream.limit = 50;
        memo.InsertStream(stream);
        ASSERT_TRUE(storeHolds(memo, expected)) << "round " << round;
        EXPECT_EQ(recordLengths(memo), lengthsCutInOneGo(expected))
            << "round " << round << ", reads of " << stream.limit << ", " << data.size() << " bytes over "
            << before.size();
    }
}

TEST(EditingCore, DeletingMergesRecordsAroundTheRange)
{
    TestMemo memo;
    memo.load("abc\rdef\rghi\r");
    memo.record(0)->MarkBits = 5;
    memo.record(0)->GlyphBits = 7;
    TLineTrack track;
    memo.record(0)->Track = &track;
    track.Record = memo.record(0);
    memo.record(1)->MarkBits = 2;

    memo.SetSelection(7, 2); // from "c" to the second CR, held backwards
    memo.DeleteSelection();
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{2, -5}}));
    EXPECT_EQ(memo.records(), (std::vector<std::string>{"ab\r", "ghi\r"}));
    TLineRecord* joined = memo.record(0);
    EXPECT_EQ(joined->MarkBits, 5);
    EXPECT_EQ(joined->GlyphBits, 7);
    EXPECT_EQ(joined->Track, &track);
    EXPECT_EQ(track.Record, joined);
    EXPECT_EQ(joined->Flags, lfChanged);
    EXPECT_EQ(memo.HighlightStart(), joined);
    EXPECT_TRUE(contains(memo.calls, "marks -2,5"));
    EXPECT_TRUE(storeHolds(memo, "ab\rghi\r"));
    joined->Track = nullptr;

    // Removing the line break joins two lines.
    memo.SetSelection(2, 3);
    memo.DeleteSelection();
    EXPECT_TRUE(storeHolds(memo, "abghi\r"));
    EXPECT_EQ(memo.RecordCount(), 1);

    // An empty selection deletes nothing.
    memo.changes.clear();
    memo.SetSelection(3, 3);
    memo.DeleteSelection();
    EXPECT_TRUE(memo.changes.empty());
}

TEST(EditingCore, DeletingTheLastLineLeavesNoEmptyRecord)
{
    TestMemo memo;
    memo.load("abc\rdef");
    memo.SetSelection(4, 7);
    memo.DeleteSelection();
    EXPECT_EQ(memo.records(), (std::vector<std::string>{"abc\r"}));
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{4, -3}}));
    EXPECT_TRUE(storeHolds(memo, "abc\r"));

    // Typing after the final line break starts a new record again.
    memo.SetSelection(4, 4);
    memo.InsertText("z");
    EXPECT_EQ(memo.records(), (std::vector<std::string>{"abc\r", "z"}));
}

TEST(EditingCore, DeletingEverythingEmptiesTheStore)
{
    TestMemo memo;
    memo.load("abc\rdef\rg");
    memo.View().TopLine = 2;
    memo.SyncTopRecord();
    memo.SetSelection(0, 9);
    memo.DeleteSelection();
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{0, 0}}));
    EXPECT_EQ(memo.FirstRecord(), nullptr);
    EXPECT_EQ(memo.RecordCount(), 0);
    EXPECT_EQ(memo.TextLength(), 0);
    EXPECT_EQ(memo.GreatestRecordLength(), 0);
    EXPECT_EQ(memo.View().TopLine, 0);
    EXPECT_EQ(memo.View().TopRecord, nullptr);
    EXPECT_EQ(memo.Anchor(), 0);
    EXPECT_EQ(memo.Caret(), 0);
    EXPECT_TRUE(contains(memo.calls, "clear bookmarks"));

    memo.load("abc");
    memo.Clear();
    EXPECT_EQ(memo.FirstRecord(), nullptr);
    EXPECT_EQ(memo.calls.front(), "redraw off");
    EXPECT_TRUE(contains(memo.calls, "redraw on"));
    EXPECT_EQ(memo.calls.back(), "clear log");
    EXPECT_TRUE(memo.FRedraw);
}

TEST(EditingCore, ReplacingTheSelectionDeletesThenInserts)
{
    TestMemo memo;
    memo.load("one\rtwo\rthree");
    memo.SetSelection(10, 2);
    memo.InsertText("N\r\nM");
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{2, -8}, {2, 3}}));
    EXPECT_TRUE(storeHolds(memo, "onN\rMree"));
    EXPECT_EQ(memo.Anchor(), 5);
    EXPECT_EQ(memo.Caret(), 5);
    EXPECT_EQ(memo.calls, (std::vector<std::string>{"open 21", "replace [N\r\nM] over [e\rtwo\rth]", "marks -2,8",
                                                    "full repaint", "marks +2,3", "replaced", "highlight",
                                                    "close 21"}));

    // Nil only deletes.
    memo.SetSelection(0, 2);
    memo.InsertText(nullptr);
    EXPECT_TRUE(storeHolds(memo, "N\rMree"));
    // With a length, a NUL inside the text is kept as a dot.
    memo.SetSelection(0, 0);
    memo.InsertText("a\0b", 3);
    EXPECT_TRUE(storeHolds(memo, "a.bN\rMree"));
}

TEST(EditingCore, TypingBeyondTheLineEndFillsUpToTheWantedColumn)
{
    TestMemo memo;
    memo.load("ab\rcd");
    memo.SetSelection(2, 2);
    memo.FCaretBeyondEOL = true;
    memo.FWantedColumn = 10;
    memo.InsertText("x");
    // TABs up to the last tab stop not beyond column 10 (stops every 4), then blanks.
    EXPECT_TRUE(storeHolds(memo, "ab\t\t  x\rcd"));
    EXPECT_FALSE(memo.FCaretBeyondEOL);
    EXPECT_EQ(memo.FWantedColumn, 11);
    EXPECT_EQ(memo.FRememberedColumn, 11);
    EXPECT_EQ(memo.Caret(), 7);

    memo.options &= ~0x1000000u; // no smart fill: blanks only
    memo.SetSelection(10, 10);
    memo.FCaretBeyondEOL = true;
    memo.FWantedColumn = 5;
    memo.InsertText("y");
    EXPECT_TRUE(storeHolds(memo, "ab\t\t  x\rcd   y"));
    EXPECT_EQ(memo.FillToColumn(5, 3), "");
}

TEST(EditingCore, InsertStreamLoadsTheRestOfTheStreamInChunks)
{
    TestMemo memo;
    memo.load("old text");
    memo.SetSelection(0, 8);
    std::string data = "skip|";
    data += std::string(8191, 'a') + "\n\r" + std::string(100, 'b') + std::string("\0c\r\n", 4) + "end";
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), static_cast<int64_t>(data.size()));
    stream.SetPosition(5);
    memo.InsertStream(stream);
    std::string expected = std::string(8191, 'a') + "\r" + std::string(100, 'b') + ".c\rend";
    EXPECT_TRUE(storeHolds(memo, expected));
    EXPECT_EQ(stream.GetPosition(), static_cast<int64_t>(data.size()));
    // The LF CR pair fell on the cut: the first chunk stops before it.
    // The old text went whole, then the stream came in two chunks.
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{0, 0}, {0, 8191}, {8191, 107}}));
    EXPECT_EQ(memo.calls.back(), "change 1");
    EXPECT_EQ(memo.ChangeBits(), 0u);
    EXPECT_EQ(memo.Caret(), static_cast<int>(expected.size()));

    // An exhausted stream only deletes the selection.
    memo.SetSelection(0, 8191);
    memo.InsertStream(stream);
    EXPECT_TRUE(storeHolds(memo, expected.substr(8191)));
}

TEST(EditingCore, InsertingAboveTheViewForgetsTheTopRecord)
{
    TestMemo memo;
    memo.load("a\rb\rc\rd\r");
    memo.View().TopLine = 2;
    memo.SyncTopRecord();
    EXPECT_EQ(memo.View().TopRecord, memo.record(2));
    EXPECT_EQ(memo.View().TopOffset, 4);

    memo.SetSelection(6, 6); // below the top: the cache stays
    memo.InsertText("x");
    EXPECT_EQ(memo.View().TopRecord, memo.record(2));
    memo.SetSelection(4, 4); // at the top record's start it is replaced in place
    memo.InsertText("\r");
    EXPECT_EQ(memo.View().TopRecord, memo.record(2));
    memo.SetSelection(0, 0);
    memo.InsertText("y");
    EXPECT_EQ(memo.View().TopRecord, nullptr);
}

TEST(EditingCore, EditsThatLeaveLongRecordsCutThemAgain)
{
    TestMemo memo;
    std::string half(1500, 'h');
    memo.load(half + "\r" + half + "\r");
    memo.SetSelection(1500, 1501);
    memo.DeleteSelection();
    // Without word wrap only the line holding the long record is cut again, as loading cuts it.
    EXPECT_EQ(memo.rewraps, 0);
    EXPECT_TRUE(storeHolds(memo, half + half + "\r"));
    EXPECT_EQ(memo.records(), (std::vector<std::string>{std::string(2047, 'h'), std::string(953, 'h') + "\r"}));

    // Typing into a full piece makes it 2048 long for a moment.
    memo.SetSelection(10, 10);
    memo.InsertText("t");
    EXPECT_EQ(memo.rewraps, 0);
    EXPECT_TRUE(storeHolds(memo, half.substr(0, 10) + "t" + half.substr(10) + half + "\r"));
    EXPECT_EQ(memo.record(0)->Len, 2047);

    // Word wrap re-cuts the lines an edit touched.
    memo.options |= 0x400;
    memo.calls.clear();
    memo.SetSelection(0, 0);
    memo.InsertText("\r");
    EXPECT_TRUE(contains(memo.calls, "rewrap [\r]..[" + std::string(memo.record(1)->View()) + "]"));
}

// An indent that makes many full records too long: each of their lines is cut again as loading cuts
// it, whether the edit made fewer records too long than are noted one by one (100) or more (300); the
// lines after the selection keep their records.
TEST(EditingCore, AnIndentThatLengthensManyFullRecordsCutsEachOfTheirLinesAgain)
{
    for (int lines : {100, 300}) {
        TestMemo memo;
        const std::string full = std::string(kRecordCut - 1, 'f') + "\r";
        std::string text;
        for (int i = 0; i < lines + 2; ++i)
            text += full;
        memo.load(text);
        const TLineRecord* after = memo.record(lines);
        memo.SetSelection(0, lines * kRecordCut);
        memo.IndentBlock(1, 0);
        std::string model;
        for (int i = 0; i < lines; ++i)
            model += " " + full;
        model += full + full;
        ASSERT_TRUE(storeHolds(memo, model)) << lines << " lines";
        TestMemo loaded;
        loaded.load(model);
        EXPECT_EQ(memo.records(), loaded.records()) << lines << " lines";
        EXPECT_EQ(memo.record(2 * lines), after) << lines << " lines";

        // Typing into one of the full pieces cuts only its line again.
        const TLineRecord* next = memo.record(4);
        memo.SetSelection(kRecordCut + 5, kRecordCut + 5);
        memo.InsertText("t");
        model.insert(kRecordCut + 5, 1, 't');
        ASSERT_TRUE(storeHolds(memo, model)) << lines << " lines";
        EXPECT_EQ(memo.record(2)->Len, kRecordCut);
        EXPECT_EQ(memo.record(3)->View(), "f\r");
        EXPECT_EQ(memo.record(4), next);
    }
}

TEST(EditingCore, IndentPutsTheStepBeforeEverySelectedLine)
{
    TestMemo memo;
    memo.load("ab\rcd\ref\r");
    for (int i = 0; i < 3; ++i)
        memo.record(i)->Flags = 0;
    memo.SetSelection(1, 6); // the end stands at the very start of "ef": that line stays
    memo.IndentBlock(2, 0);
    EXPECT_TRUE(storeHolds(memo, "  ab\r  cd\ref\r"));
    EXPECT_EQ(memo.Anchor(), 1);
    EXPECT_EQ(memo.Caret(), 10);
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{5, 2}, {10, 2}}));
    EXPECT_EQ(memo.calls, (std::vector<std::string>{"open 17", "marks +0,2", "insert 0 [  ]", "marks +5,2",
                                                    "insert 5 [  ]", "reveal 10", "close 17"}));
    EXPECT_EQ(memo.ChangeBits(), 3u);
    EXPECT_EQ(memo.HighlightStart(), memo.record(0));
    EXPECT_EQ(memo.record(2)->Flags & (lfStylesChanged | lfChanged), lfStylesChanged | lfChanged);

    // TABs only when allowed and in use; the step defaults to the settings' indent step.
    memo.SetSelection(12, 0);
    memo.step = 3;
    memo.IndentBlock(0, 1);
    EXPECT_TRUE(storeHolds(memo, "\t\t\t  ab\r\t\t\t  cd\r\t\t\tef\r"));
    EXPECT_EQ(memo.Caret(), 0);
    EXPECT_EQ(memo.Anchor(), 21);
    EXPECT_EQ(memo.calls.back(), "close 17");
    EXPECT_TRUE(contains(memo.calls, "reveal 0"));

    memo.options &= ~0x800000u;
    memo.SetSelection(0, 1);
    memo.IndentBlock(1, 1);
    EXPECT_TRUE(storeHolds(memo, " \t\t\t  ab\r\t\t\t  cd\r\t\t\tef\r"));

    memo.changes.clear();
    memo.SetSelection(3, 3);
    memo.IndentBlock(2, 0);
    EXPECT_TRUE(memo.changes.empty());
}

TEST(EditingCore, UnindentTakesOnlyLeadingBlanks)
{
    TestMemo memo;
    std::string nbsp(1, static_cast<char>(160));
    memo.load(" ab\r\t\tcd\r   ef\r\r" + nbsp + "x\ry");
    memo.SetSelection(0, 20);
    memo.UnindentBlock(2);
    EXPECT_TRUE(storeHolds(memo, "ab\rcd\r ef\r\rx\ry"));
    // Each change is reported at the end of its line.
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{3, -1}, {6, -2}, {10, -2}, {13, -1}}));
    EXPECT_EQ(memo.calls, (std::vector<std::string>{"open 18", "marks -0,1", "remove 0 [ ]", "marks -3,2",
                                                    "remove 3 [\t\t]", "marks -6,2", "remove 6 [  ]",
                                                    "marks -11,1", "remove 11 [" + nbsp + "]", "reveal 14",
                                                    "close 18"}));
    EXPECT_EQ(memo.Caret(), 14);
    EXPECT_EQ(memo.record(1)->Flags & lfHasTab, 0u);

    // Nothing to take: no undo group at all.
    memo.calls.clear();
    memo.SetSelection(0, 3);
    memo.UnindentBlock(2);
    EXPECT_FALSE(contains(memo.calls, "open 18"));

    // A last line of nothing but blanks goes whole.
    memo.load("ab\r  ");
    memo.SetSelection(0, 5);
    memo.UnindentBlock(4);
    EXPECT_TRUE(storeHolds(memo, "ab\r"));
    // A line's first piece of two blanks goes whole; the step goes on into the next piece.
    memo.load(" " + std::string(2045, 'x') + "   z\r");
    memo.SetSelection(1, 2046);
    memo.DeleteSelection();
    ASSERT_EQ(memo.records(), (std::vector<std::string>{"  ", "  z\r"}));
    memo.SetSelection(0, 1);
    memo.UnindentBlock(3);
    EXPECT_TRUE(storeHolds(memo, " z\r"));

    memo.load("  ");
    memo.SetSelection(0, 2);
    memo.UnindentBlock(4);
    EXPECT_EQ(memo.FirstRecord(), nullptr);
    EXPECT_EQ(memo.changes, (std::vector<TextChange>{{0, 0}}));
}

TEST(EditingCore, RandomEditsKeepTheStoreEqualToAPlainString)
{
    std::mt19937 random(20240611);
    TestMemo memo;
    std::string model;
    int tracked = 0; // the text length as the change events tell it
    memo.OnTextChange = [&](TCodeMemoCore*, int start, int extent) {
        EXPECT_GE(start, 0);
        if (start == 0 && extent == 0)
            tracked = 0;
        else
            tracked += extent;
    };
    const char pieces[] = {'a', 'b', '\t', '\r', '\n', 'c', 'd', 'e'};
    for (int step = 0; step < 4000; ++step) {
        int length = static_cast<int>(model.size());
        unsigned kind = random() % 10;
        if (kind < 4 || length == 0) {
            // insert: mostly short, sometimes a long line or a paste of many lines
            int n = kind == 0 ? static_cast<int>(random() % 4000) + 1 : static_cast<int>(random() % 12) + 1;
            std::string text(static_cast<size_t>(n), 'x');
            bool longLine = random() % 3 == 0;
            for (char& c : text)
                c = longLine ? 'l' : pieces[random() % sizeof pieces];
            int at = length ? static_cast<int>(random() % static_cast<unsigned>(length + 1)) : 0;
            memo.SetSelection(at, at);
            memo.InsertText(text.c_str());
            model.insert(static_cast<size_t>(at), normalised(text));
        } else if (kind < 6) {
            // type one character
            int at = static_cast<int>(random() % static_cast<unsigned>(length + 1));
            char c = pieces[random() % sizeof pieces];
            memo.SetSelection(at, at);
            memo.InsertText(std::string(1, c).c_str());
            model.insert(static_cast<size_t>(at), 1, c == '\n' ? '\r' : c);
        } else if (kind < 9 || length > 12000) {
            // delete a range, sometimes a long one, held either way round
            int a = static_cast<int>(random() % static_cast<unsigned>(length + 1));
            int span = random() % 4 == 0 ? static_cast<int>(random() % 5000) : static_cast<int>(random() % 8);
            int b = std::min(length, a + span);
            if (random() % 2)
                memo.SetSelection(b, a);
            else
                memo.SetSelection(a, b);
            memo.DeleteSelection();
            model.erase(static_cast<size_t>(a), static_cast<size_t>(b - a));
        } else if (kind == 9 && random() % 3 == 0 && length > 0) {
            // indent or unindent the lines of a range
            int a = static_cast<int>(random() % static_cast<unsigned>(length));
            int b = std::min(length, a + 1 + static_cast<int>(random() % 300));
            int n = static_cast<int>(random() % 4) + 1;
            std::vector<size_t> starts = blockLineStarts(model, a, b);
            memo.SetSelection(a, b);
            if (random() % 2) {
                memo.IndentBlock(n, 0);
                for (auto it = starts.rbegin(); it != starts.rend(); ++it)
                    model.insert(*it, static_cast<size_t>(n), ' ');
            } else {
                memo.UnindentBlock(n);
                for (auto it = starts.rbegin(); it != starts.rend(); ++it) {
                    size_t k = 0;
                    while (static_cast<int>(k) < n && *it + k < model.size() &&
                           (model[*it + k] == ' ' || model[*it + k] == '\t'))
                        ++k;
                    model.erase(*it, k);
                }
            }
        } else {
            // replace a selection
            int a = static_cast<int>(random() % static_cast<unsigned>(length + 1));
            int b = std::min(length, a + static_cast<int>(random() % 50));
            memo.SetSelection(a, b);
            memo.InsertText("R\r\nS");
            model.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), "R\rS");
        }
        ASSERT_TRUE(storeHolds(memo, model)) << "after step " << step;
        ASSERT_EQ(tracked, memo.TextLength()) << "after step " << step;
    }
}

TEST(EditingCore, TheFileLineOfAnOffsetCountsLineBreaksWhateverTheRecordsAfterAnyEdit)
{
    // The model: line breaks before the offset, the start of its line and its column with TABs every
    // four columns, as a plain string gives them.
    const auto expected = [](const std::string& text, int offset) {
        TFileLineMark place{offset, 0, 0};
        for (int i = 0; i < offset; ++i)
            if (text[static_cast<size_t>(i)] == '\r') {
                ++place.Line;
                place.LineStart = i + 1;
            }
        int column = 0;
        for (int i = place.LineStart; i < offset; ++i)
            column = text[static_cast<size_t>(i)] == '\t' ? (column / 4 + 1) * 4 : column + 1;
        return std::pair{place, column};
    };
    std::mt19937 random(20261209);
    TestMemo memo;
    std::string model;
    const char pieces[] = {'a', 'b', '\t', '\r', 'c', 'd', 'e', 'f'};
    int caret = 0;
    for (int step = 0; step < 1500; ++step) {
        const int length = static_cast<int>(model.size());
        const unsigned kind = random() % 8;
        const int at = static_cast<int>(random() % static_cast<unsigned>(length + 1));
        if (kind < 3 || length == 0) {
            // Lines of several records now and then, typed or pasted.
            const bool longLine = random() % 4 == 0;
            const int n = longLine ? static_cast<int>(random() % 6000) + 1 : static_cast<int>(random() % 6) + 1;
            std::string text(static_cast<size_t>(n), 'l');
            for (char& c : text)
                c = longLine && random() % 500 ? 'l' : pieces[random() % sizeof pieces];
            memo.SetSelection(at, at);
            memo.InsertText(text.c_str());
            model.insert(static_cast<size_t>(at), text);
        } else if (kind < 5) {
            const int b = std::min(length, at + (random() % 5 == 0 ? static_cast<int>(random() % 3000) : 2));
            memo.SetSelection(at, b);
            memo.DeleteSelection();
            model.erase(static_cast<size_t>(at), static_cast<size_t>(b - at));
        } else if (kind == 5) {
            // Many ranges at once, as replace all makes them.
            TRangeEdits edits;
            std::string replaced;
            int from = 0;
            for (int start = at; start + 2 <= length && edits.Count() < 5; start += 3 + static_cast<int>(random() % 200)) {
                const std::string text = random() % 2 ? "\r" : "xy";
                edits.Add(start, 2, text);
                replaced += model.substr(static_cast<size_t>(from), static_cast<size_t>(start - from)) + text;
                from = start + 2;
            }
            if (edits.Empty())
                continue;
            memo.ReplaceRanges(std::move(edits));
            model = replaced + model.substr(static_cast<size_t>(from));
        } else if (kind == 6 && length > 0) {
            const int b = std::min(length, at + 1 + static_cast<int>(random() % 100));
            memo.SetSelection(at, b);
            if (random() % 2) {
                memo.IndentBlock(2, 0);
            } else {
                memo.UnindentBlock(2);
            }
            model = memo.StoredText();
        }
        ASSERT_TRUE(storeHolds(memo, model)) << "after step " << step;
        // The caret moves a little, as typing and the arrow keys take it, and now and then far.
        const int size = static_cast<int>(model.size());
        caret = random() % 8 == 0 ? static_cast<int>(random() % static_cast<unsigned>(size + 1))
                                  : std::clamp(caret + static_cast<int>(random() % 41) - 20, 0, size);
        for (const int offset : {caret, at > size ? size : at, size}) {
            const auto [place, column] = expected(model, offset);
            const TFileLineMark found = memo.FileLineOf(offset);
            ASSERT_EQ(found.Line, place.Line) << "offset " << offset << " after step " << step;
            ASSERT_EQ(found.LineStart, place.LineStart) << "offset " << offset << " after step " << step;
            ASSERT_EQ(memo.FileColumnOf(offset, found.LineStart), column) << "offset " << offset << " after step " << step;
        }
    }
    memo.SetSelection(0, memo.TextLength());
    memo.DeleteSelection();
    EXPECT_EQ(memo.FileLineOf(0).Line, 0);
}
