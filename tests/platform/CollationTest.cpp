// Tests of the Spanish collation: a table of words in dictionary order, the levels one by one, and the properties of an order over random texts.
#include "platform/core/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/core/Classes.h"

namespace {

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

TEST(Collation, SpanishWordsInDictionaryOrder)
{
    // Each word sorts strictly before the next one.
    const std::vector<std::string> ordered = {
        " z", "!", "0", "10", "9", "a", "A", "\xE1", "\xC1", "arbol", "\xE1rbol", "\xC1rbol", "avi\xF3n",
        "baco", "cana", "canto", "ca\xF1" "a", "ca\xF1\xF3n", "ch", "cz", "el \xF1" "and\xFA", "n", "N",
        "nu", "nube", "Nudo", "\xF1", "\xD1", "\xF1u", "o", "zapato", "Zapato", "zorro"};
    for (size_t i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_LT(AnsiCompareStr(ordered[i], ordered[i + 1]), 0) << ordered[i] << " / " << ordered[i + 1];
        EXPECT_GT(AnsiCompareStr(ordered[i + 1], ordered[i]), 0) << ordered[i] << " / " << ordered[i + 1];
    }
    // Without the case level, words that differ only in case are equal; accents still count.
    EXPECT_EQ(AnsiCompareText("zapato", "ZAPATO"), 0);
    EXPECT_EQ(AnsiCompareText("\xE1rbol", "\xC1RBOL"), 0);
    EXPECT_LT(AnsiCompareText("arbol", "\xC1rbol"), 0);
    EXPECT_LT(AnsiCompareText("Nube", "\xF1u"), 0);
    EXPECT_LT(AnsiCompareText("zapato", "Zorro"), 0);
    EXPECT_EQ(AnsiCompareStr("igual", "igual"), 0);
    // The letters decide before any accent, and accents before case, wherever they stand.
    EXPECT_LT(AnsiCompareStr("\xE9" "a", "eb"), 0);
    EXPECT_LT(AnsiCompareStr("Ea", "\xE9" "a"), 0);
}

TEST(Collation, IsATotalOrderOnRandomTexts)
{
    std::mt19937 random(60);
    const std::string alphabet = "aAbn\xF1\xD1\xE1\xC1" "e\xE9 -1";
    std::uniform_int_distribution<size_t> letter(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> length(0, 4);
    std::vector<std::string> texts;
    for (int i = 0; i < 300; ++i) {
        std::string text;
        for (int n = length(random); n > 0; --n)
            text += alphabet[letter(random)];
        texts.push_back(text);
    }
    for (size_t i = 0; i < texts.size(); ++i)
        for (size_t j = 0; j < texts.size(); ++j) {
            const int forward = AnsiCompareStr(texts[i], texts[j]);
            EXPECT_EQ(sign(forward), -sign(AnsiCompareStr(texts[j], texts[i])));
            // Only the same text is equal with case; without it, only the same text in another case.
            EXPECT_EQ(forward == 0, texts[i] == texts[j]);
            EXPECT_EQ(sign(AnsiCompareText(texts[i], texts[j])), -sign(AnsiCompareText(texts[j], texts[i])));
        }
    std::vector<std::string> sorted = texts;
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) { return AnsiCompareStr(a, b) < 0; });
    for (size_t i = 0; i + 1 < sorted.size(); ++i)
        for (size_t j = i + 1; j < sorted.size(); j += 7)
            EXPECT_LE(AnsiCompareStr(sorted[i], sorted[j]), 0);
}

TEST(Collation, SortedStringListsFollowIt)
{
    TStringList list;
    list.SetSorted(true);
    for (const char* word : {"zorro", "\xE1rbol", "\xF1u", "nube", "Zapato"})
        list.Add(word);
    ASSERT_EQ(list.Count(), 5);
    EXPECT_EQ(list[0], "\xE1rbol");
    EXPECT_EQ(list[1], "nube");
    EXPECT_EQ(list[2], "\xF1u");
    EXPECT_EQ(list[3], "Zapato");
    EXPECT_EQ(list[4], "zorro");
    int index = -1;
    EXPECT_TRUE(list.Find("ZAPATO", index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(list.Find("arbol", index));
    EXPECT_EQ(index, 0);
}
