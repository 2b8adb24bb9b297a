// Pictures loaded by extension: GIF through the program's codec, JPEG through libjpeg, BMP through the platform.
#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "components/JpegImage.h"
#include "components/KrGIF.h"
#include "components/KrGraph.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"
#include "tests/components/JpegTestFiles.h"

TEST(JpegImage, PicturesLoadByTheirExtension)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    auto path = [&](const char* name) { return dir.filePath(name).toStdString(); };

    TRgbImage gradient = jpegtest::Gradient(20, 10);
    std::vector<uint8_t> jpeg = jpegtest::Encode(gradient, 90);
    WriteFileBytes(path("foto.JPG"), std::string(jpeg.begin(), jpeg.end()));
    WriteFileBytes(path("foto.jpeg"), std::string(jpeg.begin(), jpeg.end()));
    QImage photo = LoadPicture(path("foto.JPG"));
    ASSERT_EQ(QSize(20, 10), photo.size());
    EXPECT_NEAR(qRed(photo.pixel(19, 0)), gradient.Get(19, 0).Red, 20);
    bool corrupted = true;
    EXPECT_EQ(photo, LoadJpegImage(jpeg, &corrupted));
    EXPECT_FALSE(corrupted);
    EXPECT_EQ(photo, LoadPicture(path("foto.jpeg")));

    QImage indexed(5, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(10, 20, 30), qRgb(200, 100, 0)});
    indexed.fill(1);
    indexed.setPixel(2, 1, 0);
    TGIFImage gif;
    gif.Assign(indexed);
    gif.SaveToFile(path("dibujo.gif"));
    QImage drawing = LoadPicture(path("dibujo.gif"));
    ASSERT_EQ(QSize(5, 3), drawing.size());
    EXPECT_EQ(qRgb(10, 20, 30), drawing.pixel(2, 1));
    EXPECT_EQ(qRgb(200, 100, 0), drawing.pixel(0, 0));

    std::unique_ptr<TMemoryStream> bmp = BitmapToMemoryStream(indexed, pf8bit, rmFrequent);
    WriteFileBytes(path("mapa.bmp"), bmp->AsString());
    EXPECT_EQ(qRgb(10, 20, 30), LoadPicture(path("mapa.bmp")).pixel(2, 1));

    // A JPEG under a GIF name is read as a GIF and refused; unknown extensions are no pictures.
    WriteFileBytes(path("falso.gif"), std::string(jpeg.begin(), jpeg.end()));
    EXPECT_THROW(LoadPicture(path("falso.gif")), EInvalidGraphicOperation);
    EXPECT_THROW(LoadPicture(path("foto.png")), Exception);
    WriteFileBytes(path("roto.bmp"), "BMxx");
    EXPECT_THROW(LoadPicture(path("roto.bmp")), EInvalidGraphic);
    WriteFileBytes(path("roto.jpg"), "\xFF\xD8\xFF");
    EXPECT_THROW(LoadPicture(path("roto.jpg")), EInvalidGraphic);
}
