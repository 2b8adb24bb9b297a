// Windows-1252 conversion at the edges of the editor.
#include <QString>
#include <gtest/gtest.h>

#include "platform/Win1252Qt.h"
#include "support/Win1252Text.h"

TEST(Win1252, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    QString text = FromWin1252(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(ToWin1252(text), all);
}

TEST(Win1252, MapsTheHighControlsToTheirTypographicCharacters)
{
    EXPECT_EQ(FromWin1252("\x80"), QString(QChar(0x20AC)));
    EXPECT_EQ(FromWin1252("\x93\x94"), QString::fromUtf16(u"\u201C\u201D"));
    EXPECT_EQ(ToWin1252(QString::fromUtf16(u"\u00F3\u20AC")), "\xF3\x80");
    EXPECT_EQ(ToWin1252(QString::fromUtf16(u"a\u4E2Db")), "a?b");
    char byte = 0;
    EXPECT_FALSE(CharToWin1252(0x4E2D, byte));
    EXPECT_TRUE(CharToWin1252(0x2122, byte));
    EXPECT_EQ(static_cast<unsigned char>(byte), 0x99);
}
