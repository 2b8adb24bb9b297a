// Qt colours of the class library's colours, and back.
#pragma once

#include <QColor>

#include "platform/core/Graphics.h"

// System colours resolve to the platform's palette first.
inline QColor ToQColor(TColor color)
{
    const uint32_t rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

inline TColor FromQColor(const QColor& color)
{
    return static_cast<TColor>(RGBValue(color.red(), color.green(), color.blue()));
}
