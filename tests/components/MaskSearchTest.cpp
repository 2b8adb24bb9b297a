// Wildcard masks: parsing with and without widening, single masks and lists of masks.
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "components/core/MaskSearch.h"
#include "support/StringListItems.h"

namespace {

std::vector<std::string> parse(const std::string& text, bool widen, bool caseSensitive)
{
    TPatternList list;
    list.Add("left over");
    ParseMaskList(text, list, widen, caseSensitive);
    return Items(list);
}

} // namespace

TEST(MaskSearch, ParsingSplitsTrimsFoldsAndWidens)
{
    using V = std::vector<std::string>;
    EXPECT_EQ(parse("htm, *.gif;;", true, false), (V{"*htm*", "*.gif", "**"}));
    EXPECT_EQ(parse("htm, *.gif;;", false, false), (V{"htm", "*.gif", ""}));
    EXPECT_EQ(parse("", true, false), (V{"*"}));
    EXPECT_EQ(parse("", false, true), (V{"*"}));
    // Case: folded over the Windows-1252 letters unless asked to keep it.
    EXPECT_EQ(parse("*.HTM;P\xC1GINA", false, false), (V{"*.htm", "p\xE1gina"}));
    EXPECT_EQ(parse("*.HTM;P\xC1GINA", false, true), (V{"*.HTM", "P\xC1GINA"}));
    // Widening: a wildcard mask without "." gets a trailing "*" unless it has one; masks with "." stay.
    EXPECT_EQ(parse("a?;b*;c*d;x.y;*.?", true, false), (V{"a?*", "b*", "c*d*", "x.y", "*.?"}));
    // Order and duplicates are kept.
    EXPECT_EQ(parse("b;a;b", false, false), (V{"b", "a", "b"}));
}

TEST(MaskSearch, SingleMasksFollowTheWalk)
{
    EXPECT_TRUE(MatchesMask("ab", "a?", true));
    EXPECT_FALSE(MatchesMask("a", "a?", true));
    EXPECT_FALSE(MatchesMask("abc", "a?", true));
    EXPECT_TRUE(MatchesMask("abc", "a*c", true));
    EXPECT_TRUE(MatchesMask("ac", "a*c", true));
    EXPECT_FALSE(MatchesMask("acb", "a*c", true));
    EXPECT_TRUE(MatchesMask("x.htm", "*.htm", true));
    // The first ".htm" is taken and the name does not end there.
    EXPECT_FALSE(MatchesMask("a.htm.htm", "*.htm", true));
    EXPECT_FALSE(MatchesMask("LEEME", "*.*", true));
    EXPECT_TRUE(MatchesMask("LEEME", "*", true));
    EXPECT_TRUE(MatchesMask("a.b", "*.*", true));
    EXPECT_TRUE(MatchesMask("", "*", true));
    EXPECT_TRUE(MatchesMask("anything at all", "**", true));
    // Without wildcards: identical when exact, contained otherwise.
    EXPECT_TRUE(MatchesMask("index.html", "htm", false));
    EXPECT_FALSE(MatchesMask("index.html", "htm", true));
    EXPECT_TRUE(MatchesMask("htm", "htm", true));
    // An empty mask matches nothing, exact or not.
    EXPECT_FALSE(MatchesMask("abc", "", false));
    EXPECT_FALSE(MatchesMask("abc", "", true));
    // Case counts in a single mask.
    EXPECT_FALSE(MatchesMask("X.HTM", "*.htm", true));
    // "?" takes exactly one character, wherever it stands.
    EXPECT_TRUE(MatchesMask("abc", "?b?", true));
    EXPECT_FALSE(MatchesMask("abcd", "?b?", true));
    EXPECT_TRUE(MatchesMask("abcd", "?b?*", true));
}

TEST(MaskSearch, NamesMatchTheirOwnWildcardForms)
{
    // A name matches every mask made from it by putting "?" for some characters, "*" for any run
    // that does not hold the literal after it, and itself with "*" in front or behind.
    std::mt19937 rng(4102);
    const std::string alphabet = "ab.";
    for (int round = 0; round < 2000; ++round) {
        std::string name;
        int length = 1 + static_cast<int>(rng() % 8);
        for (int i = 0; i < length; ++i)
            name += alphabet[rng() % alphabet.size()];
        std::string questions = name;
        for (char& c : questions)
            if (rng() % 2)
                c = '?';
        EXPECT_TRUE(MatchesMask(name, questions, true)) << name << " " << questions;
        EXPECT_FALSE(MatchesMask(name + "x", questions, true)) << name << " " << questions;
        EXPECT_TRUE(MatchesMask(name, name + "*", true)) << name;
        EXPECT_TRUE(MatchesMask(name, std::string("*").append(name, 0, 1).append("*"), true)) << name;
        // "*" + the unique last character: matches when that character occurs only once.
        std::string last = name.substr(name.size() - 1);
        bool once = name.find(last) == name.size() - 1;
        EXPECT_EQ(MatchesMask(name, "*" + last, true), once) << name;
    }
}

TEST(MaskSearch, ListsFoldTheNameAndTakeAnyMask)
{
    TPatternList masks;
    ParseMaskList("*.HTM; *.gif", masks, true, false);
    EXPECT_TRUE(MatchesMaskList("x.htm", masks, true, false));
    EXPECT_TRUE(MatchesMaskList("X.HTM", masks, true, false));
    EXPECT_TRUE(MatchesMaskList("logo.GIF", masks, true, false));
    EXPECT_FALSE(MatchesMaskList("x.html", masks, true, false));
    EXPECT_FALSE(MatchesMaskList("x.htm.bak", masks, true, false));
    // An empty name matches; an empty list matches nothing.
    EXPECT_TRUE(MatchesMaskList("", masks, true, false));
    TPatternList none;
    EXPECT_FALSE(MatchesMaskList("x.htm", none, true, false));
    EXPECT_TRUE(MatchesMaskList("", none, true, false));
    // Case-sensitive lists leave both sides alone.
    TPatternList exactCase;
    ParseMaskList("*.HTM", exactCase, true, true);
    EXPECT_TRUE(MatchesMaskList("X.HTM", exactCase, true, true));
    EXPECT_FALSE(MatchesMaskList("x.htm", exactCase, true, true));
    // Accented letters fold too.
    TPatternList accented;
    ParseMaskList("\xC1rbol*", accented, true, false);
    EXPECT_TRUE(MatchesMaskList("\xE1RBOL.htm", accented, true, false));
    // Widened words find names holding them.
    TPatternList words;
    ParseMaskList("htm, *.gif;;", words, true, false);
    EXPECT_TRUE(MatchesMaskList("LEEME", words, true, false)); // through "**"
}
