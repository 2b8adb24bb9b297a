// Incremental colouring with the shipped languages always equals a fresh colouring of the whole text,
// after any edit, undo or redo.
#include <gtest/gtest.h>
#include <filesystem>
#include <random>
#include <string>

#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"

namespace {

void compileShipped(TCodeMemoParser& parser, const char* script)
{
    parser.Script = (std::filesystem::path(KESTRIMA_SOURCE_DIR) / "resources/scripts" / script).string();
    parser.LoadScriptFile();
}

void setText(TCodeMemo& memo, const std::string& text)
{
    memo.Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void replace(TCodeMemo& memo, int start, int end, const std::string& text)
{
    memo.Perform(EM_SETSEL, static_cast<WPARAM>(start), end);
    memo.Perform(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

class IncrementalColouring : public ::testing::Test {
protected:
    // Colours `text` in a fresh control with the same language.
    std::string freshBytes(const std::string& text)
    {
        setText(fresh, text);
        return fresh.GetStyleBytes(nullptr);
    }
    void use(const char* script)
    {
        compileShipped(parser, script);
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
    setText(memo, "<p\r\n\r\nclass=\"x\">hi");
    replace(memo, 0, 1, "");
    EXPECT_EQ(memo.GetStyleBytes(nullptr), freshBytes(memo.StoredText()));
    // Closing a tag turns what follows the empty lines into text.
    setText(memo, "<img src=\"a.png\"\r\n\r\nHello world");
    replace(memo, 16, 16, ">");
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
        setText(memo, language.Text);
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
                replace(memo, start, end, random() % 5 ? language.Pieces[random() % language.Pieces.size()] : "");
                break;
            }
            }
            memo.Change();
            ASSERT_EQ(memo.GetStyleBytes(nullptr), freshBytes(memo.StoredText()))
                << language.Script << " step " << step;
        }
    }
}
