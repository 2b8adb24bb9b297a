// Drawing helpers shared by the editor's small controls: 3-D frames, button faces, focus rectangles
// and the disabled pattern.
#pragma once

#include <QRect>

#include "platform/GraphicsQt.h"
#include "platform/core/Graphics.h"

class QPainter;

// A one-pixel outline of `rect` in `color`; the rectangle then shrinks by one pixel on every side.
void FrameRect(QPainter& canvas, QRect& rect, TColor color);
// A raised push-button face (sunken when `pushed`), filled with the button face; the rectangle
// shrinks to the area inside the two-pixel edge.
void DrawButtonFace(QPainter& canvas, QRect& rect, bool pushed);
// A dotted rectangle in the text colour, as the keyboard focus is shown.
void DrawFocusRect(QPainter& canvas, const QRect& rect);
// Hatches `rect` as a disabled colour swatch: the 8 x 8 pattern of the rows 0x11, 0x22, 0x44, 0x88
// repeated, set bits white and the others black, ANDed with the background.
void DrawDisabledPattern(QPainter& canvas, const QRect& rect);
