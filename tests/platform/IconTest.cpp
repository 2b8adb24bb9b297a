// The icon picture: loading checks, copies that change on their own, the largest image, the stream form.
#include <QImage>
#include <gtest/gtest.h>

#include "platform/Icon.h"
#include "platform/core/Classes.h"
#include "platform/core/Exception.h"

namespace {

QImage filled(int size, QRgb color)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

} // namespace

TEST(Icon, CopiesShareThePictureButChangeOnTheirOwn)
{
    TIcon red = TIcon::FromImage(filled(16, qRgb(255, 0, 0)));
    ASSERT_FALSE(red.Empty());
    EXPECT_EQ(red.Width(), 16);
    EXPECT_EQ(red.Image().pixel(2, 2), qRgb(255, 0, 0));
    int changes = 0;
    red.OnChange = [&] { ++changes; };
    TIcon copy(red);
    EXPECT_FALSE(copy.OnChange);
    EXPECT_EQ(copy.Bytes().data(), red.Bytes().data());
    copy.Assign(TIcon::FromImage(filled(8, qRgb(0, 0, 255))));
    EXPECT_EQ(red.Width(), 16);
    EXPECT_EQ(copy.Width(), 8);
    EXPECT_EQ(changes, 0);
    red.Clear();
    EXPECT_TRUE(red.Empty());
    EXPECT_EQ(red.Width(), 0);
    EXPECT_EQ(changes, 1);
}

TEST(Icon, LoadingRefusesWhatIsNoIconAndKeepsThePicture)
{
    TIcon icon = TIcon::FromImage(filled(16, qRgb(0, 255, 0)));
    const std::vector<uint8_t> good = icon.Bytes();
    std::vector<uint8_t> cursor = good;
    cursor[2] = 2;
    for (const auto& bad : {std::vector<uint8_t>{}, std::vector<uint8_t>{0, 0, 1, 0, 0, 0}, cursor,
                            std::vector<uint8_t>(good.begin(), good.begin() + 30)})
        EXPECT_THROW(icon.LoadFromBytes(bad), EInvalidGraphic);
    EXPECT_EQ(icon.Bytes(), good);
    EXPECT_THROW(TIcon::FromImage(QImage()), EInvalidGraphic);

    // The stream form is the icon file's bytes; a size past the end is a read error.
    TMemoryStream stream;
    icon.SaveToStream(stream);
    EXPECT_EQ(stream.Bytes(), good);
    stream.SetPosition(0);
    TIcon back;
    back.LoadFromStream(stream, stream.GetSize());
    EXPECT_TRUE(back.SameAs(icon));
    stream.SetPosition(0);
    EXPECT_THROW(back.LoadFromStream(stream, stream.GetSize() + 1), EReadError);
}
