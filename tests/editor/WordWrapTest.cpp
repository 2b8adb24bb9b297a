// Word wrap of the editor control: the cut without wrap, wrap columns, the override set, TABs, proportional fonts, the word-break rule and random texts and edits.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "CodeMemoTestSupport.h"
#include "TextTestSupport.h"
#include "editor/model/KeyBindings.h"
#include "platform/FontsQt.h"
#include "platform/Win1252Qt.h"

namespace {

constexpr char kFixedFont[] = "DejaVu Sans Mono";
constexpr char kProportionalFont[] = "DejaVu Sans";

std::vector<std::string> records(TCustomCodeMemo& memo)
{
    std::vector<std::string> texts;
    for (const TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
        texts.emplace_back(r->View());
    return texts;
}

std::vector<int> lengths(TCustomCodeMemo& memo)
{
    std::vector<int> result;
    for (const TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
        result.push_back(r->Len);
    return result;
}

// The record chain is one the rest of the control can rely on: pieces of 1..2048 characters, links
// both ways, continuation marks exactly on records after one without a line break, counts in step.
void expectSoundChain(TCustomCodeMemo& memo)
{
    int count = 0;
    int length = 0;
    int greatest = 0;
    const TLineRecord* prev = nullptr;
    for (const TLineRecord* r = memo.FirstRecord(); r; prev = r, r = r->Next) {
        ++count;
        length += r->Len;
        greatest = std::max<int>(greatest, r->Len);
        ASSERT_GE(r->Len, 1) << "record " << count;
        ASSERT_LE(r->Len, kRewrapLength) << "record " << count;
        ASSERT_EQ(r->Prev, prev);
        bool continues = prev && !prev->EndsWithCR();
        ASSERT_EQ((r->MarkBits & mbContinuation) != 0, continues) << "record " << count;
        ASSERT_EQ(r->Text[r->Len], '\0');
    }
    ASSERT_EQ(count, memo.RecordCount());
    ASSERT_EQ(length, memo.TextLength());
    ASSERT_EQ(greatest, memo.GreatestRecordLength());
}

void setWrap(TCustomCodeMemo& memo, bool on, int column)
{
    memo.SetWrapAtColumn(column);
    memo.SetWordWrap(on);
}

// A fixed-pitch control with word wrap on at `column`.
void fixedWrap(TCodeMemo& memo, int column)
{
    memo.SetControlFont(kFixedFont, 10);
    ASSERT_TRUE(memo.FixedPitch());
    setWrap(memo, true, column);
}

// Random text: words, blanks, TABs, line breaks and now and then a line longer than a record.
std::string randomText(std::mt19937& rng, int size)
{
    std::string text;
    std::uniform_int_distribution<int> pick(0, 99);
    while (static_cast<int>(text.size()) < size) {
        int p = pick(rng);
        if (p < 55)
            text += static_cast<char>('a' + pick(rng) % 26);
        else if (p < 75)
            text += ' ';
        else if (p < 80)
            text += '\t';
        else if (p < 84)
            text += "\r\n";
        else if (p < 85)
            text += std::string(static_cast<size_t>(1000 + pick(rng) * 40), 'x');
        else if (p < 86)
            text += std::string(static_cast<size_t>(pick(rng) * 3), ' ');
        else
            text += static_cast<char>('A' + pick(rng) % 26);
    }
    return text;
}

// What the store holds for a text put in by SetText: line breaks as one CR.
std::string stored(std::string text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        out += text[i] == '\n' ? '\r' : text[i];
    }
    return out;
}

} // namespace

TEST(WordWrap, WithoutWrapLongLinesAreCutAsLoadingCutsThem)
{
    TCodeMemo memo;
    ASSERT_FALSE(memo.WordWrap());
    // 2048 characters and a CR: loading stores 2047 + 2, and a re-wrap keeps that.
    SetText(memo, std::string(2048, 'a') + "\r\nnext");
    EXPECT_EQ(lengths(memo), (std::vector<int>{2047, 2, 4}));
    memo.Rewrap(nullptr, nullptr);
    EXPECT_EQ(lengths(memo), (std::vector<int>{2047, 2, 4}));
    EXPECT_EQ(records(memo)[1], "a\r");
    expectSoundChain(memo);

    // 2047 characters (CR included) stay one record; one more is two.
    SetText(memo, std::string(2046, 'b') + "\r\n" + std::string(2047, 'c') + "\r\n");
    memo.Rewrap(nullptr, nullptr);
    EXPECT_EQ(lengths(memo), (std::vector<int>{2047, 2047, 1}));
    expectSoundChain(memo);

    // Typing into a full record cuts its line again at once, as loading would.
    SetText(memo, std::string(2047, 'd') + "\r\n");
    Select(memo, 10, 10);
    memo.InsertTypedChar('e');
    memo.InsertTypedChar('f');
    EXPECT_EQ(lengths(memo), (std::vector<int>{2047, 3}));
    EXPECT_EQ(memo.StoredText(), std::string(10, 'd') + "ef" + std::string(2037, 'd') + "\r");
    expectSoundChain(memo);
    // A very long line: every piece but the last is 2047 characters.
    SetText(memo, std::string(5000, 'g'));
    memo.Rewrap(nullptr, nullptr);
    EXPECT_EQ(lengths(memo), (std::vector<int>{2047, 2047, 906}));
}

TEST(WordWrap, WithoutWrapAnEditRecutsOnlyItsOwnLine)
{
    TCodeMemo memo;
    const std::string longLine(5000, 'x');
    SetText(memo, longLine + "\r\n" + std::string(3000, 'y') + "\r\n" + longLine);
    const std::vector<int> before = lengths(memo);
    EXPECT_EQ(before, (std::vector<int>{2047, 2047, 907, 2047, 954, 2047, 2047, 906}));
    // One character typed into a continuation piece of the middle line: the others keep their rows.
    const int middle = 5001 + 2500;
    Select(memo, middle, middle);
    memo.InsertTypedChar('z');
    EXPECT_EQ(lengths(memo), (std::vector<int>{2047, 2047, 907, 2047, 955, 2047, 2047, 906}));
    memo.Perform(EM_UNDO, 0, 0);
    EXPECT_EQ(lengths(memo), before);
    // Shortened to 1500 characters, the line is one record again.
    Select(memo, 5001, 5001 + 1500);
    memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>(""));
    EXPECT_EQ(lengths(memo), (std::vector<int>{2047, 2047, 907, 1501, 2047, 2047, 906}));
    expectSoundChain(memo);
}

TEST(WordWrap, WithoutWrapARecutKeepsTheWholePiecesBeforeTheEdit)
{
    TCodeMemo memo;
    SetText(memo, "a\r\n" + std::string(9000, 'x') + "\r\nb");
    memo.SetBookmark(2, 2, 1);
    memo.SetBookmark(3, 4, 1);
    memo.SetBookmark(4, 5, 1);
    TLineRecord* const head = memo.FirstRecord()->Next;
    TLineRecord* const second = head->Next;
    // Typed into the line's third piece: its first two pieces stay as they are, the rest is cut anew.
    const int at = 2 + 2047 * 2 + 10;
    Select(memo, at, at);
    memo.InsertTypedChar('z');
    EXPECT_EQ(lengths(memo), (std::vector<int>{2, 2047, 2047, 2047, 2047, 814, 1}));
    EXPECT_EQ(memo.FirstRecord()->Next, head);
    EXPECT_EQ(head->Next, second);
    EXPECT_NE(second->Next->MarkBits & mbContinuation, 0);
    EXPECT_TRUE(memo.StoredText() == "a\r" + std::string(at - 2, 'x') + "z" + std::string(9000 - (at - 2), 'x') + "\rb");
    // The edited piece keeps its row's bookmark; those of the pieces after it go to the line's first
    // piece, as a whole re-cut puts them.
    int line = 0, column = 0;
    for (auto [index, expected] : {std::pair(2, 2), std::pair(3, 4), std::pair(4, 2)}) {
        ASSERT_TRUE(memo.GetBookmark(index, line, column)) << index;
        EXPECT_EQ(line, expected) << index;
    }
    expectSoundChain(memo);
}

TEST(WordWrap, WrapColumnCutsAfterBlanksAndInsideLongWords)
{
    TCodeMemo memo;
    fixedWrap(memo, 20);
    SetText(memo, "aaaa bbbb cccc dddd eeee ffff\r\nshort");
    EXPECT_EQ(records(memo), (std::vector<std::string>{"aaaa bbbb cccc dddd ", "eeee ffff\r", "short"}));
    expectSoundChain(memo);

    // A word longer than the width is cut in its middle; blanks at a cut stay on the upper piece.
    SetText(memo, std::string(25, 'w') + "\r\nab cd ef gh ij kl mn   op");
    EXPECT_EQ(records(memo),
              (std::vector<std::string>{std::string(20, 'w'), "wwwww\r", "ab cd ef gh ij kl mn   ", "op"}));
    SetText(memo, "0123456789012345678     next");
    EXPECT_EQ(records(memo), (std::vector<std::string>{"0123456789012345678     ", "next"}));
    // A line exactly as wide as the wrap width keeps its line break.
    SetText(memo, std::string(20, 'z') + "\r\n");
    EXPECT_EQ(lengths(memo), (std::vector<int>{21}));

    // Another width re-cuts the whole text; wrap off joins the pieces again.
    SetText(memo, "aaaa bbbb cccc dddd eeee ffff gggg hhhh");
    memo.SetWrapAtColumn(30);
    EXPECT_EQ(records(memo), (std::vector<std::string>{"aaaa bbbb cccc dddd eeee ffff ", "gggg hhhh"}));
    memo.SetWordWrap(false);
    EXPECT_EQ(records(memo), (std::vector<std::string>{"aaaa bbbb cccc dddd eeee ffff gggg hhhh"}));
    expectSoundChain(memo);
    // A wrap column below 20 counts as 20.
    memo.SetWrapAtColumn(5);
    memo.SetWordWrap(true);
    EXPECT_EQ(memo.WrapColumns(), 20);
    EXPECT_EQ(records(memo).front(), "aaaa bbbb cccc dddd ");
}

TEST(WordWrap, WindowWidthDecidesWithoutAWrapColumn)
{
    TCodeMemo memo;
    fixedWrap(memo, 0);
    memo.show();
    QApplication::processEvents();
    // Resize the client area to 15 columns.
    int extra = memo.width() - memo.ClientWidth();
    memo.resize(memo.TextLeft() + 15 * memo.CharWidth() + extra, 200);
    QApplication::processEvents();
    ASSERT_EQ(memo.ColumnsPerWindow(), 15);
    EXPECT_EQ(memo.WrapColumns(), 20);
    SetText(memo, "aaaa bbbb cccc dddd eeee ffff");
    EXPECT_EQ(records(memo), (std::vector<std::string>{"aaaa bbbb cccc dddd ", "eeee ffff"}));

    // A wider window re-wraps: 44 columns less 4.
    memo.resize(memo.TextLeft() + 44 * memo.CharWidth() + extra, 200);
    QApplication::processEvents();
    EXPECT_EQ(memo.WrapColumns(), 40);
    SetText(memo, std::string(45, 'q'));
    EXPECT_EQ(lengths(memo), (std::vector<int>{40, 5}));
    memo.resize(memo.TextLeft() + 34 * memo.CharWidth() + extra, 200);
    QApplication::processEvents();
    EXPECT_EQ(lengths(memo), (std::vector<int>{30, 15}));
}

TEST(WordWrap, OverrideCharactersKeepTheirLinesWhole)
{
    TCodeMemo memo;
    fixedWrap(memo, 20);
    memo.SetWrapOverride(">|:");
    SetOption(memo, smoWrapOverride, true);
    const std::string quoted = std::string("> ").append(40, 'q');
    const std::string plain = std::string(40, 'p');
    SetText(memo, quoted + "\r\n" + plain + "\r\n:" + std::string(30, 'c'));
    EXPECT_EQ(lengths(memo), (std::vector<int>{43, 20, 21, 31}));
    // Without the option the marked lines wrap like the others.
    SetOption(memo, smoWrapOverride, false);
    EXPECT_EQ(lengths(memo), (std::vector<int>{2, 20, 21, 20, 21, 20, 11}));
    // A marked line too long for one record is cut where a record ends, not at the wrap width.
    SetOption(memo, smoWrapOverride, true);
    SetText(memo, std::string(">").append(3000, ' '));
    EXPECT_EQ(lengths(memo), (std::vector<int>{2047, 954}));
    expectSoundChain(memo);
}

TEST(WordWrap, TabsEndPiecesATabShortOfTheWidth)
{
    TCodeMemo memo;
    fixedWrap(memo, 20);
    memo.SetTabDefault(4);
    // Columns reach 16 (20 less a tab width) after the TAB and 12 letters; the cut goes back to the
    // blank before that word.
    SetText(memo, "\tab cdefgh ijklmnop qrst");
    EXPECT_EQ(records(memo), (std::vector<std::string>{"\tab cdefgh ", "ijklmnop qrst"}));
    EXPECT_TRUE(memo.FirstRecord()->Flags & lfHasTab);
    EXPECT_FALSE(memo.FirstRecord()->Next->Flags & lfHasTab);

    // A tab width as wide as the wrap width leaves no room at all: pieces of one character, and
    // the cutting still ends.
    memo.SetTabDefault(30);
    EXPECT_EQ(memo.StoredText(), "\tab cdefgh ijklmnop qrst");
    for (int n : lengths(memo))
        EXPECT_GE(n, 1);
    expectSoundChain(memo);
}

TEST(WordWrap, ProportionalFontsWrapByPixels)
{
    TCodeMemo memo;
    memo.SetControlFont(kProportionalFont, 10);
    ASSERT_FALSE(memo.FixedPitch());
    setWrap(memo, true, 20);
    const int pixelWidth = 20 * memo.CharWidth();
    TFontHandle handle = MakeEditorFont(kProportionalFont, 10, 0, DEFAULT_CHARSET, true, ScreenPixelsPerInch());
    QFontMetrics metrics(ToQFont(*handle));
    auto width = [&](std::string piece) {
        while (!piece.empty() && (piece.back() == ' ' || piece.back() == '\r'))
            piece.pop_back();
        return metrics.horizontalAdvance(FromWin1252(piece));
    };

    // Narrow letters: more than 20 of them go on a piece, and still within the pixel width.
    std::string narrow;
    for (int i = 0; i < 40; ++i)
        narrow += "il ";
    SetText(memo, narrow);
    std::vector<std::string> pieces = records(memo);
    ASSERT_GE(pieces.size(), 2u);
    EXPECT_GT(pieces[0].size(), 20u);
    for (size_t i = 0; i + 1 < pieces.size(); ++i)
        EXPECT_LE(width(pieces[i]), pixelWidth) << pieces[i];
    // Wide letters: fewer.
    std::string wide;
    for (int i = 0; i < 20; ++i)
        wide += "WM ";
    SetText(memo, wide);
    pieces = records(memo);
    EXPECT_LT(pieces[0].size(), 20u);
    for (size_t i = 0; i + 1 < pieces.size(); ++i)
        EXPECT_LE(width(pieces[i]), pixelWidth) << pieces[i];

    // With TABs the walk goes run by run and a TAB counts as blanks up to its stop.
    SetText(memo, "ab\tcd\tef\tgh\tij\tkl\tmn\top");
    pieces = records(memo);
    ASSERT_GE(pieces.size(), 2u);
    EXPECT_EQ(memo.StoredText(), "ab\tcd\tef\tgh\tij\tkl\tmn\top");
    expectSoundChain(memo);
}

TEST(WordWrap, WordBreakRule)
{
    TCodeMemo memo;
    const char* text = "abc  def";
    // Code 0: on a blank, past the blanks; in a word, after the blank before it; in a word with
    // no blank before it, where it is.
    EXPECT_EQ(memo.WordBreak(text, 3, 8, 0), 5);
    EXPECT_EQ(memo.WordBreak(text, 6, 8, 0), 5);
    EXPECT_EQ(memo.WordBreak(text, 2, 8, 0), 2);
    EXPECT_EQ(memo.WordBreak(text, 0, 8, 0), 0);
    EXPECT_EQ(memo.WordBreak("ab   ", 3, 5, 0), 5);
    // Break characters are the codes up to 32 and the no-break space.
    EXPECT_EQ(memo.WordBreak("ab\xA0" "cd", 4, 5, 0), 3);
    EXPECT_EQ(memo.WordBreak("ab\x01" "cd", 4, 5, 0), 3);
    EXPECT_EQ(memo.WordBreak("ab!cd", 4, 5, 0), 4);
    // Code 1: the start of the next word.
    EXPECT_EQ(memo.WordBreak(text, 1, 8, 1), 5);
    EXPECT_EQ(memo.WordBreak(text, 3, 8, 1), 5);
    EXPECT_EQ(memo.WordBreak(text, 6, 8, 1), 8);
    // Code 2: whether the character is a break character; other codes give 0.
    EXPECT_EQ(memo.WordBreak(text, 3, 8, 2), 1);
    EXPECT_EQ(memo.WordBreak(text, 0, 8, 2), 0);
    EXPECT_EQ(memo.WordBreak(text, 9, 8, 2), 0);
    EXPECT_EQ(memo.WordBreak(text, 3, 8, 3), 0);

    // An assigned procedure decides instead, with the same arguments.
    std::vector<int> seen;
    memo.OnWordBreakProc = [&](const char* lpch, int ich, int cch, int code) {
        seen = {lpch[0], ich, cch, code};
        return 42;
    };
    EXPECT_EQ(memo.WordBreak(text, 3, 8, 1), 42);
    EXPECT_EQ(seen, (std::vector<int>{'a', 3, 8, 1}));
}

TEST(WordWrap, ABreakProcedureCannotMakeEmptyOrOverlongPieces)
{
    TCodeMemo memo;
    fixedWrap(memo, 20);
    const std::string text = "aaaa bbbb cccc dddd eeee ffff gggg hhhh iiii";
    for (int answer : {0, -5, 1, 7, 100000}) {
        memo.OnWordBreakProc = [answer](const char*, int, int, int) { return answer; };
        SetText(memo, text);
        EXPECT_EQ(memo.StoredText(), text) << answer;
        expectSoundChain(memo);
        std::vector<int> pieces = lengths(memo);
        // The procedure is asked only while more than the width remains.
        if (answer == 7) {
            EXPECT_EQ(pieces, (std::vector<int>{7, 7, 7, 7, 16}));
        }
        if (answer <= 1) {
            std::vector<int> ones(24, 1);
            ones.push_back(20);
            EXPECT_EQ(pieces, ones);
        }
        if (answer == 100000) {
            EXPECT_EQ(pieces, (std::vector<int>{static_cast<int>(text.size())}));
        }
    }
    // Past a record's length the cut comes whatever the procedure says.
    memo.SetWrapAtColumn(5000);
    SetText(memo, std::string(5000, 'x'));
    EXPECT_EQ(lengths(memo), (std::vector<int>{2048, 2048, 904}));
}

TEST(WordWrap, LineDataFollowsTheFirstPiece)
{
    struct Track : TLineTrack {};
    TCodeMemo memo;
    fixedWrap(memo, 20);
    SetText(memo, "first\r\naaaa bbbb cccc dddd eeee ffff gggg hhhh iiii\r\nlast");
    TLineRecord* line = memo.FirstRecord()->Next;
    ASSERT_EQ(line->View(), "aaaa bbbb cccc dddd ");
    TLineRecord* continuation = line->Next;
    ASSERT_TRUE(continuation->MarkBits & mbContinuation);
    // Bookmark 3 on the line, bookmark 5 on a continuation piece, a glyph and a tracking object.
    line->MarkBits |= 1u << 3;
    continuation->MarkBits |= 1u << 5;
    line->GlyphBits = 0x40;
    line->Reserved1 = 77;
    Track track;
    track.Record = line;
    line->Track = &track;

    memo.SetWrapAtColumn(25);
    TLineRecord* first = memo.FirstRecord()->Next;
    EXPECT_EQ(first->View(), "aaaa bbbb cccc dddd eeee ");
    EXPECT_EQ(first->MarkBits, (1u << 3) | (1u << 5));
    EXPECT_EQ(first->GlyphBits, 0x40);
    EXPECT_EQ(first->Reserved1, 77);
    EXPECT_EQ(first->Track, &track);
    EXPECT_EQ(track.Record, first);
    for (TLineRecord* r = first->Next; r && r->MarkBits & mbContinuation; r = r->Next) {
        EXPECT_EQ(r->MarkBits, mbContinuation);
        EXPECT_EQ(r->GlyphBits, 0);
        EXPECT_EQ(r->Track, nullptr);
    }
    memo.SetWordWrap(false);
    EXPECT_EQ(memo.FirstRecord()->Next->Track, &track);
    EXPECT_EQ(memo.FirstRecord()->Next->MarkBits, (1u << 3) | (1u << 5));
    memo.FirstRecord()->Next->Track = nullptr;
}

TEST(WordWrap, StyleBytesAndPendingHighlightingFollowThePieces)
{
    TCodeMemo memo;
    fixedWrap(memo, 20);
    SetText(memo, "aaaa bbbb cccc dddd eeee ffff");
    std::string styles;
    for (int i = 0; i < 29; ++i)
        styles += static_cast<char>(i);
    memo.SetStyleBytes(nullptr, styles);
    memo.SetWrapAtColumn(25);
    EXPECT_EQ(memo.GetStyleBytes(nullptr), styles);
    EXPECT_EQ(lengths(memo), (std::vector<int>{25, 4}));

    // Outside an insertion pending highlighting runs before the cut, so the bytes go along.
    memo.SetHighlightStart(memo.FirstRecord()->Next);
    memo.ActiveSettings().WrapAtColumn = 22;
    memo.Rewrap(nullptr, nullptr);
    EXPECT_EQ(lengths(memo), (std::vector<int>{20, 9}));
    EXPECT_EQ(memo.GetStyleBytes(nullptr), styles);
    // Inside one a pending start on a piece that goes moves to the line's first new record.
    const TLineRecord* pendingAtChange = nullptr;
    memo.OnTextChange = [&](TCodeMemoCore* core, int, int) { pendingAtChange = core->HighlightStart(); };
    Select(memo, 22, 22);
    memo.InsertTypedChar(' '); // "ee ee": the cut moves behind the new blank
    EXPECT_EQ(lengths(memo), (std::vector<int>{23, 7}));
    EXPECT_EQ(pendingAtChange, memo.FirstRecord());
    memo.OnTextChange = nullptr;
    memo.SetStyleBytes(nullptr, styles + "x");

    // A piece without style bytes leaves the line without them, and its highlighting pending.
    memo.FirstRecord()->Next->Styles.reset();
    memo.SetHighlightStart(nullptr);
    memo.ActiveSettings().WrapAtColumn = 25;
    memo.Rewrap(nullptr, nullptr);
    EXPECT_EQ(lengths(memo), (std::vector<int>{26, 4}));
    EXPECT_EQ(memo.FirstRecord()->Styles, nullptr);
    EXPECT_EQ(memo.HighlightStart(), memo.FirstRecord());
}

TEST(WordWrap, WrappingThenUnwrappingRestoresTheText)
{
    std::mt19937 rng(1234);
    TCodeMemo memo;
    memo.SetControlFont(kFixedFont, 10);
    for (int round = 0; round < 25; ++round) {
        const std::string text = randomText(rng, 200 + static_cast<int>(rng() % 3000));
        SetText(memo, text);
        const std::string expected = stored(text);
        ASSERT_EQ(memo.StoredText(), expected);
        memo.SetTabDefault(1 + static_cast<int>(rng() % 30));
        memo.SetWrapAtColumn(static_cast<int>(rng() % 90));
        memo.SetWordWrap(true);
        ASSERT_EQ(memo.StoredText(), expected) << round;
        expectSoundChain(memo);
        for (const TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
            if (!r->EndsWithCR() && r->Next && !std::memchr(r->Text.get(), '\t', r->Len)) {
                ASSERT_LE(r->View().find_last_not_of(' ') + 1, static_cast<size_t>(memo.WrapColumns())) << round;
            }

        memo.SetWordWrap(false);
        ASSERT_EQ(memo.StoredText(), expected) << round;
        expectSoundChain(memo);
        // Unwrapped, every line shorter than a record is one record again.
        size_t lines = 0;
        size_t start = 0;
        for (size_t i = 0; i <= expected.size(); ++i)
            if (i == expected.size() || expected[i] == '\r') {
                size_t n = i - start + (i < expected.size() ? 1 : 0);
                if (n > 0)
                    lines += std::max<size_t>(1, (n + kRewrapLength - 1) / kRewrapLength);
                start = i + 1;
            }
        ASSERT_EQ(static_cast<size_t>(memo.RecordCount()), lines) << round;
    }
}

TEST(WordWrap, RandomWidthsNeverMakeEmptyOrOverlongPieces)
{
    std::mt19937 rng(99);
    TCodeMemo memo;
    for (int round = 0; round < 30; ++round) {
        memo.SetControlFont(round % 2 ? kFixedFont : kProportionalFont, 8 + static_cast<int>(rng() % 8));
        memo.SetTabDefault(1 + static_cast<int>(rng() % 60));
        const int widths[] = {0, 1, 19, 20, 21, 37, 80, 500, 2047, 2048, 2049, 65535};
        memo.SetWrapAtColumn(widths[rng() % std::size(widths)]);
        memo.SetWordWrap(true);
        if (round % 5 == 4)
            memo.OnWordBreakProc = [&rng](const char*, int ich, int, int) { return ich + static_cast<int>(rng() % 7) - 3; };
        else
            memo.OnWordBreakProc = nullptr;
        const std::string text = randomText(rng, 100 + static_cast<int>(rng() % 6000));
        SetText(memo, text);
        ASSERT_EQ(memo.StoredText(), stored(text)) << round;
        expectSoundChain(memo);
    }
}

TEST(WordWrap, RandomEditsWithWrapOnMatchAStringModel)
{
    std::mt19937 rng(4321);
    TCodeMemo memo;
    memo.SetControlFont(kFixedFont, 10);
    SetOption(memo, smoAutoIndent, false);
    setWrap(memo, true, 24);
    const std::string initial = stored(randomText(rng, 1500));
    SetText(memo, initial);
    std::string model = initial;
    ASSERT_EQ(memo.StoredText(), model);

    auto lineStart = [&](int offset) {
        size_t at = offset > 0 ? model.rfind('\r', static_cast<size_t>(offset - 1)) : std::string::npos;
        return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
    };
    for (int step = 0; step < 300; ++step) {
        const int size = static_cast<int>(model.size());
        int a = size ? static_cast<int>(rng() % (size + 1)) : 0;
        int b = size ? static_cast<int>(rng() % (size + 1)) : 0;
        if (a > b)
            std::swap(a, b);
        if (b - a > 200)
            b = a + 200;
        switch (rng() % 6) {
        case 0: { // replace the selection
            std::string text = stored(randomText(rng, static_cast<int>(rng() % 60)));
            if (text.size() > 300)
                text.resize(300);
            while (!text.empty() && text.back() == '\r')
                text.pop_back();
            Select(memo, a, b);
            memo.SetSelText(text);
            model.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), text);
            break;
        }
        case 1: // delete
            Select(memo, a, b);
            memo.SetSelText("");
            model.erase(static_cast<size_t>(a), static_cast<size_t>(b - a));
            break;
        case 2:
        case 3: { // type
            char c = "abc  xyz\t-"[rng() % 10];
            Select(memo, a, a);
            memo.InsertTypedChar(c);
            model.insert(static_cast<size_t>(a), 1, c);
            break;
        }
        case 4: { // indent
            if (a == b)
                break;
            Select(memo, a, b);
            memo.Perform(SMM_INDENT, 2, 0);
            for (int s = static_cast<int>(model.size()); s >= 0; --s)
                if ((s == 0 || model[static_cast<size_t>(s - 1)] == '\r') && s >= lineStart(a) && s < b &&
                    s < static_cast<int>(model.size() + 1))
                    model.insert(static_cast<size_t>(s), "  ");
            break;
        }
        case 5: { // unindent
            if (a == b)
                break;
            Select(memo, a, b);
            memo.Perform(SMM_UNINDENT, 3, 0);
            for (int s = static_cast<int>(model.size()) - 1; s >= 0; --s)
                if ((s == 0 || model[static_cast<size_t>(s - 1)] == '\r') && s >= lineStart(a) && s < b) {
                    size_t k = 0;
                    while (k < 3 && s + k < model.size() &&
                           (model[s + k] == ' ' || model[s + k] == '\t' || model[s + k] == '\xA0'))
                        ++k;
                    model.erase(static_cast<size_t>(s), k);
                }
            break;
        }
        }
        ASSERT_EQ(memo.StoredText(), model) << "step " << step;
        expectSoundChain(memo);
        // What the edits left is what wrapping the whole text afresh gives.
        std::vector<int> incremental = lengths(memo);
        memo.Rewrap(nullptr, nullptr);
        ASSERT_EQ(lengths(memo), incremental) << "step " << step;
    }
    // Every edit can be undone across the re-wraps.
    while (memo.CanUndo())
        memo.Undo();
    EXPECT_EQ(memo.StoredText(), initial);
    expectSoundChain(memo);
}

TEST(WordWrap, InsertionsOfManyChunksAreWrappedAsAWholeRewrapWrapsThem)
{
    std::mt19937 rng(3108);
    TCodeMemo memo;
    memo.SetControlFont(kFixedFont, 10);
    setWrap(memo, true, 30);
    const std::string initial = stored(randomText(rng, 3000));
    SetText(memo, initial);
    std::string model = initial;
    for (int step = 0; step < 12; ++step) {
        // Texts of several chunks, some one long line, put over a selection anywhere: at the start,
        // inside a line, at the end.
        const int size = static_cast<int>(model.size());
        const int a = step == 0 ? 0 : step == 1 ? size : static_cast<int>(rng() % (size + 1));
        const int b = std::min(size, a + static_cast<int>(rng() % 50));
        const std::string text = step % 3 == 0 ? std::string(TCodeMemoCore::kChunkSize * 2 + 100, 'w')
                                                : stored(randomText(rng, TCodeMemoCore::kChunkSize * 3));
        Select(memo, a, b);
        // As a text, or as a stream as pasting and loading put theirs in.
        if (step % 2 == 0) {
            memo.SetSelText(text);
        } else {
            TMemoryStream stream;
            stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
            stream.SetPosition(0);
            memo.PerformStream(SMM_LOADSTREAM, 0, stream);
        }
        model.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), text);
        ASSERT_EQ(memo.StoredText(), model) << "step " << step;
        expectSoundChain(memo);
        std::vector<int> inserted = lengths(memo);
        memo.Rewrap(nullptr, nullptr);
        ASSERT_EQ(lengths(memo), inserted) << "step " << step;
    }
    // Undone, each long insertion goes back in one step, and redone it wraps as before.
    const std::vector<int> last = lengths(memo);
    while (memo.CanUndo())
        memo.Undo();
    EXPECT_EQ(memo.StoredText(), initial);
    expectSoundChain(memo);
    while (memo.CanRedo())
        memo.Redo();
    EXPECT_EQ(memo.StoredText(), model);
    EXPECT_EQ(lengths(memo), last);
    // A loaded text of long lines too.
    SetText(memo, model);
    EXPECT_EQ(memo.StoredText(), model);
    expectSoundChain(memo);
    EXPECT_EQ(lengths(memo), last);
}

TEST(WordWrap, TypingAndCommandsOverWrappedLines)
{
    TCodeMemo memo;
    fixedWrap(memo, 20);
    SetOption(memo, smoColumnTrack, false);
    SetText(memo, "aaaa bbbb cccc dddd eeee ffff\r\nnext line");
    ASSERT_EQ(records(memo), (std::vector<std::string>{"aaaa bbbb cccc dddd ", "eeee ffff\r", "next line"}));

    // Down from the first piece reaches the second piece of the same line, then the next line.
    Select(memo, 2, 2);
    memo.ExecuteCommand(ecLineDown, 0, false);
    EXPECT_EQ(Selection(memo).End, 22);
    memo.ExecuteCommand(ecLineDown, 0, false);
    EXPECT_EQ(Selection(memo).End, 32);
    memo.ExecuteCommand(ecLineUp, 0, false);
    memo.ExecuteCommand(ecLineUp, 0, false);
    EXPECT_EQ(Selection(memo).End, 2);
    // Home and End keep to the display line.
    Select(memo, 23, 23);
    memo.ExecuteCommand(ecLineStart, 0, false);
    EXPECT_EQ(Selection(memo).End, 20);
    memo.ExecuteCommand(ecLineEnd, 0, false);
    EXPECT_EQ(Selection(memo).End, 29);
    Select(memo, 3, 3);
    memo.ExecuteCommand(ecLineEnd, 0, false);
    EXPECT_EQ(Selection(memo).End, 19); // before the blank the next piece starts after

    // Typing pushes the last word down and deleting pulls it back.
    Select(memo, 0, 0);
    for (char c : std::string("xx"))
        memo.InsertTypedChar(c);
    EXPECT_EQ(records(memo), (std::vector<std::string>{"xxaaaa bbbb cccc ", "dddd eeee ffff\r", "next line"}));
    EXPECT_EQ(Selection(memo).End, 2);
    memo.ExecuteCommand(ecDeleteLastChar, 0, false);
    memo.ExecuteCommand(ecDeleteLastChar, 0, false);
    EXPECT_EQ(records(memo), (std::vector<std::string>{"aaaa bbbb cccc dddd ", "eeee ffff\r", "next line"}));
    // A line break typed into a piece makes a new line of its own.
    Select(memo, 10, 10);
    memo.InsertTypedChar('\r');
    EXPECT_EQ(records(memo), (std::vector<std::string>{"aaaa bbbb \r", "cccc dddd eeee ffff\r", "next line"}));

    // Undo goes back through the re-wraps.
    memo.Undo();
    EXPECT_EQ(records(memo), (std::vector<std::string>{"aaaa bbbb cccc dddd ", "eeee ffff\r", "next line"}));
    memo.Undo();
    memo.Undo();
    EXPECT_EQ(records(memo), (std::vector<std::string>{"xxaaaa bbbb cccc ", "dddd eeee ffff\r", "next line"}));
    while (memo.CanUndo())
        memo.Undo();
    EXPECT_EQ(memo.StoredText(), "aaaa bbbb cccc dddd eeee ffff\rnext line");
    expectSoundChain(memo);
}

TEST(WordWrap, AHeldCharacterIsOneCharacterThatNoRowParts)
{
    // Rows that part no held character, and the text whole across them.
    auto expectHeldWhole = [](TCustomCodeMemo& memo, const std::string& text, const std::string& what) {
        ASSERT_EQ(memo.StoredText(), text) << what;
        expectSoundChain(memo);
        std::vector<size_t> rowEnds;
        size_t end = 0;
        for (const TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
            rowEnds.push_back(end += r->Len);
        for (const auto& [start, stop] : heldCharacterSpans(text))
            for (size_t rowEnd : rowEnds)
                ASSERT_FALSE(rowEnd > start && rowEnd < stop)
                    << what << ": a row ends inside \"" << text.substr(start + 1, stop - start - 1) << "\" at "
                    << rowEnd << "\n" << text;
    };

    std::mt19937 rng(140);
    struct TFont {
        const char* Name;
        bool Tabs;
    };
    for (const TFont font : {TFont{kFixedFont, false}, TFont{kFixedFont, true}, TFont{kProportionalFont, false},
                             TFont{kProportionalFont, true}}) {
        TCodeMemo memo;
        memo.SetControlFont(font.Name, 10);
        SetOption(memo, smoAutoIndent, false);
        memo.SetTabDefault(4);
        for (int width : {20, 27, 41}) {
            setWrap(memo, true, width);
            // A held character beginning at every column around the width, in lines of several rows.
            std::string text;
            for (int column = 0; column <= 2 * width + 4; ++column)
                text += lineWithHeldCharacterAt(rng, column, 3 * width, font.Tabs) + "\r";
            const std::string what = std::string(font.Name) + (font.Tabs ? " with TABs" : "") + ", width " +
                                     std::to_string(width);
            SetText(memo, text);
            ASSERT_GE(memo.RecordCount(), 3 * (2 * width + 5)) << what;
            expectHeldWhole(memo, text, what);
            // Typing before a held character carries it over the edge, a column at a time.
            for (int typed = 0; typed < 12; ++typed) {
                int at = static_cast<int>(rng() % text.size());
                // Not inside a held character, where a typed letter would make it another text.
                for (const auto& [start, stop] : heldCharacterSpans(text))
                    if (static_cast<size_t>(at) > start && static_cast<size_t>(at) < stop)
                        at = static_cast<int>(start);
                Select(memo, at, at);
                const char c = "ab x"[rng() % 4];
                memo.InsertTypedChar(c);
                text.insert(static_cast<size_t>(at), 1, c);
                expectHeldWhole(memo, text, what + ", typed");
                // What the edits left is what wrapping the whole text afresh gives.
                const std::vector<int> incremental = lengths(memo);
                memo.Rewrap(nullptr, nullptr);
                ASSERT_EQ(lengths(memo), incremental) << what;
            }
        }
    }

    // Nor does a break procedure, whatever cut it asks for; a row that begins with a held
    // character takes it whole even when it asks for less.
    TCodeMemo memo;
    fixedWrap(memo, 20);
    const std::string text = std::string(17, 'a') + HeldCharacter(U'\u03B1') + "bbbb" + HeldCharacter(U'\u2192') +
                             std::string(30, 'c');
    for (int answer : {0, 1, 3, 18, 19}) {
        memo.OnWordBreakProc = [answer](const char*, int, int, int) { return answer; };
        SetText(memo, text);
        expectHeldWhole(memo, text, "break procedure " + std::to_string(answer));
    }
    memo.OnWordBreakProc = {};
    // Without one, the row ends before the held character that would cross the width.
    SetText(memo, text);
    EXPECT_EQ(records(memo), (std::vector<std::string>{std::string(17, 'a'),
                                                       HeldCharacter(U'\u03B1') + "bbbb" + HeldCharacter(U'\u2192') + "ccc",
                                                       std::string(20, 'c'), std::string(7, 'c')}));
}
