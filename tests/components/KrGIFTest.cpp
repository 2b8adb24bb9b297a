// GIF pictures: reading and writing files, the LZW coder, frames and their bitmaps, assignment, drawing and the clipboard.
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "components/AniFile.h"
#include "components/KrGIF.h"
#include "components/KrGraph.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "platform/core/SysUtils.h"
#include "tests/components/AniTestFiles.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The raster data of the 2 x 2 one-bit picture 0 1 / 1 0, worked out code by code: ClearCode 4, then
// 0, 1, 1 at three bits, code 8 widening the codes, 0 and EndCode 5 at four bits.
const Bytes kCheckerRaster = {0x02, 0x03, 0x44, 0x02, 0x05, 0x00};

Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes text(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// Signature, a screen of 2 x 2 and a global table of black and white.
Bytes screen(const std::string& signature = "GIF89a")
{
    return text(signature) + Bytes{2, 0, 2, 0, 0x80, 0, 0, 0, 0, 0, 255, 255, 255};
}

Bytes frame(const Bytes& raster = kCheckerRaster, uint8_t packed = 0, uint16_t height = 2)
{
    return Bytes{',', 0, 0, 0, 0, 2, 0, static_cast<uint8_t>(height), static_cast<uint8_t>(height >> 8), packed} +
           raster;
}

Bytes loop(uint16_t count)
{
    return text("!\xFF\x0BNETSCAPE2.0") + Bytes{3, 1, static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8), 0};
}

Bytes comment(const std::vector<std::string>& blocks)
{
    Bytes b{'!', 0xFE};
    for (const std::string& s : blocks)
        b = b + Bytes{static_cast<uint8_t>(s.size())} + text(s);
    return b + Bytes{0};
}

TGIFFile read(const Bytes& bytes)
{
    TGIFFile file;
    ReadGIF(bytes.data(), bytes.size(), file);
    return file;
}

void load(TGIFImage& image, const Bytes& bytes)
{
    TCustomMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    image.LoadFromStream(stream);
}

Bytes save(TGIFImage& image)
{
    TMemoryStream stream;
    image.SaveToStream(stream);
    return stream.Bytes();
}

std::string messageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EInvalidGraphicOperation& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

// A bottom-up pixel buffer of random indices below 2^bits.
struct TRows {
    std::vector<uint8_t> Bits;
    TDibRows Rows;
    TRows(int width, int height, int bitCount)
    {
        int stride = (bitCount * width + 31) / 32 * 4;
        Bits.assign(static_cast<size_t>(stride) * height, 0);
        Rows = {Bits.data(), stride, width, height, bitCount};
    }
    int Get(int x, int y) const
    {
        const uint8_t* row = Rows.Row(y);
        if (Rows.BitCount == 1)
            return (row[x / 8] >> (7 - x % 8)) & 1;
        if (Rows.BitCount == 4)
            return x % 2 ? row[x / 2] & 15 : row[x / 2] >> 4;
        return row[x];
    }
    void Set(int x, int y, int v)
    {
        uint8_t* row = Rows.Row(y);
        if (Rows.BitCount == 1)
            row[x / 8] = static_cast<uint8_t>(row[x / 8] | (v << (7 - x % 8)));
        else if (Rows.BitCount == 4)
            row[x / 2] = static_cast<uint8_t>(row[x / 2] | (x % 2 ? v : v << 4));
        else
            row[x] = static_cast<uint8_t>(v);
    }
};

// Random pixels in runs, so that strings repeat as in real pictures and the table fills and resets.
QImage randomIndexed(std::mt19937& random, int width, int height, int bits)
{
    QImage image(width, height, bits == 1 ? QImage::Format_Mono : QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < (1 << bits); ++i)
        table.push_back(qRgb(static_cast<int>(random() % 256), static_cast<int>(random() % 256), i));
    image.setColorTable(table);
    int value = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (random() % 3 == 0)
                value = static_cast<int>(random() % (1u << bits));
            image.setPixel(x, y, static_cast<uint>(value));
        }
    return image;
}

void expectSamePixels(const QImage& expected, const QImage& actual)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            ASSERT_EQ(expected.pixel(x, y), actual.pixel(x, y)) << x << "," << y;
}

} // namespace

TEST(KrGIF, SignatureAndVersionAreReadWithoutCase)
{
    EXPECT_EQ(2, read(screen("gif89A") + Bytes{';'}).Version);
    EXPECT_EQ(1, read(screen("Gif87a") + Bytes{';'}).Version);
    EXPECT_EQ("Versi\xF3n GIF desconocida", messageOf([] { read(screen("GIF90a")); }));
    EXPECT_EQ("Versi\xF3n GIF desconocida", messageOf([] { read(screen("JIF89a")); }));
    EXPECT_THROW(read(text("GIF8")), EReadError);

    TGIFFile file = read(screen() + Bytes{';'});
    EXPECT_EQ(2, file.ScreenWidth);
    EXPECT_EQ(2, file.Image->ColorTable.Count);
    EXPECT_EQ(1, file.Image->BitsPerPixel);
    EXPECT_EQ(1, file.Image->ColorResolution);
    EXPECT_EQ(static_cast<TColor>(RGBValue(0, 0, 0)), file.BackgroundColor);
    EXPECT_TRUE(file.Frames.empty());
}

TEST(KrGIF, LoopCountIsCappedAndOnlyWrittenForAnimations)
{
    TGIFFile capped = read(screen() + loop(40000) + frame() + Bytes{';'});
    EXPECT_TRUE(capped.Looping);
    EXPECT_EQ(30000, capped.RepeatCount);
    TGIFFile zero = read(screen() + loop(0) + frame() + Bytes{';'});
    EXPECT_TRUE(zero.Looping);
    EXPECT_EQ(0, zero.RepeatCount);
    ASSERT_EQ(1u, zero.Frames.size());
    EXPECT_TRUE(zero.Frames[0].Extensions.empty()) << "the application block is dropped";

    TGIFImage image;
    load(image, screen() + frame() + Bytes{';'});
    image.Looping = true;
    image.RepeatCount = 7;
    std::string single(reinterpret_cast<const char*>(save(image).data()), save(image).size());
    EXPECT_EQ(std::string::npos, single.find("NETSCAPE2.0"));
    image.AppendFrame(image.Frames(0));
    Bytes two = save(image);
    std::string animated(two.begin(), two.end());
    size_t at = animated.find("NETSCAPE2.0");
    ASSERT_NE(std::string::npos, at);
    EXPECT_EQ(std::string("\x03\x01\x07\x00\x00", 5), animated.substr(at + 11, 5));
    EXPECT_EQ(7, read(two).RepeatCount);
}

TEST(KrGIF, InterlacedRowsArriveInTheFourPasses)
{
    TRows plain(1, 10, 8);
    for (int y = 0; y < 10; ++y)
        plain.Set(0, y, y);
    Bytes raster;
    LZWEncode(raster, plain.Rows, false);
    TRows interlaced(1, 10, 8);
    EXPECT_FALSE(LZWDecode(raster.data(), raster.size(), interlaced.Rows, true, false, 8));
    const int order[] = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
    for (int k = 0; k < 10; ++k)
        EXPECT_EQ(k, interlaced.Get(0, order[k])) << "row " << order[k];

    TRows back(1, 10, 8);
    Bytes again;
    LZWEncode(again, interlaced.Rows, true);
    LZWDecode(again.data(), again.size(), back.Rows, true, false, 8);
    EXPECT_EQ(interlaced.Bits, back.Bits);
}

TEST(KrGIF, CodeSizesAndExtensionLabelsOutOfRangeRaise)
{
    const std::string codeSize = "El tama\xF1o de \xF3" "digo del GIF no est\xE1 comprendido entre 2 y 9";
    for (uint8_t minimum : {uint8_t{10}, uint8_t{1}, uint8_t{0}, uint8_t{255}}) {
        Bytes raster{minimum, 1, 0, 0};
        TRows rows(2, 2, 8);
        EXPECT_EQ(codeSize, messageOf([&] { LZWDecode(raster.data(), raster.size(), rows.Rows, false, true, 8); }));
    }
    EXPECT_EQ("Bloque de extensi\xF3n no reconocido: 02", messageOf([] { read(screen() + Bytes{'!', 2, 0, ';'}); }));
    EXPECT_EQ("N\xFAmero de colores incorrecto. Ha de ser una potencia de 2", messageOf([] { ColorsToBits(3); }));
    for (int bits = 1; bits <= 8; ++bits)
        EXPECT_EQ(bits, ColorsToBits(1 << bits));
    EXPECT_THROW(ColorsToBits(512), EInvalidGraphicOperation);
    EXPECT_THROW(read(screen() + Bytes{'x'}), EReadError);
}

TEST(KrGIF, CommentsJoinAndLongLinesSpanSubBlocks)
{
    TGIFFile file = read(screen() + comment({"uno", "dos"}) + comment({"tres"}) + Bytes{';'});
    EXPECT_EQ((std::vector<std::string>{"uno", "dos", "\r\n\r\n", "tres"}), file.Image->Comment);

    TGIFFile framed = read(screen() + comment({"del cuadro"}) + frame() + Bytes{';'});
    EXPECT_TRUE(framed.Image->Comment.empty());
    ASSERT_NE(nullptr, framed.Frames[0].Comment());
    EXPECT_EQ(std::vector<std::string>{"del cuadro"}, *framed.Frames[0].Comment());

    TGIFImage image;
    load(image, screen("GIF87a") + frame() + Bytes{';'});
    image.Image->Comment = {std::string(300, 'c')};
    Bytes out = save(image);
    Bytes expected = Bytes{'!', 0xFE, 255} + Bytes(255, 'c') + Bytes{45} + Bytes(45, 'c') + Bytes{0, ';'};
    ASSERT_GE(out.size(), expected.size());
    EXPECT_EQ(expected, Bytes(out.end() - static_cast<std::ptrdiff_t>(expected.size()), out.end()));
    EXPECT_EQ('9', out[4]) << "a comment needs version 89a";
    EXPECT_EQ((std::vector<std::string>{std::string(255, 'c'), std::string(45, 'c')}), read(out).Image->Comment);
}

TEST(KrGIF, SmallPicturesEncodeToExactBytes)
{
    TRows checker(2, 2, 1);
    checker.Set(1, 0, 1);
    checker.Set(0, 1, 1);
    Bytes raster;
    LZWEncode(raster, checker.Rows, false);
    EXPECT_EQ(kCheckerRaster, raster);

    QImage mono(2, 2, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    mono.setPixel(0, 0, 0);
    mono.setPixel(1, 0, 1);
    mono.setPixel(0, 1, 1);
    mono.setPixel(1, 1, 0);
    TGIFImage image;
    image.Assign(mono);
    Bytes expected = screen("GIF87a") + frame() + Bytes{';'};
    EXPECT_EQ(expected, save(image));

    TGIFImage back;
    load(back, expected);
    expectSamePixels(mono, back.Frames(0).Bitmap());
    EXPECT_FALSE(back.Frames(0).Corrupted);
}

TEST(KrGIF, EncodeThenDecodeKeepsEveryPixel)
{
    std::mt19937 random(45);
    for (int bits : {1, 4, 8}) {
        for (int round = 0; round < 4; ++round) {
            int width = 1 + static_cast<int>(random() % 150), height = 1 + static_cast<int>(random() % 120);
            QImage picture = randomIndexed(random, width, height, bits == 4 ? 4 : bits);
            if (bits == 4)
                picture.setColorCount(16);
            TGIFImage image;
            image.Assign(picture);
            Bytes file = save(image);
            TGIFImage back;
            load(back, file);
            ASSERT_EQ(1, back.FrameCount());
            EXPECT_FALSE(back.Frames(0).Corrupted);
            expectSamePixels(picture, back.Frames(0).Bitmap());
            EXPECT_EQ(width, back.Width());
            EXPECT_EQ(height, back.Height());
        }
    }

    // Long runs of one pixel grow the table to 4094 codes and through several resets.
    TRows big(700, 300, 8);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 700; ++x)
            big.Set(x, y, (x / 3 + y * 7) % 256 ^ (x * y % 5));
    Bytes raster;
    LZWEncode(raster, big.Rows, false);
    TRows back(700, 300, 8);
    EXPECT_FALSE(LZWDecode(raster.data(), raster.size(), back.Rows, false, false, 8));
    EXPECT_EQ(big.Bits, back.Bits);
}

TEST(KrGIF, TrueColourPicturesTakeTheFrequentColourPalette)
{
    std::mt19937 random(7);
    QImage picture(40, 30, QImage::Format_RGB888);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            picture.setPixel(x, y, qRgb(static_cast<int>(random() % 4) * 60, (x / 10) * 50, y * 8));
    TGIFImage image;
    image.Assign(picture);
    TGIFImage back;
    load(back, save(image));
    TIndexedImage reduced = ReduceColors(RgbImageOf(picture), rmFrequent);
    const QImage& bitmap = back.Frames(0).Bitmap();
    ASSERT_EQ(picture.size(), bitmap.size());
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            const TPaletteEntry& e = reduced.Palette[reduced.Indices[static_cast<size_t>(y) * 40 + x]];
            ASSERT_EQ(qRgb(e.Red, e.Green, e.Blue), bitmap.pixel(x, y));
        }
    EXPECT_FALSE(back.Frames(0).GrayscaleReduced);

    TGIFImage grey;
    grey.Assign(picture);
    grey.Frames(0).GrayscaleReduced = true;
    TGIFImage greyBack;
    load(greyBack, save(grey));
    QRgb sample = greyBack.Frames(0).Bitmap().pixel(5, 5);
    EXPECT_TRUE(qRed(sample) == qGreen(sample) && qGreen(sample) == qBlue(sample));

    TGIFImage nothing;
    EXPECT_EQ("No hay datos que escribir en el GIF", messageOf([&] { save(nothing); }));
}

TEST(KrGIF, DamagedDataKeepsTheRowsDecodedSoFar)
{
    std::mt19937 random(3);
    QImage picture = randomIndexed(random, 64, 64, 8);
    TGIFImage image;
    image.Assign(picture);
    Bytes file = save(image);
    Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() / 2));
    TGIFImage half;
    load(half, cut);
    ASSERT_EQ(1, half.FrameCount());
    const QImage& bitmap = half.Frames(0).Bitmap();
    EXPECT_TRUE(half.Frames(0).Corrupted);
    ASSERT_EQ(picture.size(), bitmap.size());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 64; ++x)
            ASSERT_EQ(picture.pixel(x, y), bitmap.pixel(x, y));

    // A code beyond the next free one, a first code that is no pixel, codes after the terminator.
    TRows rows(4, 4, 8);
    for (const Bytes& raster : {Bytes{2, 2, 0xC4, 0x01, 0}, Bytes{2, 1, 0x06, 0}, Bytes{2, 0}, Bytes{}}) {
        EXPECT_TRUE(LZWDecode(raster.data(), raster.size(), rows.Rows, false, true, 8));
        std::pair<int, std::string> ending{-1, ""};
        TGIFProgress progress = [&](TProgressStage stage, int percent, const std::string& message) {
            if (stage == psEnding)
                ending = {percent, message};
        };
        EXPECT_EQ("Los datos codificados del GIF est\xE1n corruptos",
                  messageOf([&] { LZWDecode(raster.data(), raster.size(), rows.Rows, false, false, 8, progress); }));
        EXPECT_EQ(std::make_pair(0, std::string("Los datos codificados del GIF est\xE1n corruptos")), ending);
    }

    // Without any colour table the pixels follow the minimum code size; zero sizes decode to nothing.
    TGIFImage bare;
    load(bare, text("GIF87a") + Bytes{2, 0, 2, 0, 0, 0, 0} + frame() + frame(kCheckerRaster, 0, 0) + Bytes{';'});
    ASSERT_EQ(2, bare.FrameCount());
    EXPECT_EQ(2, bare.Frames(0).Bitmap().width());
    EXPECT_TRUE(bare.Frames(1).Bitmap().isNull());

    // A bitmap over 256 MB is refused before anything is allocated.
    TGIFImage huge;
    Bytes wide = frame();
    wide[5] = wide[6] = wide[7] = wide[8] = 0xFF;
    EXPECT_THROW(load(huge, screen() + wide + Bytes{';'}), EInvalidGraphicOperation);
}

TEST(KrGIF, EveryTruncationErrorsOrMarksTheFrame)
{
    std::mt19937 random(11);
    TGIFImage image;
    image.Assign(randomIndexed(random, 12, 9, 4));
    image.AppendFrame(randomIndexed(random, 7, 5, 8));
    image.Frames(1).FrameDelay = 250;
    image.Frames(1).CommentLines().push_back("segundo");
    image.Looping = true;
    image.Image->Comment = {"fin"};
    Bytes file = save(image);
    TGIFImage full;
    load(full, file);
    ASSERT_EQ(2, full.FrameCount());
    EXPECT_EQ(250, full.Frames(1).FrameDelay);
    for (size_t length = 0; length < file.size(); ++length) {
        Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        TGIFImage part;
        try {
            load(part, cut);
        } catch (const Exception&) {
            continue;
        }
        for (int i = 0; i < part.FrameCount(); ++i) {
            const QImage& bitmap = part.Frames(i).Bitmap();
            if (!part.Frames(i).Corrupted)
                expectSamePixels(full.Frames(i).Bitmap(), bitmap);
        }
    }
}

TEST(KrGIF, FramesShareTheirDataAndFollowTheAssignmentRules)
{
    std::mt19937 random(5);
    TGIFImage image;
    image.Assign(randomIndexed(random, 6, 4, 8));
    image.AppendFrame(randomIndexed(random, 9, 3, 8));
    EXPECT_EQ(2, image.Version);
    EXPECT_EQ(9, image.ScreenWidth);
    EXPECT_EQ(4, image.ScreenHeight);
    load(image, save(image));

    TGIFImage copy;
    copy.Assign(&image);
    EXPECT_TRUE(copy.Equals(image));
    EXPECT_EQ(copy.Frames(1).Image, image.Frames(1).Image);
    EXPECT_TRUE(copy.Frames(1).LocalColors);
    EXPECT_EQ(save(image), save(copy));

    TGIFImage single;
    single.Assign(image.Frames(1));
    EXPECT_FALSE(single.Equals(image));
    EXPECT_EQ(1, single.FrameCount());
    EXPECT_EQ(0, single.CurrentFrame());
    EXPECT_EQ(image.Image->ColorTable, single.Image->ColorTable);
    expectSamePixels(image.Frames(1).Bitmap(), single.Frames(0).Bitmap());

    TGIFFrame frame(&copy);
    frame.Assign(copy);
    EXPECT_EQ(copy.Frames(0).Image, frame.Image);
    frame.Assign(static_cast<const TGIFFrame*>(nullptr));
    EXPECT_TRUE(frame.Image->ImageData.empty());

    QImage out;
    image.AssignTo(out);
    expectSamePixels(image.Frames(0).Bitmap(), out);
    EXPECT_EQ("No se puede cambiar de tama\xF1o a una imagen GIF", messageOf([&] { image.SetWidth(3); }));
    EXPECT_EQ("No se puede cambiar de tama\xF1o a una imagen GIF", messageOf([&] { image.SetHeight(3); }));

    TGIFImage empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_EQ(0, empty.Width());
    empty.Assign(static_cast<const TGIFImage*>(nullptr));
    EXPECT_EQ(-1, empty.CurrentFrame());
    EXPECT_FALSE(image.Empty());

    QImage seeThrough(4, 4, QImage::Format_ARGB32);
    seeThrough.fill(Qt::transparent);
    seeThrough.setPixel(1, 1, qRgb(200, 0, 0));
    TGIFImage transparent;
    transparent.Assign(seeThrough);
    EXPECT_EQ(clWhite, transparent.Frames(0).TransparentColor);
    EXPECT_TRUE(transparent.GetTransparent());
    TGIFImage reread;
    load(reread, save(transparent));
    EXPECT_EQ(clWhite, reread.Frames(0).TransparentColor) << "graphic control written with the white index";
}

TEST(KrGIF, AnimatedCursorBecomesFramesWithItsDelays)
{
    TAnimatedCursorImage cursor;
    anitest::Bytes bytes = anitest::threeFrameFile();
    TCustomMemoryStream stream(bytes.data(), static_cast<int64_t>(bytes.size()));
    cursor.LoadFromStream(stream);
    ASSERT_EQ(3, cursor.GetCount());
    TGIFImage image;
    image.Assign(cursor);
    ASSERT_EQ(3, image.FrameCount());
    EXPECT_EQ(clWindow, image.BackgroundColor);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(cursor.GetFrame(i).Rate * 100 / 6, image.Frames(i).FrameDelay);
        EXPECT_EQ(anitest::kColors[i], image.Frames(i).Bitmap().pixel(3, 3));
    }
    TGIFImage back;
    load(back, save(image));
    ASSERT_EQ(3, back.FrameCount());
    EXPECT_EQ(cursor.GetFrame(1).Rate * 100 / 6 / 10 * 10, back.Frames(1).FrameDelay) << "whole hundredths in the file";
    EXPECT_EQ(anitest::kColors[2], back.Frames(2).Bitmap().pixel(3, 3));
}

TEST(KrGIF, DrawingStreamingProgressAndTheClipboard)
{
    QImage red(4, 4, QImage::Format_Indexed8);
    red.setColorTable({qRgb(255, 0, 0), qRgb(0, 0, 255)});
    red.fill(0);
    red.setPixel(0, 0, 1);
    TGIFImage image;
    image.Assign(red);
    image.Frames(0).TransparentColor = static_cast<TColor>(RGBValue(0, 0, 255));
    QImage canvas(8, 8, QImage::Format_RGB32);
    canvas.fill(Qt::green);
    {
        QPainter painter(&canvas);
        image.Draw(painter, TRect{0, 0, 8, 8});
    }
    EXPECT_EQ(qRgb(0, 255, 0), canvas.pixel(0, 0)) << "the transparent colour shows the canvas";
    EXPECT_EQ(qRgb(255, 0, 0), canvas.pixel(6, 6));

    std::vector<std::pair<TProgressStage, int>> stages;
    image.OnProgress = [&](TGIFImage& sender, TProgressStage stage, int percent, bool redraw, const TRect& rect,
                           const std::string&) {
        EXPECT_EQ(&image, &sender);
        EXPECT_FALSE(redraw);
        EXPECT_EQ(TRect{}, rect);
        stages.emplace_back(stage, percent);
    };
    TMemoryStream data;
    image.WriteData(data);
    ASSERT_FALSE(stages.empty());
    EXPECT_EQ(std::make_pair(psStarting, 0), stages.front());
    EXPECT_EQ(std::make_pair(psEnding, 100), stages.back());
    uint32_t length = data.Bytes()[0] | (data.Bytes()[1] << 8) | (data.Bytes()[2] << 16);
    EXPECT_EQ(data.Bytes().size() - 4, length);
    data.SetPosition(0);
    TGIFImage streamed;
    streamed.ReadData(data);
    expectSamePixels(image.Frames(0).Bitmap(), streamed.Frames(0).Bitmap());

    image.SaveToClipboard();
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(nullptr, mime);
    ASSERT_TRUE(mime->hasFormat(TGIFImage::kClipboardFormat));
    TGIFImage pasted;
    pasted.LoadFromClipboard();
    ASSERT_EQ(1, pasted.FrameCount());
    expectSamePixels(image.Frames(0).Bitmap().convertToFormat(QImage::Format_RGB32),
                     pasted.Frames(0).Bitmap().convertToFormat(QImage::Format_RGB32));
}
