// The Qt side of colours and bitmaps: a TColor's QColor and back, a painter-state guard, copies of bitmaps that leave the target visible through one colour, 3-D frames and edges, and text drawn in a rectangle.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <cstdint>
#include <string>

#include "platform/core/Geometry.h"
#include "platform/core/Graphics.h"

QColor ToQColor(TColor color);
inline TColor FromQColor(const QColor& color)
{
    return static_cast<TColor>(RGBValue(color.red(), color.green(), color.blue()));
}

// Saves the painter's state for the lifetime of the guard, so that an exception cannot leave a pen,
// clip or transform behind on a shared canvas.
class TPainterSave {
public:
    explicit TPainterSave(QPainter& painter) : FPainter(painter) { FPainter.save(); }
    ~TPainterSave() { FPainter.restore(); }
    TPainterSave(const TPainterSave&) = delete;
    TPainterSave& operator=(const TPainterSave&) = delete;

private:
    QPainter& FPainter;
};

// Copies the `source` part of `bitmap` stretched onto `target`, leaving the target as it was where the
// bitmap has the colour `transparent` (alpha ignored). Stretching repeats or drops whole pixels, so the
// key colour never blends into its neighbours.
void StretchDrawTransparent(QPainter& canvas, const QRect& target, const QImage& bitmap, const QRect& source,
                            QRgb transparent);
// Copies `bitmap` unstretched to (x, y) with the same transparency.
void DrawTransparent(QPainter& canvas, int x, int y, const QImage& bitmap, QRgb transparent);

// A copy of `bitmap` whose pixels of colour `key` (alpha ignored) are fully transparent.
QImage MaskedImage(const QImage& bitmap, QRgb key);

// A one-pixel 3-D frame: top and left in `topLeft`, bottom and right in `bottomRight`, the top-right
// and bottom-left corners on the dark side as a light from the top left gives; the rectangle then
// shrinks by one pixel on every side.
void Frame3D(QPainter& canvas, QRect& rect, TColor topLeft, TColor bottomRight);

// Edges of DrawEdge: each pair of bits is one layer (outer or inner), raised or sunken.
enum : unsigned {
    BDR_RAISEDOUTER = 0x0001,
    BDR_SUNKENOUTER = 0x0002,
    BDR_RAISEDINNER = 0x0004,
    BDR_SUNKENINNER = 0x0008,
    BDR_OUTER = 0x0003,
    BDR_INNER = 0x000C,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
};
// Border flags of DrawEdge: the sides drawn and how.
enum : unsigned {
    BF_LEFT = 0x0001,
    BF_TOP = 0x0002,
    BF_RIGHT = 0x0004,
    BF_BOTTOM = 0x0008,
    BF_TOPLEFT = BF_TOP | BF_LEFT,
    BF_BOTTOMRIGHT = BF_BOTTOM | BF_RIGHT,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_MIDDLE = 0x0800,  // fills the inside
    BF_SOFT = 0x1000,    // a raised edge lit from its outer layer
    BF_ADJUST = 0x2000,  // the rectangle shrinks to the inside of the drawn sides
    BF_FLAT = 0x4000,    // one shadow line outside, face colour inside
    BF_MONO = 0x8000,    // one window-frame line outside, window colour inside
};
// Draws the layers of `edge` on the sides of `flags`, outer layer first; each drawn side takes one
// pixel per layer. Returns false when the rectangle is empty and nothing was drawn.
bool DrawEdge(QPainter& canvas, QRect& rect, unsigned edge, unsigned flags);

// Text formats of DrawText.
enum : unsigned {
    DT_TOP = 0x0000,
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_NOCLIP = 0x0100,
    DT_CALCRECT = 0x0400,
    DT_NOPREFIX = 0x0800,
};
// Draws Windows-1252 text in the rectangle in the canvas's font and pen, aligned by `format`; an
// ampersand underlines the next character unless DT_NOPREFIX (a double one shows itself). Lines break
// at line feeds (CR LF counts as one) unless DT_SINGLELINE, and at word ends with DT_WORDBREAK. With
// DT_CALCRECT nothing is drawn: the rectangle keeps its top-left corner and takes the size of the text
// (the given width when words wrap). Returns the text's height.
int DrawText(QPainter& canvas, const std::string& text, TRect& rect, unsigned format);
