// Editor fonts on Qt: face-name resolution, device resolution, logical fonts and glyph bitmaps.
#include "platform/FontsQt.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "platform/Win1252Qt.h"
#include "platform/core/Geometry.h"
#include "platform/core/Collation.h"
#include "platform/core/SysUtils.h"

// ---------------------------------------------------------------- resolution

namespace {

int qtScreenPixelsPerInch()
{
    if (qGuiApp) {
        if (QScreen* screen = QGuiApplication::primaryScreen())
            return static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
    }
    return 96;
}

const size_t kMaxFaceName = 31;

// Stored face names come from Windows systems ("Courier New", "Symbol"); the family that draws them
// is looked up once per name, since asking the font database is slow.
QString resolveFamily(const std::string& name)
{
    static std::unordered_map<std::string, QString> cache;
    auto it = cache.find(name);
    if (it != cache.end())
        return it->second;
    QString family = FromEditorText(name);
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
    return qtScreenPixelsPerInch();
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


// ---------------------------------------------------------------- TEditorFont

namespace {

class QtEditorFont final : public TEditorFont {
public:
    const std::string& Name() const override { return name; }
    int Height() const override { return height; }
    int Weight() const override { return weight; }
    bool Italic() const override { return italic; }
    bool Underline() const override { return underline; }
    bool StrikeOut() const override { return strikeOut; }
    uint8_t Charset() const override { return charset; }
    int PixelsPerInch() const override { return pixelsPerInch; }
    std::string ResolvedFamily() const override { return ToEditorText(font.family()); }

    std::string name;
    int height = 0;
    int weight = 0;
    bool italic = false, underline = false, strikeOut = false;
    uint8_t charset = DEFAULT_CHARSET;
    int pixelsPerInch = 96;
    QFont font;
};

class QtGlyphBitmap final : public TGlyphBitmap {
public:
    int Width() const override { return image.width(); }
    int Height() const override { return image.height(); }
    bool IsSet(int x, int y) const override
    {
        if (x < 0 || y < 0 || x >= image.width() || y >= image.height())
            return false;
        return qGray(image.pixel(x, y)) >= 128;
    }

    QImage image;
};

} // namespace

// Every font and glyph in this program is made by the Qt engine below.
const QFont& ToQFont(const TEditorFont& font)
{
    return static_cast<const QtEditorFont&>(font).font;
}

const QImage& ToQImage(const TGlyphBitmap& glyph)
{
    return static_cast<const QtGlyphBitmap&>(glyph).image;
}

namespace {

TFontHandle qtMakeEditorFont(const std::string& name, int size, TFontStyles styleBits, uint8_t charset,
                             bool forPrinter, int printerPixelsPerInch)
{
    auto impl = std::make_shared<QtEditorFont>();
    impl->name = name.size() > kMaxFaceName ? name.substr(0, kMaxFaceName) : name;
    impl->pixelsPerInch = targetPixelsPerInch(forPrinter, printerPixelsPerInch);
    impl->height = -MulDiv(size, impl->pixelsPerInch, 72);
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
    return impl;
}

std::unique_ptr<TGlyphBitmap> qtMakeGlyphBitmap(const std::string& faceName, int size, uint8_t charset,
                                                unsigned char ch, bool forPrinter, int printerPixelsPerInch)
{
    TFontHandle handle = qtMakeEditorFont(faceName, size, 0, charset, forPrinter, printerPixelsPerInch);
    const QFont& font = ToQFont(*handle);
    QString text(QChar(static_cast<char16_t>(charset == SYMBOL_CHARSET ? symbolCharacter(ch)
                                                                      : Win1252ToUnicode(ch))));
    QFontMetrics metrics(font);
    // A quarter of four copies gives the average advance, free of the rounding of a single one.
    int width = std::max(1, metrics.horizontalAdvance(text.repeated(4)) / 4);
    int height = metrics.height() + std::max(0, metrics.leading()) + 1 + 10;

    auto impl = std::make_unique<QtGlyphBitmap>();
    impl->image = QImage(width, height, QImage::Format_RGB32);
    impl->image.fill(Qt::white);
    {
        QPainter painter(&impl->image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(0, metrics.ascent(), text);
    }
    impl->image.invertPixels();
    return impl;
}

class QtFontEngine final : public TFontEngine {
public:
    int ScreenPixelsPerInch() override { return qtScreenPixelsPerInch(); }
    TFontHandle MakeEditorFont(const std::string& name, int size, TFontStyles styleBits, uint8_t charset,
                               bool forPrinter, int printerPixelsPerInch) override
    {
        return qtMakeEditorFont(name, size, styleBits, charset, forPrinter, printerPixelsPerInch);
    }
    std::unique_ptr<TGlyphBitmap> MakeGlyphBitmap(const std::string& faceName, int size, uint8_t charset,
                                                  unsigned char ch, bool forPrinter, int printerPixelsPerInch) override
    {
        return qtMakeGlyphBitmap(faceName, size, charset, ch, forPrinter, printerPixelsPerInch);
    }
};

// Any program that links the painting code gets its fonts from Qt without asking.
[[maybe_unused]] const bool gInstalled = (InstallQtFontEngine(), true);

} // namespace

void InstallQtFontEngine()
{
    static QtFontEngine engine;
    SetFontEngine(&engine);
}

namespace {

QFontDatabase::WritingSystem writingSystemOf(uint8_t charset)
{
    switch (charset) {
    case 0: case 1: case 77: case 162: case 186: case 238: return QFontDatabase::Latin;
    case 128: return QFontDatabase::Japanese;
    case 129: case 130: return QFontDatabase::Korean;
    case 134: return QFontDatabase::SimplifiedChinese;
    case 136: return QFontDatabase::TraditionalChinese;
    case 161: return QFontDatabase::Greek;
    case 177: return QFontDatabase::Hebrew;
    case 178: return QFontDatabase::Arabic;
    case 204: return QFontDatabase::Cyrillic;
    case 222: return QFontDatabase::Thai;
    default: return QFontDatabase::Any;
    }
}

} // namespace

std::string FontFamilyName(std::string_view listed)
{
    // A family that several foundries make is listed once per foundry as "Name [Foundry]".
    const size_t bracket = listed.rfind(" [");
    if (bracket != std::string_view::npos && !listed.empty() && listed.back() == ']')
        listed = listed.substr(0, bracket);
    return std::string(listed);
}

namespace {

std::vector<std::string> familyNames(const QStringList& families)
{
    std::vector<std::string> names;
    for (const QString& family : families)
        names.push_back(FontFamilyName(ToEditorText(family)));
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return AnsiCompareText(a, b) < 0;
    });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& a, const std::string& b) { return AnsiSameText(a, b); }),
                names.end());
    return names;
}

} // namespace

std::vector<std::string> FontFamiliesOfCharset(uint8_t charset)
{
    return familyNames(QFontDatabase::families(writingSystemOf(charset)));
}

std::string PaintedFontFamily(const std::string& faceName)
{
    // The family the font engine asks for, then the one the font database matched to it.
    const QFont font(resolveFamily(faceName.substr(0, kMaxFaceName)));
    return FontFamilyName(ToEditorText(QFontInfo(font).family()));
}

std::vector<std::string> ScreenFontFamilies()
{
    return familyNames(QFontDatabase::families());
}
