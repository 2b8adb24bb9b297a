// Stored property texts: floats, sets, counts, references and stored-list lines.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "components/core/PropText.h"

TEST(PropText, FloatsRoundTripWithAPoint)
{
    EXPECT_EQ(StoredFloatText(1.5, 15), "1.5");
    EXPECT_EQ(StoredFloatText(0.1f, 7), "0.1");
    EXPECT_EQ(StoredFloatText(-2.0, 15), "-2");
    EXPECT_EQ(StoredFloatText(1e20, 15), "1e+20");
    double value = 0;
    EXPECT_TRUE(ParseStoredFloat(" +1.5 ", value));
    EXPECT_EQ(value, 1.5);
    for (const char* bad : {"", "1,5", "x", "1.5x", "--1", "+"})
        EXPECT_FALSE(ParseStoredFloat(bad, value)) << bad;
    EXPECT_EQ(value, 1.5);

    std::mt19937_64 rng(1081);
    for (int round = 0; round < 2000; ++round) {
        const double x = std::ldexp(std::uniform_real_distribution<double>(-1, 1)(rng), static_cast<int>(rng() % 200) - 100);
        double back = 0;
        ASSERT_TRUE(ParseStoredFloat(StoredFloatText(x, 15), back));
        ASSERT_LE(std::abs(back - x), std::abs(x) * 1e-14);
        const float f = static_cast<float>(x);
        ASSERT_TRUE(ParseStoredFloat(StoredFloatText(f, 7), back));
        ASSERT_LE(std::abs(static_cast<float>(back) - f), std::abs(f) * 1e-6f);
    }
}

TEST(PropText, SetsRoundTripInAnyOrderAndSpacing)
{
    const std::vector<std::string> names = {"a", "b", "c", "", "e"};
    auto nameOf = [&](int bit) { return bit < static_cast<int>(names.size()) ? names[bit] : std::string(); };
    auto bitOf = [&](std::string_view word) {
        for (size_t i = 0; i < names.size(); ++i)
            if (!names[i].empty() && names[i] == word)
                return static_cast<int>(i);
        return -1;
    };
    EXPECT_EQ(StoredSetText(0b101, nameOf), "[a,c]");
    EXPECT_EQ(StoredSetText(0, nameOf), "[]");
    EXPECT_EQ(StoredSetText(0b1000, nameOf), "[]"); // a member without a name is left out
    EXPECT_EQ(ParseStoredSet("[ c , a ]", bitOf), 0b101u);
    EXPECT_EQ(ParseStoredSet("[a,zz,,e]", bitOf), 0b10001u);
    EXPECT_EQ(ParseStoredSet("", bitOf), 0u);

    std::mt19937 rng(1082);
    for (int round = 0; round < 500; ++round) {
        const uint32_t members = rng() & 0b10111;
        std::vector<std::string> words;
        for (int bit = 0; bit < 5; ++bit)
            if (members & (1u << bit))
                words.push_back(names[bit]);
        std::shuffle(words.begin(), words.end(), rng);
        std::string text = rng() % 2 ? "[" : " [ ";
        for (const std::string& word : words)
            text += word + (rng() % 2 ? "," : " , ");
        text += "]";
        ASSERT_EQ(ParseStoredSet(text, bitOf), members) << text;
        ASSERT_EQ(ParseStoredSet(StoredSetText(members, nameOf), bitOf), members);
    }
}

TEST(PropText, CountsReferencesAndStoredLines)
{
    EXPECT_EQ(ParseStoredCount(" 12 "), 12);
    EXPECT_EQ(ParseStoredCount("x"), 0);
    EXPECT_EQ(ParseStoredCount("-4"), 0);
    EXPECT_EQ(ParseStoredCount("99999999999"), INT32_MAX);

    EXPECT_TRUE(ParseStoredReference(" (Null) ").Null);
    TStoredReference r = ParseStoredReference(" Form . Comp.x ");
    EXPECT_FALSE(r.Null);
    EXPECT_EQ(r.Owner, "Form");
    EXPECT_EQ(r.Name, "Comp.x");
    r = ParseStoredReference("Comp");
    EXPECT_EQ(r.Owner, "");
    EXPECT_EQ(r.Name, "Comp");

    std::string component, property;
    EXPECT_TRUE(SplitStoredItem(" cbLibreria . Tag.Sub ", component, property));
    EXPECT_EQ(component, "cbLibreria");
    EXPECT_EQ(property, "Tag.Sub");
    for (const char* bad : {"", "sinpunto", ".Tag", "cb.", " . "})
        EXPECT_FALSE(SplitStoredItem(bad, component, property)) << bad;
    EXPECT_EQ(JoinStoredItem("cbLibreria", "Tag"), "cbLibreria.Tag");
    EXPECT_EQ(JoinStoredItem("", "Tag"), "");
    EXPECT_EQ(JoinStoredItem("cb", ""), "");
}
