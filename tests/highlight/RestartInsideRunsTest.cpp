// Long strings, comments and templates: a highlighting run restarts and stops inside them, close to
// an edit, and the colours still equal a fresh colouring of the whole text.
#include <gtest/gtest.h>
#include <cctype>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "editor/CodeMemo.h"
#include "highlight/CodeMemoParser.h"
#include "support/CountingParser.h"
#include "support/ShippedLanguages.h"

namespace {

// One line of `length` characters inside a construct of the language: a "..." or '...' string with
// escapes, a template or a block comment with line breaks elsewhere in the text.
std::string longConstruct(std::mt19937& random, char open, size_t length)
{
    const char close = open == '/' ? '*' : open;
    std::string text = open == '/' ? "/*" : std::string(1, open);
    const std::string words[] = {"name", "path ", "docs/page.html", "\\\"", "\\'", "\\\\", "\\n", " < ", "x=1;", "</p>"};
    while (text.size() < length)
        text += words[random() % std::size(words)];
    return text + (close == '*' ? "*/" : std::string(1, close));
}

class RestartInsideRuns : public ::testing::Test {
protected:
    void use(const char* script)
    {
        CompileShipped(parser, script);
        memo.SetParser1(&parser);
        fresh.SetParser1(&parser);
    }
    // The control's colours against a fresh colouring of its text.
    bool colouredAsFresh()
    {
        SetMemoText(fresh, memo.StoredText());
        return memo.GetStyleBytes(nullptr) == fresh.GetStyleBytes(nullptr);
    }
    TCountingParser parser;
    TCodeMemo memo;
    TCodeMemo fresh;
};

} // namespace

TEST_F(RestartInsideRuns, StringCommentAndTemplateTextAreSplittableNamesAreNot)
{
    for (const char* script : {"javascript.syn", "html.syn"}) {
        CompileShipped(parser, script);
        // "..." and '...' text, templates, block comments.
        for (int value : {42, 66, 59, 53})
            EXPECT_TRUE(parser.IsSplittable(static_cast<uint8_t>(value))) << script << " " << value;
        // Names (a cut would make two), escapes (no anchors), line breaks (one character with a state change).
        for (int value : {0, 40, 67, 51, 55})
            EXPECT_FALSE(parser.IsSplittable(static_cast<uint8_t>(value))) << script << " " << value;
    }
}

// Typing inside a long one-line string, template or comment re-scans a few records around the edit,
// not the construct from its start or to its end, and colours as a fresh colouring does.
TEST_F(RestartInsideRuns, EditsInsideLongConstructsRescanLittleAndColourAsAFreshColouring)
{
    use("javascript.syn");
    std::mt19937 random(7);
    const std::string pieces[] = {"a", "\"", "'", "\\", "`", "*/", "/*", "\r\n", "<", "zz", ""};
    for (char open : {'"', '\'', '`', '/'}) {
        const std::string text = "var a = 1;\r\nvar s = " + longConstruct(random, open, 40000) + ";\r\nf(s);\r\n";
        SetMemoText(memo, text);
        for (int step = 0; step < 60; ++step) {
            // Mostly a character typed or deleted inside the construct; now and then something that
            // ends it or opens another, and then put back.
            const int at = 30 + static_cast<int>(random() % 40000);
            const std::string& piece = pieces[random() % std::size(pieces)];
            const std::string before = memo.StoredText();
            // A letter typed or deleted where it stands for itself changes the colours of nothing else.
            const bool plain = (piece == "a" || piece == "zz" || (piece.empty() && std::isalpha(before[at]))) &&
                               before[at - 1] != '\\' && before[at - 2] != '\\';
            parser.Scanned = 0;
            ReplaceMemoText(memo, at, at + (piece.empty() ? 1 : 0), piece);
            // A few records around the edit: the run stops at the first record end after the edit
            // that falls inside string text rather than in an escape. Bound constructs
            // (templates and comments) are re-scanned to their end.
            if (plain && (open == '"' || open == '\'')) {
                EXPECT_LE(parser.Scanned, 8 * 2047) << open << " step " << step;
            }
            ASSERT_TRUE(colouredAsFresh()) << open << " step " << step;
            memo.Perform(EM_UNDO, 0, 0);
            ASSERT_TRUE(colouredAsFresh()) << open << " undo " << step;
        }
    }
}

// In a page the same text (comments, style sheets, strings of a script) is cut where records end and
// entered anywhere; its constructs are bound there, so only the colours are checked.
TEST_F(RestartInsideRuns, EditsInsideLongPageConstructsColourAsAFreshColouring)
{
    use("html.syn");
    std::mt19937 random(11);
    auto run = [&random](const std::vector<std::string>& words, size_t length) {
        std::string text;
        while (text.size() < length)
            text += words[random() % words.size()];
        return text;
    };
    const std::string pages[] = {
        "<p>a</p>\r\n<!--" + run({"texto ", "<b>", "--", "- ", "&amp;", "x"}, 9000) + "-->\r\n<p>b</p>\r\n",
        "<style>" + run({"p { color: red; } ", "/* c */", "a:hover{x:y}", "<", "*/"}, 9000) + "</style>\r\n<p>b</p>\r\n",
        "<script>var s = \"" + run({"name", "\\\"", " < ", "</p>", "x=1;"}, 9000) + "\";</script>\r\n<p>b</p>\r\n"};
    const std::string pieces[] = {"a", "<", ">", "-->", "<!--", "</style>", "/*", "*/", "\"", "</script>", "\r\n", ""};
    for (const std::string& page : pages) {
        SetMemoText(memo, page);
        for (int step = 0; step < 40; ++step) {
            const int at = 8 + static_cast<int>(random() % 9000);
            const std::string& piece = pieces[random() % std::size(pieces)];
            ReplaceMemoText(memo, at, at + (piece.empty() ? 1 : 0), piece);
            ASSERT_TRUE(colouredAsFresh()) << page.substr(0, 8) << " step " << step;
            if (random() % 2) {
                memo.Perform(EM_UNDO, 0, 0);
                ASSERT_TRUE(colouredAsFresh()) << page.substr(0, 8) << " undo " << step;
            }
        }
    }
}
