// Tests of the style library's text routines: normal form, selector list, rule bodies, declarations, removal.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/model/libCSS.h"
#include "platform/core/SysUtils.h"

namespace {

// Every occurrence of `from` replaced, the search going on after each replacement.
std::string replaceAll(std::string s, const std::string& from, const std::string& to)
{
    std::string out;
    size_t i = 0;
    for (size_t at; (at = s.find(from, i)) != std::string::npos; i = at + from.size())
        out += s.substr(i, at - i) + to;
    return out + s.substr(i);
}

// The normal form step by step, as plain replacements over the whole text.
std::string referenceFormat(std::string s)
{
    for (const char* dropped : {"\t", "\r", "\n"})
        s = replaceAll(s, dropped, "");
    s = replaceAll(s, ":", " : ");
    s = replaceAll(s, "  ", " ");
    s = replaceAll(s, "  ", " ");
    s = replaceAll(s, "{", "\n{\n");
    s = replaceAll(s, ";", ";\n");
    return replaceAll(s, "}", "}\n");
}

// The splitter step by step: the comment nearest the start is cut while the first "*/" follows the
// first "/*", then declarations are taken from the front.
std::vector<TCSSDeclaration> referenceSplit(std::string body)
{
    std::vector<TCSSDeclaration> entries;
    for (;;) {
        const size_t open = body.find("/*"), close = body.find("*/");
        if (open == std::string::npos || close == std::string::npos || close <= open)
            break;
        entries.push_back({body.substr(open, close + 2 - open), "", true});
        body = body.substr(0, open) + body.substr(close + 2);
    }
    for (;;) {
        const size_t colon = body.find(':'), semicolon = body.find(';');
        if (colon == std::string::npos || semicolon == std::string::npos || semicolon < colon)
            break;
        entries.push_back({Trim(body.substr(0, colon)), Trim(body.substr(colon + 1, semicolon - colon - 1)), false});
        body = body.substr(semicolon + 1);
    }
    return entries;
}

std::string randomText(std::mt19937& rng, std::string_view alphabet, size_t maxLength)
{
    std::uniform_int_distribution<size_t> length(0, maxLength), pick(0, alphabet.size() - 1);
    std::string s(length(rng), ' ');
    for (char& c : s)
        c = alphabet[pick(rng)];
    return s;
}

} // namespace

TEST(libCSS, FormatRulePutsBracesAndDeclarationsOnLinesAndHalvesBlanksTwice)
{
    EXPECT_EQ(CSSFormatRule("h1 {color: red;}"), "h1 \n{\ncolor : red;\n}\n");
    EXPECT_EQ(CSSFormatRule("a   b"), "a b");
    EXPECT_EQ(CSSFormatRule("a     b"), "a  b");
    EXPECT_EQ(CSSFormatRule("a    b"), "a b");
    EXPECT_EQ(CSSFormatRule("x{background:url(a:b)}"), "x\n{\nbackground : url(a : b)}\n");
    EXPECT_EQ(CSSFormatRule("p\r\n{\tcolor:red;\r\n}"), "p\n{\ncolor : red;\n}\n");
    EXPECT_EQ(CSSFormatRule(""), "");

    std::mt19937 rng(43);
    for (int round = 0; round < 3000; ++round) {
        const std::string text = randomText(rng, "ab   ::{};\t\r\n", 40);
        ASSERT_EQ(CSSFormatRule(text), referenceFormat(text)) << '"' << text << '"';
    }
}

TEST(libCSS, ListSelectorsGivesTheLineBeforeEveryBraceLine)
{
    EXPECT_EQ(CSSListSelectors(CSSFormatRule("h1 {color: red;}")), std::vector<std::string>{"h1 "});
    const std::string library = CSSFormatRule("h1{color:red}\n.a, p b { margin: 0 }\r\n{x:y;}");
    EXPECT_EQ(CSSListSelectors(library), (std::vector<std::string>{"h1", ".a, p b ", ""}));
    EXPECT_EQ(CSSGetRuleBody(library, "h1"), "color : red");
    EXPECT_TRUE(CSSSplitDeclarations(CSSGetRuleBody(library, "h1")).empty());
    // A brace on the first line has no selector; lines may also end in CR LF.
    EXPECT_EQ(CSSListSelectors("{\nx\n{\n"), std::vector<std::string>{"x"});
    EXPECT_EQ(CSSListSelectors("a\r\n{\r\nb\r{"), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(CSSListSelectors("").empty());
}

TEST(libCSS, SplitDeclarationsTakesCommentsFirstThenDeclarationsInOrder)
{
    EXPECT_EQ(CSSSplitDeclarations("/* c */ color: red; x"),
              (std::vector<TCSSDeclaration>{{"/* c */", "", true}, {"color", "red", false}}));
    EXPECT_EQ(CSSSplitDeclarations(" a : 1 ;b:/*x*/2;c:url(a : b);"),
              (std::vector<TCSSDeclaration>{{"/*x*/", "", true}, {"a", "1", false}, {"b", "2", false},
                                            {"c", "url(a : b)", false}}));
    // Cutting a comment may join its neighbours into the next one.
    EXPECT_EQ(CSSSplitDeclarations("p//*c*/*q*/"),
              (std::vector<TCSSDeclaration>{{"/*c*/", "", true}, {"/*q*/", "", true}}));
    // A "*/" before the first "/*" stops the comments; a ";" before the first ":" stops the rest.
    EXPECT_EQ(CSSSplitDeclarations("a */ b /* c */"), (std::vector<TCSSDeclaration>{}));
    EXPECT_EQ(CSSSplitDeclarations("x; a: b;"), (std::vector<TCSSDeclaration>{}));
    EXPECT_EQ(CSSSplitDeclarations("a: ; : b;"),
              (std::vector<TCSSDeclaration>{{"a", "", false}, {"", "b", false}}));

    std::mt19937 rng(4343);
    for (int round = 0; round < 5000; ++round) {
        const std::string body = randomText(rng, "//**:;ab ", 30);
        ASSERT_EQ(CSSSplitDeclarations(body), referenceSplit(body)) << '"' << body << '"';
    }
}

TEST(libCSS, GetRuleBodyMatchesAWholeSelectorWithoutCase)
{
    const std::string text = "table{color:red}a{color:blue}\n A:hover\t{x:1}";
    EXPECT_EQ(CSSGetRuleBody(text, "a"), "color:blue");
    EXPECT_EQ(CSSGetRuleBody(text, "TABLE "), "color:red");
    EXPECT_EQ(CSSGetRuleBody(text, "a:HOVER"), "x:1");
    EXPECT_EQ(CSSGetRuleBody(text, "able"), "");
    EXPECT_EQ(CSSGetRuleBody(text, "color:red"), "");
    EXPECT_EQ(CSSGetRuleBody(text, "p"), "");
    // The first of two rules with one selector; a rule left open runs to the end.
    EXPECT_EQ(CSSGetRuleBody("p{a:1}p{a:2}", "p"), "a:1");
    EXPECT_EQ(CSSGetRuleBody("p{a:1}q{a:\n2", "q"), "a:2");
    // Normal form: the selector list's entries, trailing blank and all, find their rules.
    const std::string library = CSSFormatRule("h1 {color: red;} h2{ } em {x:y}");
    const std::vector<std::string> selectors = CSSListSelectors(library);
    ASSERT_EQ(selectors, (std::vector<std::string>{"h1 ", " h2", " em "}));
    EXPECT_EQ(CSSGetRuleBody(library, selectors[0]), "color : red;");
    EXPECT_EQ(CSSGetRuleBody(library, selectors[1]), " ");
    EXPECT_EQ(CSSGetRuleBody(library, selectors[2]), "x : y");
}

TEST(libCSS, RemoveRuleCutsOnlyTheNamedRule)
{
    EXPECT_EQ(CSSRemoveRule("table{color:red}a{color:blue}", "a"), "table{color:red}");
    EXPECT_EQ(CSSRemoveRule("table{color:red}a{color:blue}", "table"), "a{color:blue}");
    const std::string without = "h1\r\n{\r\ncolor: red;\r\n}\r\n";
    EXPECT_EQ(CSSRemoveRule(without, "p"), without);
    EXPECT_EQ(CSSRemoveRule("p{a:1}q{a:2", "q"), "p{a:1}");

    // Removing each rule of a library leaves exactly the others, each still found with its body.
    std::mt19937 rng(430);
    for (int round = 0; round < 200; ++round) {
        std::vector<std::string> names, bodies;
        std::string source;
        const int rules = 1 + static_cast<int>(rng() % 6);
        for (int i = 0; i < rules; ++i) {
            names.push_back(std::string(rng() % 2 ? "." : "").append(randomText(rng, "abAB", 3)).append("x").append(std::to_string(i)));
            source += names.back() + (rng() % 2 ? " " : "") + "{" + randomText(rng, "ab:; ", 12) + "}\n";
        }
        const std::string library = CSSFormatRule(source);
        ASSERT_EQ(CSSListSelectors(library).size(), static_cast<size_t>(rules));
        for (const std::string& name : names)
            bodies.push_back(CSSGetRuleBody(library, name));
        for (int gone = 0; gone < rules; ++gone) {
            const std::string rest = CSSRemoveRule(library, names[gone]);
            for (int i = 0; i < rules; ++i)
                if (i == gone)
                    EXPECT_EQ(CSSRemoveRule(rest, names[i]), rest);
                else
                    EXPECT_EQ(CSSGetRuleBody(rest, names[i]), bodies[i]);
        }
    }
}
