// TStateSet: a set of the values 0..255 held in 32 bytes, used for scanner states and character sets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

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

    bool IsEmpty() const
    {
        for (uint8_t b : Bytes)
            if (b)
                return false;
        return true;
    }

    // True when the two sets share a value; cheaper than building the intersection.
    bool Intersects(const TStateSet& other) const
    {
        for (size_t i = 0; i < Bytes.size(); ++i)
            if (Bytes[i] & other.Bytes[i])
                return true;
        return false;
    }

    TStateSet& operator&=(const TStateSet& other)
    {
        for (size_t i = 0; i < Bytes.size(); ++i)
            Bytes[i] &= other.Bytes[i];
        return *this;
    }
    TStateSet& operator|=(const TStateSet& other)
    {
        for (size_t i = 0; i < Bytes.size(); ++i)
            Bytes[i] |= other.Bytes[i];
        return *this;
    }
    // Removes the values of `other` (AND NOT).
    TStateSet& operator-=(const TStateSet& other)
    {
        for (size_t i = 0; i < Bytes.size(); ++i)
            Bytes[i] &= static_cast<uint8_t>(~other.Bytes[i]);
        return *this;
    }

    friend TStateSet operator&(TStateSet a, const TStateSet& b) { return a &= b; }
    friend TStateSet operator|(TStateSet a, const TStateSet& b) { return a |= b; }
    friend TStateSet operator-(TStateSet a, const TStateSet& b) { return a -= b; }
    friend bool operator==(const TStateSet& a, const TStateSet& b) = default;
};

static_assert(sizeof(TStateSet) == 32, "a state set is streamed as its 32 bytes");
