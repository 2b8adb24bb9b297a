// Tests of TQuickPairs: text with pairs typed character by character reads as typed; a pair whose characters go is forgotten.
#include "app/model/QuickPairs.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// A text with a caret, typed into as the main window does with quick pairs on.
struct TTyping {
    std::string Text;
    int Caret = 0;
    TQuickPairs Pairs;

    char at(int offset) const
    {
        return offset >= 0 && offset < static_cast<int>(Text.size()) ? Text[static_cast<size_t>(offset)] : '\0';
    }
    void type(char ch)
    {
        const auto charAt = [this](int offset) { return at(offset); };
        const int length = static_cast<int>(Text.size());
        if (Pairs.TypesOver(ch, Caret, length, charAt)) {
            ++Caret;
            return;
        }
        const char partner = QuickPartner(ch);
        Text.insert(Text.begin() + Caret, ch);
        if (partner)
            Text.insert(Text.begin() + Caret + 1, partner);
        ++Caret;
        if (partner)
            Pairs.Added(Caret - 1, Caret, static_cast<int>(Text.size()), charAt);
    }
    void type(const std::string& text)
    {
        for (char ch : text)
            type(ch);
    }
};

// Balanced pairs nested at random, with words between them.
std::string nested(std::mt19937& random, int depth)
{
    static const std::string openings = "\"(<[{\xA1\xBF";
    std::string text;
    const int parts = 1 + static_cast<int>(random() % 3);
    for (int i = 0; i < parts; ++i) {
        text += std::string(random() % 3, static_cast<char>('a' + random() % 26));
        if (depth > 0 && random() % 2) {
            const char open = openings[random() % openings.size()];
            text += open + nested(random, depth - 1) + QuickPartner(open);
        }
    }
    return text;
}

} // namespace

TEST(QuickPairs, TextTypedWithPairsReadsAsTyped)
{
    std::mt19937 random(110);
    for (int round = 0; round < 300; ++round) {
        const std::string wanted = nested(random, 4);
        TTyping typing;
        typing.type(wanted);
        ASSERT_EQ(typing.Text, wanted);
        EXPECT_EQ(typing.Caret, static_cast<int>(wanted.size()));
        EXPECT_TRUE(typing.Pairs.Empty()) << wanted;
    }
    // Typed before the rest of a text, and a pair left open inside another.
    TTyping typing;
    typing.Text = "fin";
    typing.type("<u>Z</u>f((1");
    EXPECT_EQ(typing.Text, "<u>Z</u>f((1))fin");
    typing.type(")");
    EXPECT_EQ(typing.Caret, 13);
    typing.type(")");
    typing.type(")");
    EXPECT_EQ(typing.Text, "<u>Z</u>f((1)))fin");
}

TEST(QuickPairs, APairWhoseCharactersGoOrThatTheCaretLeavesIsForgotten)
{
    TTyping typing;
    typing.type("(a");
    typing.Text = "(a"; // the closer was deleted
    typing.type(")");
    EXPECT_EQ(typing.Text, "(a)");
    typing.Text.clear();
    typing.Caret = 0;
    typing.type("[x");
    typing.Caret = 3; // past the closer
    typing.type("]");
    EXPECT_EQ(typing.Text, "[x]]");
    // Nothing is kept where the two characters are not there.
    TQuickPairs pairs;
    const auto none = [](int) { return 'x'; };
    pairs.Added(0, 1, 2, none);
    EXPECT_TRUE(pairs.Empty());
    EXPECT_EQ(QuickPartner('a'), '\0');
    EXPECT_EQ(QuickPartner('\xBF'), '?');
}
