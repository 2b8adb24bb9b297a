// The editor control driven through its messages: text, lines, selection, styles and the small answers.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <regex>
#include <vector>

#include "editor/CodeMemoStrings.h"
#include "editor/model/KeyBindings.h"
#include "platform/core/CharacterReferences.h"
#include "CodeMemoTestSupport.h"

namespace {

// Reads line `index` through EM_GETLINE into a buffer of `size` characters with a guard byte after it.
struct LineRead {
    LRESULT Result;
    std::string Text;
    bool GuardIntact;
};

LineRead getLine(TCodeMemo& memo, int index, uint16_t size)
{
    std::vector<char> buffer(static_cast<size_t>(std::max<int>(size, 2)) + 1, '#');
    std::memcpy(buffer.data(), &size, sizeof size);
    LRESULT n = memo.Perform(EM_GETLINE, index, reinterpret_cast<LPARAM>(buffer.data()));
    return {n, std::string(buffer.data(), static_cast<size_t>(std::max<LRESULT>(n, 0))), buffer.back() == '#'};
}

} // namespace

TEST(CodeMemoMessages, TextAndLineMessagesOfTwoLines)
{
    TCodeMemo memo;
    SetText(memo, "abc\r\ndef");
    EXPECT_EQ(memo.TextLength(), 7); // a line break is stored as one CR
    EXPECT_EQ(memo.Perform(WM_GETTEXTLENGTH, 0, 0), 8);

    char big[100];
    std::memset(big, '#', sizeof big);
    EXPECT_EQ(memo.Perform(WM_GETTEXT, 100, reinterpret_cast<LPARAM>(big)), 8);
    EXPECT_STREQ(big, "abc\r\ndef");

    char small[6] = "#####";
    EXPECT_EQ(memo.Perform(WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small)), 3);
    EXPECT_STREQ(small, "abc");
    EXPECT_EQ(small[4], '#'); // nothing beyond the size given

    char none[2] = {'#', '#'};
    EXPECT_EQ(memo.Perform(WM_GETTEXT, 0, reinterpret_cast<LPARAM>(none)), 0);
    EXPECT_EQ(none[0], '#');

    EXPECT_EQ(memo.Perform(EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_EQ(memo.Perform(EM_LINEINDEX, 0, 0), 0);
    EXPECT_EQ(memo.Perform(EM_LINEINDEX, 1, 0), 4);
    EXPECT_EQ(memo.Perform(EM_LINEINDEX, 2, 0), 7); // past the last line: the text length
    EXPECT_EQ(memo.Perform(EM_LINEINDEX, 50, 0), 7);
    EXPECT_EQ(memo.Perform(EM_LINELENGTH, 0, 0), 3);
    EXPECT_EQ(memo.Perform(EM_LINELENGTH, 3, 0), 3); // on the line break
    EXPECT_EQ(memo.Perform(EM_LINELENGTH, 5, 0), 3);
    EXPECT_EQ(memo.Perform(EM_LINELENGTH, 8, 0), 0); // no such offset

    LineRead first = getLine(memo, 0, 10);
    EXPECT_EQ(first.Result, 3);
    EXPECT_EQ(first.Text, "abc");
    LineRead second = getLine(memo, 1, 10);
    EXPECT_EQ(second.Text, "def");
    LineRead cut = getLine(memo, 1, 2);
    EXPECT_EQ(cut.Result, 2);
    EXPECT_EQ(cut.Text, "de");
    EXPECT_TRUE(cut.GuardIntact);
    EXPECT_EQ(getLine(memo, 2, 10).Result, 0); // past the last record
    EXPECT_EQ(getLine(memo, -1, 10).Result, 0);

    EXPECT_EQ(memo.Perform(EM_LINEFROMCHAR, 0, 0), 0);
    EXPECT_EQ(memo.Perform(EM_LINEFROMCHAR, 3, 0), 0);
    EXPECT_EQ(memo.Perform(EM_LINEFROMCHAR, 4, 0), 1);
    EXPECT_EQ(memo.Perform(EM_LINEFROMCHAR, 7, 0), 1);
    Select(memo, 6, 6);
    EXPECT_EQ(memo.Perform(EM_LINEFROMCHAR, static_cast<WPARAM>(-1), 0), 1);
    EXPECT_EQ(memo.Perform(EM_LINEINDEX, static_cast<WPARAM>(-1), 0), 4);
}

TEST(CodeMemoMessages, AMarkByteHandedInIsAControlCharacterAndOneHandedOutTheAmpersandItShowsAs)
{
    TCodeMemo memo;
    // The edit-control messages take a text from elsewhere: a 0x1F that begins no held character
    // is a control character, "." as the others are, also the last one; a held character stays held.
    SetText(memo, "a\x1F" "b\x01\x1F#945;c\x1F#31;\x1F#233;\x1F");
    EXPECT_EQ(memo.StoredText(), "a.b.\x1F#945;c.#31;.#233;.");
    Select(memo, 1, 1);
    Insert(memo, "\x1F", EM_REPLACESEL);
    Insert(memo, "x\x1F", EM_REPLACESEL);
    Insert(memo, "\x1F#8594;", EM_REPLACESEL);
    EXPECT_EQ(memo.StoredText(), "a.x.\x1F#8594;.b.\x1F#945;c.#31;.#233;.");

    // The editor's own text, which an edit inside a held character leaves with a mark that begins
    // none (shown "&"), goes in through its private message as it is; handed out through the
    // edit-control interface that mark is the "&" it shows as, so a text read and set again (a
    // text tool, the lines) keeps what the author saw.
    SetText(memo, "");
    Insert(memo, "p\x1F#94;q\x1F#945;\r\x1F#31;");
    const std::string stored = "p\x1F#94;q\x1F#945;\r\x1F#31;";
    ASSERT_EQ(memo.StoredText(), stored);
    memo.SelectAll();
    EXPECT_EQ(memo.GetSelText(), "p&#94;q\x1F#945;\r\n&#31;");
    EXPECT_EQ(memo.GetTextStr(), "p&#94;q\x1F#945;\r\n&#31;");
    char buffer[64] = {};
    memo.Perform(WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    EXPECT_STREQ(buffer, "p&#94;q\x1F#945;\r\n&#31;");
    EXPECT_EQ(getLine(memo, 1, 10).Text, "&#31;");
    // A held character the selection cuts is none out of it.
    Select(memo, 4, 12);
    EXPECT_EQ(memo.GetSelText(), "4;q&#945");
    memo.Lines().Put(1, memo.Lines()[1]);
    memo.Lines().Put(0, memo.Lines()[0]);
    EXPECT_EQ(memo.StoredText(), "p&#94;q\x1F#945;\r&#31;");
    // The undo log replays the text as it was, marks and all.
    memo.Undo();
    memo.Undo();
    EXPECT_EQ(memo.StoredText(), stored);

    // A line longer than a record is cut into several: a held character the cut parts is still one.
    for (int before = 2036; before <= 2050; ++before) {
        SetText(memo, "");
        const std::string line = std::string(static_cast<size_t>(before), 'x') + "\x1F#128512;\x1F#9" + "\r";
        Insert(memo, line.c_str());
        ASSERT_EQ(memo.StoredText(), line);
        memo.SelectAll();
        EXPECT_EQ(memo.GetSelText(), line.substr(0, line.size() - 4) + "&#9\r\n") << before;
    }
}

TEST(CodeMemoMessages, EmptyControlAndFinalLineBreak)
{
    TCodeMemo memo;
    EXPECT_EQ(memo.Perform(EM_GETLINECOUNT, 0, 0), 1);
    EXPECT_EQ(memo.Lines().Count(), 0);
    EXPECT_EQ(memo.Perform(WM_GETTEXTLENGTH, 0, 0), 0);
    EXPECT_EQ(memo.Perform(EM_LINEINDEX, 0, 0), 0);
    EXPECT_EQ(getLine(memo, 0, 10).Result, 0);
    EXPECT_EQ(memo.Lines().Get(0), "");

    // After a final line break the caret's line is the empty one below the last record.
    SetText(memo, "abc\r\n");
    EXPECT_EQ(memo.Perform(EM_GETLINECOUNT, 0, 0), 1);
    EXPECT_EQ(memo.Perform(EM_LINEFROMCHAR, 4, 0), 1);
    EXPECT_EQ(memo.Perform(EM_LINELENGTH, 4, 0), 0);
    Select(memo, 4, 4);
    EXPECT_EQ(memo.Perform(EM_LINEINDEX, static_cast<WPARAM>(-1), 0), 4);
    EXPECT_EQ(memo.CaretPos(), (TPoint{1, 2}));
}

TEST(CodeMemoMessages, SelectionIsClampedAndMinusOneSelectsAll)
{
    TCodeMemo memo;
    SetText(memo, "0123456789abcdefghij");
    Select(memo, 50, 10);
    TSelectionRange got = Selection(memo);
    EXPECT_EQ(got.Start, 20);
    EXPECT_EQ(got.End, 10);
    Select(memo, -5, 3);
    EXPECT_EQ(Selection(memo).Start, 0);
    Select(memo, -1, 3);
    got = Selection(memo);
    EXPECT_EQ(got.Start, 0);
    EXPECT_EQ(got.End, 20);
    memo.Perform(EM_SETSEL, 4, 2);
    memo.Perform(EM_SETSEL, 0, -1);
    int32_t anchor = -1, caret = -1;
    memo.Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&caret));
    EXPECT_EQ(anchor, 0);
    EXPECT_EQ(caret, 20);
    memo.Perform(EM_SETSEL, 7, 3);
    memo.Perform(EM_GETSEL, reinterpret_cast<WPARAM>(&anchor), reinterpret_cast<LPARAM>(&caret));
    EXPECT_EQ(anchor, 7); // not ordered
    EXPECT_EQ(caret, 3);
    EXPECT_EQ(memo.GetSelStart(), 3);
    memo.SetSelStart(5);
    EXPECT_EQ(Selection(memo).Start, 5);
    EXPECT_EQ(Selection(memo).End, 5);
    memo.SetSelLength(4);
    EXPECT_EQ(memo.GetSelText(), "5678");
}

TEST(CodeMemoMessages, SelectedTextCountsLineBreaksAsTwo)
{
    TCodeMemo memo;
    SetText(memo, "ab\r\ncd\nef");
    Select(memo, 1, 4);
    EXPECT_EQ(memo.GetSelLength(), 4);
    EXPECT_EQ(memo.GetSelText(), "b\r\nc");
    EXPECT_EQ(memo.SelectionText(SMM_FORMAT_UNIX), "b\nc");
    EXPECT_EQ(memo.Perform(SMM_GETSELTEXT, SMM_FORMAT_TEXT, 0), 4);
    char buffer[8];
    EXPECT_EQ(memo.Perform(SMM_GETSELTEXT, SMM_FORMAT_TEXT, reinterpret_cast<LPARAM>(buffer)), 4);
    EXPECT_STREQ(buffer, "b\r\nc");
    memo.SelectAll();
    EXPECT_EQ(memo.GetTextLen(), 10);
    EXPECT_EQ(memo.GetTextStr(), "ab\r\ncd\r\nef");
}

TEST(CodeMemoMessages, GetSelTextBufNeverWritesPastItsSize)
{
    TCodeMemo memo;
    SetText(memo, "abc\r\ndef");
    memo.SelectAll();
    EXPECT_EQ(memo.GetSelTextBuf(nullptr, 0), 8);

    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(memo.GetSelTextBuf(buffer, 5), 4);
    EXPECT_STREQ(buffer, "abc\r");
    EXPECT_EQ(buffer[5], '#');

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(memo.GetSelTextBuf(buffer, 0), 0);
    EXPECT_EQ(buffer[0], '#');
    EXPECT_EQ(memo.GetSelTextBuf(buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], '#');

    // The selection itself is left as it was.
    EXPECT_EQ(Selection(memo).End, 7);
}

TEST(CodeMemoMessages, VersionAndDialogCodes)
{
    TCodeMemo memo;
    auto version = reinterpret_cast<const char*>(memo.Perform(SMM_GETVERSION, 0, 0));
    ASSERT_NE(version, nullptr);
    EXPECT_STREQ(version, "<TCodeMemo>:2.01.31");
    EXPECT_EQ(memo.Version(), "2.01.31");

    EXPECT_EQ(memo.Perform(WM_GETDLGCODE, 0, 0), 0x83);
    memo.WantTab = false;
    memo.WantReturns = false;
    EXPECT_EQ(memo.Perform(WM_GETDLGCODE, 0, 0), 0x81);

    // A fresh control's log is empty: nothing to undo or redo, nothing reads as modified.
    EXPECT_EQ(memo.Perform(EM_CANUNDO, 0, 0), 0);
    EXPECT_EQ(memo.Perform(SMM_CANREDO, 0, 0), 0);
    EXPECT_EQ(memo.Perform(EM_GETMODIFY, 0, 0), 0);
    // No search unit: nothing is found.
    EXPECT_EQ(memo.Perform(SMM_FIND, 8, reinterpret_cast<LPARAM>("abc")), -1);
    // Unknown messages answer 0.
    EXPECT_EQ(memo.Perform(0x0C03, 1, 1), 0);
}

TEST(CodeMemoMessages, InsertTextReplacesTheSelectionAndNotifiesOnce)
{
    TCodeMemo memo;
    SetText(memo, "hello world");
    int changes = 0;
    std::vector<std::pair<int, int>> edits;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    memo.OnTextChange = [&](TCodeMemoCore*, int start, int extent) { edits.emplace_back(start, extent); };
    Select(memo, 6, 11);
    changes = 0;
    memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>("there\r\nnow"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(memo.GetTextStr(), "hello there\r\nnow");
    ASSERT_EQ(edits.size(), 2u);
    EXPECT_EQ(edits[0], (std::pair<int, int>{6, -5}));
    EXPECT_EQ(edits[1], (std::pair<int, int>{6, 9}));
    EXPECT_EQ(Selection(memo).Start, 15);
    EXPECT_EQ(Selection(memo).End, 15);

    // With the no-redraw bit the text changes but nothing is announced.
    changes = 0;
    memo.Perform(SMM_INSERTTEXT, SMM_NOREDRAW, reinterpret_cast<LPARAM>("!"));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(memo.GetTextStr(), "hello there\r\nnow!");
    // A nil text deletes the selection.
    Select(memo, 0, 6);
    memo.Perform(SMM_INSERTTEXT, 0, 0);
    EXPECT_EQ(memo.GetTextStr(), "there\r\nnow!");
    memo.SetSelText("X");
    EXPECT_EQ(memo.GetTextStr(), "Xthere\r\nnow!");
}

TEST(CodeMemoMessages, RedrawOffHoldsBackChangeNotification)
{
    TCodeMemo memo;
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    memo.Perform(WM_SETREDRAW, 0, 0);
    memo.Perform(SMM_INSERTTEXT, 0, reinterpret_cast<LPARAM>("abc"));
    EXPECT_EQ(changes, 0);
    memo.Perform(WM_SETREDRAW, 1, 0);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(memo.RedrawOn());
    memo.Perform(SMM_SUSPENDPAINT, SMM_SET, 1);
    EXPECT_EQ(memo.Perform(SMM_SUSPENDPAINT, 0, 0), 1);
    memo.Perform(SMM_SUSPENDPAINT, SMM_SET, 0);
    EXPECT_EQ(memo.Perform(SMM_SUSPENDPAINT, 0, 0), 0);
}

TEST(CodeMemoMessages, StyleBytesGoInAndOutByLines)
{
    TCodeMemo memo;
    SetText(memo, "ab\r\ncde\r\nf");
    // Records: "ab\r" (3), "cde\r" (4), "f" (1).
    std::array<uint8_t, 8> in{1, 2, 3, 4, 5, 6, 7, 8};
    memo.Perform(SMM_SETSTYLES, 0, reinterpret_cast<LPARAM>(in.data()));
    const TLineRecord* second = memo.FirstRecord()->Next;
    ASSERT_NE(second->Styles, nullptr);
    EXPECT_EQ(second->Styles[0], 4);
    EXPECT_EQ(second->Styles[3], 7);
    EXPECT_NE(second->Flags & lfChanged, 0u);

    std::array<uint8_t, 8> out{};
    memo.Perform(SMM_GETSTYLES, 0, reinterpret_cast<LPARAM>(out.data()));
    EXPECT_EQ(out, in);

    TSelectionRange lines{1, 1};
    std::array<uint8_t, 4> middle{};
    memo.Perform(SMM_GETSTYLES, reinterpret_cast<WPARAM>(&lines), reinterpret_cast<LPARAM>(middle.data()));
    EXPECT_EQ(middle, (std::array<uint8_t, 4>{4, 5, 6, 7}));

    // The bounded form leaves a record the bytes do not cover alone.
    memo.SetStyleBytes(nullptr, std::string("\x09\x09\x09\x09\x09", 5));
    EXPECT_EQ(memo.GetStyleBytes(nullptr), std::string("\x09\x09\x09\x04\x05\x06\x07\x08", 8));

    // A record that was never styled reads as zeros.
    SetText(memo, "xy");
    std::array<uint8_t, 3> fresh{9, 9, 9};
    memo.Perform(SMM_GETSTYLES, 0, reinterpret_cast<LPARAM>(fresh.data()));
    EXPECT_EQ(fresh, (std::array<uint8_t, 3>{0, 0, 9}));
}

TEST(CodeMemoMessages, OptionWordAndOptionSet)
{
    TCodeMemo memo;
    EXPECT_EQ(memo.Perform(SMM_OPTIONS, 0, 0), 0x3FFDBF0);
    TCodeMemoOptions options = memo.Options();
    EXPECT_TRUE(options.Contains(smoSyntaxHighlight));
    EXPECT_FALSE(options.Contains(smoWordWrap));
    options.Include(smoLineNumbers);
    options.Exclude(smoShowGutter);
    memo.SetOptions(options);
    EXPECT_EQ(memo.Perform(SMM_OPTIONS, 0, 0), (0x3FFDBF0 | 0x1) & ~0x10000);
    EXPECT_EQ(memo.TextLeft(), memo.Margin()); // no gutter now
    memo.SetWordWrap(true);
    EXPECT_TRUE(memo.WordWrap());
    EXPECT_EQ(memo.Perform(SMM_OPTIONS, 0, 0) & 0x400, 0x400);
}

TEST(CodeMemoMessages, TopLineAndScrolling)
{
    TCodeMemo memo;
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    SetText(memo, text);
    memo.Perform(SMM_TOPLINE, SMM_SET, 10);
    EXPECT_EQ(memo.Perform(SMM_TOPLINE, 0, 0), 10);
    EXPECT_EQ(memo.Perform(EM_GETFIRSTVISIBLELINE, 0, 0), 10);
    EXPECT_EQ(memo.CaretControl().GetTopLine(), 11);
    memo.CaretControl().SetTopLine(1);
    EXPECT_EQ(memo.TopLine(), 0);
    memo.Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    memo.Perform(WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(memo.TopLine(), 2);
    memo.Perform(WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(memo.TopLine(), 2 + memo.LinesPerWindow());
    memo.Perform(WM_VSCROLL, MakeLong(SB_THUMBTRACK, 500), 0);
    EXPECT_EQ(memo.TopLine(), 99); // clamped to the last line
    memo.Perform(EM_LINESCROLL, 0, -9);
    EXPECT_EQ(memo.TopLine(), 90);
    memo.Perform(SMM_LEFTCOLUMN, SMM_SET, 3);
    EXPECT_EQ(memo.Perform(SMM_LEFTCOLUMN, 0, 0), 3);
    EXPECT_EQ(memo.TopLine(), 90);
}

TEST(CodeMemoMessages, PointsAndOffsetsAgree)
{
    TCodeMemo memo;
    memo.Perform(WM_SIZE, 0, MakeLong(400, 200));
    SetText(memo, "abcdef\r\nghijkl");
    int left = memo.TextLeft();
    int width = memo.CharWidth();
    TPoint point{-5, -5};
    memo.Perform(EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), 9);
    EXPECT_EQ(point, (TPoint{left + 2 * width, memo.LineHeight()}));
    EXPECT_EQ(memo.Perform(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&point)), 9);
    TPoint leftOfText{left - 1, 0};
    EXPECT_EQ(memo.Perform(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&leftOfText)), -1);
    TPoint below{left, 201};
    EXPECT_EQ(memo.Perform(EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&below)), -1);
    EXPECT_EQ(memo.Perform(EM_CHARFROMPOS, 0, 0), -1);

    Select(memo, 9, 9);
    EXPECT_EQ(memo.CaretPos(), (TPoint{3, 2}));
}

TEST(CodeMemoLines, ListOperationsWorkThroughMessages)
{
    TCodeMemo memo;
    TCodeMemoStrings& lines = memo.Lines();
    lines.Add("one");
    EXPECT_EQ(memo.GetTextStr(), "one");
    lines.Add("three");
    EXPECT_EQ(memo.GetTextStr(), "one\r\nthree");
    lines.Insert(1, "two");
    EXPECT_EQ(memo.GetTextStr(), "one\r\ntwo\r\nthree");
    EXPECT_EQ(lines.Count(), 3);
    EXPECT_EQ(lines.Get(2), "three");
    // At or past the end a line is appended, never glued to the last one.
    lines.Insert(7, "four");
    EXPECT_EQ(memo.GetTextStr(), "one\r\ntwo\r\nthree\r\nfour");

    lines.Put(1, "TWO");
    EXPECT_EQ(lines.Get(1), "TWO");
    EXPECT_THROW(lines.Put(4, "five"), EListError);
    EXPECT_EQ(memo.GetTextStr(), "one\r\nTWO\r\nthree\r\nfour");

    lines.Delete(0);
    EXPECT_EQ(memo.GetTextStr(), "TWO\r\nthree\r\nfour");
    lines.Delete(9);
    EXPECT_EQ(lines.Count(), 3);

    lines.SetText("a\nb\rc");
    EXPECT_EQ(lines.Text(), "a\r\nb\r\nc");
    int changes = 0;
    memo.OnChange = [&](TCustomCodeMemo*) { ++changes; };
    lines.SetText("a\r\nb\r\nc");
    EXPECT_EQ(changes, 0); // the same text is not loaded again

    TStringList list;
    list.Add("x");
    list.Add("y");
    lines.Assign(list);
    EXPECT_EQ(lines.Count(), 2);
    EXPECT_EQ(lines.Get(1), "y");
    EXPECT_EQ(Selection(memo).End, 0);
    lines.Clear();
    EXPECT_EQ(lines.Count(), 0);
    EXPECT_TRUE(memo.RedrawOn());
    EXPECT_EQ(lines.UpdateCount(), 0);
}

namespace {
// Records what reaches the members that the editor's other units provide.
class TRecordingMemo : public TCodeMemo {
public:
    void Undo() override { Calls += "undo "; }
    void Redo() override { Calls += "redo "; }
    int DoFind(int flags, const char* text) override
    {
        Calls += "find " + std::to_string(flags) + " " + text + " ";
        return 42;
    }
    void CutToClipboard() override { Calls += "cut "; }
    void CopyToClipboard() override { Calls += "copy "; }
    void PasteFromClipboard() override { Calls += "paste "; }
    void WriteHTML(TStream& stream) override { stream.WriteBuffer(Html.data(), static_cast<int64_t>(Html.size())); }
    void SelectWordAtCaret(TPoint point) override { Calls += "word " + std::to_string(point.X) + " "; }
    std::string Calls;
    std::string Html;
};
} // namespace

TEST(CodeMemoMessages, MessagesOfOtherUnitsReachTheirMembers)
{
    TRecordingMemo memo;
    SetText(memo, "abc");
    memo.Perform(EM_UNDO, 0, 0);
    memo.Perform(WM_UNDO, 0, 0);
    memo.Perform(SMM_REDO, 0, 0);
    EXPECT_EQ(memo.Perform(SMM_FIND, 16, reinterpret_cast<LPARAM>("b")), 42);
    memo.Perform(WM_CUT, 0, 0);
    memo.Perform(WM_COPY, 0, 0);
    memo.Perform(WM_PASTE, 0, 0);
    // A double click left of the text area selects nothing.
    memo.Perform(WM_LBUTTONDBLCLK, 0, MakeLong(memo.TextLeft() - 1, 3));
    memo.Perform(WM_LBUTTONDBLCLK, 0, MakeLong(memo.TextLeft() + 5, 3));
    EXPECT_EQ(memo.Calls, "undo undo redo find 16 b cut copy paste word " + std::to_string(memo.TextLeft() + 5) + " ");

    // Saving as HTML goes through the HTML writer; a writer that puts out less than the text fails.
    memo.SetSaveFormat(sfHTML);
    TMemoryStream stream;
    memo.Html = "<p>abc</p>";
    memo.SaveToStream(stream);
    EXPECT_EQ(stream.AsString(), "<p>abc</p>");
    memo.Html = "";
    TMemoryStream empty;
    EXPECT_THROW(memo.SaveToStream(empty), EFileSaveError);
    EXPECT_EQ(memo.Perform(SMM_GETSELTEXT, SMM_FORMAT_HTML, 0), 0);
}

TEST(CodeMemoMessages, DroppedFilesReachTheHandlerOnlyWhenTheOptionSaysSo)
{
    TCodeMemo memo;
    TDroppedFiles dropped;
    dropped.Files.Add("/tmp/a.html");
    dropped.Files.Add("/tmp/b.css");
    dropped.Point = {12, 30};
    std::vector<std::string> got;
    TPoint at{-9, -9};
    memo.OnFilesDropped = [&](TCustomCodeMemo*, const TStringList& files, TPoint point) {
        for (int i = 0; i < files.Count(); ++i)
            got.push_back(files[i]);
        at = point;
    };
    memo.Perform(WM_DROPFILES, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_EQ(got, (std::vector<std::string>{"/tmp/a.html", "/tmp/b.css"}));
    EXPECT_EQ(at, (TPoint{12, 30}));

    got.clear();
    TCodeMemoOptions options = memo.Options();
    options.Exclude(smoProcessDroppedFiles);
    memo.SetOptions(options);
    memo.Perform(WM_DROPFILES, 0, reinterpret_cast<LPARAM>(&dropped));
    EXPECT_TRUE(got.empty());
}

TEST(CodeMemoSearch, EachControlKeepsItsOwnSearchEnginesOverItsText)
{
    TCodeMemo memo;
    TCodeMemo other;
    SetText(memo, "Dim x\r\nin\r\nbegin IN"); // stored with one CR per line break
    // Nothing is compiled yet: a match is refused rather than run on an empty program.
    TEdStream cursor(&memo);
    cursor.Reset(memo.FirstRecord(), 0, 0);
    EXPECT_THROW(memo.REParser().Match(cursor, true), ERegExprError);

    ASSERT_TRUE(memo.REParser().Compile("^in$"));
    cursor.SetPos(0);
    ASSERT_TRUE(memo.REParser().Match(cursor, true));
    EXPECT_EQ(memo.REParser().MatchEntry(0), 6);
    EXPECT_EQ(memo.REParser().MatchEntry(memo.REParser().ElementCount()), 9);
    EXPECT_EQ(other.REParser().Pattern(), "");

    // The plain search takes the control's word tests and keeps its tables in the control.
    auto inWord = [&memo](char c) { return memo.CharIsInWord(c); };
    auto startsWord = [&memo](char c) { return memo.CharStartsWord(c); };
    const int limit = memo.TextLength() - 1;
    cursor.SetPos(0);
    EXPECT_EQ(BMSearch(inWord, startsWord, cursor, limit, memo.SkipTable(), true, false, false, 7, "in"), 15);
    EXPECT_EQ(memo.SkipTable().Pattern, "in");
    EXPECT_EQ(BMSearch(inWord, startsWord, cursor, limit, memo.SkipTable(), true, true, false, 7, "in"), limit + 1);
    EXPECT_EQ(BMSearch(inWord, startsWord, cursor, limit, memo.SkipTable(), true, true, true, 15, "in"), 6);
    EXPECT_EQ(other.SkipTable().Pattern, "");
}

TEST(CodeMemoCaret, TheFilePositionCountedOnFromTheLastOneIsTheFullCountAfterAnyEditOrMove)
{
    // The model: the line and the column of the caret in the stored text, counted from the text's
    // start with the control's tab stops as they are now.
    const auto expected = [](TCodeMemo& memo) {
        const std::string text = memo.StoredText();
        const int caret = Selection(memo).End;
        int line = 0, lineStart = 0;
        for (int i = 0; i < caret; ++i)
            if (text[static_cast<size_t>(i)] == '\r') {
                ++line;
                lineStart = i + 1;
            }
        int column = 0;
        for (int i = lineStart; i < caret; ++i)
            column = text[static_cast<size_t>(i)] == '\t' ? memo.NextTabColumn(column) : column + 1;
        return TPoint{column + 1, line + 1};
    };
    std::mt19937 random(141);
    const std::string pieces[] = {"a", "bc", "\t", "\r", " ", HeldCharacter(U'\u03B1'), HeldCharacter(U'\U0001F600'),
                                  "\t\t", "xyz"};
    auto randomText = [&](int n) {
        std::string text;
        while (static_cast<int>(text.size()) < n)
            text += pieces[random() % std::size(pieces)];
        return text;
    };
    TCodeMemo memo;
    SetOption(memo, smoAutoIndent, false);
    // Lines of several records, TABs and held characters all along them.
    std::string start;
    for (int line = 0; line < 4; ++line)
        start += std::string(static_cast<size_t>(3000 + 2000 * line), 'w') + randomText(3000) + "\r";
    SetText(memo, std::regex_replace(start, std::regex("\r"), "\r\n"));
    int caret = 0;
    for (int step = 0; step < 3000; ++step) {
        const int length = memo.TextLength();
        const unsigned kind = random() % 16;
        if (kind < 5) { // typed at the caret, as the keys go
            Select(memo, caret, caret);
            memo.InsertTypedChar("ab\t x"[random() % 5]);
        } else if (kind == 5) { // Backspace
            Select(memo, caret, caret);
            memo.ExecuteCommand(ecDeleteLastChar, 0, false);
        } else if (kind == 6) { // pasted or replaced somewhere near, before the caret or after it
            const int a = std::clamp(caret + static_cast<int>(random() % 4001) - 2000, 0, length);
            const int b = std::min(length, a + static_cast<int>(random() % 30));
            Select(memo, a, b);
            memo.SetSelText(randomText(static_cast<int>(random() % 40)));
        } else if (kind == 7 && memo.CanUndo()) {
            memo.Undo();
        } else if (kind == 8) {
            memo.Redo();
        } else if (kind == 9) { // the tab stops change under the kept columns
            if (random() % 2)
                memo.SetTabDefault(static_cast<int>(random() % 9) + 1);
            else
                memo.SetTabColumns(random() % 2 ? "" : "3 10 17");
        } else if (kind == 10) {
            memo.SetWordWrap(!memo.WordWrap());
        } else { // the caret moves a little either way, now and then far
            caret = random() % 6 == 0 ? static_cast<int>(random() % static_cast<unsigned>(length + 1))
                                      : caret + static_cast<int>(random() % 61) - 30;
            caret = std::clamp(caret, 0, length);
            Select(memo, caret, caret);
        }
        caret = Selection(memo).End;
        const TPoint want = expected(memo);
        const TPoint got = memo.CaretFilePos();
        ASSERT_EQ(got.Y, want.Y) << "line after step " << step << ", caret " << caret;
        ASSERT_EQ(got.X, want.X) << "column after step " << step << ", caret " << caret;
    }
}
