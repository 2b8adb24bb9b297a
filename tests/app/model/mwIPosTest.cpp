// Tests of IPos and its folding table.
#include "app/model/mwIPos.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "support/RandomText.h"

TEST(IPos, FoldsOnlyAToZThroughItsTable)
{
    const auto& table = IPosFoldTable();
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(table[c], c >= 'A' && c <= 'Z' ? c + 32 : c) << c;
    EXPECT_EQ(IPos("href", "<A HREF=\"x\">"), 4);
    EXPECT_EQ(IPos("HREF", "<a href=\"x\">"), 4);
    EXPECT_EQ(IPos("<a", "<A"), 1);
    EXPECT_EQ(IPos("xyz", "<A HREF>"), 0);
    EXPECT_EQ(IPos("", "abc"), 0);
    EXPECT_EQ(IPos("abcd", "abc"), 0);
    // Accented letters keep their case: "Á" and "á" differ.
    EXPECT_EQ(IPos("\xE1", "\xC1"), 0);
    EXPECT_EQ(IPos("\xE1", "x\xE1"), 2);
}

TEST(IPos, AgreesWithAFindOverFoldedCopies)
{
    std::mt19937 random(48);
    const std::string alphabet = "aAbB<>\xE1\xC1 ";
    auto make = [&](size_t length) { return RandomText(random, alphabet, length); };
    auto fold = [](std::string s) {
        for (char& c : s)
            if (c >= 'A' && c <= 'Z')
                c += 32;
        return s;
    };
    for (int round = 0; round < 2000; ++round) {
        const std::string text = make(random() % 30);
        const std::string pattern = make(1 + random() % 3);
        const size_t at = fold(text).find(fold(pattern));
        EXPECT_EQ(IPos(pattern, text), at == std::string::npos ? 0 : static_cast<int>(at) + 1);
    }
}
