// Tests of InsertTag and the small code routines of tag insertion: the text, the selection and the undo step an insertion leaves.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>

#include "app/host/libKestrimaTags.h"
#include "editor/CodeMemo.h"
#include "support/EditorText.h"
#include "platform/core/Messages.h"

namespace {

void setText(TCodeMemo& memo, const std::string& text, int selStart, int selLength)
{
    memo.Lines().SetText(text);
    memo.SetSelStart(selStart);
    memo.SetSelLength(selLength);
}

struct TSelection {
    int start, length;
    bool operator==(const TSelection&) const = default;
};

TSelection selectionOf(TCodeMemo& memo)
{
    TSelectionRange range{};
    memo.PerformSelection(0, range);
    return {std::min(range.Start, range.End), std::abs(range.End - range.Start)};
}

// An editor whose replacement fails, as a full disk or a broken undo log would make it.
class TFailingMemo : public TCodeMemo {
public:
    LRESULT Perform(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == EM_REPLACESEL)
            throw std::runtime_error("refused");
        return TCodeMemo::Perform(msg, wParam, lParam);
    }
};

} // namespace

TEST(InsertTag, WrapsTheSelectionInTheCodesInTheirCase)
{
    TCodeMemo memo;
    setText(memo, "", 0, 0);
    EXPECT_TRUE(InsertTag(memo, 3, false, false, "<B>", "</B>"));
    EXPECT_EQ(EditorText(memo), "<b></b>");
    EXPECT_EQ(selectionOf(memo), (TSelection{3, 0}));

    setText(memo, "abc", 0, 3);
    EXPECT_TRUE(InsertTag(memo, 0, false, false, "<a href=\"x\">", "</a>"));
    EXPECT_EQ(EditorText(memo), "<A HREF=\"X\">abc</A>");
    EXPECT_EQ(selectionOf(memo), (TSelection{12, 3}));
    EXPECT_EQ(memo.GetSelText(), "abc");

    setText(memo, "abc", 0, 3);
    EXPECT_TRUE(InsertTag(memo, 2, false, false, "<a href=\"x\">", "</a>"));
    EXPECT_EQ(EditorText(memo), "<A HREF=\"x\">abc</A>");
    EXPECT_EQ(memo.GetSelText(), "abc");

    // Any other mode leaves the codes as they are; the selected text never changes case.
    setText(memo, "aBc", 0, 3);
    EXPECT_TRUE(InsertTag(memo, 4, false, false, "<i>", "</I>"));
    EXPECT_EQ(EditorText(memo), "<i>aBc</I>");
    setText(memo, "aBc", 0, 3);
    EXPECT_TRUE(InsertTag(memo, 1, false, false, "<I>", "</I>"));
    EXPECT_EQ(EditorText(memo), "<i>aBc</i>");
}

TEST(InsertTag, SeparateLinesAndIgnoredSelection)
{
    TCodeMemo memo;
    setText(memo, "xabcx", 1, 3);
    EXPECT_TRUE(InsertTag(memo, 0, false, true, "<DIV>", "</DIV>"));
    EXPECT_EQ(EditorText(memo), "x<DIV>\rabc\r</DIV>x");
    EXPECT_EQ(selectionOf(memo), (TSelection{7, 3}));

    // Without a selection the caret waits at the start of the empty middle line.
    setText(memo, "", 0, 0);
    EXPECT_TRUE(InsertTag(memo, 0, false, true, "<DIV>", "</DIV>"));
    EXPECT_EQ(EditorText(memo), "<DIV>\r\r</DIV>");
    EXPECT_EQ(selectionOf(memo), (TSelection{6, 0}));

    // Ignoring the selection replaces it by the bare codes.
    setText(memo, "xabcx", 1, 3);
    EXPECT_TRUE(InsertTag(memo, 0, true, false, "<B>", "</B>"));
    EXPECT_EQ(EditorText(memo), "x<B></B>x");
    EXPECT_EQ(selectionOf(memo), (TSelection{4, 0}));

    // A selection over lines keeps its lines, each break one character.
    setText(memo, "one\rtwo", 0, 7);
    EXPECT_TRUE(InsertTag(memo, 4, false, false, "<P>", "</P>"));
    EXPECT_EQ(EditorText(memo), "<P>one\rtwo</P>");
    EXPECT_EQ(selectionOf(memo), (TSelection{3, 7}));
}

TEST(InsertTag, EachInsertionIsOneUndoStep)
{
    TCodeMemo memo;
    setText(memo, "abc def", 4, 3);
    ASSERT_TRUE(InsertTag(memo, 0, false, true, "<DIV>", "</DIV>"));
    ASSERT_TRUE(InsertTag(memo, 0, false, false, "<B>", "</B>"));
    EXPECT_EQ(EditorText(memo), "abc <DIV>\r<B>def</B>\r</DIV>");
    memo.Perform(EM_UNDO, 0, 0);
    EXPECT_EQ(EditorText(memo), "abc <DIV>\rdef\r</DIV>");
    memo.Perform(EM_UNDO, 0, 0);
    EXPECT_EQ(EditorText(memo), "abc def");
}

TEST(InsertTag, MatchesAStringModelOnRandomTextsAndSelections)
{
    std::mt19937 random(4649);
    const char alphabet[] = "ab \r<>\"x";
    TCodeMemo memo;
    for (int round = 0; round < 300; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % (sizeof alphabet - 1)];
        // The editor keeps no line break at the very end of its last line as a line of its own.
        const int start = length ? static_cast<int>(random() % (length + 1)) : 0;
        const int selected = static_cast<int>(random() % (length - start + 1));
        const bool ignore = random() % 2;
        const bool separate = random() % 2;
        const std::string open = random() % 2 ? "<EM>" : " ID=\"";
        const std::string close = random() % 2 ? "</EM>" : "";
        setText(memo, text, start, selected);
        const std::string model = EditorText(memo);
        ASSERT_EQ(selectionOf(memo), (TSelection{start, selected})) << round;
        ASSERT_TRUE(InsertTag(memo, 4, ignore, separate, open, close));

        const std::string inner = ignore ? "" : model.substr(start, selected);
        const std::string lineBreak = separate ? "\r" : "";
        const std::string expected = model.substr(0, start) + open + lineBreak + inner + lineBreak + close +
                                     model.substr(start + selected);
        EXPECT_EQ(EditorText(memo), expected) << round;
        const int innerStart = start + static_cast<int>(open.size() + lineBreak.size());
        EXPECT_EQ(selectionOf(memo), (TSelection{innerStart, static_cast<int>(inner.size())})) << round;
    }
}

TEST(InsertTag, AFailedReplacementIsReportedAndTheCaretStillPlaced)
{
    TFailingMemo memo;
    setText(memo, "abcdef", 2, 0);
    EXPECT_FALSE(InsertTag(memo, 0, false, false, "<B>", "</B>"));
    EXPECT_EQ(EditorText(memo), "abcdef");
    EXPECT_EQ(selectionOf(memo), (TSelection{5, 0}));
}

TEST(TagCodes, ColourConversionsTakeOnlyThreeComponents)
{
    std::string result = "kept";
    EXPECT_TRUE(DecimalColorToHex("255, 0,128", result));
    EXPECT_EQ(result, "FF0080");
    EXPECT_TRUE(DecimalColorToHex(" 1 0 ,2,3 ", result));
    EXPECT_EQ(result, "0A0203");
    EXPECT_TRUE(HexColorToDecimal("FF,00,80", result));
    EXPECT_EQ(result, "255,0,128");
    EXPECT_TRUE(HexColorToDecimal("a, b ,0c", result));
    EXPECT_EQ(result, "10,11,12");
    result = "kept";
    for (const char* wrong : {"300,0,0", "1,2", "1,2,3,4", "1,,3", "a,0,0", "-1,0,0", "0001,0,0", ""})
        EXPECT_FALSE(DecimalColorToHex(wrong, result)) << wrong;
    for (const char* wrong : {"100,0,0", "G0,0,0", "F,F", "FF,FF,FF,FF", "0x1,0,0", ",,"})
        EXPECT_FALSE(HexColorToDecimal(wrong, result)) << wrong;
    EXPECT_EQ(result, "kept");
}

TEST(TagCodes, MenuItemsSplitIntoCodes)
{
    struct TCase {
        const char *item, *open, *close;
    };
    const TCase cases[] = {
        {"<TABLE>...</TABLE>", "<TABLE>", "</TABLE>"},
        {"BORDER", " BORDER", ""},
        {"  COLS=\"...\"", " COLS=\"", "\""},
        {"onmouseover=\"self.status='...';return true\"", " onmouseover=\"self.status='", "';return true\""},
        {"<BODY...>", "<BODY", ">"},
        {"-", "", ""},
    };
    // The codes are kept between cases so that each case shows it sets both.
    std::string open, close;
    for (const TCase& c : cases) {
        SplitMenuItemCodes(c.item, open, close);
        EXPECT_EQ(open, c.open) << c.item;
        EXPECT_EQ(close, c.close) << c.item;
    }

    EXPECT_EQ(SpecialCharacterCode("&&"), "&amp;");
    EXPECT_EQ(SpecialCharacterCode("<"), "&lt;");
    EXPECT_EQ(SpecialCharacterCode(">"), "&gt;");
    EXPECT_EQ(SpecialCharacterCode("Espacio"), "&nbsp;");
    EXPECT_EQ(SpecialCharacterCode("\xA9"), "\xA9");
}

TEST(InsertTag, CodesWithLineBreaksCountEachBreakOnce)
{
    // The editor keeps CR LF and LF as one character: the inner text stays selected.
    for (const char* lineBreak : {"\r\n", "\n", "\r"}) {
        TCodeMemo memo;
        const std::string open = std::string("<UL>") + lineBreak + "<LI>" + lineBreak;
        const std::string close = std::string(lineBreak) + "</UL>" + lineBreak + lineBreak;
        setText(memo, "x uno y", 2, 3);
        EXPECT_TRUE(InsertTag(memo, 4, false, false, open, close));
        EXPECT_EQ(EditorText(memo), "x <UL>\r<LI>\runo\r</UL>\r\r y") << int(std::string(lineBreak).size()) << int(lineBreak[0]);
        EXPECT_EQ(memo.GetSelText(), "uno") << int(std::string(lineBreak).size()) << int(lineBreak[0]);
        EXPECT_EQ(selectionOf(memo), (TSelection{12, 3})) << int(std::string(lineBreak).size()) << int(lineBreak[0]);
        // Nothing selected: the caret goes where the inner text would be.
        setText(memo, "ab", 1, 0);
        EXPECT_TRUE(InsertTag(memo, 4, false, true, open, close));
        EXPECT_EQ(selectionOf(memo), (TSelection{1 + 10 + 1, 0})) << int(std::string(lineBreak).size()) << int(lineBreak[0]);
    }
}
