// Image lists: masks from a bitmap or a colour, replacing, deleting, drawing normal and as a mask.
#include <gtest/gtest.h>

#include <QPainter>

#include "platform/ImageList.h"

namespace {

// 4 x 4: red with a blue top-left quarter.
QImage Picture()
{
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 2; ++x)
            image.setPixelColor(x, y, Qt::blue);
    return image;
}

} // namespace

TEST(ImageList, MasksComeFromABitmapOrAColour)
{
    TImageList list(4, 4);
    EXPECT_EQ(list.Width(), 4);
    EXPECT_EQ(list.Height(), 4);
    // The mask's white hides, its black shows: here the right half is hidden.
    QImage mask(4, 4, QImage::Format_RGB32);
    mask.fill(Qt::black);
    for (int y = 0; y < 4; ++y)
        for (int x = 2; x < 4; ++x)
            mask.setPixelColor(x, y, Qt::white);
    EXPECT_EQ(list.Add(Picture(), mask), 0);
    EXPECT_EQ(list.AddMasked(Picture(), clBlue), 1);
    EXPECT_EQ(list.Add(Picture(), QImage()), 2);
    ASSERT_EQ(list.Count(), 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) {
            const bool blue = x < 2 && y < 2;
            EXPECT_EQ(qAlpha(list.Image(0).pixel(x, y)) != 0, x < 2);
            EXPECT_EQ(qAlpha(list.Image(1).pixel(x, y)) != 0, !blue);
            EXPECT_EQ(qAlpha(list.Image(2).pixel(x, y)), 255);
            // The mask read back is the one the colour made: white where hidden.
            EXPECT_EQ(list.Mask(1).pixelColor(x, y), blue ? QColor(Qt::white) : QColor(Qt::black));
        }
    // Images of another size are cut or padded with transparency.
    QImage big(8, 2, QImage::Format_RGB32);
    big.fill(Qt::green);
    list.Replace(2, big, QImage());
    EXPECT_EQ(list.Image(2).size(), QSize(4, 4));
    EXPECT_EQ(list.Image(2).pixelColor(3, 1), QColor(Qt::green));
    EXPECT_EQ(qAlpha(list.Image(2).pixel(3, 2)), 0);
    list.ReplaceMasked(0, Picture(), clRed);
    EXPECT_EQ(qAlpha(list.Image(0).pixel(3, 3)), 0);
    EXPECT_EQ(qAlpha(list.Image(0).pixel(0, 0)), 255);
    // Out of range: nothing changes, nothing is drawn.
    list.Replace(7, big, QImage());
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_TRUE(list.Image(3).isNull());
    list.Delete(0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(qAlpha(list.Image(0).pixel(0, 0)), 0); // the colour-masked one moved down
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(ImageList, DrawingShowsTheImageThroughItsMaskOrTheMaskItself)
{
    TImageList list(4, 4);
    list.AddMasked(Picture(), clBlue);
    QImage surface(6, 6, QImage::Format_RGB32);
    surface.fill(Qt::yellow);
    {
        QPainter painter(&surface);
        list.Draw(painter, 1, 1, 0);
        list.Draw(painter, 1, 1, 5);
    }
    EXPECT_EQ(surface.pixelColor(1, 1), QColor(Qt::yellow));
    EXPECT_EQ(surface.pixelColor(4, 4), QColor(Qt::red));
    EXPECT_EQ(surface.pixelColor(0, 0), QColor(Qt::yellow));
    {
        QPainter painter(&surface);
        list.DrawMask(painter, 1, 1, 0);
    }
    EXPECT_EQ(surface.pixelColor(1, 1), QColor(Qt::white));
    EXPECT_EQ(surface.pixelColor(4, 4), QColor(Qt::black));
    // Disabled: the shape stays, the colour goes.
    surface.fill(Qt::yellow);
    {
        QPainter painter(&surface);
        list.Draw(painter, 1, 1, 0, false);
    }
    EXPECT_EQ(surface.pixelColor(1, 1), QColor(Qt::yellow));
    EXPECT_NE(surface.pixelColor(4, 4), QColor(Qt::red));
    EXPECT_NE(surface.pixelColor(4, 4), QColor(Qt::yellow));
}

TEST(ImageList, PicturesAreCutToTheListAndMaskedPixelByPixel)
{
    // Random pictures larger and smaller than the list, with masks of other sizes, against the
    // pixel-by-pixel rule: a pixel the mask leaves black (or does not reach) shows, others are clear.
    uint32_t seed = 4242;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const auto random = [&next](int width, int height, QImage::Format format) {
        QImage image(width, height, QImage::Format_ARGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const uint32_t pick = next();
                image.setPixel(x, y, pick % 3 == 0 ? qRgb(0, 0, 0) : qRgba(pick, pick >> 8, pick >> 16, pick >> 4));
            }
        return image.convertToFormat(format);
    };
    for (int round = 0; round < 40; ++round) {
        TImageList list(3 + static_cast<int>(next() % 6), 3 + static_cast<int>(next() % 6));
        const QImage picture = random(2 + static_cast<int>(next() % 9), 2 + static_cast<int>(next() % 9),
                                      round % 2 ? QImage::Format_RGB32 : QImage::Format_ARGB32);
        const QImage mask = round % 5 == 0 ? QImage()
                                           : random(2 + static_cast<int>(next() % 9), 2 + static_cast<int>(next() % 9),
                                                    QImage::Format_RGB32);
        ASSERT_EQ(list.Add(picture, mask), 0);
        const QImage made = list.Image(0).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(made.size(), QSize(list.Width(), list.Height()));
        const QImage source = picture.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < list.Height(); ++y)
            for (int x = 0; x < list.Width(); ++x) {
                const bool inside = x < source.width() && y < source.height();
                const bool hidden = !mask.isNull() && x < mask.width() && y < mask.height() &&
                                    (mask.pixel(x, y) & 0xFFFFFF) != 0;
                EXPECT_EQ(made.pixel(x, y), inside && !hidden ? source.pixel(x, y) : 0u) << round << " " << x << "," << y;
            }
    }
}
