// Stream primitives: little-endian integers, strings with length prefixes, sets, checked counts.
#include "platform/core/StreamPrims.h"

#include "platform/core/SysUtils.h"

namespace {

void checkLength(TStream& stream, int64_t length)
{
    int64_t remaining = stream.Remaining();
    if (length < 0 || length > remaining)
        throw EReadError(Format("Invalid stream: length %lld exceeds the %lld bytes that remain",
                                static_cast<long long>(length), static_cast<long long>(remaining)));
}

uint32_t readLE32(TStream& stream)
{
    uint8_t b[4];
    stream.ReadBuffer(b, 4);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

void writeLE32(TStream& stream, uint32_t v)
{
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                    static_cast<uint8_t>(v >> 24)};
    stream.WriteBuffer(b, 4);
}

} // namespace

void StreamWriteByte(TStream& stream, uint8_t value)
{
    stream.WriteBuffer(&value, 1);
}

uint8_t StreamReadByte(TStream& stream)
{
    uint8_t value;
    stream.ReadBuffer(&value, 1);
    return value;
}

void StreamWriteChar(TStream& stream, char value)
{
    stream.WriteBuffer(&value, 1);
}

char StreamReadChar(TStream& stream)
{
    char value;
    stream.ReadBuffer(&value, 1);
    return value;
}

void StreamWriteWord(TStream& stream, uint16_t value)
{
    uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    stream.WriteBuffer(b, 2);
}

uint16_t StreamReadWord(TStream& stream)
{
    uint8_t b[2];
    stream.ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

void StreamWriteLong(TStream& stream, int32_t value)
{
    writeLE32(stream, static_cast<uint32_t>(value));
}

int32_t StreamReadLong(TStream& stream)
{
    return static_cast<int32_t>(readLE32(stream));
}

void StreamWriteLong7(TStream& stream, int32_t value)
{
    writeLE32(stream, static_cast<uint32_t>(value) & 0x7F);
}

int32_t StreamReadLong7(TStream& stream)
{
    return static_cast<int32_t>(readLE32(stream));
}

void StreamWriteShortStr(TStream& stream, std::string_view value)
{
    if (value.size() > 255)
        value = value.substr(0, 255);
    StreamWriteByte(stream, static_cast<uint8_t>(value.size()));
    stream.WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
}

std::string StreamReadShortStr(TStream& stream)
{
    uint8_t length = StreamReadByte(stream);
    checkLength(stream, length);
    std::string value(length, '\0');
    stream.ReadBuffer(value.data(), length);
    return value;
}

void StreamWriteLongStr(TStream& stream, std::string_view value)
{
    StreamWriteLong(stream, static_cast<int32_t>(value.size()));
    stream.WriteBuffer(value.data(), static_cast<int64_t>(value.size()));
}

std::string StreamReadLongStr(TStream& stream)
{
    int32_t length = StreamReadLong(stream);
    checkLength(stream, length);
    std::string value(static_cast<size_t>(length), '\0');
    stream.ReadBuffer(value.data(), length);
    return value;
}

void StreamWriteSet(TStream& stream, const TStateSet& value)
{
    stream.WriteBuffer(value.Bytes.data(), 32);
}

TStateSet StreamReadSet(TStream& stream)
{
    TStateSet value;
    stream.ReadBuffer(value.Bytes.data(), 32);
    return value;
}

int32_t StreamReadCount(TStream& stream, int64_t minItemBytes, int32_t maxCount)
{
    int32_t count = StreamReadLong(stream);
    if (count < 0 || count > maxCount)
        throw EReadError(Format("Invalid stream: count %d outside 0..%d", count, maxCount));
    int64_t remaining = stream.Remaining();
    if (minItemBytes > 0 && count > remaining / minItemBytes)
        throw EReadError(Format("Invalid stream: %d items cannot fit in the %lld bytes that remain", count,
                                static_cast<long long>(remaining)));
    return count;
}
