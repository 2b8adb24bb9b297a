// Looking for colours in grabbed pictures.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// The bounding box of the pixels of one colour; null when there is none.
inline QRect Where(const QImage& image, QColor colour)
{
    QRect found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                found |= QRect(x, y, 1, 1);
    return found;
}
