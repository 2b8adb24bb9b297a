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

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
inline int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t half = (c < 0 ? -c : c) / 2;
    const int64_t rounded = product >= 0 ? product + half : product - half;
    return static_cast<int>(c < 0 ? -(rounded / -c) : rounded / c);
}
