// The editor's glyph bitmaps, built pixel by pixel so that they look the same on every machine.
#include "editor/Glyphs.h"

#include <array>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

// The colour the gutter shows through; every glyph keeps it in its bottom-left pixel.
const QRgb kKey = qRgb(255, 0, 255);

const QRgb kTileGreen = qRgb(0, 160, 0);
const QRgb kTileRim = qRgb(0, 96, 0);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kDarkRed = qRgb(128, 0, 0);
const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kDarkGrey = qRgb(64, 64, 64);
const QRgb kLightGrey = qRgb(224, 224, 224);

// The digits 0..9 in a 5 by 7 cell, one string per row, '#' for ink.
const std::array<std::array<const char*, 7>, 10> kDigits = {{
    {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"#####", "...#.", "..#..", "...#.", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
    {"..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."},
    {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
    {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."},
}};

// Writes into the glyph whose left edge is `left`.
class GlyphCanvas {
public:
    GlyphCanvas(QImage& image, int left) : FImage(image), FLeft(left) {}
    void set(int x, int y, QRgb colour)
    {
        if (x >= 0 && x < kGutterGlyphWidth && y >= 0 && y < kGutterGlyphHeight)
            FImage.setPixel(FLeft + x, y, colour);
    }
    // A tile with a one-pixel rim; column 0 and the bottom row stay transparent.
    void tile(QRgb fill, QRgb rim)
    {
        for (int y = 1; y <= 14; ++y)
            for (int x = 1; x <= 13; ++x)
                set(x, y, (x == 1 || x == 13 || y == 1 || y == 14) ? rim : fill);
    }
    void disc(QRgb fill, QRgb rim)
    {
        // Centre (7, 7.5), radius 6: squared distances in quarter pixels keep it integer.
        for (int y = 0; y < kGutterGlyphHeight - 1; ++y)
            for (int x = 1; x < kGutterGlyphWidth; ++x) {
                int dx = 2 * x - 14, dy = 2 * y - 15;
                int d = dx * dx + dy * dy;
                if (d <= 144)
                    set(x, y, d > 100 ? rim : fill);
            }
    }
    void digit(int n, QRgb colour)
    {
        for (int row = 0; row < 7; ++row)
            for (int col = 0; col < 5; ++col)
                if (kDigits[static_cast<size_t>(n)][static_cast<size_t>(row)][col] == '#')
                    set(5 + col, 4 + row, colour);
    }

private:
    QImage& FImage;
    int FLeft;
};

QImage buildGutterStrip()
{
    QImage strip(kGutterGlyphCount * kGutterGlyphWidth, kGutterGlyphHeight, QImage::Format_RGB32);
    strip.fill(kKey);
    for (int n = 0; n < 10; ++n) {
        GlyphCanvas glyph(strip, n * kGutterGlyphWidth);
        glyph.tile(kTileGreen, kTileRim);
        glyph.digit(n, kWhite);
    }
    GlyphCanvas(strip, 10 * kGutterGlyphWidth).disc(kRed, kDarkRed);
    GlyphCanvas(strip, 11 * kGutterGlyphWidth).disc(kGrey, kDarkGrey);

    GlyphCanvas arrow(strip, 12 * kGutterGlyphWidth);
    for (int y = 6; y <= 9; ++y)
        for (int x = 2; x <= 7; ++x)
            arrow.set(x, y, kBlack);
    // The head narrows by one pixel on each side per column.
    for (int x = 8; x <= 13; ++x)
        for (int y = 2 + (x - 8); y <= 13 - (x - 8); ++y)
            arrow.set(x, y, kBlack);

    GlyphCanvas crossed(strip, 13 * kGutterGlyphWidth);
    crossed.tile(kLightGrey, kGrey);
    for (int i = 0; i < 10; ++i) {
        int x = 2 + i, down = 3 + i, up = 12 - i;
        crossed.set(x, down, kRed);
        crossed.set(x + 1, down, kRed);
        crossed.set(x, up, kRed);
        crossed.set(x + 1, up, kRed);
    }
    return strip;
}

// Three lines of text and a return arrow coming back under them.
QImage buildWrappedGlyph()
{
    QImage image(kGutterGlyphWidth, kGutterGlyphHeight, QImage::Format_RGB32);
    image.fill(kKey);
    GlyphCanvas glyph(image, 0);
    const int lineEnds[] = {9, 7, 9};
    for (int line = 0; line < 3; ++line)
        for (int x = 1; x <= lineEnds[line]; ++x)
            glyph.set(x, 2 + 3 * line, kDarkGrey);
    for (int y = 2; y <= 12; ++y)
        glyph.set(12, y, kBlack);
    for (int x = 5; x <= 12; ++x)
        glyph.set(x, 12, kBlack);
    for (int i = 1; i <= 3; ++i) {
        glyph.set(4 + i, 12 - i, kBlack);
        glyph.set(4 + i, 12 + i, kBlack);
    }
    return image;
}

// A small bitmap from rows of '#' (ink), '+' (second ink) and '.' (transparent); the bottom-left
// pixel must be '.' so that the key colour is found where every user of the glyphs looks for it.
QImage buildPattern(std::initializer_list<const char*> rows, QRgb ink, QRgb second = kWhite)
{
    const int width = static_cast<int>(std::strlen(*rows.begin()));
    QImage image(width, static_cast<int>(rows.size()), QImage::Format_RGB32);
    image.fill(kKey);
    int y = 0;
    for (const char* row : rows) {
        for (int x = 0; x < width && row[x]; ++x)
            if (row[x] != '.')
                image.setPixel(x, y, row[x] == '#' ? ink : second);
        ++y;
    }
    return image;
}

// The spin arrows point away from each other, each with a blank row on the side of the other.
QImage buildSpinUp()
{
    return buildPattern({"..#..", ".###.", "#####", "....."}, kBlack);
}

QImage buildSpinDown()
{
    return buildPattern({".....", "#####", ".###.", "..#.."}, kBlack);
}

QImage buildArrow()
{
    return buildPattern({"#######", ".#####.", "..###..", "...#..."}, kBlack);
}

// Greyed and embossed: the arrow in grey with its white shadow one pixel down and right.
QImage buildDisabledArrow()
{
    return buildPattern({"#######.", "+#####++", ".+###++.", "..+#++..", "....+..."}, kGrey);
}

} // namespace

const QImage& GlyphResource(const char* name)
{
    static const QImage gutter = buildGutterStrip();
    static const QImage wrapped = buildWrappedGlyph();
    static const QImage spinUp = buildSpinUp();
    static const QImage spinDown = buildSpinDown();
    static const QImage arrow = buildArrow();
    static const QImage disabledArrow = buildDisabledArrow();
    static const QImage none;
    const std::pair<const char*, const QImage*> resources[] = {
        {"SEM_GUTTER", &gutter},   {"SEM_WRAPPED", &wrapped},        {"SEM_SPINUP", &spinUp},
        {"SEM_SPINDOWN", &spinDown}, {"TSM_KR_ARROW_BMP", &arrow}, {"TSM_KR_ARROW_DISABLED_BMP", &disabledArrow},
    };
    for (const auto& [resourceName, image] : resources)
        if (name && std::strcmp(name, resourceName) == 0)
            return *image;
    return none;
}

QImage GutterGlyph(int index)
{
    if (index < 0 || index >= kGutterGlyphCount)
        return {};
    return GlyphResource("SEM_GUTTER").copy(index * kGutterGlyphWidth, 0, kGutterGlyphWidth, kGutterGlyphHeight);
}
