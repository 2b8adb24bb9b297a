// Tests of ImgSize: the GIF, JPEG and PNG header readers on crafted files and every truncation, and the file-level look-up.
#include <gtest/gtest.h>

#include <QImage>
#include <QImageWriter>
#include <string>

#include "app/host/ImgSize.h"
#include "platform/core/Classes.h"
#include "support/Bytes.h"
#include "support/TempDir.h"

namespace {

using TReader = bool (*)(TStream&, uint16_t&, uint16_t&);

struct TSize {
    bool ok;
    int width, height;
    bool operator==(const TSize&) const = default;
};

TSize readSize(TReader reader, const std::string& data)
{
    TCustomMemoryStream stream(data.data(), static_cast<int64_t>(data.size()));
    uint16_t width = 7, height = 7;
    const bool ok = reader(stream, width, height);
    return {ok, width, height};
}

// Every strict prefix of a file whose size ends at its last byte fails with 0 x 0.
void expectTruncationsFail(TReader reader, const std::string& data)
{
    for (size_t length = 0; length < data.size(); ++length)
        EXPECT_EQ(readSize(reader, data.substr(0, length)), (TSize{false, 0, 0})) << length;
}

// A 40 x 20 GIF with a four-colour table and a comment holding the separator's byte; its bytes end
// with the image descriptor.
std::string gifWithComment()
{
    return "GIF89a" + Bytes({40, 0, 20, 0, 0x81, 0, 0}) + std::string(12, '\0') +
           Bytes({0x21, 0xFE, 3, 0x2C, 0x2C, 0x2C, 2, 0x2C, 0x2C, 0}) +
           Bytes({0x21, 0xF9, 4, 0, 0, 0, 0, 0}) + Bytes({0x2C, 0, 0, 0, 0, 40, 0, 20, 0, 0});
}

std::string pngHeader(int width, int height)
{
    std::string data = Bytes({0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}) + "IHDR";
    for (int value : {width, height})
        data += Bytes({(value >> 24) & 0xFF, (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF});
    return data;
}

// Start, an APP0 segment, a restart marker without length, fill bytes, then a frame of 640 x 480.
std::string jpegHeader(int frameMarker)
{
    return Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x06, 'J', 'F', 'I', 'F', 0xFF, 0xD3, 0xFF, 0xFF, frameMarker,
                  0x00, 0x11, 0x08, 0x01, 0xE0, 0x02, 0x80});
}

} // namespace

TEST(ImgSize, GIFStepsOverExtensionsByTheirLengths)
{
    EXPECT_EQ(readSize(GetGIFSize, gifWithComment()), (TSize{true, 40, 20}));
    expectTruncationsFail(GetGIFSize, gifWithComment());
    // Without a colour table the descriptor may follow the header at once.
    const std::string plain = "GIF87a" + Bytes({1, 0, 1, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0x10, 0x01, 0x08, 0x00, 0});
    EXPECT_EQ(readSize(GetGIFSize, plain), (TSize{true, 0x110, 8}));
    // Not a GIF, a trailer before any image, a zero height.
    EXPECT_EQ(readSize(GetGIFSize, "GIX89a" + plain.substr(6)), (TSize{false, 0, 0}));
    EXPECT_EQ(readSize(GetGIFSize, plain.substr(0, 13) + Bytes({0x3B, 0x2C, 0, 0, 0, 0, 5, 0, 5, 0, 0})),
              (TSize{false, 0, 0}));
    EXPECT_EQ(readSize(GetGIFSize, plain.substr(0, 13) + Bytes({0x2C, 0, 0, 0, 0, 5, 0, 0, 0, 0})),
              (TSize{false, 5, 0}));
}

TEST(ImgSize, PNGTakesTheLowHalvesOfItsHeaderFields)
{
    EXPECT_EQ(readSize(GetPNGSize, pngHeader(300, 200)), (TSize{true, 300, 200}));
    EXPECT_EQ(readSize(GetPNGSize, pngHeader(0x10005, 0x20007)), (TSize{true, 5, 7}));
    expectTruncationsFail(GetPNGSize, pngHeader(300, 200));
    std::string wrong = pngHeader(300, 200);
    wrong[1] = 'Q';
    EXPECT_EQ(readSize(GetPNGSize, wrong), (TSize{false, 0, 0}));
}

TEST(ImgSize, JPEGWalksTheMarkersToTheFrame)
{
    // Every frame marker gives the size: baseline, extended, progressive, lossless, differential and
    // arithmetic-coded frames alike.
    for (int marker : {0xC0, 0xC1, 0xC2, 0xC3, 0xC5, 0xC6, 0xC7, 0xC9, 0xCA, 0xCB, 0xCD, 0xCE, 0xCF}) {
        EXPECT_EQ(readSize(GetJPEGSize, jpegHeader(marker)), (TSize{true, 640, 480})) << marker;
        expectTruncationsFail(GetJPEGSize, jpegHeader(marker));
    }
    // Huffman tables (C4), the reserved C8 and arithmetic conditioning (CC) are segments stepped over
    // on the way to the frame.
    for (int marker : {0xC4, 0xC8, 0xCC})
        EXPECT_EQ(readSize(GetJPEGSize, Bytes({0xFF, 0xD8, 0xFF, marker, 0x00, 0x04, 0xFF, 0xC0, 0xFF, 0xC2, 0x00,
                                                0x11, 0x08, 0x00, 0x02, 0x00, 0x03})),
                  (TSize{true, 3, 2}))
            << marker;
    // A segment length below its own two bytes ends the walk instead of going back.
    EXPECT_EQ(readSize(GetJPEGSize, Bytes({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0xFF, 0xC0, 0, 0x11, 8, 0, 1, 0, 1})),
              (TSize{false, 0, 0}));
    // A byte other than FF where a marker is due.
    EXPECT_EQ(readSize(GetJPEGSize, Bytes({0xFF, 0xD8, 0x00, 0xC0})), (TSize{false, 0, 0}));

    TCustomMemoryStream stream("\x12\x34\x56", 3);
    uint16_t word = 0;
    EXPECT_TRUE(ReadWordBE(stream, word));
    EXPECT_EQ(word, 0x1234);
    EXPECT_FALSE(ReadWordBE(stream, word));
}

TEST(ImgSize, GetImageSizeChoosesTheReaderByExtension)
{
    TempDir dir("imgsize");
    uint16_t width = 9, height = 9;
    EXPECT_FALSE(GetImageSize((dir.path / "missing.gif").string(), width, height));
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);

    EXPECT_TRUE(GetImageSize(dir.file("a.GIF", gifWithComment()), width, height));
    EXPECT_EQ(width, 40);
    EXPECT_EQ(height, 20);
    EXPECT_TRUE(GetImageSize(dir.file("b.png", pngHeader(300, 200)), width, height));
    EXPECT_EQ(width, 300);
    EXPECT_TRUE(GetImageSize(dir.file("c.jpeg", jpegHeader(0xC0)), width, height));
    EXPECT_EQ(height, 480);
    EXPECT_TRUE(GetImageSize(dir.file("c.jpg", jpegHeader(0xC0)), width, height));
    EXPECT_EQ(width, 640);
    // A progressive picture as an encoder writes it.
    const std::string progressive = (dir.path / "p.jpg").string();
    QImageWriter writer(QString::fromStdString(progressive), "jpeg");
    writer.setProgressiveScanWrite(true);
    ASSERT_TRUE(writer.write(QImage(123, 45, QImage::Format_RGB32)));
    ASSERT_NE(ReadFileBytes(progressive).find("\xFF\xC2"), std::string::npos);
    EXPECT_TRUE(GetImageSize(progressive, width, height));
    EXPECT_EQ(width, 123);
    EXPECT_EQ(height, 45);

    // Bitmaps and icons go through the picture reader.
    const std::string bmp = (dir.path / "d.bmp").string();
    ASSERT_TRUE(QImage(33, 17, QImage::Format_RGB32).save(QString::fromStdString(bmp), "BMP"));
    EXPECT_TRUE(GetImageSize(bmp, width, height));
    EXPECT_EQ(width, 33);
    EXPECT_EQ(height, 17);
    // Whatever its name's bytes.
    EXPECT_TRUE(GetImageSize(dir.file("caf\xE9.bmp", ReadFileBytes(bmp)), width, height));
    EXPECT_EQ(width, 33);

    // A header of the wrong kind, an unread kind and a broken bitmap give 0 x 0.
    EXPECT_FALSE(GetImageSize(dir.file("e.gif", pngHeader(300, 200)), width, height));
    EXPECT_EQ(width, 0);
    EXPECT_FALSE(GetImageSize(dir.file("f.txt", gifWithComment()), width, height));
    EXPECT_FALSE(GetImageSize(dir.file("g.bmp", "BM broken"), width, height));
    EXPECT_EQ(height, 0);
}
