// Placement of a button's glyph and caption from their sizes.
#include "platform/core/ButtonLayout.h"

TGlyphTextPlacement PlaceGlyphAndText(TPoint clientSize, TPoint glyphSize, TPoint textSize, TButtonLayout layout,
                                      int margin, int spacing)
{
    TGlyphTextPlacement p;
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    // Across the layout both parts are centred on their own.
    if (horizontal) {
        p.GlyphPos.Y = clientSize.Y / 2 - glyphSize.Y / 2;
        p.TextPos.Y = clientSize.Y / 2 - textSize.Y / 2;
    } else {
        p.GlyphPos.X = clientSize.X / 2 - glyphSize.X / 2;
        p.TextPos.X = clientSize.X / 2 - textSize.X / 2;
    }
    if (textSize.X == 0 || glyphSize.X == 0)
        spacing = 0;
    const int client = horizontal ? clientSize.X : clientSize.Y;
    const int glyph = horizontal ? glyphSize.X : glyphSize.Y;
    const int text = horizontal ? textSize.X : textSize.Y;
    if (margin == -1 && spacing == -1) {
        margin = (client - (glyph + text)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        margin = client / 2 - (glyph + spacing + text) / 2;
    } else if (spacing == -1) {
        spacing = (client - (margin + glyph)) / 2 - text / 2;
    }
    switch (layout) {
    case blGlyphLeft:
        p.GlyphPos.X = margin;
        p.TextPos.X = p.GlyphPos.X + glyphSize.X + spacing;
        break;
    case blGlyphRight:
        p.GlyphPos.X = clientSize.X - margin - glyphSize.X;
        p.TextPos.X = p.GlyphPos.X - spacing - textSize.X;
        break;
    case blGlyphTop:
        p.GlyphPos.Y = margin;
        p.TextPos.Y = p.GlyphPos.Y + glyphSize.Y + spacing;
        break;
    case blGlyphBottom:
        p.GlyphPos.Y = clientSize.Y - margin - glyphSize.Y;
        p.TextPos.Y = p.GlyphPos.Y - spacing - textSize.Y;
        break;
    }
    p.Margin = margin;
    p.Spacing = spacing;
    return p;
}
