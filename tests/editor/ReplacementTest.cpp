// Expansion of replacement texts: elements by number, percent and backslash escapes, the cut-offs.
#include <gtest/gtest.h>

#include <random>
#include <string>

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
