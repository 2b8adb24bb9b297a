// The program's own files: UTF-8 only after its byte-order mark, Windows-1252 otherwise, and never the mark of a held character.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/core/CharacterReferences.h"
#include "platform/core/DocumentText.h"
#include "platform/core/ProgramFileText.h"
#include "support/ProgramFileTexts.h"

namespace {

constexpr std::string_view kMark = "\xEF\xBB\xBF";

} // namespace

TEST(ProgramFileText, EveryTextReadsBackAsWrittenAndNoMarkByteReachesTheFile)
{
    std::mt19937 random(3102);
    const std::vector<std::string> pieces = ProgramTextPieces();
    for (int round = 0; round < 4000; ++round) {
        const std::string text = RandomProgramText(random, pieces, 14);
        const std::string shown = ShownProgramText(text);
        for (const bool keepUtf8 : {false, true}) {
            const std::string bytes = ProgramFileBytes(text, keepUtf8);
            ASSERT_EQ(bytes.find('\x1F'), std::string::npos) << text;
            // Windows-1252 as it stands while the text fits and the file was not UTF-8 already; else
            // UTF-8 after the byte-order mark.
            const bool needsUtf8 = keepUtf8 || HeldCharactersAsReferences(text) != shown || shown.starts_with(kMark);
            const bool marked = bytes.starts_with(kMark);
            ASSERT_TRUE(marked || !needsUtf8) << text;
            ASSERT_EQ(bytes, marked ? std::string(kMark) + EditorTextToUtf8(text) : shown) << text;
            // A text that fits Windows-1252 goes as UTF-8 only where its Windows-1252 bytes would
            // read as something else.
            if (marked && !needsUtf8) {
                ASSERT_NE(ProgramFileText(shown), shown) << text;
            }
            bool utf8 = !marked;
            ASSERT_EQ(ProgramFileText(bytes, &utf8), shown) << text;
            ASSERT_EQ(utf8, marked) << text;
            // A file that was UTF-8 stays so.
            ASSERT_EQ(ProgramFileBytes(ProgramFileText(bytes), utf8), bytes) << text;
        }
    }
}

TEST(ProgramFileText, BytesWithoutTheByteOrderMarkAreWindows1252ByteForByteButAnEarlierVersionsUtf8)
{
    // An earlier version's file: every byte but the mark's is the character it is, also where the
    // bytes happen to spell UTF-8 ("Ã©x", "ï»¿" inside, a U+FEFF's bytes after the start).
    std::mt19937 random(1252);
    for (int round = 0; round < 4000; ++round) {
        std::string bytes;
        for (size_t n = random() % 24; n > 0; --n) {
            const char byte = static_cast<char>(random() % 256);
            bytes += byte == '\x1F' ? "\xC3\xA9" : std::string(1, byte);
        }
        if (bytes.starts_with(kMark))
            bytes = std::string("x").append(bytes);
        bool utf8 = true;
        const std::string read = ProgramFileText(bytes, &utf8);
        if (IsValidUtf8(bytes)) {
            // Maybe an earlier version's UTF-8: whichever it is taken for is kept.
            ASSERT_EQ(ProgramFileText(ProgramFileBytes(read, utf8)), read);
            continue;
        }
        ASSERT_EQ(read, bytes);
        ASSERT_FALSE(utf8);
        // Written back unchanged, so an earlier version still reads it.
        ASSERT_EQ(ProgramFileBytes(bytes), bytes);
    }
    EXPECT_EQ(ProgramFileText("\xC3\xA9x"), "\xC3\xA9x");
    EXPECT_EQ(ProgramFileBytes("\xC3\xA9x"), "\xC3\xA9x");
    EXPECT_EQ(ProgramFileText("a \xEF\xBB\xBF b"), "a \xEF\xBB\xBF b");
    EXPECT_EQ(ProgramFileText("Pe\xF1" "a \xCE\xB1"), "Pe\xF1" "a \xCE\xB1");
    // An earlier version wrote a text holding a character Windows-1252 lacks in UTF-8 without the
    // mark: it reads as it did then, and goes back with the mark. The same characters typed in
    // Windows-1252 ("Î±") go with the mark too, so that they are never taken for that.
    bool utf8 = false;
    EXPECT_EQ(ProgramFileText("Espa\xC3\xB1" "a \xCE\xB1", &utf8), "Espa\xF1" "a \x1F#945;");
    EXPECT_TRUE(utf8);
    EXPECT_EQ(ProgramFileBytes("\xCE\xB1"), "\xEF\xBB\xBF\xC3\x8E\xC2\xB1");
    EXPECT_EQ(ProgramFileText(ProgramFileBytes("\xCE\xB1")), "\xCE\xB1");
    // The file's own 0x1F is a control character, shown as the line store shows one.
    EXPECT_EQ(ProgramFileText("a\x1F#945;"), "a.#945;");
}

TEST(ProgramFileText, TheByteOrderMarkAloneMakesUtf8)
{
    bool utf8 = false;
    EXPECT_EQ(ProgramFileText("\xEF\xBB\xBF" "Espa\xC3\xB1" "a \xCE\xB1", &utf8), "Espa\xF1" "a \x1F#945;");
    EXPECT_TRUE(utf8);
    EXPECT_EQ(ProgramFileText("\xEF\xBB\xBF\xEF\xBB\xBF" "a"), HeldCharacter(0xFEFF) + "a");
    // A text that begins with "ï»¿" goes as UTF-8, whose mark comes first; one that begins with a
    // held U+FEFF gets the mark before the character.
    EXPECT_EQ(ProgramFileBytes("\xEF\xBB\xBF" "a"), "\xEF\xBB\xBF\xC3\xAF\xC2\xBB\xC2\xBF" "a");
    EXPECT_EQ(ProgramFileBytes(HeldCharacter(0xFEFF) + "a"), "\xEF\xBB\xBF\xEF\xBB\xBF" "a");
    EXPECT_EQ(ProgramFileBytes("\x1F#31;\x1F#945;"), "\xEF\xBB\xBF" "&#31;\xCE\xB1");
    // After the mark, bytes that are not well-formed UTF-8 were not written by this rule: an earlier
    // version's Windows-1252 file that began with "ï»¿", read whole.
    EXPECT_EQ(ProgramFileText("\xEF\xBB\xBF" "Espa\xF1" "a", &utf8), "\xEF\xBB\xBF" "Espa\xF1" "a");
    EXPECT_FALSE(utf8);
}
