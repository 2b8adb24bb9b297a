// Points and rectangles in device pixels, as the class library exchanges them.
#pragma once

#include <cstdint>

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and Bottom lie just outside the rectangle.
struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

// Client coordinates in the halves of a message parameter (MakeLong) may be negative.
inline int SignedLoWord(intptr_t value) { return static_cast<int16_t>(value & 0xFFFF); }
inline int SignedHiWord(intptr_t value) { return static_cast<int16_t>((value >> 16) & 0xFFFF); }
