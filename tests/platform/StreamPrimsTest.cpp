// Stream primitives: exact byte forms, checked lengths and counts, ASCII case helpers.
#include <gtest/gtest.h>

#include "platform/core/StreamPrims.h"

namespace {

std::vector<uint8_t> bytesOf(const TMemoryStream& stream)
{
    return stream.Bytes();
}

TCustomMemoryStream streamOver(const std::vector<uint8_t>& bytes)
{
    return TCustomMemoryStream(bytes.data(), static_cast<int64_t>(bytes.size()));
}

} // namespace

TEST(StreamPrims, WritersProduceLittleEndianBytes)
{
    TMemoryStream s;
    StreamWriteLong(s, 0x12345678);
    EXPECT_EQ(bytesOf(s), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));

    s.Clear();
    StreamWriteLong7(s, 0x1FF);
    EXPECT_EQ(bytesOf(s), (std::vector<uint8_t>{0x7F, 0, 0, 0}));

    s.Clear();
    StreamWriteShortStr(s, "abc");
    EXPECT_EQ(bytesOf(s), (std::vector<uint8_t>{3, 'a', 'b', 'c'}));

    s.Clear();
    StreamWriteLongStr(s, "hi");
    StreamWriteWord(s, 0xBEEF);
    StreamWriteByte(s, 0xC9);
    StreamWriteChar(s, 'z');
    StreamWriteLong(s, -2);
    EXPECT_EQ(bytesOf(s), (std::vector<uint8_t>{2, 0, 0, 0, 'h', 'i', 0xEF, 0xBE, 0xC9, 'z', 0xFE, 0xFF, 0xFF, 0xFF}));
}

TEST(StreamPrims, ReadersReturnWhatWasWritten)
{
    TMemoryStream s;
    StreamWriteLongStr(s, std::string("a\0b\xF3", 4));
    StreamWriteShortStr(s, "");
    StreamWriteWord(s, 0xFFFF);
    StreamWriteLong(s, INT32_MIN);
    StreamWriteChar(s, '\xE9');
    TStateSet set{0, 9, 255};
    StreamWriteSet(s, set);
    s.SetPosition(0);
    EXPECT_EQ(StreamReadLongStr(s), std::string("a\0b\xF3", 4));
    EXPECT_EQ(StreamReadShortStr(s), "");
    EXPECT_EQ(StreamReadWord(s), 0xFFFF);
    EXPECT_EQ(StreamReadLong(s), INT32_MIN);
    EXPECT_EQ(StreamReadChar(s), '\xE9');
    EXPECT_EQ(StreamReadSet(s), set);
    EXPECT_EQ(s.Remaining(), 0);

    // The Long7 reader gives back all four bytes, whatever the writer would have kept.
    std::vector<uint8_t> raw{0xFF, 0x01, 0, 0};
    TCustomMemoryStream r = streamOver(raw);
    EXPECT_EQ(StreamReadLong7(r), 0x1FF);
}

TEST(StreamPrims, ShortStringsAreCutTo255Characters)
{
    TMemoryStream s;
    StreamWriteShortStr(s, std::string(300, 'x'));
    EXPECT_EQ(s.GetSize(), 256);
    s.SetPosition(0);
    EXPECT_EQ(StreamReadShortStr(s), std::string(255, 'x'));
}

TEST(StreamPrims, LengthsBeyondTheRemainingBytesAreRejected)
{
    // A long string claiming 2 GB with three bytes behind it must fail before allocating.
    std::vector<uint8_t> huge{0xFF, 0xFF, 0xFF, 0x7F, 'a', 'b', 'c'};
    TCustomMemoryStream s1 = streamOver(huge);
    EXPECT_THROW(StreamReadLongStr(s1), EReadError);

    std::vector<uint8_t> negative{0xFF, 0xFF, 0xFF, 0xFF};
    TCustomMemoryStream s2 = streamOver(negative);
    EXPECT_THROW(StreamReadLongStr(s2), EReadError);

    std::vector<uint8_t> shortOne{5, 'a', 'b'};
    TCustomMemoryStream s3 = streamOver(shortOne);
    try {
        StreamReadShortStr(s3);
        FAIL() << "a short string longer than the stream was accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Invalid stream: length 5 exceeds the 2 bytes that remain");
    }

    std::vector<uint8_t> exact{2, 0, 0, 0, 'o', 'k'};
    TCustomMemoryStream s4 = streamOver(exact);
    EXPECT_EQ(StreamReadLongStr(s4), "ok");

    std::vector<uint8_t> truncated{1, 2, 3};
    TCustomMemoryStream s5 = streamOver(truncated);
    EXPECT_THROW(StreamReadLong(s5), EReadError);
    EXPECT_THROW(StreamReadByte(s5), EReadError);
}

TEST(StreamPrims, CountsAreCheckedAgainstLimitAndRemainingBytes)
{
    std::vector<uint8_t> bytes{3, 0, 0, 0, 1, 2, 3, 4, 5, 6};
    TCustomMemoryStream fits = streamOver(bytes);
    EXPECT_EQ(StreamReadCount(fits, 2), 3);

    TCustomMemoryStream tooMany = streamOver(bytes);
    EXPECT_THROW(StreamReadCount(tooMany, 3), EReadError); // 3 items of 3 bytes need 9, 6 remain

    TCustomMemoryStream overLimit = streamOver(bytes);
    try {
        StreamReadCount(overLimit, 1, 2);
        FAIL() << "a count above its limit was accepted";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Invalid stream: count 3 outside 0..2");
    }

    std::vector<uint8_t> negative{0xFE, 0xFF, 0xFF, 0xFF};
    TCustomMemoryStream neg = streamOver(negative);
    EXPECT_THROW(StreamReadCount(neg, 1), EReadError);
}

TEST(StreamPrims, CaseHelpersFoldAsciiLettersOnly)
{
    EXPECT_EQ(LoCaseChar('A'), 'a');
    EXPECT_EQ(LoCaseChar('Z'), 'z');
    EXPECT_EQ(LoCaseChar('a'), 'a');
    EXPECT_EQ(LoCaseChar('@'), '@');
    EXPECT_EQ(LoCaseChar('['), '[');
    EXPECT_EQ(LoCaseChar('\xC9'), '\xC9'); // accented capital E stays
    EXPECT_EQ(UpCaseChar('a'), 'A');
    EXPECT_EQ(UpCaseChar('z'), 'Z');
    EXPECT_EQ(UpCaseChar('`'), '`');
    EXPECT_EQ(UpCaseChar('{'), '{');
    EXPECT_EQ(UpCaseChar('\xE9'), '\xE9');
}
