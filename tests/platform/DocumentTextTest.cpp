// Tests of the document bytes against editor text: UTF-8 detection, conversion and line breaks, round trips with fixed seeds.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/DocumentText.h"
#include "platform/core/Win1252.h"

TEST(DocumentText, DecidesBetweenBytesConvertedUtf8AndUnfittingUtf8)
{
    std::string text;
    TDocumentFormat format;
    EXPECT_EQ(DecodeDocument("abc\r\ndef", text, format), TDecodeResult::Bytes);
    EXPECT_EQ(text, "abc\r\ndef");
    EXPECT_EQ(format, TDocumentFormat{});
    // Windows-1252 bytes that are no UTF-8 stay as they are.
    EXPECT_EQ(DecodeDocument("caf\xE9\n", text, format), TDecodeResult::Bytes);
    EXPECT_EQ(text, "caf\xE9\n");
    EXPECT_EQ(format.LineBreak, "\n");
    EXPECT_FALSE(format.Utf8);

    EXPECT_EQ(DecodeDocument("\xC3\xA1\xE2\x82\xAC\r", text, format), TDecodeResult::Converted);
    EXPECT_EQ(text, "\xE1\x80\r");
    EXPECT_TRUE(format.Utf8);
    EXPECT_FALSE(format.ByteOrderMark);
    EXPECT_EQ(format.LineBreak, "\r");
    EXPECT_EQ(DecodeDocument("\xEF\xBB\xBFhola", text, format), TDecodeResult::Converted);
    EXPECT_EQ(text, "hola");
    EXPECT_TRUE(format.ByteOrderMark);
    EXPECT_EQ(EncodeDocument("hola\r", format), "\xEF\xBB\xBFhola\r\n");

    EXPECT_EQ(DecodeDocument("\xC3\xA1 \xE2\x86\x92", text, format), TDecodeResult::Unfitting);
    EXPECT_EQ(text, "\xC3\xA1 \xE2\x86\x92");
    EXPECT_FALSE(format.Utf8);

    // Overlong forms, surrogates and cut sequences are no UTF-8.
    for (const char* bad : {"\xC0\xAF", "\xED\xA0\x80", "\xE2\x82", "\xF4\x90\x80\x80", "\x80"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(DocumentText, EncodingWritesTheFormatsLineBreakAndUtf8)
{
    TDocumentFormat lf;
    lf.LineBreak = "\n";
    EXPECT_EQ(EncodeDocument("a\rb\r\nc\nd", lf), "a\nb\nc\nd");
    EXPECT_EQ(EncodeDocument("a\rb", TDocumentFormat{}), "a\r\nb");
    TDocumentFormat utf8;
    utf8.Utf8 = true;
    EXPECT_EQ(EncodeDocument("\xE1\x80\x81", utf8), "\xC3\xA1\xE2\x82\xAC\xC2\x81");
}

TEST(DocumentText, FilesWithOneKindOfLineBreakComeBackByteForByte)
{
    std::mt19937 random(46);
    const char* breaks[] = {"\r\n", "\n", "\r"};
    for (int round = 0; round < 300; ++round) {
        const std::string lineBreak = breaks[round % 3];
        std::string bytes;
        const bool utf8 = round % 2 == 0;
        const int length = static_cast<int>(random() % 60);
        for (int i = 0; i < length; ++i) {
            const int pick = static_cast<int>(random() % 10);
            if (pick == 0) {
                bytes += lineBreak;
            } else if (pick < 3) {
                const char byte = static_cast<char>(0x80 + random() % 0x80);
                if (utf8) {
                    const char32_t cp = Win1252ToUnicode(static_cast<unsigned char>(byte));
                    char back;
                    ASSERT_TRUE(CharToWin1252(cp, back));
                    std::string encoded;
                    if (cp < 0x800) {
                        encoded += static_cast<char>(0xC0 | (cp >> 6));
                    } else {
                        encoded += static_cast<char>(0xE0 | (cp >> 12));
                        encoded += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                    }
                    encoded += static_cast<char>(0x80 | (cp & 0x3F));
                    bytes += encoded;
                } else {
                    bytes += byte;
                }
            } else {
                bytes += static_cast<char>('a' + random() % 26);
            }
        }
        std::string text;
        TDocumentFormat format;
        DecodeDocument(bytes, text, format);
        // The editor keeps a line break as one CR.
        std::string stored;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                continue;
            stored += text[i] == '\n' ? '\r' : text[i];
        }
        EXPECT_EQ(EncodeDocument(stored, format), bytes) << round;
    }
}

TEST(DocumentText, TheLineBreakIsTheKindMostBreaksAre)
{
    const auto lineBreak = [](std::string_view bytes) {
        std::string text;
        TDocumentFormat format;
        DecodeDocument(bytes, text, format);
        return format.LineBreak;
    };
    // One stray CR does not decide for the whole file.
    EXPECT_EQ(lineBreak("a\r\r\nb\r\n"), "\r\n");
    EXPECT_EQ(lineBreak("a\rb\nc\nd\r\n"), "\n");
    EXPECT_EQ(lineBreak("a\rb\rc\r\n"), "\r");
    // A tie goes to the kind that reached the count first; LF CR pairs are no kind to write.
    EXPECT_EQ(lineBreak("a\nb\r\n"), "\n");
    EXPECT_EQ(lineBreak("a\n\rb\n\rc\r"), "\r");
    EXPECT_EQ(lineBreak("a\n\r"), "\r\n");
    EXPECT_EQ(lineBreak("sin saltos"), "\r\n");
}

TEST(DocumentText, ControlCharactersAreThoseBelowBlankButTabAndLineBreaks)
{
    EXPECT_FALSE(HoldsControlCharacters("a\tb\r\nc\n\xE1\x80"));
    for (char c = 0; c < 32; ++c)
        EXPECT_EQ(HoldsControlCharacters(std::string("x") + c), c != '\t' && c != '\r' && c != '\n') << int(c);
    // Plain ASCII is written as UTF-8 once it holds more; a document read from Windows-1252 stays so.
    std::string text;
    TDocumentFormat format;
    EXPECT_EQ(DecodeDocument("cafe", text, format), TDecodeResult::Bytes);
    EXPECT_TRUE(format.Utf8);
    EXPECT_EQ(EncodeDocument("caf\xE9", format), "caf\xC3\xA9");
    // Each character of a converted text knows the bytes it came from.
    std::vector<uint32_t> offsets;
    EXPECT_EQ(DecodeDocument("\xEF\xBB\xBF" "a\xC3\xA1\xE2\x82\xAC.", text, format, &offsets), TDecodeResult::Converted);
    EXPECT_EQ(offsets, (std::vector<uint32_t>{3, 4, 6, 9, 10}));
    EXPECT_EQ(DecodeDocument("a\xE1", text, format, &offsets), TDecodeResult::Bytes);
    EXPECT_EQ(offsets, (std::vector<uint32_t>{0, 1, 2}));
}
