// The Qt colour of a class-library colour, for widgets that paint with the system's palette.
#pragma once

#include <QColor>

#include "platform/core/Graphics.h"

inline QColor ToQColor(TColor color)
{
    uint32_t rgb = ColorToRGB(color);
    return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}
