// Editor fonts on Qt: face-name resolution, device resolution, logical fonts and glyph bitmaps.
#include "platform/Fonts.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <cmath>
#include <unordered_map>

#include "platform/FontsQt.h"
#include "platform/Win1252.h"

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

// ---------------------------------------------------------------- resolution

namespace {

const size_t kMaxFaceName = 31;

// Rounds a * b / c to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c)
{
    int64_t product = static_cast<int64_t>(a) * b;
    int64_t half = c / 2;
    return static_cast<int>((product >= 0 ? product + half : product - half) / c);
}

// Stored face names come from Windows systems ("Courier New", "Symbol"); the family that draws them
// is looked up once per name, since asking the font database is slow.
QString resolveFamily(const std::string& name)
{
    static std::unordered_map<std::string, QString> cache;
    auto it = cache.find(name);
    if (it != cache.end())
        return it->second;
    QString family = FromWin1252(name);
    if (qGuiApp && !QFontDatabase::hasFamily(family)) {
        static const QString monospace = QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans Mono"))
                                             ? QStringLiteral("DejaVu Sans Mono")
                                             : QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
        family = monospace;
    }
    cache.emplace(name, family);
    return family;
}

int targetPixelsPerInch(bool forPrinter, int printerPixelsPerInch)
{
    if (forPrinter && printerPixelsPerInch > 0)
        return printerPixelsPerInch;
    return ScreenPixelsPerInch();
}

// Symbol-font codes of the glyphs we draw, as Unicode characters.
char32_t symbolCharacter(unsigned char ch)
{
    switch (ch) {
    case 174: return 0x2192; // arrow right
    case 191: return 0x21B5; // carriage return arrow
    case 183: return 0x2022; // bullet
    default: return Win1252ToUnicode(ch);
    }
}

} // namespace

int ScreenPixelsPerInch()
{
    if (qGuiApp) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            return static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
    }
    return 96;
}

// ---------------------------------------------------------------- TEditorFont

struct TEditorFont::Impl {
    std::string name;
    int height = 0;
    int weight = 0;
    bool italic = false, underline = false, strikeOut = false;
    uint8_t charset = DEFAULT_CHARSET;
    int pixelsPerInch = 96;
    QFont font;
};

TEditorFont::TEditorFont(std::unique_ptr<Impl> impl) : FImpl(std::move(impl)) {}
TEditorFont::~TEditorFont() = default;
const std::string& TEditorFont::Name() const { return FImpl->name; }
int TEditorFont::Height() const { return FImpl->height; }
int TEditorFont::Weight() const { return FImpl->weight; }
bool TEditorFont::Italic() const { return FImpl->italic; }
bool TEditorFont::Underline() const { return FImpl->underline; }
bool TEditorFont::StrikeOut() const { return FImpl->strikeOut; }
uint8_t TEditorFont::Charset() const { return FImpl->charset; }
int TEditorFont::PixelsPerInch() const { return FImpl->pixelsPerInch; }
std::string TEditorFont::ResolvedFamily() const { return ToWin1252(FImpl->font.family()); }

const QFont& ToQFont(const TEditorFont& font)
{
    return font.impl().font;
}

TFontHandle MakeEditorFont(const std::string& name, int size, TFontStyles styleBits, uint8_t charset,
                           bool forPrinter, int printerPixelsPerInch)
{
    auto impl = std::make_unique<TEditorFont::Impl>();
    impl->name = name.size() > kMaxFaceName ? name.substr(0, kMaxFaceName) : name;
    impl->pixelsPerInch = targetPixelsPerInch(forPrinter, printerPixelsPerInch);
    impl->height = -mulDiv(size, impl->pixelsPerInch, 72);
    impl->weight = (styleBits & fsBold) ? 700 : 0;
    impl->italic = (styleBits & fsItalic) != 0;
    impl->underline = (styleBits & fsUnderline) != 0;
    impl->strikeOut = (styleBits & fsStrikeOut) != 0;
    impl->charset = charset;

    QFont& font = impl->font;
    font.setFamily(resolveFamily(impl->name));
    font.setPixelSize(std::max(1, std::abs(impl->height)));
    font.setWeight(impl->weight == 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(impl->italic);
    font.setUnderline(impl->underline);
    font.setStrikeOut(impl->strikeOut);
    return std::make_shared<const TEditorFont>(std::move(impl));
}

// ---------------------------------------------------------------- TGlyphBitmap

struct TGlyphBitmap::Impl {
    QImage image;
};

TGlyphBitmap::TGlyphBitmap(std::unique_ptr<Impl> impl) : FImpl(std::move(impl)) {}
TGlyphBitmap::~TGlyphBitmap() = default;
int TGlyphBitmap::Width() const { return FImpl->image.width(); }
int TGlyphBitmap::Height() const { return FImpl->image.height(); }

bool TGlyphBitmap::IsSet(int x, int y) const
{
    const QImage& image = FImpl->image;
    if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
        return false;
    return qGray(image.pixel(x, y)) >= 128;
}

const QImage& ToQImage(const TGlyphBitmap& glyph)
{
    return glyph.impl().image;
}

std::unique_ptr<TGlyphBitmap> MakeGlyphBitmap(const std::string& faceName, int size, uint8_t charset,
                                              unsigned char ch, bool forPrinter, int printerPixelsPerInch)
{
    TFontHandle handle = MakeEditorFont(faceName, size, 0, charset, forPrinter, printerPixelsPerInch);
    const QFont& font = ToQFont(*handle);
    QString text(QChar(static_cast<char16_t>(charset == SYMBOL_CHARSET ? symbolCharacter(ch)
                                                                      : Win1252ToUnicode(ch))));
    QFontMetrics metrics(font);
    // A quarter of four copies gives the average advance, free of the rounding of a single one.
    int width = std::max(1, metrics.horizontalAdvance(text.repeated(4)) / 4);
    int height = metrics.height() + std::max(0, metrics.leading()) + 1 + 10;

    auto impl = std::make_unique<TGlyphBitmap::Impl>();
    impl->image = QImage(width, height, QImage::Format_RGB32);
    impl->image.fill(Qt::white);
    {
        QPainter painter(&impl->image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(0, metrics.ascent(), text);
    }
    impl->image.invertPixels();
    return std::make_unique<TGlyphBitmap>(std::move(impl));
}
