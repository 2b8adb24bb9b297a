// Graph routines: the six colour reductions, the frequency census and its coarsening, and the BMP bytes.
#include <QImage>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>

#include "components/KrGraph.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

uint16_t le16(const std::vector<uint8_t>& b, size_t at)
{
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

TPaletteEntry colorNumber(int n)
{
    return {static_cast<uint8_t>(n * 7 % 256), static_cast<uint8_t>(n * 13 % 256), static_cast<uint8_t>(n / 2)};
}

int squared(TPaletteEntry a, TPaletteEntry b)
{
    int dr = a.Red - b.Red, dg = a.Green - b.Green, db = a.Blue - b.Blue;
    return dr * dr + dg * dg + db * db;
}

std::vector<uint8_t> bytesOf(TMemoryStream& stream)
{
    return stream.Bytes();
}

} // namespace

TEST(KrGraph, FrequentKeepsTheMostFrequentColoursAndMapsTheRestToTheirNearest)
{
    // 300 distinct colours; colour n appears 300 - n times, so colours 0..255 are the most frequent.
    std::vector<TPaletteEntry> colors;
    for (int n = 0; n < 300; ++n)
        colors.push_back(colorNumber(n));
    std::vector<int> pixelColor;
    for (int n = 0; n < 300; ++n)
        pixelColor.insert(pixelColor.end(), 300 - n, n);
    std::mt19937 random(7);
    std::shuffle(pixelColor.begin(), pixelColor.end(), random);
    TRgbImage image(static_cast<int>(pixelColor.size()), 1);
    for (size_t x = 0; x < pixelColor.size(); ++x)
        image.Set(static_cast<int>(x), 0, colors[pixelColor[x]]);

    const TIndexedImage reduced = ReduceColors(image, rmFrequent);
    ASSERT_EQ(reduced.Palette.size(), 256u);
    std::set<std::tuple<int, int, int>> palette, expected;
    for (auto e : reduced.Palette)
        palette.insert({e.Red, e.Green, e.Blue});
    for (int n = 0; n < 256; ++n)
        expected.insert({colors[n].Red, colors[n].Green, colors[n].Blue});
    EXPECT_EQ(palette, expected);
    // The most frequent colour comes first.
    EXPECT_EQ(reduced.Palette[0], colors[0]);

    for (size_t x = 0; x < pixelColor.size(); ++x) {
        const TPaletteEntry original = colors[pixelColor[x]];
        const TPaletteEntry shown = reduced.Palette[reduced.Indices[x]];
        if (pixelColor[x] < 256) {
            ASSERT_EQ(shown, original) << x;
            continue;
        }
        int nearest = 1 << 30;
        for (auto e : reduced.Palette)
            nearest = std::min(nearest, squared(e, original));
        ASSERT_EQ(squared(shown, original), nearest) << "colour " << pixelColor[x];
    }
}

TEST(KrGraph, FrequentFillsASmallPaletteWithGreyAndBoundsItByTheFormat)
{
    TRgbImage image(3, 1);
    image.Set(0, 0, {1, 2, 3});
    image.Set(1, 0, {1, 2, 3});
    image.Set(2, 0, {200, 100, 50});
    const TIndexedImage reduced = ReduceColors(image, rmFrequent);
    ASSERT_EQ(reduced.Palette.size(), 256u);
    EXPECT_EQ(reduced.Palette[0], (TPaletteEntry{1, 2, 3}));
    EXPECT_EQ(reduced.Palette[1], (TPaletteEntry{200, 100, 50}));
    EXPECT_EQ(reduced.Palette[2], (TPaletteEntry{128, 128, 128}));
    EXPECT_EQ(reduced.Indices, (std::vector<uint8_t>{0, 0, 1}));
    // Two colours at most: the third pixel's colour goes to its nearest of the two kept.
    TRgbImage three(3, 1);
    three.Set(0, 0, {0, 0, 0});
    three.Set(1, 0, {250, 250, 250});
    three.Set(2, 0, {10, 10, 10});
    const TIndexedImage two = ReduceColors(three, rmFrequent, 2);
    EXPECT_EQ(two.Palette[0], (TPaletteEntry{0, 0, 0}));
    EXPECT_EQ(two.Palette[1], (TPaletteEntry{250, 250, 250}));
    EXPECT_EQ(two.Indices, (std::vector<uint8_t>{0, 1, 0}));
}

TEST(KrGraph, CensusCoarsensBlueRedGreenUntilTheColoursFit)
{
    TColorHistogram histogram;
    TRgbImage few(1000, 1);
    for (int x = 0; x < 1000; ++x)
        few.Set(x, 0, {static_cast<uint8_t>(x % 256), static_cast<uint8_t>(x / 256), 7});
    histogram.Count(few);
    EXPECT_EQ(histogram.Passes(), 0);
    EXPECT_EQ(histogram.Entries().size(), 1000u);

    // 5000 colours differing in all bits of every channel.
    std::mt19937 random(11);
    std::set<std::tuple<int, int, int>> distinct;
    TRgbImage many(5000, 1);
    for (int x = 0; x < 5000;) {
        TPaletteEntry c{static_cast<uint8_t>(random()), static_cast<uint8_t>(random()), static_cast<uint8_t>(random())};
        if (distinct.insert({c.Red, c.Green, c.Blue}).second)
            many.Set(x++, 0, c);
    }
    histogram.Count(many);
    ASSERT_GT(histogram.Passes(), 0);
    EXPECT_LE(histogram.Entries().size(), 2048u);
    // Replaying the turns from 255: blue, red, green, blue, ...
    uint8_t masks[3] = {255, 255, 255}; // red, green, blue
    const int turn[3] = {2, 0, 1};
    for (int pass = 0; pass < histogram.Passes(); ++pass)
        masks[turn[pass % 3]] = static_cast<uint8_t>(masks[turn[pass % 3]] << 1);
    EXPECT_EQ(histogram.RedMask(), masks[0]);
    EXPECT_EQ(histogram.GreenMask(), masks[1]);
    EXPECT_EQ(histogram.BlueMask(), masks[2]);
    // One pass fewer would have left more than 2048 masked colours.
    int previous = histogram.Passes() - 1;
    uint8_t before[3] = {255, 255, 255};
    for (int pass = 0; pass < previous; ++pass)
        before[turn[pass % 3]] = static_cast<uint8_t>(before[turn[pass % 3]] << 1);
    std::set<std::tuple<int, int, int>> coarser, finer;
    uint32_t counted = 0;
    for (auto [r, g, b] : distinct) {
        finer.insert({r & before[0], g & before[1], b & before[2]});
        coarser.insert({r & masks[0], g & masks[1], b & masks[2]});
    }
    EXPECT_GT(finer.size(), 2048u);
    EXPECT_EQ(coarser.size(), histogram.Entries().size());
    for (const auto& entry : histogram.Entries())
        counted += entry.Count;
    EXPECT_EQ(counted, 5000u);
    const TPaletteEntry first = many.Get(0, 0);
    EXPECT_GE(histogram.Find(first.Red, first.Green, first.Blue), 0);
}

TEST(KrGraph, FixedRampAndGreyPalettesPlaceColoursByRule)
{
    TRgbImage red(1, 1);
    red.Set(0, 0, {255, 0, 0});
    EXPECT_EQ(ReduceColors(red, rmGray).Indices[0], 76);
    EXPECT_EQ(ReduceColors(red, rmFixed666).Indices[0], 180);
    const TIndexedImage fixed784 = ReduceColors(red, rmFixed784);
    EXPECT_EQ(fixed784.Indices[0], (6 * 8 + 0) * 4 + 0);
    EXPECT_EQ(fixed784.UsedColors, 224);
    EXPECT_EQ(ReduceColors(red, rmFixed666).UsedColors, 216);

    // Every byte goes to the nearest level i * 255 / (n - 1).
    for (int levels : {4, 6, 7, 8})
        for (int v = 0; v < 256; ++v) {
            const int chosen = NearestLevel(levels, static_cast<uint8_t>(v));
            for (int i = 0; i < levels; ++i)
                ASSERT_LE(std::abs(v - chosen * 255 / (levels - 1)), std::abs(v - i * 255 / (levels - 1)))
                    << levels << " " << v;
        }
    // A 666 palette entry reproduces the colour of its levels.
    TRgbImage grey(1, 1);
    grey.Set(0, 0, {100, 150, 200});
    const TIndexedImage g666 = ReduceColors(grey, rmFixed666);
    EXPECT_EQ(g666.Palette[g666.Indices[0]], (TPaletteEntry{102, 153, 204}));

    // Channel ramps take red, green and blue in turn along the diagonals.
    TRgbImage picture(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            picture.Set(x, y, {static_cast<uint8_t>(40 * x + 3), static_cast<uint8_t>(50 * y + 7), 201});
    const TIndexedImage ramps = ReduceColors(picture, rmChannelRamps);
    ASSERT_EQ(ramps.Palette.size(), 192u);
    EXPECT_EQ(ramps.Palette[63], (TPaletteEntry{252, 0, 0}));
    EXPECT_EQ(ramps.Palette[64 + 10], (TPaletteEntry{0, 40, 0}));
    EXPECT_EQ(ramps.Palette[128 + 1], (TPaletteEntry{0, 0, 4}));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const uint8_t* p = picture.At(x, y);
            const int channel = (x + y) % 3;
            EXPECT_EQ(ramps.Indices[y * 4 + x], (p[channel] >> 2) + 64 * channel) << x << "," << y;
        }
}

TEST(KrGraph, MedianCutSplitsByPopulationAndColoursEachBox)
{
    // Two colours that sit at the top of their cells come back exactly.
    TRgbImage two(10, 10);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            two.Set(x, y, x < 3 ? TPaletteEntry{255, 15, 143} : TPaletteEntry{31, 255, 255});
    const TIndexedImage cut = ReduceColors(two, rmMedianCut);
    EXPECT_EQ(cut.UsedColors, 256);
    // Only the boxes made have colours; a file pads the rest with mid grey.
    ASSERT_EQ(cut.Palette.size(), 2u);
    std::set<std::tuple<int, int, int>> used;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x) {
            const TPaletteEntry e = cut.Palette[cut.Indices[y * 10 + x]];
            EXPECT_EQ(e, x < 3 ? (TPaletteEntry{255, 15, 143}) : (TPaletteEntry{31, 255, 255}));
            used.insert({e.Red, e.Green, e.Blue});
        }
    EXPECT_EQ(used.size(), 2u);
    // A box of dark cells becomes black.
    TRgbImage dark(1, 1);
    dark.Set(0, 0, {3, 5, 1});
    EXPECT_EQ(ReduceColors(dark, rmMedianCut).Palette[0], (TPaletteEntry{0, 0, 0}));

    // A picture with more cells than boxes: every pixel lands in a box whose colour is near its own.
    std::mt19937 random(5);
    TRgbImage noisy(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            noisy.Set(x, y, {static_cast<uint8_t>(random()), static_cast<uint8_t>(4 * y), static_cast<uint8_t>(4 * x)});
    const TIndexedImage many = ReduceColors(noisy, rmMedianCut);
    std::set<int> boxes(many.Indices.begin(), many.Indices.end());
    EXPECT_EQ(boxes.size(), 256u);
    double error = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            error += std::sqrt(squared(many.Palette[many.Indices[y * 64 + x]], noisy.Get(x, y)));
    EXPECT_LT(error / (64 * 64), 40.0);
}

TEST(KrGraph, BitmapFileBytesFollowTheLayout)
{
    TIndexedImage indexed;
    indexed.Width = 5;
    indexed.Height = 2;
    indexed.Indices = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    indexed.Palette = {{10, 20, 30}, {40, 50, 60}};
    const std::vector<uint8_t> file = IndexedBitmapFile(indexed, 8);
    // Rows of 5 bytes pad to 8.
    const size_t bitsOffset = 14 + 40 + 1024;
    ASSERT_EQ(file.size(), bitsOffset + 16);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(le32(file, 2), file.size());
    EXPECT_EQ(le32(file, 10), bitsOffset);
    EXPECT_EQ(le32(file, 14), 40u);
    EXPECT_EQ(le32(file, 18), 5u);
    EXPECT_EQ(le32(file, 22), 2u);
    EXPECT_EQ(le16(file, 26), 1);
    EXPECT_EQ(le16(file, 28), 8);
    EXPECT_EQ(le32(file, 30), 0u);
    EXPECT_EQ(le32(file, 34), 16u);
    // Palette as blue, green, red, 0; entries past those in use 80 80 80 00.
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.begin() + 62), (std::vector<uint8_t>{30, 20, 10, 0, 60, 50, 40, 0}));
    for (size_t at = 62; at < bitsOffset; at += 4)
        ASSERT_EQ(std::vector<uint8_t>(file.begin() + at, file.begin() + at + 4),
                  (std::vector<uint8_t>{0x80, 0x80, 0x80, 0x00}));
    // Bottom row first.
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + bitsOffset, file.end()),
              (std::vector<uint8_t>{6, 7, 8, 9, 10, 0, 0, 0, 1, 2, 3, 4, 5, 0, 0, 0}));

    // 4 and 1 bits pack from the high end of each byte.
    const std::vector<uint8_t> four = IndexedBitmapFile(indexed, 4);
    EXPECT_EQ(le32(four, 10), 14u + 40 + 64);
    EXPECT_EQ(std::vector<uint8_t>(four.end() - 8, four.end()), (std::vector<uint8_t>{0x67, 0x89, 0xA0, 0, 0x12, 0x34, 0x50, 0}));
    indexed.Indices = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
    const std::vector<uint8_t> one = IndexedBitmapFile(indexed, 1);
    EXPECT_EQ(le32(one, 10), 14u + 40 + 8);
    EXPECT_EQ(std::vector<uint8_t>(one.end() - 8, one.end()), (std::vector<uint8_t>{0x08, 0, 0, 0, 0xB0, 0, 0, 0}));

    TRgbImage rgb(2, 1);
    rgb.Set(0, 0, {1, 2, 3});
    rgb.Set(1, 0, {4, 5, 6});
    const std::vector<uint8_t> deep = RgbBitmapFile(rgb, 24);
    EXPECT_EQ(le32(deep, 10), 54u);
    EXPECT_EQ(le16(deep, 28), 24);
    EXPECT_EQ(std::vector<uint8_t>(deep.begin() + 54, deep.end()), (std::vector<uint8_t>{3, 2, 1, 6, 5, 4, 0, 0}));
}

TEST(KrGraph, BitmapToMemoryPicksTheFormatByColourCount)
{
    EXPECT_EQ(DefaultReductionMethod, rmFrequent);
    QImage picture(20, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            picture.setPixel(x, y, qRgb(x * 12, y * 12, (x * y) % 256));
    EXPECT_EQ(GetBitmapPixelFormat(picture), pf32bit);
    auto bitsOf = [&](int colors) {
        auto stream = BitmapToMemory(picture, colors);
        EXPECT_EQ(stream->GetPosition(), 0);
        return le16(bytesOf(*stream), 28);
    };
    EXPECT_EQ(bitsOf(2), 1);
    EXPECT_EQ(bitsOf(16), 4);
    EXPECT_EQ(bitsOf(17), 8);
    EXPECT_EQ(bitsOf(256), 8);
    EXPECT_EQ(bitsOf(300), 24);

    // A 24-bit request keeps every colour; the file reads back as the same picture.
    auto deep = BitmapToMemoryStream(picture, pf24bit, rmFrequent);
    QImage back;
    ASSERT_TRUE(back.loadFromData(deep->Bytes().data(), static_cast<int>(deep->Bytes().size()), "BMP"));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), picture);
    // An 8-bit file of a picture with few colours reads back unchanged too.
    QImage few(7, 3, QImage::Format_RGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x)
            few.setPixel(x, y, (x + y) % 2 ? qRgb(200, 10, 10) : qRgb(0, 90, 250));
    auto eight = BitmapToMemoryStream(few, pf8bit, rmFrequent);
    ASSERT_TRUE(back.loadFromData(eight->Bytes().data(), static_cast<int>(eight->Bytes().size()), "BMP"));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32), few);
    // 24 bits greyed.
    auto grey = BitmapToMemoryStream(few, pf24bit, rmGray);
    ASSERT_TRUE(back.loadFromData(grey->Bytes().data(), static_cast<int>(grey->Bytes().size()), "BMP"));
    EXPECT_EQ(back.pixel(0, 0), qRgb(81, 81, 81)); // (90 * 150 + 250 * 29) >> 8
    // 1 bit: the system's black and white.
    auto mono = BitmapToMemoryStream(few, pf1bit, rmFrequent);
    EXPECT_EQ(le32(mono->Bytes(), 10), 14u + 40 + 8);

    EXPECT_THROW(BitmapToMemoryStream(QImage(), pf8bit, rmFrequent), EInvalidGraphic);
}

TEST(KrGraph, BitmapsAlreadyInTheFormatAreWrittenAsTheyAre)
{
    QImage indexed(3, 2, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < 40; ++i)
        table.push_back(qRgb(i, 2 * i, 3 * i));
    indexed.setColorTable(table);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            indexed.setPixel(x, y, static_cast<uint>(x * 10 + y));
    EXPECT_EQ(GetBitmapPixelFormat(indexed), pf8bit);
    auto stream = BitmapToMemoryStream(indexed, pf8bit, rmFrequent);
    const std::vector<uint8_t>& file = stream->Bytes();
    // Its own palette and indices, not a reduced one.
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54 + 4 * 39, file.begin() + 54 + 4 * 40),
              (std::vector<uint8_t>{117, 78, 39, 0}));
    EXPECT_EQ(std::vector<uint8_t>(file.end() - 8, file.end()), (std::vector<uint8_t>{1, 11, 21, 0, 0, 10, 20, 0}));

    QImage small = indexed;
    small.setColorTable(QList<QRgb>(table.begin(), table.begin() + 16));
    for (int x = 0; x < 3; ++x)
        small.setPixel(x, 0, static_cast<uint>(x + 13));
    EXPECT_EQ(GetBitmapPixelFormat(small), pf4bit);
    EXPECT_EQ(le16(BitmapToMemoryStream(small, pf4bit, rmFrequent)->Bytes(), 28), 4);
    EXPECT_EQ(GetBitmapPixelFormat(QImage(2, 2, QImage::Format_Mono)), pf1bit);
    EXPECT_EQ(GetBitmapPixelFormat(QImage(2, 2, QImage::Format_RGB888)), pf24bit);
    EXPECT_EQ(GetBitmapPixelFormat(QImage(2, 2, QImage::Format_RGB16)), pf16bit);
    QImage wide(2, 2, QImage::Format_ARGB32);
    wide.fill(qRgb(1, 2, 3));
    EXPECT_EQ(le16(BitmapToMemoryStream(wide, pf32bit, rmFrequent)->Bytes(), 28), 32);
}
