// Glyph and caption placement: the three ways of choosing margin and spacing, on all four sides.
#include <gtest/gtest.h>

#include <random>

#include "platform/core/ButtonLayout.h"

TEST(ButtonLayout, MarginAndSpacingAreChosenWhenMinusOne)
{
    // Both chosen: three equal gaps.
    TGlyphTextPlacement p = PlaceGlyphAndText({60, 30}, {16, 16}, {20, 13}, blGlyphLeft, -1, -1);
    EXPECT_EQ(p.Margin, 8);
    EXPECT_EQ(p.Spacing, 8);
    EXPECT_EQ(p.GlyphPos, (TPoint{8, 7}));
    EXPECT_EQ(p.TextPos, (TPoint{32, 9}));
    // Spacing given: the pair centred.
    p = PlaceGlyphAndText({60, 30}, {16, 16}, {20, 13}, blGlyphLeft, -1, 4);
    EXPECT_EQ(p.Margin, 30 - 20);
    // Margin given: the caption midway in the room after the glyph.
    p = PlaceGlyphAndText({30, 40}, {16, 16}, {20, 13}, blGlyphTop, 2, -1);
    EXPECT_EQ(p.Spacing, (40 - 18) / 2 - 6);
    EXPECT_EQ(p.GlyphPos, (TPoint{7, 2}));
    EXPECT_EQ(p.TextPos, (TPoint{5, 2 + 16 + 5}));
    // Without a caption there is no spacing.
    p = PlaceGlyphAndText({30, 40}, {16, 16}, {0, 0}, blGlyphTop, 2, 7);
    EXPECT_EQ(p.Spacing, 0);
}

TEST(ButtonLayout, OppositeSidesMirrorEachOther)
{
    std::mt19937 random(7);
    for (int i = 0; i < 500; ++i) {
        const TPoint client{static_cast<int>(random() % 80), static_cast<int>(random() % 80)};
        const TPoint glyph{static_cast<int>(random() % 20), static_cast<int>(random() % 20)};
        const TPoint text{static_cast<int>(random() % 40), static_cast<int>(random() % 20)};
        const int margin = static_cast<int>(random() % 6) - 1;
        const int spacing = static_cast<int>(random() % 6) - 1;
        const TGlyphTextPlacement left = PlaceGlyphAndText(client, glyph, text, blGlyphLeft, margin, spacing);
        const TGlyphTextPlacement right = PlaceGlyphAndText(client, glyph, text, blGlyphRight, margin, spacing);
        EXPECT_EQ(left.GlyphPos.X, client.X - right.GlyphPos.X - glyph.X);
        EXPECT_EQ(left.TextPos.Y, right.TextPos.Y);
        // The caption follows the glyph by the spacing, whichever side the glyph is on.
        EXPECT_EQ(left.TextPos.X - left.GlyphPos.X - glyph.X, left.Spacing);
        EXPECT_EQ(right.GlyphPos.X - right.TextPos.X - text.X, right.Spacing);
        const TGlyphTextPlacement top = PlaceGlyphAndText(client, glyph, text, blGlyphTop, margin, spacing);
        const TGlyphTextPlacement bottom = PlaceGlyphAndText(client, glyph, text, blGlyphBottom, margin, spacing);
        EXPECT_EQ(top.GlyphPos.Y, client.Y - bottom.GlyphPos.Y - glyph.Y);
        EXPECT_EQ(top.GlyphPos.X, client.X / 2 - glyph.X / 2);
        if (margin != -1) {
            EXPECT_EQ(top.Margin, margin);
        }
    }
}
