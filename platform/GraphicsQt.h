// The Qt side of colours and bitmaps: a TColor's QColor and back, a painter-state guard, and copies of bitmaps that leave the target visible through one colour.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRect>

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
