// Font descriptions, and the font engine the window system installs for logical fonts and glyphs.
#include "platform/core/Fonts.h"

// ---------------------------------------------------------------- TFont

void TFont::changed()
{
    if (OnChange)
        OnChange();
}

void TFont::SetName(const std::string& name)
{
    FName = name;
    changed();
}

void TFont::SetSize(int size)
{
    FSize = size;
    changed();
}

void TFont::SetCharset(uint8_t charset)
{
    FCharset = charset;
    changed();
}

void TFont::SetColor(TColor color)
{
    FColor = color;
    changed();
}

void TFont::SetStyle(TFontStyles style)
{
    FStyle = style;
    changed();
}

void TFont::Assign(const TFont& source)
{
    FName = source.FName;
    FSize = source.FSize;
    FCharset = source.FCharset;
    FColor = source.FColor;
    FStyle = source.FStyle;
    changed();
}

// ---------------------------------------------------------------- font engine

namespace {
TFontEngine* gFontEngine = nullptr;
}

void SetFontEngine(TFontEngine* engine)
{
    gFontEngine = engine;
}

TFontEngine* FontEngine()
{
    return gFontEngine;
}

int ScreenPixelsPerInch()
{
    return gFontEngine ? gFontEngine->ScreenPixelsPerInch() : 96;
}

TFontHandle MakeEditorFont(const std::string& name, int size, TFontStyles styleBits, uint8_t charset,
                           bool forPrinter, int printerPixelsPerInch)
{
    return gFontEngine ? gFontEngine->MakeEditorFont(name, size, styleBits, charset, forPrinter, printerPixelsPerInch)
                       : nullptr;
}

std::unique_ptr<TGlyphBitmap> MakeGlyphBitmap(const std::string& faceName, int size, uint8_t charset,
                                              unsigned char ch, bool forPrinter, int printerPixelsPerInch)
{
    return gFontEngine ? gFontEngine->MakeGlyphBitmap(faceName, size, charset, ch, forPrinter, printerPixelsPerInch)
                       : nullptr;
}
