// The Qt objects behind editor fonts and glyph bitmaps, for the painting code.
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/Fonts.h"

const QFont& ToQFont(const TEditorFont& font);
const QImage& ToQImage(const TGlyphBitmap& glyph);

// The installed font families (Windows-1252 names, sorted without case, each once) that write the
// character set `charset`: the families of the writing system it stands for; every family for the
// symbol and OEM sets and for an unknown value.
std::vector<std::string> FontFamiliesOfCharset(uint8_t charset);

// Makes Qt the font engine of the model; called again it changes nothing.
void InstallQtFontEngine();
