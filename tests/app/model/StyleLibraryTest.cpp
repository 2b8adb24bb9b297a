// Tests of the style library model: loading, storing, erasing and normalising a library.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "app/model/CssRule.h"
#include "app/model/StyleLibrary.h"
#include "app/model/libCSS.h"
#include "platform/core/CharacterReferences.h"
#include "platform/core/ProgramFileText.h"
#include "support/Occurrences.h"

namespace {

TCssRule rule(const std::string& name, const std::string& family)
{
    TCssRule r;
    r.eClass = name;
    r.chFontFamily = true;
    r.eFontFamily = family;
    return r;
}

} // namespace

TEST(StyleLibrary, LoadsNormalisedTextAndSortedSelectors)
{
    TStyleLibrary lib;
    lib.Load("p{color:red;}\r\nH1 {margin:0;}\ta{x:y;}");
    EXPECT_EQ(lib.Selectors(), (std::vector<std::string>{"a", "H1 ", "p"}));
    EXPECT_EQ(lib.Text(), "p\r\n{\r\ncolor : red;\r\n}\r\nH1 \r\n{\r\nmargin : 0;\r\n}\r\na\r\n{\r\nx : y;\r\n}\r\n");
    EXPECT_EQ(lib.IndexOf("h1 "), 1);
    EXPECT_EQ(lib.IndexOf("h1"), -1);
    lib.Load("");
    EXPECT_TRUE(lib.Empty());
    EXPECT_EQ(lib.Text(), "");
}

TEST(StyleLibrary, StoresNewAndExistingRules)
{
    TStyleLibrary lib;
    lib.Load("h1 {color:red;}");
    // "h1" differs from "h1 ": a second entry.
    EXPECT_EQ(lib.Store(rule(" h1 ", "Arial")), 0);
    EXPECT_EQ(lib.Selectors(), (std::vector<std::string>{"h1", "h1 "}));
    EXPECT_EQ(Occurrences(lib.Text(), "font-family: Arial;"), 1);

    // An existing name (without case): the old rule is cut out, the new one appended once.
    TStyleLibrary two;
    two.Load("b{color:red;}a{x:y;}");
    EXPECT_EQ(two.Store(rule("B", "Serif")), 1);
    EXPECT_EQ(two.Selectors(), (std::vector<std::string>{"a", "b"}));
    std::string text = two.Text();
    EXPECT_EQ(Occurrences(text, "color : red"), 0);
    EXPECT_EQ(Occurrences(text, "x : y;"), 1);
    EXPECT_EQ(Occurrences(text, "font-family: Serif;"), 1);
    EXPECT_EQ(text.find("a{x : y;}"), 0u) << text;

    // An empty name stores nothing.
    EXPECT_EQ(two.Store(rule("  ", "Mono")), -1);
    EXPECT_EQ(two.Text(), text);
    EXPECT_EQ(two.Selectors().size(), 2u);
}

TEST(StyleLibrary, ErasesRuleAndEntry)
{
    TStyleLibrary lib;
    lib.Load("a{x:1;}b{y:2;}c{z:3;}");
    lib.Erase(1);
    EXPECT_EQ(lib.Selectors(), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(Occurrences(lib.Text(), "y : 2"), 0);
    EXPECT_EQ(Occurrences(lib.Text(), "z : 3"), 1);
    std::string before = lib.Text();
    lib.Erase(5);
    lib.Erase(-1);
    EXPECT_EQ(lib.Text(), before);
}

// Random rules stored into a library and written out read back with the same selectors and bodies.
TEST(StyleLibrary, StoredRulesSurviveNormalising)
{
    std::mt19937 random(80);
    const std::vector<std::string> names = {"h1", "p.note", "#top", "ul li", "em"};
    for (int round = 0; round < 50; ++round) {
        TStyleLibrary lib;
        lib.Load("body{margin:0;}");
        std::vector<std::string> stored = {"body"};
        for (int i = 0; i < 4; ++i) {
            std::string name = names[random() % names.size()];
            TCssRule r = rule(name, std::string(1, 'F').append(std::to_string(random() % 100)));
            r.rgCursor = static_cast<int>(random() % 17);
            lib.Store(r);
            if (std::find(stored.begin(), stored.end(), name) == stored.end())
                stored.push_back(name);
            std::string saved = lib.Normalise();
            TStyleLibrary again;
            again.Load(saved);
            ASSERT_EQ(again.Text(), saved);
            TCssRule back;
            back.ReadStyle(saved, name);
            EXPECT_EQ(back.eFontFamily, r.eFontFamily) << saved;
            EXPECT_EQ(back.rgCursor, r.rgCursor) << saved;
        }
        EXPECT_EQ(lib.Selectors().size(), stored.size()) << round;
    }
}

// Characters Windows-1252 lacks are held in the library's text as the mark, "#N" and ";": wherever
// one stands (a selector, a value, a comment, a declaration no control holds) it survives parsing,
// storing, normalising and the library file whole, and its ";" ends no declaration.
TEST(StyleLibrary, HeldCharactersSurviveParsingAndWriting)
{
    const std::string held[] = {HeldCharacter(U'\u03B1'), HeldCharacter(U'\u03BB'), HeldCharacter(U'\u03B2'),
                                HeldCharacter(U'\u2192')};
    const std::string utf8[] = {"\xCE\xB1", "\xCE\xBB", "\xCE\xB2", "\xE2\x86\x92"};
    std::mt19937 random(1252);
    auto pick = [&] { return held[random() % 4]; };
    for (int round = 0; round < 60; ++round) {
        // A held character first, last and inside each text, so that no trim or split may cut one.
        const std::string selector = round % 3 == 0 ? pick() + ".c" + pick() : "p." + pick() + "x";
        const std::string family = round % 2 ? pick() + " Sans" : "Serif " + pick();
        const std::string comment = "/* " + pick() + " nota" + pick() + " */";
        const std::string other = "content: \"" + pick() + "\"" + pick() + ";";
        const std::string file = "body{margin:0;}" + selector + "{font-family:" + family + ";" + comment +
                                 other + "color:#FF0000;}";

        const std::vector<TCSSDeclaration> entries = CSSSplitDeclarations(CSSGetRuleBody(file, selector));
        ASSERT_EQ(entries.size(), 4u) << file;
        EXPECT_EQ(entries[0], (TCSSDeclaration{comment, {}, true}));
        EXPECT_EQ(entries[1], (TCSSDeclaration{"font-family", family, false}));
        EXPECT_EQ(entries[2].Name, "content");
        EXPECT_EQ(entries[2].Value + ";", other.substr(9));

        TStyleLibrary lib;
        lib.Load(file);
        ASSERT_GE(lib.IndexOf(selector), 0) << lib.Text();
        TCssRule read;
        read.ReadStyle(lib.Text(), selector);
        EXPECT_EQ(read.eClass, selector);
        EXPECT_EQ(read.eFontFamily, family);
        EXPECT_TRUE(read.sbColor);
        const std::vector<std::string> memo = {"content: " + entries[2].Value + ";", comment};
        EXPECT_EQ(read.mRestos, memo);

        // Stored again (edited in place) and saved: the rule reads back the same and the library
        // file holds each character as itself in UTF-8, never the mark.
        read.chBold = true;
        lib.Store(read);
        const std::string saved = lib.Normalise();
        ASSERT_EQ(lib.Selectors().size(), 2u) << saved;
        TStyleLibrary again;
        again.Load(saved);
        EXPECT_EQ(again.Text(), saved);
        TCssRule back;
        back.ReadStyle(saved, selector);
        EXPECT_EQ(back, read) << saved;
        const std::string bytes = ProgramFileBytes(saved);
        EXPECT_EQ(bytes.find(kHeldCharacterMark), std::string::npos) << bytes;
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(Occurrences(saved, held[i]), Occurrences(bytes, utf8[i])) << bytes;
        EXPECT_EQ(ProgramFileText(bytes), saved);
    }
    // A mark that begins no held character is the "&" it shows as: joining the lines around it
    // makes it begin none.
    const std::string stray = std::string("p{a:b") + kHeldCharacterMark + "\r\n#946;c:d;}";
    EXPECT_EQ(CSSFormatRule(stray), "p\n{\na : b&#946;\nc : d;\n}\n");
    EXPECT_EQ(CSSSplitDeclarations(CSSGetRuleBody(stray, "p")),
              (std::vector<TCSSDeclaration>{{"a", "b&#946", false}, {"c", "d", false}}));
}

// A library of Windows-1252 bytes alone reads and writes back byte for byte.
TEST(StyleLibrary, AWindows1252LibraryStaysInItsCodePage)
{
    const std::string file = "p.caf\xE9\r\n{\r\nfont-family : Ni\xF1o;\r\n/* \xAB\xBB */}\r\n";
    bool utf8 = true;
    TStyleLibrary lib;
    lib.Load(ProgramFileText(file, &utf8));
    EXPECT_FALSE(utf8);
    EXPECT_EQ(lib.Selectors(), std::vector<std::string>{"p.caf\xE9"});
    EXPECT_EQ(ProgramFileBytes(lib.Normalise(), utf8), file);
}
