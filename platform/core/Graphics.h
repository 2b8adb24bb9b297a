// Colours as the class library gives them: 0x00BBGGRR values and system colours (0x80000000 | index).
#pragma once

#include <cstdint>

using TColor = int32_t;

enum : TColor {
    clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
    clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
    clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
    clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clLtGray = 0xC0C0C0,
    clDkGray = 0x808080, clWhite = 0xFFFFFF, clNone = 0x1FFFFFFF, clDefault = 0x20000000,
};

// System colours: the high bit set and the system colour index in the low byte.
enum : uint32_t {
    clScrollBar = 0x80000000, clBackground = 0x80000001, clActiveCaption = 0x80000002,
    clInactiveCaption = 0x80000003, clMenu = 0x80000004, clWindow = 0x80000005,
    clWindowFrame = 0x80000006, clMenuText = 0x80000007, clWindowText = 0x80000008,
    clCaptionText = 0x80000009, clActiveBorder = 0x8000000A, clInactiveBorder = 0x8000000B,
    clAppWorkSpace = 0x8000000C, clHighlight = 0x8000000D, clHighlightText = 0x8000000E,
    clBtnFace = 0x8000000F, clBtnShadow = 0x80000010, clGrayText = 0x80000011,
    clBtnText = 0x80000012, clInactiveCaptionText = 0x80000013, clBtnHighlight = 0x80000014,
    cl3DDkShadow = 0x80000015, cl3DLight = 0x80000016, clInfoText = 0x80000017, clInfoBk = 0x80000018,
};

// The 0x00BBGGRR value of a colour; system colours resolve to the platform's palette.
uint32_t ColorToRGB(TColor color);
inline uint32_t RGBValue(int r, int g, int b) { return static_cast<uint32_t>(r | (g << 8) | (b << 16)); }
inline int GetRValue(uint32_t c) { return static_cast<int>(c & 0xFF); }
inline int GetGValue(uint32_t c) { return static_cast<int>((c >> 8) & 0xFF); }
inline int GetBValue(uint32_t c) { return static_cast<int>((c >> 16) & 0xFF); }
// The bytes of a 0x00BBGGRR value in the order pages write colours: 0x00RRGGBB.
inline uint32_t SwapRedBlue(uint32_t c) { return static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)); }

// Font style bits as streams store them: bit 0 bold, 1 italic, 2 underline, 3 strike-out.
enum TFontStyleBit : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;
