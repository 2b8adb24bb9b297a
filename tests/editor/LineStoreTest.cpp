// Tests of the line store: normaliser, record cutting, the character cursor and the small helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "editor/model/EditingCore.h"
#include "editor/model/LineStore.h"

namespace {

std::string normalise(const std::string& source)
{
    std::string dest(source.size() + 1, '\x7f');
    int n = NormaliseText(dest.data(), source.data(), static_cast<int>(source.size()));
    EXPECT_EQ(dest[static_cast<size_t>(n)], '\0');
    return dest.substr(0, static_cast<size_t>(n));
}

std::vector<std::string> recordTexts(TLineRecord* first)
{
    std::vector<std::string> texts;
    for (TLineRecord* r = first; r; r = r->Next)
        texts.emplace_back(r->View());
    return texts;
}

// An editor holding "abc\r", "de\r", "fgh" (10 characters in three records).
struct ThreeLines {
    TCodeMemoCore editor;
    ThreeLines() { editor.InsertText("abc\r\nde\nfgh"); }
};

} // namespace

TEST(NormaliseText, LineBreaksBecomeOneCrAndControlsBecomeDots)
{
    std::string source = "a\r\nb\n\rc\x01" "d";
    std::string dest(source.size() + 1, '\0');
    EXPECT_EQ(NormaliseText(dest.data(), source.data(), static_cast<int>(source.size())), 7);
    EXPECT_EQ(std::string(dest.c_str()), "a\rb\rc.d");

    EXPECT_EQ(normalise("x\ty\x80\xff"), "x\ty\x80\xff");
    EXPECT_EQ(normalise("a\n\nb\r\rc"), "a\r\rb\r\rc");
    EXPECT_EQ(normalise("a\r\n\r\nb"), "a\r\rb");
    EXPECT_EQ(normalise("a\x1a" "b"), "a.b");
    // A NUL never reaches the store, wherever it stands.
    EXPECT_EQ(normalise(std::string("a\0b", 3)), "a.b");
    EXPECT_EQ(normalise(std::string("ab\0", 3)), "ab.");
    EXPECT_EQ(normalise(std::string("\0", 1)), ".");
}

TEST(NormaliseText, LastCharacterKeepsItsOwnRule)
{
    EXPECT_EQ(normalise("ab\n"), "ab\r");
    EXPECT_EQ(normalise("ab\x1a"), "ab\x1a");
    EXPECT_EQ(normalise("ab\x01"), "ab\x01");
    EXPECT_EQ(normalise("ab\r\n"), "ab\r");
    // LF CR at the very end has no character after the CR to test, so both become breaks.
    EXPECT_EQ(normalise("ab\n\r"), "ab\r\r");
    EXPECT_EQ(normalise("\n"), "\r");
}

TEST(NormaliseText, AChunkOfALongerTextEndsLikeAnyOtherPlace)
{
    auto chunk = [](const std::string& source) {
        std::string dest(source.size() + 1, '\x7f');
        int n = NormaliseChunk(dest.data(), source.data(), static_cast<int>(source.size()));
        return dest.substr(0, static_cast<size_t>(n));
    };
    EXPECT_EQ(chunk("ab\x01"), "ab.");
    EXPECT_EQ(chunk("ab\x1a"), "ab.");
    EXPECT_EQ(chunk("ab\n\r"), "ab\r");
    EXPECT_EQ(chunk("ab\r\n"), "ab\r");
    EXPECT_EQ(chunk("ab\n"), "ab\r");
    EXPECT_EQ(chunk(std::string("a\0", 2)), "a.");
}

TEST(CutPartsLineBreak, OnlyAFreeBreakFollowedByItsPartnerIsParted)
{
    EXPECT_TRUE(CutPartsLineBreak("xx\r", 3, '\n'));
    EXPECT_TRUE(CutPartsLineBreak("xx\n", 3, '\r'));
    EXPECT_FALSE(CutPartsLineBreak("xx\r", 3, '\r'));
    EXPECT_FALSE(CutPartsLineBreak("xx\r", 3, 'x'));
    EXPECT_FALSE(CutPartsLineBreak("xxx", 3, '\n'));
    // "\r\n" already pairs inside the piece; the LF is taken.
    EXPECT_FALSE(CutPartsLineBreak("x\r\n", 3, '\r'));
    // CR LF pairs inside the piece, so its last CR is still free.
    EXPECT_TRUE(CutPartsLineBreak("x\r\n\r", 4, '\n'));
    EXPECT_TRUE(CutPartsLineBreak("\r", 1, '\n'));
    // Equal neighbours never pair, so the run restarts after them.
    EXPECT_TRUE(CutPartsLineBreak("x\r\r", 3, '\n'));
}

TEST(CutIntoRecords, LongLinesArePiecesOf2047WithContinuationMarks)
{
    std::string line(5000, 'x');
    TRecordChain chain = CutIntoRecords(line.data(), static_cast<int>(line.size()));
    ASSERT_EQ(chain.Count, 3);
    TLineRecord* r = chain.First;
    EXPECT_EQ(r->Len, 2047);
    EXPECT_EQ(r->MarkBits, 0);
    EXPECT_EQ(r->Next->Len, 2047);
    EXPECT_EQ(r->Next->MarkBits, mbContinuation);
    EXPECT_EQ(chain.Last->Len, 906);
    EXPECT_EQ(chain.Last->MarkBits, mbContinuation);
    EXPECT_EQ(chain.Last->Prev, r->Next);
    for (TLineRecord* p = chain.First; p; p = p->Next) {
        EXPECT_EQ(p->Flags, lfStylesChanged | lfChanged);
        EXPECT_EQ(p->Text[p->Len], '\0');
        EXPECT_EQ(p->Styles, nullptr);
        EXPECT_EQ(p->Reserved1, -1);
    }
    FreeLineChain(chain.First);

    // 2046 characters and a CR make one complete line; one more character and the CR is cut off.
    std::string exact = std::string(2046, 'y') + "\rz";
    chain = CutIntoRecords(exact.data(), static_cast<int>(exact.size()));
    EXPECT_EQ(recordTexts(chain.First), (std::vector<std::string>{std::string(2046, 'y') + "\r", "z"}));
    EXPECT_EQ(chain.Last->MarkBits, 0);
    FreeLineChain(chain.First);

    std::string over = std::string(2047, 'y') + "\r";
    chain = CutIntoRecords(over.data(), static_cast<int>(over.size()));
    EXPECT_EQ(recordTexts(chain.First), (std::vector<std::string>{std::string(2047, 'y'), "\r"}));
    EXPECT_EQ(chain.Last->MarkBits, mbContinuation);
    FreeLineChain(chain.First);

    chain = CutIntoRecords("a\tb\rcd", 6);
    EXPECT_EQ(recordTexts(chain.First), (std::vector<std::string>{"a\tb\r", "cd"}));
    EXPECT_EQ(chain.First->Flags, lfStylesChanged | lfChanged | lfHasTab);
    EXPECT_EQ(chain.Last->Flags, lfStylesChanged | lfChanged);
    EXPECT_EQ(chain.Last->MarkBits, 0);
    EXPECT_EQ(RecordOffset(chain.Last), 4);
    EXPECT_EQ(RecordOffset(chain.First), 0);
    EXPECT_EQ(RecordOffset(nullptr), 0);
    FreeLineChain(chain.First);
}

TEST(TEdStream, EmptyEditorReadsNothing)
{
    TCodeMemoCore editor;
    EXPECT_EQ(editor.FirstRecord(), nullptr);
    TEdStream cursor(&editor);
    cursor.Reset(editor.FirstRecord(), 0, 0);
    EXPECT_EQ(cursor.CurrentChar(), '\0');
    EXPECT_TRUE(cursor.AtEnd());
    char buffer[4];
    EXPECT_EQ(cursor.Read(buffer, 4), 0);
    cursor.Next();
    cursor.Prev();
    EXPECT_EQ(cursor.GetPos(), 0);

    TEdStream unbound(nullptr);
    EXPECT_EQ(unbound.GetSize(), 0);
    EXPECT_EQ(unbound.Seek(3, soFromEnd), 0);
}

TEST(TEdStream, NextAndPrevWalkAcrossRecordsAndStopAtTheEnds)
{
    ThreeLines t;
    TEdStream cursor(&t.editor);
    cursor.Reset(t.editor.FirstRecord(), 0, 0);
    std::string seen;
    for (int i = 0; i < 10; ++i) {
        seen += cursor.CurrentChar();
        cursor.Next();
    }
    EXPECT_EQ(seen, "abc\rde\rfgh");
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(cursor.GetPos(), 10);
    EXPECT_EQ(cursor.CurrentChar(), '\0');
    cursor.Next(); // repeated Next at the end changes nothing
    EXPECT_EQ(cursor.GetPos(), 10);
    EXPECT_EQ(cursor.OffsetInRecord(), 3);

    // From the first character of a record Prev lands on the CR that ends the one before.
    cursor.SetPos(4);
    EXPECT_EQ(cursor.CurrentChar(), 'd');
    cursor.Prev();
    EXPECT_EQ(cursor.CurrentChar(), '\r');
    EXPECT_EQ(cursor.GetPos(), 3);
    cursor.Next();
    EXPECT_EQ(cursor.CurrentChar(), 'd');
    EXPECT_EQ(cursor.Record(), t.editor.FirstRecord()->Next);

    cursor.SetPos(0);
    cursor.Prev(); // nothing before the first character
    EXPECT_EQ(cursor.GetPos(), 0);
    EXPECT_EQ(cursor.CurrentChar(), 'a');
}

TEST(TEdStream, SetPosAndSeekReportTheRequestedPosition)
{
    ThreeLines t;
    TEdStream cursor(&t.editor);
    cursor.Reset(t.editor.FirstRecord()->Next, 1, 4);
    EXPECT_EQ(cursor.GetPos(), 5);
    EXPECT_EQ(cursor.CurrentChar(), 'e');

    cursor.SetPos(100);
    EXPECT_EQ(cursor.GetPos(), 100);
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(cursor.CurrentChar(), '\0');
    EXPECT_EQ(cursor.OffsetInRecord(), 3);

    // Coming back from beyond the end walks from the end, not from the requested position.
    cursor.SetPos(7);
    EXPECT_EQ(cursor.CurrentChar(), 'f');
    cursor.SetPos(2);
    EXPECT_EQ(cursor.CurrentChar(), 'c');
    cursor.SetPos(-5);
    EXPECT_EQ(cursor.GetPos(), -5);
    EXPECT_EQ(cursor.CurrentChar(), 'a');

    cursor.SetPos(6);
    EXPECT_EQ(cursor.Seek(0, soFromCurrent), 6);
    EXPECT_EQ(cursor.Seek(-3, soFromCurrent), 3);
    EXPECT_EQ(cursor.CurrentChar(), '\r');
    // From the end the offset is subtracted.
    EXPECT_EQ(cursor.Seek(3, soFromEnd), 7);
    EXPECT_EQ(cursor.CurrentChar(), 'f');
    EXPECT_EQ(cursor.Seek(1, 9), 7);
    EXPECT_EQ(cursor.GetSize(), 10);

    TCodeMemoCore twenty;
    twenty.InsertText("0123456789\r012345678");
    TEdStream c20(&twenty);
    c20.Reset(twenty.FirstRecord(), 0, 0);
    EXPECT_EQ(c20.Seek(5, soFromEnd), 15);
    EXPECT_EQ(c20.CurrentChar(), '4');
}

TEST(TEdStream, ReadCopiesAcrossRecordsAndStandsOnTheNextRecord)
{
    ThreeLines t;
    TEdStream cursor(&t.editor);
    cursor.Reset(t.editor.FirstRecord(), 0, 0);
    char buffer[16] = {};
    // A read that ends at a record's end leaves the cursor on the next record's first character.
    EXPECT_EQ(cursor.Read(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "abc\r");
    EXPECT_EQ(cursor.GetPos(), 4);
    EXPECT_EQ(cursor.CurrentChar(), 'd');
    cursor.Next();
    EXPECT_EQ(cursor.CurrentChar(), 'e');
    EXPECT_EQ(cursor.GetPos(), 5);

    EXPECT_EQ(cursor.Read(buffer, 16), 5);
    EXPECT_EQ(std::string(buffer, 5), "e\rfgh");
    EXPECT_TRUE(cursor.AtEnd());
    EXPECT_EQ(cursor.Read(buffer, 16), 0);

    cursor.Reset(t.editor.FirstRecord(), 0, 0);
    EXPECT_EQ(cursor.GetSize(), 10);
    EXPECT_EQ(cursor.Remaining(), 10);
    cursor.SetPos(8);
    EXPECT_EQ(cursor.Remaining(), 2);

    try {
        cursor.Write("x", 1);
        FAIL() << "write accepted";
    } catch (const EStreamError& e) {
        EXPECT_EQ(e.Message(), "Cannot write to a read-only stream");
    }
}

// Reads `count` characters the way the scanner's fast paths do: a record's span at a time, with Skip
// over all of it but its last character and Next over that one.
std::string readBySpans(TRecordCursor& cursor, size_t count)
{
    std::string read;
    while (read.size() < count && !cursor.AtEnd()) {
        const std::string_view span = cursor.Span();
        const size_t n = std::min(span.size() - 1, count - read.size());
        read += span.substr(0, n);
        cursor.Skip(static_cast<int>(n));
        if (read.size() < count) {
            read += cursor.CurrentChar();
            cursor.Next();
        }
    }
    return read;
}

TEST(TRecordCursor, ReadsWhatTheStreamReadsAtEveryRecordBoundaryAndTheTextEnd)
{
    // Long lines in continuation pieces (2047, 2047, 906), empty lines, a line that ends exactly at a
    // cut, and the last line with and without its line break.
    const std::string line5000(5000, 'x');
    const std::string line2047 = std::string(2046, 'y') + "z";
    for (const std::string& text : {line5000 + "\r\n\r\nab\r\n" + line2047 + "\r\n" + line5000, "a\r\n" + line2047 + line2047,
                                    "\r\n" + line5000 + "\r\n"}) {
        TCodeMemoCore editor;
        editor.InsertText(text.c_str());
        const std::string stored = editor.StoredText();
        const auto length = static_cast<int64_t>(stored.size());
        // Every record's first and last character, the text's last character and its end.
        std::vector<int64_t> starts = {0, length - 1, length};
        int64_t offset = 0;
        for (TLineRecord* r = editor.FirstRecord(); r; r = r->Next) {
            starts.insert(starts.end(), {offset, offset + r->Len - 1});
            offset += r->Len;
        }
        ASSERT_EQ(offset, length);
        for (int64_t start : starts) {
            for (int64_t count : {int64_t{1}, int64_t{2}, int64_t{2048}, length}) {
                TEdStream plain(&editor);
                plain.Reset(editor.FirstRecord(), 0, 0);
                plain.SetPos(start);
                TRecordCursor fast = plain.Place();
                std::string expected;
                for (int64_t i = 0; i < count && !plain.AtEnd(); ++i) {
                    expected += plain.CurrentChar();
                    plain.Next();
                }
                ASSERT_EQ(expected, stored.substr(static_cast<size_t>(start), static_cast<size_t>(count)));
                ASSERT_EQ(readBySpans(fast, static_cast<size_t>(count)), expected) << start << " " << count;
                // Both stand at the same place afterwards, the text's end included.
                EXPECT_EQ(fast.GetPos(), plain.GetPos());
                EXPECT_EQ(fast.Record(), plain.Record());
                EXPECT_EQ(fast.OffsetInRecord(), plain.OffsetInRecord());
                EXPECT_EQ(fast.CurrentChar(), plain.CurrentChar());
                EXPECT_EQ(fast.AtEnd(), plain.AtEnd());
                EXPECT_EQ(fast.Span().empty(), plain.AtEnd());
                // A mark taken anywhere brings the cursor back as a walk to its position does.
                const TRecordCursor::TMark mark = fast.Mark();
                fast.SetPos(0);
                fast.Restore(mark);
                plain.SetPos(mark.Position);
                EXPECT_EQ(fast.Record(), plain.Record());
                EXPECT_EQ(fast.OffsetInRecord(), plain.OffsetInRecord());
            }
        }
    }
}

TEST(TFastMemoryStream, ReadsTheBufferItWasGivenAndRefusesWrites)
{
    char text[] = "hello";
    TFastMemoryStream stream(text);
    EXPECT_EQ(stream.GetSize(), 5);
    EXPECT_EQ(stream.Memory(), reinterpret_cast<const uint8_t*>(text));
    char buffer[8] = {};
    stream.Seek(1, soFromBeginning);
    EXPECT_EQ(stream.Read(buffer, 8), 4);
    EXPECT_STREQ(buffer, "ello");
    EXPECT_THROW(stream.Write("x", 1), EStreamError);
    EXPECT_STREQ(text, "hello");
}

TEST(LineStoreHelpers, SmallRoutines)
{
    TTextRange ordered;
    OrderRange({9, 3}, ordered);
    EXPECT_EQ(ordered, (TTextRange{3, 9}));
    OrderRange({2, 5}, ordered);
    EXPECT_EQ(ordered, (TTextRange{2, 5}));

    EXPECT_EQ(MinInt(-2, 3), -2);
    std::string s = "abc";
    ReverseString(s);
    EXPECT_EQ(s, "cba");

    auto set = CharSetOf("A\x01\xff");
    EXPECT_EQ(set[0], 0x02);
    EXPECT_EQ(set[8], 0x02); // 'A' = 65 = 8 * 8 + 1
    EXPECT_EQ(set[31], 0x80);
    int bits = 0;
    for (uint8_t b : set)
        bits += __builtin_popcount(b);
    EXPECT_EQ(bits, 3);

    TMemoryStream stream;
    WriteByte(stream, 0xAB);
    WriteByte(stream, 0x01);
    EXPECT_EQ(stream.AsString(), "\xAB\x01");

    TCodeMemoCore editor;
    TTextStore& store = editor.Store();
    ASSERT_EQ(store.Clients().size(), 1u);
    store.AddClient(&editor);
    EXPECT_EQ(store.Clients().size(), 1u);
}
