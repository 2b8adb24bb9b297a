// Editor fonts: device heights, style bits, face resolution, glyph bitmaps and the font description.
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <gtest/gtest.h>

#include "platform/core/Fonts.h"
#include "platform/FontsQt.h"
#include "platform/Win1252Qt.h"

TEST(Fonts, HeightFollowsTheTargetResolution)
{
    int screen = ScreenPixelsPerInch();
    ASSERT_GT(screen, 0);
    TFontHandle font = MakeEditorFont("Courier New", 10, 0, DEFAULT_CHARSET, false);
    EXPECT_EQ(font->PixelsPerInch(), screen);
    EXPECT_EQ(font->Height(), -((10 * screen + 36) / 72));

    TFontHandle printer = MakeEditorFont("Courier New", 10, 0, DEFAULT_CHARSET, true, 600);
    EXPECT_EQ(printer->Height(), -83); // 83.3 rounds down
    EXPECT_EQ(MakeEditorFont("Courier New", 9, 0, DEFAULT_CHARSET, true, 300)->Height(), -38); // 37.5 rounds up
    EXPECT_EQ(ToQFont(*printer).pixelSize(), 83);
}

TEST(Fonts, StyleBitsAndNamesAreKept)
{
    TFontHandle font = MakeEditorFont("Courier New", 10, fsBold | fsItalic | fsStrikeOut, SYMBOL_CHARSET, false);
    EXPECT_EQ(font->Weight(), 700);
    EXPECT_TRUE(font->Italic());
    EXPECT_FALSE(font->Underline());
    EXPECT_TRUE(font->StrikeOut());
    EXPECT_EQ(font->Charset(), SYMBOL_CHARSET);
    EXPECT_EQ(font->Name(), "Courier New");
    EXPECT_TRUE(ToQFont(*font).bold());
    EXPECT_EQ(MakeEditorFont("Courier New", 10, fsUnderline, 0, false)->Weight(), 0);
    EXPECT_EQ(MakeEditorFont(std::string(40, 'F'), 10, 0, 0, false)->Name(), std::string(31, 'F'));
}

TEST(Fonts, MissingFacesResolveToAnInstalledMonospace)
{
    TFontHandle font = MakeEditorFont("No Such Face Anywhere", 10, 0, 0, false);
    QString family = FromWin1252(font->ResolvedFamily());
    EXPECT_TRUE(QFontDatabase::hasFamily(family));
    EXPECT_TRUE(QFontInfo(ToQFont(*font)).fixedPitch());
    EXPECT_EQ(font->Name(), "No Such Face Anywhere");

    if (QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans"))) {
        EXPECT_EQ(MakeEditorFont("DejaVu Sans", 10, 0, 0, false)->ResolvedFamily(), "DejaVu Sans");
    }
}

TEST(Fonts, GlyphBitmapsHoldAWhiteCharacterOnBlack)
{
    std::unique_ptr<TGlyphBitmap> glyph = MakeGlyphBitmap("Symbol", 10, SYMBOL_CHARSET, 174, false);
    ASSERT_GT(glyph->Width(), 0);
    QFontMetrics metrics(ToQFont(*MakeEditorFont("Symbol", 10, 0, SYMBOL_CHARSET, false)));
    EXPECT_EQ(glyph->Height(), metrics.height() + std::max(0, metrics.leading()) + 11);
    int set = 0;
    for (int y = 0; y < glyph->Height(); ++y)
        for (int x = 0; x < glyph->Width(); ++x)
            set += glyph->IsSet(x, y);
    EXPECT_GT(set, 0);
    EXPECT_LT(set, glyph->Width() * glyph->Height() / 2);
    EXPECT_FALSE(glyph->IsSet(0, glyph->Height() - 1)); // the room below the character stays black
}

TEST(Fonts, DescriptionReportsEveryAssignment)
{
    TFont font;
    EXPECT_EQ(font.Name(), "MS Sans Serif");
    EXPECT_EQ(font.Size(), 8);
    int changes = 0;
    font.OnChange = [&] { ++changes; };
    font.SetName("Arial");
    font.SetSize(9);
    font.SetCharset(0);
    font.SetColor(clRed);
    font.SetStyle(fsBold);
    EXPECT_EQ(changes, 5);
    TFont other;
    other.Assign(font);
    EXPECT_EQ(other, font);
    font.Assign(TFont());
    EXPECT_EQ(changes, 6);
    EXPECT_EQ(font.Name(), "MS Sans Serif");
}
