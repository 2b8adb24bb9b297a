// Stream primitives shared by every stream of the editor, the parser tables and the support components' lists, and ASCII case helpers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/StateSet.h"
#include "platform/core/Classes.h"

// All integers are little-endian whatever the host. Readers raise EReadError when the stream ends
// early, and before allocating anything whose size the stream gives: a length or count that the
// remaining bytes cannot hold is rejected, so a corrupt stream never makes us allocate what it asks.

void StreamWriteByte(TStream& stream, uint8_t value);
uint8_t StreamReadByte(TStream& stream);
void StreamWriteChar(TStream& stream, char value);
char StreamReadChar(TStream& stream);
void StreamWriteWord(TStream& stream, uint16_t value);
uint16_t StreamReadWord(TStream& stream);
void StreamWriteLong(TStream& stream, int32_t value);
int32_t StreamReadLong(TStream& stream);
// Stores only the low 7 bits of the value in a 4-byte integer; the reader returns the 4 bytes as read.
void StreamWriteLong7(TStream& stream, int32_t value);
int32_t StreamReadLong7(TStream& stream);
// One length byte, then the characters. Longer strings are cut to 255 characters.
void StreamWriteShortStr(TStream& stream, std::string_view value);
std::string StreamReadShortStr(TStream& stream);
// A 4-byte length, then the characters.
void StreamWriteLongStr(TStream& stream, std::string_view value);
std::string StreamReadLongStr(TStream& stream);
// The 32 bytes of a set.
void StreamWriteSet(TStream& stream, const TStateSet& value);
TStateSet StreamReadSet(TStream& stream);

// Reads a 4-byte count of items that take at least `minItemBytes` each and checks it: negative,
// above `maxCount`, or more items than the remaining bytes can hold raises EReadError.
int32_t StreamReadCount(TStream& stream, int64_t minItemBytes, int32_t maxCount = INT32_MAX);

// Case mapping of the ASCII letters only; every other byte, accented letters included, is unchanged.
inline char LoCaseChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}
inline char UpCaseChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - ('a' - 'A')) : c;
}
