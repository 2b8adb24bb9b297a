// Incremental colouring with the shipped languages always equals a fresh colouring of the whole text,
// after any edit, undo or redo.
#include <gtest/gtest.h>
#include <filesystem>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "support/CountingEdStream.h"
#include "support/ShippedLanguages.h"

namespace {

class IncrementalColouring : public ::testing::Test {
protected:
    // Colours `text` in a fresh control with the same language.
    std::string freshBytes(const std::string& text)
    {
        SetMemoText(fresh, text);
        return fresh.GetStyleBytes(nullptr);
    }
    void use(const char* script)
    {
        CompileShipped(parser, script);
        memo.SetParser1(&parser);
        fresh.SetParser1(&parser);
    }
    TCodeMemoParser parser;
    TCodeMemo memo;
    TCodeMemo fresh;
};

} // namespace

TEST_F(IncrementalColouring, AnEmptyLineInsideATagDoesNotStopTheRun)
{
    use("html.syn");
    // Deleting the "<" turns the rest of the former tag into text.
    SetMemoText(memo, "<p\r\n\r\nclass=\"x\">hi");
    ReplaceMemoText(memo, 0, 1, "");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), freshBytes(memo.StoredText()));
    // Closing a tag turns what follows the empty lines into text.
    SetMemoText(memo, "<img src=\"a.png\"\r\n\r\nHello world");
    ReplaceMemoText(memo, 16, 16, ">");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), freshBytes(memo.StoredText()));
}

TEST_F(IncrementalColouring, RandomEditsUndosAndRedosMatchAFreshColouring)
{
    struct Language {
        const char* Script;
        std::string Text;
        std::vector<std::string> Pieces;
    };
    const Language languages[] = {
        {"html.syn",
         "<html>\r\n<head><title>t</title>\r\n<style>\r\np { color: red; }\r\n</style>\r\n"
         "<script>\r\nvar s = `a ${b} c`;\r\n// x\r\nif (a < b) { f(\"</p>\"); }\r\n"
         "var r = /a\\/b[/]/g, t = `x\r\n\r\ny`; o.default = 'x</p>';\r\n</script>\r\n</head>\r\n"
         "<img alt=\"two\r\n\r\nlines\" src='a\r\nb'>\r\n"
         "<body class=\"x\"\r\n\r\nid='y'>\r\n<!-- comment\r\n\r\n-->\r\n<p>text &amp; more "
         "wwwwwwwwwwwwwwwwwwww</p>\r\n<a href=\"mailto:a@b.c\">mail</a>\r\n</body>\r\n</html>\r\n",
         {"<", ">", "\"", "'", "<!--", "-->", "\r\n", "\r\n\r\n", "<p class=\"a\r\nb\">", "</script>", "<script>",
          "&lt;", "`", "/*", "*/", "=", " ", "ab", "wwwwwwww", "${", "/[/]/", "\\", "[", "]", "/",
          "x.catch", "title=\"a\r\n\r\nb\"", "'", "<a href='x\r\ny'>", "\"</script>\"", "`a\r\n//b`"}},
        {"javascript.syn",
         "function f(a, b) {\r\n  var s = \"str\";\r\n  var t = `tpl ${a}\r\n  more`;\r\n  /* block\r\n\r\n"
         "  comment */\r\n  return a / b + /re[/]x/.test(s);\r\n}\r\n// line\r\nx.catch(y).default;\r\n"
         "var r = /a\\/b[\\]/]/gi, q = 'it\\'s', e = `\\`${z}`;\r\n",
         {"\"", "'", "`", "/*", "*/", "//", "/", "${", "}", "\r\n", "\r\n\r\n", "(", ")", " ", "var", "x", "\\",
          "[", "]", "/[/]/", "/a\\/b/", "\\`", "`x\r\n${y}\r\n`", ".", ".default", "catch", "\\\r\n"}},
    };
    std::mt19937 random(24);
    for (const Language& language : languages) {
        use(language.Script);
        SetMemoText(memo, language.Text);
        for (int step = 0; step < 500; ++step) {
            const int length = memo.TextLength();
            switch (random() % 6) {
            case 0:
                memo.Perform(EM_UNDO, 0, 0);
                break;
            case 1:
                memo.Perform(SMM_REDO, 0, 0);
                break;
            default: {
                const int start = static_cast<int>(random() % static_cast<unsigned>(length + 1));
                const int end = random() % 3 ? start : std::min(length, start + static_cast<int>(random() % 12));
                ReplaceMemoText(memo, start, end, random() % 5 ? language.Pieces[random() % language.Pieces.size()] : "");
                break;
            }
            }
            memo.Change();
            ASSERT_EQ(memo.GetStyleBytes(nullptr), freshBytes(memo.StoredText()))
                << language.Script << " step " << step;
        }
    }
}

namespace {

// Random text from pieces of each language, with runs long enough to be cut into several records.
std::string randomText(std::mt19937& random, const std::vector<std::string>& pieces)
{
    std::string text;
    while (text.size() < 12000) {
        const unsigned pick = random() % 20;
        if (pick == 0)
            text += std::string(2500 + random() % 2000, "wa7 -<"[random() % 6]);
        else
            text += pieces[random() % pieces.size()];
    }
    return text;
}

} // namespace

// The driver stores the tokens of a record in bulk, and the scanner reads a TEdStream's records
// directly; both must give what scanning token by token through the stream's own operations gives.
TEST_F(IncrementalColouring, BulkAndDirectReadingColourAsTokenByToken)
{
    const std::vector<std::string> pieces = {
        "<p class=\"a\">", "</p>", "<!-- c -->", "<!--", "-->", "<script>", "</script>", "<style>", "</style>",
        "&amp;", "&", "\r\n", " ", "texto ", "info@ejemplo.com. ", "http://www.x.es/a.html ", "www.y.org.",
        "var s = \"a\\\"b\";", "x = a / b / 2.5e3;", "/re[/]x/g", "// line\r\n", "/* b\r\nlock */", "`t ${x}`",
        "'q'", "{ p: 1 }", "=", "'", "\"", "<a href='y'>", "function f(a) { return a; }", "12.5", "0xFF"};
    std::mt19937 random(53);
    for (const char* script : {"html.syn", "javascript.syn", "text.syn"}) {
        use(script);
        for (int round = 0; round < 12; ++round) {
            const std::string text = randomText(random, pieces);
            SetMemoText(memo, text);
            const std::string bulk = memo.GetStyleBytes(nullptr);
            // A handler that sees every token makes the driver ask for them one at a time.
            std::vector<std::pair<int, int>> tokens;
            memo.OnTokenSeen = [&tokens](TCustomCodeMemo*, int& value, int start, int end) {
                if (start >= 0)
                    tokens.push_back({value, end - start});
            };
            memo.ResetHighlighting();
            memo.RehighlightAll();
            memo.OnTokenSeen = nullptr;
            ASSERT_EQ(memo.GetStyleBytes(nullptr), bulk) << script << " round " << round;

            // The same tokens through a stream read call by call.
            TCountingEdStream watched(&memo);
            watched.Reset(memo.FirstRecord(), 0, 0);
            parser.ResetScanner(0);
            size_t i = 0;
            while (!watched.AtEnd()) {
                const int64_t start = watched.GetPos();
                int length = 0;
                const uint8_t value = parser.ScanToken(nullptr, watched, length);
                ASSERT_LT(i, tokens.size());
                ASSERT_EQ(std::make_pair(int{value}, static_cast<int>(watched.GetPos() - start)), tokens[i])
                    << script << " round " << round << " token " << i << " at " << start;
                ++i;
            }
            EXPECT_EQ(i, tokens.size());
            EXPECT_GE(watched.Steps, memo.TextLength());
        }
    }
}
