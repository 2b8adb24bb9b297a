// The editor's glyph bitmaps, drawn in code: the gutter strip "SEM_GUTTER", the wrapped-line glyph
// "SEM_WRAPPED", the spin button arrows and the colour button's drop-down arrows.
#pragma once

#include <QImage>

// The strip holds glyphs 0..9 (green tiles with the digits of the numbered bookmarks), 10 a red disc,
// 11 a grey disc, 12 a black arrow pointing right and 13 a tile crossed out in red, side by side.
constexpr int kGutterGlyphCount = 14;
constexpr int kGutterGlyphWidth = 15;
constexpr int kGutterGlyphHeight = 16;

// The bitmap resource of a name ("SEM_GUTTER", "SEM_WRAPPED", "SEM_SPINUP", "SEM_SPINDOWN",
// "TSM_KR_ARROW_BMP" or "TSM_KR_ARROW_DISABLED_BMP"); a null image for any other name.
// The pixels that show the background through are those of the bitmap's bottom-left colour.
const QImage& GlyphResource(const char* name);

// Glyph `index` of the gutter strip; a null image outside the strip.
QImage GutterGlyph(int index);
