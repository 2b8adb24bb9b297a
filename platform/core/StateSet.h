// TStateSet: a set of the values 0..255 held in 32 bytes, used for scanner states and character sets.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

// Value n is bit (n mod 8), counted from the least significant bit, of byte (n div 8). Streams
// store the 32 bytes exactly as they stand here, so the layout must not change.
struct TStateSet {
    std::array<uint8_t, 32> Bytes{};

    TStateSet() = default;
    TStateSet(std::initializer_list<uint8_t> values)
    {
        for (uint8_t v : values)
            Include(v);
    }

    static TStateSet Full()
    {
        TStateSet s;
        s.Bytes.fill(0xFF);
        return s;
    }

    void Include(uint8_t n) { Bytes[n >> 3] |= static_cast<uint8_t>(1u << (n & 7)); }
    void Exclude(uint8_t n) { Bytes[n >> 3] &= static_cast<uint8_t>(~(1u << (n & 7))); }
    bool Contains(uint8_t n) const { return (Bytes[n >> 3] >> (n & 7)) & 1u; }
    void Clear() { Bytes.fill(0); }

    bool IsEmpty() const { return (word(0) | word(1) | word(2) | word(3)) == 0; }

    // True when the two sets share a value; cheaper than building the intersection.
    bool Intersects(const TStateSet& other) const
    {
        return ((word(0) & other.word(0)) | (word(1) & other.word(1)) | (word(2) & other.word(2)) |
                (word(3) & other.word(3))) != 0;
    }

    // The smallest value in the set, or -1 when it is empty.
    int Lowest() const
    {
        for (size_t i = 0; i < kWords; ++i)
            if (const uint64_t w = word(i))
                return static_cast<int>(i * 64) + std::countr_zero(w);
        return -1;
    }

    // A hash of the set for small tables keyed by state set: one multiplication, whose high bits
    // are well mixed.
    uint64_t Hash() const
    {
        const uint64_t folded = word(0) ^ (word(1) * 3) ^ (word(2) * 5) ^ (word(3) * 7);
        return (folded * 0x9E3779B97F4A7C15ull) >> 32;
    }

    // The scanner combines sets on every token, so they are combined a machine word at a time.
    TStateSet& operator&=(const TStateSet& other)
    {
        for (size_t i = 0; i < kWords; ++i)
            setWord(i, word(i) & other.word(i));
        return *this;
    }
    TStateSet& operator|=(const TStateSet& other)
    {
        for (size_t i = 0; i < kWords; ++i)
            setWord(i, word(i) | other.word(i));
        return *this;
    }
    // Removes the values of `other` (AND NOT).
    TStateSet& operator-=(const TStateSet& other)
    {
        for (size_t i = 0; i < kWords; ++i)
            setWord(i, word(i) & ~other.word(i));
        return *this;
    }

    friend TStateSet operator&(TStateSet a, const TStateSet& b) { return a &= b; }
    friend TStateSet operator|(TStateSet a, const TStateSet& b) { return a |= b; }
    friend TStateSet operator-(TStateSet a, const TStateSet& b) { return a -= b; }
    friend bool operator==(const TStateSet& a, const TStateSet& b)
    {
        return ((a.word(0) ^ b.word(0)) | (a.word(1) ^ b.word(1)) | (a.word(2) ^ b.word(2)) |
                (a.word(3) ^ b.word(3))) == 0;
    }

private:
    // The 32 bytes as four words; values keep their byte and bit places whatever the byte order.
    static constexpr size_t kWords = 4;
    uint64_t word(size_t i) const
    {
        uint64_t w;
        std::memcpy(&w, Bytes.data() + i * sizeof w, sizeof w);
        return w;
    }
    void setWord(size_t i, uint64_t w) { std::memcpy(Bytes.data() + i * sizeof w, &w, sizeof w); }
};

static_assert(sizeof(TStateSet) == 32, "a state set is streamed as its 32 bytes");

// The 256-bit set of the characters of `s`: character n is bit (n mod 8) of byte (n div 8).
inline std::array<uint8_t, 32> CharSetOf(std::string_view s)
{
    std::array<uint8_t, 32> set{};
    for (char c : s) {
        auto u = static_cast<unsigned char>(c);
        set[u >> 3] |= static_cast<uint8_t>(1u << (u & 7));
    }
    return set;
}
