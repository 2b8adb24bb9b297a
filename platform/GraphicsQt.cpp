// Colours and transparent bitmap copies on Qt.
#include "platform/GraphicsQt.h"

QColor ToQColor(TColor color)
{
    uint32_t rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

void StretchDrawTransparent(QPainter& canvas, const QRect& target, const QImage& bitmap, const QRect& source,
                            QRgb transparent)
{
    QRect part = source.intersected(bitmap.rect());
    if (bitmap.isNull() || part.isEmpty() || target.isEmpty())
        return;
    QImage sprite = bitmap.copy(part).convertToFormat(QImage::Format_ARGB32);
    QRgb key = transparent & 0xFFFFFF;
    for (int row = 0; row < sprite.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(sprite.scanLine(row));
        for (int col = 0; col < sprite.width(); ++col)
            if ((line[col] & 0xFFFFFF) == key)
                line[col] = 0;
    }
    TPainterSave state(canvas);
    canvas.setRenderHint(QPainter::SmoothPixmapTransform, false);
    canvas.setCompositionMode(QPainter::CompositionMode_SourceOver);
    canvas.drawImage(target, sprite);
}

void DrawTransparent(QPainter& canvas, int x, int y, const QImage& bitmap, QRgb transparent)
{
    StretchDrawTransparent(canvas, QRect(QPoint(x, y), bitmap.size()), bitmap, bitmap.rect(), transparent);
}
