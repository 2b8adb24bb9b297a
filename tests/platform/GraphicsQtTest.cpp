// Frames, edges, colour-keyed copies and text in a rectangle.
#include <gtest/gtest.h>

#include <QPainter>

#include "platform/GraphicsQt.h"

namespace {

QColor sysColour(uint32_t color) { return ToQColor(static_cast<TColor>(color)); }

} // namespace

TEST(GraphicsQt, Frame3DLightsTheTopLeftAndShrinksTheRectangle)
{
    QImage surface(6, 6, QImage::Format_RGB32);
    surface.fill(Qt::white);
    QRect rect(0, 0, 6, 6);
    {
        QPainter painter(&surface);
        Frame3D(painter, rect, clRed, clBlue);
    }
    EXPECT_EQ(rect, QRect(1, 1, 4, 4));
    EXPECT_EQ(surface.pixelColor(0, 0), QColor(Qt::red));
    EXPECT_EQ(surface.pixelColor(4, 0), QColor(Qt::red));
    EXPECT_EQ(surface.pixelColor(5, 0), QColor(Qt::blue)); // the corners the dark side owns
    EXPECT_EQ(surface.pixelColor(0, 5), QColor(Qt::blue));
    EXPECT_EQ(surface.pixelColor(2, 2), QColor(Qt::white));
}

TEST(GraphicsQt, DrawEdgeDrawsItsLayersOnTheChosenSides)
{
    QImage surface(10, 10, QImage::Format_RGB32);
    auto draw = [&](unsigned edge, unsigned flags) {
        surface.fill(Qt::magenta);
        QRect rect(0, 0, 10, 10);
        QPainter painter(&surface);
        DrawEdge(painter, rect, edge, flags);
        return rect;
    };
    EXPECT_EQ(draw(EDGE_RAISED, BF_RECT), QRect(0, 0, 10, 10));
    EXPECT_EQ(surface.pixelColor(0, 0), sysColour(cl3DLight));
    EXPECT_EQ(surface.pixelColor(9, 9), sysColour(cl3DDkShadow));
    EXPECT_EQ(surface.pixelColor(1, 1), sysColour(clBtnHighlight));
    EXPECT_EQ(surface.pixelColor(8, 8), sysColour(clBtnShadow));
    EXPECT_EQ(surface.pixelColor(5, 5), QColor(Qt::magenta));

    EXPECT_EQ(draw(EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE), QRect(2, 2, 6, 6));
    EXPECT_EQ(surface.pixelColor(0, 0), sysColour(clBtnShadow));
    EXPECT_EQ(surface.pixelColor(1, 1), sysColour(cl3DDkShadow));
    EXPECT_EQ(surface.pixelColor(9, 0), sysColour(clBtnHighlight));
    EXPECT_EQ(surface.pixelColor(5, 5), sysColour(clBtnFace));

    // One layer on two sides: only those move with BF_ADJUST.
    EXPECT_EQ(draw(BDR_SUNKENOUTER, BF_TOPLEFT | BF_ADJUST), QRect(1, 1, 9, 9));
    EXPECT_EQ(surface.pixelColor(9, 9), QColor(Qt::magenta));
    EXPECT_EQ(surface.pixelColor(0, 9), sysColour(clBtnShadow));

    // Flat and mono: one plain line outside.
    draw(EDGE_RAISED, BF_RECT | BF_FLAT);
    EXPECT_EQ(surface.pixelColor(0, 0), sysColour(clBtnShadow));
    EXPECT_EQ(surface.pixelColor(9, 9), sysColour(clBtnShadow));
    draw(EDGE_SUNKEN, BF_RECT | BF_MONO | BF_MIDDLE);
    EXPECT_EQ(surface.pixelColor(0, 0), sysColour(clWindowFrame));
    EXPECT_EQ(surface.pixelColor(5, 5), sysColour(clWindow));
    // Soft raised edges put the brightest light outside.
    draw(EDGE_RAISED, BF_RECT | BF_SOFT);
    EXPECT_EQ(surface.pixelColor(0, 0), sysColour(clBtnHighlight));

    QRect empty(3, 3, 0, 5);
    QPainter painter(&surface);
    EXPECT_FALSE(DrawEdge(painter, empty, EDGE_RAISED, BF_RECT | BF_ADJUST));
}

TEST(GraphicsQt, DrawTextMeasuresAndAlignsInTheRectangle)
{
    QImage surface(200, 100, QImage::Format_RGB32);
    QPainter painter(&surface);
    const int lineHeight = QFontMetrics(painter.font()).height();

    // Measuring keeps the top-left corner and draws nothing.
    surface.fill(Qt::white);
    TRect one{10, 20, 10, 20};
    EXPECT_EQ(DrawText(painter, "Abrir", one, DT_CALCRECT), lineHeight);
    EXPECT_EQ(one.Left, 10);
    EXPECT_EQ(one.Top, 20);
    EXPECT_GT(one.Width(), 10);
    EXPECT_EQ(one.Height(), lineHeight);
    // The ampersand marks the accelerator and takes no room; a double one shows.
    TRect marked{0, 0, 0, 0};
    DrawText(painter, "&Abrir", marked, DT_CALCRECT);
    EXPECT_EQ(marked.Width(), one.Width());
    TRect plain{0, 0, 0, 0};
    DrawText(painter, "&Abrir", plain, DT_CALCRECT | DT_NOPREFIX);
    EXPECT_GT(plain.Width(), one.Width());
    // Line breaks: CR LF, LF and CR each start a line; single-line keeps one.
    TRect lines{0, 0, 0, 0};
    EXPECT_EQ(DrawText(painter, "a\r\nb\nc\rd", lines, DT_CALCRECT), 4 * lineHeight);
    TRect single{0, 0, 0, 0};
    EXPECT_EQ(DrawText(painter, "a\r\nb", single, DT_CALCRECT | DT_SINGLELINE), lineHeight);
    // Word breaks keep the width and grow the height.
    TRect wrapped{0, 0, 40, 0};
    DrawText(painter, "uno dos tres cuatro", wrapped, DT_CALCRECT | DT_WORDBREAK);
    EXPECT_LE(wrapped.Width(), 40);
    EXPECT_GT(wrapped.Height(), lineHeight);

    // Drawing: right alignment puts the ink at the right edge, clipped to the rectangle.
    surface.fill(Qt::white);
    painter.setPen(Qt::black);
    TRect box{0, 0, 100, 40};
    DrawText(painter, "MMM", box, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    int leftmost = 200;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x)
            if (surface.pixelColor(x, y) != QColor(Qt::white)) {
                leftmost = std::min(leftmost, x);
                EXPECT_LT(x, 100);
                EXPECT_LT(y, 40);
            }
    EXPECT_GT(leftmost, 50);
}

TEST(GraphicsQt, MaskedImageClearsOneColour)
{
    QImage image(3, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(1, 2, 3));
    image.setPixel(1, 0, qRgb(1, 2, 4));
    image.setPixel(2, 0, qRgb(1, 2, 3));
    const QImage masked = MaskedImage(image, qRgba(1, 2, 3, 0));
    EXPECT_EQ(qAlpha(masked.pixel(0, 0)), 0);
    EXPECT_EQ(masked.pixel(1, 0), qRgb(1, 2, 4));
    EXPECT_EQ(qAlpha(masked.pixel(2, 0)), 0);
}
