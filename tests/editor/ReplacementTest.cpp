// Expansion of replacement texts: elements by number, percent and backslash escapes, the cut-offs.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "editor/model/Replacement.h"

namespace {

// Element n is "<n>", so that every fetch shows in the result.
std::string expand(const std::string& text)
{
    return ExpandReplacement(text, [](int n) { return std::string("<").append(std::to_string(n)).append(">"); });
}

} // namespace

TEST(Replacement, ElementsAndPercentSigns)
{
    EXPECT_EQ(expand("[%1]"), "[<1>]");
    EXPECT_EQ(expand("%12x%255%256%0"), "<12>x<255>");
    EXPECT_EQ(expand("%0099"), "<99>"); // leading zeros are digits of the number
    EXPECT_EQ(expand("%99999999999999999999"), ""); // no overflow into a small number
    EXPECT_EQ(expand("%%1"), "%1");
    EXPECT_EQ(expand("100%"), "100%");
    EXPECT_EQ(expand("%a%\\"), "a\\");
    EXPECT_EQ(ExpandReplacement("%1-%2", nullptr), "-");
}

TEST(Replacement, BackslashEscapes)
{
    EXPECT_EQ(expand("a\\nb\\Rc"), "a\rb\nc"); // \n is CR, \r LF, either case
    EXPECT_EQ(expand("\\b\\F\\s\\T"), std::string("\b\f \t"));
    EXPECT_EQ(expand("\\\\%1\\"), "\\<1>\\");
    EXPECT_EQ(expand("\\x41\\x4a\\x7G"), "AJ\x07G"); // the character after a short escape is read normally
    EXPECT_EQ(expand("\\101\\0611\\7x"), std::string("A11\x07x"));
    EXPECT_EQ(expand("\\q\\8\\%"), "q8%");
    // Escapes that end the expansion: \x without a hex digit, an octal value above 255.
    EXPECT_EQ(expand("ab\\xyz%1"), "ab");
    EXPECT_EQ(expand("ab\\400cd"), "ab");
    EXPECT_EQ(expand("\\377"), "\xFF");
}

TEST(Replacement, TextsWithoutEscapesStayAsTheyAre)
{
    std::mt19937 random(118);
    for (int round = 0; round < 500; ++round) {
        std::string text;
        for (int i = 0, n = static_cast<int>(random() % 40); i < n; ++i) {
            char c = static_cast<char>(random() % 256);
            if (c == '%' || c == '\\')
                c = '_';
            text += c;
        }
        EXPECT_EQ(expand(text), text);
    }
}

TEST(Replacement, EachCharacterOfTheResultTellsWhereInTheTextItCameFrom)
{
    const auto element = [](int n) { return std::string(static_cast<size_t>(n), '#'); };
    std::vector<uint32_t> sources;
    // Literal characters their own offsets; an element's text, an escape and "%%" the offset of the
    // sign that starts them; the result cut by a bad "\x" keeps the sources of what it holds.
    EXPECT_EQ(ExpandReplacement("a%2b\\nc%%d\\x41e\\xg", element, &sources), "a##b\rc%dAe");
    EXPECT_EQ(sources, (std::vector<uint32_t>{0, 1, 1, 3, 4, 6, 7, 9, 10, 14}));
    EXPECT_EQ(ExpandReplacement("", element, &sources), "");
    EXPECT_TRUE(sources.empty());
    // Without escapes, every character from its own place.
    EXPECT_EQ(ExpandReplacement("&#946;", element, &sources), "&#946;");
    EXPECT_EQ(sources, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
}
