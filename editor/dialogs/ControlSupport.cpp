// Drawing helpers of the editor's small controls.
#include "editor/dialogs/ControlSupport.h"

#include <QPainter>

#include "platform/GraphicsQt.h"

void FrameRect(QPainter& canvas, QRect& rect, TColor color)
{
    if (rect.width() <= 0 || rect.height() <= 0)
        return;
    const QColor c = ToQColor(color);
    canvas.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), c);
    canvas.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), c);
    canvas.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), c);
    canvas.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), c);
    rect.adjust(1, 1, -1, -1);
}

void DrawButtonFace(QPainter& canvas, QRect& rect, bool pushed)
{
    if (pushed) {
        Frame3D(canvas, rect, cl3DDkShadow, clBtnHighlight);
        Frame3D(canvas, rect, clBtnShadow, cl3DLight);
    } else {
        Frame3D(canvas, rect, clBtnHighlight, cl3DDkShadow);
        Frame3D(canvas, rect, cl3DLight, clBtnShadow);
    }
    canvas.fillRect(rect, ToQColor(clBtnFace));
}

void DrawFocusRect(QPainter& canvas, const QRect& rect)
{
    const QColor ink = ToQColor(clBtnText);
    // Every other pixel along the edge, starting at the top-left corner.
    for (int x = rect.left(); x <= rect.right(); x += 2) {
        canvas.fillRect(QRect(x, rect.top(), 1, 1), ink);
        if ((x - rect.left() + rect.height() - 1) % 2 == 0)
            canvas.fillRect(QRect(x, rect.bottom(), 1, 1), ink);
    }
    for (int y = rect.top(); y <= rect.bottom(); y += 2) {
        canvas.fillRect(QRect(rect.left(), y, 1, 1), ink);
        if ((y - rect.top() + rect.width() - 1) % 2 == 0)
            canvas.fillRect(QRect(rect.right(), y, 1, 1), ink);
    }
}

void DrawDisabledPattern(QPainter& canvas, const QRect& rect)
{
    static const QImage pattern = [] {
        const uint8_t rows[4] = {0x11, 0x22, 0x44, 0x88};
        QImage image(8, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                // Bit 7 is the leftmost pixel of a monochrome pattern row.
                image.setPixel(x, y, (rows[y % 4] >> (7 - x)) & 1 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
        return image;
    }();
    // The pattern is ANDed with what is there, anchored at the canvas origin as a device's brush is:
    // the white lines keep the background, the rest turns black.
    TPainterSave saved(canvas);
    canvas.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    canvas.fillRect(rect, QBrush(pattern));
}
