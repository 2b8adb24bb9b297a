// The Qt objects behind editor fonts and glyph bitmaps, for the painting code.
#pragma once

#include <QFont>
#include <QImage>

#include "platform/Fonts.h"

const QFont& ToQFont(const TEditorFont& font);
const QImage& ToQImage(const TGlyphBitmap& glyph);
