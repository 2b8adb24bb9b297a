// Word and character routines: replacing without rescanning, deleting blanks, words between delimiters, hexadecimal text.
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "components/core/StrUtils.h"

namespace {

std::string randomText(std::mt19937& rng, const std::string& alphabet, int maxLength)
{
    std::uniform_int_distribution<int> length(0, maxLength);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::string text;
    for (int n = length(rng); n > 0; --n)
        text += alphabet[pick(rng)];
    return text;
}

} // namespace

TEST(StrUtils, ReplaceStrScansLeftToRightWithoutRescanning)
{
    EXPECT_EQ(ReplaceStr("aaa", "a", "aa"), "aaaaaa");
    // Rescanning the result would find the "ab" the replacement just made.
    EXPECT_EQ(ReplaceStr("xaab", "ab", "b"), "xab");
    EXPECT_EQ(ReplaceStr("abc", "", "zz"), "abc");
    EXPECT_EQ(ReplaceStr("", "a", "b"), "");
    EXPECT_EQ(ReplaceStr("a.b.", ".", ""), "ab");

    // Replacing by a marker the text lacks and back again restores the text.
    std::mt19937 rng(34);
    for (int round = 0; round < 500; ++round) {
        std::string text = randomText(rng, "ab", 20);
        std::string search = randomText(rng, "ab", 3);
        if (search.empty())
            continue;
        std::string marked = ReplaceStr(text, search, "#");
        EXPECT_EQ(ReplaceStr(marked, "#", search), text) << text << " / " << search;
    }
}

TEST(StrUtils, DeletesCharactersAndFoldsRunsOfBlanks)
{
    EXPECT_EQ(DelChars("a-b--c-", '-'), "abc");
    EXPECT_EQ(DelSpace(" a b\tc "), "ab\tc");
    EXPECT_EQ(DelSpace1("a   b  c"), "a b c");
    EXPECT_EQ(DelSpace1("   a\t\t b   "), " a\t\t b ");
    EXPECT_EQ(DelSpace1(""), "");
}

TEST(StrUtils, WordsAreRunsOutsideTheDelimiterSet)
{
    const TCharSet delimiters = DelimiterSet(", ");
    const std::string text = ",,ab, c,,def";
    EXPECT_EQ(WordCount(text, delimiters), 3);
    EXPECT_EQ(WordPosition(1, text, delimiters), 3);
    EXPECT_EQ(WordPosition(2, text, delimiters), 7);
    EXPECT_EQ(WordPosition(3, text, delimiters), 10);
    EXPECT_EQ(ExtractWord(1, text, delimiters), "ab");
    EXPECT_EQ(ExtractWord(2, text, delimiters), "c");
    EXPECT_EQ(ExtractWord(3, text, delimiters), "def");
    EXPECT_EQ(ExtractWord(3, "a b", DelimiterSet(" ")), "");
    EXPECT_EQ(WordPosition(3, "a b", DelimiterSet(" ")), 0);
    EXPECT_EQ(WordPosition(0, "a b", DelimiterSet(" ")), 0);
    EXPECT_EQ(WordCount("", delimiters), 0);
    EXPECT_EQ(WordCount(",, ,", delimiters), 0);
    EXPECT_EQ(WordCount("abc", TCharSet()), 1);

    // Each word stands at its position, holds no delimiter and is bounded by delimiters or the ends.
    std::mt19937 rng(1034);
    for (int round = 0; round < 300; ++round) {
        std::string sample = randomText(rng, "ab;.", 24);
        TCharSet set = DelimiterSet(";.");
        int count = WordCount(sample, set);
        std::string joined;
        for (int n = 1; n <= count; ++n) {
            std::string word = ExtractWord(n, sample, set);
            int at = WordPosition(n, sample, set) - 1;
            ASSERT_FALSE(word.empty());
            ASSERT_EQ(sample.compare(static_cast<size_t>(at), word.size(), word), 0);
            ASSERT_TRUE(at == 0 || set.Contains(static_cast<uint8_t>(sample[static_cast<size_t>(at) - 1])));
            size_t end = static_cast<size_t>(at) + word.size();
            ASSERT_TRUE(end == sample.size() || set.Contains(static_cast<uint8_t>(sample[end])));
            joined += word;
        }
        std::string bare;
        for (char c : sample)
            if (c != ';' && c != '.')
                bare += c;
        EXPECT_EQ(joined, bare) << sample;
        EXPECT_EQ(ExtractWord(count + 1, sample, set), "");
    }
}

TEST(StrUtils, HexadecimalTextBothWays)
{
    EXPECT_EQ(Dec2Hex(255, 4), "00FF");
    EXPECT_EQ(Dec2Hex(10, 0), "A");
    EXPECT_EQ(Dec2Hex(-1, 2), "FFFFFFFF");
    EXPECT_EQ(Dec2Hex(1, 300).size(), 255u);
    EXPECT_EQ(Hex2Dec("FF"), 255);
    EXPECT_EQ(Hex2Dec("ff"), 255);
    EXPECT_EQ(Hex2Dec("$1F"), 31);
    EXPECT_EQ(Hex2Dec("  $1F"), 31);
    EXPECT_EQ(Hex2Dec("1$2"), 0);
    EXPECT_EQ(Hex2Dec(" 1F"), 0);
    EXPECT_EQ(Hex2Dec(""), 0);
    EXPECT_EQ(Hex2Dec("$"), 0);
    EXPECT_EQ(Hex2Dec("1G"), 0);
    EXPECT_EQ(Hex2Dec("FFFFFFFF"), -1);
    EXPECT_EQ(Hex2Dec("100000000"), 0);

    std::mt19937 rng(4105);
    for (int round = 0; round < 1000; ++round) {
        auto value = static_cast<int32_t>(rng());
        EXPECT_EQ(Hex2Dec(Dec2Hex(value, static_cast<int>(rng() % 9))), value);
    }
}
