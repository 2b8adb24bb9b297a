// Colouring in slices with the shipped languages: the first screen at once, the rest from the event loop, and in the end the bytes of one whole run, whatever edits, undos and redos come between the slices.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "platform/Keys.h"
#include "support/ShippedLanguages.h"

namespace {

using std::chrono::milliseconds;

// The style bytes the records hold now, without colouring what still waits (zeros where a record
// has none).
std::string storedStyles(const TCodeMemo& memo)
{
    std::string bytes;
    for (const TLineRecord* r = memo.FirstRecord(); r; r = r->Next) {
        if (r->Styles)
            bytes.append(reinterpret_cast<const char*>(r->Styles.get()), r->Len);
        else
            bytes.append(r->Len, '\0');
    }
    return bytes;
}

// Records of the memo without style bytes.
int uncolouredRecords(const TCodeMemo& memo)
{
    int count = 0;
    for (const TLineRecord* r = memo.FirstRecord(); r; r = r->Next)
        count += r->Styles || r->Len == 0 ? 0 : 1;
    return count;
}

struct Language {
    const char* Script;
    std::vector<std::string> Pieces;
};

const std::vector<Language>& languages()
{
    static const std::vector<Language> all = {
        {"html.syn",
         {"<p class=\"a\">", "</p>", "<!-- c -->", "<!--", "-->", "<script>", "</script>", "<style>", "</style>",
          "&amp;", "\r\n", "\r\n", "\r\n", " ", "texto ", "<a href='y'>", "p { color: red; }", "var s = `a ${b}\r\nc`;",
          "<img alt=\"two\r\n\r\nlines\">", "'", "\"", "<", ">", "// x\r\n", "/* b\r\nlock */"}},
        {"javascript.syn",
         {"function f(a) {\r\n", "}\r\n", "var s = \"str\";\r\n", "`tpl ${a}\r\nmore`", "/* block\r\n\r\ncomment */",
          "// line\r\n", "x.catch(y);\r\n", "/re[/]x/g", "'it\\'s'", "\r\n", " ", "(", ")", "\"", "'", "`"}},
    };
    return all;
}

// Random text of the language's pieces, about `size` characters.
std::string randomPage(std::mt19937& random, const Language& language, size_t size)
{
    std::string text;
    while (text.size() < size)
        text += language.Pieces[random() % language.Pieces.size()];
    return text;
}

class SliceColouring : public ::testing::Test {
protected:
    void use(const char* script)
    {
        CompileShipped(parser, script);
        memo.SetParser1(&parser);
        whole.SetParser1(&parser);
    }
    // The bytes one whole run gives the memo's text, in a control that never slices.
    std::string wholeRun()
    {
        SetMemoText(whole, memo.StoredText());
        return whole.GetStyleBytes(nullptr);
    }
    TCodeMemoParser parser;
    TCodeMemo memo;
    TCodeMemo whole;
};

} // namespace

TEST_F(SliceColouring, SlicesWithEditsUndosAndRedosBetweenThemEndAsOneWholeRun)
{
    std::mt19937 random(89);
    for (const Language& language : languages()) {
        use(language.Script);
        for (int round = 0; round < 12; ++round) {
            // Slices of one record at a time (a slice of no time), whatever the text's size.
            memo.SetColourSlices(milliseconds(0), 0);
            SetMemoText(memo, randomPage(random, language, 6000 + random() % 6000));
            ASSERT_TRUE(memo.ColouringPending()) << language.Script;
            ASSERT_GT(uncolouredRecords(memo), 0);
            int slices = 0;
            // A fixed number of steps: once all is coloured, an edit whose run is long pauses again,
            // this time with coloured records after the pause.
            for (int step = 0; step < 400; ++step) {
                const int length = memo.TextLength();
                switch (random() % 12) {
                case 0: memo.Perform(EM_UNDO, 0, 0); break;
                case 1: memo.Perform(SMM_REDO, 0, 0); break;
                case 2:
                case 3: {
                    // An edit anywhere: before, inside or after the coloured part.
                    const int start = static_cast<int>(random() % static_cast<unsigned>(length + 1));
                    const int end = random() % 3 ? start : std::min(length, start + static_cast<int>(random() % 12));
                    ReplaceMemoText(memo, start, end,
                                    random() % 5 ? language.Pieces[random() % language.Pieces.size()] : "");
                    break;
                }
                default:
                    memo.ColourNextSlice();
                    ++slices;
                    break;
                }
                memo.Change();
            }
            while (memo.ColourNextSlice())
                ++slices;
            EXPECT_GT(slices, 0);
            EXPECT_EQ(uncolouredRecords(memo), 0);
            ASSERT_EQ(storedStyles(memo), wholeRun()) << language.Script << " round " << round;
        }
    }
}

TEST_F(SliceColouring, EveryRunAndSliceSeesItsTokensBetweenOneBeginAndOneEnd)
{
    use("html.syn");
    std::mt19937 random(7);
    memo.SetColourSlices(milliseconds(0), 0);
    int depth = 0;
    int runs = 0;
    bool nested = false;
    bool tokenOutside = false;
    memo.OnTokenSeen = [&](TCustomCodeMemo*, int& value, int start, int) {
        if (value == -1) {
            nested = nested || depth != 0;
            ++depth;
            ++runs;
        } else if (value == -2) {
            // A request without a run ends with -2 alone.
            depth = 0;
        } else {
            tokenOutside = tokenOutside || depth != 1 || start < 0;
        }
    };
    SetMemoText(memo, randomPage(random, languages()[0], 8000));
    for (int step = 0; memo.ColouringPending() && step < 3000; ++step) {
        if (step % 7 == 3) {
            const int at = static_cast<int>(random() % static_cast<unsigned>(memo.TextLength() + 1));
            ReplaceMemoText(memo, at, at, "<b>");
            memo.Change();
        } else {
            memo.ColourNextSlice();
        }
    }
    memo.OnTokenSeen = nullptr;
    EXPECT_FALSE(memo.ColouringPending());
    EXPECT_GT(runs, 10);
    EXPECT_EQ(depth, 0);
    EXPECT_FALSE(nested);
    EXPECT_FALSE(tokenOutside);
    // The handler stored what it was given, so the bytes are the whole run's.
    EXPECT_EQ(storedStyles(memo), wholeRun());
}

TEST_F(SliceColouring, SmallTextsAreColouredAtOnceAndLargeOnesAfterTheirFirstScreen)
{
    use("html.syn");
    std::mt19937 random(3);
    // Below the size at which slicing starts: one run colours everything.
    memo.SetColourSlices(milliseconds(0), 100000);
    SetMemoText(memo, randomPage(random, languages()[0], 20000));
    EXPECT_FALSE(memo.ColouringPending());
    EXPECT_EQ(uncolouredRecords(memo), 0);

    // Above it: the first records are coloured, the rest waits, and what needs the bytes colours it.
    memo.SetColourSlices(milliseconds(0), 1000);
    SetMemoText(memo, randomPage(random, languages()[0], 60000));
    ASSERT_TRUE(memo.ColouringPending());
    EXPECT_TRUE(memo.FirstRecord()->Styles);
    EXPECT_GT(uncolouredRecords(memo), 100);
    const std::string expected = wholeRun();
    EXPECT_EQ(memo.GetStyleBytes(nullptr), expected);
    EXPECT_FALSE(memo.ColouringPending());

    // An export colours the rest as well.
    SetMemoText(memo, randomPage(random, languages()[0], 60000));
    ASSERT_TRUE(memo.ColouringPending());
    TMemoryStream html;
    memo.WriteHTML(html);
    EXPECT_FALSE(memo.ColouringPending());
    EXPECT_EQ(storedStyles(memo), wholeRun());
    // Dropping every byte (a change of settings) starts again from the first record.
    memo.ResetHighlighting();
    memo.Change();
    EXPECT_TRUE(memo.ColouringPending());
    memo.FinishColouring();
    EXPECT_EQ(storedStyles(memo), wholeRun());
    // Bytes set from outside while slices wait are not coloured over afterwards.
    SetMemoText(memo, randomPage(random, languages()[0], 60000));
    ASSERT_TRUE(memo.ColouringPending());
    const std::string sevens(static_cast<size_t>(memo.TextLength()), '\x07');
    memo.SetStyleBytes(nullptr, sevens);
    EXPECT_FALSE(memo.ColouringPending());
    while (memo.ColourNextSlice()) {
    }
    EXPECT_EQ(storedStyles(memo), sevens);
}

TEST_F(SliceColouring, TheWindowIsColouredBeforeItIsPaintedAndAKeystrokeColoursItsLineAtOnce)
{
    use("html.syn");
    std::mt19937 random(11);
    memo.SetColourSlices(milliseconds(0), 1000);
    memo.resize(500, 300);
    memo.show();
    memo.setFocus();
    QApplication::processEvents();
    SetMemoText(memo, randomPage(random, languages()[0], 200000));
    const std::string expected = wholeRun();
    memo.Paint();
    ASSERT_TRUE(memo.ColouringPending());
    // Every record in the window has its final bytes, painted.
    auto windowColoured = [&] {
        int line = 0, start = 0;
        TLineRecord* r = memo.RecordAtLine(memo.TopLine(), start, line);
        for (int i = 0; r && i < memo.LinesPerWindow(); ++i, start += r->Len, r = r->Next) {
            if (!r->Styles || std::string(reinterpret_cast<const char*>(r->Styles.get()), r->Len) !=
                                  expected.substr(static_cast<size_t>(start), r->Len))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(windowColoured());
    // Scrolling past the coloured part colours the new window first.
    memo.Perform(SMM_TOPLINE, SMM_SET, memo.RecordCount() / 2);
    EXPECT_TRUE(memo.ColouringPending());
    EXPECT_TRUE(windowColoured());

    // A keystroke far below the coloured part: its line is coloured at once, as the whole run
    // colours the changed text, and the rest still waits.
    const int at = memo.TextLength() - 5000;
    TSelectionRange caret{at, at};
    memo.Perform(SMM_SELECTION, SMM_SET | SMM_NOREDRAW, reinterpret_cast<LPARAM>(&caret));
    ASSERT_TRUE(memo.ColouringPending());
    for (bool down : {true, false}) {
        auto key = MakeKeyEvent('X', 0, down);
        QApplication::sendEvent(&memo, key.get());
    }
    ASSERT_EQ(memo.StoredText().substr(static_cast<size_t>(at), 1), "x");
    int line = 0, start = 0;
    TLineRecord* typed = memo.LocateOffset(at, line, start);
    ASSERT_TRUE(typed->Styles);
    const std::string now = wholeRun();
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(typed->Styles.get()), typed->Len),
              now.substr(static_cast<size_t>(start), typed->Len));
    EXPECT_TRUE(memo.ColouringPending());

    // The event loop colours the rest.
    for (int turn = 0; memo.ColouringPending() && turn < 100000; ++turn)
        QApplication::processEvents();
    EXPECT_FALSE(memo.ColouringPending());
    EXPECT_EQ(storedStyles(memo), now);
}
