// Placement of a button's glyph and caption along the glyph's side, from their measured sizes alone.
#pragma once

#include "platform/core/Geometry.h"

// Where the glyph stands beside the caption.
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TGlyphTextPlacement {
    TPoint GlyphPos;
    TPoint TextPos;
    // The margin and spacing in effect after -1 ("choose for me") was resolved.
    int Margin = 0;
    int Spacing = 0;
};

// Places a glyph and a caption of the given sizes in a client area of `clientSize`, relative to its
// top-left corner. Both are centred across the layout's axis; along it, a margin of -1 centres them
// and a spacing of -1 spreads them: both -1 leave three equal gaps, a margin alone puts the caption
// midway in the room after the glyph. The spacing is 0 when either part is missing. Divisions
// truncate toward zero, so odd sizes round the same way on every side.
TGlyphTextPlacement PlaceGlyphAndText(TPoint clientSize, TPoint glyphSize, TPoint textSize, TButtonLayout layout,
                                      int margin, int spacing);
