// The Qt objects behind editor fonts and glyph bitmaps, for the painting code.
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/Fonts.h"

const QFont& ToQFont(const TEditorFont& font);
const QImage& ToQImage(const TGlyphBitmap& glyph);

// The installed font families (Windows-1252 names, sorted without case, each once) that write the
// character set `charset`: the families of the writing system it stands for; every family for the
// symbol and OEM sets and for an unknown value.
std::vector<std::string> FontFamiliesOfCharset(uint8_t charset);
// The installed family that paints the face `faceName` (Windows-1252): the face itself when it is
// installed, else the family that stands in for it, named as the lists above name it.
std::string PaintedFontFamily(const std::string& faceName);
// Every installed font family, by the same rules.
std::vector<std::string> ScreenFontFamilies();
// The family of a name the font database lists: without the foundry in brackets that it adds to a
// family several foundries make ("C059 [UKWN]" is "C059").
std::string FontFamilyName(std::string_view listed);

// Makes Qt the font engine of the model; called again it changes nothing.
void InstallQtFontEngine();
