// Styles shared by the tests of the document writers and of the control's export.
#pragma once

#include "editor/model/Settings.h"

inline TSM_TokenStyle makeStyle(TColor foreground, TColor background, TFontStyles font = 0)
{
    TSM_TokenStyle style;
    style.Foreground = foreground;
    style.Background = background;
    style.FontStyle = font;
    style.Defined = 1;
    return style;
}

// Style 0 draws window text on 0x123456 (as RGB); token 5 is style 1 (red, bold), token 6 style 2
// (blue, italic and underlined).
inline void threeStyles(TSM_Settings& settings)
{
    settings.SetStyle(0, makeStyle(static_cast<TColor>(clWindowText), 0x563412));
    settings.SetStyle(1, makeStyle(clRed, clWhite, fsBold));
    settings.SetStyle(2, makeStyle(clBlue, clWhite, fsItalic | fsUnderline));
    settings.SetStyleFlag(5, 1);
    settings.SetStyleFlag(6, 2);
}
