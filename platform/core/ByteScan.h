// Tests on eight bytes at once, for the loops that copy long runs of plain text.
#pragma once

#include <cstdint>
#include <cstring>

// True when none of the eight bytes at `at` is below 32 (a control character or a line break).
inline bool EightBytesAtLeast32(const char* at)
{
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    constexpr uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
    // A byte below 32 borrows into its high bit when 32 is taken from it; a byte that had its high
    // bit set before is masked out, and a borrow passed on only follows a byte below 32.
    return ((word - ones * 32) & ~word & highs) == 0;
}

// True when the eight bytes at `at` are all printable ASCII (32 to 127).
inline bool EightBytesPrintableAscii(const char* at)
{
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return (word & 0x8080808080808080ull) == 0 && EightBytesAtLeast32(at);
}
