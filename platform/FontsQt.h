// The Qt objects behind editor fonts and glyph bitmaps, for the painting code.
#pragma once

#include <QFont>
#include <QImage>

#include "platform/core/Fonts.h"

const QFont& ToQFont(const TEditorFont& font);
const QImage& ToQImage(const TGlyphBitmap& glyph);

// Makes Qt the font engine of the model; called again it changes nothing.
void InstallQtFontEngine();
