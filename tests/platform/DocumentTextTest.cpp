// Tests of the document bytes against editor text: UTF-8 detection, conversion and line breaks, round trips with fixed seeds.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/DocumentText.h"
#include "platform/core/Win1252.h"

TEST(DocumentText, DecidesBetweenBytesAndConvertedUtf8)
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

    // A character Windows-1252 lacks is held: its reference begins with the mark, not "&".
    size_t references = 0;
    EXPECT_EQ(DecodeDocument("\xC3\xA1 \xE2\x86\x92\xE2\x86\x92", text, format, nullptr, &references),
              TDecodeResult::Converted);
    EXPECT_EQ(text, "\xE1 \x1F#8594;\x1F#8594;");
    EXPECT_TRUE(format.Utf8);
    EXPECT_EQ(references, 2u);

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

TEST(DocumentText, Utf16WithItsMarkIsReadAndWrittenInItsByteOrder)
{
    // "<p>Ω→😀</p>" with CR LF, little-endian and big-endian.
    const std::u16string units = u"<p>\u03A9\u2192\U0001F600</p>\r\n";
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (char16_t unit : units) {
        little += static_cast<char>(unit & 0xFF);
        little += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit & 0xFF);
    }
    for (const std::string& bytes : {little, big}) {
        std::string text;
        TDocumentFormat format;
        std::vector<uint32_t> offsets;
        EXPECT_EQ(DecodeDocument(bytes, text, format, &offsets), TDecodeResult::Converted);
        EXPECT_EQ(text, "<p>\x1F#937;\x1F#8594;\x1F#128512;</p>\r\n");
        EXPECT_FALSE(format.Utf8);
        EXPECT_EQ(format.Utf16, bytes == big ? TDocumentFormat::TUtf16::BigEndian : TDocumentFormat::TUtf16::LittleEndian);
        EXPECT_EQ(format.LineBreak, "\r\n");
        // Every character of a reference has the offset of its character; the emoji takes 4 bytes.
        ASSERT_EQ(offsets.size(), text.size() + 1);
        EXPECT_EQ(offsets[0], 2u);
        EXPECT_EQ(offsets[3], 8u);
        EXPECT_EQ(offsets[8], 8u);
        EXPECT_EQ(offsets[9], 10u);
        EXPECT_EQ(offsets[17], 12u);
        EXPECT_EQ(offsets[25], 16u);
        EXPECT_EQ(offsets.back(), bytes.size());
        EXPECT_EQ(EncodeDocument(text, format), bytes);
    }
    // An odd length or a lone surrogate is no UTF-16: the bytes are read as they are.
    for (const std::string& bad : {std::string("\xFF\xFE" "a", 3), std::string("\xFF\xFE\x00\xDC", 4)}) {
        std::string text;
        TDocumentFormat format;
        EXPECT_EQ(DecodeDocument(bad, text, format), TDecodeResult::Bytes);
        EXPECT_EQ(text, bad);
        EXPECT_EQ(format.Utf16, TDocumentFormat::TUtf16::None);
    }
}

TEST(DocumentText, OnlyHeldCharactersAreWrittenAsCharacters)
{
    std::string text;
    TDocumentFormat format;
    EXPECT_EQ(DecodeDocument("\xE2\x9C\x93\n", text, format), TDecodeResult::Converted);
    EXPECT_EQ(text, "\x1F#10003;\n");
    // A reference typed stays as typed, also one to the file's character; the held one is the
    // character, and a mark that begins no held character is the "&" it shows as.
    EXPECT_EQ(EncodeDocument("&#8594;\x1F#10003;&#10003;\x1F#010003;\x1F\n", format),
              "&#8594;\xE2\x9C\x93&#10003;&#010003;&\n");
    // A Windows-1252 file holds the characters as references, and never changes a typed one.
    TDocumentFormat bytes = format;
    bytes.Utf8 = false;
    EXPECT_EQ(EncodeDocument("\x1F#10003;&#10003;\x1F", bytes), "&#10003;&#10003;&");
    // A file's own 0x1F, which the editor shows as ".", never becomes the mark.
    for (const char* own : {"a\x1F#10003;", "\xC3\xA1\x1F#10003;"}) {
        DecodeDocument(own, text, format);
        EXPECT_EQ(text.find('\x1F'), std::string::npos) << own;
        DecodeStoredText(own, text, format);
        EXPECT_EQ(text.find('\x1F'), std::string::npos) << own;
    }
}

TEST(DocumentText, AZeroWidthNoBreakSpaceIsACharacterWhereNoMarkCanStand)
{
    // In UTF-16 the characters after the mark may begin with U+FEFF.
    const std::string wide("\xFE\xFF\xFE\xFF\x00" "a", 6);
    std::string text;
    TDocumentFormat format;
    EXPECT_EQ(DecodeDocument(wide, text, format), TDecodeResult::Converted);
    EXPECT_EQ(text, "\x1F#65279;a");
    EXPECT_EQ(EncodeDocument(text, format), wide);
    // Written at the start of a UTF-8 file without a mark it would read back as one: it stays a
    // reference there, and is the character anywhere else.
    EXPECT_EQ(DecodeDocument("\xEF\xBB\xBF\xEF\xBB\xBF" "a", text, format), TDecodeResult::Converted);
    EXPECT_EQ(text, "\x1F#65279;a");
    format.ByteOrderMark = false;
    EXPECT_EQ(EncodeDocument("\x1F#65279;a\x1F#65279;", format), "&#65279;a\xEF\xBB\xBF");
}

