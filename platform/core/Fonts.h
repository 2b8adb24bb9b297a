// Editor fonts: the font description of the class library, and the logical fonts and glyph bitmaps
// the window system makes from it through an installed font engine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/core/Graphics.h"

// Character sets as font descriptions store them.
enum : uint8_t { ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2 };

// A font description (face name, point size, character set, colour, style bits) that reports every
// assignment through OnChange. It holds no platform resource; painters make a handle from it.
class TFont {
public:
    const std::string& Name() const { return FName; }
    int Size() const { return FSize; }
    uint8_t Charset() const { return FCharset; }
    TColor Color() const { return FColor; }
    TFontStyles Style() const { return FStyle; }

    void SetName(const std::string& name);
    void SetSize(int size);
    void SetCharset(uint8_t charset);
    void SetColor(TColor color);
    void SetStyle(TFontStyles style);
    // Copies all five values and reports one change.
    void Assign(const TFont& source);

    std::function<void()> OnChange;

    friend bool operator==(const TFont& a, const TFont& b)
    {
        return a.FName == b.FName && a.FSize == b.FSize && a.FCharset == b.FCharset && a.FColor == b.FColor &&
               a.FStyle == b.FStyle;
    }

private:
    void changed();
    std::string FName = "MS Sans Serif";
    int FSize = 8;
    uint8_t FCharset = DEFAULT_CHARSET;
    TColor FColor = static_cast<TColor>(clWindowText);
    TFontStyles FStyle = 0;
};

// A logical font made for one device resolution. The face name is kept as it was asked for; the
// family actually used is an installed one (a missing face falls back to an installed monospace).
// The font engine of the window system derives the object that holds its own font.
class TEditorFont {
public:
    virtual ~TEditorFont() = default;
    TEditorFont(const TEditorFont&) = delete;
    TEditorFont& operator=(const TEditorFont&) = delete;

    virtual const std::string& Name() const = 0;
    // Negative character height in device pixels, as the logical font asks for it.
    virtual int Height() const = 0;
    virtual int Weight() const = 0; // 700 bold, 0 normal
    virtual bool Italic() const = 0;
    virtual bool Underline() const = 0;
    virtual bool StrikeOut() const = 0;
    virtual uint8_t Charset() const = 0;
    virtual int PixelsPerInch() const = 0;
    // The installed family that draws this font (Windows-1252 text).
    virtual std::string ResolvedFamily() const = 0;

protected:
    TEditorFont() = default;
};

using TFontHandle = std::shared_ptr<const TEditorFont>;

// A one-character glyph for showing invisible characters: a white character on black, meant to be
// ORed onto the text. Width is a quarter of the character written four times; height is the line
// height plus 11 pixels of room.
class TGlyphBitmap {
public:
    virtual ~TGlyphBitmap() = default;
    TGlyphBitmap(const TGlyphBitmap&) = delete;
    TGlyphBitmap& operator=(const TGlyphBitmap&) = delete;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // True when the pixel is part of the character (white).
    virtual bool IsSet(int x, int y) const = 0;

protected:
    TGlyphBitmap() = default;
};

// What the window system offers the model for fonts. The model asks through the free functions
// below; a program with no window system installs none and gets no fonts (and 96 dots per inch).
class TFontEngine {
public:
    virtual ~TFontEngine() = default;
    virtual int ScreenPixelsPerInch() = 0;
    virtual TFontHandle MakeEditorFont(const std::string& name, int size, TFontStyles styleBits, uint8_t charset,
                                       bool forPrinter, int printerPixelsPerInch) = 0;
    virtual std::unique_ptr<TGlyphBitmap> MakeGlyphBitmap(const std::string& faceName, int size, uint8_t charset,
                                                          unsigned char ch, bool forPrinter,
                                                          int printerPixelsPerInch) = 0;
};

// The engine stays the caller's; nullptr removes it.
void SetFontEngine(TFontEngine* engine);
TFontEngine* FontEngine();

// Vertical resolution of the primary screen (96 when there is none).
int ScreenPixelsPerInch();

// A font of `size` points for the screen, or for a printer of `printerPixelsPerInch` when forPrinter
// is set: height -(size * dpi / 72) rounded to the nearest pixel, weight 700 with fsBold, italic,
// underline and strike-out from the other style bits. Names longer than 31 characters are cut.
// nullptr when no font engine is installed.
TFontHandle MakeEditorFont(const std::string& name, int size, TFontStyles styleBits, uint8_t charset,
                           bool forPrinter, int printerPixelsPerInch = 600);

// `ch` is a Windows-1252 byte, or a symbol-font code when charset is SYMBOL_CHARSET. nullptr when no
// font engine is installed.
std::unique_ptr<TGlyphBitmap> MakeGlyphBitmap(const std::string& faceName, int size, uint8_t charset,
                                              unsigned char ch, bool forPrinter, int printerPixelsPerInch = 600);
