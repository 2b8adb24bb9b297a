// JPEG decoding through libjpeg: pixels of a known picture, damaged and cut files, and the size limit.
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "components/JpegDecode.h"
#include "platform/core/Exception.h"
#include "tests/components/JpegTestFiles.h"

TEST(JpegDecode, PicturesDecodeCloseToTheirPixels)
{
    TRgbImage source = jpegtest::Gradient(37, 21);
    std::vector<uint8_t> file = jpegtest::Encode(source, 95);
    TJpegPicture picture = DecodeJpeg(file.data(), file.size());
    EXPECT_FALSE(picture.Corrupted);
    ASSERT_EQ(37, picture.Image.Width);
    ASSERT_EQ(21, picture.Image.Height);
    int worst = 0;
    for (size_t i = 0; i < source.Pixels.size(); ++i)
        worst = std::max(worst, std::abs(source.Pixels[i] - picture.Image.Pixels[i]));
    EXPECT_LT(worst, 24) << "a smooth gradient survives quality 95";
}

TEST(JpegDecode, EveryTruncationErrorsOrIsMarkedCorrupted)
{
    std::vector<uint8_t> file = jpegtest::Encode(jpegtest::Gradient(24, 16), 80);
    for (size_t length = 0; length < file.size(); ++length) {
        try {
            TJpegPicture picture = DecodeJpeg(file.data(), length);
            EXPECT_TRUE(picture.Corrupted) << length;
        } catch (const EInvalidGraphic& e) {
            EXPECT_FALSE(e.Message().empty());
        }
    }
    std::mt19937 random(19);
    for (int round = 0; round < 200; ++round) {
        std::vector<uint8_t> damaged = file;
        for (int k = 0; k < 4; ++k)
            damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
        try {
            TJpegPicture picture = DecodeJpeg(damaged.data(), damaged.size());
            EXPECT_EQ(picture.Image.Pixels.size(), static_cast<size_t>(picture.Image.Width) * picture.Image.Height * 3);
        } catch (const EInvalidGraphic&) {
        }
    }
}

TEST(JpegDecode, PicturesOverTheLimitAreRefusedBeforeDecoding)
{
    std::vector<uint8_t> file = jpegtest::Encode(jpegtest::Gradient(8, 8), 80);
    // The frame header's height and width follow its marker, precision byte first.
    for (size_t i = 0; i + 8 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = file[i + 7] = 0x40;
            file[i + 6] = file[i + 8] = 0;
            break;
        }
    try {
        DecodeJpeg(file.data(), file.size());
        FAIL() << "a 16384 x 16384 picture decoded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ("Los datos codificados del GIF est\xE1n corruptos", e.Message());
    }
}
