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

TEST(EditorTextGate, HeldCharactersCrossBothWaysAsThemselvesWhereverTheyStand)
{
    // A held character at the very start (U+FEFF, which a UTF-8 reader could take for a byte-order
    // mark, and others), in the middle and at the end, beside Windows-1252 letters: the widget gets
    // the characters, and its text comes back as the same editor text.
    for (const std::string held : {"\x1F#65279;", "\x1F#945;", "\x1F#128512;"}) {
        for (const std::string& text : {held + "a\xE1", "a" + held + "\x80", "\xE1" + held, held + held}) {
            SCOPED_TRACE(testing::PrintToString(text));
            const QString shown = FromEditorText(text);
            EXPECT_EQ(ToEditorText(shown), text);
            EXPECT_FALSE(shown.contains(QChar(0x1F)));
        }
    }
    EXPECT_EQ(FromEditorText("\x1F#65279;a"), QString(QChar(0xFEFF)) + QChar(u'a'));
}
